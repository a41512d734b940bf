// Fuzz target of the GSHHS map reader: any bytes as a file, every piece
// delivered looked at.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "maps/map_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::FILE* f = std::tmpfile();
    if (!f) return 0;
    if (size) std::fwrite(data, 1, size, f);
    std::rewind(f);
    double sum = 0;
    auto take = [&sum](const kal::MapPolyline& p) {
        for (size_t i = 0; i < p.lon.size(); ++i) sum += p.lon[i] + p.lat[i];
    };
    const int level = size ? data[0] % 3 : 0;
    (void)level;
    kal::read_gshhs(f, level, take);
    std::fclose(f);
    volatile double keep = sum;
    (void)keep;
    return 0;
}
