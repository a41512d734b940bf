// Thinning of dense polylines at the precision a document writer records.
//
// A writer rounds every coordinate it writes to a step of its own (PDF and
// SVG: 0.01 of their unit; PostScript: one device unit). Dense data gives
// long stretches whose points, so rounded, lie on one straight line: written
// again and again at the same place, or as a straight row of points. The
// filter looks at the points as they will be written, counted in steps,
// and leaves out a point that lies on the straight segment from the last
// point kept to the next point, between them. The path written then covers
// exactly the same line as the path through every written point, so its
// stroke has the same outline with any width, join and cap: nothing a
// reader draws changes, while the points cost no formatting, bytes or
// deflating.
//
// (Leaving out points within half a step of the segment would thin more,
// but changes the outline that readers stroke: at sharp turns a bevel join
// replaces the rounded corner that many short segments draw, and along a
// rounded staircase of short segments the stroke is narrower than along
// the straight segment through it. At 300 dpi those pixels differ.)
//
// Streaming: the filter holds the last point kept and one candidate; a run
// of any length passes through in constant memory.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace kal {

// Whether the environment variable `name` switches a writer's economy off
// ("OFF", "off" or "0"), read when a writer opens: the way to compare a
// file with its plain form.
inline bool switched_off(const char* name) {
    const char* v = std::getenv(name);
    return v && (std::strcmp(v, "OFF") == 0 || std::strcmp(v, "off") == 0 || std::strcmp(v, "0") == 0);
}

// Thinning is on unless KALVOR_THINNING switches it off.
inline bool thinning_wanted() { return !switched_off("KALVOR_THINNING"); }

class PathThinner {
public:
    // Beyond this many steps the products below are no longer exact: such
    // points pass unthinned.
    static constexpr double REACH = 1048576.0;

    // Whether a run is being thinned (the filter knows the kept point).
    bool active() const { return active_; }

    // A run goes on from the written point (qx, qy), in steps.
    void start(double qx, double qy) {
        active_ = true;
        has_candidate_ = false;
        kx_ = qx;
        ky_ = qy;
    }

    // The next point of the run: (qx, qy) in steps as it will be written,
    // (x, y) as the writer was given it. emit(x, y, qx, qy) receives the
    // points kept, in order; the last one waits for the next point or
    // finish().
    template <class Emit>
    void add(double qx, double qy, double x, double y, Emit&& emit) {
        if (!(std::fabs(qx) < REACH && std::fabs(qy) < REACH)) {
            finish(emit);
            emit(x, y, qx, qy);
            return;
        }
        if (!active_) {   // after a far point: this one is kept
            emit(x, y, qx, qy);
            start(qx, qy);
            return;
        }
        if (!has_candidate_) {
            // Even the kept point again: a run of one point drawn stays a
            // dot where caps are round.
            take(qx, qy, x, y);
            return;
        }
        if (qx == cx_ && qy == cy_) return;       // the candidate written again
        // The candidate is left out when the new point goes on beyond it
        // along the straight line from the kept point.
        const double ax = cx_ - kx_, ay = cy_ - ky_, bx = qx - kx_, by = qy - ky_;
        if (ax * by - ay * bx == 0 && ax * bx + ay * by > ax * ax + ay * ay) {
            take(qx, qy, x, y);
            return;
        }
        emit(cox_, coy_, cx_, cy_);
        kx_ = cx_;
        ky_ = cy_;
        take(qx, qy, x, y);
    }

    // The next n points of a run, (x[i], y[i]) as given and step(x[i]) in
    // steps, as add() takes them one by one; the points kept go to
    // store(k, x, y, qx, qy) for k = 0, 1, ... and their count is returned.
    // store must take the place after the points kept as scratch (up to
    // index 2n).
    //
    // Whether a point is kept depends on the last point kept: a chain from
    // point to point. Where nearly every point is kept or nearly every one
    // left out (smooth data), a branch on it is foreseen and the processor
    // runs ahead along the chain; on noisy data it is a coin toss, and the
    // loop without a branch (the candidate stored at the next place every
    // time, the place advanced by the keep flag) is the faster. The share
    // of points kept lately chooses the loop; both keep the same points.
    template <class Step, class Store>
    int add_block(int n, const double* x, const double* y, Step&& step, Store&& store) {
        int k = 0;
        const auto emit = [&](double px, double py, double qx, double qy) { store(k++, px, py, qx, qy); };
        int i = 0;
        while (i < n) {
            if (!has_candidate_) {   // the first point of a run
                add(step(x[i]), step(y[i]), x[i], y[i], emit);
                ++i;
                continue;
            }
            if (judged_ > 4096) {   // the recent share counts most
                judged_ /= 2;
                kept_ /= 2;
            }
            const bool foreseen = judged_ < 64 || 8 * kept_ < judged_ || 8 * kept_ > 7 * judged_;
            i = foreseen ? thin<true>(i, n, x, y, step, store, k) : thin<false>(i, n, x, y, step, store, k);
            if (i == n) break;
            add(step(x[i]), step(y[i]), x[i], y[i], emit);   // a far point
            ++i;
        }
        return k;
    }

