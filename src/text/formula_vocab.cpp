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
    bool spaced;
};

// Shapes are strokes in units of the math axis box: "x,y x,y;x,y ..." with
// x from 0 to the width (first number) and y from -1 to 1 around the axis;
// "o" is a circle, "O" a circle with the strokes that follow inside it.
const Entry SYMBOLS[] = {
    {"pm", '!', ALPHA_MATH, nullptr, true}, {"mp", '"', ALPHA_MATH, nullptr, true},
    {"times", '#', ALPHA_MATH, nullptr, true}, {"div", 'x', ALPHA_MATH, nullptr, true},
    {"cdot", '$', ALPHA_MATH, nullptr, true}, {"ast", 'a', ALPHA_MATH, nullptr, true},
    {"star", '*', ALPHA_STANDARD, nullptr, true}, {"cap", 'g', ALPHA_MATH, nullptr, true},
    {"cup", 'e', ALPHA_MATH, nullptr, true},
    {"vee", 0, 0, "1|0,0.8 0.5,-0.8 1,0.8", true}, {"wedge", 0, 0, "1|0,-0.8 0.5,0.8 1,-0.8", true},
    {"setminus", 0, 0, "0.8|0,1 0.8,-1", true},
    {"odot", 0, 0, "1|o;0.45,0 0.55,0", true}, {"oplus", 0, 0, "1|o;0.5,-0.8 0.5,0.8;0.1,0 0.9,0", true},
    {"ominus", 0, 0, "1|o;0.1,0 0.9,0", true},
    {"le", '&', ALPHA_MATH, nullptr, true}, {"leq", '&', ALPHA_MATH, nullptr, true},
    {"ge", '\'', ALPHA_MATH, nullptr, true}, {"geq", '\'', ALPHA_MATH, nullptr, true},
    {"subset", 'd', ALPHA_MATH, nullptr, true}, {"supset", 'f', ALPHA_MATH, nullptr, true},
    {"subseteq", 0, 0, "1|1,1 0.4,1 0,0.6 0,0.1 0.4,-0.3 1,-0.3;0,-0.9 1,-0.9", true},
    {"supseteq", 0, 0, "1|0,1 0.6,1 1,0.6 1,0.1 0.6,-0.3 0,-0.3;0,-0.9 1,-0.9", true},
    {"in", 'h', ALPHA_MATH, nullptr, true},
    {"ni", 0, 0, "1|0,0.8 0.6,0.8 1,0.4 1,-0.4 0.6,-0.8 0,-0.8;0,0 1,0", true},
    {"notin", 0, 0, "1|1,0.8 0.4,0.8 0,0.4 0,-0.4 0.4,-0.8 1,-0.8;0,0 1,0;0.8,1.1 0.2,-1.1", true},
    {"neq", '?', ALPHA_MATH, nullptr, true}, {"not=", '?', ALPHA_MATH, nullptr, true},
    {"cong", 0, 0, "1|0,0.55 0.25,0.8 0.75,0.4 1,0.65;0,0 1,0;0,-0.5 1,-0.5", true},
    {"equiv", '@', ALPHA_MATH, nullptr, true}, {"parallel", 'y', ALPHA_MATH, nullptr, true},
    {"sim", 0, 0, "1|0,-0.1 0.25,0.25 0.75,-0.25 1,0.1", true}, {"mid", 0, 0, "0.2|0.1,1.2 0.1,-1.2", true},
    {"leftarrow", 'k', ALPHA_MATH, nullptr, true}, {"rightarrow", 'i', ALPHA_MATH, nullptr, true},
    {"to", 'i', ALPHA_MATH, nullptr, true}, {"uparrow", 'j', ALPHA_MATH, nullptr, true},
    {"downarrow", 'l', ALPHA_MATH, nullptr, true},
    {"Leftarrow", 0, 0, "1.6|1.6,0.3 0.3,0.3;1.6,-0.3 0.3,-0.3;0.5,0.8 0,0 0.5,-0.8", true},
    {"Rightarrow", 0, 0, "1.6|0,0.3 1.3,0.3;0,-0.3 1.3,-0.3;1.1,0.8 1.6,0 1.1,-0.8", true},
    {"Leftrightarrow", 0, 0,
     "2|0.3,0.3 1.7,0.3;0.3,-0.3 1.7,-0.3;0.5,0.8 0,0 0.5,-0.8;1.5,0.8 2,0 1.5,-0.8", true},
    {"emptyset", 0, 0, "1|o;0.9,1.1 0.1,-1.1", false}, {"nabla", 'n', ALPHA_MATH, nullptr, false},
    {"surd", 'b', ALPHA_MATH, nullptr, false}, {"partial", 'm', ALPHA_MATH, nullptr, false},
    {"forall", 0, 0, "1|0,1.2 0.5,-1 1,1.2;0.2,0.3 0.8,0.3", false},
    {"exists", 'v', ALPHA_MATH, nullptr, false}, {"backslash", '\\', ALPHA_STANDARD, nullptr, false},
    {"infty", '_', ALPHA_MATH, nullptr, false}, {"perp", 'z', ALPHA_MATH, nullptr, false},
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
            out = {GREEK_KEY[k], ALPHA_GREEK, nullptr, false};
            return true;
        }
    for (const Entry& e : SYMBOLS)
        if (name == e.name) {
            out = {e.code, e.alphabet, e.shape, e.spaced};
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
