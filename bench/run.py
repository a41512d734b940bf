"""KALVOR against its peers on the same workloads, side by side in one run.

    bash bench/setup.sh                 # once: matplotlib and cartopy in bench/.venv, PLplot, gnuplot
    PYTHONPATH=build/tests/python python3 bench/run.py [--runs 3] [--only W1,W7]

Workloads (the same deterministic data for every peer, an A4 landscape page,
raster files of 853 x 603 pixels):
  W1  one curve of 1,000,000 points with axes, tick labels and a title: PNG, PDF, SVG, EPS
  W1s the same with a smooth curve, y = sin(x) + 0.1 sin(37x) without noise
  W2  100 curves of 10,000 points: PDF
  W3  100,000 symbols: PNG, PDF
  W3s 100,000 symbols along W1s's smooth curve: PNG, PDF, SVG, EPS
  W7  import plus a 10-point quick plot (plot) to PNG and kalfin, whole process (start-up)
  W4  contour lines of a 500 x 500 grid at 20 levels: PDF (matplotlib: contour)
  W5  the same grid shaded between the 20 levels: PNG (conshd; matplotlib: contourf)
  W5t 20,000 scattered points of the same function shaded on their Delaunay
      triangles: PNG (triang + confll; matplotlib: tricontourf with its own)
  W6  triang of 100,000 random points (scipy.spatial.Delaunay as the peer,
      in the column "matplotlib")
  W8  10,000 bars with axes (bars; matplotlib bar): PNG, PDF
  W9  a 12-segment pie with percentage labels (piegrf; matplotlib pie): PNG, PDF
  W6m a 200 x 200 hidden-line mesh (surfce) in a labelled 3-D box: PDF, PNG
      (PLplot: plot3d with DRAW_LINEXY; matplotlib: plot_wireframe, which
      hides nothing)
  W10 100 3-D curves of 10,000 points in a labelled 3-D box: PDF (matplotlib's mplot3d)
  W11 a world map of Natural Earth's land-50m (about 60,600 points) with a
      30-degree grid in MERC, MOLL and ORTH: PDF, PNG (formats merc.pdf and
      so on). KALVOR draws world from a GSHHS file made of the same rings,
      cartopy (in bench/.venv) shapely polygons through add_geometries with
      its data_dir an empty folder that stays empty (nothing is fetched)
  W12 common.py's polyline of 1,000,000 points in plot coordinates (an axis
      system that maps them onto themselves, nothing drawn but the curve):
      PNG beside matplotlib, WMF (KALVOR only)
  W6s a shaded 200 x 200 surface with its 3-D axes to PNG (surshd; matplotlib:
      plot_surface with rstride = cstride = 1 and savefig): FLAT and SMOOTH,
      each also with aamode ON ("-aa"; matplotlib's rows stay the same plot)
  W13 1,000,000 points (common.polyline) to a screen window on Xvfb, from kalini
      until the window shows the frame (synced with the server); matplotlib's
      GTK3Agg from the figure to canvas.draw(), flush_events() and a display
      sync; PNG recorded beside it (run.py starts an Xvfb when DISPLAY is unset)

Every measurement is a child process of its own; the peers alternate within
each round and the table gives the median over the rounds. W1 to W3 time the
plotting section inside the process: kalini to kalfin, for matplotlib figure
creation to savefig returning, for PLplot plinit to plend. gnuplot cannot be
timed from inside, so its figures are whole-process times (marked "*").
Peak memory is the child's ru_maxrss. The ratio is peer time / KALVOR time.
With KALVOR_BEFORE set to the python directory of another build (for
example a copy of build/tests/python made before a change), that build runs
as the peer "kalvor-before", for a before/after table in the same run.

Measured (2 shared cores, medians of 5; peer/KALVOR, matplotlib as it comes
/ without simplification): W1 PNG 21 / 175, PDF 3.8 / 29, SVG 4.0 / 17, EPS
7.0 / 22; W2 PDF 19 / 23; W3 PNG 12 / 12, PDF 12 / 13; W7 0.026 s whole process
against gnuplot 0.056 s and matplotlib 0.78 s.

With thinning and symbol shapes in the document writers (2 shared cores,
medians of 3, matplotlib as it comes): W1s PNG 8.2, PDF 6.8 (413 KB against
its 53 KB), SVG 4.4, EPS 7.8; W3 PDF 31 (0.77 MB against 1.63 MB); W3s PDF
43 (0.23 MB against 0.69 MB), SVG 54, EPS 14; W2 PDF 22 as it comes (medians
of 5).

W7 with the quick plot (2 shared cores under a load of 16, medians of 9;
wall / CPU time): KALVOR 0.34 s / 0.061 s, the same page through graf and
curve in the build before the quick plots 0.46 s / 0.085 s, gnuplot 0.29 s /
0.045 s, matplotlib 4.2 s / 0.81 s. The bare interpreter takes 0.28 s /
0.053 s of that: import, plot and kalfin are about 8 ms of CPU, import
kalvor itself 2 ms (python -X importtime; 40 ms before, 35 of them for
importlib.metadata, now read only when __version__ is asked for).

W12 (2 shared cores, medians of 5, KALVOR alone): PNG 0.084 s, WMF 0.132 s
for 10.0 MB (ten bytes a point, one LINETO record each).
Contours (2 shared cores under heavy load, medians of 3): W4 PDF 0.20 s
against contour 1.03 s (x5.0); W5 PNG 0.14 s against contourf 0.60 s
(x4.2); W5t PNG 0.39 s against tricontourf 1.16 s (x2.9); W6 1.5 s against
3.7 s wall time (x2.4), in CPU time 0.50 s against 0.92 s.
Bars and pies (2 shared cores, medians of 3, matplotlib 3.11 as it comes):
W8 10,000 bars PNG 0.092 s against 26.1 s (x284), PDF 0.023 s against
29.5 s (x1270); W9 12-segment pie with percentages PNG 0.006 s against
0.24 s (x38), PDF 0.001 s against 0.51 s (x680).
W10 (2 shared cores, medians of 3): KALVOR 0.66-0.81 s against mplot3d's
9.4 s, ratio 11.6 to 14 (5.6 MB against 8.4 MB of PDF).
W6m (2 shared cores, medians of 3, Debian's python3-plplot, matplotlib 3.11.2):
the 200 x 200 hidden-line mesh PDF 0.14 s against plot3d 3.07 s (x22) and
plot_wireframe 1.30 s (x9.2; 0.79 MB against 0.40 and 0.22 MB: the visible
stretches go out as short polylines), PNG 0.087 s against 1.17 s (x13) and
0.75 s (x8.6). plot_wireframe hides no line.

Raster lines in one pass (pieces of a curve inside the window go to the
device as they are, mapped and rounded to pixels in one loop; arrays in huge
pages): the Release build the wheel ships (cmake -DCMAKE_BUILD_TYPE=Release
-DKALVOR_PYTHON=ON, 2 shared cores, medians of 5, matplotlib as it comes):
W1 PNG 0.005 s against 0.237 s (x44), W1s PNG 0.006 s against 0.136 s (x22),
W12 PNG 0.006 s against 0.166 s (x28), bytes unchanged. The tests' build
(-O2, medians of 3, KALVOR_BEFORE the build before): W1 PNG 0.007 s (x55,
before 0.015 s), W1s PNG 0.007 s (x19, before 0.018 s), SVG and EPS 1.2-1.5
times faster than before, the other first-half rows unchanged within noise.

KALVOR draws every workload with the plotting routines: an axis system
(graf) with tick labels, axis names and a title, the data through curve
(W3: symbols only, incmrk -1); W8 through bars, W9 through piegrf with
solid segments in the curve colours.

W11 (2 shared cores, medians of 3, cartopy 0.26 from PyPI with its data_dir
empty; seconds KALVOR / cartopy): MERC PDF 0.089 / 16.8 (x188), PNG 0.078 /
17.6 (x225); MOLL PDF 0.103 / 45.6 (x444), PNG 0.157 / 35.8 (x229); ORTH PDF
0.112 / 7.87 (x70), PNG 0.076 / 7.12 (x93); 41 MiB peak against 114 MiB.
cartopy also draws a stray band where land-50m's Antarctica ring meets the
seam; ours follows the ring.
W6s (2 shared cores, idle, medians of 3, matplotlib 3.11 plot_surface with
rstride = cstride = 1): FLAT PNG 0.041 s against 0.238 s (x5.8, 28 KB against
173 KB), SMOOTH through the depth buffer 0.014 s (x17); with aamode ON FLAT
0.066 s (x3.7), SMOOTH 0.080 s (x2.9) against the same matplotlib plot.
With rasters and depth buffers in huge pages (the Release build, medians of
3): FLAT-aa 0.063 s (x5.2), SMOOTH-aa 0.039 s against 0.305 s (x7.9; the
fresh process had spent half its time faulting in the 25 MB canvas and the
33 MB depth buffer), FLAT 0.042 s (x7.2), SMOOTH 0.012 s (x24).

W13 on Xvfb (1280x1024x24, no window manager; medians of 3 on the shared
2-core machine, matplotlib 3.11 with Debian's PyGObject): window 0.91 s
against GTK3Agg 2.66 s (172 MiB against 308 MiB peak); the same program to
PNG 0.46 s against Agg 0.82 s. KALVOR's window time includes loading the
plug-in and GTK (kalini) and 1,000,000 Python calls of connpt.

The deflate floor: W1's PDF content streams written uncompressed, then
deflated alone in 300,000-byte pieces (as the PDF writer cuts them) with the
writer's encoder (libdeflate level 1, or zlib level 4 without it). The writer
deflates on a second thread while it formats the next stream, so the PDF
time can come close to the larger of the two, not their sum.
"""
import argparse
import json
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import textwrap
import time
import zlib
from pathlib import Path

