r"""Formulas in labels

Formula mode (texmod) sets the axis names, the title and free text with
exponents, indices, Greek letters, fractions, roots, sums, limits and
integrals. Blanks are ignored in formulas, as in TeX; \, \; and \quad space.
"""
import math

import kalvor as k


def draw():
    x = [i * 0.02 for i in range(-200, 201)]
    density = [math.exp(-v * v / 2.0) / math.sqrt(2.0 * math.pi) for v in x]

    k.complx()
    k.texmod("ON")
    k.axspos(400, 1800)
    k.axslen(1400, 1400)
    k.name(r"x / \sigma", "X")
    k.name(r"\phi(x)", "Y")
    k.labdig(-1, "X")
    k.labdig(1, "Y")
    k.titlin(r"\phi(x) = \frac{1}{\sqrt{2\pi}} e^{-x^2/2}", 2)

    k.graf(-4.0, 4.0, -4.0, 1.0, 0.0, 0.5, 0.0, 0.1)
    k.title()
    k.color("BLUE")
    k.linwid(4)
    k.curve(x, density, len(x))
    k.linwid(1)
    k.endgrf()

    k.color("FORE")
    k.height(40)
    k.messag(r"\int_{-\infty}^{\infty} \phi(x)\,dx = 1", 1950, 450)
    k.messag(r"\mu = 0, \quad \sigma^2 = 1", 1950, 700)
    k.messag(r"P(|X| < 2\sigma) \sim 0.954", 1950, 900)
    k.messag(r"\sum_{n=0}^{\infty} \frac{x^n}{n!} = e^x", 1950, 1100)
    k.messag(r"\lim_{h \to 0} \frac{\sin h}{h} = 1", 1950, 1400)
