"""3-D axis systems against a numpy look-at/perspective reference (box
corners, view rules, log axes, conversions), their warnings, what they draw
(PNG by Pillow, PDF by pdftoppm, SVG coordinates) and the colour axis
system graf3 with its colour bar."""
import re
import shutil
import subprocess
import textwrap
import xml.etree.ElementTree as ET

import numpy as np
import pytest
from PIL import Image

needs_poppler = pytest.mark.skipif(shutil.which("pdftoppm") is None, reason="poppler not installed")

# axspos(500, 1800), axslen(1600, 1200): centre (1300, 1200), scale 600.
PLACE = "k.axspos(500, 1800); k.axslen(1600, 1200)"
CX, CY, S = 1300.0, 1200.0, 600.0


def look_at(eye, focus, roll_deg=0.0, half=np.arctan(0.25)):
    """Page projection of the usual look-at matrix (z up) with a roll about
    the line of sight and a square perspective of the half angle."""
    eye = np.asarray(eye, float)
    f = (np.asarray(focus, float) - eye) / np.linalg.norm(np.asarray(focus, float) - eye)
    side = np.cross(f, [0, 0, 1])
    if np.linalg.norm(side) < 1e-9:          # looking straight down or up: x is across
        side = np.array([1.0, 0, 0])
    side /= np.linalg.norm(side)
    up = np.cross(side, f)
    view = np.eye(4)
    view[:3, :3] = [side, up, -f]
    view[:3, 3] = -view[:3, :3] @ eye
    c, s = np.cos(np.radians(roll_deg)), np.sin(np.radians(roll_deg))
    roll = np.array([[c, s, 0, 0], [-s, c, 0, 0], [0, 0, 1, 0], [0, 0, 0, 1]])
    cot = 1 / np.tan(half)
    proj = np.array([[cot, 0, 0, 0], [0, cot, 0, 0], [0, 0, -1, -2], [0, 0, -1, 0]])
    m = proj @ roll @ view

    def page(p):
        h = m @ np.append(np.asarray(p, float), 1.0)
        return CX + S * h[0] / h[3], CY - S * h[1] / h[3]
    return page


def corners(lx=2, ly=2, lz=2):
    return [(x * lx / 2, y * ly / 2, z * lz / 2) for x in (-1, 1) for y in (-1, 1) for z in (-1, 1)]


def box_points(run, settings, axes="0, 4, 0, 1, 0, 4, 0, 1, 0, 4, 0, 1", points=None):
    """rel3pt of the user points (default: the box corners of the 0..4 axes)."""
    points = points or [(x, y, z) for x in (0, 4) for y in (0, 4) for z in (0, 4)]
    out = run(f"""
        k.metafl('VIRT'); k.kalini(); k.errmod('PROT', 'OFF'); k.nograf()
        {PLACE}; {settings}
        k.graf3d({axes})
        for p in {points!r}:
            print(*k.rel3pt(*p))
        k.kalfin()
    """)
    return np.array([[float(v) for v in l.split()] for l in out.splitlines() if not l.startswith(" <<<<")]), out


@pytest.mark.parametrize("settings, eye, focus, roll, box", [
    ("", (4, -5, 4), (0, 0, 0), 0, (2, 2, 2)),                            # the default view point
    ("k.view3d(0, 0, 10, 'ANGL')", (0, 10, 0), (0, 0, 0), 0, (2, 2, 2)),  # ANGL about the box centre
    ("k.view3d(-3, 6, 2.5, 'ABS'); k.vfoc3d(0.5, 0, -0.2, 'ABS'); k.vup3d(20)", (-3, 6, 2.5), (0.5, 0, -0.2), 20,
     (2, 2, 2)),
    ("k.axis3d(3, 2, 1); k.vang3d(40)", (6, -5, 2), (0, 0, 0), 0, (3, 2, 1)),
    ("k.view3d(2, 2, 14, 'USER'); k.vup3d(30)", (0, 0, 6), (0, 0, 0), 30, (2, 2, 2)),  # straight down, turned
])
def test_box_corners_follow_the_look_at_reference(run, settings, eye, focus, roll, box):
    got, _ = box_points(run, settings)
    half = np.radians(40) / 2 if "vang3d" in settings else np.arctan(0.25)
    ref = look_at(eye, focus, roll, half)
    want = np.array([ref(c) for c in corners(*box)])
    assert np.all(np.isfinite(got)) and np.abs(got - want).max() < 0.05


