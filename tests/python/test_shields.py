"""Shield regions, judged from renderings by Ghostscript, librsvg and Pillow."""
import math
import subprocess
import textwrap
import xml.etree.ElementTree as ET

import pytest
from PIL import Image


class Page:
    """A rendered landscape page of 2970 plot units across, read in plot units."""

    def __init__(self, path):
        self.im = Image.open(path).convert("L")
        self.f = self.im.width / 2970

    def runs(self, y):
        """The (first, last) x in plot units of the dark stretches at height y."""
        rows = (math.floor(y * self.f), math.floor(y * self.f) + 1)   # a line lands on either
        row = min(rows, key=lambda r: sum(self.im.crop((0, r, self.im.width, r + 1)).getdata()))
        runs, start = [], None
        for x in range(self.im.width + 1):
            dark = x < self.im.width and self.im.getpixel((x, row)) < 128
            if dark and start is None:
                start = x
            if not dark and start is not None:
                runs.append((start / self.f, (x - 1) / self.f))
                start = None
        return runs

    def grey(self, x, y):
        return self.im.getpixel((round(x * self.f), round(y * self.f)))


def gs_render(path, out):
    subprocess.run(["gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=pnggray", "-r300",
                    f"-sOutputFile={out}", str(path)], check=True)
    return Page(out)


def pdf_page(run, body):
    (run.path / "kalvor.pdf").unlink(missing_ok=True)
    run("k.metafl('PDF'); k.scrmod('REVERS'); k.kalini()\n" + textwrap.dedent(body) +
        "\nk.errmod('PROT', 'OFF'); k.kalfin()\n")
    return gs_render(run.path / "kalvor.pdf", run.path / "page.png")


def test_line_stops_at_rectangle_sides_and_shlvis_switches(run):
    im = pdf_page(run, """
        k.shlrec(1000, 900, 400, 300)
        k.line(200, 1000, 2700, 1000)
        k.shlvis(1, 'OFF'); k.line(200, 1050, 2700, 1050)
        k.shlvis(1, 'ON');  k.line(200, 1100, 2700, 1100)
        k.shlvis(0, 'OFF'); k.line(200, 1150, 2700, 1150)
        k.shlvis(0, 'ON');  k.line(200, 1180, 2700, 1180)
    """)
    # The rectangle spans x 1000 .. 1399: the pieces end on its sides (the
    # PDF's square line caps reach 1.4 units beyond an end).
    for y in (1000, 1100, 1180):
        (a0, a1), (b0, b1) = im.runs(y)
        assert abs(a0 - 200) <= 3 and abs(a1 - 1000) <= 3 and abs(b0 - 1399) <= 3 and abs(b1 - 2700) <= 3
    for y in (1050, 1150):
        [(a0, a1)] = im.runs(y)
        assert abs(a0 - 200) <= 3 and abs(a1 - 2700) <= 3
    # A line along a side is outside the region, one just inside is not.
    im = pdf_page(run, "k.shlrec(1000, 900, 400, 300); k.line(1000, 800, 1000, 1300); k.line(1004, 800, 1004, 1300)")
    [(a, b)] = im.runs(1000)
    assert abs(a - 1000) <= 2 and b < 1003


def test_cut_ends_lie_exactly_on_the_sides(run):
    run("""
        k.metafl('SVG'); k.kalini()
        k.shlrec(1000, 900, 400, 300); k.line(200, 1050, 2700, 1050)
        k.errmod('PROT', 'OFF'); k.kalfin()
    """)
    lines = ET.parse(run.path / "kalvor.svg").getroot().iter("{http://www.w3.org/2000/svg}line")
    (a, b), (c, d) = [(float(e.get("x1")), float(e.get("x2"))) for e in lines]
    f = (d - a) / 2500                 # SVG units per plot unit
    assert b == pytest.approx(a + 800 * f, abs=0.01) and c == pytest.approx(a + 1199 * f, abs=0.01)


def test_png_line_gap_matches_rectangle(run):
    run("""
        k.metafl('PNG'); k.scrmod('REVERS'); k.kalini()
        k.shlrec(1000, 900, 400, 300); k.line(200, 1050, 2700, 1050)
        k.errmod('PROT', 'OFF'); k.kalfin()
    """)
    im = Page(run.path / "kalvor.png")
    (_, a), (b, _) = im.runs(1050)
    assert abs(a - 1000) <= 4 and abs(b - 1399) <= 4     # a pixel is 3.5 plot units


def gap(im, y, x_from=0, x_to=10 ** 6):
    """The undrawn stretch between the two pieces of row y within x_from..x_to."""
    runs = [r for r in im.runs(y) if x_from <= r[0] <= x_to]
    assert len(runs) == 2, runs
    return runs[0][1], runs[1][0]


def test_each_region_type_cuts_where_its_geometry_says(run):
    im = pdf_page(run, """
        k.shlcir(500, 400, 200);               k.line(100, 500, 1000, 500)
        k.shlell(1700, 400, 300, 100, 30);     k.line(1200, 400, 2300, 400)
        k.shlrct(1800, 1000, 400, 200, 30);    k.line(1400, 1100, 2600, 1100)
        k.shlpie(600, 1500, 300, 0, 90);       k.line(100, 1400, 1100, 1400); k.line(100, 1600, 1100, 1600)
        k.shlpol([300, 900, 600], [1700, 1700, 2000], 3); k.line(100, 1800, 1100, 1800)
    """)
    # Circle: the chord 100 from the centre.
    c = math.sqrt(200 ** 2 - 100 ** 2)
    a, b = gap(im, 500)
    assert abs(a - (500 - c)) <= 2 and abs(b - (500 + c)) <= 2
    # Ellipse turned 30 degrees counter-clockwise: along the line through
    # its centre the half chord is 1 / sqrt(cos^2/a^2 + sin^2/b^2).
    t = math.radians(30)
    h = 1 / math.sqrt(math.cos(t) ** 2 / 300 ** 2 + math.sin(t) ** 2 / 100 ** 2)
    a, b = gap(im, 400)
    assert abs(a - (1700 - h)) <= 2 and abs(b - (1700 + h)) <= 2
    # Rectangle 400 x 200 turned about its corner (1800, 1000): its sides
    # run along (cos t, -sin t) and (sin t, cos t) on the page.
    def inside_rotated(x, y):
        dx, dy = x - 1800, y - 1000
        u, v = dx * math.cos(t) - dy * math.sin(t), dx * math.sin(t) + dy * math.cos(t)
        return 0 < u < 399 and 0 < v < 199
    inside = [x for x in range(1400, 2601) if inside_rotated(x, 1100)]
    a, b = gap(im, 1100)
    assert abs(a - inside[0]) <= 2 and abs(b - inside[-1]) <= 2
    # Pie from 0 to 90 degrees: the quarter above and right of its centre.
    a, b = gap(im, 1400)
    assert abs(a - 600) <= 2 and abs(b - (600 + math.sqrt(300 ** 2 - 100 ** 2))) <= 2
    [(a, b)] = im.runs(1600)
    assert abs(a - 100) <= 2 and abs(b - 1100) <= 2
    # Triangle: at y 1800 its sides are at x 400 and 800.
    a, b = gap(im, 1800)
    assert abs(a - 400) <= 2 and abs(b - 800) <= 2
