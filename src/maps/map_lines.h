// Lines and areas in map coordinates (degrees): while a MapLines lives, the
// line layer's points are (longitude, latitude) plus the plot origin offset,
// and its projection hook cuts them at the seams and horizons of the open
// map, inserts interpolated points, projects them and clips areas to the
// window (the axis rectangle or, on disc maps, its circle).
#pragma once
#include <vector>

#include "output/line_layer.h"

namespace kal {

struct Context;

// A map point to plot coordinates (origin offset not added); false where
// the point has no image (then the point is clamped far away).
bool map_to_plot(const Context& ctx, double lon, double lat, double& px, double& py);

class MapLines final : public LineProjection {
public:
    // interpolate: lines get points about every degree (mapmod INTE).
    MapLines(Context& ctx, bool interpolate);
    ~MapLines() override;
    MapLines(const MapLines&) = delete;
    MapLines& operator=(const MapLines&) = delete;

    void project(int n, const double* x, const double* y, bool closed, ProjectedPieces& out) override;

    // A polyline in degrees (pen up before it).
    void polyline(int n, const double* lon, const double* lat);
    // A filled area in degrees, in the current colour and pattern.
    void area(int n, const double* lon, const double* lat);
    // The lines and areas that follow are the map data (-180..180 degrees)
    // moved by `shift` degrees and reflected in latitude (`reflect` -1:
    // y -> -y - 180, 1: y -> -y + 180, 0: not), one copy of the repetition
    // on cylindrical maps: they are cut at shift +- 180 rather than at the
    // map's own seam.
    void data_copy(double shift, int reflect) {
        data_ = true;
        shift_ = shift;
        reflect_ = reflect;
    }

private:
    struct Pt {
        double lon, lat;
    };
    using Piece = std::vector<Pt>;
    bool seam_centre(double& c) const;
    // A latitude of the data from or to the copy's (the reflection is its
    // own inverse).
    double reflected(double lat) const { return reflect_ == 0 ? lat : reflect_ < 0 ? -lat - 180 : -lat + 180; }
    void cut_line(const Piece& in, std::vector<Piece>& out) const;
    void cut_area(const Piece& in, std::vector<Piece>& out) const;
    void emit(const Piece& p, bool closed, ProjectedPieces& out);

    Context& ctx_;
    bool interpolate_;
    bool data_ = false;
    double shift_ = 0;
    int reflect_ = 0;
    LineProjection* previous_;
    int window_[4];
    bool circle_;
    double cx_, cy_, r_;
    std::vector<double> px_, py_;
};

}  // namespace kal
