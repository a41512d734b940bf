"""reset "ALL" leaves the device's line state as kalini leaves it."""
import io
import shutil
import subprocess

import pytest
from PIL import Image

RENDER = {
    "PS": ["gs", "-q", "-dBATCH", "-dNOPAUSE", "-dSAFER", "-sDEVICE=png16m", "-r30",
           "-sOutputFile=-", "{}"],
    "PDF": ["pdftoppm", "-r", "30", "-png", "{}"],
    "SVG": ["rsvg-convert", "{}"],
}
EXT = {"PS": "ps", "PDF": "pdf", "SVG": "svg"}


@pytest.mark.parametrize("device", ["PS", "PDF", "SVG"])
def test_reset_all_draws_as_after_kalini(run, device):
    if shutil.which(RENDER[device][0]) is None:
        pytest.skip(f"{RENDER[device][0]} not installed")
    images = []
    for name, before in (("fresh", ""), ("reset", "k.linwid(60); k.lnjoin('ROUN'); k.lncap('ROUN'); k.reset('ALL')")):
        run(f"""
            k.metafl('{device}'); k.setfil('{name}.{EXT[device]}'); k.kalini(); {before}
            k.line(300, 300, 2000, 300); k.line(2000, 300, 2000, 1500)
            k.errmod('PROT', 'OFF'); k.kalfin()
        """)
        cmd = [a.format(run.path / f"{name}.{EXT[device]}") for a in RENDER[device]]
        png = subprocess.run(cmd, capture_output=True, check=True, timeout=60).stdout
        images.append(Image.open(io.BytesIO(png)).convert("L"))
    assert images[0].tobytes() == images[1].tobytes()
