// The projection hook of map systems: seams, horizons, interpolated points,
// projection and the clipping of areas.
#include "maps/map_lines.h"

#include <algorithm>
#include <cmath>

#include "core/context.h"
#include "output/primitives.h"
#include "plot2d/coordinate_stage.h"

namespace kal {
namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double DEG = PI / 180;
constexpr double FAR = 1e6;

struct Vec {
    double x, y, z;
};
Vec to_vec(double lon, double lat) {
    return {std::cos(lat * DEG) * std::cos(lon * DEG), std::cos(lat * DEG) * std::sin(lon * DEG), std::sin(lat * DEG)};
}
double dot(const Vec& a, const Vec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// The largest distance from the pole that an azimuthal map draws.
double horizon(const MapState& m) {
    double cap = 179.0 * DEG;
    if (m.proj.code == PROJ_GNOM) cap = 89 * DEG;
    if (m.proj.code == PROJ_ORTH) cap = PI / 2;
    if (m.disc) cap = std::min(cap, m.sphere + 1e-9);
    return cap;
}

// Sutherland-Hodgman against one half-plane inside(p) >= 0, the crossing
// by linear interpolation of `value`.
template <class P, class V, class L>
std::vector<P> clip_half(const std::vector<P>& in, V value, L lerp) {
    std::vector<P> out;
    const size_t n = in.size();
    if (n == 0) return out;
    out.reserve(n + 4);
    for (size_t i = 0; i < n; ++i) {
        const P& a = in[i];
        const P& b = in[(i + 1) % n];
        const double va = value(a), vb = value(b);
        if (va >= 0) out.push_back(a);
        if ((va >= 0) != (vb >= 0)) out.push_back(lerp(a, b, va / (va - vb)));
    }
    return out;
}

}  // namespace

bool map_to_plot(const Context& ctx, double lon, double lat, double& px, double& py) {
    const MapState& m = ctx.map;
    bool ok = true;
    if (m.proj.code == PROJ_MYPR) {
        float fx = 0, fy = 0;
        if (m.function) m.function(float(lon), float(lat), &fx, &fy);
        px = m.left + fx;
        py = m.bottom - fy;
    } else if (m.proj.code == PROJ_CYLI) {
        px = x_plot(ctx, lon);
        py = y_plot(ctx, lat);
    } else {
        double x, y;
        ok = project(m.proj, lon, lat, x, y);
        px = m.ox + x * m.scale;
        py = m.oy - y * m.scale;
    }
    if (!std::isfinite(px) || !std::isfinite(py)) {
        px = py = FAR;
        return false;
    }
    px = std::max(-FAR, std::min(FAR, px));
    py = std::max(-FAR, std::min(FAR, py));
    return ok;
}

MapLines::MapLines(Context& ctx, bool interpolate)
    : ctx_(ctx), interpolate_(interpolate), previous_(ctx.line.projection) {
    line_flush(ctx);
    ctx.line.projection = this;
    // The map's window while its lines are drawn.
    LineState& l = ctx.line;
    std::copy(ctx.out.clip, ctx.out.clip + 4, window_);
    circle_ = l.circle_clip;
    cx_ = l.clip_cx;
    cy_ = l.clip_cy;
    r_ = l.clip_r;
    const MapState& m = ctx.map;
    std::copy(m.clip, m.clip + 4, ctx.out.clip);
    l.circle_clip = m.disc;
    if (m.disc) {
        l.clip_cx = m.clip_cx;
        l.clip_cy = m.clip_cy;
        l.clip_r = m.clip_r;
    }
}

MapLines::~MapLines() {
    line_flush(ctx_);
    ctx_.line.projection = previous_;
    LineState& l = ctx_.line;
    std::copy(window_, window_ + 4, ctx_.out.clip);
    l.circle_clip = circle_;
    l.clip_cx = cx_;
    l.clip_cy = cy_;
    l.clip_r = r_;
}

void MapLines::polyline(int n, const double* lon, const double* lat) {
    const double ox = ctx_.page.origin_x, oy = ctx_.page.origin_y;
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(lon[i]) || !std::isfinite(lat[i])) continue;
        if (i == 0)
            line_move(ctx_, lon[i] + ox, lat[i] + oy);
        else
            line_draw(ctx_, lon[i] + ox, lat[i] + oy);
    }
    line_flush(ctx_);
}

