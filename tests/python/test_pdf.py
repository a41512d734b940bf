"""PDF output through the public routines, judged by qpdf, poppler and Pillow."""
import json
import shutil
import subprocess
import textwrap

import pytest

from conftest import render

pytestmark = pytest.mark.skipif(
    not (shutil.which("qpdf") and shutil.which("pdftoppm")), reason="needs qpdf and pdftoppm"
)

# Points per plot unit on the default page (DA4L, DOWN): the printable area
# 3900 x 5600 (1/20 mm, in points) turned, or true size when smaller.
K = 0.14173229
S_TURNED = min(5600 * K / 2969, 3900 * K / 2099, 0.28346458)
S_UPRIGHT = min(3900 * K / 2969, 5600 * K / 2099, 0.28346458)

RED, GREEN, BLUE, WHITE = (255, 0, 0), (0, 128, 0), (0, 0, 255), (255, 255, 255)

# A red box, a thick blue line and a solid green triangle.
SCENE = """
k.recfll(1000, 500, 600, 400, 0x010000FF)
k.linwid(40); k.setrgb(0, 0, 1); k.line(200, 1800, 2800, 1800)
k.shdpat(16); k.setrgb(0, 0.5, 0); k.areaf([2000, 2800, 2400], [200, 200, 900], 3)
"""
SCENE_PIXELS = [
    ((1300, 700), RED),
    ((1500, 1800), BLUE),
    ((2400, 433), GREEN),
    ((500, 1500), WHITE),     # nothing drawn here
    ((1500, 1870), WHITE),    # beside the thick line
    ((900, 700), WHITE),      # beside the box
]


def qpdf_check(path):
    proc = subprocess.run(["qpdf", "--check", str(path)], capture_output=True, text=True)
    assert proc.returncode == 0, proc.stdout + proc.stderr
    assert "No syntax or stream encoding errors found" in proc.stdout


def qpdf_json(path, key):
    proc = subprocess.run(["qpdf", "--json", f"--json-key={key}", str(path)],
                          capture_output=True, text=True, check=True)
    return json.loads(proc.stdout)[key]


def pixel(img, x, y, s=S_TURNED, dpi=72):
    """The rendered pixel at plot point (x, y) (a page shown landscape)."""
    f = s * dpi / 72
    return img.getpixel((int(x * f), int(y * f)))


def script(*parts):
    """Joins pieces of code written at any indentation."""
    return "\n".join(textwrap.dedent(p) for p in parts)


def plot(run, body, name="out.pdf", setup=""):
    run(script(setup, f"k.metafl('PDF'); k.setfil('{name}'); k.kalini(); k.errmod('PROT', 'OFF')",
               body, "k.kalfin()"))
    return run.path / name


# A zigzag of 40000 points between the box drawn first and the line drawn
# after it: a page of more than 300000 bytes of operators.
ZIGZAG = """
k.strtpt(100, 800)
for i in range(40000):
    k.connpt(100 + (i * 37) % 2700, 800 + (i % 2) * 400)
"""


@pytest.mark.parametrize("compress", ["ON", "OFF"])
@pytest.mark.parametrize("pagmod, size, s", [("LAND", (782, 553), S_TURNED), ("NONE", (553, 391), S_UPRIGHT)])
def test_scene_renders_where_it_was_drawn(run, compress, pagmod, size, s):
    path = plot(run, SCENE.replace("\nk.linwid(40)", ZIGZAG + "k.linwid(40)"),
                setup=f"k.pdfmod('{compress}', 'COMP'); k.pagmod('{pagmod}')")
    qpdf_check(path)
    data = path.read_bytes()
    assert (b"/Filter /FlateDecode" in data) == (compress == "ON")
    assert (b"/Rotate 90\n" in data) == (pagmod == "LAND")
    contents = qpdf_json(path, "pages")[0]["contents"]
    assert len(contents) >= 3 if compress == "ON" else len(contents) == 1   # 300000-byte stream buffers
    img = render(path)
    assert img.size == size                # the turned A4 page is shown landscape
    for (x, y), colour in SCENE_PIXELS:
        assert pixel(img, x, y, s) == colour, (x, y)


def test_turned_page_background_leaves_no_strip(run):
    # scrmod NORE paints the page black; on a turned page the media box has
    # its sides exchanged, and both pages must be black all over.
    path = plot(run, "k.newpag()", setup="k.scrmod('NORE')")
    qpdf_check(path)
    assert path.read_bytes().count(b"/Rotate 90\n") == 2
    for page in (1, 2):
        img = render(path, 36, page=page)
        assert img.getextrema() == ((0, 0), (0, 0), (0, 0)), page


def test_thousand_pages(run):
    # Page i carries a box in column i % 10.
    path = plot(run, """
        for i in range(1000):
            if i:
                k.newpag()
            k.recfll(100 + (i % 10) * 280, 1000, 200, 200, 0x010000FF)
    """)
    qpdf_check(path)
    pages = qpdf_json(path, "pages")
    assert [p["pageposfrom1"] for p in pages] == list(range(1, 1001))
    for page in (1, 1000):
        img = render(path, 36, page=page)
        column = (page - 1) % 10
        for c in range(10):
            want = RED if c == column else WHITE
            assert pixel(img, 200 + c * 280, 1100, dpi=36) == want, (page, c)


