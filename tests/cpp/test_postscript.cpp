// The PostScript and EPS driver: header bytes, the 50-point path, colours,
// fills, line attributes, pages and the word-wrapping writer; Ghostscript
// reads the files the driver writes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/context.h"
#include "core/devices.h"
#include "output/driver.h"
#include "output/drivers/postscript.h"
#include "output/primitives.h"
#include "output/record.h"

namespace {

std::string read_all(FILE* fp) {
    std::fflush(fp);
    std::rewind(fp);
    std::string s;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, fp)) > 0;) s.append(buf, n);
    return s;
}

std::vector<std::string> lines_of(const std::string& s) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t nl; (nl = s.find('\n', start)) != std::string::npos; start = nl + 1)
        out.push_back(s.substr(start, nl - start));
    if (start < s.size()) out.push_back(s.substr(start));
    return out;
}

// The body lines joined, each checked to be at most 80 characters long.
std::string joined(const std::string& body) {
    std::string out;
    for (const std::string& s : lines_of(body)) {
        EXPECT_LE(s.size(), 80u) << s;
        out += s;
    }
    return out;
}

// A PostScript file opened the way kalini opens it: page geometry in the
// record, the device factor from open_device, the header written.
struct PsFile {
    kal::Context ctx;
    kal::PostScriptDriver* drv = nullptr;

    explicit PsFile(int device, int background = 2, int rotation = 0, int w = 2969, int h = 2099,
                    int scaling = 0) {
        setenv("SOURCE_DATE_EPOCH", "1700000000", 1);  // 14.11.2023 22:13:20 UTC
        kal::PageState& p = ctx.page;
        p.device = device;
        p.width = w;
        p.height = h;
        p.rotation_mode = rotation;
        p.scaling_mode = scaling;
        p.background = background;
        ctx.out.clip[2] = w;
        ctx.out.clip[3] = h;
        ctx.out.file = std::tmpfile();
        ctx.out.driver = kal::make_driver(device);
        drv = dynamic_cast<kal::PostScriptDriver*>(ctx.out.driver.get());
        kal::open_device(ctx);
    }
    // Everything written so far (the line buffer included, as kalfin does).
    std::string finish() {
        ctx.out.driver->close(ctx);
        ctx.out.record.flush_line(ctx.out.file);
        return read_all(ctx.out.file);
    }
    // The body: what follows the placement line (and a header background).
    std::string body() {
        std::string all = finish();
        size_t at = all.find(" scale\n");
        std::string rest = all.substr(at + 7);
        // A header background is a line of its own without a trailing blank.
        const size_t nl = rest.find('\n');
        if (nl != std::string::npos && nl >= 2 && rest.compare(nl - 2, 2, " e") == 0) rest = rest.substr(nl + 1);
        return rest;
    }
    void move(double x, double y) { drv->move_draw(ctx, x, y, 3); }
    void draw(double x, double y) { drv->move_draw(ctx, x, y, 2); }
};

// Runs Ghostscript on the text; returns its exit status and output.
int ghostscript(const std::string& ps, std::string* out) {
    if (std::system("gs --version > /dev/null 2>&1") != 0) return -1;
    char name[] = "/tmp/kalvor_ps_XXXXXX";
    int fd = mkstemp(name);
    if (fd < 0) return -2;
    FILE* fp = fdopen(fd, "w");
    std::fwrite(ps.data(), 1, ps.size(), fp);
    std::fclose(fp);
    std::string cmd = std::string("gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=nullpage ") + name + " 2>&1";
    FILE* pipe = popen(cmd.c_str(), "r");
    out->clear();
    char buf[512];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) out->append(buf, n);
    int status = pclose(pipe);
    std::remove(name);
    return status;
}

void expect_ghostscript_reads(const std::string& ps) {
    std::string out;
    int status = ghostscript(ps, &out);
    if (status == -1) GTEST_SKIP() << "gs not installed";
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(out.find("Error"), std::string::npos) << out;
}

