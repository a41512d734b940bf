"""Work of single calls with huge geometry: a hatch pattern over a page of a
million plot units, a dotted line three hundred millimetres wide, and thick
frames of wide lines around a text, a shield circle and an axis system.
Each case runs in a child process with a time limit and a file-size limit,
so that a runaway case is cut off instead of filling the disk.

    PYTHONPATH=build/<dir>/python python3 bench/bench_bounded_work.py [seconds] [megabytes] [case]

The optional third argument runs only the cases whose title contains it.
"""
import os
import subprocess
import sys
import tempfile
import textwrap
import time

LIMIT_S = float(sys.argv[1]) if len(sys.argv) > 1 else 120
LIMIT_MB = int(sys.argv[2]) if len(sys.argv) > 2 else 2000
ONLY = sys.argv[3] if len(sys.argv) > 3 else ""

PRELUDE = """
import math, resource, signal
import kalvor as k
signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
resource.setrlimit(resource.RLIMIT_FSIZE, ({limit}, {limit}))
def start(device, name, w=None, h=None):
    if w: k.page(w, h)
    k.metafl(device); k.filmod('DELE'); k.setfil(name); k.kalini(); k.errmod('PROT', 'OFF')
def circle(cx, cy, r, n):
    return ([round(cx + r * math.cos(2 * math.pi * i / n)) for i in range(n)],
            [round(cy + r * math.sin(2 * math.pi * i / n)) for i in range(n)])
"""

CASES = [
    ("areaf pattern 17, page 1e6, PNG", "out.png", """
        start('PNG', 'out.png', 1000000, 1000000); k.shdpat(17)
        k.areaf([0, 999999, 999999, 0], [0, 0, 999999, 999999], 4); k.kalfin()"""),
    ("areaf pattern 17, 1000-gon, page 1e6, PS", "out.ps", """
        start('PS', 'out.ps', 1000000, 1000000); k.shdpat(17)
        x, y = circle(500000, 500000, 499000, 1000); k.areaf(x, y, 1000); k.kalfin()"""),
    ("areaf pattern 17, 1000-gon, page 1e6, VEKM", "out.met", """
        start('VEKM', 'out.met', 1000000, 1000000); k.shdpat(17)
        x, y = circle(500000, 500000, 499000, 1000); k.areaf(x, y, 1000); k.kalfin()"""),
    ("dotted line width 3000, VEKM", "out.met", """
        start('VEKM', 'out.met'); k.dot(); k.linwid(3000)
        k.line(100, 1000, 2800, 1000); k.kalfin()"""),
    ("dotted line width 3000, PNG", "out.png", """
        start('PNG', 'out.png'); k.dot(); k.linwid(3000)
        k.line(100, 1000, 2800, 1000); k.kalfin()"""),
    ("frmess 1000, linwid 300, one messag, VEKM", "out.met", """
        start('VEKM', 'out.met'); k.frmess(1000); k.linwid(300)
        k.messag('Frame', 800, 1000); k.kalfin()"""),
    ("frame 1000, linwid 100, one shlcir, VEKM", "out.met", """
        start('VEKM', 'out.met'); k.frame(1000); k.linwid(100)
        k.shlcir(1400, 1000, 400); k.kalfin()"""),
    ("frame 1000, linwid 100, graf, PDF", "out.pdf", """
        start('PDF', 'out.pdf'); k.frame(1000); k.linwid(100)
        k.graf(0, 1, 0, 1, 0, 1, 0, 1); k.kalfin()"""),
]


def main():
    print(f"{'case':46} {'seconds':>8} {'bytes':>14}")
    for title, name, body in CASES:
        if ONLY not in title:
            continue
        with tempfile.TemporaryDirectory() as d:
            code = PRELUDE.format(limit=LIMIT_MB << 20) + textwrap.dedent(body)
            t0 = time.perf_counter()
            try:
                proc = subprocess.run([sys.executable, "-c", code], cwd=d, timeout=LIMIT_S,
                                      capture_output=True)
                note = " (failed)" if proc.returncode else ""
            except subprocess.TimeoutExpired:
                note = f" (stopped after {LIMIT_S:.0f} s)"
            seconds = time.perf_counter() - t0
            path = os.path.join(d, name)
            size = os.path.getsize(path) if os.path.exists(path) else 0
            if size >= LIMIT_MB << 20:
                note += " (file-size limit)"
            print(f"{title:46} {seconds:8.2f} {size:14d}{note}")


if __name__ == "__main__":
    main()
