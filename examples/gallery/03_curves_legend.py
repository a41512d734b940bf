"""Several curves with a legend

Three curves that change colour and line style on their own (chncrv), and a
legend in the upper right corner of the axis system that shows their samples.
"""
import math

import kalvor as k


def draw():
    x = [i * 2.0 for i in range(181)]
    sine = [math.sin(math.radians(v)) for v in x]
    cosine = [math.cos(math.radians(v)) for v in x]
    product = [s * c for s, c in zip(sine, cosine)]

    k.axspos(450, 1800)
    k.axslen(2200, 1500)
    k.name("Angle [degrees]", "X")
    k.name("Value", "Y")
    k.labdig(-1, "X")
    k.ticks(3, "X")
    k.titlin("Sine, cosine and their product", 2)

    k.graf(0.0, 360.0, 0.0, 90.0, -1.8, 1.8, -1.8, 0.6)   # room above the curves for the legend
    k.title()
    k.xaxgit()
    k.chncrv("BOTH")
    k.linwid(4)
    k.curve(x, sine, len(x))
    k.curve(x, cosine, len(x))
    k.curve(x, product, len(x))
    k.linwid(1)

    k.legini("", 3, 20)
    k.leglin("", "sin x", 1)
    k.leglin("", "cos x", 2)
    k.leglin("", "sin x cos x", 3)
    k.legtit("Functions")
    k.legend("", 7)
    k.endgrf()
