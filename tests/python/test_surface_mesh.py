"""Hidden-line meshes (surfce, surmat, surfun) against a numpy depth buffer,
their side colours and visible sides, shlsur's kept horizon, the surface
function's results and failures, and their warnings. Pictures are read by
Pillow; the PDF by pdftoppm."""
import re
import shutil
import subprocess

import numpy as np
import pytest
from PIL import Image

PAGE_W = 2970  # DA4L in plot units
HILL = """
import numpy as np
n = 60
x = np.linspace(-3, 3, n); y = np.linspace(-3, 3, n)
X, Y = np.meshgrid(x, y, indexing="ij")
Z = 1.5 * np.exp(-(X**2 + Y**2) / 2) + 0.6 * np.exp(-((X - 1.5)**2 + (Y + 1.2)**2) * 2)
"""
OPEN = """
k.metafl('PNG'); k.filmod('DELETE'); k.setfil('{name}'); k.scrmod('REVERS'); k.kalini(); k.errmod('PROT', 'OFF')
k.axspos(300, 1900); k.axslen(2300, 1700); k.nograf()
{settings}
k.graf3d(-3, 3, -3, 1, -3, 3, -3, 1, 0, 2, 0, 0.5)
"""
RED, BLUE, GREEN = (255, 0, 0), (0, 0, 255), (0, 255, 0)


def pixels(path):
    return np.asarray(Image.open(path).convert("RGB")).astype(int)


def count(img, rgb):
    return int(np.all(img == rgb, axis=2).sum())


def triangles_zbuffer(tri_xy, tri_d, shape):
    """Depth buffer of page triangles (pixel coordinates), depth interpolated
    on the page; inf where nothing lies."""
    zb = np.full(shape, np.inf)
    for (a, b, c), (da, db, dc) in zip(tri_xy, tri_d):
        x0, x1 = int(np.floor(min(a[0], b[0], c[0]))), int(np.ceil(max(a[0], b[0], c[0])))
        y0, y1 = int(np.floor(min(a[1], b[1], c[1]))), int(np.ceil(max(a[1], b[1], c[1])))
        x0, y0, x1, y1 = max(x0, 0), max(y0, 0), min(x1, shape[1] - 1), min(y1, shape[0] - 1)
        if x0 > x1 or y0 > y1:
            continue
        gx, gy = np.meshgrid(np.arange(x0, x1 + 1) + 0.5, np.arange(y0, y1 + 1) + 0.5)
        det = (b[1] - c[1]) * (a[0] - c[0]) + (c[0] - b[0]) * (a[1] - c[1])
        if abs(det) < 1e-12:
            continue
        l1 = ((b[1] - c[1]) * (gx - c[0]) + (c[0] - b[0]) * (gy - c[1])) / det
        l2 = ((c[1] - a[1]) * (gx - c[0]) + (a[0] - c[0]) * (gy - c[1])) / det
        l3 = 1 - l1 - l2
        inside = (l1 >= -1e-9) & (l2 >= -1e-9) & (l3 >= -1e-9)
        d = l1 * da + l2 * db + l3 * dc
        block = zb[y0:y1 + 1, x0:x1 + 1]
        np.minimum(block, np.where(inside, d, np.inf), out=block)
    return zb


@pytest.mark.parametrize("view", ["", "k.view3d(30, 25, 9, 'ANGL')", "k.view3d(-130, 35, 8, 'ANGL')",
                                  "k.view3d(200, 18, 10, 'ANGL')", "k.view3d(90, 50, 9, 'ANGL')"])
