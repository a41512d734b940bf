// The level-0 settings of the life cycle: device, page, units, scaling,
// files and the screen window request.
#include <algorithm>
#include <cmath>
#include <limits>
#include <cstring>
#include <string>

#include "api/routines.h"
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

void metafl(const char* device) {
    Context* c = level_check(0, 0, "metafl");
    if (!c) return;
    char key[5];
    upper4(device, key, true);
    const int number = device_of_keyword(key);
    if (!number) {
        warn_text(*c, 2, device);
        return;
    }
    c->page.device = number;
    upper4(device, c->page.device_key, false);
    c->page.metafl_called = true;
}

void setpag(const char* format) {
    Context* c = level_check(0, 0, "setpag");
    if (!c) return;
    char key[5];
    upper4(format, key, true);
    for (const PageFormat& f : FORMATS) {
        if (std::strncmp(f.key, key, 3) != 0 || (key[3] != 'L' && key[3] != 'P')) continue;
        const bool portrait = key[3] == 'P';
        PageState& p = c->page;
        p.extent_w = (portrait ? f.h : f.w) - 1;
        p.extent_h = (portrait ? f.w : f.h) - 1;
        std::memcpy(p.format, key, 5);
        if (!p.metafl_called) {
            p.device = DEV_VEKM;
            std::strcpy(p.device_key, "VEKM");
        }
        return;
    }
    warn_text(*c, 2, format);
}

void page(int nx, int ny) {
    Context* c = level_check(0, 0, "page");
    if (!c) return;
    // Pages beyond 100 m (a million plot units) are refused like empty ones:
    // every page-sized loop (fills, hatching) must stay bounded.
    constexpr int MAX_PAGE = 1000000;
    if (nx <= 0 || ny <= 0 || nx > MAX_PAGE || ny > MAX_PAGE) {
        warn_int(*c, 2, (nx <= 0 || nx > MAX_PAGE) ? nx : ny);
        return;
    }
    c->page.extent_w = (nx - 1.0) * c->page.units;
    c->page.extent_h = (ny - 1.0) * c->page.units;
    std::strcpy(c->page.format, "PAGE");
}

void units(const char* unit) {
    Context* c = level_check(0, 0, "units");
    if (!c) return;
    static const double FACTORS[] = {1.0, 2.54, 0.352778, 0.176389};
    int i = keyword(*c, "CM  +INCH+POIN+TWIP", unit);
    if (i) c->page.units = FACTORS[i - 1];
}

void sclfac(float factor) {
    Context* c = level_check(0, 0, "sclfac");
    if (!c) return;
    if (!(factor > 0.0f) || !std::isfinite(factor)) {
        warn_int(*c, 2, clamp_int(factor));
        return;
    }
    c->page.scale = factor;
    c->page.scaling_mode = SCALE_DOWN;
}

void sclmod(const char* mode) {
    Context* c = level_check(0, 0, "sclmod");
    if (!c) return;
    int i = keyword(*c, "DOWN+FULL+NONE", mode);
    if (i) c->page.scaling_mode = static_cast<ScalingMode>(i - 1);
}

void pagmod(const char* mode) {
    Context* c = level_check(0, 0, "pagmod");
    if (!c) return;
    static const int MODES[] = {0, 1, 0, 1, 2};
    int i = keyword(*c, "COMI+MOVI+LAND+PORT+NONE", mode);
    if (i) c->page.rotation_mode = MODES[i - 1];
}

void hwpage(int nw, int nh) {
    Context* c = level_check(0, 0, "hwpage");
    if (!c) return;
    if (nw <= 0 || nh <= 0) {
        warn_int(*c, 2, nw <= 0 ? nw : nh);
        return;
    }
    c->page.hw_page = true;
    c->page.hw_w = round_nearest(nw * c->page.units);
    c->page.hw_h = round_nearest(nh * c->page.units);
}

void hworig(int nx, int ny) {
    Context* c = level_check(0, 0, "hworig");
    if (!c) return;
    c->page.hw_origin = true;
    c->page.hw_ox = nx;
    c->page.hw_oy = ny;
}

void scrmod(const char* mode) {
    Context* c = level_check(0, 0, "scrmod");
    if (!c) return;
    static const ScreenMode MODES[] = {SCREEN_ERASE, SCREEN_NOERASE, SCREEN_REVERSE,
                                       SCREEN_ERASE, SCREEN_AUTO};
    int i = keyword(*c, "ERAS+NOER+REVE+NORE+AUTO", mode);
    if (i) c->page.screen_mode = MODES[i - 1];
}

void winapp(const char* type) {
    Context* c = level_check(0, 0, "winapp");
    if (!c) return;
    int i = keyword(*c, "CONS+WIND", type);
    if (i) c->frame.app_type = static_cast<AppType>(i - 1);
}

void filmod(const char* mode) {
    Context* c = level_check(0, 3, "filmod");
    if (!c) return;
    int i = keyword(*c, "COUN+DELE+BREA", mode);
    if (i) c->page.file_mode = i - 1;
}

void setfil(const char* name) {
    Context* c = level_check(0, 0, "setfil");
    if (!c) return;
    if (!fits_file_name(*c, name)) return;
    c->page.file_name = name;
    c->page.file_state = NAME_GIVEN;
}

void window(int nx, int ny, int nw, int nh) {
    Context* c = level_check(0, 3, "window");
    if (!c) return;
    if (nx < 0 || ny < 0 || nw <= 0 || nh <= 0) {
        // The smallest of the offending values is reported.
        int bad = std::numeric_limits<int>::max();
        if (nx < 0) bad = std::min(bad, nx);
        if (ny < 0) bad = std::min(bad, ny);
        if (nw <= 0) bad = std::min(bad, nw);
        if (nh <= 0) bad = std::min(bad, nh);
        warn_int(*c, 2, bad);
        return;
    }
    PageState& p = c->page;
    p.win_request = WINDOW_PLACED;
    p.req_x = nx;
    p.req_y = ny;
    p.req_w = nw;
    p.req_h = nh;
}

void winsiz(int nw, int nh) {
    Context* c = level_check(0, 3, "winsiz");
    if (!c) return;
    if (nw <= 0 || nh <= 0) {
        warn_int(*c, 2, std::min(nw, nh));
        return;
    }
    c->page.win_request = WINDOW_SIZED;
    c->page.req_w = nw;
    c->page.req_h = nh;
}

void pdfmod(const char* mode, const char* key) {
    Context* c = level_check(0, 0, "pdfmod");
    if (!c) return;
    bool* targets[] = {&c->page.pdf_compress, &c->page.pdf_buffer};
    on_off(*c, mode, key, "COMP+BUFF", targets);
}

void pngmod(const char* mode, const char* key) {
    Context* c = level_check(0, 0, "pngmod");
    if (!c) return;
    bool* targets[] = {&c->page.png_transparent};
    on_off(*c, mode, key, "TRAN", targets);
}

}  // namespace kal
