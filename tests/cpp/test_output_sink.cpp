// The output sink in its four destinations: the caller's fixed buffer (and
// counting with a null one), a file behind the sink's own buffer, a growing
// memory block, and the failure that sticks once a destination refuses bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "output/raster/image_writers.h"
#include "output/raster/raster.h"
#include "output/sink.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string temp_path(const char* name) { return testing::TempDir() + "kalvor_sink_" + name; }

Bytes read_all(const std::string& path) {
    Bytes b;
    FILE* fp = std::fopen(path.c_str(), "rb");
    if (!fp) return b;
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, fp)) > 0) b.insert(b.end(), chunk, chunk + n);
    std::fclose(fp);
    return b;
}

TEST(OutputSink, FixedBufferTakesWhatFitsThenRefusesEverything) {
    uint8_t buf[16];
    std::memset(buf, 0xEE, sizeof buf);
    kal::OutputSink sink(buf, 13);
    EXPECT_TRUE(sink.byte(0x1FF));   // only the low byte
    EXPECT_TRUE(sink.be32(0x01020304));
    EXPECT_TRUE(sink.le16(0xA1B2));
    EXPECT_TRUE(sink.le32(0x0A0B0C0D));
    EXPECT_TRUE(sink.write("xy", 0));   // nothing, successfully
    EXPECT_EQ(sink.offset(), 11u);
    const uint8_t expected[11] = {0xFF, 1, 2, 3, 4, 0xB2, 0xA1, 0x0D, 0x0C, 0x0B, 0x0A};
    EXPECT_EQ(Bytes(buf, buf + 11), Bytes(expected, expected + 11));

    // Three bytes do not fit in the two left: none of them is stored, and
    // from now on not even a byte that would fit is taken or counted.
    EXPECT_FALSE(sink.text("abc"));
    EXPECT_TRUE(sink.failed());
    EXPECT_FALSE(sink.byte('z'));
    EXPECT_FALSE(sink.format("%d", 7));
    EXPECT_FALSE(sink.write("", 0));
    EXPECT_FALSE(sink.flush());
    EXPECT_EQ(sink.offset(), 11u);
    for (int i = 11; i < 16; ++i) EXPECT_EQ(buf[i], 0xEE) << i;
}

TEST(OutputSink, NullBufferOnlyCountsWhateverItsCapacity) {
    kal::OutputSink count(nullptr, 4);
    const std::string big(3000, 'q');
    EXPECT_TRUE(count.text(big.c_str()));
    EXPECT_TRUE(count.format("%s%d", big.c_str(), 12));
    EXPECT_TRUE(count.le32(1));
    EXPECT_FALSE(count.failed());
    EXPECT_EQ(count.offset(), 6006u);
}

// Small writes, a write larger than the sink's buffer and more small
// writes arrive in the file in their order once the sink is flushed.
TEST(OutputSink, FileGetsEveryByteInOrderAfterFlush) {
    const std::string path = temp_path("order.bin");
    FILE* fp = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(fp);
    Bytes expected;
    {
        kal::OutputSink sink(fp);
        for (int i = 0; i < 300000; ++i) {   // about 1.2 MB: the buffer fills and is handed on
            ASSERT_TRUE(sink.le32(uint32_t(i)));
            for (int k = 0; k < 4; ++k) expected.push_back(uint8_t(uint32_t(i) >> (8 * k)));
        }
        Bytes block(3u << 20);
        for (size_t i = 0; i < block.size(); ++i) block[i] = uint8_t(i * 7 + 1);
        ASSERT_TRUE(sink.write(block.data(), block.size()));
        expected.insert(expected.end(), block.begin(), block.end());
        ASSERT_TRUE(sink.format("tail %d\n", 42));
        const std::string tail = "tail 42\n";
        expected.insert(expected.end(), tail.begin(), tail.end());
        EXPECT_EQ(sink.offset(), expected.size());
        EXPECT_TRUE(sink.flush());
        EXPECT_FALSE(sink.failed());
    }
    ASSERT_EQ(std::fclose(fp), 0);
    const Bytes got = read_all(path);
    std::remove(path.c_str());
    ASSERT_EQ(got.size(), expected.size());
    EXPECT_TRUE(got == expected);
}

