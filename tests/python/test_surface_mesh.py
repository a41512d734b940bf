"""Hidden-line meshes (surfce, surmat, surfun) against a numpy depth buffer, side colours,
shlsur's kept horizon, surfun's results and failures, warnings (Pillow, pdftoppm)."""
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
    """Depth buffer of page triangles (pixels), depth interpolated on the page; inf where none lies."""
    zb = np.full(shape, np.inf)
    for (a, b, c), (da, db, dc) in zip(tri_xy, tri_d):
        x0, y0 = np.maximum(np.floor(np.min([a, b, c], axis=0)).astype(int), 0)
        x1, y1 = np.minimum(np.ceil(np.max([a, b, c], axis=0)).astype(int), [shape[1] - 1, shape[0] - 1])
        det = (b[1] - c[1]) * (a[0] - c[0]) + (c[0] - b[0]) * (a[1] - c[1])
        if x0 > x1 or y0 > y1 or abs(det) < 1e-12:
            continue
        gx, gy = np.meshgrid(np.arange(x0, x1 + 1) + 0.5, np.arange(y0, y1 + 1) + 0.5)
        l1 = ((b[1] - c[1]) * (gx - c[0]) + (c[0] - b[0]) * (gy - c[1])) / det
        l2 = ((c[1] - a[1]) * (gx - c[0]) + (a[0] - c[0]) * (gy - c[1])) / det
        inside = (l1 >= -1e-9) & (l2 >= -1e-9) & (1 - l1 - l2 >= -1e-9)
        block = zb[y0:y1 + 1, x0:x1 + 1]
        np.minimum(block, np.where(inside, l1 * da + l2 * db + (1 - l1 - l2) * dc, np.inf), out=block)
    return zb


@pytest.mark.parametrize("view", ["", "k.view3d(30, 25, 9, 'ANGL')", "k.view3d(-130, 35, 8, 'ANGL')",
                                  "k.view3d(200, 18, 10, 'ANGL')", "k.view3d(90, 50, 9, 'ANGL')"])
def test_hidden_lines_agree_with_a_depth_buffer(run, view):
    # The page's pixels at four times the PNG's resolution hold the nearest surface depth;
    # a mesh pixel drawn where only hidden mesh lines pass is an error.
    out = run(HILL + OPEN.format(name="m.png", settings=view) + """
k.color('RED'); k.surfce(x, n, y, n, Z)
np.save('v.npy', np.array([k.rel3pt(a, b, c) + k.pos3pt(a, b, c) for a, b, c in zip(X.ravel(), Y.ravel(), Z.ravel())]))
k.kalfin()
""")
    assert "Warning" not in out
    img, v, eye = pixels(run.path / "m.png"), np.load(run.path / "v.npy"), (4, -5, 4)
    if view:
        a1, a2, r = np.array(re.findall(r"-?\d+", view)[:3], float) * [np.pi / 180, np.pi / 180, 1]
        eye = r * np.array([np.cos(a2) * np.sin(a1), np.cos(a2) * np.cos(a1), np.sin(a2)])
    P = v[:, :2] * img.shape[1] / PAGE_W * 4
    D = np.linalg.norm(v[:, 2:] - np.array(eye), axis=1)
    idx = np.arange(3600).reshape(60, 60)
    a, b, c, d = idx[:-1, :-1], idx[1:, :-1], idx[1:, 1:], idx[:-1, 1:]
    tris = np.concatenate([np.stack(t, -1).reshape(-1, 3) for t in ((a, b, c), (a, c, d))])
    zb = triangles_zbuffer(P[tris], D[tris], (img.shape[0] * 4, img.shape[1] * 4))
    # a line on a silhouette edge meets its own triangle in the next pixel
    near = zb.copy()   # stays inf where no triangle lies
    for dy, dx in np.ndindex(5, 5):
        np.maximum(near, np.roll(zb, (dy - 2, dx - 2), axis=(0, 1)), out=near)
    expected = np.zeros(img.shape[:2], bool)
    tol = 0.01 * (D.max() - D.min())
    t = np.linspace(0, 1, 80)[None, :]
    for p, q in ((idx[:-1].ravel(), idx[1:].ravel()), (idx[:, :-1].ravel(), idx[:, 1:].ravel())):
        pts = P[p][:, None] * (1 - t[..., None]) + P[q][:, None] * t[..., None]
        px = np.clip(pts.astype(int), 0, [zb.shape[1] - 1, zb.shape[0] - 1])
        seen = D[p][:, None] * (1 - t) + D[q][:, None] * t <= near[px[..., 1], px[..., 0]] + tol
        small = px[seen] // 4
        expected[small[:, 1], small[:, 0]] = True
    grown = np.logical_or.reduce([np.roll(expected, (dy, dx), axis=(0, 1)) for dy in (-1, 0, 1) for dx in (-1, 0, 1)])
    drawn = np.all(img == RED, axis=2)
    assert 3000 < drawn.sum() < 0.8 * expected.size   # the hiding is real
    assert (drawn & ~grown).sum() / drawn.sum() < 0.02


