// The text engine: lays a string out character by character from the text
// settings and draws it through the line layer (stroke fonts), the fill
// primitive (outline fonts) or the device's character primitive (hardware
// fonts). The same layout without drawing measures the string.
#pragma once
#include <string>

namespace kal {

struct Context;
struct Glyph;

// One string in progress: the state that control characters and
// instruction codes change, kept apart from the settings so that every
// string starts from them.
class TextRun {
public:
    // A run whose baseline starts at (x, y), page coordinates without the
    // plot origin (y downwards); `draw` false only measures.
    TextRun(Context& ctx, double x, double y, bool draw);

    // Feeds a whole string (control characters, shifts, instructions).
    void feed(const std::string& text);
    // Ends the string: restores the starting height and colour.
    void finish();

    // Distance from the text start along the baseline.
    double position() const { return s_; }
    // Lowest and highest extent over the baseline so far (frames).
    double low() const { return lo_; }
    double high() const { return hi_; }

    // ---- the pieces the formula typesetter builds on ----
    // Draws the character `code` of alphabet slot 1..6 with the height h,
    // its origin at the distance s along the baseline and `off` above it;
    // returns its advance (width plus gap).
    double put(int code, int alphabet, int h, double s, double off, bool italic = false);
    // Advance of a character without drawing it.
    double advance(int code, int alphabet, int h);
    // A straight line in text coordinates (along, above the baseline).
    void segment(double s1, double o1, double s2, double o2);
    // A solid polygon: text coordinates (along, above the baseline), or
    // page coordinates already placed.
    void area(int n, const double* s, const double* o, bool placed = false);
    void set_colour(int value);
    bool drawing() const { return draw_; }
    Context& context() { return ctx_; }
    void move_to(double s) { s_ = s; }

private:
    void character(int c);
    void control(int which);
    void instruction(const std::string& text);
    bool command(const std::string& text, char letter, int mode, double v);
    void symbol(int number);
    double hardware(int code, int alphabet, int h, double s, double off);
    double blank_advance();
    double gap() const;
    void place(double s, double off, double X, double Y, double& x, double& y) const;
    void stroke_glyph(const Glyph& g, double sx, double sy, double shift, double slant,
                      double s, double off, bool outline);
    void extent(double off, int h);

    Context& ctx_;
    bool draw_;
    double x0_, y0_;            // start of the baseline
    double ca_, sa_;
    int start_height_, start_colour_;
    int h_;
    int alphabet_;
    double width_, spacing_, slant_;
    bool fixed_;
    double fixed_factor_;
    double s_ = 0;
    double exp_off_ = 0, ioff_ = 0, ooff_ = 0;
    int entry_ = -1;
    bool collecting_ = false;
    std::string inst_;
    double tabs_[20] = {};
    double lo_ = 0, hi_ = 0;
};

// The plot symbols of the instruction code S belong to the layer above
// text: plot2d registers the routine that draws them (symbol `number` of
// size `size` centred at (x, y) in page coordinates relative to the plot
// origin, turned by `degrees`). Without one the symbols only advance.
using SymbolDrawer = void (*)(Context& ctx, int number, double x, double y, double size, double degrees);
void register_symbol_drawer(SymbolDrawer draw);

// The box a drawn text covers: the corner above its start (page
// coordinates without the plot origin), its length along the baseline, its
// height across it, and the text angle in radians.
struct TextBox {
    double x = 0, y = 0, length = 0, height = 0, angle = 0;
};

// messag: draws `text` with its upper left corner at (nx, ny), page
// coordinates after the vertical-origin rule; continue_ draws on from the
// end of the last text. Returns false when nothing was drawn.
bool draw_text(Context& ctx, const char* text, double nx, double ny, bool continue_,
               TextBox* box = nullptr);
// nlmess: the length of `text` in plot units.
double text_length(Context& ctx, const char* text);
// The text as the engine reads it: at most 256 characters, national shifts
// replaced.
std::string prepare_text(Context& ctx, const char* text);

}  // namespace kal
