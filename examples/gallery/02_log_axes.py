"""Logarithmic axes

Two power laws on log-log axes: labels as powers of ten, full minor ticks and
a title.
"""
import kalvor as k


def draw():
    x = [10 ** (i / 20.0) for i in range(81)]

    k.axspos(450, 1800)
    k.axslen(2200, 1400)
    k.scale("LOG", "XY")
    k.labels("LOG", "XY")
    k.logtic("FULL")
    k.name("Frequency [Hz]", "X")
    k.name("Power", "Y")
    k.titlin("Power laws on logarithmic axes", 1)

    k.graf(0.0, 4.0, 0.0, 1.0, -2.0, 6.0, -2.0, 2.0)
    k.title()
    k.color("RED")
    k.curve(x, [0.02 * v ** 1.5 for v in x], len(x))
    k.color("BLUE")
    k.curve(x, [1000.0 / v for v in x], len(x))
    k.endgrf()