def test_log_axes_and_conversion_identities(run):
    out = run(f"""
        k.metafl('VIRT'); k.kalini(); k.errmod('PROT', 'OFF'); k.nograf()
        {PLACE}; k.scale('LOG', 'XZ')
        k.graf3d(0, 3, 0, 1, -1, 1, -1, 0.5, -1, 2, -1, 1)
        for p in [(1, -1, 0.1), (10, 0, 1), (1000, 1, 100), (31.6, 0.25, 2.5)]:
            a = k.pos3pt(*p)
            print(*a, *k.rel3pt(*p), *k.abs3pt(*a), k.x3drel(*p), k.y3drel(*p), k.x3dabs(*a), k.y3dabs(*a),
                  k.x3dpos(*p), k.y3dpos(*p), k.z3dpos(*p))
        print('2d', *k.rel3pt(10, 0.5, 0.1), k.x2dpos(10, 0.5), k.y2dpos(10, 0.5))
        print('bad', k.x3dpos(-1, 0, 1), *k.rel3pt(1, 0, 0))
        k.kalfin()
    """)
    rows = [l.split() for l in out.splitlines() if not l.startswith(" <<<<")]
    for row, p in zip(rows[:4], [(1, -1, 0.1), (10, 0, 1), (1000, 1, 100), (31.6, 0.25, 2.5)]):
        v = np.array(row, float)
        # x: 10^0..10^3 over 2 units, y linear -1..1, z: 10^-1..10^2.
        want = [np.log10(p[0]) * 2 / 3 - 1, p[1], (np.log10(p[2]) + 1) * 2 / 3 - 1]
        assert np.allclose(v[:3], want, atol=1e-5) and np.allclose(v[11:14], want, atol=1e-5)
        assert all(np.allclose(v[3:5], v[i:i + 2], atol=1e-3) for i in (5, 7, 9))
        assert np.allclose(v[3:5], look_at((4, -5, 4), (0, 0, 0))(want), atol=0.05)
    two = np.array(rows[4][1:], float)
    assert np.allclose(two[:2], two[2:], atol=1e-3)   # x2dpos: (x, y, lower z limit)
    assert rows[5][1:] == ["0.0", "0.0", "0.0"]
    assert out.count("Warning   2") == 2


def test_warnings_of_the_3d_routines(run):
    out = run(f"""
        k.metafl('VIRT'); k.kalini(); k.errmod('PROT', 'OFF'); k.nograf(); {PLACE}
        k.box3d()                                       # level 1: 3
        k.grffin()                                      # 34
        k.view3d(0.5, 0.5, 0.5, 'ABS')                  # inside the box: 33 at graf3d
        k.vclp3d(2, 1); k.vang3d(180); k.axis3d(1, 0, 1)   # 2 2 2
        k.graf3d(0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1)
        print('view', *k.rel3pt(1, 1, 1))
        k.vectr3(0, 0, 0, 1, 1, float('nan'), 1)        # 2
        k.grfini(-1, -1, -1, 1, -1, -1, 1, 1, -1)
        print('level', k.getlev())
        k.grffin(); print('level', k.getlev())
        k.grfini(4, -5, 4, 1, -1, -1, 1, 1, -1)         # corner at the eye: 2
        k.crvmat([[1, 2], [3, 4]], 2, 2, 1, 1)          # 35 inside graf3d
        k.endgrf()
        k.view3d(1, 2, 3, 'ABS'); k.vfoc3d(1, 2, 3, 'ABS')   # no line of sight: 33
        k.graf3(0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1)
        k.box3d(); k.curv3d([0], [0], [0], 1)           # 35 35
        print('nz', k.nzposn(0.5), k.nzposn(2))
        k.endgrf()
        k.kalfin()
    """)
    warnings = [int(w) for w in re.findall(r"Warning +(\d+)", out)]
    assert warnings == [3, 34, 2, 2, 2, 33, 2, 2, 35, 35, 35], out
    view = [float(v) for v in re.search(r"view (.*)", out).group(1).split()]
    assert np.allclose(view, look_at((4, -5, 4), (0, 0, 0))((1, 1, 1)), atol=0.05)
    assert re.findall(r"level (\d)", out) == ["1", "3"]
    assert re.search(r"nz (\d+) (\d+)", out).groups() == ("128", "255")


