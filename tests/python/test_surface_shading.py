"""Shaded surfaces: FLAT cells in PDF, SVG, PNG against a numpy visibility reference, getlit against
numpy's Phong terms, mesh modes, surtri, sphe3d, surfcp, bad input, SMOOTH through the depth buffer."""
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


def rows(out, key):
    """The numbers after `key` on each printed line that starts with it."""
    return [[float(v) for v in line.split()[1:]] for line in out.splitlines() if line.startswith(key + " ")]


def hill(n=16, m=14, reverse=False):
    x, y = np.linspace(0, 4, n), np.linspace(0, 4, m)
    z = 3.5 * np.exp(-((x[:, None] - 2.5) ** 2 + (y[None, :] - 1.2) ** 2) / 0.8) + 0.2 * x[:, None]
    return (x[::-1], y[::-1], z[::-1, ::-1]) if reverse else (x, y, z)   # reverse: data running the other way


def nearest_cells(g, eye=(4, -5, 4), margin=8):
    """{cell: (its projected centre, the cell nearest to the eye there)}, only where the
    neighbourhood (`margin` plot units) sees the same cell, so that no edge is sampled."""
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
        hits = [(d[0] + s * (d[1] - d[0]) + t * (d[2] - d[0]), cell) for cell, a, inv, d in tris
                for s, t in [inv @ (q - a)] if s >= 0 and t >= 0 and s + t <= 1]
        return min(hits)[1] if hits else None

    out = {}
    for i in range(n):
        for j in range(m):
            q = P[i:i + 2, j:j + 2].reshape(4, 2).mean(axis=0)
            around = {seen(q + d) for d in margin * np.array([(0, 0), (1, 0), (-1, 0), (0, 1), (0, -1)])}
            if len(around) == 1 and None not in around:
                out[(i, j)] = (q, around.pop())
    return out


@pytest.mark.parametrize("dev", ["PDF", "SVG", "PNG"])
def test_flat_and_lit_surfaces_whichever_way_their_data_run(run, dev):
    # FLAT: each cell in the colour of its mean, near cells covering far ones.
    lit_pics = []
    for reverse in (False, True):
        x, y, z = hill(reverse=reverse)
        surface = f"""
k.graf3d(0, 4, 0, 1, 0, 4, 0, 1, 0, 4, 0, 1)
k.surshd({x.tolist()!r}, {len(x)}, {y.tolist()!r}, {len(y)}, {z.tolist()!r})
"""
        im, f, out = page(run, dev, surface + f"""
import json   # the grid's plot and absolute points, the colour of each cell's mean value
x, y, z = {x.tolist()!r}, {y.tolist()!r}, {z.tolist()!r}
g = {{'plot': [[k.rel3pt(x[i], y[j], z[i][j]) for j in range(len(y))] for i in range(len(x))],
     'abs': [[k.pos3pt(x[i], y[j], z[i][j]) for j in range(len(y))] for i in range(len(x))],
     'rgb': [[k.getind(k.nzposn(sum(z[a][b] for a in (i, i + 1) for b in (j, j + 1)) / 4))
              for j in range(len(y) - 1)] for i in range(len(x) - 1)]}}
print('GEOMETRY', json.dumps(g))
""")
        g = json.loads(re.search(r"GEOMETRY (.*)", out).group(1))
        rgb, px, cells = np.array(g["rgb"], float) * 255, im.load(), nearest_cells(g)
        for ij, (q, cell) in cells.items():
            got = np.array(px[int(q[0] * f), int(q[1] * f)], float)
            assert np.abs(got - rgb[cell]).max() <= 4, (reverse, ij, cell, got, rgb[cell])
        assert len(cells) > 100 and sum(c != ij for ij, (_, c) in cells.items()) >= 5   # the hill hides cells
        lit_pics.append(np.asarray(page(run, dev, "k.light('ON'); k.litpos(1, 1, -3, 5, 'ABS')" + surface)[0], float))
    a, b = lit_pics
    lit = np.abs(a - a[0, 0]).sum(axis=2) > 30   # not the background; lit from above: not dark facing the light
    assert lit.mean() > 0.02 and np.median(a[lit].max(axis=1)) > 90
    # The same colours apart from the anti-aliased or overlapping edges.
    assert np.mean(np.abs(a - b).max(axis=2)[lit] <= 4) > 0.97


