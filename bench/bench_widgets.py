"""Dialog widgets: a form of 50 widgets from its first call to the moment
it is on the screen, by kalvor (wgini ... wgfin), by PyGObject GTK 3 and by
matplotlib's widgets (GTK3Agg), on one virtual X server; and the item list
routines itmcat and itmstr over 10,000 items.

    PYTHONPATH=build/<dir>/python python3 bench/bench_widgets.py [RUNS]

Each dialog is built RUNS times (default 7), each in a fresh process, so
that the toolkit's start counts once per run as it does for a program; the
table gives the medians. The peers run with /usr/bin/python3 (python3-gi,
python3-matplotlib) and are left out when missing.
"""
import os
import shutil
import statistics
import subprocess
import sys
import time

RUNS = int(sys.argv[1]) if len(sys.argv) > 1 else 7

# Each prints the seconds from its first toolkit call to the mapped window.
KALVOR = r'''
import threading, time, kalvor as k
t0 = time.perf_counter()
def watch():
    assert k._testing("shown", 20)
    print(time.perf_counter() - t0)
    k.sendok()
threading.Thread(target=watch).start()
ip = k.wgini("VERT")
for i in range(10):
    k.wglab(ip, "Label %d" % i); k.wgbut(ip, "Check %d" % i, i % 2); k.wgtxt(ip, "text %d" % i)
    k.wgscl(ip, "Scale %d" % i, 0, 100, 50, 0); k.wgdlis(ip, "a|b|c", 1)
k.wgfin()
'''

PYGOBJECT = r'''
import time
t0 = time.perf_counter()
import gi
gi.require_version("Gtk", "3.0")
from gi.repository import Gtk
w = Gtk.Window(title="bench")
box = Gtk.Box(orientation=Gtk.Orientation.VERTICAL, spacing=10)
w.add(box)
for i in range(10):
    box.pack_start(Gtk.Label(label="Label %d" % i), False, False, 0)
    c = Gtk.CheckButton(label="Check %d" % i); c.set_active(i % 2); box.pack_start(c, False, False, 0)
    e = Gtk.Entry(); e.set_text("text %d" % i); box.pack_start(e, False, False, 0)
    s = Gtk.Scale.new_with_range(Gtk.Orientation.HORIZONTAL, 0, 100, 1); s.set_value(50)
    box.pack_start(s, False, False, 0)
    d = Gtk.ComboBoxText()
    for t in "abc":
        d.append_text(t)
    d.set_active(0); box.pack_start(d, False, False, 0)
def mapped(*a):
    print(time.perf_counter() - t0)
    Gtk.main_quit()
w.connect("map-event", mapped)
w.show_all()
Gtk.main()
'''

MATPLOTLIB = r'''
import time
t0 = time.perf_counter()
import matplotlib
matplotlib.use("GTK3Agg")
import matplotlib.pyplot as plt
from matplotlib.widgets import CheckButtons, RadioButtons, Slider, TextBox
fig = plt.figure(figsize=(4, 12))
keep = []
for i in range(10):
    y = 0.95 - i * 0.095
    fig.text(0.05, y, "Label %d" % i)
    keep.append(CheckButtons(fig.add_axes([0.05, y - 0.02, 0.4, 0.018]), ["Check %d" % i], [bool(i % 2)]))
    keep.append(TextBox(fig.add_axes([0.5, y - 0.02, 0.4, 0.018]), "", initial="text %d" % i))
    keep.append(Slider(fig.add_axes([0.2, y - 0.045, 0.6, 0.015]), "Scale %d" % i, 0, 100, valinit=50))
    keep.append(RadioButtons(fig.add_axes([0.05, y - 0.09, 0.4, 0.04]), ["a", "b", "c"]))
def drawn(event):
    print(time.perf_counter() - t0)
    plt.close("all")
fig.canvas.mpl_connect("draw_event", drawn)
plt.show()
'''


def xvfb():
    r, w = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                              pass_fds=(w,), stderr=subprocess.DEVNULL)
    os.close(w)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(r, 16)
        if not chunk:
            break
        number += chunk
    os.close(r)
    return server, ":" + number.decode().strip()


def dialog_times(python, code, env):
    times = []
    for _ in range(RUNS):
        p = subprocess.run([python, "-c", code], env=env, capture_output=True, timeout=120)
        lines = [line for line in p.stdout.decode().split() if line.replace(".", "").isdigit()]
        if p.returncode != 0 or not lines:
            return None
        times.append(float(lines[0]))
    return statistics.median(times)


def item_lists():
    import kalvor as k
    t0 = time.perf_counter()
    text = ""
    for i in range(10000):
        text = k.itmcat(text, "item%d" % i)
    t1 = time.perf_counter()
    n = k.itmcnt(text)
    for i in range(1, n + 1):
        k.itmstr(text, i)
    t2 = time.perf_counter()
    return t1 - t0, t2 - t1


def main():
    cat, get = item_lists()
    print(f"itmcat, 10,000 items one by one: {cat * 1000:8.1f} ms")
    print(f"itmstr, each of 10,001 items:    {get * 1000:8.1f} ms")
    if not shutil.which("Xvfb"):
        print("no Xvfb: no dialogs")
        return
    server, display = xvfb()
    env = dict(os.environ, DISPLAY=display, NO_AT_BRIDGE="1", WAYLAND_DISPLAY="")
    try:
        rows = [("kalvor (wgini ... shown)", sys.executable, KALVOR),
                ("PyGObject GTK 3", "/usr/bin/python3", PYGOBJECT),
                ("matplotlib widgets (GTK3Agg)", "/usr/bin/python3", MATPLOTLIB)]
        print(f"50-widget dialog, median of {RUNS} processes, first call to shown:")
        for name, python, code in rows:
            t = dialog_times(python, code, env)
            print(f"  {name:30s} " + ("missing" if t is None else f"{t * 1000:8.1f} ms"))
    finally:
        server.terminate()
        server.wait()


if __name__ == "__main__":
    main()
