"""Each quick plot writes the bytes of its steps by hand, each plot variable those of its routine.
Plot variables live as long as the process: every scenario that sets one runs in a child."""
import concurrent.futures
import textwrap

import numpy as np
import pytest

from conftest import render, run_python

import kalvor as k

# Data and the steps of the quick plots by hand (on a fresh or a started
# library, metafl already called): what the quick plot must reproduce.
PRELUDE = '''
import math
import numpy as np
import kalvor as k
X = [0.5 + 0.5 * i for i in range(12)]
Y = [math.sin(v) + 1.5 for v in X]
Z = [v * v for v in X]
GX = [-1 + 0.25 * i for i in range(9)]
GY = [-1 + 0.4 * j for j in range(6)]
M = [[math.exp(-(a * a + b * b)) * 3 for b in GY] for a in GX]
LEVELS = [0.3, 0.9, 1.5, 2.1]
DATA = {"plot": (X, Y), "scattr": (X, Y), "plot3": (X, Y, Z)}

def hand(kind, calls=(), axes=None, levels=None, erase=True):
    if k.getlev() == 0:
        k.kalini(); k.complx(); k.nochek()
    else:
        erase and k.erase(); k.reset("setscl")
    if k.getlev() >= 2:
        k.endgrf()
    k.pagera()
    if kind == "scattr":
        k.incmrk(-1); k.marker(3); k.hsymbl(10)
    elif kind == "plot":
        k.incmrk(0)
    elif kind in ("contour", "conshade"):
        k.labels("float", "contour")
    for name, *args in calls:
        getattr(k, name)(*args)
    params = []
    for letter, values in zip("XYZ", DATA.get(kind, (GX, GY))):
        given = (axes or {}).get(letter)
        if given and len(given) == 4:
            params += given
            continue
        lo, hi = given or (float(np.float32(min(values))), float(np.float32(max(values))))
        k.setscl([lo, hi], 2, letter)
        params += [lo, hi, lo, hi - lo]
    (k.graf if len(params) == 8 else k.graf3)(*params)
    k.title()
    if kind in ("plot", "scattr"):
        k.curve(X, Y, len(X))
    elif kind == "plot3":
        k.curve3(X, Y, Z, len(X))
    elif kind == "conshade":
        k.conshd(GX, len(GX), GY, len(GY), M, levels, len(levels))
    else:
        h = k.gethgt(); k.height(25)
        [k.contur(GX, len(GX), GY, len(GY), M, level) for level in levels]
        k.height(h)
    k.sendbf()

def quick(kind, *extra):
    getattr(k, kind)(*DATA.get(kind, (GX, GY, M)), *extra)

def default_levels():   # 10 levels from the minimum to the maximum, both included
    lo, hi = float(np.float32(M).min()), float(np.float32(M).max())
    return [hi if i == 9 else lo + i * (hi - lo) / 9 for i in range(10)]

def svg(name, body):
    k.metafl("SVG"); k.setfil(name); body(); k.errmod("PROT", "OFF"); k.kalfin()
'''


def child(cwd, code):
    return run_python(cwd, PRELUDE + textwrap.dedent(code)).stdout.decode("latin-1")


def children(cwd, codes):
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        return list(pool.map(lambda c: child(cwd, c), codes))


def same(path, a, b):
    return (path / a).read_bytes() == (path / b).read_bytes()


