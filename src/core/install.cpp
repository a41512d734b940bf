#include "core/install.h"

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
}  // namespace

std::string installation_dir() {
    if (const char* v = std::getenv("KALVOR")) return v;
    std::lock_guard<std::mutex> guard(dir_lock);
    if (!package_dir().empty()) return package_dir();
    return KALVOR_INSTALL_DATADIR;
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
