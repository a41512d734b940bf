#include "output/drivers/java.h"

#include <algorithm>
#include <cmath>
#include <cctype>
#include <cstring>

#include "core/clock.h"
#include "core/context.h"
#include "output/colour_table.h"
#include "output/primitives.h"

namespace kal {
namespace {

constexpr double VERSION = 9.1;

// Words that cannot name a class.
const char* const KEYWORDS[] = {
    "abstract", "assert", "boolean", "break", "byte", "case", "catch", "char", "class", "const",
    "continue", "default", "do", "double", "else", "enum", "extends", "final", "finally", "float",
    "for", "goto", "if", "implements", "import", "instanceof", "int", "interface", "long", "native",
    "new", "package", "private", "protected", "public", "return", "short", "static", "strictfp",
    "super", "switch", "synchronized", "this", "throw", "throws", "transient", "try", "void",
    "volatile", "while", "true", "false", "null", "var", "yield", "record", "sealed", "permits",
};

// Classes the applet's code names: a class of the same name would shadow
// them (class Applet extends Applet), so it is renamed like a keyword.
const char* const USED_CLASSES[] = {"Applet", "Graphics", "Color", "Object", "String"};

int coordinate(double v) {
    if (!(v == v)) return 0;
    return static_cast<int>(std::clamp(v, -1e9, 1e9));
}

}  // namespace

std::string java_class_name(const std::string& file_name, bool& is_public) {
    const size_t cut = file_name.find_last_of("/\\:");
    const std::string base = cut == std::string::npos ? file_name : file_name.substr(cut + 1);
    std::string name = base.substr(0, base.find('.'));
    for (char& c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (!(u < 128 && (std::isalnum(u) || c == '_'))) c = '_';
    }
    bool keyword = name.empty();
    for (const char* k : KEYWORDS) keyword = keyword || name == k;
    for (const char* k : USED_CLASSES) keyword = keyword || name == k;
    if (keyword || std::isdigit(static_cast<unsigned char>(name[0]))) name.insert(0, "_");
    is_public = base == name + ".java";
    return name;
}

void JavaDriver::open(Context& ctx) {
    const PageState& p = ctx.page;
    bool is_public = false;
    const std::string name = java_class_name(p.file_name, is_public);
    OutputSink& s = sink();
    s.text("// KALVOR Java Metafile\n");
    s.format("// Creator: KALVOR %4.1f\n", VERSION);
    const DateTime t = now();
    s.format("// Date   : %s, %s\n", date_text(t).c_str(), time_text(t).c_str());
    s.format("// Size   : %d %d\n", p.win_w, p.win_h);
    s.text("\nimport java.applet.*;\nimport java.awt.*;\n\n");
    s.format("%sclass %s extends Applet {\n", is_public ? "public " : "", name.c_str());
    s.text("public void paint(Graphics g) {\n");
    x_ = y_ = 0;
    statements_ = 0;
    methods_ = 0;
}

void JavaDriver::statement() {
    if (statements_ < STATEMENTS_PER_METHOD) {
        ++statements_;
        return;
    }
    ++methods_;
    sink().format("  paint%d (g);\n  }\n", methods_);
    sink().format("private void paint%d(Graphics g) {\n", methods_);
    statements_ = 1;
}

void JavaDriver::erase(Context& ctx) {
    statement();
    sink().format("  g.clearRect (0,0,%d,%d);\n", ctx.page.win_w, ctx.page.win_h);
}

int JavaDriver::close(Context&) {
    sink().text("  }\n}\n");
    return 1;
}

void JavaDriver::move_draw(Context&, double x, double y, int pen) {
    const int px = coordinate(x), py = coordinate(y);
    if (pen == 2) {
        statement();
        sink().format("  g.drawLine (%d,%d,%d,%d);\n", x_, y_, px, py);
    }
    x_ = px;
    y_ = py;
}

void JavaDriver::set_colour(Context& ctx, int value) {
    const Rgb c = resolve_rgb(ctx, value);
    statement();
    sink().format("  g.setColor (new Color (%d,%d,%d));\n", c.r, c.g, c.b);
}

void JavaDriver::colour(Context& ctx, int value) { set_colour(ctx, value); }

// The corners may come in any order (a turned page swaps them): the
// rectangle starts at the smaller coordinates.
bool JavaDriver::fill_rect(Context& ctx, double x1, double y1, double x2, double y2, int value) {
    const DevicePoint a = device_point(ctx, x1, y1), b = device_point(ctx, x2, y2);
    const int ax = coordinate(a.x), ay = coordinate(a.y), bx = coordinate(b.x), by = coordinate(b.y);
    set_colour(ctx, value);
    statement();
    sink().format("  g.fillRect (%d,%d,%d,%d);\n", std::min(ax, bx), std::min(ay, by),
                  std::abs(bx - ax) + 1, std::abs(by - ay) + 1);
    if (value != ctx.out.current_colour) set_colour(ctx, ctx.out.current_colour);
    return true;
}

}  // namespace kal
