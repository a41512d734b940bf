"""Screen plots in notebook cells: the page as an image/png output of the
page's size; a file plot shows nothing."""
import base64
import io
import json
import subprocess
import sys

import pytest
from PIL import Image

from kalvor import _notebook


def test_cell_png_holds_the_picture():
    rgb = bytes([255, 0, 0] * 3 + [0, 0, 255] * 3)             # 3 x 2: a red row, a blue row
    with Image.open(io.BytesIO(_notebook.png(rgb, 3, 2))) as img:
        assert img.size == (3, 2) and img.convert("RGB").tobytes() == rgb


CELL = 'import kalvor as k\nk.metafl("{dev}"); k.winsiz(400, 300); k.filmod("DELE"); k.kalini()\n' \
       'k.graf(0, 1, 0, 1, 0, 1, 0, 1); k.curve([0, 1], [0, 1], 2); k.kalfin()'


@pytest.mark.parametrize("dev,images", [("CONS", 1), ("PDF", 0)])
def test_notebook_cell_shows_screen_pages(tmp_path, dev, images):
    pytest.importorskip("nbconvert")
    pytest.importorskip("ipykernel")
    nb = {"cells": [{"cell_type": "code", "execution_count": None, "metadata": {}, "outputs": [],
                     "source": CELL.format(dev=dev)}],
          "metadata": {}, "nbformat": 4, "nbformat_minor": 5}
    path = tmp_path / "plot.ipynb"
    path.write_text(json.dumps(nb))
    subprocess.run([sys.executable, "-m", "jupyter", "nbconvert", "--to", "notebook", "--execute", "--inplace",
                    str(path)], check=True, capture_output=True, cwd=tmp_path, timeout=300)
    outputs = json.loads(path.read_text())["cells"][0]["outputs"]
    pngs = [o["data"]["image/png"] for o in outputs if "image/png" in o.get("data", {})]
    assert len(pngs) == images
    for data in pngs:
        with Image.open(io.BytesIO(base64.b64decode(data))) as img:
            assert img.size == (400, 300)
    assert (tmp_path / "kalvor.pdf").exists() == (dev == "PDF")
