"""W11: a world map of the land polygons of Natural Earth 1:50m (about 60,600
points) with a 30-degree grid in MERC, MOLL and ORTH, as PDF and PNG:
KALVOR (world from a GSHHS file made of the same rings) beside cartopy
(shapely polygons through add_geometries; its data_dir is an empty folder,
so nothing is fetched). Medians of RUNS rounds, each in a fresh process.

    PYTHONPATH=build/<dir>/python bench/.venv/bin/python bench/bench_maps.py [--runs 5]

Medians of 3 on the shared 2-core machine (busy; cartopy 0.26 from PyPI),
seconds KALVOR / cartopy: MERC PDF 0.072 / 22.5, PNG 0.204 / 35.6; MOLL PDF
0.324 / 78.3, PNG 0.276 / 50.9; ORTH PDF 0.240 / 24.8, PNG 0.213 / 19.7, i.e.
93 to 311 times faster. cartopy also draws a stray band where land-50m's
Antarctica ring meets the seam; ours follows the ring.
"""
import json
import os
import statistics
import struct
import subprocess
import sys
import tempfile
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
DATA = next((p / "shared" / "data" / "naturalearth" / "land-50m.json" for p in HERE.parents
             if (p / "shared" / "data" / "naturalearth" / "land-50m.json").is_file()), None)
sys.path.insert(0, str(HERE.parent / "tools" / "maps"))


def rings():
    import make_maps
    topo, arcs, to_deg = make_maps.decode(DATA)
    out = []
    for g in topo["objects"]["land"]["geometries"]:
        for poly in make_maps.polygons(g):
            for ring in poly:
                out.append([to_deg(p) for p in make_maps.ring_points(arcs, ring)])
    return out


def write_gshhs(path, rs):
    with open(path, "wb") as f:
        for i, r in enumerate(rs):
            f.write(struct.pack(">8i", i, len(r), 1, 0, 0, 0, 0, 0) + b"\0" * 4)
            f.write(b"".join(struct.pack(">2i", round(x * 1e6), round(y * 1e6)) for x, y in r))


def kalvor_child(proj, fmt, path, gshhs):
    import kalvor as k
    t0 = time.perf_counter()
    k.metafl(fmt.upper()); k.filmod("DELE"); k.setfil(path); k.scrmod("REVERS"); k.kalini()
    k.errmod("PROT", "OFF")
    k.axspos(85, 1950); k.axslen(2800, 1800 if proj == "ORTH" else 1400)
    k.projct(proj)
    if proj == "ORTH":
        k.mappol(10.0, 45.0)
        k.grafmp(-180.0, 180.0, -180.0, 30.0, -90.0, 90.0, -90.0, 30.0)
    else:
        ylim = 80.0 if proj == "MERC" else 90.0
        k.grafmp(-180.0, 180.0, -180.0, 30.0, -ylim, ylim, -60.0 if proj == "MERC" else -90.0, 30.0)
    k.mapbas("MAPF"); k.mapfil(gshhs, "GSHH")
    k.world()
    k.gridmp(1, 1)
    k.endgrf(); k.kalfin()
    return time.perf_counter() - t0


def cartopy_child(proj, fmt, path, gshhs):
    import matplotlib
    matplotlib.use("Agg")
    import cartopy
    empty = tempfile.mkdtemp()
    cartopy.config["data_dir"] = empty
    cartopy.config["pre_existing_data_dir"] = empty
    import cartopy.crs as ccrs
    import matplotlib.pyplot as plt
    import shapely.geometry as sg
    polys = [sg.Polygon(r) for r in rings()]
    t0 = time.perf_counter()
    crs = {"MERC": ccrs.Mercator(), "MOLL": ccrs.Mollweide(),
           "ORTH": ccrs.Orthographic(10, 45)}[proj]
    fig = plt.figure(figsize=(297 / 25.4, 210 / 25.4), dpi=853 * 25.4 / 297)
    ax = fig.add_subplot(projection=crs)
    ax.set_global()
    ax.add_geometries(polys, ccrs.PlateCarree(), facecolor="none", edgecolor="black", linewidth=0.5)
    ax.gridlines(xlocs=range(-180, 181, 30), ylocs=range(-90, 91, 30))
    fig.savefig(path, format=fmt)
    plt.close(fig)
    assert not os.listdir(empty), "cartopy fetched data"
    return time.perf_counter() - t0


def main(argv):
    if argv and argv[0] == "--child":
        who, proj, fmt, path, gshhs = argv[1:]
        print(json.dumps((kalvor_child if who == "kalvor" else cartopy_child)(proj, fmt, path, gshhs)))
        return
    runs = int(argv[argv.index("--runs") + 1]) if "--runs" in argv else 3
    tmp = Path(tempfile.mkdtemp())
    rs = rings()
    gshhs = str(tmp / "land50.b")
    write_gshhs(gshhs, rs)
    print(f"W11: land-50m, {len(rs)} rings, {sum(map(len, rs))} points; medians of {runs} (seconds)")
    print(f"{'':12} {'KALVOR':>8} {'cartopy':>8} {'ratio':>7}")
    for proj in ("MERC", "MOLL", "ORTH"):
        for fmt in ("pdf", "png"):
            med = {}
            for who in ("kalvor", "cartopy"):
                times = []
                for i in range(runs):
                    out = subprocess.run([sys.executable, __file__, "--child", who, proj, fmt,
                                          str(tmp / f"{who}_{proj}.{fmt}"), gshhs],
                                         capture_output=True, text=True)
                    if out.returncode:
                        print(out.stderr[-800:])
                        break
                    times.append(json.loads(out.stdout.strip().splitlines()[-1]))
                med[who] = statistics.median(times) if times else float("nan")
            print(f"{proj + ' ' + fmt.upper():12} {med['kalvor']:8.3f} {med['cartopy']:8.3f} "
                  f"{med['cartopy'] / med['kalvor']:6.1f}x")
    print(f"pictures in {tmp}")


if __name__ == "__main__":
    main(sys.argv[1:])
