// Every registered reset key restores what kalini set up (or a new record
// holds), and so does reset "ALL"; the vocabulary of reset.
#include <gtest/gtest.h>

#include <functional>
#include <iomanip>
#include <set>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "api/entries.h"
#include "core/context.h"
#include "core/reset_keys.h"
#include "core/threads.h"

namespace {

using namespace kal::entry;

kal::Context& plotting_record() {
    // The page these cases expect, whatever an earlier test in the same
    // process chose.
    setpag("DA4L");
    metafl("VIRT");  // an image in memory: no file
    kalini();
    kal::Context& ctx = *kal::fetch_record();
    ctx.frame.protocol_on = false;
    return ctx;
}

// The fields a key restores, as one text: compared with the same text of the
// record as kalini left it, so no default is written down twice.
template <class T>
void put(std::ostringstream& o, const T& v) {
    if constexpr (std::is_array_v<T>) {
        for (const auto& e : v) put(o, e);
    } else if constexpr (std::is_enum_v<T>) {
        o << static_cast<long long>(v) << '|';
    } else {
        o << v << '|';
    }
}
template <class... T>
std::string fields(const T&... v) {
    std::ostringstream o;
    o << std::setprecision(17);
    (put(o, v), ...);
    return o.str();
}

struct KeyCase {
    const char* key;
    std::function<void(kal::Context&)> change;   // moves a setting off what kalini set
    std::function<std::string(const kal::Context&)> probe;
};
#define KEY(name, change, ...) \
    KeyCase{name, [](kal::Context& c) { (void)c; change; }, [](const kal::Context& c) { return fields(__VA_ARGS__); }}
#define CLIP c.out.clip, c.line.circle_clip

// The level-0 requests: kalini and reset "ALL" leave them alone, a key
// brings back what a newly made record holds.
const std::set<std::string> NOT_BY_ALL = {"WIND", "WINS", "UNIT", "AAMO"};

void setscl_y() {
    const float v[2] = {1, 2};
    setscl(v, 2, "Y");
}

const KeyCase CASES[] = {
    KEY("CLPB", c.line.circle_clip = true, CLIP),
    KEY("CLPM", clpwin(10, 10, 20, 20), CLIP),
    KEY("CLPW", clpwin(1, 2, 3, 4), CLIP),
    KEY("NOCL", clpwin(5, 5, 50, 50), CLIP),
    KEY("CLRC", c.colour.cycle[0] = 77, c.colour.cycle),
    KEY("COLO", setclr(5), c.out.current_colour),
    KEY("COLR", c.colour.range_first = 9, c.colour.range_first),
    KEY("SHDP", shdpat(5), c.colour.pattern_number),
    KEY("IMGC", c.image.clip_set = true, c.image.clip_set),
    KEY("FILB", filbox(10, 20, 30, 40), c.image.file_box_set),
    KEY("AAMO", aamode("ON"), c.image.antialias),
    KEY("ORIG", origin(10, 20), c.page.origin_x, c.page.origin_y),
    KEY("WIND", window(1, 2, 30, 40), c.page.win_request),
    KEY("WINS", winsiz(30, 40), c.page.win_request),
    KEY("WINM", winmod("NONE"), c.page.window_mode),
    KEY("HEIG", height(80), c.text.height),
    KEY("ANGL", angle(30), c.text.angle, c.text.cos_a),
    KEY("BASA", basalf("GREE"), c.text.base),
    KEY("CHAA", chaang(20), c.text.slant),
    KEY("CHAS", chaspc(0.5f), c.text.spacing),
    KEY("CHAW", chawth(1.5f), c.text.width),
    KEY("EUSH", eushft("GERM", "!"), c.text.national),
    KEY("FIXS", fixspc(1.0f), c.text.fixed),
    KEY("FRME", frmess(3), c.text.frame),
    KEY("MIXA", mixalf(), c.text.mix_on),
    KEY("NEWM", newmix(), c.text.mix),
    KEY("SETM", setmix("#", "RES"), c.text.mix),
    KEY("SETB", setbas(0.3f), c.text.shift_factor),
    KEY("SETE", setexp(0.5f), c.text.exp_factor),
    KEY("SMXA", smxalf("GREE", "{", "}", 1), c.text.entries[0].alphabet),
    KEY("SHIE", shield("SYMB", "ON"), c.shields.automatic),
    KEY("AXSL", axslen(500, 400), c.axes.axis[kal::AXIS_X].length, c.axes.axis[kal::AXIS_Y].length),
    KEY("AXSP", axspos(100, 1000), c.axes.corner_x, c.axes.corner_y),
    KEY("SCAL", scale("LOG", "XY"), c.axes.axis[kal::AXIS_X].log, c.axes.axis[kal::AXIS_Y].log),
    KEY("TICK", ticks(5, "X"), c.axes.axis[kal::AXIS_X].ticks),
    KEY("TICL", ticlen(50, 30), c.axes.major_len, c.axes.minor_len),
    KEY("TICP", ticpos("REVE", "Y"), c.axes.axis[kal::AXIS_Y].tick_pos),
    KEY("NOLI", noline("X"), c.axes.axis[kal::AXIS_X].line),
    KEY("SETS", setscl_y(), c.axes.axis[kal::AXIS_Y].auto_scale),
    KEY("AXCL", axclrs(5, "ALL", "X"), c.axes.axis[kal::AXIS_X].colour),
    KEY("SETG", setgrf("NONE", "NONE", "NONE", "NONE"), c.axes.side_level),
    KEY("NOGR", nograf(), c.axes.no_draw),
    KEY("FRAM", frame(3), c.axes.frame),
    KEY("LOGT", logtic("FULL"), c.axes.log_full),
    KEY("NOCH", nochek(), c.frame.checking_on),
    KEY("LABE", labels("DATE", "Y"), c.labels.axis[1].type),
    KEY("DIGI", digits(3, "Z"), c.labels.axis[2].digits),
    KEY("LABD", labdis(99, "X"), c.labels.axis[0].distance),
    KEY("LABJ", labjus("LEFT", "Y"), c.labels.axis[1].justify),
    KEY("LABP", labpos("SHIF", "X"), c.labels.axis[0].position),
    KEY("LABT", labtyp("VERT", "X"), c.labels.axis[0].vertical),
    KEY("MYLA", mylab("a", 2, "X"), c.labels.axis[0].mylab[1]),
    KEY("NAMD", namdis(5, "X"), c.labels.axis[0].name_distance),
    KEY("NAME", name("t", "Y"), c.labels.axis[1].name),
    KEY("HNAM", hname(50), c.labels.name_height),
    KEY("HTIT", htitle(50), c.labels.title.height),
    KEY("NUMF", numfmt("EXP"), c.labels.number_form),
    KEY("NUMO", numode("COMM", "NONE", "NONE", "NOEQ"), c.labels.mode.decimal),
    KEY("RVYN", rvynam(), c.labels.reverse_names),
    KEY("TIMO", timopt(), c.labels.time_colons),
    KEY("TITL", titlin("t", -3), c.labels.title.line[2], c.labels.title.underline[2]),
    KEY("VKYT", vkytit(20), c.labels.title.shift),
    KEY("CIRC", circsp(50), c.figures.arc_step),
    KEY("NOAR", noarln(), c.line.outline),
    KEY("SYMR", symrot(30), c.symbols.rotation),
    KEY("POLC", polcrv("STEP"), c.curves.mode),
    KEY("THKC", thkcrv(3), c.curves.thickness),
    KEY("CHNC", chncrv("BOTH"), c.curves.change),
    KEY("GAPC", gapcrv(2), c.curves.gap_on),
    KEY("BARW", barwth(-20), c.curves.bar_width),
    KEY("SPLM", splmod(4, 50), c.curves.spline_order, c.curves.spline_points),
    KEY("LEGC", legclr(), c.legend.text_in_colour),
    KEY("MIXL", mixleg(), c.legend.multi_line),
    KEY("UNIT", unit(nullptr), c.frame.unit),
    KEY("ZSCA", zscale(-1, 5), c.limits.z_given, c.limits.zmin),
    KEY("SURS", sursze(0, 2, 1, 3), c.limits.area_given, c.limits.xmax),
    KEY("CONC", c.contour.colours.assign(3, 7), c.contour.colours.size()),
    KEY("CONG", congap(2), c.contour.text_gap),
    KEY("CONM", conmod(1, 3), c.contour.gap_factor, c.contour.curvature),
    KEY("LABE", labels("CONL", "CON"), c.contour.label_mode),
    KEY("LABD", labdig(3, "CON"); labdis(99, "CON"), c.contour.label_digits, c.contour.label_distance),
    KEY("LABC", labclr(5, "CON"), c.contour.label_colour),
    KEY("BARG", bargrp(3, 0.5f), c.charts.group_count, c.charts.group_gap),
    KEY("BARP", barpos("BOTH"), c.charts.tick_positions, c.charts.axis_bases),
    KEY("BART", bartyp("3DHO"), c.charts.bar_type),
    KEY("CHNP", chnpie("COLO"), c.charts.pie_cycle),
    KEY("PIEE", pieexp(), c.charts.explode),
    KEY("PIEL", pielab("x", "RIGH"), c.charts.pie_right),
    KEY("PIEV", pievec(0, "STRA"), c.charts.vector_style, c.charts.vector_kind),
    KEY("PATC", patcyc(2, 0), c.charts.patterns[1]),
    KEY("LABE", labels("DELT", "BAR"), c.labels.chart.bar_value),
    KEY("LABD", labdig(3, "PIE"), c.labels.chart.data_digits, c.labels.chart.percent_digits),
    KEY("LABC", labclr(5, "PIE"), c.labels.chart.pie_colour),
    KEY("LABP", labpos("ALIG", "PIE"), c.labels.chart.pie_position),
    KEY("AX3L", ax3len(300, 400, 500), c.axes.axis[0].length, c.axes.axis[1].length, c.view3d.bar_length),
    KEY("AXIS", axis3d(1, 3, 4), c.view3d.xl, c.view3d.yl, c.view3d.zl),
    KEY("EXPZ", expzlb("BOTH"), c.view3d.end_labels),
    KEY("FLAB", flab3d(), c.view3d.corner_labels),
    KEY("NOBA", nobar(), c.view3d.bar),
    KEY("VIEW", view3d(1, 2, 3, "ANGL"), c.view3d.view_mode),
    KEY("VKXB", vkxbar(40), c.view3d.bar_shift_x),
    KEY("VKYB", vkybar(40), c.view3d.bar_shift_y),
    KEY("WIDB", widbar(40), c.view3d.bar_width),
    KEY("NOHI", nohide(), c.surface.options.hide),
    KEY("SHLS", shlsur(), c.surface.options.keep),
    KEY("SURC", surclr(3, 4), c.surface.options.side_colours, c.surface.options.top_colour, c.surface.options.bottom_colour),
    KEY("SURV", survis("BOTT"), c.surface.options.visible),
    KEY("MAPM", mapmod("INTE"), c.map.interpolate),
    KEY("MAPP", mappol(20, 60), c.map.pole_lon, c.map.pole_lat),
    KEY("MAPR", mapref(10, 40), c.map.ref_given, c.map.ref1, c.map.ref2),
    KEY("MAPS", mapsph(45), c.map.sphere),
    KEY("MPLA", mplang(30), c.map.label_angle),
    KEY("MPLC", mplclr(3, 4), c.map.label_colour, c.map.label_background),
    KEY("MPLS", mplsiz(50), c.map.label_height),
    KEY("PROJ", projct("MOLL"), c.map.code),
    KEY("AUTR", autres(10, 20), c.options.res_mode, c.options.res_nx, c.options.res_ny),
    KEY("SETR", setres(5, 6), c.options.res_mode, c.options.res_w, c.options.res_h),
    KEY("AXEN", axends("BOTH", "XY"), c.options.ends),
    KEY("CENT", center(), c.options.centred),
    KEY("FILC", filclr("RED"), c.options.fill_colour),
    KEY("GRAC", grace(20), c.options.grace),
    KEY("INTA", intax(), c.options.integer_labels),
    KEY("LFTT", lfttit(), c.labels.title.justify),
    KEY("RGTL", rgtlab(), c.labels.axis[kal::AXIS_Y].justify),
    KEY("LINC", lincyc(1, 5), c.options.line_cycle),
    KEY("LINS", linesp(2.5f), c.options.line_spacing),
    KEY("MDFM", mdfmat(4, 5, 3.0f), c.options.mdf_nx, c.options.mdf_ny, c.options.mdf_weight),
    KEY("NEGL", neglog(0.5f), c.options.neg_log),
    KEY("NOBG", nobgd(), c.options.no_background),
    KEY("NOFI", nofill(), c.options.no_fill),
    KEY("SHDC", shdcha(), c.options.shaded_characters),
};

TEST(Reset, EveryRegisteredKeyRestoresWhatKaliniSet) {
    std::set<std::string> registered;
    for (const kal::ResetKey& k : kal::registered_reset_keys()) {
        EXPECT_TRUE(kal::reset_name_known(k.name)) << k.name << " is not a name reset accepts";
        registered.insert(k.name);
    }
    std::set<std::string> covered;
    kal::Context& ctx = plotting_record();
    const kal::Context made;
    std::vector<std::string> fresh;
    for (const KeyCase& c : CASES) fresh.push_back(c.probe(NOT_BY_ALL.count(c.key) ? made : ctx));
    for (size_t i = 0; i < std::size(CASES); ++i) {
        const KeyCase& c = CASES[i];
        covered.insert(c.key);
        c.change(ctx);
        ASSERT_NE(c.probe(ctx), fresh[i]) << c.key;
        reset(c.key);
        EXPECT_EQ(c.probe(ctx), fresh[i]) << c.key;
    }
    EXPECT_EQ(covered, registered);  // a new key needs its row above

    for (const KeyCase& c : CASES)
        if (!NOT_BY_ALL.count(c.key)) c.change(ctx);
    const int warnings = ctx.frame.warnings;
    reset("all");
    for (size_t i = 0; i < std::size(CASES); ++i)
        if (!NOT_BY_ALL.count(CASES[i].key)) { EXPECT_EQ(CASES[i].probe(ctx), fresh[i]) << "ALL restores " << CASES[i].key; }
    // Names of parts not built yet are accepted and change nothing; others warn.
    reset("TICKS");
    EXPECT_EQ(ctx.frame.warnings, warnings);
    reset("TICX");
    EXPECT_EQ(ctx.frame.warnings, warnings + 1);
    kalfin();
}

}  // namespace
