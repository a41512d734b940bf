// The point transformations of the map projections and their inverses.
#include "maps/projection.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kal {

const char* const PROJECTION_KEYS =
    "CYLI+MERC+EXAC+CORR+UTM +OBLI+EQUA+MOLL+AITO+HAMM+WINK+SANS+ELLI+CONF+ALBE+POLY+CONI+GNOM+ORTH+STER+"
    "AZIM+LAMB+MYPR";
const int PROJECTION_CODES[PROJECTION_COUNT] = {0,  1,  2,  3,  4,  5,  6,  10, 11, 12, 13, 14,
                                                15, 20, 21, 22, 23, 30, 31, 32, 33, 34, 100};

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double DEG = PI / 180;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double COS40 = 0.7660444;  // Winkel's parallel

double clamp1(double v) { return std::max(-1.0, std::min(1.0, v)); }

// Longitude relative to the centre, radians, folded into -pi..pi.
double folded(double l) {
    if (l > PI || l < -PI) l = std::remainder(l, 2 * PI);
    return l;
}

bool fail(double& x, double& y) {
    x = y = NaN;
    return false;
}

void aitoff(double l, double f, double& x, double& y) {
    const double a = std::acos(clamp1(std::cos(f) * std::cos(l / 2)));
    const double sinc = a == 0 ? 1 : std::sin(a) / a;
    x = 2 * std::cos(f) * std::sin(l / 2) / sinc;
    y = std::sin(f) / sinc;
}

void pseudo(int code, double l, double f, double& x, double& y) {
    switch (code) {
        case PROJ_MOLL: {
            // Auxiliary angle t = 2 theta: t + sin t = pi sin f.
            const double k = PI * std::sin(f);
            double t = 2 * f;
            for (int i = 0; i < 50; ++i) {
                const double d = 1 + std::cos(t);
                if (d < 1e-300) break;
                const double step = (t + std::sin(t) - k) / d;
                t -= step;
                if (std::fabs(step) < 1e-12) break;
            }
            const double th = t / 2;
            x = 2 * std::sqrt(2.0) / PI * l * std::cos(th);
            y = std::sqrt(2.0) * std::sin(th);
            return;
        }
        case PROJ_AITO: aitoff(l, f, x, y); return;
        case PROJ_HAMM: {
            const double d = std::sqrt(1 + std::cos(f) * std::cos(l / 2));
            x = 2 * std::sqrt(2.0) * std::cos(f) * std::sin(l / 2) / d;
            y = std::sqrt(2.0) * std::sin(f) / d;
            return;
        }
        case PROJ_WINK:
            aitoff(l, f, x, y);
            x = (l * COS40 + x) / 2;
            y = (f + y) / 2;
            return;
        case PROJ_SANS:
            x = l * std::cos(f);
            y = f;
            return;
        default:  // ELLI
            x = l * std::sqrt(std::max(0.0, 1 - (2 * f / PI) * (2 * f / PI)));
            y = f;
            return;
    }
}

// Conic radius of the colatitude chi (radians).
double cone_radius(const Projection& p, double chi) {
    switch (p.code) {
        case PROJ_CONF: return p.k * std::pow(std::tan(std::min(chi, 179.99 * DEG) / 2), p.n);
        case PROJ_ALBE: {
            const double s = std::sin(chi / 2);
            return std::sqrt(std::max(0.0, 4 * s * s / p.n + p.cc));
        }
        default: return chi + p.k;  // CONI
    }
}

// The inverse of cone_radius; NaN outside.
double cone_colatitude(const Projection& p, double rho) {
    switch (p.code) {
        case PROJ_CONF:
            if (rho < 0 || p.k <= 0) return NaN;
            return 2 * std::atan(std::pow(rho / p.k, 1 / p.n));
        case PROJ_ALBE: {
            const double s2 = (rho * rho - p.cc) * p.n / 4;
            if (s2 < -1e-12 || s2 > 1 + 1e-12) return NaN;
            return 2 * std::asin(std::sqrt(std::max(0.0, std::min(1.0, s2))));
        }
        default: return rho - p.k;
    }
}

