"""Whole axis systems drawn as PNG (read by Pillow) and as PDF (rendered by
poppler's pdftoppm at the PNG's resolution): ticks where nxposn and nyposn
put them, labels inside the page and centred on their ticks, names centred
on their axis, for linear, crossed and date systems (log tick values: Ticks.LogarithmicDecades in
test_axes.cpp, log positions: test_axes.py; time labels: test_label_text.cpp; polar labels and titles:
test_label_placement.cpp); the German date page is read back by pdftotext."""
import shutil
import subprocess
import textwrap

import pytest
from PIL import Image

from conftest import render

S = 852 / 2969   # pixels per plot unit of the default page
needs_poppler = pytest.mark.skipif(shutil.which("pdftoppm") is None, reason="poppler not installed")


def draw(run, script, formats=("PNG", "PDF")):
    """Runs `script` inside kalini/kalfin once per format; returns the lines
    it printed (of the first run) and the pages as bright ink on black."""
    body = textwrap.indent(textwrap.dedent(script), " " * 12)
    out = run(f"""
        for dev in {formats!r}:
            k.metafl(dev); k.setfil('p.' + dev.lower()); k.kalini(); k.errmod('PROT', 'OFF')
{body}
            k.endgrf(); k.kalfin()
    """).splitlines()
    pages = [render(run.path / f"p.{dev.lower()}", width=853).convert("L") for dev in formats]
    pages = [Image.eval(p, lambda v: 255 - v) if dev == "PDF" else p for p, dev in zip(pages, formats)]
    return out[:len(out) // len(formats)], pages


def runs(values, gap):
    """Groups sorted integers into (first, last) runs split at gaps > gap."""
    out = []
    for v in sorted(set(values)):
        if out and v - out[-1][1] <= gap:
            out[-1][1] = v
        else:
            out.append([v, v])
    return out


def ink(im, x1, x2, y1, y2):
    px = im.load()
    return [(x, y) for y in range(max(0, y1), min(im.size[1], y2)) for x in range(max(0, x1), min(im.size[0], x2))
            if px[x, y] > 128]


def spans_x(im, x1, x2, y1, y2, gap=3):
    """(first, last) columns of the ink groups in a band of rows."""
    return runs([x for x, _ in ink(im, x1, x2, y1, y2)], gap)


def groups_x(im, x1, x2, y1, y2, gap=3):
    """Centres along X of the ink groups in a band of rows."""
    return [(a + b) / 2 for a, b in spans_x(im, x1, x2, y1, y2, gap)]


def groups_y(im, x1, x2, y1, y2, gap=3):
    return [(a + b) / 2 for a, b in runs([y for _, y in ink(im, x1, x2, y1, y2)], gap)]


def inside_page(im, margin=2):
    """No ink within `margin` pixels of the page edges."""
    w, h = im.size
    return not (ink(im, 0, w, 0, margin) or ink(im, 0, w, h - margin, h)
                or ink(im, 0, margin, 0, h) or ink(im, w - margin, w, 0, h))


def near(found, expected, tol=2.0):
    return len(found) == len(expected) and all(abs(f - e * S) <= tol for f, e in zip(found, expected))


def check_x_axis(im, ticks, row, labels=None, name_centre=None, majors=None):
    """Ticks below the axis line at `row` (plot units) on the plot columns
    `ticks`; labels centred on the plot columns `labels` below them, and the
    axis name centred on `name_centre`."""
    y = round(row * S)
    left, right = round(min(ticks) * S) - 3, round(max(ticks) * S) + 4
    assert near(groups_x(im, left, right, y + 2, y + 4, gap=1), ticks), groups_x(im, left, right, y + 2, y + 4, 1)
    if majors is not None:   # only major ticks reach 6 pixels
        assert near(groups_x(im, left, right, y + 6, y + 7, gap=1), majors)
    if labels is not None:
        found = groups_x(im, left - 60, right + 60, y + 12, y + 25, gap=8)
        assert near(found, labels, 2.5), (found, [v * S for v in labels])
    if name_centre is not None:
        found = groups_x(im, left - 60, right + 60, y + 31, y + 44, gap=12)
        assert len(found) == 1 and abs(found[0] - name_centre * S) <= 2.5, (found, name_centre * S)


def check_y_labels(im, column, ticks, name_centre=None):
    """Labels left of the Y axis at `column`, centred on the rows `ticks`,
    and the name beyond them centred on the row `name_centre`."""
    x = round(column * S)
    y1, y2 = round(min(ticks) * S) - 8, round(max(ticks) * S) + 8
    found = groups_y(im, x - 50, x - 12, y1, y2, gap=2)
    assert near(found, sorted(ticks), 2.5), (found, [t * S for t in sorted(ticks)])
    if name_centre is not None:
        labels_left = min(px for px, _ in ink(im, x - 50, x - 12, y1, y2))
        name = ink(im, labels_left - 40, labels_left - 4, y1, y2)
        assert labels_left - 4 - max(px for px, _ in name) >= 3   # clear of the labels
        ys = [py for _, py in name]
        assert abs((min(ys) + max(ys)) / 2 - name_centre * S) <= 2.5


def test_linear_system_with_names_and_title(run):
    lines, pages = draw(run, """
        k.name('Time [s]', 'X'); k.name('Amplitude', 'Y'); k.titlin('Linear axes', 2)
        k.graf(0, 10, 0, 2, -1, 1, -1, 0.5); k.title()
        print(*[k.nxposn(v) for v in range(11)]); print(*[k.nyposn(v / 2) for v in range(-2, 3)])
    """)
    xs = [int(v) for v in lines[0].split()]
    ys = [int(v) for v in lines[1].split()]
    for im in pages:
        assert inside_page(im)
        check_x_axis(im, xs, ys[0], labels=xs[::2], name_centre=(xs[0] + xs[-1]) / 2, majors=xs[::2])
        check_y_labels(im, xs[0], ys, name_centre=(ys[0] + ys[-1]) / 2)


def test_crossed_axes_leave_out_the_labels_at_the_origin(run):
    lines, pages = draw(run, """
        k.axstyp('CROS'); k.name('x', 'X')
        k.graf(-10, 10, -10, 5, -5, 5, -5, 5)
        print(*[k.nxposn(v / 2) for v in range(-20, 21, 5)]); print(*[k.nyposn(v) for v in (-5, 0, 5)])
    """)
    xs = [int(v) for v in lines[0].split()]
    ys = [int(v) for v in lines[1].split()]
    for im in pages:
        assert inside_page(im)
        check_x_axis(im, xs, ys[1], majors=xs[::2], name_centre=(xs[0] + xs[-1]) / 2)
        check_y_labels(im, xs[4], ys)   # at 0 the X axis line crosses the band
        # Labels at -10, -5, 5 and 10; at 0 only the Y axis line crosses the band.
        y = round(ys[1] * S)
        found = spans_x(im, 0, im.size[0], y + 12, y + 25, gap=8)
        assert near([(a + b) / 2 for a, b in found], xs[0:4:2] + xs[4:5] + xs[6::2], 2.5), found
        assert found[2][1] - found[2][0] <= 2


DATES = """
    k.basdat(1, 1, 2024); k.labels('DATE', 'X'); k.labmod('STEP', 'MONT', 'X'); k.labmod('DAY', 'NONE', 'X')
    k.labmod('YEAR', 'SHOR', 'X'); k.labtyp('VERT', 'X'); k.ticmod('MONT', 'X'); k.name('Month', 'X')
    k.axspos(450, 1650)
"""


def test_date_axis_over_two_years_with_month_labels(run):
    lines, pages = draw(run, textwrap.dedent(DATES) + """
k.graf(0, 731, 0, 1, 0, 10, 0, 2)
print(*[k.nxposn(k.incdat(1, 1 + m % 12, 2024 + m // 12)) for m in range(25)]); print(k.nyposn(0))
""")
    xs = [int(v) for v in lines[0].split()]
    y0 = int(lines[1])
    for im in pages:
        assert inside_page(im)
        # One long tick and one vertical label on each first of a month.
        check_x_axis(im, xs, y0, majors=xs)
        labels = groups_x(im, 0, im.size[0], round(y0 * S) + 14, round(y0 * S) + 20, gap=6)
        assert near(labels, xs, 2.5), labels


@needs_poppler
def test_german_month_names_keep_the_umlaut(run):
    run("""
        k.metafl('PDF'); k.setfil('de.pdf'); k.kalini(); k.errmod('PROT', 'OFF'); k.psfont('Helvetica')
        k.labmod('LANG', 'GERM', 'X')
    """ + textwrap.indent(textwrap.dedent(DATES), "        ") + """
        k.graf(0, 731, 0, 1, 0, 10, 0, 2); k.endgrf(); k.kalfin()
    """)
    # (The English forms: DatesInEveryForm in test_label_text.cpp.)
    german = subprocess.run(["pdftotext", "de.pdf", "-"], cwd=run.path, capture_output=True,
                            check=True).stdout.decode().split()
    assert german.count("Mär-24") == 1 and german.count("Mär-25") == 1 and "Okt-24" in german
    assert "M!ar" not in " ".join(german)
