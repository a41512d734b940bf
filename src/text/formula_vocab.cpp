// The command vocabulary of the formula typesetter.
#include "text/formula_vocab.h"

#include <cstring>

#include "colour3d/colour.h"
#include "core/context.h"
#include "text/text_state.h"

namespace kal {
namespace {

// Greek letters in the order of the GREEK alphabet's key.
const char* const GREEK_NAMES[] = {
    "alpha", "beta", "gamma", "delta", "epsilon", "zeta", "eta", "theta", "iota", "kappa", "lambda",
    "mu", "nu", "xi", "pi", "rho", "sigma", "tau", "upsilon", "phi", "chi", "psi", "omega",
    "Gamma", "Delta", "Theta", "Lambda", "Xi", "Pi", "Sigma", "Upsilon", "Phi", "Psi", "Omega"};
const char GREEK_KEY[] = "abcdezhqiklmnxprstyfguwCDQLXPSYFUW";

struct Entry {
    const char* name;
    char code;         // 0: drawn shape
    int alphabet;
    const char* shape;
    int kind;          // FORMULA_ORDINARY, _BINARY or _RELATION
};

// Shapes are strokes in units of the math axis box: "x,y x,y;x,y ..." with
// x from 0 to the width (first number) and y from -1 to 1 around the axis;
// "o" is a circle, "O" a circle with the strokes that follow inside it.
const Entry SYMBOLS[] = {
    {"pm", '!', ALPHA_MATH, nullptr, FORMULA_BINARY}, {"mp", '"', ALPHA_MATH, nullptr, FORMULA_BINARY},
    {"times", '#', ALPHA_MATH, nullptr, FORMULA_BINARY}, {"div", 'x', ALPHA_MATH, nullptr, FORMULA_BINARY},
    {"cdot", '$', ALPHA_MATH, nullptr, FORMULA_BINARY}, {"ast", 'a', ALPHA_MATH, nullptr, FORMULA_BINARY},
    {"star", '*', ALPHA_STANDARD, nullptr, FORMULA_BINARY}, {"cap", 'g', ALPHA_MATH, nullptr, FORMULA_BINARY},
    {"cup", 'e', ALPHA_MATH, nullptr, FORMULA_BINARY},
    {"vee", 0, 0, "1|0,0.8 0.5,-0.8 1,0.8", FORMULA_BINARY}, {"wedge", 0, 0, "1|0,-0.8 0.5,0.8 1,-0.8", FORMULA_BINARY},
    {"setminus", 0, 0, "0.8|0,1 0.8,-1", FORMULA_BINARY},
    {"odot", 0, 0, "1|o;0.45,0 0.55,0", FORMULA_BINARY}, {"oplus", 0, 0, "1|o;0.5,-0.8 0.5,0.8;0.1,0 0.9,0", FORMULA_BINARY},
    {"ominus", 0, 0, "1|o;0.1,0 0.9,0", FORMULA_BINARY},
    {"le", '&', ALPHA_MATH, nullptr, FORMULA_RELATION}, {"leq", '&', ALPHA_MATH, nullptr, FORMULA_RELATION},
    {"ge", '\'', ALPHA_MATH, nullptr, FORMULA_RELATION}, {"geq", '\'', ALPHA_MATH, nullptr, FORMULA_RELATION},
    {"subset", 'd', ALPHA_MATH, nullptr, FORMULA_RELATION}, {"supset", 'f', ALPHA_MATH, nullptr, FORMULA_RELATION},
    {"subseteq", 0, 0, "1|1,1 0.4,1 0,0.6 0,0.1 0.4,-0.3 1,-0.3;0,-0.9 1,-0.9", FORMULA_RELATION},
    {"supseteq", 0, 0, "1|0,1 0.6,1 1,0.6 1,0.1 0.6,-0.3 0,-0.3;0,-0.9 1,-0.9", FORMULA_RELATION},
    {"in", 'h', ALPHA_MATH, nullptr, FORMULA_RELATION},
    {"ni", 0, 0, "1|0,0.8 0.6,0.8 1,0.4 1,-0.4 0.6,-0.8 0,-0.8;0,0 1,0", FORMULA_RELATION},
    {"notin", 0, 0, "1|1,0.8 0.4,0.8 0,0.4 0,-0.4 0.4,-0.8 1,-0.8;0,0 1,0;0.8,1.1 0.2,-1.1", FORMULA_RELATION},
    {"neq", '?', ALPHA_MATH, nullptr, FORMULA_RELATION}, {"not=", '?', ALPHA_MATH, nullptr, FORMULA_RELATION},
    {"cong", 0, 0, "1|0,0.55 0.25,0.8 0.75,0.4 1,0.65;0,0 1,0;0,-0.5 1,-0.5", FORMULA_RELATION},
    {"equiv", '@', ALPHA_MATH, nullptr, FORMULA_RELATION}, {"parallel", 'y', ALPHA_MATH, nullptr, FORMULA_RELATION},
    {"sim", 0, 0,
     "2|0,-0.07 0.17,0.09 0.33,0.23 0.5,0.3 0.67,0.27 0.83,0.16 1,0 1.17,-0.16 1.33,-0.27 1.5,-0.3 1.67,-0.23 1.83,-0.09 2,0.07",
     FORMULA_RELATION},
    {"mid", 0, 0, "0.2|0.1,1.2 0.1,-1.2", FORMULA_RELATION},
    {"leftarrow", 'k', ALPHA_MATH, nullptr, FORMULA_RELATION}, {"rightarrow", 'i', ALPHA_MATH, nullptr, FORMULA_RELATION},
    {"to", 'i', ALPHA_MATH, nullptr, FORMULA_RELATION}, {"uparrow", 'j', ALPHA_MATH, nullptr, FORMULA_RELATION},
    {"downarrow", 'l', ALPHA_MATH, nullptr, FORMULA_RELATION},
    {"Leftarrow", 0, 0, "1.6|1.6,0.3 0.3,0.3;1.6,-0.3 0.3,-0.3;0.5,0.8 0,0 0.5,-0.8", FORMULA_RELATION},
    {"Rightarrow", 0, 0, "1.6|0,0.3 1.3,0.3;0,-0.3 1.3,-0.3;1.1,0.8 1.6,0 1.1,-0.8", FORMULA_RELATION},
    {"Leftrightarrow", 0, 0,
     "2|0.3,0.3 1.7,0.3;0.3,-0.3 1.7,-0.3;0.5,0.8 0,0 0.5,-0.8;1.5,0.8 2,0 1.5,-0.8", FORMULA_RELATION},
    {"emptyset", 0, 0, "1|o;0.9,1.1 0.1,-1.1", FORMULA_ORDINARY}, {"nabla", 'n', ALPHA_MATH, nullptr, FORMULA_ORDINARY},
    {"surd", 'b', ALPHA_MATH, nullptr, FORMULA_ORDINARY}, {"partial", 'm', ALPHA_MATH, nullptr, FORMULA_ORDINARY},
    {"forall", 0, 0, "1|0,1.2 0.5,-1 1,1.2;0.2,0.3 0.8,0.3", FORMULA_ORDINARY},
    {"exists", 'v', ALPHA_MATH, nullptr, FORMULA_ORDINARY}, {"backslash", '\\', ALPHA_STANDARD, nullptr, FORMULA_ORDINARY},
    {"infty", '_', ALPHA_MATH, nullptr, FORMULA_ORDINARY}, {"perp", 'z', ALPHA_MATH, nullptr, FORMULA_ORDINARY},
};

const char* const FUNCTIONS[] = {"arccos", "arcsin", "arctan", "arg", "cos", "cosh", "cot", "coth",
                                 "csc", "dec", "dim", "exp", "hom", "ln", "log", "sec", "sin",
                                 "sinh", "tan", "tanh"};

struct Size {
    const char* name;
    double factor;
};
const Size SIZES[] = {{"tiny", 0.5}, {"scriptsize", 0.7}, {"footnotesize", 0.8}, {"small", 0.9},
                      {"normalsize", 1.0}, {"large", 1.2}, {"Large", 1.44}, {"LARGE", 1.728},
                      {"huge", 2.074}, {"Huge", 2.488}};

}  // namespace

bool formula_symbol(const std::string& name, FormulaSymbol& out) {
    for (int k = 0; k < 34; ++k)
        if (name == GREEK_NAMES[k]) {
            out = {GREEK_KEY[k], ALPHA_GREEK, nullptr, FORMULA_ORDINARY};
            return true;
        }
    for (const Entry& e : SYMBOLS)
        if (name == e.name) {
            out = {e.code, e.alphabet, e.shape, e.kind};
            return true;
        }
    return false;
}

bool formula_function(const std::string& name) {
    for (const char* f : FUNCTIONS)
        if (name == f) return true;
    return false;
}

double formula_size(const std::string& name) {
    for (const Size& s : SIZES)
        if (name == s.name) return s.factor;
    return 0;
}

int formula_style(const std::string& name) {
    const char* const long_names[] = {"displaystyle", "textstyle", "scriptstyle", "scriptscriptstyle"};
    const char* const short_names[] = {"D", "T", "S", "SS"};
    for (int k = 0; k < 4; ++k)
        if (name == long_names[k] || name == short_names[k]) return k;
    return -1;
}

bool formula_colour(const Context& ctx, const std::string& name, int& value) {
    struct Named {
        const char* name;
        int index;
    };
    const Named names[] = {{"black", NAMED_BLACK}, {"red", NAMED_RED}, {"green", NAMED_GREEN},
                           {"blue", NAMED_BLUE}, {"cyan", NAMED_CYAN}, {"yellow", NAMED_YELLOW},
                           {"orange", NAMED_ORANGE}, {"magenta", NAMED_MAGENTA}, {"white", NAMED_WHITE}};
    for (const Named& n : names)
        if (name == n.name) {
            value = ctx.colour.named[n.index];
            return true;
        }
    if (name == "fore") value = ctx.colour.foreground;
    else if (name == "back") value = ctx.colour.background;
    else return false;
    return true;
}

}  // namespace kal
