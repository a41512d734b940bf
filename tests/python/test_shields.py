# Shield regions, judged from renderings by Ghostscript, librsvg and Pillow.
import math
import textwrap
import xml.etree.ElementTree as ET

import numpy as np
import pytest
from PIL import Image

from conftest import render


class Page:  # a rendered landscape page of 2970 plot units across, read in plot units
    def __init__(self, im):
        self.im = im.convert("L")
        self.f = self.im.width / 2970

    def runs(self, y):  # the (first, last) x in plot units of the dark stretches at height y
        rows = (math.floor(y * self.f), math.floor(y * self.f) + 1)   # a line lands on either
        row = min(rows, key=lambda r: sum(self.im.crop((0, r, self.im.width, r + 1)).tobytes()))
        steps = np.diff(np.concatenate(([0], np.asarray(self.im)[row] < 128, [0])).astype(int))
        return [(a / self.f, (b - 1) / self.f) for a, b in zip(np.flatnonzero(steps == 1), np.flatnonzero(steps == -1))]

    def grey(self, x, y):
        return self.im.getpixel((round(x * self.f), round(y * self.f)))


def pdf_page(run, body):
    (run.path / "kalvor.pdf").unlink(missing_ok=True)
    run("k.metafl('PDF'); k.scrmod('REVERS'); k.kalini(); k.frame(0)\n" + textwrap.dedent(body) +
        "\nk.errmod('PROT', 'OFF'); k.kalfin()\n")
    return Page(render(run.path / "kalvor.pdf", 300))


def test_line_stops_exactly_at_rectangle_sides_and_shlvis_switches(run):
    run("""
        k.metafl('SVG'); k.kalini(); k.frame(0)
        k.shlrec(1000, 900, 400, 300)
        k.line(200, 1000, 2700, 1000)
        k.shlvis(1, 'OFF'); k.line(200, 1050, 2700, 1050)
        k.shlvis(1, 'ON');  k.line(200, 1100, 2700, 1100)
        k.shlvis(0, 'OFF'); k.line(200, 1150, 2700, 1150)
        k.shlvis(0, 'ON');  k.line(200, 1180, 2700, 1180)
        k.line(800, 900, 1600, 900); k.line(800, 904, 1600, 904)   # along the top side, just inside
        k.errmod('PROT', 'OFF'); k.kalfin()
    """)
    rows = list(svg_rows(run.path / "kalvor.svg").values())
    # Rows 900, 904, 1000, 1050, 1100, 1150, 1180: a line along a side is
    # outside the region, the switched-off rows are whole.
    assert [len(r) for r in rows] == [1, 2, 2, 1, 2, 1, 2]
    (a, b), (c, d) = rows[2]
    f = (d - a) / 2500                 # SVG units per plot unit
    # The rectangle spans x 1000 .. 1399: the pieces end exactly on its sides.
    assert b == pytest.approx(a + 800 * f, abs=0.01) and c == pytest.approx(a + 1199 * f, abs=0.01)
    assert rows[4] == rows[6] == rows[2]


def gap(im, y):  # the undrawn stretch between the two pieces of row y
    runs = im.runs(y)
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
    # Circle: the chord 100 from the centre. Ellipse turned 30 degrees
    # counter-clockwise: along the line through its centre the half chord is
    # 1 / sqrt(cos^2/a^2 + sin^2/b^2). Rectangle 400 x 200 turned about its
    # corner (1800, 1000): its sides run along (cos t, -sin t) and (sin t,
    # cos t) on the page. Pie from 0 to 90 degrees: the quarter above and
    # right of its centre. Triangle: at y 1800 its sides are at x 400 and 800.
    c = math.sqrt(200 ** 2 - 100 ** 2)
    t = math.radians(30)
    h = 1 / math.sqrt(math.cos(t) ** 2 / 300 ** 2 + math.sin(t) ** 2 / 100 ** 2)

    def inside_rotated(x, y):
        dx, dy = x - 1800, y - 1000
        u, v = dx * math.cos(t) - dy * math.sin(t), dx * math.sin(t) + dy * math.cos(t)
        return 0 < u < 399 and 0 < v < 199
    inside = [x for x in range(1400, 2601) if inside_rotated(x, 1100)]
    gaps = {500: (500 - c, 500 + c), 400: (1700 - h, 1700 + h), 1100: (inside[0], inside[-1]),
            1400: (600, 600 + math.sqrt(300 ** 2 - 100 ** 2)), 1800: (400, 800)}
    for y, want in gaps.items():
        assert gap(im, y) == pytest.approx(want, abs=2), y
    [whole] = im.runs(1600)                  # below the pie
    assert whole == pytest.approx((100, 1100), abs=2)


