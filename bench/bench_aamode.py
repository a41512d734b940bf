"""The price of smoothed raster pictures: W1 of run.py (one curve of
1,000,000 points with axes, tick labels and a title, PNG 853 x 603) drawn
exactly and with aamode("ON"), kalini to kalfin, best of three runs each.

    PYTHONPATH=build/<dir>/python python3 bench/bench_aamode.py
"""
import os
import tempfile

import kalvor as k
import run


def main():
    path = os.path.join(tempfile.mkdtemp(), "w1.png")
    times = {}
    for mode in ("OFF", "ON"):
        k.aamode(mode)
        times[mode] = min(run.kalvor_child("W1", "png", path)[0] for _ in range(3))
        print(f"W1 PNG, aamode {mode}: {times[mode]:.3f} s ({os.path.getsize(path) / 1e3:.0f} kB)")
    k.aamode("OFF")
    print(f"aamode ON / OFF: {times['ON'] / times['OFF']:.1f}")


if __name__ == "__main__":
    main()
