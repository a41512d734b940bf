"""Shaded surfaces and lighting: FLAT cells in PDF, SVG and PNG against a
numpy visibility reference (read back by pdftoppm, rsvg-convert, Pillow),
the Phong terms of getlit against numpy, the two-sided normals, the mesh
modes, surtri, sphe3d and surfcp, and what bad input does. SMOOTH draws
through the depth buffer."""
import json
import re
import shutil
import subprocess

import numpy as np
import pytest

from conftest import render


PLACE = "k.axspos(500, 1800); k.axslen(1600, 1200)"
WIDTH = 1485   # pixels across the page of 2970 plot units (PDF, SVG)


def page(run, dev, script, aamode=False):
    """The script on a fresh page: (RGB image, pixels per plot unit, output)."""
    out = run(f"k.metafl('{dev}'); k.setfil('p.{dev.lower()}'); k.filmod('DELETE'); "
              + ("k.aamode('ON'); k.imgfmt('RGB'); " if aamode else "")   # no palette of the picture's colours
              + f"k.kalini(); k.errmod('PROT', 'OFF'); k.nograf(); {PLACE}\n{script}\nk.kalfin()\n")
    im = render(run.path / f"p.{dev.lower()}", width=WIDTH)
    return im, im.size[0] / 2970, out


def hill(n=16, m=14, reverse=False):
    x = np.linspace(0, 4, n)
    y = np.linspace(0, 4, m)
    z = 3.5 * np.exp(-((x[:, None] - 2.5) ** 2 + (y[None, :] - 1.2) ** 2) / 0.8) + 0.2 * x[:, None]
    if reverse:   # the same surface, data running the other way
        x, y, z = x[::-1], y[::-1], z[::-1, ::-1]
    return x, y, z


def geometry_script(x, y, z):
    """Script lines that print the plot and absolute points of the grid and
    the table colour of each cell's mean value, as JSON."""
    return f"""
import json
x, y, z = {x.tolist()!r}, {y.tolist()!r}, {z.tolist()!r}
g = {{'plot': [[k.rel3pt(x[i], y[j], z[i][j]) for j in range(len(y))] for i in range(len(x))],
     'abs': [[k.pos3pt(x[i], y[j], z[i][j]) for j in range(len(y))] for i in range(len(x))],
     'rgb': [[k.getind(k.nzposn(sum(z[a][b] for a in (i, i + 1) for b in (j, j + 1)) / 4))
              for j in range(len(y) - 1)] for i in range(len(x) - 1)]}}
print('GEOMETRY', json.dumps(g))
"""


def geometry(out):
    return json.loads(re.search(r"GEOMETRY (.*)", out).group(1))


def nearest_cells(g, eye=(4, -5, 4), margin=8):
    """For the page point at each cell's projected centre: the cell seen
    there, i.e. of the cells whose projection holds the point the one whose
    surface is nearest to the eye (depth interpolated over the triangle);
    only points whose neighbourhood (`margin` plot units) sees the same
    cell, so that no edge is sampled."""
    P, A = np.array(g["plot"], float), np.array(g["abs"], float)
    dist = np.linalg.norm(A - np.array(eye, float), axis=2)
    n, m = P.shape[0] - 1, P.shape[1] - 1
    tris = []
    for i in range(n):
        for j in range(m):
            c = [(i, j), (i + 1, j), (i + 1, j + 1), (i, j + 1)]
            for t in ((0, 1, 2), (0, 2, 3)):
                a, b, cc = (P[c[k]] for k in t)
                m2 = np.array([b - a, cc - a]).T
                if abs(np.linalg.det(m2)) > 1e-9:
                    tris.append(((i, j), a, np.linalg.inv(m2), [dist[c[k]] for k in t]))

    def seen(q):
        best = None
        for cell, a, inv, d in tris:
            s, t = inv @ (q - a)
            if s >= 0 and t >= 0 and s + t <= 1:
                depth = d[0] + s * (d[1] - d[0]) + t * (d[2] - d[0])
                if best is None or depth < best[0]:
                    best = (depth, cell)
        return best and best[1]

    out = {}
    for i in range(n):
        for j in range(m):
            q = P[i:i + 2, j:j + 2].reshape(4, 2).mean(axis=0)
            around = {seen(q + d) for d in margin * np.array([(0, 0), (1, 0), (-1, 0), (0, 1), (0, -1)])}
            if len(around) == 1 and None not in around:
                out[(i, j)] = (q, around.pop())
    return out


