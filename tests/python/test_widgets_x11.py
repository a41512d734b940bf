"""Dialog widgets on a virtual X server: one child runs every scenario (GTK starts once) while a
second thread acts as the user through kalvor._testing and real X events (xdotool)."""
import json
import os
import subprocess
import sys

import pytest
from PIL import Image

from test_screen_x11 import pytestmark, xvfb   # the same needs: Xvfb, xdotool, ImageMagick, the GTK plug-in

SCENARIOS = r'''
import json, os, signal, subprocess, sys, threading, time
import kalvor as k

R = {}
MAIN = threading.get_ident()
T = k._testing

def x(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True, timeout=10)

def click(rect):
    x("mousemove", rect[0] + rect[2] // 2, rect[1] + rect[3] // 2, "click", 1)

def shot(name, rect):
    subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (rect[2], rect[3], rect[0], rect[1]),
                    name], check=True, timeout=20)

def destroy():                              # another X client destroys the one window shown
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^KALVOR$"], capture_output=True,
                         timeout=10).stdout.split()
    assert len(ids) == 1, ids
    x("windowclose", ids[0].decode())

def user(fn):
    def run():
        try:
            assert T("shown", 10), "no dialog on the screen"
            fn()
        except BaseException as e:
            import traceback; traceback.print_exc()
            R.setdefault("user_errors", []).append(repr(e))
            T("act", 0, "close")
    t = threading.Thread(target=run)
    t.start()
    return t

# ---- every kind: values shown, changed by the user, callbacks ----
fired = []
ip = k.wgini("VERT")
b = k.wgbut(ip, "Check", 0); r = k.wgbox(ip, "x|y|z", 1); l = k.wglis(ip, "a|b|c", 0); d = k.wgdlis(ip, "p|q|r", 1)
t = k.wgtxt(ip, "start"); lt = k.wgltxt(ip, "Name", "Ann", 30); f = k.wgfil(ip, "File", "in.dat", "*.dat")
s = k.wgscl(ip, "Scale", 0, 10, 5, 1); p = k.wgpbut(ip, "Push"); dr = k.wgdraw(ip)
m = k.wgpop(ip, "Menu"); e = k.wgapp(m, "Entry")
ina = k.wgpbut(ip, "Inactive"); k.swgatt(ina, "INAC", "STAT")
inv = k.wgpbut(ip, "Invisible"); k.swgatt(inv, "INVI", "STAT")
ok = k.wgok(ip)
def cb(i, data):
    fired.append([i, data, threading.get_ident() == MAIN])
    if i == b:
        k.swgtxt(t, "set in callback")      # shown, fires nothing
        k.swgbut(b, 1)
for w in (b, r, l, d, t, lt, f, s, p, dr, e, ina):
    k.swgcb(w, cb, "w%d" % w)
shown = {}
def kinds():
    shown["inv"] = T("rect", inv)
    acts = [T("act", b, "click"), T("act", r, "select", 3), T("act", l, "select", 2), T("act", d, "select", 3),
            T("act", t, "text", "typed"), T("act", t, "activate"), T("act", lt, "text", "Bea"),
            T("act", f, "chosen", "/tmp/x.dat"), T("act", s, "set", "7.5"), T("act", p, "click"),
            T("act", dr, "press"), T("act", e, "click")]
    shown.update(inactive_act=T("act", ina, "click"), acts=acts)
    time.sleep(0.3)
    click(T("rect", ok))                    # a real click
th = user(kinds); k.wgfin(); th.join()
R["kinds"] = dict(shown, fired=fired, values=[k.gwgbut(b), k.gwgbox(r), k.gwglis(l), k.gwglis(d), k.gwgtxt(t),
                  k.gwgtxt(lt), k.gwgfil(f), k.gwgscl(s)])

# ---- OK, Quit, the menu's Quit and closing (Quit, or OK after swgopt CLOS) run their button's callback ----
R["ends"] = []
for act, clos in (("quit", "QUIT"), ("ok", "QUIT"), ("menu", "QUIT"), ("close", "QUIT"), ("close", "OK"),
                  ("destroy", "OK")):
    got = []
    k.swgopt(clos, "CLOS")
    ip = k.wgini("VERT"); q = k.wgquit(ip); o = k.wgok(ip); tx = k.wgtxt(ip, "")
    k.swgcbk(q, lambda i: got.append(["quit", i == q])); k.swgcbk(o, lambda i: got.append(["ok", i == o]))
    how = {"quit": (q, "click"), "ok": (o, "click"), "menu": (0, "menu", "_Quit"), "close": (0, "close")}.get(act)
    th = user(lambda: (T("act", tx, "text", act), destroy() if act == "destroy" else T("act", *how)))
    k.wgfin(); th.join()
    R["ends"].append(got + [k.gwgtxt(tx)])
k.swgopt("QUIT", "CLOS")

# ---- layouts, colours and a Latin-1 label ----
k.swgwth(120)
ip = k.wgini("VERT")
v1 = k.wglab(ip, "first"); v2 = k.wglab(ip, "second")
h = k.wgbas(ip, "HORI"); h1 = k.wgpbut(h, "left"); h2 = k.wgpbut(h, "right")
k.swgclr(1.0, 0.0, 0.0, "BACK"); k.swgclr(1.0, 1.0, 1.0, "FORE")
red = k.wglab(ip, "Gr\xfc\xdfe \xe0 la cr\xe8me")
k.swgclr(0.0, 0.0, 1.0, "BACK")
frm = k.wgbas(ip, "FORM")
k.swgpos(40, 10); k.swgsiz(100, 40); f1 = k.wgpbut(frm, "at 40,10")
k.swgpos(5, 60); k.swgsiz(150, 40); f2 = k.wgpbut(frm, "at 5,60")
k.swgclr(0.0, 0.0, 0.0, "BACK"); k.swgclr(0.0, 0.0, 0.0, "FORE")
def layouts():
    R["layout"] = {n: T("rect", w) for n, w in dict(v1=v1, v2=v2, h1=h1, h2=h2, red=red, frm=frm, f1=f1,
                                                        f2=f2).items()}
    shot("red.png", T("rect", red))
    T("act", 0, "menu", "_Quit")
th = user(layouts); k.wgfin(); th.join()
k.swgwth(300)

# ---- typing into the focused field, Return firing its callback ----
typed = []
ip = k.wgini("VERT"); k.wglab(ip, "Type"); t = k.wgtxt(ip, ""); ok = k.wgok(ip)
k.swgfoc(t); k.swgcbk(t, lambda i: typed.append(k.gwgtxt(i)))
def typing():
    rect = T("rect", t)
    x("mousemove", rect[0] + 5, rect[1] + 5); x("type", "--delay", 20, "hello"); x("key", "Return")
    time.sleep(0.3); click(T("rect", ok))
th = user(typing); k.wgfin(); th.join()
R["typing"] = {"fired": typed, "value": k.gwgtxt(t)}

# ---- questions: typed text, Return, Escape, a typed path ----
open("chosen.dat", "w").close()
def keys(*names):
    def run():
        rect = T("rect", 0)
        x("mousemove", rect[0] + rect[2] // 2, rect[1] + 5)
        time.sleep(0.6)                     # the file chooser reads its folder first
        for n in names:
            x(*(("type", "--delay", 20, n[5:]) if n.startswith("type:") else ("key", n)))
            time.sleep(0.3)
        if T("shown", 0.2):                 # never left hanging
            R.setdefault("unanswered", []).append(names)
            T("act", 0, "close")
    return run
th = user(keys("ctrl+a", "type:Zoe", "Return")); R["dwgtxt"] = k.dwgtxt("Name?", "Ann"); th.join()
th = user(keys("Return")); R["dwgbut_return"] = k.dwgbut("Yes?", 1); th.join()
th = user(keys("Escape")); R["dwgbut_escape"] = k.dwgbut("No?", 0); th.join()
th = user(destroy); R["dwgbut_destroyed"] = k.dwgbut("Gone?", 1); th.join()
open("first.dat", "w").close()   # the chooser starts in its folder, where a name is typed
th = user(keys("type:chosen.dat", "Return")); R["dwgfil"] = k.dwgfil("Open", os.path.abspath("first.dat"), "*.dat")
th.join()
th = user(lambda: (T("act", 0, "select", 3), T("act", 0, "ok"))); R["dwglis"] = k.dwglis("Pick", "a|b|c", 1)
th.join()

# ---- threads: Python runs during wgfin; sendok from another thread ----
ticks = []
ip = k.wgini("VERT"); k.wglab(ip, "waiting")
def ticker():
    for _ in range(5):
        ticks.append(1); time.sleep(0.05)
    k.sendok()
th = user(ticker); k.wgfin(); th.join()
R["sendok_ticks"] = len(ticks)

# ---- Ctrl-C in wgfin and in dwgbut ----
def interrupted(call):
    def kill():
        assert T("shown", 10)
        R.setdefault("sent", []).append(time.time())
        os.kill(os.getpid(), signal.SIGINT)
    th = threading.Thread(target=kill); th.start()
    try:
        call(); return None
    except KeyboardInterrupt:
        return time.time()
    finally:
        th.join()
ip = k.wgini("VERT"); k.wglab(ip, "Ctrl-C me")
end1 = interrupted(k.wgfin)
end2 = interrupted(lambda: k.dwgbut("Ctrl-C me", 1))
R["sigint"] = [end1 and end1 - R["sent"][0], end2 and end2 - R["sent"][1]]
T("shown", 0.5)
R["sigint_left_open"] = T("rect", 0)

# ---- callback exceptions; SystemExit ends the dialog; nothing leaks into the next one ----
ip = k.wgini("VERT"); bad = k.wgpbut(ip, "raise"); good = k.wgpbut(ip, "fine"); ok = k.wgok(ip)
calls = []
def raiser(i):
    calls.append("raised"); raise ZeroDivisionError("in callback")
k.swgcbk(bad, raiser); k.swgcbk(good, lambda i: calls.append("first"))
k.swgcbk(good, lambda i: calls.append("later"))     # the later one wins
def exceptions():
    T("act", bad, "click"); T("act", good, "click"); time.sleep(0.3); T("act", ok, "click")
th = user(exceptions); k.wgfin(); th.join()
ip = k.wgini("VERT"); quit_ = k.wgpbut(ip, "exit"); other = k.wgpbut(ip, "same ids")
def exiting(i):
    calls.append("exit"); raise SystemExit(3)
k.swgcbk(quit_, exiting)
th = user(lambda: T("act", quit_, "click"))
try:
    k.wgfin(); R["system_exit"] = None
except SystemExit as e:
    R["system_exit"] = e.code
th.join()
ip = k.wgini("VERT"); k.wgpbut(ip, "a"); k.wgpbut(ip, "b"); ok = k.wgok(ip)   # ids 1, 2 again, no callbacks
th = user(lambda: (T("act", 1, "click"), T("act", 2, "click"), time.sleep(0.3), T("act", ok, "click")))
k.wgfin(); th.join()
R["exceptions"] = calls

# ---- a plot into a drawing widget from a callback ----
ip = k.wgini("VERT"); dr = k.wgdraw(ip); pb = k.wgpbut(ip, "plot"); ok = k.wgok(ip)
def plot(i):
    k.setxid(dr, "WIDG"); k.metafl("CONS"); k.kalini()
    k.recfll(0, 0, 3000, 2200, k.intrgb(1.0, 0.0, 0.0)); window = k.getxid("WIND"); k.kalfin()
    R["xids"] = [k.gwgxid(dr), k.getxid("WIDG"), k.gwgxid(pb) == k.gwgxid(0), window]
k.swgcbk(pb, plot)
def plotting():
    T("act", pb, "click"); time.sleep(1.0); shot("drawn.png", T("rect", dr)); T("act", ok, "click")
th = user(plotting); k.wgfin(); th.join()
R["after_plot"] = k.getlev()

# ---- two thrini threads in dialogs at once; thrfin waits for them ----
k.thrini(4)
values = {}
def dialog(name):
    ip = k.wgini("VERT"); k.swgtit(name); tx = k.wgtxt(ip, name)
    k.wgfin(); values[name] = k.gwgtxt(tx)
threads = [threading.Thread(target=dialog, args=(n,)) for n in ("one", "two")]
for th in threads:
    th.start(); time.sleep(0.5)
assert T("shown", 10)
T("act", 1, "text", "changed"); T("act", 0, "close")
time.sleep(0.3); assert T("shown", 10)
T("act", 1, "text", "also"); T("act", 0, "close")
for th in threads:
    th.join()
R["threads"] = values
def late():
    ip = k.wgini("VERT"); k.wglab(ip, "thrfin waits"); k.wgfin()
th = threading.Thread(target=late); th.start()
assert T("shown", 10)
closer = threading.Timer(0.5, lambda: T("act", 0, "close")); closer.start()
start = time.time(); k.thrfin(); R["thrfin_waited"] = time.time() - start
th.join(); closer.join()
print("RESULT " + json.dumps(R))
'''