def render(run, script, dev):
    """The page as bright ink on black (for lines and text) and in its own colours."""
    out = run(f"k.metafl('{dev}'); k.setfil('p.{dev.lower()}'); k.kalini(); k.errmod('PROT', 'OFF'); {PLACE}\n"
              + textwrap.dedent(script) + "\nk.kalfin()\n")
    if dev == "PDF":
        subprocess.run(["pdftoppm", "-png", "-scale-to", "853", "-singlefile", "p.pdf", "pdf"],
                       cwd=run.path, check=True)
        rgb = Image.open(run.path / "pdf.png").convert("RGB")
        return Image.eval(rgb.convert("L"), lambda v: 255 - v), rgb, out
    rgb = Image.open(run.path / "p.png").convert("RGB")
    return rgb.convert("L"), rgb, out


@needs_poppler
@pytest.mark.parametrize("dev", ["PNG", "PDF"])
def test_box_grid_labels_and_plane_on_the_page(run, dev):
    script = """
        k.name('X-axis', 'X'); k.name('Y-axis', 'Y'); k.name('Z-axis', 'Z')
        k.graf3d(0, 4, 0, 1, 0, 4, 0, 1, 0, 4, 0, 1)
        k.box3d(); k.grid3d(1, 1, 'BACK')
        print(*[v for p in [(0, 0, 0), (4, 0, 0), (4, 4, 4), (0, 4, 4)] for v in k.rel3pt(*p)])
        k.grfini(-1, 1, -1, 1, 1, -1, 1, 1, 1)
        k.graf(0, 1, 0, 1, 0, 1, 0, 1)
        k.grffin()
    """
    im, _, _ = render(run, script, dev)
    px, f, ref = im.load(), im.size[0] / 2970, look_at((4, -5, 4), (0, 0, 0))
    for (x, y) in [ref(c) for c in [(-1, -1, -1), (1, -1, -1), (1, 1, 1), (-1, 1, 1)]]:
        assert max(px[int(round(x * f)) + dx, int(round(y * f)) + dy] for dx in (-1, 0, 1) for dy in (-1, 0, 1)) > 100
    # Labels below the front bottom edge (x) and right of the box (y); the
    # z axis left of the box.
    (x0, y0), (x1, y1) = ref((-1, -1, -1)), ref((1, -1, -1))
    band = [px[int(x * f), int(y * f)] for t in np.linspace(0.1, 0.9, 50)
            for x, y in [((x0 + (x1 - x0) * t), (y0 + (y1 - y0) * t) + 70)]]
    assert max(band) > 100
    left = min(ref(c)[0] for c in corners())
    zband = [px[x, y] for x in range(int((left - 160) * f), int((left - 20) * f))
             for y in range(int(900 * f), int(1500 * f))]
    assert max(zband) > 100
    # grid3d BACK: lines on the back wall y = 1 (x = 2), none on the floor.
    (gx, gy), (fx, fy) = ref((0, 1, 0.3)), ref((0.5, -0.5, -1))
    assert max(px[int(gx * f) + d, int(gy * f)] for d in range(-1, 2)) > 100
    assert max(px[int(fx * f) + dx, int(fy * f) + dy] for dx in range(-3, 4) for dy in range(-3, 4)) < 50
    # The 2-D frame in the back wall x = 1: the wall's middle vertical line
    # belongs to the grid, its inner frame to the plane.
    bx, by = ref((1, 1, 0))
    assert max(px[int(bx * f) + d, int(by * f)] for d in range(-2, 3)) > 100


