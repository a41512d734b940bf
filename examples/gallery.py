"""The KALVOR demo gallery: one plot file for each kind of output.

Run from an empty directory (scripts/demo.sh does this in gallery/).
"""
import kalvor as k


def default_metafile():
    """The plotting cycle with every default: the VEKMET metafile kalvor.met."""
    k.setfil("default.met")
    k.filmod("DELE")
    k.kalini()
    k.kalfin()


def every_device():
    """One page on each output format; formats still without a driver give an empty file."""
    for device, name in [("PS", "page.ps"), ("EPS", "page.eps"), ("PDF", "page.pdf"),
                         ("SVG", "page.svg"), ("PNG", "page.png"), ("CGM", "page.cgm")]:
        k.metafl(device)
        k.setfil(name)
        k.filmod("DELE")
        k.kalini()
        k.errmod("PROT", "OFF")
        k.kalfin()


if __name__ == "__main__":
    default_metafile()
    every_device()
