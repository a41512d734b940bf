# Bar graphs, pie charts, histog and the quick plots, judged by the geometry
# written to SVG and by the pixels of PNG pages.
import math
import re
import subprocess

import pytest
from PIL import Image

POLYGON = re.compile(r'<polygon fill="(#\w+)" points="([^"]*)"')
TEXT = re.compile(r'<text x="([-\d.]+)" y="([-\d.]+)"[^>]*>([^<]*)</text>')
COLOURS = {"red": "#ff0000", "green": "#00ff00", "blue": "#0000ff", "cyan": "#00ffff",
           "magenta": "#ff00ff", "yellow": "#ffff00"}
START = "k.metafl('{dev}'); k.filmod('DELE'); k.setfil('out.{ext}'); k.scrmod('REVERS'); k.kalini(); k.errmod('PROT', 'OFF')\n"


def boxes(svg, fill, scale=1.0):
    # The bounding boxes (left, top, right, bottom) of the polygons in one fill colour.
    out = []
    for f, pts in POLYGON.findall(svg):
        if f == fill:
            v = [float(t) / scale for t in re.findall(r"[-\d.]+", pts)]
            out.append((min(v[0::2]), min(v[1::2]), max(v[0::2]), max(v[1::2])))
    return out


def warnings_of(out):
    return [int(n) for n in re.findall(r"Warning +(\d+)", out)]


BARS = """
k.axspos(300, 1500); k.axslen(1001, 1001); k.shdpat(16)
k.graf(0, 4, 0, 1, 2, 10, 2, 2)
k.bargrp(3, 0)
for c in ("RED", "GREEN", "BLUE"):
    k.color(c); k.bars([1, 2, 3], [2, 2, 2], [5, 6, 7], 3)
k.bargrp(1, 0)
k.color("CYAN"); k.barwth(-50); k.barpos("AXIS"); k.bars([1, 2, 3], [4, 4, 4], [5, 5, 5], 3)
k.color("MAGENTA"); k.barwth(0.5); k.barmod("VARI", "WIDTH"); k.barpos("TICK"); k.bars([7, 8], [3, 3], [9, 9], 2)
k.endgrf()
k.barmod("FIXE", "WIDTH"); k.barpos("NONE"); k.barwth(0.75)
k.graf(2, 10, 2, 2, 0, 4, 0, 1)
k.bartyp("HORI"); k.bargrp(3, 0)
for c in ("RED", "GREEN", "BLUE"):
    k.color(c); k.bars([1, 2, 3], [2, 2, 2], [5, 6, 7], 3)
k.endgrf()
k.graf(0, 4, 0, 1, 2, 10, 2, 2)
k.bartyp("3DVE"); k.bargrp(1, 0); k.barmod("VARI", "WIDTH"); k.baropt(40, 30); k.barclr(-1, k.intrgb(0, 0.5, 0), k.intrgb(0, 0, 0.5)); k.color("YELLOW")
k.bars([1, 2, 3.5], [2, 2, 2], [4, 5, 6], 3)
k.kalfin()
"""


