"""National characters: which code holds which letter, and how stroke fonts
build the letters that the Hershey sources lack from base letters and
accent strokes.

Codes 127 to 186 follow the order of the program's national character list;
the 231-character alphabets carry Turkish letters at the codes the TURK
shift gives.
"""
import math

NATIONAL = (
    "ÄÖÜäöüßÅØÆåøæÑñÇçËÏëï"
    "ÁÉÍÓÚáéíóú" "ÀÈÌÒÙàèìòù" "ÂÊÎÔÛâêîôû"
    "ÃãÕõÝýÿ¡¿")
assert len(NATIONAL) == 60

# Characters of the 231-character alphabets beyond code 186.
EXTRA = {196: "Ş", 206: "ş", 241: "Ğ", 242: "İ", 243: "ğ", 244: "ı"}


def code_map(count):
    """Character for each code 33 .. 31 + count (None: no glyph)."""
    out = {}
    for code in range(33, 32 + count):
        if code < 127:
            out[code] = chr(code)
        elif code <= 186:
            out[code] = NATIONAL[code - 127]
        else:
            out[code] = EXTRA.get(code)
    return out


# Letter -> (base, accent) for the composed letters.
COMPOSED = {}
for base_set, accent, letters in (
        ("AOUaou", "dieresis", "ÄÖÜäöü"), ("EIeiy", "dieresis", "ËÏëïÿ"),
        ("AEIOUaeiou", "acute", "ÁÉÍÓÚáéíóú"), ("AEIOUaeiou", "grave", "ÀÈÌÒÙàèìòù"),
        ("AEIOUaeiou", "circumflex", "ÂÊÎÔÛâêîôû"), ("NnAaOo", "tilde", "ÑñÃãÕõ"),
        ("Yy", "acute", "Ýý"), ("Aa", "ring", "Åå"), ("Cc", "cedilla", "Çç"),
        ("Ss", "cedilla", "Şş"), ("Gg", "breve", "Ğğ"), ("I", "dot", "İ")):
    for b, l in zip(base_set, letters):
        COMPOSED[l] = (b, accent)


def bbox(strokes):
    xs = [p[0] for s in strokes for p in s]
    ys = [p[1] for s in strokes for p in s]
    return min(xs), min(ys), max(xs), max(ys)


def shift(strokes, dx, dy):
    return [[(x + dx, y + dy) for x, y in s] for s in strokes]


def clip_x(strokes, limit):
    """Keeps the parts of the strokes left of x = limit."""
    out = []
    for s in strokes:
        cur = []
        for a, b in zip(s, s[1:] + [None]):
            if a[0] <= limit:
                cur.append(a)
            if b is None:
                break
            if (a[0] <= limit) != (b[0] <= limit):
                t = (limit - a[0]) / (b[0] - a[0])
                p = (limit, round(a[1] + t * (b[1] - a[1])))
                if a[0] <= limit:
                    cur.append(p)
                    out.append(cur)
                    cur = []
                else:
                    cur.append(p)
        if len(cur) > 1:
            out.append(cur)
    return [s for s in out if len(s) > 1]


# The sharp s on the 21-unit cap grid: a stem, the upper bowl over the top
# into the waist, and the larger lower bowl back to the baseline.
SHARP_S = [(0, 0), (0, 14), (1, 18), (3, 20), (5, 21), (7, 21), (9, 20), (10, 18), (10, 16), (9, 14),
           (7, 13), (5, 13), (8, 12), (10, 11), (11, 9), (12, 6), (11, 3), (10, 1), (8, 0), (6, 0), (4, 1)]

# A round dot three units across, its interior filled, bottom left at the origin.
DOT = [[(0, 1), (1, 0), (2, 0), (3, 1), (3, 2), (2, 3), (1, 3), (0, 2), (0, 1)],
       [(1, 1), (2, 1), (2, 2), (1, 2), (1, 1)]]


