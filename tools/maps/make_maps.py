#!/usr/bin/env python3
"""Builds the library's own map files python/kalvor/data/map/map1.dat .. map4.dat
from the TopoJSON boundary data in ../shared/data/naturalearth.

Layout of a file: 32-bit big-endian integers. Before each polygon a pair
(code * 1000, 0) and -1; a point is the pair ((lon + 180) * 1000,
(lat + 90) * 1000); -1000 pads the file to blocks of 20 values and -9000 ends it.

map1  continents merged from countries-110m (1 Antarctica, 2 Africa, 3 Eurasia,
      4 Oceania, 6 North America, 7 South America, 8 holes of the merged rings)
map2  Europe, map4 Africa: countries of countries-50m, codes 1..n alphabetically
map3  the 50 states and DC of us-states-10m, codes 1..51 in FIPS order
Usage: make_maps.py [DATA_DIR [OUT_DIR]]   (--tables prints the code tables)
"""
import json
import math
import struct
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
DATA = next((p / "shared" / "data" / "naturalearth" for p in ROOT.parents
             if (p / "shared" / "data" / "naturalearth").is_dir()), None)
OUT = ROOT / "python" / "kalvor" / "data" / "map"
MAX_RING = 2000


def decode(path):
    topo = json.loads(Path(path).read_text())
    sx, sy = topo["transform"]["scale"]
    tx, ty = topo["transform"]["translate"]
    arcs = []
    for arc in topo["arcs"]:
        x = y = 0
        pts = []
        for dx, dy in arc:
            x += dx
            y += dy
            pts.append((x, y))          # quantized, exact for the topology
        arcs.append(pts)
    to_deg = lambda p: (p[0] * sx + tx, p[1] * sy + ty)
    return topo, arcs, to_deg


def arc_points(arcs, i):
    return arcs[i] if i >= 0 else arcs[~i][::-1]


def ring_points(arcs, ring):
    pts = []
    for i in ring:
        a = arc_points(arcs, i)
        pts.extend(a if not pts else a[1:])
    return pts


def polygons(geom):
    if geom["type"] == "Polygon":
        return [geom["arcs"]]
    if geom["type"] == "MultiPolygon":
        return geom["arcs"]
    return []


def area(pts):
    return sum(x0 * y1 - x1 * y0 for (x0, y0), (x1, y1) in zip(pts, pts[1:] + pts[:1])) / 2


def unwrapped(pts):
    """The longitudes of a ring continued the short way from point to point
    (over the date line: Fiji, Wrangel Island)."""
    lons = [pts[0][0]]
    for lon, _ in pts[1:]:
        lons.append(lons[-1] + (lon - lons[-1] + 180) % 360 - 180)
    return lons


def ring_area(pts):
    """Signed area in degrees of a ring of (lon, lat), the short way between
    its points; a ring round a pole (Antarctica) as it is."""
    lons = unwrapped(pts)
    if abs(lons[-1] + (pts[0][0] - lons[-1] + 180) % 360 - 180 - lons[0]) > 1e-9:
        return area(pts)
    return area([(x, y) for x, (_, y) in zip(lons, pts)])


def merge(arcs, geoms):
    """Outer rings and holes of the union of the polygons (shared arcs dropped)."""
    refs = [i for g in geoms for poly in polygons(g) for ring in poly for i in ring]
    count = {}
    for i in refs:
        count[i if i >= 0 else ~i] = count.get(i if i >= 0 else ~i, 0) + 1
    free = [i for i in refs if count[i if i >= 0 else ~i] == 1]
    start = {}
    for i in free:
        start.setdefault(arc_points(arcs, i)[0], []).append(i)
    used, rings = set(), []
    for i in free:
        if i in used:
            continue
        ring, j = [], i
        while j is not None and j not in used:
            used.add(j)
            ring.append(j)
            end = arc_points(arcs, j)[-1]
            j = next((k for k in start.get(end, []) if k not in used), None)
        rings.append(ring_points(arcs, ring))
    return rings


def thin(pts, limit):
    if len(pts) <= limit:
        return pts
    step = len(pts) / limit
    return [pts[int(k * step)] for k in range(limit)]


def centroid(arcs, to_deg, geom):
    best = max((ring_points(arcs, poly[0]) for poly in polygons(geom)), key=lambda r: abs(area(r)))
    pts = [to_deg(p) for p in best]
    lon = sum(unwrapped(pts)) / len(pts)
    return (lon + 180) % 360 - 180, sum(p[1] for p in pts) / len(pts)


def region(geom, lon, lat):
    """Continent of a country of countries-110m from its id and main centroid."""
    ident, name = geom.get("id"), geom["properties"]["name"]
    if ident == "010":
        return 1
    if lon < -25:
        if name == "Panama" or lat >= 12.6 or lon < -82:
            return 6
        return 7
    if (lat < -10 and lon > 110) or (lon > 140 and lat < 0):
        return 4
    if ident in ("196",) or name == "N. Cyprus":
        return 3
    if -26 < lon < 52 and lat < 37.5 and (lon < 34.5 or lat < 12.5 or ident == "232"):
        return 2
    return 3