    // The run ends: the point waiting is written, and the next run starts
    // from wherever the writer is then.
    template <class Emit>
    void finish(Emit&& emit) {
        active_ = false;
        if (!has_candidate_) return;
        has_candidate_ = false;
        emit(cox_, coy_, cx_, cy_);
    }

private:
    // Points from i on until n or a far point (returned): see add_block.
    template <bool BRANCH, class Step, class Store>
    int thin(int i, int n, const double* x, const double* y, Step& step, Store& store, int& k) {
        // The state in locals, so that the stores cannot touch it.
        double kx = kx_, ky = ky_, cx = cx_, cy = cy_, cox = cox_, coy = coy_;
        int judged = 0, kept_here = 0;
        for (; i < n; ++i) {
            const double qx = step(x[i]), qy = step(y[i]);
            if (!(std::fabs(qx) < REACH && std::fabs(qy) < REACH)) break;
            // The candidate written again stays as it was first given (a
            // branch that smooth data takes in long runs, noisy data seldom).
            if (qx == cx && qy == cy) continue;
            const double ax = cx - kx, ay = cy - ky, bx = qx - kx, by = qy - ky;
            const bool kept = !((ax * by - ay * bx == 0) & (ax * bx + ay * by > ax * ax + ay * ay));
            ++judged;
            kept_here += kept;
            if constexpr (BRANCH) {
                if (kept) {
                    store(k++, cox, coy, cx, cy);
                    kx = cx;
                    ky = cy;
                }
            } else {
                store(k, cox, coy, cx, cy);
                k += kept;
                kx = pick(kept, cx, kx);
                ky = pick(kept, cy, ky);
            }
            cox = x[i];
            coy = y[i];
            cx = qx;
            cy = qy;
        }
        kx_ = kx;
        ky_ = ky;
        cx_ = cx;
        cy_ = cy;
        cox_ = cox;
        coy_ = coy;
        judged_ += judged;
        kept_ += kept_here;
        return i;
    }

    // c ? a : b without a branch.
    static double pick(bool c, double a, double b) {
        uint64_t ua, ub;
        std::memcpy(&ua, &a, 8);
        std::memcpy(&ub, &b, 8);
        const uint64_t m = uint64_t{0} - static_cast<uint64_t>(c);
        const uint64_t r = (ua & m) | (ub & ~m);
        double v;
        std::memcpy(&v, &r, 8);
        return v;
    }

    void take(double qx, double qy, double x, double y) {
        has_candidate_ = true;
        cx_ = qx;
        cy_ = qy;
        cox_ = x;
        coy_ = y;
    }

    bool active_ = false;
    bool has_candidate_ = false;
    double kx_ = 0, ky_ = 0;           // the last point kept (written)
    double cx_ = 0, cy_ = 0;           // the candidate, in steps
    double cox_ = 0, coy_ = 0;         // the candidate as given
    int judged_ = 0, kept_ = 0;        // points judged lately, and kept
};

// n draws of a run thinned into the open path of a writer that collects
// its points (path_points.h) from where the path is: the points kept join
// it as value(given, steps) makes them the path's numbers, and a path full
// by its unthinned count gets its held point and then full(), which writes
// it and starts the path and the run again from its last point.
template <class Path, class Step, class Value, class Full>
void thin_into(PathThinner& thinner, Path& path, int n, const double* x, const double* y, Step&& step,
               Value&& value, Full&& full) {
    const auto put = [&](double px, double py, double qx, double qy) { path.put(value(px, qx), value(py, qy)); };
    int i = 0;
    while (i < n) {
        if (path.raw == 0) path.raw = 1;
        // The points up to the one that fills the path. Kept points and the
        // candidate held are at most the points counted, so the scratch
        // place add_block writes to stays inside the path.
        const int m = std::min(n - i, Path::capacity - path.raw);
        if (path.n == 0) {
            path.x[0] = path.last_x;
            path.y[0] = path.last_y;
        }
        const int base = path.n == 0 ? 1 : path.n;
        const int k = thinner.add_block(m, x + i, y + i, step, [&](int j, double px, double py, double qx, double qy) {
            path.x[base + j] = value(px, qx);
            path.y[base + j] = value(py, qy);
        });
        if (k > 0) path.n = base + k;
        path.raw += m;
        i += m;
        if (path.raw < Path::capacity) continue;
        thinner.finish(put);
        full();
    }
}

}  // namespace kal
