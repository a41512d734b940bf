// The output devices: metafl keywords, device numbers, file extensions, and
// the one place that answers which family a device number belongs to.
#pragma once

namespace kal {

enum class Family {
    None, Screen, Terminal, Vekmet, Cgm, Wmf, Kyocera, Hpgl, PostScript, Pdf, Image, Java, Svg
};

enum Device : int {
    DEV_XWND = 80, DEV_VEKM = 201, DEV_CGM = 211, DEV_WMF = 221, DEV_KYOC = 301,
    DEV_HPGL = 401, DEV_POST = 501, DEV_PSCL = 502, DEV_EPS = 503, DEV_PS = 504,
    DEV_PDF = 511, DEV_TIFF = 601, DEV_IMAG = 602, DEV_VIRT = 603, DEV_PNG = 604,
    DEV_PPM = 605, DEV_BMP = 606, DEV_GIF = 607, DEV_JAVA = 701, DEV_SVG = 801
};

// Device number of a metafl keyword (4 characters, upper case, blank
// padded), or 0 when the keyword is unknown. MET1..MET9 select the screen.
int device_of_keyword(const char* key4);

Family family(int device);
// Default file extension ("met", "ps", ...), or nullptr for devices without
// a file (screens, VIRT).
const char* extension(int device);
bool binary_output(int device);     // CGM, images and PDF
bool true_colour(int device);       // devices that always draw in 24 bits

}  // namespace kal
