// The command vocabulary of the formula typesetter: Greek letters, symbols
// and relations, function names, sizes and colour names.
#pragma once
#include <string>

namespace kal {

struct Context;

// How a symbol is spaced from its neighbours: not at all, as a binary
// operator (medium spaces) or as a relation (thick spaces).
enum : int { FORMULA_ORDINARY = 0, FORMULA_BINARY, FORMULA_RELATION };

// A symbol command: a character of an alphabet slot, or a drawn shape.
struct FormulaSymbol {
    int code = 0;       // character code; 0 for a drawn shape
    int alphabet = 0;   // alphabet slot 1..6
    const char* shape = nullptr;  // strokes of a drawn shape (see formula.cpp)
    int kind = FORMULA_ORDINARY;  // spacing class
};

// The symbol of `name` (Greek letters included); false for none.
bool formula_symbol(const std::string& name, FormulaSymbol& out);
// True for a function name set upright (sin, log, ...).
bool formula_function(const std::string& name);
// Factor of a size command (tiny .. Huge) against the starting height; 0 for none.
double formula_size(const std::string& name);
// Style command (displaystyle .. scriptscriptstyle, D, T, S, SS): 0..3; -1 for none.
int formula_style(const std::string& name);
// Colour value of a colour command; false for none.
bool formula_colour(const Context& ctx, const std::string& name, int& value);

}  // namespace kal
