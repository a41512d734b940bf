// The points of an open path in a writer that collects up to CAPACITY of
// them and writes them as one path: when full, on a move and at the end.
// A draw after a written path goes on from the point that path ended at.
#pragma once

namespace kal {

//
// A writer that thins its runs (path_thinning.h) ends its paths where it
// would end them unthinned: `raw` counts the points the path would hold
// with every point written, and the path is full when that count is.
template <class T, int CAPACITY>
struct PathPoints {
    static_assert(CAPACITY >= 2);
    static constexpr int capacity = CAPACITY;
    T x[CAPACITY] = {}, y[CAPACITY] = {};
    int n = 0;               // points in the open path
    int raw = 0;             // points it would hold unthinned
    T last_x{}, last_y{};    // where the last path ended

    // Adds a draw; true when the path is full: write it, then go_on().
    bool draw(T xi, T yi) {
        put(xi, yi);
        return count();
    }
    // A point of a thinned run, written or not: true when the path is full.
    bool count() {
        if (raw == 0) raw = 1;
        return ++raw == CAPACITY;
    }
    // A point of a thinned run that is written (counted already).
    void put(T xi, T yi) {
        if (n == 0) {
            x[0] = last_x;
            y[0] = last_y;
            n = 1;
        }
        x[n] = xi;
        y[n] = yi;
        ++n;
    }
    // After a full path was written the next one starts at its last point.
    void go_on() {
        x[0] = x[n - 1];
        y[0] = y[n - 1];
        n = raw = 1;
    }
    // A move: a new path starts at (xi, yi).
    void start(T xi, T yi) {
        x[0] = xi;
        y[0] = yi;
        n = raw = 1;
    }
    // The path ends (after it was written): later draws start at its last point.
    void end() {
        if (n > 0) {
            last_x = x[n - 1];
            last_y = y[n - 1];
        }
        n = raw = 0;
    }
    // No path, after the file is finished or before it starts.
    void clear() { n = raw = 0; }
};

}  // namespace kal
