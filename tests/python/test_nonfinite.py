"""NaN and infinite numbers in every routine that takes floats or arrays:
no crash, and every written file stays valid for independent readers and
still shows what is drawn afterwards."""
import re
import subprocess

import pytest
from PIL import Image

PROGRAM = r'''
import kalvor as k

NAN, INF = float("nan"), float("inf")
BAD = [NAN, INF, -INF]
ARRAYS = [[NAN, 1.0, INF, 2.0, -INF, 3.0], [NAN] * 6, [INF, -INF] * 3]
allowed = (TypeError, ValueError, OverflowError, MemoryError, RuntimeError)

k.metafl("DEVICE"); k.setpag("DA4L"); k.filmod("DELE"); k.setfil("out.EXT")
k.pdfmod("OFF", "COMP"); k.scrmod("REVERS")
k.kalini()
for name, letters, _, _ in k._kalvor._routines:
    letters = letters.replace("|", "")    # every optional argument given
    if name in ("kalini", "kalfin", "thrini", "thrfin", "delglb") or not set(letters) & set("fO"):
        continue
    plain = {"f": 200.0, "i": 2, "s": "A", "O": [300.0, 400.0, 500.0, 300.0, 400.0, 500.0]}
    variants = []
    for bad in BAD:
        variants.append([bad if c == "f" else plain[c] for c in letters])
    for i, c in enumerate(letters):
        for bad in ([NAN, INF] if c == "f" else ARRAYS if c == "O" else []):
            variants.append([bad if j == i else plain[d] for j, d in enumerate(letters)])
    for argv in variants:
        try:
            getattr(k, name)(*argv)
        except allowed:
            pass
        if k.getlev() == 0:     # a routine that ended the plot starts it again
            k.kalini()
while k.getlev() > 1:
    k.endgrf()
k.errmod("ALL", "OFF")
k.recfll(1000, 700, 900, 700, k.intrgb(1.0, 0.0, 0.0))
k.kalfin()
print("done")
'''

# A number token printf makes of a non-finite value, outside names and words.
NONFINITE_TOKEN = re.compile(rb"(?<![A-Za-z/#])-?(nan|inf)(?![A-Za-z])", re.I)


