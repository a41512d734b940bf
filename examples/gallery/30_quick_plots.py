"""Quick plots

Four quick plots on one page: plot, scattr, contour and surf3 each scale
their axes to the data and draw a whole plot in one call. The plot variable
ERASE 0 keeps the page between them; axspos and axslen place each one
(between endgrf and the next quick plot).
"""
import math

import kalvor as k


def draw():
    x = [i * 0.1 for i in range(101)]
    gx = [-2.0 + 0.1 * i for i in range(41)]
    gy = [-1.5 + 0.1 * j for j in range(31)]
    z = [[math.exp(-(a * a + b * b)) - 0.6 * math.exp(-((a - 1.2) ** 2 + (b + 0.6) ** 2) * 3) for b in gy]
         for a in gx]

    k.setvar("ERASE", 0)                # draw over the page, not a new one
    k.axslen(1000, 520)

    k.axspos(250, 850)
    k.titlin("plot: a damped sine", 1)
    k.name("t", "X")
    k.name("amplitude", "Y")
    k.plot(x, [math.exp(-v / 4) * math.sin(2 * v) for v in x])
    k.endgrf()                          # the quick plot leaves its axis system open

    k.axspos(1550, 850)
    k.titlin("scattr: the same points", 1)
    k.scattr(x[::4], [math.exp(-v / 4) * math.sin(2 * v) for v in x[::4]])
    k.endgrf()

    k.axspos(250, 1850)
    k.titlin("contour: 10 levels from min to max", 1)
    k.name("x", "X")
    k.name("y", "Y")
    k.contour(gx, gy, z)
    k.endgrf()

    k.axspos(1550, 1850)
    k.titlin("surf3: a rectangle per value", 1)
    k.name("z", "Z")
    k.setvlt("RAIN")
    k.surf3(gx, gy, z)

    k.setvar("ERASE", 1)                # as unset: later quick plots start a new page
