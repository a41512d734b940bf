// The output sink in the caller's fixed buffer, a file behind the sink's own
// buffer and a growing memory block: the failure that sticks once a
// destination refuses bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "output/sink.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string temp_path(const char* name) { return testing::TempDir() + "kalvor_sink_" + name; }

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

}  // namespace