void MapLines::area(int n, const double* lon, const double* lat) {
    if (n < 3) return;
    fill_polygon(ctx_, n, lon, lat);
}

// Maps with a seam show each longitude once, from c - 180 to c + 180:
// pseudo-cylindrical and conic maps around their centre, cylindrical ones
// around the centre of a range of at most 360 degrees, or around the copy
// that the map data are drawn as.
bool MapLines::seam_centre(double& c) const {
    const MapState& m = ctx_.map;
    const MapFamily f = map_family(m.proj.code);
    if (f == FAMILY_PSEUDO || f == FAMILY_CONIC) {
        c = m.proj.centre;
        return true;
    }
    if (f != FAMILY_CYLINDRICAL && f != FAMILY_LINEAR) return false;
    c = data_ ? shift_ : (m.xa + m.xe) / 2;
    return data_ || m.xe - m.xa <= 360.1;
}

void MapLines::cut_line(const Piece& in, std::vector<Piece>& out) const {
    const MapState& m = ctx_.map;
    // The map data go the short way between points (a coastline over the
    // date line); lines of the user's are interpolated as given.
    Piece given(in);
    if (data_)
        for (size_t i = 1; i < given.size(); ++i)
            given[i].lon = given[i - 1].lon + std::remainder(given[i].lon - given[i - 1].lon, 360.0);
    Piece dense;
    dense.reserve(in.size());
    for (size_t i = 0; i < given.size(); ++i) {
        if (i > 0 && interpolate_) {
            const Pt a = given[i - 1], b = given[i];
            const int k = int(std::min(36000.0, std::trunc(std::hypot(b.lon - a.lon, b.lat - a.lat))));
            for (int j = 1; j < k; ++j)
                dense.push_back({a.lon + (b.lon - a.lon) * j / k, a.lat + (b.lat - a.lat) * j / k});
        }
        dense.push_back(given[i]);
    }
    out.emplace_back();
    const MapFamily fam = map_family(m.proj.code);
    double c;
    if (seam_centre(c)) {
        // Consecutive points are joined the short way round.
        double cur = 0;  // longitude from the centre, continued along the line
        for (size_t i = 0; i < dense.size(); ++i) {
            const double w = std::remainder(dense[i].lon - c, 360.0);
            if (i == 0) {
                cur = w;
            } else {
                const double next = cur + std::remainder(w - cur, 360.0);
                if (std::fabs(next) > 180) {  // over the seam behind the centre
                    const double edge = next > 0 ? 180 : -180, t = (edge - cur) / (next - cur);
                    const double lat = dense[i - 1].lat + t * (dense[i].lat - dense[i - 1].lat);
                    out.back().push_back({c + edge, lat});
                    out.emplace_back();
                    out.back().push_back({c - edge, lat});
                    cur = next - 2 * edge;
                } else {
                    cur = next;
                }
            }
            out.back().push_back({c + cur, dense[i].lat});
        }
    } else if (fam == FAMILY_AZIMUTHAL) {
        const double cap = horizon(m);
        auto inside = [&](const Pt& p) { return pole_distance(m.proj, p.lon, p.lat) <= cap; };
        // The point on a-b where the horizon is, by bisection.
        auto rim = [&](Pt a, Pt b) {  // a inside, b outside
            for (int k = 0; k < 40; ++k) {
                const Pt mid{(a.lon + b.lon) / 2, (a.lat + b.lat) / 2};
                (inside(mid) ? a : b) = mid;
            }
            return a;
        };
        bool was_in = false;
        for (size_t i = 0; i < dense.size(); ++i) {
            const bool in_now = inside(dense[i]);
            if (i > 0 && in_now != was_in) {
                const Pt r = in_now ? rim(dense[i], dense[i - 1]) : rim(dense[i - 1], dense[i]);
                out.back().push_back(r);
                if (!in_now) out.emplace_back();
            }
            if (in_now) out.back().push_back(dense[i]);
            was_in = in_now;
        }
    } else {
        out.back() = std::move(dense);
    }
}

