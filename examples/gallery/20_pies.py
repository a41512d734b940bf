"""Pie charts

A flat pie with every segment pulled out and its labels inside where they
fit (pieexp, labpos "INTE"), a pie whose labels line up in two columns
joined by lines (labpos "ALIG"), and a 3-D pie with a text line per
segment (pietyp "3D"); patterns and colours cycle from segment to segment.
"""
import kalvor as k

SHARES = [35, 20, 15, 12, 10, 8]


def draw():
    k.hwfont()
    k.height(28)
    k.chnpie("BOTH")
    for slot in range(1, 31):
        k.patcyc(slot, 16)

    k.axslen(700, 700)
    k.axspos(250, 900)
    k.pieexp()
    k.labels("PERC", "PIE")
    k.labdig(0, "PIE")
    k.piegrf(" ", 1, SHARES, 6)
    k.messag("Exploded, labels inside", 400, 990)

    k.reset("PIEE")
    k.pietyp("3D")
    k.pieopt(0.25, 35)
    k.labpos("EXTE", "PIE")
    k.axspos(1500, 900)
    k.axslen(900, 900)
    k.piegrf("Rent    Food    Travel  Car     Leisure Other   ", 1, SHARES, 6)
    k.messag("3-D, a text line per segment", 1750, 990)

    k.pietyp("2D")
    k.labpos("ALIG", "PIE")
    k.labels("BOTH", "PIE")
    k.pielab("EUR", "RIGH")
    k.axslen(650, 650)
    k.axspos(550, 1900)
    k.piegrf(" ", 1, SHARES, 6)
    k.messag("Aligned columns, percent and data", 600, 2060)

    k.reset("PIEL")
    k.reset("PATC")
    k.chnpie("PATT")
    k.labpos("INTE", "PIE")
    k.labels("DATA", "PIE")
    k.axslen(600, 600)
    k.axspos(2050, 1900)
    k.piegrf(" ", 1, [4, 3, 2, 1], 4)
    k.messag("Hatched by the pattern cycle", 2050, 2060)
