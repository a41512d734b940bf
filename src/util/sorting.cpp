// sortr1, sortr2: Shell sort in place, ascending or descending.
#include "api/routines_utilities.h"
#include "core/context.h"

namespace kal {
namespace {

// 1 ascending, -1 descending, 0 after warning 2.
int sort_order(Context& ctx, const char* order) {
    if (order[0] == 'A' || order[0] == 'a') return 1;
    if (order[0] == 'D' || order[0] == 'd') return -1;
    warn_text(ctx, 2, order);
    return 0;
}

template <typename Swap>
void shell_sort(float* key, int n, int direction, Swap swap_extra) {
    for (int gap = n / 2; gap >= 1; gap /= 2) {
        for (int i = gap; i < n; ++i) {
            for (int j = i - gap; j >= 0; j -= gap) {
                const bool out_of_order =
                    direction > 0 ? key[j] > key[j + gap] : key[j] < key[j + gap];
                if (!out_of_order) break;
                std::swap(key[j], key[j + gap]);
                swap_extra(j, j + gap);
            }
        }
    }
}

}  // namespace

void sortr1(Context& ctx, float* x, int n, const char* order) {
    const int dir = sort_order(ctx, order);
    if (!dir || n < 2) return;
    shell_sort(x, n, dir, [](int, int) {});
}

void sortr2(Context& ctx, float* x, float* y, int n, const char* order) {
    const int dir = sort_order(ctx, order);
    if (!dir || n < 2) return;
    shell_sort(x, n, dir, [y](int a, int b) { std::swap(y[a], y[b]); });
}

}  // namespace kal