TEST(PostScriptHeader, DefaultPageIsTurnedAtTrueSizeLimit) {
    PsFile f(kal::DEV_PS);
    EXPECT_NEAR(f.ctx.out.factor, 3900.0 / 2099.0, 1e-12);
    EXPECT_NEAR(f.ctx.out.factor, 1.858, 1e-3);
    EXPECT_EQ(f.ctx.out.colour_depth, 24);
    std::string all = f.finish();
    std::vector<std::string> l = lines_of(all);
    ASSERT_GT(l.size(), 80u);
    EXPECT_EQ(l[0], "%!PS-Adobe-2.0");
    EXPECT_EQ(l[1], "%%BoundingBox:  21 28 575 811");
    EXPECT_EQ(l[2], "%%Creator: KALVOR   9.1 L");
    EXPECT_EQ(l[3], "%%CreationDate: 14.11.2023 , 22:13:20");
    EXPECT_EQ(l[4], "%%EndComments");
    EXPECT_EQ(l[5], "%%Page: 1 1");
    EXPECT_EQ(l[6], "2 setlinecap 2 setlinejoin");
    EXPECT_EQ(l[7], "/cm {0.1417322835 mul} def /rgb {255 div} def /lc 1 string def");
    EXPECT_EQ(l[8], "/u  { /y exch cm def /x exch cm def newpath  x y moveto } def");
    // The German code vector: opening line, 17 lines of three pairs, four of two.
    size_t open = 0;
    while (open < l.size() && l[open].rfind(" /GermanVec [", 0) != 0) ++open;
    ASSERT_LT(open + 22, l.size());
    EXPECT_EQ(l[open], " /GermanVec [ 8#177 /Adieresis");
    EXPECT_EQ(l[open + 1], " 8#200 /Odieresis 8#201 /Udieresis 8#202 /adieresis");
    EXPECT_EQ(l[open + 17], " 8#260 /ocircumflex 8#261 /ucircumflex 8#262 /Atilde");
    EXPECT_EQ(l[open + 18], " 8#263 /atilde 8#264 /Otilde");
    EXPECT_EQ(l[open + 21], " 8#271 /exclamdown 8#272 /questiondown ] def");
    EXPECT_EQ(l[open - 1], "    definefont pop end } def");
    EXPECT_EQ(l[open + 22], "  150 cm   200 cm translate 5 cm setlinewidth   1.000000  1.000000 scale");
    // PS with background mode 2: no page rectangle; the finish is showpage.
    EXPECT_EQ(l[open + 23], "showpage ");
    EXPECT_EQ(l.size(), open + 24);
    expect_ghostscript_reads(all);
}

TEST(PostScriptHeader, PageModeNoneIsNotTurned) {
    PsFile f(kal::DEV_POST, 2, /*rotation=*/2);
    EXPECT_NEAR(f.ctx.out.factor, 3900.0 / 2969.0, 1e-12);
    EXPECT_NEAR(f.ctx.out.factor, 1.3136, 1e-4);
    std::vector<std::string> l = lines_of(f.finish());
    EXPECT_EQ(l[1], "%%BoundingBox:  21 28 575 420");
    EXPECT_EQ(l[2], "%%Creator: KALVOR   9.1 P");
}

TEST(PostScriptHeader, EpsFirstLineAndPortraitPage) {
    PsFile f(kal::DEV_EPS, 2, 0, 2099, 2969);  // DA4P: not turned
    EXPECT_NEAR(f.ctx.out.factor, 3900.0 / 2099.0, 1e-12);
    std::string all = f.finish();
    std::vector<std::string> l = lines_of(all);
    EXPECT_EQ(l[0], "%!PS-Adobe-3.0 EPSF-3.0");
    EXPECT_EQ(l[1], "%%BoundingBox:  21 28 575 811");
    EXPECT_EQ(l[2], "%%Creator: KALVOR   9.1 P");
    expect_ghostscript_reads(all);
}

TEST(PostScriptHeader, BackgroundOnlyOnColourDevices) {
    // Turned page: "0 0 H·s W·s 0 0 0 e"; upright: "0 H·s W·s 0 0 0 0 e".
    {
        PsFile f(kal::DEV_PSCL, 0);
        std::string all = f.finish();
        EXPECT_NE(all.find("1.000000 scale\n0 0 3900 5516 0 0 0 e\n"), std::string::npos);
        expect_ghostscript_reads(all);
    }
    {
        PsFile f(kal::DEV_PS, 1, 2);
        EXPECT_NE(f.finish().find("1.000000 scale\n0 2757 3900 0 0 0 0 e\n"), std::string::npos);
    }
    {
        PsFile f(kal::DEV_EPS, 0);
        EXPECT_NE(f.finish().find("1.000000 scale\n0 0 3900 5516 0 0 0 e\n"), std::string::npos);
    }
    for (int mode : {0, 1, 2}) {  // POST never paints it
        PsFile f(kal::DEV_POST, mode);
        EXPECT_EQ(f.finish().find(" e\n"), std::string::npos);
    }
    {
        PsFile f(kal::DEV_PSCL, 2);  // background mode 2: none
        EXPECT_EQ(f.finish().find(" e\n"), std::string::npos);
    }
}

