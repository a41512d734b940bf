#include "text/formula.h"

#include "text/text_engine.h"

namespace kal {

void typeset_formula(TextRun& run, const std::string& text) { run.feed(text); }

}  // namespace kal
