// The formula typesetter of texmod "ON": a TeX-like string laid out with
// the pieces of a text run.
#pragma once
#include <string>

namespace kal {

class TextRun;

void typeset_formula(TextRun& run, const std::string& text);

}  // namespace kal
