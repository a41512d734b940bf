// reset: restores the defaults of one routine's settings, or of all.
#include <cstring>
#include <tuple>
#include <type_traits>
#include <utility>

#include "api/routines_life_cycle.h"
#include "core/context.h"
#include "core/lifecycle.h"
#include "core/reset_keys.h"

namespace kal {
namespace {

// The names reset accepts: the routines whose settings it restores, by the
// first four letters of their names. This list is the routine's own
// interface and does not grow as parts are built: a name whose part is not
// built yet is accepted and restores nothing, a name outside it gets
// warning 2. The restores themselves are registered by the state parts
// (reset_keys next to each part's code); every registered key must be one
// of these names.
const char* const NAMES[] = {
    "AAMO",  // aamode, a routine of this library's own beyond that interface
    "ALL",  "ANGL", "AUTR", "AX3L", "AXCL", "AXEN", "AXIS", "AXSL", "AXSP", "BARD", "BARG",
    "BARP", "BART", "BARW", "BASA", "CENT", "CHAA", "CHAB", "CHAS", "CHAW", "CHNC", "CHNP",
    "CIRC", "CLPB", "CLPM", "CLPW", "CLRC", "COLM", "COLO", "COLR", "CONC", "CONG", "CONM",
    "DIGI", "EUSH", "EXPZ", "FILB", "FILC", "FIXS", "FLAB", "FRAM", "FRME", "GAPC", "GRAC",
    "HEIG", "HNAM", "HTIT", "IANG", "IMGC", "INTA", "LABC", "LABD", "LABE", "LABJ", "LABP",
    "LABT", "LEGC", "LFTT", "LINC", "LINS", "LOGT", "MAPM", "MAPP", "MAPR", "MAPS", "MDFM",
    "MIXA", "MIXL", "MPLA", "MPLC", "MPLS", "MYLA", "NAMD", "NAME", "NEGL", "NEWM", "NOAR",
    "NOBA", "NOBG", "NOCH", "NOCL", "NOFI", "NOGR", "NOHI", "NOLI", "NUMF", "NUMO", "ORIG",
    "PATC", "PIEE", "PIEL", "PIEV", "POLC", "PROJ", "RGTL", "RVYN", "SCAL", "SETB", "SETC",
    "SETE", "SETG", "SETM", "SETR", "SETS", "SHDC", "SHDP", "SHIE", "SHLS", "SMXA", "SPLM",
    "SURC", "SURS", "SURV", "SYMR", "THKC", "TICK", "TICL", "TICP", "TIMO", "TITL", "UNIT",
    "VIEW", "VKXB", "VKYB", "VKYT", "WIDB", "WIND", "WINM", "WINS", "ZSCA",
};
static_assert(sizeof(NAMES) / sizeof(NAMES[0]) == 131);

template <class... Part>
std::vector<ResetKey> collect_keys(std::type_identity<std::tuple<Part&...>>) {
    std::vector<ResetKey> keys;
    (keys.insert(keys.end(), Part::reset_keys.begin(), Part::reset_keys.end()), ...);
    return keys;
}

}  // namespace

bool reset_name_known(const char* key) {
    for (const char* n : NAMES)
        if (std::strcmp(n, key) == 0) return true;
    return false;
}

const std::vector<ResetKey>& registered_reset_keys() {
    static const std::vector<ResetKey> keys =
        collect_keys(std::type_identity<decltype(std::declval<Context&>().parts())>{});
    return keys;
}

void reset_all(Context& ctx) {
    std::apply([&](auto&... part) { (std::remove_reference_t<decltype(part)>::reset(ctx), ...); },
               ctx.parts());
}

void reset(Context& ctx, const char* name) {
    char key[5] = {};
    for (int i = 0; i < 4 && name[i]; ++i) {
        char c = name[i];
        key[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    if (!reset_name_known(key)) {
        warn_text(ctx, 2, name);
        return;
    }
    if (std::strcmp(key, "ALL") == 0) {
        reset_all(ctx);
        resend_device_lines(ctx);
        return;
    }
    for (const ResetKey& k : registered_reset_keys())
        if (std::strcmp(k.name, key) == 0) k.restore(ctx);
}

}  // namespace kal