void MapLines::cut_area(const Piece& in, std::vector<Piece>& out) const {
    const MapState& m = ctx_.map;
    const MapFamily fam = map_family(m.proj.code);
    auto lerp = [](const Pt& a, const Pt& b, double t) {
        return Pt{a.lon + t * (b.lon - a.lon), a.lat + t * (b.lat - a.lat)};
    };
    double c;
    if (seam_centre(c)) {
        if (in.size() < 3) return;
        // Longitudes made continuous around the ring, then the ring cut into
        // the 360-degree strips it covers, each moved onto the map.
        Piece ring(in);
        double mean_lat = 0;
        for (size_t i = 0; i < ring.size(); ++i) {
            double l = std::remainder(ring[i].lon - c, 360.0);
            if (i > 0) l = ring[i - 1].lon + std::remainder(l - ring[i - 1].lon, 360.0);
            ring[i].lon = l;
            mean_lat += reflected(ring[i].lat) / double(ring.size());
        }
        // A ring that runs once round a pole (Antarctica) does not come back
        // to its first longitude: it is closed along the pole's line on its
        // side, not by a chord across the map.
        const Pt first = ring.front(), last = ring.back();
        const double back = last.lon + std::remainder(first.lon - last.lon, 360.0);
        if (std::fabs(back - first.lon) > 180) {
            const double pole = reflected(mean_lat < 0 ? -90 : 90);
            ring.push_back({back, first.lat});
            ring.push_back({back, pole});
            ring.push_back({first.lon, pole});
        }
        double lo = 1e300, hi = -1e300;
        for (const Pt& q : ring) {
            lo = std::min(lo, q.lon);
            hi = std::max(hi, q.lon);
        }
        const int k0 = int(std::floor((lo + 180) / 360)), k1 = int(std::ceil((hi + 180) / 360)) - 1;
        for (int k = std::max(k0, -3); k <= std::min(k1, 3); ++k) {
            const double a = -180 + 360.0 * k, b = 180 + 360.0 * k;
            Piece p = clip_half(ring, [a](const Pt& q) { return q.lon - a; }, lerp);
            p = clip_half(p, [b](const Pt& q) { return b - q.lon; }, lerp);
            if (p.size() < 3) continue;
            for (Pt& q : p) q.lon += c - 360.0 * k;
            out.push_back(std::move(p));
        }
        return;
    }
    if (fam == FAMILY_AZIMUTHAL) {
        // On the sphere: the part on the pole's side of the horizon plane,
        // edges followed along great circles.
        const Vec pole = to_vec(m.proj.pole_lon / DEG, m.proj.pole_lat / DEG);
        const double limit = std::cos(horizon(m));
        std::vector<Vec> v;
        v.reserve(in.size());
        for (const Pt& p : in) v.push_back(to_vec(p.lon, p.lat));
        v = clip_half(v, [&](const Vec& q) { return dot(q, pole) - limit; },
                      [](const Vec& a, const Vec& b, double t) {
                          return Vec{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.z + t * (b.z - a.z)};
                      });
        if (v.size() < 3) return;
        Piece p;
        for (size_t i = 0; i < v.size(); ++i) {
            const Vec a = v[i], b = v[(i + 1) % v.size()];
            const double ang = std::acos(std::max(-1.0, std::min(1.0, dot(a, b) / std::sqrt(dot(a, a) * dot(b, b)))));
            const int k = std::max(1, int(std::min(3600.0, ang / DEG)));
            for (int j = 0; j < k; ++j) {
                const double t = double(j) / k;
                const Vec q{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.z + t * (b.z - a.z)};
                p.push_back({std::atan2(q.y, q.x) / DEG, std::atan2(q.z, std::hypot(q.x, q.y)) / DEG});
            }
        }
        out.push_back(std::move(p));
        return;
    }
    out.push_back(in);
}