HERE = os.path.dirname(os.path.abspath(__file__))
VENV_PYTHON = os.path.join(HERE, ".venv", "bin", "python")
SYSTEM_PYTHON = "/usr/bin/python3"     # Debian's, where python3-plplot lives


def kalvor_python():
    """KALVOR runs in the bench's own interpreter as matplotlib does (found
    through PYTHONPATH), so both pay the same interpreter start-up."""
    return VENV_PYTHON if os.path.exists(VENV_PYTHON) else sys.executable
WIDTH_PX, HEIGHT_PX = 853, 603
DPI = WIDTH_PX * 25.4 / 297.0          # matplotlib: 853 x 603 pixels on A4 landscape

WORKLOADS = {
    "W1": ["png", "pdf", "svg", "eps"],
    "W1s": ["png", "pdf", "svg", "eps"],
    "W2": ["pdf"],
    "W3": ["png", "pdf"],
    "W3s": ["png", "pdf", "svg", "eps"],
    "W7": ["png"],
    "W4": ["pdf"],
    "W5": ["png"],
    "W5t": ["png"],
    "W6": ["tri"],
    "W12": ["png", "wmf"],
    "W8": ["png", "pdf"],
    "W9": ["png", "pdf"],
    "W6m": ["pdf", "png"],
    "W10": ["pdf"],
    "W13": ["window", "png"],
    "W11": [f"{proj}.{fmt}" for proj in ("merc", "moll", "orth") for fmt in ("pdf", "png")],
    "W6s": ["flat", "smooth", "flat-aa", "smooth-aa"],
}
CONTOUR_WORKLOADS = ("W4", "W5", "W5t", "W6")
CHARTS = ("W8", "W9")   # bars and pies: KALVOR and matplotlib only
SURFACES = ("W6s",)     # KALVOR and matplotlib only; the formats are shading modes of a PNG

# Axis limits shared by every peer: x 0..100, y -1.5..1.5.
XA, XE, YA, YE = 0.0, 100.0, -1.5, 1.5


