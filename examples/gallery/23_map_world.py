"""A world map in Mollweide's projection

projct("MOLL") before grafmp gives an equal-area world map; grafmp draws its
elliptic outline, shdmap fills the continents of the library's own map data,
world draws their coastlines and gridmp a 30-degree grid of meridians and
parallels.
"""
import kalvor as k


def draw():
    k.axspos(85, 1800)
    k.axslen(2800, 1400)
    k.titlin("Mollweide projection, 30-degree grid", 2)
    k.projct("MOLL")
    k.grafmp(-180.0, 180.0, -180.0, 30.0, -90.0, 90.0, -90.0, 30.0)
    k.title()
    k.color("GREEN")
    k.shdpat(16)
    k.shdmap("ALL")
    k.color("FORE")
    k.world()
    k.color("BLUE")
    k.gridmp(1, 1)
    k.color("FORE")
    k.endgrf()