void MapLines::emit(const Piece& p, bool closed, ProjectedPieces& out) {
    const Context& ctx = ctx_;
    const MapState& m = ctx.map;
    const double ox = ctx.page.origin_x, oy = ctx.page.origin_y;
    px_.clear();
    py_.clear();
    // A user projection may fail at a point (NaN): the point is dropped, an
    // open line breaks there.
    const bool user = m.proj.code == PROJ_MYPR;
    auto add = [&](double lon, double lat) {
        double x, y;
        if (!map_to_plot(ctx, lon, lat, x, y) && user) {
            if (closed) return;
            x = y = NAN;
        }
        px_.push_back(x + ox);
        py_.push_back(y + oy);
    };
    const bool dense = closed && map_family(m.proj.code) != FAMILY_AZIMUTHAL &&
                       map_family(m.proj.code) != FAMILY_LINEAR && m.proj.code != PROJ_MYPR;
    // Area edges follow the projection, the closing one too.
    auto edge = [&](const Pt& a, const Pt& b) {
        const int k = int(std::min(3600.0, std::trunc(std::hypot(b.lon - a.lon, b.lat - a.lat))));
        for (int j = 1; j < k; ++j) add(a.lon + (b.lon - a.lon) * j / k, a.lat + (b.lat - a.lat) * j / k);
    };
    for (size_t i = 0; i < p.size(); ++i) {
        if (dense && i > 0) edge(p[i - 1], p[i]);
        add(p[i].lon, p[i].lat);
    }
    if (dense && p.size() > 2) edge(p.back(), p.front());
    if (!closed) {
        if (m.proj.code == PROJ_OBLI) {  // the rotated sphere's own seam
            size_t start = 0;
            for (size_t i = 1; i <= px_.size(); ++i) {
                if (i == px_.size() || std::fabs(px_[i] - px_[i - 1]) > PI * m.scale) {
                    if (i - start > 1) out.piece(int(i - start), px_.data() + start, py_.data() + start);
                    start = i;
                }
            }
            return;
        }
        size_t start = 0;
        for (size_t i = 0; i <= px_.size(); ++i) {
            if (i < px_.size() && !std::isnan(px_[i])) continue;
            if (i - start > 1) out.piece(int(i - start), px_.data() + start, py_.data() + start);
            start = i + 1;
        }
        return;
    }
    // Areas: clipped here to the window (its circle on disc maps), so that
    // what is left can be filled as one polygon.
    struct Q {
        double x, y;
    };
    std::vector<Q> poly(px_.size());
    for (size_t i = 0; i < px_.size(); ++i) poly[i] = {px_[i], py_[i]};
    auto lerp = [](const Q& a, const Q& b, double t) { return Q{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)}; };
    if (ctx.line.circle_clip) {
        const LineState& l = ctx.line;
        constexpr int SIDES = 360;
        const double r = l.clip_r / std::cos(PI / SIDES);  // the polygon around the circle
        for (int s = 0; s < SIDES && poly.size() >= 3; ++s) {
            const double a = 2 * PI * s / SIDES, nx = std::cos(a), ny = std::sin(a);
            poly = clip_half(poly, [&](const Q& q) { return r - ((q.x - l.clip_cx) * nx + (q.y - l.clip_cy) * ny); }, lerp);
        }
    } else if (!ctx.line.transform) {
        const int* w = ctx.out.clip;
        poly = clip_half(poly, [&](const Q& q) { return q.x - w[0]; }, lerp);
        poly = clip_half(poly, [&](const Q& q) { return w[2] - q.x; }, lerp);
        poly = clip_half(poly, [&](const Q& q) { return q.y - w[1]; }, lerp);
        poly = clip_half(poly, [&](const Q& q) { return w[3] - q.y; }, lerp);
        // Crossings computed on an edge may miss it by a rounding error; the
        // area stays in the window, where devices fill it natively.
        for (Q& q : poly) {
            q.x = std::max(double(w[0]), std::min(double(w[2]), q.x));
            q.y = std::max(double(w[1]), std::min(double(w[3]), q.y));
        }
    }
    if (poly.size() < 3) return;
    px_.resize(poly.size());
    py_.resize(poly.size());
    for (size_t i = 0; i < poly.size(); ++i) {
        px_[i] = poly[i].x;
        py_[i] = poly[i].y;
    }
    out.piece(int(px_.size()), px_.data(), py_.data());
}

void MapLines::project(int n, const double* x, const double* y, bool closed, ProjectedPieces& out) {
    if (n < 1) return;
    const double ox = ctx_.page.origin_x, oy = ctx_.page.origin_y;
    // Latitudes beyond the poles are the reflected copies of a linear map.
    const bool linear = map_family(ctx_.map.proj.code) == FAMILY_LINEAR;
    Piece in;
    in.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        const double lon = x[i] - ox, lat = y[i] - oy;
        if (std::isfinite(lon) && std::isfinite(lat))
            in.push_back({lon, linear ? lat : std::max(-90.0, std::min(90.0, lat))});
    }
    std::vector<Piece> pieces;
    if (closed)
        cut_area(in, pieces);
    else
        cut_line(in, pieces);
    for (const Piece& p : pieces)
        if (p.size() > (closed ? 2u : 1u)) emit(p, closed, out);
}

}  // namespace kal
