"""Filled contours

conshd fills the areas between levels with colours of the colour scale
(shdmod 'MIDD', 'COLO' takes the colour of each band's middle); contour lines
drawn over them mark the levels, and the legend shows one sample per band.
"""
import math

import kalvor as k

N, M = 121, 101


def draw():
    x = [-3.0 + 6.0 * i / (N - 1) for i in range(N)]
    y = [-2.0 + 4.0 * j / (M - 1) for j in range(M)]
    z = [[2.0 * (math.exp(-xi * xi - yj * yj) - math.exp(-(xi - 1) ** 2 - (yj - 1) ** 2)) for yj in y]
         for xi in x]
    levels = [-2.0 + 0.25 * i for i in range(17)]

    k.axspos(350, 1800)
    k.axslen(2000, 1400)
    k.name("x", "X")
    k.name("y", "Y")
    k.labdig(1, "XY")
    k.titlin("Shaded contours (conshd)", 2)
    k.graf(-3.0, 3.0, -3.0, 1.0, -2.0, 2.0, -2.0, 1.0)
    k.title()
    k.shdmod("MIDD", "COLOR")
    k.conshd(x, N, y, M, z, levels, len(levels))
    k.color("FORE")
    for level in levels[::2]:
        k.contur(x, N, y, M, z, level)

    legend = " " * (17 * 8)
    k.legini(legend, 17, 8)
    for i, level in enumerate(levels):
        k.leglin(legend, f"{level:5.2f}", i + 1)
    k.legtit("Levels")
    k.legpos(2450, 400)
    k.legend(legend, 3)
    k.endgrf()
