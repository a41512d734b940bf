// The outline-and-fill rule that every closed figure shares, and the
// vertical rule of plot coordinates given by the caller.
#pragma once

namespace kal {

struct Context;

// A plot y value given by the caller, counted from the bottom of the page
// when the page origin is BOTT.
double page_y(const Context& ctx, double y);

// A polyline relative to the plot origin in the current line style;
// `closed` joins it back to the first point.
void draw_polyline(Context& ctx, int n, const double* x, const double* y, bool closed);

// A figure given relative to the plot origin: filled in the current colour
// when a shading pattern is selected, and outlined with the current line
// style when the outline flag is on (noarln). `closed` joins the outline back
// to the first point.
void draw_polygon(Context& ctx, int n, const double* x, const double* y, bool closed = true);

// The rectangle with the corners (x1, y1) and (x2, y2), relative to the
// plot origin, drawn as a polygon.
void draw_rectangle(Context& ctx, double x1, double y1, double x2, double y2);

// The same figure filled solid whatever pattern is selected, then outlined
// unless `outline` is false: filled symbols, arrow heads, pennants, sectors.
void draw_solid(Context& ctx, int n, const double* x, const double* y, bool outline = true);

}  // namespace kal