def test_bar_geometry_groups_widths_positions_and_faces(run):
    out = run(START.format(dev="SVG", ext="svg") + BARS)
    assert warnings_of(out) == [28]   # TICK: 3 ticks inside the axis, 2 bars
    svg = (run.path / "out.svg").read_text("latin-1")
    red, green, blue = (boxes(svg, COLOURS[c]) for c in ("red", "green", "blue"))
    # The unit spacing of 250 plot units gives the scale of the file.
    scale = ((red[1][0] + blue[1][2]) - (red[0][0] + blue[0][2])) / 2 / 250
    red, green, blue = (boxes(svg, COLOURS[c], scale) for c in ("red", "green", "blue"))
    for i in range(3):   # vertical: three sets 62.5 wide side by side, centred on 550, 800, 1050
        r, g, b = red[i], green[i], blue[i]
        assert all(abs(bx[2] - bx[0] - 62.5) <= 1 for bx in (r, g, b)) and b[2] - r[0] == pytest.approx(187.5, abs=1)
        assert r[2] == pytest.approx(g[0], abs=0.05) and g[2] == pytest.approx(b[0], abs=0.05)
        assert (r[0] + b[2]) / 2 == pytest.approx(550 + 250 * i, abs=1.5)
        assert r[3] == pytest.approx(1500, abs=1)
        # Horizontal bars are the same picture turned: set 1 on top, the same sizes.
        hr, hb = red[3 + i], blue[3 + i]
        assert hr[1] < hb[1] and hr[3] - hr[1] == pytest.approx(r[2] - r[0], abs=0.05)
        assert hr[2] - hr[0] == pytest.approx(r[3] - r[1], abs=0.05)
    cyan = boxes(svg, COLOURS["cyan"], scale)
    assert [round(b[2] - b[0]) for b in cyan] == [50, 50, 50]            # barwth -50
    assert all(b[3] == pytest.approx(1500, abs=1) for b in cyan)          # AXIS: from the axis start
    magenta = boxes(svg, COLOURS["magenta"], scale)                       # TICK: at 1 and 2
    assert [(b[0] + b[2]) / 2 for b in magenta] == pytest.approx([550, 800], abs=1)
    assert [round(b[2] - b[0]) for b in magenta] == [125, 125]            # VARI, 0.5 of 250
    # 3-D: front, side and top of each bar; widths from the larger neighbour distance.
    front, side, top = (boxes(svg, c, scale) for c in ("#ffff00", "#008000", "#000080"))
    assert [b[2] - b[0] for b in front] == pytest.approx([187.5, 281.25, 281.25], abs=1)   # VARI
    for f, s, t in zip(front, side, top):
        assert s[0] == pytest.approx(f[2], abs=0.05) and s[2] - s[0] == pytest.approx(40 * math.cos(math.pi / 6), abs=0.1)
        assert t[1] == pytest.approx(f[1] - 20, abs=0.1) and t[3] == pytest.approx(f[1], abs=0.05)


LABELS = """
k.hwfont(); k.height(30); k.shdpat(16)
k.messag("X", 1000, 100); k.messag("X", 2000, 100)
print("width", k.nlmess("1"), k.nlmess("1.0"))
k.labels("NONE", "XY"); k.axspos(300, 1300); k.axslen(2001, 1001)
k.graf(0, 10, 0, 1, -10, 10, -10, 5)
k.labels("POSI", "BAR"); k.labdig(-1, "BAR")
for x, y, pos in CASES:
    k.labpos(pos, "BAR"); k.bars([x], [0], [y], 1)
k.endgrf()
k.axspos(300, 2000); k.axslen(2001, 601)
k.graf(-10, 10, -10, 5, 0, 3, 0, 1)
k.bartyp("HORI"); k.labdig(1, "BAR")
k.labpos("OUTS", "BAR"); k.bars([1], [0], [5], 1)
k.labpos("ABOV", "BAR"); k.bars([2], [0], [8], 1)
k.kalfin()
"""
# x, value, position keyword, the code the label takes
LABEL_CASES = [(1, 5, "OUTS", 12), (2, 5, "INSI", 22), (3, 5, "LEFT", 21), (4, 5, "RIGH", 23),
               (5, 5, "CENT", 32), (6, -5, "OUTS", 52), (7, -5, "INSI", 42), (8, 8, "AUTO", 22),
               (9, 0.2, "AUTO", 12)]


def expected_box(bar, code, across, along, h, vertical=True):
    # The label box (left, top, right, bottom) that a position code asks for.
    L, T, R, B = bar
    if not vertical:   # the vertical picture turned a quarter clockwise
        x1, y1, x2, y2 = expected_box((T, -R, B, -L), code, across, along, h)
        return (-y2, x1, -y1, x2)
    tens, units = divmod(code, 10)
    x1 = {1: L - 1.25 * h - across, 2: (L + R) / 2 - 0.25 * h - across / 2, 3: R + 0.75 * h}[units]
    y1 = {1: T - 2.25 * h - along, 2: T + 1.25 * h, 3: (T + B - along) / 2, 4: B - 2.75 * h - along,
          5: B + 0.75 * h}[tens]
    return (x1, y1, x1 + across, y1 + along)


