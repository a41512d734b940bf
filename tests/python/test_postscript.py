"""PostScript and EPS output, end to end: files written through the public
routines, read back by Ghostscript (and rendered pixels checked with Pillow)."""
import re
import shutil
import subprocess

import pytest

GS = shutil.which("gs")
needs_gs = pytest.mark.skipif(GS is None, reason="Ghostscript not installed")

PT = 0.1417322835  # points per device unit (1/20 mm)
A4_PT = (595, 842)


def ghostscript(path, *args):
    """Runs Ghostscript on a file; returns (exit status, combined output)."""
    proc = subprocess.run(
        [GS, "-q", "-dBATCH", "-dNOPAUSE", "-dSAFER", *args, str(path)],
        capture_output=True,
        timeout=120,
    )
    return proc.returncode, (proc.stdout + proc.stderr).decode("latin-1")


def assert_gs_reads(path):
    status, out = ghostscript(path, "-sDEVICE=nullpage")
    assert status == 0, out
    assert "Error" not in out, out


def body_tokens(text):
    """The body after the placement line, as blank-separated tokens, without
    the foreground colour that kalini makes current ("r g b f")."""
    tokens = text.split(" scale\n", 1)[1].split()
    return tokens[4:] if tokens[3:4] == ["f"] else tokens


def header(text):
    return text.split("\n")[:6]


