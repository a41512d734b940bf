// The PDF writer on its driver class: exact operators, streams and objects
// (text: test_text.py); qpdf checks every document.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "api/entries.h"
#include "core/context.h"
#include "core/threads.h"
#include "output/sink.h"
#include "output/drivers/pdf.h"
#include "read_back.h"

namespace {

constexpr int RED = 0x010000FF;     // 0x01BBGGRR
constexpr int GREEN = 0x0100FF00;

// A PDF driver on an upright 2969 x 2099 page at 0.25 points per plot unit.
struct Pdf {
    kal::Context ctx;
    kal::PdfDriver driver;
    FILE* fp = std::tmpfile();

    explicit Pdf(bool compress = false, bool background = false) {
        setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
        ctx.page.device = 511;
        ctx.page.width = 2969;
        ctx.page.height = 2099;
        ctx.page.rotation_mode = 2;
        ctx.page.background = background ? 0 : 2;
        ctx.page.pdf_compress = compress;
        ctx.out.factor = 0.25;
        kal::prepare_pdf_output(ctx, false);
        ctx.out.file = fp;   // the record closes it
        driver.attach(std::make_unique<kal::OutputSink>(fp));
        driver.open(ctx);
    }
    std::string finish() {
        EXPECT_EQ(driver.close(ctx), 1);
        return read_back(fp);
    }
    void op(double x, double y, int code) { driver.path_operation(ctx, x, y, code); }
};

// The text of the first content stream of an uncompressed document.
std::string first_stream(const std::string& doc) {
    const size_t a = doc.find("stream\n") + 7;
    return doc.substr(a, doc.find("endstream\n") - a);
}

// Writes the document to a file of its own; returns the path.
std::string save(const std::string& doc, const std::string& name) {
    // Test cases run as parallel processes: each writes files of its own.
    const std::string path = ::testing::TempDir() + std::to_string(getpid()) + "_" + name;
    FILE* fp = std::fopen(path.c_str(), "wb");
    EXPECT_TRUE(fp);
    if (fp) {
        std::fwrite(doc.data(), 1, doc.size(), fp);
        std::fclose(fp);
    }
    return path;
}

bool have(const char* tool) { return std::system((std::string(tool) + " > /dev/null 2>&1").c_str()) == 0; }

// qpdf finds nothing wrong: cross-reference offsets, lengths, trailer; any
// warning gives a status other than 0.
void expect_valid(const std::string& doc) {
    EXPECT_EQ(doc.substr(doc.size() - 6), "%%EOF\n");
    if (!have("qpdf --version")) return;
    EXPECT_EQ(std::system(("qpdf --check " + save(doc, "pdf_check.pdf") + " > /dev/null").c_str()), 0);
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

// One short page: one content stream, "/Contents 3 0 R", after the line
// state every page starts with.
TEST(PdfWriter, OperatorsOfOneShortPage) {
    struct Case {
        const char* what;
        std::function<void(Pdf&, kal::Context&)> steps;
        const char* stream;   // after "0.709 w\n2 J\n2 j\n"
    };
    const Case cases[] = {
        {"colour components 0 and 1 as single digits, 128 as 0.502; an unchanged fill colour is skipped",
         [](Pdf& pdf, kal::Context& c) {
             pdf.driver.colour(c, 0x0180FF00);   // r 0, g 255, b 128
             pdf.driver.colour(c, 0x0180FF00);
             pdf.driver.fill_rect(c, 0, 0, 100, 40, RED);
             pdf.driver.fill_rect(c, 100, 0, 200, 40, RED);
         },
         "0 1 0.502 RG\n0 1 0.502 rg\n0 1 0.502 RG\n"
         "1 0 0 rg\n0.00 514.50 25.25 10.25 re\nf\n25.00 514.50 25.25 10.25 re\nf\n"},
        {"a path is stroked on a move and restarts after a colour; a lone move draws nothing",
         [](Pdf& pdf, kal::Context& c) {
             pdf.op(10, 20, 3);
             pdf.op(30, 40.5, 2);
             pdf.op(50, 60, 2);
             pdf.driver.colour(c, RED);
             pdf.op(70, 80, 2);
             pdf.op(1, 1, 3);
             pdf.op(5, 5, 3);
         },
         "10.00 20.00 m\n30.00 40.50 l\n50.00 60.00 l\nS\n1 0 0 RG\n1 0 0 rg\n"
         "50.00 60.00 m\n70.00 80.00 l\nS\n"},
        {"a polygon is filled in the current colour, (x s, (H - y) s) truncated",
         [](Pdf& pdf, kal::Context& c) {
             c.out.current_colour = RED;
             pdf.driver.colour(c, RED);
             pdf.driver.fill_rect(c, 0, 0, 100, 100, GREEN);   // changes the fill colour
             const double x[] = {0, 400, 0}, y[] = {2099, 2099, 1699};
             c.out.vectors = 0;
             EXPECT_TRUE(pdf.driver.fill_polygon(c, 3, x, y));
             EXPECT_EQ(c.out.vectors, 3);
         },
         "1 0 0 RG\n1 0 0 rg\n0 1 0 rg\n0.00 499.50 25.25 25.25 re\nf\n"
         "1 0 0 rg\n0.00 0.00 m\n100.00 0.00 l\n0.00 100.00 l\nh\nf*\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Pdf pdf;
        c.steps(pdf, pdf.ctx);
        const std::string doc = pdf.finish();
        EXPECT_EQ(first_stream(doc), std::string("0.709 w\n2 J\n2 j\n") + c.stream);
        EXPECT_NE(doc.find("/Contents 3 0 R\n"), std::string::npos);
        expect_valid(doc);
    }
}

TEST(PdfWriter, NewPageRepaintsAndResendsState) {
    Pdf pdf(false, true);
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
              "0.00 499.50 25.25 25.25 re\nf\n");
    EXPECT_NE(doc.find("/Kids [\n5 0 R\n8 0 R\n] /Count 2\n"), std::string::npos);
    expect_valid(doc);
}

// pdfbuf reports a memory block that could not grow with warning 51.
TEST(PdfBuffer, FailedGrowthGivesWarning51) {
    kal::entry::metafl("PDF");
    kal::entry::pdfmod("ON", "BUFF");
    kal::entry::kalini();
    kal::entry::errmod("PROT", "OFF");
    kal::entry::kalfin();
    kal::Context* ctx = kal::fetch_record();
    ASSERT_TRUE(ctx && ctx->out.pdf);
    ASSERT_GT(ctx->out.pdf->memory.size(), 0u);
    ctx->out.pdf->memory.append("x", SIZE_MAX);   // a growth that fails
    testing::internal::CaptureStdout();
    EXPECT_EQ(kal::entry::pdfbuf(nullptr, 0), 0);
    char buffer[16];
    EXPECT_EQ(kal::entry::pdfbuf(buffer, sizeof buffer), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, " <<<< Warning  51: Non positive parameter in pdfbuf!\n"
                   " <<<< Warning  51: Non positive parameter in pdfbuf!\n");
    kal::entry::pdfmod("OFF", "BUFF");
    kal::entry::metafl("VEKM");
}

}  // namespace
