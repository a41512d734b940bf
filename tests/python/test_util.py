"""Utility routines: number text, bit fields, byte files, statistics, geometry."""
import math
import random

import numpy as np
import pytest

import kalvor as k


@pytest.mark.parametrize("n, text", [(-123, "-123"), (0, "0"), (123456789, "123456789"),
                                     (1234567890, "1234567890"), (-2**31, "-2147483648")])
def test_integer_text_and_length(n, text):
    assert k.intcha(n) == text
    assert k.intlen(n) == len(text)


@pytest.mark.parametrize("x, ndig, text", [
    (-3.14159, 2, "-3.14"), (2.5, -1, "3"), (-2.5, -1, "-3"), (-0.4, -1, "0"), (0.0, 0, "0"),
    (1.5, 3, "1.500"), (1e6, -5, "1000000"), (1e38, 100, "99999996802856924650656260769173209088." + "0" * 60)])
def test_fixed_point_text_fits_flen(x, ndig, text):
    assert k.fcha(x, ndig) == text
    assert k.flen(x, ndig) == len(text)


def test_trailing_blanks_and_bad_numbers_warn(run):
    assert [k.trmlen(s) for s in ("ab  ", "   ", "", " a b")] == [2, 0, 0, 4]
    out = run("""
        print(k.fcha(float("nan"), 2), k.flen(float("inf"), 1), k.fcha(1.0, 2**31 - 1)[:4])
    """)
    assert out.count("Warning   2") == 3
    assert out.splitlines()[-1] == "nan 3 1.00"


@pytest.mark.parametrize("routine, args, value", [
    (k.bitsi2, (4, 0xABCD, 4, 0, 0), 0xB000),
    (k.bitsi2, (8, 0x12FF, 0, 0x0F, 4), 0x012F),
    (k.bitsi2, (16, -1, 0, 0, 0), 0xFFFF),       # only 16 bits of nher count
    (k.bitsi2, (0, 0xFFFF, 0, 7, 0), 7),
    (k.bitsi4, (8, 0x12345678, 8, 0, 24), 0x34),
    (k.bitsi4, (32, 0x12345678, 0, 0, 0), 0x12345678),
    (k.bitsi4, (1, 1, 31, 0, 0), -2**31),        # the sign bit
])
def test_bit_fields(routine, args, value):
    assert routine(*args) == value


def test_bit_counts_outside_the_word_warn_and_keep_the_target(run):
    out = run("""
        print([k.bitsi2(*a) for a in [(17, 1, 0, 5, 0), (-1, 1, 0, 5, 0), (4, 1, 16, 5, 0), (4, 1, 0, 5, -3)]],
              [k.bitsi4(*a) for a in [(33, 1, 0, 5, 0), (4, 1, 32, 5, 0), (4, 1, 0, 5, 2**31 - 1)]])
    """)
    assert out.count("Warning   2") == 7
    assert out.splitlines()[-1] == "[5, 5, 5, 5] [5, 5, 5]"


def test_byte_file_round_trip(tmp_path):
    name = str(tmp_path / "data.bin")
    assert k.openfl(name, 7, 1) == 0
    assert k.writfl(7, b"hello world", 5) == 5
    assert k.openfl(name, 7, 0) == 2                # already open: file untouched
    assert k.writfl(7, bytearray(b" there"), 6) == 6
    assert k.tellfl(7) == 11 and k.closfl(7) == 0
    assert k.openfl(name, 99, 2) == 0 and k.writfl(99, b"!", 1) == 1 and k.closfl(99) == 0
    assert open(name, "rb").read() == b"hello there!"
    assert k.openfl(name, 0, 0) == 0
    assert k.readfl(0, 2**31 - 1) == (b"hello there!", 12)    # a huge count reads what there is
    assert k.posifl(0, 1) == 0 and k.readfl(0, 3) == (b"ell", 3)
    assert k.skipfl(0, 2) == 0 and k.tellfl(0) == 6 and k.readfl(0, 3) == (b"the", 3)
    assert k.readfl(0, 0) == (b"", 0) and k.readfl(0, -5) == (b"", 0)
    assert k.closfl(0) == 0


def test_bad_units_counts_and_buffers_warn_and_return_minus_one(run):
    out = run("""
        print(k.openfl("f.bin", 100, 1), k.openfl("f.bin", -1, 1), k.openfl("f.bin", 5, 3),
              k.openfl("missing/f.bin", 5, 0))
        print(k.closfl(5), k.readfl(5, 4), k.writfl(5, b"ab", 2), k.skipfl(5, 1), k.posifl(5, 0),
              k.tellfl(5), k.tellfl(2**31 - 1))
        k.openfl("f.bin", 5, 1)
        print(k.readfl(5, 1), k.posifl(5, -4), k.skipfl(5, -4))
        try:
            k.writfl(5, b"ab", 3)
        except MemoryError as e:
            print("MemoryError", e)
        k.closfl(5)
        k.openfl("f.bin", 5, 0)
        print(k.writfl(5, b"ab", 2), k.tellfl(5))
    """)
    results = [line for line in out.splitlines() if not line.startswith(" <<<<")]
    assert results == ["-1 -1 -1 1", "-1 (b'', -1) -1 -1 -1 -1 -1", "(b'', -1) -1 -1",
                       "MemoryError out of range", "-1 0"]
    assert out.count("Unit is not open in") == 6
    assert out.count("Unit is not open for reading") == 1 and out.count("Unit is not open for writing") == 1
    assert out.count("Warning   2") == 6 and out.count("Warning  36") == 1
    assert (run.path / "f.bin").read_bytes() == b""


