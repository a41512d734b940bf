"""Fonts and national characters

The vector fonts and the outline fonts, and Latin-1 text with national
characters (chacod ISO1).
"""
import kalvor as k

SAMPLE = "The quick brown fox jumps 0123456789"


def draw():
    k.chacod("ISO1")
    fonts = [("kalalf", k.kalalf), ("simplx", k.simplx), ("complx", k.complx),
             ("duplx", k.duplx), ("triplx", k.triplx), ("gothic", k.gothic),
             ("helve", k.helve), ("helves", k.helves), ("serif", k.serif)]
    k.height(44)
    for i, (name, select) in enumerate(fonts):
        y = 200 + i * 150
        select()
        k.color("FORE")
        k.messag(name, 150, y)
        k.color("BLUE")
        k.messag(SAMPLE, 650, y)

    k.serif()
    k.color("RED")
    k.height(48)
    k.messag("Größe, Ångström, déjà vu, señor, Ærø, Ça va?", 150, 1600)
    k.complx()
    k.messag("Grüße aus Köln: ÄÖÜ äöü ß ñ ø é è ê ë", 150, 1800)
