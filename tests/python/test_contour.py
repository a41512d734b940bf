# Contour lines, labels, shaded contours and triangulations, judged from
# point arrays, SVG paths, PNG pixels and scipy's Delaunay triangulation.
import itertools
import subprocess
import textwrap
import xml.etree.ElementTree as ET

import numpy as np
import pytest
from PIL import Image

from test_curves import NS, S, UNIT_AXES, svg_paths, warnings

import kalvor as k


def crossing(h, l, level):
    (xh, yh, zh), (xl, yl, zl) = h, l
    t = 0.0 if not np.isfinite(zl) else (0.0 if abs(zh - zl) < 1e-35 else (zh - level) / (zh - zl))
    return xh + (xl - xh) * t, yh + (yl - yh) * t


def brute_force(x, y, z, level):
    # Every crossing of the level with a grid edge or a corner-centre spoke.
    n, m, found = len(x), len(y), []
    up = lambda v: np.isfinite(v) and v > level
    pt = lambda i, j: (float(x[i]), float(y[j]), float(z[i, j]))

    def edge(a, b):
        if up(a[2]) != up(b[2]):
            found.append(crossing(*((a, b) if up(a[2]) else (b, a)), level))

    for i in range(n):
        for j in range(m):
            if i + 1 < n:
                edge(pt(i, j), pt(i + 1, j))
            if j + 1 < m:
                edge(pt(i, j), pt(i, j + 1))
            if i + 1 < n and j + 1 < m:
                c = ((float(x[i]) + float(x[i + 1])) / 2, (float(y[j]) + float(y[j + 1])) / 2,
                     (float(z[i, j]) + float(z[i + 1, j]) + float(z[i, j + 1]) + float(z[i + 1, j + 1])) / 4)
                for a in (pt(i, j), pt(i + 1, j), pt(i, j + 1), pt(i + 1, j + 1)):
                    edge(a, c)
    return sorted(found)


def lines_of(x, y, z, level, maxpts=10000, maxray=1000):
    xs, ys, npts = [0.0] * maxpts, [0.0] * maxpts, [0] * maxray
    ends = [0, *itertools.accumulate(npts[:k.conpts(x, len(x), y, len(y), z, level, xs, ys, maxpts, npts, maxray)])]
    return [list(zip(xs[a:b], ys[a:b])) for a, b in itertools.pairwise(ends)]


@pytest.mark.parametrize("seed", [1, 2, 3])
def test_conpts_gives_each_crossing_once(seed):
    rng = np.random.default_rng(seed)
    x, y = np.sort(rng.random(9)).astype(np.float32), np.sort(rng.random(7)).astype(np.float32)
    z = rng.random((9, 7)).astype(np.float32)
    if seed == 3:
        z[4, 3] = np.nan   # no number: below every level
    for level in (0.3, 0.5, 0.7):
        traced = []
        for line in lines_of(x, y, z, level):
            closed = len(line) > 2 and line[0] == line[-1]
            traced += line[:-1] if closed else line
        expected = brute_force(x, y, z.astype(np.float64), level)
        assert len(traced) == len(expected)
        assert np.allclose(sorted(traced), np.float32(expected), atol=1e-6)


def test_tracer_edge_cases(run):
    one = [0.0, 1.0]
    assert lines_of(one, one, [[0.5, 0.5], [0.5, 0.5]], 0.5) == []   # all on the level: below
    # A saddle: the centre's mean decides whether the above corners (0, 0)
    # and (1, 1) are joined; if not, a line cuts off the corner (0, 0).
    for z11, joined in ((0.9, False), (1.4, True)):
        ends = [{line[0], line[-1]} for line in lines_of(one, one, [[1.0, 0.0], [0.0, z11]], 0.5)]
        assert len(ends) == 2 and ({(0.5, 0.0), (0.0, 0.5)} in ends) != joined
    # A closed line inside the grid is traced once and closes.
    g = [0.0, 1.0, 2.0]
    (ring,) = lines_of(g, g, [[0, 0, 0], [0, 1, 0], [0, 0, 0]], 0.5)
    assert ring[0] == ring[-1] and len(ring) == 9
    out = run("""
        x = [0, 1, 2, 3, 4]; z = [[0, 0, 0], [0, 1, 0], [0, 0, 0], [0, 1, 0], [0, 0, 0]]
        xs, ys, n = [0.0] * 100, [0.0] * 100, [0] * 1
        print(k.conpts(x, 5, [0, 1, 2], 3, z, 0.5, xs, ys, 100, n, 1), n)
        xs, n = [0.0] * 3, [0] * 5
        print(k.conpts(x, 5, [0, 1, 2], 3, z, 0.5, xs, list(xs), 3, n, 5), n)
    """)
    assert out.splitlines() == [
        " <<<< Warning 101: Overflow - Too many contour lines in conpts!", "1 [18]",
        " <<<< Warning 101: Overflow - Too many contour points in conpts!", "2 [3, 0, 0, 0, 0]"]


