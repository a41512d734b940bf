"""The module inside Python: messages where Python shows them, warnings as
Python warnings, missing values as gaps, plots finished at exit, the
finished page as PNG bytes."""
import os
import re
import subprocess
import textwrap
import warnings

import pytest
from PIL import Image

import kalvor

BUILD = os.environ["KALVOR_BUILD_DIR"]   # set by conftest

PLOT = """\
k.metafl("pdfx"); k.metafl("SVG"); k.filmod("DELE"); k.setfil("o.svg")
k.kalini(); k.graf(0, 1, 0, 1, 0, 1, 0, 1); k.marker(99); k.kalfin()
"""


def test_redirect_stdout_gets_every_message_byte_for_byte(run):
    direct = run(PLOT)
    assert "Warning   2: Incorrect parameter in metafl!" in direct and "END OF KALVOR" in direct
    captured = run("import contextlib, io, sys\nbuf = io.StringIO()\nwith contextlib.redirect_stdout(buf):\n"
                   + textwrap.indent(PLOT, "    ") + "print('OUT:' + buf.getvalue(), end='', file=sys.__stdout__)")
    assert captured == "OUT:" + direct


def test_capsys_and_warnings_as_exceptions(capsys):
    kalvor.metafl("pdfz")
    assert capsys.readouterr().out == " <<<< Warning   2: Incorrect parameter in metafl!   (pdfz)\n"
    kalvor.warnings_as_exceptions(True)
    try:
        with pytest.warns(kalvor.KalvorWarning, match=r"^Warning   2: Incorrect parameter in metafl!   \(pdfw\)$"):
            kalvor.metafl("pdfw")
        with pytest.warns(kalvor.KalvorWarning, match="\\(\xff\xfe\\)$"):   # Latin-1 text as given
            kalvor.metafl("\xff\xfe")
        with warnings.catch_warnings():
            warnings.simplefilter("error")
            with pytest.raises(kalvor.KalvorWarning):
                kalvor.metafl("pdfv")
    finally:
        kalvor.warnings_as_exceptions(False)
    assert capsys.readouterr().out == ""
    assert kalvor.getlev() == 0


GAPS = """
import numpy as np
nan = float("nan")
k.metafl("DEV"); k.filmod("DELE"); k.setfil("gap.EXT"); k.scrmod("REVERS")
k.kalini(); k.graf(0, 10, 0, 1, 0, 10, 0, 1)
xs = list(range(10))
k.color("RED"); k.curve(xs, [5, 5, 5, nan, 5, 5, 5, 5, 5, 5], 10)
k.color("BLUE"); k.curve(xs, np.ma.array([7.0] * 10, mask=[0] * 6 + [1] + [0] * 3), 10)
k.marker(16); k.incmrk(-1); k.curve([1, 8, nan], [2, 2, 2], 3)
k.color("GREEN"); k.incmrk(2)           # every mode, thick, with symbols: isolated points and runs
for mode in ("STEP", "STAI", "STEM", "BARS", "FBAR", "SPLI", "PSPL"):
    k.polcrv(mode); k.thkcrv(3); k.curve(xs, [nan, 1, 1.5, nan, 1, nan, 1.3, 1.6, 1, nan], 10)
k.kalfin()
"""

C_GAPS = f"""
import ctypes
lib = ctypes.CDLL({os.path.join(BUILD, 'libkalvor.so')!r})
F = ctypes.c_float * 10
lib.metafl(b"SVG"); lib.filmod(b"DELE"); lib.setfil(b"c.svg"); lib.scrmod(b"REVERS")
lib.kalini(); lib.graf(*[ctypes.c_float(v) for v in (0, 10, 0, 1, 0, 10, 0, 1)])
lib.color(b"RED"); lib.curve(F(*range(10)), F(5, 5, 5, float("nan"), 5, 5, 5, 5, 5, 5), 10)
lib.kalfin()
"""


def segments(svg, colour):
    group = re.search(rf'stroke="#{colour}"[^>]*>(.*?)</g>', svg, re.S)[1]
    return [tuple(float(v) for v in m) for m in re.findall(r'x1="([\d.]+)" y1="[\d.]+" x2="([\d.]+)"', group)]


