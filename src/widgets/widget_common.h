// Helpers the widget routines share: the record's widget state, the error
// messages, item lists, Latin-1 and UTF-8, and the toolkit of the display.
#pragma once
#include <string>
#include <deque>
#include <vector>

#include "core/export.h"
#include "widgets/widget_state.h"

namespace kal {

WidgetState& widgets_of(Context& ctx);

// ">>>> message!   (routine)" through the message stream, silenced as
// warnings are; with a display a message box shows it too (nobody waits).
void widget_error(Context& ctx, const std::string& message);

// The items of a list ("" is one empty item).
std::vector<std::string> split_items(const std::string& list, char sep);

std::string latin1_to_utf8(const std::string& s);
// Characters outside Latin-1 become "?".
std::string utf8_to_latin1(const char* s);

// The display's toolkit for the record's widget mode (AUTO, XWIN), loaded
// on first need; nullptr without a display and in mode ASCI.
const kal_widget_toolkit* widget_toolkit(Context& ctx);
// The display's toolkit whatever the mode (tests), nullptr without a display.
KALVOR_INTERNAL const kal_widget_toolkit* display_toolkit();
// The toolkit if it is loaded already (for messages), else nullptr.
const kal_widget_toolkit* loaded_toolkit();

// The description of widget id for the toolkit; strings point into `keep`.
kal_widget describe_widget(const WidgetState& w, int id, std::deque<std::string>& keep);

// Does fontconfig find this family itself (or its configured alias)?
bool font_family_known(const std::string& family);

// Shows widget id's new value in the open dialog, if there is one.
void show_widget(WidgetState& w, int id);

}  // namespace kal
