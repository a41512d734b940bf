"""Getters read back their setters; settings and the drawing routines without a subsystem of their
own are judged by their pixels (Pillow, one pixel per plot unit)."""
import ast
import textwrap

import numpy as np
import pytest
from PIL import Image

W, H = 853, 603

# (setters, getter, expected). Each case starts from reset("ALL").
GETTERS = [
    ("k.clpwin(10, 20, 300, 200)", "k.getclp()", (10, 20, 300, 200)),
    ("k.digits(3, 'X'); k.digits(0, 'Y'); k.digits(-1, 'Z')", "k.getdig()", (3, 0, -1)),
    ("k.hname(50); k.linwid(5); k.widbar(40); k.lintyp(4)", "(k.gethnm(), k.getlin(), k.getwid(), k.gettyp())",
     (50, 5, 40, 4)),
    ("k.axslen(700, 500)", "k.getlen()", (700, 500, 500)),
    ("k.ax3len(700, 500, 300)", "k.getlen()", (700, 500, 300)),
    ("k.origin(30, 40); k.axspos(100, 550); k.ticlen(40, 20)", "k.getor() + k.getpos() + k.gettcl()",
     (30, 40, 100, 550, 40, 20)),
    ("k.setres(7, 9)", "k.getres()", (7, 9)),
    ("k.axslen(700, 500); k.autres(10, 20)", "k.getres()", (70, 25)),
    ("k.scale('LOG', 'YZ')", "k.getscl()", (0, 1, 1)),
    ("k.axsscl('LOG', 'X')", "k.getscl()", (1, 0, 0)),
    ("k.labdis(40, 'X'); k.labdis(50, 'Y'); k.labdis(60, 'Z'); k.namdis(41, 'X'); k.namdis(-5, 'Y'); "
     "k.namdis(61, 'Z')", "k.getsp1() + k.getsp2()", (40, 50, 60, 41, -5, 61)),
    ("k.marker(5); k.hsymbl(30)", "k.getsym() + k.getres()", (5, 30, 30, 30)),
    ("k.ticks(3, 'X'); k.ticks(0, 'YZ')", "k.gettic()", (3, 0, 0)),
    ("k.myline([5, 5], 2)", "k.gettyp()", -1),
    ("k.chnatt(); k.chnatt()", "k.gettyp()", 1),
    ("k.chnatt(); k.resatt()", "(k.gettyp(), k.getclr())", (0, 255)),
    ("k.unit(0)", "k.getuni()", 0),
    ("k.unit(1)", "k.getuni()", 6),
    ("k.vkytit(15); k.vkxbar(20); k.vkybar(-5)", "k.getvk()", (15, 20, -5)),
    ("k.graf(0, 10, 0, 2, -1, 1, -1, 0.5)", "k.getgrf('X') + k.getgrf('y')", (0, 10, 0, 2, -1, 1, -1, 0.5)),
    ("k.scale('LOG', 'X'); k.graf(0, 3, 0, 1, 0, 1, 0, 1)", "k.getgrf('X')", (0, 3, 0, 1)),
]


@pytest.mark.parametrize("origin", ["TOP", "BOTTOM"])
def test_getters_read_back_their_setters(run, origin):
    cases = "\n".join(
        f"k.getlev() > 1 and k.endgrf(); k.reset('ALL'); k.pagorg({origin!r}); {setters}\n"
        f"results.append({getter})"
        for setters, getter, _ in GETTERS)
    out = run(f"""
        k.setpag('DA4L'); k.metafl('VIRT'); k.kalini(); k.errmod('PROT', 'OFF')
        results = []
        {textwrap.indent(cases, ' ' * 8).lstrip()}
        print("RESULTS", repr(results))
        k.kalfin()
    """)
    assert "<<<< Warning" not in out
    results = ast.literal_eval(out.split("RESULTS ")[1].splitlines()[0])
    for (setters, getter, expected), got in zip(GETTERS, results):
        assert got == expected, f"{setters} -> {getter}"
    # A wrong axis name is a warning and zeros.
    out = run("k.metafl('VIRT'); k.kalini(); print(k.getgrf('Q')); k.kalfin()")
    assert "(0.0, 0.0, 0.0, 0.0)" in out and "Warning" in out


