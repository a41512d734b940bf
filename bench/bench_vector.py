"""A 1,000,000-point polyline written as PostScript, PDF (compressed and not)
and SVG: kalvor against matplotlib's backends on the same data.

    PYTHONPATH=build/<dir>/python python3 bench/bench_vector.py [points]

kalvor draws the line with strtpt and one connpt call per point, so its time
includes a million Python calls; the "Python calls" line measures that share.
matplotlib is timed with path simplification off (every point written, as
kalvor does) and on (its default). Times are the best of three runs.
"""
import os
import sys
import tempfile

import kalvor as k
from common import RUNS, best, kalvor_polyline, matplotlib_polyline, polyline, python_calls, report

N = int(sys.argv[1]) if len(sys.argv) > 1 else 1_000_000


def main():
    xs, ys = polyline(N)
    rows = []
    with tempfile.TemporaryDirectory() as tmp:
        def measure(label, fn, name):
            path = os.path.join(tmp, name)
            rows.append((label, best(lambda: fn(path)), os.path.getsize(path)))

        measure("kalvor PostScript", lambda p: kalvor_polyline("PS", p, xs, ys), "k.ps")
        k.pdfmod("ON", "COMP")
        measure("kalvor PDF, compressed", lambda p: kalvor_polyline("PDF", p, xs, ys), "k.pdf")
        k.pdfmod("OFF", "COMP")
        measure("kalvor PDF, uncompressed", lambda p: kalvor_polyline("PDF", p, xs, ys), "k2.pdf")
        measure("kalvor SVG", lambda p: kalvor_polyline("SVG", p, xs, ys), "k.svg")
        rows.append(("  of which Python calls", best(lambda: python_calls(N)), None))
        try:
            import matplotlib  # noqa: F401
        except ImportError:
            rows.append(("matplotlib (not installed)", None, None))
        else:
            for simplify in (False, True):
                tag = "simplify on" if simplify else "every point"
                for backend, ext in (("ps", "ps"), ("pdf", "pdf"), ("svg", "svg")):
                    measure(f"matplotlib {ext.upper()}, {tag}",
                            lambda p: matplotlib_polyline(backend, p, xs, ys, simplify), f"m{simplify}.{ext}")
    report(f"{N} points, best of {RUNS} runs", rows)


if __name__ == "__main__":
    main()
