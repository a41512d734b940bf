// moment: mean, mean absolute deviation, variance, standard deviation,
// skewness and excess kurtosis of a sample.
#include <cmath>

#include "api/routines_utilities.h"
#include "core/context.h"
#include "core/frame.h"

namespace kal {

float moment(Context& ctx, const float* x, int n, const char* key) {
    const int what = keyword(ctx, "MEAN+AVER+VARI+STAN+THIR+FOUR", key);
    if (!what) return 0.0f;
    if (n < 2) {
        custom_warning(ctx, 101, "n must be greater than 1");
        return 0.0f;
    }
    double sum = 0.0;
    for (int i = 0; i < n; ++i) sum += x[i];
    const double mean = sum / n;
    if (what == 1) return static_cast<float>(mean);

    double absolute = 0.0, squares = 0.0;
    for (int i = 0; i < n; ++i) {
        absolute += std::fabs(x[i] - mean);
        squares += (x[i] - mean) * (x[i] - mean);
    }
    const double variance = squares / (n - 1);
    const double s = std::sqrt(variance);
    switch (what) {
        case 2: return static_cast<float>(absolute / n);
        case 3: return static_cast<float>(variance);
        case 4: return static_cast<float>(s);
        default: break;
    }
    if (s == 0.0) {
        custom_warning(ctx, 101, "Variance = 0. Value cannot be calculated");
        return 0.0f;
    }
    const int power = what == 5 ? 3 : 4;
    double sum_powers = 0.0;
    for (int i = 0; i < n; ++i) sum_powers += std::pow((x[i] - mean) / s, power);
    return static_cast<float>(what == 5 ? sum_powers / n : sum_powers / n - 3.0);
}

}  // namespace kal
