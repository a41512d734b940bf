"""A reader of binary-encoded Computer Graphics Metafiles (ISO 8632-3).

Independent of the writer: it knows the encoding rules, not our files.
Covers what a check of polyline output needs: the element walk with long
forms and partitions, element order, strings, 16-bit signed integer VDCs
and 8-bit direct colours, and a Pillow rendering of the polylines.
"""
import struct

# (class, id) -> name, for the elements a check refers to.
NAMES = {
    (0, 1): "BEGIN METAFILE", (0, 2): "END METAFILE", (0, 3): "BEGIN PICTURE",
    (0, 4): "BEGIN PICTURE BODY", (0, 5): "END PICTURE",
    (1, 1): "METAFILE VERSION", (1, 2): "METAFILE DESCRIPTION", (1, 11): "METAFILE ELEMENT LIST",
    (2, 1): "SCALING MODE", (2, 2): "COLOUR SELECTION MODE", (2, 6): "VDC EXTENT",
    (2, 7): "BACKGROUND COLOUR",
    (4, 1): "POLYLINE", (5, 4): "LINE COLOUR",
}


class CgmError(ValueError):
    pass


class Element:
    def __init__(self, cls, eid, params):
        self.cls, self.id, self.params = cls, eid, params
        self.name = NAMES.get((cls, eid), f"class {cls} id {eid}")

    def string(self, at=0):
        """The string parameter at byte `at`: (text, offset after it)."""
        n, at = self.params[at], at + 1
        if n == 255:  # long form: a 16-bit length, no continuation
            (word,) = struct.unpack_from(">H", self.params, at)
            if word & 0x8000:
                raise CgmError("continued strings are not supported")
            n, at = word & 0x7FFF, at + 2
        if at + n > len(self.params):
            raise CgmError(f"{self.name}: string runs past its element")
        return self.params[at:at + n].decode("latin-1"), at + n

    def ints(self):
        """All parameters as 16-bit signed integers."""
        return list(struct.unpack_from(f">{len(self.params) // 2}h", self.params))

    def points(self):
        v = self.ints()
        return list(zip(v[0::2], v[1::2]))

    def rgb(self):
        return tuple(self.params[:3])


def walk(data):
    """Elements up to END METAFILE and the bytes that follow it."""
    pos, out = 0, []
    while pos + 2 <= len(data):
        start, (word,) = pos, struct.unpack_from(">H", data, pos)
        cls, eid, length, pos = word >> 12, (word >> 5) & 127, word & 31, pos + 2
        params, more = b"", True
        while more:  # a long form (length 31) may come in partitions
            if length == 31:
                (word,) = struct.unpack_from(">H", data, pos)
                part, more, pos = word & 0x7FFF, bool(word & 0x8000), pos + 2
            else:
                part, more = length, False
            params += data[pos:pos + part]
            pos += part + (part & 1)
        if pos > len(data):
            raise CgmError(f"element at {start} runs past the end")
        out.append(Element(cls, eid, params))
        if (cls, eid) == (0, 2):
            return out, data[pos:]
    raise CgmError("no END METAFILE")


def check_order(elements):
    """Metafile structure: BEGIN METAFILE, descriptor (class 1), pictures
    (BEGIN PICTURE, descriptor class 2, BEGIN PICTURE BODY, body, END
    PICTURE), END METAFILE. Returns the pictures as element lists."""
    kinds = [(e.cls, e.id) for e in elements]
    if kinds[0] != (0, 1) or kinds[-1] != (0, 2):
        raise CgmError("metafile not delimited")
    i, pictures = 1, []
    while kinds[i][0] == 1:
        i += 1
    while kinds[i] == (0, 3):
        i += 1
        while kinds[i][0] == 2:
            i += 1
        if kinds[i] != (0, 4):
            raise CgmError(f"no BEGIN PICTURE BODY at element {i}")
        i, body = i + 1, []
        while kinds[i] != (0, 5):
            if kinds[i][0] in (0, 1, 2):
                raise CgmError(f"{elements[i].name} inside a picture body")
            body.append(elements[i])
            i += 1
        pictures.append(body)
        i += 1
    if i != len(kinds) - 1:
        raise CgmError(f"unexpected {elements[i].name} at element {i}")
    return pictures


def read(path):
    """Walks and checks a file; returns (elements, pictures)."""
    with open(path, "rb") as f:
        elements, tail = walk(f.read())
    if tail.strip(b" "):
        raise CgmError("bytes other than blanks after END METAFILE")
    return elements, check_order(elements)


def first(elements, name):
    return next(e for e in elements if e.name == name)


def render(elements, body, size):
    """The body's polylines on a white image `size` pixels wide, in their
    line colours (black until the first), VDC y upwards."""
    from PIL import Image, ImageDraw

    x0, y0, x1, y1 = first(elements, "VDC EXTENT").ints()
    scale = (size - 1) / max(abs(x1 - x0), 1)
    height = int(abs(y1 - y0) * scale) + 1
    img = Image.new("RGB", (size, height), "white")
    draw, colour = ImageDraw.Draw(img), (0, 0, 0)
    for e in body:
        if e.name == "LINE COLOUR":
            colour = e.rgb()
        elif e.name == "POLYLINE":
            draw.line([((x - x0) * scale, height - 1 - (y - y0) * scale) for x, y in e.points()], fill=colour)
    return img
