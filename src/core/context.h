// The context record: every setting and all drawing state of one thread.
// Each subsystem owns one member struct, declared next to its code.
#pragma once
#include "colour3d/colour.h"
#include "core/frame.h"
#include "core/page.h"
#include "output/line_layer.h"
#include "output/output.h"
#include "output/raster/image_state.h"

namespace kal {

struct Context {
    Context();   // first-use defaults
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    FrameState frame;
    PageState page;
    OutputState out;
    LineState line;
    ColourState colour;
    ImageState image;
    int screen_report_mode = 2;   // reported by the screen driver when it opens
};

}  // namespace kal
