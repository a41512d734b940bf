// File naming: what an output or error file is called when a file of that
// name exists already (file modes COUN, DELE and BREA).
#pragma once
#include <string>

namespace kal {

enum FileMode : int { FILE_COUNT = 0, FILE_DELETE = 1, FILE_BREAK = 2 };

bool file_exists(const std::string& name);

// The name under which a new file is created. COUN numbers versions
// (kalvor.ps, kalvor_1.ps, ... kalvo_10.ps), DELE removes the old file, BREA
// and version 10000 are fatal. Call under the global lock.
std::string apply_file_mode(const std::string& name, int mode);

// Version k of `name` following the COUN rule ('/' and '\' end the directory).
std::string versioned_name(const std::string& name, int k);

}  // namespace kal
