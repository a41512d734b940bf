"""Screen windows on a virtual X server (one Xvfb for the module, no window
manager): pictures, titles and the waits of kalfin and newpag."""
import ctypes
import io
import os
import re
import shutil
import signal
import subprocess
import sys
import textwrap
import time

import numpy as np
import pytest
from PIL import Image

from conftest import BUILD_DIR, ROOT

pytestmark = [
    pytest.mark.skipif(not (shutil.which("Xvfb") and shutil.which("xdotool") and shutil.which("import")),
                       reason="needs Xvfb, xdotool and ImageMagick"),
    pytest.mark.skipif(not os.path.exists(os.path.join(BUILD_DIR, "python", "kalvor", "kalvor_gtk.so")),
                       reason="built without the GTK plug-in"),
]


def xvfb():
    """A new X server: (process, display name). It never resets: a server
    resets when its last client leaves, closing any client that connected
    meanwhile, so the next child's gtk_init_check found no display when it
    started just as the last one (or an xdotool) ended."""
    r, w = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                               "-noreset"], pass_fds=(w,), stderr=subprocess.DEVNULL)
    os.close(w)
    with os.fdopen(r) as f:
        number = f.readline().strip()
    assert number.isdigit(), f"Xvfb did not start (exit code {server.poll()})"
    return server, ":" + number


@pytest.fixture(scope="module")
def display():
    server, name = xvfb()
    yield name
    server.terminate()
    server.wait()


CHILDREN = []


@pytest.fixture(autouse=True)
def no_child_left():
    """Ends what a failed test left running: its window would answer the next test's search."""
    yield
    while CHILDREN:
        proc = CHILDREN.pop()
        if proc.poll() is None:
            proc.kill()
            proc.communicate()


class Plot:
    """A child plotting to the display, and the tools that look at it."""

    def __init__(self, display, cwd, code):
        self.env = dict(os.environ, DISPLAY=display, NO_AT_BRIDGE="1", WAYLAND_DISPLAY="")
        self.proc = subprocess.Popen([sys.executable, "-c", "import kalvor as k\n" + textwrap.dedent(code)],
                                     cwd=cwd, env=self.env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.STDOUT)
        CHILDREN.append(self.proc)

    def x(self, *args):
        return subprocess.run(args, env=self.env, capture_output=True, timeout=30).stdout

    def window(self, title):
        """The id of the window whose title contains `title`, once it shows."""
        for _ in range(600):  # 30 s: the machine may be busy
            ids = self.x("xdotool", "search", "--name", title).split()
            if ids:
                return ids[0].decode()
            assert self.proc.poll() is None, self.proc.stdout.read().decode()
            time.sleep(0.05)
        raise AssertionError(f"no window titled {title!r}: " + self.x("xdotool", "search", "--name", "KALVOR").decode())

    def shot(self, w, h):
        png = self.x("import", "-window", "root", "png:-")
        return np.asarray(Image.open(io.BytesIO(png)).convert("RGB"))[:h, :w]

    def key(self, wid, key):
        self.x("xdotool", "windowfocus", "--sync", wid)
        self.x("xdotool", "key", key)

    def click(self, button=3):
        self.x("xdotool", "mousemove", "50", "50", "click", str(button))

    def send(self):
        self.proc.stdin.write(b"\n")
        self.proc.stdin.flush()

    def until(self, cond):
        """Whether cond() holds within 30 s."""
        for _ in range(600):
            if cond():
                return True
            time.sleep(0.05)
        return cond()

    def shown(self, w, h, title="Click MB2 to continue"):
        """The top left w x h pixels of the screen once the window shows, and the output after a click."""
        self.window(title)
        shot = self.shot(w, h)
        self.click()
        return shot, self.output()

    def running_after(self, seconds=0.4):
        time.sleep(seconds)
        return self.proc.poll() is None

    def output(self):
        out = self.proc.communicate(timeout=30)[0].decode()
        assert self.proc.returncode == 0, out
        return out


