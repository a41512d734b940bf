// The output devices: metafl keywords, device numbers, and one row of traits
// per device. Everything that differs between devices outside their drivers
// is answered here: page factor, plot-to-device point transform, turned
// page, colour depth, paper colour, record-based text, extension and file
// mode. Nothing else compares device numbers.
#pragma once
#include <cmath>

namespace kal {

struct PageState;

enum class Family {
    None, Screen, Terminal, Vekmet, Cgm, Wmf, Kyocera, Hpgl, PostScript, Pdf, Image, Java, Svg
};

enum Device : int {
    DEV_XWND = 80, DEV_VEKM = 201, DEV_CGM = 211, DEV_WMF = 221, DEV_KYOC = 301,
    DEV_HPGL = 401, DEV_POST = 501, DEV_PSCL = 502, DEV_EPS = 503, DEV_PS = 504,
    DEV_PDF = 511, DEV_TIFF = 601, DEV_IMAG = 602, DEV_VIRT = 603, DEV_PNG = 604,
    DEV_PPM = 605, DEV_BMP = 606, DEV_GIF = 607, DEV_JAVA = 701, DEV_SVG = 801
};

// How plot units become device units (device factor).
enum class FactorRule { One, Pixels, Vekmet, Cgm, Wmf, Kyocera, Hpgl401, HpglSheet, PostScript, Pdf };

// How a plot point becomes a device point (the factor applied).
enum class PointRule {
    Identity,   // no conversion
    Pixels,     // (x, y); rotation mode 1: (y, W - x)
    Metafile,   // (x + shift, H - y); rotation mode 1: (y + shift, x)
    Plain,      // (x, y)
    Hpgl401,    // (x, H - y); rotation mode 1: (y, x)
    HpglSheet,  // W > H: (x, H - y); else (H - y, W - x)
    Paper,      // (x, H - y); turned page: (y, x)
};

// The colour table a plot starts with.
enum class StartTable { Rain, Rgre, Smal };

// The helper program that symfil starts.
enum class Helper { None, Driver, Printer, Applet };

struct DeviceTraits {
    int number;
    Family family;
    const char* ext;          // default file extension; nullptr: no file
    FactorRule factor;
    PointRule point;
    bool rounded;             // device points rounded half up to integers
    int colour_depth;         // 24: always true colour
    bool binary;              // output file opened in binary mode
    bool record_text;         // text batched in the 80-character record buffer
    bool fixed_records;       // full 80-byte records without line feeds (CGM)
    bool white_auto;          // scrmod AUTO gives a white page
    bool black_first;         // prints on white paper with black as the first colour
    bool reversal;            // scrmod REVERS swaps the table's ends
    bool resolves_colours;    // colours resolved per draw: revscr re-sends the current one
    bool own_raster;          // draws into a raster of its own (screens, images)
    bool image_on_page;       // imgini builds a raster placed on the page (PostScript, PDF)
    bool plain_on_zero;       // plain colour tables draw in entry 0 (black-first devices, Java)
    bool wide_hatch;          // the default hatch spacing of WMF
    StartTable table;
    Helper helper;
    bool queued;              // symfil passes the queue options
    int sheet;                // HPGL sheet 0..3 (HPA4..HPA1)
    bool hardware_fonts;      // draws the standard PostScript fonts itself
    bool white_drawn_black;   // WHITE draws black whatever the table (black-first metafiles)
    bool decimal_coordinates; // coordinates written with seven decimals: 1e-7 is one step
    bool memory_output;       // the document may stay in memory (pdfmod BUFF); an output
                              // that cannot be opened ends the program
};

// Device number of a metafl keyword (4 characters, upper case, blank
// padded), or 0 when the keyword is unknown. MET1..MET9 select the screen.
int device_of_keyword(const char* key4);

// The traits of a device number; an unknown number gets a row that draws
// nothing and writes no file.
const DeviceTraits& traits(int device);

Family family(int device);
// Default file extension ("met", "ps", ...), or nullptr for devices without
// a file (screens, VIRT).
const char* extension(int device);
bool binary_output(int device);
bool true_colour(int device);
// The driver draws wide lines itself (the raster devices and screens, as filled
// outlines): the line layer sends single strokes.
bool draws_widths(int device);

// The page lies turned on the device (the paper's long side up, or
// rotation mode 1 on pixel devices).
bool page_turned(const PageState& p, int device);
// Device units per plot unit for the page (at kalini).
double device_factor(const PageState& p, int device);

struct DevicePoint {
    double x, y;
};

// The plot-to-device point transform of one device and page, looked up
// once: writers that convert many points apply it without asking the
// traits for each of them.
struct DeviceMap {
    PointRule rule = PointRule::Identity;
    bool rounded = false;
    bool r1 = false;       // rotation mode 1
    bool turned = false;   // the paper turned (PointRule::Paper)
    double W = 0, H = 0, f = 1, shift = 0;
    // What the map was made for.
    bool made = false;
    int device = 0, rotation_mode = 0;

#if defined(__GNUC__)
    __attribute__((always_inline))
#endif
    DevicePoint operator()(double x, double y) const {
        DevicePoint d{x, y};
        switch (rule) {
            case PointRule::Identity:
                return d;
            case PointRule::Pixels:
                d = r1 ? DevicePoint{y * f, (W - x) * f} : DevicePoint{x * f, y * f};
                break;
            case PointRule::Metafile:
                d = r1 ? DevicePoint{(y + shift) * f, x * f} : DevicePoint{(x + shift) * f, (H - y) * f};
                break;
            case PointRule::Plain:
                d = {x * f, y * f};
                break;
            case PointRule::Hpgl401:
                d = r1 ? DevicePoint{y * f, x * f} : DevicePoint{x * f, (H - y) * f};
                break;
            case PointRule::HpglSheet:
                d = W > H ? DevicePoint{x * f, (H - y) * f} : DevicePoint{(H - y) * f, (W - x) * f};
                break;
            case PointRule::Paper:
                d = turned ? DevicePoint{y * f, x * f} : DevicePoint{x * f, (H - y) * f};
                break;
        }
        // Rounded half up (trunc(v + 0.5), as the devices have always done).
        if (rounded) d = {std::trunc(d.x + 0.5), std::trunc(d.y + 0.5)};
        return d;
    }
    // Points 0..n-1 into dx, dy: the same as the operator point by point,
    // with the rule chosen once for the whole array.
    void apply(int n, const double* x, const double* y, double* dx, double* dy) const;
    // For rounded maps: the device points as integers, the same as the
    // operator's values converted, for points whose device values lie
    // within +-1e9 (the page and its surroundings).
    void apply_rounded(int n, const double* x, const double* y, int* dx, int* dy) const;
};
DeviceMap device_map(const PageState& p, int device, double f, double shift);

// A plot point (origin offset added) in device units with the factor f and
// the metafile x shift.
DevicePoint to_device(const PageState& p, int device, double f, double shift, double x, double y);

}  // namespace kal
