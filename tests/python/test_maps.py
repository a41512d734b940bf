"""Map projections, map axis systems, coastlines, shading and map files."""
import os
import struct
import subprocess
import sys
from pathlib import Path

import numpy as np
import pytest
from PIL import Image

import kalvor as k
from conftest import ROOT

pyproj = pytest.importorskip("pyproj")

# projct keyword -> pyproj definition on the unit sphere (centre lon 10,
# latitudes 20..60 for the conic ones, pole (10, 40) for azimuthal ones).
PYPROJ = {
    "MERC": "+proj=merc +lon_0=10", "EXAC": "+proj=eqc +lon_0=10", "CORR": "+proj=mill +lon_0=10",
    "UTM": "+proj=tmerc +lon_0=10 +k_0=1", "EQUA": "+proj=cea +lon_0=10", "MOLL": "+proj=moll +lon_0=10",
    "AITO": "+proj=aitoff +lon_0=10", "HAMM": "+proj=hammer +lon_0=10", "WINK": "+proj=wintri +lon_0=10 +lat_1=40",
    "SANS": "+proj=sinu +lon_0=10", "CONF": "+proj=lcc +lon_0=10 +lat_0=40 +lat_1=30 +lat_2=50",
    "ALBE": "+proj=aea +lon_0=10 +lat_0=40 +lat_1=30 +lat_2=50",
    "CONI": "+proj=eqdc +lon_0=10 +lat_0=40 +lat_1=30 +lat_2=50", "POLY": "+proj=poly +lon_0=10 +lat_0=40",
    "GNOM": "+proj=gnom +lon_0=10 +lat_0=40", "ORTH": "+proj=ortho +lon_0=10 +lat_0=40",
    "STER": "+proj=stere +lon_0=10 +lat_0=40", "AZIM": "+proj=aeqd +lon_0=10 +lat_0=40",
    "LAMB": "+proj=laea +lon_0=10 +lat_0=40",
}
CONIC = {"CONF", "ALBE", "CONI", "POLY"}
AZIMUTHAL = {"GNOM", "ORTH", "STER", "AZIM", "LAMB"}
ALL = ["MERC", "EXAC", "CORR", "UTM", "OBLI", "EQUA", "MOLL", "AITO", "HAMM", "WINK", "SANS", "ELLI",
       "CONF", "ALBE", "POLY", "CONI", "GNOM", "ORTH", "STER", "AZIM", "LAMB"]


def open_map(proj, tmp_path, fmt="VIRT"):
    k.metafl(fmt)
    os.chdir(tmp_path)
    k.errmod("ALL", "OFF")
    k.kalini()
    k.errmod("ALL", "ON")
    k.projct(proj)
    if proj in CONIC:
        k.mapref(30, 50)
        k.grafmp(-30, 50, -30, 10, 20, 60, 20, 10)
    elif proj in AZIMUTHAL:
        k.grafmp(-30, 50, -30, 10, 10, 70, 10, 10)
    else:
        k.grafmp(-160, 180, -160, 30, -60, 60, -60, 30)


def sample_points(proj):
    lon, lat = np.meshgrid(np.linspace(-20, 40, 9), np.linspace(-50, 50, 9) if proj not in CONIC | AZIMUTHAL
                           else np.linspace(15, 65, 9))
    return lon.ravel(), lat.ravel()


@pytest.mark.parametrize("proj", sorted(PYPROJ))
def test_projection_matches_pyproj(proj, tmp_path):
    open_map(proj, tmp_path)
    lon, lat = sample_points(proj)
    ours = np.array([k.pos2pt(float(a), float(b)) for a, b in zip(lon, lat)], dtype=float)
    back = [k.xinvrs(int(round(px))) for px, _ in ours[:3]]
    k.kalfin()
    x, y = pyproj.Proj(PYPROJ[proj] + " +R=1 +no_defs")(lon, lat)
    # px = a + s x, py = b - s y with one scale s.
    A = np.zeros((2 * len(x), 3))
    A[0::2, 0], A[0::2, 2] = 1, x
    A[1::2, 1], A[1::2, 2] = 1, -y
    sol, *_ = np.linalg.lstsq(A, ours.ravel(), rcond=None)
    size = np.ptp(ours, axis=0).max()
    assert np.abs(A @ sol - ours.ravel()).max() < 1e-6 * size, proj
    assert all(np.isfinite(back))


