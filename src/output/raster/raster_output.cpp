#include "output/raster/raster_output.h"

#include <new>

#include "core/context.h"
#include "output/colour_table.h"

namespace kal {

int nearest_search_entries(const Context& ctx) {
    switch (ctx.colour.active) {
        case TABLE_SMAL: return 9;
        case TABLE_VGA: return 16;
        default: return 256;
    }
}

// The palette is the whole colour table under every table: an entry that
// setind changed beyond the 9 of SMAL (16 of VGA) is what getind reports,
// so it is also what palette files and pixels show. Only the search for the
// nearest entry of a direct colour stays within the first 9 (16) entries.
void load_table_palette(const Context& ctx, Raster& r) {
    r.load_palette(ctx.colour.table, nearest_search_entries(ctx));
}

std::unique_ptr<Raster> new_raster(const Context& ctx, int w, int h, bool true_colour) {
    std::unique_ptr<Raster> r(new (std::nothrow) Raster);
    if (!r || !r->create(w, h, true_colour, ctx.page.background == 2)) return nullptr;
    load_table_palette(ctx, *r);
    r->set_index(0);
    return r;
}

WriteOptions write_options(const Context& ctx) {
    WriteOptions o;
    o.format = ctx.image.format;
    // nobgd: the page's background stays transparent.
    o.png_transparent = ctx.page.png_transparent || ctx.options.no_background;
    o.gif_transparent = ctx.image.gif_transparent || ctx.options.no_background;
    o.tiff_resolution = ctx.image.tiff_resolution;
    o.tiff_unit = ctx.image.tiff_unit;
    o.white_background = ctx.page.background == 2;
    o.screen = family(ctx.page.device) == Family::Screen;
    return o;
}

ImageRegion file_region(const Context& ctx, const Raster& r) {
    const ImageState& s = ctx.image;
    if (s.clip_set) {
        const ImageRegion region = clipped_region(r, s.clip_x, s.clip_y, s.clip_w, s.clip_h);
        if (region.w > 0) return region;
    }
    return whole_raster(r);
}

bool report_write(Context& ctx, int result) {
    switch (result) {
        case WRITE_OK: return true;
        case WRITE_MEMORY: warn(ctx, 51); return false;
        case WRITE_ZLIB_INIT: case WRITE_ZLIB_DEFLATE: case WRITE_ZLIB_END:
            custom_warning(ctx, 101, "ZLIB error");
            return false;
        default: warn(ctx, 36); return false;
    }
}

}  // namespace kal
