"""Raster output speed: a 1,000,000-point polyline and 100,000 filled
rectangles written as PNG (853 x 603), and the PNG encoding of a full
4000 x 3000 true-colour raster against Pillow's encoder on the same pixels
(a plot-like picture, and gradients with a fine texture).

    PYTHONPATH=build/<dir>/python python3 bench/bench_raster.py [points] [rectangles]

The polyline is drawn with strtpt and one connpt call per point and the
rectangles with one recfll call each, so those times include a Python call
per item; the empty-call lines measure that share. Both PNG encoders use
zlib's default level 6; kalvor writes unfiltered rows, Pillow chooses a
filter per row. Times are the best of three runs.
"""
import io
import math
import os
import random
import sys
import tempfile

import kalvor as k
from common import best, kalvor_polyline, polyline, python_calls, start

N = int(sys.argv[1]) if len(sys.argv) > 1 else 1_000_000
NRECT = int(sys.argv[2]) if len(sys.argv) > 2 else 100_000
BIG_W, BIG_H = 4000, 3000

XS, YS = polyline(N)
rng = random.Random(1)
RECTS = [(rng.randrange(0, 2800), rng.randrange(0, 1950), rng.randrange(5, 150),
          rng.randrange(5, 150), rng.randrange(1, 255)) for _ in range(NRECT)]


def rectangles_png(path):
    start("PNG", path)
    recfll = k.recfll
    for r in RECTS:
        recfll(*r)
    k.kalfin()


def gradient_picture():
    """4000 x 3000 RGB bytes: smooth gradients with a fine texture."""
    rows = []
    for y in range(BIG_H):
        g = y * 255 // (BIG_H - 1)
        rows.append(bytes(v for x in range(BIG_W) for v in (x * 255 // (BIG_W - 1), g, (x ^ y) & 255)))
    return b"".join(rows)


def open_big_raster():
    k.metafl("VIRT")
    k.imgfmt("RGB")
    k.winsiz(BIG_W, BIG_H)
    k.page(BIG_W, BIG_H)
    k.sclmod("FULL")
    k.scrmod("REVERS")  # a white page
    k.kalini()
    k.errmod("PROT", "OFF")


def draw_plot_like():
    """Bars, boxes and a curve on a white page, as a plot would draw them."""
    r = random.Random(2)
    for i in range(400):
        x = 100 + i * 9
        h = r.randrange(50, 2500)
        k.recfll(x, 2900 - h, 7, h, r.randrange(1, 255))
    k.setclr(0)
    k.strtpt(0, 1500)
    for x in range(0, BIG_W, 2):
        k.connpt(x, 1500 + 900 * math.sin(x * 0.004))


def encode(label, png):
    """Times kalvor's and Pillow's PNG encoders on the raster's pixels."""
    k.filmod("DELE")
    t_file = best(lambda: k.rpng(png))
    size = os.path.getsize(png)
    t_memory = best(lambda: k.rbfpng(size))
    k.imgini()
    k.imgmod("RGB")
    pixels, _ = k.rpixls(0, 0, BIG_W, BIG_H)
    k.imgfin()
    k.kalfin()

    from PIL import Image

    image = Image.frombytes("RGB", (BIG_W, BIG_H), pixels)

    def pillow():
        out = io.BytesIO()
        image.save(out, format="PNG", compress_level=6)
        return out.getbuffer().nbytes

    pillow_size = pillow()
    t_pillow = best(pillow)
    print(f"PNG of a 4000 x 3000 RGB raster, {label}: kalvor rpng {t_file:.3f} s ({size / 1e6:.2f} MB),"
          f" rbfpng {t_memory:.3f} s; Pillow {t_pillow:.3f} s ({pillow_size / 1e6:.2f} MB)")


def main():
    tmp = tempfile.mkdtemp()
    png = os.path.join(tmp, "bench.png")
    k.winsiz(853, 603)
    print(f"polyline of {N} points to PNG 853 x 603: "
          f"{best(lambda: kalvor_polyline('PNG', png, XS, YS)):.3f} s"
          f"  (empty Python calls: {best(lambda: python_calls(N)):.3f} s)")
    print(f"{NRECT} filled rectangles to PNG 853 x 603: {best(lambda: rectangles_png(png)):.3f} s"
          f"  (empty Python calls: {best(lambda: python_calls(NRECT)):.3f} s)")

    open_big_raster()
    draw_plot_like()
    encode("plot-like", png)

    picture = gradient_picture()
    open_big_raster()
    k.imgini()
    k.imgmod("RGB")
    k.wpixls(picture, 0, 0, BIG_W, BIG_H)
    k.imgfin()
    encode("gradients and texture", png)


if __name__ == "__main__":
    main()