def test_bar_label_boxes_follow_their_position_codes(run):
    cases = [(x, y, p) for x, y, p, _ in LABEL_CASES]
    out = run(START.format(dev="SVG", ext="svg") + LABELS.replace("CASES", repr(cases)))
    tw1, tw3 = (int(v) for v in re.search(r"width (\d+) (\d+)", out).groups())
    texts = TEXT.findall((run.path / "out.svg").read_text("latin-1"))
    (x1, y1, _), (x2, _, _) = texts[0], texts[1]
    scale = (float(x2) - float(x1)) / 1000
    # A label's first glyph and baseline against the box corner, from messag at (1000, 100).
    xoff, yoff = float(x1) / scale - 1000, float(y1) / scale - 100
    found = [(t, float(x) / scale - xoff, float(y) / scale - yoff) for x, y, t in texts[2:]]
    for x, y, pos, code in LABEL_CASES:   # axis 0..10 on 2001 units, -10..10 on 1001 from y = 1300
        bar = (300 + 200 * x - 75, 1300 - (max(y, 0) + 10) * 50, 300 + 200 * x + 75, 1300 - (min(y, 0) + 10) * 50)
        left, top, _, _ = expected_box(bar, code, tw1, 30, 30)
        assert found.pop(0) == (str(x), pytest.approx(left, abs=1.5), pytest.approx(top, abs=1.5)), (pos, code)
    for x, y, code in ((1, 5, 12), (2, 8, 21)):   # turned: -10..10 on 2001 units, 0..3 on 601 from y = 2000
        bar = (1300, 2000 - 200 * x - 75, 1300 + 100 * y, 2000 - 200 * x + 75)
        left, top, _, _ = expected_box(bar, code, 30, tw3, 30, False)
        first = [f for f in found if f[0] == str(x)][0]
        assert first[1:] == (pytest.approx(left, abs=1.5), pytest.approx(top, abs=1.5)), code


def pixel_of(img, x, y):  # the colour at the plot point (x, y) of a DA4L page
    return img.getpixel((int(x * img.size[0] / 2970), int(y * img.size[1] / 2100)))


def png_page(run):
    with Image.open(run.path / "out.png") as im:
        return im.convert("RGB")


RED, BLUE, WHITE = (255, 0, 0), (0, 0, 255), (255, 255, 255)
PIES = """
k.shdpat(16); k.chnpie("NONE"); k.labels("NONE", "PIE")
k.pieclr([k.intrgb(1, 0, 0), k.intrgb(0, 0, 1)], [-1, -1], 2)
k.axslen(900, 900)
k.axspos(200, 1500); k.piegrf("", 0, [3], 1)
k.axspos(1600, 1500); k.piegrf("", 0, [3, -1], 2)
k.piegrf("", 0, [0, 0], 2)
k.kalfin()
"""