MAP_PROGRAM = """
import kalvor as k
k.metafl("PNG"); k.setfil("m.png"); k.filmod("DELE"); k.scrmod("REVERS"); k.kalini()
k.axspos(100, 1900); k.axslen(2700, 1700)
{body}
k.endgrf(); k.kalfin()
"""


def at(out):
    """Pixel (row, column) of each "px py" line printed."""
    pts = [tuple(map(float, line.split())) for line in out.splitlines() if line and line[0].isdigit()]
    return [(round(y * 603 / 2100), round(x * 853 / 2970)) for x, y in pts]


def pixels(run, body):
    out = run(MAP_PROGRAM.format(body=body))
    with Image.open(run.path / "m.png") as img:
        return out, np.asarray(img.convert("RGB")).astype(int)


def test_shaded_countries_and_disc_rim(run):
    # France red on a conformal conic map of Europe, the sea stays white.
    out, img = pixels(run, """
k.projct("CONF"); k.grafmp(-15.0, 35.0, -10.0, 10.0, 35.0, 70.0, 40.0, 10.0)
k.shdeur([15], [16], [k.intrgb(1.0, 0.0, 0.0)], 1)
print(*k.pos2pt(2.5, 46.5)); print(*k.pos2pt(-10.0, 45.0))""")
    france, sea = at(out)
    assert tuple(img[france]) == (255, 0, 0)
    assert tuple(img[sea]) == (255, 255, 255)
    # An orthographic disc: a curve to a point behind the globe ends at the
    # rim, nothing is drawn outside the disc.
    out, img = pixels(run, """
k.projct("ORTH"); k.mappol(0.0, 0.0); k.mapmod("INTE")
k.grafmp(-180.0, 180.0, -180.0, 30.0, -90.0, 90.0, -90.0, 30.0)
k.color("RED"); k.curvmp([0.0, 170.0], [0.0, 0.0], 2); k.shdmap("ALL")""")
    red = np.argwhere((img[:, :, 0] > 200) & (img[:, :, 1] < 50))
    cx, cy, r = (100 + 1350) * 853 / 2970, (1900 - 850) * 603 / 2100 + 1, 850 * 853 / 2970
    d = np.hypot(red[:, 1] - cx, red[:, 0] - cy)
    assert len(red) > 100 and d.max() < r + 3
    # curve over the seam of a Mollweide map: two short pieces at the rim,
    # nothing across the middle.
    out, img = pixels(run, """
k.axslen(2700, 1300); k.projct("MOLL"); k.nograf(); k.grafmp(-180.0, 180.0, -180.0, 30.0, -90.0, 90.0, -90.0, 30.0)
k.color("RED"); k.curve([170.0, -170.0], [0.0, 0.0], 2)""")
    row = (img[:, :, 0] > 200) & (img[:, :, 1] < 50)
    cols = np.nonzero(row.any(axis=0))[0]
    assert len(cols) > 0 and not row[:, 400:450].any()


def test_world_copies_and_edge_cases(run, tmp_path):
    # -360..360 shows the coastlines twice: Africa at 20 E and 340 W; a
    # linear map from -180 to 180 degrees of latitude shows it mirrored
    # beyond the poles too (South Africa at 150 S, Libya at 150 N).
    for proj, grafmp, points in (
            ("EXAC", "-360.0, 360.0, -360.0, 90.0, -90.0, 90.0, -90.0, 30.0", [(20, 5), (-340, 5)]),
            ("CYLI", "-180.0, 180.0, -180.0, 90.0, -180.0, 180.0, -180.0, 90.0", [(20, -150), (20, 150)])):
        out, img = pixels(run, f"""
k.projct("{proj}"); k.grafmp({grafmp})
k.color("RED"); k.shdmap("AFRI")
for p in {points}: print(*k.pos2pt(*map(float, p)))""")
        for p in at(out):
            assert tuple(img[p]) == (255, 0, 0), grafmp
    # Mercator at 90 degrees is the top (89.99), base MAPF without mapfil warns,
    # missing GSHHS files warn with the path, a decreasing range is warning 2.
    out = run("""
import kalvor as k
k.metafl("VIRT"); k.kalini(); k.projct("MERC")
k.grafmp(-180.0, 180.0, -180.0, 90.0, -85.0, 85.0, -80.0, 20.0)
print(k.pos2pt(0.0, 90.0)[1] < k.pos2pt(0.0, 85.0)[1])
k.mapbas("MAPF"); k.world(); k.mapbas("GSHF"); k.world(); k.endgrf()
k.grafmp(10.0, 0.0, 0.0, 1.0, 0.0, 10.0, 0.0, 1.0)
k.kalfin()""", env={"KALVOR": str(tmp_path)})
    assert out.startswith("True")
    assert "No call to MAPFIL before" in out and "gshhs_f.b" in out
    assert out.count("Warning   2") == 1


