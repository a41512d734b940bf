// The routine frame every public routine runs in: level check, setter check,
// keyword lookup, range and date checks, and the numbered warnings.
#pragma once
#include <cstdio>
#include <string>

#include "core/export.h"
#include "core/state_part.h"

namespace kal {

struct Context;

// Message units: where warnings go.
enum : int { UNIT_NONE = 0, UNIT_STREAM = 1, UNIT_STDOUT = 6, UNIT_ERRFILE = 17 };
enum ErrorDevice : int { ERRDEV_CONSOLE = 0, ERRDEV_FILE = 1 };
enum AppType : int { APP_CONSOLE = 0, APP_WINDOW = 1 };

struct FrameState {
    int level = 0;
    char routine[9] = "";
    char message[81] = "";
    int warnings = 0;
    int unit = UNIT_STDOUT;
    FILE* stream = stdout;         // message stream
    bool warnings_on = true;
    bool protocol_on = false;
    bool checking_on = false;
    ErrorDevice error_device = ERRDEV_CONSOLE;
    AppType app_type = APP_CONSOLE;
    bool errfile_named = false;
    bool errfile_open = false;
    std::string errfile_name;      // errfil name, at most 256 characters
    std::string errfile_path;      // the error file actually opened
    FILE* errfile_stream = nullptr;

    static void reset(Context& ctx);
    static const ResetKeys reset_keys;
};

// Fetches (creating on first use) the calling thread's record, records the
// routine name and checks min <= level <= max. Returns nullptr after
// warning 3 when the level is wrong.
KALVOR_INTERNAL Context* level_check(int min, int max, const char* name);

// For setters of levels 1-3 that store their value even at a wrong level:
// warns like the level check but always returns the record.
Context& setter_check(const char* name);

// Looks `key` up in a list of 4-character entries joined by '+'
// ("OFF +ON  "). Returns the entry number from 1, or 0 after warning 2.
int keyword(Context& ctx, const char* list, const char* key);

// Quiet form for lookups whose failure the caller reports itself.
int keyword_index(const char* list, const char* key);

// Accepted when value >= min and (max < min or value <= max); otherwise
// warning 2 with the value and true is returned.
bool out_of_range(Context& ctx, double value, double min, double max);

// True after warning 2 when day/month/year is not a valid date.
bool bad_date(Context& ctx, int day, int month, int year);

void warn(Context& ctx, int number);
void warn_int(Context& ctx, int number, long long value);
void warn_text(Context& ctx, int number, const char* text);

// Custom warning (numbers from 101): sets the message text, then warns.
KALVOR_INTERNAL void custom_warning(Context& ctx, int number, const char* text);

// Writes a line of the routine's own to the message stream when warnings are
// shown; returns false when they are not.
bool message_line(Context& ctx, const std::string& line);

// Opens the error file when warnings must go there.
void open_error_output(Context& ctx);

// Run by kalini and kalfin.
void setup_message_stream(Context& ctx);
// Closes the error file at kalfin; returns true when one was open.
bool close_error_file(Context& ctx);

// Clamps a double into the int range (for messages and conversions).
int clamp_int(double value);

}  // namespace kal