@pytest.mark.parametrize("sign", [1, -1])
def test_labels_sit_in_gaps_of_every_thick_pass(run, sign):
    # z = sign (y - 500): a line at y = 500 traced right to left (sign 1) or
    # left to right; its labels read from left to right either way.
    out = run("k.metafl('SVG'); k.filmod('DELE'); k.setfil('c.svg'); k.kalini(); k.errmod('PROT', 'OFF')\n"
              "k.hwfont()\n" + UNIT_AXES +
              "k.labels('FLOA', 'CON'); k.labdis(300, 'CON'); k.height(30); k.thkcrv(3)\n"
              f"k.contur([i * 100.0 for i in range(11)], 11, [0, 1000], 2, [[{-500 * sign}, {500 * sign}]] * 11, 0)\n"
              "print(k.nlmess('0.0')); k.endgrf(); k.kalfin()")
    width = float(out) + 30   # the text and half a character height on each side
    passes = {}
    for _, points in svg_paths(run.path / "c.svg"):
        passes.setdefault(points[0][1], []).append(sorted(px for px, _ in points))
    assert len(passes) == 3
    (gaps,) = {tuple((a[-1], b[0]) for a, b in itertools.pairwise(sorted(runs))) for runs in passes.values()}
    root = ET.parse(run.path / "c.svg").getroot()
    chars = [(float(t.get("x")) / S, t.text, t.get("transform")) for t in root.iter(NS + "text")]
    starts = sorted(x for (x, c, turn), nxt in zip(chars, chars[1:]) if nxt[1] == "." and turn is None)
    assert len(gaps) == len(starts) >= 2
    for (a, b), start in zip(gaps, starts):
        assert b - a == pytest.approx(width, abs=0.3)
        assert start == pytest.approx(a + 15, abs=0.3)


def test_triang_equals_scipy_delaunay():
    spatial = pytest.importorskip("scipy.spatial")
    rng = np.random.default_rng(7)
    # A flat convex lower hull (no four points on one circle) under scattered points.
    u = np.sort(rng.random(40))
    thin = np.concatenate([np.c_[u, -0.002 * (u - u ** 3)], rng.random((20, 2)) * [1, 0.3] + [0, 0.01]])
    for pts in (rng.random((2000, 2)), thin, rng.permutation(thin)):
        pts = pts.astype(np.float32)
        n = len(pts)
        x, y = list(map(float, pts[:, 0])) + [0.0] * 3, list(map(float, pts[:, 1])) + [0.0] * 3
        i1, i2, i3 = [0] * (2 * n + 1), [0] * (2 * n + 1), [0] * (2 * n + 1)
        nt = k.triang(x, y, n, i1, i2, i3, 2 * n + 1)
        ours = {frozenset(t) for t in zip(i1[:nt], i2[:nt], i3[:nt])}
        theirs = {frozenset(int(v) + 1 for v in s) for s in spatial.Delaunay(pts.astype(np.float64)).simplices}
        assert ours == theirs