@pytest.fixture(scope="module")
def session(tmp_path_factory):
    where = tmp_path_factory.mktemp("widgets_x11")
    server, name = xvfb()
    env = dict(os.environ, DISPLAY=name, NO_AT_BRIDGE="1", WAYLAND_DISPLAY="", PYTHONIOENCODING="latin-1")
    try:
        proc = subprocess.run([sys.executable, "-c", SCENARIOS], cwd=where, env=env, capture_output=True,
                              timeout=240)
    finally:
        server.terminate()
        server.wait()
    out, err = proc.stdout.decode("latin-1"), proc.stderr.decode(errors="replace")
    lines = [line for line in out.splitlines() if line.startswith("RESULT ")]
    assert proc.returncode == 0 and lines, out[-3000:] + err[-3000:]
    result = json.loads(lines[-1][7:])
    assert "user_errors" not in result, err[-3000:]
    return result, where, out, err


def test_every_kind(session):
    r = session[0]["kinds"]
    assert r["inv"] is None and r["inactive_act"] is False and all(r["acts"])
    ids = [f[0] for f in r["fired"]]
    # One callback each (the button's own setter call fires nothing), on wgfin's thread.
    assert ids == [1, 2, 3, 4, 5, 7, 8, 9, 10, 12]
    assert all(f[2] for f in r["fired"]) and r["fired"][0][1] == "w1"
    assert r["values"] == [1, 3, 2, 3, "typed", "Bea", "/tmp/x.dat", 7.5]
    # Whatever ends the dialog keeps the values and runs the callback of the button it counts as.
    assert session[0]["ends"] == [[["quit", True], "quit"], [["ok", True], "ok"], [["quit", True], "menu"],
                                  [["quit", True], "close"], [["ok", True], "close"], [["ok", True], "destroy"]]