def data(workload):
    """Lists of (x, y) arrays, identical in every child (numpy's PCG64 is stable)."""
    import numpy as np

    rng = np.random.default_rng(1)
    if workload == "W1":
        x = np.linspace(XA, XE, 1_000_000)
        return [(x, np.sin(x * 0.3) + rng.normal(0.0, 0.1, x.size))]
    if workload == "W2":
        x = np.linspace(XA, XE, 10_000)
        return [(x, 0.9 * np.sin(x * 0.1 + i * 0.06) + rng.normal(0.0, 0.02, x.size)) for i in range(100)]
    if workload == "W3":
        return [(rng.uniform(XA, XE, 100_000), rng.uniform(YA, YE, 100_000))]
    if workload == "W8":
        return [(np.arange(1.0, 10_001.0), rng.uniform(0.0, 1.0, 10_000))]
    if workload == "W9":
        return [(np.arange(12.0), rng.uniform(1.0, 10.0, 12))]
    if workload == "W10":
        t = np.linspace(0.0, 20.0 * np.pi, 10_000)
        return [(np.cos(t + i * 0.06) * (1 + 0.003 * i), np.sin(t + i * 0.06) * (1 + 0.003 * i),
                 t / (20.0 * np.pi) + rng.normal(0.0, 0.002, t.size)) for i in range(100)]
    if workload in ("W1s", "W3s"):
        x = np.linspace(XA, XE, 1_000_000 if workload == "W1s" else 100_000)
        return [(x, np.sin(x) + 0.1 * np.sin(37.0 * x))]
    if workload == "W12":
        from common import polyline

        xs, ys = polyline(1_000_000)
        return [(np.array(xs), np.array(ys))]
    x = np.linspace(XA, XE, 10)
    return [(x, np.sin(x * 0.3))]


# ---------------------------------------------------------------- children

def w13_points():
    sys.path.insert(0, HERE)
    from common import polyline

    return polyline(1_000_000)


def kalvor_w13(fmt, path):
    """strtpt and one connpt per point (common.kalvor_polyline); winmod NONE:
    kalfin shows the finished frame, synced with the server, and returns."""
    import kalvor as k

    xs, ys = w13_points()
    k.metafl("XWIN" if fmt == "window" else "PNG")
    k.filmod("DELE")
    k.setfil(path)
    k.winsiz(WIDTH_PX, HEIGHT_PX)
    t0 = time.perf_counter()
    k.kalini()
    k.errmod("PROTOCOL", "OFF")
    k.winmod("NONE")
    connpt = k.connpt
    k.strtpt(xs[0], ys[0])
    for x, y in zip(xs, ys):
        connpt(x, y)
    k.kalfin()
    seconds = time.perf_counter() - t0
    if fmt == "window":
        open(path, "wb").close()
    return seconds, ""


def matplotlib_w13(fmt, path):
    import matplotlib

    matplotlib.use("GTK3Agg" if fmt == "window" else "Agg")
    import matplotlib.pyplot as plt

    xs, ys = w13_points()
    t0 = time.perf_counter()
    fig = plt.figure(figsize=(WIDTH_PX / DPI, HEIGHT_PX / DPI), dpi=DPI)
    ax = fig.add_axes([0, 0, 1, 1])
    ax.set_axis_off()
    ax.set_xlim(0, 2970)
    ax.set_ylim(2100, 0)
    ax.plot(xs, ys, linewidth=0.5)
    if fmt == "window":
        from gi.repository import Gdk

        plt.show(block=False)
        fig.canvas.draw()
        fig.canvas.flush_events()
        Gdk.Display.get_default().sync()
        open(path, "wb").close()
    else:
        fig.savefig(path, format="png", dpi=DPI)
    seconds = time.perf_counter() - t0
    plt.close(fig)
    return seconds, ""


def surface_data():
    """The 200 x 200 surface of W6s: z[i][j] at (x[i], y[j])."""
    import numpy as np

    x = np.linspace(-3.0, 3.0, 200)
    y = np.linspace(-3.0, 3.0, 200)
    xx, yy = np.meshgrid(x, y, indexing="ij")
    z = 2.0 * np.exp(-(xx ** 2 + yy ** 2) / 2.0) + 0.25 * np.sin(2.0 * xx) * np.cos(yy)
    return x, y, z


def kalvor_surface(fmt, path):
    import kalvor as k

    x, y, z = surface_data()
    k.metafl("PNG")
    if fmt.endswith("-aa"):
        k.aamode("ON")
    k.setpag("DA4L")
    k.filmod("DELE")
    k.setfil(path)
    t0 = time.perf_counter()
    k.kalini()
    k.errmod("PROTOCOL", "OFF")
    k.titlin("W6s: KALVOR", 1)
    k.name("x", "X")
    k.name("y", "Y")
    k.name("z", "Z")
    k.labdig(-1, "XY")
    k.shdmod("SMOOTH" if fmt.startswith("smooth") else "FLAT", "SURF")
    k.graf3d(-3.0, 3.0, -3.0, 1.0, -3.0, 3.0, -3.0, 1.0, -0.5, 2.5, -0.5, 0.5)
    k.surshd(x, len(x), y, len(y), z)
    k.title()
    k.endgrf()
    k.kalfin()
    return time.perf_counter() - t0, ""


def matplotlib_surface(path):
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    import numpy as np

    x, y, z = surface_data()
    xx, yy = np.meshgrid(x, y, indexing="ij")
    t0 = time.perf_counter()
    fig = plt.figure(figsize=(297 / 25.4, 210 / 25.4), dpi=DPI)
    ax = fig.add_subplot(projection="3d")
    ax.set(xlim=(-3, 3), ylim=(-3, 3), zlim=(-0.5, 2.5), xlabel="x", ylabel="y", zlabel="z")
    ax.set_title("W6s: matplotlib")
    ax.plot_surface(xx, yy, z, rstride=1, cstride=1, cmap="jet", vmin=-0.5, vmax=2.5)
    fig.savefig(path, format="png", dpi=DPI)
    seconds = time.perf_counter() - t0
    plt.close(fig)
    return seconds, ""


