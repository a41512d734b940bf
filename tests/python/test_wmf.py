"""WMF output: the header bytes, the records and the object slots they use,
read by libwmf's wmf2svg and drawn by librsvg."""
import functools
import math
import operator
import shutil
import struct
import subprocess

import pytest
from PIL import Image

S = 5.6692915                      # twips per plot unit at true size
NAMES = {0x0103: "MAPMODE", 0x020B: "WINORG", 0x020C: "WINEXT", 0x0209: "TEXTCOLOR", 0x012D: "SELECT",
         0x01F0: "DELETE", 0x02FA: "PEN", 0x02FC: "BRUSH", 0x0214: "MOVETO", 0x0213: "LINETO",
         0x041B: "RECTANGLE", 0x0324: "POLYGON", 0x0000: "EOF"}


def plot(run, body, setup="", name="a.wmf"):
    out = run(f"k.metafl('WMF'); k.setfil('{name}'); k.filmod('DELE')\n{setup}\n"
              f"k.kalini(); k.errmod('PROT', 'OFF')\n{body}\nk.kalfin()")
    return (run.path / name).read_bytes(), out


def records(data):
    """(name, 16-bit parameters) of every record after the header."""
    out, at = [], 18
    while at < len(data):
        words, function = struct.unpack_from("<IH", data, at)
        out.append((NAMES[function], list(struct.unpack_from(f"<{words - 3}H", data, at + 6))))
        at += 2 * words
    return out


def test_header_records_and_slots(run):
    body = ("k.line(100, 200, 300, 400)\nk.setrgb(1.0, 0.0, 0.0)\nk.setrgb(0.0, 0.0, 1.0)\n"
            "k.recfll(500, 600, 101, 51, k.intrgb(0.0, 1.0, 0.0))\nk.shdpat(16)\nk.rectan(1000, 1000, 200, 100)")
    data, _ = plot(run, body)
    rec = records(data)
    assert rec[-1] == ("EOF", []) and sum(2 * (3 + len(p)) for _, p in rec) == len(data) - 18
    ex, ey = math.trunc(2969 * S) + 20, math.trunc(2099 * S) + 20
    largest = max(3 + len(p) for _, p in rec)
    assert data[:18] == struct.pack("<HHHIHIH", 1, 9, 0x0300, len(data) // 2, 4, largest, 0)
    assert rec[:5] == [("MAPMODE", [8]), ("WINORG", [0, 0]), ("WINEXT", [ey, ex]),
                       ("BRUSH", [1, 0, 0, 0]), ("SELECT", [0])]
    # A line: y before x. Colours: pen, text colour, select, the old pen deleted.
    to = lambda v: math.trunc(v * S + 0.5)
    lines = [r for r in rec if r[0] in ("MOVETO", "LINETO")]
    assert lines[:2] == [("MOVETO", [to(200), to(100)]), ("LINETO", [to(400), to(300)])]
    start = rec.index(("PEN", [0, 1, 0, 255, 0]))
    assert rec[start:start + 8] == [("PEN", [0, 1, 0, 255, 0]), ("TEXTCOLOR", [255, 0]), ("SELECT", [2]),
                                    ("DELETE", [1]), ("PEN", [0, 1, 0, 0, 255]), ("TEXTCOLOR", [0, 255]),
                                    ("SELECT", [1]), ("DELETE", [2])]
    # The filled rectangle: solid brush, null pen, RECTANGLE bottom, right,
    # top, left one unit larger, pen and hollow brush back, both deleted.
    start = rec.index(("BRUSH", [0, 0xFF00, 0, 0]))
    assert rec[start:start + 9] == [
        ("BRUSH", [0, 0xFF00, 0, 0]), ("SELECT", [2]), ("PEN", [5, 1, 0, 0, 0]), ("SELECT", [3]),
        ("RECTANGLE", [to(650) + 1, to(600) + 1, to(600), to(500)]), ("SELECT", [1]), ("SELECT", [0]),
        ("DELETE", [2]), ("DELETE", [3])]
    polygon = next(p for n, p in rec if n == "POLYGON")
    assert polygon[0] == 4 and sorted(set(polygon[1::2])) == [to(1000), to(1199)]
    # Objects take the lowest free slot, and every selected one is alive.
    alive = set()
    for n, p in rec:
        if n in ("PEN", "BRUSH"):
            alive.add(min(set(range(len(alive) + 1)) - alive))
        elif n in ("SELECT", "DELETE"):
            assert p[0] in alive
            if n == "DELETE":
                alive.remove(p[0])
    assert alive == {0, 1}

    # The placeable header in front of the same records; wmfmod checks its
    # key and survives kalini.
    placed, out = plot(run, body + "\nk.wmfmod('PLAC', 'SIZE')", setup="k.wmfmod('PLAC', 'FORM')", name="p.wmf")
    out += run("k.wmfmod('PLAC', 'FORM')\nfor n in 'qr': k.metafl('WMF'); k.setfil(n + '.wmf'); k.kalini(); k.kalfin()")
    assert out.count("<<<< Warning") == 1 and "Warning   2" in out
    assert placed[:20] == struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, ex, ey, 1440, 0)
    assert struct.unpack_from("<H", placed, 20)[0] == functools.reduce(operator.xor, struct.unpack_from("<10H", placed))
    assert placed[22:] == data
    assert (run.path / "r.wmf").read_bytes()[:22] == (run.path / "q.wmf").read_bytes()[:22] == placed[:22]
