"""WMF output: the header bytes, the records and the object slots they use,
read by libwmf's wmf2svg and drawn by librsvg."""
import functools
import math
import operator
import struct
import subprocess

from PIL import Image

S = 5.6692915                      # twips per plot unit at true size
THIN = round(2.5 * S)              # a thin pen: 1/4 mm, as wide as PDF's thin line
NAMES = {0x0103: "MAPMODE", 0x020B: "WINORG", 0x020C: "WINEXT", 0x0209: "TEXTCOLOR", 0x012D: "SELECT",
         0x01F0: "DELETE", 0x02FA: "PEN", 0x02FC: "BRUSH", 0x0214: "MOVETO", 0x0213: "LINETO",
         0x041B: "RECTANGLE", 0x0324: "POLYGON", 0x0000: "EOF"}
to = lambda v: math.trunc(v * S + 0.5)


def plot(run, body, setup="", name="a.wmf"):
    out = run(f"k.metafl('WMF'); k.setfil('{name}')\n{setup}\nk.kalini(); k.errmod('PROT', 'OFF')\n{body}\nk.kalfin()")
    return (run.path / name).read_bytes(), out


def records(data, at=18):
    """(name, 16-bit parameters) of every record after the header."""
    out = []
    while at < len(data):
        words, function = struct.unpack_from("<IH", data, at)
        out.append((NAMES[function], list(struct.unpack_from(f"<{words - 3}H", data, at + 6))))
        at += 2 * words
    return out


def test_header_records_and_slots(run):
    body = ("k.line(100, 200, 300, 400); k.setrgb(1.0, 0.0, 0.0); k.setrgb(0.0, 0.0, 1.0)\n"
            "k.recfll(500, 600, 101, 51, k.intrgb(0.0, 1.0, 0.0)); k.shdpat(16); k.rectan(1000, 1000, 200, 100)")
    data, _ = plot(run, body)
    rec = records(data)
    ex, ey = math.trunc(2969 * S) + 20, math.trunc(2099 * S) + 20
    largest = max(3 + len(p) for _, p in rec)
    assert data[:18] == struct.pack("<HHHIHIH", 1, 9, 0x0300, len(data) // 2, 4, largest, 0)
    # Lines store y before x; a colour is a pen (the old one deleted) and
    # the text colour; objects take the lowest free slot. A filled
    # rectangle: solid brush, null pen, RECTANGLE bottom, right, top, left
    # one unit larger, pen and hollow brush back, both deleted.
    assert rec[-1] == ("EOF", []) and rec[:27] == [
        ("MAPMODE", [8]), ("WINORG", [0, 0]), ("WINEXT", [ey, ex]), ("BRUSH", [1, 0, 0, 0]), ("SELECT", [0]),
        ("PEN", [0, THIN, 0, 0, 0]), ("TEXTCOLOR", [0, 0]), ("SELECT", [1]),
        ("MOVETO", [to(200), to(100)]), ("LINETO", [to(400), to(300)]),
        ("PEN", [0, THIN, 0, 255, 0]), ("TEXTCOLOR", [255, 0]), ("SELECT", [2]), ("DELETE", [1]),
        ("PEN", [0, THIN, 0, 0, 255]), ("TEXTCOLOR", [0, 255]), ("SELECT", [1]), ("DELETE", [2]),
        ("BRUSH", [0, 0xFF00, 0, 0]), ("SELECT", [2]), ("PEN", [5, 1, 0, 0, 0]), ("SELECT", [3]),
        ("RECTANGLE", [to(650) + 1, to(600) + 1, to(600), to(500)]), ("SELECT", [1]), ("SELECT", [0]),
        ("DELETE", [2]), ("DELETE", [3])]
    # The placeable header in front of the same records; wmfmod checks its
    # key and survives kalini.
    placed, out = plot(run, body + "\nk.wmfmod('PLAC', 'SIZE')", setup="k.wmfmod('PLAC', 'FORM')", name="p.wmf")
    out += run("k.wmfmod('PLAC', 'FORM')\nfor n in 'qr': k.metafl('WMF'); k.setfil(n + '.wmf'); k.kalini(); k.kalfin()")
    assert out.count("<<<< Warning") == 1 and "Warning   2" in out
    assert placed[:20] == struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, ex, ey, 1440, 0)
    assert struct.unpack_from("<H", placed, 20)[0] == functools.reduce(operator.xor, struct.unpack_from("<10H", placed))
    assert placed[22:] == data and (run.path / "r.wmf").read_bytes()[:22] == placed[:22]