@pytest.mark.parametrize("dev", ["PDF", "SVG", "PNG"])
def test_flat_cells_show_the_colour_of_their_mean_and_near_cells_cover_far_ones(run, dev):
    for reverse in (False, True):
        x, y, z = hill(reverse=reverse)
        script = f"""
k.graf3d(0, 4, 0, 1, 0, 4, 0, 1, 0, 4, 0, 1)
k.surshd({x.tolist()!r}, {len(x)}, {y.tolist()!r}, {len(y)}, {z.tolist()!r})
{geometry_script(x, y, z)}
"""
        im, f, out = page(run, dev, script)
        g = geometry(out)
        rgb = np.array(g["rgb"], float) * 255
        px = im.load()
        checked = hidden = 0
        for (i, j), (q, cell) in nearest_cells(g).items():
            want = rgb[cell]
            got = np.array(px[int(q[0] * f), int(q[1] * f)], float)
            checked += 1
            hidden += cell != (i, j)
            assert np.abs(got - want).max() <= 4, (reverse, (i, j), cell, got, want)
        assert checked > 100 and hidden >= 5   # the hill hides cells behind it


def phong(p, n, lights, mat, eye=(4, -5, 4)):
    """Reference Phong colour (0..255 per component)."""
    p, n, eye = (np.array(v, float) for v in (p, n, eye))
    if np.linalg.norm(n) >= 1e-35:
        n = n / np.linalg.norm(n)
    v = (eye - p) / np.linalg.norm(eye - p)
    col = 0.2 * np.array(mat["ambi"], float)
    for l in lights:
        to = np.array(l["pos"], float) - p
        d = np.linalg.norm(to)
        a = 1 / (max(l.get("cons", 1), 1e-10) + l.get("line", 0) * d + l.get("quad", 0) * d * d)
        term = np.array(l.get("ambi", (0, 0, 0)), float) * mat["ambi"]
        if d >= 1e-35:
            L = to / d
            nl = n @ L
            r = 2 * nl * n - L
            if nl >= 0:
                term = term + np.array(l.get("diff", (1, 1, 1)), float) * mat["diff"] * nl
            spec = np.array(l.get("spec", (1, 1, 1)), float) * mat["spec"]
            if nl > 1e-7 and r @ v > 0:
                term = term + np.where(spec > 1e-35, (r @ v) ** mat["expo"] * spec, 0)
        col = col + term * a
    return np.floor(np.clip(col, 0, 1) * 255 + 0.5)


