// National characters and the chacod code tables.
#include "text/national.h"

#include <cstring>
#include <strings.h>

#include "core/context.h"
#include "core/frame.h"
#include "output/font_metrics.h"
#include "text/text_state.h"

namespace kal {
namespace {

struct ShiftKey {
    const char* name;
    const char* letters;
    int codes[12];  // program codes of the letters
};

const ShiftKey KEYS[TextState::NATIONAL_KEYS] = {
    {"GERM", "AOUaous", {127, 128, 129, 130, 131, 132, 133}},
    {"DANI", "AOEaoe", {134, 135, 136, 137, 138, 139}},
    {"SPAN", "Nn!?", {140, 141, 185, 186}},
    {"FREN", "CcEIei", {142, 143, 144, 145, 146, 147}},
    {"ACUT", "AEIOUaeiou", {148, 149, 150, 151, 152, 153, 154, 155, 156, 157}},
    {"GRAV", "AEIOUaeiou", {158, 159, 160, 161, 162, 163, 164, 165, 166, 167}},
    {"CIRC", "AEIOUaeiou", {168, 169, 170, 171, 172, 173, 174, 175, 176, 177}},
    {"TURK", "CcGgIiOoSsUu", {142, 143, 241, 243, 242, 244, 128, 131, 196, 206, 129, 132}},
};

struct CodePair {
    unsigned char iso;
    unsigned char program;
};

// The ISO 8859-2 and 8859-3 codes of the letters the fonts hold.
const CodePair ISO2[] = {
    {170, 196}, {186, 206}, {193, 148}, {194, 168}, {196, 127}, {199, 142}, {201, 149}, {203, 144},
    {205, 150}, {206, 170}, {211, 151}, {212, 171}, {214, 128}, {218, 152}, {220, 129}, {221, 182},
    {223, 133}, {225, 153}, {226, 173}, {228, 130}, {231, 143}, {233, 154}, {235, 146}, {237, 155},
    {238, 175}, {243, 156}, {244, 176}, {246, 131}, {250, 157}, {252, 132}, {253, 183}};
const CodePair ISO3[] = {
    {169, 242}, {170, 196}, {171, 241}, {185, 244}, {186, 206}, {187, 243}, {192, 158}, {193, 148},
    {194, 168}, {196, 127}, {199, 142}, {200, 159}, {201, 149}, {202, 169}, {203, 144}, {204, 160},
    {205, 150}, {206, 170}, {207, 145}, {209, 140}, {210, 161}, {211, 151}, {212, 171}, {214, 128},
    {217, 162}, {218, 152}, {219, 172}, {220, 129}, {223, 133}, {224, 163}, {225, 153}, {226, 173},
    {228, 130}, {231, 143}, {232, 164}, {233, 154}, {234, 174}, {235, 146}, {236, 165}, {237, 155},
    {238, 175}, {239, 147}, {241, 141}, {242, 166}, {243, 156}, {244, 176}, {246, 131}, {249, 167},
    {250, 157}, {251, 177}, {252, 132}};

template <size_t N>
int lookup(const CodePair (&pairs)[N], int code, bool by_iso) {
    for (const CodePair& p : pairs)
        if ((by_iso ? p.iso : p.program) == code) return by_iso ? p.program : p.iso;
    return ' ';
}

// The code of a program code in the text's code table.
int table_code(int table, int program) {
    switch (table) {
        case CODES_ISO1:
            return national_latin1(program) ? national_latin1(program) : ' ';
        case CODES_ISO2: return lookup(ISO2, program, false);
        case CODES_ISO3: return lookup(ISO3, program, false);
        default: return program;
    }
}

}  // namespace

int program_code(int table, int code) {
    if (table == CODES_STAN || code < 127) return code;
    switch (table) {
        case CODES_ISO1:
            for (int p = FIRST_NATIONAL; p <= LAST_NATIONAL; ++p)
                if (national_latin1(p) == code) return p;
            return ' ';
        case CODES_ISO2: return lookup(ISO2, code, true);
        case CODES_ISO3: return lookup(ISO3, code, true);
        default: return ' ';
    }
}

int national_key(const char* key) {
    for (int i = 0; i < TextState::NATIONAL_KEYS; ++i)
        if (strncasecmp(key, KEYS[i].name, 4) == 0) return i;
    return -1;
}

std::string replace_national(Context& ctx, const std::string& text) {
    const TextState& t = ctx.text;
    bool any = false;
    for (char c : t.national) any = any || c != 0;
    if (!any) return text;
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        int key = -1;
        for (int k = 0; k < TextState::NATIONAL_KEYS; ++k)
            if (t.national[k] != 0 && t.national[k] == c) key = k;
        if (key < 0 || i + 1 >= text.size()) {
            if (key >= 0) warn_text(ctx, 18, text.c_str());
            out += c;
            continue;
        }
        const char next = text[i + 1];
        if (next == c) {
            out += c;
            ++i;
            continue;
        }
        const char* hit = next != 0 ? std::strchr(KEYS[key].letters, next) : nullptr;
        if (!hit) {
            warn_text(ctx, 18, text.c_str());
            out += c;
            continue;
        }
        out += static_cast<char>(table_code(t.code_table, KEYS[key].codes[hit - KEYS[key].letters]));
        ++i;
    }
    return out;
}

}  // namespace kal
