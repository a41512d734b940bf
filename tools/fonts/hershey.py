"""Reads Hershey fonts in the .jhf format.

A line holds one glyph: a five-character number, a three-character vertex
count, then pairs of characters, each an offset from 'R'.  The first pair is
the left and right bound; " R" lifts the pen.  Long glyphs may continue on
the next line.  Hershey y grows downwards with the baseline at +9 and the
cap line at -12 for the Roman fonts.
"""


def read_jhf(path):
    """Returns a list of glyphs in file order; a glyph is
    (left, right, strokes) with strokes a list of [(x, y), ...] in Hershey
    units (y down)."""
    with open(path, encoding="latin-1") as f:
        raw = f.read().split("\n")
    glyphs = []
    i = 0
    while i < len(raw):
        line = raw[i].rstrip("\r")
        i += 1
        if not line.strip():
            continue
        count = int(line[5:8])
        body = line[8:]
        # A glyph continues on the next line until it has all its pairs.
        while len(body) < 2 * count and i < len(raw):
            body += raw[i].rstrip("\r")
            i += 1
        left = ord(body[0]) - ord("R")
        right = ord(body[1]) - ord("R")
        strokes, cur = [], []
        for k in range(1, count):
            a, b = body[2 * k], body[2 * k + 1]
            if a == " " and b == "R":
                if cur:
                    strokes.append(cur)
                cur = []
            else:
                cur.append((ord(a) - ord("R"), ord(b) - ord("R")))
        if cur:
            strokes.append(cur)
        glyphs.append((left, right, strokes))
    return glyphs