def test_refused_bytes_are_never_reported_written(run):
    # /dev/full refuses every byte, a file-size limit those beyond it; the
    # write that meets the refusal says so, and so does the close.
    out = run("""
        import resource, signal
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        print(k.openfl('/dev/full', 1, 1), k.writfl(1, b'x' * 100, 100), k.closfl(1))
        resource.setrlimit(resource.RLIMIT_FSIZE, (10, 10))
        print(k.openfl('limited.bin', 2, 1), k.writfl(2, b'y' * 8, 8), k.writfl(2, b'z' * 8, 8), k.closfl(2))
        print(k.openfl('.', 3, 0), k.openfl('limited.bin', 4, 0), k.posifl(4, 2**31 - 1), k.skipfl(4, 10),
              k.tellfl(4), k.closfl(4))
    """)
    results = [line for line in out.splitlines() if not line.startswith(" <<<<")]
    assert results == ["0 -1 -1", "0 8 -1 -1", "1 0 0 0 -1 0"]
    assert out.count("Warning  36") == 6
    assert (run.path / "limited.bin").read_bytes() == b"y" * 8 + b"zz"


def test_moment_against_numpy(run):
    rng = random.Random(3)
    x = np.array([rng.gauss(2.0, 3.0) for _ in range(50)], dtype=np.float32).astype(float)
    m, s = x.mean(), x.std(ddof=1)
    want = {"MEAN": m, "AVER": np.abs(x - m).mean(), "VARI": x.var(ddof=1), "STAN": s,
            "THIR": (((x - m) / s) ** 3).mean(), "four": (((x - m) / s) ** 4).mean() - 3}
    for key, value in want.items():
        assert k.moment(list(x), 50, key) == pytest.approx(value, rel=1e-5, abs=1e-6)
    out = run("""print(k.moment([1.0], 1, "MEAN"), k.moment([2.0, 2.0], 2, "FOUR"), k.moment([1.0, 2.0], 2, "XX"))""")
    assert "n must be greater than 1" in out and "Variance = 0. Value cannot be calculated" in out
    assert "Warning   2" in out and out.splitlines()[-1] == "0.0 0.0 0.0"


def test_circle_through_three_points(run):
    rng = random.Random(5)
    for _ in range(20):
        p = [rng.uniform(-10, 10) for _ in range(6)]
        xm, ym, r = k.circ3p(*p)
        for i in (0, 2, 4):
            assert math.hypot(p[i] - xm, p[i + 1] - ym) == pytest.approx(r, rel=1e-3)
    out = run("""print(k.circ3p(0, 0, 1, 1, 2, 2), k.circ3p(float("nan"), 0, 1, 0, 0, 1))""")
    assert out.count("Points are collinear") == 2
    assert out.splitlines()[-1] == "(0.0, 0.0, 0.0) (0.0, 0.0, 0.0)"


def test_bezier_matches_the_bernstein_form(run):
    cx, cy = [0.0, 1.0, 3.0, 4.0], [0.0, 3.0, -1.0, 2.0]
    xp, yp = [0.0] * 7, [0.0] * 7
    k.bezier(cx, cy, 4, xp, yp, 7)
    for i in range(7):
        t = i / 6
        b = [(1 - t) ** 3, 3 * t * (1 - t) ** 2, 3 * t * t * (1 - t), t ** 3]
        assert (xp[i], yp[i]) == pytest.approx((np.dot(b, cx), np.dot(b, cy)), abs=1e-5)
    assert (xp[0], yp[-1]) == (0.0, 2.0)
    out = run("""
        xp = [9.0] * 3
        k.bezier([0.0] * 22, [0.0] * 22, 22, xp, xp, 3)
        k.bezier([0.0, 1.0], [0.0, 1.0], 2, xp, xp, 1)
        k.bezier([0.0, 1.0], [0.0, 1.0], 2, [0.0] * 32001, [0.0] * 32001, 32001)
        print(xp)
    """)
    assert out.count("Warning   2") == 3 and out.splitlines()[-1] == "[9.0, 9.0, 9.0]"


def test_sorted_pairs_stay_together_and_conversions_round_trip():
    x, y = [3.0, 1.0, 2.0, 1.0, 5.0, 0.0], [30.0, 10.0, 20.0, 11.0, 50.0, 0.0]
    pairs = sorted(zip(x, y))
    k.sortr2(x, y, 6, "d")
    assert x == sorted(x, reverse=True) and sorted(zip(x, y)) == pairs
    px, py = [0.0, 3.0], [-2.0, 4.0]
    k.trfco2(px, py, 2, "RECT", "POLA")
    assert px[0] == -90.0 and py == [2.0, 5.0]
    k.trfco2(px, py, 2, "POLA", "RECT")
    assert px == pytest.approx([0.0, 3.0], abs=1e-6) and py == pytest.approx([-2.0, 4.0])
    a, b, c = [1.0, -2.0], [2.0, 0.5], [3.0, -1.0]
    k.trfco3(a, b, c, 2, "RECT", "SPHE")
    k.trfco3(a, b, c, 2, "SPHE", "CYLI")
    k.trfco3(a, b, c, 2, "CYLI", "RECT")
    assert (a, b, c) == (pytest.approx([1.0, -2.0]), pytest.approx([2.0, 0.5]), pytest.approx([3.0, -1.0]))
