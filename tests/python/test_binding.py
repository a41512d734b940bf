"""Argument conversion of the Python module: scalars, strings, sequences."""
import array
import os

import numpy as np
import pytest

import kalvor as k


# ---- scalar arguments --------------------------------------------------------

@pytest.mark.parametrize("call, exc, message", [
    (lambda: k.metafl("PS", "PDF"), TypeError, r"metafl\(\) takes exactly 1 argument \(2 given\)"),
    (lambda: k.kalini(1), TypeError, r"kalini\(\) takes exactly 0 arguments"),
    (lambda: k.metafl(device="PS"), TypeError, None),   # no keyword arguments
    (lambda: k.page(1.5, 2), TypeError, None),          # float for i
    (lambda: k.page(2**31, 2), OverflowError, None),
    (lambda: k.sclfac("2"), TypeError, None),           # str for f
    (lambda: k.metafl(1), TypeError, None),             # int for s
    (lambda: k.metafl("P\0S"), ValueError, None),
    (lambda: k.sortr1([1.0], "1", "A"), TypeError, None)])
def test_scalar_conversion_errors(call, exc, message):
    with pytest.raises(exc, match=message):
        call()


def test_scalar_conversions_accepted_and_text_outside_latin1_raising(run):
    out = run("""
        import numpy as np
        k.page(True, np.int64(2000))       # bool and numpy integers count as int
        k.sclfac(np.float32(0.5)); k.sclfac(2)   # numpy floats and ints count as float
        k.setfil(b'bytes.met')             # bytes are passed as they are
        k.kalini(); print(k.getpag(), k.getfil()); k.errmod('PROT','OFF'); k.kalfin()
        for call in (lambda: k.metafl('\\u20acPS'), lambda: k.leglin('', '20 \\u20ac', 1)):
            try:
                call()
            except UnicodeEncodeError as e:
                print(e.start, e.end, e.reason)
        k.metafl(b'\\xe4PS')                    # bytes pass as they are
        k.metafl('\\xe4PS')                     # Latin-1 text too
        k.setfil('\\u20ac.met'); k.kalini(); print(k.getfil() == '\\u20ac.met'); k.errmod('PROT', 'OFF'); k.kalfin()
    """)
    assert out.splitlines() == [
        "(1, 2000) bytes.met", "0 1 metafl() takes Latin-1 text or bytes", "3 4 leglin() takes Latin-1 text or bytes",
        " <<<< Warning   2: Incorrect parameter in metafl!   (\xe4PS)",
        " <<<< Warning   2: Incorrect parameter in metafl!   (\xe4PS)", "True"]


# ---- sequences ------------------------------------------------------------------

def test_write_back_into_lists_but_not_tuples_and_counts_below_one():
    x = [3, 1.5, 2, 9.0]
    k.sortr1(x, 3, "D")          # only the first n items are used
    assert x == [3.0, 2.0, 1.5, 9.0]
    assert all(type(v) is float for v in x[:3])
    x, y = [3.0, np.float32(1.0), np.int32(2)], [30.0, 10.0, 20.0]   # numpy scalars are numbers
    k.sortr2(x, y, 3, "a")
    assert (x, y) == ([1.0, 2.0, 3.0], [10.0, 20.0, 30.0])
    t = (3, 1, 2)
    k.sortr1(t, 3, "A")
    assert t == (3, 1, 2)
    # A count below one returns at once without looking at the sequences.
    assert k.sortr1("not a sequence at all", 0, "A") is None
    assert k.sortr2(None, 5, -3, "A") is None
    assert k.trfmat(None, 0, 3, None, 2, 2) is None
    # The last failing conversion is raised, and nothing is written back.
    x = [2.0, 1.0]
    with pytest.raises(MemoryError, match="out of range"):
        k.sortr2(x, [1.0], 2, "A")
    assert x == [2.0, 1.0]
    with pytest.raises(ValueError, match="no floatingpoint"):
        k.sortr2(7, ["a", "b"], 2, "A")


@pytest.mark.parametrize("call, exc, message", [
    (lambda: k.sortr1(5, 2, "A"), ValueError, "parameter is not a sequence"),
    (lambda: k.sortr1([1.0], 2, "A"), MemoryError, "out of range"),
    (lambda: k.sortr1([1.0, None], 2, "A"), ValueError, "no floatingpoint element in sequence"),
    (lambda: k.sortr1("ab", 2, "A"), ValueError, "no floatingpoint element in sequence"),
    (lambda: k.sortr1(np.zeros(3), 4, "A"), MemoryError, "out of range"),
    (lambda: k.trfmat([[1.0, 2.0, 3.0], [4.0, 5.0]], 2, 3, [0.0] * 6, 2, 3), ValueError,
     "matrix rows have different lengths"),
    (lambda: k.trfmat([[1.0, 2.0, 3.0]], 2, 3, [0.0] * 6, 2, 3), MemoryError, "out of range"),
    (lambda: k.trfmat([[1.0, 2.0, "x"], [4.0, 5.0, 6.0]], 2, 3, [0.0] * 6, 2, 3), ValueError,
     "no floatingpoint element in sequence")])
def test_vector_and_matrix_errors(call, exc, message):
    with pytest.raises(exc, match=f"^{message}$"):
        call()


