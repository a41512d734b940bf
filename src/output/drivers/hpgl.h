#pragma once
#include "output/driver.h"

namespace kal {

// HPGL pen plotter commands (devices HPGL 401 and HPA4..HPA1 402-405): pen
// up and pen down moves in plotter units of 1/40 mm, pens by colour-table
// index. Commands join in lines of at most 80 characters and are never
// split; filled areas arrive hatched.
class HpglDriver : public Driver {
public:
    void open(Context& ctx) override;
    int close(Context& ctx) override;
    void move_draw(Context& ctx, double x, double y, int pen) override;
    void colour(Context& ctx, int value) override;

private:
    void command(Context& ctx, const char* text, int length);
};

}  // namespace kal
