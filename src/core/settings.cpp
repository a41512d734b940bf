// The level-0 settings of the life cycle: device, page, units, scaling,
// files and the screen window request.
#include <algorithm>
#include <cmath>
#include <limits>
#include <cstring>
#include <string>

#include "api/routines_level_0_settings_of_the_life_cycle.h"
#include "core/context.h"
#include "core/devices.h"
#include "core/files.h"

namespace kal {
namespace {

void upper4(const char* in, char out[5], bool pad) {
    int i = 0;
    for (; i < 4 && in[i]; ++i) {
        char c = in[i];
        out[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    for (; i < 4; ++i) out[i] = pad ? ' ' : '\0';
    out[4] = '\0';
}

struct PageFormat {
    const char* key;  // landscape keyword; the portrait one ends in P
    int w, h;
};

const PageFormat FORMATS[] = {
    {"DA4L", 2970, 2100},  {"DA3L", 4200, 2970},  {"DA2L", 5940, 4200}, {"DA1L", 8410, 5940},
    {"DA0L", 11890, 8410}, {"HP4L", 2717, 1900},  {"HP3L", 3990, 2717}, {"HP2L", 5340, 3360},
    {"HP1L", 7570, 5340},  {"KY4L", 2870, 2000},  {"PS4L", 2800, 1950}, {"USAL", 2790, 2160},
    {"USBL", 4320, 2790},  {"USCL", 5590, 4320},  {"USDL", 8640, 5590}, {"USEL", 11180, 8640},
};

int round_nearest(double v) { return clamp_int(std::floor(v + 0.5)); }

void on_off(Context& ctx, const char* mode, const char* key, const char* keys, bool* targets[]) {
    int m = keyword(ctx, "OFF +ON  ", mode);
    if (!m) return;
    int k = keyword(ctx, keys, key);
    if (!k) return;
    *targets[k - 1] = (m == 2);
}

}  // namespace

void metafl(Context& ctx, const char* device) {
    char key[5];
    upper4(device, key, true);
    const int number = device_of_keyword(key);
    if (!number) {
        warn_text(ctx, 2, device);
        return;
    }
    ctx.page.device = number;
    upper4(device, ctx.page.device_key, false);
    ctx.page.metafl_called = true;
}

void setpag(Context& ctx, const char* format) {
    char key[5];
    upper4(format, key, true);
    for (const PageFormat& f : FORMATS) {
        if (std::strncmp(f.key, key, 3) != 0 || (key[3] != 'L' && key[3] != 'P')) continue;
        const bool portrait = key[3] == 'P';
        PageState& p = ctx.page;
        p.extent_w = (portrait ? f.h : f.w) - 1;
        p.extent_h = (portrait ? f.w : f.h) - 1;
        std::memcpy(p.format, key, 5);
        if (!p.metafl_called) {
            p.device = DEV_VEKM;
            std::strcpy(p.device_key, "VEKM");
        }
        return;
    }
    warn_text(ctx, 2, format);
}

void page(Context& ctx, int nx, int ny) {
    // Pages beyond 100 m (a million plot units) are refused like empty ones:
    // every page-sized loop (fills, hatching) must stay bounded.
    constexpr int MAX_PAGE = 1000000;
    if (nx <= 0 || ny <= 0 || nx > MAX_PAGE || ny > MAX_PAGE) {
        warn_int(ctx, 2, (nx <= 0 || nx > MAX_PAGE) ? nx : ny);
        return;
    }
    ctx.page.extent_w = (nx - 1.0) * ctx.page.units;
    ctx.page.extent_h = (ny - 1.0) * ctx.page.units;
    std::strcpy(ctx.page.format, "PAGE");
}

void units(Context& ctx, const char* unit) {
    static const double FACTORS[] = {1.0, 2.54, 0.352778, 0.176389};
    int i = keyword(ctx, "CM  +INCH+POIN+TWIP", unit);
    if (i) ctx.page.units = FACTORS[i - 1];
}

void sclfac(Context& ctx, float factor) {
    if (!(factor > 0.0f) || !std::isfinite(factor)) {
        warn_int(ctx, 2, clamp_int(factor));
        return;
    }
    ctx.page.scale = factor;
    ctx.page.scaling_mode = SCALE_DOWN;
}

void sclmod(Context& ctx, const char* mode) {
    int i = keyword(ctx, "DOWN+FULL+NONE", mode);
    if (i) ctx.page.scaling_mode = static_cast<ScalingMode>(i - 1);
}

void pagmod(Context& ctx, const char* mode) {
    static const int MODES[] = {0, 1, 0, 1, 2};
    int i = keyword(ctx, "COMI+MOVI+LAND+PORT+NONE", mode);
    if (i) ctx.page.rotation_mode = MODES[i - 1];
}

void hwpage(Context& ctx, int nw, int nh) {
    if (nw <= 0 || nh <= 0) {
        warn_int(ctx, 2, nw <= 0 ? nw : nh);
        return;
    }
    ctx.page.hw_page = true;
    ctx.page.hw_w = round_nearest(nw * ctx.page.units);
    ctx.page.hw_h = round_nearest(nh * ctx.page.units);
}

void hworig(Context& ctx, int nx, int ny) {
    ctx.page.hw_origin = true;
    ctx.page.hw_ox = nx;
    ctx.page.hw_oy = ny;
}

void scrmod(Context& ctx, const char* mode) {
    static const ScreenMode MODES[] = {SCREEN_ERASE, SCREEN_NOERASE, SCREEN_REVERSE,
                                       SCREEN_ERASE, SCREEN_AUTO};
    int i = keyword(ctx, "ERAS+NOER+REVE+NORE+AUTO", mode);
    if (i) ctx.page.screen_mode = MODES[i - 1];
}

void winapp(Context& ctx, const char* type) {
    int i = keyword(ctx, "CONS+WIND", type);
    if (i) ctx.frame.app_type = static_cast<AppType>(i - 1);
}

void filmod(Context& ctx, const char* mode) {
    int i = keyword(ctx, "COUN+DELE+BREA", mode);
    if (i) ctx.page.file_mode = i - 1;
}

void setfil(Context& ctx, const char* name) {
    if (!fits_file_name(ctx, name)) return;
    ctx.page.file_name = name;
    ctx.page.file_state = NAME_GIVEN;
}

void window(Context& ctx, int nx, int ny, int nw, int nh) {
    if (nx < 0 || ny < 0 || nw <= 0 || nh <= 0) {
        // The smallest of the offending values is reported.
        int bad = std::numeric_limits<int>::max();
        if (nx < 0) bad = std::min(bad, nx);
        if (ny < 0) bad = std::min(bad, ny);
        if (nw <= 0) bad = std::min(bad, nw);
        if (nh <= 0) bad = std::min(bad, nh);
        warn_int(ctx, 2, bad);
        return;
    }
    PageState& p = ctx.page;
    p.win_request = WINDOW_PLACED;
    p.req_x = nx;
    p.req_y = ny;
    p.req_w = nw;
    p.req_h = nh;
}

void winsiz(Context& ctx, int nw, int nh) {
    if (nw <= 0 || nh <= 0) {
        warn_int(ctx, 2, std::min(nw, nh));
        return;
    }
    ctx.page.win_request = WINDOW_SIZED;
    ctx.page.req_w = nw;
    ctx.page.req_h = nh;
}

void pdfmod(Context& ctx, const char* mode, const char* key) {
    bool* targets[] = {&ctx.page.pdf_compress, &ctx.page.pdf_buffer};
    on_off(ctx, mode, key, "COMP+BUFF", targets);
}

void pngmod(Context& ctx, const char* mode, const char* key) {
    bool* targets[] = {&ctx.page.png_transparent};
    on_off(ctx, mode, key, "TRAN", targets);
}

}  // namespace kal
