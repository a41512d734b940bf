// The context record: every setting and all drawing state of one thread.
// Each subsystem owns one member struct (a state part, core/state_part.h),
// declared next to its code.
#pragma once
#include <tuple>

#include "charts/charts.h"
#include "colour3d/scale_limits.h"
#include "contour/contour_state.h"
#include "core/frame.h"
#include "core/page.h"
#include "maps/map_state.h"
#include "output/colour_table.h"
#include "output/line_layer.h"
#include "output/output.h"
#include "output/raster/image_state.h"
#include "output/screen/cursor.h"
#include "output/screen/screen_state.h"
#include "output/shields.h"
#include "plot2d/axis_system.h"
#include "plot2d/curves.h"
#include "plot2d/figures.h"
#include "plot2d/labels.h"
#include "plot2d/legend.h"
#include "plot2d/plot_options.h"
#include "plot2d/symbols.h"
#include "plot3d/surface_state.h"
#include "plot3d/view.h"
#include "text/text_state.h"
#include "widgets/widget_state.h"

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
    ScaleLimitsState limits;
    ContourState contour;
    ChartState charts;
    View3dState view3d;
    MapState map;
    ScreenState screen;
    SurfaceState surface;
    PlotOptions options;
    CursorState cursor;
    int screen_report_mode = 2;   // reported by the screen driver when it opens
    // Not a part: kalini neither resets nor snapshots the dialog widgets.
    WidgetState widgets;

    // Every state part, in the order kalini and reset "ALL" reset them: one
    // list, for a context and a const context alike. A new part is a member
    // above and an entry here; its defaults, reset and reset keys stay with
    // its own code.
    template <class Self>
    static auto parts_of(Self& c) {
        return std::tie(c.frame, c.page, c.out, c.line, c.colour, c.image, c.text, c.axes, c.labels, c.shields,
                        c.figures, c.symbols, c.curves, c.legend,
                        c.limits, c.contour, c.charts, c.view3d, c.map, c.screen,
                        c.surface, c.options, c.cursor);
    }
    auto parts() { return parts_of(*this); }
    auto parts() const { return parts_of(*this); }
};

}  // namespace kal
