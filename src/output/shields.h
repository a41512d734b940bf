// Shield regions: areas of the page in which later lines are not drawn.
//
// The regions live one after another in a buffer of 1000 words:
//   code word   type * 100 + source * 10 + visibility (0 active, 1 inactive)
//   identifier  1, 2, 3 ... (starts again when a region is added to an
//               empty list)
//   parameters  absolute plot coordinates (origin offset and the page's y
//               direction applied), angles in milliradians in 0..2*pi:
//     RECT      x1 y1 x2 y2              ROTATED_RECT  x1 y1 x2 y2 angle
//     CIRCLE    x y r                    ELLIPSE       x y a b angle
//     PIE       x y r alpha beta         POLYGON       n x1 y1 ... xn yn
// A rotated rectangle turns about (x1, y1), an ellipse about its centre,
// counter-clockwise on the page for a positive angle. Pie angles count
// counter-clockwise from the positive x axis; the pie spans alpha to beta.
// A point on a region's boundary counts as outside it.
//
// Words are 32-bit so that coordinates of large pages fit.
#pragma once
#include <cstdint>

#include "core/state_part.h"

namespace kal {

struct Context;

enum ShieldType : int { SHIELD_RECT = 1, SHIELD_ROTATED_RECT, SHIELD_CIRCLE, SHIELD_ELLIPSE,
                        SHIELD_PIE, SHIELD_POLYGON };

// Who added a region: the program itself, or one of the automatic
// producers (the kinds of `shield`, in this order).
enum ShieldSource : int { SOURCE_PROGRAM = 0, SOURCE_MESSAGES = 1, SOURCE_SYMBOLS = 2,
                          SOURCE_BARS = 3, SOURCE_PIES = 4, SOURCE_LEGENDS = 5 };

struct ShieldState {
    static constexpr int WORDS = 1000;
    static constexpr int MAX_INTERSECTIONS = 300;
    int32_t words[WORDS] = {};
    int used = 0;           // words in use
    int count = 0;          // regions held
    int last_id = 0;        // identifier of the last region added
    int program_count = 0;  // regions with source 0
    bool automatic[6] = {}; // automatic shielding per source 1..5

    static void reset(Context& ctx);
    static const ResetKeys reset_keys;
};

// True while any region is held: the line layer then cuts every segment.
inline bool shields_exist(const ShieldState& s) { return s.count != 0; }

// True while at least one region is active (fills then go as lines).
bool shields_active(const Context& ctx);

// Adds a region of `type` with its parameters (absolute plot coordinates,
// angles in radians as doubles; for a polygon params = x1 y1 x2 y2 ...
// with nparams = 2n). A region of the program (SOURCE_PROGRAM) is outlined
// `outline` plot units thick (0: not at all). Returns the identifier, or 0
// after warning 47 when the buffer is full (nothing stored then).
int add_shield(Context& ctx, int type, int source, const double* params, int nparams, int outline = 0);

// For the automatic producers: adds a region of `source` (SOURCE_SYMBOLS
// for symbols, SOURCE_LEGENDS for legends, SOURCE_BARS, SOURCE_PIES,
// SOURCE_MESSAGES) when automatic shielding of that source is switched on
// (shield "SYMB"/"LEGE"/... "ON"); parameters as for add_shield. Returns the
// identifier, or 0 when nothing was added. Automatic regions are never
// outlined and `shldel 0` and `shlres` leave them alone.
int add_automatic_shield(Context& ctx, int source, int type, const double* params, int nparams);
// The same for the axis-parallel box x1..x2, y1..y2 (absolute plot
// coordinates, corners in any order): a symbol's square, a legend's box.
int add_automatic_box(Context& ctx, int source, double x1, double y1, double x2, double y2);

// Selects regions by their code word and identifier (for deleting and
// for the visibility switch).
using ShieldFilter = bool (*)(int code, int id, int arg);
// Deletes the selected regions and compacts the buffer; identifiers stay.
// Returns the number deleted.
int delete_shields(Context& ctx, ShieldFilter select, int arg);
// Deletes the last n regions that the program defined itself.
void delete_last_program_shields(Context& ctx, int n);
// Makes the selected regions active or inactive; returns how many matched.
int set_shield_visibility(Context& ctx, bool active, ShieldFilter select, int arg);
// Parts of a code word.
inline int shield_type(int code) { return code / 100; }
inline int shield_source(int code) { return code / 10 % 10; }

// True when (x, y) lies inside an active region.
bool shielded(const Context& ctx, double x, double y);

// Writes the segment from (x1, y1) to (x2, y2) with move/draw, leaving out
// its pieces inside active regions (the segment is already clipped).
void draw_shielded_segment(Context& ctx, double x1, double y1, double x2, double y2);

}  // namespace kal