def test_getlit_follows_the_phong_terms(run):
    # Each case: settings, then getlit arguments; the reference's lights and material.
    base = {"ambi": (0.2,) * 3, "diff": (0.8,) * 3, "spec": (0,) * 3, "expo": 0}
    cases = [
        ("", (0, 0, 1), (0, 0, 1), [{"pos": (4, -5, 4)}], base),
        # a reversed normal: given as it is, so no diffuse light
        ("", (0, 0, 1), (0, 0, -1), [{"pos": (4, -5, 4)}], base),
        # specular highlight with exponent, per-component light and material
        ("k.matopt(0.9, 'SPEC'); k.matopt(12, 'EXPO'); k.litop3(1, 1, 0.5, 0.2, 'DIFF'); "
         "k.matop3(0.3, 0.6, 0.9, 'DIFF')", (0.3, -0.2, 0.5), (0.2, -0.3, 1),
         [{"pos": (4, -5, 4), "diff": (1, 0.5, 0.2)}], dict(base, spec=(0.9,) * 3, expo=12, diff=(0.3, 0.6, 0.9))),
        # clamping: strong light and ambient
        ("k.litopt(1, 5, 'DIFF'); k.litopt(1, 3, 'AMBI')", (0, 0, 0), (1, 0, 0),
         [{"pos": (4, -5, 4), "diff": (5,) * 3, "ambi": (3,) * 3}], base),
        # attenuation: constant 0 becomes 1e-10 with a light at the point; linear and quadratic terms
        ("k.litopt(1, 0, 'CONS'); k.litpos(1, 0.5, 0.5, 0.5, 'ABS'); k.litopt(1, 1, 'AMBI')", (0.5, 0.5, 0.5),
         (0, 0, 1), [{"pos": (0.5, 0.5, 0.5), "cons": 0, "ambi": (1,) * 3}], base),
        ("k.litopt(1, 0.3, 'LINE'); k.litopt(1, 0.2, 'QUAD'); k.litpos(1, 10, 45, 6, 'ANGL')", (0, 0, 0.4),
         (0.1, 0.2, 1), [{"pos": (6 * np.cos(np.radians(45)) * np.sin(np.radians(10)),
                                 6 * np.cos(np.radians(45)) * np.cos(np.radians(10)), 6 * np.sin(np.radians(45))),
                         "line": 0.3, "quad": 0.2}], base),
        # N.L < 0 with specular on: neither diffuse nor specular; a second light from the other side
        ("k.matopt(1, 'SPEC'); k.matopt(3, 'EXPO'); k.litmod(2, 'ON'); k.litpos(2, 0, 0, -5, 'ABS')",
         (0, 0, 0), (0, 0, 1), [{"pos": (4, -5, 4)}, {"pos": (0, 0, -5)}], dict(base, spec=(1,) * 3, expo=3)),
        # a light in user coordinates, placed by the axis system (box 2 x 2 x 2 over 0..4)
        ("k.litpos(1, 4, 0, 4, 'USER'); k.graf3d(0, 4, 0, 1, 0, 4, 0, 1, 0, 4, 0, 1)", (0, 0, 0), (1, -1, 1),
         [{"pos": (1, -1, 1)}], base),
    ]
    script = ""
    for settings, p, n, _, _ in cases:
        script += (f"k.metafl('VIRT'); k.kalini(); k.errmod('PROT', 'OFF'); k.nograf(); {PLACE}; k.light('ON')\n"
                   f"{settings}\nc = k.getlit(*{p!r}, *{n!r}); print('lit', c & 255, (c >> 8) & 255, (c >> 16) & 255,"
                   f" c >> 24)\nk.kalfin()\n")
    script += ("k.metafl('VIRT'); k.kalini(); k.errmod('PROT', 'OFF'); k.color('RED')\n"
               "print('off', k.getlit(0, 0, 0, 0, 0, 1) == k.getclr()); k.litopt(9, 1, 'DIFF'); k.litopt(1, -1, 'DIFF')\n"
               "k.kalfin()\n")
    out = run(script)
    got = [[int(v) for v in line.split()[1:]] for line in out.splitlines() if line.startswith("lit")]
    assert len(got) == len(cases)
    for (settings, p, n, lights, mat), g in zip(cases, got):
        assert g[3] == 1, settings   # a direct colour value
        assert np.abs(np.array(g[:3]) - phong(p, n, lights, mat)).max() <= 1, (settings, g)
    assert "off True" in out
    assert [int(w) for w in re.findall(r"Warning +(\d+)", out)] == [2, 1]


@pytest.mark.parametrize("dev", ["SVG", "PNG"])
def test_lit_surface_looks_alike_whichever_way_its_data_run(run, dev):
    pics = []
    for reverse in (False, True):
        x, y, z = hill(reverse=reverse)
        im, f, _ = page(run, dev, f"""
k.light('ON'); k.litpos(1, 1, -3, 5, 'ABS')
k.graf3d(0, 4, 0, 1, 0, 4, 0, 1, 0, 4, 0, 1)
k.surshd({x.tolist()!r}, {len(x)}, {y.tolist()!r}, {len(y)}, {z.tolist()!r})
""")
        pics.append(np.asarray(im, float))
    a, b = pics
    lit = np.abs(a - a[0, 0]).sum(axis=2) > 30   # not the background
    assert lit.mean() > 0.02
    # Lit from above: the surface is not dark where it faces the light.
    assert np.median(a[lit].max(axis=1)) > 90
    # The same colours apart from the anti-aliased or overlapping edges.
    assert np.mean(np.abs(a - b).max(axis=2)[lit] <= 4) > 0.97


