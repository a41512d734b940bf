"""Axis systems: checks, scaling, conversions, crossed axes and the polar
grid; whole drawn systems are judged in test_axis_plots.py."""
import math

import pytest
from PIL import Image

SCALE = 852 / 2969   # PNG pixels per plot unit of the default page


def lit(im, x, y):
    return im.getpixel((x, y)) > 128


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


def test_polar_grid_of_more_than_1000_rings_covers_the_disc(run):
    # More rings than 1000 are 1000 over the whole radius, not its first part.
    run("""
        k.metafl('SVG')
        for n in (1000, 5000):
            k.setfil(f'g{n}.svg'); k.kalini(); k.polar(1.0, 0, 0.2, 0, 30); k.grid(n, 0)
            k.errmod('PROT', 'OFF'); k.kalfin()
    """)
    body = [(run.path / f"g{n}.svg").read_text().split("-->", 1)[1] for n in (1000, 5000)]
    assert body[0] == body[1]


def test_settings_of_the_axis_system_only_before_graf(run):
    # Level 1 only: scaling data, lengths, corner, origin and side levels;
    # the others also inside the system (levels 1 to 3).
    out = run("""
        k.metafl('VIRT'); k.kalini(); k.graf(0, 1, 0, 1, 0, 1, 0, 1)
        k.setscl([1.0, 2.0], 2, 'X'); k.axslen(500, 500); k.axspos(100, 1000); k.axsorg(500, 500)
        k.setgrf('NONE', 'NONE', 'NONE', 'NONE'); k.polar(1, 0, 1, 0, 30)
        k.scale('LOG', 'X'); k.axstyp('RECT'); k.ticks(3, 'X'); k.ticlen(10, 5); k.ticpos('REVE', 'X')
        k.ticmod('DAYS', 'X'); k.logtic('FULL'); k.noline('X'); k.frame(2); k.frmclr(-1); k.axsbgd(-1)
        k.labels('EXP', 'X'); k.labdig(2, 'X'); k.name('x', 'X'); k.titlin('t', 1); k.nograf(); k.ax2grf()
        print(k.nxposn(1)); k.endgrf(); k.errmod('PROT', 'OFF'); k.kalfin()
    """)
    refused = [l.split(" in ")[1].split("!")[0] for l in out.splitlines() if "Incorrect level" in l]
    assert refused == ["setscl", "axslen", "axspos", "axsorg", "setgrf", "polar"]