def svg_rows(path):
    # The horizontal pieces (x1, x2) of an SVG file by their height, each row sorted.
    rows = {}
    for e in ET.parse(path).getroot().iter("{http://www.w3.org/2000/svg}line"):
        if e.get("y1") == e.get("y2"):
            rows.setdefault(float(e.get("y1")), []).append((float(e.get("x1")), float(e.get("x2"))))
    return {y: sorted(p) for y, p in sorted(rows.items())}


def warnings_of(out):
    return [line.strip() for line in out.splitlines() if "Warning" in line]


def numbers_of(out):
    return [int(line) for line in out.split() if line.isdigit()]


def test_buffer_overflow_and_intersection_limit(run):
    out = run("""
        k.metafl('SVG'); k.kalini(); k.frame(0)
        for i in range(201):                 # 200 circles of 5 words fill the 1000 words
            k.shlcir(100 + 10 * i, 500 if i < 200 else 1500, 3)
        print(k.shlind())
        k.line(0, 500, 2900, 500)            # 400 crossings: only the first 300 count
        k.line(2000, 1500, 2200, 1500)       # crosses where the refused one would be
        k.shldel(1)
        k.shlrec(10, 10, 5, 5)               # 6 words: too many still
        k.shlcir(10, 10, 5)                  # 5 words fit again
        print(k.shlind())
        k.errmod('PROT', 'OFF'); k.kalfin()
    """)
    assert numbers_of(out) == [200, 200]
    assert warnings_of(out) == ["<<<< Warning  47: Blanking buffer overflow in shlcir!",
                                "<<<< Warning  26: Too many intersections in line!",
                                "<<<< Warning  47: Blanking buffer overflow in shlrec!"]
    crossing, refused = svg_rows(run.path / "kalvor.svg").values()
    assert len(crossing) == 151 and len(refused) == 1    # cut by the first 150 circles


def test_identifiers_deletion_and_automatic_regions(run):
    out = run("""
        k.metafl('VIRT'); k.kalini()
        for i in range(3): k.shlrec(100 * i, 0, 10, 10)        # 1 2 3
        k.shldel(2); k.shlcir(500, 500, 10)                    # 4: after a deletion the count goes on
        k.shldel(4); print(k.shlind())                         # 1 3
        k.shldel(1); k.shldel(3); print(k.shlind())            # empty
        k.shlcir(500, 500, 10); k.shldel(1); print(k.shlind())  # identifiers start again at 1
        k.shield('MESS', 'ON'); k.messag('boxed', 100, 100)     # automatic region
        k.shlrec(0, 0, 10, 10); k.shlrec(0, 0, 10, 10); k.shlrec(0, 0, 10, 10)
        k.shlres(2); print(k.shlind())                         # the message and one rectangle
        k.shldel(0); print(k.shlind())                         # the message's region stays
        k.shield('MESS', 'DELE'); print(k.shlind())
        k.errmod('PROT', 'OFF'); k.kalfin()
    """)
    assert numbers_of(out) == [2, 0, 0, 2, 1, 0]
    assert warnings_of(out) == []


