"""Colour plot

A function of two variables as a matrix of coloured rectangles in a colour
axis system, with the colour bar at its right and labelled contour lines
over it.
"""
import math

import kalvor as k


def draw():
    n, m = 41, 31
    z = [[math.sin(i / 6.0) * math.cos(j / 5.0) + 0.001 * i * j for j in range(m)] for i in range(n)]

    k.axspos(400, 1850)
    k.ax3len(2000, 1500, 1500)
    k.name("X-axis", "X")
    k.name("Y-axis", "Y")
    k.name("Z-axis", "Z")
    k.labdig(1, "Z")
    k.titlin("crvmat and conmat in a graf3 axis system", 1)
    k.setvlt("RAIN")

    k.graf3(0.0, 40.0, 0.0, 10.0, 0.0, 30.0, 0.0, 10.0, -1.0, 2.5, -1.0, 0.5)
    k.crvmat(z, n, m, 2, 2)
    k.color("WHITE")
    k.labels("FLOA", "CON")
    k.labdig(1, "CON")
    for level in (-0.5, 0.0, 0.5, 1.0, 1.5):
        k.conmat(z, n, m, level)
    k.color("FORE")
    k.title()
    k.endgrf()
