// Per-record state of the open output: the driver, the output file and its
// 80-character record buffer, device factor and drawing counters.
#pragma once
#include <cstdio>
#include <memory>
#include <vector>

#include "core/devices.h"
#include "core/state_part.h"
#include "output/record.h"
#include "util/large_arrays.h"

namespace kal {

class Driver;
class Raster;
struct PdfRecord;

// The values of the output state, copyable apart from its resources.
struct OutputValues {
    double factor = 1.0;             // device units per plot unit
    int colour_depth = 8;
    long long vectors = 0;           // move/draw calls since kalini
    double xshift = 0.0;             // metafile x shift
    int current_colour = 0;
    // Plot position of the device pen after the last move/draw; invalid
    // after anything that may have moved it (fills, colour changes, pages).
    bool pen_valid = false;
    double pen_x = 0, pen_y = 0;
    int clip[4] = {0, 0, 0, 0};      // clipping window x1 y1 x2 y2
    // The polygon being filled is text ink (an outline glyph or a formula
    // piece): filled only, never outlined, and on rasters by pixel centres.
    bool text_fill = false;
    // The point transform last used (primitives.cpp: current_map).
    mutable DeviceMap map;
};

// The depth buffer of the 3-D shading routines (plot3d/zbuffer.h): one
// depth per pixel of the raster drawn into (the enlarged one with aamode).
struct DepthBuffer {
    LargeArray<float> depth;
    int width = 0, height = 0;
    bool open = false;
    bool user = false;   // opened by zbfini: kept until zbffin or kalfin
};

struct OutputState : OutputValues {
    OutputState();
    ~OutputState();
    std::unique_ptr<Driver> driver;  // null outside kalini ... kalfin
    // The raster of the image devices, of the screen, and of imgini ... imgfin
    // on vector pages (output/raster/raster.h).
    std::unique_ptr<Raster> raster;
    // The PDF writer's record: the document pdfmod BUFF keeps in memory
    // for pdfbuf (output/drivers/pdf.h).
    std::unique_ptr<PdfRecord> pdf;
    FILE* file = nullptr;            // null for screens, VIRT, or after "Open error"
    RecordBuffer record;
    DepthBuffer depth;

    static void reset(Context& ctx);
    static const ResetKeys reset_keys;
};

// The fatal-condition snapshot keeps the values; the resources a failed
// kalini made (driver, raster, file, record buffer) are dropped.
template <>
struct Saved<OutputState> {
    explicit Saved(const OutputState& out) : values(out) {}
    void restore(OutputState& out) const;
    OutputValues values;
};

}  // namespace kal
