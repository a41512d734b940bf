// reset: restores the defaults of one routine's settings, or of all.
#include <cstring>

#include "api/routines.h"
#include "colour3d/colour_tables.h"
#include "core/context.h"
#include "core/lifecycle.h"
#include "output/line_layer.h"
#include "output/raster/image_state.h"

namespace kal {
namespace {

void reset_frame(Context& ctx) {
    ctx.frame.warnings_on = true;
    ctx.frame.checking_on = true;
    ctx.frame.protocol_on = true;
}

void reset_output(Context& ctx) {
    ctx.out.xshift = 0.0;
    ctx.out.current_colour = 0;
    line_flush(ctx);
    reset_lines(ctx);
    reset_clipping(ctx);
}

void reset_origin(Context& ctx) {
    ctx.page.origin_x = 0;
    ctx.page.origin_y = 0;
}

void reset_winmod(Context& ctx) { ctx.page.window_mode = 0; }
void reset_window(Context& ctx) { ctx.page.win_request = 0; }
void reset_unit(Context& ctx) { setup_message_stream(ctx); }

using Restore = void (*)(Context&);

struct Key {
    char name[5];
    Restore restore;  // nullptr: the routine keeps no settings in this build
};

// The routines whose settings reset restores, by the first four letters of
// their names. Subsystems add their restore function to their key here.
const Key KEYS[] = {
    {"ALL", reset_all},  {"ANGL", nullptr}, {"AUTR", nullptr}, {"AX3L", nullptr},
    {"AXCL", nullptr},   {"AXEN", nullptr}, {"AXIS", nullptr}, {"AXSL", nullptr},
    {"AXSP", nullptr},   {"BARD", nullptr}, {"BARG", nullptr}, {"BARP", nullptr},
    {"BART", nullptr},   {"BARW", nullptr}, {"BASA", nullptr}, {"CENT", nullptr},
    {"CHAA", nullptr},   {"CHAB", nullptr}, {"CHAS", nullptr}, {"CHAW", nullptr},
    {"CHNC", nullptr},   {"CHNP", nullptr}, {"CIRC", nullptr}, {"CLPB", reset_clipping},
    {"CLPM", reset_clipping},   {"CLPW", reset_clipping}, {"CLRC", fill_colour_cycle}, {"COLM", nullptr},
    {"COLO", reset_current_colour},   {"COLR", default_colour_range}, {"CONC", nullptr}, {"CONG", nullptr},
    {"CONM", nullptr},   {"DIGI", nullptr}, {"EUSH", nullptr}, {"EXPZ", nullptr},
    {"FILB", nullptr},   {"FILC", nullptr}, {"FIXS", nullptr}, {"FLAB", nullptr},
    {"FRAM", nullptr},   {"FRME", nullptr}, {"GAPC", nullptr}, {"GRAC", nullptr},
    {"HEIG", nullptr},   {"HNAM", nullptr}, {"HTIT", nullptr}, {"IANG", nullptr},
    {"IMGC", reset_image_clip},   {"INTA", nullptr}, {"LABC", nullptr}, {"LABD", nullptr},
    {"LABE", nullptr},   {"LABJ", nullptr}, {"LABP", nullptr}, {"LABT", nullptr},
    {"LEGC", nullptr},   {"LFTT", nullptr}, {"LINC", nullptr}, {"LINS", nullptr},
    {"LOGT", nullptr},   {"MAPM", nullptr}, {"MAPP", nullptr}, {"MAPR", nullptr},
    {"MAPS", nullptr},   {"MDFM", nullptr}, {"MIXA", nullptr}, {"MIXL", nullptr},
    {"MPLA", nullptr},   {"MPLC", nullptr}, {"MPLS", nullptr}, {"MYLA", nullptr},
    {"NAMD", nullptr},   {"NAME", nullptr}, {"NEGL", nullptr}, {"NEWM", nullptr},
    {"NOAR", nullptr},   {"NOBA", nullptr}, {"NOBG", nullptr}, {"NOCH", nullptr},
    {"NOCL", reset_clipping},   {"NOFI", nullptr}, {"NOGR", nullptr}, {"NOHI", nullptr},
    {"NOLI", nullptr},   {"NUMF", nullptr}, {"NUMO", nullptr}, {"ORIG", reset_origin},
    {"PATC", nullptr},   {"PIEE", nullptr}, {"PIEL", nullptr}, {"PIEV", nullptr},
    {"POLC", nullptr},   {"PROJ", nullptr}, {"RGTL", nullptr}, {"RVYN", nullptr},
    {"SCAL", nullptr},   {"SETB", nullptr}, {"SETC", nullptr}, {"SETE", nullptr},
    {"SETG", nullptr},   {"SETM", nullptr}, {"SETR", nullptr}, {"SETS", nullptr},
    {"SHDC", nullptr},   {"SHDP", reset_fill_pattern}, {"SHIE", nullptr}, {"SHLS", nullptr},
    {"SMXA", nullptr},   {"SPLM", nullptr}, {"SURC", nullptr}, {"SURS", nullptr},
    {"SURV", nullptr},   {"SYMR", nullptr}, {"THKC", nullptr}, {"TICK", nullptr},
    {"TICL", nullptr},   {"TICP", nullptr}, {"TIMO", nullptr}, {"TITL", nullptr},
    {"UNIT", reset_unit}, {"VIEW", nullptr}, {"VKXB", nullptr}, {"VKYB", nullptr},
    {"VKYT", nullptr},   {"WIDB", nullptr}, {"WIND", reset_window}, {"WINM", reset_winmod},
    {"WINS", reset_window}, {"ZSCA", nullptr},
};
static_assert(sizeof(KEYS) / sizeof(KEYS[0]) == 130);

}  // namespace

void reset_all(Context& ctx) {
    reset_frame(ctx);
    reset_page_settings(ctx);
    reset_output(ctx);
    reset_colours(ctx);
    reset_image_settings(ctx);
}

void reset(const char* name) {
    Context& ctx = setter_check("reset");
    char key[5] = {};
    for (int i = 0; i < 4 && name[i]; ++i) {
        char c = name[i];
        key[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    for (const Key& k : KEYS) {
        if (std::strcmp(k.name, key) == 0) {
            if (k.restore) k.restore(ctx);
            return;
        }
    }
    warn_text(ctx, 2, name);
}

}  // namespace kal