def test_date_line_and_poles(run):
    # Coastlines over the date line (Chukotka, Fiji, Antarctica's step from
    # -180 to 180) and a curve from 170 to -170 end at the map's edges on
    # cylindrical maps: no row is inked across the map.
    for proj, lat in (("CYLI", 90.0), ("MERC", 80.0)):
        _, img = pixels(run, f"""
k.projct("{proj}"); k.nograf(); k.grafmp(-180.0, 180.0, -180.0, 90.0, -{lat}, {lat}, -{lat}, 20.0)
k.color("RED"); k.world(); k.curvmp([170.0, -170.0], [5.0, 5.0], 2)""")
        red = (img[:, :, 0] > 200) & (img[:, :, 1] < 80)
        assert red.sum() > 2000 and red.sum(axis=1).max() < 0.3 * 775, proj
    # Antarctica fills from its coast to the pole (the south edge or point of
    # the map), not as a fan of chords; the sea north of it stays white.
    for proj in ("MOLL", "EXAC"):
        out, img = pixels(run, f"""
k.axslen(2700, 1350); k.projct("{proj}"); k.nograf()
k.grafmp(-180.0, 180.0, -180.0, 30.0, -90.0, 90.0, -90.0, 30.0); k.color("RED"); k.shdmap("ANTA")
for lon in range(-165, 170, 15): print(*k.pos2pt(lon, -87.0)); print(*k.pos2pt(lon, -60.0))""")
        points = at(out)
        assert all(tuple(img[p]) == (255, 0, 0) for p in points[0::2]), proj
        assert all(tuple(img[p]) == (255, 255, 255) for p in points[1::2]), proj
    # Fiji's islands (one over the date line) are Oceania's, not lakes.
    out, img = pixels(run, """
k.projct("EXAC"); k.nograf(); k.grafmp(150.0, 210.0, 150.0, 10.0, -40.0, 0.0, -40.0, 10.0)
k.color("RED"); k.shdmap("AUST"); k.color("BLUE"); k.shdmap("LAKE")
print(*k.pos2pt(177.9, -17.8)); print(*k.pos2pt(179.0, -16.6))""")
    assert [tuple(img[p]) for p in at(out)] == [(255, 0, 0)] * 2


def test_hostile_map_files_warn_and_keep_drawing(run):
    bad = {
        "huge.b": struct.pack(">8i", 1, 2**31 - 1, 1, 0, 0, 0, 0, 0) + b"\0" * 40,
        "neg.b": struct.pack(">8i", 1, -7, 1, 0, 0, 0, 0, 0) + b"\0" * 4,
        "cut.b": struct.pack(">8i", 1, 3, 1, 0, 0, 0, 0, 0) + b"\0" * 12,
        "wild.b": struct.pack(">8i", 1, 1, 1, 0, 0, 0, 0, 0) + b"\0" * 4 + struct.pack(">2i", 2**31 - 1, 0),
        "empty.b": b"",
        "long.txt": b"1 2\n" + b"7" * 5000 + b"\n3 4\nnan nan\n",
    }
    for name, data in bad.items():
        (run.path / name).write_bytes(data)
    calls = "\n".join(f'k.mapfil("{n}", "{"MAPG" if n.endswith(".txt") else "GSHH"}"); k.world()' for n in bad)
    out, img = pixels(run, f"""
k.projct("CYLI"); k.grafmp(-180.0, 180.0, -180.0, 90.0, -90.0, 90.0, -90.0, 30.0)
k.mapbas("MAPF")
{calls}
k.color("RED"); k.curvmp([0.0, 60.0], [0.0, 0.0], 2)""")
    assert out.count("read error") == 5          # every damaged file but the empty one
    assert (img[:, :, 0] > 200).sum() > 0


def test_map_files_are_reproduced(tmp_path):
    data = Path(ROOT).resolve().parents[1] / "shared" / "data" / "naturalearth"
    if not data.is_dir():
        pytest.skip("no source data")
    subprocess.run([sys.executable, str(Path(ROOT) / "tools" / "maps" / "make_maps.py"), str(data), str(tmp_path)],
                   check=True)
    for n in range(1, 5):
        made = (tmp_path / f"map{n}.dat").read_bytes()
        assert made == (Path(ROOT) / "python" / "kalvor" / "data" / "map" / f"map{n}.dat").read_bytes()
        assert len(made) < 1 << 20


