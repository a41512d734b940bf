"""Memory over many kalini/kalfin cycles in all formats, each with an axis
system, a curve, a legend, automatic shields and a shielded line: the
resident set after each thousand cycles should stay flat.

    PYTHONPATH=build/tests/python python3 bench/leak_cycles.py [cycles]
"""
import math
import os
import sys
import tempfile

import kalvor as k

CYCLES = int(sys.argv[1]) if len(sys.argv) > 1 else 10_000
XS = [i * 0.1 for i in range(101)]
YS = [math.sin(x) for x in XS]
FORMATS = ["PS", "EPS", "PDF", "SVG", "PNG", "TIFF", "CGM", "HPGL", "VEKM"]


def rss_kib():
    with open("/proc/self/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def main():
    os.chdir(tempfile.mkdtemp())
    k.filmod("DELE")
    marks = []
    for i in range(CYCLES):
        k.metafl(FORMATS[i % len(FORMATS)])
        k.setfil("cycle")
        k.kalini()
        k.errmod("PROTOCOL", "OFF")
        k.shield("LEGEND", "ON")
        k.name("x", "X")
        k.titlin("cycle", 1)
        k.graf(0.0, 10.0, 0.0, 2.0, -1.0, 1.0, -1.0, 0.5)
        k.title()
        k.curve(XS, YS, len(XS))
        k.legini(" ", 1, 8)
        k.leglin(" ", "sine", 1)
        k.legend(" ", 3)
        k.endgrf()
        k.shlrec(900, 900, 400, 300)
        k.line(100, 100, 2000, 1500)
        k.shldel(1)
        k.messag("cycle", 300, 300)
        k.kalfin()
        if (i + 1) % 1000 == 0:
            marks.append(rss_kib())
            print(f"{i + 1:6d} cycles: RSS {marks[-1]} KiB", flush=True)
    print(f"growth from the first thousand to the last: {marks[-1] - marks[0]} KiB")


if __name__ == "__main__":
    main()
