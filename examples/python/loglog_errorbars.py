"""Measurements with error bars on logarithmic axes, written to loglog.svg."""
import kalvor as k

x = [1.0, 2.0, 5.0, 10.0, 20.0, 50.0, 100.0, 200.0, 500.0]
y = [0.9 * v ** 1.5 for v in x]
err = [0.2 * v for v in y]                        # 20 % below and above

k.metafl("SVG")
k.setfil("loglog.svg")
k.filmod("DELE")
k.scrmod("REVERS")
k.kalini()
k.scale("LOG", "XY")
k.labels("LOG", "XY")                             # labels as powers of ten
k.graf(0.0, 3.0, 0.0, 1.0, -1.0, 5.0, -1.0, 1.0)  # log axes take exponents: 10^0 .. 10^3
k.color("RED")
k.errbar(x, y, err, err, len(x))
k.marker(17)                                      # filled circle
k.incmrk(-1)                                      # symbols only, no line
k.curve(x, y, len(x))
k.kalfin()