def test_pie_discs_explosion_and_3d_boundaries_along_rays(run):
    out = run(START.format(dev="PNG", ext="png") + PIES)
    assert warnings_of(out) == [29]
    img = png_page(run)
    r = 450
    for cx, cy in ((649.5, 1050.5), (2049.5, 1050.5)):
        for deg in range(0, 360, 45):   # one value: a full disc; both: r around the centre
            c, s = math.cos(math.radians(deg)), -math.sin(math.radians(deg))
            assert pixel_of(img, cx + 0.95 * r * c, cy + 0.95 * r * s) != WHITE, (cx, deg)
            explode = 0.08 * r if cx > 2000 and 135 < deg < 225 else 0
            assert pixel_of(img, cx + (1.04 * r + explode) * c, cy + (1.04 * r + explode) * s) == WHITE, (cx, deg)
    cx, cy = 2049.5, 1050.5   # the negative value: pulled 0.08 r out along 180 degrees
    assert pixel_of(img, cx - 0.04 * r, cy) == WHITE
    assert pixel_of(img, cx - 0.12 * r, cy) == BLUE and pixel_of(img, cx - 1.05 * r, cy) == BLUE
    assert pixel_of(img, cx + 0.5 * r, cy) == RED

    run(START.format(dev="PNG", ext="png") + "k.shdpat(16); k.chnpie('NONE'); k.pietyp('3D'); k.pieopt(0.2, 30); k.labels('NONE', 'PIE')\n"
        "k.pieclr([k.intrgb(1, 0, 0)], [k.intrgb(0, 0, 1)], 1)\n"
        "k.axslen(900, 900); k.axspos(200, 1500); k.piegrf('', 0, [1], 1); k.kalfin()")
    img = png_page(run)
    b, hgt = r * 0.5, 0.2 * r
    cy = 1050.5 - hgt / 2
    assert pixel_of(img, 649.5, cy - 0.95 * b) == RED and pixel_of(img, 649.5, cy - 1.06 * b) == WHITE
    assert pixel_of(img, 649.5 - 0.95 * r, cy) == RED and pixel_of(img, 649.5 - 1.03 * r, cy) == WHITE
    assert pixel_of(img, 649.5, cy + b + 0.9 * hgt) == BLUE and pixel_of(img, 649.5, cy + b + 1.15 * hgt) == WHITE


PIE_LABELS = """
k.hwfont(); k.height(30); k.labels("BOTH", "PIE"); k.labdig(2, "PER"); k.labdig(0, "DAT")
k.pielab("Sum", "LEFT"); k.pielab("EUR", "RIGH"); k.labpos("POS", "PIE")
k.axslen(900, 900); k.axspos(800, 1500)
k.piegrf("North   South   ", 1, [1, 3], 2)
k.kalfin()
"""


def lines_of(svg):
    # Texts drawn character by character: (text, left x) per group and baseline.
    rows = []
    for block in svg.split("<g ")[1:]:
        by_y = {}
        for x, y, t in TEXT.findall(block):
            by_y.setdefault(y, []).append((float(x), t))
        rows += [("".join(t for _, t in sorted(row)), min(row)[0]) for row in by_y.values()]
    return rows


@pytest.mark.parametrize("pos", ["INTE", "EXTE", "ALIG"])
def test_pie_label_lines_and_places(run, pos):
    run(START.format(dev="SVG", ext="svg") + PIE_LABELS.replace("POS", pos))
    rows = lines_of(svg := (run.path / "out.svg").read_text("latin-1"))
    assert sorted(t for t, _ in rows) == sorted(["North", "Sum25.00%EUR", "Sum1EUR", "South", "Sum75.00%EUR", "Sum3EUR"])
    scale = float(re.search(r'<svg[^>]*width="([\d.]+)', svg).group(1)) / 2970
    left = {t: x / scale for t, x in rows}
    cx, r = 800 + 449.5, 450
    if pos == "ALIG":      # the first segment (centred on 0 degrees) in the right column
        assert min(left["North"], left["Sum25.00%EUR"]) == pytest.approx(cx + r + 120, abs=6)
    elif pos == "EXTE":    # 40 units beyond the rim, level with the centre
        assert min(left["North"], left["Sum25.00%EUR"]) == pytest.approx(cx + r + 40, abs=6)
    else:                  # the second segment (270 degrees) holds its label inside
        assert cx - r < left["Sum75.00%EUR"] < cx


REGIONS = """
k.shdpat(16); k.labels("NONE", "XY"); k.axspos(300, 1800); k.axslen(2001, 1501)
k.graf(0, 4, 0, 1, 0, 10, 0, 2)
k.hwfont(); k.height(60); k.color("RED")
k.labels("SECO", "BAR"); k.labpos("INSI", "BAR"); k.barbor(k.intrgb(0, 0, 1)); k.labclr(k.intrgb(0, 0, 0), "BAR")
k.bars([1], [0], [8], 1)
print("label", k.nlmess("8.0"))
k.shield("BARS", "ON"); k.labels("NONE", "BAR"); k.barbor(-1)
k.bars([3], [0], [6], 1)
k.endgrf()
k.shield("PIE", "ON"); k.chnpie("NONE"); k.labels("NONE", "PIE")
k.axspos(2200, 900); k.axslen(600, 600); k.piegrf("", 0, [1, 1], 2)
k.color("GREEN"); k.line(1000, 1350, 2400, 1350); k.line(2100, 600, 2900, 600)
k.kalfin()
"""