def test_bookmarks_become_an_outline(run):
    out = run("""
        k.metafl('PDF'); k.setfil('marks.pdf'); k.kalini(); k.errmod('PROT', 'OFF')
        k.pdfmrk('Intro', 'SECT')
        k.pdfmrk('Intro', 'CHAP')
        k.pdfmrk('Part (1\\\\', 'sect')
        k.newpag()
        k.pdfmrk('Detail', 'SUBS')
        k.pdfmrk('x', 'PART')
        k.pdfmrk('Results', 'CHAP')
        k.kalfin()
        k.metafl('SVG'); k.kalini(); k.errmod('PROT', 'OFF')
        k.pdfmrk('Intro', 'SECT'); k.pdfmrk('Intro', 'CHAP')   # quiet on other devices
        k.kalfin()
        k.pdfmrk('Intro', 'CHAP')
    """)
    assert out == (
        " <<<< Warning 101: Bad structure for bookmarks in pdfmrk!\n"
        " <<<< Warning 101: Bad parameter in pdfmrk!\n"
        " <<<< Warning   3: Incorrect level in pdfmrk!   (   0)\n"
    )
    path = run.path / "marks.pdf"
    qpdf_check(path)
    assert b"   /PageMode /UseOutlines\n" in path.read_bytes()

    def tree(items):
        return [(o["title"], o["destpageposfrom1"], tree(o["kids"])) for o in items]

    assert tree(qpdf_json(path, "outlines")) == [
        ("Intro", 1, [("Part (1\\", 1, [("Detail", 2, [])])]),
        ("Results", 2, []),
    ]


def test_pdfbuf_keeps_the_document_in_memory(run):
    """Buffered output opens and names no file (so BREA finds nothing in its
    way); the buffer holds the bytes the file would."""
    (run.path / "kalvor.pdf").write_text("old")
    out = run(script("""
        import os
        k.filmod('BREA'); k.pdfmod('ON', 'BUFF'); k.metafl('PDF'); k.kalini(); print(repr(k.getfil()))
    """, SCENE, """
        k.kalfin()
        print(sorted(os.listdir('.')))
        empty, size = k.pdfbuf(0)
        data, n = k.pdfbuf(size)
        print(empty, n == size == len(data))
        open('memory.pdf', 'wb').write(data)
        k.filmod('COUN'); k.pdfmod('OFF', 'BUFF'); k.kalini(); k.errmod('PROT', 'OFF')
    """, SCENE, "k.kalfin()"))
    assert out.startswith("''\n")
    assert " <<  Metafile:" + " " * 51 + "<<\n" in out
    assert out.endswith("['kalvor.pdf']\nb'' True\n")
    assert (run.path / "kalvor.pdf").read_text() == "old"
    memory, file = run.path / "memory.pdf", run.path / "kalvor_1.pdf"
    qpdf_check(memory)
    assert memory.read_bytes() == file.read_bytes()   # the scene as rendered above


def test_pdfbuf_messages(run):
    out = run("""
        k.metafl('PS'); print(k.pdfbuf(0))
        k.metafl('PDF'); print(k.pdfbuf(0))
        k.pdfmod('ON', 'BUFF'); print(k.pdfbuf(100))
        k.kalini(); k.errmod('PROT', 'OFF'); print(k.pdfbuf(0)); k.kalfin()
        size = k.pdfbuf(0)[1]
        print(k.pdfbuf(-1))
        print(k.pdfbuf(size - 1))
        data, n = k.pdfbuf(size + 100)
        print(n == size == len(data), data[:8], data[-6:])
        print(k.pdfbuf(0))
        k.pdfmod('OFF', 'BUFF'); k.kalini(); k.errmod('PROT', 'OFF'); k.kalfin()
        print(k.pdfbuf(0))
    """)
    assert out == (
        " <<<< Warning 101: Output format is not PDF in pdfbuf!\n(b'', 0)\n"
        " <<<< Warning 101: Buffer output is not enabled for PDF in pdfbuf!\n(b'', 0)\n"
        " <<<< Warning 101: Internal PDF buffer is empty in pdfbuf!\n(b'', 0)\n"
        " <<<< Warning   3: Incorrect level in pdfbuf!   (   1)\n(b'', 0)\n"
        "(b'', 0)\n"
        " <<<< Warning 101: Buffer too small for PDF file in pdfbuf!\n(b'', 0)\n"
        "True b'%PDF-1.3' b'%%EOF\\n'\n"
        " <<<< Warning 101: Internal PDF buffer is empty in pdfbuf!\n(b'', 0)\n"
        " <<<< Warning 101: Buffer output is not enabled for PDF in pdfbuf!\n(b'', 0)\n"
    )
    qpdf_check(run.path / "kalvor.pdf")
