// The PDF writer on its driver class: exact operators, streams, objects,
// cross-reference offsets, outline and images.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "api/routines.h"
#include "core/context.h"
#include "core/threads.h"
#include "output/drivers/document_sink.h"
#include "output/drivers/pdf.h"

namespace {

constexpr int RED = 0x010000FF;     // 0x01BBGGRR
constexpr int GREEN = 0x0100FF00;
constexpr int GREY = 0x01808080;

// A PDF driver on a 2969 x 2099 page at 0.25 points per plot unit.
struct Pdf {
    kal::Context ctx;
    kal::PdfDriver driver;
    FILE* fp = nullptr;

    explicit Pdf(bool compress = false, bool turned = false, bool background = false,
                 bool memory = false) {
        setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
        ctx.page.device = 511;
        ctx.page.width = 2969;
        ctx.page.height = 2099;
        ctx.page.rotation_mode = turned ? 0 : 2;
        ctx.page.background = background ? 0 : 2;
        ctx.page.pdf_compress = compress;
        ctx.out.factor = 0.25;
        if (memory) {
            EXPECT_TRUE(kal::prepare_pdf_output(ctx, true));
        } else {
            kal::prepare_pdf_output(ctx, false);
            fp = std::tmpfile();
            ctx.out.file = fp;   // the record closes it
        }
        driver.open(ctx);
    }
    std::string finish() {
        EXPECT_EQ(driver.close(ctx), fp ? 1 : 0);
        if (!fp) {
            const kal::MemoryBlock& m = ctx.out.pdf->memory;
            return std::string(reinterpret_cast<const char*>(m.data()), m.size());
        }
        std::fflush(fp);
        std::rewind(fp);
        std::string s;
        char buf[65536];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, fp)) > 0;) s.append(buf, n);
        return s;
    }
    void op(double x, double y, int code) { driver.path_operation(ctx, x, y, code); }
};

// The text of the first content stream of an uncompressed document.
std::string first_stream(const std::string& doc) {
    const size_t a = doc.find("stream\n") + 7;
    return doc.substr(a, doc.find("endstream\n") - a);
}

// Every cross-reference entry points at the head of its object, and
// startxref at the table; qpdf agrees.
void expect_valid(const std::string& doc) {
    const size_t sx = doc.rfind("startxref\n");
    ASSERT_NE(sx, std::string::npos);
    const long xref = std::strtol(doc.c_str() + sx + 10, nullptr, 10);
    ASSERT_EQ(doc.compare(xref, 5, "xref\n"), 0);
    int first = 0, count = 0;
    ASSERT_EQ(std::sscanf(doc.c_str() + xref + 5, "%d %d", &first, &count), 2);
    const size_t entries = doc.find('\n', xref + 5) + 1;
    EXPECT_EQ(doc.compare(entries, 20, "0000000000 65535 f \n"), 0);
    for (int i = 1; i < count; ++i) {
        const std::string entry = doc.substr(entries + 20 * i, 20);
        ASSERT_EQ(entry.substr(10), " 00000 n \n") << entry;
        const long offset = std::strtol(entry.c_str(), nullptr, 10);
        const std::string head = std::to_string(i) + " 0 obj\n";
        EXPECT_EQ(doc.compare(offset, head.size(), head), 0) << "object " << i;
    }
    EXPECT_NE(doc.find("trailer\n<< /Size " + std::to_string(count) + " /Root 1 0 R /Info "),
              std::string::npos);
    EXPECT_EQ(doc.substr(doc.size() - 6), "%%EOF\n");
    // And qpdf, where it is installed, finds nothing wrong.
    if (std::system("qpdf --version > /dev/null 2>&1") != 0) return;
    const std::string path = ::testing::TempDir() + "pdf_check.pdf";
    FILE* fp = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(fp);
    std::fwrite(doc.data(), 1, doc.size(), fp);
    std::fclose(fp);
    EXPECT_EQ(std::system(("qpdf --check " + path + " > /dev/null").c_str()), 0);
}

std::string inflate(const std::string& packed) {
    std::string out(1 << 20, '\0');
    for (;;) {
        uLongf n = out.size();
        const int rc = uncompress(reinterpret_cast<Bytef*>(out.data()), &n,
                                  reinterpret_cast<const Bytef*>(packed.data()), packed.size());
        if (rc == Z_BUF_ERROR) {
            out.resize(out.size() * 2);
            continue;
        }
        EXPECT_EQ(rc, Z_OK);
        out.resize(n);
        return out;
    }
}

