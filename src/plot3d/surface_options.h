// The hidden-line settings of the surface routines and the horizon that
// shlsur keeps as a filter for later 3-D lines.
#pragma once

namespace kal {

struct SurfaceOptions {
};

}  // namespace kal
