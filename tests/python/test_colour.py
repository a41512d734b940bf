"""Colour routines through the Python module: tables, single entries, colour
models, fill patterns, saved tables and the sequence conversions."""
import math
import pathlib
from fractions import Fraction

import numpy as np
import pytest

import kalvor as k


# ---- the table formulas, computed with exact fractions -----------------------

def _round(x):
    return math.floor(x + Fraction(1, 2))


RAIN_WAYPOINTS = [
    (1, 34, 0, 68), (5, 51, 0, 102), (13, 51, 0, 170), (18, 34, 0, 204), (22, 34, 0, 238),
    (26, 17, 0, 255), (30, 0, 0, 255), (96, 0, 255, 255), (117, 0, 255, 170), (138, 0, 255, 0),
    (146, 68, 255, 0), (192, 255, 255, 0), (254, 255, 0, 0),
]


def rain():
    t = [(0, 0, 0)] * 256
    t[255] = (255, 255, 255)
    for (a, *ca), (b, *cb) in zip(RAIN_WAYPOINTS, RAIN_WAYPOINTS[1:]):
        for i in range(a, b + 1):
            f = Fraction(i - a, b - a)
            t[i] = tuple(_round(p + (q - p) * f) for p, q in zip(ca, cb))
    return t


def spec():
    anchors = [(255, 0, 255), (0, 0, 255), (0, 255, 255), (0, 255, 0), (255, 255, 0), (255, 0, 0)]
    t = [(0, 0, 0)] * 256
    t[255] = (255, 255, 255)
    for i in range(1, 255):
        h = Fraction((i - 1) * 5, 253)
        kk = min(math.floor(h), 4)
        f = h - kk
        t[i] = tuple(_round(p + (q - p) * f) for p, q in zip(anchors[kk], anchors[kk + 1]))
    t[52], t[102], t[153], t[204] = (0, 0, 255), (0, 255, 255), (0, 255, 0), (255, 255, 0)
    return t


def grey():
    return [(i, i, i) for i in range(256)]


def temp():
    def one(i):
        r = _round(Fraction(17, 10) * i) if i < 150 else 255
        g = 0 if i < 120 else _round(Fraction((i - 120) * 255, 135))
        b = 0 if i < 190 else _round(Fraction((i - 190) * 255, 65))
        return (r, g, b)
    return [one(i) for i in range(256)]


SMALL = [(0, 0, 0), (255, 255, 255), (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0),
         (255, 128, 0), (0, 255, 255), (255, 0, 255)]
VGA = [(0, 0, 0), (0, 0, 170), (0, 170, 0), (0, 170, 170), (170, 0, 0), (170, 0, 170),
       (170, 85, 0), (170, 170, 170), (85, 85, 85), (85, 85, 255), (85, 255, 85), (85, 255, 255),
       (255, 85, 85), (255, 85, 255), (255, 255, 85), (255, 255, 255)]


def read_table(path):
    """The 256 entries of a saved table, read with Python's own parser."""
    text = pathlib.Path(path).read_text()
    lines = text.split("\n")
    assert lines[-1] == "" and len(lines) == 257
    entries = []
    for line in lines[:-1]:
        assert len(line) == 30, repr(line)
        fields = [float(line[j:j + 10]) for j in (0, 10, 20)]
        entries.append(tuple(round(x * 255) for x in fields))
    return entries


def test_saved_tables_follow_their_formulas(run):
    run("""
        k.kalini()
        for name in ['RAIN', 'SMAL', 'SPEC', 'VGA', 'GREY', 'RRAI', 'RSPE', 'RGRE', 'TEMP']:
            k.setvlt(name)
            k.vltfil(name.strip() + '.vlt', 'SAVE')
        k.kalfin()
    """)
    d = run.path
    expected_rain = rain()
    assert read_table(d / "RAIN.vlt") == expected_rain
    # SMAL and VGA replace their first entries and keep what was loaded before.
    assert read_table(d / "SMAL.vlt") == SMALL + expected_rain[9:]
    assert read_table(d / "SPEC.vlt") == spec()
    assert read_table(d / "VGA.vlt") == VGA + spec()[16:]
    assert read_table(d / "GREY.vlt") == grey()
    assert read_table(d / "RRAI.vlt") == expected_rain[::-1]
    assert read_table(d / "RSPE.vlt") == spec()[::-1]
    assert read_table(d / "RGRE.vlt") == grey()[::-1]
    assert read_table(d / "TEMP.vlt") == temp()


