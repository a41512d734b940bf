"""The depth buffer in PNG files read by Pillow, against numpy references."""
import numpy as np
import pytest
from PIL import Image

EYE = np.array([4.0, -5.0, 4.0])     # the default view point of a 2 x 2 x 2 box
AXES = "-1., 1., -1., .5, -1., 1., -1., .5, -1., 1., -1., .5"

# A PNG page of 853 x 603 pixels for DA4L: 602 / 2100 pixels per plot unit.
F = 602 / 2100


def scene(run, body, pre=""):
    """Runs body in graf3d on a PNG page; returns the picture and the projection to pixels fitted to rel3pt."""
    grid = np.array([(x, y, z) for x in (-1, 0, 1) for y in (-1, .5, 1) for z in (-1, .3, 1)], float)
    np.save(run.path / "points.npy", grid)
    out = run(f"""
        import numpy as np
        k.metafl('PNG'); k.setfil('p.png'); k.filmod('DELETE'); {pre}
        k.kalini(); k.errmod('PROT', 'OFF')
        k.axspos(500, 1800); k.axslen(1600, 1200); k.nograf()
        k.graf3d({AXES})
        {body}
        for p in np.load('points.npy'):
            print(*k.rel3pt(*map(float, p)))
        k.endgrf(); k.kalfin()
    """)
    uv = np.array([list(map(float, line.split())) for line in out.splitlines() if line[:1] != " "]) * F
    h = np.c_[grid, np.ones(len(grid))]
    rows = np.r_[np.c_[h, 0 * h, -uv[:, :1] * h], np.c_[0 * h, h, -uv[:, 1:] * h]]
    m = np.linalg.svd(rows)[2][-1].reshape(3, 4)

    def place(p):
        h = np.c_[np.asarray(p, float), np.ones(len(p))] @ m.T
        return h[:, :2] / h[:, 2:]

    def pixel(p):
        return np.rint(place(p)).astype(int)
    assert np.abs(place(grid) - uv).max() < 0.01
    return np.array(Image.open(run.path / "p.png")), pixel


def polygon_mask(shape, corners, shrink):
    """Pixels inside the convex polygon of pixel corners, `shrink` pixels in (out where negative)."""
    from PIL import ImageDraw, ImageFilter
    im = Image.new("L", (shape[1], shape[0]))
    ImageDraw.Draw(im).polygon([tuple(map(int, c)) for c in corners], fill=255)
    for _ in range(abs(shrink)):
        im = im.filter(ImageFilter.MinFilter(3) if shrink > 0 else ImageFilter.MaxFilter(3))
    return np.array(im) > 0


def test_crossing_planes_swap_at_their_line_without_gaps(run):
    # z = x/2 (index 50) and z = -x/2 (index 200), each two zbftri triangles.
    a = [(-1, -1, -.5), (1, -1, .5), (1, 1, .5), (-1, 1, -.5)]
    b = [(x, y, -z) for x, y, z in a]
    s = np.linspace(-1, 1, 500)
    x, y = (v.ravel() for v in np.meshgrid(s, s))
    samples = np.r_[np.c_[x, y, x / 2], np.c_[x, y, -x / 2]]

    def quad(c, colour):
        return "; ".join(f"k.zbftri({[c[i][0] for i in t]}, {[c[i][1] for i in t]}, {[c[i][2] for i in t]}, "
                       f"[{colour}] * 3)" for t in ((0, 1, 2), (0, 2, 3)))
    img, pixel = scene(run, "; ".join(["k.zbfini()", quad(a, 50), quad(b, 200), "k.zbffin()"]))
    pts, ca, cb = pixel(samples), pixel(a), pixel(b)

    # The reference: the nearer of the dense samples per pixel.
    order = np.argsort(-np.linalg.norm(samples - EYE, axis=1))
    want = np.zeros(img.shape, int)
    want[pts[order, 1], pts[order, 0]] = np.where(order < len(x), 50, 200)
    # Away from the outlines they agree but for pixels along the crossing.
    ring = [polygon_mask(img.shape, c, -1) & ~polygon_mask(img.shape, c, 1) for c in (ca, cb)]
    hit = (want > 0) & ~ring[0] & ~ring[1]
    ys, xs = np.nonzero(hit & (img != want))
    l0, l1 = pixel([(0, -1, 0), (0, 1, 0)]).astype(float)
    n = np.array([l0[1] - l1[1], l1[0] - l0[0]]) / np.linalg.norm(l1 - l0)
    assert np.abs((np.c_[xs, ys] - l0) @ n).max() < 1.5
    both = polygon_mask(img.shape, ca, 2) & polygon_mask(img.shape, cb, 2)
    shares = [np.mean(img[both] == c) for c in (50, 200)]
    assert min(shares) > 0.2 and np.isclose(sum(shares), 1), shares   # each wins on its side, nothing else there
    for corners in (ca, cb):     # no gaps, also at pixels no sample fell on
        assert np.all(img[polygon_mask(img.shape, corners, 1)] != 0)


