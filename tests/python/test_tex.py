"""Formula mode: its error texts, layout facts read back from PNG pages with
Pillow, and nlmess of formulas (hostile formula strings: test_text.py)."""
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
