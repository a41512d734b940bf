"""Spheres

Spheres of 36 x 18 patches in the current colour, lit by two lights with a
specular highlight; on axes of unequal lengths a sphere in user coordinates
is an ellipsoid.
"""
import kalvor as k


def draw():
    k.axspos(500, 1900)
    k.axslen(1900, 1700)
    k.labdig(-1, "XYZ")
    k.axis3d(2, 2, 2)
    k.graf3d(-2.0, 2.0, -2.0, 1.0, -2.0, 2.0, -2.0, 1.0, -2.0, 2.0, -2.0, 1.0)
    k.light("ON")
    k.litpos(1, 3, -6, 6, "ABS")
    k.litmod(2, "ON")
    k.litpos(2, -6, 2, 1, "ABS")
    k.litopt(2, 0.4, "DIFF")
    k.litopt(2, 0.0, "SPEC")
    k.matopt(0.6, "SPEC")
    k.matopt(40, "EXPO")
    k.color("RED")
    k.sphe3d(-0.6, 0.6, 0.3, 1.1, 36, 18)
    k.color("CYAN")
    k.sphe3d(1.2, -1.0, -1.2, 0.6, 36, 18)
    k.color("FORE")
    k.endgrf()

    k.axspos(1950, 1250)
    k.axslen(800, 800)
    k.axis3d(2, 2, 1)
    k.labdig(-1, "XYZ")
    k.graf3d(-1.0, 1.0, -1.0, 1.0, -1.0, 1.0, -1.0, 1.0, -1.0, 1.0, -1.0, 1.0)
    k.color("GREEN")
    k.sphe3d(0.0, 0.0, 0.0, 0.9, 36, 18)
    k.color("FORE")
    k.endgrf()
    k.height(50)
    k.messag("Lit spheres; an ellipsoid on a flat box", 700, 120)