// The decompressed data of every Flate stream, in file order.
std::vector<std::string> flate_streams(const std::string& doc) {
    std::vector<std::string> out;
    const std::string filter = "/Filter /FlateDecode\n";
    for (size_t at = 0; (at = doc.find(filter, at)) != std::string::npos;) {
        const size_t key = doc.rfind("/Length ", at);
        const long length = std::strtol(doc.c_str() + key + 8, nullptr, 10);
        const size_t data = doc.find("stream\n", at) + 7;
        out.push_back(inflate(doc.substr(data, length)));
        at = data + length;
    }
    return out;
}

size_t count(const std::string& s, const std::string& what) {
    size_t n = 0;
    for (size_t at = 0; (at = s.find(what, at)) != std::string::npos; at += what.size()) ++n;
    return n;
}

TEST(PdfWriter, OpeningWritesHeaderAndLineState) {
    Pdf pdf;
    const std::string doc = pdf.finish();
    EXPECT_EQ(doc.substr(0, 77),
              "%PDF-1.3\n3 0 obj\n<< /Length 4 0 R >>\nstream\n0.709 w\n2 J\n2 j\nendstream\n"
              "endobj\n");
    // Nothing drawn: a page of exactly one stream, its length as object 4.
    EXPECT_NE(doc.find("endstream\nendobj\n4 0 obj\n16\nendobj\n5 0 obj\n<<\n/Type /Page\n"
                       "/MediaBox [0 0 743 525]\n/Parent 2 0 R\n"
                       "/Resources << /ProcSet [/PDF]\n>>\n/Contents 3 0 R\n>>\nendobj\n"),
              std::string::npos);
    EXPECT_NE(doc.find("2 0 obj\n<< /Type /Pages /Kids [\n5 0 R\n] /Count 1\n>>\nendobj\n"
                       "1 0 obj\n<< /Type /Catalog /Pages 2 0 R\n>>\nendobj\n"
                       "6 0 obj\n<< /CreationDate (D:20231114221320)\n/Producer (KALVOR 9.0)\n"
                       ">>\nendobj\nxref\n0 7\n"),
              std::string::npos);
    expect_valid(doc);
}

TEST(PdfWriter, ColourComponentsAndSkippedFillColour) {
    Pdf pdf;
    pdf.driver.colour(pdf.ctx, 0x0180FF00);   // r 0, g 255, b 128
    pdf.driver.colour(pdf.ctx, 0x0180FF00);   // stroke again, fill skipped
    pdf.driver.fill_rect(pdf.ctx, 0, 0, 100, 40, RED);
    pdf.driver.fill_rect(pdf.ctx, 100, 0, 200, 40, RED);
    const std::string doc = pdf.finish();
    expect_valid(doc);
    const std::string s = first_stream(doc);
    EXPECT_EQ(s.substr(16),
              "0 1 0.502 RG\n0 1 0.502 rg\n"
              "0 1 0.502 RG\n"
              "1 0 0 rg\n0.00 514.75 25.00 10.00 re\nf\n"
              "25.00 514.75 25.00 10.00 re\nf\n");
}

TEST(PdfWriter, LineWidthJoinCapAndMiterValues) {
    Pdf pdf;
    auto& c = pdf.ctx;
    c.line.join = 2;
    EXPECT_TRUE(pdf.driver.line_width(c, 1));     // max(5, 2) / 20 mm -> 0.709 pt
    EXPECT_TRUE(pdf.driver.line_width(c, 10));    // 20 -> 2.835
    c.page.units = 2.54;
    pdf.driver.line_width(c, 3);                  // trunc(15.24) = 15 -> 2.126
    EXPECT_TRUE(pdf.driver.pen_width(c, 0.5));    // u > 2: 2 * 0.5 * 2.54 -> 0.360
    c.page.units = 1.0;
    pdf.driver.pen_width(c, 0.5);                 // 5 * 0.5 -> 0.354
    pdf.driver.pen_width(c, 2.0);                 // max(5, 4) -> 0.709
    pdf.driver.pen_width(c, 4.0);                 // 8 -> 1.134
    c.line.width = -3;
    pdf.driver.miter_limit(c, 10.0);              // max(5, 6) * 10 = 60 -> 8.504
    pdf.driver.line_cap(c, 1);                    // join not SHAR: cap only
    c.line.join = 0;
    c.line.miter = 2.0;
    pdf.driver.line_join(c, 0);                   // SHAR: 12 -> 1.701
    pdf.driver.pen_width(c, 6.0);                 // 12 -> 1.701, miter max(5, 12) * 2 -> 3.402
    const std::string doc = pdf.finish();
    expect_valid(doc);
    const std::string s = first_stream(doc);
    EXPECT_EQ(s.substr(16),
              "0.709 w\n2.835 w\n2.126 w\n0.360 w\n0.354 w\n0.709 w\n1.134 w\n8.504 M\n1 J\n"
              "0 j\n1.701 M\n1.701 w\n3.402 M\n");
}

