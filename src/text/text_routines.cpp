// The text routines: font selection, text settings, messag and nlmess, and
// the getters.
#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "api/routines_life_cycle.h"
#include "api/routines_text_and_fonts.h"
#include "core/context.h"
#include "core/frame.h"
#include "output/driver.h"
#include "output/shields.h"
#include "text/national.h"
#include "text/text_engine.h"
#include "text/text_state.h"

namespace kal {
namespace {

constexpr int DEFAULT_FONT = 1;
const char* const ALPHABETS = "STAN+GREE+MATH+ITAL+SCRI+RUSS";
const char* const MIX_KEYS = "EXP +IND +RES +LEG +TEX ";
const char NEWMIX[3] = {'^', '_', '%'};

void set_angle(TextState& t, int degrees) {
    t.angle = degrees;
    const double a = std::fmod(double(degrees), 360.0) * M_PI / 180.0;
    t.sin_a = std::sin(a);
    t.cos_a = std::cos(a);
    // Right angles are exact, so that upright text stays upright.
    if (degrees % 90 == 0) {
        t.sin_a = std::round(t.sin_a);
        t.cos_a = std::round(t.cos_a);
    }
}

// Vertical values are counted from the bottom with page origin BOTT.
double page_y(const Context& ctx, double y) { return ctx.page.page_origin == 1 ? ctx.page.height - y : y; }

// One character of a string argument; false after warning 2.
bool single(Context& ctx, const char* s, char& c) {
    if (!s || std::strlen(s) != 1) {
        warn_text(ctx, 2, s ? s : "");
        return false;
    }
    c = s[0];
    return true;
}

void reset_height(Context& ctx) {
    const double units = ctx.page.units > 0 ? ctx.page.units : 1.0;
    ctx.text.height = std::max(1, static_cast<int>(std::lround(36.0 / units)));
}
void reset_angle(Context& ctx) { set_angle(ctx.text, 0); }
void reset_base(Context& ctx) { ctx.text.base = ALPHA_STANDARD; }
void reset_slant(Context& ctx) { ctx.text.slant = 0; }
void reset_spacing(Context& ctx) { ctx.text.spacing = 0; }
void reset_width(Context& ctx) { ctx.text.width = 1.0; }
void reset_national(Context& ctx) { std::memset(ctx.text.national, 0, sizeof ctx.text.national); }
void reset_fixed(Context& ctx) {
    ctx.text.fixed = false;
    ctx.text.fixed_factor = 1.0;
}
void reset_frame(Context& ctx) { ctx.text.frame = 0; }
void reset_mixalf(Context& ctx) { ctx.text.mix_on = false; }
void reset_mix(Context& ctx) {
    const TextState d;
    std::memcpy(ctx.text.mix, d.mix, sizeof d.mix);
}
void reset_setbas(Context& ctx) { ctx.text.shift_factor = 0.6; }
void reset_setexp(Context& ctx) { ctx.text.exp_factor = 0.8; }
void reset_smxalf(Context& ctx) {
    for (MixEntry& e : ctx.text.entries) e = MixEntry{};
}

const ResetKey TEXT_KEYS[] = {
    {"HEIG", reset_height}, {"ANGL", reset_angle},   {"BASA", reset_base},    {"CHAA", reset_slant},
    {"CHAS", reset_spacing}, {"CHAW", reset_width},  {"EUSH", reset_national}, {"FIXS", reset_fixed},
    {"FRME", reset_frame},  {"MIXA", reset_mixalf},  {"NEWM", reset_mix},     {"SETM", reset_mix},
    {"SETB", reset_setbas}, {"SETE", reset_setexp},  {"SMXA", reset_smxalf},
};

// Automatic shielding of a drawn text: its box, widened by a fifth of the
// character height on every side and by the descenders below the baseline,
// becomes a region turned with the text.
void shield_text_box(Context& ctx, int source, const TextBox& box) {
    const double m = 0.2 * ctx.text.height, descender = 0.3 * ctx.text.height;
    const double c = std::cos(box.angle), s = std::sin(box.angle);   // along the text, y down: (c, -s)
    const double x = box.x + ctx.page.origin_x - m * c - m * s;
    const double y = box.y + ctx.page.origin_y + m * s - m * c;
    const double p[5] = {x, y, x + box.length + 2 * m, y + box.height + 2 * m + descender, box.angle};
    add_automatic_shield(ctx, source, std::fabs(box.angle) < 1e-5 ? SHIELD_RECT : SHIELD_ROTATED_RECT, p,
                         std::fabs(box.angle) < 1e-5 ? 4 : 5);
}

}  // namespace

const ResetKeys TextState::reset_keys = TEXT_KEYS;

void TextState::reset(Context& ctx) {
    ctx.text = TextState{};
    reset_height(ctx);
    select_vector_font(ctx, DEFAULT_FONT);
}

void select_vector_font(Context& ctx, int number) {
    ctx.text.font = find_font(number);
    ctx.text.hw_font = -1;
}

// ---- fonts ----

void kalalf(Context& ctx) { select_vector_font(ctx, 1); }
void complx(Context& ctx) { select_vector_font(ctx, 3); }
void simplx(Context& ctx) { select_vector_font(ctx, 4); }
void duplx(Context& ctx) { select_vector_font(ctx, 5); }
void triplx(Context& ctx) { select_vector_font(ctx, 6); }
void gothic(Context& ctx) { select_vector_font(ctx, 7); }
void helve(Context& ctx) { select_vector_font(ctx, 11); }
void helves(Context& ctx) { select_vector_font(ctx, 12); }
void serif(Context& ctx) { select_vector_font(ctx, 14); }

// ---- settings ----

void height(Context& ctx, int h) {
    if (out_of_range(ctx, h, 1, 10000)) return;
    ctx.text.height = h;
    if (ctx.text.hw_font >= 0 && ctx.out.driver) ctx.out.driver->select_font(ctx, ctx.text.hw_font, h);
}

void angle(Context& ctx, int degrees) { set_angle(ctx.text, degrees); }

void chawth(Context& ctx, float factor) {
    if (!(factor > 0 && factor <= 2)) {
        warn_text(ctx, 2, std::to_string(factor).c_str());
        return;
    }
    ctx.text.width = factor;
}

void chaspc(Context& ctx, float spacing) {
    if (!std::isfinite(spacing)) {
        warn(ctx, 2);
        return;
    }
    ctx.text.spacing = spacing;
}

void chaang(Context& ctx, float degrees) {
    if (!(degrees > -60 && degrees < 60)) {
        warn_text(ctx, 2, std::to_string(degrees).c_str());
        return;
    }
    ctx.text.slant = std::tan(degrees * M_PI / 180.0);
}

void fixspc(Context& ctx, float factor) {
    if (!(factor > 0) || !std::isfinite(factor)) {
        warn_text(ctx, 2, std::to_string(factor).c_str());
        return;
    }
    ctx.text.fixed = true;
    ctx.text.fixed_factor = factor;
}

void basalf(Context& ctx, const char* alphabet) {
    const int k = keyword(ctx, ALPHABETS, alphabet);
    if (k > 0) ctx.text.base = k;
}

void setmix(Context& ctx, const char* c, const char* key) {
    const int k = keyword(ctx, MIX_KEYS, key);
    char ch;
    if (k > 0 && single(ctx, c, ch)) ctx.text.mix[k - 1] = ch;
}

void newmix(Context& ctx) { std::memcpy(ctx.text.mix, NEWMIX, sizeof NEWMIX); }

void mixalf(Context& ctx) { ctx.text.mix_on = true; }

void setexp(Context& ctx, float factor) {
    if (!std::isfinite(factor)) {
        warn(ctx, 2);
        return;
    }
    ctx.text.exp_factor = factor;
}

void setbas(Context& ctx, float factor) {
    if (!std::isfinite(factor)) {
        warn(ctx, 2);
        return;
    }
    ctx.text.shift_factor = factor;
}

void smxalf(Context& ctx, const char* alphabet, const char* shift_in, const char* shift_out, int n) {
    const int k = keyword(ctx, "STAN+GREE+MATH+ITAL+SCRI+RUSS+INST", alphabet);
    char in, out;
    if (k == 0 || !single(ctx, shift_in, in) || !single(ctx, shift_out, out) || out_of_range(ctx, n, 1, 6))
        return;
    if (k == ctx.text.base) {
        warn(ctx, 19);
        return;
    }
    ctx.text.entries[n - 1] = {k, in, out};
}

void eushft(Context& ctx, const char* key, const char* c) {
    const int k = national_key(key ? key : "");
    if (k < 0) {
        warn_text(ctx, 2, key ? key : "");
        return;
    }
    char ch;
    if (!single(ctx, c, ch)) return;
    for (int i = 0; i < TextState::NATIONAL_KEYS; ++i)
        if (i != k && ctx.text.national[i] == ch) {
            warn(ctx, 57);
            return;
        }
    ctx.text.national[k] = ch;
}

void chacod(Context& ctx, const char* table) {
    const int k = keyword(ctx, "STAN+ISO1+ISO2+ISO3", table);
    if (k > 0) ctx.text.code_table = k - 1;
}

void txtjus(Context& ctx, const char* mode) {
    const int k = keyword(ctx, "LEFT+CENT+RIGH", mode);
    if (k > 0) ctx.text.justify = k - 1;
}

// A frame is drawn as one rectangle per unit of thickness.
void frmess(Context& ctx, int thickness) {
    if (out_of_range(ctx, thickness, -1000, 1000)) return;
    ctx.text.frame = thickness;
}

void texmod(Context& ctx, const char* mode) {
    const int k = keyword(ctx, "OFF +ON  ", mode);
    if (k > 0) ctx.text.tex = k == 2;
}

void texopt(Context& ctx, const char* option, const char* key) {
    const int o = keyword(ctx, "OFF +ON  ", option);
    if (o == 0) return;
    const int k = keyword(ctx, "LIMI+ITAL", key);
    if (k == 1) ctx.text.tex_limits = o == 2;
    if (k == 2) ctx.text.tex_italic = o == 2;
}

void texval(Context& ctx, float value, const char* key) {
    if (keyword(ctx, "EXP ", key) == 0) return;
    if (!(value > 0 && value <= 1)) {
        warn_text(ctx, 2, std::to_string(value).c_str());
        return;
    }
    ctx.text.tex_exp = value;
}

// ---- text ----

void messag(Context& ctx, const char* text, int nx, int ny) {
    const bool continued = nx == 999 && ny == 999;
    TextBox box;
    if (draw_text(ctx, text, nx, page_y(ctx, ny), continued, &box))
        shield_text_box(ctx, SOURCE_MESSAGES, box);
}

int nlmess(Context& ctx, const char* text) {
    return clamp_int(std::round(text_length(ctx, text)));
}

// ---- getters ----

const char* getmix(Context& ctx, const char* key) {
    static thread_local char out[2];
    const int k = keyword(ctx, MIX_KEYS, key);
    out[0] = k > 0 ? ctx.text.mix[k - 1] : '\0';
    out[1] = '\0';
    return out;
}

const char* getshf(Context& ctx, const char* key) {
    static thread_local char out[2];
    const int k = national_key(key ? key : "");
    if (k < 0) warn_text(ctx, 2, key ? key : "");
    out[0] = k >= 0 ? ctx.text.national[k] : '\0';
    out[1] = '\0';
    return out;
}

int gmxalf(Context& ctx, const char* alphabet, char* shift_in, char* shift_out) {
    if (shift_in) shift_in[0] = shift_in[1] = '\0';
    if (shift_out) shift_out[0] = shift_out[1] = '\0';
    const int k = keyword(ctx, "STAN+GREE+MATH+ITAL+SCRI+RUSS+INST", alphabet);
    if (k == 0) return 0;
    for (int n = 0; n < 6; ++n) {
        const MixEntry& e = ctx.text.entries[n];
        if (e.alphabet != k) continue;
        if (shift_in) shift_in[0] = e.shift_in;
        if (shift_out) shift_out[0] = e.shift_out;
        return n + 1;
    }
    return 0;
}

const char* getalf(Context& ctx) {
    static const char* const NAMES[] = {"STAN", "GREE", "MATH", "ITAL", "SCRI", "RUSS"};
    return NAMES[std::clamp(ctx.text.base, 1, 6) - 1];
}

int getang(Context& ctx) { return ctx.text.angle; }

int gethgt(Context& ctx) { return ctx.text.height; }

}  // namespace kal
