"""The C interface: null arrays are refused (the C programs run as ctest tests)."""
import os
import pathlib
import re

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
def test_python_and_c_share_one_library(tmp_path):
    # The module links libkalvor.so.9, so ctypes gets the same library and
    # the same record: Python's kalini is C's level 1, C's metafl is Python's
    # output; a fatal condition in Python stays an exception.
    code = """
import ctypes, os
import kalvor as k
lib = ctypes.CDLL("libkalvor.so.9")
lib.metafl(b"SVG")
k.errmod("PROT", "OFF")
k.kalini()
print("levels", lib.getlev(), k.getlev())
k.kalfin()
print("file", sorted(os.listdir(".")))
k.filmod("BREA")
k.kalini()
"""
    r = run_python(tmp_path, code, check=False)
    out = r.stdout.decode()
    assert "levels 1 1" in out and "file ['kalvor.svg']" in out
    assert "RuntimeError" in r.stderr.decode() and r.returncode == 1


def test_module_refuses_another_build_of_the_library(tmp_path):
    # Another libkalvor.so.9 loaded first takes the soname: the module's
    # import must fail naming both files instead of calling into it.
    real = pathlib.Path(c_program("libkalvor.so.9")).resolve()
    data = real.read_bytes()
    digest = re.search(rb'#define KALVOR_ABI_DIGEST "([0-9a-f]{16})"',
                       pathlib.Path(c_program("generated", "api", "abi_digest.h")).read_bytes()).group(1)
    assert data.count(digest) == 1
    other = tmp_path / "libkalvor.so.9"
    other.write_bytes(data.replace(digest, b"0" * 16))
    code = f"""
import ctypes
ctypes.CDLL({str(other)!r}, mode=ctypes.RTLD_GLOBAL)
import kalvor
"""
    err = run_python(tmp_path, code, check=False).stderr.decode()
    assert "ImportError" in err and str(other) in err and "_kalvor" in err and "0" * 16 in err