def test_aamode_smooths_triangle_edges_and_keeps_their_colours(run):
    tri = "k.zbftri([-1, 1, -1], [-1, -.2, 1], [-1, 0, 1], {})"
    rgb = "[k.intrgb(1, 0, 0), k.intrgb(0, 1, 0), k.intrgb(0, 0, 1)]"
    corners = [(-1, -1, -1), (1, -.2, 0), (-1, 1, 1)]
    plain, pixel = scene(run, "k.zbfini(); " + tri.format(rgb), pre="k.imgfmt('RGB')")
    xy = pixel(corners)
    smooth, _ = scene(run, "k.zbfini(); " + tri.format(rgb), pre="k.imgfmt('RGB'); k.aamode('ON')")
    # Near each corner (4 pixels towards the centre) the colour stays.
    centre = xy.mean(axis=0)
    for c in xy:
        x, y = np.rint(c + 4 * (centre - c) / np.linalg.norm(centre - c)).astype(int)
        assert np.abs(plain[y, x].astype(int) - smooth[y, x]).max() <= 2, (plain[y, x], smooth[y, x])
    # One white triangle: every share of the 4 x 4 samples of a pixel occurs.
    white, _ = scene(run, "k.zbfini(); " + tri.format("[k.intrgb(1, 1, 1)] * 3"), pre="k.aamode('ON')")
    assert len(np.unique(white.reshape(-1, white.shape[-1]), axis=0)) > 16


@pytest.mark.parametrize("aa", ["", "k.aamode('ON')"])
def test_zbflin_is_cut_at_the_box_and_hidden_behind_nearer_triangles(run, aa):
    # From the box centre out through the x = 1 face to x = 3, in red; a blue
    # triangle in front of the line's first half.
    body = """k.zbfini(); k.color('RED'); k.zbflin(0, 0, 0, 3, 0, 0)
        k.zbftri([0, .5, .5], [-.2, -.2, -.2], [-.5, -.5, .5], [k.intrgb(0, 0, 1)] * 3)"""
    img, pixel = scene(run, body, pre="k.imgfmt('RGB');" + aa)
    xy = pixel([(0, 0, 0), (1, 0, 0), (3, 0, 0), (.25, 0, 0)])
    red = (img[..., 0] > 60) & (img[..., 1] < 60) & (img[..., 2] < 60)
    ys, xs = np.nonzero(red)
    p0, p1, p3, q = xy
    d = (p1 - p0) / np.linalg.norm(p1 - p0)
    t = ((np.stack([xs, ys], 1) - p0) @ d) / np.linalg.norm(p1 - p0)
    assert t.min() > -0.05 and abs(t.max() - 1) < 0.05, (t.min(), t.max())   # up to the face, not beyond
    assert np.linalg.norm(p3 - p1) > 20
    assert not red[q[1] - 1:q[1] + 2, q[0] - 1:q[0] + 2].any()                  # behind the triangle
    assert img[q[1], q[0], 2] > 200
    assert red.sum() < 2.5 * np.abs(p1 - p0).max()                            # one pixel wide, also with aamode


def test_sphere_isosurface_fills_its_silhouette(run):
    g = np.linspace(-1, 1, 41)
    u = np.random.default_rng(1).normal(size=(20000, 3))
    rim = 0.6 * u / np.linalg.norm(u, axis=1)[:, None]
    body = f"""g = np.linspace(-1, 1, 41)
        X, Y, Z = np.meshgrid(g, g, g, indexing='ij')
        w = X ** 2 + Y ** 2 + Z ** 2
        w[:, :, 38:] = np.nan                    # cells with a NaN corner are left out (off the sphere)
        k.color('GREEN'); k.suriso(g, 41, g, 41, g, 41, w, 0.36)"""
    img, pixel = scene(run, body)
    hull = convex_hull_area(pixel(rim).astype(float))
    drawn = np.sum(img != 0)
    assert abs(drawn - hull) < 0.03 * hull, (drawn, hull)