def kalvor_child(workload, fmt, path):
    import kalvor as k
    import numpy as np

    if workload == "W13":
        return kalvor_w13(fmt, path)
    if workload in SURFACES:
        return kalvor_surface(fmt, path)

    series = data(workload)
    k.metafl({"png": "PNG", "pdf": "PDF", "svg": "SVG", "eps": "EPS", "wmf": "WMF"}[fmt])
    k.setpag("DA4L")
    k.filmod("DELE")
    k.setfil(path)
    t0 = time.perf_counter()
    k.kalini()
    k.errmod("PROTOCOL", "OFF")
    if workload == "W12":
        # User coordinates are plot coordinates (y downwards).
        k.axspos(0, 2099)
        k.axslen(2970, 2100)
        k.nograf()
        k.graf(0.0, 2969.0, 0.0, 500.0, 2099.0, 0.0, 2099.0, -500.0)
        x, y = series[0]
        k.curve(x, y, len(x))
        k.endgrf()
        k.kalfin()
        return time.perf_counter() - t0, ""
    if workload in CHARTS:
        (x, y), = series
        k.titlin(f"{workload}: KALVOR", 1)
        k.shdpat(16)
        if workload == "W8":
            k.graf(0.0, 10_001.0, 0.0, 1000.0, 0.0, 1.0, 0.0, 0.2)
            k.title()
            k.bars(x, np.zeros(len(x)), y, len(x))
            k.endgrf()
        else:
            k.chnpie("COLO")
            k.labels("PERC", "PIE")
            k.piegrf(" ", 1, y, len(y))
        k.kalfin()
        return time.perf_counter() - t0, ""
    k.name("x", "X")
    k.name("y", "Y")
    k.titlin(f"{workload}: KALVOR", 1)
    if workload == "W10":
        k.name("z", "Z")
        k.graf3d(-1.5, 1.5, -1.5, 0.5, -1.5, 1.5, -1.5, 0.5, 0.0, 1.0, 0.0, 0.2)
        k.box3d()
        for x, y, z in series:
            k.curv3d(x, y, z, len(x))
        k.endgrf()
        k.title()
        k.kalfin()
        return time.perf_counter() - t0, ""
    k.graf(XA, XE, XA, 10.0, YA, YE, YA, 0.5)
    k.title()
    if workload.startswith("W3"):
        k.incmrk(-1)
        k.marker(21)
        k.hsymbl(10)
    for x, y in series:
        k.curve(x, y, len(x))
    k.endgrf()
    k.kalfin()
    return time.perf_counter() - t0, ""


def matplotlib_child(workload, fmt, path, simplify):
    import matplotlib

    matplotlib.use("Agg")
    matplotlib.rcParams["path.simplify"] = simplify
    import matplotlib.pyplot as plt

    series = data(workload)
    t0 = time.perf_counter()
    fig = plt.figure(figsize=(297 / 25.4, 210 / 25.4), dpi=DPI)
    if workload == "W12":
        ax = fig.add_axes((0, 0, 1, 1))
        ax.set_axis_off()
        ax.set_xlim(0, 2969)
        ax.set_ylim(2099, 0)
        x, y = series[0]
        ax.plot(x, y, linewidth=0.5)
        fig.savefig(path, format=fmt, dpi=DPI)
        seconds = time.perf_counter() - t0
        plt.close(fig)
        return seconds, ""
    if workload == "W10":
        ax = fig.add_subplot(projection="3d")
        ax.set(xlim=(-1.5, 1.5), ylim=(-1.5, 1.5), zlim=(0.0, 1.0), xlabel="x", ylabel="y", zlabel="z")
        ax.set_title(f"{workload}: matplotlib")
        for x, y, z in series:
            ax.plot(x, y, z, linewidth=0.5)
        fig.savefig(path, format=fmt, dpi=DPI)
        seconds = time.perf_counter() - t0
        plt.close(fig)
        return seconds, ""
    ax = fig.add_subplot()
    if workload in CHARTS:
        (x, y), = series
        ax.set_title(f"{workload}: matplotlib")
        if workload == "W8":
            ax.set_xlim(0.0, 10_001.0)
            ax.set_ylim(0.0, 1.0)
            ax.bar(x, y, width=0.75)
        else:
            ax.pie(y, autopct="%1.1f %%")
        fig.savefig(path, format=fmt, dpi=DPI)
        seconds = time.perf_counter() - t0
        plt.close(fig)
        return seconds, ""
    ax.set_xlim(XA, XE)
    ax.set_ylim(YA, YE)
    ax.set_xlabel("x")
    ax.set_ylabel("y")
    ax.set_title(f"{workload}: matplotlib")
    for x, y in series:
        if workload.startswith("W3"):
            ax.plot(x, y, "o", markersize=2, linestyle="none")
        else:
            ax.plot(x, y, linewidth=0.5)
    fig.savefig(path, format=fmt, dpi=DPI)
    seconds = time.perf_counter() - t0
    plt.close(fig)
    return seconds, ""


def plplot_child(workload, fmt, path):
    import plplot as pl

    series = data(workload)
    t0 = time.perf_counter()
    pl.plsdev({"png": "pngcairo", "pdf": "pdfcairo", "svg": "svgcairo", "eps": "epscairo"}[fmt])
    pl.plsfnam(path)
    if fmt == "png":
        pl.plspage(0, 0, WIDTH_PX, HEIGHT_PX, 0, 0)
    else:
        pl.plspage(72, 72, 842, 595, 0, 0)      # A4 landscape in points
    pl.plinit()
    pl.plenv(XA, XE, YA, YE, 0, 0)
    pl.pllab("x", "y", f"{workload}: PLplot")
    for x, y in series:
        if workload.startswith("W3"):
            pl.plpoin(x, y, 17)
        else:
            pl.plline(x, y)
    pl.plend()
    return time.perf_counter() - t0, ""


# ---------------------------------------------------------------- maps (W11)

