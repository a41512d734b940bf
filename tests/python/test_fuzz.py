"""Random calls of every routine with random and hostile arguments never crash."""
import os
import subprocess

from PIL import Image

from conftest import run_python

FUZZ = r'''
import random, re, sys
import numpy as np
import kalvor as k

rng = random.Random(SEED)
INTS = [0, 1, -1, 2, 7, 100, 3000, -32000, 2**31 - 1, -2**31, True]
FLOATS = [0.0, -0.0, 1.0, -1.0, 0.5, 1e-30, 1e38, -1e38, 1e300, float("nan"), float("inf"), 3]
KEYS = ["", "x", "ALL", "all", "ON", "OFF", "post", "PS", "PDF", "SVG", "CGM", "HPA4", "KYOC", "VEKM", "TIFF",
        "PNG", "VIRT", "CONS", "XWIN", "met3", "WMF", "PLAC", "FORM", "DA4P", "USEL", "INCH", "TWIP", "FULL", "NONE",
        "DELE", "COUN", "KEEP", "WARN", "PROT", "CHEC", "FILE", "WIND", "DEGR", "RADI", "RECT",
        "POLA", "SPHE", "CYLI", "A", "d", "BOTT", "DELA", "COMP", "BUFF", "TRAN", "\xff\xfe",
        "a" * 300, b"bytes", "plot.met", "sub/x.ps", "ORIG", "WINM", "UNIT", "BAR", "PIE", "DAT", "3DVE",
        "ALIG", "PATT", "BOTH", "INSI", "TICK"]
SEQS = [[], [1.0] * 8, [3, 1, 2, 5, 4, 9, 8, 7], [[1.0, 2.0], [3.0, 4.0]], [[1.0], [2.0, 3.0]],
        "abc", None, 5, np.arange(9.0), np.ones((3, 3)), np.zeros(2, dtype=np.int8), (1, 2, 3),
        [float("nan")] * 6, [1e38] * 6, [None] * 4,
        lambda *a: "junk", lambda *a: float("nan"), lambda *a: int("raises")]
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
# Now and then a 3-D or colour axis system opens, so that the routines that
# need one meet hostile arguments too (a second generator keeps the calls of
# each seed as they were).
rng3 = random.Random(SEED + 1000)
rng4 = random.Random(SEED + 2000)
CALLBACK_SLOTS = {"mapfcn": 0, "swgcbk": 1, "swgcb": 1}
def raises(*args):
    raise ValueError("from a callback")
CALLABLES = [None, lambda *a: None, raises, print, 5, "f", object()]
for _ in range(COUNT):
    if rng3.random() < 0.01 and k.getlev() == 1:
        rng3.choice([k.graf3d, k.graf3])(0, 1, 0, 0.5, -1, 1, -1, 0.5, 0, 10, 0, 2)
    name, args, _, _ = rng.choice(routines)
    if name == "kalini" and rng.random() < 0.5:
        k.kalfin()
    letters = re.findall(r"s#|[a-zA-Z]", args)
    argv = [value(c) for c in letters]
    # Callables and non-callables in the callback slots (their own generator
    # keeps the other calls of each seed as they were).
    if name in CALLBACK_SLOTS and len(argv) > CALLBACK_SLOTS[name]:
        argv[CALLBACK_SLOTS[name]] = rng4.choice(CALLABLES)
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

# The same process still makes a correct plot: a red box on a PNG page and
# in a PDF, read back by Pillow and qpdf in the test. delglb drops the
# settings the calls left (window size, units, fonts) for the defaults.
k.delglb()
k.errmod("ALL", "OFF")
for device, name in (("PNG", "after.png"), ("PDF", "after.pdf")):
    k.metafl(device); k.setpag("DA4L"); k.filmod("DELE"); k.setfil(name); k.scrmod("REVERS")
    k.kalini()
    k.recfll(1000, 700, 900, 700, k.intrgb(1.0, 0.0, 0.0))
    k.kalfin()
'''


# Four seeds of 25,000 calls (100,000 calls, about 10 s); CI runs 5,000 per
# seed under the sanitizers. Longer runs: KALVOR_FUZZ_SEEDS=1-200
# KALVOR_FUZZ_CALLS=20000 (see README).
def fuzz_calls():
    return os.environ.get("KALVOR_FUZZ_CALLS") or ("5000" if os.environ.get("CI") else "25000")


def fuzz_seeds():
    spec = os.environ.get("KALVOR_FUZZ_SEEDS")
    if not spec:
        # Seeds 12, 31 and 43 once reached hangs (degenerate page transforms,
        # hatch spacings below the coordinates' precision).
        return [1, 12, 31, 43]
    first, _, last = spec.partition("-")
    return list(range(int(first), int(last or first) + 1))


