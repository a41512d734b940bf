// What the user-coordinate (rl) forms of the figures share: the check of
// logarithmic axes, lengths in plot units, and the clipping window narrowed
// to the axis system while a figure is drawn.
#pragma once
#include <initializer_list>

namespace kal {

struct Context;

// True when every x value suits the X axis and every y value the Y axis
// (positive on a logarithmic axis); otherwise warning 27.
bool log_values_ok(Context& ctx, std::initializer_list<double> xs, std::initializer_list<double> ys);
bool log_values_ok(Context& ctx, const float* xs, const float* ys, int n);

// The plot length of the user length r measured from (x, y) along the X
// axis (or along the Y axis with `vertical`); in a polar system r times its
// scale factor.
double plot_length(const Context& ctx, double x, double y, double r, bool vertical = false);

// Integer plot position of a converted value: add 0.5 and truncate.
int plot_int(double v);

// Narrows the clipping window to the axis system for its lifetime.
class AxisWindow {
public:
    explicit AxisWindow(Context& ctx);
    ~AxisWindow();
    AxisWindow(const AxisWindow&) = delete;
    AxisWindow& operator=(const AxisWindow&) = delete;

private:
    Context& ctx_;
    int saved_[4];
};

}  // namespace kal
