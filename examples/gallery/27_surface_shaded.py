"""Shaded surface

A lit surface of 30 x 30 cells, each filled in the colour of its mean
height under a light from the upper left, with its mesh on top and a colour
bar of the heights.
"""
import math

import kalvor as k


def draw():
    n = 31
    x = [-3.0 + 6.0 * i / (n - 1) for i in range(n)]
    y = list(x)
    # z[i][j] belongs to (x[i], y[j]).
    z = [[math.exp(-(a * a + b * b) / 2.0) * 2.0 + 0.25 * math.sin(2.0 * a) * math.cos(b) for b in y] for a in x]

    k.axspos(350, 1850)
    k.axslen(1900, 1650)
    k.name("X-axis", "X")
    k.name("Y-axis", "Y")
    k.name("Z-axis", "Z")
    k.labdig(-1, "XY")
    k.labdig(1, "Z")
    k.view3d(-50, 30, 8, "ANGL")
    k.graf3d(-3.0, 3.0, -3.0, 1.0, -3.0, 3.0, -3.0, 1.0, -0.5, 2.5, -0.5, 0.5)
    k.light("ON")
    k.litpos(1, -3, 7, 8, "ABS")
    k.litopt(1, 0.5, "AMBI")
    k.matopt(0.5, "SPEC")
    k.matopt(30, "EXPO")
    k.surmsh("ON")
    k.surshd(x, n, y, n, z)
    k.endgrf()
    k.zaxis(-0.5, 2.5, -0.5, 0.5, 1400, "height", 0, 0, 2450, 1750)
    k.height(50)
    k.messag("A lit surface with its mesh", 1000, 120)
