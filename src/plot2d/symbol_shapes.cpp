// Our own stroke data of the 24 plot symbols. Every shape spans the symbol
// size (two half-size units) in at least one direction and has its centroid
// on the symbol's point, so that triangles and stars sit centred on their
// data points rather than on their bounding boxes.
//
//  0 square          6 triangle down       12 square with plus      18 filled triangle
//  1 star            7 square with cross   13 circle with cross     19 filled diamond
//  2 triangle up     8 asterisk            14 square with diamond   20 filled triangle down
//  3 plus            9 diamond with plus   15 circle                21 filled star
//  4 cross          10 circle with plus    16 filled square         22 hexagon
//  5 diamond        11 hexagram            17 filled circle         23 filled hexagon
#include "plot2d/symbol_shapes.h"

#include <cmath>
#include <utility>

namespace kal {
namespace {

using Stroke = std::vector<SymbolPoint>;

constexpr double PI = 3.14159265358979;
constexpr int CIRCLE_POINTS = 48;
constexpr double DIAGONAL = 0.70710678;   // half-size units of a cross inside a circle

Stroke closed(Stroke s) {
    s.push_back(s.front());
    return s;
}

Stroke square() { return closed({{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}); }
Stroke diamond() { return closed({{0, -1}, {1, 0}, {0, 1}, {-1, 0}}); }
// Triangles of width and height 2 with the centroid on the point.
Stroke triangle_up() { return closed({{-1, -2.0 / 3}, {1, -2.0 / 3}, {0, 4.0 / 3}}); }
Stroke triangle_down() { return closed({{-1, 2.0 / 3}, {0, -4.0 / 3}, {1, 2.0 / 3}}); }

Stroke regular(int corners, double radius, double first_degrees) {
    Stroke s;
    for (int i = 0; i < corners; ++i) {
        const double t = (first_degrees + 360.0 * i / corners) * PI / 180;
        s.push_back({radius * std::cos(t), radius * std::sin(t)});
    }
    return closed(s);
}

Stroke circle() { return regular(CIRCLE_POINTS, 1, 0); }
Stroke hexagon() { return regular(6, 1, 0); }

// Five points on the unit circle, the first straight up.
Stroke star() {
    Stroke s;
    for (int i = 0; i < 10; ++i) {
        const double r = i % 2 ? 0.381966 : 1.0;
        const double t = (90 + 36.0 * i) * PI / 180;
        s.push_back({r * std::cos(t), r * std::sin(t)});
    }
    return closed(s);
}

std::vector<Stroke> plus(double r = 1) { return {{{-r, 0}, {r, 0}}, {{0, -r}, {0, r}}}; }
std::vector<Stroke> cross(double r = 1) { return {{{-r, -r}, {r, r}}, {{-r, r}, {r, -r}}}; }

SymbolShape drawing(std::vector<Stroke> strokes) { return {std::move(strokes), false}; }
SymbolShape drawing(Stroke outline, std::vector<Stroke> more) {
    more.insert(more.begin(), std::move(outline));
    return {std::move(more), false};
}
SymbolShape filled(Stroke outline) { return {{std::move(outline)}, true}; }

std::vector<SymbolShape> make_shapes() {
    std::vector<Stroke> asterisk = plus();
    for (Stroke& s : cross(DIAGONAL)) asterisk.push_back(s);
    return {
        drawing({square()}),                   // 0
        drawing({star()}),                     // 1
        drawing({triangle_up()}),              // 2
        drawing(plus()),                       // 3
        drawing(cross()),                      // 4
        drawing({diamond()}),                  // 5
        drawing({triangle_down()}),            // 6
        drawing(square(), cross()),            // 7
        drawing(asterisk),                     // 8
        drawing(diamond(), plus()),            // 9
        drawing(circle(), plus()),             // 10
        drawing({triangle_up(), triangle_down()}),   // 11
        drawing(square(), plus()),             // 12
        drawing(circle(), cross(DIAGONAL)),    // 13
        drawing({square(), diamond()}),        // 14
        drawing({circle()}),                   // 15
        filled(square()),                   // 16
        filled(circle()),                   // 17
        filled(triangle_up()),              // 18
        filled(diamond()),                  // 19
        filled(triangle_down()),            // 20
        filled(star()),                     // 21
        drawing({hexagon()}),                  // 22
        filled(hexagon()),                  // 23
    };
}

}  // namespace

const SymbolShape& symbol_shape(int nsym) {
    static const std::vector<SymbolShape> shapes = make_shapes();
    return shapes[nsym];
}

}  // namespace kal