void polyconic(const Projection& p, double l, double f, double& x, double& y) {
    if (std::fabs(f) < 1e-12) {
        x = l;
        y = -p.lat0;
        return;
    }
    const double e = l * std::sin(f), cot = 1 / std::tan(f);
    x = cot * std::sin(e);
    y = f - p.lat0 + cot * (1 - std::cos(e));
}

double azimuthal_radius(int code, double c) {
    switch (code) {
        case PROJ_GNOM: return std::tan(c);
        case PROJ_ORTH: return c <= PI / 2 ? std::sin(c) : 2 - std::sin(c);
        case PROJ_STER: return 2 * std::tan(c / 2);
        case PROJ_AZIM: return c;
        default: return 2 * std::sin(c / 2);  // LAMB
    }
}

double azimuthal_distance(int code, double rho) {
    switch (code) {
        case PROJ_GNOM: return std::atan(rho);
        case PROJ_ORTH:
            if (rho > 2) return NaN;
            return rho <= 1 ? std::asin(rho) : PI - std::asin(2 - rho);
        case PROJ_STER: return 2 * std::atan(rho / 2);
        case PROJ_AZIM: return rho <= PI ? rho : NaN;
        default: return rho <= 2 ? 2 * std::asin(rho / 2) : NaN;
    }
}

// The rotated sphere of OBLI: (lon, lat) relative to the pole p.
void rotate_to_pole(const Projection& p, double lam, double f, double& lr, double& fr) {
    const double d = lam - p.pole_lon;
    fr = std::asin(clamp1(p.sin_pole * std::sin(f) + p.cos_pole * std::cos(f) * std::cos(d)));
    lr = std::atan2(std::cos(f) * std::sin(d), p.sin_pole * std::cos(f) * std::cos(d) - p.cos_pole * std::sin(f));
}

void rotate_from_pole(const Projection& p, double lr, double fr, double& lam, double& f) {
    f = std::asin(clamp1(p.sin_pole * std::sin(fr) - p.cos_pole * std::cos(fr) * std::cos(lr)));
    lam = p.pole_lon +
          std::atan2(std::cos(fr) * std::sin(lr), p.sin_pole * std::cos(fr) * std::cos(lr) + p.cos_pole * std::sin(fr));
}

// Newton's method in two unknowns for the projections without a closed
// inverse; the Jacobian by central differences. False when it does not
// reach the point.
template <class F>
bool newton(F forward, double x, double y, double& l, double& f, double lmax) {
    for (int i = 0; i < 50; ++i) {
        double fx, fy;
        forward(l, f, fx, fy);
        const double rx = fx - x, ry = fy - y;
        if (std::fabs(rx) < 1e-13 && std::fabs(ry) < 1e-13) return true;
        const double h = 1e-7;
        double ax, ay, bx, by, cx, cy, dx, dy;
        const double lp = std::min(l + h, lmax), lm = std::max(l - h, -lmax);
        const double fp = std::min(f + h, PI / 2), fm = std::max(f - h, -PI / 2);
        forward(lp, f, ax, ay);
        forward(lm, f, bx, by);
        forward(l, fp, cx, cy);
        forward(l, fm, dx, dy);
        const double j11 = (ax - bx) / (lp - lm), j21 = (ay - by) / (lp - lm);
        const double j12 = (cx - dx) / (fp - fm), j22 = (cy - dy) / (fp - fm);
        const double det = j11 * j22 - j12 * j21;
        if (!(std::fabs(det) > 1e-300)) return false;
        double dl = (j22 * rx - j12 * ry) / det, df = (j11 * ry - j21 * rx) / det;
        // Damped near the edges of the map.
        const double big = std::max(std::fabs(dl), std::fabs(df));
        if (big > 0.5) {
            dl *= 0.5 / big;
            df *= 0.5 / big;
        }
        l = std::max(-lmax, std::min(lmax, l - dl));
        f = std::max(-PI / 2, std::min(PI / 2, f - df));
    }
    double fx, fy;
    forward(l, f, fx, fy);
    return std::fabs(fx - x) < 1e-9 && std::fabs(fy - y) < 1e-9;
}

}  // namespace