def test_hidden_lines_agree_with_a_depth_buffer(run, view):
    # Every vertex's page point and absolute position; the page's pixels at
    # four times the PNG's resolution hold the nearest surface depth. A mesh
    # pixel drawn where only hidden mesh lines pass is an error.
    out = run(HILL + OPEN.format(name="m.png", settings=view) + """
k.color('RED'); k.surfce(x, n, y, n, Z)
v = [k.rel3pt(a, b, c) + k.pos3pt(a, b, c) for a, b, c in zip(X.ravel(), Y.ravel(), Z.ravel())]
np.save('v.npy', np.array(v))
k.kalfin()
""")
    assert "Warning" not in out
    img = pixels(run.path / "m.png")
    scale = img.shape[1] / PAGE_W
    v = np.load(run.path / "v.npy").reshape(60, 60, 5)
    eye = {"": (4, -5, 4)}.get(view)
    if eye is None:
        a1, a2, r = (float(t) for t in re.findall(r"-?\d+", view)[:3])
        a1, a2 = np.radians(a1), np.radians(a2)
        eye = (r * np.cos(a2) * np.sin(a1), r * np.cos(a2) * np.cos(a1), r * np.sin(a2))
    page = v[..., :2] * scale * 4
    depth = np.linalg.norm(v[..., 2:] - np.array(eye), axis=2)
    tri_xy, tri_d = [], []
    for i in range(59):
        for j in range(59):
            for t in (((i, j), (i + 1, j), (i + 1, j + 1)), ((i, j), (i + 1, j + 1), (i, j + 1))):
                tri_xy.append([page[p] for p in t])
                tri_d.append([depth[p] for p in t])
    zb = triangles_zbuffer(tri_xy, tri_d, (img.shape[0] * 4, img.shape[1] * 4))
    near = zb.copy()  # a line on a silhouette edge meets its own triangle in the next pixel
    for dy in (-2, -1, 0, 1, 2):
        for dx in (-2, -1, 0, 1, 2):
            near = np.maximum(near, np.where(np.isinf(zb), near, np.roll(zb, (dy, dx), axis=(0, 1))))
    expected = np.zeros(img.shape[:2], bool)
    tol = 0.01 * (depth.max() - depth.min())
    for i in range(60):
        for j in range(60):
            for q in ((i + 1, j), (i, j + 1)):
                if q[0] > 59 or q[1] > 59:
                    continue
                t = np.linspace(0, 1, 80)[:, None]
                pts = page[i, j] * (1 - t) + page[q] * t
                d = depth[i, j] * (1 - t[:, 0]) + depth[q] * t[:, 0]
                px = np.clip(pts.astype(int), 0, [zb.shape[1] - 1, zb.shape[0] - 1])
                seen = d <= near[px[:, 1], px[:, 0]] + tol
                small = px[seen] // 4
                expected[small[:, 1], small[:, 0]] = True
    grown = expected.copy()
    for dy in (-1, 0, 1):
        for dx in (-1, 0, 1):
            grown |= np.roll(expected, (dy, dx), axis=(0, 1))
    drawn = np.all(img == RED, axis=2)
    assert drawn.sum() > 3000
    wrong = (drawn & ~grown).sum() / drawn.sum()
    assert wrong < 0.02, wrong
    # And the hiding is real: the mesh shows far fewer pixels than without it.
    assert drawn.sum() < 0.8 * expected.size


def test_side_colours_visible_sides_and_line_families(run):
    # Red top and blue bottom: from above mostly red, from below mostly blue;
    # survis leaves out the other side, suropt one family of lines, nohide
    # draws every line in the top colour.
    def picture(view, settings, name):
        run(HILL + OPEN.format(name=name, settings=view) + f"""
k.surclr(k.intrgb(1, 0, 0), k.intrgb(0, 0, 1)); {settings}
k.surfce(x, n, y, n, Z)
k.kalfin()
""")
        img = pixels(run.path / name)
        return count(img, RED), count(img, BLUE)

    above, below = "k.view3d(30, 30, 9, 'ANGL')", "k.view3d(30, -30, 9, 'ANGL')"
    r, b = picture(above, "", "a.png")
    assert r > 5000 and b < r / 5
    r2, b2 = picture(below, "", "b.png")
    assert b2 > 5000 and r2 < b2 / 2
    assert picture(below, "k.survis('TOP')", "c.png")[1] == 0
    assert picture(above, "k.survis('BOTT')", "d.png")[0] == 0
    rx, _ = picture(above, "k.suropt('XISO')", "e.png")
    assert 0.3 * r < rx < 0.7 * r
    rn, bn = picture(above, "k.nohide()", "f.png")
    assert bn == 0 and rn > 1.1 * r