def test_nonfinite_and_masked_points_leave_gaps(run):
    out = run(GAPS.replace("DEV", "SVG").replace("EXT", "svg"))
    assert out.count("Points not finite, left as gaps in curve!   (   1)") == 3
    assert out.count("Points not finite, left as gaps in curve!   (   4)") == 7 and out.count("<<<< Warning") == 10
    svg = (run.path / "gap.svg").read_text()
    red, blue = segments(svg, "ff0000"), segments(svg, "0000ff")
    assert len(red) == 2 and len(blue) == 2 and red[0][0] == blue[0][0]
    step = (red[0][1] - red[0][0]) / 2                  # x 0 to 2
    assert red[1][0] == pytest.approx(red[0][0] + 4 * step, abs=1)
    assert blue[0][1] == pytest.approx(red[0][0] + 5 * step, abs=1)
    assert blue[1][0] == pytest.approx(red[0][0] + 7 * step, abs=1)
    assert svg.count("<use") + svg.count("<polygon") >= 2   # the symbols at x = 1 and 8, none at NaN

    run(C_GAPS)
    assert segments((run.path / "c.svg").read_text(), "ff0000") == red

    run(GAPS.replace("DEV", "PNG").replace("EXT", "png"))
    with Image.open(run.path / "gap.png") as img:
        rgb = img.convert("RGB")
    def pieces(colour):        # the runs of pixels of that colour along its line's row
        row = next(y for y in range(rgb.height) if colour in [rgb.getpixel((x, y)) for x in range(rgb.width)])
        xs = [x for x in range(rgb.width) if rgb.getpixel((x, row)) == colour]
        starts = [x for x in xs if x - 1 not in xs]
        return [(a, next(x for x in xs if x >= a and x + 1 not in xs)) for a in starts]
    (r0, r1), (r2, r3) = pieces((255, 0, 0))            # x 0 to 2 and 4 to 9
    (b0, b1), (b2, b3) = pieces((0, 0, 255))            # x 0 to 5 and 7 to 9
    step = (r3 - r0) / 9
    assert r0 == b0 and r3 == b3 and r1 == pytest.approx(r0 + 2 * step, abs=2)
    assert r2 - r1 == pytest.approx(2 * step, abs=3) and b2 - b1 == pytest.approx(2 * step, abs=3)
    assert b1 == pytest.approx(r0 + 5 * step, abs=2)


def test_plot_left_open_is_finished_at_exit(run):
    for device, ext in (("PDF", "pdf"), ("PNG", "png"), ("SVG", "svg")):
        out = run(f'k.metafl("{device}"); k.setfil("open.{ext}"); k.kalini(); k.graf(0, 1, 0, 1, 0, 1, 0, 1)\n'
                  "k.curve([0, 1], [0, 1], 2)\n")
        assert "END OF KALVOR" not in out
    subprocess.run(["qpdf", "--check", str(run.path / "open.pdf")], check=True, capture_output=True)
    with Image.open(run.path / "open.png") as img:
        img.load()
        assert img.size == (853, 603)
    subprocess.run(["xmllint", "--noout", str(run.path / "open.svg")], check=True)


def test_pngpage_returns_the_finished_raster_page(run):
    out = run("""
import io
from PIL import Image
k.pngpage()                                   # nothing finished yet: warning 40
k.metafl("VIRT"); k.winsiz(400, 300); k.kalini(); k.pngpage(); k.recfll(0, 0, 3000, 3000, k.intrgb(1, 0, 0))
k.errmod("PROT", "OFF"); k.kalfin()
png = k.pngpage()
img = Image.open(io.BytesIO(png))
print(img.format, img.size, img.convert("RGB").getpixel((200, 150)))
""")
    assert out.splitlines() == [
        " <<<< Warning  40: File format and output device are incompatible in pngpage!",
        " <<<< Warning   3: Incorrect level in pngpage!   (   1)",
        "PNG (400, 300) (255, 0, 0)",
    ]