MapFamily map_family(int code) {
    if (code == PROJ_CYLI) return FAMILY_LINEAR;
    if (code < 10) return FAMILY_CYLINDRICAL;
    if (code < 20) return FAMILY_PSEUDO;
    if (code < 30) return FAMILY_CONIC;
    if (code < 100) return FAMILY_AZIMUTHAL;
    return FAMILY_USER;
}

void set_cone(Projection& p, double lat1, double lat2, double centre_lat) {
    if (p.southern) {
        lat1 = -lat1;
        lat2 = -lat2;
        centre_lat = -centre_lat;
    }
    const double c1 = (90 - lat1) * DEG, c2 = (90 - lat2) * DEG;
    const bool one = std::fabs(c1 - c2) < 1e-10;
    switch (p.code) {
        case PROJ_CONF:
            p.n = one ? std::cos(c1)
                      : std::log(std::sin(c1) / std::sin(c2)) / std::log(std::tan(c1 / 2) / std::tan(c2 / 2));
            if (!(std::fabs(p.n) > 1e-6)) p.n = 1e-6;
            p.k = std::sin(c1) / (p.n * std::pow(std::tan(c1 / 2), p.n));
            break;
        case PROJ_ALBE:
            if (one) {
                p.n = std::cos(c1 / 2) * std::cos(c1 / 2);
                p.cc = 0;
            } else {
                p.n = (std::cos(c1) + std::cos(c2)) / 2;
                if (!(std::fabs(p.n) > 1e-6)) p.n = 1e-6;
                const double c0 = std::sin(c1) * std::sin(c1) + 2 * p.n * std::cos(c1);
                p.cc = (c0 - 2 * p.n) / (p.n * p.n);
            }
            break;
        case PROJ_CONI:
            if (one) {
                p.n = std::cos(c1);
                p.k = std::tan(c1) - c1;
            } else {
                p.n = (std::sin(c1) - std::sin(c2)) / (c1 - c2);
                p.k = std::sin(c1) / p.n - c1;
            }
            if (!(std::fabs(p.n) > 1e-6)) p.n = 1e-6;
            break;
        default: break;
    }
    p.lat0 = centre_lat * DEG;
    p.y0 = p.code == PROJ_POLY ? 0 : cone_radius(p, (90 - centre_lat) * DEG);
}

void set_pole(Projection& p, double lon, double lat) {
    p.pole_lon = lon * DEG;
    p.pole_lat = lat * DEG;
    p.sin_pole = std::sin(p.pole_lat);
    p.cos_pole = std::cos(p.pole_lat);
    if (std::fabs(lat) == 90) p.cos_pole = 0;
}

double pole_distance(const Projection& p, double lon, double lat) {
    const double f = lat * DEG, d = lon * DEG - p.pole_lon;
    const double ux = std::cos(f) * std::sin(d);
    const double uy = p.cos_pole * std::sin(f) - p.sin_pole * std::cos(f) * std::cos(d);
    const double cc = p.sin_pole * std::sin(f) + p.cos_pole * std::cos(f) * std::cos(d);
    return std::atan2(std::hypot(ux, uy), cc);
}