def land_rings():
    """land-50m's rings in degrees, through the map data tools."""
    sys.path.insert(0, os.path.join(HERE, os.pardir, "tools", "maps"))
    import make_maps

    source = next(p / "shared" / "data" / "naturalearth" / "land-50m.json" for p in Path(HERE).parents
                  if (p / "shared" / "data" / "naturalearth" / "land-50m.json").is_file())
    topo, arcs, to_deg = make_maps.decode(source)
    return [[to_deg(p) for p in make_maps.ring_points(arcs, ring)]
            for g in topo["objects"]["land"]["geometries"] for poly in make_maps.polygons(g) for ring in poly]


def land_gshhs(tmp):
    """The rings as a GSHHS file (level 1) beside the outputs, written once."""
    import struct

    path = os.path.join(tmp, "land50.b")
    if not os.path.exists(path):
        with open(path, "wb") as f:
            for i, r in enumerate(land_rings()):
                f.write(struct.pack(">8i", i, len(r), 1, 0, 0, 0, 0, 0) + b"\0" * 4)
                f.write(b"".join(struct.pack(">2i", round(x * 1e6), round(y * 1e6)) for x, y in r))
    return path


def map_child(peer, fmt, path):
    proj, ext = fmt.split(".")
    proj = proj.upper()
    if peer.startswith("kalvor"):
        import kalvor as k

        gshhs = land_gshhs(os.path.dirname(path))
        k.metafl(ext.upper())
        k.setpag("DA4L")
        k.filmod("DELE")
        k.setfil(path)
        t0 = time.perf_counter()
        k.kalini()
        k.errmod("PROTOCOL", "OFF")
        k.axspos(85, 1950)
        k.axslen(2800, 1800 if proj == "ORTH" else 1400)
        k.projct(proj)
        if proj == "ORTH":
            k.mappol(10.0, 45.0)
            k.grafmp(-180.0, 180.0, -180.0, 30.0, -90.0, 90.0, -90.0, 30.0)
        else:
            ylim = 80.0 if proj == "MERC" else 90.0
            k.grafmp(-180.0, 180.0, -180.0, 30.0, -ylim, ylim, -60.0 if proj == "MERC" else -90.0, 30.0)
        k.mapbas("MAPF")
        k.mapfil(gshhs, "GSHH")
        k.world()
        k.gridmp(1, 1)
        k.endgrf()
        k.kalfin()
        return time.perf_counter() - t0, ""
    import matplotlib

    matplotlib.use("Agg")
    import cartopy

    empty = tempfile.mkdtemp()
    cartopy.config["data_dir"] = empty
    cartopy.config["pre_existing_data_dir"] = empty
    import cartopy.crs as ccrs
    import matplotlib.pyplot as plt
    import shapely.geometry as sg

    polys = [sg.Polygon(r) for r in land_rings()]
    t0 = time.perf_counter()
    crs = {"MERC": ccrs.Mercator(), "MOLL": ccrs.Mollweide(), "ORTH": ccrs.Orthographic(10, 45)}[proj]
    fig = plt.figure(figsize=(297 / 25.4, 210 / 25.4), dpi=DPI)
    ax = fig.add_subplot(projection=crs)
    ax.set_global()
    ax.add_geometries(polys, ccrs.PlateCarree(), facecolor="none", edgecolor="black", linewidth=0.5)
    ax.gridlines(xlocs=range(-180, 181, 30), ylocs=range(-90, 91, 30), draw_labels=True)
    fig.savefig(path, format=ext, dpi=DPI)
    seconds = time.perf_counter() - t0
    plt.close(fig)
    if os.listdir(empty):
        raise RuntimeError("cartopy fetched data")
    return seconds, ""


# ---------------------------------------------------------------- contours

def contour_data(workload):
    """The grid (x, y, z[x, y]) of W4 and W5, scattered points for W5t and W6."""
    import numpy as np

    if workload in ("W4", "W5"):
        x, y = np.linspace(-3, 3, 500), np.linspace(-2, 2, 500)
        gx, gy = np.meshgrid(x, y, indexing="ij")
    else:
        rng = np.random.default_rng(1)
        count = 100_000 if workload == "W6" else 20_000
        gx, gy = rng.uniform(-3, 3, count), rng.uniform(-2, 2, count)
        x, y = gx, gy
    z = np.sin(3 * gx) * np.cos(2 * gy) + np.exp(-gx * gx - gy * gy)
    return x, y, z, np.linspace(z.min(), z.max(), 22)[1:-1]


def contour_child(peer, workload, fmt, path):
    import numpy as np

    x, y, z, levels = contour_data(workload)
    if workload == "W6":
        t0 = time.perf_counter()
        if peer.startswith("kalvor"):
            import kalvor as k

            n = len(x)
            i1, i2, i3 = (np.zeros(2 * n + 1, dtype=np.int32) for _ in range(3))
            xw, yw = np.append(x, [0, 0, 0]), np.append(y, [0, 0, 0])
            count = k.triang(xw, yw, n, i1, i2, i3, 2 * n + 1)
        else:
            from scipy.spatial import Delaunay

            count = len(Delaunay(np.c_[x, y]).simplices)
        seconds = time.perf_counter() - t0
        with open(path, "w") as f:
            f.write(str(count))
        return seconds, f"{count} triangles"
    if peer.startswith("kalvor"):
        import kalvor as k

        k.metafl({"png": "PNG", "pdf": "PDF"}[fmt])
        k.setpag("DA4L")
        k.filmod("DELE")
        k.setfil(path)
        t0 = time.perf_counter()
        k.kalini()
        k.errmod("PROTOCOL", "OFF")
        k.titlin(f"{workload}: KALVOR", 1)
        k.graf(-3, 3, -3, 1, -2, 2, -2, 1)
        k.title()
        if workload == "W4":
            for level in levels:
                k.contur(x, len(x), y, len(y), z, level)
        elif workload == "W5":
            k.conshd(x, len(x), y, len(y), z, levels, len(levels))
        else:
            n = len(x)
            i1, i2, i3 = (np.zeros(2 * n + 1, dtype=np.int32) for _ in range(3))
            ntri = k.triang(np.append(x, [0, 0, 0]), np.append(y, [0, 0, 0]), n, i1, i2, i3, 2 * n + 1)
            k.confll(x, y, z, n, i1, i2, i3, ntri, levels, len(levels))
        k.endgrf()
        k.kalfin()
        return time.perf_counter() - t0, ""
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    t0 = time.perf_counter()
    fig = plt.figure(figsize=(297 / 25.4, 210 / 25.4), dpi=DPI)
    ax = fig.add_subplot()
    ax.set_title(f"{workload}: matplotlib")
    if workload == "W4":
        ax.contour(x, y, z.T, levels, linewidths=0.5)
    elif workload == "W5":
        ax.contourf(x, y, z.T, levels, extend="both")
    else:
        ax.tricontourf(x, y, z, levels, extend="both")
    fig.savefig(path, format=fmt, dpi=DPI)
    seconds = time.perf_counter() - t0
    plt.close(fig)
    return seconds, ""


