"""Curves, error bars, splines and legends, judged from SVG files read by
ElementTree and PNG files read by Pillow."""
import xml.etree.ElementTree as ET

import pytest
from PIL import Image

S = 0.2868            # SVG and PNG pixels per plot unit of the default page
NS = "{http://www.w3.org/2000/svg}"

# An axis system of 1001 x 1001 plot units whose user units are plot units:
# plot x = x, plot y = 1000 - y.
UNIT_AXES = "k.nograf(); k.axspos(0, 1000); k.axslen(1001, 1001); k.graf(0, 1000, 0, 100, 0, 1000, 0, 100)\n"


def svg_paths(path):
    """Every drawn line and polyline as (stroke colour, [(x, y), ...]) in plot units."""
    out = []
    for g in ET.parse(path).getroot().iter(NS + "g"):
        for e in g:
            if e.tag == NS + "line":
                pts = [(float(e.get("x1")), float(e.get("y1"))), (float(e.get("x2")), float(e.get("y2")))]
            elif e.tag == NS + "polyline":
                nums = [float(v) for v in e.get("points").replace(",", " ").split()]
                pts = list(zip(nums[0::2], nums[1::2]))
            else:
                continue
            out.append((g.get("stroke"), [(round(x / S, 1), round(y / S, 1)) for x, y in pts]))
    return out


def curve_svg(run, body):
    run("k.metafl('SVG'); k.filmod('DELE'); k.setfil('c.svg'); k.kalini(); k.errmod('PROT', 'OFF')\n" + UNIT_AXES + body
        + "\nk.endgrf(); k.kalfin()")
    return [p for _, p in svg_paths(run.path / "c.svg")]


def warnings(out):
    return [line.strip() for line in out.splitlines() if "<<<<" in line]


def test_rejected_curves_draw_nothing_and_one_point_draws_one_symbol(run):
    out = run("""
        k.metafl('SVG'); k.filmod('DELE'); k.setfil('c.svg'); k.kalini(); k.errmod('PROT', 'OFF')
        k.nograf(); k.scale('LOG', 'X'); k.graf(0, 3, 0, 1, 0, 10, 0, 1)
        k.curve([1.0, 0.0], [1.0, 2.0], 2)
        k.curve([1.0], [1.0], 1)
        k.endgrf(); k.nograf(); k.polar(1, 0, 0.5, 0, 90); k.polcrv('STEP')
        k.curve([0.5, 1.0], [0.0, 1.0], 2)
        k.polcrv('LINE'); k.endgrf()
        k.spline([1, 2], [1, 2], 2, [0.0] * 200, [0.0] * 200)
        k.spline([1, 3, 2, 4], [1, 2, 3, 4], 4, [0.0] * 200, [0.0] * 200)
        k.legend(' ', 1)
        k.endgrf(); k.kalfin()
    """)
    assert warnings(out) == [
        "<<<< Warning  27: Non positive values for log scaling in curve!",
        "<<<< Warning   2: Incorrect parameter in curve!   (   1)",
        "<<<< Warning 101: Bad interpolation method for polar scaling in curve!",
        "<<<< Warning  31: Incorrect number of points for spline interpolation in spline!",
        "<<<< Warning  32: No increasing x coordinates for spline interpolation in spline!",
        "<<<< Warning   3: Incorrect level in legend!   (   1)",
    ]
    assert svg_paths(run.path / "c.svg") == []
    # A negative marker step draws the symbol alone, centred on the point.
    paths = curve_svg(run, "k.incmrk(-1); k.curve([300], [400], 1)")
    assert len(paths) == 1
    xs, ys = zip(*paths[0])
    assert (min(xs) + max(xs)) / 2 == pytest.approx(300, abs=0.1)
    assert (min(ys) + max(ys)) / 2 == pytest.approx(600, abs=0.1)


X3, Y3 = "[100, 300, 400]", "[100, 200, 150]"


@pytest.mark.parametrize("mode, expected", [
    ("LINE", [[(100, 900), (300, 800), (400, 850)]]),
    # Each point the centre of its step: halves of 100 and 50.
    ("STEP", [[(0, 900), (100, 900), (200, 900), (200, 800), (300, 800), (350, 800), (350, 850),
               (400, 850), (450, 850)]]),
    ("STAI", [[(100, 900), (300, 900), (300, 800), (400, 800), (400, 850)]]),
    ("STEM", [[(100, 1000), (100, 900)], [(300, 1000), (300, 800)], [(400, 1000), (400, 850)]]),
    # Width 0.75 of the first spacing (200): half-width 75.
    ("BARS", [[(25, 1000), (175, 1000), (175, 900), (25, 900), (25, 1000)],
              [(225, 1000), (375, 1000), (375, 800), (225, 800), (225, 1000)],
              [(325, 1000), (475, 1000), (475, 850), (325, 850), (325, 1000)]]),
])
def test_interpolation_mode_vertices(run, mode, expected):
    assert curve_svg(run, f"k.polcrv('{mode}'); k.curve({X3}, {Y3}, 3)") == expected


