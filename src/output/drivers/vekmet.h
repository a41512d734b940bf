#pragma once
#include "output/driver.h"

namespace kal {

// The library's own metafile: page size in centimetres, then ten-character
// fields for points, pen codes and colours, eight to a line.
class VekmetDriver : public Driver {
public:
    void open(Context& ctx) override;
    void move_draw(Context& ctx, double x, double y, int pen) override;
    void colour(Context& ctx, int value) override;
    int close(Context& ctx) override;

private:
    void field(Context& ctx, double value);
    int last_pen_ = 0;
};

}  // namespace kal
