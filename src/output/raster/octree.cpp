#include "output/raster/octree.h"

namespace kal {

OctreeQuantizer::OctreeQuantizer() {
    for (int& head : reducible_) head = -1;
    nodes_.reserve(1024);
    new_node(0);  // the root, node 0
}

int OctreeQuantizer::new_node(int level) {
    int n;
    if (!free_.empty()) {
        n = free_.back();
        free_.pop_back();
        nodes_[n] = Node();
    } else {
        n = static_cast<int>(nodes_.size());
        nodes_.emplace_back();
    }
    Node& node = nodes_[n];
    node.level = level;
    if (level == 8) {
        node.leaf = true;
        ++leaves_;
    } else {
        node.next = reducible_[level];
        reducible_[level] = n;
    }
    return n;
}

void OctreeQuantizer::free_node(int n) {
    free_.push_back(n);
}

void OctreeQuantizer::add(int r, int g, int b) {
    int n = 0;
    if (r == last_r_ && g == last_g_ && b == last_b_ && last_leaf_ >= 0) {
        n = last_leaf_;
    } else {
        while (!nodes_[n].leaf) {
            const int level = nodes_[n].level;
            const int slot = child_slot(r, g, b, level);
            int c = nodes_[n].child[slot];
            if (c < 0) {
                c = new_node(level + 1);  // may move nodes_
                nodes_[n].child[slot] = c;
            }
            n = c;
        }
    }
    Node& leaf = nodes_[n];
    ++leaf.count;
    leaf.r += static_cast<uint64_t>(r);
    leaf.g += static_cast<uint64_t>(g);
    leaf.b += static_cast<uint64_t>(b);
    last_leaf_ = n;
    last_r_ = r;
    last_g_ = g;
    last_b_ = b;
    while (leaves_ > MAX_COLOURS) reduce();
}

// Merges the first reducible node of the deepest level that has one into a
// leaf holding the counts and sums of its children (all of them leaves).
void OctreeQuantizer::reduce() {
    int level = 7;
    while (level > 0 && reducible_[level] < 0) --level;
    const int n = reducible_[level];
    if (n < 0) {
        leaves_ = 0;  // unreachable: an empty tree has no leaves to merge
        return;
    }
    reducible_[level] = nodes_[n].next;
    Node& node = nodes_[n];
    for (int& c : node.child) {
        if (c < 0) continue;
        const Node& child = nodes_[c];
        node.count += child.count;
        node.r += child.r;
        node.g += child.g;
        node.b += child.b;
        free_node(c);
        --leaves_;
        c = -1;
    }
    node.leaf = true;
    node.next = -1;
    ++leaves_;
    last_leaf_ = -1;
}

void OctreeQuantizer::number(int n, int& next, uint8_t palette[256][3]) {
    Node& node = nodes_[n];
    if (node.leaf) {
        node.index = next;
        if (next < 256 && node.count > 0) {
            palette[next][0] = static_cast<uint8_t>(node.r / node.count);
            palette[next][1] = static_cast<uint8_t>(node.g / node.count);
            palette[next][2] = static_cast<uint8_t>(node.b / node.count);
        }
        ++next;
        return;
    }
    for (int c : node.child)
        if (c >= 0) number(c, next, palette);
}

int OctreeQuantizer::make_palette(uint8_t palette[256][3]) {
    for (int i = 0; i < 256; ++i) palette[i][0] = palette[i][1] = palette[i][2] = 0;
    int next = 0;
    number(0, next, palette);
    return next;
}

int OctreeQuantizer::lookup(int r, int g, int b) const {
    int n = 0;
    while (!nodes_[n].leaf && nodes_[n].level < 8) {
        const int c = nodes_[n].child[child_slot(r, g, b, nodes_[n].level)];
        if (c < 0) return 0;
        n = c;
    }
    return nodes_[n].index;
}

}  // namespace kal