def test_mesh_modes_outline_cells_over_their_fill_or_the_background(run):
    seen = {}
    for mode in ("OFF", "ON", "ONLY"):
        im, f, out = page(run, "PNG", f"""
k.setvlt('RAIN'); k.surmsh('{mode}'); k.graf3d(0, 3, 0, 1, 0, 2, 0, 1, 0, 2, 0, 1); k.color('RED')
k.surshd([0, 1, 2, 3], 4, [0, 1, 2], 3, [[1, 1, 1]] * 4)
print('at', *k.rel3pt(0.5, 0.5, 1), *k.rel3pt(1, 0.5, 1))   # a cell's middle, an edge
""")
        cx, cy, ex, ey = (float(v) * f for v in re.search(r"at (.*)", out).group(1).split())
        seen[mode] = im.getpixel((int(cx), int(cy))), {im.getpixel((int(ex) + d, int(ey))) for d in (-1, 0, 1)}
    red, cell = (255, 0, 0), seen["OFF"][0]
    assert cell not in ((0, 0, 0), red) and red not in seen["OFF"][1]   # the value colour, no mesh
    assert seen["ON"][0] == cell and red in seen["ON"][1]
    assert seen["ONLY"][0] == (0, 0, 0) and red in seen["ONLY"][1]


def test_bad_input_warns_and_draws_what_it_can(run):
    out = run(f"""
        import math
        k.metafl('SVG'); k.setfil('p.svg'); k.kalini(); k.errmod('PROT', 'OFF'); k.nograf(); {PLACE}
        k.surshd([0, 1], 2, [0, 1], 2, [0, 1, 2, 3])              # level 1: 3
        k.graf3(0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1)
        k.surshd([0, 1], 2, [0, 1], 2, [0, 1, 2, 3])              # not a 3-D system: 35
        k.endgrf()
        k.graf3d(0, 4, 0, 1, 0, 4, 0, 1, 0, 4, 0, 1)
        k.surshd([0], 1, [0, 1], 2, [0, 1])                       # 2
        import numpy as np
        big = np.arange(3163, dtype=np.float32)
        k.surshd(big, 3163, big, 3163, np.zeros((3163, 3163), np.float32))   # over 10 million points: 53
        k.surtri([0, 4, 4, 0], [0, 0, 4, 4], [1, 2, 3, 2], 4, [1, 1, 0], [2, 3, 7], [3, 4, 2], 3)   # 2 once
        k.sphe3d(2, 2, 2, 1, 2, 5)                                # 2
        k.sphe3d(2, 2, 2, -1, 8, 5)                               # 2
        k.sphe3d(2, 2, 2, 1, 100000, 100000)                      # 2
        k.surfcp(lambda t, p, i: t, 0, 1, 0, 0, 1, 0.1)           # 2
        k.surfcp(lambda t, p, i: t, 0, 1, 1e-9, 0, 1, 1e-9)       # 2
        k.shdmod('SMOOTH', 'SURF')
        k.surshd([0, 1], 2, [0, 1], 2, [0, 1, 2, 3])              # vector file: 40
        k.shdmod('FLAT', 'SURF'); k.shdmod('ROUND', 'SURF')       # 2
        k.surmsh('MAYBE')                                         # 2
        nan = math.nan
        k.surshd([0, 1, 2, 3], 4, [0, 1, 2], 3, [[1, 1, 1], [1, nan, 1], [1, 1, 1], [1, 1, 1]])
        k.kalfin()
    """)
    warnings = [int(w) for w in re.findall(r"Warning +(\d+)", out)]
    assert warnings == [3, 35, 2, 53, 2, 2, 2, 2, 2, 2, 40, 2, 2], out
    assert "nan" not in (run.path / "p.svg").read_text().lower()
    if shutil.which("xmllint"):
        assert subprocess.run(["xmllint", "--noout", "p.svg"], cwd=run.path).returncode == 0


