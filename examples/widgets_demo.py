"""A small dialog: a scale and a list choose a curve, which is plotted into
the dialog's drawing area each time either changes; OK ends it. Without a
display the dialog returns at once with its first values (try
k.swgmod("ASCI") to answer on the terminal).

    python3 examples/widgets_demo.py
"""
import math

import kalvor as k

k.swgtit("Curves")
k.swghlp("Choose a function and its frequency; OK ends the dialog.")
k.swgwth(420)
k.swgdrw(0.7)
ip = k.wgini("VERT")
k.wglab(ip, "A curve drawn by a callback into the drawing area below:")
row = k.wgbas(ip, "HORI")
k.swgwth(200)
kind = k.wgdlis(row, "sine|cosine|damped sine", 1)
k.swgstp(0.5)
freq = k.wgscl(row, "Frequency", 1, 10, 2, 1)
k.swgwth(420)
area = k.wgdraw(ip)
ok = k.wgok(ip)


def plot(_id=None):
    n = k.gwgscl(freq)
    f = [math.sin, math.cos, lambda x: math.exp(-x / 4) * math.sin(x)][k.gwglis(kind) - 1]
    xs = [i * 0.05 for i in range(201)]
    k.setxid(area, "WIDGET")
    k.metafl("CONS")
    k.kalini()
    k.errmod("PROT", "OFF")
    k.graf(0.0, 10.0, 0.0, 2.0, -1.0, 1.0, -1.0, 0.5)
    k.curve(xs, [f(n * x / 2) for x in xs], len(xs))
    k.endgrf()
    k.kalfin()


k.swgcbk(kind, plot)
k.swgcbk(freq, plot)
k.reawgt()     # on the screen before the first picture
plot()
k.wgfin()
print("function", k.gwglis(kind), "frequency", k.gwgscl(freq))
