#include "output/drivers/cgm.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "api/routines_level_0_settings_of_the_life_cycle.h"
#include "core/clock.h"
#include "core/context.h"
#include "core/frame.h"
#include "output/colour_table.h"

namespace kal {
namespace {

constexpr double LIBRARY_VERSION = 9.1;
constexpr int MAX_VDC = 32767;
constexpr int MAX_NAME = 256;

void put16(uint8_t* p, int v) {
    p[0] = static_cast<uint8_t>((v >> 8) & 0xFF);
    p[1] = static_cast<uint8_t>(v & 0xFF);
}

// A device coordinate as a 16-bit VDC: truncated toward zero, held within
// the 16-bit range (NaN becomes 0) so that far-off points never wrap.
int16_t vdc(double v) {
    if (!(v == v)) return 0;
    return static_cast<int16_t>(std::clamp(std::trunc(v), -32768.0, 32767.0));
}

}  // namespace

void CgmDriver::element(Context& ctx, int cls, int id, const uint8_t* params, int length,
                        bool long_form) {
    RecordBuffer& rec = ctx.out.record;
    uint8_t head[4];
    int head_len = 2;
    if (long_form || length >= 31) {
        put16(head, (cls << 12) | (id << 5) | 31);
        put16(head + 2, length);  // partition flag clear: one partition
        head_len = 4;
    } else {
        put16(head, (cls << 12) | (id << 5) | length);
    }
    rec.write(sink(), reinterpret_cast<const char*>(head), head_len);
    rec.write(sink(), reinterpret_cast<const char*>(params), length);
    if (length % 2 == 1) rec.write(sink(), "", 1);
}

// Strings below 255 characters carry a count byte; longer ones the count
// byte 255 and a 16-bit length (continuation flag clear).
void CgmDriver::string_element(Context& ctx, int cls, int id, const char* text, int length) {
    length = std::clamp(length, 0, 32767 - 3);
    std::string p;
    if (length < 255) {
        p.push_back(static_cast<char>(length));
    } else {
        p.push_back(static_cast<char>(255));
        p.push_back(static_cast<char>((length >> 8) & 0x7F));
        p.push_back(static_cast<char>(length & 0xFF));
    }
    p.append(text, length);
    element(ctx, cls, id, reinterpret_cast<const uint8_t*>(p.data()), static_cast<int>(p.size()), true);
}

void CgmDriver::open(Context& ctx) {
    const PageState& p = ctx.page;
    // VDCs are 16-bit: a page that would pass 32767 device units is scaled
    // down to fit, as a smaller sclfac would.
    const double longest = std::max(std::max(p.width, p.height), 1);
    if (longest * ctx.out.factor > MAX_VDC) {
        ctx.out.factor = MAX_VDC / longest;
        warn(ctx, 39);
    }
    picture_ = 1;
    string_element(ctx, 0, 1, p.file_name.c_str(), static_cast<int>(p.file_name.size()));

    uint8_t version[2];
    put16(version, p.cgm_version);
    element(ctx, 1, 1, version, 2, false);

    const DateTime t = now();
    char date[16];
    std::snprintf(date, sizeof date, "%04d%02d%02d", t.year % 10000, t.month, t.day);
    char version_text[16];
    std::snprintf(version_text, sizeof version_text, "%4.1f", LIBRARY_VERSION);
    const char q = '"';
    char description[256];
    const int n = std::snprintf(description, sizeof description, "%c%s%c,%c%s%c,%c%s %s%c,%c%s%s%c,%c%s%c",
                                q, p.cgm_version == 4 ? "ProfileId:WebCGM" : "ProfileId:CALS", q,
                                q, "ProfileEd:1.0", q, q, "Source:KALVOR", version_text, q,
                                q, "Date:", date, q, q, "ColourClass:colour", q);
    string_element(ctx, 1, 2, description, n);

    const uint8_t element_list[] = {0x00, 0x01, 0xFF, 0xFF, 0x00, 0x01};
    element(ctx, 1, 11, element_list, 6, false);
    begin_picture(ctx);
}

void CgmDriver::begin_picture(Context& ctx) {
    const PageState& p = ctx.page;
    std::string name = p.cgm_picture;
    if (name.empty()) name = "Picture " + std::to_string(picture_);
    string_element(ctx, 0, 3, name.c_str(), static_cast<int>(std::min<size_t>(name.size(), MAX_NAME)));

    if (p.cgm_version == 4) {
        // Metric scaling, 0.05 mm per VDC unit.
        const uint8_t scaling[] = {0x00, 0x01, 0x3D, 0x4C, 0xCC, 0xC8};
        element(ctx, 2, 1, scaling, 6, false);
    }
    const uint8_t direct[] = {0x00, 0x01};
    element(ctx, 2, 2, direct, 2, false);

    double w = p.width, h = p.height;
    if (p.rotation_mode == 1) std::swap(w, h);
    uint8_t extent[8] = {};
    put16(extent + 4, vdc(w * ctx.out.factor));
    put16(extent + 6, vdc(h * ctx.out.factor));
    element(ctx, 2, 6, extent, 8, false);

    const uint8_t background[] = {static_cast<uint8_t>(p.cgm_background[0]),
                                  static_cast<uint8_t>(p.cgm_background[1]),
                                  static_cast<uint8_t>(p.cgm_background[2]), 0};
    element(ctx, 2, 7, background, 4, false);
    element(ctx, 0, 4, nullptr, 0, false);  // BEGIN PICTURE BODY
    path_.n = 0;
    path_.last_x = path_.last_y = 0;
}

// A POLYLINE of the open path; a lone point is no line and writes nothing.
void CgmDriver::write_path(Context& ctx) {
    if (path_.n < 2) return;
    uint8_t params[4 * PATH_CAPACITY];
    for (int i = 0; i < path_.n; ++i) {
        put16(params + 4 * i, path_.x[i]);
        put16(params + 4 * i + 2, path_.y[i]);
    }
    element(ctx, 4, 1, params, 4 * path_.n, true);
}

void CgmDriver::move_draw(Context& ctx, double x, double y, int pen) {
    const int16_t xi = vdc(x), yi = vdc(y);
    if (pen == 2 && !path_.draw(xi, yi)) return;
    // A move, or a full path that continues from its last point.
    write_path(ctx);
    path_.start(xi, yi);
}

void CgmDriver::colour(Context& ctx, int value) {
    write_path(ctx);
    path_.end();
    const Rgb c = resolve_rgb(ctx, value);
    const uint8_t rgb[] = {static_cast<uint8_t>(c.r), static_cast<uint8_t>(c.g), static_cast<uint8_t>(c.b)};
    element(ctx, 5, 4, rgb, 3, false);
}

void CgmDriver::new_page(Context& ctx) {
    write_path(ctx);
    element(ctx, 0, 5, nullptr, 0, false);  // END PICTURE
    ++picture_;
    begin_picture(ctx);
}

int CgmDriver::close(Context& ctx) {
    write_path(ctx);
    path_.n = 0;
    element(ctx, 0, 5, nullptr, 0, false);  // END PICTURE
    element(ctx, 0, 2, nullptr, 0, false);  // END METAFILE
    return 1;
}

// ---- settings of the CGM output ----

void cgmver(Context& ctx, int version) {
    if (version != 1 && version != 4) {
        warn_int(ctx, 2, version);
        return;
    }
    ctx.page.cgm_version = version;
}

void cgmpic(Context& ctx, const char* name) {
    ctx.page.cgm_picture.assign(name, std::min<size_t>(std::strlen(name), MAX_NAME));
}

void cgmbgd(Context& ctx, float red, float green, float blue) {
    const float c[3] = {red, green, blue};
    for (float v : c) {
        if (!(v >= 0.0f && v <= 1.0f)) {
            warn(ctx, 2);
            return;
        }
    }
    for (int i = 0; i < 3; ++i) ctx.page.cgm_background[i] = static_cast<int>(c[i] * 255.0 + 0.5);
}

}  // namespace kal