# ---------------------------------------------------------------- meshes

def mesh_data():
    """A 200 x 200 grid of two hills, z[i, j] at (x[i], y[j])."""
    import numpy as np

    x = y = np.linspace(-3.0, 3.0, 200)
    gx, gy = np.meshgrid(x, y, indexing="ij")
    z = 1.5 * np.exp(-(gx**2 + gy**2) / 2) + 0.6 * np.exp(-((gx - 1.5)**2 + (gy + 1.2)**2) * 2)
    return x, y, z


def mesh_child(peer, fmt, path):
    x, y, z = mesh_data()
    if peer.startswith("kalvor"):
        import kalvor as k

        k.metafl({"png": "PNG", "pdf": "PDF"}[fmt])
        k.setpag("DA4L")
        k.filmod("DELE")
        k.setfil(path)
        t0 = time.perf_counter()
        k.kalini()
        k.errmod("PROTOCOL", "OFF")
        k.titlin("W6m: KALVOR", 1)
        k.name("x", "X")
        k.name("y", "Y")
        k.name("z", "Z")
        k.graf3d(-3, 3, -3, 1, -3, 3, -3, 1, 0, 2, 0, 0.5)
        k.surfce(x, len(x), y, len(y), z)
        k.title()
        k.endgrf()
        k.kalfin()
        return time.perf_counter() - t0, ""
    if peer == "plplot":
        import plplot as pl

        t0 = time.perf_counter()
        pl.plsdev({"png": "pngcairo", "pdf": "pdfcairo"}[fmt])
        pl.plsfnam(path)
        if fmt == "png":
            pl.plspage(0, 0, WIDTH_PX, HEIGHT_PX, 0, 0)
        else:
            pl.plspage(72, 72, 842, 595, 0, 0)
        pl.plinit()
        pl.pladv(0)
        pl.plvpor(0.0, 1.0, 0.0, 0.9)
        pl.plwind(-1.0, 1.0, -0.9, 1.1)
        pl.plw3d(1.0, 1.0, 1.0, -3.0, 3.0, -3.0, 3.0, 0.0, 2.0, 33.0, -39.0)
        pl.plbox3("bnstu", "x", 0.0, 0, "bnstu", "y", 0.0, 0, "bcdmnstuv", "z", 0.0, 0)
        pl.plmtex("t", 1.0, 0.5, 0.5, "W6m: PLplot")
        pl.plot3d(x, y, z, pl.DRAW_LINEXY, 0)
        pl.plend()
        return time.perf_counter() - t0, ""
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    import numpy as np

    t0 = time.perf_counter()
    fig = plt.figure(figsize=(297 / 25.4, 210 / 25.4), dpi=DPI)
    ax = fig.add_subplot(projection="3d")
    ax.set(xlabel="x", ylabel="y", zlabel="z", title="W6m: matplotlib")
    ax.plot_wireframe(*np.meshgrid(x, y, indexing="ij"), z, rstride=1, cstride=1, linewidth=0.3)
    fig.savefig(path, format=fmt, dpi=DPI)
    seconds = time.perf_counter() - t0
    plt.close(fig)
    return seconds, "no hidden lines"


def child_main(argv):
    peer, workload, fmt, path = argv
    if workload == "W6m":
        seconds, note = mesh_child(peer, fmt, path)
    elif workload in CONTOUR_WORKLOADS:
        seconds, note = contour_child(peer, workload, fmt, path)
    elif workload == "W11":
        seconds, note = map_child(peer, fmt, path)
    elif peer.startswith("kalvor"):
        seconds, note = kalvor_child(workload, fmt, path)
    elif peer == "plplot":
        seconds, note = plplot_child(workload, fmt, path)
    elif workload == "W13":
        seconds, note = matplotlib_w13(fmt, path)
    elif workload in SURFACES:
        seconds, note = matplotlib_surface(path)
    else:
        seconds, note = matplotlib_child(workload, fmt, path, peer == "matplotlib")
    import resource

    print(json.dumps({"seconds": seconds, "note": note,
                      "maxrss": resource.getrusage(resource.RUSAGE_SELF).ru_maxrss}))


# ---------------------------------------------------------------- start-up (W7)

# The quick plot `plot` where the module has it (it starts the library,
# scales the axes to the data and draws); a build without it (an older
# KALVOR_BEFORE) draws the same page through the routines of its steps.
W7_KALVOR = """
import kalvor as k
import math
k.metafl('PNG'); k.setpag('DA4L'); k.filmod('DELE'); k.setfil(PATH)
x = [i * 100 / 9 for i in range(10)]
y = [math.sin(v * 0.3) for v in x]
if hasattr(k, 'plot'):
    k.plot(x, y)
else:
    k.kalini(); k.complx(); k.nochek(); k.pagera(); k.incmrk(0)
    k.setscl([min(x), max(x)], 2, 'X'); k.setscl([min(y), max(y)], 2, 'Y')
    k.graf(0, 100, 0, 10, -1, 1, -1, 0.5); k.title(); k.curve(x, y, 10); k.sendbf()
k.errmod('PROTOCOL', 'OFF')
k.kalfin()
"""

