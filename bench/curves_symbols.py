"""Curves and symbols: 100 curves of 10,000 points and 100,000 symbols in
one axis system, to PDF and PNG (853 x 603), by kalvor and by matplotlib
doing the same (lines of width 1, open squares of the default symbol size).

    PYTHONPATH=build/<dir>/python python3 bench/curves_symbols.py

Each picture is made once (the runs are long enough); the table gives
seconds and the size of the file.
"""
import math
import os
import random
import tempfile

import kalvor as k
from common import timed

CURVES, POINTS, SYMBOLS = 100, 10_000, 100_000


def data():
    rng = random.Random(1)
    xs = [10.0 * i / (POINTS - 1) for i in range(POINTS)]
    curves = [[math.sin(x + c * 0.06) * (1 - c / 150) for x in xs] for c in range(CURVES)]
    sx = [rng.uniform(0, 10) for _ in range(SYMBOLS)]
    sy = [rng.uniform(-1, 1) for _ in range(SYMBOLS)]
    return xs, curves, sx, sy


def kalvor_plot(device, path, what, d):
    xs, curves, sx, sy = d
    k.metafl(device)
    k.filmod("DELE")
    k.setfil(path)
    k.kalini()
    k.errmod("PROT", "OFF")
    k.graf(0.0, 10.0, 0.0, 2.0, -1.0, 1.0, -1.0, 0.5)
    if what == "curves":
        k.chncrv("COLO")
        for ys in curves:
            k.curve(xs, ys, POINTS)
    else:
        k.incmrk(-1)
        k.marker(3)
        k.curve(sx, sy, SYMBOLS)
    k.endgrf()
    k.kalfin()


def matplotlib_plot(path, what, d):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    xs, curves, sx, sy = d
    fig, ax = plt.subplots(figsize=(8.53, 6.03), dpi=100)
    ax.set_xlim(0, 10)
    ax.set_ylim(-1, 1)
    if what == "curves":
        for ys in curves:
            ax.plot(xs, ys, linewidth=1)
    else:
        ax.plot(sx, sy, linestyle="none", marker="s", markersize=3.6, markerfacecolor="none",
                markeredgewidth=0.7)
    fig.savefig(path)
    plt.close(fig)


def main():
    d = data()
    rows = []
    try:
        import matplotlib  # noqa: F401
        have_mpl = True
    except ImportError:
        have_mpl = False
        print("matplotlib is not installed: its rows are left out")
    with tempfile.TemporaryDirectory() as tmp:
        for what, label in (("curves", f"{CURVES} x {POINTS} points"), ("symbols", f"{SYMBOLS} symbols")):
            for device, ext in (("PDF", "pdf"), ("PNG", "png")):
                path = os.path.join(tmp, f"k_{what}.{ext}")
                rows.append(("kalvor", label, device, timed(kalvor_plot, device, path, what, d),
                             os.path.getsize(path)))
                if have_mpl:
                    path = os.path.join(tmp, f"m_{what}.{ext}")
                    rows.append(("matplotlib", label, device, timed(matplotlib_plot, path, what, d),
                                 os.path.getsize(path)))
    print(f"{'library':<12}{'picture':<26}{'output':<8}{'seconds':>9}{'bytes':>12}")
    for lib, label, device, t, size in rows:
        print(f"{lib:<12}{label:<26}{device:<8}{t:>9.2f}{size:>12d}")


if __name__ == "__main__":
    main()
