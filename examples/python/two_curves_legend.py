"""Two curves with a legend in the upper right corner, written to two_curves.pdf."""
import math

import kalvor as k

x = [i * 2.0 for i in range(181)]
k.metafl("PDF")
k.setfil("two_curves.pdf")
k.filmod("DELE")
k.kalini()
k.name("Angle [degrees]", "X")
k.labdig(-1, "X")
k.graf(0.0, 360.0, 0.0, 90.0, -1.5, 1.5, -1.5, 0.5)
k.color("RED")
k.curve(x, [math.sin(math.radians(v)) for v in x], len(x))
k.color("BLUE")
k.dash()
k.curve(x, [math.cos(math.radians(v)) for v in x], len(x))
k.color("FORE")
k.legini("", 2, 12)                 # 2 lines of up to 12 characters; the first argument is ignored
k.leglin("", "sin", 1)              # line i shows the sample of the i-th curve
k.leglin("", "cos", 2)
k.legend("", 7)                     # 7: upper right inside the axis system (help(kalvor.legend))
k.kalfin()
