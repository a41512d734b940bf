"""90 daily values on a date axis, written to daily.png."""
import math

import kalvor as k

days = list(range(90))                            # days after the base date
values = [20 + 5 * math.sin(d / 7.0) + d * 0.05 for d in days]

k.metafl("PNG")
k.setfil("daily.png")
k.filmod("DELE")
k.scrmod("REVERS")
k.kalini()
k.basdat(1, 1, 2025)                              # day 0 is 1 January 2025
k.labels("DATE", "X")
k.labmod("STEP", "MONT", "X")                     # a label at each month start
k.labmod("FORM", "DMY", "X")
k.labmod("YEAR", "NONE", "X")
k.labmod("DAY", "NONE", "X")
k.labmod("MONT", "NAME", "X")
k.ticmod("MONT", "X")
k.graf(0.0, 90.0, 0.0, 30.0, 10.0, 35.0, 10.0, 5.0)
k.color("BLUE")
k.curve(days, values, len(days))
k.kalfin()
