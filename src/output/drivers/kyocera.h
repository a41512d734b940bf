#pragma once
#include "output/driver.h"

namespace kal {

// Command file of Kyocera laser printers (device KYOC 301): page set-up,
// lines as absolute moves and draws in dots of 1/300 inch from the upper
// left corner of the page, rectangles as pattern-filled blocks. Commands
// join in lines of at most 80 characters and are never split.
class KyoceraDriver : public Driver {
public:
    void open(Context& ctx) override;
    void new_page(Context& ctx) override;
    int close(Context& ctx) override;
    void move_draw(Context& ctx, double x, double y, int pen) override;
    bool fill_rect(Context& ctx, double x1, double y1, double x2, double y2, int value) override;

    // The 8 x 8 fill patterns 1..9 (one byte a row, the high bit leftmost).
    static const unsigned char PATTERNS[9][8];

private:
    void command(Context& ctx, const char* text, int length);
};

}  // namespace kal
