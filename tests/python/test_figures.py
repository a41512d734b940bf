"""Figures and symbols rendered to PNG, PDF and SVG and read back by
independent readers (Pillow, poppler's pdftoppm, librsvg's rsvg-convert):
arrow heads, symbol centres, sizes, rotation and seamless fills."""
import textwrap

import numpy as np
import pytest
from PIL import Image

from conftest import render

W, H = 853, 603   # pixels of the PNG raster, one per plot unit

FORMATS = ["PNG", "PDF", "SVG"]


def ink(run, fmt, body):
    """Runs `body` on a W x H page in format fmt and returns the page as a
    boolean array of inked pixels, one per plot unit, and the standard output."""
    start = (f"k.page({W}, {H}); k.sclmod('FULL'); k.metafl('{fmt}')\n"
             "k.kalini(); k.errmod('PROT', 'OFF')\n")
    out = run(start + textwrap.dedent(body) + "\nk.kalfin()\n")
    path = run.path / f"kalvor.{fmt.lower()}"
    im = render(path, 300, width=4 * W if fmt == "SVG" else None, turned=True).convert("L")
    im = im.resize((W, H), Image.Resampling.BOX)
    grey = np.asarray(im).astype(int)
    return abs(grey - grey[0, 0]) > 48, out   # ink differs from the background


def column(page, x, y, reach=30):
    """Rows with ink in column x within `reach` of row y."""
    return [r for r in range(y - reach, y + reach + 1) if page[r, x]]


@pytest.mark.parametrize("fmt", FORMATS)
def test_arrow_heads_point_the_right_way(run, fmt):
    # Heads of length 50 and half width 16.7 (ivec 14cd); tips at x = 700,
    # except the arrow of row 500, which points left to x = 100.
    page, out = ink(run, fmt, """
        k.vector(100, 100, 700, 100, 1401)
        k.vector(100, 200, 700, 200, 1402)
        k.vector(100, 300, 700, 300, 1421)
        k.vector(100, 400, 700, 400, 1441)
        k.vector(700, 500, 100, 500, 1401)
        k.vector(100, 560, 700, 560, 1411)
    """)
    def filled(x, y):
        rows = column(page, x, y)
        return len(rows) >= 8 and len(rows) >= max(rows) - min(rows) - 1

    def bare(x, y):
        return len(column(page, x, y)) <= 3

    assert filled(680, 100) and bare(120, 100)                 # one filled head at the end
    assert filled(680, 200) and filled(120, 200)               # heads at both ends
    rows = column(page, 670, 300)                              # open: two strokes and the shaft
    assert max(rows) - min(rows) >= 15 and len(rows) <= 10 and page[300, 670]
    assert bare(680, 400) and bare(120, 400) and page[400, 400]   # shaft only, with a warning
    assert "Warning   2: Incorrect parameter in vector!   (   4)" in out
    assert filled(120, 500) and bare(680, 500)                 # pointing left
    assert not page[560, 675] and page[560, 630] and max(column(page, 675, 560)) > 565   # shaft ends at the base


@pytest.mark.parametrize("fmt", FORMATS)
def test_symbols_are_centred_sized_and_turned(run, fmt):
    # The 24 symbols of size 40 in cells of 100, then a square turned by 45
    # degrees; every filled symbol is solid inside.
    page, _ = ink(run, fmt, """
        k.hsymbl(40)
        for i in range(24):
            k.symbol(i, 60 + 100 * (i % 8), 60 + 100 * (i // 8))
        k.symrot(45); k.symbol(0, 100, 400); k.symrot(0)
        k.hsymbl(80); k.symbol(17, 300, 450); k.symbol(16, 500, 450); k.symbol(15, 700, 450)
    """)
    for i in range(24):
        cx, cy = 60 + 100 * (i % 8), 60 + 100 * (i // 8)
        cell = page[cy - 45:cy + 46, cx - 45:cx + 46]
        ys, xs = np.nonzero(cell)
        # Within 2.5 pixels: smoothed slanted strokes weigh a little more than
        # straight ones; a triangle centred on its box would be 6.7 off.
        assert abs(xs.mean() - 45) < 2.5 and abs(ys.mean() - 45) < 2.5, (i, xs.mean(), ys.mean())
        width = xs.max() - xs.min() + 1
        assert 38 <= width <= 43, (i, width)
        if i in (16, 17, 19):
            assert cell[40:51, 40:51].all(), i
    ys, xs = np.nonzero(page[340:461, 40:161])
    assert 54 <= xs.max() - xs.min() + 1 <= 60 and 54 <= ys.max() - ys.min() + 1 <= 60
    # Large filled shapes have no seams: the inner square of the circle of
    # diameter 80 and of the square are ink throughout; the open circle is hollow.
    assert page[425:476, 275:326].all() and page[415:486, 465:536].all()
    assert not page[430:471, 680:721].any() and page[450, 657:664].any()
