"""Installing the repaired kalvor wheel beside matplotlib's, offline.

    python3 bench/bench_install.py WHEELDIR [--runs 5]

WHEELDIR holds the kalvor wheel (tests/packaging/check_wheel.sh, or
tools/repair_wheel.py) and matplotlib's with its dependencies
(`pip download matplotlib -d WHEELDIR`). Each run makes a fresh virtual
environment (not timed) and times `pip install --no-index --find-links
WHEELDIR <package>` into it, then `import` of the package in a new process.
The table gives medians, the wheel sizes and the installed sizes.

Measured on the 2-core build machine (shared, 3 runs; matplotlib 3.11.2
with its dependencies numpy, Pillow, fonttools ..., all manylinux wheels):

    package       wheel MB  installed MB  install s  import s
    kalvor             1.6           4.5       6.36      0.42
    matplotlib         9.9         175.5      53.06      2.07

The kalvor wheel is tagged cp311-cp311-manylinux_2_35_x86_64 (g++ 12 on
Debian 12): libkalvor.so.9 2.4 MB, _kalvor 1.1 MB (the wrappers only),
kalvor.libs/libdeflate 0.15 MB, the GTK plug-in 23 KB, map data 0.44 MB.
tests/packaging/check_wheel.sh takes 1 min 46 s in CI when install.sh has
built build/<wheel tag> (a cold build of that tree: 11 min).

The module linking libkalvor instead of holding its own copy, medians of
the W1-W3 and W7 workloads of run.py (3 runs; W7 5 runs), build/tests of the
main branch ("before") and of this change ("after"), same machine, in turn:

    W1 png 0.039 / 0.035 s   W1 pdf 0.062 / 0.055 s   W1 svg 0.052 / 0.050 s
    W1 eps 0.044 / 0.040 s   W2 pdf 0.202 / 0.163 s   W3 png 0.018 / 0.018 s
    W3 pdf 0.072 / 0.075 s   import of kalvor._kalvor (-X importtime) 4.1 / 2.5 ms

The calls through the library's exported entries cost nothing measurable.
W7 as a whole process differed (0.047 / 0.156 s) only because the "after"
tree still read __version__ through importlib.metadata at import, which the
main branch had meanwhile made lazy.
"""
import argparse
import os
import pathlib
import statistics
import subprocess
import sys
import tempfile
import time


def tree_size(path):
    return sum(f.stat().st_size for f in pathlib.Path(path).rglob("*") if f.is_file())


def one(package, wheels):
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run([sys.executable, "-m", "venv", "--without-pip", f"{tmp}/venv"], check=True)
        py = f"{tmp}/venv/bin/python"
        site = subprocess.run([py, "-c", "import sysconfig; print(sysconfig.get_paths()['purelib'])"],
                              capture_output=True, text=True, check=True).stdout.strip()
        empty = tree_size(site)
        t0 = time.perf_counter()
        subprocess.run([sys.executable, "-m", "pip", "--python", py, "install", "-q", "--no-index",
                        "--find-links", wheels, package], check=True)
        install = time.perf_counter() - t0
        t0 = time.perf_counter()
        subprocess.run([py, "-c", f"import {package}"], check=True, env=dict(os.environ, PYTHONPATH=""))
        return install, time.perf_counter() - t0, tree_size(site) - empty


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("wheels")
    ap.add_argument("--runs", type=int, default=5)
    args = ap.parse_args()
    print(f"{'package':<12}{'wheel MB':>10}{'installed MB':>14}{'install s':>11}{'import s':>10}")
    for package in ("kalvor", "matplotlib"):
        wheel = sorted(pathlib.Path(args.wheels).glob(f"{package}-*.whl"))
        results = [one(package, args.wheels) for _ in range(args.runs)]
        print(f"{package:<12}{(wheel[-1].stat().st_size / 1e6 if wheel else 0):>10.1f}"
              f"{results[0][2] / 1e6:>14.1f}{statistics.median(r[0] for r in results):>11.2f}"
              f"{statistics.median(r[1] for r in results):>10.2f}")


if __name__ == "__main__":
    main()