def test_triang_bad_input(run):
    out = run("""
        z = [0] * 20
        print(k.triang([0, 1, 2, 0, 0, 0], [0, 1, 2, 0, 0, 0], 3, z, z, z, 7))
        print(k.triang([0, 1, 0, 0, 0, 0], [0, 0, 1, 0, 0, 0], 3, z, z, z, 6))
        x, y = [0, 1, 0, 1, 0, 0, 0, 0, 0], [0, 0, 1, 0, 0, 0, 0, 0, 0]
        i1, i2, i3 = [0] * 13, [0] * 13, [0] * 13
        n = k.triang(x, y, 6, i1, i2, i3, 13)
        print(n, sorted(i1[:n] + i2[:n] + i3[:n]), x[:6])
    """)
    assert out.splitlines() == [
        " <<<< Warning 101: Cannot calculate circle - points are collinear in triang!", "0",
        " <<<< Warning   2: Incorrect parameter in triang!   (   6)", "0",
        "1 [1, 2, 3] [0, 1, 0, 1, 0, 0]"]


def test_tripts_of_a_linear_function_lies_on_the_level():
    rng = np.random.default_rng(3)
    x, y = rng.random(300).astype(np.float32), rng.random(300).astype(np.float32)
    i1, i2, i3 = [0] * 601, [0] * 601, [0] * 601
    nt = k.triang(list(x) + [0] * 3, list(y) + [0] * 3, 300, i1, i2, i3, 601)
    z = 2 * x + 3 * y
    xs, ys, npts = [0.0] * 2000, [0.0] * 2000, [0] * 20
    nl = k.tripts(x, y, z, 300, i1, i2, i3, nt, 2.0, xs, ys, 2000, npts, 20)
    assert nl == 1 and npts[0] > 10
    px, py = np.array(xs[:npts[0]]), np.array(ys[:npts[0]])
    assert np.allclose(2 * px + 3 * py, 2.0, atol=1e-5)


def shaded_png(run, body, setup="", device="PNG"):
    # Runs `body` on the unit axes of a white page: the output lines and the image (a PDF through pdftoppm).
    ext = device.lower()
    out = run(f"k.metafl('{device}'); k.scrmod('REVERS'); k.filmod('DELE'); k.setfil('c.{ext}'); k.kalini()\n"
              "k.errmod('PROT', 'OFF')\n" + setup + UNIT_AXES + textwrap.dedent(body) + "\nk.endgrf(); k.kalfin()")
    if device == "PDF":
        subprocess.run(["pdftoppm", "-r", "72", "-png", "-singlefile", "c.pdf", "c"], cwd=run.path, check=True)
    return out.splitlines(), Image.open(run.path / "c.png").convert("RGB")


def at(img, x, y):  # the pixel of plot point (x, y) of the unit axes
    s = S if img.width == 853 else 0.14173229 * 3900 / 2099   # PDF: the printable area at 72 dpi
    return img.getpixel((int(x * s), int((1000 - y) * s)))


def legend_samples(img):
    # The colours of the legend's samples, top to bottom: runs of at least
    # three pixels down the sample column, greys (frame, text, smoothed edges) left out.
    s = img.width / 2970
    column = [img.getpixel((int(1300 * s), v)) for v in range(int(140 * s), int(450 * s))]
    runs = [(c, len(list(g))) for c, g in itertools.groupby(column)]
    return [c for c, n in runs if n >= 3 and len(set(c)) > 1]


Z_IS_X = "x = [0, 1000]; k.conshd(x, 2, x, 2, [[0, 0], [1000, 1000]], LEVELS, 3)\n" \
         "b = ' ' * 12; k.legini(b, 3, 4); k.legpos(1200, 100); k.legend(b, 3)\n"
INDICES = [1, 10, 15, 20, 30, 60, 64, 90, 128, 191, 254, 255]
INDEX_RGB = f"for i in {INDICES}:\n    print(*[round(c * 255) for c in k.getind(i)])\n"