def test_inside_label_leaves_fill_free_and_regions_stop_later_lines(run):
    out = run(START.format(dev="PNG", ext="png") + REGIONS)
    tw = int(re.search(r"label (\d+)", out).group(1))
    img = png_page(run)
    # Bar 612.5..987.5 x 600..1800; its label box centred 15 left of the middle, 75 below the top.
    x1, y1 = 800 - 15 - tw / 2, 600 + 75
    inside = {pixel_of(img, x1 + i * tw / 8, y1 + j * 7.5) for i in range(1, 8) for j in range(1, 8)}
    assert RED not in inside and len(inside) >= 2     # background and glyph colour, no fill
    assert pixel_of(img, 700, 1200) == RED and pixel_of(img, 900, 640) == RED
    blue = (0, 0, 255)
    for y in (620, y1 + 30, 1000, 1780):   # the border stays whole beside the label
        assert blue in {pixel_of(img, 612.5 + dx, y) for dx in range(-4, 5)}, y
    green = (0, 255, 0)
    assert pixel_of(img, 1300, 1350) == green and pixel_of(img, 2200, 1350) == green
    assert pixel_of(img, 1800, 1350) == RED                  # stopped by the bar's region
    assert pixel_of(img, 2150, 600) == green and pixel_of(img, 2499, 600) != green   # and the pie's


CYCLES = """
k.shdpat(16); k.graf(0, 4, 0, 1, 0, 10, 0, 2)
k.chnbar("COLO"); k.bars([1, 2, 3], [0, 0, 0], [5, 6, 7], 3)
k.chnbar("PATT"); k.patcyc(2, 16); k.patcyc(3, 0); k.patcyc(4, 16); k.color("BLUE")
k.bars([1, 2, 3], [0, 0, 0], [1, 1, 1], 3)
k.bars([1, 2, 3], [0, 0, 0], [2, 2, 2], 3)
print("pattern", k.getpat())
k.chnbar("NONE"); k.color("RED"); k.bars([1], [0], [3], 1)
k.legini(" " * 16, 4, 4); k.legend(" " * 16, 3)
k.kalfin()
"""


def test_cycled_colours_patterns_and_legend_samples(run):
    out = run(START.format(dev="SVG", ext="svg") + CYCLES)
    assert "pattern 16" in out     # after sets 2 and 3 the current pattern is slot 4's
    fills = [f for f, _ in POLYGON.findall((run.path / "out.svg").read_text("latin-1"))]
    assert len(set(cycled := fills[:3])) == 3
    # Set 2 solid (slot 2), set 3 empty (slot 3): three blue bars, then the red one; the
    # legend samples repeat the sets' first colours and patterns.
    assert fills[3:] == ["#0000ff"] * 3 + ["#ff0000", cycled[0], "#0000ff", "#ff0000"]


def test_histog_ties_single_values_and_nan(run):
    out = run("""
        for x in ([3, 1, 3, float("nan"), 2, 3], [5.0], [float("nan")] * 2):
            xh, yh = [0.0] * len(x), [-1.0] * len(x)
            n = k.histog(x, len(x), xh, yh)
            print(n, xh, yh)
    """)
    assert out.splitlines() == ["3 [1.0, 2.0, 3.0, 0.0, 0.0, 0.0] [1.0, 1.0, 3.0, -1.0, -1.0, -1.0]",
                                "1 [5.0] [1.0]", "0 [0.0, 0.0] [-1.0, -1.0]"]


QUICK = {"qplot": "k.qplot(x, y, 5)", "qplsca": "k.qplsca(x, y, 5)", "qplbar": "k.qplbar(y, 5)",
         "qplpie": "k.qplpie(y, 5)", "qplcon": "k.qplcon(z, 3, 4, 3)", "qplclr": "k.qplclr(z, 3, 4)",
         "qplsur": "k.qplsur(z, 3, 4)"}