USER_MAP = """
def draw(name, proj, f=None):
    k.metafl("SVG"); k.setfil(name); k.filmod("DELE"); k.kalini(); k.nograf(); k.projct(proj)
    if f: k.mapfcn(f)
    k.grafmp(-180.0, 180.0, -180.0, 90.0, -90.0, 90.0, -90.0, 30.0)
    ends = k.pos2pt(-180.0, -90.0) + k.pos2pt(180.0, 90.0)
    k.curvmp([-100.0, 0.0, 50.0, 120.0], [-40.0, 10.0, 60.0, 20.0], 4); k.gridmp(1, 1)
    k.kalfin()
    return ends
"""


def test_user_projection(run):
    # An equirectangular mapfcn draws what CYLI draws; an exception in it
    # drops the points and is reported once per call; MYPR without a
    # function is warning 2; a free routine calling back into Python while
    # another thread calls held routines does not deadlock.
    out = run(USER_MAP + """
import sys, threading
reports = []
sys.unraisablehook = lambda u: reports.append(type(u.exc_value).__name__)
x0, y0, x1, y1 = draw("cyli.svg", "CYLI")
sx, sy = (x1 - x0) / 360, (y0 - y1) / 180
equi = lambda lon, lat: ((lon + 180) * sx, (lat + 90) * sy)
draw("user.svg", "MYPR", equi)
def bad(lon, lat):
    if lat > 50: raise ValueError(lat)
    return equi(lon, lat)
draw("bad.svg", "MYPR", bad)
print("reports", reports)
k.metafl("VIRT"); k.kalini(); k.mapfcn(None); k.projct("MYPR")
k.grafmp(-180.0, 180.0, -180.0, 90.0, -90.0, 90.0, -90.0, 30.0)
k.mapfcn(equi); k.grafmp(-180.0, 180.0, -180.0, 90.0, -90.0, 90.0, -90.0, 30.0)
def lines():
    for _ in range(200): k.curvmp([0.0, 10.0, 20.0], [0.0, 5.0, 10.0], 3)
t = threading.Thread(target=lines); t.start()
while t.is_alive(): k.pos2pt(1.0, 2.0)
t.join(); k.kalfin()
""")
    assert (run.path / "cyli.svg").read_bytes() == (run.path / "user.svg").read_bytes()
    assert "reports " + str(["ValueError"] * 3) in out   # pos2pt, curvmp, gridmp
    assert out.count("Warning   2") == 1
    subprocess.run(["xmllint", "--noout", str(run.path / "bad.svg")], check=True)
    # Lines end at the last point before a failed one (latitude 50, row 204
    # of 603), none runs on to a far point.
    dark_rows = []
    for name in ("cyli", "bad"):
        subprocess.run(["rsvg-convert", "-b", "white", "-o", str(run.path / f"{name}.png"),
                        str(run.path / f"{name}.svg")], check=True)
        with Image.open(run.path / f"{name}.png") as img:
            dark_rows.append(np.nonzero((np.asarray(img.convert("L")) < 128).any(axis=1))[0].min())
    assert dark_rows[0] < 190 and 200 <= dark_rows[1] <= 206


def test_cells_under_mollweide(run):
    # conshd CELL on a MOLL map: northern cells (z = lat > 0) filled at their
    # projected centres, southern ones not; the cell edges follow the curved
    # outline (just inside the rim filled, just outside white).
    out, img = pixels(run, """
k.projct("MOLL"); k.nograf(); k.grafmp(-180.0, 180.0, -180.0, 30.0, -90.0, 90.0, -90.0, 30.0)
lon = [-180.0 + 30 * i for i in range(13)]; lat = [-90.0 + 30 * j for j in range(7)]
k.shdmod("UPPE", "CELL"); k.conshd(lon, 13, lat, 7, [[y for y in lat] for _ in lon], [0.0, 100.0], 2)
for p in [(-165.0, 75.0), (-15.0, 15.0), (15.0, -15.0)]: print(*k.pos2pt(*p))
for lat in (75.0, 45.0):
    x, y = k.pos2pt(-180.0, lat); print(x + 30, y); print(x - 30, y)""")
    north1, north2, south, rim_in1, rim_out1, rim_in2, rim_out2 = [tuple(img[p]) for p in at(out)]
    white = (255, 255, 255)
    assert north1 != white and north1 == north2 == rim_in1 == rim_in2
    assert south == rim_out1 == rim_out2 == white
