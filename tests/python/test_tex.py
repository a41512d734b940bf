"""Formula mode: its error texts, layout facts read back from PNG pages with
Pillow, nlmess of formulas (hostile formula strings: test_text.py) and
spacing against TeX."""
import shutil
import subprocess

import pytest
from PIL import Image

ERRORS = [
    (r"\frac{a}", "Missing denominator for fractions"),
    ("\\sqrt{" * 8 + "x" + "}" * 8, "Too many nested roots"),
    (r"\frac a", "Syntax error for fractions"),
    (r"\frac{1}{2}" * 21, "Too many fractions"),
    (r"\overline", "Syntax error for overstrike"),
    (r"\vec", "Syntax error for vec"),
    (r"x \underline", "Syntax error for understrike"),
    (r"\sqrt", "Syntax error - missing root"),
    ("{" * 17 + "x" + "}" * 17, "Too many nested parenthesis"),
    ("{a", "Unbalanced parenthesis"),
    ("a}", "Unbalanced parenthesis"),
    ("x^{" * 7 + "2" + "}" * 7, "Too many nested exponents/indices"),
    (r"\foo", "Unknown TeX command foo"),
]


def test_each_error_text_is_a_warning(run):
    out = run(f"""
        k.metafl("PNG"); k.setfil("e.png"); k.kalini(); k.texmod("ON")
        for text in {[t for t, _ in ERRORS]!r}:
            k.messag(text, 100, 300)
        k.texmod("OFF"); k.messag("{{a", 100, 600)   # plain text: braces are characters
        k.kalfin()
    """)
    warnings = [line for line in out.splitlines() if "Warning 101" in line]
    assert len(warnings) == len(ERRORS)
    for line, (_, text) in zip(warnings, ERRORS):
        assert f"Warning 101: {text} in messag" in line


def render(run, formulas, height=200):
    names = [f"f{n}.png" for n in range(len(formulas))]
    run(f"""
        for name, text in zip({names!r}, {formulas!r}):
            k.metafl("PNG"); k.setfil(name); k.scrmod("REVERS"); k.kalini(); k.complx()
            k.height({height}); k.texmod("ON"); k.messag(text, 300, 600); k.kalfin()
    """)
    return [Image.open(run.path / name).convert("L") for name in names]


def ink_rows(image):
    """{row: sorted ink columns} of a dark-on-light page."""
    w, h = image.size
    px = image.load()
    rows = {}
    for y in range(h):
        cols = [x for x in range(w) if px[x, y] < 128]
        if cols:
            rows[y] = cols
    return rows


def longest_run(cols):
    best, start, prev = (0, 0, 0), cols[0], cols[0]
    for c in cols[1:] + [None]:
        if c is None or c != prev + 1:
            if prev - start + 1 > best[0]:
                best = (prev - start + 1, start, prev)
            if c is not None:
                start = c
        if c is not None:
            prev = c
    return best


def span(rows, ys):
    cols = [c for y in ys for c in rows[y]]
    return min(cols), max(cols)


def test_fraction_bar_is_centred_and_wider_than_both_parts(run):
    for image in render(run, [r"\frac{a+b+c}{x}", r"\frac{1}{x+y+z+w}"]):
        rows = ink_rows(image)
        bar_y = max(rows, key=lambda y: longest_run(rows[y])[0])
        _, b0, b1 = longest_run(rows[bar_y])
        above = [y for y in rows if y < bar_y - 2]
        below = [y for y in rows if y > bar_y + 2]
        assert above and below
        for lo, hi in (span(rows, above), span(rows, below)):
            assert b0 < lo and hi < b1
            assert abs((lo + hi) / 2 - (b0 + b1) / 2) <= 3


def test_limits_go_above_and_below_in_display_style(run):
    alone, limits, beside = render(run, [r"\sum", r"\sum_{i=1}^{n}", r"\sum\nolimits_{i=1}^{n}"])
    box = lambda image: image.point(lambda v: 255 - v).getbbox()
    a, l, s = box(alone), box(limits), box(beside)
    assert l[1] < a[1] - 10 and l[3] > a[3] + 10          # above and below the sign
    assert l[2] - l[0] < 1.3 * (a[2] - a[0])              # not beside it
    assert s[2] > a[2] + 20 and s[3] - s[1] < l[3] - l[1]  # nolimits: beside, lower


