"""Error bars and symbols

Measured points with asymmetric error bars, marked with a filled symbol, and
the model curve through them.
"""
import math

import kalvor as k


def draw():
    x = [0.5 + i for i in range(12)]
    model = [3.0 * (1.0 - math.exp(-v / 3.0)) for v in x]
    wiggle = [0.15, -0.2, 0.1, 0.25, -0.1, -0.25, 0.2, 0.05, -0.15, 0.1, -0.05, 0.15]
    y = [m + w for m, w in zip(model, wiggle)]
    below = [0.15 + 0.02 * i for i in range(12)]
    above = [0.25 + 0.01 * i for i in range(12)]

    k.axspos(450, 1800)
    k.axslen(2200, 1400)
    k.name("Dose [mg]", "X")
    k.name("Response", "Y")
    k.labdig(-1, "X")
    k.titlin("Measurements with error bars", 2)

    k.graf(0.0, 12.0, 0.0, 2.0, 0.0, 4.0, 0.0, 1.0)
    k.title()
    k.color("RED")
    k.errbar(x, y, below, above, len(x))
    k.hsymbl(30)
    k.marker(21)
    k.incmrk(-1)
    k.curve(x, y, len(x))
    k.color("BLUE")
    k.incmrk(0)
    fine = [i * 0.05 for i in range(241)]
    k.curve(fine, [3.0 * (1.0 - math.exp(-v / 3.0)) for v in fine], len(fine))
    k.endgrf()
