"""Hidden-line mesh

A damped ripple drawn as a mesh with its hidden lines removed, the top
side in blue and the underside in orange, and a wave behind it that the
surface hides where it dips below its horizon (shlsur).
"""
import math

import kalvor as k


def ripple(x, y):
    r = math.hypot(x, y)
    return math.cos(1.6 * r) * math.exp(-0.25 * r)


def draw():
    n = 50
    x = [-4.0 + 8.0 * i / (n - 1) for i in range(n)]
    y = list(x)
    z = [[ripple(a, b) for b in y] for a in x]   # z[i][j] belongs to (x[i], y[j])

    k.axspos(450, 1950)
    k.axslen(2100, 1700)
    k.name("X-axis", "X")
    k.name("Y-axis", "Y")
    k.name("Z-axis", "Z")
    k.labdig(-1, "XY")
    k.labdig(1, "Z")
    k.axis3d(2, 2, 1.4)
    k.view3d(-35, 28, 9, "ANGL")

    k.graf3d(-4.0, 4.0, -4.0, 2.0, -4.0, 4.0, -4.0, 2.0, -1.0, 1.0, -1.0, 0.5)
    k.surclr(k.intrgb(0.1, 0.3, 0.9), k.intrgb(1.0, 0.55, 0.0))
    k.shlsur()
    k.surfce(x, n, y, n, z)
    # A wave along the far edge: hidden where the surface stands in front.
    w = [-4.0 + 8.0 * i / 200 for i in range(201)]
    k.color("RED")
    k.thkcrv(2)
    k.curv3d([3.8] * len(w), w, [0.25 + 0.7 * math.sin(1.5 * v) for v in w], len(w))
    k.thkcrv(1)
    k.color("FORE")
    k.endgrf()
    k.height(50)
    k.messag("A ripple as a hidden-line mesh", 1000, 120)
