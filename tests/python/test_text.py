# Text through the public module: warnings of the text routines and of
# instruction codes, hardware-font text in PostScript, PDF and SVG judged by
# Ghostscript, poppler and librsvg, outline glyphs with holes, and hostile
# strings.
import ast
import shutil
import subprocess

import pytest
from PIL import Image

import kalvor as k

from conftest import render

def lines_with(out, text):
    return [line for line in out.splitlines() if text in line]


def test_instruction_code_warnings_carry_the_instruction(run):
    out = run("""
        k.metafl("VIRT"); k.kalini(); k.smxalf("INST", "{", "}", 1)
        for text in ["{M9}", "{G25}", "{C1.5}", "{Q}", "{A1#}", "{Z70}"]:
            k.messag("a" + text, 100, 100)
        k.kalfin()
    """)
    bad = "43: Instruction code: incorrect parameter"
    expected = [(bad, "M9"), ("44: Instruction code: incorrect tabulator index", "G25"),
                ("45: Instruction code: no integer value", "C1.5"), ("46: Instruction code: unknown command", "Q"),
                (bad, "A1#"), (bad, "Z70")]
    warnings = lines_with(out, "Instruction code")
    assert len(warnings) == len(expected)
    for line, (text, context) in zip(warnings, expected):
        assert f"Warning  {text} in messag" in line and line.rstrip().endswith(f"({context})")


def test_page_warnings_name_the_text(run):
    out = run("""
        k.metafl("VIRT"); k.kalini(); k.height(50)
        k.messag("far outside the page", 2900, 100)
        k.messag("inside", 100, 100)
        k.kalfin()
    """)
    assert " <<<< Warning: Startpoint ( 2900/  149) " not in out
    [end] = lines_with(out, "in MESSAG out of page")
    assert end.startswith(" <<<< Warning: Endpoint   (") and end.endswith("in MESSAG out of page - (far outs).")


HARDWARE = """
    k.metafl("{dev}"); k.setfil("{name}"); k.scrmod("REVERS"); k.kalini()
    k.psfont("Helvetica"); k.height(80)
    k.eushft("GERM", "!")
    k.messag("f(x)=a\\\\b & <c> !A!o", 200, 300)
    k.angle(90); k.messag("Up", 1500, 1500); k.angle(0)
    k.kalfin()
"""


def ink_box(image):
    return image.convert("L").point(lambda v: 255 if v < 128 else 0).getbbox()


def test_postscript_hardware_text(run):
    run(HARDWARE.format(dev="POST", name="t.ps"))
    ps = b" ".join((run.path / "t.ps").read_bytes().split())
    assert b"(Helvetica) (Helvetica-German) GermanVec ReEncodeSmall (Helvetica-German)" in ps
    assert b" 127 " in ps and b" 92 " in ps   # the national A and the backslash by code
    assert ink_box(render(run.path / "t.ps", 30)) is not None


@pytest.mark.skipif(shutil.which("pdftotext") is None, reason="pdftotext missing")
def test_pdf_hardware_text_escapes_and_advances(run):
    # A second page with text in the same font: the font object is written
    # once and listed in the resources of both pages. The text after a long
    # word starts where nlmess says the word ends: Times-Roman M is 889/1000
    # of the size, and the size makes the cap height 100.
    out = run(HARDWARE.format(dev="PDF", name="t.pdf").replace("k.kalfin()", """k.newpag(); k.messag('x', 99, 99)
    k.psfont("Times-Roman"); k.height(100); print("len", k.nlmess("MMMM")); k.kalfin()"""))
    assert int(out.split("len")[1].split()[0]) == round(4 * 889 * 100 / 683)
    k_pdf = run.path / "t.pdf"
    subprocess.run(["qpdf", "--stream-data=uncompress", str(k_pdf), str(run.path / "q.pdf")], check=True)
    body = b" ".join((run.path / "q.pdf").read_bytes().split())
    for escaped in [rb"(\50) Tj", rb"(\51) Tj", rb"(\134) Tj", rb"(\304) Tj", rb"(\366) Tj", b"(&) Tj"]:
        assert escaped in body
    assert body.count(b"/BaseFont /Helvetica /Encoding /WinAnsiEncoding") == 1 and body.count(b"/Font <<") == 2
    turned = body[:body.index(b" Tm (U) Tj")].split()[-6:-2]
    assert [round(float(v)) for v in turned] == [-1, 0, 0, -1]   # 90 degrees on a page turned by 90
    text = subprocess.run(["pdftotext", str(k_pdf), "-"], capture_output=True, check=True).stdout
    flat = text.decode("utf-8").replace(" ", "").replace("\n", "")
    assert "f(x)=a\\b&<c>Äö" in flat
    assert ink_box(render(k_pdf, 30)) is not None


