// The page a raster device finished last, kept after kalfin so that a
// program (a web server, say) can take it as a PNG without a file.
#include <new>

#include "core/context.h"
#include "output/raster/image_state.h"
#include "output/raster/raster.h"
#include "output/raster/raster_output.h"
#include "output/sink.h"

namespace kal {

void keep_finished_page(Context& ctx) {
    if (ctx.out.raster) ctx.image.finished_page = std::shared_ptr<const Raster>(std::move(ctx.out.raster));
}

bool finished_page_png(Context& ctx, std::string& out) {
    out.clear();
    if (!ctx.image.finished_page) {
        warn(ctx, 40);
        return false;
    }
    MemoryBlock memory;
    if (!memory.allocate(size_t(1) << 16, size_t(1) << 20)) {
        warn(ctx, 53);
        return false;
    }
    int result;
    {
        OutputSink sink(&memory);
        result = write_png(sink, file_region(ctx, *ctx.image.finished_page), write_options(ctx));
    }
    if (result == WRITE_OK && memory.failed()) result = WRITE_MEMORY;
    if (!report_write(ctx, result)) return false;
    out.assign(reinterpret_cast<const char*>(memory.data()), memory.size());
    return true;
}

}  // namespace kal
