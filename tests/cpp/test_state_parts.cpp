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
    // The page these cases expect, whatever an earlier test in the same
    // process chose.
    kal::entry::setpag("DA4L");
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
    {"AAMO", [](kal::Context&) { kal::entry::aamode("ON"); },
     [](const kal::Context& c) { return !c.image.antialias; }, false},
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
    {"SHIE", [](kal::Context&) { kal::entry::shield("SYMB", "ON"); },
     [](const kal::Context& c) { return !c.shields.automatic[kal::SOURCE_SYMBOLS]; }},
    {"AXSL", [](kal::Context&) { kal::entry::axslen(500, 400); },
     [](const kal::Context& c) { return c.axes.axis[kal::AXIS_X].length == 1980; }},
    {"AXSP", [](kal::Context&) { kal::entry::axspos(100, 1000); },
     [](const kal::Context& c) { return c.axes.corner_x == 494 && c.axes.corner_y == 1799; }},
    {"SCAL", [](kal::Context&) { kal::entry::scale("LOG", "XY"); },
     [](const kal::Context& c) { return !c.axes.axis[kal::AXIS_X].log; }},
    {"TICK", [](kal::Context&) { kal::entry::ticks(5, "X"); },
     [](const kal::Context& c) { return c.axes.axis[kal::AXIS_X].ticks == 2; }},
    {"TICL", [](kal::Context&) { kal::entry::ticlen(50, 30); },
     [](const kal::Context& c) { return c.axes.major_len == 24 && c.axes.minor_len == 16; }},
    {"TICP", [](kal::Context&) { kal::entry::ticpos("REVE", "Y"); },
     [](const kal::Context& c) { return c.axes.axis[kal::AXIS_Y].tick_pos == kal::TICK_LABE; }},
    {"NOLI", [](kal::Context&) { kal::entry::noline("X"); },
     [](const kal::Context& c) { return c.axes.axis[kal::AXIS_X].line; }},
    {"SETS", [](kal::Context&) { const float v[2] = {1, 2}; kal::entry::setscl(v, 2, "Y"); },
     [](const kal::Context& c) { return !c.axes.axis[kal::AXIS_Y].auto_scale; }},
    {"AXCL", [](kal::Context&) { kal::entry::axclrs(5, "ALL", "X"); },
     [](const kal::Context& c) { return c.axes.axis[kal::AXIS_X].colour[0] == -1; }},
    {"SETG", [](kal::Context&) { kal::entry::setgrf("NONE", "NONE", "NONE", "NONE"); },
     [](const kal::Context& c) { return c.axes.side_level[0] == kal::SIDE_NAME; }},
    {"NOGR", [](kal::Context&) { kal::entry::nograf(); },
     [](const kal::Context& c) { return !c.axes.no_draw; }},
    {"FRAM", [](kal::Context&) { kal::entry::frame(3); },
     [](const kal::Context& c) { return c.axes.frame == 1; }},
    {"LOGT", [](kal::Context&) { kal::entry::logtic("FULL"); },
     [](const kal::Context& c) { return !c.axes.log_full; }},
    {"NOCH", [](kal::Context&) { kal::entry::nochek(); },
     [](const kal::Context& c) { return c.frame.checking_on; }},
    {"LABE", [](kal::Context&) { kal::entry::labels("DATE", "Y"); },
     [](const kal::Context& c) { return c.labels.axis[1].type == kal::LABEL_FLOA; }},
    {"DIGI", [](kal::Context&) { kal::entry::digits(3, "Z"); },
     [](const kal::Context& c) { return c.labels.axis[2].digits == 1; }},
    {"LABD", [](kal::Context&) { kal::entry::labdis(99, "X"); },
     [](const kal::Context& c) { return c.labels.axis[0].distance == 24; }},
    {"LABJ", [](kal::Context&) { kal::entry::labjus("LEFT", "Y"); },
     [](const kal::Context& c) { return c.labels.axis[1].justify == kal::LABJUS_AUTO; }},
    {"LABP", [](kal::Context&) { kal::entry::labpos("SHIF", "X"); },
     [](const kal::Context& c) { return c.labels.axis[0].position == kal::LABPOS_TICK; }},
    {"LABT", [](kal::Context&) { kal::entry::labtyp("VERT", "X"); },
     [](const kal::Context& c) { return !c.labels.axis[0].vertical; }},
    {"MYLA", [](kal::Context&) { kal::entry::mylab("a", 2, "X"); },
     [](const kal::Context& c) { return c.labels.axis[0].mylab[1].empty(); }},
    {"NAMD", [](kal::Context&) { kal::entry::namdis(5, "X"); },
     [](const kal::Context& c) { return c.labels.axis[0].name_distance == 30; }},
    {"NAME", [](kal::Context&) { kal::entry::name("t", "Y"); },
     [](const kal::Context& c) { return c.labels.axis[1].name.empty(); }},
    {"HNAM", [](kal::Context&) { kal::entry::hname(50); },
     [](const kal::Context& c) { return c.labels.name_height == 36; }},
    {"HTIT", [](kal::Context&) { kal::entry::htitle(50); },
     [](const kal::Context& c) { return c.labels.title.height == 0; }},
    {"NUMF", [](kal::Context&) { kal::entry::numfmt("EXP"); },
     [](const kal::Context& c) { return c.labels.number_form == kal::NUMFMT_FLOA; }},
    {"NUMO", [](kal::Context&) { kal::entry::numode("COMM", "NONE", "NONE", "NOEQ"); },
     [](const kal::Context& c) { return c.labels.mode.decimal == '.'; }},
    {"RVYN", [](kal::Context&) { kal::entry::rvynam(); },
     [](const kal::Context& c) { return !c.labels.reverse_names; }},
    {"TIMO", [](kal::Context&) { kal::entry::timopt(); },
     [](const kal::Context& c) { return !c.labels.time_colons; }},
    {"TITL", [](kal::Context&) { kal::entry::titlin("t", -3); },
     [](const kal::Context& c) { return c.labels.title.line[2].empty() && !c.labels.title.underline[2]; }},
    {"VKYT", [](kal::Context&) { kal::entry::vkytit(20); },
     [](const kal::Context& c) { return c.labels.title.shift == 0; }},
    {"CIRC", [](kal::Context&) { kal::entry::circsp(50); },
     [](const kal::Context& c) { return c.figures.arc_step == 10; }},
    {"NOAR", [](kal::Context&) { kal::entry::noarln(); }, [](const kal::Context& c) { return c.line.outline; }},
    {"SYMR", [](kal::Context&) { kal::entry::symrot(30); },
     [](const kal::Context& c) { return c.symbols.rotation == 0; }},
    {"POLC", [](kal::Context&) { kal::entry::polcrv("STEP"); },
     [](const kal::Context& c) { return c.curves.mode == kal::MODE_LINE; }},
    {"THKC", [](kal::Context&) { kal::entry::thkcrv(3); }, [](const kal::Context& c) { return c.curves.thickness == 1; }},
    {"CHNC", [](kal::Context&) { kal::entry::chncrv("BOTH"); },
     [](const kal::Context& c) { return c.curves.change == kal::CHANGE_NONE; }},
    {"GAPC", [](kal::Context&) { kal::entry::gapcrv(2); }, [](const kal::Context& c) { return !c.curves.gap_on; }},
    {"BARW", [](kal::Context&) { kal::entry::barwth(-20); },
     [](const kal::Context& c) { return c.curves.bar_width == 0.75; }},
    {"SPLM", [](kal::Context&) { kal::entry::splmod(4, 50); },
     [](const kal::Context& c) { return c.curves.spline_order == 3 && c.curves.spline_points == 200; }},
    {"LEGC", [](kal::Context&) { kal::entry::legclr(); }, [](const kal::Context& c) { return !c.legend.text_in_colour; }},
    {"MIXL", [](kal::Context&) { kal::entry::mixleg(); }, [](const kal::Context& c) { return !c.legend.multi_line; }},
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