def page(run, body, fmt="PNG", rgb=False):
    """body on a W x H page: (inked pixels or the RGBA array, standard output)."""
    start = (f"k.page({W}, {H}); k.sclmod('FULL'); k.metafl('{fmt}')\n"
             "k.kalini(); k.errmod('PROT', 'OFF')\n")
    out = run(start + textwrap.dedent(body) + "\nk.kalfin()\n")
    path = run.path / "kalvor.png"
    im = Image.open(path).convert("RGBA")
    path.unlink()   # the next run writes kalvor.png again, not kalvor_1.png
    if rgb:
        return np.asarray(im), out
    grey = np.asarray(im.convert("L")).astype(int)
    return abs(grey - grey[0, 0]) > 48, out


# An axis system of 600 x 400 units from (100, 500): user (u, v) lies at
# pixel column 100 + u * 599 / 6 and row 500 - v * 399 / 4.
SYSTEM = "k.axspos(100, 500); k.axslen(600, 400); k.graf(0, 6, 0, 1, 0, 4, 0, 1)\n"
BARE = "k.setgrf('NONE', 'NONE', 'NONE', 'NONE'); k.frame(0)\n" + SYSTEM   # no axes, no frame


px = lambda u: round(100 + u * 599 / 6)
py = lambda v: round(500 - v * 399 / 4)


def test_shdcrv_fills_between_its_curves(run):
    curves = "k.shdcrv([1, 3, 5], [1, 1, 1], 3, [1, 5], [3, 3], 2)"
    ink, _ = page(run, SYSTEM + curves)
    assert ink[py(2), px(3)] and ink[py(1.2), px(4.8)]            # between the curves
    assert not ink[py(3.5), px(3)] and not ink[py(0.5), px(3)]    # above and below
    assert not ink[py(2), px(0.5)] and not ink[py(2), px(5.5)]    # beyond their ends
    # nofill: only the outline; filclr: the fill's colour, the current one kept.
    ink, _ = page(run, SYSTEM + "k.nofill()\n" + curves)
    assert not ink[py(2), px(3)] and ink[py(1), px(3)] and ink[py(3), px(3)]
    pixels, out = page(run, SYSTEM + "k.filclr('RED')\n" + curves + "\nprint(k.getclr())", rgb=True)
    assert tuple(pixels[py(2), px(3)][:3]) == (255, 0, 0) and out.split()[-1] == "255"
    # Curves crossing each other: both lobes filled; NaN points left out with a warning.
    ink, out = page(run, SYSTEM + "k.shdcrv([1, 5], [1, 3], 2, [1, 5], [3, 1], 2)\n"
                    "k.shdcrv([1, float('nan')], [1, 1], 2, [1], [2], 1)")
    assert ink[py(2), px(1.5)] and ink[py(2), px(4.5)] and not ink[py(1.2), px(3)]
    assert "1 points left out" in out


def test_grdpol_circles_and_sectors(run):
    # A square system of 100 units per user unit round its origin.
    square = "k.axspos(126, 601); k.axslen(601, 601); k.setgrf('NONE', 'NONE', 'NONE', 'NONE'); k.frame(0)\n" \
             "k.graf(-3, 3, -3, 1, -3, 3, -3, 1)\n"
    ink, _ = page(run, square + "k.grdpol(2, 0)")   # circles every half unit
    cx, cy = 126 + 300, 601 - 300
    for r in (50, 100, 250):
        for a in (0.3, 2.0, 4.0):
            x, y = cx + r * np.cos(a), cy - r * np.sin(a)
            assert ink[round(y) - 1:round(y) + 2, round(x) - 1:round(x) + 2].any(), (r, a)
    assert not ink[cy - 1:cy + 2, cx + 70:cx + 80].any()          # between two circles
    ink, _ = page(run, square + "k.polmod('TOP', 'CLOCKWISE'); k.grdpol(0, 4)")
    assert ink[cy - 200, cx] and ink[cy, cx + 200] and not ink[cy - 140, cx + 140]