def test_side_colours_visible_sides_and_line_families(run):
    # Red top, blue bottom; survis leaves out the other side, suropt one family of lines,
    # nohide draws every line in the top colour.
    def picture(view, settings, name):
        run(HILL + OPEN.format(name=name, settings=view) + f"""
k.surclr(k.intrgb(1, 0, 0), k.intrgb(0, 0, 1)); {settings}
k.surfce(x, n, y, n, Z)
k.kalfin()
""")
        return count(pixels(run.path / name), RED), count(pixels(run.path / name), BLUE)

    above, below = "k.view3d(30, 30, 9, 'ANGL')", "k.view3d(30, -30, 9, 'ANGL')"
    r, b = picture(above, "", "a.png")
    assert r > 5000 and b < r / 5
    r2, b2 = picture(below, "", "b.png")
    assert b2 > 5000 and r2 < b2 / 2
    assert picture(below, "k.survis('TOP')", "c.png")[1] == 0
    assert picture(above, "k.survis('BOTT')", "d.png")[0] == 0
    assert 0.3 * r < picture(above, "k.suropt('XISO')", "e.png")[0] < 0.7 * r
    rn, bn = picture(above, "k.nohide()", "f.png")
    assert bn == 0 and rn > 1.1 * r


def test_shlsur_hides_later_lines_until_a_new_system(run):
    # A green line behind the peak and one in front: with shlsur (before or after surfce) the
    # one behind loses what the peak covers; endgrf and a new graf3d, or reset, end the hiding.
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
    assert green("k.shlsur()") == green("", "k.shlsur()") < plain * 0.75
    assert green("k.shlsur()", "k.endgrf(); k.graf3d(-3, 3, -3, 1, -3, 3, -3, 1, 0, 2, 0, 0.5)") >= plain * 0.95
    assert green("k.shlsur()", "k.reset('SHLSUR')") >= plain * 0.95


def test_surfun_draws_what_surmat_draws_of_its_samples_and_raises_after_drawing(run):
    # Ints, bools and numpy scalars count as numbers; junk counts 0.0 and, like an
    # exception, is raised when surfun returns.
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
print(len(xs), len(ys), xs[0], xs[-1], ys[1] - ys[0])
print(a == page(lambda: k.surmat([[f(x, y) for y in ys] for x in xs], len(xs), len(ys), 1, 2)))
def bad(x, y):
    return "junk" if x < -2.9 else 1 / 0 if x > 2.5 and y > 2.5 else 0.5   # junk first, an exception later
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
    assert lines[:2] == ["25 13 -3.0 3.0 0.5", "True"]
    assert lines[2].startswith("TypeError") and lines[3] == "True"      # drawn all the same
    assert lines[4:] == ["ZeroDivisionError division by zero", "True"]


