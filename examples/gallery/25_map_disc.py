"""The globe seen from space: an orthographic disc

An azimuthal projection whose latitude range exceeds 90 degrees is drawn as
a disc round the pole of mappol; lines end at its rim, fills are cut there.
"""
import kalvor as k


def draw():
    k.axspos(635, 2000)
    k.axslen(1700, 1700)
    k.titlin("Orthographic disc centred on 10 E, 45 N", 2)
    k.projct("ORTH")
    k.mappol(10.0, 45.0)
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
