"""Arrows, vector fields and wind barbs

The arrow forms of vector (ivec = abcd: a head width, b head length, c form,
d heads), an arrow field in user coordinates, and wind barbs for speeds
from calm to 105 knots.
"""
import kalvor as k


def draw():
    k.height(32)
    k.linwid(2)
    for row, form in enumerate((0, 1, 2)):
        y = 300 + row * 250
        k.color("FORE")
        k.messag("c = %d" % form, 80, y - 16)
        for heads in range(4):
            x = 300 + heads * 320
            k.color("BLUE")
            k.vector(x, y + 60, x + 250, y - 60, 1400 + form * 10 + heads)
    k.color("FORE")
    for heads in range(4):
        k.messag("d = %d" % heads, 330 + heads * 320, 1000)
    for size in range(4):
        k.color("RED")
        k.vector(300 + size * 320, 1200, 550 + size * 320, 1200, size * 1100 + 1)
    k.color("FORE")
    k.messag("ivec 1, 1101, 2201, 3301", 300, 1260)

    k.hsymbl(50)
    for i, speed in enumerate((0, 5, 10, 15, 25, 50, 65, 105)):
        k.color("FORE")
        k.windbr(speed, 200 + i * 170, 1800, 180, 45.0)
        k.number(speed, -1, 180 + i * 170, 1860)
    k.messag("wind barbs, knots", 200, 1950)

    n = 9
    x1, y1, x2, y2 = [], [], [], []
    for i in range(n):
        for j in range(n):
            x, y = -1.0 + 2.0 * i / (n - 1), -1.0 + 2.0 * j / (n - 1)
            u, v = -y, x
            x1.append(x - 0.09 * u)
            y1.append(y - 0.09 * v)
            x2.append(x + 0.09 * u)
            y2.append(y + 0.09 * v)
    k.axspos(1650, 1700)
    k.axslen(1200, 1200)
    k.labdig(1, "XY")
    k.titlin("field: a rotating flow", 4)
    k.graf(-1.2, 1.2, -1.0, 0.5, -1.2, 1.2, -1.0, 0.5)
    k.title()
    k.color("GREEN")
    k.field(x1, y1, x2, y2, len(x1), 1201)
    k.endgrf()
