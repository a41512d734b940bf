// State parts: each member struct of the context record brings its own
// defaults (member initialisers), its reset (what kalini and reset "ALL"
// restore) and its reset keys (what reset "NAME" restores), declared next to
// the code that owns it:
//
//     struct LineState {
//         ...
//         static void reset(Context& ctx);
//         static const ResetKeys reset_keys;
//     };
//
// The record lists its parts once (Context::parts); reset and the snapshot
// that kalini restores after a fatal condition go through that list.
#pragma once
#include <span>

namespace kal {

struct Context;

struct ResetKey {
    const char* name;               // the first four letters of a routine's name
    void (*restore)(Context& ctx);  // brings that routine's settings back
};
using ResetKeys = std::span<const ResetKey>;

// A part's value kept for the fatal-condition snapshot. Value parts are
// copied whole; a part that holds resources specialises this.
template <class Part>
struct Saved {
    explicit Saved(const Part& part) : value(part) {}
    void restore(Part& part) const { part = value; }
    Part value;
};

}  // namespace kal
