// A raster and the one n times larger that a smoothed picture is drawn in.
#pragma once

namespace kal {

class Raster;

// Each pixel of `out` becomes the mean of its n x n block of `large` (a
// true-colour raster at least n times as wide and high), rounded to the
// nearest; on a palette raster the nearest palette entry.
void box_reduce(const Raster& large, int n, Raster& out);
// Each n x n block of `large` takes the colour of its pixel of `small`, so
// that box_reduce gives `small` back unchanged.
void box_enlarge(const Raster& small, int n, Raster& large);

}  // namespace kal