def readers(path, ext):
    if ext == "png":
        with Image.open(path) as img:
            rgb = img.convert("RGB")
            assert rgb.getpixel((420, 300)) == (255, 0, 0)
        return
    data = path.read_bytes()
    assert not NONFINITE_TOKEN.search(data), NONFINITE_TOKEN.search(data).group()
    if ext == "svg":
        subprocess.run(["xmllint", "--noout", str(path)], check=True)
        png = path.with_suffix(".png")
        subprocess.run(["rsvg-convert", "-o", str(png), str(path)], check=True)
        return
    if ext == "pdf":
        subprocess.run(["qpdf", "--check", str(path)], check=True, capture_output=True)
    gs = subprocess.run(["gs", "-q", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-sDEVICE=nullpage", str(path)],
                        capture_output=True)
    assert gs.returncode == 0 and b"Error" not in gs.stdout + gs.stderr, (gs.stdout + gs.stderr)[-600:]


@pytest.mark.parametrize("device,ext", [("PS", "ps"), ("EPS", "eps"), ("PDF", "pdf"), ("SVG", "svg"), ("PNG", "png")])
def test_nonfinite_numbers_in_every_routine(run, device, ext):
    out = run(PROGRAM.replace("DEVICE", device).replace("EXT", ext))
    assert out.endswith("done\n")
    readers(run.path / f"out.{ext}", ext)


# Finite but extreme arguments, one case per place that once did int
# arithmetic on them and wrapped (the sanitizer build sees the arithmetic
# itself): the plot finishes, the file stays readable and what it says is
# in range.
EXTREMES = {
    "printer block": "k.clpwin(-2**30, -2**30, 2**31 - 1, 2**31 - 1)\n"
                     "k.recfll(-2**30, -2**30, 2**31 - 1, 2**31 - 1, 5)",
    "legend corner": "k.graf(0, 1, 0, 1, 0, 1, 0, 1); k.curve([0, 1], [0, 1], 2)\n"
                     "k.legini('', 1, 5); k.leglin('', 'a', 1); k.legopt(1, 3e38, 1); k.legend('', 1)",
    "date axis": "k.basdat(1, 1, 2024); k.labels('DATE', 'X'); k.setscl([-3e38, 3e38], 2, 'X')\n"
                 "k.graf(0, 1, 0, 1, 0, 1, 0, 1)",
    "polar bars": "k.polar(1, 0, 0.5, 0, 90); k.polcrv('BARS'); k.barwth(3e38)\n"
                  "k.curve([0.5, 1.0], [0.0, 1.0], 2)",
    "bottom origin": "k.pagorg('BOTT'); k.origin(0, -2**31); k.line(0, 0, 100, 100)",
    "contours": "k.graf(0, 1, 0, 1, 0, 1, 0, 1); k.labels('FLOA', 'CON'); k.labdis(1, 'CON')\n"
                "z = [[-3e38, 3e38, float('nan')], [3e38, float('-inf'), -3e38], [0, float('inf'), 1]]\n"
                "k.contur([0, 0.5, 1], 3, [0, 1e-30, 1], 3, z, 0); k.conshd([0, 0.5, 1], 3, [0, 1e-30, 1], 3, z, [0], 1)",
    "incdat": "k.basdat(1, 1, 2000); print(k.incdat(1, 1, 9999999), k.incdat(1, 1, 2001))",
    "bar sizes": "k.graf(0, 4, 0, 1, 0, 10, 0, 2); k.shdpat(16); k.labels('SECO', 'BAR'); k.labdig(100, 'BAR')\n"
                 "k.barwth(3e38); k.bars([1, 2], [0, 0], [1e38, -1e38], 2); k.barwth(0.75)\n"
                 "k.bargrp(30, -3e38); k.bars([1, 2], [0, 0], [5, 5], 2); k.bargrp(2, 3e38)\n"
                 "k.bartyp('3DVE'); k.baropt(1e38, 45); k.shield('BARS', 'ON'); k.bars([1e38, -1e38], [0, 0], [5, 5], 2)",
    "pie sizes": "k.shdpat(16); k.pietyp('3D'); k.pieopt(1e38, 90); k.labels('BOTH', 'PIE'); k.labpos('ALIG', 'PIE')\n"
                 "k.shield('PIE', 'ON'); k.piegrf('x' * 300, 50, [3e38, 3e38, -3e38, 1e-38], 4)\n"
                 "k.pietyp('2D'); k.piegrf('', 0, [1] * 2000, 2000); k.axslen(1, 1); k.piegrf('ab', 1, [1, 2], 2)",
    "3-D box": "n, i = float('nan'), float('inf'); k.view3d(3e38, -3e38, 1e-30, 'ABS'); k.vfoc3d(1e38, 0, 0, 'ABS')\n"
               "k.graf3d(0, 1, 0, 1, 0, 1, 0, 1, -1e30, 1e30, -1e30, 1e30); k.grid3d(2**31 - 1, 5, 'ALL')\n"
               "k.curv3d([n, 3e38, 0.5, -3e38], [0.5, -3e38, i, 0], [0.5, 3e38, 0.5, n], 4)\n"
               "k.vectr3(0, 0, 0, 3e38, -3e38, 3e38, 1501); k.conn3d(3e38, 1, 1); k.conn3d(-3e38, 0, 0)\n"
               "k.grfini(-1, -1, -1, 3e38, -1, -1, 1, 3e38, -1); k.grfini(-1, -1, -1, 1, -1, -1, 1, 1, -1)\n"
               "k.rlrec(-3e38, -3e38, 3e38, 3e38); k.line(-2**31, -2**31, 2**31 - 1, 2**31 - 1); k.grffin()",
    "colour plot": "n = float('nan'); k.widbar(10000); k.vkxbar(-2**31); k.ax3len(2, 2, 2**31 - 1)\n"
                   "k.graf3(0, 1, 0, 1, 0, 1, 0, 1, -3e38, 3e38, -3e38, 3e38)\n"
                   "k.crvmat([[n, 3e38], [-3e38, 1]], 2, 2, 2**31 - 1, 2**31 - 1); k.crvmat([[n, 3e38], [-3e38, 1]], 2, 2, 3, 3)\n"
                   "k.curve3([3e38, n], [0.5, 0.5], [3e38, n], 2); print(k.nzposn(3e38))\n"
                   "k.zaxis(0, 1, 0, 0.5, 2**31 - 1, 'z', 1, 1, 100, 100)",
}


@pytest.mark.parametrize("case", EXTREMES)
def test_extreme_finite_arguments(run, case):
    device, ext = ("KYOC", "prn") if case == "printer block" else ("SVG", "svg")
    out = run(f"k.metafl('{device}'); k.setfil('out.{ext}'); k.kalini(); k.errmod('PROT', 'OFF')\n"
              f"{EXTREMES[case]}\nk.kalfin()")
    path = run.path / f"out.{ext}"
    if ext == "svg":
        subprocess.run(["xmllint", "--noout", str(path)], check=True)
    else:  # the block lies on the page (3342 x 2363 dots), not beyond the int range
        commands = re.findall(rb"(MAP|BLK) +(-?\d+), *(-?\d+);", path.read_bytes())
        assert (b"BLK", b"3342", b"2363") in commands
        assert all(0 <= int(v) <= 3342 for _, *values in commands for v in values), commands
    if case == "incdat":
        assert out == " <<<< Warning   2: Incorrect parameter in incdat!   (9999999)\n0 366\n"