def test_svg_hardware_text_escapes(run):
    # Also a quote, a control code and codes without a glyph (blanks), then a
    # line and another font: each closes the group before it.
    run(HARDWARE.format(dev="SVG", name="t.svg").replace("k.kalfin()", """
    k.messag('"' + chr(1) + chr(150) + chr(187) + chr(255), 200, 600)
    k.line(0, 0, 100, 100); k.psfont('Times-Bold'); k.height(40); k.messag('T', 100, 100); k.kalfin()"""))
    svg = (run.path / "t.svg").read_bytes()
    assert b'<g font-family="Helvetica" font-weight="normal" font-style="normal"\nfont-size="34"' in svg
    assert b'<text x="57.36" y="108.70">f</text>' in svg                # at (200, 300) plot units
    assert b">&amp;</text>" in svg and b">&lt;</text>" in svg and b">&gt;</text>" in svg
    assert b">\xc4</text>" in svg and b">\\</text>" in svg and b"> </text>" in svg   # Latin-1, as declared
    assert b'rotate="-90"' in svg
    assert b'</g>\n<g fill="none"' in svg and b'</g>\n<g font-family="Times" font-weight="bold"' in svg
    subprocess.run(["xmllint", "--noout", str(run.path / "t.svg")], check=True)
    assert ink_box(render(run.path / "t.svg")) is not None


def test_outline_glyph_keeps_its_hole(run):
    run("""
        k.metafl("PNG"); k.setfil("o.png"); k.scrmod("REVERS"); k.kalini()
        k.helve(); k.height(1500); k.messag("O", 300, 200)
        k.kalfin()
    """)
    image = Image.open(run.path / "o.png").convert("L")
    box = ink_box(image)
    cx, cy = (box[0] + box[2]) // 2, (box[1] + box[3]) // 2
    assert image.getpixel((cx, cy)) > 128          # the counter stays empty
    assert image.getpixel((box[0] + 3, cy)) < 128  # the ring is filled


def test_hostile_strings_never_crash(run):
    out = run("""
        import random
        rng = random.Random(3)
        k.metafl("VIRT"); k.kalini()
        k.smxalf("INST", "{", "}", 1); k.newmix(); k.mixalf(); k.eushft("GERM", "!")
        k.texmod("ON")
        texts = ["x" * 10000, "{" * 50, "}" * 50, "{H999999}" * 20, "{Z-59.9}{K0.0001}" * 10,
                 "^" * 300, "_" * 300, "!", "!!!", "\\\\frac{", "\\\\sqrt{\\\\sqrt{", "{{{{{" ]
        texts += ["".join(chr(rng.randrange(1, 256)) for _ in range(rng.randrange(400))) for _ in range(200)]
        # Formula syntax at a high density, and runs of it.
        texts += ["".join(rng.choice("\\\\{}^_[]ax ") for _ in range(300)) for _ in range(40)]
        texts += ["\\\\" * 200, "\\\\sqrt[" * 50]
        for t in texts:
            for f in (k.complx, k.helve, k.gothic):
                f(); k.messag(t, rng.randrange(-5000, 5000), 500); k.nlmess(t)
        try:
            k.messag("\\u20ac", 10, 10)
        except (ValueError, UnicodeError) as e:
            print("refused", type(e).__name__)
        k.kalfin()
        print("survived")
    """)
    assert "survived" in out


# ---- legibility and weight of the vector fonts, judged on rendered pages ----

GALLERY_PAGE = 'k.setpag("DA4L"); k.scrmod("REVERS"); k.winsiz(1200, 849); k.imgfmt("RGB")'
PIXELS_PER_UNIT = 1200 / 2970   # the gallery's A4 landscape page


def rendered(run, stem, device):
    # The page stem.<device> read by an independent renderer at the gallery's size.
    return render(run.path / f"{stem}.{device.lower()}", width=1200).convert("L")


def components(mask):
    # 8-connected components of a set of (x, y) pixels.
    left, out = set(mask), []
    while left:
        todo, part = [left.pop()], set()
        while todo:
            x, y = todo.pop()
            part.add((x, y))
            for n in [(x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1)]:
                if n in left:
                    left.remove(n)
                    todo.append(n)
        out.append(part)
    return out