@pytest.mark.parametrize("setup, levels, expected", [
    ("", [250, 500, 750], ["under", 1, 128, 254]),
    ("k.shdmod('MIDD', 'COLO')", [250, 500, 750], ["under", 64, 191, 254]),
    ("k.shdmod('UPPE', 'COLO')", [250, 500, 750], [1, 128, 254, "over"]),
    ("k.shdmod('UPPE', 'CELL')", [250, 500, 750], [None, 1, 128, 254]),
    ("k.shdmod('NONE', 'CELL')", [250, 500, 750], [None, 1, 128, None]),
    ("k.colran(10, 20)", [250, 500, 750], ["under", 10, 15, 20]),
    ("k.zscale(0, 1000)", [250, 500, 750], ["under", 64, 128, 191]),
    # Unsorted levels and user colours: class k takes the colour given at the
    # position of the k-th smallest level.
    ("k.conclr([30, 60, 90], 3)", [750, 250, 500], ["under", 60, 90, 30]),
])
def test_conshd_bands_and_legend_take_the_class_colours(run, setup, levels, expected):
    for device in ("PNG", "PDF"):
        lines, img = shaded_png(run, INDEX_RGB + setup + "\n" + Z_IS_X.replace("LEVELS", str(levels)), device=device)
        rgb = {i: tuple(map(int, line.split())) for i, line in zip(INDICES, lines)}
        for x, e in zip((125, 375, 625, 875), expected):
            if e in ("under", "over"):   # the table's colours beyond the scale
                continue
            assert at(img, x, 500) == (rgb[e] if e is not None else (255, 255, 255)), (device, x, e)
        # One sample per level, in the colour of the class the level colours.
        coloured = expected[:3] if "UPPE', 'COLO" in setup else expected[1:]
        assert legend_samples(img) == [rgb[e] for e in coloured if e is not None], device


def test_no_background_inside_filled_areas(run):
    # CELL on a random 30 x 20 grid and confll on random points whose hull is
    # the square 100..900: every pixel inside is filled (levels below the
    # smallest value, so no class takes the background's colour).
    lines, img = shaded_png(run, """
        import random
        rng = random.Random(5)
        x = sorted(rng.uniform(0, 400) for _ in range(30)); y = sorted(rng.uniform(0, 1000) for _ in range(20))
        x[0], x[-1], y[0], y[-1] = 0, 400, 0, 1000
        z = [[rng.uniform(1, 9) for _ in y] for _ in x]
        levels = [0.5 + i for i in range(9)]
        k.conshd(x, 30, y, 20, z, levels, 9)
        px = [500, 900, 900, 500] + [rng.uniform(500, 900) for _ in range(200)]
        py = [100, 100, 900, 900] + [rng.uniform(100, 900) for _ in range(200)]
        pz = [rng.uniform(1, 9) for _ in px]
        n = len(px); i1, i2, i3 = [0] * (2 * n + 1), [0] * (2 * n + 1), [0] * (2 * n + 1)
        nt = k.triang(px + [0] * 3, py + [0] * 3, n, i1, i2, i3, 2 * n + 1)
        k.confll(px, py, pz, n, i1, i2, i3, nt, levels, 9)
    """)
    inside = [(u, v) for u in range(2, int(400 * S) - 1) for v in range(2, int(1000 * S) - 1)]
    inside += [(u, v) for u in range(int(500 * S) + 2, int(900 * S) - 1)
               for v in range(int(100 * S) + 2, int(900 * S) - 1)]
    assert [p for p in inside if img.getpixel(p) == (255, 255, 255)] == []
    assert at(img, 450, 500) == (255, 255, 255)


def test_poly_fills_closed_lines_in_level_order(run):
    # A cone round (500, 500): POLY fills each level's closed ring in turn.
    lines, img = shaded_png(run, textwrap.dedent("""
        g = [i * 50.0 for i in range(21)]
        z = [[1000 - ((a - 500) ** 2 + (b - 500) ** 2) ** 0.5 for b in g] for a in g]
        k.shdmod('POLY', 'CONT'); k.conclr([30, 60, 90], 3)
        k.conshd(g, 21, g, 21, z, [600, 800, 900], 3)
    """) + INDEX_RGB)
    rgb = [tuple(map(int, line.split())) for line in lines]
    expected = {(500, 500): 90, (500, 650): 60, (500, 750): 30, (500, 950): None, (60, 60): None}
    for (x, y), e in expected.items():
        assert at(img, x, y) == (rgb[INDICES.index(e)] if e else (255, 255, 255)), (x, y)


