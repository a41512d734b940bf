// The pointer of the current screen window for the cursor routines, and
// the cursor settings.
#include "output/screen/cursor.h"

#include "core/call_lock.h"
#include "core/context.h"
#include "output/drivers/screen.h"
#include "output/line_layer.h"
#include "output/screen/presenter.h"

namespace kal {

const ResetKeys CursorState::reset_keys = {};

void CursorState::reset(Context& ctx) { ctx.cursor = CursorState{}; }

bool pointer_window(Context& ctx, PointerWindow& w) {
    auto* d = dynamic_cast<ScreenDriver*>(ctx.out.driver.get());
    Presenter* p = d ? d->presenter() : nullptr;
    int x = 0, y = 0, buttons = 0;
    if (!p || !p->interactive() || !d->handle(d->current()) || !p->pointer(d->handle(d->current()), false, x, y, buttons)) {
        custom_warning(ctx, 101, "No screen window with a pointer for the cursor");
        return false;
    }
    line_flush(ctx);
    d->update(ctx);
    w.presenter = p;
    w.handle = d->handle(d->current());
    p->cursor(w.handle, ctx.cursor.shape == CURSOR_CROSS ? KAL_CURSOR_CROSS : KAL_CURSOR_ARROW);  // csrtyp
    w.factor = ctx.out.factor > 0 ? ctx.out.factor : 1;
    return true;
}

int next_pointer_event(const PointerWindow& w, bool first, int& kind, int& x, int& y, int& button) {
    CallPause pause;
    for (;; first = false) {
        const int r = w.presenter->pointer_event(w.handle, 100, first, kind, x, y, button);
        if (r != 0) return r;
        if (wait_interrupted()) return 0;
    }
}

}  // namespace kal
