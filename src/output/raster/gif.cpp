// GIF (87a, or 89a with a transparent background): a global table of 256
// colours and one LZW-compressed image.
#include <memory>
#include <vector>

#include "output/raster/image_writers.h"

namespace kal {
namespace {

// Packs codes least significant bit first into sub-blocks of up to 255
// bytes, each preceded by its length.
class CodePacker {
public:
    explicit CodePacker(OutputSink& out) : out_(out) {}
    void put(int code, int width) {
        bits_ |= static_cast<uint32_t>(code) << count_;
        count_ += width;
        while (count_ >= 8) {
            block_[fill_++] = static_cast<uint8_t>(bits_);
            bits_ >>= 8;
            count_ -= 8;
            if (fill_ == 255) flush();
        }
    }
    // The last partial byte, the last block and the zero-length block.
    bool finish() {
        if (count_ > 0) {
            block_[fill_++] = static_cast<uint8_t>(bits_);
            count_ = 0;
            if (fill_ == 255) flush();
        }
        flush();
        return out_.byte(0);
    }

private:
    void flush() {
        if (fill_ == 0) return;
        out_.byte(fill_);
        out_.write(block_, fill_);
        fill_ = 0;
    }
    OutputSink& out_;
    uint32_t bits_ = 0;
    int count_ = 0;
    uint8_t block_[255];
    int fill_ = 0;
};

// LZW with clear code 256, end code 257, codes of 9 to 12 bits, and the
// (prefix, pixel) table kept in an open hash of 5021 slots.
class LzwEncoder {
public:
    explicit LzwEncoder(CodePacker& packer) : packer_(packer) { reset(); }

    void start(int pixel) {
        packer_.put(CLEAR, width_);
        prefix_ = pixel;
    }

    void add(int pixel) {
        int slot = (pixel << 4) ^ prefix_;
        const int step = slot == 0 ? 1 : HSIZE - slot;
        while (code_[slot] >= 0) {
            if (prefix_of_[slot] == prefix_ && suffix_[slot] == pixel) {
                prefix_ = code_[slot];
                return;
            }
            slot -= step;
            if (slot < 0) slot += HSIZE;
        }
        code_[slot] = static_cast<int16_t>(next_);
        prefix_of_[slot] = static_cast<int16_t>(prefix_);
        suffix_[slot] = static_cast<uint8_t>(pixel);
        packer_.put(prefix_, width_);
        if (next_ == (1 << width_)) ++width_;
        ++next_;
        if (next_ == 4095) {
            packer_.put(CLEAR, width_);
            reset();
        }
        prefix_ = pixel;
    }

    void finish() {
        packer_.put(prefix_, width_);
        // The decoder enters the code it deferred while reading that last
        // code and widens when its table reaches 2^width: so must we.
        if (next_ == (1 << width_) && width_ < 12) ++width_;
        packer_.put(END, width_);
    }

private:
    static constexpr int HSIZE = 5021;
    static constexpr int CLEAR = 256, END = 257;
    void reset() {
        for (int16_t& c : code_) c = -1;
        next_ = 258;
        width_ = 9;
    }
    CodePacker& packer_;
    int16_t code_[HSIZE];
    int16_t prefix_of_[HSIZE];
    uint8_t suffix_[HSIZE];
    int next_ = 258, width_ = 9, prefix_ = 0;
};

}  // namespace

int write_gif(OutputSink& out, const ImageRegion& region, const WriteOptions& o) {
    IndexedPixels pixels(region);
    const int background = pixels.background_index();
    out.write(o.gif_transparent ? "GIF89a" : "GIF87a", 6);
    out.le16(static_cast<uint32_t>(region.w));
    out.le16(static_cast<uint32_t>(region.h));
    out.byte(0xF7);
    out.byte(background);
    out.byte(0);
    out.write(&pixels.palette()[0][0], 768);
    if (o.gif_transparent) {
        static const uint8_t GCE[6] = {0x21, 0xF9, 0x04, 0x01, 0x00, 0x00};
        out.write(GCE, 6);
        out.byte(background);
        out.byte(0);
    }
    out.byte(0x2C);
    out.le16(0);
    out.le16(0);
    out.le16(static_cast<uint32_t>(region.w));
    out.le16(static_cast<uint32_t>(region.h));
    out.byte(0);
    out.byte(8);  // LZW minimum code size

    CodePacker packer(out);
    auto lzw = std::make_unique<LzwEncoder>(packer);
    std::vector<uint8_t> line(static_cast<size_t>(region.w));
    bool first = true;
    for (int y = 0; y < region.h; ++y) {
        pixels.row(y, line.data());
        for (uint8_t p : line) {
            if (first) {
                lzw->start(p);
                first = false;
            } else {
                lzw->add(p);
            }
        }
    }
    if (!first) lzw->finish();
    packer.finish();
    out.byte(0x3B);
    return out.failed() ? WRITE_IO : WRITE_OK;
}

}  // namespace kal
