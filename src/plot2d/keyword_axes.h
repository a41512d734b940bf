// Axis keywords: the letters X, Y and Z among the first three characters
// name the axes a setting applies to ("XY", "z", "XYZ").
#pragma once

namespace kal {

struct Context;

// Fills on[AXIS_X..AXIS_Z]; false after warning 2 when no axis is named.
bool axis_keyword(Context& ctx, const char* key, bool on[3]);

}  // namespace kal
