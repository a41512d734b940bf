#include "core/install.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

#ifndef KALVOR_INSTALL_DATADIR
#define KALVOR_INSTALL_DATADIR "/usr/local/share/kalvor"
#endif

namespace kal {
namespace {
std::mutex dir_lock;
std::string& package_dir() {
    static std::string dir;
    return dir;
}

bool is_directory(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The file is anybody's to write: at most its first 64 KiB are read, lines
// that are not "key=value" are ignored, and a Path that is no directory is
// passed over.
std::string config_path(const std::string& file) {
    constexpr size_t LIMIT = 64 * 1024;
    FILE* f = std::fopen(file.c_str(), "rb");
    if (!f) return "";
    std::string text(LIMIT, '\0');
    text.resize(std::fread(text.data(), 1, LIMIT, f));
    std::fclose(f);
    std::string path;
    bool in_section = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[') {
            in_section = line == "[kalvor]";
            continue;
        }
        if (in_section && line.compare(0, 5, "Path=") == 0 && line.find('\0') == std::string::npos)
            path = line.substr(5);
    }
    return !path.empty() && path.front() == '/' && is_directory(path) ? path : "";
}

std::string home_based(const char* variable, const char* fallback) {
    std::string v = environment_value(variable);
    if (!v.empty() && v.front() == '/') return v;
    std::string home = environment_value("HOME");
    return home.empty() ? "" : home + fallback;
}

// <directory of libkalvor's file>/<relative data directory>, for an
// installation that may have been moved since it was built.
std::string beside_library() {
#ifdef KALVOR_DATADIR_FROM_LIBDIR
    Dl_info info;
    if (dladdr(reinterpret_cast<void*>(&installation_dir), &info) && info.dli_fname) {
        std::string file = info.dli_fname;
        size_t slash = file.rfind('/');
        if (slash != std::string::npos) {
            std::string dir = file.substr(0, slash) + "/" + KALVOR_DATADIR_FROM_LIBDIR;
            if (is_directory(dir)) return dir;
        }
    }
#endif
    return "";
}
}  // namespace

std::string user_config_file() {
    std::string base = home_based("XDG_CONFIG_HOME", "/.config");
    return base.empty() ? "" : base + "/kalvor/kalvor.conf";
}

std::string system_config_file() { return "/etc/kalvor/kalvor.conf"; }

std::string installation_dir() {
    if (const char* v = std::getenv("KALVOR")) return v;
    for (const std::string& file : {user_config_file(), system_config_file()}) {
        if (file.empty()) continue;
        std::string dir = config_path(file);
        if (!dir.empty()) return dir;
    }
    {
        std::lock_guard<std::mutex> guard(dir_lock);
        if (!package_dir().empty()) return package_dir();
    }
    std::string dir = beside_library();
    return dir.empty() ? KALVOR_INSTALL_DATADIR : dir;
}

void set_package_data_dir(const std::string& dir) {
    std::lock_guard<std::mutex> guard(dir_lock);
    package_dir() = dir;
}

std::string environment_value(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

}  // namespace kal
