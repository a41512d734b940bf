"""The 24 plot symbols

Symbols 0 to 23 with their numbers: 0 to 15 and 22 are open, 16 to 21 and
23 filled. The last row shows larger and rotated symbols (hsymbl, symrot).
"""
import kalvor as k


def draw():
    k.height(40)
    k.messag("The 24 plot symbols", 1150, 150)
    k.height(32)
    k.hsymbl(90)
    for nsym in range(24):
        row, column = divmod(nsym, 8)
        x = 400 + column * 310
        y = 450 + row * 380
        k.color("BLUE" if nsym in (16, 17, 18, 19, 20, 21, 23) else "FORE")
        k.symbol(nsym, x, y)
        k.color("FORE")
        k.number(nsym, -1, x - 20, y + 90)

    k.color("RED")
    for i, size in enumerate((40, 80, 120, 160)):
        k.hsymbl(size)
        k.symbol(3, 400 + i * 250, 1800)
    k.color("GREEN")
    k.hsymbl(120)
    for i, degrees in enumerate((0.0, 15.0, 30.0, 45.0)):
        k.symrot(degrees)
        k.symbol(4, 1600 + i * 300, 1800)
    k.symrot(0.0)
