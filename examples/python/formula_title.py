r"""A title with a formula (TeX mode), written to formula.pdf."""
import math

import kalvor as k

x = [i * 0.05 for i in range(-80, 81)]
k.metafl("PDF")
k.setfil("formula.pdf")
k.filmod("DELE")
k.kalini()
k.complx()
k.texmod("ON")                                    # texts are formulas: ^ _ \frac \sqrt \sigma ...
k.titlin(r"\phi(x) = \frac{1}{\sqrt{2\pi}} e^{-x^2/2}", 2)
k.graf(-4.0, 4.0, -4.0, 1.0, 0.0, 0.5, 0.0, 0.1)
k.title()
k.curve(x, [math.exp(-v * v / 2) / math.sqrt(2 * math.pi) for v in x], len(x))
k.kalfin()
