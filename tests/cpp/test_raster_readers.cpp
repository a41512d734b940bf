// Raster files and TIFF files read back: broken and truncated files are
// refused (warning 56 through wimage and wtiff, raster unchanged), random
// damage never reads outside the file, and good files load exactly.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "api/routines.h"
#include "core/context.h"
#include "core/threads.h"
#include "output/raster/image_readers.h"
#include "output/raster/image_writers.h"
#include "output/raster/raster.h"

namespace {

using Bytes = std::vector<uint8_t>;

kal::Raster sample_raster(bool true_colour) {
    kal::Raster r;
    EXPECT_TRUE(r.create(9, 6, true_colour, false));
    uint32_t table[256];
    for (int i = 0; i < 256; ++i) table[i] = uint32_t(i) << 16 | uint32_t(255 - i) << 8 | uint32_t(i / 2);
    r.load_palette(table, 256);
    r.set_index(40);
    r.line(0, 0, 8, 5);
    r.set_index(200);
    r.fill_rect(2, 3, 5, 4);
    return r;
}

Bytes file_bytes(kal::FileKind kind, const kal::Raster& r, int format = kal::IMAGE_IND) {
    kal::WriteOptions o;
    o.format = format;
    kal::OutputSink count(nullptr, 0);
    EXPECT_EQ(kal::write_image(count, kind, kal::whole_raster(r), o), kal::WRITE_OK);
    Bytes b(count.offset());
    kal::OutputSink sink(b.data(), b.size());
    EXPECT_EQ(kal::write_image(sink, kind, kal::whole_raster(r), o), kal::WRITE_OK);
    return b;
}

void put16(Bytes& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void put32(Bytes& b, size_t at, uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}
uint32_t get32(const Bytes& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

// The directory entry of a tag in one of our TIFF files (directory at 8).
size_t entry_of(const Bytes& b, int tag) {
    const int n = b[8] | b[9] << 8;
    for (int i = 0; i < n; ++i) {
        const size_t e = 10 + 12 * size_t(i);
        if ((b[e] | b[e + 1] << 8) == tag) return e;
    }
    ADD_FAILURE() << "no tag " << tag;
    return 10;
}

// Reads every row of a parsed file, so that AddressSanitizer sees any
// access outside the file bytes.
void touch_all_rows(const kal::FileImage& img) {
    std::vector<uint8_t> row(size_t(img.width()) * 3);
    for (int y = 0; y < img.height(); ++y) img.row(y, 0, img.width(), row.data());
}

struct Broken {
    const char* name;
    std::function<void(Bytes&)> damage;
};

TEST(TiffReader, RefusesEveryBrokenFileOfTheTable) {
    const Bytes palette = file_bytes(kal::FileKind::Tiff, sample_raster(false), kal::IMAGE_IND);
    const Bytes rgb = file_bytes(kal::FileKind::Tiff, sample_raster(true), kal::IMAGE_RGB);
    const std::vector<Broken> table = {
        {"big-endian mark", [](Bytes& b) { b[0] = b[1] = 'M'; }},
        {"magic 43", [](Bytes& b) { b[2] = 43; }},
        {"directory past the end", [](Bytes& b) { put32(b, 4, uint32_t(b.size()) + 10); }},
        {"directory at the last byte", [](Bytes& b) { put32(b, 4, uint32_t(b.size()) - 1); }},
        {"directory offset 2^32-1", [](Bytes& b) { put32(b, 4, 0xFFFFFFFFu); }},
        {"no entries", [](Bytes& b) { put16(b, 8, 0); }},
        {"65535 entries", [](Bytes& b) { put16(b, 8, 0xFFFF); }},
        {"width 0", [](Bytes& b) { put32(b, entry_of(b, 256) + 8, 0); }},
        {"height 0", [](Bytes& b) { put32(b, entry_of(b, 257) + 8, 0); }},
        {"width 2^31", [](Bytes& b) { put32(b, entry_of(b, 256) + 8, 0x80000000u); }},
        {"height beyond the strips", [](Bytes& b) { put32(b, entry_of(b, 257) + 8, 7); }},
        {"width beyond the rows", [](Bytes& b) { put32(b, entry_of(b, 256) + 8, 600); }},
        {"LZW compression", [](Bytes& b) { put16(b, entry_of(b, 259) + 8, 5); }},
        {"photometric 5", [](Bytes& b) { put16(b, entry_of(b, 262) + 8, 5); }},
        {"16 bits per sample", [](Bytes& b) { put16(b, entry_of(b, 258) + 8, 16); }},
        {"bits per sample of type RATIONAL", [](Bytes& b) { put16(b, entry_of(b, 258) + 2, 5); }},
        {"rows per strip 0", [](Bytes& b) { put32(b, entry_of(b, 278) + 8, 0); }},
        {"strip offsets array past the end", [](Bytes& b) { put32(b, entry_of(b, 273) + 8, uint32_t(b.size()) - 8); }},
        {"strip offsets count 2^32-1", [](Bytes& b) { put32(b, entry_of(b, 273) + 4, 0xFFFFFFFFu); }},
        {"too few strip offsets", [](Bytes& b) { put32(b, entry_of(b, 273) + 4, 2); }},
        {"last strip past the end",
         [](Bytes& b) { put32(b, get32(b, entry_of(b, 273) + 8) + 4 * 5, uint32_t(b.size()) - 3); }},
        {"first strip offset 2^32-4",
         [](Bytes& b) { put32(b, get32(b, entry_of(b, 273) + 8), 0xFFFFFFFCu); }},
        {"strip byte count too small",
         [](Bytes& b) { put16(b, get32(b, entry_of(b, 279) + 8) + 2, 1); }},
        {"strip byte counts as RATIONAL", [](Bytes& b) { put16(b, entry_of(b, 279) + 2, 5); }},
        {"missing strip offsets", [](Bytes& b) { put16(b, entry_of(b, 273), 999); }},
        {"missing strip byte counts", [](Bytes& b) { put16(b, entry_of(b, 279), 999); }},
        {"missing width", [](Bytes& b) { put16(b, entry_of(b, 256), 999); }},
        {"planar configuration 2", [](Bytes& b) { put16(b, entry_of(b, 259), 284); put16(b, entry_of(b, 284) + 8, 2); }},
    };
    for (const Bytes* base : {&palette, &rgb}) {
        kal::FileImage ok;
        ASSERT_TRUE(kal::read_tiff(*base, ok));
        for (const Broken& t : table) {
            Bytes b = *base;
            t.damage(b);
            kal::FileImage img;
            EXPECT_FALSE(kal::read_tiff(b, img)) << t.name;
        }
    }
    const std::vector<Broken> palette_only = {
        {"colour map past the end", [](Bytes& b) { put32(b, entry_of(b, 320) + 8, uint32_t(b.size()) - 100); }},
        {"colour map of 3 values", [](Bytes& b) { put32(b, entry_of(b, 320) + 4, 3); }},
        {"missing colour map", [](Bytes& b) { put16(b, entry_of(b, 320), 999); }},
    };
    for (const Broken& t : palette_only) {
        Bytes b = palette;
        t.damage(b);
        kal::FileImage img;
        EXPECT_FALSE(kal::read_tiff(b, img)) << t.name;
    }
}

TEST(TiffReader, RefusesEveryTruncation) {
    for (int format : {kal::IMAGE_IND, kal::IMAGE_RGB, kal::IMAGE_BIL}) {
        const Bytes full = file_bytes(kal::FileKind::Tiff, sample_raster(format == kal::IMAGE_RGB), format);
        for (size_t n = 0; n < full.size(); ++n) {
            const Bytes cut(full.begin(), full.begin() + n);
            kal::FileImage img;
            ASSERT_FALSE(kal::read_tiff(cut, img)) << format << " cut at " << n;
        }
    }
}

TEST(ImagReader, RefusesEveryBrokenFileOfTheTable) {
    const Bytes base = file_bytes(kal::FileKind::Imag, sample_raster(false));
    auto header = [](const char* text) {
        return [text](Bytes& b) {
            std::memset(b.data() + 20, ' ', 60);
            std::memcpy(b.data() + 20, text, std::strlen(text));
        };
    };
    const std::vector<Broken> table = {
        {"no !Bitmap", [](Bytes& b) { b[0] = '?'; }},
        {"16 bits per pixel", header("    9     6     8     9    16    32     0     1     0")},
        {"width 0", header("    0     6     8     9     8    32     0     1     0")},
        {"negative height", header("    9    -6     8     9     8    32     0     1     0")},
        {"stride below the row", header("    9     6     8     8     8    32     0     1     0")},
        {"24 bits, stride of 8 bits", header("    9     6     8     9    24    32     0     1     0")},
        {"height past the data", header("    9     7     8     9     8    32     0     1     0")},
        {"huge stride", header("    9     6     8 99999999999    8    32     0     1     0")},
        {"numbers overflowing", header("    9 999999999999999999999999 8 9 8 32 0 1 0")},
        {"numbers missing", header("    9     6     8")},
        {"letters", header("  nine  six")},
        {"empty header", header("")},
    };
    for (const Broken& t : table) {
        Bytes b = base;
        t.damage(b);
        kal::FileImage img;
        EXPECT_FALSE(kal::read_imag(b, img)) << t.name;
    }
    for (size_t n = 0; n < base.size(); ++n) {
        const Bytes cut(base.begin(), base.begin() + n);
        kal::FileImage img;
        ASSERT_FALSE(kal::read_imag(cut, img)) << "cut at " << n;
    }
}

TEST(ImageReaders, RandomDamageNeverReadsOutsideTheFile) {
    std::mt19937 rng(2024);
    const std::vector<Bytes> bases = {
        file_bytes(kal::FileKind::Tiff, sample_raster(false), kal::IMAGE_IND),
        file_bytes(kal::FileKind::Tiff, sample_raster(true), kal::IMAGE_RGB),
        file_bytes(kal::FileKind::Tiff, sample_raster(true), kal::IMAGE_BIL),
        file_bytes(kal::FileKind::Imag, sample_raster(false)),
        file_bytes(kal::FileKind::Imag, sample_raster(true)),
    };
    int accepted = 0;
    for (int i = 0; i < 4000; ++i) {
        Bytes b = bases[size_t(i) % bases.size()];
        const int edits = 1 + int(rng() % 6);
        for (int k = 0; k < edits; ++k) {
            // Mostly the header and directory, where the sizes and offsets are.
            const size_t at = rng() % 4 ? rng() % std::min<size_t>(b.size(), 200) : rng() % b.size();
            b[at] = uint8_t(rng());
        }
        if (rng() % 5 == 0) b.resize(rng() % b.size());
        kal::FileImage img;
        if (kal::read_tiff(b, img) || kal::read_imag(b, img)) {
            ++accepted;
            touch_all_rows(img);
        }
    }
    EXPECT_GT(accepted, 0);  // damage to pixel bytes alone leaves readable files
}

TEST(ImageReaders, GoodFilesLoadExactly) {
    const kal::Raster r = sample_raster(false);
    kal::FileImage img;
    const Bytes imag = file_bytes(kal::FileKind::Imag, r);
    ASSERT_TRUE(kal::read_imag(imag, img));
    ASSERT_TRUE(img.indexed());
    uint8_t row[9];
    for (int y = 0; y < 6; ++y) {
        img.row(y, 0, 9, row);
        EXPECT_EQ(std::memcmp(row, r.row(y), 9), 0) << y;
    }
    const Bytes tif = file_bytes(kal::FileKind::Tiff, r, kal::IMAGE_IND);
    ASSERT_TRUE(kal::read_tiff(tif, img));
    ASSERT_TRUE(img.has_palette());
    EXPECT_EQ(img.palette()[40][0], 40);
    EXPECT_EQ(img.palette()[40][1], 215);
    img.row(4, 2, 4, row);
    EXPECT_EQ(std::vector<uint8_t>(row, row + 4), std::vector<uint8_t>(4, 200));
}

// ---- through the routines ----

class RasterFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = ::testing::TempDir();
        kal::metafl("VIRT");
        kal::winsiz(40, 30);
        kal::filmod("DELE");  // saved files replace those of earlier runs
        kal::kalini();
        kal::errmod("PROT", "OFF");
        ctx_ = kal::fetch_record();
        kal::imgini();
    }
    void TearDown() override {
        kal::imgfin();
        kal::reset("WINSIZ");
        kal::kalfin();
        kal::filmod("COUN");
    }
    std::string path(const char* name) { return dir_ + name; }
    void write(const char* name, const Bytes& b) {
        FILE* fp = std::fopen(path(name).c_str(), "wb");
        ASSERT_TRUE(fp);
        std::fwrite(b.data(), 1, b.size(), fp);
        std::fclose(fp);
    }
    Bytes pixels() {
        Bytes b(40 * 30);
        kal::rpixls(b.data(), 0, 0, 40, 30);
        return b;
    }
    std::string dir_;
    kal::Context* ctx_ = nullptr;
};

TEST_F(RasterFiles, BrokenFilesWarnAndLeaveTheRasterAlone) {
    for (int i = 0; i < 40; ++i) kal::wpixel(i, i % 30, i + 1);
    const Bytes before = pixels();
    Bytes tif = file_bytes(kal::FileKind::Tiff, sample_raster(false), kal::IMAGE_IND);
    put32(tif, 4, 0xFFFFFF00u);
    write("broken.tif", tif);
    Bytes imag = file_bytes(kal::FileKind::Imag, sample_raster(false));
    imag.resize(imag.size() - 1);
    write("short.img", imag);

    testing::internal::CaptureStdout();
    kal::wtiff(path("broken.tif").c_str());
    kal::wimage(path("short.img").c_str());
    kal::wtiff(path("missing.tif").c_str());
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Warning  56: Incorrect file format in wtiff!"), std::string::npos) << out;
    EXPECT_NE(out.find("Warning  56: Incorrect file format in wimage!"), std::string::npos) << out;
    EXPECT_NE(out.find("Warning  36: File error in wtiff!"), std::string::npos) << out;
    EXPECT_EQ(pixels(), before);
}

TEST_F(RasterFiles, SavedRasterFileLoadsBackAndTiffDrawsAtItsOrigin) {
    for (int i = 0; i < 30; ++i) kal::wpixel(i, i, 100 + i);
    const Bytes drawn = pixels();
    kal::rimage(path("saved.img").c_str());
    kal::erase();
    ASSERT_NE(pixels(), drawn);
    kal::wimage(path("saved.img").c_str());
    EXPECT_EQ(pixels(), drawn);

    // A 9 x 6 palette TIFF at (35, 27): only its 5 x 3 upper left corner fits.
    kal::erase();
    write("small.tif", file_bytes(kal::FileKind::Tiff, sample_raster(false), kal::IMAGE_IND));
    kal::tiforg(35, 27);
    kal::wtiff(path("small.tif").c_str());
    const Bytes p = pixels();
    const kal::Raster ref = sample_raster(false);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool in = x >= 35 && y >= 27;
            EXPECT_EQ(p[size_t(y) * 40 + x], in ? ref.row(y - 27)[x - 35] : 0) << x << "," << y;
        }
    // The colour table became the file's colour map.
    EXPECT_EQ(ctx_->colour.table[40], ref.palette(40).r << 16 | ref.palette(40).g << 8 | ref.palette(40).b);
}

}  // namespace
