// The PostScript and EPS driver: header bytes, the 50-point path, colours,
// fills, line attributes, pages and the word-wrapping writer (Ghostscript
// reads every device's files, header procedures run: test_postscript.py).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "core/context.h"
#include "core/devices.h"
#include "output/driver.h"
#include "output/drivers/postscript.h"
#include "output/primitives.h"
#include "output/record.h"
#include "output/sink.h"
#include "read_back.h"

namespace {

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

// A PostScript file opened the way kalini opens it.
struct PsFile : Document {
    kal::PostScriptDriver* drv;

    explicit PsFile(int device, int background = 2, int rotation = 0)
        : Document(device, background, false, rotation),
          drv(dynamic_cast<kal::PostScriptDriver*>(ctx.out.driver.get())) {}
    // The body: what follows the placement line (and a header background).
    std::string body() {
        std::string all = finish();
        std::string rest = all.substr(all.find(" scale\n") + 7);
        // A header background is a line of its own without a trailing blank.
        const size_t nl = rest.find('\n');
        if (nl != std::string::npos && nl >= 2 && rest.compare(nl - 2, 2, " e") == 0)
            rest = rest.substr(nl + 1);
        return rest;
    }
    void move(double x, double y) { drv->move_draw(ctx, x, y, 3); }
    void draw(double x, double y) { drv->move_draw(ctx, x, y, 2); }
};

TEST(PostScriptHeader, DefaultPageIsTurnedAtTrueSizeLimit) {
    PsFile f(kal::DEV_PS);
    EXPECT_NEAR(f.ctx.out.factor, 1.858, 1e-3);
    EXPECT_EQ(f.ctx.out.colour_depth, 24);
    std::string all = f.finish();
    std::vector<std::string> l = lines_of(all);
    ASSERT_GT(l.size(), 80u);
    EXPECT_EQ(l[0], "%!PS-Adobe-2.0");
    EXPECT_EQ(l[8], "/u  { /y exch cm def /x exch cm def newpath  x y moveto } def");
    // The German code vector: opening line, 17 lines of three pairs, four of two.
    size_t open = 0;
    while (open < l.size() && l[open].rfind(" /GermanVec [", 0) != 0) ++open;
    ASSERT_LT(open + 22, l.size());
    EXPECT_EQ(l[open - 1], "    definefont pop end } def");
    EXPECT_EQ(l[open], " /GermanVec [ 8#177 /Adieresis");
    EXPECT_EQ(l[open + 21], " 8#271 /exclamdown 8#272 /questiondown ] def");
    EXPECT_EQ(l[open + 22], "  150 cm   200 cm translate 5 cm setlinewidth   1.000000  1.000000 scale");
    // PS with background mode 2: no page rectangle; the finish is showpage.
    EXPECT_EQ(l[open + 23], "showpage ");
    EXPECT_EQ(l.size(), open + 24);
}

TEST(PostScriptPath, FiftyPointsMakeOnePathAndTheNextDrawGoesOn) {
    PsFile f(kal::DEV_PS);
    f.move(10, 20);
    for (int i = 1; i <= 49; ++i) f.draw(10 + i, 20 + 2 * i);
    f.draw(100.4, 200.6);  // continues from the 50th point (59, 118)
    std::string expect = "10 20 u ";
    for (int i = 1; i <= 49; ++i) expect += std::to_string(10 + i) + " " + std::to_string(20 + 2 * i) + " d ";
    expect += "p 59 118 u 100 201 d p showpage ";
    EXPECT_EQ(joined(f.body()), expect);
}

TEST(PostScriptPath, MovesColoursAndPagesEndThePath) {
    struct Case {
        const char* what;
        int device, background;
        std::function<void(PsFile&)> steps;
        const char* body;
    };
    const Case cases[] = {
        {"a move ends the path; rounding is trunc(v + 0.5)", kal::DEV_PS, 2,
         [](PsFile& f) { f.move(1, 1); f.move(5, 5); f.draw(7.5, -2.5); f.move(30, 30); f.move(31, 31); },
         "1 1 u p 5 5 u 8 -2 d p 30 30 u p 31 31 u p showpage \n"},
        {"a colour change ends the path; the next draw restarts", kal::DEV_PS, 2,
         [](PsFile& f) {
             f.ctx.colour.table[3] = 0x00FF0000;  // red entry
             f.move(100, 100);
             f.draw(200, 100);
             f.drv->colour(f.ctx, 0x010080FF);  // direct colour: R 255, G 128, B 0
             f.draw(200, 300);
             f.drv->colour(f.ctx, 3);
         },
         "100 100 u 200 100 d p 255 128 0 f 200 100 u 200 300 d p 255 0 0 f showpage \n"},
        {"a draw without a move starts at the origin", kal::DEV_PS, 2, [](PsFile& f) { f.draw(40, 50); },
         "0 0 u 40 50 d p showpage \n"},
        {"a new page repaints the background and resends the colour", kal::DEV_PSCL, 0,
         [](PsFile& f) {
             f.ctx.out.current_colour = 0x01FF0000;  // blue
             f.move(1, 1);
             f.draw(2, 2);
             f.ctx.page.page_counter = 1;
             f.drv->new_page(f.ctx);
         },
         "1 1 u 2 2 d p copypage \n%%Page: 1 2 \n0 0 3900 5516 0 0 0 e 0 0 255 f showpage \n"},
    };
    for (const Case& c : cases) {
        PsFile f(c.device, c.background);
        c.steps(f);
        EXPECT_EQ(f.body(), c.body) << c.what;
    }
}

TEST(PostScriptFill, RectangleTriangleAndPolygonBytes) {
    PsFile r(kal::DEV_PS);  // turned: (y1 x1) (y2 x2)
    r.ctx.out.factor = 2.0;
    r.drv->fill_rect(r.ctx, 100, 200, 300, 400, 0x01030201);
    EXPECT_EQ(r.body(), "400 200 800 600 1 2 3 e showpage \n");
    PsFile f(kal::DEV_PS, 2, 2);
    f.ctx.out.factor = 2.0;  // easy numbers
    const double x[3] = {10, 20, 30.2}, y[3] = {2099, 2089, 2079};
    f.drv->fill_triangle(f.ctx, x, y, 0x01000000);
    f.drv->fill_polygon(f.ctx, 3, x, y);
    EXPECT_EQ(f.body(), "0 0 0 f 20 0 40 20 60 40 tri 20 0 u 40 20 d 60 40 d 20 0 d eofill showpage \n");
}

TEST(RecordWords, PaddingDropsAndLinesBreakBetweenWords) {
    kal::MemoryBlock block;
    block.allocate(256, 256);
    kal::OutputSink fp(&block);
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
    for (int i = 0; i < 100; ++i) rec.write_words(fp, "A7", 2);  // hex digits fill the lines
    rec.write_words(fp, "", -1);
    std::string hex;
    for (int i = 0; i < 40; ++i) hex += "A7";
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.data()), block.size()), "1 2 u   ABCD\n" + word + word + "\n" + word + "\n" + hex + "\n" + hex + "\n" +
                                hex.substr(0, 40) + "\n");
}

}  // namespace
