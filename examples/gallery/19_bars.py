"""Bar graphs

Three sets of bars side by side in groups with their values above them
(bargrp, labels "SECO" "BAR"), horizontal bars with the labels inside
(bartyp "HORI", labpos "INSI"), and bars with a 3-D look whose colours
cycle from bar to bar (bartyp "3DVE", chnbar "COLO"), each with a legend.
"""
import kalvor as k

QUARTERS = [1, 2, 3, 4]


def legend(texts, corner):
    buf = " " * (len(texts) * 12)
    k.legini(buf, len(texts), 12)
    for i, t in enumerate(texts):
        k.leglin(buf, t, i + 1)
    k.legend(buf, corner)


def draw():
    k.hwfont()
    k.height(28)
    k.shdpat(16)

    # Grouped vertical bars.
    k.axspos(250, 900)
    k.axslen(1200, 650)
    k.titlin("Sales per quarter", 2)
    k.labdig(-1, "X")
    k.labels("SECO", "BAR")
    k.labdig(0, "BAR")
    k.labclr(k.intrgb(0, 0, 0), "BAR")
    k.bargrp(3, 0.1)
    k.graf(0.5, 4.5, 1, 1, 0, 50, 0, 10)
    k.title()
    for colour, values in (("RED", [22, 31, 27, 35]), ("GREEN", [18, 24, 29, 26]), ("BLUE", [12, 15, 21, 30])):
        k.color(colour)
        k.bars(QUARTERS, [0] * 4, values, 4)
    k.color("FORE")
    legend(["North", "South", "West"], 7)
    k.endgrf()

    # Horizontal bars, labels inside.
    k.bargrp(1, 0)
    k.bartyp("HORI")
    k.labpos("INSI", "BAR")
    k.barbor(k.intrgb(0, 0, 0))
    k.axspos(1700, 900)
    k.axslen(1100, 650)
    k.titlin("Horizontal bars", 2)
    k.graf(0, 50, 0, 10, 0.5, 4.5, 1, 1)
    k.title()
    k.color("BLUE")
    k.bars(QUARTERS, [0] * 4, [41, 17, 33, 25], 4)
    k.color("FORE")
    k.endgrf()

    # 3-D bars with cycled colours and a negative bar drawn downwards.
    k.barbor(-1)
    k.bartyp("3DVE")
    k.chnbar("COLO")
    k.baropt(60, 40)
    k.labpos("AUTO", "BAR")
    k.labdig(1, "BAR")
    k.axspos(250, 2000)
    k.axslen(2550, 700)
    k.titlin("3-D bars, AUTO labels", 2)
    k.graf(0, 9, 1, 1, -10, 30, -10, 10)
    k.title()
    k.bars([1, 2, 3, 4, 5, 6, 7, 8], [0] * 8, [12.5, 25.0, 4.0, -7.5, 18.0, 27.5, 9.0, 2.0], 8)
    k.endgrf()