def svg_numbers(path):
    text = path.read_text()
    assert "nan" not in text.lower() and "inf" not in text.lower()
    return [float(v) for attr in re.findall(r'(?:\sd|points)="([^"]*)"', text)
            for v in re.findall(r"-?\d+(?:\.\d+)?(?:e-?\d+)?", attr)]


@pytest.mark.parametrize("clip", ["WORL", "EYE"])
def test_curves_behind_the_eye_and_planes_across_the_window_stay_on_the_page(run, clip):
    run(f"""
        import math
        k.metafl('SVG'); k.setfil('p.svg'); k.kalini(); k.errmod('PROT', 'OFF')
        k.view3d(1.5, -2.2, 1.2, 'ABS'); k.clip3d('{clip}'); k.vclp3d(0.2, 6)
        k.graf3d(-1, 1, -1, 0.5, -1, 1, -1, 0.5, -1, 1, -1, 0.5)
        t = [i / 50 for i in range(-500, 500)]
        k.curv3d([3 * math.cos(v) for v in t], [3 * math.sin(v) - 1 for v in t], [v / 4 for v in t], len(t))
        k.curv3d([1.5, 1.5, -3], [-2.2, -2.3, 4], [1.2, 1.3, -2], 3)    # through the eye
        k.strt3d(-5, -5, -5); k.conn3d(5, 5, 5); k.conn3d(1.5, -2.2, 1.2)
        k.vectr3(-2, 0, 0, 4, -4, 2, 1501)
        k.grfini(-4, -4, -1, 4, -4, -1, 4, 4, 3)
        k.graf(0, 1, 0, 0.2, 0, 1, 0, 0.2); k.shdpat(16); k.rlrec(0.1, 0.1, 0.5, 0.5)
        k.grffin()
        k.kalfin()
    """)
    nums = svg_numbers(run.path / "p.svg")
    assert len(nums) > 100 and all(-2 <= v <= 3000 for v in nums)


@needs_poppler
@pytest.mark.parametrize("dev", ["PNG", "PDF"])
def test_colour_plot_bar_and_matrix(run, dev):
    script = """
        k.setvlt('RAIN'); k.labdig(-1, 'XYZ'); k.hwfont()
        k.graf3(0, 2, 0, 1, 0, 2, 0, 1, 0, 4, 0, 1)
        k.crvmat([[0, 1, 2], [1, 2, 3], [2, 3, 4]], 3, 3, 4, 4)
        k.curve3([0.5], [1.5], [4], 1)
        k.endgrf(); k.zaxis(0, 10, 0, 5, 1000, '', 0, 1, 600, 300)   # a bar to the right, labels below
        print(*k.getind(254)); print(*k.getind(16))
    """
    im, rgb, out = render(run, script, dev)
    f, px = im.size[0] / 2970, im.load()
    # Table colours: curve3's square at (0.5, 1.5) in the colour of z = 4
    # (index 254), crvmat's first part of its first cell of the value 0.25
    # (index 16, plot 500..600 by 1650..1800).
    table = [tuple(round(float(c) * 255) for c in line.split()) for line in out.splitlines()[-2:]]
    for (x, y), want in zip([(900, 900), (550, 1725)], table):
        got = rgb.getpixel((int(x * f), int(y * f)))
        assert max(abs(a - b) for a, b in zip(got, want)) <= 3, (got, want)
    # Axis area 500..2099 across, the bar from 2100 + 85 = 2185, 85 wide.
    row = [px[x, int(1150 * f)] for x in range(int(2110 * f), int(2330 * f))]
    inked = [int(2110 * f) + i for i, v in enumerate(row) if v > 40]
    first, last = inked[0], max(x for x in inked if x - inked[0] < 100 * f)
    assert abs(first / f - 2185) < 1.5 / f and abs((last - first + 1) / f - 85) < 2 / f
    # No seam: every row of the bar from bottom to top is coloured.
    column = [px[int(2227 * f), y] for y in range(int(605 * f) + 2, int(1795 * f) - 1)]
    assert min(column) > 20 and len(set(column)) > 10
    bar = [px[int(1000 * f), int(y * f)] for y in range(150, 300, 5)]
    assert [y for y, v in zip(range(150, 300, 5), bar) if v > 20] == list(range(220, 300, 5))
    label_rows = [y for y in range(305, 400) if max(px[int(x * f), int(y * f)] for x in range(565, 596)) > 100]
    assert label_rows and label_rows[0] > 320
    # The labels after the bar's red end are in the axis colour, standard font too.
    label = [rgb.getpixel((int(x * f), int(y * f))) for x in range(565, 596) for y in label_rows]
    assert not [p for p in label if p[0] > p[1] + 60]