W7_MATPLOTLIB = f"""
import matplotlib
matplotlib.use('Agg')
import matplotlib.pyplot as plt
import math
x = [i * 100 / 9 for i in range(10)]
fig = plt.figure(figsize=(297 / 25.4, 210 / 25.4), dpi={DPI})
ax = fig.add_subplot(); ax.plot(x, [math.sin(v * 0.3) for v in x])
fig.savefig(PATH, dpi={DPI})
"""


def gnuplot_script(script, path):
    """gnuplot reads its script from a file beside the output."""
    name = path + ".gp"
    with open(name, "w") as f:
        f.write(script)
    return ["gnuplot", name]


def w7_command(peer, path):
    if peer.startswith("kalvor"):
        return [kalvor_python(), "-c", W7_KALVOR.replace("PATH", repr(path))]
    if peer.startswith("matplotlib"):
        return [VENV_PYTHON, "-c", W7_MATPLOTLIB.replace("PATH", repr(path))]
    points = "\n".join(f"{i * 100 / 9} {__import__('math').sin(i * 100 / 9 * 0.3)}" for i in range(10))
    return gnuplot_script(f"set terminal pngcairo size {WIDTH_PX},{HEIGHT_PX}\nset output '{path}'\n"
                          f"plot '-' with lines\n{points}\ne\n", path)


# ---------------------------------------------------------------- gnuplot

def gnuplot_command(workload, fmt, path, tmp):
    """gnuplot reads the same data from a binary file of float64 pairs."""
    datafile = os.path.join(tmp, f"{workload}.bin")
    if not os.path.exists(datafile):
        import numpy as np

        with open(datafile, "wb") as f:
            for x, y in data(workload):
                np.column_stack([x, y]).astype("<f8").tofile(f)
    terminal = {"png": f"pngcairo size {WIDTH_PX},{HEIGHT_PX}", "pdf": "pdfcairo size 29.7cm,21cm",
                "svg": "svg size 1123,794", "eps": "epscairo size 29.7cm,21cm"}[fmt]
    binary = "binary format='%float64%float64'"
    if workload == "W2":
        plot = f"plot for [i=0:99] '{datafile}' {binary} skip=i*160000 record=10000 with lines notitle"
    elif workload.startswith("W3"):
        plot = f"plot '{datafile}' {binary} with points pt 7 ps 0.3 notitle"
    else:
        plot = f"plot '{datafile}' {binary} with lines notitle"
    script = (f"set terminal {terminal}\nset output '{path}'\nset title '{workload}: gnuplot'\n"
              f"set xlabel 'x'\nset ylabel 'y'\nset xrange [{XA}:{XE}]\nset yrange [{YA}:{YE}]\n{plot}\n")
    return gnuplot_script(script, path)


# ---------------------------------------------------------------- measuring

def spawn(argv, env=None):
    """Runs a measuring child, which reports its time and ru_maxrss itself."""
    proc = subprocess.run(argv, capture_output=True, env=env)
    if proc.returncode != 0:
        raise RuntimeError(proc.stderr.decode(errors="replace")[-800:])
    return proc.stdout.decode()


def whole_process(argv, env=None):
    """Wall time and peak memory (KiB, from wait4) of a whole process."""
    t0 = time.perf_counter()
    pid = os.fork()
    if pid == 0:
        try:
            devnull = os.open(os.devnull, os.O_WRONLY)
            os.dup2(devnull, 1)
            os.dup2(devnull, 2)
            os.execvpe(argv[0], argv, env if env is not None else os.environ)
        finally:
            os._exit(127)
    _, status, usage = os.wait4(pid, 0)
    wall = time.perf_counter() - t0
    if status != 0:
        raise RuntimeError(f"{argv[0]} exited with status {status}")
    return wall, usage.ru_maxrss


def measure(peer, workload, fmt, tmp, env):
    path = os.path.join(tmp, f"{peer}_{workload}.{fmt}")
    if os.path.exists(path):
        os.remove(path)
    note = ""
    if workload == "W11" and peer.startswith("kalvor"):
        land_gshhs(tmp)  # before the timed children
    if workload == "W7" or peer == "gnuplot":
        argv = w7_command(peer, path) if workload == "W7" else gnuplot_command(workload, fmt, path, tmp)
        if peer == "kalvor-before":
            env = dict(env, PYTHONPATH=os.environ["KALVOR_BEFORE"])
        seconds, peak = whole_process(argv, env)
        note = "*"
    else:
        python = {"kalvor": kalvor_python(), "kalvor-before": kalvor_python(),
                  "plplot": SYSTEM_PYTHON}.get(peer, VENV_PYTHON)
        if peer == "kalvor-before":
            env = dict(env, PYTHONPATH=os.environ["KALVOR_BEFORE"])
        out = spawn([python, os.path.abspath(__file__), "--child", peer, workload, fmt, path], env)
        result = json.loads(out.strip().splitlines()[-1])
        seconds, peak, note = result["seconds"], result["maxrss"], result["note"]
    return seconds, peak, os.path.getsize(path), note


def available_peers():
    peers = ["kalvor"]
    if os.environ.get("KALVOR_BEFORE"):
        peers.append("kalvor-before")
    if os.path.exists(VENV_PYTHON):
        peers += ["matplotlib", "matplotlib-nosimplify"]
        if subprocess.run([VENV_PYTHON, "-c", "import cartopy, shapely"], capture_output=True).returncode == 0:
            peers.append("cartopy")
    if shutil.which("gnuplot"):
        peers.append("gnuplot")
    if os.path.exists(SYSTEM_PYTHON) and subprocess.run(
            [SYSTEM_PYTHON, "-c", "import plplot, numpy"], capture_output=True).returncode == 0:
        peers.append("plplot")
    return peers


