"""SVG output through the public routines, judged by xmllint, rsvg-convert and Pillow."""
import io
import re
import shutil
import subprocess
import textwrap

import pytest
from PIL import Image

pytestmark = pytest.mark.skipif(
    not (shutil.which("xmllint") and shutil.which("rsvg-convert")),
    reason="needs xmllint and rsvg-convert",
)

# Pixels per plot unit on the default 853 x 603 canvas: the page's largest
# coordinates 2969 x 2099 fitted into 852 x 602 pixels.
S = min(852 / 2969, 602 / 2099)
RED, GREEN, BLUE, WHITE, BLACK = (255, 0, 0), (0, 128, 0), (0, 0, 255), (255, 255, 255), (0, 0, 0)

SCENE = """
k.recfll(1000, 500, 600, 400, 0x010000FF)
k.linwid(40); k.setrgb(0, 0, 1); k.line(200, 1800, 2800, 1800)
k.shdpat(16); k.setrgb(0, 0.5, 0); k.areaf([2000, 2800, 2400], [200, 200, 900], 3)
"""


def script(*parts):
    return "\n".join(textwrap.dedent(p) for p in parts)


def well_formed(path):
    proc = subprocess.run(["xmllint", "--noout", str(path)], capture_output=True, text=True)
    assert proc.returncode == 0 and proc.stderr == "", proc.stderr


def plot(run, body, name="out.svg", setup=""):
    run(script(setup, f"k.metafl('SVG'); k.setfil('{name}'); k.kalini(); k.errmod('PROT', 'OFF')",
               body, "k.kalfin()"))
    path = run.path / name
    well_formed(path)
    return path


def render(path):
    png = subprocess.run(["rsvg-convert", "-b", "white", str(path)], capture_output=True,
                         check=True).stdout
    return Image.open(io.BytesIO(png)).convert("RGB")


def pixel(img, x, y, s=S):
    return img.getpixel((int(x * s), int(y * s)))


def test_scene_renders_where_it_was_drawn(run):
    path = plot(run, SCENE)
    img = render(path)
    assert img.size == (853, 603)
    assert pixel(img, 1300, 700) == RED
    assert pixel(img, 1500, 1800) == BLUE
    assert pixel(img, 2400, 433) == GREEN
    assert pixel(img, 500, 1500) == WHITE
    assert pixel(img, 1500, 1900) == WHITE     # the stroke is 40 pixels wide
    assert pixel(img, 900, 700) == WHITE
    text = path.read_text(encoding="latin-1")
    assert '<g fill="none" stroke="#0000ff" stroke-width="40.000">\n' in text
    assert '<polygon fill="#008000" points="\n' in text


def test_scale_of_the_default_canvas(run):
    # The whole page: 2969 plot units and one pixel more, 852.52 x 603.00.
    path = plot(run, "k.recfll(0, 0, 2970, 2100, 0x010000FF)")
    text = path.read_text(encoding="latin-1")
    assert '<rect x="0.00" y="0.00" width="852.52" height="603.00"\n' in text
    img = render(path)
    assert img.getpixel((0, 0)) == RED
    assert img.getpixel((851, 601)) == RED


def test_line_polyline_and_lone_move(run):
    path = plot(run, """
        k.line(100, 100, 900, 500)
        k.strtpt(100, 1000); k.connpt(900, 1000); k.connpt(900, 1500)
        k.xmove(2000, 2000)
    """)
    text = path.read_text(encoding="latin-1")
    body = text[text.index("xlink\">\n\n") + 9:]
    assert re.fullmatch(
        r'<g fill="none" stroke="#[0-9a-f]{6}" stroke-width="1\.000">\n'
        r'<line x1="28\.00" y1="28\.00" x2="258\.00" y2="143\.00"/>\n'
        r'<polyline points="\n 28\.00, 286\.00 258\.00, 286\.00 258\.00, 430\.00"/>\n'
        r"</g>\n</svg>\n", body), body


def test_long_lines_are_cut_into_polylines_of_fifty_points(run):
    path = plot(run, """
        k.setrgb(1, 0, 0); k.linwid(6)
        k.strtpt(100, 1000)
        for i in range(1, 1000):
            k.connpt(100 + i * 2.5, 1000 + (i % 7) * 20)
    """)
    text = path.read_text(encoding="latin-1")
    lines = re.findall(r'<polyline points="\n(.*?)"/>', text, re.S)
    points = [re.findall(r" (-?[\d.]+), (-?[\d.]+)", p) for p in lines]
    assert all(2 < len(p) <= 50 for p in points)
    assert sum(len(p) - 1 for p in points) == 999       # consecutive pieces share a point
    for a, b in zip(points, points[1:]):
        assert a[-1] == b[0]
    for p in lines:   # five points to a line
        assert all(len(row.split(",")) <= 6 for row in p.split("\n"))
    img = render(path)
    assert pixel(img, 100, 1000) == RED


def test_background_covers_the_canvas(run):
    path = plot(run, "", setup="k.scrmod('NORE')")
    img = render(path)
    assert img.getextrema() == ((0, 0), (0, 0), (0, 0))


def test_turned_page(run):
    # PORT turns the page: (x, y) -> (y s, (W - x) s) with s fitted for the
    # exchanged sides.
    s = min(852 / 2099, 602 / 2969)
    path = plot(run, "k.recfll(1000, 500, 600, 400, 0x010000FF)", setup="k.pagmod('PORT')")
    img = render(path)
    assert img.getpixel((int(700 * s), int((2969 - 1300) * s))) == RED
    assert img.getpixel((int(700 * s), int((2969 - 700) * s))) == WHITE
    assert img.getpixel((int(1100 * s), int((2969 - 1300) * s))) == WHITE


def test_colour_change_closes_the_group(run):
    path = plot(run, """
        k.setrgb(1, 0, 0); k.linwid(4); k.line(100, 100, 900, 100)
        k.setrgb(0, 0, 1); k.penwid(2.5); k.line(100, 300, 900, 300)
    """)
    text = path.read_text(encoding="latin-1")
    groups = re.findall(r'<g fill="none" stroke="(#[0-9a-f]{6})" stroke-width="([\d.]+)">', text)
    assert groups == [("#ff0000", "4.000"), ("#0000ff", "2.500")]
    assert text.count("<g ") == text.count("</g>")
    img = render(path)
    assert pixel(img, 500, 100) == RED
    assert pixel(img, 500, 300) == BLUE


def test_same_program_same_bytes(tmp_path):
    from conftest import run_python

    code = script("import kalvor as k; k.metafl('SVG'); k.kalini(); k.errmod('PROT', 'OFF')",
                  SCENE, "k.kalfin()")
    files = []
    for name in ("a", "b"):
        (tmp_path / name).mkdir()
        run_python(tmp_path / name, code)
        well_formed(tmp_path / name / "kalvor.svg")
        files.append((tmp_path / name / "kalvor.svg").read_bytes())
    assert files[0] == files[1]
    assert b"Date   : 14.11.2023 22:13:20\n" in files[0]
