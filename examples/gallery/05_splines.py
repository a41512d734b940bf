"""Splines

Seven points joined by straight lines (grey), by a spline in x (SPLI, red)
and by a parametric spline (PSPL, blue) through a closed loop.
"""
import kalvor as k


def draw():
    x = [0.0, 1.0, 2.5, 4.0, 5.0, 6.5, 8.0]
    y = [1.0, 3.0, 2.0, 4.5, 1.5, 3.5, 2.0]
    loop_x = [9.0, 11.0, 12.0, 10.5, 9.5, 9.0]
    loop_y = [1.0, 0.8, 2.5, 4.0, 3.0, 1.0]

    k.axspos(450, 1800)
    k.axslen(2200, 1400)
    k.name("x", "X")
    k.name("y", "Y")
    k.labdig(-1, "XY")
    k.titlin("Spline interpolation", 2)

    k.graf(0.0, 12.0, 0.0, 1.0, 0.0, 5.0, 0.0, 1.0)
    k.title()
    k.setrgb(0.6, 0.6, 0.6)
    k.dash()
    k.curve(x, y, len(x))
    k.solid()

    k.color("RED")
    k.linwid(4)
    k.polcrv("SPLI")
    k.curve(x, y, len(x))
    k.color("BLUE")
    k.polcrv("PSPL")
    k.curve(loop_x, loop_y, len(loop_x))
    k.linwid(1)

    k.color("FORE")
    k.marker(16)
    k.incmrk(-1)
    k.curve(x, y, len(x))
    k.curve(loop_x, loop_y, len(loop_x))
    k.endgrf()
