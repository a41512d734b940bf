"""Smooth lines, text and fills

The raster formats draw exact pixels by default; aamode("ON"), chosen before
kalini, smooths the edges of lines, letters and filled areas in PNG, TIFF,
BMP and PPM files (vector formats are smooth anyway).
"""
import math

import kalvor as k


def setup():
    k.aamode("ON")


def draw():
    t = [i * 2.0 * math.pi / 720 for i in range(721)]

    k.axspos(450, 1800)
    k.axslen(1400, 1400)
    k.name("x", "X")
    k.name("y", "Y")
    k.labdig(1, "XY")
    k.titlin("Rose curves r = cos(k t)", 2)
    k.graf(-1.0, 1.0, -1.0, 0.5, -1.0, 1.0, -1.0, 0.5)
    k.title()

    k.color("GREEN")
    k.shdpat(16)
    n = 60
    k.rlarea([0.35 * math.cos(2 * math.pi * i / n) for i in range(n)],
             [0.35 * math.sin(2 * math.pi * i / n) for i in range(n)], n)
    for petals, colour, width in ((2, "RED", 1), (3, "BLUE", 4), (5, "MAGENTA", 8)):
        r = [math.cos(petals * a) for a in t]
        k.color(colour)
        k.linwid(width)
        k.curve([ri * math.cos(a) for ri, a in zip(r, t)], [ri * math.sin(a) for ri, a in zip(r, t)], len(t))
    k.linwid(1)
    k.color("FORE")
    k.helve()
    k.height(50)
    k.messag("Smoothed with aamode", 2000, 800)
    k.messag("lines, letters and fills", 2000, 880)
    k.endgrf()