PICTURE = """
k.metafl({dev!r}); k.winsiz(800, 566); {before}
k.kalini(); k.setvlt("SPEC")
k.color("RED"); k.rectan(100, 100, 900, 500); k.shdpat(16); k.setclr(120); k.recfll(300, 700, 800, 600, 40)
k.linwid(7); k.setclr(200); k.line(0, 2099, 2969, 0); k.setrgb(0.2, 0.8, 0.4); k.helve(); k.height(80)
k.messag("Screen", 1200, 300); {end}
k.kalfin()
"""


def png_of(cwd, code, name):
    subprocess.run([sys.executable, "-c", "import kalvor as k\n" + code], cwd=cwd, check=True, capture_output=True)
    with Image.open(cwd / name) as im:
        pixels = np.asarray(im.convert("RGB"))
    (cwd / name).unlink()   # a later plot writes the same name, not a numbered one
    return pixels


@pytest.mark.parametrize("before,png_before", [("", ""), ('k.clrmod("FULL")', 'k.imgfmt("RGB")'),
                                               ('k.aamode("ON")',) * 2, ('k.scrmod("REVERS")',) * 2])
def test_window_equals_png(display, tmp_path, before, png_before):
    png = png_of(tmp_path, PICTURE.format(dev="PNG", before=png_before, end=""), "kalvor.png")
    plot = Plot(display, tmp_path, PICTURE.format(dev="XWIN", before=before, end="print(k.getdsp(), k.getbpp())"))
    shot, out = plot.shown(800, 566)
    assert np.array_equal(shot, png), np.argwhere((shot != png).any(axis=2))[:5]
    assert ("XWIN 24" if "FULL" in before or "aamode" in before else "XWIN 8") in out


def test_window_fonts(display, tmp_path):
    # winfnt and x11fnt draw the window's own fonts where the text's box is.
    plot = Plot(display, tmp_path, """
        k.metafl("XWIN"); k.winsiz(800, 566); k.kalini(); k.winfnt("Arial Bold"); k.height(80)
        k.messag("Window fonts", 200, 300); print("LEN", k.nlmess("Window fonts"))
        k.x11fnt("Times Italic", "STAN"); k.messag("Times", 200, 800); k.kalfin()""")
    shot, out = plot.shown(800, 566)
    assert "<<<< Warning" not in out, out
    scale = 800 / 2970  # pixels per plot unit
    for top, length in ((300, int(out.split("LEN ")[1].split()[0])), (800, None)):
        ys, xs = np.nonzero(shot[int(top * scale) - 5:int((top + 80) * scale) + 5].any(axis=2))
        assert abs(xs.min() - 200 * scale) < 3 and abs(ys.max() - ys.min() - 80 * scale) < 2.5, (xs.min(), ys)
        if length:
            assert abs(xs.max() - xs.min() - length * scale) < 0.03 * length * scale


def test_window_two_in_place(display, tmp_path):
    plot = Plot(display, tmp_path, """
        k.metafl("XWIN"); k.winsiz(400, 300); k.kalini(); k.recfll(0, 0, 2970, 2100, 255)
        k.opnwin(2); k.recfll(0, 0, 2970, 2100, 50); print(k.winid(), k.getscr())
        k.kalfin()""")
    shot, out = plot.shown(440, 340, "KALVOR 2 / Click MB2")
    assert "2 (1280, 1024)" in out
    import kalvor as k   # entry 50 of the colour table, as the PNG device draws it
    k.metafl("VIRT"); k.kalini(); spec50 = np.round(np.array(k.getind(50)) * 255).astype(np.uint8); k.kalfin()
    assert (shot[20, 20] == 255).all() and (shot[140, 240] == spec50).all()


