"""Outline fonts from the DejaVu TrueType files: closed contours on a grid
where the cap height is 200 units, quadratic curves flattened to polylines."""
import math
import os

from fontTools.pens.basePen import BasePen
from fontTools.pens.boundsPen import BoundsPen
from fontTools.ttLib import TTFont

from encode import Alphabet, write_alphabets
from national import code_map

CAP = 200
TOLERANCE = 0.3   # largest distance of a chord from its curve, grid units

SOURCES = (("helve", "DejaVuSans.ttf"), ("helves", "DejaVuSans-Bold.ttf"), ("serif", "DejaVuSerif.ttf"))


class FlattenPen(BasePen):
    def __init__(self, glyphset, scale):
        super().__init__(glyphset)
        self.s = scale
        self.contours = []
        self.cur = None

    def _moveTo(self, p):
        self.cur = [p]

    def _lineTo(self, p):
        self.cur.append(p)

    def _qCurveToOne(self, p1, p2):
        p0 = self.cur[-1]
        dx = (p0[0] - 2 * p1[0] + p2[0]) * self.s
        dy = (p0[1] - 2 * p1[1] + p2[1]) * self.s
        n = max(1, math.ceil(math.sqrt(math.hypot(dx, dy) / 4 / TOLERANCE)))
        for k in range(1, n + 1):
            t = k / n
            a, b, c = (1 - t) ** 2, 2 * t * (1 - t), t * t
            self.cur.append((a * p0[0] + b * p1[0] + c * p2[0], a * p0[1] + b * p1[1] + c * p2[1]))

    def _curveToOne(self, p1, p2, p3):
        p0 = self.cur[-1]
        n = 16
        for k in range(1, n + 1):
            t = k / n
            m = 1 - t
            self.cur.append(tuple(m ** 3 * p0[i] + 3 * m * m * t * p1[i] + 3 * m * t * t * p2[i]
                                  + t ** 3 * p3[i] for i in (0, 1)))

    def _closePath(self):
        if self.cur:
            self.contours.append(self.cur)
        self.cur = None

    _endPath = _closePath


def contours(font, ch, scale):
    """The glyph of `ch` as integer contours, ink starting at x = 0; the
    last point of a contour joins its first."""
    name = font.getBestCmap().get(ord(ch))
    if name is None:
        raise KeyError(ch)
    pen = FlattenPen(font.getGlyphSet(), scale)
    font.getGlyphSet()[name].draw(pen)
    out = []
    for c in pen.contours:
        pts = []
        for x, y in c:
            p = (round(x * scale), round(y * scale))
            if not pts or pts[-1] != p:
                pts.append(p)
        while len(pts) > 1 and pts[-1] == pts[0]:
            pts.pop()
        if len(pts) >= 3:
            out.append(pts)
    if out:
        x0 = min(p[0] for c in out for p in c)
        out = [[(x - x0, y) for x, y in c] for c in out]
    return out


def generate(data, outdir):
    for name, path in SOURCES:
        font = TTFont(os.path.join(data, "outline", path))
        gs = font.getGlyphSet()
        cap = gs[font.getBestCmap()[ord("H")]]
        bp = BoundsPen(gs)
        cap.draw(bp)
        scale = CAP / bp.bounds[3]
        alpha = Alphabet(split=True, offset_unit=2.0)
        for code, ch in sorted(code_map(132).items()):
            alpha.add_glyph(contours(font, ch, scale))
        write_alphabets(os.path.join(outdir, name + ".cpp"), "the DejaVu outlines (outline/%s)" % path,
                        [(name + "_standard", alpha, 132)])
