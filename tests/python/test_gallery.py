"""The demo gallery runs without a warning, and every file it writes passes an
independent reader: qpdf and poppler for PDF, xmllint and librsvg for SVG,
Pillow for PNG, libwmf's wmf2svg and librsvg for WMF, an HTML parser for the
index page."""
import glob
import html
import os
import re
import shutil
import subprocess
import sys

import kalvor
import pytest
from PIL import Image

from conftest import ROOT

GALLERY = os.path.join(ROOT, "examples", "gallery.py")
EXAMPLES = sorted(os.path.splitext(os.path.basename(p))[0]
                  for p in glob.glob(os.path.join(ROOT, "examples", "gallery", "[0-9]*.py")))
TOOLS = ["qpdf", "pdftoppm", "xmllint", "rsvg-convert", "wmf2svg"]


@pytest.fixture(scope="module")
def gallery(tmp_path_factory):
    missing = [t for t in TOOLS if not shutil.which(t)]
    if missing:
        pytest.skip("missing readers: " + ", ".join(missing))
    if not all(hasattr(kalvor, r) for r in ("curve", "errbar", "legend")):
        pytest.skip("this build has no curves, error bars or legends yet")
    out = tmp_path_factory.mktemp("gallery")
    proc = subprocess.run([sys.executable, GALLERY, str(out)], capture_output=True, timeout=600,
                          env=dict(os.environ, SOURCE_DATE_EPOCH="1700000000"))
    text = proc.stdout.decode("latin-1") + proc.stderr.decode("latin-1")
    assert proc.returncode == 0, text
    return out, text


def reader(*cmd):
    proc = subprocess.run(cmd, capture_output=True, timeout=120)
    assert proc.returncode == 0, f"{cmd}: {proc.stdout.decode(errors='replace')}{proc.stderr.decode(errors='replace')}"
    return proc.stdout


def ink(image, below=200):
    """Share of pixels that are clearly darker than the white page."""
    grey = image.convert("L")
    return sum(grey.histogram()[:below]) / (grey.width * grey.height)


def test_gallery_runs_cleanly(gallery):
    out, text = gallery
    assert "Warning" not in text and "out of" not in text, text
    assert len(EXAMPLES) >= 12
    written = sorted(os.listdir(out))
    assert written == sorted([f"{n}.{e}" for n in EXAMPLES for e in ("pdf", "svg", "png", "wmf")] + ["index.html"])


@pytest.mark.parametrize("name", EXAMPLES)
def test_every_format_reads_and_draws(gallery, name, tmp_path):
    out, _ = gallery
    pdf, svg, png = (str(out / f"{name}.{e}") for e in ("pdf", "svg", "png"))

    reader("qpdf", "--check", pdf)
    reader("pdftoppm", "-png", "-scale-to", "1200", "-singlefile", pdf, str(tmp_path / "pdf"))
    reader("xmllint", "--noout", svg)
    reader("rsvg-convert", "-b", "white", "-o", str(tmp_path / "svg.png"), svg)
    with Image.open(png) as im:
        im.verify()
    with Image.open(png) as im:
        assert im.size == (1200, 849)
        raster = im.convert("RGB")

    # The three renderings of one plot carry about the same amount of ink: a
    # format that drops a figure, a fill or the text falls far below the others.
    shares = [ink(Image.open(tmp_path / "pdf.png")), ink(Image.open(tmp_path / "svg.png")), ink(raster)]
    assert min(shares) > 0.005, shares
    assert max(shares) < 2.0 * min(shares), shares

    # wmf2svg fits the drawing into its picture and draws the 1/1440-inch
    # pens as hairlines: the WMF shows at least a tint everywhere it draws.
    wmf = subprocess.run(["wmf2svg", "-o", str(tmp_path / "wmf.svg"), str(out / f"{name}.wmf")],
                         capture_output=True, timeout=120)
    assert wmf.returncode == 0 and wmf.stdout == wmf.stderr == b"", wmf
    reader("rsvg-convert", "-b", "white", "-w", "1200", "-o", str(tmp_path / "wmf.png"), str(tmp_path / "wmf.svg"))
    assert ink(Image.open(tmp_path / "wmf.png"), below=250) > 0.005


def test_index_shows_every_picture_beside_its_source(gallery):
    out, _ = gallery
    reader("xmllint", "--html", "--noout", str(out / "index.html"))   # well-formed HTML
    with open(out / "index.html", encoding="utf-8") as f:
        page = f.read()
    assert re.findall(r'<img src="([^"]*)"', page) == [f"{n}.png" for n in EXAMPLES]
    assert all(os.path.isfile(out / link) for link in re.findall(r'<a href="([^"]*)"', page))
    # Every example's file appears unchanged once the page's escapes are read back.
    sources = [html.unescape(p) for p in re.findall(r"<pre>(.*?)</pre>", page, re.S)[1:]]
    assert len(sources) == len(EXAMPLES)
    for name, shown in zip(EXAMPLES, sources):
        with open(os.path.join(ROOT, "examples", "gallery", name + ".py"), encoding="utf-8") as f:
            assert shown == f.read(), name