def test_crvmat_takes_numpy_nested_and_flat_alike(run):
    out = run(f"""
        import numpy as np, hashlib
        z = np.arange(12, dtype=float).reshape(4, 3)
        for i, arg in enumerate([z, z.tolist(), z.ravel().tolist()]):
            k.metafl('SVG'); k.setfil('m%d.svg' % i); k.kalini(); k.errmod('PROT', 'OFF')
            k.graf3(0, 3, 0, 1, 0, 2, 0, 1, 0, 11, 0, 1); k.crvmat(arg, 4, 3, 2, 2); k.endgrf(); k.kalfin()
        print(len({{hashlib.sha1(open('m%d.svg' % i, 'rb').read()).hexdigest() for i in range(3)}}))
    """)
    assert out.strip() == "1"


@needs_poppler
@pytest.mark.parametrize("dev", ["PNG", "PDF"])
def test_crvtri_cuts_triangles_where_the_colour_changes(run, dev):
    # z = x over a rectangle of two triangles; four colours change at x = 1, 2, 3.
    script = """
        k.setvlt('VGA'); k.colran(1, 4); k.nobar()
        k.graf3(0, 4, 0, 1, 0, 2, 0, 1, 0, 4, 0, 1)
        k.crvtri([0, 4, 4, 0], [0, 0, 2, 2], [0, 4, 4, 0], 4, [1, 1, 9], [2, 3, 2], [3, 4, 3], 3)
        c = [0] * 4; k.colray([0.5, 1.5, 2.5, 3.5], c, 4); print(*c)
        k.endgrf()
        for i in range(1, 5): print(*k.getind(i))
    """
    im, rgb, out = render(run, script, dev)
    lines, f = out.splitlines(), im.size[0] / 2970
    assert "vertex numbers outside 1..n" in out and lines[-5].split() == ["1", "2", "3", "4"]   # the third triangle
    table = [tuple(round(float(c) * 255) for c in line.split()) for line in lines[-4:]]
    for x, want in zip((0.5, 1.5, 2.5, 3.5), table):
        got = rgb.getpixel((int((500 + x * 400) * f), int(1200 * f)))
        assert max(abs(a - b) for a, b in zip(got, want)) <= 3, (x, got, want)
    # Nothing of the black background between the pieces, along the diagonal too.
    row = [rgb.getpixel((x, int(1500 * f))) for x in range(int(505 * f), int(2095 * f))]
    assert min(sum(p) for p in row) > 100


def svg_words(path, number):
    """The labels and names of an SVG page (hardware font, one <text> per
    character) as page rectangles: from the first character's origin to the
    end of the last, from the baseline up to the cap height."""
    ns, root = "{http://www.w3.org/2000/svg}", ET.parse(path).getroot()
    chars = [(t.text, float(t.get("x")), float(t.get("y")), np.radians(float(t.get("rotate", 0))),
              float(g.get("font-size")))
             for g in root.iter(ns + "g") for t in g.findall(ns + "text")]
    words = []
    for m in re.finditer("[XYZ]-axis|" + number, "".join(c[0] for c in chars)):
        (_, x0, y0, r, fs), (_, x1, y1, _, _) = chars[m.start()], chars[m.end() - 1]
        u, up = np.array([np.cos(r), np.sin(r)]), np.array([np.sin(r), -np.cos(r)])
        end = np.array([x1, y1]) + 0.45 * fs * u
        words.append((m.group(), np.array([[x0, y0], end, end + 0.65 * fs * up, [x0, y0] + 0.65 * fs * up])))
    return words, float(root.get("width")) / 2970


