#include "output/raster/raster.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace kal {
namespace {

using i128 = __int128;

// Floor of a / b for b > 0.
long long floor_div(i128 a, i128 b) {
    i128 q = a / b;
    if ((a % b) != 0 && a < 0) --q;
    return static_cast<long long>(q);
}

// Ceiling of a / b for b > 0.
long long ceil_div(i128 a, i128 b) { return -floor_div(-a, b); }

// x at row y on the edge from (xa, ya) to (xb, yb), truncated toward zero;
// a horizontal edge gives its end point.
long long edge_x(long long xa, long long ya, long long xb, long long yb, long long y) {
    if (yb == ya) return xb;
    return xa + static_cast<long long>(i128(xb - xa) * (y - ya) / (yb - ya));
}

}  // namespace

bool Raster::create(int width, int height, bool true_colour, bool white) {
    if (width < 1 || height < 1 || width > MAX_SIDE || height > MAX_SIDE) return false;
    const size_t bytes = size_t(width) * size_t(height) * (true_colour ? 3 : 1);
    if (bytes > MAX_BYTES) return false;
    LargeArray<uint8_t> pixels;
    try {
        pixels.assign(bytes, (true_colour && white) ? 0xFF : 0x00);
    } catch (const std::bad_alloc&) {
        return false;
    }
    pixels_.swap(pixels);
    width_ = width;
    height_ = height;
    true_colour_ = true_colour;
    white_ = white;
    return true;
}

void Raster::clear() {
    std::fill(pixels_.begin(), pixels_.end(), (true_colour_ && white_) ? 0xFF : 0x00);
}

void Raster::load_palette(const uint32_t* table, int search) {
    for (int i = 0; i < 256; ++i) {
        palette_[i].r = static_cast<uint8_t>(table[i] >> 16);
        palette_[i].g = static_cast<uint8_t>(table[i] >> 8);
        palette_[i].b = static_cast<uint8_t>(table[i]);
    }
    search_count_ = std::clamp(search, 1, 256);
}

int Raster::nearest(int r, int g, int b) const {
    int best = 0, best_distance = -1;
    for (int i = 0; i < search_count_; ++i) {
        const Colour& e = palette_[i];
        const int d = std::abs(e.r - r) + std::abs(e.g - g) + std::abs(e.b - b);
        if (best_distance < 0 || d < best_distance) {
            best = i;
            best_distance = d;
            if (d == 0) break;
        }
    }
    return best;
}

void Raster::set_colour(int value) {
    const uint32_t v = static_cast<uint32_t>(value);
    if ((v >> 24) == 1u) {
        set_rgb(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
    } else {
        set_index(static_cast<int>(v % 256u));
    }
}

void Raster::set_index(int index) {
    index_ = index & 0xFF;
    rgb_ = palette_[index_];
}

void Raster::set_rgb(int r, int g, int b) {
    rgb_ = {static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)};
    if (!true_colour_) index_ = nearest(rgb_.r, rgb_.g, rgb_.b);
}

void Raster::put(int x, int y) {
    uint8_t* p = row(y) + size_t(x) * bytes_per_pixel();
    if (true_colour_) {
        p[0] = rgb_.r;
        p[1] = rgb_.g;
        p[2] = rgb_.b;
    } else {
        p[0] = static_cast<uint8_t>(index_);
    }
}

void Raster::span(long long x1, long long x2, long long y) {
    if (y < 0 || y >= height_) return;
    x1 = std::max(x1, 0LL);
    x2 = std::min(x2, static_cast<long long>(width_) - 1);
    if (x1 > x2) return;
    uint8_t* p = row(static_cast<int>(y));
    if (!true_colour_) {
        std::memset(p + x1, index_, static_cast<size_t>(x2 - x1 + 1));
        return;
    }
    for (long long x = x1; x <= x2; ++x) {
        uint8_t* q = p + 3 * x;
        q[0] = rgb_.r;
        q[1] = rgb_.g;
        q[2] = rgb_.b;
    }
}

