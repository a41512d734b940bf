"""Screen devices without a display: pages as PNG files, window routines.

The windows themselves are tested under Xvfb in test_screen_x11.py."""
import numpy as np
import pytest
from PIL import Image

HEADLESS = {"DISPLAY": "", "WAYLAND_DISPLAY": ""}

# One program for the screen and the PNG device: lines, fills and text in
# colour, two pages on the screen.
PICTURE = """
k.metafl({dev!r}); k.setpag("da4l"); {before}
k.kalini(); {after}
k.setvlt("RAIN"); k.color("RED"); k.rectan(100, 100, 900, 500)
k.shdpat(16); k.setclr(120); k.recfll(300, 700, 800, 600, 40)
k.linwid(7); k.setclr(200); k.line(0, 2099, 2969, 0)
k.setrgb(0.2, 0.8, 0.4); k.helve(); k.height(80); k.messag("Screen", 1200, 300)
"""


def pixels(path):
    return np.asarray(Image.open(path).convert("RGB"))


# The screen's true colour (clrmod) is the PNG device's imgfmt RGB.
SETTINGS = [("", ""), ('k.clrmod("FULL")', 'k.imgfmt("RGB")'), ('k.aamode("ON")', 'k.aamode("ON")')]


@pytest.mark.parametrize("before,png_before", SETTINGS)
def test_headless_pages_equal_png(run, before, png_before):
    path = run.path
    png = run(PICTURE.format(dev="PNG", before=png_before, after="") + "k.kalfin()\n")
    (path / "kalvor.png").rename(path / "device.png")
    out = run(PICTURE.format(dev="XWIN", before=before, after='k.winmod("DELA"); k.winopt(3600, "DELA")')
              + 'k.newpag(); k.color("BLUE"); k.rectan(10, 10, 50, 50)\n'
              + 'print("FILE", k.getfil(), k.getdsp()); k.kalfin()\n', env=HEADLESS)
    assert "No display" in out and "Warning 101" in out, out
    assert "FILE kalvor.png NONE" in out and "Metafile: kalvor_1.png" in out, out
    assert np.array_equal(pixels(path / "kalvor.png"), pixels(path / "device.png"))
    assert pixels(path / "kalvor_1.png")[10:50, 10:50].any()  # the second page, not the first
    assert "Warning " not in png


def test_headless_names_windows_and_routines(run):
    out = run("""
        k.setfil("plot.png"); k.filmod("DELE"); k.metafl("XWI2"); k.wintit("mine")
        print("BPP", k.getbpp(), k.getscr(), k.winid())
        k.kalini(); print("ID", k.winid(), k.getwin()); k.winfnt("Arial")
        k.clswin(2); k.clswin(3); k.selwin(4); k.opnwin(9)
        k.opnwin(4); k.setclr(255); k.rectan(0, 0, 500, 500); print("ID", k.winid())
        k.selwin(2); k.wintit("main"); k.x11mod("PIXM"); k.clswin(4); k.rimage("w.img")
        k.kalfin(); print("FILE", k.getfil() if k.getlev() else "")
        k.metafl("VIRT"); k.kalini(); k.wintit("x"); k.opnwin(2); k.kalfin()
        """, env=HEADLESS)
    assert "BPP 8 (0, 0) 0" in out and "ID 2 (40, 40, 853, 603)" in out and "ID 4" in out, out
    assert "The Main Window 2 cannot be closed" in out and "Window 3 is not open" in out, out
    assert "Window 4 is not open" in out and "Warning   2" in out, out
    assert "Warning  49" in out, out  # no window, no window fonts
    assert out.count("Warning  56") == 2, out
    files = sorted(p.name for p in run.path.glob("*.png"))
    # window 4 at clswin, then the main window at kalfin: a new version despite DELE
    assert files == ["plot.png", "plot_1.png"], files
    assert pixels(run.path / "plot.png").any() and not pixels(run.path / "plot_1.png").any()
    assert (run.path / "w.img").read_bytes()[:20] == b"!Bitmap KALVOR WIN  "


def test_registered_presenter_receives_pages(run):
    out = run("""
        pages = []
        k._kalvor._set_presenter(lambda *a: pages.append((a[0], a[1], a[2], len(a[3]), a[4])))
        k.metafl("CONS"); k.kalini(); k.setclr(255); k.rectan(0, 0, 100, 100); k.kalfin()
        k._kalvor._set_presenter(None)
        print("PAGES", [p for p in pages if p[4]], len(pages) > 1)
        """, env=HEADLESS)
    assert "PAGES [(1, 853, 603, 1543077, 1)] True" in out, out
    assert "No display" not in out
