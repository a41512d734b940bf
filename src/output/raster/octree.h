// Reduction of true-colour pixels to at most 256 colours for the formats
// that store palette indices (octree quantizer).
#pragma once
#include <cstdint>
#include <vector>

namespace kal {

class OctreeQuantizer {
public:
    static constexpr int MAX_COLOURS = 256;

    OctreeQuantizer();
    // Adds one pixel; merges the deepest nodes while there are more than
    // 256 leaves. Throws std::bad_alloc when memory runs out.
    void add(int r, int g, int b);
    // Numbers the leaves depth first (children 0..7) and writes their mean
    // colours to palette (red, green, blue for each of 256 entries; unused
    // entries are 0). Returns the number of colours.
    int make_palette(uint8_t palette[256][3]);
    // Palette index of a colour: the leaf reached by its bits; 0 when the
    // path leads nowhere.
    int lookup(int r, int g, int b) const;

private:
    struct Node {
        uint64_t count = 0, r = 0, g = 0, b = 0;
        int level = 0;
        bool leaf = false;
        int index = 0;
        int child[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
        int next = -1;  // next node of the same level's reducible list
    };

    static int child_slot(int r, int g, int b, int level) {
        const int bit = 7 - level;
        return (((r >> bit) & 1) << 2) | (((g >> bit) & 1) << 1) | ((b >> bit) & 1);
    }
    int new_node(int level);
    void free_node(int n);
    void reduce();
    void number(int n, int& next, uint8_t palette[256][3]);

    std::vector<Node> nodes_;
    std::vector<int> free_;
    int reducible_[9];
    int leaves_ = 0;
    // The leaf of the last pixel, reused while no reduction happened.
    int last_leaf_ = -1;
    int last_r_ = -1, last_g_ = -1, last_b_ = -1;
};

}  // namespace kal
