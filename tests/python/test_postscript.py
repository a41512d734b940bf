"""PostScript and EPS output, end to end: files written through the public
routines, read back by Ghostscript (and rendered pixels checked with Pillow)."""
import re
import shutil
import subprocess

import pytest

import conftest

GS = shutil.which("gs")
needs_gs = pytest.mark.skipif(GS is None, reason="Ghostscript not installed")

PT = 0.1417322835  # points per device unit (1/20 mm)
A4_PT = (595, 842)
S = 3900 / 2099    # device units per plot unit on the default page


def ghostscript(path, *args):
    """Runs Ghostscript on a file; returns (exit status, combined output)."""
    proc = subprocess.run(
        [GS, "-q", "-dBATCH", "-dNOPAUSE", "-dSAFER", *args, str(path)],
        capture_output=True,
        timeout=120,
    )
    return proc.returncode, (proc.stdout + proc.stderr).decode("latin-1")


def plot(run, device, body, setup="", name="a.ps"):
    """Writes one plot with `body` drawn; returns the output's path."""
    run(f"{setup}\nk.metafl('{device}')\nk.setfil('{name}')\nk.kalini()\n{body}\nk.kalfin()")
    return run.path / name


def render(path, dpi):
    """Renders the first page on A4 with Ghostscript; returns a pixel function
    of plot coordinates on the turned default page (origin 150/200 units)."""
    img = conftest.render(path, dpi)
    assert img.size == (round(A4_PT[0] * dpi / 72), round(A4_PT[1] * dpi / 72))

    def pixel(x, y):
        # Plot point -> device units (turned) -> points -> pixels from the top.
        px = (int(y * S) + 150) * PT * dpi / 72
        py = (A4_PT[1] - (int(x * S) + 200) * PT) * dpi / 72
        return img.getpixel((int(px), int(py)))

    return pixel


# Every drawing routine the PostScript driver serves, on two pages.
DRAW_ALL = """
k.setrgb(0.0, 0.0, 1.0)
k.line(100, 100, 2800, 2000)
k.linwid(12)
k.rectan(300, 300, 400, 250)
k.setclr(50)
k.shdpat(16)   # solid: the header's polygon procedure
k.areaf([1000, 1500, 1200, 1100], [200, 300, 800, 500], 4)
k.trifll([2000.0, 2500.0, 2300.0], [200.0, 300.0, 800.0])
k.lnjoin("SHAR")
k.lnmlt(1.0)
k.lncap("ROUN")
k.penwid(0.3)
k.strtpt(50.0, 1900.0)
for i in range(300):
    k.connpt(50.0 + 9 * i, 1900.0 - (i % 13) * 40)
k.pagfll(3)
k.setrgb(1.0, 1.0, 0.0)
k.newpag()
k.line(0, 0, 2969, 2099)
"""


@needs_gs
@pytest.mark.parametrize("device", ["POST", "PSCL", "EPS", "PS"])
def test_ghostscript_reads_every_device(run, device):
    path = plot(run, device, DRAW_ALL)
    text = path.read_text("latin-1")
    assert all(len(line) <= 80 for line in text.split(" scale\n", 1)[1].splitlines())
    status, out = ghostscript(path, "-sDEVICE=nullpage")
    assert status == 0 and "Error" not in out, out
    # EPS ignores newpag.
    assert text.count("%%Page:") == (1 if device == "EPS" else 2)
    assert ("copypage" in text) == (device != "EPS")


@pytest.mark.parametrize("device, setup, head", [
    ("PS", "", ["%!PS-Adobe-2.0", "%%BoundingBox:  21 28 575 811", "%%Creator: KALVOR   9.1 L"]),
    ("EPS", "k.pagmod('NONE')",
     ["%!PS-Adobe-3.0 EPSF-3.0", "%%BoundingBox:  21 28 575 420", "%%Creator: KALVOR   9.1 P"]),
    ("EPS", "k.setpag('DA4P')",   # a portrait page is not turned either
     ["%!PS-Adobe-3.0 EPSF-3.0", "%%BoundingBox:  21 28 575 811", "%%Creator: KALVOR   9.1 P"]),
])
def test_header_of_the_page_kalini_sets_up(run, device, setup, head):
    a = plot(run, device, "", setup, "a.ps").read_bytes()
    assert a == plot(run, device, "", setup, "b.ps").read_bytes()  # SOURCE_DATE_EPOCH fixes the date
    lines = a.decode().split("\n")
    assert lines[:3] == head
    assert lines[3] == "%%CreationDate: 14.11.2023 , 22:13:20"


