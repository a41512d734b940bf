"""Dialog widgets without a display, item lists and the binding's callback registry."""
import os
import subprocess
import sys
import textwrap

import pytest


HEADLESS = {"DISPLAY": "", "WAYLAND_DISPLAY": ""}


def child(tmp_path, code, stdin=None):
    proc = subprocess.run([sys.executable, "-c", "import kalvor as k\n" + textwrap.dedent(code)], cwd=tmp_path,
                          env={**os.environ, **HEADLESS, "PYTHONIOENCODING": "latin-1"}, input=stdin, capture_output=True,
                          timeout=60)
    assert proc.returncode == 0, proc.stderr.decode(errors="replace")
    return proc.stdout.decode("latin-1")


def test_item_lists():
    import kalvor as k
    assert [k.itmcnt(s) for s in ("", "a", "a|b|c", "||", "ä|ö")] == [1, 1, 3, 3, 2]
    assert [k.itmstr("a||c", i) for i in (1, 2, 3)] == ["a", "", "c"]
    assert [k.itmcat("", "x"), k.itmcat("a|b", "é"), k.itmcat(k.itmcat("a", ""), "c")] == ["|x", "a|b|é", "a||c"]
    with pytest.raises(TypeError):
        k.itmcat(None, "x")


# A widget program without a display: wgfin returns at once, the values are
# those the program gave, callbacks never run.
PROGRAM = """
    fired = []
    ip = k.wgini("VERT")
    box = k.wgbas(ip, "HORI")
    b = k.wgbut(box, "Check", 1)
    r = k.wgbox(box, "x|y|z", 2)
    l = k.wglis(ip, "a|b|c", 0)
    d = k.wgdlis(ip, "a|b|c", 3)
    s = k.wgscl(ip, "Scale", -1, 1, 0.25, 2)
    t = k.wgltxt(ip, "Name", "Grüße", 40)
    f = k.wgfil(ip, "File", "in.dat", "*.dat")
    log = k.wgstxt(ip, 3, 2)
    lab = k.wglab(ip, "Label")
    k.wgok(ip)
    for w in (b, r, l, d, s, t, f):
        k.swgcbk(w, lambda i: fired.append(i))
    for line in ("one", "two", "three"):
        k.swgtxt(log, line)
    k.swgatt(d, "p|q", "LIST")     # selection 3 is out of range: 1
    k.swgatt(r, "u|v|w|x", "LIST")  # selection 2 stays
    k.swgatt(lab, "INAC", "STAT")
    k.swgscl(s, 0.5)
    k.wgfin()
    print("values", k.gwgbut(b), k.gwgbox(r), k.gwglis(l), k.gwglis(d), k.gwgscl(s), repr(k.gwgtxt(t)),
          k.gwgfil(f), repr(k.gwgtxt(log)), k.gwgatt(lab, "STAT"), k.gwgatt(b, "STAT"), fired)
    k.sendok()
    k.wgini("FORM"); k.wgfin()
    print("after sendok")
"""


def test_widget_program_headless(tmp_path):
    out = child(tmp_path, PROGRAM)
    assert "values 1 2 0 1 0.5 'Grüße' in.dat 'two\\nthree' 1 0 []" in out
    assert ">>>>" not in out
    assert "after sendok" in out


def test_questions_headless(tmp_path):
    out = child(tmp_path, """
        print(k.dwgbut("Go on?", 0), k.dwglis("Pick", "red|green|blue", 2), k.dwgtxt("Name", "Ann"),
              k.dwgfil("Open", "data.csv", "*.csv"))
        k.msgbox("Done"); k.dwgmsg("Really done")
    """)
    asked = "".join(f">>>> No display in {c}\n -> {a}\n" for c, a in (
        ("dwgbut: Go on?", "No"), ("dwglis: Pick", 2), ("dwgtxt: Name", "Ann"), ("dwgfil: Open", "data.csv")))
    assert out == asked + "0 2 Ann data.csv\n>>>> No display in msgbox: Done\n -> OK\n" \
                          ">>>> No display in dwgmsg: Really done\n -> OK\n"


def test_terminal_mode(tmp_path):
    code = """
        k.swgmod("ASCI")
        ip = k.wgini("VERT"); k.wgbut(ip, "Check", 1); k.wgtxt(ip, "abc"); k.wgscl(ip, "S", 0, 10, 2.5, 1)
        k.wgfin()
        print("|", k.dwgbut("Sure?", 1), k.dwglis("Pick", "a|b|c", 1), repr(k.dwgtxt("Name", "def")),
              k.dwgbut("Again?", 0))
    """
    answered = child(tmp_path, code, b"no\n3\nMia\n")
    assert "    1 BUTTON Check: 1\n    2 TEXT   abc\n    3 SCALE  S: 2.5\n" in answered
    assert "    3 c\n" in answered
    assert answered.rstrip().endswith("| 0 3 'Mia' 0")
    # Empty lines and the end of input keep the defaults; a bad number too.
    defaults = child(tmp_path, code, b"\n7\n")
    assert defaults.rstrip().endswith("| 1 1 'def' 0")