def test_vltfil_names_and_round_trip(run):
    out = run("""
        k.kalini()
        k.setvlt('TEMP')
        k.vltfil('t.vlt', 'SAVE')
        k.vltfil('t.vlt', 'SAVE')
        k.setvlt('GREY')
        k.vltfil('t.vlt', 'LOAD')
        print(tuple(round(c * 255) for c in k.getind(149)))
        k.vltfil('missing.vlt', 'LOAD')
        k.vltfil('t.vlt', 'READ')
        k.errmod('PROT', 'OFF')
        k.kalfin()
    """)
    assert out == (
        "(253, 55, 0)\n"
        " <<<< Warning  36: File error in vltfil!\n"
        " <<<< Warning   2: Incorrect parameter in vltfil!   (READ)\n"
    )
    assert (run.path / "t.vlt").read_text() == (run.path / "t_1.vlt").read_text()


def test_user_table_before_kalini_survives_one_initialisation(run):
    out = run("""
        k.myvlt([1.0, 0.5], [0.0, 0.5], [0.0, 0.25], 2)
        k.kalini()
        print(repr((k.getind(0), k.getind(1), k.getvlt(), k.getclr())))
        k.errmod('PROT', 'OFF')
        k.kalfin()
        k.kalini()
        print(k.getind(0))
        k.errmod('PROT', 'OFF')
        k.kalfin()
    """)
    first, second = out.splitlines()
    (e0, e1, name, colour) = eval(first)
    assert e0 == (1.0, 0.0, 0.0)
    assert [round(c * 255) for c in e1] == [128, 128, 64]
    assert (name, colour) == ("RAIN", 255)
    assert second == "(0.0, 0.0, 0.0)"


def test_postscript_starts_with_reversed_grey(run):
    out = run("""
        k.metafl('POST')
        k.kalini()
        print(k.getvlt(), k.getclr(), k.getind(0), k.getind(255))
        k.errmod('PROT', 'OFF')
        k.kalfin()
    """)
    assert out == "RGREY 255 (1.0, 1.0, 1.0) (0.0, 0.0, 0.0)\n"


def test_current_colour_and_models(run):
    out = run("""
        k.kalini()
        k.setrgb(1, 0.5, 0)
        print(hex(k.getclr()), k.intrgb(1, 0.5, 0) == k.getclr())
        print(k.getrgb(), k.getrgb('ignored', 1))
        k.color('FORE'); print(k.getclr())
        k.setclr(256); print(k.getrgb())
        k.setclr(0x010000FF); print(k.getrgb())
        k.color('blue'); print(hex(k.getclr()))
        print(k.rgbhsv(1, 0, 0), k.rgbhsv(0, 0, 1))
        print(k.hsvrgb(120, 1, 1))
        print(k.indrgb(1, 1, 1), k.indrgb(0, 0, 0), k.intrgb(2, 0, 0))
        k.colran(10, 20); print(k.getran())
        k.shdpat(5); print(k.getpat())
        k.mypat(45, 2, 3, 1); print(k.getpat())
        k.errmod('PROT', 'OFF')
        k.kalfin()
    """)
    assert out == (
        "0x10080ff True\n"
        "(1.0, 0.501960813999176, 0.0) (1.0, 0.501960813999176, 0.0)\n"
        "255\n"
        "(0.0, 0.0, 0.0)\n"
        "(1.0, 0.0, 0.0)\n"
        "0x1ff0000\n"
        "(0.0, 1.0, 1.0) (240.0, 1.0, 1.0)\n"
        "(0.0, 1.0, 0.0)\n"
        "255 0 -1\n"
        "(10, 20)\n"
        "5\n"
        "45231\n"
    )


