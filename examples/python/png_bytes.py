"""A plot as PNG bytes in memory, as a web server would send it.

The VIRT device draws into a raster without writing a file; after kalfin,
kalvor.pngpage() returns the finished page as PNG bytes (rbfpng does the
same before kalfin).
"""
import kalvor as k


def plot_png(values):
    k.metafl("VIRT")
    k.winsiz(640, 480)                            # the picture's size in pixels
    k.scrmod("REVERS")
    k.kalini()
    k.errmod("PROT", "OFF")                       # no end protocol in a server's output
    k.graf(0.0, len(values) - 1.0, 0.0, 1.0, 0.0, 10.0, 0.0, 2.0)
    k.color("RED")
    k.curve(list(range(len(values))), values, len(values))
    k.kalfin()
    return k.pngpage()


png = plot_png([3, 5, 4, 8, 6, 9])
print(len(png), "bytes of", png[1:4].decode())    # a server would answer with these bytes