def test_nlmess_of_formulas(run):
    out = run(r"""
        k.metafl("VIRT"); k.kalini(); k.complx(); k.height(50); k.texmod("ON")
        n = k.nlmess
        print(n(r"\frac{abc}{d}") == n(r"\frac{d}{abc}") > n("abc"),
              n("x^{2}") < n("x2"), n(r"\alpha") < n("alpha"), n(r"a\quad b") - n("ab") == 50,
              n("") == 0)
        k.texmod("OFF"); print(n(r"\alpha") == n("\\alpha"))
        k.kalfin()
    """)
    assert out.split()[:6] == ["True"] * 6


# ---- spacing against TeX itself (latex and dvipng, used only here) ----

COMPARED = ["H", "a=b", "a+b", "-a", r"a \le b", r"a \sim b", "(x)", "|x|", "0.954"]


def tex_images(path, formulas):
    pages = "\\newpage\n".join(f"${f}$" for f in formulas)
    (path / "t.tex").write_text("\\documentclass{article}\\pagestyle{empty}\\begin{document}\n"
                                 + pages + "\n\\end{document}\n")
    subprocess.run(["latex", "-interaction=nonstopmode", "t.tex"], cwd=path, check=True, capture_output=True)
    subprocess.run(["dvipng", "-q", "-D", "600", "-T", "tight", "-bg", "White", "-o", "t%d.png", "t.dvi"],
                   cwd=path, check=True, capture_output=True)
    return [Image.open(path / f"t{n + 1}.png").convert("L") for n in range(len(formulas))]


def blobs(image):
    """The runs of columns with ink, left to right, as (x0, x1, top, bottom)."""
    rows = ink_rows(image)
    columns = {}
    for y, cols in rows.items():
        for x in cols:
            top, bottom = columns.get(x, (y, y))
            columns[x] = (min(top, y), max(bottom, y))
    out = []
    for x in sorted(columns):
        if out and out[-1][1] == x - 1:
            x0, _, top, bottom = out[-1]
            out[-1] = (x0, x, min(top, columns[x][0]), max(bottom, columns[x][1]))
        else:
            out.append((x, x) + columns[x])
    return out


def layout(image):
    """Gaps between the column runs and the runs themselves, in cap heights
    (the first formula is an H), with rows measured up from the baseline."""
    runs = blobs(image)
    gaps = [b[0] - a[1] - 1 for a, b in zip(runs, runs[1:])]
    return gaps, runs


@pytest.mark.skipif(shutil.which("latex") is None or shutil.which("dvipng") is None,
                    reason="latex or dvipng missing")
def test_formula_spacing_reads_like_tex(run):
    measured = {}
    for who, images in (("kalvor", render(run, COMPARED)), ("tex", tex_images(run.path, COMPARED))):
        h_runs = blobs(images[0])
        cap = h_runs[0][3] - h_runs[0][2] + 1
        base = {}
        for f, image in zip(COMPARED, images):
            gaps, runs = layout(image)
            bottom = max(r[3] for r in runs)
            base[f] = ([g / cap for g in gaps],
                       [((r[1] - r[0] + 1) / cap, (bottom - r[3]) / cap, (bottom - r[2]) / cap) for r in runs])
        measured[who] = base
    k, t = measured["kalvor"], measured["tex"]
    relation, operator, sign = k["a=b"][0][0], k["a+b"][0][0], k["-a"][0][0]
    # Thick spaces around relations, medium around operators, none after a sign.
    assert relation > operator + 0.03 and operator > sign + 0.15, k
    for f in ("a=b", "a+b", "-a", r"a \le b", r"a \sim b"):
        assert len(k[f][0]) == len(t[f][0]), (f, k[f], t[f])
        for ours, theirs in zip(k[f][0], t[f][0]):
            assert abs(ours - theirs) < 0.2, (f, k[f][0], t[f][0])
    # The tilde is about as wide as TeX's, on the math axis.
    (w, lo, hi), (tw, tlo, thi) = k[r"a \sim b"][1][1], t[r"a \sim b"][1][1]
    assert abs(w / tw - 1) < 0.35 and abs((lo + hi) - (tlo + thi)) / 2 < 0.12, (k[r"a \sim b"], t[r"a \sim b"])
    # Bars stand off their content at least as far as parentheses, as in TeX.
    for f in ("(x)", "|x|"):
        assert all(abs(ours - theirs) < 0.2 for ours, theirs in zip(k[f][0], t[f][0])), (f, k[f], t[f])
    assert all(bar >= paren for bar, paren in zip(k["|x|"][0], k["(x)"][0])), (k["|x|"], k["(x)"])
    # The decimal point stands on the baseline (round digits overshoot it a little).
    for m in (k, t):
        point = m["0.954"][1][1]
        assert point[1] < 0.06 and point[2] < 0.25, m["0.954"]
