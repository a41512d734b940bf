#include "core/files.h"

#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "core/fatal.h"

namespace kal {

bool file_exists(const std::string& name) {
    struct stat st;
    return ::stat(name.c_str(), &st) == 0;
}

std::string versioned_name(const std::string& name, int k) {
    const size_t slash = name.find_last_of("/\\");
    const size_t dir_end = (slash == std::string::npos) ? 0 : slash + 1;
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot < dir_end) dot = name.size();
    const std::string suffix = "_" + std::to_string(k);
    std::string base = name.substr(dir_end, dot - dir_end);
    const size_t keep = suffix.size() >= 8 ? 0 : 8 - suffix.size();
    if (base.size() > keep) base.resize(keep);
    return name.substr(0, dir_end) + base + suffix + name.substr(dot);
}

std::string apply_file_mode(const std::string& name, int mode) {
    if (!file_exists(name)) return name;
    if (mode == FILE_DELETE) {
        std::remove(name.c_str());
        return name;
    }
    if (mode == FILE_BREAK) fatal("File " + name + " does exist");
    for (int k = 1; k <= 9999; ++k) {
        std::string candidate = versioned_name(name, k);
        if (!file_exists(candidate)) return candidate;
    }
    fatal("More than 9999 file versions!\n");
}

}  // namespace kal
