"""The KALVOR demo gallery: the same page in every output format that draws.

Run from an empty directory (scripts/demo.sh does this in gallery/): it
writes gallery.met, gallery.ps, gallery.eps, gallery.pdf, gallery.svg,
gallery.png, gallery.gif, gallery.tif, gallery.bmp and gallery.ppm.
"""
import math

import kalvor as k

FORMATS = [("VEKM", "met"), ("PS", "ps"), ("EPS", "eps"), ("PDF", "pdf"), ("SVG", "svg"),
           ("PNG", "png"), ("GIF", "gif"), ("TIFF", "tif"), ("BMP", "bmp"), ("PPM", "ppm")]


def colour_bars():
    """The rainbow colour table as a row of filled boxes."""
    for i in range(1, 255, 2):
        k.recfll(200 + i * 9, 150, 18, 160, i)


def curves():
    """Sine curves in four line styles and widths."""
    for n, (style, width) in enumerate([(0, 1), (1, 3), (3, 5), (5, 8)]):
        k.setclr(40 + 60 * n)
        k.lintyp(style)
        k.linwid(width)
        y0 = 700 + 220 * n
        for i in range(501):
            x = 200 + i * 5
            y = y0 - 90 * math.sin(x / 120.0 + n)
            if i == 0:
                k.strtpt(x, y)
            else:
                k.connpt(x, y)
    k.solid()
    k.linwid(1)


def shapes():
    """A solid triangle, a hatched polygon and a framed box."""
    k.setrgb(0.1, 0.5, 0.9)
    k.trifll([300, 700, 500], [1950, 1950, 1600])
    k.setclr(200)
    k.shdpat(7)
    k.areaf([900, 1400, 1500, 1100, 850], [1950, 1950, 1700, 1550, 1700], 5)
    k.shdpat(0)
    k.setclr(250)
    k.linwid(6)
    k.rectan(1700, 1550, 1000, 400)
    k.linwid(1)


def texts():
    """A title in an outline font, a formula and national characters."""
    k.setclr(250)
    k.helve()
    k.height(40)
    k.messag("One page, every format", 1760, 1600)
    k.complx()
    k.height(40)
    k.texmod("ON")
    k.messag(r"\int_0^{2\pi} \sin^2 x\,dx = \pi", 1760, 1720)
    k.texmod("OFF")
    k.chacod("ISO1")
    k.serif()
    k.height(36)
    k.messag("Größe, Ångström, déjà vu", 1760, 1860)


def page(device, ext):
    k.metafl(device)
    k.setfil(f"gallery.{ext}")
    k.filmod("DELE")
    k.kalini()
    k.errmod("PROT", "OFF")
    colour_bars()
    curves()
    shapes()
    texts()
    k.kalfin()


if __name__ == "__main__":
    for device, ext in FORMATS:
        page(device, ext)
    print("gallery written:", ", ".join(f"gallery.{ext}" for _, ext in FORMATS))
