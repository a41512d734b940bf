// The in-memory raster: pixels, palette, current colour and the drawing
// operations of the raster devices. It knows nothing about files or the
// context record, so the image driver, the pixel routines, the screen and the
// z-buffer all draw into the same object.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "util/large_arrays.h"

namespace kal {

class Raster {
public:
    // Largest side and largest pixel memory that create() accepts.
    static constexpr int MAX_SIDE = 65535;
    static constexpr size_t MAX_BYTES = size_t(1) << 30;

    struct Colour {
        uint8_t r = 0, g = 0, b = 0;
    };

    // Allocates width x height pixels (three bytes per pixel in the order
    // red, green, blue when true_colour, else one palette index), filled with
    // 0xFF when true_colour and white, else with 0. Returns false, leaving
    // the raster as it was, for a size outside 1..MAX_SIDE, more than
    // MAX_BYTES of pixels, or no memory.
    bool create(int width, int height, bool true_colour, bool white);
    // Fills the pixels again as create() did.
    void clear();

    int width() const { return width_; }
    int height() const { return height_; }
    bool true_colour() const { return true_colour_; }
    bool white() const { return white_; }
    int bytes_per_pixel() const { return true_colour_ ? 3 : 1; }
    size_t stride() const { return size_t(width_) * bytes_per_pixel(); }
    uint8_t* row(int y) { return pixels_.data() + size_t(y) * stride(); }
    const uint8_t* row(int y) const { return pixels_.data() + size_t(y) * stride(); }
    bool inside(long long x, long long y) const {
        return x >= 0 && y >= 0 && x < width_ && y < height_;
    }

    // ---- palette ----
    // Loads all 256 entries of a table of 0x00RRGGBB values; nearest()
    // searches the first `search` entries (1..256) only.
    void load_palette(const uint32_t* table, int search);
    Colour palette(int index) const { return palette_[index & 0xFF]; }
    // Index of the nearest palette entry: smallest |dR| + |dG| + |dB|, the
    // lowest index on ties, stopping at the first exact match.
    int nearest(int r, int g, int b) const;

    // ---- current colour ----
    // A colour value: 0x01BBGGRR gives its components (and on a palette
    // raster the nearest index), anything else is a palette index modulo 256.
    void set_colour(int value);
    void set_index(int index);
    void set_rgb(int r, int g, int b);
    int colour_index() const { return index_; }
    Colour colour_rgb() const { return rgb_; }
    // The current colour as a whole, to draw in another one for a moment.
    struct Pen {
        int index;
        Colour rgb;
    };
    Pen pen() const { return {index_, rgb_}; }
    void set_pen(const Pen& p) {
        index_ = p.index;
        rgb_ = p.rgb;
    }

    // ---- drawing in the current colour, clipped to the raster ----
    void line(int x1, int y1, int x2, int y2);
    // The lines from (x0, y0) through the n points in turn: the pixels of
    // line() for each, but a run of lines within one column set once.
    void polyline(int x0, int y0, int n, const int* x, const int* y);
    // Every pixel of rows y1..y2 and columns x1..x2 (in either order).
    void fill_rect(int x1, int y1, int x2, int y2);
    // The three edges, then the rows between them.
    void fill_triangle(const int* x, const int* y);
    void plot(int x, int y) {
        if (inside(x, y)) put(x, y);
    }

    // ---- single pixels (the caller checks inside()) ----
    Colour pixel_rgb(int x, int y) const;
    // The pixel's index, or the nearest palette index on a true-colour raster.
    int pixel_index(int x, int y) const;
    void put_index(int x, int y, int index);
    void put_rgb(int x, int y, int r, int g, int b);

    // n pixels of row y from column x (all inside) as red, green, blue.
    void rgb_row(int x, int y, int n, uint8_t* out) const;

private:
    void put(int x, int y);
    void span(long long x1, long long x2, long long y);   // inclusive, clipped
    void column(long long x, long long y1, long long y2);  // inclusive, clipped

    int width_ = 0, height_ = 0;
    bool true_colour_ = false;
    bool white_ = false;
    LargeArray<uint8_t> pixels_;
    Colour palette_[256];
    int search_count_ = 256;
    int index_ = 0;
    Colour rgb_;
};

}  // namespace kal