TEST(PdfWriter, PathsStrokeOnMoveAndRestartAfterColour) {
    Pdf pdf;
    pdf.op(10, 20, 3);
    pdf.op(30, 40.5, 2);
    pdf.op(50, 60, 2);
    pdf.driver.colour(pdf.ctx, RED);   // ends the path
    pdf.op(70, 80, 2);                 // goes on from the last point
    pdf.op(1, 1, 3);
    pdf.op(5, 5, 3);                   // a lone move draws nothing
    const std::string doc = pdf.finish();
    expect_valid(doc);
    const std::string s = first_stream(doc);
    EXPECT_EQ(s.substr(16),
              "10.00 20.00 m\n30.00 40.50 l\n50.00 60.00 l\nS\n1 0 0 RG\n1 0 0 rg\n"
              "50.00 60.00 m\n70.00 80.00 l\nS\n");
}

TEST(PdfWriter, PolygonIsFilledInTheCurrentColour) {
    Pdf pdf;
    pdf.ctx.out.current_colour = RED;
    pdf.driver.colour(pdf.ctx, RED);
    pdf.driver.fill_rect(pdf.ctx, 0, 0, 100, 100, GREEN);   // changes the fill colour
    const double x[] = {0, 400, 0}, y[] = {2099, 2099, 1699};
    pdf.ctx.out.vectors = 0;
    EXPECT_TRUE(pdf.driver.fill_polygon(pdf.ctx, 3, x, y));
    EXPECT_EQ(pdf.ctx.out.vectors, 3);
    const std::string doc = pdf.finish();
    expect_valid(doc);
    const std::string s = first_stream(doc);
    // Not turned: (x, y) -> (x s, (H - y) s), truncated like every point.
    EXPECT_NE(s.find("0 1 0 rg\n0.00 499.75 25.00 25.00 re\nf\n"
                     "1 0 0 rg\n0.00 0.00 m\n100.00 0.00 l\n0.00 100.00 l\nh\nf*\n"),
              std::string::npos)
        << s;
}

TEST(PdfWriter, TurnedPageBackgroundCoversTheMediaBox) {
    Pdf pdf(false, true, true);
    EXPECT_TRUE(pdf.driver.rotated());
    pdf.driver.fill_rect(pdf.ctx, 100, 200, 300, 600, RED);
    const std::string doc = pdf.finish();
    const std::string s = first_stream(doc);
    // Media box 525 x 743 (sides exchanged): the black page is all of it.
    EXPECT_EQ(s.substr(16, 47), "0 0 0 rg\n0.00 0.00 525.00 743.00 re\nf\n1 0 0 rg\n");
    // (x, y) -> (y s, x s): the rectangle's sides exchange too.
    EXPECT_NE(s.find("50.00 25.00 100.00 50.00 re\n"), std::string::npos);
    EXPECT_NE(doc.find("/MediaBox [0 0 525 743]\n/Parent 2 0 R\n/Rotate 90\n"), std::string::npos);
    expect_valid(doc);
}

TEST(PdfWriter, NewPageRepaintsAndResendsState) {
    Pdf pdf(false, false, true);
    pdf.ctx.out.current_colour = RED;
    pdf.driver.colour(pdf.ctx, RED);
    pdf.driver.line_width(pdf.ctx, 10);
    pdf.driver.line_join(pdf.ctx, 1);
    pdf.driver.new_page(pdf.ctx);
    pdf.driver.fill_rect(pdf.ctx, 0, 0, 100, 100, RED);
    const std::string doc = pdf.finish();
    const size_t second = doc.find("stream\n", doc.find("/Type /Page\n"));
    const std::string s = doc.substr(second + 7, doc.find("endstream", second) - second - 7);
    // The fill colour is written again: a new page starts with black.
    EXPECT_EQ(s,
              "2.835 w\n2 J\n1 j\n0 0 0 rg\n0.00 0.00 743.00 525.00 re\nf\n1 0 0 RG\n1 0 0 rg\n"
              "0.00 499.75 25.00 25.00 re\nf\n");
    EXPECT_NE(doc.find("/Kids [\n5 0 R\n8 0 R\n] /Count 2\n"), std::string::npos);
    expect_valid(doc);
}