def test_gaps_dash_phase_and_thickness_copies(run):
    # x grows by 200, then by 100: only the second step is drawn.
    assert curve_svg(run, f"k.gapcrv(150); k.curve({X3}, {Y3}, 3)") == [[(300, 800), (400, 850)]]
    # Dashes of 30 with gaps of 20: the first dash turns the corner after
    # 20 units, the second starts 20 further on.
    assert curve_svg(run, "k.myline([30, 20], 2); k.curve([100, 120, 120], [100, 100, 140], 3)") == [
        [(100, 900), (120, 900), (120, 890)], [(120, 870), (120, 860)]]
    # Three copies at offsets 0, +1 and -1 across the line.
    paths = curve_svg(run, "k.thkcrv(3); k.curve([100, 300], [500, 500], 2)")
    assert [p[0][1] for p in paths] == [500, 499, 501]
    assert all(p[0][0] == 100 and p[-1][0] == 300 for p in paths)


def test_chncrv_cycles_colours_and_styles_then_restores(run):
    run("""
        k.metafl('SVG'); k.filmod('DELE'); k.setfil('c.svg'); k.kalini(); k.errmod('PROT', 'OFF')
        k.clrcyc(1, k.intrgb(1, 0, 0)); k.clrcyc(2, k.intrgb(0, 1, 0)); k.clrcyc(3, k.intrgb(0, 0, 1))
        """ + UNIT_AXES + """
        k.chncrv('BOTH')
        for y in (100, 200, 300):
            k.curve([100, 600], [y, y], 2)
        k.chncrv('NONE'); k.curve([100, 600], [400, 400], 2)
        k.endgrf(); k.kalfin()
    """)
    paths = svg_paths(run.path / "c.svg")
    by_row = {}
    for colour, pts in paths:
        by_row.setdefault(pts[0][1], []).append((colour, pts))
    colours = [by_row[y][0][0] for y in (900, 800, 700, 600)]
    assert colours == ["#ff0000", "#00ff00", "#0000ff", "#000000"]
    # Styles: solid, then dashes of 10 (dash), then dots of 1 every 11 (dot).
    assert len(by_row[900]) == 1 and by_row[900][0][1] == [(100, 900), (600, 900)]
    assert by_row[800][0][1] == [(100, 800), (110, 800)]
    assert by_row[700][0][1] == [(100, 700), (101, 700)] and by_row[700][1][1][0] == (111, 700)
    assert len(by_row[600]) == 1


def test_spline_interpolates_and_reproduces_cubics(run):
    out = run("""
        k.kalini(); k.errmod('PROT', 'OFF'); k.splmod(3, 9)
        xs, ys = [0.0] * 200, [0.0] * 200
        f = lambda x: x ** 3 - 4 * x * x + x
        data = [0, 1, 2, 3, 4]
        n = k.spline(data, [f(x) for x in data], 5, xs, ys)
        print(n, max(abs(ys[i] - f(xs[i])) for i in range(n)), xs[:n:2])
        zig = [0, 1, 0, 1, 0]
        n = k.spline(data, zig, 5, xs, ys)
        print([round(ys[i], 5) for i in range(0, n, 2)])
        k.splmod(3, 1000); print(k.spline(data, zig, 5, xs, ys))
        k.kalfin()
    """).splitlines()
    n, err, knots = out[0].split(" ", 2)
    assert n == "9" and float(err) < 1e-4 and knots == "[0.0, 1.0, 2.0, 3.0, 4.0]"
    assert out[1] == "[0.0, 1.0, 0.0, 1.0, 0.0]"
    assert out[2] == "200"   # the binding's lists hold 200 points


def test_errbar_spans_the_errors(run):
    paths = curve_svg(run, "k.errbar([200], [500], [100], [50], 1)")
    assert [(200, 600), (200, 450)] in paths


# ---- legends ----

def legend_svg(run, body):
    out = run("k.metafl('SVG'); k.filmod('DELE'); k.setfil('c.svg'); k.kalini(); k.errmod('PROT', 'OFF')\n"
              "k.clrcyc(1, k.intrgb(1, 0, 0)); k.clrcyc(2, k.intrgb(0, 1, 0)); k.clrcyc(3, k.intrgb(0, 0, 1))\n"
              + UNIT_AXES + "k.chncrv('COLO')\n" + body + "\nk.endgrf(); k.kalfin()")
    h = 36
    samples = [(c, p) for c, p in svg_paths(run.path / "c.svg")
               if len(p) == 2 and p[0][1] == p[1][1] and round(p[1][0] - p[0][0]) == 4 * h]
    return out, [c for c, _ in samples]