def phong(p, n, lights, mat, eye=(4, -5, 4)):
    """Reference Phong colour (0..255 per component)."""
    p, n, eye = (np.array(v, float) for v in (p, n, eye))
    n = n / np.linalg.norm(n) if np.linalg.norm(n) >= 1e-35 else n
    v = (eye - p) / np.linalg.norm(eye - p)
    col = 0.2 * np.array(mat["ambi"], float)
    for l in lights:
        to = np.array(l["pos"], float) - p
        d = np.linalg.norm(to)
        a = 1 / (max(l.get("cons", 1), 1e-10) + l.get("line", 0) * d + l.get("quad", 0) * d * d)
        term = np.array(l.get("ambi", (0, 0, 0)), float) * mat["ambi"]
        if d >= 1e-35:
            L = to / d
            nl, r = n @ L, 2 * (n @ L) * n - L
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
         (0.1, 0.2, 1), [{"pos": 6 * np.sqrt(.5) * np.array([np.sin(np.radians(10)), np.cos(np.radians(10)), 1]),
                         "line": 0.3, "quad": 0.2}], base),
        # N.L < 0 with specular on: neither diffuse nor specular; a second light from the other side
        ("k.matopt(1, 'SPEC'); k.matopt(3, 'EXPO'); k.litmod(2, 'ON'); k.litpos(2, 0, 0, -5, 'ABS')",
         (0, 0, 0), (0, 0, 1), [{"pos": (4, -5, 4)}, {"pos": (0, 0, -5)}], dict(base, spec=(1,) * 3, expo=3)),
        # a light in user coordinates, placed by the axis system (box 2 x 2 x 2 over 0..4)
        ("k.litpos(1, 4, 0, 4, 'USER'); k.graf3d(0, 4, 0, 1, 0, 4, 0, 1, 0, 4, 0, 1)", (0, 0, 0), (1, -1, 1),
         [{"pos": (1, -1, 1)}], base),
    ]
    out = run("".join(f"k.metafl('VIRT'); k.kalini(); k.errmod('PROT', 'OFF'); k.nograf(); {PLACE}; k.light('ON')\n"
                      f"{settings}\nc = k.getlit(*{p!r}, *{n!r}); print('lit', c & 255, c >> 8 & 255, c >> 16 & 255,"
                      f" c >> 24)\nk.kalfin()\n" for settings, p, n, _, _ in cases)
              + "k.metafl('VIRT'); k.kalini(); k.errmod('PROT', 'OFF'); k.color('RED')\n"
              "print('off', k.getlit(0, 0, 0, 0, 0, 1) == k.getclr()); k.litopt(9, 1, 'DIFF'); k.litopt(1, -1, 'DIFF')\n"
              "k.kalfin()\n")
    got = rows(out, "lit")
    assert len(got) == len(cases)
    for (settings, p, n, lights, mat), g in zip(cases, got):
        assert g[3] == 1, settings   # a direct colour value
        assert np.abs(np.array(g[:3]) - phong(p, n, lights, mat)).max() <= 1, (settings, g)
    assert "off True" in out
    assert [int(w) for w in re.findall(r"Warning +(\d+)", out)] == [2, 1]


