"""Linear axes with a title and a grid

A damped oscillation in a linear axis system: axis names, a two-line title, a
dotted grid and integer labels on the X axis.
"""
import math

import kalvor as k


def draw():
    x = [i * 0.05 for i in range(401)]
    y = [math.exp(-0.15 * t) * math.cos(2.0 * t) for t in x]

    k.axspos(450, 1800)
    k.axslen(2200, 1400)
    k.name("Time t [s]", "X")
    k.name("Amplitude", "Y")
    k.labdig(-1, "X")
    k.labdig(1, "Y")
    k.ticks(5, "X")
    k.titlin("Damped oscillation", 1)
    k.titlin("y = exp(-0.15 t) cos(2 t)", 3)

    k.graf(0.0, 20.0, 0.0, 2.0, -1.0, 1.0, -1.0, 0.5)
    k.title()
    k.dot()
    k.grid(1, 1)
    k.solid()
    k.color("BLUE")
    k.thkcrv(3)
    k.curve(x, y, len(x))
    k.endgrf()
