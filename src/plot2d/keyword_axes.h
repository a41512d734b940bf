// Axis keywords: the letters X, Y and Z among the first three characters
// name the axes a setting applies to ("XY", "z", "XYZ").
#pragma once

namespace kal {

struct Context;

// Bit 1 << AXIS_X, AXIS_Y, AXIS_Z for every axis the keyword names; 0 after
// warning 2 when it names none.
int axis_bits(Context& ctx, const char* keyword);

}  // namespace kal