# (code, message) pairs: each call gives exactly this message line (None: no message), its asserts hold.
ERRORS = [
    ('k.wglab(0, "x")', "No call to wgini before!   (wglab)"),
    ('k.wgini("DIAG")', "Not allowed parameter DIAG!   (wgini)"),
    ('ip = k.wgini("VERT"); k.wglab(5, "x")', "Not allowed parent ID!   (wglab)"),
    ('ip = k.wgini("VERT"); l = k.wglab(ip, "x"); k.wglab(l, "y")', "Not allowed parent ID!   (wglab)"),
    ('ip = k.wgini("VERT"); k.wglis(ip, "a|b", 3)', "Selected list element out of range!   (wglis)"),
    ('ip = k.wgini("VERT"); k.wgbox(ip, "a|b", 0)', "Selected list element out of range!   (wgbox)"),
    ('ip = k.wgini("VERT"); k.wgstxt(ip, 0, 5)', "Non positive paramter!   (wgstxt)"),
    ('ip = k.wgini("VERT"); k.wgscl(ip, "s", 0, 1, 0.5, 0)', "Too small step size!   (wgscl)"),
    ('ip = k.wgini("VERT"); k.wgscl(ip, "s", 0, 1, 2, 1)', "Value out of range!   (wgscl)"),
    ('ip = k.wgini("VERT"); s = k.wgscl(ip, "s", 0, 10, 5, 1); k.swgscl(s, 11)',
     "Value is out of range!   (swgscl)"),
    ('ip = k.wgini("VERT"); k.gwgbut(9)', "Not allowed ID!   (gwgbut)"),
    ('ip = k.wgini("VERT"); t = k.wgtxt(ip, ""); k.gwgbut(t)', "Not allowed widget ID!   (gwgbut)"),
    ('ip = k.wgini("VERT"); k.swgcbk(k.wglab(ip, "x"), print)',
     "Callbacks cannot be defined for label widgets!   (swgcbk)"),
    ('ip = k.wgini("VERT"); k.swgcb(ip, print, 1)', "Callbacks cannot be defined for parent widgets!   (swgcb)"),
    ('k.swgstp(-1)', "Non positive paramter!   (swgstp)"),
    ('k.swgdrw(0)', "Non positive paramter!   (swgdrw)"),
    ('k.swgwth(0)', "Bad value!   (swgwth)"),
    ('k.swgclr(1, 0, 0, "EDGE")', "Not allowed parameter EDGE!   (swgclr)"),
    ('k.swgfnt("NoSuchFamilyAtAll", 10)', "Font cannot be loaded!   (swgfnt)"),
    ('[k.swgfnt("STANDARD", s) for s in range(17)]', "Too many fonts!   (swgfnt)"),
    ('ip = k.wgini("VERT")\nfor _ in range(8): ip = k.wgbas(ip, "VERT")', "Too many nested widgets!   (wgbas)"),
    ('ip = k.wgini("VERT"); k.wgfin(); k.wgfin()', "No call to wgini before!   (wgfin)"),
    ('k.dwglis("x", "a|b", 0)', "Selected list element out of range!   (dwglis)"),
    ('k.setxid(0, "WIDG")', "Not allowed widget ID!   (setxid)"),
    ('assert k.itmstr("a|b", 0) == ""', "Not allowed index!   (itmstr)"),
    ('assert k.itmstr("a|b", 3) == k.itmstr("", 1) == ""', "Not allowed index!   (itmstr)"),
    ('k.errmod("WARN", "OFF"); k.itmstr("a", 5); k.errmod("WARN", "ON")', None),
    ('ip = k.wgini("VERT"); assert [k.wglab(ip, "x") for _ in range(10000)][9998:] == [9999, -1]',
     "Too many widgets!   (wglab)"),
    ('k.swgmix("#", "SEP"); assert (k.itmcnt("a#b|c"), k.itmcat("a", "b"), k.itmstr("a#b|c", 2)) == (2, "a#b", "b|c")',
     None),   # last: the separator stays
]


def test_error_messages(tmp_path):
    out = child(tmp_path, "".join(f"print('#{i}', flush=True)\n{c}\n" for i, (c, _) in enumerate(ERRORS)))
    for (c, message), part in zip(ERRORS, out.split("#")[1:], strict=True):
        lines = [line for line in part.splitlines()[1:] if line.startswith(">>>>")]
        assert lines == ([">>>> " + message] if message else []), (c, part)


def test_callback_registry():
    import kalvor as k
    k.errmod("WARN", "OFF")
    ip = k.wgini("VERT")
    ids, lab = [k.wgpbut(ip, str(i)) for i in range(201)], k.wglab(ip, "label")
    f = lambda i, data=None: None      # noqa: E731
    with pytest.raises(TypeError):
        k.swgcbk(ids[0], 5)
    with pytest.raises(TypeError):
        k.swgcb(ids[0], "f", None)
    before = sys.getrefcount(f)
    k.swgcbk(lab, f)                      # refused by the library: not kept
    assert sys.getrefcount(f) == before
    for i in ids[:200]:
        k.swgcb(i, f, [i])
    k.swgcbk(ids[0], f)                   # the same widget again: no new entry
    with pytest.raises(ValueError, match="Too many callback routines"):
        k.swgcbk(ids[200], f)
    k.swgcbk(ids[1], None)                # a removal makes room
    k.swgcbk(ids[200], f)
    assert sys.getrefcount(f) == before + 200
    k.wgini("VERT")                       # the next dialog drops them all
    assert sys.getrefcount(f) == before
    k.errmod("WARN", "ON")