@pytest.mark.parametrize("device", ["PNG", "PDF", "SVG", "PS"])
def test_fill_under_shield_leaves_the_hole(run, device):
    run(f"""
        k.metafl('{device}'); k.scrmod('REVERS'); k.kalini(); k.frame(0)
        k.shlcir(1000, 1000, 200)
        k.recfll(500, 500, 1000, 1000, 0x01000000)        # direct black
        k.shdpat(16); k.areaf([1700, 2500, 2100], [400, 400, 1400], 3)
        k.shlvis(0, 'OFF'); k.recfll(2200, 1600, 400, 400, 0x01000000)
        k.errmod('PROT', 'OFF'); k.kalfin()
    """)
    im = Page(render(run.path / f"kalvor.{device.lower()}", 150, turned=True))
    assert im.grey(1000, 1000) > 200 and im.grey(1000, 1150) > 200      # the hole
    assert im.grey(1000, 1250) < 60 and im.grey(600, 600) < 60          # the fill around it
    assert im.grey(2100, 700) < 200                                     # the hatched triangle
    assert im.grey(2400, 1800) < 60                                     # inactive: a whole fill


def test_automatic_message_regions_turn_with_the_text(run):
    run("""
        k.metafl('PDF'); k.scrmod('REVERS'); k.kalini(); k.frame(0)
        k.height(60); k.shield('MESS', 'ON')
        k.messag('SHIELDED', 500, 500); n = k.nlmess('SHIELDED')
        k.line(300, 530, 1200 + n, 530)
        k.angle(90); k.messag('SHIELDED', 2000, 1500)
        k.line(2030, 200, 2030, 1800)
        k.errmod('PROT', 'OFF'); k.kalfin()
    """)
    im = Page(render(run.path / "kalvor.pdf", 300))
    runs = im.runs(530)
    # The box has a fifth of the height (12) of room on every side.
    assert abs(runs[0][0] - 300) <= 3 and abs(runs[0][1] - 488) <= 3    # stops short of the text
    # The upright text spans x 2000 .. 2060: the vertical line has a gap
    # from the text's start upwards.
    column = [im.grey(2030, y) < 128 for y in range(200, 1800)]
    assert column[0] and column[-1] and not all(column)
    gap = [y for y, dark in zip(range(200, 1800), column) if not dark]
    assert abs(gap[-1] - 1512) <= 4


def test_program_regions_are_outlined_with_the_frame_thickness(run):
    # Up to three units, one ring a unit outside (inside for -t); beyond, the
    # rings 1..t outside (0..t-1 inside for -t) are one filled band from the
    # outer edge of the outermost line to the inner edge of the innermost
    # (lines are one unit wide).
    run("""
        k.metafl('SVG'); k.setfil('rings.svg'); k.kalini()   # frame 1 by default: one ring outside
        k.shlrec(1000, 500, 400, 200)
        k.frame(3); k.shlrec(2000, 500, 100, 100)   # three rings, 1 to 3 units outside
        k.frame(0); k.shlrec(100, 1500, 100, 100)   # none
        k.frame(-2); k.shlrec(100, 1800, 100, 100)  # two rings inwards
        k.errmod('PROT', 'OFF'); k.kalfin()
        for name, draw in (('rect', lambda: (k.frame(40), k.shlrec(1000, 500, 400, 200))),
                           ('circle', lambda: (k.frame(-40), k.shlcir(1500, 1000, 200)))):
            k.setfil(name + '.svg'); k.kalini(); draw(); k.errmod('PROT', 'OFF'); k.kalfin()
    """)

    def shapes(name, kind):
        root = ET.parse(run.path / f"{name}.svg").getroot()
        return [[float(v) for v in e.get("points").replace(",", " ").split()]
                for e in root.iter("{http://www.w3.org/2000/svg}" + kind)]

    scale = 852 / 2970                                       # (width - 1) / page width
    rings = shapes("rings", "polyline")
    lefts = [r[0] / scale for r in rings]
    assert len(rings) == 1 + 3 + 0 + 2 and all(len(r) == 10 for r in rings)
    # Rings one plot unit apart, outwards and (-2) inwards.
    assert [lefts[1] - lefts[2], lefts[2] - lefts[3], lefts[5] - lefts[4]] == pytest.approx([1, 1, 1], abs=0.05)
    assert lefts[4] == pytest.approx(100, abs=0.5)
    ring = rings[0][::2]
    band, = (b[::2] for b in shapes("rect", "polygon"))
    assert len(band) == 10                                      # outer, seam, inner backwards
    assert (ring[0] - band[0]) / scale == pytest.approx(39.5, abs=0.05)
    assert (band[5] - ring[0]) / scale == pytest.approx(0.5, abs=0.05)
    disc, = shapes("circle", "polygon")
    xs, ys = disc[::2], disc[1::2]
    cx, cy = (max(xs) + min(xs)) / 2, (max(ys) + min(ys)) / 2
    radii = sorted(math.hypot(x - cx, y - cy) / scale for x, y in zip(xs, ys))
    assert radii[-1] == pytest.approx(200.5, abs=0.1) and radii[0] == pytest.approx(160.5, abs=0.1)
    assert not [r for r in radii if 161 < r < 200]                  # each vertex on one of the two


