// The points of an open path in a writer that collects up to CAPACITY of
// them and writes them as one path: when full, on a move and at the end.
// A draw after a written path goes on from the point that path ended at.
#pragma once

namespace kal {

template <class T, int CAPACITY>
struct PathPoints {
    static_assert(CAPACITY >= 2);
    T x[CAPACITY] = {}, y[CAPACITY] = {};
    int n = 0;               // points in the open path
    T last_x{}, last_y{};    // where the last path ended

    // Adds a draw; true when the path is full: write it, then go_on().
    bool draw(T xi, T yi) {
        if (n == 0) {
            x[0] = last_x;
            y[0] = last_y;
            n = 1;
        }
        x[n] = xi;
        y[n] = yi;
        return ++n == CAPACITY;
    }
    // After a full path was written the next one starts at its last point.
    void go_on() {
        x[0] = x[n - 1];
        y[0] = y[n - 1];
        n = 1;
    }
    // A move: a new path starts at (xi, yi).
    void start(T xi, T yi) {
        x[0] = xi;
        y[0] = yi;
        n = 1;
    }
    // The path ends (after it was written): later draws start at its last point.
    void end() {
        if (n > 0) {
            last_x = x[n - 1];
            last_y = y[n - 1];
        }
        n = 0;
    }
};

}  // namespace kal
