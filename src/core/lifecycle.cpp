#include "core/lifecycle.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>

#include "api/routines_life_cycle.h"
#include "core/call_lock.h"
#include "core/context.h"
#include "core/devices.h"
#include "core/fatal.h"
#include "core/files.h"
#include "core/threads.h"
#include "output/driver.h"
#include "output/line_layer.h"
#include "output/primitives.h"
#include "output/raster/image_state.h"
#include "output/raster/raster.h"

namespace kal {
namespace {

int round_half_up(double v) { return clamp_int(std::floor(v + 0.5)); }

// The background mode of a screen mode: AUTO gives 2 (white page) on the
// document formats and 0 (black) on the others.
int background_mode(ScreenMode screen_mode, int device) {
    if (screen_mode != SCREEN_AUTO) return screen_mode;
    return traits(device).white_auto ? 2 : 0;
}

// The output file of a kalini call, chosen and opened before the record
// changes so that a fatal naming condition leaves everything as it was.
struct OpenedFile {
    bool wanted = false;     // the device writes a file
    FILE* fp = nullptr;
    std::string name;
    FileNameState state = NAME_DEFAULT;  // file name state after kalini
    std::string headless;                // a screen's PNG name without a display
};

// The name of the output file before the file mode applies to it, and the
// file name state it leaves.
std::string wanted_name(const PageState& p, const char* ext, FileNameState& state) {
    state = p.file_state;
    if (p.file_state == NAME_DEFAULT) return std::string("kalvor.") + ext;
    if (p.file_state == NAME_GIVEN) {
        state = NAME_RESTORED;
        return p.file_name;
    }
    return p.saved_name;
}

OpenedFile open_output_file(const Context& ctx, int device) {
    const PageState& p = ctx.page;
    OpenedFile f;
    f.state = p.file_state;
    const char* ext = extension(device);
    if (!ext) {
        // Screens open no file; without a display their pages become PNG
        // files named as a file device's output.
        if (family(device) == Family::Screen) f.headless = wanted_name(p, "png", f.state);
        return f;
    }
    if (traits(device).memory_output && p.pdf_buffer) return f;  // kept in memory: no file
    f.wanted = true;
    const std::string want = wanted_name(p, ext, f.state);
    f.fp = create_file(ctx, want, binary_output(device) ? "wb" : "w", f.name);
    if (f.fp) std::setvbuf(f.fp, nullptr, _IOFBF, 1 << 16);
    return f;
}

// The output of a device whose document may stay in memory (PDF): the file
// opened above, which its driver takes over, or with pdfmod BUFF a memory
// block and no file at all. Unlike other devices, such an output that
// cannot be opened ends the program.
void open_document_output(Context& ctx, int device, const OpenedFile& file) {
    const bool memory = ctx.page.pdf_buffer;
    if (!memory && !file.fp) {
        warn(ctx, 36);
        throw Fatal("File error in kalini!");
    }
    if (!prepare_device_output(ctx, device, memory) && memory) {
        warn(ctx, 53);
        throw Fatal("Not enough memory in kalini!");
    }
}

void derive_page_geometry(PageState& p) {
    p.width = round_half_up(p.extent_w / p.units);
    p.height = round_half_up(p.extent_h / p.units);
    p.axis_len_x = round_half_up((p.width + 1) * 2.0 / 3.0);
    p.axis_len_y = round_half_up((p.height + 1) * 2.0 / 3.0);
    p.axis_org_x = (p.width - p.axis_len_x) / 2;
    p.axis_org_y = p.height - round_half_up(300.0 / p.units);
}

void choose_window(PageState& p) {
    p.win_x = 0;
    p.win_y = 0;
    p.win_w = p.width > p.height ? 853 : 603;
    p.win_h = p.width > p.height ? 603 : 853;
    if (p.win_request == WINDOW_PLACED) {
        p.win_x = p.req_x;
        p.win_y = p.req_y;
    }
    if (p.win_request != WINDOW_DEFAULT) {
        p.win_w = p.req_w;
        p.win_h = p.req_h;
    }
}

// kalini after the output file is chosen and opened.
void start_plot(Context& ctx, int device, const OpenedFile& file) {
    PageState& p = ctx.page;
    ctx.frame.level = 1;
    ctx.out.vectors = 0;
    ctx.frame.warnings = 0;
    p.finished = FINISHED_NEVER;
    p.background = background_mode(p.screen_mode, device);
    if (!p.device) {
        p.device = DEV_VEKM;
        std::strcpy(p.device_key, "VEKM");
    }
    derive_page_geometry(p);
    choose_window(p);
    ctx.out.colour_depth = 8;
    ctx.out.factor = 1.0;

    if (file.wanted) {
        if (file.state == NAME_RESTORED && p.file_state == NAME_GIVEN) p.saved_name = p.file_name;
        p.file_state = file.state;
        p.file_name = file.name;
    } else {
        if (!file.headless.empty()) {
            if (file.state == NAME_RESTORED && p.file_state == NAME_GIVEN) p.saved_name = p.file_name;
            p.file_state = file.state;
        }
        p.file_name.clear();
    }
    p.headless_name = file.headless;
    p.headless_files = 0;
    ctx.out.file = file.fp;
    ctx.out.record.clear();
    ctx.out.record.fixed_records = traits(device).fixed_records;
    ctx.out.driver = make_driver(device);
    reset_lines(ctx);
    reset_clipping(ctx);
    open_device(ctx);
    if (file.wanted && !file.fp) custom_warning(ctx, 101, "Open error");

    setup_message_stream(ctx);
    reset_all(ctx);
    if (p.first_background == -1) p.first_background = p.background;
}

// The whole record as it was before kalini, to be put back after a fatal
// condition: every part of Context::parts, values copied, resources dropped.
template <class Parts>
struct SavedParts;

template <class... Part>
struct SavedParts<std::tuple<const Part&...>> {
    explicit SavedParts(const Context& ctx) : saved(ctx.parts()) {}
    void restore(Context& ctx) const {
        std::apply([&](Part&... part) {
            std::apply([&](const Saved<Part>&... s) { (s.restore(part), ...); }, saved);
        }, ctx.parts());
    }
    std::tuple<Saved<Part>...> saved;
};
using Snapshot = SavedParts<decltype(std::declval<const Context&>().parts())>;

}  // namespace

void PageState::reset(Context& ctx) {
    PageState& p = ctx.page;
    p.origin_x = 0;
    p.origin_y = 0;
    p.window_mode = WINMODE_FULL;
    p.close_key = CLOSE_NONE;
    p.close_delay = 10;
    p.page_origin = ORIGIN_TOP;
    p.page_counter = 0;
}

namespace {
void reset_origin(Context& ctx) {
    ctx.page.origin_x = 0;
    ctx.page.origin_y = 0;
}
void reset_window(Context& ctx) { ctx.page.win_request = WINDOW_DEFAULT; }
void reset_winmod(Context& ctx) { ctx.page.window_mode = WINMODE_FULL; }
const ResetKey PAGE_KEYS[] = {
    {"ORIG", reset_origin}, {"WIND", reset_window}, {"WINS", reset_window},
    {"WINM", reset_winmod},
};
}  // namespace
const ResetKeys PageState::reset_keys = PAGE_KEYS;

void kalini(Context& ctx) {
    PageState& p = ctx.page;

    const int device = p.device ? p.device : DEV_VEKM;
    OpenedFile file = open_output_file(ctx, device);  // may end the call (fatal)
    if (traits(device).memory_output) open_document_output(ctx, device, file);  // fatal on failure

    // Everything below may still meet a fatal condition (no memory for the
    // raster, ...): the record is then put back as it was and the new file
    // removed, so that the call leaves no trace.
    const Snapshot before(ctx);
    try {
        start_plot(ctx, device, file);
    } catch (...) {
        before.restore(ctx);
        if (file.fp) {
            std::fclose(file.fp);
            std::remove(file.name.c_str());
        }
        throw;
    }
}

void finish_plot(Context& ctx, bool protocol) {
    PageState& p = ctx.page;
    OutputState& o = ctx.out;
    line_flush(ctx);
    finish_image_mode(ctx);
    int result = o.driver ? finish_device(ctx) : 0;
    // Only screens report a result without an output file: 1 when their
    // pages went to PNG files for want of a display.
    if (!o.file && family(p.device) != Family::Screen) result = 0;
    if (o.file) {
        std::fclose(o.file);
        o.file = nullptr;
    }
    o.driver.reset();
    release_raster(ctx);
    ctx.frame.level = 0;
    p.finished = FINISHED_DONE;
    p.finished_name = result == 0 ? std::string() : p.file_name;
    p.finished_device = p.device;

    if (ctx.frame.app_type == APP_WINDOW || ctx.frame.error_device == ERRDEV_FILE) {
        if (close_error_file(ctx)) result += 10;
    }
    if (protocol) end_protocol(ctx, result);
}

void finish_open_plot() {
    CallLock lock;
    Context* ctx = fetch_record();
    if (!ctx || ctx->frame.level == 0) return;
    if (family(ctx->page.device) == Family::Screen) ctx->page.window_mode = WINMODE_NONE;
    finish_plot(*ctx, false);
}

void kalfin(Context& ctx) {
    line_flush(ctx);
    finish_image_mode(ctx);
    if (ctx.out.driver) ctx.out.driver->hold(ctx);
    finish_plot(ctx, true);
}

void newpag(Context& ctx) {
    line_flush(ctx);
    ++ctx.page.page_counter;
    ctx.out.pen_valid = false;
    if (ctx.out.driver) ctx.out.driver->new_page(ctx);
}

void erase(Context& ctx) {
    line_flush(ctx);
    ctx.out.pen_valid = false;
    if (ctx.out.driver) ctx.out.driver->erase(ctx);
}

void sendbf(Context& ctx) {
    line_flush(ctx);
    flush_output(ctx);
    if (ctx.out.driver) ctx.out.driver->update(ctx);
}

void winupd(Context& ctx) {
    if (ctx.frame.level == 0 || !ctx.out.driver) return;
    line_flush(ctx);
    ctx.out.driver->update(ctx);
}

void getpag(Context& ctx, int* nx, int* ny) {
    *nx = ctx.page.width + 1;
    *ny = ctx.page.height + 1;
}

const char* getfil(Context& ctx) {
    return ctx.page.file_name.c_str();
}

const char* getmfl(Context& ctx) {
    return ctx.page.device_key;
}

void pagorg(Context& ctx, const char* mode) {
    int i = keyword(ctx, "TOP +BOTT", mode);
    if (i) ctx.page.page_origin = static_cast<PageOrigin>(i - 1);
}

void origin(Context& ctx, int nx, int ny) {
    ctx.page.origin_x = nx;
    ctx.page.origin_y = ctx.page.page_origin == ORIGIN_BOTTOM ? clamp_int(-double(ny)) : ny;
}

void winmod(Context& c, const char* mode) {
    int i = keyword(c, "FULL+NOER+NONE+NOHO+DELA+NOMB", mode);
    if (i) c.page.window_mode = static_cast<WindowMode>(i - 1);
}

void winkey(Context& c, const char* key) {
    int i = keyword(c, "NONE+RETU+ESCA", key);
    if (i) c.page.close_key = static_cast<CloseKey>(i - 1);
}

void winopt(Context& c, int n, const char* key) {
    if (keyword(c, "DELA", key)) c.page.close_delay = n;
}

// Every driver starts a page with the line width of linwid 1 and join and
// cap code 2 (PostScript's header, the PDF canvas, SVG's first group); the
// miter limit is left at the device's own. reset "ALL" puts the device back
// there, as kalini leaves it. The line state already holds its defaults;
// its join is set aside so that no driver sends a miter limit meanwhile.
void resend_device_lines(Context& ctx) {
    Driver* d = ctx.out.driver.get();
    if (!d) return;
    constexpr int START_JOIN = 2, START_CAP = 2;
    const int join = ctx.line.join;
    ctx.line.join = START_JOIN;
    d->line_width(ctx, 1);
    d->line_join(ctx, START_JOIN);
    d->line_cap(ctx, START_CAP);
    ctx.line.join = join;
}

}  // namespace kal
