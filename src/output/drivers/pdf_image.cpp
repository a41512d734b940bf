// Images on PDF pages: an image XObject with the rows as RGB bytes, then a
// content stream that places it.
#include <algorithm>
#include <cmath>
#include <new>

#include "core/context.h"
#include "output/drivers/pdf.h"
#include "output/raster/raster.h"

namespace kal {

void PdfDriver::begin_image(double w, double h) {
    if (image_open_) end_image();
    const int width = static_cast<int>(std::max(0.0, std::fmin(w, 1e9)));
    const int height = static_cast<int>(std::max(0.0, std::fmin(h, 1e9)));
    canvas_->end_text();
    canvas_->end_path();
    stream_->end();
    image_expected_ = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 3u;
    image_written_ = 0;
    image_compressed_ = false;
    image_buffer_.clear();
    if (compress_) {
        try {
            image_buffer_.reserve(image_expected_);
            image_compressed_ = true;
        } catch (const std::exception&) {
            image_compressed_ = false;   // written uncompressed
        }
    }
    image_object_ = objects_->begin(PDF_IMAGE);
    sink_->text("<< /Type /XObject /Subtype /Image\n");
    sink_->text("   /ColorSpace /DeviceRGB\n");
    sink_->format("   /Width %d /Height %d /BitsPerComponent 8\n", width, height);
    if (!image_compressed_) {
        sink_->format("   /Length %llu\n", static_cast<unsigned long long>(image_expected_));
        sink_->text(">>\n");
        sink_->text("stream\n");
    }
    image_open_ = true;
    ++images_;
    page_images_.emplace_back(images_, image_object_);
}

void PdfDriver::image_row(const uint8_t* rgb, size_t n) {
    if (!image_open_ || !rgb) return;
    n = static_cast<size_t>(std::min<uint64_t>(n, image_expected_ - image_written_));
    if (image_compressed_)
        image_buffer_.insert(image_buffer_.end(), rgb, rgb + n);
    else
        sink_->write(rgb, n);
    image_written_ += n;
}

void PdfDriver::end_image() {
    if (!image_open_) return;
    // Missing rows are black, so the data always has its stated length.
    static const uint8_t ZEROS[4096] = {};
    while (image_written_ < image_expected_) {
        image_row(ZEROS, static_cast<size_t>(std::min<uint64_t>(sizeof ZEROS,
                                                                image_expected_ - image_written_)));
    }
    if (image_compressed_) {
        std::vector<unsigned char> packed;
        if (deflate_bytes(image_buffer_.data(), image_buffer_.size(), packed)) {
            sink_->format("   /Length %zu\n", packed.size());
            sink_->text("   /Filter /FlateDecode\n");
            sink_->text(">>\n");
            sink_->text("stream\n");
            sink_->write(packed.data(), packed.size());
        } else {
            sink_->format("   /Length %zu\n", image_buffer_.size());
            sink_->text(">>\n");
            sink_->text("stream\n");
            sink_->write(image_buffer_.data(), image_buffer_.size());
        }
        image_buffer_.clear();
        image_buffer_.shrink_to_fit();
    }
    sink_->text("endstream\n");
    objects_->end();
    image_open_ = false;
    stream_->begin();
    stream_->text("q\n");
}

bool PdfDriver::image(Context& ctx, const Raster& raster, double x, double y, double w,
                      double h) {
    const int nx = raster.width();
    place_image(
        ctx, nx, raster.height(), [&](int row, uint8_t* out) { raster.rgb_row(0, row, nx, out); },
        x, y, x + w, y + h);
    return true;
}

void PdfDriver::place_image(Context& ctx, int w, int h,
                            const std::function<void(int, uint8_t*)>& row, double x1, double y1,
                            double x2, double y2) {
    if (!canvas_ || finished_ || w <= 0 || h <= 0) return;
    path_operation(ctx, w, h, OP_IMAGE_BEGIN);
    std::vector<uint8_t> line(static_cast<size_t>(w) * 3u);
    for (int y = 0; y < h; ++y) {
        std::fill(line.begin(), line.end(), 0);
        row(y, line.data());
        image_row(line.data(), line.size());
    }
    path_operation(ctx, 0, 0, OP_IMAGE_END);
    const double s = scale_;
    // The image corner that becomes the origin of the image space: the
    // lower left corner of the rectangle as seen on the page.
    if (rotated_) {
        path_operation(ctx, y2 * s, x1 * s, OP_TRANSLATE);
        path_operation(ctx, 0, 0, OP_ROTATE);
    } else {
        path_operation(ctx, x1 * s, (page_h_ - y2) * s, OP_TRANSLATE);
    }
    path_operation(ctx, (x2 - x1) * s, (y2 - y1) * s, OP_PLACE);
}

}  // namespace kal
