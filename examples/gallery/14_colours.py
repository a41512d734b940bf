"""Colours

The rainbow colour table as a wheel of ring sectors, the named colours and
colours given directly as RGB values.
"""
import kalvor as k


def draw():
    k.height(40)
    k.messag("Colour table RAIN, 254 entries", 200, 150)
    for i in range(1, 255):
        start = (i - 1) * 360.0 / 254.0
        k.sector(700, 1050, 250, 550, start, start + 360.0 / 254.0 + 0.5, i)

    names = ["RED", "GREEN", "YELLOW", "BLUE", "ORANGE", "CYAN", "MAGENTA"]
    k.messag("named colours", 1600, 150)
    for i, name in enumerate(names):
        k.color(name)
        k.shdpat(16)
        k.rectan(1600, 260 + i * 100, 300, 80)
        k.shdpat(0)
        k.color("FORE")
        k.rectan(1600, 260 + i * 100, 300, 80)
        k.messag(name, 1950, 280 + i * 100)

    k.messag("setrgb", 2350, 150)
    for i in range(10):
        for j in range(10):
            k.setrgb(i / 9.0, j / 9.0, 1.0 - i / 9.0)
            k.shdpat(16)
            k.rectan(2350 + i * 45, 260 + j * 90, 45, 90)
    k.shdpat(0)
    k.color("FORE")
