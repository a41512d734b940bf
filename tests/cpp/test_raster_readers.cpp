// Raster files and TIFF files read back (good files load exactly: test_raster.py,
// wimage and wtiff of the files the writers make, wtiff of Pillow's): broken and
// truncated files are refused (warning 56 through wimage and wtiff, raster
// unchanged), and random damage never reads outside the file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "api/entries.h"
#include "output/raster/image_readers.h"
#include "output/raster/image_writers.h"
#include "output/raster/raster.h"

namespace {

using Bytes = std::vector<uint8_t>;
using kal::FileKind;

kal::Raster sample_raster(bool true_colour) {
    kal::Raster r;
    EXPECT_TRUE(r.create(9, 6, true_colour, false));
    uint32_t table[256];
    for (int i = 0; i < 256; ++i) table[i] = uint32_t(i) << 16 | uint32_t(255 - i) << 8 | uint32_t(i / 2);
    r.load_palette(table, 256);
    r.set_index(40), r.line(0, 0, 8, 5);
    r.set_index(200), r.fill_rect(2, 3, 5, 4);
    return r;
}

Bytes file_bytes(FileKind kind, const kal::Raster& r, int format = kal::IMAGE_IND) {
    kal::WriteOptions o;
    o.format = format;
    kal::OutputSink count(nullptr, 0);
    EXPECT_EQ(kal::write_image(count, kind, kal::whole_raster(r), o), kal::WRITE_OK);
    Bytes b(count.offset());
    kal::OutputSink sink(b.data(), b.size());
    EXPECT_EQ(kal::write_image(sink, kind, kal::whole_raster(r), o), kal::WRITE_OK);
    return b;
}

// Every kind of file the readers take, written from the sample rasters.
struct Sample {
    FileKind kind; bool true_colour; int format;
    Bytes bytes() const { return file_bytes(kind, sample_raster(true_colour), format); }
};
const Sample samples[] = {
    {FileKind::Imag, false, kal::IMAGE_IND}, {FileKind::Imag, true, kal::IMAGE_IND},
    {FileKind::Tiff, false, kal::IMAGE_IND}, {FileKind::Tiff, true, kal::IMAGE_IND},
    {FileKind::Tiff, true, kal::IMAGE_RGB},  {FileKind::Tiff, true, kal::IMAGE_BIL},
};

bool read_any(const Bytes& b, kal::FileImage& img) { return kal::read_tiff(b, img) || kal::read_imag(b, img); }

void put16(Bytes& b, size_t at, uint32_t v) { b[at] = uint8_t(v), b[at + 1] = uint8_t(v >> 8); }
void put32(Bytes& b, size_t at, uint32_t v) { put16(b, at, v & 0xFFFF), put16(b, at + 2, v >> 16); }
uint32_t get32(const Bytes& b, size_t at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24; }

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

struct Broken { const char* name; std::function<void(Bytes&)> damage; };

// The base file reads; each damage of the table, applied to a copy of it, is refused.
void expect_refused(bool (*read)(std::span<const uint8_t>, kal::FileImage&), const Bytes& base,
                    const std::vector<Broken>& table) {
    kal::FileImage ok;
    ASSERT_TRUE(read(base, ok));
    for (const Broken& t : table) {
        Bytes b = base;
        t.damage(b);
        kal::FileImage img;
        EXPECT_FALSE(read(b, img)) << t.name;
    }
}

TEST(TiffReader, RefusesEveryBrokenFileOfTheTable) {
    const Bytes palette = file_bytes(FileKind::Tiff, sample_raster(false), kal::IMAGE_IND);
    const Bytes rgb = file_bytes(FileKind::Tiff, sample_raster(true), kal::IMAGE_RGB);
    const std::vector<Broken> table = {
        {"big-endian mark", [](Bytes& b) { b[0] = b[1] = 'M'; }},
        {"directory past the end", [](Bytes& b) { put32(b, 4, uint32_t(b.size()) + 10); }},
        {"directory offset 2^32-1", [](Bytes& b) { put32(b, 4, 0xFFFFFFFFu); }},
        {"no entries", [](Bytes& b) { put16(b, 8, 0); }},
        {"width 0", [](Bytes& b) { put32(b, entry_of(b, 256) + 8, 0); }},
        {"width 2^31", [](Bytes& b) { put32(b, entry_of(b, 256) + 8, 0x80000000u); }},
        {"height beyond the strips", [](Bytes& b) { put32(b, entry_of(b, 257) + 8, 7); }},
        {"width beyond the rows", [](Bytes& b) { put32(b, entry_of(b, 256) + 8, 600); }},
        {"LZW compression", [](Bytes& b) { put16(b, entry_of(b, 259) + 8, 5); }},
        {"16 bits per sample", [](Bytes& b) { put16(b, entry_of(b, 258) + 8, 16); }},
        {"rows per strip 0", [](Bytes& b) { put32(b, entry_of(b, 278) + 8, 0); }},
        {"strip offsets array past the end", [](Bytes& b) { put32(b, entry_of(b, 273) + 8, uint32_t(b.size()) - 8); }},
        {"strip offsets count 2^32-1", [](Bytes& b) { put32(b, entry_of(b, 273) + 4, 0xFFFFFFFFu); }},
        {"too few strip offsets", [](Bytes& b) { put32(b, entry_of(b, 273) + 4, 2); }},
        {"last strip past the end", [](Bytes& b) { put32(b, get32(b, entry_of(b, 273) + 8) + 4 * 5, uint32_t(b.size()) - 3); }},
        {"first strip offset 2^32-4", [](Bytes& b) { put32(b, get32(b, entry_of(b, 273) + 8), 0xFFFFFFFCu); }},
        {"strip byte count too small", [](Bytes& b) { put16(b, get32(b, entry_of(b, 279) + 8) + 2, 1); }},
        {"strip byte counts as RATIONAL", [](Bytes& b) { put16(b, entry_of(b, 279) + 2, 5); }},
        {"missing strip offsets", [](Bytes& b) { put16(b, entry_of(b, 273), 999); }},
        {"planar configuration 2", [](Bytes& b) { put16(b, entry_of(b, 259), 284); put16(b, entry_of(b, 284) + 8, 2); }},
    };
    expect_refused(kal::read_tiff, palette, table);
    expect_refused(kal::read_tiff, rgb, table);
    expect_refused(kal::read_tiff, palette, {
        {"colour map past the end", [](Bytes& b) { put32(b, entry_of(b, 320) + 8, uint32_t(b.size()) - 100); }},
        {"colour map of 3 values", [](Bytes& b) { put32(b, entry_of(b, 320) + 4, 3); }},
        {"missing colour map", [](Bytes& b) { put16(b, entry_of(b, 320), 999); }},
    });
}

TEST(ImagReader, RefusesEveryBrokenFileOfTheTable) {
    const Bytes base = file_bytes(FileKind::Imag, sample_raster(false));
    auto header = [](const char* text) {
        return [text](Bytes& b) { std::memset(b.data() + 20, ' ', 60), std::memcpy(b.data() + 20, text, std::strlen(text)); };
    };
    expect_refused(kal::read_imag, base, {
        {"no !Bitmap", [](Bytes& b) { b[0] = '?'; }},
        {"16 bits per pixel", header("    9     6     8     9    16    32     0     1     0")},
        {"width 0", header("    0     6     8     9     8    32     0     1     0")},
        {"stride below the row", header("    9     6     8     8     8    32     0     1     0")},
        {"24 bits, stride of 8 bits", header("    9     6     8     9    24    32     0     1     0")},
        {"height past the data", header("    9     7     8     9     8    32     0     1     0")},
        {"huge stride", header("    9     6     8 99999999999    8    32     0     1     0")},
        {"numbers overflowing", header("    9 999999999999999999999999 8 9 8 32 0 1 0")},
        {"letters", header("  nine  six")},
        {"empty header", header("")},
    });
}

TEST(ImageReaders, RefuseEveryTruncation) {
    for (const Sample& s : samples) {
        const Bytes full = s.bytes();
        for (size_t n = 0; n < full.size(); ++n) {
            const Bytes cut(full.begin(), full.begin() + n);
            kal::FileImage img;
            ASSERT_FALSE(read_any(cut, img)) << int(s.kind) << " " << s.format << " cut at " << n;
        }
    }
}

TEST(ImageReaders, RandomDamageNeverReadsOutsideTheFile) {
    std::mt19937 rng(2024);
    std::vector<Bytes> bases;
    for (const Sample& s : samples) bases.push_back(s.bytes());
    int accepted = 0;
    for (int i = 0; i < 4000; ++i) {
        Bytes b = bases[size_t(i) % bases.size()];
        for (int k = 0, edits = 1 + int(rng() % 6); k < edits; ++k) {
            // Mostly the header and directory, where the sizes and offsets are.
            const size_t at = rng() % 4 ? rng() % std::min<size_t>(b.size(), 200) : rng() % b.size();
            b[at] = uint8_t(rng());
        }
        if (rng() % 5 == 0) b.resize(rng() % b.size());
        kal::FileImage img;
        if (read_any(b, img)) {
            ++accepted;
            // Every row, so that AddressSanitizer sees any access outside the file.
            std::vector<uint8_t> row(size_t(img.width()) * 3);
            for (int y = 0; y < img.height(); ++y) img.row(y, 0, img.width(), row.data());
        }
    }
    EXPECT_GT(accepted, 0);  // damage to pixel bytes alone leaves readable files
}

// Through the routines, on a 40 x 30 raster with pixels set.
TEST(RasterFiles, BrokenFilesWarnAndLeaveTheRasterAlone) {
    kal::entry::metafl("VIRT"), kal::entry::winsiz(40, 30), kal::entry::kalini();
    kal::entry::errmod("PROT", "OFF"), kal::entry::imgini();
    auto pixels = [] {
        Bytes b(40 * 30);
        kal::entry::rpixls(b.data(), 0, 0, 40, 30);
        return b;
    };
    for (int i = 0; i < 40; ++i) kal::entry::wpixel(i, i % 30, i + 1);
    const Bytes before = pixels();
    const Bytes imag = file_bytes(FileKind::Imag, sample_raster(false));
    Bytes bad_directory = file_bytes(FileKind::Tiff, sample_raster(false));
    put32(bad_directory, 4, 0xFFFFFF00u);
    const struct { void (*routine)(const char*); const char* name; Bytes bytes; } cases[] = {
        {kal::entry::wtiff, "wtiff", bad_directory}, {kal::entry::wtiff, "wtiff", imag},
        {kal::entry::wimage, "wimage", Bytes(imag.begin(), imag.end() - 1)}, {kal::entry::wimage, "wimage", {}},
    };
    const std::string path = ::testing::TempDir() + "broken";
    for (const auto& c : cases) {
        if (FILE* fp = std::fopen(path.c_str(), "wb")) {  // else warning 36 fails the test
            if (!c.bytes.empty()) std::fwrite(c.bytes.data(), 1, c.bytes.size(), fp);
            std::fclose(fp);
        }
        testing::internal::CaptureStdout();
        c.routine(path.c_str());
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  std::string(" <<<< Warning  56: Incorrect file format in ") + c.name + "!\n")
            << c.name << " " << c.bytes.size();
        EXPECT_EQ(pixels(), before) << c.name << " " << c.bytes.size();
    }
    testing::internal::CaptureStdout();
    kal::entry::wtiff((path + ".missing").c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), " <<<< Warning  36: File error in wtiff!\n");
    EXPECT_EQ(pixels(), before);
    kal::entry::imgfin(), kal::entry::reset("WINSIZ"), kal::entry::kalfin();
}

}  // namespace