def test_legend_lines_against_curves(run):
    curves = "for y in (100, 200, 300): k.curve([100, 600], [y, y], 2)\n"
    out, colours = legend_svg(run, curves + "k.legini(' ', 2, 10); k.leglin(' ', 'a', 1); k.leglin(' ', 'b', 2); k.legend(' ', 1)")
    assert warnings(out) == [] and colours == ["#ff0000", "#00ff00"]
    # Three lines after two curves: all three drawn (the empty third line
    # too), warning 42 with the difference.
    out, colours = legend_svg(run, "k.curve([1, 2], [1, 2], 2); k.curve([1, 2], [2, 3], 2)\n"
                                   "k.legini(' ', 3, 10); k.leglin(' ', 'a', 1); k.leglin(' ', 'b', 2); k.legend(' ', 1)")
    assert warnings(out) == ["<<<< Warning  42: More legend lines than calls to curve in legend!   (   1)"]
    assert colours == ["#ff0000", "#00ff00", "#000000"]
    out, _ = legend_svg(run, "k.leglin(' ', 'a', 1); k.legini(' ', 2, 3); k.leglin(' ', 'abcd', 1)\n"
                             "k.legpat(2, 1, -1, -1, -1, 1); k.legend(' ', 1)")
    assert warnings(out) == [
        "<<<< Warning  15: No call to legini before in leglin!",
        "<<<< Warning  16: Too long string for legend line in leglin!   (abcd)",
        "<<<< Warning 105: Undefined legend line 2 in legend!",
    ]


def lit_box(im, background):
    """Bounding box of the pixels that differ from the background colour."""
    mask = Image.eval(im.convert("L"), lambda v: 255 if abs(v - background) > 60 else 0)
    return mask.getbbox()


CORNER_SCRIPT = """
k.metafl('{fmt}'); k.setfil('legend.{ext}'); k.kalini(); k.errmod('PROT', 'OFF')
k.nograf(); k.frame(0); k.axspos(600, 1500); k.axslen(1200, 900); k.graf(0, 1, 0, 1, 0, 1, 0, 1)
k.frame(1); k.curve([0.2, 0.8], [0.5, 0.5], 2)
k.legini(' ', 2, 12); k.leglin(' ', 'first', 1); k.leglin(' ', 'second line', 2)
print(k.nxlegn(' '), k.nylegn(' '))
k.legend(' ', {corner})
k.endgrf(); k.kalfin()
"""


def expected_box(corner, w, h):
    d, pw, ph = 18, 2969, 2099
    left, right, bottom, top = 600, 1799, 1500, 601
    x, y = {1: (d, ph - d - h), 2: (pw - d - w, ph - d - h), 3: (pw - d - w, d), 4: (d, d),
            5: (left + d, bottom - d - h), 6: (right - d - w, bottom - d - h),
            7: (right - d - w, top + d), 8: (left + d, top + d)}[corner]
    return x, y, x + w, y + h


@pytest.mark.parametrize("corner", range(1, 9))
def test_legend_box_sits_in_its_corner_png(run, corner):
    out = run(CORNER_SCRIPT.format(fmt="PNG", ext="png", corner=corner))
    w, h = map(int, out.split()[:2])
    im = Image.open(run.path / "legend.png")
    # Only the neighbourhood of the expected box counts: the curve lies elsewhere.
    x1, y1, x2, y2 = expected_box(corner, w, h)
    ox, oy = max(0, int(x1 * S) - 8), max(0, int(y1 * S) - 8)
    box = lit_box(im.crop((ox, oy, int(x2 * S) + 9, int(y2 * S) + 9)), 0)
    box = (box[0] + ox, box[1] + oy, box[2] + ox, box[3] + oy)
    expect = [v * S for v in expected_box(corner, w, h)]
    assert box == pytest.approx((expect[0], expect[1], expect[2] + 1, expect[3] + 1), abs=2)


def test_legend_wider_than_the_int_range_keeps_its_frame(run):
    # A fixed spacing of 1e38 makes the legend as wide as the int range: its
    # frame still starts at the corner and runs off the right of the page.
    run(CORNER_SCRIPT.replace("k.legend(' ', {corner})", "k.fixspc(1e38); k.legpos(300, 300); k.legend(' ', 1)")
        .format(fmt="PNG", ext="png"))
    im = Image.open(run.path / "legend.png").convert("L")
    top = round(300 * S)
    lit = [x for x in range(im.size[0]) if max(im.getpixel((x, y)) for y in (top - 1, top, top + 1)) > 128]
    assert lit[0] == pytest.approx(300 * S, abs=2) and lit[-1] == im.size[0] - 1
