"""Long plain curves go to the device in runs of points, other lines point
by point through the line layer; both ways must write the same bytes (with
thinning set aside). The document writers thin dense runs at the precision
they write and draw repeated symbols as one shape: neither may change the
picture."""
import re
import zlib

import numpy as np
import pytest
from conftest import render
from test_raster import rgb_of

PLAIN = {"KALVOR_THINNING": "OFF", "KALVOR_FIGURE_SHAPES": "OFF"}

PAGE = """
import math
def page(fmt, name, how, style, amp=1.8):
    k.metafl(fmt); k.setpag('DA4L'); k.filmod('DELE'); k.setfil(name)
    k.kalini(); k.errmod('PROTOCOL', 'OFF'); k.nochek()
    if how == 'shielded':
        k.shlrec(5000, 5000, 20, 20)   # off the page: lines go through the shield cutter
    k.graf(0, 100, 0, 10, -1.5, 1.5, -1.5, 0.5)
    n = 5000
    x = [100 * i / (n - 1) for i in range(n)]
    # Noise, stretches beyond the axis limits (clipped) and repeated points.
    y = [math.sin(v * 0.3) * amp + 0.1 * math.sin(v * 977.0) for v in x]
    y[2000:2010] = [y[2000]] * 10
    k.lintyp(style)
    if how == 'points':
        k.rlstrt(x[0], y[0])
        for i in range(1, n):
            k.rlconn(x[i], y[i])
    else:
        k.curve(x, y, n)
    k.endgrf(); k.kalfin()
"""


def same_picture(run, fmt, a, b):
    if fmt == "PNG":
        return rgb_of(run.path / a) == rgb_of(run.path / b)
    # Metafiles carry their own file name.
    return (run.path / a).read_bytes().replace(a.encode(), b.encode()) == (run.path / b).read_bytes()


@pytest.mark.parametrize("fmt", ["PS", "SVG", "PDF", "PNG", "CGM", "HPGL"])
@pytest.mark.parametrize("style", [0, 2])
def test_curve_writes_what_its_points_drawn_one_by_one_write(run, fmt, style):
    # Solid: the curve in runs, rlconn point by point; dashed: both cut
    # dashes in the line layer, the curve in pieces that must join.
    # amp 1.0 keeps pieces wholly inside the window: they go to the device
    # without the point-by-point run.
    run(PAGE + f"page('{fmt}', 'line.out', 'curve', {style}); page('{fmt}', 'conn.out', 'points', {style})\n"
        f"page('{fmt}', 'line1.out', 'curve', {style}, 1.0); page('{fmt}', 'conn1.out', 'points', {style}, 1.0)",
        env=PLAIN)
    assert same_picture(run, fmt, "line.out", "conn.out")
    assert same_picture(run, fmt, "line1.out", "conn1.out")


@pytest.mark.parametrize("fmt", ["PS", "PNG", "HPGL"])
def test_runs_write_what_the_shield_cutter_writes(run, fmt):
    run(PAGE + f"page('{fmt}', 'runs.out', 'curve', 0); page('{fmt}', 'solo.out', 'shielded', 0)", env=PLAIN)
    assert same_picture(run, fmt, "runs.out", "solo.out")


DENSE = """
import numpy as np
def page(fmt, name, noisy, n):
    k.metafl(fmt); k.setpag('DA4L'); k.filmod('DELE'); k.setfil(name)
    k.kalini(); k.errmod('PROTOCOL', 'OFF')
    k.graf(0, 100, 0, 10, -1.5, 1.5, -1.5, 0.5)
    x = np.linspace(0, 100, n)
    y = np.sin(x) + 0.1 * np.sin(37 * x)
    if noisy:
        y = y + np.random.default_rng(1).normal(0, 0.1, n)
    k.curve(x, y, n)
    k.endgrf(); k.kalfin()
"""


def document_text(path):
    """A document's text, PDF streams inflated."""
    data = path.read_bytes()
    if path.suffix == ".pdf":
        data = b"".join(zlib.decompress(m) if b"FlateDecode" in head else m
                        for head, m in re.findall(rb"(<<.*?>>)\s*stream\n(.*?)endstream", data, re.S))
    return data.decode("latin-1")


def pixels(path, dpi):
    return np.asarray(render(path, dpi, smooth=True), dtype=np.int16)


