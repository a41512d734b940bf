"""100,000 short labels on one page, to PDF and PNG, beside matplotlib's text.

Run: PYTHONPATH=build/tests/python python3 bench/text_labels.py [count]

Measured (2 shared cores, 100,000 labels, height 20): kalvor PDF complx 21.4 s, helve
42.3 s, psfont 1.4 s; PNG complx 2.3 s, helve 3.8 s; matplotlib 3.11 fig.text PDF 127.7 s,
PNG (Agg) 213.2 s.
"""
import os
import random
import sys
import tempfile
import time

import kalvor as k

N = int(sys.argv[1]) if len(sys.argv) > 1 else 100_000
rng = random.Random(1)
LABELS = [(f"L{i % 1000}.{rng.randrange(100)}", rng.randrange(50, 2800), rng.randrange(50, 2000)) for i in range(N)]
out = tempfile.mkdtemp()


def kalvor_run(device, name, font):
    t = time.perf_counter()
    k.metafl(device); k.setfil(os.path.join(out, name)); k.filmod("DELE"); k.scrmod("REVERS")
    k.unit(0)
    k.kalini()
    font()
    k.height(20)
    for text, x, y in LABELS:
        k.messag(text, x, y)
    k.kalfin()
    return time.perf_counter() - t


def matplotlib_run(ext):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    t = time.perf_counter()
    fig = plt.figure(figsize=(11.69, 8.27))
    for text, x, y in LABELS:
        fig.text(x / 2970, 1 - y / 2100, text, fontsize=5)
    fig.savefig(os.path.join(out, "mpl." + ext), dpi=100)
    plt.close(fig)
    return time.perf_counter() - t


print(f"{N} labels")
for device, name in (("PDF", "k.pdf"), ("PNG", "k.png")):
    for label, font in (("complx (strokes)", k.complx), ("helve (outlines)", k.helve)):
        print(f"kalvor {device} {label}: {kalvor_run(device, name, font):.2f} s")
    if device == "PDF":
        print(f"kalvor PDF psfont (hardware): {kalvor_run('PDF', name, lambda: k.psfont('Helvetica')):.2f} s")
for ext in ("pdf", "png"):
    print(f"matplotlib {ext}: {matplotlib_run(ext):.2f} s")
