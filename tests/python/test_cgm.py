"""CGM output, read back by our own ISO 8632-3 reader (cgm_reader.py), which
also walks a metafile from gnuplot's cgm terminal, and rendered with Pillow."""
import shutil
import subprocess

import pytest

import cgm_reader as cgm

S = 2.0  # VDC units per plot unit at true size (0.05 mm)


def plot(run, body, setup="", name="a.cgm"):
    out = run(f"k.metafl('CGM')\nk.setfil('{name}')\n{setup}\nk.kalini()\nk.errmod('PROT', 'OFF')\n"
              f"{body}\nk.kalfin()")
    path = run.path / name
    data = path.read_bytes()
    assert len(data) % 80 == 0
    elements, pictures = cgm.read(path)
    return data, elements, pictures, out


def near(img, x, y, colour):
    """The colour lies within a pixel of (x, y)."""
    return any(img.getpixel((x + dx, y + dy)) == colour for dx in (-1, 0, 1) for dy in (-1, 0, 1))


def polylines(body):
    return [e.points() for e in body if e.name == "POLYLINE"]


def test_metafile_start_bytes(run):
    data, elements, pictures, _ = plot(run, "", name="ab.cgm")
    description = ('"ProfileId:CALS","ProfileEd:1.0","Source:KALVOR  9.1",'
                   '"Date:20231114","ColourClass:colour"').encode()
    assert len(description) == 90
    start = (b"\x00\x3f\x00\x07\x06ab.cgm\x00"            # even name: zero byte
             + b"\x10\x22\x00\x01"
             + b"\x10\x5f\x00\x5b\x5a" + description + b"\x00"
             + b"\x11\x66\x00\x01\xff\xff\x00\x01"
             + b"\x00\x7f\x00\x0a\x09Picture 1"            # odd name: no pad
             + b"\x20\x42\x00\x01"
             + b"\x20\xc8\x00\x00\x00\x00" + (5938).to_bytes(2, "big") + (4198).to_bytes(2, "big")
             + b"\x20\xe4\xff\xff\xff\x00"
             + b"\x00\x80")
    assert data.startswith(start)
    assert data.rstrip(b" ").endswith(b"\x00\xa0\x00\x40")
    assert len(pictures) == 1


def test_version_names_and_background(run):
    long_name = "n" * 1000
    _, elements, _, out = plot(run, "k.cgmpic('abcd')\nk.newpag()\nk.cgmbgd(0.5, 0.0, 1.0)\nk.newpag()",
                               setup=f"k.cgmver(3)\nk.cgmver(4)\nk.cgmpic('{long_name}')")
    assert "Warning   2" in out and "cgmver" in out
    assert "ProfileId:WebCGM" in cgm.first(elements, "METAFILE DESCRIPTION").string()[0]
    assert cgm.first(elements, "METAFILE VERSION").ints() == [4]
    names = [e for e in elements if e.name == "BEGIN PICTURE"]
    assert [e.string()[0] for e in names] == ["n" * 256, "abcd", "abcd"]
    # 256 characters: long string form (count byte 255, 16-bit length).
    assert names[0].params[:3] == b"\xff\x01\x00" and len(names[0].params) == 259
    assert names[1].params == b"\x04abcd"
    scaling = [e for e in elements if e.name == "SCALING MODE"]
    assert len(scaling) == 3 and scaling[0].params == b"\x00\x01\x3d\x4c\xcc\xc8"
    backgrounds = [e.params for e in elements if e.name == "BACKGROUND COLOUR"]
    assert backgrounds == [b"\xff\xff\xff\x00", b"\xff\xff\xff\x00", b"\x80\x00\xff\x00"]


