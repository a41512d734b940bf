#pragma once
#include <cstdint>

#include "output/driver.h"
#include "output/drivers/path_points.h"

namespace kal {

// Binary Computer Graphics Metafile (device CGM 211): 16-bit integer VDCs
// of 0.05 mm at true size, direct 8-bit colours, polylines and line
// colours only (fills arrive hatched, text as strokes). All bytes go
// through the record buffer in fixed 80-byte records; the last one is
// padded with blanks.
class CgmDriver : public Driver {
public:
    void open(Context& ctx) override;
    void new_page(Context& ctx) override;
    int close(Context& ctx) override;
    void move_draw(Context& ctx, double x, double y, int pen) override;
    void colour(Context& ctx, int value) override;

    static constexpr int PATH_CAPACITY = 50;

private:
    // One element: header word (the long form whenever `long_form` is set or
    // the parameters need it), the parameters, a pad byte after an odd length.
    void element(Context& ctx, int cls, int id, const uint8_t* params, int length, bool long_form);
    // An element whose only parameter is a string.
    void string_element(Context& ctx, int cls, int id, const char* text, int length);
    void begin_picture(Context& ctx);
    void write_path(Context& ctx);
    void point(Context& ctx, double x, double y);

    int picture_ = 1;
    PathPoints<int16_t, PATH_CAPACITY> path_;
};

}  // namespace kal
