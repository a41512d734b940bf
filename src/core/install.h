// Where the data files that ship with the library live.
#pragma once
#include <string>

namespace kal {

// KALVOR from the environment (an empty value gives an empty directory),
// else the package's data directory, else the build's install location.
std::string installation_dir();
// The Python package tells the library where its data directory is.
void set_package_data_dir(const std::string& dir);
// Any other variable: its value, or "" when it is not set.
std::string environment_value(const char* name);

}  // namespace kal
