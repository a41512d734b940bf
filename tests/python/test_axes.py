"""Axis systems: checks, scaling, conversions and the drawn axes, judged on
PNG output with Pillow and on PDF output rendered by poppler's pdftoppm."""
import math
import shutil
import subprocess

import pytest
from PIL import Image

SCALE = 852 / 2969   # PNG pixels per plot unit of the default page


def lit(im, x, y):
    return im.getpixel((x, y)) > 128


def columns(im, y):
    """Centres of the runs of lit pixels in row y."""
    xs = [x for x in range(im.size[0]) if lit(im, x, y)]
    runs = []
    for x in xs:
        if runs and x == runs[-1][-1] + 1:
            runs[-1].append(x)
        else:
            runs.append([x])
    return [sum(r) / len(r) for r in runs]


def test_axis_check_warnings(run):
    out = run("""
        k.kalini()
        k.graf(0, 0, 0, 1, 0, 1, 0, 1); print(k.getlev())
        k.graf(0, 1, 0, 0, 0, 1, 0, 1); print(k.getlev())
        k.graf(0, 1, 2, 1, 0, 1, 0, 1); print(k.getlev()); k.endgrf()
        k.graf(1, 0, 1, 1, 0, 1, 0, 1); print(k.getlev()); k.endgrf()
        k.setscl([2.0, 2.0], 2, 'X')
        k.scale('LOG', 'Y'); k.setscl([-1.0, 0.0], 2, 'Y')
        k.graf(0, 1, 0, 1, 0, 1, 0, 1); k.endgrf()
        k.errmod('PROT', 'OFF'); k.kalfin()
    """)
    assert out.splitlines() == [
        " <<<< Warning  10: Begin and end of scaling are equal in graf!", "1",
        " <<<< Warning   9: Step equal zero in graf!", "1",
        " <<<< Warning  12: Startlabel out of scaling in graf!", "2",
        " <<<< Warning  50: Incorrect sign for step in graf!", "2",
        " <<<< Warning  25: Minimum equal maximum (added -1 and +1) in setscl!",
        " <<<< Warning  23: Non positive minimum for log scaling (set to 0.1) in graf!",
        " <<<< Warning  24: Non positive maximum for log scaling (set to 1.0) in graf!",
    ]


def test_conversions_ascending_descending_and_log(run):
    out = run("""
        k.kalini(); k.axspos(500, 1800); k.axslen(1001, 801)
        k.graf(10, 0, 10, -2, 0, 100, 0, 20)
        print(k.nxposn(10), k.nxposn(0), k.nyposn(0), k.nyposn(100), k.xinvrs(750), k.yinvrs(1400))
        k.endgrf(); k.scale('LOG', 'X')
        k.graf(0, 2, 0, 1, 0, 100, 0, 20)
        print(k.nxposn(10), round(k.xinvrs(1000), 3), k.xposn(5) - 500)
        k.endgrf(); k.errmod('PROT', 'OFF'); k.kalfin()
    """).split()
    assert out[:6] == ["500", "1500", "1800", "1000", "7.5", "50.0"]
    assert out[6:8] == ["1000", "10.0"]
    assert float(out[8]) == pytest.approx(500 * 0.69897, abs=1e-3)


def test_crossed_axes_and_their_errors(run):
    out = run("""
        k.metafl('PNG'); k.setfil('c.png'); k.kalini()
        k.axstyp('CROS'); k.scale('LOG', 'X')
        k.graf(0, 2, 0, 1, -5, 5, -5, 5); print(k.getlev())
        k.scale('LIN', 'X')
        k.graf(1, 5, 1, 1, -5, 5, -5, 5); print(k.getlev())
        k.graf(-10, 10, -10, 5, -5, 5, -5, 5)
        print(k.nxposn(0), k.nyposn(0))
        k.endgrf(); k.errmod('PROT', 'OFF'); k.kalfin()
    """).splitlines()
    assert out[:4] == [
        " <<<< Warning 101: Crossed axis systems must have linear scaling in graf!", "1",
        " <<<< Warning 101: No origin found for crossed axis system in graf!", "1"]
    ox, oy = (int(v) for v in out[4].split())
    im = Image.open(run.path / "c.png").convert("L")
    px, py = round(ox * SCALE), round(oy * SCALE)
    # The axes cross in the middle; no frame and no lower axis line (the Y
    # labels near the lower end light a few pixels of that row, a line all).
    assert all(lit(im, px + dx, py) or lit(im, px + dx, py + 1) or lit(im, px + dx, py - 1)
               for dx in (-100, -50, 50, 100))
    assert all(lit(im, px, py + dy) or lit(im, px + 1, py + dy) or lit(im, px - 1, py + dy)
               for dy in (-80, 80))
    bottom = round(1799 * SCALE)
    assert sum(lit(im, x, bottom) for x in range(px - 300, px - 10)) < 100


