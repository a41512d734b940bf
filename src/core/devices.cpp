#include "core/devices.h"

#include <cstring>

namespace kal {
namespace {

struct Entry {
    const char* key;  // 4 characters, blank padded
    int device;
    const char* ext;  // nullptr: no file
};

const Entry DEVICES[] = {
    {"VEKM", 201, "met"}, {"CGM ", 211, "cgm"}, {"KYOC", 301, "kyo"}, {"HPGL", 401, "hpg"},
    {"HPA4", 402, "hpg"}, {"HPA3", 403, "hpg"}, {"HPA2", 404, "hpg"}, {"HPA1", 405, "hpg"},
    {"CONS", 80, nullptr}, {"TEKT", 151, "tek"}, {"VT34", 103, "   "}, {"LN03", 161, "ln3"},
    {"POST", 501, "psc"}, {"PSCL", 502, "psc"}, {"XWIN", 72, nullptr}, {"XWI1", 72, nullptr},
    {"XWI2", 73, nullptr}, {"XWI3", 74, nullptr}, {"XWI4", 75, nullptr}, {"XWI5", 76, nullptr},
    {"XWI6", 77, nullptr}, {"XWI7", 78, nullptr}, {"XWI8", 79, nullptr}, {"XWND", 80, nullptr},
    {"TIFF", 601, "tif"}, {"IMAG", 602, "img"}, {"VIRT", 603, nullptr}, {"PNG ", 604, "png"},
    {"JAVA", 701, "java"}, {"WMF ", 221, "wmf"}, {"PPM ", 605, "ppm"}, {"PDF ", 511, "pdf"},
    {"EPS ", 503, "eps"}, {"BMP ", 606, "bmp"}, {"PS  ", 504, "ps"}, {"SVG ", 801, "svg"},
    {"GIF ", 607, "gif"},
};

const Entry* find(int device) {
    for (const Entry& e : DEVICES)
        if (e.device == device) return &e;
    return nullptr;
}

}  // namespace

int device_of_keyword(const char* key4) {
    if (key4[0] == 'M' && key4[1] == 'E' && key4[2] == 'T' && key4[3] >= '1' && key4[3] <= '9')
        return DEV_XWND;
    for (const Entry& e : DEVICES)
        if (std::memcmp(e.key, key4, 4) == 0) return e.device;
    return 0;
}

Family family(int device) {
    if (device <= 0) return Family::None;
    if (device < 101) return Family::Screen;
    if (device <= 200) return Family::Terminal;
    if (device == DEV_VEKM) return Family::Vekmet;
    if (device == DEV_CGM) return Family::Cgm;
    if (device == DEV_WMF) return Family::Wmf;
    if (device <= 300) return Family::None;
    if (device <= 400) return Family::Kyocera;
    if (device <= 500) return Family::Hpgl;
    if (device == DEV_PDF) return Family::Pdf;
    if (device <= 600) return Family::PostScript;
    if (device <= 700) return Family::Image;
    if (device == DEV_JAVA) return Family::Java;
    if (device == DEV_SVG) return Family::Svg;
    return Family::None;
}

const char* extension(int device) {
    const Entry* e = find(device);
    return e ? e->ext : nullptr;
}

bool binary_output(int device) {
    Family f = family(device);
    return f == Family::Cgm || f == Family::Image || f == Family::Pdf;
}

bool true_colour(int device) {
    switch (family(device)) {
        case Family::Cgm: case Family::Wmf: case Family::PostScript: case Family::Pdf:
        case Family::Java: case Family::Svg:
            return true;
        default:
            return device == DEV_PPM;
    }
}

}  // namespace kal