def test_box2d_frames_the_axis_area(run):
    ink, _ = page(run, BARE)
    assert not ink.any()
    ink, _ = page(run, BARE + "k.box2d()")
    rows, cols = np.nonzero(ink)
    assert (rows.min(), rows.max(), cols.min(), cols.max()) == (101, 500, 100, 699)
    assert ink[101, 100:700].all() and ink[500, 100:700].all() and ink[101:501, 699].all()
    # In a 3-D system: the rectangle round the projected box.
    ink, _ = page(run, "k.nograf(); k.axspos(200, 580); k.axslen(450, 450); k.graf3d(0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1); k.box3d(); k.box2d()")
    rows, cols = np.nonzero(ink)
    top, bottom, left, right = rows.min(), rows.max(), cols.min(), cols.max()
    assert ink[top, left:right + 1].all() and ink[top:bottom + 1, right].all()
    assert ink[top + 5:bottom - 5, left + 5:right - 5].any()      # the box inside


def test_rlmess_addlab_and_axis_settings(run):
    # rlmess writes where rlnumb puts a number.
    number, _ = page(run, SYSTEM + "k.rlnumb(5, -1, 2, 3)")
    text, _ = page(run, SYSTEM + "k.rlmess('5', 2, 3)")
    assert (number != text).sum() == 0 and text[py(3):py(3) + 40, px(2):px(2) + 40].any()
    plain, _ = page(run, SYSTEM)
    added, _ = page(run, SYSTEM + "k.addlab('XX', 2.5, 1, 'X')")
    new = added & ~plain
    rows, cols = np.nonzero(new)
    assert abs((cols.min() + cols.max()) / 2 - px(2.5)) <= 4 and rows.min() >= 500
    assert new[501:520, px(2.5)].any()                             # its tick
    # axends: no label under the ends of X, the middle ones kept.
    ends, _ = page(run, "k.axends('BOTH', 'X')\n" + SYSTEM)
    below = slice(530, 590)   # under the ticks
    assert plain[below, px(0) - 8:px(0) + 8].any() and not ends[below, px(0) - 8:px(0) + 8].any()
    assert not ends[below, px(6) - 8:px(6) + 8].any() and ends[below, px(3) - 8:px(3) + 8].any()
    # intax: "3" instead of "3.0".
    whole, _ = page(run, "k.intax()\n" + SYSTEM)
    span = lambda ink: np.ptp(np.nonzero(ink[below, px(3) - 40:px(3) + 40])[1])
    assert span(whole) < span(plain) - 10
    # center: the axis rectangle in the middle of the page wherever axspos put it.
    centred, _ = page(run, "k.setgrf('NONE', 'NONE', 'NONE', 'NONE'); k.center(); k.axspos(0, 600)\n"
                           "k.axslen(400, 300); k.graf(0, 1, 0, 1, 0, 1, 0, 1)")
    rows, cols = np.nonzero(centred)
    assert (cols.min(), cols.max()) == ((W - 1 - 400) // 2, (W - 1 - 400) // 2 + 399)
    assert abs((rows.min() + rows.max()) / 2 - (H - 1) / 2) <= 1


def test_grace_widens_the_axis_window_and_paghdr_fills_its_corner(run):
    line = BARE + "k.rline(-1, 2, 7, 2)"
    tight, _ = page(run, line)
    wide, _ = page(run, "k.grace(20)\n" + line)
    band = slice(py(2) - 2, py(2) + 3)
    assert not tight[band, 85:98].any() and wide[band, 85:98].any(axis=0).all() and not wide[band, 60:78].any()
    upper_right, _ = page(run, "k.height(20); k.paghdr('Run ', '', 2, 0)")
    lower_left, _ = page(run, "k.height(20); k.paghdr('Run ', '', 4, 1)")
    rows, cols = np.nonzero(upper_right)
    assert rows.max() < 60 and cols.min() > W // 2 and W - 40 < cols.max() < W
    rows, cols = np.nonzero(lower_left)
    assert cols.max() < 60 and rows.min() > 100 and H - 40 < rows.max() < H


def test_colour_point_rectangles_and_transparent_page(run):
    body = "k.nograf(); k.setres(40, 10); k.graf3(0, 2, 0, 1, 0, 2, 0, 1, 0, 2, 0, 1)\n" \
           "k.curve3([1], [1], [1.5], 1)"
    ink, _ = page(run, body)
    rows, cols = np.nonzero(ink)
    assert (np.ptp(cols) + 1, np.ptp(rows) + 1) in [(40, 10), (41, 11)]
    pixels, _ = page(run, "k.nobgd(); k.line(10, 10, 100, 100)", rgb=True)
    assert pixels[300, 500][3] == 0 and pixels[50, 50][3] == 255
    # shdcha: outline characters take the selected pattern (here hatching).
    text = "k.helve(); k.height(200); k.shdpat(1); k.messag('HM', 100, 100)"
    solid, _ = page(run, text)
    shaded, _ = page(run, "k.shdcha()\n" + text)
    assert 100 < shaded.sum() < 0.7 * solid.sum() and (shaded & ~solid).sum() < 0.1 * shaded.sum()


def test_neglog_puts_values_at_or_below_zero_at_eps(run):
    body = "k.scale('LOG', 'Y'); k.axspos(100, 500); k.axslen(600, 400); k.graf(0, 4, 0, 1, -2, 1, -2, 1)\n" \
           "k.curve([1, 2, 3], [1, 0, -3], 3)"
    plain, out = page(run, body)
    ink, out2 = page(run, "k.neglog(0.1)\n" + body)
    assert "Warning  27" in out and "Warning  27" not in out2 and (ink & ~plain).any()


def test_getmat_reproduces_a_plane_and_the_cursor_without_a_window_returns_at_once(run):
    out = run("""
        k.metafl('VIRT'); k.kalini(); k.errmod('PROT', 'OFF')
        k.csruni('USER'); k.csrtyp('CROSS'); k.csrmod('SYMB', 'POINT'); k.setcsr('LINE')
        xs, ys = [0] * 4, [0] * 4
        print(k.csrpt1(), k.csrpts(xs, ys, 4), k.csrmov(xs, ys, 4), k.csrpos(10, 20), xs)
        k.csruni('MILES')
        k.graf(0, 4, 0, 1, 0, 4, 0, 1)
        k.mdfmat(1, 1, 2)
        pts = [(0, 0), (0, 4), (4, 0), (4, 4), (2, 2)]
        x = [p[0] for p in pts]; y = [p[1] for p in pts]; z = [2 * a + 3 * b + 1 for a, b in pts]
        m = [0.0] * 25
        k.getmat(x, y, z, 5, m, 5, 5, -99)
        print(m)
        k.getmat([1, float('nan')], [1, 1], [5, 7], 2, m, 5, 5, -1)
        print(m[1 * 5 + 1], m[4 * 5 + 4])
        k.kalfin()
    """, env={"DISPLAY": ""})
    assert "(0, 0) 0 0 (10, 20, 0) [0, 0, 0, 0]" in out
    assert out.count("Warning 101") == 4 and out.count("Warning   2") == 1
    lines = [l for l in out.strip().splitlines() if l.startswith(("[", "5"))]
    m = np.array(ast.literal_eval(lines[0])).reshape(5, 5)        # m[i][j]: x = i, y = j
    assert all(m[a, b] == 2 * a + 3 * b + 1 for a, b in [(0, 0), (0, 4), (4, 0), (4, 4), (2, 2)])
    assert m[1, 1] == pytest.approx(6) and m[3, 3] == pytest.approx(16)   # between two points
    assert m[0, 2] == -99 and lines[1] == "5.0 -1.0"             # no point within reach