bool project(const Projection& p, double lon, double lat, double& x, double& y) {
    if (!std::isfinite(lon) || !std::isfinite(lat) || lat < -90 - 1e-9 || lat > 90 + 1e-9) return fail(x, y);
    lat = std::max(-90.0, std::min(90.0, lat));
    const double f = lat * DEG;
    const double l = (lon - p.centre) * DEG;
    switch (map_family(p.code)) {
        case FAMILY_LINEAR:
            x = l;
            y = f;
            return true;
        case FAMILY_CYLINDRICAL:
            switch (p.code) {
                case PROJ_MERC: {
                    const double g = std::fabs(lat) >= 90 ? std::copysign(89.99 * DEG, f) : f;
                    x = l;
                    y = std::log(std::tan(PI / 4 + g / 2));
                    return true;
                }
                case PROJ_EXAC: x = l; y = f; return true;
                case PROJ_CORR: x = l; y = 1.25 * std::log(std::tan(PI / 4 + 0.4 * f)); return true;
                case PROJ_UTM: {
                    const double b = std::max(-1 + 1e-15, std::min(1 - 1e-15, std::cos(f) * std::sin(l)));
                    x = std::atanh(b);
                    y = std::atan2(std::sin(f), std::cos(f) * std::cos(l));
                    return true;
                }
                case PROJ_OBLI: {
                    double lr, fr;
                    rotate_to_pole(p, lon * DEG, f, lr, fr);
                    fr = std::max(-89.99 * DEG, std::min(89.99 * DEG, fr));
                    x = lr;
                    y = std::log(std::tan(PI / 4 + fr / 2));
                    return true;
                }
                default: x = l; y = std::sin(f); return true;  // EQUA
            }
        case FAMILY_PSEUDO: pseudo(p.code, folded(l), f, x, y); return true;
        case FAMILY_CONIC: {
            if (p.code == PROJ_POLY) {
                polyconic(p, folded(l), f, x, y);
                return true;
            }
            const double fs = p.southern ? -f : f;
            const double rho = cone_radius(p, PI / 2 - fs), th = p.n * folded(l);
            x = rho * std::sin(th);
            y = p.y0 - rho * std::cos(th);
            if (p.southern) y = -y;
            return true;
        }
        case FAMILY_AZIMUTHAL: {
            const double d = lon * DEG - p.pole_lon;
            const double ux = std::cos(f) * std::sin(d);
            const double uy = p.cos_pole * std::sin(f) - p.sin_pole * std::cos(f) * std::cos(d);
            const double cc = p.sin_pole * std::sin(f) + p.cos_pole * std::cos(f) * std::cos(d);
            const double s = std::hypot(ux, uy), c = std::atan2(s, cc);
            if (p.code == PROJ_GNOM && c >= PI / 2) return fail(x, y);
            const double rho = azimuthal_radius(p.code, c);
            if (s < 1e-15) {  // the pole itself, or its antipode (direction 0)
                x = cc > 0 ? 0 : rho;
                y = 0;
                return true;
            }
            x = rho * ux / s;
            y = rho * uy / s;
            return true;
        }
        default: return fail(x, y);
    }
}