// A file that refuses bytes (here one open for reading) fails the sink when
// its buffer is handed on, and the failure sticks.
TEST(OutputSink, FileErrorSticks) {
    const std::string path = temp_path("readonly.bin");
    FILE* make = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(make);
    std::fclose(make);
    FILE* fp = std::fopen(path.c_str(), "rb");
    ASSERT_TRUE(fp);
    kal::OutputSink sink(fp);
    sink.text("header\n");
    EXPECT_FALSE(sink.flush());
    EXPECT_TRUE(sink.failed());
    const uint64_t counted = sink.offset();
    EXPECT_FALSE(sink.text("more"));
    Bytes big(2u << 20, 1);
    EXPECT_FALSE(sink.write(big.data(), big.size()));
    EXPECT_EQ(sink.offset(), counted);
    std::fclose(fp);
    std::remove(path.c_str());

    // Without the flush the large write itself reports the error.
    FILE* again = std::fopen("/dev/null", "rb");
    ASSERT_TRUE(again);
    kal::OutputSink direct(again);
    EXPECT_FALSE(direct.write(big.data(), big.size()));
    EXPECT_TRUE(direct.failed());
    std::fclose(again);
}

TEST(OutputSink, MemoryBlockThatCannotGrowFailsTheSink) {
    kal::MemoryBlock m;
    ASSERT_TRUE(m.allocate(4, 4));
    kal::OutputSink sink(&m);
    EXPECT_TRUE(sink.text("abcdef"));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.data()), m.size()), "abcdef");
    m.append("x", SIZE_MAX);   // the block gives up
    EXPECT_FALSE(sink.byte('g'));
    EXPECT_TRUE(sink.failed());
    EXPECT_EQ(sink.offset(), 6u);
    EXPECT_EQ(m.size(), 6u);
}

// Every image format written through a file sink is complete when
// write_image returns, the same bytes as in the caller's buffer.
TEST(OutputSink, ImageFilesMatchTheBufferedImage) {
    kal::Raster r;
    ASSERT_TRUE(r.create(70, 40, true, false));
    uint32_t table[256];
    for (int i = 0; i < 256; ++i) table[i] = uint32_t(i) * 0x010203u;
    r.load_palette(table, 256);
    r.set_index(90);
    r.line(0, 0, 69, 39);
    r.set_index(200);
    r.fill_rect(10, 5, 40, 30);
    const kal::FileKind kinds[] = {kal::FileKind::Tiff, kal::FileKind::Imag, kal::FileKind::Png,
                                   kal::FileKind::Ppm, kal::FileKind::Bmp, kal::FileKind::Gif};
    for (kal::FileKind kind : kinds) {
        SCOPED_TRACE(static_cast<int>(kind));
        kal::OutputSink count(nullptr, 0);
        ASSERT_EQ(kal::write_image(count, kind, kal::whole_raster(r), {}), kal::WRITE_OK);
        Bytes memory(count.offset());
        kal::OutputSink fixed(memory.data(), memory.size());
        ASSERT_EQ(kal::write_image(fixed, kind, kal::whole_raster(r), {}), kal::WRITE_OK);

        const std::string path = temp_path("image.bin");
        FILE* fp = std::fopen(path.c_str(), "wb");
        ASSERT_TRUE(fp);
        kal::OutputSink file(fp);
        EXPECT_EQ(kal::write_image(file, kind, kal::whole_raster(r), {}), kal::WRITE_OK);
        std::fclose(fp);   // straight away, as the image routines do
        EXPECT_TRUE(read_all(path) == memory);
        std::remove(path.c_str());
    }
}

}  // namespace
