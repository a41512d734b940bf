"""A 1,000,000-point polyline written as PDF (compressed and not) and as
SVG: kalvor against matplotlib's PDF and SVG backends on the same data.

    PYTHONPATH=build/<dir>/python python3 bench/bench_pdf_svg.py [points]

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


def kalvor_plot(device, path, compress=True):
    k.pdfmod("ON" if compress else "OFF", "COMP")
    k.metafl(device)
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


def matplotlib_plot(backend, path, simplify):
    import matplotlib

    matplotlib.use(backend)
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
    rows = []
    with tempfile.TemporaryDirectory() as tmp:
        def measure(label, fn, path):
            rows.append((label, best(lambda: fn(path)), os.path.getsize(path)))

        measure("kalvor PDF, compressed", lambda p: kalvor_plot("PDF", p), os.path.join(tmp, "a.pdf"))
        measure("kalvor PDF, uncompressed", lambda p: kalvor_plot("PDF", p, False),
                os.path.join(tmp, "b.pdf"))
        measure("kalvor SVG", lambda p: kalvor_plot("SVG", p), os.path.join(tmp, "c.svg"))
        rows.append(("  of which Python calls", best(empty_calls), None))
        for simplify in (False, True):
            tag = "simplify on" if simplify else "every point"
            measure(f"matplotlib PDF, {tag}", lambda p: matplotlib_plot("pdf", p, simplify),
                    os.path.join(tmp, f"m{simplify}.pdf"))
            measure(f"matplotlib SVG, {tag}", lambda p: matplotlib_plot("svg", p, simplify),
                    os.path.join(tmp, f"m{simplify}.svg"))
    print(f"{N} points, best of {RUNS} runs")
    print(f"{'writer':32} {'seconds':>8} {'bytes':>12}")
    for label, seconds, size in rows:
        print(f"{label:32} {seconds:8.2f} {'' if size is None else f'{size:12d}'}")


if __name__ == "__main__":
    main()