def test_layouts_and_colours(session):
    lay, where = session[0]["layout"], session[1]
    assert lay["v1"][1] < lay["v2"][1] and lay["v1"][0] == lay["v2"][0]
    assert lay["h1"][0] < lay["h2"][0] and lay["h1"][1] == lay["h2"][1]
    rel = [[w[0] - lay["frm"][0], w[1] - lay["frm"][1], w[2], w[3]] for w in (lay["f1"], lay["f2"])]
    assert rel == [[40, 10, 100, 40], [5, 60, 150, 40]]
    with Image.open(where / "red.png") as im:
        colours = im.convert("RGB").getcolors(100000)
    # A red label with white (anti-aliased) text on it.
    assert max(colours)[1] == (255, 0, 0)
    assert any(c[1][0] > 240 and c[1][1] > 240 for c in colours)


def test_real_keys_and_clicks(session):
    r = session[0]
    assert r["typing"] == {"fired": ["hello"], "value": "hello"} and "unanswered" not in r
    assert [r[n] for n in ("dwgtxt", "dwgbut_return", "dwgbut_escape", "dwgbut_destroyed", "dwgfil", "dwglis")] == \
        ["Zoe", 1, 0, 1, str(session[1] / "chosen.dat"), 3]


def test_threads_and_interrupts(session):
    r = session[0]
    assert r["sendok_ticks"] == 5
    assert all(t is not None and t < 0.5 for t in r["sigint"]), r["sigint"]
    assert r["sigint_left_open"] is None
    assert r["threads"] == {"one": "also", "two": "changed"}
    assert r["thrfin_waited"] >= 0.4


def test_callback_exceptions(session):
    r, err = session[0], session[3]
    assert r["exceptions"] == ["raised", "later", "exit"] and r["system_exit"] == 3
    assert "ZeroDivisionError: in callback" in err and "Traceback" in err


def test_plot_in_a_drawing_widget(session):
    r, where = session[0], session[1]
    assert r["xids"][0] > 0 and r["xids"][0] == r["xids"][1] == r["xids"][3] and r["xids"][2] and r["after_plot"] == 0
    with Image.open(where / "drawn.png") as im:
        assert im.convert("RGB").getpixel((10, 10)) == (255, 0, 0)
