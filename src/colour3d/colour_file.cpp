// vltfil: saving the colour table as text and loading it back.
#include <cstdio>
#include <string>

#include "api/routines_colour_tables_and_colour_selection.h"
#include "colour3d/colour.h"
#include "core/context.h"
#include "core/files.h"

namespace kal {
namespace {

// 256 lines "%10.6f%10.6f%10.6f\n" of red, green, blue as c/255, entry 0
// first. The name follows the file mode of the output files. Returns false
// when the file cannot be created or written.
bool save_table(Context& ctx, const char* name) {
    std::string text;
    text.reserve(256 * 31);
    char line[96];
    for (int i = 0; i < 256; ++i) {
        const Rgb c = unpack_entry(ctx.colour.table[i]);
        const int len = std::snprintf(line, sizeof line, "%10.6f%10.6f%10.6f\n", c.r / 255.0,
                                      c.g / 255.0, c.b / 255.0);
        text.append(line, static_cast<size_t>(len));
    }
    std::string path;
    FILE* fp = create_file(ctx, name, "w", path);
    if (!fp) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), fp) == text.size();
    const bool closed = std::fclose(fp) == 0;
    if (!written || !closed) return false;
    ctx.colour.saved_vlt_file = path;
    return true;
}

// Reads 256 triples with "%f %f %f". Returns false when the file cannot be
// opened or ends (or holds something else) before the 256th triple.
bool read_triples(const char* name, float (*rgb)[3]) {
    FILE* fp = std::fopen(name, "r");
    if (!fp) return false;
    int i = 0;
    while (i < 256 && std::fscanf(fp, "%f %f %f", &rgb[i][0], &rgb[i][1], &rgb[i][2]) == 3) ++i;
    std::fclose(fp);
    return i == 256;
}

}  // namespace

void vltfil(Context& ctx, const char* name, const char* mode) {
    const int i = keyword(ctx, "SAVE+LOAD", mode);
    if (i == 1) {
        if (!save_table(ctx, name)) warn(ctx, 36);
    } else if (i == 2) {
        float rgb[256][3];
        if (!read_triples(name, rgb)) {
            warn(ctx, 36);
            return;
        }
        // Every entry through setind: a bad triple warns and keeps its entry.
        for (int k = 0; k < 256; ++k) setind(ctx, k, rgb[k][0], rgb[k][1], rgb[k][2]);
        std::snprintf(ctx.frame.routine, sizeof ctx.frame.routine, "%s", "vltfil");
    }
}

}  // namespace kal
