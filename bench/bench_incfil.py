"""incfil and the Java driver, beside peers: a 4000 x 3000 picture as a
24-bit BMP and as a GIF placed on PDF, PostScript and PNG pages (RGB and
palette), against Pillow's decode and matplotlib's figimage; a VEKMET file
of 1,000,000 points played into a PDF; a 1,000,000-point polyline written
as Java source, with our SVG of the same polyline as the reference.

    PYTHONPATH=build/<dir>/python python3 bench/bench_incfil.py
"""
import os
import tempfile
import time

import numpy as np
from PIL import Image

import kalvor as k


def timed(title, fn):
    t = time.perf_counter()
    fn()
    print(f"{title:52s} {time.perf_counter() - t:8.3f} s")


def start(device, name, fmt="RGB"):
    k.metafl(device); k.setfil(name); k.filmod("DELETE"); k.imgfmt(fmt); k.kalini(); k.errmod("PROT", "OFF")


def include(device, out, picture, fmt="RGB"):
    start(device, out, fmt); k.incfil(picture); k.kalfin()


def polyline(device, name, n):
    x = (np.arange(n) % 2900).astype(float).tolist()
    y = (1000 + 900 * np.sin(np.arange(n) / 500.0)).tolist()
    start(device, name)
    for i in range(n - 1):
        k.line(round(x[i]), round(y[i]), round(x[i + 1]), round(y[i + 1]))
    k.kalfin()


def main():
    os.chdir(tempfile.mkdtemp())
    yy, xx = np.mgrid[0:3000, 0:4000]
    rgb = np.stack([xx * 255 // 3999, yy * 255 // 2999, (xx + yy) % 256], axis=2).astype(np.uint8)
    Image.fromarray(rgb).save("big.bmp")
    Image.fromarray(rgb).convert("P", palette=Image.ADAPTIVE, colors=256).save("big.gif")
    for picture in ["big.bmp", "big.gif"]:
        timed(f"Pillow decode {picture}", lambda: Image.open(picture).convert("RGB").load())
        for device, out, fmt in [("PDF", "o.pdf", "RGB"), ("PS", "o.ps", "RGB"), ("PNG", "o.png", "RGB"),
                                 ("PNG", "i.png", "IND")]:
            timed(f"incfil {picture} -> {device} {fmt}", lambda: include(device, out, picture, fmt))
    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
        for out in ["m.pdf", "m.png"]:
            def figimage():
                fig = plt.figure(figsize=(11.69, 8.27))
                fig.figimage(np.asarray(Image.open("big.bmp")), resize=False)
                fig.savefig(out)
                plt.close(fig)
            timed(f"matplotlib figimage -> {out}", figimage)
    except ImportError:
        print("matplotlib not installed")

    timed("1,000,000-point polyline -> VEKMET", lambda: polyline("VEKM", "big.met", 1_000_000))
    timed("incfil of that VEKMET file -> PDF", lambda: include("PDF", "v.pdf", "big.met"))
    timed("1,000,000-point polyline -> Java", lambda: polyline("JAVA", "big.java", 1_000_000))
    timed("1,000,000-point polyline -> SVG (reference)", lambda: polyline("SVG", "big.svg", 1_000_000))


if __name__ == "__main__":
    main()
