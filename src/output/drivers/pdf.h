// The PDF driver (device 511): a PDF 1.3 document with one page per plotted
// page, written as it goes; page tree, outline, catalog, information
// dictionary and cross-reference table at the end. The document goes to the
// output file that kalini opened, or into memory (pdfmod BUFF) for pdfbuf.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "output/clip.h"
#include "output/driver.h"
#include "output/primitives.h"
#include "output/drivers/figure_shapes.h"
#include "output/drivers/pdf_canvas.h"
#include "output/drivers/pdf_objects.h"
#include "output/drivers/pdf_outline.h"
#include "output/drivers/pdf_stream.h"
#include "output/sink.h"

namespace kal {

// The part of the PDF writer that outlives a document: the document kept in
// memory for pdfbuf.
struct PdfRecord {
    static constexpr size_t MEMORY_SIZE = 512000;   // first size and growth step
    MemoryBlock memory;
    bool buffer_output = false;   // the last PDF opened went to memory
};

// Readies the context's PDF record for a new document: a fresh memory block
// when `memory` (pdfmod BUFF), else any document still held is dropped.
// False when memory is short.
bool prepare_pdf_output(Context& ctx, bool memory);

class PdfDriver : public Driver {
public:
    // Codes of the path operation.
    enum Operation {
        OP_FINISH = 1, OP_DRAW = 2, OP_MOVE = 3, OP_NEW_PAGE = 4, OP_CLOSE_FILL = 5,
        OP_WIDTH = 6, OP_JOIN = 7, OP_CAP = 8, OP_MITER = 9, OP_IMAGE_BEGIN = 10,
        OP_IMAGE_END = 11, OP_TRANSLATE = 12, OP_ROTATE = 13, OP_PLACE = 14
    };

    PdfDriver();
    ~PdfDriver() override;

    void open(Context& ctx) override;
    void new_page(Context& ctx) override;
    int close(Context& ctx) override;

    void move_draw(Context& ctx, double x, double y, int pen) override;
    void polyline(Context& ctx, int n, const double* x, const double* y, int first_pen) override;
    void colour(Context& ctx, int value) override;
    bool fill_rect(Context& ctx, double x1, double y1, double x2, double y2, int value) override;
    bool fill_polygon(Context& ctx, int n, const double* x, const double* y) override;
    // Figures alike become one form XObject, placed with "cm" and "Do".
    bool repeated_figure(Context& ctx, const FigureKey& key, double x, double y,
                         const FigureDraw& draw) override;

    bool line_width(Context& ctx, int n) override;
    bool pen_width(Context& ctx, double w) override;
    void line_join(Context& ctx, int join) override;
    void line_cap(Context& ctx, int cap) override;
    void miter_limit(Context& ctx, double x) override;

    // The path operation (x, y in points; see Operation). Image data goes
    // between OP_IMAGE_BEGIN and OP_IMAGE_END through image_row().
    void path_operation(Context& ctx, double x, double y, int op);
    void image_row(const uint8_t* rgb, size_t n);

    // One hardware-font character: standard font `font` at size/10 points,
    // reference point (x, y) in points, turned by `angle` degrees.
    void character(int code, double x, double y, double angle, int font, int size_tenths);
    // The driver interface's form: plot coordinates, character height in
    // plot units (the font's cap height).
    void character(Context& ctx, int code, double x, double y, double angle, int font,
                   double height) override;

    // imgfin: the raster as an image into the plot rectangle with the upper
    // left corner (x, y) and the size w x h.
    bool image(Context& ctx, const Raster& raster, double x, double y, double w, double h) override;
    // An RGB image of w x h pixels (row(y, out) gives 3·w bytes of row y,
    // counted from the top) placed into the plot rectangle (x1, y1)-(x2, y2).
    void place_image(Context& ctx, int w, int h, const std::function<void(int, uint8_t*)>& row,
                     double x1, double y1, double x2, double y2);

    // A bookmark of level 0..4 on the current page.
    PdfOutline::Result bookmark(const char* title, int level);

    // A plot point in points on the page (not rounded).
    DevicePoint to_points(double x, double y) const {
        return to_device(*page_, DEV_PDF, scale_, 0.0, x, y);
    }

    // Page geometry, fixed at opening.
    bool rotated() const { return rotated_; }
    int media_width() const { return media_w_; }
    int media_height() const { return media_h_; }

private:
    void begin_page(Context& ctx, bool first);
    void end_page();
    void background();
    void write_fonts();
    void write_forms();
    void write_page_object();
    void finish_document();
    void send_miter(double stored_width, double limit);
    void begin_image(double w, double h);
    void end_image();

    OutputSink* sink_ = nullptr;   // the driver's sink: the file or the memory block
    std::unique_ptr<PdfObjects> objects_;
    std::unique_ptr<PdfContentStream> stream_;
    std::unique_ptr<PdfCanvas> canvas_;
    PdfOutline outline_;
    LimitedPen pen_;
    bool buffer_output_ = false;
    bool compress_ = true;
    bool finished_ = false;

    const PageState* page_ = nullptr;
    double scale_ = 1.0;       // points per plot unit
    int page_h_ = 0;           // largest plot y
    bool rotated_ = false;
    int media_w_ = 0, media_h_ = 0;
    bool background_ = false;

    std::vector<int> pages_;                  // page objects
    int font_objects_[STANDARD_FONT_COUNT] = {};
    int images_ = 0;                          // images of the document so far
    std::vector<std::pair<int, int>> page_images_;   // (image number, object)
    FigureShapes shapes_;
    bool forms_ = true;                       // repeated figures as forms
    std::vector<FigureShape*> page_forms_;    // forms placed on this page

    // The image being written.
    bool image_open_ = false;
    bool image_compressed_ = false;
    int image_object_ = 0;
    uint64_t image_expected_ = 0, image_written_ = 0;
    std::vector<unsigned char> image_buffer_;
};

}  // namespace kal