def test_each_quick_plot_writes_the_bytes_of_its_steps(tmp_path):
    child(tmp_path, """
        lv = default_levels()
        for kind in ("plot", "scattr", "plot3"):
            svg(f"q_{kind}.svg", lambda: quick(kind))
            svg(f"h_{kind}.svg", lambda: hand(kind))
        for name, kind, extra, levels in (
                ("contour", "contour", (None,), lv), ("contour4", "contour", (LEVELS,), LEVELS),
                ("empty_levels", "contour", ([],), []), ("conshade", "conshade", (np.array(LEVELS),), LEVELS),
                ("conshade10", "conshade", (), lv)):
            svg(f"q_{name}.svg", lambda: quick(kind, *extra))
            svg(f"h_{name}.svg", lambda: hand(kind, levels=levels))
        # numpy arrays of either precision, and a numpy matrix
        svg("n_plot.svg", lambda: k.plot(np.array(X), np.array(Y, dtype=np.float32)))
        svg("n_contour.svg", lambda: k.contour(np.array(GX), np.array(GY), np.array(M)))
        # two quick plots on one page: the second erases (ERASE unset)
        k.metafl("PNG"); k.setfil("q_twice.png"); quick("plot"); quick("scattr"); k.kalfin()
        k.metafl("PNG"); k.setfil("h_twice.png"); hand("plot"); hand("scattr"); k.kalfin()
        # two threads quick-plotting at once into two files
        import threading
        k.thrini(2); barrier = threading.Barrier(2)
        def work(name, kind):
            k.metafl("SVG"); k.setfil(name); barrier.wait(); quick(kind); k.errmod("PROT", "OFF"); k.kalfin()
        threads = [threading.Thread(target=work, args=a) for a in (("t_plot.svg", "plot"), ("t_contour.svg", "contour"))]
        [t.start() for t in threads]; [t.join() for t in threads]
        """)
    for kind in ("plot", "scattr", "plot3", "contour", "contour4", "conshade", "conshade10", "empty_levels", "twice"):
        suffix = "png" if kind == "twice" else "svg"
        assert same(tmp_path, f"q_{kind}.{suffix}", f"h_{kind}.{suffix}"), kind
    for a in ("n", "t"):   # numpy data; threads
        assert same(tmp_path, f"{a}_plot.svg", "q_plot.svg") and same(tmp_path, f"{a}_contour.svg", "q_contour.svg")
    # An independent reader sees the curve inside the axis system.
    image = np.asarray(render(tmp_path / "q_plot.svg", width=800).convert("L"))
    assert (image < 128).mean() > 0.01


@pytest.mark.parametrize("variables, kind, axes, calls", [
    ({"XMIN": 0.0, "XMAX": 8.0, "XOR": 0.0, "XSTEP": 2.0}, "plot", {"X": [0.0, 8.0, 0.0, 2.0]}, []),
    ({"YMIN": -1.0, "YMAX": 4.0}, "scattr", {"Y": (-1.0, 4.0)}, []),
    ({"xscl": "LOG", "XMIN": -1.0, "XMAX": 1.0}, "plot", {"X": (0.1, 10.0)}, [("scale", "LOG", "X")]),
    ({"YAUTO": 1, "YMIN": -1.0, "YMAX": 4.0}, "plot", {}, []),
    ({"ZMIN": 0.0, "ZMAX": 50.0, "ZOR": 0.0, "ZSTEP": 10.0, "T1": "Three"}, "plot3",
     {"Z": [0.0, 50.0, 0.0, 10.0]}, [("titlin", "Three", 1)]),
    ({"CONSHD": "CELL", "X": "Grid"}, "conshade", {}, [("name", "Grid", "X"), ("shdmod", "CELL", "CONTOUR")]),
])
def test_quick_plot_scaling_follows_the_variables(tmp_path, variables, kind, axes, calls):
    sets = "".join(f"k.setvar({n!r}, {v!r}); " for n, v in variables.items())
    levels = "LEVELS" if kind.startswith("con") else "None"
    extra = ", LEVELS" if kind.startswith("con") else ""
    child(tmp_path, f"""
        {sets}
        svg("q.svg", lambda: quick({kind!r}{extra}))
        # ERASE 0: the second plot is drawn over the first
        k.setvar("ERASE", 0)
        k.metafl("PNG"); k.setfil("q2.png"); quick({kind!r}{extra}); quick({kind!r}{extra}); k.kalfin()
        """)
    child(tmp_path, f"""
        svg("h.svg", lambda: hand({kind!r}, {calls!r}, {axes!r}, {levels}))
        k.metafl("PNG"); k.setfil("h2.png")
        hand({kind!r}, {calls!r}, {axes!r}, {levels}); hand({kind!r}, {calls!r}, {axes!r}, {levels}, erase=False)
        k.kalfin()
        """)
    assert same(tmp_path, "q.svg", "h.svg") and same(tmp_path, "q2.png", "h2.png")