def test_background_rules(run):
    """PSCL paints the page black unless the background mode is 2; POST never;
    PS and EPS only when the screen mode asks for it; every page again."""
    turned, upright = "0 0 3900 5516 0 0 0 e", "0 2757 3900 0 0 0 0 e"
    cases = [
        ("PSCL", "AUTO", "", turned),
        ("PSCL", "REVE", "", None),
        ("POST", "NOER", "", None),
        ("PS", "AUTO", "", None),
        ("PS", "NOER", "", turned),
        ("PS", "NOER", "k.pagmod('NONE')", upright),   # "0 H·s W·s 0 0 0 0 e"
        ("EPS", "AUTO", "", None),
        ("EPS", "ERAS", "", turned),
    ]
    for i, (device, mode, setup, rect) in enumerate(cases):
        text = plot(run, device, "k.newpag()", f"k.scrmod('{mode}'); {setup}", f"f{i}.ps").read_text()
        assert (" e\n" in text) == (rect is not None), (device, mode)
        if rect:
            assert f" scale\n{rect}\n" in text, (device, mode)
        if device != "EPS":
            second = text.split("%%Page: 1 2 \n")[1]
            assert second.startswith(f"{rect} " if rect else "erasepage "), (device, mode)


def test_hworig_bounding_box_and_placement_agree(run):
    out = run("k.metafl('EPS'); k.hworig(100, 250); k.setfil('a.eps'); k.kalini(); k.hworig(1, 1); k.kalfin()")
    assert "Warning   3" in out  # only at level 0
    text = (run.path / "a.eps").read_text()
    llx, lly, urx, ury = map(int, re.search(r"%%BoundingBox:  (-?\d+) (-?\d+) (\d+) (\d+)", text).groups())
    tx, ty = map(int, re.search(r"\n *(-?\d+) cm +(-?\d+) cm translate", text).groups())
    assert (tx, ty) == (200, 500)  # 10 mm and 25 mm
    assert (llx, lly) == (int(tx * PT), int(ty * PT))
    # Default page turned: H·s across, W·s up, from the same origin.
    assert urx == int((3900 + tx) * PT + 1.0)
    assert ury == int((2969 * S + ty) * PT + 1.0)


def test_hwpage_sets_the_printable_area(run):
    """hwpage in the current unit: 2·round(w·u) device units across, 2·round(h·u)
    up; FULL scaling fits the turned page into it."""
    text = plot(run, "EPS", "", "k.units('INCH'); k.hwpage(59, 79); k.sclmod('FULL')").read_text()
    bbox = list(map(int, re.search(r"%%BoundingBox:  (\d+) (\d+) (\d+) (\d+)", text).groups()))
    # 300 x 402 device units; the 1169 x 826 page scaled by 402 / 1169.
    assert bbox == [21, 28, 62, 86]


@needs_gs
def test_line_and_fills_land_on_their_page_points(run):
    """PSCL, a black page: a red line, a rectangle and a triangle where placed."""
    path = plot(run, "PSCL", """
k.setrgb(1.0, 0.0, 0.0); k.linwid(15); k.line(300, 400, 2500, 1600)
k.recfll(400, 1300, 600, 500, 0x01FF0000)
k.setrgb(0.0, 1.0, 0.0); k.trifll([1500.0, 2500.0, 1500.0], [300.0, 300.0, 1500.0])""")
    pixel = render(path, 50)
    for t in (0.1, 0.3, 0.5, 0.7, 0.9):
        x, y = 300 + 2200 * t, 400 + 1200 * t
        r, g, b = pixel(x, y)
        assert r > 200 and g < 80 and b < 80, (t, pixel(x, y))
        # 4 mm beside the line, on both sides: the page.
        assert pixel(x + 24, y - 44) == pixel(x - 24, y + 44) == (0, 0, 0), t
    assert pixel(150, 300) == pixel(2700, 1800) == (0, 0, 0)   # beyond the line's ends
    assert pixel(700, 1550) == (0, 0, 255)      # inside the rectangle (blue)
    assert pixel(1700, 500) == (0, 255, 0)      # inside the triangle (trifll keeps its colour)
    assert pixel(2400, 1400) == (0, 0, 0)       # beside the triangle


def test_fill_and_outline_share_their_corners(run):
    # Fill vertices were rounded, path points truncated: 1/20 mm apart.
    run("""
        k.metafl("PS"); k.setfil("poly.ps"); k.kalini(); k.errmod("PROT", "OFF")
        k.shdpat(16); k.areaf([1001, 1501, 1201], [1001, 1101, 1601], 3)
        k.kalfin()
    """)
    words = (run.path / "poly.ps").read_text().split()
    fill = words.index("eofill")
    fill_first = words[fill - 12:fill - 10]                 # first vertex of the fill
    outline = [i for i, w in enumerate(words) if w == "u" and i > fill][0]
    assert words[outline - 2:outline] == fill_first
