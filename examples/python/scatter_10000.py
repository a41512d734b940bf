"""10,000 random points as a scatter plot, written to scatter.png."""
import random

import kalvor as k

rng = random.Random(1)
x = [rng.gauss(0.0, 1.0) for _ in range(10000)]
y = [0.5 * v + rng.gauss(0.0, 0.5) for v in x]

k.metafl("PNG")
k.setfil("scatter.png")
k.filmod("DELE")
k.scrmod("REVERS")
k.kalini()
k.nochek()                                        # points beyond the axes are clipped without a message each
k.graf(-4.0, 4.0, -4.0, 1.0, -3.0, 3.0, -3.0, 1.0)
k.color("BLUE")
k.marker(17)
k.hsymbl(8)
k.incmrk(-1)                                      # symbols only
k.curve(x, y, len(x))
k.kalfin()