def test_surf3_fills_a_rectangle_per_value_in_its_colour(tmp_path):
    child(tmp_path, """
        k.metafl("PNG"); k.setfil("s.png"); quick("surf3"); k.kalfin()
        k.metafl("PNG"); k.setfil("one.png"); k.surf3([1.0], [0.0, 1.0, 2.0], [[5.0, 6.0, 7.0]]); k.kalfin()
        """)
    from PIL import Image
    rgb, one = (np.asarray(Image.open(tmp_path / name).convert("RGB")).astype(int) for name in ("s.png", "one.png"))
    # The axis area is tiled without gaps: 9 x 6 cells of colour, and the
    # brightest red (the maximum 3.0 at the centre) is in the middle.
    coloured = (np.abs(rgb[:, :, 0] - rgb[:, :, 2]) > 60)
    assert coloured.sum() > 0.2 * rgb.shape[0] * rgb.shape[1]
    # the red cell lies near the centre of the coloured area (the colour bar apart)
    red = np.nonzero((rgb[:, :, 0] > 200) & (rgb[:, :, 1] < 60) & (rgb[:, :, 2] < 60))
    assert abs(np.median(red[0]) - np.median(np.nonzero(coloured)[0])) < 0.1 * rgb.shape[0]
    # one x grid point: the three rectangles span the whole axis width
    assert (np.abs(one[:, :, 0] - one[:, :, 2]) > 60).sum(axis=1).max() > 0.5 * one.shape[1]


def test_quick_plot_input_errors_and_empty_or_missing_data(run):
    out = run("""
        for call, args in ((k.plot, ([1, 2], [1])), (k.plot3, ([1, 2], [1, 2], [3])), (k.plot, ([1, 2], [1, "a"])),
                           (k.contour, ([1, 2], [1, 2], [[1, 2], [3]]))):
            try:
                call(*args)
            except ValueError as e:
                print("error", e)
        print(k.plot([], []), k.contour([], [1], []), k.getlev())
        print(k.plot([float("nan")] * 3, [1, 2, 3]), k.getlev())
        """)
    assert out.count("error mismatch of array sizes") == 2 and out.count("No finite values to plot") == 1
    assert "error no floatingpoint element in sequence" in out and "error matrix rows have different lengths" in out
    assert "None None 0\n" in out


# variable, value, the routine calls that give the same page, and what is
# drawn: "2d" a graf with curve and title, "3c" a colour system with
# curve3, "3d" a 3-D box, "con" shaded contours. Variables whose routine
# keeps another coordinate are set together, so the first call's kept value
# does not matter.
VARIABLES = [
    ({"H": 40, "POLCRV": "STEP"}, [("height", 40), ("polcrv", "STEP")], "2d"),
    ({"INCMRK": 1, "MARKER": 5, "hsymbl": 40}, [("hsymbl", 40), ("incmrk", 1), ("marker", 5)], "2d"),
    ({"T1": "one", "t2": "two", "T3": "three", "T4": "four", "HTITLE": 20, "VTITLE": -100},
     [("titlin", "one", 1), ("titlin", "two", 2), ("titlin", "three", 3), ("titlin", "four", 4), ("htitle", 20),
      ("vkytit", -100)], "2d"),
    ({"hname": 60, "X": "xname", "y": "yname"}, [("name", "xname", "X"), ("name", "yname", "Y"), ("hname", 60)], "2d"),
    ({"XDIG": 3, "YDIG": 2, "XTIC": 5, "ytic": 4},
     [("digits", 3, "X"), ("digits", 2, "Y"), ("ticks", 5, "X"), ("ticks", 4, "Y")], "2d"),
    ({"XLAB": "EXP", "ylab": "NONE"}, [("labels", "EXP", "X"), ("labels", "NONE", "Y")], "2d"),
    ({"XLEN": 1500, "YLEN": 900, "XPOS": 500, "YPOS": 1500}, [("axslen", 1500, 900), ("axspos", 500, 1500)], "2d"),
    ({"XSCL": "LOG", "YSCL": "LOG"}, [("scale", "LOG", "X"), ("scale", "LOG", "Y")], "2d"),
    ({"Z": "zname", "ZLAB": "EXP", "ZDIG": 2, "ZTIC": 3}, [("name", "zname", "Z"), ("digits", 2, "Z"),
                                                          ("labels", "EXP", "Z"), ("ticks", 3, "Z")], "3c"),
    ({"ZSCL": "LOG"}, [("scale", "LOG", "Z")], "3c"),
    ({"XLEN": 1400, "YLEN": 1000, "ZLEN": 600}, [("axslen", 1400, 1000), ("ax3len", 1400, 1000, 600)], "3c"),
    ({"X3LEN": 3.0, "z3len": 1.0}, [("axis3d", 3.0, 2.0, 1.0)], "3d"),
    # a negative length is passed on (warning) but not kept for the next variable
    ({"Y3LEN": -1.0, "X3LEN": 2.5, "Z3LEN": 1.5},
     [("axis3d", 2.5, 2.0, 2.0), ("axis3d", 2.5, -1.0, 2.0), ("axis3d", 2.5, 2.0, 1.5)], "3d"),
    ({"X3VIEW": 6.0, "Y3VIEW": -3.0, "Z3VIEW": 5.0}, [("view3d", 6.0, -3.0, 5.0, "ABS")], "3d"),
    ({"CONSHD": "POLY"}, [("shdmod", "POLY", "CONTOUR")], "con"),
    ({"XRES": 30, "YRES": 20}, [("setres", 30, 20)], "3c"),   # the point size of colour plots
]
DRAW = '''
def draw(kind):
    if kind == "2d":
        k.graf(0.0, 6.0, 0.0, 1.0, 0.0, 3.0, 0.0, 1.0); k.title(); k.curve(X, Y, len(X))
    elif kind == "3c":
        k.graf3(0.0, 6.0, 0.0, 1.0, 0.0, 3.0, 0.0, 1.0, 0.0, 40.0, 0.0, 10.0); k.title(); k.curve3(X, Y, Z, len(X))
    elif kind == "3d":
        k.graf3d(0.0, 6.0, 0.0, 1.0, 0.0, 3.0, 0.0, 1.0, 0.0, 40.0, 0.0, 10.0); k.box3d()
    else:
        k.graf(-1.0, 1.0, -1.0, 0.5, -1.0, 1.0, -1.0, 0.5); k.conshd(GX, len(GX), GY, len(GY), M, LEVELS, len(LEVELS))
'''


