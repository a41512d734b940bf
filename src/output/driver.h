// The interface between the device-independent primitives and one output
// format. The base class accepts every primitive and draws nothing: formats
// without a driver of their own still get their file and never fail.
//
// Coordinates: move_draw receives device points already converted by
// device_point() (output/primitives.h); the fill operations receive plot
// coordinates with the plot origin offset added and clipped as the primitive
// layer describes, and transform them themselves. A fill operation returns
// false when the device has no native form for it; the primitive layer then
// draws the fallback (hatch lines, pattern filler, polygon) itself.
//
// Output: every driver writes its bytes through sink(), the output file that
// kalini opened (attached by open_device before open), or a sink of the
// driver's own choosing (PDF in memory). finish_device() checks it at the end.
#pragma once
#include <memory>

#include "output/sink.h"

namespace kal {

struct Context;
class Raster;
struct DeviceMap;

// A figure drawn many times alike: a plot symbol of one shape, size and
// angle.
struct FigureKey {
    int shape;
    double size, angle;
};
// Draws the figure centred at (x, y), relative to the plot origin.
struct FigureDraw {
    void (*fn)(void* data, double x, double y);
    void* data;
    void operator()(double x, double y) const { fn(data, x, y); }
};

class Driver {
public:
    Driver() : sink_(std::make_unique<OutputSink>()) {}
    virtual ~Driver() = default;

    void attach(std::unique_ptr<OutputSink> sink) { sink_ = std::move(sink); }
    OutputSink& sink() { return *sink_; }

    // ---- life cycle ----
    // After the output file is open and ctx.out.factor is set: colour depth,
    // header, first page.
    virtual void open(Context&) {}
    virtual void new_page(Context&) {}
    virtual void erase(Context&) {}
    // Ends the output; returns the result code of kalfin (1 when an output
    // file was written, 0 otherwise). The primitive layer flushes the record
    // buffer and closes ctx.out.file afterwards.
    virtual int close(Context&) { return 1; }
    // kalfin, before close: the screens show the finished picture and wait
    // for the user as the window mode says.
    virtual void hold(Context&) {}
    // sendbf and winupd: the screens show what is drawn.
    virtual void update(Context&) {}

    // ---- drawing ----
    // A device point with pen code 3 (move) or 2 (draw).
    virtual void move_draw(Context&, double, double, int) {}
    // n device points in order: the first with pen code first_pen, the
    // others drawn. The same as n calls of move_draw; writers override it to
    // take a long polyline in one loop.
    virtual void polyline(Context& ctx, int n, const double* x, const double* y, int first_pen) {
        for (int i = 0; i < n; ++i) move_draw(ctx, x[i], y[i], i == 0 ? first_pen : 2);
    }
    // The same for points in plot coordinates (origin offset added) that
    // lie within the clip window, with the map that makes them device
    // points: mapped a chunk at a time and handed to polyline. Raster
    // devices map and round in one pass instead.
    virtual void window_run(Context& ctx, int n, const double* x, const double* y, int first_pen,
                            const DeviceMap& map);
    // A colour value made current; ctx.out.current_colour holds it already.
    virtual void colour(Context&, int) {}
    virtual bool fill_rect(Context&, double, double, double, double, int) { return false; }
    // A solid polygon inside the clipping window, filled in the current colour.
    virtual bool fill_polygon(Context&, int, const double*, const double*) { return false; }
    // A triangle inside the clipping window, in the given colour.
    virtual bool fill_triangle(Context&, const double*, const double*, int) { return false; }
    // The colour table changed (screens and images keep a palette).
    virtual void push_palette(Context&) {}
    // The raster devices: everything drawn so far is in ctx.out.raster
    // (before its pixels are read or written), and ctx.out.raster was
    // changed by pixel routines (the device draws on from it).
    virtual void sync_raster(Context&) {}
    virtual void raster_written(Context&) {}
    // The raster that drawing goes into (with aamode the enlarged one, not
    // ctx.out.raster) and the offset `shift` added to device points on it;
    // null where the device has none. The caller may set pixels in it.
    virtual Raster* drawing_raster(Context&, int& shift) {
        shift = 0;
        return nullptr;
    }
    // imgfin on a vector page: the raster drawn into the rectangle with the
    // upper left corner (x, y) and the size w x h in plot units.
    virtual bool image(Context&, const Raster&, double, double, double, double) { return false; }

    // ---- repeated figures ----
    // The figure `key` centred at (x, y), relative to the plot origin. A
    // device may draw it its own way and return true (the raster: centred on
    // the nearest pixel, the pixels of the first one set again for the
    // others); false: the caller draws it.
    virtual bool repeated_figure(Context&, const FigureKey&, double, double, const FigureDraw&) {
        return false;
    }

    // ---- hardware fonts ----
    // Standard font `font` (0 .. 34, output/font_metrics.h) with the
    // character height `height` in plot units becomes the current font.
    virtual void select_font(Context&, int, double) {}
    // One character: code (the library's character codes, national
    // characters 127 .. 186), reference point (x, y) in plot coordinates
    // with the origin offset added, angle in degrees counter-clockwise as
    // seen on the page, standard font index and character height in plot
    // units.
    virtual void character(Context&, int, double, double, double, int, double) {}

    // ---- line attributes ----
    // Return true when the device draws the width itself (the line layer
    // then draws single strokes).
    virtual bool line_width(Context&, int) { return false; }
    virtual bool pen_width(Context&, double) { return false; }
    virtual void line_join(Context&, int) {}
    virtual void line_cap(Context&, int) {}
    virtual void miter_limit(Context&, double) {}

private:
    std::unique_ptr<OutputSink> sink_;
};

std::unique_ptr<Driver> make_driver(int device);

// Before kalini changes the record, on devices whose document may stay in
// memory (traits memory_output): readies what the device keeps beyond one
// document (the PDF held for pdfbuf) for the next, in memory when `memory`
// (pdfmod BUFF), else dropping any document still held. False when memory
// is short.
bool prepare_device_output(Context& ctx, int device, bool memory);

}  // namespace kal