void Raster::column(long long x, long long y1, long long y2) {
    if (x < 0 || x >= width_) return;
    y1 = std::max(y1, 0LL);
    y2 = std::min(y2, static_cast<long long>(height_) - 1);
    for (long long y = y1; y <= y2; ++y) put(static_cast<int>(x), static_cast<int>(y));
}

void Raster::polyline(int x0, int y0, int n, const int* x, const int* y) {
    if (width_ == 0) return;
    // Pixels set in column x0 since the polyline entered it (lo > hi: none).
    long long lo = 1, hi = 0;
    for (int i = 0; i < n; ++i) {
        if (x[i] == x0) {
            if (lo > hi) lo = hi = y0;
            lo = std::min<long long>(lo, y[i]);
            hi = std::max<long long>(hi, y[i]);
        } else {
            if (lo <= hi) column(x0, lo, hi);
            lo = 1;
            hi = 0;
            line(x0, y0, x[i], y[i]);
            x0 = x[i];
        }
        y0 = y[i];
    }
    if (lo <= hi) column(x0, lo, hi);
}

// Bresenham from (x1, y1) to (x2, y2), both ends included: with d the larger
// and e the smaller of |dx| and |dy|, the error starts at -(d / 2), each step
// along the major axis adds e, and a positive error steps the minor axis and
// subtracts d. After k steps the minor axis has moved m(k) = ceil((k e - h) / d)
// times (h = d / 2), so the steps that can lie on the raster are computed
// first and only those are walked; a line far outside costs nothing.
void Raster::line(int x1, int y1, int x2, int y2) {
    if (width_ == 0) return;
    if (y1 == y2) {
        span(std::min(x1, x2), std::max(x1, x2), y1);
        return;
    }
    if (x1 == x2) {
        column(x1, std::min(y1, y2), std::max(y1, y2));
        return;
    }
    const long long dx = static_cast<long long>(x2) - x1, dy = static_cast<long long>(y2) - y1;
    const bool x_major = std::llabs(dx) >= std::llabs(dy);
    const long long d = x_major ? std::llabs(dx) : std::llabs(dy);
    const long long e = x_major ? std::llabs(dy) : std::llabs(dx);
    const long long h = d / 2;
    const long long a0 = x_major ? x1 : y1, b0 = x_major ? y1 : x1;
    const int sa = (x_major ? dx : dy) > 0 ? 1 : -1;
    const int sb = (x_major ? dy : dx) > 0 ? 1 : -1;
    // The steps k_lo..k_hi to walk, the minor steps m made before k_lo and
    // the error there. Both ends on the raster: every step, from the first.
    long long k_lo = 0, k_hi = d, m = 0, err = -h;
    if (!inside(x1, y1) || !inside(x2, y2)) {
        const long long a_max = (x_major ? width_ : height_) - 1;
        const long long b_max = (x_major ? height_ : width_) - 1;
        // Steps k in 0..d whose major coordinate a0 + sa k lies on the raster.
        k_lo = std::max(sa > 0 ? -a0 : a0 - a_max, 0LL);
        k_hi = std::min(sa > 0 ? a_max - a0 : a0, d);
        // Minor steps m whose coordinate b0 + sb m lies on the raster.
        const long long m_lo = std::max(sb > 0 ? -b0 : b0 - b_max, 0LL);
        const long long m_hi = std::min(sb > 0 ? b_max - b0 : b0, e);
        if (m_lo > m_hi) return;
        // m(k) >= m_lo  <=>  k e - h > (m_lo - 1) d;  m(k) <= m_hi  <=>  k e - h <= m_hi d.
        k_lo = std::max(k_lo, floor_div(i128(m_lo - 1) * d + h, e) + 1);
        k_hi = std::min(k_hi, floor_div(i128(m_hi) * d + h, e));
        if (k_lo > k_hi) return;
        m = ceil_div(i128(k_lo) * e - h, d);
        err = static_cast<long long>(-i128(h) + i128(k_lo) * e - i128(m) * d);
    }
    long long a = a0 + sa * k_lo, b = b0 + sb * m;
    for (long long k = k_lo;; ++k) {
        const long long x = x_major ? a : b, y = x_major ? b : a;
        if (inside(x, y)) put(static_cast<int>(x), static_cast<int>(y));
        if (k == k_hi) break;
        a += sa;
        err += e;
        if (err > 0) {
            b += sb;
            err -= d;
        }
    }
}

