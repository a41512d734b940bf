// The formula typesetter. Not built yet: texmod "ON" draws the string as
// plain text, commands and braces included.
#include "text/formula.h"

#include "text/text_engine.h"

namespace kal {

void typeset_formula(TextRun& run, const std::string& text) { run.feed(text); }

}  // namespace kal