def test_numpy_nested_and_flat_matrices_give_the_same_bytes(run):
    out = run(f"""
        import numpy as np, hashlib
        z = np.add.outer(np.arange(4.0), np.arange(3.0) ** 2)
        for i, arg in enumerate([z, z.tolist(), z.ravel().tolist(), np.asfortranarray(z)]):
            k.metafl('SVG'); k.setfil('m%d.svg' % i); k.kalini(); k.errmod('PROT', 'OFF'); k.nograf()
            k.graf3d(0, 3, 0, 1, 0, 2, 0, 1, 0, 8, 0, 2); k.surmsh('ON'); k.surshd([0, 1, 2, 3], 4, [0, 1, 2], 3, arg)
            k.kalfin()
        print(len({{hashlib.sha1(open('m%d.svg' % i, 'rb').read()).hexdigest() for i in range(4)}}))
    """)
    assert out.strip() == "1"


@pytest.mark.parametrize("dev", ["PDF", "PNG"])
def test_sphere_surtri_and_surfcp_on_the_page(run, dev):
    im, f, out = page(run, dev, """
import math
k.setvlt('RAIN')
k.graf3d(-2, 2, -2, 1, -2, 2, -2, 1, -2, 2, -2, 1)
k.color('GREEN'); k.sphe3d(0, 0, 0, 1, 24, 12)
print('sphere', *k.rel3pt(0, 0, 0), *k.rel3pt(0, 0, 1), *k.rel3pt(0, 1, 0))
print('green', *k.getind(k.getclr()))
k.color('FORE')
k.surtri([-2, -1, -1.5], [-2, -2, -1], [2, 2, 2], 3, [1], [2], [3], 1)
print('tri', *k.rel3pt(-1.5, -5 / 3, 2))
def f(t, p, i):
    return (1.3 + 0.5 * math.cos(t), -1.3 + 0.5 * math.sin(t), p)[i - 1]
k.surfcp(f, 0, 2 * math.pi, math.pi / 8, -2, -1, 0.25)
print('tube', *k.rel3pt(1.61, -1.69, -1.6))   # the side that faces the eye
print('rgb', *k.getind(k.nzposn(2)))
for i in range(17): print('rgb', *k.getind(k.nzposn(-1.8 + i * 0.025)))
""")
    px = im.load()
    c = [float(v) for v in re.search(r"sphere (.*)", out).group(1).split()]
    # The sphere's middle in the current colour, its projected outline about right.
    green = np.array([float(v) for v in re.search(r"green (.*)", out).group(1).split()]) * 255
    green = np.all(np.abs(np.asarray(im, int) - green) <= 3, axis=2)
    assert green[int(c[1] * f) - 2:int(c[1] * f) + 3, int(c[0] * f) - 2:int(c[0] * f) + 3].mean() > 0.5
    radius = max(np.hypot(c[2] - c[0], c[3] - c[1]), np.hypot(c[4] - c[0], c[5] - c[1])) * f
    assert 0.7 * np.pi * radius ** 2 < green.sum() < 1.4 * np.pi * radius ** 2
    rgb = [np.array([float(v) for v in line.split()[1:]]) * 255 for line in out.splitlines() if line.startswith("rgb")]
    for key, want in (("tri", rgb[:1]), ("tube", rgb[1:])):
        q = [float(v) for v in re.search(key + r" (.*)", out).group(1).split()]
        got = np.array(px[int(q[0] * f), int(q[1] * f)])
        assert min(np.abs(got - w).max() for w in want) <= 4, (key, got)


def test_surfcp_callables_that_fail_or_return_junk(run):
    out = run("""
        import numpy as np
        k.metafl('SVG'); k.setfil('p.svg'); k.kalini(); k.errmod('PROT', 'OFF'); k.nograf()
        k.graf3d(0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1)
        calls = []
        def bad(t, p, i):
            calls.append(t)
            if t > 0.5: raise ValueError('no')
            return (t, p, True)[i - 1]
        for f in (bad, lambda t, p, i: 'x' if i == 3 else 0.5, 42):
            try:
                k.surfcp(f, 0, 1, 0.25, 0, 1, 0.25)
                print('returned')
            except (ValueError, TypeError) as e:
                print(type(e).__name__, len(calls))
        k.surfcp(lambda t, p, i: np.float32((t, p, 0.5)[i - 1]), 0, 1, 0.25, 0, 1, 0.25)
        k.surfcp(lambda t, p, i: (t, p, np.int64(1))[i - 1], 0, 1, 0.25, 0, 1, 0.25)
        print('done')
        k.kalfin()
    """)
    # Raised once the surface is drawn (every sample asked), not at the first failure.
    assert out.splitlines()[:3] == ["ValueError 75", "TypeError 75", "TypeError 75"], out
    assert "done" in out and "Warning" not in out
    svg = (run.path / "p.svg").read_text()
    assert svg.count("<polygon") >= 16 * 3


