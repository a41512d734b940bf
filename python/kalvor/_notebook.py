"""Pictures of the screen devices shown in the cells of a notebook kernel.

Inside an IPython kernel the module registers a presenter with the screen
driver: every finished page of CONS, XWIN, XWI1 to XWI8 goes into the cell as
a PNG image (winsiz gives its size), no window opens and kalfin does not
wait.
"""
import struct
import sys
import zlib


def in_kernel():
    """True inside a running IPython kernel (a notebook or console cell)."""
    if "ipykernel" not in sys.modules:
        return False
    try:
        from IPython import get_ipython
    except ImportError:
        return False
    shell = get_ipython()
    return shell is not None and getattr(shell, "kernel", None) is not None


def png(rgb, width, height):
    """An RGB picture (rows of width * 3 bytes) as PNG bytes."""
    row = width * 3
    raw = b"".join(b"\0" + rgb[y * row:(y + 1) * row] for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b"")


def show(rgb, width, height):
    from IPython.display import Image, display
    display(Image(data=png(rgb, width, height), format="png"))