def test_overflow_and_failed_writes(run):
    # DA0L and sclfac pass 16 bits: drawn smaller, with fewer units per
    # inch, so that the picture keeps its size.
    for setup, width, height, scale in (("k.setpag('DA0L')", 11889, 8409, 1), ("k.sclfac(3.0)", 2969, 2099, 3)):
        data, _ = plot(run, "k.line(0, 0, 2969, 2099)", setup=setup + "; k.wmfmod('PLAC', 'FORM')", name=f"{scale}.wmf")
        ex, ey, inch = struct.unpack_from("<hhH", data, 10)
        assert ex == 32767 and abs(ey / ex - height / width) < 1e-3
        assert abs((ex - 20) / inch / (width * scale / 254.0) - 1) < 5e-3
        draw = next(p for n, p in records(data, 40) if n == "LINETO")
        assert abs(draw[1] / (2969 * S * scale * inch / 1440.0) - 1) < 2e-3
    # noclip: points beyond 16 bits are held at the ends; a polygon of more
    # points than a record counts goes to the pattern filler. Past 1 MiB
    # the header is written back where the file has it.
    data, out = plot(run, """
k.noclip(); k.line(100, 100, 10**7, -10**7); t = [2 * math.pi * i / 40000 for i in range(40000)]
k.shdpat(16); k.areaf([1000 + round(900 * math.cos(a)) for a in t], [1000 + round(900 * math.sin(a)) for a in t], 40000)
for i in range(110000): k.line(0, i % 2000, 2900, i % 2000)""", setup="import math")
    rec = records(data)
    assert len(data) > 1 << 20 and struct.unpack_from("<I", data, 6)[0] == len(data) // 2
    assert ("LINETO", [0x10000 - 32767, 32767]) in rec and "POLYGON" not in dict(rec) and "Warning" not in out
    # A write that fails is a warning, and no file in the protocol.
    out = run("import resource, signal\nsignal.signal(signal.SIGXFSZ, signal.SIG_IGN)\n"
              "resource.setrlimit(resource.RLIMIT_FSIZE, (2000, 2000))\nk.metafl('WMF'); k.setfil('cut.wmf'); k.kalini()\n"
              "for i in range(300): k.line(i, 0, 2900 - i, 2000)\nk.kalfin()")
    assert out.count("<<<< Warning") == 1 and "Warning 101: Open error for WMF file in kalfin" in out
    assert "cut.wmf" not in out


def test_wmf2svg_draws_lines_and_fills_in_place(run):
    # The frame pins the picture to the page (wmf2svg fits the drawing).
    plot(run, """
k.line(0, 0, 2969, 0); k.line(2969, 2099, 0, 2099); k.recfll(500, 600, 400, 300, k.intrgb(0.0, 1.0, 0.0))
k.setrgb(0.0, 0.0, 1.0); k.shdpat(16); k.rectan(1500, 600, 400, 300)
k.setrgb(1.0, 0.0, 0.0); k.linwid(5); k.line(200, 1500, 2700, 1500)""", setup="k.wmfmod('PLAC', 'FORM')")
    proc = subprocess.run(["wmf2svg", "-o", "a.svg", "a.wmf"], cwd=run.path, capture_output=True)
    assert proc.returncode == 0 and proc.stdout == proc.stderr == b""
    subprocess.run(["rsvg-convert", "-b", "white", "-w", "2970", "-o", "a.png", "a.svg"], cwd=run.path, check=True)
    img = Image.open(run.path / "a.png").convert("RGB")
    near = lambda x, y: {img.getpixel((x + dx, y + dy)) for dx in (-3, 0, 3) for dy in (-3, 0, 3)}
    assert near(700, 750) == {(0, 255, 0)} and near(1700, 750) == {(0, 0, 255)}
    assert near(450, 750) | near(1000, 1400) | near(1450, 750) == {(255, 255, 255)}
    # Pens are as wide as PDF's lines: linwid 5 is one stroke of 1/2 mm, five
    # pixels here (a pen of 1/1440 inch would leave a faint hairline).
    column = [img.getpixel((1000, y)) for y in range(1480, 1520)]
    assert 4 <= sum(r == 255 and b == g < 100 for r, g, b in column) <= 6