TEST(PostScriptHeader, HardwareOriginAgreesWithBoundingBox) {
    PsFile f(kal::DEV_PS, 2, 0, 2969, 2099, 1);
    // Re-open with an origin of 20 mm, 30 mm (tenths of a millimetre).
    f.ctx.page.hw_origin = true;
    f.ctx.page.hw_ox = 200;
    f.ctx.page.hw_oy = 300;
    std::fclose(f.ctx.out.file);
    f.ctx.out.file = std::tmpfile();
    kal::open_device(f.ctx);
    std::vector<std::string> l = lines_of(f.finish());
    int llx = 0, lly = 0, urx = 0, ury = 0;
    ASSERT_EQ(std::sscanf(l[1].c_str(), "%%%%BoundingBox: %d %d %d %d", &llx, &lly, &urx, &ury), 4);
    std::string place;
    for (const std::string& s : l)
        if (s.find("translate") != std::string::npos && s.find("scale") != std::string::npos) place = s;
    EXPECT_EQ(place, "  400 cm   600 cm translate 5 cm setlinewidth   1.000000  1.000000 scale");
    int tx = 0, ty = 0;
    ASSERT_EQ(std::sscanf(place.c_str(), "%d cm %d cm", &tx, &ty), 2);
    // Both describe the same origin in points: 20 mm = 56.69 pt, 30 mm = 85.04 pt.
    EXPECT_EQ(llx, static_cast<int>(tx * 0.1417322835));
    EXPECT_EQ(lly, static_cast<int>(ty * 0.1417322835));
    EXPECT_EQ(llx, 56);
    EXPECT_EQ(lly, 85);
    const double s = f.ctx.out.factor;  // FULL: the whole printable area
    EXPECT_EQ(urx, static_cast<int>((2099 * s + tx) * 0.1417322835 + 1.0));
    EXPECT_EQ(ury, static_cast<int>((2969 * s + ty) * 0.1417322835 + 1.0));
}

TEST(PostScriptPath, FiftyPointsMakeOnePathAndTheNextDrawGoesOn) {
    PsFile f(kal::DEV_PS);
    f.move(10, 20);
    for (int i = 1; i <= 49; ++i) f.draw(10 + i, 20 + 2 * i);
    f.draw(100.4, 200.6);  // continues from the 50th point (59, 118)
    std::string b = f.body();
    std::string expect = "10 20 u ";
    for (int i = 1; i <= 49; ++i) expect += std::to_string(10 + i) + " " + std::to_string(20 + 2 * i) + " d ";
    expect += "p 59 118 u 100 201 d p showpage ";
    EXPECT_EQ(joined(b), expect);
}

TEST(PostScriptPath, AMoveEndsThePendingPathAndRoundsHalfUp) {
    PsFile f(kal::DEV_PS);
    f.move(1, 1);
    f.move(5, 5);
    f.draw(7.5, -2.5);  // trunc(v + 0.5): 8 and -2
    f.move(30, 30);
    f.move(31, 31);
    EXPECT_EQ(f.body(), "1 1 u p 5 5 u 8 -2 d p 30 30 u p 31 31 u p showpage \n");
}

TEST(PostScriptPath, ColourChangeEndsThePathAndTheNextDrawRestarts) {
    PsFile f(kal::DEV_PS);
    f.ctx.colour.table[3] = 0x00FF0000;  // red entry
    f.move(100, 100);
    f.draw(200, 100);
    f.drv->colour(f.ctx, 0x010080FF);  // direct colour: R 255, G 128, B 0
    f.draw(200, 300);
    f.drv->colour(f.ctx, 3);
    EXPECT_EQ(f.body(), "100 100 u 200 100 d p 255 128 0 f 200 100 u 200 300 d p 255 0 0 f showpage \n");
}

TEST(PostScriptPath, DrawWithoutMoveStartsAtTheOrigin) {
    PsFile f(kal::DEV_PS);
    f.draw(40, 50);
    EXPECT_EQ(f.body(), "0 0 u 40 50 d p showpage \n");
}

