#include "core/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <set>
#include <string>

#include "core/context.h"
#include "core/fatal.h"
#include "core/threads.h"

namespace kal {
namespace {

enum class Entry { None, Replaceable, Special };

// Names that create_file has chosen and is opening (global lock).
std::set<std::string>& claimed() {
    static std::set<std::string> names;
    return names;
}

// lstat first: a symbolic link is an entry of its own even when it points
// nowhere, so that a dangling link is never written through.
Entry classify(const std::string& name) {
    if (claimed().count(name)) return Entry::Replaceable;
    struct stat st;
    if (::lstat(name.c_str(), &st) != 0) return Entry::None;
    if (S_ISREG(st.st_mode)) return Entry::Replaceable;
    if (!S_ISLNK(st.st_mode)) return Entry::Special;
    if (::stat(name.c_str(), &st) != 0) return Entry::Replaceable;  // dangling
    return S_ISREG(st.st_mode) ? Entry::Replaceable : Entry::Special;
}

bool same_file(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return !b.empty() && ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool held_open(const Context& ctx, const std::string& name) {
    const bool output_open = ctx.frame.level > 0;
    return (output_open && same_file(name, ctx.page.file_name)) ||
           (ctx.frame.errfile_open && same_file(name, ctx.frame.errfile_path));
}

}  // namespace

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

std::string apply_file_mode(const Context& ctx, const std::string& name) {
    if (classify(name) != Entry::Replaceable) return name;
    const int mode = ctx.page.file_mode;
    if (mode == FILE_DELETE && !held_open(ctx, name) && !claimed().count(name)) {
        ::unlink(name.c_str());
        return name;
    }
    if (mode == FILE_BREAK) fatal("File " + name + " does exist");
    for (int k = 1; k <= 9999; ++k) {
        std::string candidate = versioned_name(name, k);
        if (classify(candidate) == Entry::None) return candidate;
    }
    fatal("More than 9999 file versions!\n");
}

FILE* create_file(const Context& ctx, const std::string& name, const char* mode, std::string& path) {
    bool claim = false;
    {
        GlobalLock lock;
        path = apply_file_mode(ctx, name);
        // A device or FIFO is written as it is, by whoever opens it.
        claim = classify(path) == Entry::None;
        if (claim) claimed().insert(path);
    }
    FILE* fp = std::fopen(path.c_str(), mode);
    if (claim) {
        GlobalLock lock;
        claimed().erase(path);
    }
    return fp;
}

bool fits_file_name(Context& ctx, const char* name) {
    if (strnlen(name, 257) <= 256) return true;
    warn_text(ctx, 2, (std::string(name, 40) + "...").c_str());
    return false;
}

}  // namespace kal
