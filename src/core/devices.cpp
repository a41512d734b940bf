#include "core/devices.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/page.h"

namespace kal {
namespace {

struct Keyword {
    const char* key;  // 4 characters, blank padded
    int device;
};

const Keyword KEYWORDS[] = {
    {"VEKM", 201}, {"CGM ", 211}, {"KYOC", 301}, {"HPGL", 401}, {"HPA4", 402}, {"HPA3", 403},
    {"HPA2", 404}, {"HPA1", 405}, {"CONS", 80},  {"TEKT", 151}, {"VT34", 103}, {"LN03", 161},
    {"POST", 501}, {"PSCL", 502}, {"XWIN", 72},  {"XWI1", 72},  {"XWI2", 73},  {"XWI3", 74},
    {"XWI4", 75},  {"XWI5", 76},  {"XWI6", 77},  {"XWI7", 78},  {"XWI8", 79},  {"XWND", 80},
    {"TIFF", 601}, {"IMAG", 602}, {"VIRT", 603}, {"PNG ", 604}, {"JAVA", 701}, {"WMF ", 221},
    {"PPM ", 605}, {"PDF ", 511}, {"EPS ", 503}, {"BMP ", 606}, {"PS  ", 504}, {"SVG ", 801},
    {"GIF ", 607},
};

using F = FactorRule;
using P = PointRule;
using T = StartTable;
using H = Helper;
constexpr bool Y = true, N = false;

// number, family, ext, factor, point, rounded, depth, binary, record_text,
// fixed_records, white_auto, black_first, reversal, resolves_colours,
// own_raster, image_on_page, plain_on_zero, wide_hatch, table, helper, queued, sheet,
// hardware_fonts, white_drawn_black, decimal_coordinates, memory_output
#define SCREEN(n) \
    {n, Family::Screen, nullptr, F::Pixels, P::Pixels, Y, 8, N, N, N, N, N, Y, N, Y, N, N, N, T::Rain, H::None, Y, 0, N, N, N, N}
#define HPGL(n, sheet) \
    {n, Family::Hpgl, "hpg", n == 401 ? F::Hpgl401 : F::HpglSheet, n == 401 ? P::Hpgl401 : P::HpglSheet, \
     Y, 8, N, Y, N, N, N, N, N, N, N, N, N, T::Rain, H::Driver, Y, sheet, N, N, N, N}
#define TERMINAL(n, ext) \
    {n, Family::Terminal, ext, F::One, P::Identity, N, 8, N, Y, N, N, N, N, N, N, N, N, N, T::Rain, n < 151 ? H::None : H::Driver, Y, 0, N, N, N, N}
#define POSTSCRIPT(n, ext, white, post) \
    {n, Family::PostScript, ext, F::PostScript, P::Paper, N, 24, N, Y, N, white, post, !post, Y, N, Y, post, N, \
     post ? T::Rgre : T::Rain, H::Driver, Y, 0, Y, N, N, N}
#define IMAGE(n, ext) \
    {n, Family::Image, ext, F::Pixels, P::Pixels, Y, n == DEV_PPM ? 24 : 8, Y, N, N, N, N, Y, N, Y, N, N, N, \
     T::Rain, H::Printer, N, 0, N, N, N, N}

const DeviceTraits DEVICES[] = {
    SCREEN(72), SCREEN(73), SCREEN(74), SCREEN(75), SCREEN(76), SCREEN(77), SCREEN(78), SCREEN(79),
    SCREEN(80),
    TERMINAL(103, "   "), TERMINAL(151, "tek"), TERMINAL(161, "ln3"),
    {201, Family::Vekmet, "met", F::Vekmet, P::Metafile, N, 8, N, Y, N, N, N, N, N, N, N, N, N, T::Rain, H::Driver, Y, 0, N, N, Y, N},
    {211, Family::Cgm, "cgm", F::Cgm, P::Metafile, N, 24, Y, Y, Y, N, Y, N, N, N, N, Y, N, T::Rain, H::Driver, Y, 0, N, Y, N, N},
    {221, Family::Wmf, "wmf", F::Wmf, P::Pixels, Y, 24, Y, N, N, N, Y, N, N, N, N, Y, Y, T::Rain, H::Driver, Y, 0, N, Y, N, N},
    {301, Family::Kyocera, "kyo", F::Kyocera, P::Plain, Y, 8, N, Y, N, N, N, N, N, N, N, N, N, T::Smal, H::Driver, Y, 0, N, N, N, N},
    HPGL(401, 0), HPGL(402, 0), HPGL(403, 1), HPGL(404, 2), HPGL(405, 3),
    POSTSCRIPT(501, "psc", N, Y), POSTSCRIPT(502, "psc", N, N), POSTSCRIPT(503, "eps", Y, N),
    POSTSCRIPT(504, "ps", Y, N),
    {511, Family::Pdf, "pdf", F::Pdf, P::Paper, N, 24, Y, N, N, Y, N, Y, Y, N, Y, N, N, T::Rain, H::Driver, Y, 0, Y, N, N, Y},
    IMAGE(601, "tif"), IMAGE(602, "img"), IMAGE(603, nullptr), IMAGE(604, "png"), IMAGE(605, "ppm"),
    IMAGE(606, "bmp"), IMAGE(607, "gif"),
    {701, Family::Java, "java", F::Pixels, P::Pixels, Y, 24, N, N, N, N, N, Y, N, N, N, Y, N, T::Rain, H::Applet, N, 0, N, N, N, N},
    {801, Family::Svg, "svg", F::Pixels, P::Pixels, N, 24, N, N, N, Y, N, Y, N, N, N, N, N, T::Rain, H::Driver, N, 0, Y, N, N, N},
};

#undef SCREEN
#undef HPGL
#undef TERMINAL
#undef POSTSCRIPT
#undef IMAGE

const DeviceTraits NO_DEVICE = {0, Family::None, nullptr, F::One, P::Identity, N, 8, N, N, N, N, N, N, N,
                                N, N, N, N, T::Rain, H::None, N, 0, N, N, N, N};

// Fit of the page into a pixel area (screens, images, Java, SVG).
double pixel_factor(const PageState& p, int area_w, int area_h) {
    double w = p.width, h = p.height;
    if (p.rotation_mode == 1) std::swap(w, h);
    const double fit = std::min((area_w - 1) / std::max(w, 1.0), (area_h - 1) / std::max(h, 1.0));
    if (p.scaling_mode != 0) return fit;
    const int longer = w <= h ? area_h : area_w;
    return std::min(fit, (longer - 1) * p.units * p.scale / 2969.0);
}

// The printable area of the PostScript family and PDF (1/20 mm, or points).
double paper_factor(const PageState& p, bool pdf) {
    const double W = std::max(p.width, 1), H = std::max(p.height, 1);
    double pw = p.hw_page ? 2.0 * p.hw_w : 3900.0;
    double ph = p.hw_page ? 2.0 * p.hw_h : 5600.0;
    if (pdf) {
        pw *= 0.14173229;
        ph *= 0.14173229;
    }
    const bool turned = W > H && p.rotation_mode != 2;
    const double fit = turned ? std::min(ph / W, pw / H) : std::min(pw / W, ph / H);
    if (p.scaling_mode != 0) return fit;
    const double us = p.units * p.scale;
    return std::min(fit, pdf ? us * 0.28346458 : 2.0 * us);
}

}  // namespace

int device_of_keyword(const char* key4) {
    if (key4[0] == 'M' && key4[1] == 'E' && key4[2] == 'T' && key4[3] >= '1' && key4[3] <= '9')
        return DEV_XWND;
    for (const Keyword& e : KEYWORDS)
        if (std::memcmp(e.key, key4, 4) == 0) return e.device;
    return 0;
}

const DeviceTraits& traits(int device) {
    // Writers ask once or twice per point, nearly always for the same
    // device: the last answer is kept per thread.
    thread_local const DeviceTraits* last = &NO_DEVICE;
    if (last->number == device) return *last;
    for (const DeviceTraits& t : DEVICES)
        if (t.number == device) return *(last = &t);
    return NO_DEVICE;
}

Family family(int device) { return traits(device).family; }
const char* extension(int device) { return traits(device).ext; }
bool binary_output(int device) { return traits(device).binary; }
bool true_colour(int device) { return traits(device).colour_depth == 24; }
bool draws_widths(int device) {
    const Family f = traits(device).family;
    return f == Family::Image || f == Family::Screen;
}

bool page_turned(const PageState& p, int device) {
    if (traits(device).point == PointRule::Paper) return p.width > p.height && p.rotation_mode != 2;
    return p.rotation_mode == 1;
}

double device_factor(const PageState& p, int device) {
    const DeviceTraits& t = traits(device);
    const double W = std::max(p.width, 1), H = std::max(p.height, 1);
    const double us = p.units * p.scale;
    switch (t.factor) {
        case FactorRule::Pixels:
            return pixel_factor(p, p.win_w, p.win_h);
        case FactorRule::Vekmet:
            return 1.0 / std::max(W, H);
        case FactorRule::Cgm:
            return 2.0 * us;
        case FactorRule::Wmf:
            return us * 5.6692915;
        case FactorRule::Kyocera: {
            const double fit = W > H ? std::min(2362 / H, 3390 / W) : std::min(3390 / H, 2362 / W);
            return p.scaling_mode == 0 ? std::min(fit, us * 1.1811024) : fit;
        }
        case FactorRule::Hpgl401:
            return us * 4.0;
        case FactorRule::HpglSheet: {
            static const double A[] = {10870, 15970, 21360, 30280};
            static const double B[] = {7600, 10870, 13440, 21360};
            const int k = std::clamp(t.sheet, 0, 3);
            const double fit = std::min(A[k] / std::max(W, H), B[k] / std::min(W, H));
            return p.scaling_mode == 0 ? std::min(fit, us * 4.0) : fit;
        }
        case FactorRule::PostScript:
            return paper_factor(p, false);
        case FactorRule::Pdf:
            return paper_factor(p, true);
        case FactorRule::One:
            break;
    }
    return 1.0;
}

namespace {

template <PointRule R>
void apply_rule(const DeviceMap& map, int n, const double* x, const double* y, double* dx, double* dy) {
    DeviceMap m = map;
    m.rule = R;  // a constant in the loop: the operator's switch folds away
    for (int i = 0; i < n; ++i) {
        const DevicePoint d = m(x[i], y[i]);
        dx[i] = d.x;
        dy[i] = d.y;
    }
}

}  // namespace

void DeviceMap::apply(int n, const double* x, const double* y, double* dx, double* dy) const {
    switch (rule) {
        case PointRule::Identity: return apply_rule<PointRule::Identity>(*this, n, x, y, dx, dy);
        case PointRule::Pixels: return apply_rule<PointRule::Pixels>(*this, n, x, y, dx, dy);
        case PointRule::Metafile: return apply_rule<PointRule::Metafile>(*this, n, x, y, dx, dy);
        case PointRule::Plain: return apply_rule<PointRule::Plain>(*this, n, x, y, dx, dy);
        case PointRule::Hpgl401: return apply_rule<PointRule::Hpgl401>(*this, n, x, y, dx, dy);
        case PointRule::HpglSheet: return apply_rule<PointRule::HpglSheet>(*this, n, x, y, dx, dy);
        case PointRule::Paper: return apply_rule<PointRule::Paper>(*this, n, x, y, dx, dy);
    }
}

void DeviceMap::apply_rounded(int n, const double* x, const double* y, int* dx, int* dy) const {
    if (rule == PointRule::Pixels && !r1 && rounded) {
        // trunc(v + 0.5) converted is (v + 0.5) converted: one vector loop.
        for (int i = 0; i < n; ++i) {
            dx[i] = static_cast<int>(x[i] * f + 0.5);
            dy[i] = static_cast<int>(y[i] * f + 0.5);
        }
        return;
    }
    for (int i = 0; i < n; ++i) {
        const DevicePoint d = (*this)(x[i], y[i]);
        dx[i] = static_cast<int>(d.x);
        dy[i] = static_cast<int>(d.y);
    }
}

DeviceMap device_map(const PageState& p, int device, double f, double shift) {
    const DeviceTraits& t = traits(device);
    DeviceMap m;
    m.rule = t.point;
    m.rounded = t.rounded;
    m.r1 = p.rotation_mode == 1;
    m.turned = t.point == PointRule::Paper && page_turned(p, device);
    m.W = p.width;
    m.H = p.height;
    m.f = f;
    m.shift = shift;
    m.made = true;
    m.device = device;
    m.rotation_mode = p.rotation_mode;
    return m;
}

DevicePoint to_device(const PageState& p, int device, double f, double shift, double x, double y) {
    return device_map(p, device, f, shift)(x, y);
}

}  // namespace kal