@pytest.mark.parametrize("noisy", [False, True])
def test_thinned_curves_draw_the_same_pixels(run, noisy):
    # A million points of a smooth curve, thinned and not, drawn at 300 dpi;
    # a noisy curve of 20,000 (a million noisy strokes keep the readers busy
    # for minutes).
    n = 20_000 if noisy else 1_000_000
    for fmt in ("PDF", "SVG"):
        ext = fmt.lower()
        run(DENSE + f"page('{fmt}', 'plain.{ext}', {noisy}, {n})", env={"KALVOR_THINNING": "OFF"})
        run(DENSE + f"page('{fmt}', 'thin.{ext}', {noisy}, {n})")
        plain, thin = run.path / f"plain.{ext}", run.path / f"thin.{ext}"
        assert thin.stat().st_size <= plain.stat().st_size / (1 if noisy else 3), fmt
        assert np.array_equal(pixels(plain, 300), pixels(thin, 300)), fmt


def off_neighbours(a, b, margin=32):
    """The share of pixels of b outside the range of the 3 x 3 pixels
    around them in a, by more than `margin`."""
    window = np.lib.stride_tricks.sliding_window_view(np.pad(a, ((1, 1), (1, 1), (0, 0)), mode="edge"),
                                                      (3, 3), axis=(0, 1))
    lo, hi = window.min(axis=(-1, -2)), window.max(axis=(-1, -2))
    return ((b < lo - margin) | (b > hi + margin)).any(axis=2).mean()


SYMBOLS = """
import numpy as np
def page(fmt, name, clip=False, shield=False):
    k.metafl(fmt); k.setpag('DA4L'); k.filmod('DELE'); k.setfil(name)
    k.kalini(); k.errmod('PROTOCOL', 'OFF'); k.nochek()
    k.graf(0, 100, 0, 10, -1.5, 1.5, -1.5, 0.5)
    k.incmrk(-1)
    if clip or shield:
        # The window's edge, or a shield, through the symbol's centre.
        if clip:
            k.clpwin(0, 0, k.nxposn(50.0), 2100)
        else:
            k.shlcir(k.nxposn(50.0), k.nyposn(0.0), 10)
        k.hsymbl(40)
        k.marker(21)
        k.curve([50.0], [0.0], 1)
    else:
        rng = np.random.default_rng(2)
        for i, shape in enumerate((21, 3, 16, 8, 4, 18)):
            k.hsymbl(3 + i % 3)
            k.symrot(15.0 * (i % 2))
            k.setrgb(0.1 * i, 0.2, 1 - 0.1 * i)
            k.marker(shape)
            k.curve(rng.uniform(2, 98, 16_666), rng.uniform(-1.4, 1.4, 16_666), 16_666)
    k.endgrf(); k.kalfin()
"""


@pytest.mark.parametrize("fmt", ["PDF", "SVG", "EPS"])
def test_repeated_symbols_draw_what_their_paths_draw(run, fmt):
    ext = fmt.lower()
    run(SYMBOLS + f"page('{fmt}', 'paths.{ext}')", env={"KALVOR_FIGURE_SHAPES": "OFF"})
    run(SYMBOLS + f"page('{fmt}', 'shapes.{ext}')")
    paths, shapes = run.path / f"paths.{ext}", run.path / f"shapes.{ext}"
    placed = {"PDF": r"cm /Form\d+ Do", "SVG": r"<use ", "EPS": r" K\d+ "}[fmt]
    assert len(re.findall(placed, document_text(shapes))) > 90_000
    assert shapes.stat().st_size < paths.stat().st_size / 3
    # Edges may move by the rounding of a centre (PostScript: half a unit,
    # a third of a pixel at 150 dpi): a pixel of one picture lies within
    # the shades around it in the other, but for a few where a reader snaps
    # an edge to the other side of a pixel border.
    a, b = pixels(paths, 150), pixels(shapes, 150)
    assert (a.min(axis=2) < 255).mean() > 0.3
    assert off_neighbours(a, b) < 0.003 and off_neighbours(b, a) < 0.003
    # A symbol the window cuts, or one inside a shield region, keeps its paths.
    for case in ("clip=True", "shield=True"):
        run(SYMBOLS + f"page('{fmt}', 'one.{ext}', {case})")
        assert not re.search(placed, document_text(run.path / f"one.{ext}")), case