# winmod, winkey, the title at kalfin, what does not end the wait, what ends it
WAITS = [
    ("FULL", "NONE", "KALVOR 1 / Click MB2 to continue ...", "click 1", "click 3"),
    ("NOER", "RETU", "KALVOR 1 / Click MB2 or RETURN to continue ...", "key Escape", "key Return"),
    ("NOMB", "ESCA", "KALVOR 1 / Press ESC to continue ...", "click 3", "key Escape"),
    ("NOMB", "RETU", "KALVOR 1 / Press RETURN to continue ...", "key space", "key KP_Enter"),
    ("FULL", "ESCA", "KALVOR 1 / Click MB2 or ESC to continue ...", "key Return", "sendmb"),
    ("NOMB", "NONE", "KALVOR 1", "click 3", "close"),
]


@pytest.mark.parametrize("mode,key,title,wrong,right", WAITS)
def test_waits(display, tmp_path, mode, key, title, wrong, right):
    plot = Plot(display, tmp_path, f"""
        import sys, threading
        k.metafl("XWIN"); k.winsiz(300, 200); k.kalini(); k.winmod({mode!r}); k.winkey({key!r})
        threading.Thread(target=lambda: sys.stdin.readline() and k.sendmb()).start()
        k.kalfin(); print("DONE")""")
    wid = plot.window("KALVOR 1")
    assert plot.until(lambda: plot.x("xdotool", "getwindowname", wid).decode().strip() == title)
    for action in (wrong, right):
        if action.startswith("click"):
            plot.click(int(action[-1]))
        elif action.startswith("key"):
            plot.key(wid, action[4:])
        elif action == "close":
            plot.x("xdotool", "windowclose", wid)
        elif action == "sendmb":
            plot.send()
        if action == wrong:
            assert plot.running_after(), plot.output()
    assert "DONE" in plot.output()


def test_newpag_delay_sendmb_and_ctrl_c(display, tmp_path):
    plot = Plot(display, tmp_path, """
        import threading, time
        k.metafl("XWIN"); k.winsiz(300, 200); k.kalini()
        k.newpag(); print("PAGE 2")
        k.winmod("DELA"); k.winopt(1, "DELA"); t = time.time(); k.newpag(); print("DELAY", round(time.time() - t))
        k.winmod("FULL"); threading.Timer(0.5, k.sendmb).start(); k.newpag(); print("SENT")
        try:
            k.kalfin()
        except KeyboardInterrupt:
            print("INTERRUPTED", k.getlev())""")
    plot.window("Click MB2 for next page")
    assert plot.running_after()
    plot.click()
    plot.window("Click MB2 to continue")
    plot.proc.send_signal(signal.SIGINT)
    out = plot.output()
    assert out.startswith("PAGE 2\nDELAY 1\nSENT\n") and out.rstrip().endswith("<<\n\nINTERRUPTED 0"), out


def test_file_plots_load_no_gtk_and_default_window_geometry(display, tmp_path):
    out = Plot(display, tmp_path, """
        gtk = lambda: "libgtk-3" in open("/proc/self/maps").read()
        k.metafl("PNG"); k.kalini(); k.kalfin(); print(gtk(), k.getdsp(), gtk())
        for dev, page in (("XWIN", "da4l"), ("XWND", "da4l"), ("XWI3", "da4p")):
            k.metafl(dev); k.setpag(page); k.kalini(); k.winmod("NONE"); print(dev, k.getwin())
            k.errmod("PROT", "OFF"); k.kalfin()""").output()
    assert "False XWIN True\n" in out  # getdsp asks the display: the plug-in loads then
    # two thirds of the 1280 x 1024 screen with the page's aspect; XWND the whole width
    # less the frame; window n moved by 40 (n - 1) each way
    assert "XWIN (0, 0, 853, 603)\nXWND (0, 0, 1272, 899)\nXWI3 (80, 80, 483, 683)" in out, out