void Raster::fill_rect(int x1, int y1, int x2, int y2) {
    if (width_ == 0) return;
    const long long ya = std::max(std::min(y1, y2), 0);
    const long long yb = std::min(std::max(y1, y2), height_ - 1);
    for (long long y = ya; y <= yb; ++y) span(std::min(x1, x2), std::max(x1, x2), y);
}

void Raster::fill_triangle(const int* x, const int* y) {
    if (width_ == 0) return;
    line(x[0], y[0], x[1], y[1]);
    line(x[1], y[1], x[2], y[2]);
    line(x[2], y[2], x[0], y[0]);
    int o[3] = {0, 1, 2};
    std::stable_sort(o, o + 3, [&](int a, int b) { return y[a] < y[b]; });
    const long long x0 = x[o[0]], y0 = y[o[0]], xm = x[o[1]], ym = y[o[1]];
    const long long x2 = x[o[2]], y2 = y[o[2]];
    if (y0 == y2) {
        span(std::min({x0, xm, x2}), std::max({x0, xm, x2}), y0);
        return;
    }
    const long long last = std::min(y2, static_cast<long long>(height_) - 1);
    for (long long row = std::max(y0, 0LL); row <= last; ++row) {
        const long long a = edge_x(x0, y0, x2, y2, row);
        const long long b = row <= ym ? edge_x(x0, y0, xm, ym, row) : edge_x(xm, ym, x2, y2, row);
        span(std::min(a, b), std::max(a, b), row);
    }
}

Raster::Colour Raster::pixel_rgb(int x, int y) const {
    const uint8_t* p = row(y) + size_t(x) * bytes_per_pixel();
    if (!true_colour_) return palette_[p[0]];
    return {p[0], p[1], p[2]};
}

int Raster::pixel_index(int x, int y) const {
    const uint8_t* p = row(y) + size_t(x) * bytes_per_pixel();
    return true_colour_ ? nearest(p[0], p[1], p[2]) : p[0];
}

void Raster::put_index(int x, int y, int index) {
    uint8_t* p = row(y) + size_t(x) * bytes_per_pixel();
    index &= 0xFF;
    if (!true_colour_) {
        p[0] = static_cast<uint8_t>(index);
        return;
    }
    p[0] = palette_[index].r;
    p[1] = palette_[index].g;
    p[2] = palette_[index].b;
}

void Raster::put_rgb(int x, int y, int r, int g, int b) {
    uint8_t* p = row(y) + size_t(x) * bytes_per_pixel();
    if (!true_colour_) {
        p[0] = static_cast<uint8_t>(nearest(r, g, b));
        return;
    }
    p[0] = static_cast<uint8_t>(r);
    p[1] = static_cast<uint8_t>(g);
    p[2] = static_cast<uint8_t>(b);
}

void Raster::rgb_row(int x, int y, int n, uint8_t* out) const {
    const uint8_t* p = row(y) + size_t(x) * bytes_per_pixel();
    if (true_colour_) {
        std::memcpy(out, p, size_t(n) * 3);
        return;
    }
    for (int i = 0; i < n; ++i) {
        const Colour& c = palette_[p[i]];
        out[3 * i] = c.r;
        out[3 * i + 1] = c.g;
        out[3 * i + 2] = c.b;
    }
}

}  // namespace kal