def test_shlsur_hides_later_lines_until_a_new_system(run):
    # A green line behind the peak and one in front: with shlsur the one
    # behind loses what the peak covers, the one in front stays; after
    # endgrf and a new graf3d nothing is hidden any more.
    def green(settings, after=""):
        run(HILL + OPEN.format(name="s.png", settings="") + f"""
k.color('RED'); {settings}
k.surfce(x, n, y, n, Z)
{after}
k.color('GREEN')
k.curv3d([-1.0, 1.0], [2.0, 2.0], [0.4, 0.4], 2)
k.curv3d([-2.5, 2.5], [-2.9, -2.9], [0.2, 0.2], 2)
k.kalfin()
""")
        return count(pixels(run.path / "s.png"), GREEN)

    plain = green("")
    before = green("k.shlsur()")
    after = green("", "k.shlsur()")
    assert before == after < plain * 0.75
    new_system = green("k.shlsur()", "k.endgrf(); k.graf3d(-3, 3, -3, 1, -3, 3, -3, 1, 0, 2, 0, 0.5)")
    assert new_system >= plain * 0.95
    assert green("k.shlsur()", "k.reset('SHLSUR')") >= plain * 0.95


def test_surfun_draws_what_surmat_draws_of_its_samples_and_raises_after_drawing(run):
    # surfun samples over the axis ranges; surmat of the same values draws
    # the same bytes. Ints, bools and numpy scalars count as numbers; junk
    # counts 0.0 and, like an exception, is raised when surfun returns.
    out = run("""
import numpy as np
calls = []
def f(x, y):
    calls.append((x, y))
    return np.float32(np.sin(x) * np.cos(y)) if x > 0 else (int(x < -2) if y > 0 else True)
def page(draw):
    k.metafl('VIRT'); k.kalini(); k.errmod('PROT', 'OFF'); k.nograf()
    k.graf3d(-3, 3, -3, 1, -3, 3, -3, 1, -2, 2, -2, 1)
    draw()
    k.kalfin()
    return k.pngpage()
a = page(lambda: k.surfun(f, 1, 0.25, 2, 0.5))
xs = sorted(set(c[0] for c in calls)); ys = sorted(set(c[1] for c in calls))
z = [[f(x, y) for y in ys] for x in xs]
print(len(xs), len(ys), xs[0], xs[-1], ys[1] - ys[0])
b = page(lambda: k.surmat(z, len(xs), len(ys), 1, 2))
print(a == b)
def bad(x, y):
    if x > 2.5 and y > 2.5:
        raise ZeroDivisionError("corner")
    return "junk" if x < -2.9 else 0.5
empty = page(lambda: None)
for g in (bad, lambda x, y: 1 / 0):
    def draw():
        try:
            k.surfun(g, 1, 0.5, 1, 0.5)
        except Exception as e:
            print(type(e).__name__, e)
    print(page(draw) != empty)
""")
    lines = out.splitlines()
    assert lines[0] == "25 13 -3.0 3.0 0.5" and lines[1] == "True"
    assert lines[2].startswith("TypeError") and lines[3] == "True"      # drawn all the same
    assert lines[4] == "ZeroDivisionError division by zero" and lines[5] == "True"
    assert len(lines) == 6


def test_warnings_hostile_counts_and_missing_values(run):
    out = run(HILL + """
import kalvor as k
k.metafl('VIRT'); k.kalini(); k.errmod('PROT', 'OFF')
k.surfce(x, n, y, n, Z)                                    # level 1: 3
k.graf3(-3, 3, -3, 1, -3, 3, -3, 1, 0, 2, 0, 0.5)
k.surmat(Z, n, n, 1, 1)                                    # graf3: 35
k.endgrf(); k.nograf()
k.graf3d(-3, 3, -3, 1, -3, 3, -3, 1, 0, 2, 0, 0.5)
k.surfce(x, 1, y, n, Z)                                    # 2
k.surmat(Z, n, n, 0, 0); k.surmat(Z, n, n, -1, 2)          # 2, 2
k.surfun(None, 1, 0.1, 1, 0.1)                             # 2
k.surfun(lambda a, b: a, 1, 0.0, 1, 0.1)                   # 2
k.surfun(lambda a, b: a, 1, 1e-4, 1, 1e-4)                 # 2: too many samples
k.surclr(-2, 0); k.mshclr(-5); k.survis('SIDE')           # 2, 2, 2
for bad in ([1.0, 2.0], "abc"):
    try:
        k.surfce(x, n, y, n, bad)
    except (ValueError, MemoryError) as e:
        print("raised", e)
Zn = Z.copy(); Zn[30, 30] = np.nan; Zn[0, :] = np.inf
k.surfce(x, n, y, n, Zn); k.surmat(np.full((3, 3), np.nan), 3, 3, 1, 1)
k.surfce(np.full(n, np.nan), n, y, n, Z)
k.kalfin()
""")
    nums = [int(w) for w in re.findall(r"Warning +(\d+)", out)]
    assert nums == [3, 35, 2, 2, 2, 2, 2, 2, 2, 2, 2], out
    assert out.count("raised") == 2