def visible_z(u, eye=(0, -6, 3)):
    """The two planes z = x and z = 4 - x over the box 0..4 (absolute
    Z = X and Z = -X): the user z seen along the ray to the user point u
    on the first plane."""
    e, p = np.array(eye, float), np.array(u, float) / 2 - 1
    d = p - e
    t = -(e[2] + e[0]) / (d[2] + d[0])
    q = e + t * d
    if 0 < t < 1 and np.all(np.abs(q) <= 1):
        return (q[2] + 1) * 2
    return u[2]


def page_index(corners, index, q):
    """The colour index at page point q of a quadrilateral drawn as the
    triangles (0, 1, 2) and (0, 2, 3), interpolated on the page."""
    for t in ((0, 1, 2), (0, 2, 3)):
        a, b, c = (np.array(corners[i]) for i in t)
        s, r = np.linalg.solve(np.array([b - a, c - a]).T, np.array(q) - a)
        if min(s, r, 1 - s - r) >= -1e-6:
            return index[t[0]] + s * (index[t[1]] - index[t[0]]) + r * (index[t[2]] - index[t[0]])


def test_smooth_planes_cross_at_their_line_and_aamode_smooths_edges(run):
    samples = [(x, y, x) for x in (0.05, 0.5, 1, 1.5, 2.5, 3, 3.5, 3.95) for y in (0.05, 1, 2, 3, 3.95)]
    quad = [(0, 0), (4, 0), (4, 4), (0, 4)]
    colours = []
    for aa in (False, True):
        im, f, out = page(run, "PNG", f"""
k.setvlt('RAIN'); k.shdmod('SMOOTH', 'SURF'); k.view3d(0, -6, 3, 'ABS')
k.graf3d(0, 4, 0, 1, 0, 4, 0, 1, 0, 4, 0, 1)
k.zbfini()   # one depth buffer for both planes
k.surshd([0, 4], 2, [0, 4], 2, [[0, 0], [4, 4]])
k.surshd([0, 4], 2, [0, 4], 2, [[4, 4], [0, 0]])
k.zbffin()
for p in {samples!r}: print('pt', *k.rel3pt(*p))
for x, y in {quad!r}: print('a', *k.rel3pt(x, y, x)); print('b', *k.rel3pt(x, y, 4 - x))
for i in range(256): print('rgb', *k.getind(i))
print('index', k.nzposn(0), k.nzposn(4))
""", aamode=aa)
        assert "Warning" not in out
        rows = lambda key: [[float(v) for v in line.split()[1:]] for line in out.splitlines() if line.startswith(key)]
        table = np.array(rows("rgb")) * 255
        lo, hi = (int(v) for v in re.search(r"index (\d+) (\d+)", out).groups())
        a_index = [lo + (hi - lo) * x / 4 for x, _ in quad]
        b_index = [lo + (hi - lo) * (4 - x) / 4 for x, _ in quad]
        swapped = 0
        for u, p in zip(samples, rows("pt")):
            # The nearer plane, in the index interpolated on the page (exact at the corners).
            front_b = abs(visible_z(u) - u[2]) > 0.1
            swapped += front_b
            if aa and not (0.1 < u[1] < 3.9):
                continue   # the reduction mixes a plane's rim with what lies beside it
            index = page_index(rows("b"), b_index, p) if front_b else page_index(rows("a"), a_index, p)
            got = np.array(im.getpixel((int(p[0] * f), int(p[1] * f))), float)
            near = range(max(0, int(index) - 3), min(255, int(index) + 4))   # a pixel's step
            assert min(np.abs(table[i] - got).max() for i in near) <= 4.01, (aa, u, index, got)
        assert 3 <= swapped < len(samples)   # both planes seen in front
        colours.append(len(im.getcolors(1 << 24)))
    assert colours[1] > colours[0] + 16   # the edges smoothed into more than 16 mixtures
