"""Character widths of the 35 standard PostScript fonts from their metric
files, indexed by the program's character codes 32 to 186: the font's own
codes up to 126, the national characters from 127 by glyph name."""
import os

from fontTools.agl import UV2AGL

from encode import HEADER
from national import NATIONAL

# Standard name -> metric file of the clone with the same metrics.
FONTS = (
    ("Times-Roman", "NimbusRoman-Regular"), ("Times-Bold", "NimbusRoman-Bold"),
    ("Times-Italic", "NimbusRoman-Italic"), ("Times-BoldItalic", "NimbusRoman-BoldItalic"),
    ("Helvetica", "NimbusSans-Regular"), ("Helvetica-Bold", "NimbusSans-Bold"),
    ("Helvetica-Oblique", "NimbusSans-Italic"), ("Helvetica-BoldOblique", "NimbusSans-BoldItalic"),
    ("Helvetica-Narrow", "NimbusSansNarrow-Regular"), ("Helvetica-Narrow-Bold", "NimbusSansNarrow-Bold"),
    ("Helvetica-Narrow-Oblique", "NimbusSansNarrow-Oblique"),
    ("Helvetica-Narrow-BoldOblique", "NimbusSansNarrow-BoldOblique"),
    ("NewCenturySchlbk-Roman", "C059-Roman"), ("NewCenturySchlbk-Italic", "C059-Italic"),
    ("NewCenturySchlbk-Bold", "C059-Bold"), ("NewCenturySchlbk-BoldItalic", "C059-BdIta"),
    ("ZapfChancery-MediumItalic", "Z003-MediumItalic"), ("ZapfDingbats", "D050000L"),
    ("Courier", "NimbusMonoPS-Regular"), ("Courier-Bold", "NimbusMonoPS-Bold"),
    ("Courier-Oblique", "NimbusMonoPS-Italic"), ("Courier-BoldOblique", "NimbusMonoPS-BoldItalic"),
    ("AvantGarde-Book", "URWGothic-Book"), ("AvantGarde-Demi", "URWGothic-Demi"),
    ("AvantGarde-BookOblique", "URWGothic-BookOblique"), ("AvantGarde-DemiOblique", "URWGothic-DemiOblique"),
    ("Bookman-Light", "URWBookman-Light"), ("Bookman-LightItalic", "URWBookman-LightItalic"),
    ("Bookman-Demi", "URWBookman-Demi"), ("Bookman-DemiItalic", "URWBookman-DemiItalic"),
    ("Palatino-Roman", "P052-Roman"), ("Palatino-Italic", "P052-Italic"),
    ("Palatino-Bold", "P052-Bold"), ("Palatino-BoldItalic", "P052-BoldItalic"),
    ("Symbol", "StandardSymbolsPS"),
)


def read_afm(path):
    by_code, by_name = {}, {}
    with open(path, encoding="latin-1") as f:
        for line in f:
            if not line.startswith("C "):
                continue
            fields = dict(p.strip().split(" ", 1) for p in line.split(";") if p.strip())
            code, width, name = int(fields["C"]), int(fields["WX"]), fields.get("N")
            if code >= 0:
                by_code[code] = width
            if name:
                by_name[name] = width
    return by_code, by_name


def widths(path):
    by_code, by_name = read_afm(path)
    blank = by_code[32]
    out = [by_code.get(c, blank) for c in range(32, 127)]
    out += [by_name.get(UV2AGL[ord(ch)], blank) for ch in NATIONAL]
    return out


def generate(data, outdir):
    rows = [widths(os.path.join(data, "afm", f + ".afm")) for _, f in FONTS]
    out = [HEADER % "the metric files afm/*.afm", '#include "output/font_metrics.h"\n\n',
           "namespace kal::font_data {\n\n"]
    out.append("extern const char* const standard_font_names[%d];\n" % len(FONTS))
    out.append("const char* const standard_font_names[%d] = {\n" % len(FONTS))
    out += ['    "%s",\n' % n for n, _ in FONTS]
    out.append("};\n\n// Widths in 1/1000 of the font size for the codes 32 to 186.\n")
    out.append("extern const int16_t standard_font_widths[%d][%d];\n" % (len(FONTS), len(rows[0])))
    out.append("const int16_t standard_font_widths[%d][%d] = {\n" % (len(FONTS), len(rows[0])))
    for (name, _), r in zip(FONTS, rows):
        out.append("    // %s\n    {" % name)
        for i in range(0, len(r), 16):
            out.append(("" if i == 0 else "\n     ") + ",".join(str(w) for w in r[i:i + 16]) + ",")
        out.append("},\n")
    out.append("};\n\n}  // namespace kal::font_data\n")
    with open(os.path.join(outdir, "standard_widths.cpp"), "w") as f:
        f.write("".join(out))
