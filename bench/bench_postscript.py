"""A 1,000,000-point polyline written as PostScript: kalvor against
matplotlib's PostScript backend on the same data.

    PYTHONPATH=build/<dir>/python python3 bench/bench_postscript.py [points]

kalvor draws the line with strtpt and one connpt call per point, so its time
includes a million Python calls; the empty-call line measures that share.
matplotlib is timed with its path simplification off (every point written,
as kalvor does) and on (its default). Times are the best of three runs.
"""
import math
import os
import random
import sys
import tempfile
import time

import kalvor as k

N = int(sys.argv[1]) if len(sys.argv) > 1 else 1_000_000
RUNS = 3

# A noisy sine across the default page (plot units, 0.1 mm; y downwards).
rng = random.Random(1)
XS = [100.0 + 2769.0 * i / (N - 1) for i in range(N)]
YS = [1050.0 + 700.0 * math.sin(x * 0.01) + rng.uniform(-80.0, 80.0) for x in XS]


def best(fn):
    times = []
    for _ in range(RUNS):
        t0 = time.perf_counter()
        fn()
        times.append(time.perf_counter() - t0)
    return min(times)


def kalvor_ps(path):
    k.metafl("PS")
    k.filmod("DELE")
    k.setfil(path)
    k.kalini()
    k.errmod("PROT", "OFF")
    connpt = k.connpt
    k.strtpt(XS[0], YS[0])
    for x, y in zip(XS, YS):
        connpt(x, y)
    k.kalfin()


def empty_calls():
    getlev = k.getlev
    for _ in zip(XS, YS):
        getlev()


def matplotlib_ps(path, simplify):
    import matplotlib

    matplotlib.use("ps")
    import matplotlib.pyplot as plt

    matplotlib.rcParams["path.simplify"] = simplify
    fig = plt.figure(figsize=(297 / 25.4, 210 / 25.4))
    ax = fig.add_axes([0, 0, 1, 1])
    ax.set_axis_off()
    ax.set_xlim(0, 2969)
    ax.set_ylim(2099, 0)
    ax.plot(XS, YS, color="red", linewidth=0.5)
    fig.savefig(path)
    plt.close(fig)


def main():
    with tempfile.TemporaryDirectory() as tmp:
        rows = []
        kp = os.path.join(tmp, "kalvor.ps")
        t = best(lambda: kalvor_ps(kp))
        rows.append(("kalvor strtpt/connpt", t, os.path.getsize(kp)))
        rows.append(("  of which Python calls", best(empty_calls), None))
        try:
            import matplotlib  # noqa: F401
        except ImportError:
            rows.append(("matplotlib", None, None))
        else:
            for simplify in (False, True):
                mp = os.path.join(tmp, f"mpl_{simplify}.ps")
                t = best(lambda: matplotlib_ps(mp, simplify))
                rows.append((f"matplotlib, simplify={simplify}", t, os.path.getsize(mp)))
    print(f"{N} points, best of {RUNS}")
    print(f"{'writer':32s} {'seconds':>8s} {'bytes':>12s}")
    for name, t, size in rows:
        ts = f"{t:8.3f}" if t is not None else "     n/a"
        ss = f"{size:12d}" if size is not None else ""
        print(f"{name:32s} {ts} {ss}")


if __name__ == "__main__":
    main()