def test_none_leaves_the_window_until_the_next_kalini(display, tmp_path):
    plot = Plot(display, tmp_path, """
        import sys
        k.metafl("XWIN"); k.winsiz(300, 200); k.kalini(); k.winmod("NONE"); k.kalfin()
        sys.stdin.readline(); k.metafl("PNG"); k.kalini(); k.kalfin(); sys.stdin.readline()""")
    wid = plot.window("KALVOR 1")
    assert plot.until(lambda: plot.x("xdotool", "getwindowname", wid).strip() == b"KALVOR 1") and plot.running_after()
    plot.send()
    assert plot.until(lambda: not plot.x("xdotool", "search", "--name", "KALVOR"))
    plot.send()
    plot.output()


GALLERY = """
import sys
sys.path.insert(0, {examples!r})
import gallery
name, _, _, _, draw, setup = next(e for e in gallery.load_examples() if e[0] == {name!r})
k.clrmod("FULL")
gallery.plot(draw, {dev!r}, "page.png", setup)
"""


@pytest.mark.parametrize("name", ["01_linear_axes", "08_figures", "14_colours"])
def test_gallery_pages_in_windows_equal_their_pngs(display, tmp_path, name):
    examples = os.path.join(ROOT, "examples")
    png = png_of(tmp_path, GALLERY.format(examples=examples, name=name, dev="PNG"), "page.png")
    shot, _ = Plot(display, tmp_path, GALLERY.format(examples=examples, name=name, dev="XWIN")).shown(*png.shape[1::-1])
    assert np.array_equal(shot, png), np.argwhere((shot != png).any(axis=2))[:5]


def test_protocol_box_and_display_killed_mid_wait(tmp_path):
    # A windowed program's end protocol is a message box; a display that dies while kalfin waits
    # leaves the process running, the page going to the headless PNG file; with no display the
    # protocol returns to the stream.
    device = png_of(tmp_path, PICTURE.format(dev="PNG", before="", end=""), "kalvor.png")
    server, name = xvfb()
    try:
        plot = Plot(name, tmp_path, textwrap.dedent("""
            k.winapp("WIND"); k.metafl("XWIN"); k.winsiz(300, 200); k.kalini(); k.winmod("NONE"); k.kalfin()
            print("BOX CLOSED", flush=True); k.winapp("CONS")
            """) + PICTURE.format(dev="XWIN", before="", end="") + textwrap.dedent("""
            print("AFTER", k.getdsp()); k.winapp("WIND"); k.metafl("PNG"); k.setfil("second.png"); k.kalini()
            k.kalfin()"""))
        box = plot.window("^KALVOR$")
        assert plot.running_after()
        plot.key(box, "Return")
        plot.window("Click MB2 to continue")
        assert plot.proc.stdout.readline() == b"BOX CLOSED\n"
    finally:
        server.kill()
        server.wait()
    out = plot.output()
    assert "101: The display was lost" in out and "AFTER NONE" in out, out
    assert np.array_equal(np.asarray(Image.open(tmp_path / "kalvor.png").convert("RGB")), device)
    # the window form once: the box's protocol went to the box only
    assert out.count("Fileformat  :") == 1 and "Metafile     : second.png" in out, out


