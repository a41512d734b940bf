#include "output/drivers/pdf.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <new>

#include "core/clock.h"
#include "core/context.h"
#include "output/colour_table.h"
#include "output/primitives.h"

namespace kal {

bool prepare_pdf_output(Context& ctx, bool memory) {
    try {
        if (!ctx.out.pdf) ctx.out.pdf = std::make_unique<PdfRecord>();
    } catch (const std::bad_alloc&) {
        return false;
    }
    PdfRecord& record = *ctx.out.pdf;
    record.buffer_output = memory;
    if (!memory) {
        record.memory.release();
        return true;
    }
    return record.memory.allocate(PdfRecord::MEMORY_SIZE, PdfRecord::MEMORY_SIZE);
}

PdfDriver::PdfDriver() = default;
PdfDriver::~PdfDriver() = default;

// ---------------------------------------------------------------- life cycle

void PdfDriver::open(Context& ctx) {
    const PageState& p = ctx.page;
    page_ = &ctx.page;
    scale_ = ctx.out.factor;
    page_h_ = p.height;
    rotated_ = page_turned(p, DEV_PDF);
    const int w = static_cast<int>(std::trunc(p.width * scale_ + 1.0));
    const int h = static_cast<int>(std::trunc(p.height * scale_ + 1.0));
    media_w_ = rotated_ ? h : w;
    media_h_ = rotated_ ? w : h;
    background_ = p.background != 2;
    compress_ = p.pdf_compress;
    PdfRecord* record = ctx.out.pdf.get();
    buffer_output_ = record && record->buffer_output;
    if (buffer_output_) attach(std::make_unique<OutputSink>(&record->memory));
    sink_ = &sink();
    objects_ = std::make_unique<PdfObjects>(*sink_);
    stream_ = std::make_unique<PdfContentStream>(*sink_, *objects_, compress_);
    canvas_ = std::make_unique<PdfCanvas>(*stream_);
    sink_->text("%PDF-1.3\n");
    begin_page(ctx, true);
}

void PdfDriver::begin_page(Context& ctx, bool first) {
    stream_->begin();
    canvas_->new_page();
    canvas_->resend_line_state();   // "0.709 w", "2 J", "2 j" on the first page
    if (background_) background();
    if (!first) colour(ctx, ctx.out.current_colour);
}

// The black page. The rectangle covers the media box, whose sides are
// exchanged on a turned page.
void PdfDriver::background() { canvas_->rect(0, 0, media_w_, media_h_, 0, 0, 0); }

void PdfDriver::new_page(Context& ctx) {
    if (!canvas_ || finished_) return;
    end_page();
    begin_page(ctx, false);
}

void PdfDriver::end_page() {
    if (image_open_) {  // an image left open: finish it and its placement
        end_image();
        stream_->text("Q\n");
    }
    canvas_->end_text();
    canvas_->end_path();
    stream_->end();
    write_fonts();
    write_page_object();
    stream_->clear_page_streams();
    page_images_.clear();
}

void PdfDriver::write_fonts() {
    for (int i = 0; i < STANDARD_FONT_COUNT; ++i) {
        if (canvas_->font_mark(i) != 1) continue;
        font_objects_[i] = objects_->begin(PDF_FONT + i);
        sink_->text("<< /Type /Font\n");
        sink_->text("/Subtype /Type1\n");
        sink_->format("/BaseFont /%s\n", standard_font(i).name);
        // The symbol fonts keep their own encoding: their glyphs have no
        // names in WinAnsi, and readers would draw nothing for them.
        const std::string name = standard_font(i).name;
        if (name != "Symbol" && name != "ZapfDingbats") sink_->text("/Encoding /WinAnsiEncoding\n");
        sink_->text(">>\n");
        objects_->end();
        canvas_->set_font_mark(i, 2);
    }
}

void PdfDriver::write_page_object() {
    OutputSink& s = *sink_;
    const int number = objects_->begin(PDF_PAGE);
    s.text("<<\n");
    s.text("/Type /Page\n");
    s.format("/MediaBox [0 0 %d %d]\n", media_w_, media_h_);
    s.text("/Parent 2 0 R\n");
    if (rotated_) s.text("/Rotate 90\n");
    const bool text = std::any_of(std::begin(font_objects_), std::end(font_objects_),
                                  [](int n) { return n != 0; });
    const bool images = !page_images_.empty();
    if (text) {
        s.text(images ? "/Resources << /ProcSet [/PDF /Text /ImageC]\n"
                      : "/Resources << /ProcSet [/PDF /Text]\n");
        s.text("/Font <<\n");
        for (int i = 0; i < STANDARD_FONT_COUNT; ++i)
            if (font_objects_[i]) s.format("/F%d %d 0 R\n", i + 1, font_objects_[i]);
        s.text(">>\n");
    } else {
        s.text(images ? "/Resources << /ProcSet [/PDF /ImageC]\n" : "/Resources << /ProcSet [/PDF]\n");
    }
    if (images) {
        s.text("/XObject <<\n");
        for (const auto& [image, object] : page_images_) s.format("/Image%d %d 0 R\n", image, object);
        s.text(">>\n");
    }
    s.text(">>\n");
    const std::vector<int>& streams = stream_->page_streams();
    if (streams.size() == 1) {
        s.format("/Contents %d 0 R\n", streams.front());
    } else {
        s.text("/Contents [\n");
        for (int n : streams) s.format("%d 0 R\n", n);
        s.text("]\n");
    }
    s.text(">>\n");
    objects_->end();
    pages_.push_back(number);
}

void PdfDriver::finish_document() {
    if (!canvas_ || finished_) return;
    end_page();
    OutputSink& s = *sink_;
    objects_->begin_reserved(PDF_PAGE_TREE, PDF_PLAIN);
    s.text("<< /Type /Pages /Kids [\n");
    for (int n : pages_) s.format("%d 0 R\n", n);
    s.format("] /Count %d\n", static_cast<int>(pages_.size()));
    s.text(">>\n");
    objects_->end();
    const int outline = outline_.empty() ? 0 : outline_.write(s, *objects_, pages_, media_h_);
    objects_->begin_reserved(PDF_CATALOG, PDF_PLAIN);
    s.text("<< /Type /Catalog /Pages 2 0 R\n");
    if (outline) {
        s.format("   /Outlines %d 0 R\n", outline);
        s.text("   /PageMode /UseOutlines\n");
    }
    s.text(">>\n");
    objects_->end();
    const DateTime t = now();
    const int info = objects_->begin(PDF_PLAIN);
    s.format("<< /CreationDate (D:%04d%02d%02d%02d%02d%02d)\n", t.year, t.month, t.day, t.hour,
             t.minute, t.second);
    s.text("/Producer (KALVOR 9.0)\n");
    s.text(">>\n");
    objects_->end();
    objects_->finish(info);
    s.flush();
    finished_ = true;
}

int PdfDriver::close(Context&) {
    finish_document();
    return buffer_output_ ? 0 : 1;
}

// ---------------------------------------------------------------- drawing

void PdfDriver::path_operation(Context& ctx, double x, double y, int op) {
    if (!canvas_ || finished_) return;
    switch (op) {
        case OP_FINISH: finish_document(); break;
        case OP_DRAW: canvas_->draw(x, y); break;
        case OP_MOVE: canvas_->move(x, y); break;
        case OP_NEW_PAGE: new_page(ctx); break;
        case OP_CLOSE_FILL: canvas_->close_fill(); break;
        case OP_WIDTH: canvas_->line_width(x); break;
        case OP_JOIN: canvas_->line_join(static_cast<int>(x)); break;
        case OP_CAP: canvas_->line_cap(static_cast<int>(x)); break;
        case OP_MITER: canvas_->miter_limit(x); break;
        case OP_IMAGE_BEGIN: begin_image(x, y); break;
        case OP_IMAGE_END: end_image(); break;
        case OP_TRANSLATE:
            canvas_->end_text();
            canvas_->end_path();
            stream_->format("1 0 0 1 %.2f %.2f cm\n", x, y);
            break;
        case OP_ROTATE:
            canvas_->end_text();
            canvas_->end_path();
            stream_->text("0 1 -1 0 0 0 cm\n");
            break;
        case OP_PLACE:
            canvas_->end_text();
            canvas_->end_path();
            stream_->format("%.2f 0 0 %.2f 0 0 cm\n", x, y);
            stream_->format("/Image%d Do\n", images_);
            stream_->text("Q\n");
            break;
        default: break;
    }
}

void PdfDriver::move_draw(Context& ctx, double x, double y, int pen) {
    pen_.step(x, y, pen, [&](double px, double py, int code) {
        path_operation(ctx, px, py, code == 2 ? OP_DRAW : OP_MOVE);
    });
}

void PdfDriver::polyline(Context& ctx, int n, const double* x, const double* y, int first_pen) {
    static_assert(LimitedPen::LIMIT <= 1e7, "PdfCanvas::draws sizes numbers within +-1e7");
    const auto emit = [&](double px, double py, int code) {
        path_operation(ctx, px, py, code == 2 ? OP_DRAW : OP_MOVE);
    };
    pen_.run(n, x, y, first_pen, emit, [this](int k, const double* dx, const double* dy) {
        if (canvas_ && !finished_) canvas_->draws(k, dx, dy);
    });
}

void PdfDriver::colour(Context& ctx, int value) {
    if (!canvas_ || finished_) return;
    const Rgb c = resolve_rgb(ctx, value);
    canvas_->colour(c.r, c.g, c.b);
}

bool PdfDriver::fill_rect(Context& ctx, double x1, double y1, double x2, double y2, int value) {
    if (!canvas_ || finished_) return true;
    const double s = scale_;
    const Rgb c = resolve_rgb(ctx, value);
    // The corners are inclusive, as on pixel devices (width X2 - X1 + 1): the
    // rectangle covers one plot unit beyond the second corner, so that
    // rectangles side by side (bars, colour scales) meet without a seam.
    if (rotated_)
        canvas_->rect(y1 * s, x1 * s, (y2 - y1 + 1) * s, (x2 - x1 + 1) * s, c.r, c.g, c.b);
    else
        canvas_->rect(x1 * s, (page_h_ - y2 - 1) * s, (x2 - x1 + 1) * s, (y2 - y1 + 1) * s, c.r, c.g, c.b);
    return true;
}

bool PdfDriver::fill_polygon(Context& ctx, int n, const double* x, const double* y) {
    if (!canvas_ || finished_) return true;
    // The polygon is filled in the current colour, also after a rectangle
    // of another colour has changed the fill colour.
    const Rgb c = resolve_rgb(ctx, ctx.out.current_colour);
    canvas_->fill_colour(c.r, c.g, c.b);
    for (int i = 0; i < n; ++i) {
        const DevicePoint d = device_point(ctx, x[i], y[i]);
        ++ctx.out.vectors;
        path_operation(ctx, d.x, d.y, i == 0 ? OP_MOVE : OP_DRAW);
    }
    path_operation(ctx, 0, 0, OP_CLOSE_FILL);
    return true;
}

// ---------------------------------------------------------------- attributes

namespace {
constexpr double POINTS_PER_UNIT = 36.0 / 254.0;   // points per 1/20 mm
}

void PdfDriver::send_miter(double stored_width, double limit) {
    const double m = std::max(5.0, 2.0 * std::fabs(stored_width)) * limit;
    canvas_->miter_limit(m * POINTS_PER_UNIT);
}

bool PdfDriver::line_width(Context& ctx, int n) {
    if (!canvas_ || finished_) return true;
    const double w = std::max(5.0, std::trunc(2.0 * n * ctx.page.units));
    canvas_->line_width(w * POINTS_PER_UNIT);
    return true;
}

bool PdfDriver::pen_width(Context& ctx, double w) {
    if (!canvas_ || finished_) return true;
    const double u = ctx.page.units;
    double v;
    if (w >= 0.99)
        v = std::max(5.0, 2.0 * w * u);
    else
        v = u <= 2.0 ? 5.0 * w * u : 2.0 * w * u;
    canvas_->line_width(v * POINTS_PER_UNIT);
    if (ctx.line.join == 0) send_miter(std::max(1.0, std::round(w)), ctx.line.miter);
    return true;
}

void PdfDriver::line_join(Context& ctx, int join) {
    if (!canvas_ || finished_) return;
    canvas_->line_join(join);
    if (join == 0) send_miter(ctx.line.width, ctx.line.miter);
}

void PdfDriver::line_cap(Context& ctx, int cap) {
    if (!canvas_ || finished_) return;
    canvas_->line_cap(cap);
    if (ctx.line.join == 0) send_miter(ctx.line.width, ctx.line.miter);
}

void PdfDriver::miter_limit(Context& ctx, double x) {
    if (!canvas_ || finished_) return;
    send_miter(ctx.line.width, x);
}

// ---------------------------------------------------------------- text

void PdfDriver::character(int code, double x, double y, double angle, int font, int size_tenths) {
    if (!canvas_ || finished_) return;
    canvas_->character(code, x, y, angle, font, size_tenths);
}

void PdfDriver::character(Context&, int code, double x, double y, double angle, int font, double height) {
    const DevicePoint p = to_points(x, y);
    const double points = 1000.0 / standard_font(font).cap_height * height * scale_;
    const int tenths = static_cast<int>(std::trunc(std::clamp(std::isfinite(points) ? points : 0.0, 0.0, 1e6) * 10 + 0.5));
    character(code, p.x, p.y, rotated_ ? angle + 90.0 : angle, font, tenths);
}

// ---------------------------------------------------------------- bookmarks

PdfOutline::Result PdfDriver::bookmark(const char* title, int level) {
    return outline_.add(title, level, static_cast<int>(pages_.size()));
}

}  // namespace kal