TEST(PdfWriter, CompressedPageSplitsIntoSeveralStreams) {
    Pdf pdf(true);
    const int draws = 40000;   // about 640000 bytes of operators
    pdf.op(0, 0, 3);
    for (int i = 1; i <= draws; ++i) pdf.op(i % 700, (i * 7) % 500, 2);
    const std::string doc = pdf.finish();
    const std::vector<std::string> streams = flate_streams(doc);
    ASSERT_GE(streams.size(), 3u);
    std::string all;
    for (const std::string& s : streams) {
        EXPECT_LE(s.size(), kal::PdfContentStream::BUFFER_SIZE);
        all += s;
    }
    EXPECT_EQ(all.substr(0, 22), "0.709 w\n2 J\n2 j\n0.00 0");
    EXPECT_EQ(count(all, " l\n"), size_t(draws));
    EXPECT_EQ(count(all, " m\n"), 1u);
    const size_t contents = doc.find("/Contents [\n3 0 R\n4 0 R\n");
    ASSERT_NE(contents, std::string::npos);
    EXPECT_EQ(count(doc.substr(contents, doc.find("]\n", contents) - contents), " 0 R\n"),
              streams.size());
    expect_valid(doc);
}

TEST(PdfWriter, CompressedStreamsKeepTheirLengths) {
    Pdf pdf(true);
    pdf.op(10, 10, 3);
    pdf.op(100, 100, 2);
    const std::string doc = pdf.finish();
    EXPECT_EQ(doc.substr(0, 28), "%PDF-1.3\n3 0 obj\n<< /Length ");
    const std::vector<std::string> streams = flate_streams(doc);
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0], "0.709 w\n2 J\n2 j\n10.00 10.00 m\n100.00 100.00 l\nS\n");
    EXPECT_NE(doc.find("/Contents 3 0 R\n"), std::string::npos);
    expect_valid(doc);
}

TEST(PdfWriter, MemoryOutputHasTheBytesOfTheFile) {
    std::string docs[2];
    for (int memory = 0; memory < 2; ++memory) {
        Pdf pdf(true, true, true, memory == 1);
        pdf.driver.colour(pdf.ctx, GREY);
        pdf.op(10, 10, 3);
        for (int i = 0; i < 30000; ++i) pdf.op(i % 300, i % 200, 2);
        pdf.driver.new_page(pdf.ctx);
        docs[memory] = pdf.finish();
    }
    EXPECT_GT(docs[0].size(), 5000u);
    EXPECT_EQ(docs[0], docs[1]);
    expect_valid(docs[1]);
}

