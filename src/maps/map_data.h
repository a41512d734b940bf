// Readers of map data: the library's own map files, GSHHS shoreline files
// and MAPG text files. Input is untrusted: every count is checked against
// the bytes that are left before anything is allocated, and a reader stops
// at the first damage, keeping what it delivered.
#pragma once
#include <cstdio>
#include <functional>
#include <vector>

namespace kal {

struct MapPolyline {
    std::vector<double> lon, lat;
    int code = 0;   // own data: region or country code; GSHHS: level
    void clear() {
        lon.clear();
        lat.clear();
    }
};

enum class MapRead { OK, DAMAGED, NO_END };

// Own data: every polygon with its code (the pair before its end mark).
// `limit` points at most per polygon (the rest counted in `dropped`).
MapRead read_own_map(std::FILE* f, size_t limit, long& dropped, const std::function<void(const MapPolyline&)>& take);

// GSHHS: pieces of each polygon of the wanted level (0: all), split where
// consecutive longitudes differ by more than 15 degrees.
MapRead read_gshhs(std::FILE* f, int level, const std::function<void(const MapPolyline&)>& take);

// MAPG text: lines of longitude latitude pairs, "#" lines between them.
MapRead read_mapg(std::FILE* f, const std::function<void(const MapPolyline&)>& take);

}  // namespace kal