def test_mesh_modes_outline_cells_over_their_fill_or_the_background(run):
    seen = {}
    for mode in ("OFF", "ON", "ONLY"):
        im, f, out = page(run, "PNG", f"""
k.setvlt('RAIN'); k.surmsh('{mode}'); k.graf3d(0, 3, 0, 1, 0, 2, 0, 1, 0, 2, 0, 1); k.color('RED')
k.surshd([0, 1, 2, 3], 4, [0, 1, 2], 3, [[1, 1, 1]] * 4)
print('at', *k.rel3pt(0.5, 0.5, 1), *k.rel3pt(1, 0.5, 1))   # a cell's middle, an edge
""")
        cx, cy, ex, ey = (v * f for v in rows(out, "at")[0])
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
        k.graf3(0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1); k.surshd([0, 1], 2, [0, 1], 2, [0, 1, 2, 3])   # not 3-D: 35
        k.endgrf(); k.graf3d(0, 4, 0, 1, 0, 4, 0, 1, 0, 4, 0, 1)
        k.surshd([0], 1, [0, 1], 2, [0, 1])                       # 2
        import numpy as np; big = np.arange(3163, dtype=np.float32)
        k.surshd(big, 3163, big, 3163, np.zeros((3163, 3163), np.float32))   # over 10 million points: 53
        k.surtri([0, 4, 4, 0], [0, 0, 4, 4], [1, 2, 3, 2], 4, [1, 1, 0], [2, 3, 7], [3, 4, 2], 3)   # 2 once
        for r, nx, ny in ((1, 2, 5), (-1, 8, 5), (1, 100000, 100000)): k.sphe3d(2, 2, 2, r, nx, ny)   # 2, 2, 2
        for d in ((0, 0.1), (1e-9, 1e-9)): k.surfcp(lambda t, p, i: t, 0, 1, d[0], 0, 1, d[1])     # 2, 2
        k.shdmod('SMOOTH', 'SURF'); k.surshd([0, 1], 2, [0, 1], 2, [0, 1, 2, 3])   # vector file: 40
        k.shdmod('FLAT', 'SURF'); k.shdmod('ROUND', 'SURF')       # 2
        k.surmsh('MAYBE')                                         # 2
        k.surshd([0, 1, 2, 3], 4, [0, 1, 2], 3, [[1, 1, 1], [1, math.nan, 1], [1, 1, 1], [1, 1, 1]])
        k.kalfin()
    """)
    warnings = [int(w) for w in re.findall(r"Warning +(\d+)", out)]
    assert warnings == [3, 35, 2, 53, 2, 2, 2, 2, 2, 2, 40, 2, 2], out
    assert "nan" not in (run.path / "p.svg").read_text().lower()
    if shutil.which("xmllint"):
        assert subprocess.run(["xmllint", "--noout", "p.svg"], cwd=run.path).returncode == 0


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
    px, c, rgb = im.load(), rows(out, "sphere")[0], np.array(rows(out, "rgb")) * 255
    # The sphere's middle in the current colour, its projected outline about right.
    green = np.all(np.abs(np.asarray(im, int) - np.array(rows(out, "green")[0]) * 255) <= 3, axis=2)
    assert green[int(c[1] * f) - 2:int(c[1] * f) + 3, int(c[0] * f) - 2:int(c[0] * f) + 3].mean() > 0.5
    radius = max(np.hypot(c[2] - c[0], c[3] - c[1]), np.hypot(c[4] - c[0], c[5] - c[1])) * f
    assert 0.7 * np.pi * radius ** 2 < green.sum() < 1.4 * np.pi * radius ** 2
    for key, want in (("tri", rgb[:1]), ("tube", rgb[1:])):
        q = rows(out, key)[0]
        got = np.array(px[int(q[0] * f), int(q[1] * f)])   # the triangle's or the tube's colour
        assert np.abs(got - want).max(axis=1).min() <= 4, (key, got)


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
    assert (run.path / "p.svg").read_text().count("<polygon") >= 16 * 3


def visible_z(u, eye=(0, -6, 3)):
    """User z seen along the ray to point u of plane z = x, with plane z = 4 - x in the box 0..4."""
    e = np.array(eye, float)
    d = np.array(u, float) / 2 - 1 - e
    t = -(e[2] + e[0]) / (d[2] + d[0])
    q = e + t * d
    return (q[2] + 1) * 2 if 0 < t < 1 and np.all(np.abs(q) <= 1) else u[2]


def page_index(corners, index, q):
    """Colour index at page point q of a quad drawn as triangles (0, 1, 2), (0, 2, 3)."""
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
        table = np.array(rows(out, "rgb")) * 255
        lo, hi = (int(v) for v in re.search(r"index (\d+) (\d+)", out).groups())
        a_index, b_index = ([lo + (hi - lo) * v / 4 for v in side] for side in ((0, 4, 4, 0), (4, 0, 0, 4)))
        swapped = 0
        for u, p in zip(samples, rows(out, "pt")):
            # The nearer plane, in the index interpolated on the page (exact at the corners).
            front_b = abs(visible_z(u) - u[2]) > 0.1
            swapped += front_b
            if aa and not (0.1 < u[1] < 3.9):
                continue   # the reduction mixes a plane's rim with what lies beside it
            index = page_index(rows(out, "b"), b_index, p) if front_b else page_index(rows(out, "a"), a_index, p)
            got = np.array(im.getpixel((int(p[0] * f), int(p[1] * f))), float)
            near = range(max(0, int(index) - 3), min(255, int(index) + 4))   # a pixel's step
            assert min(np.abs(table[i] - got).max() for i in near) <= 4.01, (aa, u, index, got)
        assert 3 <= swapped < len(samples)   # both planes seen in front
        colours.append(len(im.getcolors(1 << 24)))
    assert colours[1] > colours[0] + 16   # the edges smoothed into more than 16 mixtures