TEST(PdfWriter, OutlineTreeObjects) {
    Pdf pdf;
    using R = kal::PdfOutline;
    EXPECT_EQ(pdf.driver.bookmark("Intro", 0), R::ADDED);
    EXPECT_EQ(pdf.driver.bookmark("Part (a)\\", 1), R::ADDED);
    pdf.driver.new_page(pdf.ctx);
    EXPECT_EQ(pdf.driver.bookmark("Detail", 2), R::ADDED);
    EXPECT_EQ(pdf.driver.bookmark("Part b", 1), R::ADDED);
    EXPECT_EQ(pdf.driver.bookmark("End", 0), R::ADDED);
    const std::string doc = pdf.finish();
    // Pages are objects 5 and 8; the page tree is followed by the outline.
    const size_t at = doc.find("9 0 obj\n");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(doc.substr(at, doc.find("\n1 0 obj\n") + 1 - at),
              "9 0 obj\n<< /Type /Outlines\n   /First 10 0 R\n   /Last 14 0 R\n   /Count 5\n>>\n"
              "endobj\n"
              "10 0 obj\n<< /Title (Intro)\n   /Parent 9 0 R\n   /Next 14 0 R\n"
              "   /First 11 0 R\n   /Last 13 0 R\n   /Count 3\n"
              "   /Dest [5 0 R /XYZ 0 525 0]\n>>\nendobj\n"
              "11 0 obj\n<< /Title (Part \\(a\\)\\\\)\n   /Parent 10 0 R\n   /Next 13 0 R\n"
              "   /First 12 0 R\n   /Last 12 0 R\n   /Count 1\n"
              "   /Dest [5 0 R /XYZ 0 525 0]\n>>\nendobj\n"
              "12 0 obj\n<< /Title (Detail)\n   /Parent 11 0 R\n"
              "   /Dest [8 0 R /XYZ 0 525 0]\n>>\nendobj\n"
              "13 0 obj\n<< /Title (Part b)\n   /Parent 10 0 R\n   /Prev 11 0 R\n"
              "   /Dest [8 0 R /XYZ 0 525 0]\n>>\nendobj\n"
              "14 0 obj\n<< /Title (End)\n   /Parent 9 0 R\n   /Prev 10 0 R\n"
              "   /Dest [8 0 R /XYZ 0 525 0]\n>>\nendobj\n");
    EXPECT_NE(doc.find("1 0 obj\n<< /Type /Catalog /Pages 2 0 R\n   /Outlines 9 0 R\n"
                       "   /PageMode /UseOutlines\n>>\nendobj\n"),
              std::string::npos);
    expect_valid(doc);
}

TEST(PdfWriter, BookmarkLevelsNeedTheirParents) {
    using R = kal::PdfOutline;
    kal::PdfOutline outline;
    EXPECT_EQ(outline.add("s", 1, 0), R::BAD_STRUCTURE);   // SECT before CHAP
    EXPECT_EQ(outline.add("c", 0, 0), R::ADDED);
    EXPECT_EQ(outline.add("u", 2, 0), R::BAD_STRUCTURE);   // SUBS without SECT
    EXPECT_EQ(outline.add("s", 1, 0), R::ADDED);
    EXPECT_EQ(outline.add("u", 2, 0), R::ADDED);
    EXPECT_EQ(outline.add("p", 3, 0), R::ADDED);
    EXPECT_EQ(outline.add("q", 4, 0), R::ADDED);
    EXPECT_EQ(outline.add("c2", 0, 0), R::ADDED);
    EXPECT_EQ(outline.add("q2", 4, 0), R::ADDED);          // earlier levels exist
    EXPECT_EQ(outline.size(), 7);
}

TEST(PdfWriter, CharactersFontsAndResources) {
    Pdf pdf;
    pdf.op(1, 1, 3);
    pdf.op(2, 2, 2);
    pdf.driver.character('(', 100, 200, 0, 4, 120);
    pdf.driver.character('A', 110, 200, 0, 4, 120);
    pdf.driver.character(127, 120, 200, 90, 4, 120);     // Adieresis
    pdf.driver.character(186, 130, 200, 30, 4, 120);     // questiondown
    pdf.driver.character(200, 140, 200, 0, 4, 140);      // no glyph: a blank, new size
    pdf.driver.character('\\', 150, 200, 0, 0, 140);     // another font
    pdf.op(3, 3, 3);
    pdf.op(4, 4, 2);
    const std::string doc = pdf.finish();
    const std::string s = first_stream(doc);
    EXPECT_EQ(s.substr(16),
              "1.00 1.00 m\n2.00 2.00 l\nS\n"
              "BT\n/F5 12.0 Tf\n1 0 0 1 100.00 200.00 Tm\n(\\50) Tj\n"
              "1 0 0 1 110.00 200.00 Tm\n(A) Tj\n"
              "0 1 -1 0 120.00 200.00 Tm\n(\\304) Tj\n"
              "0.87 0.50 -0.50 0.87 130.00 200.00 Tm\n(\\277) Tj\n"
              "ET\nBT\n/F5 14.0 Tf\n1 0 0 1 140.00 200.00 Tm\n(\\40) Tj\n"
              "ET\nBT\n/F1 14.0 Tf\n1 0 0 1 150.00 200.00 Tm\n(\\134) Tj\n"
              "ET\n3.00 3.00 m\n4.00 4.00 l\nS\n");
    EXPECT_NE(doc.find("5 0 obj\n<< /Type /Font\n/Subtype /Type1\n/BaseFont /Times-Roman\n"
                       "/Encoding /WinAnsiEncoding\n>>\nendobj\n"
                       "6 0 obj\n<< /Type /Font\n/Subtype /Type1\n/BaseFont /Helvetica\n"
                       "/Encoding /WinAnsiEncoding\n>>\nendobj\n"),
              std::string::npos);
    EXPECT_NE(doc.find("/Resources << /ProcSet [/PDF /Text]\n/Font <<\n/F1 5 0 R\n/F5 6 0 R\n"
                       ">>\n>>\n/Contents 3 0 R\n"),
              std::string::npos);
    expect_valid(doc);
}