def encode(polys):
    """polys: (code, [(lon, lat), ...]) in order."""
    vals = []
    for code, pts in polys:
        vals += [code * 1000, 0, -1]
        for lon, lat in pts:
            vals += [max(0, round((lon + 180) * 1000)), max(0, round((lat + 90) * 1000))]
    while (len(vals) + 1) % 20:
        vals.append(-1000)
    vals.append(-9000)
    return struct.pack(f">{len(vals)}i", *vals)


def antarctica(pts):
    """The ring ends with (180, -90), (-180, -90) instead of its closing run
    along the lowest parallel, so that an outline stays open and a fill reaches
    the pole."""
    n = len(pts)
    low = min(p[1] for p in pts)
    cut = [k for k in range(n) if abs(pts[k][1] - low) < 1e-6]
    # Start just after the run along the lowest parallel.
    k = max(cut) + 1 if cut else 0
    ring = [p for p in pts[k:] + pts[:k] if abs(p[1] - low) > 1e-6]
    if ring[0][0] > ring[-1][0]:
        ring.reverse()
    # Now from -180 eastwards to 180.
    return ring + [(180.0, -90.0), (-180.0, -90.0)]


def map1(data):
    topo, arcs, to_deg = decode(data / "countries-110m.json")
    by_region = {}
    for g in topo["objects"]["countries"]["geometries"]:
        lon, lat = centroid(arcs, to_deg, g)
        by_region.setdefault(region(g, lon, lat), []).append(g)
    out = []
    holes = []
    for code in sorted(by_region):
        rings = [[to_deg(p) for p in r[:-1]] for r in merge(arcs, by_region[code])]
        sign = 1 if sum(ring_area(r) for r in rings) > 0 else -1
        for pts in rings:
            if ring_area(pts) * sign < 0:
                holes.append(pts)
                continue
            if code == 1 and len(pts) > 500:
                pts = antarctica(pts)
            out.append((code, thin(pts, MAX_RING)))
    out += [(8, thin(h, MAX_RING)) for h in holes]
    return encode(out), None


def countries(path, wanted, limit):
    topo, arcs, to_deg = decode(path)
    chosen = []
    for g in topo["objects"]["countries"]["geometries"]:
        polys = polygons(g)
        if not polys:
            continue
        lon, lat = centroid(arcs, to_deg, g)
        if wanted(g, lon, lat):
            size = sum(abs(area([to_deg(p) for p in ring_points(arcs, poly[0])])) for poly in polys)
            chosen.append((size, g))
    chosen.sort(key=lambda c: -c[0])       # small countries dropped first
    chosen = sorted((g for _, g in chosen[:limit]), key=lambda g: g["properties"]["name"])
    return chosen, arcs, to_deg


def country_file(chosen, arcs, to_deg, code_of):
    out, table = [], []
    for k, g in enumerate(chosen, 1):
        code = code_of(k, g)
        table.append((code, g["properties"]["name"]))
        for poly in polygons(g):      # outer rings: enclaves are countries of their own
            pts = [to_deg(p) for p in ring_points(arcs, poly[0])[:-1]]
            if len(pts) >= 3:
                out.append((code, pts))
    out.sort(key=lambda c: c[0])
    return encode(out), table


def europe(g, lon, lat):
    name = g["properties"]["name"]
    if name in ("Russia", "Turkey"):
        return True
    return -25 < lon < 45 and 34.5 < lat < 72 and name not in ("Israel", "Lebanon", "Syria", "Iraq", "Iran",
                                                                 "Georgia", "Armenia", "Azerbaijan", "Jordan",
                                                                 "Palestine", "Kazakhstan", "Tunisia", "Algeria",
                                                                 "Morocco")


def africa(g, lon, lat):
    name = g["properties"]["name"]
    if name == "N. Cyprus" or g.get("id") == "196":
        return False
    return -26 < lon < 60 and -40 < lat < 37.5 and (lon < 34.5 or lat < 12.5 or name == "Eritrea") and name not in (
        "Yemen", "Fr. S. Antarctic Lands", "Br. Indian Ocean Ter.")


def map_eur(data):
    chosen, arcs, to_deg = countries(data / "countries-50m.json", europe, 46)
    return country_file(chosen, arcs, to_deg, lambda k, g: k)


def map_afr(data):
    chosen, arcs, to_deg = countries(data / "countries-50m.json", africa, 52)
    return country_file(chosen, arcs, to_deg, lambda k, g: k)


def map_usa(data):
    topo, arcs, to_deg = decode(data / "us-states-10m.json")
    states = [g for g in topo["objects"]["states"]["geometries"] if int(g["id"]) <= 56]
    states.sort(key=lambda g: int(g["id"]))
    return country_file(states, arcs, to_deg, lambda k, g: k)


def main(argv):
    args = [a for a in argv if not a.startswith("--")]
    data = Path(args[0]) if args else DATA
    out = Path(args[1]) if len(args) > 1 else OUT
    out.mkdir(parents=True, exist_ok=True)
    for number, make in ((1, map1), (2, map_eur), (3, map_usa), (4, map_afr)):
        blob, table = make(data)
        (out / f"map{number}.dat").write_bytes(blob)
        if "--tables" in argv and table:
            print(f"map{number}:", ", ".join(f"{c} {n}" for c, n in table))


if __name__ == "__main__":
    main(sys.argv[1:])
