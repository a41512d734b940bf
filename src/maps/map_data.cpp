// Map data readers.
#include "maps/map_data.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace kal {
namespace {

bool read_be32(std::FILE* f, int32_t& v) {
    unsigned char b[4];
    if (std::fread(b, 1, 4, f) != 4) return false;
    v = int32_t(uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | uint32_t(b[3]));
    return true;
}

// Bytes from the current position to the end of the file, -1 when unknown.
long bytes_left(std::FILE* f) {
    const long here = std::ftell(f);
    if (here < 0 || std::fseek(f, 0, SEEK_END) != 0) return -1;
    const long end = std::ftell(f);
    std::fseek(f, here, SEEK_SET);
    return end < here ? -1 : end - here;
}

}  // namespace

MapRead read_own_map(std::FILE* f, size_t limit, long& dropped,
                     const std::function<void(const MapPolyline&)>& take) {
    MapPolyline poly;
    bool open = false;         // a polygon is being collected
    int32_t pending[2] = {0, 0}; // the last complete pair, not yet a point
    int have = 0;              // values of the pair read (0..2)
    bool pair_ready = false;
    int32_t v;
    auto commit = [&] {
        if (!pair_ready) return;
        if (open) {
            if (poly.lon.size() < limit) {
                poly.lon.push_back(pending[0] * 0.001 - 180);
                poly.lat.push_back(pending[1] * 0.001 - 90);
            } else {
                ++dropped;
            }
        }
        pair_ready = false;
    };
    auto close = [&] {
        if (open && !poly.lon.empty()) take(poly);
        poly.clear();
        open = false;
    };
    while (read_be32(f, v)) {
        if (v >= 0) {
            if (have == 0) commit();  // the pair before becomes a point
            pending[have++] = v;
            if (have == 2) {
                have = 0;
                pair_ready = true;
            }
            continue;
        }
        if (v == -1000) continue;
        if (v == -9000) {
            commit();
            close();
            return MapRead::OK;
        }
        // The end of a polygon: its last pair is the code of the next.
        close();
        if (pair_ready) {
            poly.code = int(std::lround(pending[0] * 0.001));
            open = true;
        }
        pair_ready = false;
        have = 0;
    }
    commit();
    close();
    return MapRead::NO_END;
}

MapRead read_gshhs(std::FILE* f, int level, const std::function<void(const MapPolyline&)>& take) {
    long left = bytes_left(f);
    MapPolyline piece;
    for (;;) {
        int32_t h[8];
        unsigned char extra[4];
        size_t got = 0;
        for (int i = 0; i < 8; ++i) got += read_be32(f, h[i]) ? 1 : 0;
        if (got == 0 && std::feof(f)) return MapRead::OK;
        if (got != 8 || std::fread(extra, 1, 4, f) != 4) return MapRead::DAMAGED;
        if (left >= 0) left -= 36;
        const int32_t n = h[1], lev = h[2];
        if (n < 0 || (left >= 0 && int64_t(n) * 8 > left)) return MapRead::DAMAGED;
        const bool wanted = level == 0 || lev == level;
        if (!wanted) {
            if (std::fseek(f, long(n) * 8, SEEK_CUR) != 0) return MapRead::DAMAGED;
            if (left >= 0) left -= long(n) * 8;
            continue;
        }
        piece.clear();
        piece.code = lev;
        for (int32_t i = 0; i < n; ++i) {
            int32_t a, b;
            if (!read_be32(f, a) || !read_be32(f, b)) {
                if (piece.lon.size() > 1) take(piece);
                return MapRead::DAMAGED;
            }
            double lon = a * 1e-6, lat = b * 1e-6;
            if (std::fabs(lon) > 360 || std::fabs(lat) > 90) {
                if (piece.lon.size() > 1) take(piece);
                return MapRead::DAMAGED;
            }
            if (lon > 180) lon -= 360;
            if (!piece.lon.empty() && std::fabs(lon - piece.lon.back()) > 15) {
                if (piece.lon.size() > 1) take(piece);
                piece.clear();
            }
            piece.lon.push_back(lon);
            piece.lat.push_back(lat);
        }
        if (left >= 0) left -= long(n) * 8;
        if (piece.lon.size() > 1) take(piece);
    }
}

MapRead read_mapg(std::FILE* f, const std::function<void(const MapPolyline&)>& take) {
    MapPolyline line;
    bool damaged = false;
    char buf[134];
    auto flush = [&] {
        if (line.lon.size() > 1) take(line);
        line.clear();
    };
    while (std::fgets(buf, sizeof buf, f)) {
        const size_t len = std::strlen(buf);
        if (len > 0 && buf[len - 1] != '\n' && !std::feof(f)) {
            // Longer than a line may be: the rest is consumed, the line skipped.
            int c;
            while ((c = std::fgetc(f)) != EOF && c != '\n') {
            }
            damaged = true;
            continue;
        }
        if (buf[0] == '#') {
            flush();
            continue;
        }
        char* end = nullptr;
        const double lon = std::strtod(buf, &end);
        char* end2 = nullptr;
        const double lat = end != buf ? std::strtod(end, &end2) : 0;
        if (end == buf || end2 == end || !std::isfinite(lon) || !std::isfinite(lat) || std::fabs(lon) > 360 ||
            std::fabs(lat) > 90) {
            const bool blank = std::strspn(buf, " \t\r\n") == len;
            if (!blank) damaged = true;
            continue;
        }
        line.lon.push_back(lon > 180 ? lon - 360 : lon);
        line.lat.push_back(lat);
    }
    flush();
    return damaged ? MapRead::DAMAGED : MapRead::OK;
}

}  // namespace kal
