"""HPGL output: exact commands, factors of every plotter sheet, and hp2xx's
reading and rendering of the files (pens 0..8 are hp2xx's; the SMAL table
keeps drawing pens there)."""
import re
import shutil
import subprocess

import pytest

HP2XX = shutil.which("hp2xx")
needs_hp2xx = pytest.mark.skipif(HP2XX is None, reason="hp2xx not installed")
COMMAND = re.compile(r"(SP\d+|P[UD]-?\d+,-?\d+);")


def plot(run, device, body, setup="", name="a.hpg"):
    run(f"k.metafl('{device}')\nk.setfil('{name}')\n{setup}\nk.kalini()\nk.errmod('PROT', 'OFF')\n"
        f"k.setvlt('SMAL')\n{body}\nk.kalfin()")
    return run.path / name


def commands(path):
    text = path.read_text()
    lines = text.split("\n")
    assert lines[0] == " SP1;" and text.endswith("PU0,0;\n")
    assert all(len(line) <= 80 for line in lines)
    body = "".join(lines[1:])
    assert COMMAND.sub("", body) == ""  # nothing but commands, no blanks
    return COMMAND.findall(body)


def points(cmds):
    return [tuple(map(int, c[2:].split(","))) for c in cmds if c[0] == "P"]


def hp2xx(path, sheet_mm):
    """hp2xx's diagnostics and its 100 dpi rendering (pen 2 red)."""
    from PIL import Image

    png = path.with_suffix(".png")
    proc = subprocess.run([HP2XX, "-m", "png", "-t", "-d", "100", "-x", "0", "-X", str(sheet_mm[0]),
                           "-y", "0", "-Y", str(sheet_mm[1]), "-c", "12345671", "-f", str(png), str(path)],
                          capture_output=True, timeout=60)
    out = (proc.stdout + proc.stderr).decode("latin-1")
    assert proc.returncode == 0, out
    assert "HPGL command(s) ignored: 0" in out
    # The only events: pens above 8 (the RAIN foreground before setvlt).
    illegal = len(re.findall(r"Illegal pen number (\d+)", out))
    assert f"Unexpected event(s):  {illegal}\n" in out
    assert illegal == sum(1 for c in commands(path) if c.startswith("SP") and int(c[2:]) > 8)
    return Image.open(png).convert("RGB")


def test_exact_commands(run):
    path = plot(run, "HPGL", "k.line(10, 20, 30, 40)\nk.setrgb(1.0, 0.1, 0.0)\nk.line(30, 40, 50, 40)")
    assert path.read_text() == (" SP1;\nSP255;SP1;PU40,8316;PD120,8236;SP2;PU120,8236;PD200,8236;"
                                "PU0,0;\n")


@pytest.mark.parametrize("device,setup,s,first,last", [
    ("HPGL", "k.sclfac(0.5)", 2.0, (0, 4198), (5938, 0)),
    ("HPGL", "k.pagmod('PORT')", 4.0, (0, 0), (8396, 11876)),
    ("HPA4", "", 7600 / 2099, (0, 7600), (10750, 0)),
    ("HPA4", "k.setpag('DA4P')", 7600 / 2099, (10750, 7600), (0, 0)),
    ("HPA3", "", 4.0, (0, 8396), (11876, 0)),
    ("HPA3", "k.sclmod('FULL')", 10870 / 2099, (0, 10870), (15375, 0)),
    ("HPA2", "k.sclmod('FULL')", 13440 / 2099, (0, 13440), (19011, 0)),
    ("HPA1", "k.setpag('DA4P'); k.sclmod('FULL')", 21360 / 2099, (30213, 21360), (0, 0)),
])
def test_factors_and_turns(run, device, setup, s, first, last):
    path = plot(run, device, "k.line(0, 0, k.getpag()[0] - 1, k.getpag()[1] - 1)", setup)
    pts = points(commands(path))
    assert pts[:2] == [first, last]
    # An L (down, then right) keeps its turning sense on every sheet.
    path = plot(run, device, "k.strtpt(100.0, 100.0); k.connpt(100.0, 1000.0); k.connpt(600.0, 1000.0)",
                setup, "l.hpg")
    a, b, c = points(commands(path))[:3]
    assert (b[0] - a[0]) * (c[1] - b[1]) - (b[1] - a[1]) * (c[0] - b[0]) > 0
    assert abs(abs(b[0] - a[0]) + abs(b[1] - a[1]) - round(900 * s)) <= 1


@needs_hp2xx
def test_hp2xx_reads_and_renders(run):
    path = plot(run, "HPGL", """
k.setclr(2); k.line(300, 400, 2500, 1600)
k.setclr(3); k.recfll(2000, 100, 400, 200, 4)
k.setclr(0); k.line(0, 2000, 500, 2000)
k.newpag()
""")
    img = hp2xx(path, (297, 210))

    def at(X, Y, colour):
        px, py = X * 100 / 1016, img.height - 1 - Y * 100 / 1016
        return any(img.getpixel((int(px) + dx, int(py) + dy)) == colour
                   for dx in range(-3, 4) for dy in range(-3, 4)
                   if 0 <= int(px) + dx < img.width and 0 <= int(py) + dy < img.height)

    red, blue, white = (255, 0, 0), (0, 0, 255), (255, 255, 255)
    for t in (0.0, 0.25, 0.5, 0.75, 1.0):
        x, y = 300 + 2200 * t, 400 + 1200 * t
        assert at(x * 4, (2099 - y) * 4, red), t
        assert not at(x * 4, (2099 - y - 60) * 4, red)
    assert at(2200 * 4, (2099 - 200) * 4, blue)      # inside the rectangle
    assert not at(250 * 4, (2099 - 2000) * 4, red)   # pen 0 draws nothing
    assert at(1500 * 4, (2099 - 1900) * 4, white)


@needs_hp2xx
@pytest.mark.parametrize("device,page,sheet", [("HPA4", "DA4P", (297, 210)), ("HPA2", "DA3L", (594, 420))])
def test_hp2xx_reads_every_sheet(run, device, page, sheet):
    path = plot(run, device, "k.setclr(2); k.line(0, 0, 1000, 1000); k.recfll(10, 10, 100, 100, 7)",
                f"k.setpag('{page}')")
    hp2xx(path, sheet)
