#include "core/lifecycle.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "api/routines.h"
#include "core/context.h"
#include "core/devices.h"
#include "core/fatal.h"
#include "core/files.h"
#include "core/threads.h"
#include "output/driver.h"
#include "output/drivers/pdf.h"
#include "output/line_layer.h"
#include "output/primitives.h"
#include "output/raster/image_state.h"
#include "output/raster/raster.h"

namespace kal {
namespace {

int round_half_up(double v) { return clamp_int(std::floor(v + 0.5)); }

// The background mode of a screen mode: AUTO gives 2 (white page) on the
// document formats and 0 (black) on the others.
int background_mode(int screen_mode, int device) {
    if (screen_mode != 4) return screen_mode;
    switch (device) {
        case DEV_PDF: case DEV_EPS: case DEV_PS: case DEV_SVG: return 2;
        default: return 0;
    }
}

// The output file of a kalini call, chosen and opened before the record
// changes so that a fatal naming condition leaves everything as it was.
struct OpenedFile {
    bool wanted = false;     // the device writes a file
    FILE* fp = nullptr;
    std::string name;
    int state = 0;           // file name state after kalini
};

OpenedFile open_output_file(const PageState& p, int device) {
    OpenedFile f;
    f.state = p.file_state;
    const char* ext = extension(device);
    if (!ext) return f;
    if (family(device) == Family::Pdf && p.pdf_buffer) return f;  // kept in memory: no file
    f.wanted = true;
    std::string want;
    if (p.file_state == 0) {
        want = std::string("kalvor.") + ext;
    } else if (p.file_state == 1) {
        want = p.file_name;
        f.state = 2;
    } else {
        want = p.saved_name;
    }
    GlobalLock lock;
    f.name = apply_file_mode(want, p.file_mode);
    f.fp = std::fopen(f.name.c_str(), binary_output(device) ? "wb" : "w");
    if (f.fp) std::setvbuf(f.fp, nullptr, _IOFBF, 1 << 16);
    return f;
}

// The PDF writer's output: the file opened above, which it takes over, or
// with pdfmod BUFF a memory block and no file at all. Unlike other devices,
// a PDF that cannot be opened ends the program.
void open_pdf_output(Context& ctx, const OpenedFile& file) {
    const bool memory = ctx.page.pdf_buffer;
    if (!memory && !file.fp) {
        warn(ctx, 36);
        throw Fatal("File error in kalini!");
    }
    if (!prepare_pdf_output(ctx, memory) && memory) {
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
    if (p.win_request == 1) {
        p.win_x = p.req_x;
        p.win_y = p.req_y;
    }
    if (p.win_request == 1 || p.win_request == 2) {
        p.win_w = p.req_w;
        p.win_h = p.req_h;
    }
}

bool record_device(int device) {
    switch (family(device)) {
        case Family::Terminal: case Family::Vekmet: case Family::Cgm: case Family::Kyocera:
        case Family::Hpgl: case Family::PostScript:
            return true;
        default:
            return false;
    }
}

// kalini after the output file is chosen and opened.
void start_plot(Context& ctx, int device, const OpenedFile& file) {
    PageState& p = ctx.page;
    ctx.frame.level = 1;
    ctx.out.vectors = 0;
    ctx.frame.warnings = 0;
    p.finished = 0;
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
        if (file.state == 2 && p.file_state == 1) p.saved_name = p.file_name;
        p.file_state = file.state;
        p.file_name = file.name;
    } else {
        p.file_name.clear();
    }
    ctx.out.file = file.fp;
    ctx.out.record.clear();
    ctx.out.record.fixed_records = family(device) == Family::Cgm;
    ctx.out.driver = make_driver(device);
    reset_lines(ctx);
    reset_clipping(ctx);
    open_device(ctx);
    if (file.wanted && !file.fp) custom_warning(ctx, 101, "Open error");

    setup_message_stream(ctx);
    reset_all(ctx);
    if (p.first_background == -1) p.first_background = p.background;}

// What kalini changes in the record, to be put back after a fatal condition.
struct Snapshot {
    explicit Snapshot(const Context& ctx)
        : frame(ctx.frame), page(ctx.page), line(ctx.line), colour(ctx.colour), image(ctx.image),
          vectors(ctx.out.vectors), factor(ctx.out.factor), depth(ctx.out.colour_depth),
          colour_value(ctx.out.current_colour) {}
    void restore(Context& ctx) const {
        ctx.out.driver.reset();
        ctx.out.raster.reset();
        ctx.out.file = nullptr;
        ctx.out.record.clear();
        ctx.frame = frame;
        ctx.page = page;
        ctx.line = line;
        ctx.colour = colour;
        ctx.image = image;
        ctx.out.vectors = vectors;
        ctx.out.factor = factor;
        ctx.out.colour_depth = depth;
        ctx.out.current_colour = colour_value;
    }
    FrameState frame;
    PageState page;
    LineState line;
    ColourState colour;
    ImageState image;
    long long vectors;
    double factor;
    int depth, colour_value;
};

}  // namespace

void reset_page_settings(Context& ctx) {
    PageState& p = ctx.page;
    p.origin_x = 0;
    p.origin_y = 0;
    p.window_mode = 0;
    p.close_key = 0;
    p.close_delay = 10;
    p.page_origin = 0;
    p.page_counter = 0;
}

void kalini() {
    Context* c = level_check(0, 0, "kalini");
    if (!c) return;
    Context& ctx = *c;
    PageState& p = ctx.page;

    const int device = p.device ? p.device : DEV_VEKM;
    OpenedFile file = open_output_file(p, device);  // may end the call (fatal)
    if (family(device) == Family::Pdf) open_pdf_output(ctx, file);  // fatal on failure

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

void kalfin() {
    Context* c = level_check(1, 3, "kalfin");
    if (!c) return;
    Context& ctx = *c;
    PageState& p = ctx.page;
    OutputState& o = ctx.out;

    line_flush(ctx);
    finish_image_mode(ctx);
    int result = o.driver ? o.driver->close(ctx) : 0;
    if (!o.file) result = 0;
    if (o.file) {
        if (record_device(p.device)) o.record.flush_line(o.file);
        std::fclose(o.file);
        o.file = nullptr;
    }
    o.driver.reset();
    release_raster(ctx);
    ctx.frame.level = 0;
    p.finished = 1;

    if (ctx.frame.app_type == 1 || ctx.frame.error_device == 1) {
        if (close_error_file(ctx)) result += 10;
    }
    end_protocol(ctx, result);
}

void newpag() {
    Context* c = level_check(1, 1, "newpag");
    if (!c) return;
    line_flush(*c);
    ++c->page.page_counter;
    c->out.pen_valid = false;
    if (c->out.driver) c->out.driver->new_page(*c);
}

void erase() {
    Context* c = level_check(1, 3, "erase");
    if (!c) return;
    line_flush(*c);
    c->out.pen_valid = false;
    if (c->out.driver) c->out.driver->erase(*c);
}

void sendbf() {
    Context* c = level_check(1, 3, "sendbf");
    if (!c) return;
    line_flush(*c);
    if (c->out.file) std::fflush(c->out.file);
}

void winupd() {
    level_check(0, 3, "winupd");
}

void getpag(int* nx, int* ny) {
    Context* c = level_check(1, 3, "getpag");
    if (!c) return;
    *nx = c->page.width + 1;
    *ny = c->page.height + 1;
}

const char* getfil() {
    Context* c = level_check(1, 3, "getfil");
    return c ? c->page.file_name.c_str() : "";
}

const char* getmfl() {
    Context* c = level_check(1, 3, "getmfl");
    return c ? c->page.device_key : "";
}

void pagorg(const char* mode) {
    Context* c = level_check(1, 3, "pagorg");
    if (!c) return;
    int i = keyword(*c, "TOP +BOTT", mode);
    if (i) c->page.page_origin = i - 1;
}

void origin(int nx, int ny) {
    Context* c = level_check(1, 1, "origin");
    if (!c) return;
    c->page.origin_x = nx;
    c->page.origin_y = c->page.page_origin == 1 ? -ny : ny;
}

void winmod(const char* mode) {
    Context& c = setter_check("winmod");
    int i = keyword(c, "FULL+NOER+NONE+NOHO+DELA+NOMB", mode);
    if (i) c.page.window_mode = i - 1;
}

void winkey(const char* key) {
    Context& c = setter_check("winkey");
    int i = keyword(c, "NONE+RETU+ESCA", key);
    if (i) c.page.close_key = i - 1;
}

void winopt(int n, const char* key) {
    Context& c = setter_check("winopt");
    if (keyword(c, "DELA", key)) c.page.close_delay = n;
}

}  // namespace kal
