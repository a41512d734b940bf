"""Installing the repaired kalvor wheel beside matplotlib's, offline.

    python3 bench/bench_install.py WHEELDIR [--runs 5]

WHEELDIR holds the kalvor wheel (tests/packaging/check_wheel.sh, or
tools/repair_wheel.py) and matplotlib's with its dependencies
(`pip download matplotlib -d WHEELDIR`). Each run makes a fresh virtual
environment (not timed) and times `pip install --no-index --find-links
WHEELDIR <package>` into it, then `import` of the package in a new process.
The table gives medians, the wheel sizes and the installed sizes.
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