def test_symbols_shield_a_square_of_their_size_when_switched_on(run):
    run("""
        k.metafl('PNG'); k.scrmod('REVERS'); k.setfil('s.png'); k.kalini(); k.frame(0)
        k.hsymbl(400)
        k.shield('SYMB', 'ON'); k.symbol(3, 1000, 1000); k.line(500, 1000, 1500, 1000)
        k.shield('SYMB', 'OFF'); k.symbol(3, 2000, 1000); k.line(1500, 1000, 2500, 1000)
        k.errmod('PROT', 'OFF'); k.kalfin()
    """)
    im = Image.open(run.path / "s.png").convert("L")
    scale = im.size[0] / 2970
    dark = lambda x: any(im.getpixel((round(x * scale), round(1000 * scale) + d)) < 128 for d in (-1, 0, 1))
    assert dark(700) and dark(1300)                 # outside the square of 1.2 x 400 units
    assert not dark(775) and not dark(1225)         # inside it, outside the symbol
    assert dark(1775) and dark(2225)                # no new square after OFF


@pytest.mark.parametrize("device", ["PNG", "PDF", "SVG"])
def test_transformed_polygon_covers_the_same_pixels_natively_and_through_the_filler(run, device):
    # Under trfrot and trfscl a solid polygon lands in the same place whether
    # the device fills it natively or the pattern filler draws it (an active
    # shield elsewhere on the page forces the filler).
    masks = []
    for shield in ("", "k.shlrec(20, 20, 40, 40)"):
        run(f"""
            k.metafl('{device}'); k.filmod('DELE'); k.scrmod('REVERS'); k.kalini(); k.frame(0)
            k.trfrot(25.0, 1400, 1000); k.trfscl(1.3, 0.7)
            {shield}
            k.shdpat(16); k.areaf([900, 1900, 1700, 1000], [600, 500, 1400, 1300], 4)
            k.errmod('PROT', 'OFF'); k.kalfin()
        """)
        masks.append(np.asarray(render(run.path / f"kalvor.{device.lower()}", 100 if device == "PDF" else 96)
                                .convert("L")) < 128)
    native, filler = masks

    def grow(m):
        p = np.pad(m, 1)
        return m | p[:-2, 1:-1] | p[2:, 1:-1] | p[1:-1, :-2] | p[1:-1, 2:]

    edge = grow(native) & grow(~native)              # pixels within one pixel of the edge
    assert native.sum() > 0.05 * native.size          # a sizeable polygon
    assert not ((native ^ filler) & ~edge).any()
    for row in filler:                                # convex and solid: one run per row
        dark = np.flatnonzero(row)
        assert len(dark) == 0 or dark[-1] - dark[0] + 1 == len(dark)