class StrokeFont:
    """Composes letters for one Hershey design.  `glyphs` maps characters to
    strokes (y up, baseline 0); `weight` is how many parallel strokes a
    composed stroke gets; `slant` (x per unit of y) leans the strokes the
    font builds itself to match an italic design."""

    def __init__(self, glyphs, weight, slant=0.0):
        self.g = glyphs
        self.weight = weight
        self.slant = slant
        self.cap = bbox(glyphs["H"])[3]
        self.xh = bbox(glyphs["x"])[3]
        self.gap = max(2, round(self.cap / 10))
        self.dot = self._dot()

    def _dot(self):
        """The dot of the font's i, moved to have its centre at the origin."""
        strokes = [s for s in self.g["i"] if min(p[1] for p in s) > self.xh]
        if not strokes:
            return [[(0, 0), (0, 1)]]
        x0, y0, x1, y1 = bbox(strokes)
        return shift(strokes, -round((x0 + x1) / 2), -round((y0 + y1) / 2))

    def dotless(self, ch):
        strokes = self.g[ch]
        if ch in "ij":
            strokes = [s for s in strokes if min(p[1] for p in s) <= self.xh]
        return strokes

    def _lean(self, strokes):
        if not self.slant:
            return strokes
        return [[(round(x + y * self.slant), y) for x, y in s] for s in strokes]

    def sharp_s(self):
        """The sharp s drawn with strokes of its own (the Greek beta it was
        once taken from leans and descends)."""
        u = self.cap / 21.0
        stem = self.g["l"] if "l" in self.g else self.g["I"]
        top = bbox(stem)[3]
        path = [(round(x * u), round(y * top / 21.0)) for x, y in SHARP_S]
        return self._lean(self._thick([path]))

    def punctuation(self, ch):
        """Period, comma, colon and semicolon with a dot that shows at small
        sizes: the design's own when it is at least three units across,
        else a round filled dot on the baseline."""
        own = self.g[ch]
        x0, _, x1, _ = bbox(self.g["."])
        if x1 - x0 >= 3:
            return own
        dot = self._thick(DOT) if self.weight > 2 else DOT
        upper = []
        if ch in ":;":
            y = round(self.xh - 3 - self.cap / 21.0)
            upper = self._lean(shift(DOT, 0, y))
        if ch in ".:":
            return upper + self._lean(dot)
        tail = self._thick([[(3, 2), (3, -1), (2, -3), (0, -4)]])
        return upper + self._lean(dot + tail)

    def _thick(self, lines, dx=1):
        out = []
        for k in range(self.weight):
            out += shift(lines, k * dx - (self.weight - 1) * dx // 2, 0)
        return out

    def accent(self, name):
        """Accent strokes with the bottom centre at the origin."""
        u = self.cap / 21.0

        def sc(pts):
            return [(round(x * u), round(y * u)) for x, y in pts]
        if name == "acute":
            return self._thick([sc([(-1, 0), (2, 5)])])
        if name == "grave":
            return self._thick([sc([(1, 0), (-2, 5)])])
        if name == "circumflex":
            return self._thick([sc([(-3, 0), (0, 4), (3, 0)])])
        if name == "tilde":
            return self._thick([sc([(-4, 0), (-3, 2), (-2, 3), (-1, 3), (1, 1), (2, 1), (3, 2), (4, 3)])])
        if name == "breve":
            return self._thick([sc([(-3, 4), (-2, 1), (0, 0), (2, 1), (3, 4)])])
        if name == "ring":
            pts = [(round(2.2 * math.sin(a * math.pi / 5) * u), round((2.2 + 2.2 * math.cos(a * math.pi / 5)) * u))
                   for a in range(5, 16)]
            return [sc([(p[0] / u, p[1] / u) for p in pts])]
        if name == "dieresis":
            d = max(2, round(3 * u))
            _, y0, _, _ = bbox(self.dot)
            return shift(self.dot, -d, -y0) + shift(self.dot, d, -y0)
        if name == "dot":
            _, y0, _, _ = bbox(self.dot)
            return shift(self.dot, 0, -y0)
        if name == "cedilla":
            return self._thick([sc([(0, 0), (0, -2), (1, -2), (2, -3), (2, -4), (1, -5), (-2, -5)])])
        raise KeyError(name)

    def _anchor_top(self, strokes):
        """x of the middle of the glyph's top region and its top."""
        pts = [p for s in strokes for p in s]
        top = max(p[1] for p in pts)
        xs = [p[0] for p in pts if p[1] >= top - max(2, self.cap // 6)]
        return (min(xs) + max(xs)) / 2, top

    def compose(self, ch):
        if ch in self.g:
            return self.g[ch]
        if ch in COMPOSED:
            b, acc = COMPOSED[ch]
            base = self.dotless(b) if b in "ij" or ch == "İ" else self.g[b]
            if ch == "İ":
                base = self.g["I"]
            if acc == "cedilla":
                pts = [p for s in base for p in s]
                bottom = min(p[1] for p in pts)
                xs = [p[0] for p in pts if p[1] <= bottom + 2]
                ax = round((min(xs) + max(xs)) / 2)
                return base + shift(self.accent(acc), ax, bottom)
            ax, top = self._anchor_top(base)
            if b in "ij":
                top = self.xh
            return base + shift(self.accent(acc), round(ax), top + self.gap)
        if ch == "ı":
            return self.dotless("i")
        if ch in "Øø":
            base = self.g["O" if ch == "Ø" else "o"]
            x0, y0, x1, y1 = bbox(base)
            # A slash just through the bowl, not the long stroke of an
            # empty-set sign.
            return base + self._thick([[(x0, y0 - 1), (x1, y1 + 1)]])
        if ch == "Æ":
            a = self.g["A"]
            ax, _ = self._anchor_top(a)
            e = self.g["E"]
            ex0 = bbox(e)[0]
            return clip_x(a, round(ax)) + shift(e, round(ax) - ex0 - round(self.cap / 10), 0)
        if ch == "æ":
            a = self.g["a"]
            e = self.g["e"]
            ax1 = bbox(a)[2]
            ex0 = bbox(e)[0]
            return a + shift(e, ax1 - ex0 - round(self.cap / 7), 0)
        if ch == "ß":
            return self.sharp_s()
        if ch in "¡¿":
            src = self.g["!" if ch == "¡" else "?"]
            x0, y0, x1, y1 = bbox(src)
            turned = [[(x0 + x1 - x, y0 + y1 - y) for x, y in s][::-1] for s in src]
            return shift(turned, 0, -round(self.cap / 3))
        return None