def test_polylines_split_share_ends_and_skip_lone_points(run):
    _, _, pictures, _ = plot(run, """
k.strtpt(0.0, 0.0)
for i in range(1, 120):
    k.connpt(10.0 * i, 1000.0 + (i % 3) * 20)
k.strtpt(500.0, 500.0); k.strtpt(600.0, 600.0)
k.setclr(50)
k.strtpt(700.0, 700.0); k.setclr(100)
k.line(100, 1500, 1000, 1500)
k.strtpt(100.0, 1800.0); k.connpt(500.0, 1800.0); k.setrgb(1.0, 0.0, 0.0); k.connpt(900.0, 1900.0)
""")
    body = pictures[0]
    lines = polylines(body)
    assert [len(p) for p in lines[:3]] == [50, 50, 22]
    assert lines[0][-1] == lines[1][0] and lines[1][-1] == lines[2][0]
    assert lines[0][0] == (0, 4198) and lines[2][-1] == (2380, int((2099 - 1040) * S))
    assert all(len(p) >= 2 for p in lines)
    # Colour change in the middle of a line: the next piece starts where it stopped.
    assert lines[-2:] == [[(200, 598), (1000, 598)], [(1000, 598), (1800, 398)]]
    assert [e.name for e in body[-3:]] == ["POLYLINE", "LINE COLOUR", "POLYLINE"]
    assert body[-2].rgb() == (255, 0, 0)


def test_portrait_turns_the_page_without_mirroring(run):
    shape = "k.strtpt(100.0, 100.0); k.connpt(100.0, 1000.0); k.connpt(600.0, 1000.0)"

    def turn(setup, name):
        _, elements, pictures, _ = plot(run, shape, setup, name)
        (a, b, c), = polylines(pictures[0])
        cross = (b[0] - a[0]) * (c[1] - b[1]) - (b[1] - a[1]) * (c[0] - b[0])
        return cgm.first(elements, "VDC EXTENT").ints(), cross, cgm.render(elements, pictures[0], 400)

    extent, cross, _ = turn("", "land.cgm")
    port_extent, port_cross, img = turn("k.pagmod('PORT')", "port.cgm")
    assert extent == [0, 0, 5938, 4198] and port_extent == [0, 0, 4198, 5938]
    assert (cross > 0) == (port_cross > 0)
    # Turned: plot x runs up the picture, plot y to the right.
    scale = 399 / 4198
    assert near(img, int(1000 * S * scale), img.height - 1 - int(350 * S * scale), (0, 0, 0))


def test_oversized_page_is_scaled_into_16_bits(run):
    _, elements, pictures, out = plot(run, "k.line(0, 0, 19999, 19999)\nk.line(0, 0, 10000, 10000)",
                                      setup="k.page(20000, 20000)")
    assert "Warning  39" in out
    assert cgm.first(elements, "VDC EXTENT").ints() == [0, 0, 32767, 32767]
    s = 32767 / 19999
    assert polylines(pictures[0]) == [[(0, 32767), (32767, 0)], [(0, 32767), (int(10000 * s), int(9999 * s))]]


def test_filled_rectangle_is_hatched(run):
    _, elements, pictures, _ = plot(run, "k.recfll(100, 100, 300, 20, 0x010000FF)")
    body = pictures[0]
    first_line = next(i for i, e in enumerate(body) if e.name == "POLYLINE")
    assert body[first_line - 1].rgb() == (255, 0, 0)
    ys = [int((2099 - y) * S) for y in (100 + 1.4 * i for i in range(14))] + [int((2099 - 119) * S)]
    assert [p[0][1] for p in polylines(body)] == ys
    assert all(p == [(200, y), (798, y)] for p, y in zip(polylines(body), ys))
    img = cgm.render(elements, body, 600)
    assert near(img, 50, img.height - 1 - int(3980 * 599 / 5938), (255, 0, 0))


@pytest.mark.skipif(shutil.which("gnuplot") is None, reason="gnuplot not installed")
def test_reader_walks_gnuplot_metafiles(tmp_path):
    path = tmp_path / "g.cgm"
    subprocess.run(["gnuplot", "-e", f"set terminal cgm; set output '{path}'; plot sin(x), cos(x)"],
                   check=True, timeout=60, capture_output=True)
    elements, pictures = cgm.read(path)
    assert len(pictures) == 1 and sum(e.name == "POLYLINE" for e in pictures[0]) > 2