def test_matrix_forms_give_identical_files(run):
    run("""
        import numpy as np
        x, y = np.linspace(0, 1000, 7), np.linspace(0, 1000, 5)
        z = np.sin(x[:, None] / 200) * np.cos(y[None, :] / 300)
        forms = {"rows": z.tolist(), "flat": z.ravel().tolist(), "c": np.ascontiguousarray(z),
                 "fortran": np.asfortranarray(z), "view": np.ascontiguousarray(z.T).T}
        for name, m in forms.items():
            k.metafl("SVG"); k.filmod("DELE"); k.setfil(name + ".svg"); k.kalini(); k.errmod("PROT", "OFF")
    """ + "        " + UNIT_AXES + """
            k.conshd(x, 7, y, 5, m, [-0.5, 0, 0.5], 3); k.contur(x, 7, y, 5, m, 0.25)
            k.endgrf(); k.kalfin()
    """)
    files = {p.read_bytes() for p in run.path.glob("*.svg")}
    assert len(list(run.path.glob("*.svg"))) == 5 and len(files) == 1


def test_bad_input_warns(run):
    out = run("""
        k.metafl('VIRT'); k.kalini(); k.errmod('PROT', 'OFF')
        k.scale('LOG', 'X'); k.graf(0, 2, 0, 1, 0, 1, 0, 1)
        k.contur([-1, 1], 2, [0, 1], 2, [[0, 1], [0, 1]], 0.5)
        k.contur([1, float('nan')], 2, [0, 1], 2, [[0, 1], [0, 1]], 0.5)
        k.confll([1, 10, 1], [0, 0, 1], [0, 1, 2], 3, [1], [2], [3], 1, [0.5], 0)
        k.conmat([1, 2], 1, 2, 0.5); k.conmod(1, 1); k.congap(-1); k.labdig(101, 'CON'); k.labclr(-2, 'CON')
        k.conshd([1, 10], 2, [0, 1], 2, [[0, 1], [0, 1]], [0.2, 0.5], 2); k.conclr([1], 1)
        k.conshd([1, 10], 2, [0, 1], 2, [[0, 1], [0, 1]], [0.2, 0.5], 2); k.shdmod('CELL', 'XYZ')
        k.endgrf(); k.kalfin()
    """)
    assert warnings(out) == [
        "<<<< Warning  27: Non positive values for log scaling in contur!",
        "<<<< Warning   2: Incorrect parameter in contur!   (value not finite)",
        "<<<< Warning   2: Incorrect parameter in confll!   (   0)",
        "<<<< Warning   2: Incorrect parameter in conmat!   (   1)",
        "<<<< Warning   2: Incorrect parameter in conmod!",
        "<<<< Warning   2: Incorrect parameter in congap!",
        "<<<< Warning   2: Incorrect parameter in labdig!   ( 101)",
        "<<<< Warning   2: Incorrect parameter in labclr!   (  -2)",
        "<<<< Warning 101: More contour levels as defined colours in conshd!",
        "<<<< Warning   2: Incorrect parameter in shdmod!   (XYZ)"]
    with pytest.raises(ValueError):
        k.contur([0, 1], 2, [0, 1], 2, [[0, "a"], [0, 1]], 0.5)


def test_conmat_spreads_its_grid_over_the_axes_or_the_sursze_area(run):
    run("""
        z = [[(i - 2) * (j - 1) for j in range(3)] for i in range(5)]
        for name, area in (("a", ""), ("b", "k.sursze(100, 900, 0, 500)")):
            x, y = ([0, 250, 500, 750, 1000], [0, 500, 1000]) if not area else ([100, 300, 500, 700, 900], [0, 250, 500])
            for file, draw in ((name, lambda: (exec(area), k.conmat(z, 5, 3, 0.5))), (name + "_ref", lambda: k.contur(x, 5, y, 3, z, 0.5))):
                k.metafl("SVG"); k.filmod("DELE"); k.setfil(file + ".svg"); k.kalini(); k.errmod("PROT", "OFF")
                k.graf(0, 1000, 0, 100, 0, 1000, 0, 100); draw(); k.endgrf(); k.kalfin()
    """)
    for name in "ab":
        drawn = (run.path / f"{name}.svg").read_text().split("-->", 1)[1]
        assert drawn == (run.path / f"{name}_ref.svg").read_text().split("-->", 1)[1]
