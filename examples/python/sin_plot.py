"""A sine curve in an axis system, written to sin_plot.png."""
import math

import kalvor as k

x = [i * 0.05 for i in range(127)]                # 0 to 6.3
y = [math.sin(v) for v in x]

k.metafl("PNG")
k.setfil("sin_plot.png")
k.filmod("DELE")                                  # overwrite the file of an earlier run
k.scrmod("REVERS")                                # white page, black lines
k.kalini()
k.name("x", "X")
k.name("sin(x)", "Y")
k.titlin("A sine curve", 2)
k.graf(0.0, 6.5, 0.0, 1.0, -1.0, 1.0, -1.0, 0.5)  # x from, to, first label, step; then y
k.title()
k.color("RED")
k.curve(x, y, len(x))
k.kalfin()