def check_file(path, ext):
    if ext in ("png", "svg"):
        if ext == "png":
            Image.open(path).verify()
        else:
            subprocess.run(["xmllint", "--noout", str(path)], check=True)
            subprocess.run(["rsvg-convert", "-o", str(path) + ".png", str(path)], check=True)
        return
    if ext == "pdf":
        subprocess.run(["qpdf", "--check", str(path)], check=True, capture_output=True)
    gs = subprocess.run(["gs", "-q", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-sDEVICE=nullpage", str(path)],
                        capture_output=True)
    assert gs.returncode == 0 and b"Error" not in gs.stdout + gs.stderr, path


def test_quick_plots_write_valid_files_in_every_format(run):
    body = "x = [1, 2, 3, 4, 5]; y = [3, -1, 4, 1, 5]; z = [[0, 1, 2, 1], [1, 3, 4, 2], [0, 2, 1, 0]]\n"
    for name, call in QUICK.items():
        for dev, ext in (("PS", "ps"), ("EPS", "eps"), ("PDF", "pdf"), ("SVG", "svg"), ("PNG", "png")):
            body += f"k.metafl('{dev}'); k.filmod('DELE'); k.setfil('{name}.{ext}'); {call}\n"
    # Sequences of every kind give the same file; at level 1 the plot goes on the open page.
    for i, seq in enumerate(("[3, 1, 2]", "(3, 1, 2)", "np.array([3.0, 1, 2])")):
        body += f"k.metafl('SVG'); k.setfil('same{i}.svg'); k.qplbar({seq}, 3)\n"
    body += "k.setfil('over.svg'); k.qplbar([1.0] * 101, 101); k.qplpie([0, 0], 2); k.qplcon(z, 3, 4, 0)\n"
    out = run("import numpy as np\n" + body)
    assert warnings_of(out) == [101, 29, 101] and "too many points in qplbar" in out
    assert "bad number of levels in qplcon" in out
    for name in QUICK:
        for ext in ("ps", "eps", "pdf", "svg", "png"):
            check_file(run.path / f"{name}.{ext}", ext)
    same = [(run.path / f"same{i}.svg").read_bytes().replace(b"same%d" % i, b"") for i in range(3)]
    assert same[0] == same[1] == same[2]


def test_bars3d_near_faces_cover_far_ones_and_bad_bars_warn(run):
    # The near bar comes first: without the depth sort the far one would cover it.
    out = run("k.metafl('PNG'); k.imgfmt('RGB'); k.filmod('DELE'); k.setfil('b.png'); k.scrmod('REVERS')\n"
              "k.kalini(); k.errmod('PROT', 'OFF'); k.view3d(2.5, -12, 3, 'ABS')\n"
              "k.graf3d(0, 5, 0, 1, 0, 5, 0, 1, 0, 10, 0, 2)\n"
              "red, blue = k.intrgb(1, 0, 0), k.intrgb(0, 0, 1)\n"
              "k.bars3d([2.5, 2.5], [1, 4], [0, 0], [5, 10], [2, 2], [1, 1], [red, blue], 2)\n"
              "print('near', *k.rel3pt(2.5, 0.5, 2.5)); print('far', *k.rel3pt(2.5, 3.5, 9))\n"
              "k.bars3d([1, float('nan')], [1, 1], [0, 0], [1, 1], [1, 1], [1, 1], [red, red], 2)\n"
              "k.bars3d([], [], [], [], [], [], [], 0)\n"
              "k.kalfin()\n")
    assert warnings_of(out) == [2]
    with Image.open(run.path / "b.png") as img:
        scale = img.size[0] / 2970
        for key, colour in (("near", (255, 0, 0)), ("far", (0, 0, 255))):
            x, y = (float(v) for v in re.search(key + r" (\S+) (\S+)", out).groups())
            assert img.convert("RGB").getpixel((int(x * scale), int(y * scale))) == colour, key
