// incfil and filbox: which kind of file it is, and where it goes.
#include "output/file_inclusion.h"

#include <cstring>
#include <vector>

#include "api/routines_raster_images_and_pixels.h"
#include "core/context.h"
#include "core/devices.h"
#include "output/raster/image_readers.h"
#include "output/raster/picture_readers.h"

namespace kal {
namespace {

enum class FileType { Vekmet, Bmp, Gif, Cgm, Printer, Hpgl, PostScript };

bool starts_with(std::span<const uint8_t> d, const char* text) {
    const size_t n = std::strlen(text);
    return d.size() >= n && std::memcmp(d.data(), text, n) == 0;
}

// The type from the first bytes; whatever is none of the others is taken as
// a VEKMET file and judged by its reader.
FileType detect(std::span<const uint8_t> d) {
    if (starts_with(d, "BM")) return FileType::Bmp;
    if (starts_with(d, "GIF8")) return FileType::Gif;
    // Binary CGM: the first element is BEGIN METAFILE (class 0, id 1).
    if (d.size() >= 2 && d[0] == 0x00 && (d[1] & 0xE0) == 0x20) return FileType::Cgm;
    if (starts_with(d, "!R!")) return FileType::Printer;
    if (starts_with(d, " SP1")) return FileType::Hpgl;
    if (starts_with(d, "%!PS-Adobe")) return FileType::PostScript;
    return FileType::Vekmet;
}

PageBox include_box(const Context& ctx) {
    const ImageState& s = ctx.image;
    if (s.file_box_set) return {double(s.file_box_x), double(s.file_box_y), double(s.file_box_w),
                                double(s.file_box_h)};
    return {0, 0, ctx.page.width + 1.0, ctx.page.height + 1.0};
}

void include_picture(Context& ctx, std::span<const uint8_t> bytes, bool gif, const char* name) {
    const DeviceTraits& t = traits(ctx.page.device);
    if (!t.own_raster && !t.image_on_page) {
        warn_text(ctx, 40, name);
        return;
    }
    FileImage picture;
    const PictureResult r = gif ? read_gif(bytes, picture) : read_bmp(bytes, picture);
    if (r == PictureResult::NoMemory) {
        custom_warning(ctx, 101, "Not enough memory");
        return;
    }
    if (r == PictureResult::Bad) {
        warn(ctx, 56);
        return;
    }
    place_picture(ctx, picture, include_box(ctx));
}

}  // namespace

void filbox(Context& ctx, int nx, int ny, int nw, int nh) {
    if (nx < 0 || ny < 0) {
        warn_int(ctx, 1, nx < 0 ? nx : ny);
        return;
    }
    const PageState& p = ctx.page;
    if (nw < 1 || static_cast<long long>(nx) + nw > p.width + 1LL) {
        warn_int(ctx, 2, nw);
        return;
    }
    if (nh < 1 || static_cast<long long>(ny) + nh > p.height + 1LL) {
        warn_int(ctx, 2, nh);
        return;
    }
    ImageState& s = ctx.image;
    s.file_box_set = true;
    s.file_box_x = nx;
    s.file_box_y = ny;
    s.file_box_w = nw;
    s.file_box_h = nh;
}

void incfil(Context& ctx, const char* file) {
    std::vector<uint8_t> bytes;
    if (const int result = read_file(file, bytes); result != 0) {
        if (result == 51)
            custom_warning(ctx, 101, "Not enough memory");
        else
            warn_text(ctx, 36, file);
        return;
    }
    switch (detect(bytes)) {
        case FileType::Bmp: include_picture(ctx, bytes, false, file); return;
        case FileType::Gif: include_picture(ctx, bytes, true, file); return;
        case FileType::Vekmet: play_vekmet(ctx, bytes, include_box(ctx)); return;
        default: warn_text(ctx, 40, file); return;  // recognised, not drawn
    }
}

}  // namespace kal