def apart(p, q):
    """Whether two convex polygons have a separating axis."""
    for poly in (p, q):
        for a, b in zip(poly, np.roll(poly, -1, axis=0)):
            n = np.array([a[1] - b[1], b[0] - a[0]])
            if (p @ n).max() <= (q @ n).min() or (q @ n).max() <= (p @ n).min():
                return True
    return False


# The views of the gallery pages, axes seen nearly and exactly end-on, a short
# z axis, automatic scaling of short axes, and views from below the bottom.
@pytest.mark.parametrize("settings, number", [
    ("k.view3d(-40, 25, 8, 'ANGL'); k.axis3d(2, 2, 2.5)", r"-?\d\.\d\d"),
    ("k.view3d(-35, 28, 9, 'ANGL'); k.axis3d(2, 2, 1.4)", r"-?\d\.\d\d"),
    ("k.view3d(-50, 30, 8, 'ANGL')", r"-?\d\.\d\d"),
    ("k.view3d(-35, 25, 7, 'ANGL')", r"-?\d\.\d\d"),
    ("k.view3d(-84, 20, 8, 'ANGL')", r"-?\d\.\d\d"),
    ("k.view3d(0, 35, 8, 'ANGL')", r"-?\d\.\d\d"),
    ("k.view3d(30, -25, 8, 'ANGL')", r"-?\d\.\d\d"),
    ("k.view3d(-120, -40, 8, 'ANGL')", r"-?\d\.\d\d"),
    ("k.axis3d(2, 2, 0.5)", r"-?\d\.\d\d"),
    ("k.axis3d(2, 2, 0.5); k.setscl([0, 8], 2, 'XYZ')", r"\d"),
])
def test_labels_and_names_keep_clear_of_each_other_and_of_the_box(run, settings, number):
    out = run(f"""
        import itertools
        k.metafl('SVG'); k.setfil('p.svg'); k.kalini(); k.errmod('PROT', 'OFF'); {PLACE}; k.hwfont()
        k.labdig(2, 'XYZ'); k.name('X-axis', 'X'); k.name('Y-axis', 'Y'); k.name('Z-axis', 'Z'); {settings}
        k.graf3d(-1, 1, -1, 0.25, -1, 1, -1, 0.25, -1, 1, -1, 0.25)
        print(*[k.getgrf(a)[3] for a in 'XYZ'])
        for p in itertools.product(*[k.getgrf(a)[:2] for a in 'XYZ']):
            print(*k.rel3pt(*p))
        k.kalfin()
    """)
    rows = [[float(v) for v in l.split()] for l in out.splitlines() if not l.startswith(" <<<<")]
    words, f = svg_words(run.path / "p.svg", number)
    corner = np.array(rows[1:]) * f     # 4x + 2y + z: the faces of the box as page quadrilaterals
    faces = [corner[i] for i in ([0, 1, 3, 2], [4, 5, 7, 6], [0, 1, 5, 4], [2, 3, 7, 6], [0, 2, 6, 4], [1, 3, 7, 5])]
    names = [w for w, _ in words if "axis" in w]
    assert sorted(names) == ["X-axis", "Y-axis", "Z-axis"] and len(words) >= 8
    for i, (a, p) in enumerate(words):
        assert all(apart(p, face) for face in faces), a
        for b, q in words[:i]:
            assert apart(p, q), (a, b)
    # Steps given stay (labels left out, ticks kept); automatic scaling takes
    # coarser steps on the axes that are short on the page (y and z here).
    assert rows[0] == ([0.25] * 3 if "setscl" not in settings else [2, 5, 5])
