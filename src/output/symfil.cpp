// symfil: hands the finished output file to an external driver program.
// The program is started directly (no shell), one argument per word of the
// command line, so that file names are passed as they are.
#include <spawn.h>
#include <sys/wait.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "api/routines_level_0_settings_of_the_life_cycle.h"
#include "core/context.h"
#include "core/devices.h"
#include "output/colour_table.h"

extern char** environ;

namespace kal {
namespace {

std::string upper4(const char* s) {
    std::string out;
    for (int i = 0; i < 4 && s[i]; ++i)
        out += static_cast<char>(std::toupper(static_cast<unsigned char>(s[i])));
    return out;
}

// Runs the driver and waits for it. A wait that fails for any reason other
// than a signal (the status was collected elsewhere: SIGCHLD ignored, or
// another thread waited for every child) ends the wait as a failure.
bool run(const std::vector<std::string>& words) {
    std::vector<char*> argv;
    for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) != 127;
}

}  // namespace

void symfil(Context& ctx, const char* device, const char* status) {
    // symfil works on what the last kalfin finished (the file its end
    // protocol named), whatever setfil or metafl chose since.
    PageState& p = ctx.page;
    const int dev_no = p.finished == FINISHED_NEVER ? p.device : p.finished_device;
    const DeviceTraits& t = traits(dev_no);
    if (t.helper == Helper::None) {
        warn(ctx, 20);
        return;
    }
    if (p.finished == FINISHED_NEVER) {
        warn(ctx, 21);
        return;
    }
    if (p.finished_name.empty()) {  // nothing was written (memory, open error)
        warn(ctx, 20);
        return;
    }
    if (p.finished == FINISHED_DELETED) {
        warn(ctx, 22);
        return;
    }
    int s = keyword_index("KEEP+DELE+NODE", status);
    if (s == 0) warn_text(ctx, 2, status);
    const bool remove_file = s == 2;
    const std::string dev = upper4(device);
    if (dev == "NONE") {
        if (remove_file) {
            std::remove(p.finished_name.c_str());
            p.finished = FINISHED_DELETED;
        }
        return;
    }
    std::vector<std::string> words;
    words.push_back(t.helper == Helper::Applet ? "kaldot" : t.helper == Helper::Printer ? "kalhpj" : "kaldrv");
    words.push_back(p.finished_name);
    words.push_back(dev == "KYOC" ? "KYO1" : dev);
    words.push_back(remove_file ? "DELE" : "KEEP");
    words.push_back(table_name_lower(ctx));
    if (p.background == 2) words.push_back("REVERS");
    if (t.queued) {
        words.push_back("-Q");
        if (ctx.screen_report_mode == 0) words.push_back("-BS");
        if (ctx.screen_report_mode == 1) words.push_back("-NB");
    }
    if (!ctx.colour.saved_vlt_file.empty()) words.push_back("V=" + ctx.colour.saved_vlt_file);
    if (!run(words)) warn_text(ctx, 36, words[0].c_str());
    if (remove_file) p.finished = FINISHED_DELETED;
}

}  // namespace kal
