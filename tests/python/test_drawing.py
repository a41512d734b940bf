"""Drawing routines in plot coordinates, observed in the VEKMET metafile."""
import re

import pytest


def fields(path, keep_initial_colour=False):
    """The ten-character fields of a VEKMET file after its header line,
    without the colour that kalini makes current."""
    body = path.read_text().split("\n", 1)[1].replace("\n", "")
    f = [body[i:i + 10] for i in range(0, len(body), 10)]
    while not keep_initial_colour and f and float(f[0]) >= 10:
        f.pop(0)
    return f


def test_polyline_lists_each_pen_code_once(run):
    run("""
        k.kalini()
        k.strtpt(0, 2099)
        for i in range(1, 10):
            k.connpt(i * 100, 2099)
        k.errmod('PROT', 'OFF'); k.kalfin()
    """)
    f = fields(run.path / "kalvor.met")
    assert f.count(" 3.0000000") == 1 and f.count(" 2.0000000") == 1
    assert f[:6] == [" 0.0000000", " 0.0000000", " 3.0000000",
                     " 0.0336814", " 0.0000000", " 2.0000000"]
    assert f[-1] == " 9.0000000"
    assert len(f) == 10 * 2 + 2 + 1


def test_origin_offset_and_xmove(run):
    run("""
        k.kalini(); k.origin(100, 200)
        k.strtpt(0, 0); k.connpt(10, 0)
        k.xmove(0, 0); k.xdraw(10, 0)
        k.errmod('PROT', 'OFF'); k.kalfin()
    """)
    f = fields(run.path / "kalvor.met")
    s = 1 / 2969
    assert float(f[0]) == pytest.approx(100 * s, abs=1e-7)            # strtpt: offset added
    assert float(f[1]) == pytest.approx((2099 - 200) * s, abs=1e-7)
    assert float(f[6]) == pytest.approx(0.0, abs=1e-7)                  # xmove: no offset
    assert float(f[7]) == pytest.approx(2099 * s, abs=1e-7)


def test_fills_keep_the_colour(run):
    # A fill outside the window draws nothing and never sends its colour;
    # pagfll hatches the page and restores the previous colour.
    run("""
        k.kalini(); k.setclr(7)
        k.clpwin(0, 0, 100, 100); k.recfll(500, 500, 50, 50, 3); k.errmod('PROT', 'OFF'); k.kalfin()
        k.kalini(); k.setclr(7); k.pagfll(3); k.line(0, 0, 10, 10); k.errmod('PROT', 'OFF'); k.kalfin()
    """)
    f = fields(run.path / "kalvor.met", keep_initial_colour=True)
    assert f[-2:] == ["16.0000000", " 9.0000000"] and "12.0000000" not in f
    f = fields(run.path / "kalvor_1.met", keep_initial_colour=True)
    assert [x for x in f if x in ("16.0000000", "12.0000000")] == ["16.0000000", "12.0000000", "16.0000000"]
    assert f.count(" 3.0000000") > 100        # the page is hatched in lines


def test_integer_vectors(run):
    out = run("""
        k.kalini()
        for args in ([[1, 2.5, 3], [1, 2, 3], 3], [[1, 2], [1, 2, 3], 3], [5, [1], 1]):
            try:
                k.areaf(*args)
            except Exception as e:
                print(type(e).__name__, e)
        import numpy as np
        k.areaf(np.array([10, 100, 100]), np.array([10, 10, 100], dtype=np.int16), 3)
        try:
            k.areaf(np.array([1.0, 2.0]), [1, 2], 2)
        except ValueError as e:
            print(e)
        k.areaf([10, True, 100], (10, 10, 100), 3)
        k.errmod('PROT', 'OFF'); k.kalfin()
    """)
    assert out.splitlines() == [
        "ValueError no integer element in sequence",
        "MemoryError out of range",
        "ValueError parameter is not a sequence",
        "no integer element in sequence",
    ]


def test_page_transformation_rotates_about_a_point(run):
    run("""
        k.kalini()
        k.trfrot(90, 1000, 1000)
        k.line(1100, 1000, 1200, 1000)
        k.trfres()
        k.line(1100, 1000, 1200, 1000)
        k.errmod('PROT', 'OFF'); k.kalfin()
    """)
    f = [float(x) * 2969 for x in fields(run.path / "kalvor.met")]
    pts = [(round(f[i]), round(2099 - f[i + 1])) for i in (0, 3, 6, 9)]
    # Turned counter-clockwise on the page about (1000, 1000), then as given.
    assert pts == [(1000, 900), (1000, 800), (1100, 1000), (1200, 1000)]


@pytest.mark.parametrize("device", ["VEKM", "PS", "EPS", "PDF", "SVG", "PNG"])
def test_a_write_that_fails_is_warning_36(run, device):
    # A file size limit cuts the output short: kalfin must say so.
    out = run(f"""
        import resource, signal
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (2000, 2000))
        k.metafl("{device}"); k.setfil("cut.out"); k.kalini()
        for i in range(3000):
            k.line(i % 2900, 0, 2900 - i % 2900, 2000)
        k.kalfin()
    """)
    assert "Warning  36" in out
    assert re.search(r"Warnings: 1\b", out), out


def test_vekmet_fields_stay_ten_characters(run):
    run("""
        k.metafl("VEKM"); k.setfil("far.met"); k.page(1, 1); k.kalini(); k.errmod("PROT", "OFF")
        k.noclip(); k.line(0, 0, 2000000000, -2000000000); k.kalfin()
        k.metafl("VEKM"); k.setfil("big.met"); k.sclfac(1e6); k.kalini(); k.errmod("PROT", "OFF")
        k.noclip(); k.line(-2000000000, 0, 2000000000, 2000000000); k.kalfin()
    """)
    for name in ["far.met", "big.met"]:
        lines = (run.path / name).read_text().splitlines()
        for line in lines[1:]:
            assert len(line) % 10 == 0 and len(line) <= 80, line
            for i in range(0, len(line), 10):
                assert float(line[i:i + 10]) == float(line[i:i + 10]) and "inf" not in line, line


def test_far_points_keep_the_slope_in_svg(run):
    run("""
        k.metafl("SVG"); k.setfil("far.svg"); k.kalini(); k.errmod("PROT", "OFF")
        k.noclip(); k.line(0, 0, 2000000000, 400000000); k.kalfin()
    """)
    text = (run.path / "far.svg").read_text(encoding="latin-1")
    x1, y1, x2, y2 = map(float, re.search(
        r'<line x1="([-\d.]+)" y1="([-\d.]+)" x2="([-\d.]+)" y2="([-\d.]+)"', text).groups())
    assert abs((y2 - y1) / (x2 - x1) - 0.2) < 1e-6
    assert max(abs(x2), abs(y2)) <= 1e7


def test_huge_integer_arguments_do_not_wrap(run):
    # nx + nb / 2 beyond the int range wrapped to a box over the whole page.
    run("""
        k.metafl("PS"); k.setfil("huge.ps"); k.kalini(); k.errmod("PROT", "OFF")
        k.point(2**31 - 1, 100, 10, 10, 0x010000FF)
        k.line(2**31 - 1, 0, -2**31, 0)
        k.kalfin()
    """)
    body = (run.path / "huge.ps").read_text().split(" scale\n", 1)[1]
    assert " e " not in body.replace("0 0 0 e", "")    # no rectangle but the background
