"""Colour routines through the Python module: the table set up by kalini, the
current colour, the warnings of the colour routines and the sequence
conversions."""
import numpy as np
import pytest

import kalvor as k


def test_tables_kalini_loads(run):
    """A table given before kalini survives one initialisation; PostScript
    then starts with the reversed grey table."""
    out = run("""
        k.myvlt([1.0, 0.5], [0.0, 0.5], [0.0, 0.25], 2)
        k.kalini()
        print(repr((k.getind(0), k.getind(1), k.getvlt(), k.getclr())))
        k.errmod('PROT', 'OFF')
        k.kalfin()
        k.metafl('POST')
        k.kalini()
        print(k.getvlt(), k.getclr(), k.getind(0), k.getind(255))
        k.errmod('PROT', 'OFF')
        k.kalfin()
    """)
    first, second = out.splitlines()
    (e0, e1, name, colour) = eval(first)
    assert e0 == (1.0, 0.0, 0.0)
    assert [round(c * 255) for c in e1] == [128, 128, 64]
    assert (name, colour) == ("RAIN", 255)
    assert second == "RGREY 255 (1.0, 1.0, 1.0) (0.0, 0.0, 0.0)"


def test_current_colour(run):
    out = run("""
        k.kalini()
        k.setrgb(1, 0.5, 0)
        print(hex(k.getclr()), k.intrgb(1, 0.5, 0) == k.getclr())
        print(k.getrgb(), k.getrgb('ignored', 1))
        k.color('FORE'); print(k.getclr())
        k.setclr(256); print(k.getrgb())
        k.setclr(0x010000FF); print(k.getrgb())
        k.color('blue'); print(hex(k.getclr()))
        print(k.indrgb(1, 1, 1), k.indrgb(0, 0, 0), k.intrgb(2, 0, 0))
        k.colran(10, 20); print(k.getran())
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
        "255 0 -1\n"
        "(10, 20)\n"
    )


def test_model_routines_need_no_level(run):
    out = run("""
        print(k.intrgb(0, 0, 1) == 0x01ff0000, k.hsvrgb(240, 1, 1), k.rgbhsv(0, 1, 0))
        k.getvlt()
    """)
    assert out == (
        "True (0.0, 0.0, 1.0) (120.0, 1.0, 1.0)\n"
        " <<<< Warning   3: Incorrect level in getvlt!   (   0)\n"
    )


# ---- sequence arguments --------------------------------------------------------

@pytest.mark.parametrize("call, error, message", [
    (lambda: k.colray([0.5, 0.5], [1, 2.0], 2), ValueError, "no integer element in sequence"),
    (lambda: k.colray([0.5], np.zeros(1), 1), ValueError, "no integer element in sequence"),
    (lambda: k.colray([0.5, 0.5], [0], 2), MemoryError, "out of range"),
    (lambda: k.myvlt([0.1], [0.2], [0.3], 2), MemoryError, "out of range"),
])
def test_sequence_conversion_errors(call, error, message):
    with pytest.raises(error, match=f"^{message}$"):
        call()


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
