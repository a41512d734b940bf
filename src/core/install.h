// Where the data files that ship with the library live.
#pragma once
#include <string>

#include "core/export.h"

namespace kal {

// Looked up each time: KALVOR from the environment (an empty value gives an
// empty directory), else the Path of the "[kalvor]" section of the user's and
// then the system's kalvor.conf (written by kalvor-install), else the Python
// package's data directory, else share/kalvor beside the library's file,
// else the build's install location.
std::string installation_dir();
// $XDG_CONFIG_HOME/kalvor/kalvor.conf (~/.config when unset; "" without HOME)
// and /etc/kalvor/kalvor.conf.
std::string user_config_file();
std::string system_config_file();
// The Python package tells the library where its data directory is.
KALVOR_INTERNAL void set_package_data_dir(const std::string& dir);
// Any other variable: its value, or "" when it is not set.
std::string environment_value(const char* name);

}  // namespace kal
