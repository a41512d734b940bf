"""A 1,000,000-point polyline written as CGM, HPGL and Kyocera commands,
beside our PostScript and gnuplot's cgm and hpgl terminals on the same data.

    PYTHONPATH=build/<dir>/python python3 bench/bench_plotter.py [points]

kalvor draws the line with strtpt and one connpt call per point, so its time
includes a million Python calls; the "Python calls" line measures that share.
gnuplot reads the points from a text file: its times include starting the
program and parsing that file, a share that the line of its 80 x 25
character terminal estimates. Times are the best of three runs.
"""
import os
import shutil
import subprocess
import sys
import tempfile

from common import RUNS, best, kalvor_polyline, polyline, python_calls, report

N = int(sys.argv[1]) if len(sys.argv) > 1 else 1_000_000


def gnuplot(terminal, data, path):
    script = (f"set terminal {terminal}; set output '{path}'; unset border; unset tics; unset key; "
              f"set margins 0,0,0,0; set xrange [0:2969]; set yrange [2099:0]; "
              f"plot '{data}' with lines")
    subprocess.run(["gnuplot", "-e", script], check=True, capture_output=True)


def main():
    xs, ys = polyline(N)
    rows = []
    with tempfile.TemporaryDirectory() as tmp:
        def measure(label, fn, name):
            path = os.path.join(tmp, name)
            rows.append((label, best(lambda: fn(path)), os.path.getsize(path)))

        for label, device, name in (("kalvor CGM", "CGM", "k.cgm"), ("kalvor HPGL", "HPGL", "k.hpg"),
                                    ("kalvor Kyocera", "KYOC", "k.kyo"), ("kalvor PostScript", "PS", "k.ps")):
            measure(label, lambda p, d=device: kalvor_polyline(d, p, xs, ys), name)
        rows.append(("  of which Python calls", best(lambda: python_calls(N)), None))
        if shutil.which("gnuplot") is None:
            rows.append(("gnuplot (not installed)", None, None))
        else:
            data = os.path.join(tmp, "points.dat")
            with open(data, "w") as f:
                f.writelines(f"{x:.3f} {y:.3f}\n" for x, y in zip(xs, ys))
            measure("gnuplot cgm", lambda p: gnuplot("cgm", data, p), "g.cgm")
            measure("gnuplot hpgl", lambda p: gnuplot("hpgl", data, p), "g.hpg")
            measure("  gnuplot dumb terminal", lambda p: gnuplot("dumb", data, p), "g.txt")
    report(f"{N} points, best of {RUNS} runs", rows)


if __name__ == "__main__":
    main()