def convex_hull_area(p):
    # The farthest point in each of 4000 directions, in turn: the hull's corners.
    a = np.linspace(0, 2 * np.pi, 4000, endpoint=False)
    x, y = p[np.argmax(p @ np.array([np.cos(a), np.sin(a)]), axis=0)].T
    return 0.5 * abs(np.dot(x, np.roll(y, 1)) - np.dot(y, np.roll(x, 1)))


def test_warnings_levels_and_refusals(run):
    out = run("""
        print(k.zbfini())                                      # level 0: refused, 1 (not 0)
        k.metafl('PS'); k.setfil('p.ps'); k.kalini(); k.errmod('PROT', 'OFF')
        k.imgini(); print(k.zbfini()); k.imgfin()              # vector file, also in image mode
        k.nograf(); k.graf3d(-1., 1., -1., 1., -1., 1., -1., 1., -1., 1., -1., 1.)
        k.suriso([0, 1], 2, [0, 1], 2, [0, 1], 2, [0, 1] * 4, .5)
        k.endgrf(); k.kalfin()
        k.metafl('PNG'); k.setfil('p.png'); k.kalini(); k.errmod('PROT', 'OFF')
        print(k.zbfini(), k.zbfini()); k.zbffin(); k.zbffin()
        k.graf3(0., 1., 0., 1., 0., 1., 0., 1., 0., 1., 0., 1.)
        k.zbflin(0, 0, 0, 1, 1, 1); k.endgrf()
        k.nograf(); k.graf3d(0., 1., 0., 1., 0., 1., 0., 1., 0., 1., 0., 1.)
        k.zbflin(0, 0, 0, 1, 1, 1); k.zbftri([0, 1, 0], [0, 0, 1], [0, 0, 0], [1, 2, 3])
        k.zbfini(); k.zbflin(0, 0, 0, float('nan'), 1, 1)
        k.suriso([0, 1], 2, [0, 1], 2, [0, 1], 1, [0] * 4, .5)
        k.suriso([0, 1], 2, [0, 1], 2, [0, 1], 2, [0] * 8, float('inf'))
        k.endgrf(); k.kalfin()
        """)
    assert out == (
        " <<<< Warning   3: Incorrect level in zbfini!   (   0)\n1\n"
        " <<<< Warning  40: File format and output device are incompatible in zbfini!\n1\n"
        " <<<< Warning  40: File format and output device are incompatible in suriso!\n"
        " <<<< Warning 101: z-buffer is already in use in zbfini!\n0 1\n"
        " <<<< Warning 101: no initialization of z-buffer in zbffin!\n"
        " <<<< Warning  35: Confusion of graf3d and graf3 in zbflin!\n"
        " <<<< Warning 101: no initialization of z-buffer in zbflin!\n"
        " <<<< Warning 101: no initialization of z-buffer in zbftri!\n"
        " <<<< Warning   2: Incorrect parameter in zbflin!   (value not on the axis)\n"
        " <<<< Warning   2: Incorrect parameter in suriso!   (   1)\n"
        " <<<< Warning   2: Incorrect parameter in suriso!   (level not finite)\n"
    )


def test_no_memory_for_the_buffer_is_warning_53(run):
    out = run("""
        import resource
        k.metafl('PNG'); k.setfil('p.png'); k.winsiz(4000, 4000); k.kalini(); k.errmod('PROT', 'OFF')
        size = int(open('/proc/self/statm').read().split()[0]) * resource.getpagesize()
        resource.setrlimit(resource.RLIMIT_AS, (size + (32 << 20), resource.RLIM_INFINITY))
        print(k.zbfini())
        resource.setrlimit(resource.RLIMIT_AS, (resource.RLIM_INFINITY, resource.RLIM_INFINITY))
        print(k.zbfini()); k.kalfin()
        """)
    assert out == " <<<< Warning  53: Not enough memory in zbfini!\n1\n0\n"
