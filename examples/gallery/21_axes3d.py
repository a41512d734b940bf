"""3-D axes

A helix in a labelled box seen in central perspective, with grid lines on
the back walls and its shadow on the floor.
"""
import math

import kalvor as k


def draw():
    t = [i / 40.0 for i in range(0, 1001)]
    x = [math.cos(v) for v in t]
    y = [math.sin(v) for v in t]
    z = [v / 6.25 for v in t]

    k.axspos(450, 1950)
    k.axslen(2000, 1750)
    k.name("X-axis", "X")
    k.name("Y-axis", "Y")
    k.name("Z-axis", "Z")
    k.labdig(1, "XY")
    k.labdig(-1, "Z")
    k.axis3d(2, 2, 2.5)
    k.view3d(-40, 25, 8, "ANGL")

    k.graf3d(-1.0, 1.0, -1.0, 1.0, -1.0, 1.0, -1.0, 1.0, 0.0, 4.0, 0.0, 1.0)
    k.box3d()
    k.color("GREEN")
    k.grid3d(2, 1, "BACK")
    k.color("BLUE")
    k.curv3d(x, y, [0.0] * len(t), len(t))
    k.color("RED")
    k.thkcrv(3)
    k.curv3d(x, y, z, len(t))
    k.thkcrv(1)
    k.color("FORE")
    k.endgrf()
    k.height(50)
    k.messag("A helix in a 3-D box", 1150, 120)