TEST(PostScriptFill, RectangleTriangleAndPolygonBytes) {
    {
        PsFile f(kal::DEV_PS);  // turned: (y1 x1) (y2 x2) times s
        const double s = f.ctx.out.factor;
        f.move(0, 0);
        f.draw(10, 10);
        f.drv->fill_rect(f.ctx, 100, 200, 300, 400, 0x01030201);
        std::string b = f.body();
        char want[128];
        std::snprintf(want, sizeof want, "0 0 u 10 10 d p %d %d %d %d 1 2 3 e ", int(200 * s + 0.5),
                      int(100 * s + 0.5), int(400 * s + 0.5), int(300 * s + 0.5));
        EXPECT_EQ(b, std::string(want) + "showpage \n");
    }
    {
        PsFile f(kal::DEV_PS, 2, 2);  // upright: (x1, H-y2) (x2, H-y1)
        const double s = f.ctx.out.factor;
        f.drv->fill_rect(f.ctx, 100, 200, 300, 400, 0x01030201);
        char want[128];
        std::snprintf(want, sizeof want, "%d %d %d %d 1 2 3 e showpage \n", int(100 * s + 0.5),
                      int((2099 - 400) * s + 0.5), int(300 * s + 0.5), int((2099 - 200) * s + 0.5));
        EXPECT_EQ(f.body(), want);
    }
    {
        PsFile f(kal::DEV_PS, 2, 2);
        f.ctx.out.factor = 2.0;  // easy numbers
        const double x[3] = {10, 20, 30.2}, y[3] = {2099, 2089, 2079};
        f.drv->fill_triangle(f.ctx, x, y, 0x01000000);
        f.drv->fill_polygon(f.ctx, 3, x, y);
        EXPECT_EQ(f.body(), "0 0 0 f 20 0 40 20 60 40 tri 20 0 u 40 20 d 60 40 d 20 0 d eofill showpage \n");
    }
}

TEST(PostScriptFill, SectorAnglesTurnWithThePage) {
    PsFile turned(kal::DEV_PS);
    turned.ctx.out.factor = 2.0;
    turned.drv->fill_sector(turned.ctx, 100.25, 50, 10, 40.5, 0, 45.3, 0x01FFFFFF);
    EXPECT_EQ(turned.body(), "100 201 20 81 90.00 135.30 255 255 255 sec showpage \n");
    PsFile upright(kal::DEV_PS, 2, 2);
    upright.ctx.out.factor = 2.0;
    upright.drv->fill_sector(upright.ctx, 100.25, 2000, 10, 40.5, 0, 45.3, 0x01FFFFFF);
    EXPECT_EQ(upright.body(), "201 198 20 81 0.00 45.30 255 255 255 sec showpage \n");
}

TEST(PostScriptLines, WidthJoinCapAndMiterLimit) {
    PsFile f(kal::DEV_PS);
    f.ctx.line.join = 1;  // round: width changes alone
    f.drv->line_width(f.ctx, 10);
    f.drv->line_width(f.ctx, 1);  // 2·1·u < 5
    f.drv->pen_width(f.ctx, 3.0);
    f.drv->pen_width(f.ctx, 0.5);
    f.ctx.page.units = 2.54;
    f.drv->pen_width(f.ctx, 0.5);
    f.ctx.page.units = 1.0;
    f.drv->line_cap(f.ctx, 1);
    f.ctx.line.width = -4;
    f.drv->miter_limit(f.ctx, 2.0);  // max(5, 2·4)·2
    f.ctx.line.width = -1;
    f.drv->miter_limit(f.ctx, 1.0);  // 5 would give a limit below 1
    f.ctx.line.miter = 3.0;
    f.drv->line_join(f.ctx, 0);      // sharp: the limit follows, max(5, 2)·3
    f.ctx.line.join = 0;
    f.drv->line_width(f.ctx, 6);     // max(5, 12)·3
    EXPECT_EQ(joined(f.body()),
              "20 cm setlinewidth 5 cm setlinewidth 6.00 cm setlinewidth 2.50 cm setlinewidth "
              "2.54 cm setlinewidth 1 setlinecap 16 cm setmiterlimit 8 cm setmiterlimit "
              "0 setlinejoin 15 cm setmiterlimit 12 cm setlinewidth 36 cm setmiterlimit "
              "showpage ");
}

