// imgfin on a PostScript page: the raster as an inline colorimage of
// hexadecimal RGB rows, placed on the image box (or the whole page).
#include <cstdio>
#include <vector>

#include "core/context.h"
#include "output/drivers/postscript.h"
#include "output/raster/raster.h"

namespace kal {
namespace {

constexpr double POINTS = 0.14173229;  // points per device unit of 1/20 mm

}  // namespace

bool PostScriptDriver::image(Context& ctx, const Raster& r, double x, double y, double w, double h) {
    const int nx = r.width(), ny = r.height();
    const double s = ctx.out.factor;
    path(ctx, 0, 0, PATH_END);
    char buf[160];
    std::snprintf(buf, sizeof buf, "/picstr %d string def ", 3 * nx);
    words(ctx, buf);
    // The lower left corner of the rectangle, (x, y + h) on the page.
    const double px = rotated(ctx) ? (y + h) * s * POINTS : x * s * POINTS;
    const double py = rotated(ctx) ? x * s * POINTS : (ctx.page.height - (y + h)) * s * POINTS;
    std::snprintf(buf, sizeof buf, "gsave %10.3f %10.3f translate ", px, py);
    words(ctx, buf);
    if (rotated(ctx)) words(ctx, "90 rotate ");
    std::snprintf(buf, sizeof buf, "%10.3f %10.3f scale %d %d 8 [%d 0 0 %d 0 %d] ", w * s * POINTS,
                  h * s * POINTS, nx, ny, nx, -ny, ny);
    words(ctx, buf);
    words(ctx, "{currentfile picstr readhexstring pop} false 3 ");
    words(ctx, "colorimage ");
    end_line(ctx);

    // Two hexadecimal digits per byte, lines of 80 digits: the same as
    // handing every pair to the word writer, without the per-word cost.
    static const char HEX[] = "0123456789ABCDEF";
    RecordBuffer& rec = ctx.out.record;
    std::vector<uint8_t> row(size_t(nx) * 3);
    for (int j = 0; j < ny; ++j) {
        r.rgb_row(0, j, nx, row.data());
        for (uint8_t b : row) {
            if (rec.fill > 0 && rec.fill + 2 > RecordBuffer::LENGTH) rec.flush_line(sink());
            rec.data[rec.fill++] = HEX[b >> 4];
            rec.data[rec.fill++] = HEX[b & 15];
        }
    }
    words(ctx, " ");
    words(ctx, "grestore ");
    return true;
}

}  // namespace kal
