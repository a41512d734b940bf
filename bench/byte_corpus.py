"""A corpus of output files for byte-identity checks across a refactoring.

    PYTHONPATH=build/tests/python python3 bench/byte_corpus.py OUTDIR [--bench]

Writes every scene below in PostScript, PDF, SVG and PNG into OUTDIR, plus
positions.txt with the coordinate conversions (xposn, yposn, xinvrs ...),
and with --bench the outputs of the bench workloads W1-W3 (bench/run.py).
The clock is fixed (SOURCE_DATE_EPOCH) so that dates in the files agree.
Run it once with the old build and once with the new one, then compare:

    cmp -s old/FILE new/FILE   (or: diff -r old new)

Scenes: Cartesian linear and logarithmic axes with every curve mode, error
bars, symbols, thick and dashed curves, grids; polar axes with curves, bars,
stems, polar grids and every user-coordinate (rl) figure; fills (areaf,
trifll, recfll, patterns, shields) with and without a page transformation.
The page-transformation scene is expected to differ when fills change.
"""
import math
import os
import sys

import kalvor as k

FORMATS = [("PS", "ps"), ("PDF", "pdf"), ("SVG", "svg"), ("PNG", "png")]
N = 60
XS = [i * 10.0 / (N - 1) for i in range(N)]
YS = [math.sin(x) * 3 + 4 for x in XS]


def rl_figures(x0, y0, s):
    """Every user-coordinate figure once, around (x0, y0) with size s."""
    k.rline(x0, y0, x0 + s, y0 + s)
    k.rlstrt(x0, y0 + s)
    k.rlconn(x0 + s, y0 + 2 * s)
    k.rlconn(x0 + 2 * s, y0 + s)
    k.rlarc(x0 + s, y0, s, s / 2, 10, 250, 20)
    k.rlcirc(x0 - s, y0, s / 2)
    k.rlell(x0 - s, y0 - s, s, s / 2)
    k.rlpie(x0 + 2 * s, y0 - s, s / 2, 20, 140)
    k.rlsec(x0, y0 - 2 * s, s / 3, s, 30, 200, 3)
    k.rlrec(x0 - 2 * s, y0 + s, s, s / 2)
    k.rlrnd(x0 - 2 * s, y0 - 2 * s, s, s / 2, 2)
    k.rlarea([x0, x0 + s, x0 + s / 2], [y0 + 2 * s, y0 + 2 * s, y0 + 3 * s], 3)
    k.rlpoin(x0 + 3 * s, y0, 20, 10, 5)
    k.rlvec(x0, y0, x0 + 2 * s, y0 - s, 1241)
    k.rlvec(x0, y0, x0 - s, y0 + 2 * s, 1311)
    k.rlwind(12.0, x0 + 3 * s, y0 + s, 4, 45.0)
    for i, nsym in enumerate((0, 3, 8, 15, 21)):
        k.rlsymb(nsym, x0 + i * s / 2, y0 + 3 * s)
    k.rlnumb(12.345, 2, x0 + s, y0 - 3 * s)


def cartesian(log):
    k.name("X", "X")
    k.name("Y", "Y")
    if log:
        k.scale("LOG", "XY")
        k.labels("LOG", "XY")
        k.graf(-1, 1, -1, 1, -1, 1, -1, 1)
        xs = [10 ** (x / 5 - 1) for x in XS]
        ys = [10 ** ((y - 4) / 3.5) for y in YS]
    else:
        k.graf(0, 10, 0, 2, 0, 8, 0, 2)
        xs, ys = XS, YS
    k.grid(2, 1)
    modes = ["LINE", "STEP", "STAI", "STEM", "BARS", "FBAR", "SPLI", "PSPL"]
    for i, mode in enumerate(modes):
        k.polcrv(mode)
        k.barwth(0.5 if i % 2 else -6)
        step = 1 + i
        k.curve(xs[::step], [y * (0.95 ** i) for y in ys[::step]], len(xs[::step]))
    k.polcrv("LINE")
    k.incmrk(3)
    k.marker(4)
    k.thkcrv(3)
    k.lintyp(2)
    k.curve(xs, [y * 0.5 + (0.1 if log else 1) for y in ys], N)
    k.thkcrv(1)
    k.lintyp(0)
    k.incmrk(-2)
    k.curve(xs, [y * 0.3 + (0.1 if log else 0.5) for y in ys], N)
    k.incmrk(0)
    k.gapcrv(0.5 if not log else 0.05)
    k.curve(xs[::3] + [x + 0.01 for x in xs[:1]], ys[::3] + ys[:1], len(xs[::3]) + 1)
    k.gapcrv(0.0)
    e = [0.3] * 10
    k.errbar(xs[::6], ys[::6], e, e, 10)
    if log:
        rl_figures(0.5, 3.0, 1.5)
    else:
        rl_figures(5, 4, 1)
    k.endgrf()