def draw_script(ext, device):
    return f"""
        k.metafl('{device}'); k.setfil('lin.{ext}'); k.kalini(); k.labels('NONE', 'XY')
        k.graf(0, 10, 0, 2, 0, 10, 0, 2)
        print(*[k.nxposn(v) for v in range(11)]); print(k.nyposn(0))
        k.errmod('PROT', 'OFF'); k.kalfin()
        k.metafl('{device}'); k.setfil('log.{ext}'); k.kalini(); k.labels('NONE', 'XY')
        k.scale('LOG', 'XY'); k.axspos(500, 1900); k.axslen(1800, 1500)
        k.graf(0, 2, 0, 1, 0, 2, 0, 1)
        print(*[k.nxposn(v) for v in (1, 2, 3, 10, 20, 50, 100)]); print(k.nyposn(1))
        k.kalfin()
    """


def lower_axis(im):
    """Row of the lower axis line, and the columns of the left and right
    axis lines, found in the picture."""
    w, h = im.size
    row = max(range(h // 2, h), key=lambda y: sum(lit(im, x, y) for x in range(w)))
    col = lambda xs: max(xs, key=lambda x: sum(lit(im, x, y) for y in range(h)))
    return row, col(range(w // 2)), col(range(w // 2, w))


def check_ticks(im, ends, positions):
    """Ticks below the lower axis at the plot positions given, on a picture
    whose scale follows from the axis ends (plot units) and their columns."""
    row, left, right = lower_axis(im)
    scale = (right - left) / (ends[1] - ends[0])
    expected = [left + (p - ends[0]) * scale for p in positions]
    found = columns(im, row + 3)
    assert len(found) == len(expected)
    assert all(abs(f - e) <= 1.0 for f, e in zip(found, expected)), (found, expected)
    return columns(im, row + 6)   # only major ticks reach this far


def check_pictures(lin, log, lines):
    linear = [int(v) for v in lines[0].split()]
    # Major and minor ticks every unit, all pointing out of the rectangle.
    long_ticks = check_ticks(lin, (linear[0], linear[-1]), linear)
    assert len(long_ticks) == 6
    # Log axis: decades 1, 10, 100 and the minor ticks 2 to 9 of each decade
    # (the first and last fall on the Y axis lines); only decades are long.
    decades = [int(v) for v in lines[2].split()]
    minors = [500 + round(1799 * (k + math.log10(j)) / 2) for k in (0, 1) for j in range(2, 10)]
    positions = sorted(set([decades[0], decades[3], decades[6]] + minors))
    assert all(p in positions for p in decades)
    assert len(check_ticks(log, (decades[0], decades[-1]), positions)) == 3


def test_ticks_in_png(run):
    lines = run(draw_script("png", "PNG")).splitlines()
    check_pictures(*(Image.open(run.path / f).convert("L") for f in ("lin.png", "log.png")), lines)


@pytest.mark.skipif(shutil.which("pdftoppm") is None, reason="poppler not installed")
def test_ticks_in_pdf(run):
    lines = run(draw_script("pdf", "PDF")).splitlines()
    pages = []
    for name in ("lin", "log"):
        # 853 pixels across the 297 mm page, as the PNG above.
        subprocess.run(["pdftoppm", "-png", "-r", str(853 / (297 / 25.4)), "-singlefile",
                        f"{name}.pdf", name], cwd=run.path, check=True)
        im = Image.open(run.path / f"{name}.png").convert("L")
        pages.append(Image.eval(im, lambda v: 255 - v))   # black lines on white paper
    check_pictures(*pages, lines)


def test_polar_grid(run):
    out = run("""
        k.metafl('PNG'); k.setfil('p.png'); k.kalini()
        k.polar(1.0, 0, 0.2, 0, 30)
        k.grid(5, 2)
        print(k.nxposn(0), k.nxposn(1), k.getlev())
        k.errmod('PROT', 'OFF'); k.kalfin()
    """).split()
    cx, right, level = (int(v) for v in out)
    assert level == 2
    im = Image.open(run.path / "p.png").convert("L")
    c, r = cx * SCALE, (right - cx) * SCALE
    cy = next(y for y in range(im.size[1]) if sum(lit(im, x, y) for x in range(im.size[0])) > 2 * r)

    def near(x, y):
        return any(lit(im, round(x) + dx, round(y) + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1))

    # Five circles, crossed between two rays (at 7.5 degrees) ...
    t = math.radians(7.5)
    for k in range(1, 6):
        assert near(c + r * k / 5 * math.cos(t), cy - r * k / 5 * math.sin(t)), k
    assert not near(c + r * 0.5 * math.cos(t), cy - r * 0.5 * math.sin(t))
    # ... and 24 rays, every 15 degrees, counter-clockwise from the right.
    for deg in (15, 45, 105, 195):
        a = math.radians(deg)
        assert near(c + r * 0.3 * math.cos(a), cy - r * 0.3 * math.sin(a)), deg
    assert not near(c + r * 0.3 * math.cos(math.radians(22)), cy - r * 0.3 * math.sin(math.radians(22)))
