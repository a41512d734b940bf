// The quick plots of the Python module (plot, scattr, plot3, surf3, surface,
// surshade, contour, conshade), the plot variables that adjust them (setvar),
// and the module's own kalini and metafl, which apply the variables and note
// that an output format was chosen.
//
// The variables and the output-format flag are process-wide binding state:
// they are read and written with the interpreter lock held. The library calls
// of a quick plot run with the lock released, in a few groups.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "api/entries.h"
#include "core/call_lock.h"
#include "core/context.h"
#include "core/frame.h"
#include "python/call.h"
#include "python/convert.h"

namespace kalpy {

PyObject* py_setvar(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_plot(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_scattr(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_plot3(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_surf3(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_surface(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_surshade(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_contour(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_conshade(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_kalini(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_metafl(PyObject*, PyObject* const* args, Py_ssize_t nargs);

namespace {

enum class Kind { Int, Float, Text };

struct Variable {
    Variable(const char* n, Kind k) : name(n), kind(k) {}
    const char* name;
    Kind kind;
    bool set = false;
    int i = 0;
    float f = 0;
    std::string s;
};

// In lookup order (the order in which they are applied).
Variable variables[] = {
    {"ERASE", Kind::Int},  {"H", Kind::Int},       {"HNAME", Kind::Int},   {"HSYMBL", Kind::Int},
    {"HTITLE", Kind::Int}, {"INCMRK", Kind::Int},  {"MARKER", Kind::Int},  {"POLCRV", Kind::Text},
    {"T1", Kind::Text},    {"T2", Kind::Text},     {"T3", Kind::Text},     {"T4", Kind::Text},
    {"X", Kind::Text},     {"XAUTO", Kind::Int},   {"XDIG", Kind::Int},    {"XLAB", Kind::Text},
    {"XLEN", Kind::Int},   {"XMAX", Kind::Float},  {"XMIN", Kind::Float},  {"XOR", Kind::Float},
    {"XPOS", Kind::Int},   {"XRES", Kind::Int},    {"XSCL", Kind::Text},   {"XSTEP", Kind::Float},
    {"XTIC", Kind::Int},   {"Y", Kind::Text},      {"YAUTO", Kind::Int},   {"YDIG", Kind::Int},
    {"YLAB", Kind::Text},  {"YLEN", Kind::Int},    {"YMAX", Kind::Float},  {"YMIN", Kind::Float},
    {"YOR", Kind::Float},  {"YPOS", Kind::Int},    {"YRES", Kind::Int},    {"YSCL", Kind::Text},
    {"YSTEP", Kind::Float}, {"YTIC", Kind::Int},   {"Z", Kind::Text},      {"ZAUTO", Kind::Int},
    {"ZDIG", Kind::Int},   {"ZLAB", Kind::Text},   {"ZLEN", Kind::Int},    {"ZMAX", Kind::Float},
    {"ZMIN", Kind::Float}, {"ZOR", Kind::Float},   {"ZSCL", Kind::Text},   {"ZSTEP", Kind::Float},
    {"ZTIC", Kind::Int},   {"X3LEN", Kind::Float}, {"Y3LEN", Kind::Float}, {"Z3LEN", Kind::Float},
    {"X3VIEW", Kind::Float}, {"Y3VIEW", Kind::Float}, {"Z3VIEW", Kind::Float}, {"VTITLE", Kind::Int},
    {"CONSHD", Kind::Text},
};
static_assert(sizeof(variables) / sizeof(variables[0]) == 57);

// metafl was called through the module: quick plots keep its format.
bool format_chosen = false;
// The 3-D box and view point last applied, for the coordinates a variable
// does not give.
float box3d[3] = {2, 2, 2};
float eye3d[3] = {4, -5, 4};

Variable* find(const char* name) {
    for (Variable& v : variables)
        if (std::strcmp(v.name, name) == 0) return &v;
    return nullptr;
}

// A set int variable, or `fallback`.
int int_var(const char* name, int fallback) {
    const Variable* v = find(name);
    return v && v->set ? v->i : fallback;
}

// The calling thread's record with the routine name recorded (every level
// passes). Only inside a call of `run`.
kal::Context& record(const char* name) { return *kal::level_check(0, 3, name); }

int current_level() {
    int level = 0;
    run("getlev", false, [&] { level = kal::entry::getlev(); });
    return level;
}

// setres(nx, ny) with the other value from getres, the interpreter lock held.
bool apply_resolution(int axis, int value) {
    int res[2] = {1, 1};
    return run("setres", false, [&] {
        kal::entry::getres(&res[0], &res[1]);
        res[axis] = value;
        kal::entry::setres(res[0], res[1]);
    });
}

// Calls the routine of one set variable (none for ERASE, the AUTO, MIN, MAX,
// OR and STEP variables, which the quick plots read). Lock held.
bool apply(const Variable& v) {
    const std::string n = v.name;
    const int i = v.i;
    const float f = v.f;
    const char* s = v.s.c_str();
    const char axis[2] = {n[0], 0};
    const std::string rest = n.size() > 1 ? n.substr(1) : "";
    auto call = [&](const char* routine, auto&& body) { return run(routine, false, body); };
    using namespace kal::entry;
    if (n == "H") return call("height", [&] { height(i); });
    if (n == "HNAME") return call("hname", [&] { hname(i); });
    if (n == "HSYMBL") return call("hsymbl", [&] { hsymbl(i); });
    if (n == "HTITLE") return call("htitle", [&] { htitle(i); });
    if (n == "INCMRK") return call("incmrk", [&] { incmrk(i); });
    if (n == "MARKER") return call("marker", [&] { marker(i); });
    if (n == "POLCRV") return call("polcrv", [&] { polcrv(s); });
    if (n == "VTITLE") return call("vkytit", [&] { vkytit(i); });
    if (n == "CONSHD") return call("shdmod", [&] { shdmod(s, "CONTOUR"); });
    if (n[0] == 'T') return call("titlin", [&] { titlin(s, n[1] - '0'); });
    if (n.size() == 1) return call("name", [&] { name(s, axis); });
    if (rest == "DIG") return call("digits", [&] { digits(i, axis); });
    if (rest == "LAB") return call("labels", [&] { labels(s, axis); });
    if (rest == "SCL") return call("scale", [&] { scale(s, axis); });
    if (rest == "TIC") return call("ticks", [&] { ticks(i, axis); });
    if (rest == "RES") return apply_resolution(n[0] - 'X', i);
    if (rest == "LEN") {
        // The other lengths as they are (axslen and ax3len keep X and Y in
        // the axis settings, the colour bar in the 3-D view).
        return call(n[0] == 'Z' ? "ax3len" : "axslen", [&] {
            kal::CallLock lock;
            const kal::Context& c = record("axslen");
            const int lx = c.axes.axis[kal::AXIS_X].length, ly = c.axes.axis[kal::AXIS_Y].length;
            if (n[0] == 'X') axslen(i, ly);
            else if (n[0] == 'Y') axslen(lx, i);
            else ax3len(lx, ly, i);
        });
    }
    if (rest == "POS") {
        return call("axspos", [&] {
            kal::CallLock lock;
            const kal::Context& c = record("axspos");
            const int y = c.page.page_origin == 1 ? c.page.height - c.axes.corner_y : c.axes.corner_y;
            if (n[0] == 'X') axspos(i, y);
            else axspos(c.axes.corner_x, i);
        });
    }
    if (rest == "3LEN" || rest == "3VIEW") {
        float* last = rest == "3LEN" ? box3d : eye3d;
        float p[3] = {last[0], last[1], last[2]};
        p[n[0] - 'X'] = f;
        if (rest == "3LEN") {
            if (f >= 0) last[n[0] - 'X'] = f;
            return call("axis3d", [&] { axis3d(p[0], p[1], p[2]); });
        }
        last[n[0] - 'X'] = f;
        return call("view3d", [&] { view3d(p[0], p[1], p[2], "ABS"); });
    }
    return true;
}

// Applies every set variable in table order; nothing at level 0.
bool apply_all() {
    if (current_level() == 0) return true;
    for (const Variable& v : variables)
        if (v.set && !apply(v)) return false;
    return true;
}

// ---- data ----------------------------------------------------------------------

// The length of a sequence argument.
bool length_of(PyObject* o, Py_ssize_t& n) {
    n = PyObject_Length(o);
    if (n >= 0) return true;
    PyErr_Clear();
    PyErr_SetString(PyExc_ValueError, PySequence_Check(o) ? "sequence has no length" : "parameter is not a sequence");
    return false;
}

struct Range {
    double min = std::numeric_limits<double>::infinity();
    double max = -std::numeric_limits<double>::infinity();
    bool empty() const { return min > max; }
};

Range range_of(const float* v, size_t n) {
    Range r;
    for (size_t i = 0; i < n; ++i) {
        if (!std::isfinite(v[i])) continue;
        r.min = std::min(r.min, double(v[i]));
        r.max = std::max(r.max, double(v[i]));
    }
    return r;
}

// One warning of the quick plot for data without a finite value.
bool no_finite_values(const char* routine) {
    return run(routine, false, [&] {
        kal::CallLock lock;
        kal::custom_warning(record(routine), 101, "No finite values to plot");
    });
}

// The axis parameters of graf for one axis, from the plot variables of its
// letter and the data range: setscl where the axis is scaled from data
// (graf then computes the parameters itself), or XMIN, XMAX, XOR and XSTEP.
struct AxisPlan {
    char letter;
    Range data;
    bool fixed = false;       // the four variables given
    float param[4] = {0, 1, 0, 1};
    bool use_variables = false;  // setscl from XMIN and XMAX
    float vmin = 0, vmax = 0;
};

AxisPlan plan_axis(char letter, Range data) {
    AxisPlan p;
    p.letter = letter;
    p.data = data;
    auto var = [&](const char* suffix) { return find((std::string(1, letter) + suffix).c_str()); };
    const Variable *autov = var("AUTO"), *mn = var("MIN"), *mx = var("MAX"), *org = var("OR"), *step = var("STEP");
    if (autov->set && autov->i != 0) return p;
    if (mn->set && mx->set) {
        if (org->set && step->set) {
            p.fixed = true;
            p.param[0] = mn->f;
            p.param[1] = mx->f;
            p.param[2] = org->f;
            p.param[3] = step->f;
        } else {
            p.use_variables = true;
            p.vmin = mn->f;
            p.vmax = mx->f;
        }
    }
    return p;
}

// Step 9 for one axis, inside the library call: setscl unless fixed.
void scale_axis(AxisPlan& p) {
    if (p.fixed) return;
    float v[2] = {float(p.data.min), float(p.data.max)};
    if (p.use_variables) {
        kal::CallLock lock;
        const bool log = record("setscl").axes.axis[p.letter - 'X'].log;
        v[0] = log ? std::pow(10.0f, p.vmin) : p.vmin;
        v[1] = log ? std::pow(10.0f, p.vmax) : p.vmax;
    }
    const char axis[2] = {p.letter, 0};
    kal::entry::setscl(v, 2, axis);
    p.param[0] = v[0];
    p.param[1] = v[1];
    p.param[2] = v[0];
    p.param[3] = v[1] - v[0];
}

// Steps 3 to 5 of every quick plot: a new page or a started library, no
// open axis system, the page frame.
void begin_plot(bool initialised, bool erase_page, bool chosen) {
    using namespace kal::entry;
    if (initialised) {
        if (erase_page) erase();
        reset("setscl");
    } else {
        if (!chosen) metafl("xwin");
        kalini();
        complx();
        nochek();
    }
    if (getlev() >= 2) endgrf();
    pagera();
}

enum class Quick { Plot, Scatter, Plot3, Surf3, Surface, Shaded, Contour, ConShade };

const char* quick_name(Quick q) {
    switch (q) {
    case Quick::Plot: return "plot";
    case Quick::Scatter: return "scattr";
    case Quick::Plot3: return "plot3";
    case Quick::Surf3: return "surf3";
    case Quick::Surface: return "surface";
    case Quick::Shaded: return "surshade";
    case Quick::Contour: return "contour";
    case Quick::ConShade: return "conshade";
    }
    return "";
}

// Steps 2 to 7: the page prepared and the variables applied. The settings
// of the quick plot itself (`settings`) come before the variables, so that
// those override them.
template <typename Settings>
bool prepare(const char* name, Settings&& settings) {
    const bool initialised = current_level() != 0;
    const int erase_flag = int_var("ERASE", 1);
    const bool chosen = format_chosen;
    if (!run(name, true, [&] {
            begin_plot(initialised, erase_flag == 1, chosen);
            settings();
        }))
        return false;
    return apply_all();
}

// surf3: every value a rectangle in its colour of the colour scale, centred
// on its grid point, reaching the neighbouring grid points (plus one unit);
// a single grid point along an axis spans that axis.
void colour_cells(const Array<float>& x, const Array<float>& y, const Array<float>& z) {
    using namespace kal::entry;
    const size_t n = x.size(), m = y.size();
    std::vector<int> px(n), py(m);
    for (size_t i = 0; i < n; ++i) px[i] = nxposn(x[i]);
    for (size_t j = 0; j < m; ++j) py[j] = nyposn(y[j]);
    int axis_x0, axis_y0, axis_w, axis_h;
    {
        kal::CallLock lock;
        const kal::Context& c = record("surf3");
        axis_w = c.axes.x.length;
        axis_h = c.axes.y.length;
        axis_x0 = int(std::lround(c.axes.x.start));
        axis_y0 = int(std::lround(c.axes.y.start)) - axis_h + 1;
    }
    auto extent = [](const std::vector<int>& p, size_t k, int start, int length, int& from, int& size) {
        if (p.size() == 1) {
            from = start;
            size = length;
            return;
        }
        const int other = k + 1 < p.size() ? p[k + 1] : p[k - 1];
        size = std::abs(other - p[k]) + 1;
        from = p[k] - size / 2;
    };
    const int saved = getclr();
    for (size_t i = 0; i < n; ++i) {
        int x0, w;
        extent(px, i, axis_x0, axis_w, x0, w);
        for (size_t j = 0; j < m; ++j) {
            const float v = z[i * m + j];
            if (!std::isfinite(v)) continue;
            int y0, h;
            extent(py, j, axis_y0, axis_h, y0, h);
            recfll(x0, y0, w, h, nzposn(v));
        }
    }
    setclr(saved);
}

// The 2-D quick plots (plot, scattr) and plot3.
PyObject* quick_curve(Quick q, PyObject* const* args, Py_ssize_t nargs) {
    const char* name = quick_name(q);
    const int dims = q == Quick::Plot3 ? 3 : 2;
    if (!arity(name, nargs, dims)) return nullptr;
    Py_ssize_t len[3] = {};
    for (int d = 0; d < dims; ++d)
        if (!length_of(args[d], len[d])) return nullptr;
    for (int d = 1; d < dims; ++d)
        if (len[d] != len[0]) {
            PyErr_SetString(PyExc_ValueError, "mismatch of array sizes");
            return nullptr;
        }
    const Py_ssize_t n = len[0];
    if (n < 1 || n > std::numeric_limits<int>::max()) Py_RETURN_NONE;
    Sequences seq;
    Array<float> v[3];
    for (int d = 0; d < dims; ++d) seq.floats(args[d], n, v[d]);
    if (!seq.ok()) return nullptr;
    AxisPlan plans[3];
    for (int d = 0; d < dims; ++d) {
        const Range r = range_of(v[d].data(), v[d].size());
        if (r.empty()) return no_finite_values(name) ? Py_NewRef(Py_None) : nullptr;
        plans[d] = plan_axis(char('X' + d), r);
    }
    if (!prepare(name, [&] {
            if (q == Quick::Scatter) {
                kal::entry::incmrk(-1);
                kal::entry::marker(3);
                kal::entry::hsymbl(10);
            } else if (q == Quick::Plot) {
                kal::entry::incmrk(0);
            }
        }))
        return nullptr;
    // The plans were made from the variables with the interpreter lock held;
    // the calls below read only the plans and the library's own state.
    if (!run(name, true, [&] {
            using namespace kal::entry;
            for (int d = 0; d < dims; ++d) scale_axis(plans[d]);
            const float* a = plans[0].param;
            const float* b = plans[1].param;
            if (dims == 2) {
                graf(a[0], a[1], a[2], a[3], b[0], b[1], b[2], b[3]);
                title();
                curve(v[0].data(), v[1].data(), int(n));
            } else {
                const float* c = plans[2].param;
                graf3(a[0], a[1], a[2], a[3], b[0], b[1], b[2], b[3], c[0], c[1], c[2], c[3]);
                title();
                curve3(v[0].data(), v[1].data(), v[2].data(), int(n));
            }
            sendbf();
        }))
        return nullptr;
    Py_RETURN_NONE;
}

// x (n), y (m) and a matrix of n by m, converted; false with an exception,
// or with `empty` when a count is 0.
bool grid_arguments(PyObject* const* args, Array<float>& x, Array<float>& y, Array<float>& z,
                    bool& empty) {
    Py_ssize_t n, m;
    if (!length_of(args[0], n) || !length_of(args[1], m)) return false;
    empty = n < 1 || m < 1;
    if (empty) return true;
    if (n > std::numeric_limits<int>::max() / m) {
        PyErr_SetString(PyExc_MemoryError, "out of memory");
        return false;
    }
    Sequences seq;
    seq.floats(args[0], n, x);
    seq.floats(args[1], m, y);
    seq.matrix(args[2], n * m, z);
    if (!seq.ok()) return false;
    z.resize(size_t(n * m));
    return true;
}

PyObject* quick_grid(Quick q, PyObject* const* args, Py_ssize_t nargs) {
    const char* name = quick_name(q);
    const bool contours = q == Quick::Contour || q == Quick::ConShade;
    if (!contours && !arity(name, nargs, 3)) return nullptr;
    if (contours && nargs != 3 && nargs != 4) {
        PyErr_Format(PyExc_TypeError, "%s() takes 3 or 4 arguments (%zd given)", name, nargs);
        return nullptr;
    }
    Array<float> x, y, z, levels;
    bool empty = false;
    if (!grid_arguments(args, x, y, z, empty)) return nullptr;
    const bool given_levels = contours && nargs == 4 && args[3] != Py_None;  // None: left out
    if (given_levels) {
        Py_ssize_t nl;
        if (!length_of(args[3], nl)) return nullptr;
        if (nl > std::numeric_limits<int>::max()) nl = std::numeric_limits<int>::max();
        Sequences seq;
        if (nl > 0) seq.floats(args[3], nl, levels);
        if (!seq.ok()) return nullptr;
    }
    if (empty) Py_RETURN_NONE;
    const Range rx = range_of(x.data(), x.size()), ry = range_of(y.data(), y.size());
    const Range rz = range_of(z.data(), z.size());
    if (rx.empty() || ry.empty() || rz.empty()) return no_finite_values(name) ? Py_NewRef(Py_None) : nullptr;
    if (contours && !given_levels) {
        for (int k = 0; k < 10; ++k)
            levels.push_back(k == 9 ? float(rz.max) : float(rz.min + k * (rz.max - rz.min) / 9));
    }
    AxisPlan plans[3] = {plan_axis('X', rx), plan_axis('Y', ry), plan_axis('Z', rz)};
    if (!prepare(name, [&] {
            if (contours) kal::entry::labels("float", "contour");
        }))
        return nullptr;
    const int n = int(x.size()), m = int(y.size());
    if (!run(name, true, [&] {
            using namespace kal::entry;
            for (int d = 0; d < (contours ? 2 : 3); ++d) scale_axis(plans[d]);
            const float *a = plans[0].param, *b = plans[1].param, *c = plans[2].param;
            if (contours) {
                graf(a[0], a[1], a[2], a[3], b[0], b[1], b[2], b[3]);
                title();
                if (q == Quick::ConShade) {
                    if (!levels.empty()) conshd(x.data(), n, y.data(), m, z.data(), levels.data(), int(levels.size()));
                } else {
                    const int saved = gethgt();
                    height(25);
                    for (float level : levels) contur(x.data(), n, y.data(), m, z.data(), level);
                    height(saved);
                }
            } else if (q == Quick::Surf3) {
                graf3(a[0], a[1], a[2], a[3], b[0], b[1], b[2], b[3], c[0], c[1], c[2], c[3]);
                title();
                colour_cells(x, y, z);
            } else {
                noclip();
                graf3d(a[0], a[1], a[2], a[3], b[0], b[1], b[2], b[3], c[0], c[1], c[2], c[3]);
                title();
                if (q == Quick::Surface)
                    surfce(x.data(), n, y.data(), m, z.data());
                else
                    surshd(x.data(), n, y.data(), m, z.data());
                reset("noclip");
            }
        }))
        return nullptr;
    if (!run(name, true, [&] { kal::entry::sendbf(); })) return nullptr;
    Py_RETURN_NONE;
}

}  // namespace

// setvar(name, value): stores a plot variable and applies it at once when
// the library is initialised.
PyObject* py_setvar(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    std::string name;
    if (!arity("setvar", nargs, 2) || !to_text("setvar", args[0], name)) return nullptr;
    for (char& c : name)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    Variable* v = find(name.c_str());
    if (!v || name.size() != std::strlen(name.c_str())) {
        PyErr_SetString(PyExc_ValueError, "undefined variable");
        return nullptr;
    }
    Variable next = *v;
    try {
        switch (v->kind) {
        case Kind::Int:
            if (!to_int(args[1], next.i)) return nullptr;
            break;
        case Kind::Float:
            if (!to_float(args[1], next.f)) return nullptr;
            break;
        case Kind::Text:
            if (!to_text("setvar", args[1], next.s)) return nullptr;
            break;
        }
    } catch (const std::bad_alloc&) {
        PyErr_SetString(PyExc_MemoryError, "no memory in SETVAR");
        return nullptr;
    }
    next.set = true;
    std::swap(*v, next);
    if (current_level() != 0 && !apply(*v)) return nullptr;
    Py_RETURN_NONE;
}

// kalini through the module: the library started, then the variables.
PyObject* py_kalini(PyObject*, PyObject* const*, Py_ssize_t nargs) {
    if (!arity("kalini", nargs, 0)) return nullptr;
    if (!run("kalini", true, [] { kal::entry::kalini(); })) return nullptr;
    if (!apply_all()) return nullptr;
    Py_RETURN_NONE;
}

// metafl through the module: quick plots keep the chosen format.
PyObject* py_metafl(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    std::string device;
    if (!arity("metafl", nargs, 1) || !to_text("metafl", args[0], device)) return nullptr;
    format_chosen = true;
    if (!run("metafl", false, [&] { kal::entry::metafl(device.c_str()); })) return nullptr;
    Py_RETURN_NONE;
}

PyObject* py_plot(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    return quick_curve(Quick::Plot, args, nargs);
}
PyObject* py_scattr(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    return quick_curve(Quick::Scatter, args, nargs);
}
PyObject* py_plot3(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    return quick_curve(Quick::Plot3, args, nargs);
}
PyObject* py_surf3(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    return quick_grid(Quick::Surf3, args, nargs);
}
PyObject* py_surface(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    return quick_grid(Quick::Surface, args, nargs);
}
PyObject* py_surshade(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    return quick_grid(Quick::Shaded, args, nargs);
}
PyObject* py_contour(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    return quick_grid(Quick::Contour, args, nargs);
}
PyObject* py_conshade(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    return quick_grid(Quick::ConShade, args, nargs);
}

}  // namespace kalpy