def cursor_image(display):
    """The pointer's shape as the X server shows it (XFixes): hot spot, size, pixels."""
    x11, xfixes = ctypes.CDLL("libX11.so.6"), ctypes.CDLL("libXfixes.so.3")

    class Image(ctypes.Structure):
        _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short)] + [
            (f, ctypes.c_ushort) for f in ("width", "height", "xhot", "yhot")] + [
            ("serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong))]
    x11.XOpenDisplay.restype = ctypes.c_void_p
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(Image)
    d = ctypes.c_void_p(x11.XOpenDisplay(display.encode()))
    p = xfixes.XFixesGetCursorImage(d)
    im = p.contents
    got = (im.xhot, im.yhot, im.width, im.height, bytes(ctypes.string_at(im.pixels, 8 * im.width * im.height)))
    x11.XFree(p)
    x11.XCloseDisplay(d)
    return got


def test_cursor_clicks_drags_and_position(display, tmp_path):
    # A4 landscape (2970 plot units) in a window 594 pixels wide: 5 units a pixel.
    plot = Plot(display, tmp_path, """
        import sys
        def step(name):
            print(name, flush=True); sys.stdin.readline()
        k.metafl("XWIN"); k.winsiz(594, 420); k.kalini()
        print(k.getxid("WINDOW"))
        step("ONE"); print(k.csrpt1())
        xs, ys = [0] * 5, [0] * 5
        k.csrmod("SYMB", "POINT"); k.csrmod("LINE", "LINE")
        step("POINTS"); n = k.csrpts(xs, ys, 5); print(n, xs[:n], ys[:n])
        step("DRAG"); n = k.csrmov(xs, ys, 5); print(n, xs[:n], ys[:n])
        k.axspos(500, 1500); k.axslen(1001, 1001); k.graf(0, 10, 0, 1, 0, 10, 0, 1); k.csruni("USER")
        k.csrtyp("CROSS"); step("USER"); print(k.csrpt1())
        step("POS"); print(k.csrpos(2, 3))   # once the click's release has come
        k.winmod("NONE"); k.kalfin(); print("LEFT", k.getxid("WINDOW"))
        k.metafl("PNG"); k.kalini(); print("PNG", k.getxid("WINDOW")); k.kalfin()""")
    wid = plot.window("KALVOR")
    assert plot.proc.stdout.readline().decode().strip() == wid   # getxid: the X window that xdotool finds
    plot.x("xdotool", "mousemove", "1000", "900")
    outside = cursor_image(display)

    def when(name, *actions):
        assert plot.proc.stdout.readline().decode().strip() == name
        plot.send()
        time.sleep(0.5)   # the call is waiting
        for a in actions:
            plot.x("xdotool", *a.split())

    def numbers():   # the next line's numbers
        return [int(v) for v in re.findall(r"-?\d+", plot.proc.stdout.readline().decode())]

    def near(got, want):   # within a pixel (5 units)
        return len(got) == len(want) and all(abs(g - w) <= 5 for g, w in zip(got, want))

    move = lambda x, y: f"mousemove --window {wid} {x} {y}"
    when("ONE", move(100, 50))
    arrow = cursor_image(display)
    plot.x("xdotool", "click", "1")
    assert near(numbers(), [500, 250])
    when("POINTS", move(100, 100), "click 1", move(200, 100), "click 2", "click 1", move(5, 5), "click 3")
    assert near(numbers(), [2, 500, 1000, 500, 500])
    when("DRAG", move(10, 10), "mousedown 1", move(50, 10), move(90, 12), "mouseup 1")
    got = numbers()
    n = got[0]
    assert n >= 2 and near(got[n:n + 1] + got[-1:], [450, 60])
    when("USER", move(200, 200))
    cross = cursor_image(display)
    plot.x("xdotool", "click", "1")
    assert plot.proc.stdout.readline().decode().strip() == "(5, 5)"
    when("POS")
    assert plot.proc.stdout.readline().decode().strip() == "(2, 3, 0)"
    out = plot.proc.stdout.read().decode()   # what readline left; output() reads the pipe only
    plot.output()
    assert f"LEFT {wid}" in out and "PNG 0" in out, out   # a window left by NONE still counts
    # The window's own pointer, not the root's: an arrow (hot spot at its tip), then csrtyp's cross
    # hair (hot spot in the middle).
    assert arrow[4] != outside[4] and arrow[0] < arrow[2] / 4 and arrow[1] < arrow[3] / 4, arrow[:4]
    assert cross[4] != outside[4] and abs(cross[0] - cross[2] / 2) <= 1 and abs(cross[1] - cross[3] / 2) <= 1
