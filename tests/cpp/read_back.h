// Reading back what a test's output file holds, and a document opened the
// way kalini opens it.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/context.h"
#include "core/devices.h"
#include "output/driver.h"
#include "output/primitives.h"

// Everything written to a temporary output file so far.
inline std::string read_back(FILE* fp) {
    std::fflush(fp);
    std::rewind(fp);
    std::string s;
    char buf[65536];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, fp)) > 0;) s.append(buf, n);
    return s;
}

// A document on the default A4 page (2969 x 2099 plot units, 853 x 603
// canvas): page geometry in the record, the device factor from open_device,
// the header written.
struct Document {
    kal::Context ctx;

    explicit Document(int device, int background = 2, bool compress = false, int rotation = 0) {
        setenv("SOURCE_DATE_EPOCH", "1700000000", 1);  // 14.11.2023 22:13:20 UTC
        kal::PageState& p = ctx.page;
        p.device = device;
        p.width = 2969;
        p.height = 2099;
        p.win_w = 853;
        p.win_h = 603;
        p.rotation_mode = rotation;
        p.background = background;
        p.pdf_compress = compress;
        ctx.out.clip[2] = p.width;
        ctx.out.clip[3] = p.height;
        ctx.out.file = std::tmpfile();
        ctx.out.driver = kal::make_driver(device);
        kal::open_device(ctx);
    }
    // Everything written (the line buffer included, as kalfin does).
    std::string finish() {
        kal::finish_device(ctx);
        return read_back(ctx.out.file);
    }
};