def test_numpy_fast_path_matches_lists():
    rng = np.random.default_rng(7)
    data = rng.normal(size=1000)
    for arr in (data.copy(), data.astype(np.float32), data[::-1].copy()[::-1]):
        out = arr.copy()
        k.sortr1(out, 1000, "A")
        assert np.allclose(out, np.sort(arr.astype(np.float32)))
    m = rng.normal(size=(4, 5))
    res_np, res_list = [0.0] * 49, [0.0] * 49
    k.trfmat(m, 4, 5, res_np, 7, 7)
    k.trfmat(m.tolist(), 4, 5, res_list, 7, 7)
    assert res_np == res_list
    k.trfmat(np.asfortranarray(m), 4, 5, res_np, 7, 7)      # strided input
    assert res_np == res_list
    arr = array.array("d", [2.0, 1.0])   # a buffer from outside numpy
    k.sortr1(arr, 2, "A")
    assert list(arr) == [1.0, 2.0]


def test_sequences_that_fail_to_give_length_or_items():
    class Endless:
        def __getitem__(self, i): return 1.0
        def __len__(self): raise TypeError("no")

    class Broken(list):
        def __getitem__(self, i): raise IndexError("gone")

    # Inside integer vectors and matrix rows the failure is a memory error.
    for exc, message, call in (
            (ValueError, "sequence has no length", lambda: k.sortr1(Endless(), 2, "A")),
            (ValueError, "sequence error", lambda: k.sortr1(Broken([1.0, 2.0]), 2, "A")),
            (MemoryError, "sequence error", lambda: k.areaf(Broken([1, 2]), [1, 2], 2)),
            (MemoryError, "sequence error", lambda: k.trfmat([Broken([1.0, 2.0]), Broken([3.0, 4.0])], 2, 2, [0.0] * 4, 2, 2)),
            (ValueError, "sequence error", lambda: k.trfmat(Broken([[1.0, 2.0], [3.0, 4.0]]), 2, 2, [0.0] * 4, 2, 2))):
        with pytest.raises(exc, match=f"^{message}$"):
            call()


# ---- file names, write-back into arrays, numpy items ------------------------------

def test_file_names_go_through_the_file_system_encoding(run):
    out = run("""
        import os, pathlib
        for name in ('\\u03c0.met', '\\u03c3.met', b'caf\\xc3\\xa9.met', pathlib.Path('path.met')):
            k.setfil(name); k.kalini(); print(repr(k.getfil())); k.errmod('PROT', 'OFF'); k.kalfin()
        k.metafl('PNG'); k.setfil('plot.png'); k.kalini(); k.errmod('PROT', 'OFF')
        k.rpng(pathlib.Path('\\u00e9t\\u00e9.png'))
        try:
            k.setfil(3)
        except TypeError:
            print('TypeError')
        k.kalfin()
        print(sorted(os.listdir('.')))
    """)
    assert out.encode("latin-1").decode() == (
        "'π.met'\n'σ.met'\n'café.met'\n'path.met'\nTypeError\n"
        "['café.met', 'path.met', 'plot.png', 'été.png', 'π.met', 'σ.met']\n")


def test_matrices_are_read_and_written_back_row_after_row():
    source = [[0.0, 2.0], [6.0, 8.0]]
    rows, flat = [[0.0, 0.0], [0.0, 0.0]], [0.0] * 4
    array = np.zeros((2, 2))
    for out in (rows, array, flat):
        k.trfmat(source, 2, 2, out, 2, 2)
    assert rows == array.tolist() == source and flat == [0.0, 2.0, 6.0, 8.0]
    k.trfmat(flat, 2, 2, rows, 2, 2)                # a flat matrix is read row after row too
    assert rows == source
    wide = np.zeros((1, 4), dtype=np.float32)      # any shape holding the values
    k.trfmat(source, 2, 2, wide, 2, 2)
    assert wide.tolist() == [[0.0, 2.0, 6.0, 8.0]]
    # Integer buffers saturate on write-back.
    a = np.array([2**31 - 1, -(2**31)], dtype=np.int32)
    k.sortr1(a, 2, "A")                            # 2**31 - 1 becomes the float 2**31
    assert a.tolist() == [-(2**31), 2**31 - 1]
    b = np.zeros((1, 2), dtype=np.int8)
    k.trfmat([[-1000.0, 1000.0]], 1, 2, b, 1, 2)
    assert b.tolist() == [[-128, 127]]


@pytest.mark.parametrize("seq", [
    np.array([1 + 2j, 3j]), [np.complex64(1), np.complex128(2)],
    np.array(["2020-01-01", "2020-01-02"], dtype="datetime64[D]"), np.zeros(2, dtype=[("a", "f8"), ("b", "i4")])])
@pytest.mark.filterwarnings("error")
def test_complex_date_and_structured_items_are_not_numbers(seq):
    for call in (lambda: k.sortr1(seq, 2, "A"), lambda: k.trfmat(seq, 1, 2, [0.0, 0.0], 1, 2)):
        with pytest.raises(ValueError, match="^no floatingpoint element in sequence$"):
            call()


# ---- the interpreter lock -------------------------------------------------------

def test_releasing_routines_let_other_threads_run(run):
    # symfil waits for its driver program; the driver waits for a line that
    # only another Python thread can write. Were the lock held, neither
    # would ever finish (the child's time limit ends it).
    driver = run.path / "kaldrv"
    driver.write_text('#!/bin/sh\nread line < "$FIFO"\necho "$line" > driver.out\n')
    driver.chmod(0o755)
    out = run("""
        import os, threading
        os.mkfifo('pipe')
        def feed():
            with open('pipe', 'w') as f:
                f.write('fed by a thread\\n')
        t = threading.Thread(target=feed)
        t.start()
        k.kalini(); k.errmod('PROT', 'OFF'); k.kalfin()
        k.symfil('XWIN', 'KEEP')
        t.join()
        print(open('driver.out').read(), end='')
    """, env={"PATH": f"{run.path}:{os.environ['PATH']}", "FIFO": str(run.path / "pipe")})
    assert out == "fed by a thread\n"