TEST(PdfWriter, FontsAreWrittenOnceAndListedOnLaterPages) {
    Pdf pdf;
    pdf.driver.character('x', 1, 1, 0, 18, 100);
    pdf.driver.new_page(pdf.ctx);
    pdf.driver.character('y', 1, 1, 0, 18, 100);
    const std::string doc = pdf.finish();
    EXPECT_EQ(count(doc, "/BaseFont /Courier\n"), 1u);
    EXPECT_EQ(count(doc, "/Font <<\n/F19 5 0 R\n>>\n"), 2u);
    expect_valid(doc);
}

TEST(PdfWriter, UncompressedImageAndItsPlacement) {
    Pdf pdf;
    const uint8_t rows[2][6] = {{255, 0, 0, 0, 255, 0}, {0, 0, 255, 9, 9, 9}};
    pdf.driver.place_image(
        pdf.ctx, 2, 2, [&](int y, uint8_t* out) { std::memcpy(out, rows[y], 6); }, 100, 200,
        500, 600);
    const std::string doc = pdf.finish();
    EXPECT_NE(doc.find("5 0 obj\n<< /Type /XObject /Subtype /Image\n   /ColorSpace /DeviceRGB\n"
                       "   /Width 2 /Height 2 /BitsPerComponent 8\n   /Length 12\n>>\nstream\n" +
                       std::string(reinterpret_cast<const char*>(rows), 12) + "endstream\nendobj\n"
                       "6 0 obj\n<< /Length 7 0 R >>\nstream\n"
                       "q\n1 0 0 1 25.00 374.75 cm\n100.00 0 0 100.00 0 0 cm\n/Image1 Do\nQ\n"
                       "endstream\nendobj\n7 0 obj\n64\nendobj\n"),
              std::string::npos)
        << doc;
    EXPECT_NE(doc.find("/Resources << /ProcSet [/PDF /ImageC]\n/XObject <<\n/Image1 5 0 R\n>>\n"
                       ">>\n/Contents [\n3 0 R\n6 0 R\n]\n"),
              std::string::npos);
    expect_valid(doc);
}

TEST(PdfWriter, CompressedImageOnATurnedPage) {
    Pdf pdf(true, true);
    std::vector<uint8_t> pixels(40 * 30 * 3);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 7);
    pdf.driver.place_image(
        pdf.ctx, 40, 30, [&](int y, uint8_t* out) { std::memcpy(out, &pixels[y * 120], 120); },
        100, 200, 500, 600);
    const std::string doc = pdf.finish();
    const std::vector<std::string> streams = flate_streams(doc);
    ASSERT_EQ(streams.size(), 3u);   // content, image, placing content
    EXPECT_EQ(streams[1], std::string(pixels.begin(), pixels.end()));
    // Turned: the lower left corner (100, 600) goes to (600 s, 100 s), then a
    // quarter turn.
    EXPECT_EQ(streams[2], "q\n1 0 0 1 150.00 25.00 cm\n0 1 -1 0 0 0 cm\n100.00 0 0 100.00 0 0 cm\n"
                          "/Image1 Do\nQ\n");
    EXPECT_NE(doc.find("   /Width 40 /Height 30 /BitsPerComponent 8\n   /Length "),
              std::string::npos);
    expect_valid(doc);
}

