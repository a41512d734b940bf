// The WMF driver (device 221): a Windows metafile in twips (1440 per inch
// at true size), every drawing call one record: a colour a solid pen (and
// the text colour), a move MOVETO, a draw LINETO, a filled
// rectangle RECTANGLE under a solid brush and the null pen, a solid polygon
// POLYGON under a solid brush. A hollow brush is selected in between, so
// that nothing else is filled. Pens are as wide as the PDF device's lines
// (a thin line 1/4 mm, linwid and penwid alike): the device draws widths.
//
// Coordinates are 16-bit: a page whose extent would pass 32,767 is drawn
// smaller by a factor k, and the placeable header's units per inch are
// round(1440·k), so that the picture keeps its size. Points beyond the
// range (noclip) are held at ±32,767; a polygon of more points than a
// record can count goes to the pattern filler.
//
// The header (and with wmfmod "PLAC" the placeable header in front of it)
// is written as zeros at kalini and filled in at kalfin, when the file
// size, the largest record and the object slots used are known.
#pragma once
#include <cstdint>
#include <vector>

#include "output/driver.h"

namespace kal {

class WmfDriver : public Driver {
public:
    static constexpr int MAX_COORDINATE = 32767;
    static constexpr int MAX_POLYGON = 32767;

    void open(Context& ctx) override;
    int close(Context& ctx) override;
    void move_draw(Context& ctx, double x, double y, int pen) override;
    void polyline(Context& ctx, int n, const double* x, const double* y, int first_pen) override;
    void colour(Context& ctx, int value) override;
    bool fill_rect(Context& ctx, double x1, double y1, double x2, double y2, int value) override;
    bool fill_polygon(Context& ctx, int n, const double* x, const double* y) override;
    bool line_width(Context& ctx, int n) override;
    bool pen_width(Context& ctx, double w) override;

private:
    // A record: its size in 16-bit words, the function, the parameters.
    void record(int function, const int16_t* params, int count);
    // Objects take the lowest free slot of the object table.
    int create_pen(int style, uint32_t colorref);
    int create_brush(int style, uint32_t colorref);
    int take_slot();
    void select(int slot);
    void remove(int slot);
    // A solid pen in the colour value, selected in place of the last one.
    void select_pen(Context& ctx, int value);
    // The pen width for a line width in 1/20 mm (the PDF device's), and a
    // new pen when it changed.
    void set_width(Context& ctx, double twentieths);

    bool placeable_ = false;
    int ext_x_ = 0, ext_y_ = 0;     // window extents
    int per_inch_ = 1440;           // logical units per inch
    std::vector<bool> slots_;       // object table: slot in use
    uint32_t largest_ = 0;          // largest record in words
    int hollow_ = -1;               // the hollow brush
    int pen_ = -1;                  // the selected pen; -1 the default one
    int width_ = 1;                 // its width in logical units
    std::vector<int16_t> points_;   // polygon points (x, y) in turn
};

}  // namespace kal
