"""Countries of Europe on a Lambert conformal conic map

shdeur fills countries of the own Europe data set (codes in the map data
table) each in its own pattern and colour and registers a legend entry for
each; mapref sets the two standard parallels of the cone.
"""
import kalvor as k

COUNTRIES = [(15, "France", "BLUE"), (16, "Germany", "RED"), (40, "Spain", "ORANGE"),
             (22, "Italy", "GREEN"), (33, "Poland", "MAGENTA"), (41, "Sweden", "CYAN")]


def draw():
    k.axspos(300, 1950)
    k.axslen(1900, 1600)
    k.titlin("Lambert conformal conic, shdeur", 2)
    k.projct("CONF")
    k.mapref(40.0, 60.0)
    k.grafmp(-15.0, 35.0, -10.0, 10.0, 35.0, 70.0, 40.0, 10.0)
    k.title()
    codes = [c for c, _, _ in COUNTRIES]
    colours = [k.intrgb(*{"BLUE": (0.2, 0.3, 0.9), "RED": (0.9, 0.2, 0.2), "ORANGE": (1.0, 0.6, 0.1),
                          "GREEN": (0.2, 0.7, 0.3), "MAGENTA": (0.8, 0.2, 0.8),
                          "CYAN": (0.2, 0.8, 0.8)}[c]) for _, _, c in COUNTRIES]
    k.shdeur(codes, [16] * len(codes), colours, len(codes))
    k.color("FORE")
    k.world()
    k.gridmp(1, 1)
    cbuf = " " * (len(COUNTRIES) * 12)
    k.legini(cbuf, len(COUNTRIES), 12)
    for i, (_, name, _) in enumerate(COUNTRIES, 1):
        k.leglin(cbuf, name, i)
    k.legtit("Countries")
    k.legend(cbuf, 3)
    k.endgrf()