def peers_for(workload, peers, fmt=None):
    if workload == "W11":
        return [p for p in peers if p.startswith("kalvor") or p == "cartopy"]
    peers = [p for p in peers if p != "cartopy"]  # maps only
    if workload in CONTOUR_WORKLOADS:
        return [p for p in peers if p in ("kalvor", "kalvor-before", "matplotlib")]
    if workload == "W10":
        return [p for p in peers if p.startswith(("kalvor", "matplotlib"))]
    if workload == "W6m":
        return [p for p in peers if p in ("kalvor", "kalvor-before", "plplot", "matplotlib")]
    if workload == "W13":
        return [p for p in peers if p in ("kalvor", "matplotlib")]
    if workload == "W7":
        return [p for p in peers if p in ("kalvor", "kalvor-before", "matplotlib", "gnuplot")]
    if workload == "W12":
        # WMF is ours alone; gnuplot and PLplot draw other workloads.
        return [p for p in peers if p.startswith("kalvor") or (fmt == "png" and p.startswith("matplotlib"))]
    if workload in CHARTS or workload in SURFACES:
        return [p for p in peers if p in ("kalvor", "kalvor-before", "matplotlib")]
    return peers


def deflate_encoder():
    """The PDF writer's encoder: libdeflate at level 1 where the library is
    installed, zlib at level 4 otherwise."""
    import ctypes
    import ctypes.util

    name = ctypes.util.find_library("deflate")
    if not name:
        return lambda piece: zlib.compress(piece, 4)
    lib = ctypes.CDLL(name)
    lib.libdeflate_alloc_compressor.restype = ctypes.c_void_p
    lib.libdeflate_zlib_compress_bound.restype = ctypes.c_size_t
    lib.libdeflate_zlib_compress_bound.argtypes = [ctypes.c_void_p, ctypes.c_size_t]
    lib.libdeflate_zlib_compress.restype = ctypes.c_size_t
    lib.libdeflate_zlib_compress.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_size_t,
                                             ctypes.c_void_p, ctypes.c_size_t]
    lib.libdeflate_free_compressor.argtypes = [ctypes.c_void_p]

    def compress(piece):
        c = lib.libdeflate_alloc_compressor(1)
        bound = lib.libdeflate_zlib_compress_bound(c, len(piece))
        out = ctypes.create_string_buffer(bound)
        lib.libdeflate_zlib_compress(c, piece, len(piece), out, bound)
        lib.libdeflate_free_compressor(c)

    return compress


def deflate_floor(tmp, env, runs):
    """W1's uncompressed content streams deflated alone: (seconds, raw bytes)."""
    path = os.path.join(tmp, "floor.pdf")
    code = textwrap.dedent(f"""
        import sys; sys.argv = ['run.py']
        sys.path.insert(0, {HERE!r})
        import kalvor as k
        k.pdfmod('OFF', 'COMP')
        import run
        run.kalvor_child('W1', 'pdf', {path!r})
    """)
    subprocess.run([kalvor_python(), "-c", code], check=True, env=env)
    raw = open(path, "rb").read()
    streams = re.findall(rb"stream\n(.*?)endstream", raw, re.S)
    content = b"".join(streams)
    pieces = [content[i:i + 300_000] for i in range(0, len(content), 300_000)]
    compress = deflate_encoder()
    times = []
    for _ in range(runs):
        t0 = time.perf_counter()
        for piece in pieces:
            compress(piece)
        times.append(time.perf_counter() - t0)
    return statistics.median(times), len(content)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--only", default=",".join(WORKLOADS))
    parser.add_argument("--peers", help="a comma-separated choice among the peers available")
    args = parser.parse_args()
    env = dict(os.environ)
    peers = available_peers()
    if args.peers:
        peers = [p for p in peers if p in args.peers.split(",")]
    print(f"peers: {', '.join(peers)}; {args.runs} rounds", flush=True)
    rows = []
    xvfb = None
    if "W13" in args.only and not env.get("DISPLAY"):
        r, w = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                                pass_fds=(w,), stderr=subprocess.DEVNULL)
        os.close(w)
        env["DISPLAY"] = ":" + os.read(r, 16).decode().strip()
        env["NO_AT_BRIDGE"] = "1"
    with tempfile.TemporaryDirectory() as tmp:
        for workload in args.only.split(","):
            for fmt in WORKLOADS[workload]:
                cells = {}
                for _ in range(args.runs):
                    for peer in peers_for(workload, peers, fmt):
                        try:
                            cells.setdefault(peer, []).append(measure(peer, workload, fmt, tmp, env))
                        except Exception as e:      # a peer that cannot do it is skipped
                            cells[peer] = str(e).strip().splitlines()[-1][:60] if str(e).strip() else "failed"
                base = None
                for peer in peers_for(workload, peers, fmt):
                    runs = cells.get(peer)
                    if not isinstance(runs, list):
                        rows.append((workload, fmt, peer, None, None, None, None, runs or "failed"))
                        continue
                    seconds = statistics.median(r[0] for r in runs)
                    if peer == "kalvor":
                        base = seconds
                    ratio = seconds / base if base else None
                    rows.append((workload, fmt, peer, seconds, max(r[1] for r in runs) / 1024.0,
                                 runs[-1][2], ratio, runs[-1][3]))
                print_rows(rows[-len(peers_for(workload, peers, fmt)):])
        if "W1" in args.only.split(","):
            floor, size = deflate_floor(tmp, env, args.runs)
            total = next((r[3] for r in rows if r[:3] == ("W1", "pdf", "kalvor")), None)
            print(f"\nW1 PDF deflate floor: {floor:.3f} s for {size / 1e6:.1f} MB of content"
                  + (f"; KALVOR total {total:.3f} s" if total else ""))
    if xvfb:
        xvfb.terminate()


def print_rows(rows):
    for workload, fmt, peer, seconds, mib, size, ratio, note in rows:
        if seconds is None:
            print(f"{workload} {fmt:4} {peer:22} skipped: {note}")
            continue
        print(f"{workload} {fmt:4} {peer:22} {seconds:8.3f}{note[:1] if note == '*' else ' '} s "
              f"{mib:8.1f} MiB {size:12d} B  x{ratio or float('nan'):6.2f} {note if note != '*' else ''}", flush=True)


if __name__ == "__main__":
    if len(sys.argv) > 1 and sys.argv[1] == "--child":
        child_main(sys.argv[2:])
    else:
        main()
