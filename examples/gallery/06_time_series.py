"""A dated time series

A year of daily temperatures on a date axis: day numbers counted from the
base date, labels and ticks at the month starts with the month names.
"""
import math

import kalvor as k


def draw():
    days = list(range(366))
    mean = [10.0 - 9.0 * math.cos(2.0 * math.pi * (d - 15) / 366.0) for d in days]
    weather = [3.0 * math.sin(d * 0.7) * math.sin(d * 0.13) for d in days]
    temperature = [m + w for m, w in zip(mean, weather)]

    k.axspos(450, 1800)
    k.axslen(2200, 1400)
    k.basdat(1, 1, 2024)
    k.labels("DATE", "X")
    k.labmod("STEP", "MONT", "X")
    k.labmod("FORM", "DMY", "X")
    k.labmod("DAY", "NONE", "X")
    k.labmod("YEAR", "NONE", "X")
    k.labmod("MONT", "NAME", "X")
    k.ticmod("MONT", "X")
    k.ticks(1, "X")
    k.labdig(-1, "Y")
    k.name("Temperature [deg C]", "Y")
    k.titlin("Daily temperature in 2024", 2)

    k.graf(0.0, 366.0, 0.0, 1.0, -5.0, 25.0, -5.0, 5.0)
    k.title()
    k.color("RED")
    k.curve(days, temperature, len(days))
    k.color("BLUE")
    k.linwid(6)
    k.curve(days, mean, len(days))
    k.endgrf()
