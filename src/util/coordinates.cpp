// trfco1, trfco2, trfco3: angle and coordinate system conversions in place.
#include <cmath>

#include "api/routines_utilities.h"
#include "core/context.h"

namespace kal {
namespace {

constexpr double DEG_TO_RAD = 0.017453292522222223;
constexpr double RAD_TO_DEG = 57.29577950560105;

// Looks both keywords up; returns false (after the warning) when they are
// unknown or equal.
bool conversion(Context& ctx, const char* list, const char* from, const char* to, int& a, int& b) {
    a = keyword(ctx, list, from);
    if (!a) return false;
    b = keyword(ctx, list, to);
    if (!b) return false;
    if (a == b) {
        custom_warning(ctx, 101, "No conversion necessary");
        return false;
    }
    return true;
}

}  // namespace

void trfco1(Context& ctx, float* x, int n, const char* from, const char* to) {
    int a, b;
    if (!conversion(ctx, "DEGR+RADI", from, to, a, b)) return;
    const double f = a == 1 ? DEG_TO_RAD : RAD_TO_DEG;
    for (int i = 0; i < n; ++i) x[i] = static_cast<float>(x[i] * f);
}

void trfco2(Context& ctx, float* x, float* y, int n, const char* from, const char* to) {
    int a, b;
    if (!conversion(ctx, "RECT+POLA", from, to, a, b)) return;
    for (int i = 0; i < n; ++i) {
        const double u = x[i], v = y[i];
        if (a == 1) {
            const bool origin = u == 0.0 && v == 0.0;
            x[i] = origin ? 0.0f : static_cast<float>(std::atan2(v, u) * RAD_TO_DEG);
            y[i] = static_cast<float>(std::sqrt(u * u + v * v));
        } else {
            x[i] = static_cast<float>(v * std::cos(u * DEG_TO_RAD));
            y[i] = static_cast<float>(v * std::sin(u * DEG_TO_RAD));
        }
    }
}

void trfco3(Context& ctx, float* x, float* y, float* z, int n, const char* from, const char* to) {
    int a, b;
    if (!conversion(ctx, "RECT+SPHE+CYLI", from, to, a, b)) return;
    for (int i = 0; i < n; ++i) {
        double px = x[i], py = y[i], pz = z[i];
        if (a == 2) {  // (longitude, latitude, radius) to rectangular
            const double lon = px * DEG_TO_RAD, lat = py * DEG_TO_RAD, r = pz;
            px = r * std::cos(lat) * std::cos(lon);
            py = r * std::cos(lat) * std::sin(lon);
            pz = r * std::sin(lat);
        } else if (a == 3) {  // (angle, radius, z) to rectangular
            const double ang = px * DEG_TO_RAD, r = py;
            px = r * std::cos(ang);
            py = r * std::sin(ang);
        }
        if (b == 2) {
            const double r = std::sqrt(px * px + py * py + pz * pz);
            const double lon = (px == 0.0 && py == 0.0) ? 0.0 : std::atan2(py, px) * RAD_TO_DEG;
            const double lat = r == 0.0 ? 0.0 : std::asin(pz / r) * RAD_TO_DEG;
            px = lon;
            py = lat;
            pz = r;
        } else if (b == 3) {
            const double r = std::sqrt(px * px + py * py);
            const double ang = (px == 0.0 && py == 0.0) ? 0.0 : std::atan2(py, px) * RAD_TO_DEG;
            px = ang;
            py = r;
        }
        x[i] = static_cast<float>(px);
        y[i] = static_cast<float>(py);
        z[i] = static_cast<float>(pz);
    }
}

}  // namespace kal