def test_bad_arguments_warn_and_change_nothing(run):
    out = run("""
        k.clrmod('FULL')
        k.kalini()
        k.clrmod('CONT')
        k.setind(300, 0, 0, 0)
        k.setind(3, 0, 1.5, 0)
        k.setvlt('HOT')
        k.color('PINK')
        k.clrcyc(0, 3)
        k.shdpat(-2)
        k.mypat(180, 0, 0, 0)
        k.hsvrgb(400, 1, 1)
        print(k.indrgb(1.2, 0, 0), k.getvlt(), tuple(round(c * 255) for c in k.getind(3)))
        k.colray([1.0], [0], 1)
        k.errmod('PROT', 'OFF')
        k.kalfin()
    """)
    assert out == (
        " <<<< Warning   3: Incorrect level in clrmod!   (   1)\n"
        " <<<< Warning   2: Incorrect parameter in setind!   ( 300)\n"
        " <<<< Warning   2: Incorrect parameter in setind!   (   1)\n"
        " <<<< Warning   2: Incorrect parameter in setvlt!   (HOT)\n"
        " <<<< Warning   2: Incorrect parameter in color!   (PINK)\n"
        " <<<< Warning   2: Incorrect parameter in clrcyc!   (   0)\n"
        " <<<< Warning   2: Incorrect parameter in shdpat!   (  -2)\n"
        " <<<< Warning   2: Incorrect parameter in mypat!   ( 180)\n"
        " <<<< Warning   2: Incorrect parameter in hsvrgb!   ( 400)\n"
        " <<<< Warning   2: Incorrect parameter in indrgb!   (   1)\n"
        "-1 RAIN (43, 0, 85)\n"  # halfway between waypoints 1 and 5
        " <<<< Warning   3: Incorrect level in colray!   (   1)\n"
    )


def test_levels_of_the_model_routines(run):
    out = run("""
        print(k.intrgb(0, 0, 1) == 0x01ff0000, k.hsvrgb(240, 1, 1), k.rgbhsv(0, 1, 0))
        k.getvlt()
    """)
    assert out == (
        "True (0.0, 0.0, 1.0) (120.0, 1.0, 1.0)\n"
        " <<<< Warning   3: Incorrect level in getvlt!   (   0)\n"
    )


# ---- sequence arguments --------------------------------------------------------

def test_colray_output_list_must_hold_integers():
    with pytest.raises(ValueError, match="^no integer element in sequence$"):
        k.colray([0.5, 0.5], [1, 2.0], 2)
    with pytest.raises(ValueError, match="^no integer element in sequence$"):
        k.colray([0.5], np.zeros(1), 1)
    with pytest.raises(ValueError, match="^no floatingpoint element in sequence$"):
        k.colray(["a"], [0], 1)
    with pytest.raises(MemoryError, match="^out of range$"):
        k.colray([0.5, 0.5], [0], 2)
    with pytest.raises(ValueError, match="^parameter is not a sequence$"):
        k.colray([0.5], 7, 1)
    assert k.colray(None, None, 0) is None


def test_colray_writes_integers_back(run):
    out = run("""
        import numpy as np
        k.kalini()
        k.unit(0)
        out = [True, np.int32(7)]
        k.colray([0.0, 1.0], out, 2)
        print(out, [type(v).__name__ for v in out])
        k.errmod('PROT', 'OFF')
        k.kalfin()
    """)
    assert out == "[1, 7] ['int', 'int']\n"


def test_myvlt_conversions():
    with pytest.raises(ValueError, match="^no floatingpoint element in sequence$"):
        k.myvlt([0.1], [0.2], ["x"], 1)
    with pytest.raises(MemoryError, match="^out of range$"):
        k.myvlt([0.1], [0.2], [0.3], 2)
    assert k.myvlt(1, 2, 3, 0) is None


def test_myvlt_accepts_numpy_and_tuples(run):
    out = run("""
        import numpy as np
        k.myvlt(np.array([0.0, 1.0]), (0, 1), [0.0, 1.0], 2)
        k.myvlt([0.5], [0.5], [1.5], 1)
        k.kalini()
        print(k.getind(1))
        k.errmod('PROT', 'OFF')
        k.kalfin()
    """)
    assert out == (
        " <<<< Warning   2: Incorrect parameter in myvlt!   (   1)\n"
        "(1.0, 1.0, 1.0)\n"
    )