def test_random_calls_never_crash(tmp_path):
    calls = fuzz_calls()
    for seed in fuzz_seeds():
        where = tmp_path / str(seed)
        where.mkdir()
        code = FUZZ.replace("SEED", str(seed)).replace("COUNT", calls)
        # Headless: a screen plot would otherwise wait for a click in its window.
        proc = run_python(where, code, env={"DISPLAY": "", "WAYLAND_DISPLAY": ""}, check=False)
        assert proc.returncode == 0, f"seed {seed}: " + proc.stderr.decode(errors="replace")[-2000:]
        assert f"fuzz done {calls}".encode() in proc.stderr
        with Image.open(where / "after.png") as img:
            rgb = img.convert("RGB")
            assert rgb.size == (853, 603), seed
            assert rgb.getpixel((420, 300)) == (255, 0, 0), seed
            assert rgb.getpixel((100, 100)) == (255, 255, 255), seed
        check = subprocess.run(["qpdf", "--check", str(where / "after.pdf")], capture_output=True)
        assert check.returncode == 0, f"seed {seed}: " + check.stdout.decode(errors="replace")[-800:]


# Calls the random runs once tripped over, replayed on every run (the
# sanitizer build of the test command runs this file): an int overflow in
# titlin, the frame of a legend 1e38 wide in int arithmetic, a shield outlined by
# two billion rings; map routines given extreme ranges, steps and points.
FOUND = r'''
import kalvor as k
k.metafl("SVG"); k.kalini()
k.titlin("t", -2**31)
k.legini("", 2, 10); k.leglin("", "a", 1); k.legopt(1.0, 1e38, 1.0); k.legpos(2, 3)
k.graf(0, 1, 0, 1, 0, 1, 0, 1); k.legend("", 3); k.endgrf()
k.frame(2**31 - 1); k.shlcir(500, 500, 50)
k.graf(0, 1, 0, 1, 0, 1, 0, 1); k.labels("FLOA", "CON"); k.congap(1e30)
k.conshd([0, 1e38], 2, [-1e38, 1], 2, [[0, 1], [2, 3]], [0.5, 1.5, 2.5], 3)
k.contur([0, 1], 2, [0, 1], 2, [[float("nan"), 1], [float("inf"), -1]], 0)
k.confll([0, 1, 0], [0, 0, 1], [0, 5, 9], 3, [1, 1, 3], [1, 2, 3], [1, 3, 2], 3, [1, 2, 3, 4], 4)
k.contri([0, 1, 0], [0, 0, 1], [0, 5, 9], 3, [1, 4, 3], [1, 2, 3], [1, 3, 2], 3, 2)
k.endgrf()
k.projct("GNOM"); k.mapsph(90); k.grafmp(-180, 180, -180, 1e-30, -90, 90, -90, 1e38)
k.gridmp(2**31 - 1, 1); k.curvmp([1e38, -1e38, float("nan")], [90, -90, 1e38], 3)
k.trfrel([1e38, float("inf")], [float("nan"), 0], 2); k.shdeur([46, 0], [2**31 - 1, -5], [-1, 2**31 - 1], 2)
k.endgrf(); k.projct("CONF"); k.mapref(-0.1, 0.1); k.grafmp(-180, 180, -180, 30, 0.0, 1e-30, 0, 1e-30); k.world()
k.endgrf(); k.graf3d(0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1)
k.light("ON"); k.litopt(1, 0, "CONS"); k.litpos(1, 1e38, 0, -1e38, "USER"); k.surmsh("ON")
k.surshd([0, 1e38], 2, [float("nan"), 1], 2, [[1e38, -1e38], [0, float("inf")]])
k.surshd([0, 1e-30], 2, [0, 1e-30], 2, [[0, 1e-30], [1e-30, 0]])
k.sphe3d(0.5, 0.5, 0.5, 1e38, 3, 2); k.sphe3d(0.5, 0.5, 0.5, 1e-30, 2**31 - 1, 2**31 - 1)
k.surtri([0, 1, 0], [0, 0, 1], [1e38, 0, float("nan")], 3, [1, 2**31 - 1, -2**31], [2, 2, 3], [3, 1, 2], 3)
try:
    k.surfcp(lambda t, p, i: 1 / 0 if t > 1e37 else [t, p, 0][i - 1], 0, 1e38, 1e37, 0, 1, 0.5)
except ZeroDivisionError:
    pass
k.shdmod("SMOOTH", "SURF"); k.surshd([0, 1], 2, [0, 1], 2, [[0, 1], [1, 0]])
k.errmod("PROT", "OFF"); k.kalfin()
print("done")
'''


def test_calls_the_fuzzer_found(tmp_path):
    proc = run_python(tmp_path, FOUND, check=False)
    assert proc.returncode == 0 and b"done" in proc.stdout, proc.stderr.decode(errors="replace")[-2000:]
