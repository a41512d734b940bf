// File naming: what an output, error, image or colour-table file is called
// when a file of that name exists already (file modes COUN, DELE and BREA).
#pragma once
#include <cstdio>
#include <string>

namespace kal {

struct Context;

enum FileMode : int { FILE_COUNT = 0, FILE_DELETE = 1, FILE_BREAK = 2 };

// The name under which a new file is created, by the record's file mode.
// Only regular files (or symbolic links to them, or dangling ones) count as
// existing: COUN numbers versions (kalvor.ps, kalvor_1.ps, ... kalvo_10.ps),
// DELE removes the old file, BREA and version 10000 are fatal. A device, a
// FIFO or a directory is used as it is (opening a directory fails). DELE
// never removes a file the record has open (its output or error file): the
// new file is numbered as under COUN instead. A name that another thread is
// creating (create_file) counts as existing. Call under the global lock.
std::string apply_file_mode(const Context& ctx, const std::string& name);

// Opens a new file (fopen `mode`) under the name the file mode gives and
// stores that name in `path`; nullptr when the file cannot be opened. The
// name is chosen and claimed under the global lock, the file is opened
// outside it: a file that blocks its opener (a FIFO without a reader, a
// hung network mount) stops only this caller, and no other thread chooses
// the same name meanwhile. Fatal conditions as apply_file_mode.
FILE* create_file(const Context& ctx, const std::string& name, const char* mode, std::string& path);

// Version k of `name` following the COUN rule ('/' and '\' end the directory).
std::string versioned_name(const std::string& name, int k);

// File names are kept up to 256 characters: a longer one gives warning 2
// with its start and false.
bool fits_file_name(Context& ctx, const char* name);

}  // namespace kal