NUMBERS = "1.0 0.5 -0.15 1,5"


@pytest.mark.parametrize("font", ["kalalf", "simplx", "complx", "duplx", "triplx", "gothic"])
def test_points_and_commas_stand_apart_from_the_digits(run, font):
    # Tick labels at the default height on the gallery's page: each point and
    # comma is a dot of at least 2 x 2 pixels with an empty column on either
    # side, in the exact raster and in poppler's rendering of the PDF.
    out = run(f"""
        for device in ("PNG", "PDF"):
            k.metafl(device); k.setfil("n." + device.lower()); {GALLERY_PAGE}; k.kalini()
            k.{font}(); k.messag("{NUMBERS}", 300, 1000)
            k.kalfin()
        k.metafl("VIRT"); k.kalini(); k.{font}()
        print("cells", [(k.nlmess("{NUMBERS}"[:i]), k.nlmess("{NUMBERS}"[:i + 1]))
                        for i, c in enumerate("{NUMBERS}") if c in ".,"])
        k.kalfin()
    """)
    cells = ast.literal_eval(out.split("cells")[1].strip().splitlines()[0])
    top, bottom = round(990 * PIXELS_PER_UNIT), round(1060 * PIXELS_PER_UNIT)
    gap = 0 if font == "kalalf" else 9   # a quarter of the height after each character
    for device in ("PNG", "PDF"):
        image = rendered(run, "n", device)
        ink = {(x, y) for x in range(image.width) for y in range(top, bottom) if image.getpixel((x, y)) < 128}
        columns, parts = {x for x, _ in ink}, components(ink)
        for start, end in cells:
            lo, hi = (300 + start) * PIXELS_PER_UNIT, (300 + end - gap) * PIXELS_PER_UNIT
            dot = set().union(*[p for p in parts if lo - 1 <= sum(x for x, _ in p) / len(p) <= hi + 1])
            assert dot, (device, start)
            xs, ys = {x for x, _ in dot}, {y for _, y in dot}
            assert len(xs) >= 2 and len(ys) >= 2 and len(dot) >= 4, (device, start, sorted(dot))
            # A column without ink on either side of the dot.
            assert min(xs) - 1 not in columns and max(xs) + 1 not in columns, (device, start)


def test_latin1_degree_sign_is_drawn_in_every_vector_font(run):
    # 0xB0 under the Latin code tables: a small ring in the upper half of the
    # line, not a blank, in stroke and outline fonts alike.
    fonts = ["kalalf", "simplx", "complx", "duplx", "triplx", "gothic", "helve", "helves", "serif"]
    run(f"""
        k.metafl("PNG"); k.setfil("d.png"); k.scrmod("REVERS"); k.kalini(); k.chacod("ISO1"); k.height(100)
        for i, f in enumerate({fonts!r}):
            getattr(k, f)(); k.messag("\\xb0", 100 + 250 * i, 300)
        k.kalfin()
    """)
    image, s = Image.open(run.path / "d.png").convert("L"), 852 / 2970
    for i, font in enumerate(fonts):
        x = (100 + 250 * i) * s
        box = ink_box(image.crop((round(x), round(250 * s), round(x + 200 * s), round(450 * s))))
        assert box and box[3] - box[1] < 50 * s and box[3] < (50 + 60) * s, (font, box)


def test_outline_fonts_carry_the_same_ink_in_every_format(run):
    # Filled glyphs weigh the same in poppler's PDF, librsvg's SVG and the
    # exact raster (which fills by pixel centres, as the renderers do).
    run(f"""
        for device in ("PDF", "SVG", "PNG"):
            k.metafl(device); k.setfil("o." + device.lower()); {GALLERY_PAGE}; k.kalini()
            k.height(44)
            for y, font in ((300, k.helve), (500, k.serif), (700, k.helves)):
                font(); k.messag("The quick brown fox jumps 0123456789 (1.5, 2.5)", 150, y)
            k.kalfin()
    """)
    ink = {d: sum((255 - v) * n for v, n in enumerate(rendered(run, "o", d).histogram())) / 255
           for d in ("PDF", "SVG", "PNG")}
    assert abs(ink["SVG"] / ink["PDF"] - 1) < 0.1, ink
    assert abs(ink["PNG"] / ink["PDF"] - 1) < 0.1, ink