TEST(PostScriptPages, NewPageRepaintsTheBackgroundAndResendsTheColour) {
    PsFile f(kal::DEV_PSCL, 0);
    f.ctx.out.current_colour = 0x01FF0000;  // blue
    f.move(1, 1);
    f.draw(2, 2);
    f.ctx.page.page_counter = 1;
    f.drv->new_page(f.ctx);
    EXPECT_EQ(f.body(), "1 1 u 2 2 d p copypage \n%%Page: 1 2 \n0 0 3900 5516 0 0 0 e 0 0 255 f showpage \n");
    PsFile g(kal::DEV_PS, 2);
    g.ctx.page.page_counter = 2;
    g.drv->new_page(g.ctx);
    EXPECT_EQ(g.body(), "copypage \n%%Page: 1 3 \nerasepage 0 0 0 f showpage \n");
}

TEST(PostScriptPages, EpsIgnoresNewPage) {
    PsFile f(kal::DEV_EPS, 0);
    f.move(1, 1);
    f.draw(2, 2);
    f.ctx.page.page_counter = 1;
    f.drv->new_page(f.ctx);
    f.draw(3, 3);
    std::string b = f.body();
    EXPECT_EQ(b, "1 1 u 2 2 d 3 3 d p showpage \n");
}

TEST(PostScriptPages, WithoutAFileNothingIsWritten) {
    PsFile f(kal::DEV_PS);
    std::fclose(f.ctx.out.file);
    f.ctx.out.file = nullptr;
    kal::open_device(f.ctx);  // after "Open error": no stream
    f.move(1, 1);
    f.draw(5, 5);
    f.drv->colour(f.ctx, 7);
    f.drv->new_page(f.ctx);
    f.drv->fill_rect(f.ctx, 0, 0, 9, 9, 1);
    EXPECT_EQ(f.drv->close(f.ctx), 1);
}

TEST(PostScriptFile, GhostscriptReadsEveryPrimitive) {
    for (int device : {kal::DEV_POST, kal::DEV_PSCL, kal::DEV_EPS, kal::DEV_PS}) {
        PsFile f(device, 0);
        f.drv->line_join(f.ctx, 0);
        f.drv->miter_limit(f.ctx, 1.0);
        f.drv->line_width(f.ctx, 3);
        f.drv->colour(f.ctx, 0x010000FF);
        f.move(100, 100);
        for (int i = 0; i < 500; ++i) f.draw(100 + i * 3, 100 + (i % 7) * 20);
        f.drv->fill_rect(f.ctx, 500, 500, 900, 800, 0x0100FF00);
        const double x[4] = {1000, 1500, 1200, 1100}, y[4] = {1000, 1100, 1600, 1300};
        f.drv->fill_polygon(f.ctx, 4, x, y);
        f.drv->fill_triangle(f.ctx, x, y, 0x01FF0000);
        f.drv->fill_sector(f.ctx, 2000, 1000, 100, 300, 10, 120, 0x01808080);
        f.drv->pen_width(f.ctx, 0.3);
        f.drv->line_cap(f.ctx, 1);
        f.ctx.page.page_counter = 1;
        f.drv->new_page(f.ctx);
        f.move(0, 0);
        f.draw(2969, 2099);
        expect_ghostscript_reads(f.finish());
    }
}

TEST(RecordWords, PaddingDropsAndLinesBreakBetweenWords) {
    FILE* fp = std::tmpfile();
    kal::RecordBuffer rec;
    rec.write_words(fp, "    1     2 u ", 14);
    rec.write_words(fp, "  ", 2);  // two blanks: the last one stays
    rec.write_words(fp, " ", 1);
    rec.write_words(fp, "AB", 2);  // no blank: joins the next word
    rec.write_words(fp, "CD", 2);
    rec.write_words(fp, "", -1);
    std::string word = std::string(30, 'x') + " ";
    for (int i = 0; i < 3; ++i) rec.write_words(fp, word.c_str(), 31);  // 62 + 31 > 80
    rec.write_words(fp, "", -1);
    EXPECT_EQ(read_all(fp), "1 2 u   ABCD\n" + word + word + "\n" + word + "\n");
    std::fclose(fp);
}

TEST(RecordWords, HexDigitsFillEightyColumnLines) {
    FILE* fp = std::tmpfile();
    kal::RecordBuffer rec;
    for (int i = 0; i < 100; ++i) rec.write_words(fp, "A7", 2);
    rec.write_words(fp, "", -1);
    std::vector<std::string> l = lines_of(read_all(fp));
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0].size(), 80u);
    EXPECT_EQ(l[1].size(), 80u);
    EXPECT_EQ(l[2].size(), 40u);
    std::fclose(fp);
}

}  // namespace
