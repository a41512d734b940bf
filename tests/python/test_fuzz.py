"""Random calls of every routine with random and hostile arguments never crash."""
import os

from conftest import run_python

FUZZ = r'''
import random, re, sys
import numpy as np
import kalvor as k

rng = random.Random(SEED)
INTS = [0, 1, -1, 2, 7, 100, 3000, -32000, 2**31 - 1, -2**31, True]
FLOATS = [0.0, -0.0, 1.0, -1.0, 0.5, 1e-30, 1e38, -1e38, 1e300, float("nan"), float("inf"), 3]
KEYS = ["", "x", "ALL", "all", "ON", "OFF", "post", "PS", "PDF", "SVG", "CGM", "HPA4", "KYOC", "VEKM", "TIFF",
        "PNG", "VIRT", "CONS", "XWIN", "met3", "DA4P", "USEL", "INCH", "TWIP", "FULL", "NONE",
        "DELE", "COUN", "KEEP", "WARN", "PROT", "CHEC", "FILE", "WIND", "DEGR", "RADI", "RECT",
        "POLA", "SPHE", "CYLI", "A", "d", "BOTT", "DELA", "COMP", "BUFF", "TRAN", "\xff\xfe",
        "a" * 300, b"bytes", "plot.met", "sub/x.ps", "ORIG", "WINM", "UNIT"]
SEQS = [[], [1.0] * 8, [3, 1, 2, 5, 4, 9, 8, 7], [[1.0, 2.0], [3.0, 4.0]], [[1.0], [2.0, 3.0]],
        "abc", None, 5, np.arange(9.0), np.ones((3, 3)), np.zeros(2, dtype=np.int8), (1, 2, 3),
        [float("nan")] * 6, [1e38] * 6, [None] * 4]
JUNK = [None, object(), [], {}, 1j]

def value(letter):
    if rng.random() < 0.05:
        return rng.choice(JUNK)
    if letter == "i":
        return rng.choice(INTS) if rng.random() < 0.8 else rng.randint(-5, 10)
    if letter == "f":
        return rng.choice(FLOATS)
    if letter == "s":
        return rng.choice(KEYS)
    if letter == "s#":
        return bytes(rng.randrange(256) for _ in range(rng.randint(0, 40)))
    return rng.choice(SEQS)

routines = [r for r in k._kalvor._routines if r[0] not in ("thrfin",)]
allowed = (TypeError, ValueError, MemoryError, OverflowError, RuntimeError)
calls = 0
for _ in range(COUNT):
    name, args, _, _ = rng.choice(routines)
    if name == "kalini" and rng.random() < 0.5:
        k.kalfin()
    letters = re.findall(r"s#|[a-zA-Z]", args)
    argv = [value(c) for c in letters]
    if rng.random() < 0.03:
        argv.append(1)
    try:
        getattr(k, name)(*argv)
    except allowed:
        pass
    calls += 1
if k.getlev() > 0:
    k.kalfin()
print("fuzz done", calls, file=sys.stderr)
'''


# Longer runs: KALVOR_FUZZ_SEEDS=1-200 KALVOR_FUZZ_CALLS=20000 (see README).
def fuzz_seeds():
    spec = os.environ.get("KALVOR_FUZZ_SEEDS")
    if not spec:
        # Seeds 12, 31 and 43 once reached hangs (degenerate page transforms,
        # hatch spacings below the coordinates' precision).
        return [1, 12, 31, 43]
    first, _, last = spec.partition("-")
    return list(range(int(first), int(last or first) + 1))


def test_random_calls_never_crash(tmp_path):
    calls = os.environ.get("KALVOR_FUZZ_CALLS", "10000")
    for seed in fuzz_seeds():
        (tmp_path / str(seed)).mkdir()
        code = FUZZ.replace("SEED", str(seed)).replace("COUNT", calls)
        proc = run_python(tmp_path / str(seed), code, check=False)
        assert proc.returncode == 0, f"seed {seed}: " + proc.stderr.decode(errors="replace")[-2000:]
        assert f"fuzz done {calls}".encode() in proc.stderr
