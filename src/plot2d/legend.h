// Legends: the legend record (the texts stay in the caller's buffer of
// nlin lines of nmaxln characters) and the drawing of the legend box.
#pragma once
#include <string>

#include "core/state_part.h"

namespace kal {

struct Context;

// Attributes of one legend line given with legpat.
struct LegendLine {
    int style = -1;       // lintyp number, -1: no line
    int thickness = 1;
    int symbol = -1;      // -1: no symbol
    int colour = -1;      // -1: the current colour
    int pattern = -1;     // fill pattern of a box sample, -1: none
    bool defined = false;
};

struct LegendState {
    static constexpr int MAX_LINES = 30;
    static constexpr int MAX_CHARS = 80;
    bool initialised = false;
    int lines = 0;              // nlin
    int chars = 0;              // nmaxln
    double sample = 4.0;        // legopt factors
    double distance = 0.5;
    double spacing = 1.0;
    bool corner_mode = true;    // legpos switches it off
    int pos_x = 0, pos_y = 0;   // legpos, page coordinates relative to the plot origin
    std::string title = "Legende";
    bool text_in_colour = false;  // legclr
    bool multi_line = false;      // mixleg
    LegendLine line[MAX_LINES];

    static void reset(Context& ctx);
    static const ResetKeys reset_keys;
};

// Width and height of the legend box of the texts in `buffer`.
void legend_size(Context& ctx, const char* buffer, int& width, int& height);
// Draws the legend with its upper left corner at (x, y), page coordinates
// relative to the plot origin.
void draw_legend(Context& ctx, const char* buffer, double x, double y, double width, double height);

}  // namespace kal
