// National characters: the eushft shifts that write them into a text, and
// the chacod code tables (ISO 8859-1, -2, -3) that map text codes onto the
// program's own codes (127 to 186, and the Turkish letters 196, 206, 241
// to 244 of the 231-character alphabets).
#pragma once
#include <string>

namespace kal {

struct Context;
struct TextState;

// Program code of a text code under the code table `table` (CODES_...):
// codes below 127 stay, codes of the table without a glyph become a blank.
int program_code(int table, int code);

// Replaces every eushft shift sequence of `text` by its code in the
// current code table; warning 18 for a shift followed by a foreign letter
// (the shift character is kept).
std::string replace_national(Context& ctx, const std::string& text);

// Index 0..7 of an eushft key ("GERM" ... "TURK"), or -1.
int national_key(const char* key);

}  // namespace kal
