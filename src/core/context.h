// The context record: every setting and all drawing state of one thread.
// Each subsystem owns one member struct, declared next to its code.
#pragma once
#include "core/frame.h"
#include "core/page.h"
#include "output/output.h"

namespace kal {

struct ColourInfo {
    char table_name[5] = "RAIN";  // name of the loaded colour table
    std::string saved_vlt_file;   // colour table file saved with vltfil
};

struct Context {
    Context();   // first-use defaults
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    FrameState frame;
    PageState page;
    OutputState out;
    ColourInfo colour;
    int screen_report_mode = 2;   // reported by the screen driver when it opens
};

}  // namespace kal
