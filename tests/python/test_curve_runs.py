"""Long plain curves go to the device in runs of points, other lines point
by point through the line layer; both ways must write the same bytes."""
import pytest

from test_raster import rgb_of

PAGE = """
import math
def page(fmt, name, how, style):
    k.metafl(fmt); k.setpag('DA4L'); k.filmod('DELE'); k.setfil(name)
    k.kalini(); k.errmod('PROTOCOL', 'OFF'); k.nochek()
    if how == 'shielded':
        k.shlrec(5000, 5000, 20, 20)   # off the page: lines go through the shield cutter
    k.graf(0, 100, 0, 10, -1.5, 1.5, -1.5, 0.5)
    n = 5000
    x = [100 * i / (n - 1) for i in range(n)]
    # Noise, stretches beyond the axis limits (clipped) and repeated points.
    y = [math.sin(v * 0.3) * 1.8 + 0.1 * math.sin(v * 977.0) for v in x]
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
    run(PAGE + f"page('{fmt}', 'line.out', 'curve', {style}); page('{fmt}', 'conn.out', 'points', {style})")
    assert same_picture(run, fmt, "line.out", "conn.out")


@pytest.mark.parametrize("fmt", ["PS", "PNG", "HPGL"])
def test_runs_write_what_the_shield_cutter_writes(run, fmt):
    run(PAGE + f"page('{fmt}', 'runs.out', 'curve', 0); page('{fmt}', 'solo.out', 'shielded', 0)")
    assert same_picture(run, fmt, "runs.out", "solo.out")