# Every drawing routine the PostScript driver serves, on one page or two.
DRAW_ALL = """
k.setrgb(0.0, 0.0, 1.0)
k.line(100, 100, 2800, 2000)
k.linwid(12)
k.rectan(300, 300, 400, 250)
k.setclr(50)
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
    run(f"""
        k.metafl("{device}")
        k.setfil("out.ps")
        k.kalini()
        {DRAW_ALL}
        k.kalfin()
        """.replace("\n        ", "\n"))
    path = run.path / "out.ps"
    text = path.read_text("latin-1")
    assert all(len(line) <= 80 for line in text.split(" scale\n", 1)[1].splitlines())
    assert_gs_reads(path)
    pages = text.count("%%Page:")
    assert pages == (1 if device == "EPS" else 2)
    assert ("copypage" in text) == (device != "EPS")


def test_default_header_bytes_and_reproducible_date(run):
    code = """
        k.metafl("PS")
        k.setfil("{name}")
        k.kalini()
        k.kalfin()
        """
    run(code.format(name="a.ps"))
    run(code.format(name="b.ps"))
    a = (run.path / "a.ps").read_bytes()
    assert a == (run.path / "b.ps").read_bytes()  # SOURCE_DATE_EPOCH fixes the date
    assert header(a.decode()) == [
        "%!PS-Adobe-2.0",
        "%%BoundingBox:  21 28 575 811",
        "%%Creator: KALVOR   9.1 L",
        "%%CreationDate: 14.11.2023 , 22:13:20",
        "%%EndComments",
        "%%Page: 1 1",
    ]
    assert b"\n  150 cm   200 cm translate 5 cm setlinewidth   1.000000  1.000000 scale\n" in a
    assert a.endswith(b" f showpage \n")


def test_page_mode_none_is_upright_eps(run):
    run("""
        k.metafl("EPS")
        k.pagmod("NONE")
        k.setfil("a.eps")
        k.kalini()
        k.kalfin()
        """)
    text = (run.path / "a.eps").read_text()
    assert header(text)[:3] == [
        "%!PS-Adobe-3.0 EPSF-3.0",
        "%%BoundingBox:  21 28 575 420",
        "%%Creator: KALVOR   9.1 P",
    ]


def test_background_rules(run):
    """PSCL paints the page black unless the background mode is 2; POST never;
    PS and EPS only when the screen mode asks for it."""
    cases = {
        ("PSCL", "AUTO"): True,
        ("PSCL", "REVE"): False,
        ("POST", "AUTO"): False,
        ("POST", "NOER"): False,
        ("PS", "AUTO"): False,
        ("PS", "NOER"): True,
        ("EPS", "AUTO"): False,
        ("EPS", "ERAS"): True,
    }
    for i, (device, mode) in enumerate(cases):
        run(f"""
            k.metafl("{device}")
            k.scrmod("{mode}")
            k.setfil("f{i}.ps")
            k.kalini()
            k.newpag()
            k.kalfin()
            """)
    for i, ((device, mode), painted) in enumerate(cases.items()):
        text = (run.path / f"f{i}.ps").read_text()
        assert ("scale\n0 0 3900 5516 0 0 0 e\n" in text) == painted, (device, mode)
        if device != "EPS":
            second = text.split("%%Page: 1 2 \n")[1]
            assert second.startswith("0 0 3900 5516 0 0 0 e " if painted else "erasepage "), (device, mode)


def test_polyline_paths_split_at_fifty_points(run):
    run("""
        k.metafl("PS")
        k.setfil("a.ps")
        k.kalini()
        k.strtpt(100.0, 100.0)
        for i in range(1, 60):
            k.connpt(100.0 + 20 * i, 100.0 + 10 * (i % 2))
        k.setrgb(1.0, 0.5, 0.0)
        k.connpt(1500.0, 1000.0)
        k.kalfin()
        """)
    tokens = body_tokens((run.path / "a.ps").read_text())
    # 60 points: a full path of 50 (u + 49 d), one going on from its last
    # point (u + 10 d); the colour ends it; the next line restarts.
    ops = [t for t in tokens if t in ("u", "d", "p", "f")]
    assert ops == ["u"] + ["d"] * 49 + ["p", "u"] + ["d"] * 10 + ["p", "f", "u", "d", "p"]
    first_end = tokens.index("p")
    assert tokens[first_end - 3:first_end - 1] == tokens[first_end + 1:first_end + 3]
    assert "255 128 0 f" in " ".join(tokens)


def test_hworig_bounding_box_and_placement_agree(run):
    out = run("""
        k.metafl("EPS")
        k.hworig(100, 250)
        k.setfil("a.eps")
        k.kalini()
        k.hworig(1, 1)
        k.kalfin()
        """)
    assert "Warning   3" in out  # only at level 0
    text = (run.path / "a.eps").read_text()
    llx, lly, urx, ury = map(int, re.search(r"%%BoundingBox:  (-?\d+) (-?\d+) (\d+) (\d+)", text).groups())
    tx, ty = map(int, re.search(r"\n *(-?\d+) cm +(-?\d+) cm translate", text).groups())
    assert (tx, ty) == (200, 500)  # 10 mm and 25 mm
    assert (llx, lly) == (int(tx * PT), int(ty * PT))
    # Default page turned: H·s across, W·s up, from the same origin.
    assert urx == int((3900 + tx) * PT + 1.0)
    assert ury == int((2969 * 3900 / 2099 + ty) * PT + 1.0)


def test_line_attribute_output_and_range_warnings(run):
    out = run("""
        k.metafl("PS")
        k.setfil("a.ps")
        k.kalini()
        k.linwid(0)
        k.linwid(32001)
        k.penwid(0.0)
        k.lnmlt(0.5)
        k.lnjoin("ROUN")
        k.linwid(10)
        k.penwid(2.5)
        k.lncap("LONG")
        k.lnjoin("SHAR")
        k.lnmlt(4.0)
        k.kalfin()
        """)
    assert out.count("Warning   2") == 4
    body = " ".join(body_tokens((run.path / "a.ps").read_text()))
    assert body == (
        "1 setlinejoin 20 cm setlinewidth 5.00 cm setlinewidth 2 setlinecap "
        "0 setlinejoin 60 cm setmiterlimit 24 cm setmiterlimit showpage"
    )


@needs_gs
def test_red_line_lands_on_its_page_points(run):
    """Renders a red line with Ghostscript and checks the pixels along it and
    beside it against the page geometry (turned A4, origin 150/200 units)."""
    Image = pytest.importorskip("PIL.Image")
    run("""
        k.metafl("PS")
        k.setfil("a.ps")
        k.kalini()
        k.setrgb(1.0, 0.0, 0.0)
        k.linwid(15)
        k.line(300, 400, 2500, 1600)
        k.kalfin()
        """)
    dpi = 50
    png = run.path / "a.png"
    status, out = ghostscript(run.path / "a.ps", "-sDEVICE=png16m", f"-r{dpi}", "-sPAPERSIZE=a4",
                              "-dFIXEDMEDIA", f"-sOutputFile={png}")
    assert status == 0, out
    img = Image.open(png).convert("RGB")
    assert img.size == (round(A4_PT[0] * dpi / 72), round(A4_PT[1] * dpi / 72))
    s = 3900 / 2099

    def pixel(x, y):
        # Plot point -> device units (turned) -> points -> pixels from the top.
        px = (int(y * s) + 150) * PT * dpi / 72
        py = (A4_PT[1] - (int(x * s) + 200) * PT) * dpi / 72
        return img.getpixel((int(px), int(py)))

    def red(c):
        return c[0] > 200 and c[1] < 80 and c[2] < 80

    def white(c):
        return min(c) > 240

    for t in (0.1, 0.3, 0.5, 0.7, 0.9):
        x, y = 300 + 2200 * t, 400 + 1200 * t
        assert red(pixel(x, y)), (t, pixel(x, y))
        # 4 mm beside the line, on both sides: untouched page.
        assert white(pixel(x + 24, y - 44)), t
        assert white(pixel(x - 24, y + 44)), t
    assert white(pixel(150, 300)) and white(pixel(2700, 1800))  # beyond its ends
    raw = img.tobytes()
    reds = sum(1 for i in range(0, len(raw), 3) if red(raw[i:i + 3]))
    # About the line's length (2506 units = 250 mm ≈ 490 px) times its width.
    assert 400 < reds < 3000


@needs_gs
def test_black_background_and_filled_shapes_render(run):
    """PSCL: black page; a filled rectangle and a triangle where placed."""
    Image = pytest.importorskip("PIL.Image")
    run("""
        k.metafl("PSCL")
        k.setfil("a.ps")
        k.kalini()
        k.recfll(400, 300, 600, 500, 0x01FF0000)
        k.setrgb(0.0, 1.0, 0.0)
        k.trifll([1500.0, 2500.0, 1500.0], [300.0, 300.0, 1500.0])
        k.kalfin()
        """)
    dpi = 40
    png = run.path / "a.png"
    status, out = ghostscript(run.path / "a.ps", "-sDEVICE=png16m", f"-r{dpi}", "-sPAPERSIZE=a4",
                              "-dFIXEDMEDIA", f"-sOutputFile={png}")
    assert status == 0, out
    img = Image.open(png).convert("RGB")
    s = 3900 / 2099

    def pixel(x, y):
        px = (y * s + 150) * PT * dpi / 72
        py = (A4_PT[1] - (x * s + 200) * PT) * dpi / 72
        return img.getpixel((int(px), int(py)))

    assert pixel(700, 550) == (0, 0, 255)      # inside the rectangle (blue)
    assert pixel(1700, 500) == (0, 255, 0)     # inside the triangle (trifll keeps its colour)
    assert pixel(2400, 1400) == (0, 0, 0)      # beside the triangle: black page
    assert pixel(200, 1900) == (0, 0, 0)


def test_hwpage_sets_the_printable_area(run):
    """hwpage in the current unit: 2·round(w·u) device units across, 2·round(h·u)
    up; FULL scaling fits the turned page into it."""
    run("""
        k.metafl("EPS")
        k.units("INCH")
        k.hwpage(59, 79)
        k.sclmod("FULL")
        k.setfil("a.eps")
        k.kalini()
        k.kalfin()
        """)
    text = (run.path / "a.eps").read_text()
    bbox = list(map(int, re.search(r"%%BoundingBox:  (\d+) (\d+) (\d+) (\d+)", text).groups()))
    pw, ph = 2 * round(59 * 2.54), 2 * round(79 * 2.54)  # 300 x 402 device units
    w, h = round(2969 / 2.54), round(2099 / 2.54)  # largest page coordinates
    s = min(ph / w, pw / h)
    assert bbox == [21, 28, int((h * s + 150) * PT + 1.0), int((w * s + 200) * PT + 1.0)]
    assert bbox[2:] == [62, 86]
