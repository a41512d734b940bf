"""The C interface: null arrays are refused (the C programs run as ctest tests)."""
import os
import pathlib

from conftest import run_python

BUILD = os.environ["KALVOR_BUILD_DIR"]   # set by conftest


def c_program(*parts):
    return str(pathlib.Path(BUILD, *parts))


def test_null_arrays_give_warning_2_and_change_nothing(tmp_path):
    code = f"""
import ctypes
lib = ctypes.CDLL({c_program('libkalvor.so')!r})
lib.metafl(None)                      # a NULL string counts as ""
lib.kalini()
lib.errmod(b"PROT", b"OFF")
lib.areaf(None, None, 3)
lib.myvlt(None, None, None, 2)
lib.getpag(None, None)
lib.sortr1(None, 3, b"A")
lib.trfmat(None, 2, 2, None, 2, 2)
lib.wpixls(None, 0, 0, 2, 2)
lib.kalfin()
"""
    out = run_python(tmp_path, code).stdout.decode()
    assert out.splitlines() == [
        " <<<< Warning   2: Incorrect parameter in metafl!   ()",
        " <<<< Warning   2: Incorrect parameter in areaf!   (nx = NULL)",
        " <<<< Warning   2: Incorrect parameter in myvlt!   (red = NULL)",
        " <<<< Warning   2: Incorrect parameter in getpag!   (nx = NULL)",
        " <<<< Warning   2: Incorrect parameter in sortr1!   (x = NULL)",
        " <<<< Warning   2: Incorrect parameter in trfmat!   (zmat = NULL)",
        " <<<< Warning   2: Incorrect parameter in wpixls!   (pixels = NULL)",
    ]


def test_item_lists_and_widget_callbacks_from_c(tmp_path):
    code = f"""
import ctypes
lib = ctypes.CDLL({c_program('libkalvor.so')!r})
buf = ctypes.create_string_buffer(b"a|b", 3 + 3 + 2)   # both lengths plus 2
lib.itmcat(buf, b"cde")
lib.itmcat(None, b"x")
lib.itmstr.restype = ctypes.c_char_p
print(buf.value.decode(), lib.itmcnt(buf), lib.itmstr(buf, 3).decode())
CB = ctypes.CFUNCTYPE(None, ctypes.c_int)
fired = []
cb = CB(lambda i: fired.append(i))
ip = lib.wgini(b"VERT"); b = lib.wgbut(ip, b"x", 1); lab = lib.wglab(ip, b"l")
lib.swgcbk(b, cb); lib.swgcbk(lab, cb)
lib.wgfin()                            # no display: returns at once, no callbacks
print(lib.gwgbut(b), fired)
"""
    out = run_python(tmp_path, code, env={"DISPLAY": "", "WAYLAND_DISPLAY": ""}).stdout.decode()
    assert out.splitlines() == [
        " <<<< Warning   2: Incorrect parameter in itmcat!   (list = NULL)",
        "a|b|cde 3 cde",
        ">>>> Callbacks cannot be defined for label widgets!   (swgcbk)",
        "1 []",
    ]
