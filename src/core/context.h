// The context record: every setting and all drawing state of one thread.
// Each subsystem owns one member struct (a state part, core/state_part.h),
// declared next to its code.
#pragma once
#include <tuple>

#include "core/frame.h"
#include "core/page.h"
#include "output/colour_table.h"
#include "output/line_layer.h"
#include "output/output.h"
#include "output/raster/image_state.h"
#include "output/shields.h"
#include "plot2d/axis_system.h"
#include "plot2d/curves.h"
#include "plot2d/figures.h"
#include "plot2d/labels.h"
#include "plot2d/legend.h"
#include "plot2d/symbols.h"
#include "text/text_state.h"

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
    TextState text;
    AxisState axes;
    LabelState labels;
    ShieldState shields;
    FigureState figures;
    SymbolState symbols;
    CurveState curves;
    LegendState legend;
    int screen_report_mode = 2;   // reported by the screen driver when it opens

    // Every state part, in the order kalini and reset "ALL" reset them. A new
    // part is a member above and an entry here; its defaults, reset and
    // reset keys stay with its own code.
    auto parts() {
        return std::tie(frame, page, out, line, colour, image, text, axes, labels, shields, figures, symbols,
                        curves, legend);
    }
    auto parts() const {
        return std::tie(frame, page, out, line, colour, image, text, axes, labels, shields, figures, symbols,
                        curves, legend);
    }
};

}  // namespace kal
