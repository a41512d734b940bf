"""SVG output through the public routines, judged by xmllint, rsvg-convert and Pillow."""
import shutil
import subprocess
import textwrap

import pytest

from conftest import render

pytestmark = pytest.mark.skipif(
    not (shutil.which("xmllint") and shutil.which("rsvg-convert")),
    reason="needs xmllint and rsvg-convert",
)

# Pixels per plot unit on the default 853 x 603 canvas: the page's largest
# coordinates 2969 x 2099 fitted into 852 x 602 pixels.
S = min(852 / 2969, 602 / 2099)
RED, GREEN, BLUE, WHITE = (255, 0, 0), (0, 128, 0), (0, 0, 255), (255, 255, 255)

SCENE = """
k.recfll(1000, 500, 600, 400, 0x010000FF)
k.linwid(40); k.setrgb(0, 0, 1); k.line(200, 1800, 2800, 1800)
k.shdpat(16); k.setrgb(0, 0.5, 0); k.areaf([2000, 2800, 2400], [200, 200, 900], 3)
"""


def at(x, y, s=S):
    """The canvas pixel of plot point (x, y)."""
    return int(x * s), int(y * s)


# PORT turns the page: (x, y) -> (y s, (W - x) s) with s fitted for the
# exchanged sides.
S_PORT = min(852 / 2099, 602 / 2969)


@pytest.mark.parametrize("setup, body, pixels, texts", [
    ("", SCENE,
     {at(1300, 700): RED, at(1500, 1800): BLUE, at(2400, 433): GREEN, at(500, 1500): WHITE,
      at(1500, 1830): WHITE, at(900, 700): WHITE},     # 40 plot units: 11.47 pixels wide
     [f'<g fill="none" stroke="#0000ff" stroke-width="{40 * S:.3f}" stroke-linecap="square" stroke-linejoin="bevel">\n',
      '<polygon fill="#008000" points="\n']),
    # The whole page: 2969 plot units and one pixel more, 852.52 x 603.00.
    ("", "k.recfll(0, 0, 2970, 2100, 0x010000FF)", {(0, 0): RED, (851, 601): RED},
     ['<rect x="0.00" y="0.00" width="852.52" height="603.00"\n']),
    ("k.pagmod('PORT')", "k.recfll(1000, 500, 600, 400, 0x010000FF)",
     {at(700, 2969 - 1300, S_PORT): RED, at(700, 2969 - 700, S_PORT): WHITE,
      at(1100, 2969 - 1300, S_PORT): WHITE}, []),
    ("k.scrmod('NORE')", "", {}, []),                  # a black canvas, checked whole
], ids=["scene", "scale", "turned", "background"])
def test_renders_where_it_was_drawn(run, setup, body, pixels, texts):
    run(f"{setup}\nk.metafl('SVG'); k.setfil('out.svg'); k.kalini(); k.errmod('PROT', 'OFF')\n"
        f"{textwrap.dedent(body)}\nk.kalfin()")
    path = run.path / "out.svg"
    lint = subprocess.run(["xmllint", "--noout", str(path)], capture_output=True, text=True)
    assert lint.returncode == 0 and lint.stderr == "", lint.stderr
    text = path.read_text(encoding="latin-1")
    for t in texts:
        assert t in text
    img = render(path, 96)
    assert img.size == (853, 603)
    for xy, colour in pixels.items():
        assert img.getpixel(xy) == colour, xy
    if not pixels:
        assert img.getextrema() == ((0, 0), (0, 0), (0, 0))
