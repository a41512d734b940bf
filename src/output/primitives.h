// The device-independent drawing primitives. Everything the library draws
// ends here: plot coordinates in, device output out through the one driver.
#pragma once
#include "core/devices.h"

namespace kal {

struct Context;

// Device factor and colour depth of the open device (kalini).
void open_device(Context& ctx);
// Closes the driver at kalfin and writes what is left of the output;
// warning 36 when any byte could not be written. Returns the driver's
// result code.
int finish_device(Context& ctx);
// Hands every byte written so far to the file (sendbf); false after a
// failed write.
bool flush_output(Context& ctx);
// Plot point (origin offset already added) to device units: integers on
// the devices that round, exact values on the others (their drivers write
// them as their formats need).
DevicePoint device_point(const Context& ctx, double x, double y);
// The transform device_point applies, made again when the device, the
// page or the factor changed.
const DeviceMap& current_map(const Context& ctx);

// The step between the nested outlines of a frame in plot units: one pixel
// of the picture on the devices that draw into pixels (a frame of thickness
// t is then t pixels wide on every side), else one plot unit.
double frame_step(const Context& ctx);
// Move (pen 3) or draw (pen 2) to a plot point; counts one vector.
void move_draw(Context& ctx, double x, double y, int pen);
// n plot points (origin offset added) in order, the first with pen code
// first_pen and the others drawn: the same as n calls of move_draw. The
// points lie within the clip window.
void draw_run(Context& ctx, int n, const double* x, const double* y, int first_pen);
// Colour-table index of a colour value (nearest entry for direct colours).
int resolve_index(const Context& ctx, int value);
// Makes a colour value current (flushing the pending line first).
void set_colour(Context& ctx, int value);
// Rectangle relative to the plot origin, clipped to the window.
void fill_rect(Context& ctx, double x1, double y1, double x2, double y2, int value);
// Polygon relative to the plot origin, in the current colour and pattern.
void fill_polygon(Context& ctx, int n, const double* x, const double* y);
// Solid triangle in plot coordinates (origin offset added by the caller).
void fill_triangle(Context& ctx, const double* x, const double* y, int value);
// The colour table changed: screens and images receive it.
void push_colour_table(Context& ctx);

}  // namespace kal
