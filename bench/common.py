"""Shared pieces of the benchmarks: the test polyline, timing and the kalvor
writer of the picture."""
import math
import random
import time

import kalvor as k

RUNS = 3


def polyline(n, seed=1):
    """A noisy sine of n points across the default page (plot units, 0.1 mm;
    y downwards)."""
    rng = random.Random(seed)
    xs = [100.0 + 2769.0 * i / (n - 1) for i in range(n)]
    ys = [1050.0 + 700.0 * math.sin(x * 0.01) + rng.uniform(-80.0, 80.0) for x in xs]
    return xs, ys


def timed(fn, *args):
    """The time of one call fn(*args), in seconds."""
    t0 = time.perf_counter()
    fn(*args)
    return time.perf_counter() - t0


def best(fn, runs=RUNS):
    """The best time of `runs` calls of fn, in seconds."""
    times = []
    for _ in range(runs):
        t0 = time.perf_counter()
        fn()
        times.append(time.perf_counter() - t0)
    return min(times)


def start(device, path):
    k.metafl(device)
    k.filmod("DELE")
    k.setfil(path)
    k.kalini()
    k.errmod("PROT", "OFF")


def kalvor_polyline(device, path, xs, ys):
    """The polyline through strtpt and one connpt call per point."""
    start(device, path)
    connpt = k.connpt
    k.strtpt(xs[0], ys[0])
    for x, y in zip(xs, ys):
        connpt(x, y)
    k.kalfin()


def python_calls(n):
    """n calls of a routine that does nothing: the Python share of a loop."""
    getlev = k.getlev
    for _ in range(n):
        getlev()


def report(title, rows):
    print(title)
    print(f"{'writer':34} {'seconds':>8} {'bytes':>12}")
    for label, seconds, size in rows:
        ts = "     n/a" if seconds is None else f"{seconds:8.3f}"
        print(f"{label:34} {ts} {'' if size is None else f'{size:12d}'}")