// Characters, an image and an outline in one file, read back by qpdf and
// poppler's text extraction.
TEST(PdfWriter, TextReadsBackWithPoppler) {
    if (std::system("qpdf --version > /dev/null 2>&1") != 0 ||
        std::system("pdftotext -v > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "needs qpdf and pdftotext";
    const std::string path = ::testing::TempDir() + "pdf_text.pdf";
    const std::string text = path + ".txt";
    {
        kal::Context ctx;
        ctx.page.width = 2969;
        ctx.page.height = 2099;
        ctx.page.rotation_mode = 2;   // upright: the text runs along the page
        ctx.page.background = 2;
        ctx.page.pdf_compress = true;
        ctx.out.factor = 0.25;
        kal::prepare_pdf_output(ctx, false);
        ctx.out.file = std::fopen(path.c_str(), "wb");
        ASSERT_TRUE(ctx.out.file);
        kal::PdfDriver pdf;
        pdf.open(ctx);
        EXPECT_EQ(pdf.bookmark("Text", 0), kal::PdfOutline::ADDED);
        const int codes[] = {'(', 127, ')', '<', '\\', 'z', 186};
        for (int i = 0; i < 7; ++i) {
            const kal::DevicePoint p = pdf.to_points(300 + 60 * i, 1000);
            pdf.character(codes[i], p.x, p.y, 0, 4, 120);
        }
        const uint8_t rgb[6] = {255, 0, 0, 0, 0, 255};
        pdf.place_image(
            ctx, 2, 1, [&](int, uint8_t* out) { std::memcpy(out, rgb, 6); }, 100, 100, 300, 200);
        pdf.close(ctx);
        std::fclose(ctx.out.file);
        ctx.out.file = nullptr;
    }
    EXPECT_EQ(std::system(("qpdf --check " + path + " > /dev/null").c_str()), 0);
    ASSERT_EQ(std::system(("pdftotext " + path + " " + text).c_str()), 0);
    FILE* fp = std::fopen(text.c_str(), "rb");
    ASSERT_TRUE(fp);
    char buf[256] = {};
    const size_t n = std::fread(buf, 1, sizeof buf - 1, fp);
    std::fclose(fp);
    std::string glyphs;   // the characters stand apart: drop the blanks
    for (size_t i = 0; i < n; ++i)
        if (buf[i] != ' ' && buf[i] != '\n' && buf[i] != '\f') glyphs += buf[i];
    // Adieresis and questiondown in UTF-8.
    EXPECT_EQ(glyphs, "(\xC3\x84)<\\z\xC2\xBF");
}

TEST(MemoryBlock, GrowsInStepsAndStopsAfterAFailure) {
    kal::MemoryBlock m;
    ASSERT_TRUE(m.allocate(4, 4));
    m.append("abcdef", 6);
    m.append("gh", 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.data()), m.size()), "abcdefgh");
    m.append("x", SIZE_MAX);   // cannot grow: stored bytes stay, nothing more is taken
    EXPECT_TRUE(m.failed());
    m.append("ij", 2);
    EXPECT_EQ(m.size(), 8u);
    m.release();
    EXPECT_FALSE(m.failed());
    EXPECT_EQ(m.size(), 0u);
}

TEST(OutputSink, CountsBytesWhereverTheyGo) {
    kal::OutputSink nowhere;
    nowhere.format("%d 0 obj\n", 12);
    nowhere.text("endobj\n");
    EXPECT_EQ(nowhere.offset(), 16u);
    kal::MemoryBlock m;
    ASSERT_TRUE(m.allocate(16, 16));
    kal::OutputSink memory(&m);
    std::string big(5000, 'q');
    memory.format("%s!", big.c_str());   // longer than the format buffer
    EXPECT_EQ(memory.offset(), 5001u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.data()), m.size()), big + "!");
}

// pdfbuf reports a memory block that could not grow with warning 51.
TEST(PdfBuffer, FailedGrowthGivesWarning51) {
    kal::metafl("PDF");
    kal::pdfmod("ON", "BUFF");
    kal::kalini();
    kal::errmod("PROT", "OFF");
    kal::kalfin();
    kal::Context* ctx = kal::fetch_record();
    ASSERT_TRUE(ctx && ctx->out.pdf);
    ASSERT_GT(ctx->out.pdf->memory.size(), 0u);
    ctx->out.pdf->memory.append("x", SIZE_MAX);   // a growth that fails
    testing::internal::CaptureStdout();
    EXPECT_EQ(kal::pdfbuf(nullptr, 0), 0);
    char buffer[16];
    EXPECT_EQ(kal::pdfbuf(buffer, sizeof buffer), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, " <<<< Warning  51: Non positive parameter in pdfbuf!\n"
                   " <<<< Warning  51: Non positive parameter in pdfbuf!\n");
    kal::pdfmod("OFF", "BUFF");
    kal::metafl("VEKM");
}

}  // namespace
