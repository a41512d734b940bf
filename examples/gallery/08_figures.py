"""Elementary figures

Circles, ellipses, arcs, pies, ring sectors, rounded rectangles and polygons
in plot coordinates (0.1 mm on the page), outlined, hatched and filled.
"""
import kalvor as k


def caption(text, nx, ny):
    k.color("FORE")
    k.messag(text, nx - k.nlmess(text) // 2, ny)


def draw():
    k.height(36)
    k.linwid(3)
    k.messag("Figures in plot coordinates", 1000, 120)

    k.color("BLUE")
    k.circle(400, 550, 220)
    k.ellips(400, 550, 220, 110)
    caption("circle, ellips", 400, 830)

    k.color("RED")
    k.arcell(1100, 550, 250, 150, 30.0, 300.0, 20.0)
    k.arcell(1100, 550, 180, 180, 330.0, 30.0, 0.0)   # across 0 degrees
    caption("arcell", 1100, 830)

    k.shdpat(16)
    k.color("ORANGE")
    k.pie(1800, 550, 230, 40.0, 320.0)
    k.shdpat(0)
    caption("pie", 1800, 830)

    for i in range(12):
        k.sector(2500, 550, 120, 240, i * 30.0, i * 30.0 + 28.0, 10 + i * 20)
    caption("sector", 2500, 830)

    k.color("GREEN")
    for iopt in (0, 3, 6, 9):
        k.rndrec(180 + iopt * 55, 1050 + iopt * 45, 420, 300, iopt)
    caption("rndrec 0, 3, 6, 9", 450, 1900)

    k.color("MAGENTA")
    k.shdpat(7)
    k.areaf([1000, 1300, 1450, 1300, 1000, 1150], [1300, 1100, 1450, 1800, 1650, 1450], 6)
    caption("areaf, hatched", 1220, 1900)

    k.color("CYAN")
    k.shdpat(3)
    k.rectan(1700, 1150, 500, 350)
    k.shdpat(16)
    k.color("BLUE")
    k.rectan(1850, 1400, 450, 300)
    k.shdpat(0)
    caption("rectan, patterns 3 and 16", 2000, 1900)

    k.color("RED")
    k.trifll([2450, 2850, 2650], [1700, 1700, 1250])
    caption("trifll", 2650, 1800)