def test_every_plot_variable_calls_its_routine_after_kalini(tmp_path):
    # Each case in a process of its own: set, kalini (applies), draw; then
    # kalfin, kalini again (re-applied), draw again.
    cases = [DRAW + "".join(f"k.setvar({n!r}, {v!r})\n" for n, v in sets.items()) +
             f'svg("v{i}.svg", lambda: (k.kalini(), draw({kind!r})))\n'
             f'svg("w{i}.svg", lambda: (k.kalini(), draw({kind!r})))\n'
             for i, (sets, _, kind) in enumerate(VARIABLES)]
    # Set at level 1 and 2: applied at once.
    cases.append(DRAW + 'svg("now.svg", lambda: (k.kalini(), k.setvar("XTIC", 5), k.graf(0.0, 6.0, 0.0, 1.0, '
                        '0.0, 3.0, 0.0, 1.0), k.setvar("T1", "late"), k.title(), k.curve(X, Y, len(X))))\n')
    references = DRAW + "".join(
        f'svg("r{i}.svg", lambda: (k.kalini(), [getattr(k, c[0])(*c[1:]) for c in {calls!r}], draw({kind!r})))\n'
        for i, (_, calls, kind) in enumerate(VARIABLES))
    references += "".join(f'svg("plain_{kind}.svg", lambda: (k.kalini(), draw({kind!r})))\n'
                          for kind in ("2d", "3c", "3d", "con"))
    references += ('svg("rnow.svg", lambda: (k.kalini(), k.ticks(5, "X"), k.titlin("late", 1), draw("2d")))\n')
    children(tmp_path, cases + [references])
    for i, (sets, _, kind) in enumerate(VARIABLES):
        assert same(tmp_path, f"v{i}.svg", f"r{i}.svg"), sets
        assert same(tmp_path, f"w{i}.svg", f"r{i}.svg"), sets
        assert not same(tmp_path, f"v{i}.svg", f"plain_{kind}.svg"), sets
    assert same(tmp_path, "now.svg", "rnow.svg")


def test_setvar_refuses_unknown_names_and_values_of_the_wrong_type(run):
    for name, value, error in (("NOPE", 1, ValueError), ("XMIN", "1.0", TypeError), ("H", 1.5, TypeError),
                               ("X", 3, TypeError), ("H", "40", TypeError), ("", 1, ValueError)):
        with pytest.raises(error, match="^undefined variable$" if error is ValueError else None):
            k.setvar(name, value)
    with pytest.raises(TypeError):
        k.setvar("H")
    # numpy scalars count as the numbers they hold
    assert run("""
        import numpy as np
        k.setvar("h", np.int32(40)); k.setvar("xmin", np.float32(0.5)); k.setvar("XMAX", np.float64(2)); print("ok")
        """).strip() == "ok"
