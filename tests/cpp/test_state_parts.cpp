// reset by key for every registered key, and the vocabulary of reset.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>
#include <string>

#include "api/entries.h"
#include "core/context.h"
#include "core/reset_keys.h"
#include "core/threads.h"

namespace {

kal::Context& plotting_record() {
    kal::entry::metafl("VIRT");  // an image in memory: no file
    kal::entry::kalini();
    kal::Context& ctx = *kal::fetch_record();
    ctx.frame.protocol_on = false;
    return ctx;
}

struct KeyCase {
    const char* key;
    std::function<void(kal::Context&)> change;   // moves a setting off its default
    std::function<bool(const kal::Context&)> is_default;
    bool by_all = true;  // also restored by reset "ALL" (not the level-0 requests)
};

const int CLIP_AFTER_KALINI[4] = {0, 0, 2969, 2099};

bool clip_is_page(const kal::Context& c) {
    return std::memcmp(c.out.clip, CLIP_AFTER_KALINI, sizeof CLIP_AFTER_KALINI) == 0 &&
           !c.line.circle_clip;
}

const KeyCase CASES[] = {
    {"CLPB", [](kal::Context& c) { c.line.circle_clip = true; }, clip_is_page},
    {"CLPM", [](kal::Context&) { kal::entry::clpwin(10, 10, 20, 20); }, clip_is_page},
    {"CLPW", [](kal::Context&) { kal::entry::clpwin(1, 2, 3, 4); }, clip_is_page},
    {"NOCL", [](kal::Context&) { kal::entry::clpwin(5, 5, 50, 50); }, clip_is_page},
    {"CLRC", [](kal::Context& c) { c.colour.cycle[0] = 77; },
     [](const kal::Context& c) { return c.colour.cycle[0] != 77; }},
    {"COLO", [](kal::Context&) { kal::entry::setclr(5); },
     [](const kal::Context& c) { return c.out.current_colour == c.colour.foreground; }},
    {"COLR", [](kal::Context& c) { c.colour.range_first = 9; },
     [](const kal::Context& c) { return c.colour.range_first == 1; }},
    {"SHDP", [](kal::Context&) { kal::entry::shdpat(5); },
     [](const kal::Context& c) { return c.colour.pattern_number == 0; }},
    {"IMGC", [](kal::Context& c) { c.image.clip_set = true; },
     [](const kal::Context& c) { return !c.image.clip_set; }},
    {"FILB", [](kal::Context&) { kal::entry::filbox(10, 20, 30, 40); },
     [](const kal::Context& c) { return !c.image.file_box_set; }},
    {"ORIG", [](kal::Context&) { kal::entry::origin(10, 20); },
     [](const kal::Context& c) { return c.page.origin_x == 0 && c.page.origin_y == 0; }},
    {"WIND", [](kal::Context&) { kal::entry::window(1, 2, 30, 40); },
     [](const kal::Context& c) { return c.page.win_request == kal::WINDOW_DEFAULT; }, false},
    {"WINS", [](kal::Context&) { kal::entry::winsiz(30, 40); },
     [](const kal::Context& c) { return c.page.win_request == kal::WINDOW_DEFAULT; }, false},
    {"WINM", [](kal::Context&) { kal::entry::winmod("NONE"); },
     [](const kal::Context& c) { return c.page.window_mode == kal::WINMODE_FULL; }},
    {"HEIG", [](kal::Context&) { kal::entry::height(80); },
     [](const kal::Context& c) { return c.text.height == 36; }},
    {"ANGL", [](kal::Context&) { kal::entry::angle(30); },
     [](const kal::Context& c) { return c.text.angle == 0 && c.text.cos_a == 1; }},
    {"BASA", [](kal::Context&) { kal::entry::basalf("GREE"); },
     [](const kal::Context& c) { return c.text.base == kal::ALPHA_STANDARD; }},
    {"CHAA", [](kal::Context&) { kal::entry::chaang(20); },
     [](const kal::Context& c) { return c.text.slant == 0; }},
    {"CHAS", [](kal::Context&) { kal::entry::chaspc(0.5f); },
     [](const kal::Context& c) { return c.text.spacing == 0; }},
    {"CHAW", [](kal::Context&) { kal::entry::chawth(1.5f); },
     [](const kal::Context& c) { return c.text.width == 1.0; }},
    {"EUSH", [](kal::Context&) { kal::entry::eushft("GERM", "!"); },
     [](const kal::Context& c) { return c.text.national[0] == 0; }},
    {"FIXS", [](kal::Context&) { kal::entry::fixspc(1.0f); },
     [](const kal::Context& c) { return !c.text.fixed; }},
    {"FRME", [](kal::Context&) { kal::entry::frmess(3); },
     [](const kal::Context& c) { return c.text.frame == 0; }},
    {"MIXA", [](kal::Context&) { kal::entry::mixalf(); },
     [](const kal::Context& c) { return !c.text.mix_on; }},
    {"NEWM", [](kal::Context&) { kal::entry::newmix(); },
     [](const kal::Context& c) { return c.text.mix[kal::MIX_EXP] == '['; }},
    {"SETM", [](kal::Context&) { kal::entry::setmix("#", "RES"); },
     [](const kal::Context& c) { return c.text.mix[kal::MIX_RES] == '$'; }},
    {"SETB", [](kal::Context&) { kal::entry::setbas(0.3f); },
     [](const kal::Context& c) { return c.text.shift_factor == 0.6; }},
    {"SETE", [](kal::Context&) { kal::entry::setexp(0.5f); },
     [](const kal::Context& c) { return c.text.exp_factor == 0.8; }},
    {"SMXA", [](kal::Context&) { kal::entry::smxalf("GREE", "{", "}", 1); },
     [](const kal::Context& c) { return c.text.entries[0].alphabet == 0; }},
    {"CIRC", [](kal::Context&) { kal::entry::circsp(50); },
     [](const kal::Context& c) { return c.figures.arc_step == 10; }},
    {"NOAR", [](kal::Context&) { kal::entry::noarln(); }, [](const kal::Context& c) { return c.line.outline; }},
    {"SYMR", [](kal::Context&) { kal::entry::symrot(30); },
     [](const kal::Context& c) { return c.symbols.rotation == 0; }},
    {"UNIT", [](kal::Context&) { kal::entry::unit(nullptr); },
     [](const kal::Context& c) { return c.frame.unit == kal::UNIT_STDOUT; }, false},
};

TEST(Reset, EveryRegisteredKeyRestoresItsDefault) {
    std::set<std::string> registered;
    for (const kal::ResetKey& k : kal::registered_reset_keys()) {
        EXPECT_TRUE(kal::reset_name_known(k.name)) << k.name << " is not a name reset accepts";
        registered.insert(k.name);
    }
    std::set<std::string> covered;
    kal::Context& ctx = plotting_record();
    for (const KeyCase& c : CASES) {
        covered.insert(c.key);
        c.change(ctx);
        ASSERT_FALSE(c.is_default(ctx)) << c.key;
        kal::entry::reset(c.key);
        EXPECT_TRUE(c.is_default(ctx)) << c.key;
    }
    EXPECT_EQ(covered, registered);  // a new key needs its row above

    for (const KeyCase& c : CASES)
        if (c.by_all) c.change(ctx);
    const int warnings = ctx.frame.warnings;
    kal::entry::reset("all");
    for (const KeyCase& c : CASES)
        if (c.by_all) { EXPECT_TRUE(c.is_default(ctx)) << "ALL restores " << c.key; }
    // Names of parts not built yet are accepted and change nothing; others warn.
    kal::entry::reset("TICKS");
    EXPECT_EQ(ctx.frame.warnings, warnings);
    kal::entry::reset("TICX");
    EXPECT_EQ(ctx.frame.warnings, warnings + 1);
    kal::entry::kalfin();
}

}  // namespace
