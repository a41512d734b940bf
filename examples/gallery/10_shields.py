"""Shielded text over lines

Lines drawn after a shield region stop at its edge. Left: text, a box and a
circle drawn plainly, then crossed by curves. Right: the messages shield
themselves (shield MESS), and the box and circle are shield regions (shlrec,
shlcir), outlined with the frame thickness.
"""
import math

import kalvor as k


def texts(x0):
    k.color("FORE")
    k.height(44)
    k.messag("Shielded text", x0 + 250, 700)
    k.height(30)
    k.messag("stays readable", x0 + 330, 790)
    k.messag("a framed note", x0 + 230, 1290)
    k.symbol(21, x0 + 950, 1450)


def waves(x0):
    k.linwid(3)
    for i in range(9):
        k.color(["RED", "BLUE", "GREEN"][i % 3])
        for step in range(0, 1251, 10):
            x = x0 + step
            y = 400 + i * 150 + 60 * math.sin(step / 90.0 + i)
            if step == 0:
                k.strtpt(x, y)
            else:
                k.connpt(x, y)
    k.linwid(1)


def draw():
    k.height(40)
    k.messag("without shields", 450, 200)
    k.messag("with shields", 1950, 200)

    texts(100)
    k.rectan(250, 1200, 450, 220)
    k.circle(1050, 1450, 150)
    waves(100)

    k.shield("MESS", "ON")
    texts(1600)
    k.frame(2)
    k.shlrec(1750, 1200, 450, 220)
    k.shlcir(2550, 1450, 150)
    waves(1600)
    k.shield("MESS", "RESE")
