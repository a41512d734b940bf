"""Line styles and widths

The eight predefined line styles (lintyp 0 to 7), a pattern of our own
(myline), line widths and thick curves made of parallel copies (thkcrv).
"""
import kalvor as k


def draw():
    names = ["solid", "dot", "dash", "chndsh", "chndot", "dashm", "dotl", "dashl"]
    k.height(34)
    k.linwid(3)
    for style, name in enumerate(names):
        y = 250 + style * 120
        k.solid()
        k.color("FORE")
        k.messag("lintyp(%d)  %s" % (style, name), 150, y - 17)
        k.color("BLUE")
        k.lintyp(style)
        k.line(800, y, 2800, y)
    k.solid()

    k.color("FORE")
    k.messag("myline  (6 lengths)", 150, 1233)
    k.myline([40, 15, 10, 15, 10, 15], 6)
    k.color("RED")
    k.line(800, 1250, 2800, 1250)
    k.solid()

    for i, width in enumerate((1, 5, 10, 20)):
        y = 1450 + i * 130
        k.color("FORE")
        k.messag("linwid(%d)" % width, 150, y - 17)
        k.linwid(width)
        k.color("GREEN")
        k.line(800, y, 1700, y)
        k.linwid(3)

    k.color("FORE")
    k.messag("dashes run on around corners", 1900, 1400)
    k.color("MAGENTA")
    k.dash()
    k.linwid(5)
    k.strtpt(1900, 1900)
    for x, y in ((2100, 1500), (2300, 1900), (2500, 1500), (2700, 1900)):
        k.connpt(x, y)
    k.solid()
    k.linwid(1)