bool unproject(const Projection& p, double x, double y, double& lon, double& lat) {
    double l = NaN, f = NaN;
    if (!std::isfinite(x) || !std::isfinite(y)) return fail(lon, lat);
    switch (map_family(p.code)) {
        case FAMILY_LINEAR: l = x; f = y; break;
        case FAMILY_CYLINDRICAL:
            switch (p.code) {
                case PROJ_MERC: l = x; f = 2 * std::atan(std::exp(y)) - PI / 2; break;
                case PROJ_EXAC: l = x; f = y; break;
                case PROJ_CORR: l = x; f = 2.5 * std::atan(std::exp(0.8 * y)) - 0.625 * PI; break;
                case PROJ_UTM:
                    f = std::asin(clamp1(std::sin(y) / std::cosh(x)));
                    l = std::atan2(std::sinh(x), std::cos(y));
                    break;
                case PROJ_OBLI: {
                    const double fr = 2 * std::atan(std::exp(y)) - PI / 2;
                    if (std::fabs(x) > PI + 1e-12) return fail(lon, lat);
                    double lam;
                    rotate_from_pole(p, x, fr, lam, f);
                    l = folded(lam - p.centre * DEG);
                    break;
                }
                default:  // EQUA
                    if (std::fabs(y) > 1 + 1e-12) return fail(lon, lat);
                    l = x;
                    f = std::asin(clamp1(y));
                    break;
            }
            break;
        case FAMILY_PSEUDO:
            switch (p.code) {
                case PROJ_MOLL: {
                    if (std::fabs(y) > std::sqrt(2.0) + 1e-12) return fail(lon, lat);
                    const double th = std::asin(clamp1(y / std::sqrt(2.0)));
                    f = std::asin(clamp1((2 * th + std::sin(2 * th)) / PI));
                    const double c = std::cos(th);
                    l = c < 1e-15 ? 0 : PI * x / (2 * std::sqrt(2.0) * c);
                    break;
                }
                case PROJ_HAMM: {
                    const double z2 = 1 - x * x / 16 - y * y / 4;
                    if (x * x / 8 + y * y / 2 > 1 + 1e-12) return fail(lon, lat);
                    const double z = std::sqrt(std::max(0.0, z2));
                    l = 2 * std::atan2(z * x, 2 * (2 * z2 - 1));
                    f = std::asin(clamp1(z * y));
                    break;
                }
                case PROJ_SANS:
                case PROJ_ELLI: {
                    if (std::fabs(y) > PI / 2 + 1e-12) return fail(lon, lat);
                    f = std::max(-PI / 2, std::min(PI / 2, y));
                    const double c = p.code == PROJ_SANS ? std::cos(f) : std::sqrt(std::max(0.0, 1 - (2 * f / PI) * (2 * f / PI)));
                    l = c < 1e-15 ? 0 : x / c;
                    break;
                }
                default: {  // AITO, WINK: Newton from a guess of the same shape
                    const int code = p.code;
                    l = code == PROJ_WINK ? x / 0.883 : x / 1.0;
                    f = std::max(-PI / 2, std::min(PI / 2, y));
                    l = std::max(-PI, std::min(PI, l));
                    auto fw = [code](double a, double b, double& u, double& v) { pseudo(code, a, b, u, v); };
                    if (!newton(fw, x, y, l, f, PI)) return fail(lon, lat);
                    break;
                }
            }
            if (std::fabs(l) > PI + 1e-9) return fail(lon, lat);
            break;
        case FAMILY_CONIC: {
            if (p.code == PROJ_POLY) {
                // x = 0 is the central meridian (l = 0, f = y + lat0): from
                // there, in steps across to x.
                l = 0;
                f = std::max(-PI / 2, std::min(PI / 2, y + p.lat0));
                auto fw = [&p](double a, double b, double& u, double& v) { polyconic(p, a, b, u, v); };
                bool ok = true;
                for (int k = 1; k <= 4 && ok; ++k) ok = newton(fw, x * k / 4, y, l, f, PI);
                if (!ok) return fail(lon, lat);
                break;
            }
            const double yy = p.southern ? -y : y;
            const double dy = p.y0 - yy;
            double rho = std::hypot(x, dy);
            if (p.n < 0) rho = -rho;
            const double th = std::atan2(x * (p.n < 0 ? -1 : 1), dy * (p.n < 0 ? -1 : 1));
            const double chi = cone_colatitude(p, std::fabs(rho));
            if (!(chi >= -1e-12 && chi <= PI + 1e-12)) return fail(lon, lat);
            l = th / p.n;
            if (std::fabs(l) > PI + 1e-9) return fail(lon, lat);
            f = PI / 2 - chi;
            if (p.southern) f = -f;
            break;
        }
        case FAMILY_AZIMUTHAL: {
            const double rho = std::hypot(x, y);
            const double c = azimuthal_distance(p.code, rho);
            if (!std::isfinite(c)) return fail(lon, lat);
            const double az = std::atan2(x, y), sc = std::sin(c), cc = std::cos(c);
            f = std::asin(clamp1(cc * p.sin_pole + sc * p.cos_pole * std::cos(az)));
            l = p.pole_lon - p.centre * DEG +
                std::atan2(std::sin(az) * sc * p.cos_pole, cc - p.sin_pole * std::sin(f));
            if (rho == 0) l = p.pole_lon - p.centre * DEG;
            l = folded(l);
            break;
        }
        default: return fail(lon, lat);
    }
    if (!std::isfinite(l) || !std::isfinite(f)) return fail(lon, lat);
    lon = p.centre + l / DEG;
    lat = f / DEG;
    return true;
}

}  // namespace kal