def test_warnings_hostile_counts_and_missing_values(run):
    out = run(HILL + """
k.metafl('VIRT'); k.kalini(); k.errmod('PROT', 'OFF')
k.surfce(x, n, y, n, Z)                                    # level 1: 3
k.graf3(-3, 3, -3, 1, -3, 3, -3, 1, 0, 2, 0, 0.5)
k.surmat(Z, n, n, 1, 1)                                    # graf3: 35
k.endgrf(); k.nograf()
k.graf3d(-3, 3, -3, 1, -3, 3, -3, 1, 0, 2, 0, 0.5)
k.surfce(x, 1, y, n, Z)                                    # 2
k.surmat(Z, n, n, 0, 0); k.surmat(Z, n, n, -1, 2)          # 2, 2
for args in ((None, 1, 0.1, 1, 0.1), (max, 1, 0.0, 1, 0.1), (max, 1, 1e-4, 1, 1e-4)):
    k.surfun(*args)                                        # 2, 2, 2: no function, zero step, too many samples
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
    assert [int(w) for w in re.findall(r"Warning +(\d+)", out)] == [3, 35] + [2] * 9, out
    assert out.count("raised") == 2


def test_matrix_forms_give_identical_pages_and_pdf_shows_the_mesh(run):
    out = run(HILL + """
def page(z, fmt='VIRT'):
    k.metafl(fmt); k.filmod('DELETE'); k.setfil('m.pdf'); k.kalini(); k.errmod('PROT', 'OFF'); k.nograf()
    k.graf3d(-3, 3, -3, 1, -3, 3, -3, 1, 0, 2, 0, 0.5)
    k.surfce(x, n, y, n, z)
    k.kalfin()
    return k.pngpage() if fmt == 'VIRT' else None
a = page(Z)
print(a == page(Z.tolist()) == page(Z.ravel().tolist()) == page(np.asfortranarray(Z)))
open('v.png', 'wb').write(a)
page(Z, 'PDF')
""")
    assert out.strip() == "True"
    if shutil.which("pdftoppm"):
        subprocess.run(["pdftoppm", "-png", "-r", "40", "-singlefile", run.path / "m.pdf", run.path / "p"], check=True)

        def box(path, ink):   # relative bounding box of the ink
            img = pixels(path)
            ys, xs = np.nonzero(ink(img.sum(axis=2)))
            return np.array([xs.min(), xs.max(), ys.min(), ys.max()]) / np.repeat(img.shape[1::-1], 2)
        pdf, png = box(run.path / "p.png", lambda s: s < 300), box(run.path / "v.png", lambda s: s > 300)
        assert np.abs(pdf - png).max() < 0.01 and pdf[1] - pdf[0] > 0.25


@pytest.mark.skipif(shutil.which("pdftoppm") is None, reason="poppler not installed")
def test_pages_over_ten_thousand_units_and_meshes_beside_the_page(run):
    # Seen from above, a mesh low on a 30,000 x 21,000 page shows its top (red), not the bottom
    # (blue) that a horizon ending at 10,000 would claim; a mesh half beside the page draws the half on it.
    def colours(xpos=3000):
        run(HILL + f"""
k.metafl('PDF'); k.filmod('DELETE'); k.setfil('big.pdf'); k.page(30000, 21000); k.kalini()
k.errmod('PROT', 'OFF'); k.axspos({xpos}, 19000); k.axslen(23000, 17000); k.nograf()
k.graf3d(-3, 3, -3, 1, -3, 3, -3, 1, 0, 2, 0, 0.5)
k.surclr(k.intrgb(1, 0, 0), k.intrgb(0, 0, 1))
k.surfce(x, n, y, n, Z)
k.kalfin()
""")
        subprocess.run(["pdftoppm", "-png", "-r", "100", "-singlefile", run.path / "big.pdf", run.path / "big"],
                       check=True)
        r, g, b = np.moveaxis(pixels(run.path / "big.png"), 2, 0)
        return int(((r > 150) & (g < 120) & (b < 120)).sum()), int(((b > 150) & (r < 120) & (g < 120)).sum())

    red, blue = colours()
    assert red > 2000 and blue < red / 5 and 0.1 * red < colours(20000)[0] < 0.7 * red