def polar_scene():
    k.polar(5.0, 0.0, 1.0, 0.0, 30.0)
    k.grid(3, 2)
    for i, mode in enumerate(["LINE", "BARS", "STEM", "FBAR"]):
        k.polcrv(mode)
        k.barwth(0.6 if i % 2 else -8)
        rs = [2 + math.sin(3 * a / 9) + i * 0.5 for a in range(0, 360, 9)]
        angles = [math.radians(a) for a in range(0, 360, 9)]
        k.curve(rs[:: 1 + i], angles[:: 1 + i], len(rs[:: 1 + i]))
    k.polcrv("LINE")
    k.incmrk(-1)
    k.marker(3)
    k.curve([1.0, 2.0, 3.0, 4.0], [0.1, 1.0, 2.0, 3.0], 4)
    k.incmrk(0)
    rl_figures(1.0, 1.0, 0.8)
    k.endgrf()


def fills(transformed):
    if transformed:
        k.trfrot(20.0, 1400, 1000)
        k.trfscl(0.8, 1.1)
        k.trfshf(30, -20)
    k.areaf([200, 900, 600, 300], [300, 250, 900, 800], 4)
    k.shdpat(5)
    k.areaf([1000, 1500, 1400], [300, 400, 900], 3)
    k.shdpat(16)
    k.trifll([1700.0, 2200.0, 1900.0], [300.0, 400.0, 900.0])
    k.recfll(2300, 300, 400, 500, 4)
    k.shlrec(300, 1200, 400, 300)
    k.areaf([200, 900, 600, 300], [1100, 1050, 1700, 1600], 4)
    k.recfll(1000, 1100, 400, 500, 5)
    k.shldel(0)
    k.rectan(1600, 1100, 500, 500)
    k.circle(2500, 1400, 250)
    k.sector(1900, 1400, 50, 250, 20, 160, 6)
    k.trfres()


def axes_scenes():
    """Separate axes and a crossed system with conversions written out."""
    lines = []
    k.axstyp("CROSS")
    k.graf(-5, 5, -5, 2, -3, 3, -3, 1)
    for v in (-5.0, -1.25, 0.0, 2.5, 5.0):
        lines.append(f"x {v} {k.xposn(v)!r} {k.nxposn(v)} y {k.yposn(v)!r} {k.nyposn(v)}")
    for n in (0, 300, 1234, 2969):
        lines.append(f"inv {n} {k.xinvrs(n)!r} {k.yinvrs(n)!r}")
    k.curve(XS, [y - 4 for y in YS], N)
    k.endgrf()
    k.axstyp("RECT")
    k.polar(5.0, 0.0, 1.0, 0.0, 45.0)
    for v in (0.0, 2.5, 5.0):
        lines.append(f"polar x {v} {k.xposn(v)!r} {k.nxposn(v)}")
    for n in (0, 1000, 1500):
        lines.append(f"polar inv {n} {k.xinvrs(n)!r} {k.yinvrs(n)!r}")
    k.endgrf()
    k.scale("LOG", "XY")
    k.graf(0, 3, 0, 1, -1, 2, -1, 1)
    for v in (1.0, 10.0, 37.5, 1000.0):
        lines.append(f"log x {v} {k.xposn(v)!r} y {k.yposn(v)!r}")
    for n in (0, 1000, 1500):
        lines.append(f"log inv {n} {k.xinvrs(n)!r} {k.yinvrs(n)!r}")
    k.endgrf()
    return lines


SCENES = {
    "cartesian": lambda: cartesian(False),
    "logaxes": lambda: cartesian(True),
    "polar": polar_scene,
    "fills": lambda: fills(False),
    "fills_transformed": lambda: fills(True),
}


def page(device, path, draw):
    k.metafl(device)
    k.setpag("DA4L")
    k.filmod("DELE")
    k.setfil(path)
    k.scrmod("REVERS")
    k.kalini()
    k.errmod("PROTOCOL", "OFF")
    k.errmod("WARNINGS", "OFF")
    result = draw()
    k.kalfin()
    return result


def main():
    os.environ.setdefault("SOURCE_DATE_EPOCH", "1700000000")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, draw in SCENES.items():
        for device, ext in FORMATS:
            page(device, os.path.join(out, f"{name}.{ext}"), draw)
    lines = page("PS", os.path.join(out, "axes.ps"), axes_scenes)
    with open(os.path.join(out, "positions.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")
    if "--bench" in sys.argv:
        sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
        import run

        for workload, formats in (("W1", ["png", "pdf", "svg", "eps"]), ("W2", ["pdf"]),
                                  ("W3", ["png", "pdf"])):
            for fmt in formats:
                run.kalvor_child(workload, fmt, os.path.join(out, f"bench_{workload}.{fmt}"))


if __name__ == "__main__":
    main()
