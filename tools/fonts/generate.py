#!/usr/bin/env python3
"""Generates the font tables under src/text/font_data (vector and outline fonts)
and src/output/font_data (widths of the standard fonts) from the source data.

    python3 tools/fonts/generate.py [DATA_DIR]

DATA_DIR holds hershey/, outline/ and afm/ (default: ../shared/data beside
the repository).  Needs fontTools for the outline fonts.  The output is
deterministic: running it twice gives the same files.
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from encode import Alphabet, write_alphabets  # noqa: E402
from hershey import read_jhf  # noqa: E402
from national import StrokeFont, code_map, bbox, shift  # noqa: E402
import outline  # noqa: E402
import afm  # noqa: E402

REPO = os.path.dirname(os.path.dirname(HERE))
OUT = os.path.join(REPO, "src", "text", "font_data")
METRICS_OUT = os.path.join(REPO, "src", "output", "font_data")


def load(data, name):
    """Glyphs of a .jhf file by character, y up with the baseline at 0."""
    glyphs = read_jhf(os.path.join(data, "hershey", name + ".jhf"))
    out = {}
    for i, (_, _, strokes) in enumerate(glyphs[:95]):
        out[chr(32 + i)] = [[(x, 9 - y) for x, y in s] for s in strokes]
    return out


def to_origin(strokes, left=0):
    """Moves the ink to start at x = left."""
    if not strokes:
        return []
    return shift(strokes, left - bbox(strokes)[0], 0)


def third(strokes):
    """Scales Hershey strokes to the 6 x 7 grid of the basic font: a third,
    rounded, with strokes that collapse to a point kept as a short tick."""
    out = []
    for s in strokes:
        pts = []
        for x, y in s:
            p = (round(x / 3), round(y / 3))
            if not pts or pts[-1] != p:
                pts.append(p)
        if len(pts) == 1:
            pts.append((pts[0][0], pts[0][1] + 1))
        out.append(pts)
    return out


# Side bearings, so that "1.0", "il" and "|x|" do not run together: the
# points that separate digits and the bar get `spaced` font units on either
# side, narrow letters and figures half of that (at least one unit).
POINTS = set(".,:;|")
NARROW = set("!ilj1I\u0131\u0130\u00a1\u00ed\u00ec\u00ee\u00ef\u00cd\u00cc\u00ce\u00cf")


def bearings(strokes, left, extra):
    """Ink from x = left + extra; for `extra` > 0 the advance ends `extra`
    units after the ink, marked by a stroke of one point, which widens the
    glyph and draws nothing."""
    strokes = to_origin(strokes, left + extra)
    if extra:
        strokes = strokes + [[(bbox(strokes)[2] + extra, 0)]]
    return strokes


def build(font, count, offset_unit, transform=None, left=0, spaced=0):
    """An Alphabet with the characters 33 .. 31 + count of a StrokeFont,
    with side bearings of `spaced` units (see POINTS and NARROW)."""
    alpha = Alphabet(split=False, offset_unit=offset_unit)
    for code, ch in sorted(code_map(count).items()):
        strokes = font.compose(ch) if ch else None
        if spaced and ch and ch in ".,:;":
            strokes = font.punctuation(ch)
        if strokes and transform:
            strokes = transform(strokes)
        extra = spaced if ch in POINTS else max(1, spaced // 2) if spaced and ch in NARROW else 0
        alpha.add_glyph(bearings(strokes, left, extra) if strokes else [])
    return alpha


GREEK_KEY = "abcdezhqiklmnxoprstyfguw"  # keys of alpha .. omega; greekc has them at a .. x


def greek_glyphs(greekc, latin):
    g = dict(greekc)
    for src, key in zip("abcdefghijklmnopqrstuvwx", GREEK_KEY):
        g[key] = greekc[src]
        g[key.upper()] = greekc[src.upper()]
    for ch in "jvJV":
        g[ch] = latin[ch]
    return g


def vector_fonts(data):
    h = {n: load(data, n) for n in (
        "futural", "futuram", "rowmand", "timesr", "timesrb", "timesi", "gothiceng",
        "gothicger", "gothicita", "scriptc", "greek", "greekc", "cyrillic", "mathupp")}
    duplex = dict(h["rowmand"], **{"^": h["futuram"]["^"]})
    sf = StrokeFont
    italic = 1 / 3.732  # tan 15 degrees, the lean of the italic designs

    # The basic font: a sixth of its 6-unit width on either side of points
    # and narrow letters (it has no gap between characters); the Hershey
    # fonts: 2 of 20 units (1 for narrow letters), beside a gap of a quarter
    # of the height.
    def roman(font, count, **kw):
        return build(font, count, 0.5, spaced=2, **kw)

    files = {}
    simplex = sf(h["futural"], 1)
    a = build(simplex, 132, 0.5, transform=third, left=1, spaced=1)
    files["kalalf"] = [("kalalf_standard", a, 132), ("kalalf_second", a, 95)]
    a = roman(simplex, 132)
    files["simplx"] = [("simplx_standard", a, 132), ("simplx_second", a, 95)]
    files["complx"] = [("complx_standard", roman(sf(h["timesr"], 2), 231), 231),
                       ("complx_italic", roman(sf(h["timesi"], 2, italic), 102), 102)]
    files["duplx"] = [("duplx_standard", roman(sf(duplex, 2), 132), 132)]
    files["triplx"] = [("triplx_standard", roman(sf(h["timesrb"], 3), 132), 132)]
    files["gothic"] = [("gothic_standard", roman(sf(h["gothiceng"], 2), 95), 95),
                       ("gothic_italic", roman(sf(h["gothicita"], 2), 95), 95),
                       ("gothic_script", roman(sf(h["gothicger"], 2), 102), 102)]
    # Shared alphabets store no offsets (their worth depends on the font).
    greek = greek_glyphs(h["greekc"], h["timesr"])
    files["greek"] = [("shared_greek", build(sf(greek, 2), 95, None), 95)]
    files["mathematic"] = [("shared_mathematic", build(sf(h["mathupp"], 1), 95, None), 95)]
    files["script"] = [("shared_script", build(sf(h["scriptc"], 2, italic), 102, None), 102)]
    files["russian"] = [("shared_russian", build(sf(h["cyrillic"], 2), 95, None), 95)]
    for name, entries in files.items():
        write_alphabets(os.path.join(OUT, name + ".cpp"), "the Hershey fonts (hershey/*.jhf)", entries)


def main():
    data = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(REPO), "shared", "data")
    if not os.path.isdir(os.path.join(data, "hershey")):
        data = "/work/shared/data"
    os.makedirs(OUT, exist_ok=True)
    vector_fonts(data)
    outline.generate(data, OUT)
    os.makedirs(METRICS_OUT, exist_ok=True)
    afm.generate(data, METRICS_OUT)


if __name__ == "__main__":
    main()