def test_matrix_forms_give_identical_pages_and_pdf_shows_the_mesh(run):
    out = run(HILL + """
def page(z, fmt='VIRT'):
    k.metafl(fmt); k.filmod('DELETE'); k.setfil('m.pdf'); k.kalini(); k.errmod('PROT', 'OFF'); k.nograf()
    k.graf3d(-3, 3, -3, 1, -3, 3, -3, 1, 0, 2, 0, 0.5)
    k.surfce(x, n, y, n, z)
    k.kalfin()
    return k.pngpage() if fmt == 'VIRT' else None
a = page(Z); b = page(Z.tolist()); c = page(Z.ravel().tolist()); d = page(np.asfortranarray(Z))
print(a == b == c == d)
open('v.png', 'wb').write(a)
page(Z, 'PDF')
""")
    assert out.strip() == "True"
    if shutil.which("pdftoppm"):
        subprocess.run(["pdftoppm", "-png", "-r", "40", "-singlefile", str(run.path / "m.pdf"),
                        str(run.path / "p")], check=True)
        # The same mesh where the raster page has it (relative bounding boxes).
        def box(path, ink):
            img = pixels(path)
            ys, xs = np.nonzero(ink(img))
            return np.array([xs.min(), xs.max(), ys.min(), ys.max()]) / np.repeat(img.shape[1::-1], 2)
        pdf = box(run.path / "p.png", lambda i: i.sum(axis=2) < 300)
        png = box(run.path / "v.png", lambda i: i.sum(axis=2) > 300)
        assert np.abs(pdf - png).max() < 0.01 and pdf[1] - pdf[0] > 0.25


@pytest.mark.skipif(shutil.which("pdftoppm") is None, reason="poppler not installed")
def test_pages_over_ten_thousand_units_and_meshes_beside_the_page(run):
    # The horizon spans the whole page: a mesh low on a 30,000 x 21,000 page
    # seen from above shows its top side (red), not the bottom (blue) that
    # a horizon ending at 10,000 would claim; a mesh half beside the page
    # draws the half on it.
    def colours(place="k.axspos(3000, 19000); k.axslen(23000, 17000)"):
        run(HILL + f"""
k.metafl('PDF'); k.filmod('DELETE'); k.setfil('big.pdf'); k.page(30000, 21000); k.kalini()
k.errmod('PROT', 'OFF'); {place}; k.nograf()
k.graf3d(-3, 3, -3, 1, -3, 3, -3, 1, 0, 2, 0, 0.5)
k.surclr(k.intrgb(1, 0, 0), k.intrgb(0, 0, 1))
k.surfce(x, n, y, n, Z)
k.kalfin()
""")
        subprocess.run(["pdftoppm", "-png", "-r", "100", "-singlefile", str(run.path / "big.pdf"),
                        str(run.path / "big")], check=True)
        img = pixels(run.path / "big.png")
        red = (img[..., 0] > 150) & (img[..., 1] < 120) & (img[..., 2] < 120)
        blue = (img[..., 2] > 150) & (img[..., 0] < 120) & (img[..., 1] < 120)
        return int(red.sum()), int(blue.sum())

    red, blue = colours()
    assert red > 2000 and blue < red / 5
    beside, _ = colours("k.axspos(20000, 19000); k.axslen(23000, 17000)")
    assert 0.1 * red < beside < 0.7 * red
