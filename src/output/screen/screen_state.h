// The screen windows' part of the context record: what outlives one plot
// (a title given before kalini, windows left open by winmod "NONE") and the
// right click that sendmb sends from another thread.
#pragma once
#include <atomic>
#include <string>
#include <vector>

#include "core/state_part.h"

namespace kal {

class Presenter;

struct ScreenState {
    ScreenState() = default;
    ~ScreenState();
    ScreenState(const ScreenState&) = delete;
    ScreenState& operator=(const ScreenState&) = delete;

    bool next_title_set = false;     // wintit at level 0: the next main window's title
    std::string next_title;
    int x11_mode = 0;                // x11mod: STOR, NOST, AUTO, PIXM (stored only)
    // sendmb: the pending (or next) wait ends as if the right button was
    // pressed.
    std::atomic<bool> mouse_sent{false};
    // Windows of a plot that ended with winmod "NONE", open until the next
    // kalini or the end of the record.
    Presenter* lingering_presenter = nullptr;
    std::vector<int> lingering;

    void close_lingering();

    // kalini closes the windows a plot left open.
    static void reset(Context& ctx);
    static const ResetKeys reset_keys;
};

// Nothing of it goes back after a failed kalini.
template <>
struct Saved<ScreenState> {
    explicit Saved(const ScreenState&) {}
    void restore(ScreenState&) const {}
};

}  // namespace kal
