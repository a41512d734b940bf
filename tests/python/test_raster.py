# Raster images: every written format opened by independent readers
# (Pillow, libtiff's tiffinfo, Ghostscript) and compared with the raster pixel
# by pixel, transparency, the PNG in memory, and the pixel routines.
import itertools
import shutil
import subprocess
import textwrap

import pytest
from PIL import Image

from conftest import render

# Child helpers: a page of 853 x 603 plot units drawn at full scale on the
# default 853 x 603 raster (one plot unit is one pixel), a scene of lines,
# boxes and a triangle in direct and table colours, and the raster saved as
# RGB bytes through rpixls.
HELPERS = """
    def start(device, fmt='IND'):
        k.page(853, 603); k.sclmod('FULL'); k.imgfmt(fmt); k.metafl(device)
        k.kalini(); k.errmod('PROT', 'OFF')

    def scene():
        k.setrgb(1, 0, 0); k.line(10, 10, 300, 200); k.line(0, 602, 852, 0)
        k.recfll(400, 50, 100, 60, k.intrgb(0, 0, 1))
        k.recfll(600, 300, 40, 40, 3)
        k.setrgb(0, 1, 0); k.trifll([100, 300, 200], [400, 400, 550])
        k.setclr(200); k.rectan(700, 450, 120, 100)

    def save_rgb(name, w=853, h=603):
        k.imgini(); k.imgmod('RGB')
        data, n = k.rpixls(0, 0, w, h)
        assert n == len(data) == w * h * 3
        open(name, 'wb').write(data)
        k.imgmod('IND'); k.imgfin()
"""


def script(*parts):  # the child helpers and pieces of child code, each dedented on its own
    return "\n".join(textwrap.dedent(part).strip("\n") for part in (HELPERS,) + parts) + "\n"


def rgb_of(path):
    with Image.open(path) as im:
        return im.convert("RGB").tobytes()


def tiffinfo(path):
    proc = subprocess.run(["tiffinfo", str(path)], capture_output=True, text=True)
    assert proc.returncode == 0 and proc.stderr == "", (path, proc.stderr)
    return proc.stdout


@pytest.mark.parametrize("fmt", ["IND", "RGB"])
def test_every_format_holds_the_raster_exactly(run, fmt):
    # Files saved from a VIRT raster by the r routines, and device files
    # written by kalfin, which must be the same bytes; the raster file and the
    # TIFF loaded into a new raster by wimage and wtiff.
    run(script(f"""
        start('VIRT', '{fmt}'); scene(); save_rgb('raster.rgb')
        k.rpng('a.png'); k.rgif('a.gif'); k.rbmp('a.bmp'); k.rppm('a.ppm'); k.rtiff('a.tif'); k.rimage('a.img')
        k.kalfin()
        for device, ext in dict(PNG='png', GIF='gif', BMP='bmp', PPM='ppm', TIFF='tif', IMAG='img').items():
            k.setfil('dev.' + ext); start(device, '{fmt}'); scene(); k.kalfin()
        start('VIRT', '{fmt}'); k.wimage('a.img'); save_rgb('back.rgb'); k.kalfin()
        start('VIRT', '{fmt}'); k.wtiff('a.tif'); save_rgb('back_tif.rgb'); k.kalfin()
    """))
    raster = (run.path / "raster.rgb").read_bytes()
    pal = "P" if fmt == "IND" else "RGB"
    for ext, mode in {"png": pal, "gif": "P", "bmp": pal, "ppm": "RGB", "tif": pal}.items():
        with Image.open(run.path / f"a.{ext}") as im:
            assert (im.size, im.mode) == ((853, 603), mode), ext
            assert im.convert("RGB").tobytes() == raster, ext
    for ext in ["png", "gif", "bmp", "ppm", "tif", "img"]:
        assert (run.path / f"dev.{ext}").read_bytes() == (run.path / f"a.{ext}").read_bytes(), ext
    Image.open(run.path / "a.png").verify()
    assert Image.open(run.path / "a.gif").info["version"] == b"GIF87a"
    # The raster file: a header of 80 characters, then the palette indices
    # (the same as the PNG's) or the RGB bytes, top row first.
    img = (run.path / "a.img").read_bytes()
    body, fields = (Image.open(run.path / "a.png").tobytes(), "   853     8") if fmt == "IND" else (raster, "  2559    24")
    assert img[:80].decode() == f"!Bitmap KALVOR VIRT   853   603     8{fields}    32     0     1     0       "
    assert img[80:] == body
    assert (run.path / "back.rgb").read_bytes() == (run.path / "back_tif.rgb").read_bytes() == raster  # wimage, wtiff
    # The shapes land on the expected pixels in their exact colours.
    px = Image.frombytes("RGB", (853, 603), raster).load()
    blue = [(x, y) for x in range(380, 520) for y in range(30, 130) if px[x, y] == (0, 0, 255)]
    assert len(blue) == 100 * 60 and min(blue) == (400, 50) and max(blue) == (499, 109)
    assert px[10, 10] == px[300, 200] == px[0, 602] == px[852, 0] == (255, 0, 0)  # line ends
    assert px[700, 450] == px[819, 549] != (0, 0, 0) == px[760, 500]  # rectan: an outline
    assert px[200, 549] == px[150, 401] == px[200, 450] == (0, 255, 0)  # triangle rows 400 to 549
    assert px[120, 540] == (0, 0, 0)


def test_png_and_gif_transparency(run):
    run(script("""
        k.pngmod('ON', 'TRAN'); k.gifmod('ON', 'TRAN')
        start('VIRT'); scene(); k.rpng('p.png'); k.rgif('p.gif'); k.kalfin()
        k.scrmod('REVERS'); start('VIRT', 'RGB'); scene(); k.rpng('t.png'); k.rgif('t.gif'); k.kalfin()
    """))
    p, t = Image.open(run.path / "p.png"), Image.open(run.path / "t.png")
    assert p.info["transparency"] == 0 and t.mode == "RGB" and t.info["transparency"] == (255, 255, 255)
    p, t = p.convert("RGBA"), t.convert("RGBA")
    assert p.getpixel((5, 300))[3] == 0 and p.getpixel((450, 80))[3] == 255  # background: index 0
    assert t.getpixel((5, 300)) == (255, 255, 255, 0) and t.getpixel((450, 80)) == (0, 0, 255, 255)
    for name in ("p.gif", "t.gif"):
        with Image.open(run.path / name) as im:
            bg = im.info["background"]
            assert im.info["version"] == b"GIF89a" and im.info["transparency"] == bg
            assert im.getpixel((5, 300)) == bg != im.getpixel((450, 80))
    assert Image.open(run.path / "t.gif").convert("RGB").getpixel((5, 300)) == (255, 255, 255)


def test_gif_of_many_colours_is_quantized(run):
    run(script("""
        start('VIRT', 'RGB'); k.imgini(); k.imgmod('RGB')
        for y in range(0, 603, 3):
            k.wpxrow(bytes(v for x in range(853) for v in (x % 256, (x * 3 + y) % 256, (y * 5) % 256)), 0, y, 853)
        k.imgfin(); save_rgb('raster.rgb'); k.rgif('q.gif'); k.kalfin()
    """))
    raster = (run.path / "raster.rgb").read_bytes()
    im = Image.open(run.path / "q.gif")
    assert im.mode == "P" and im.size == (853, 603)
    got = im.convert("RGB").tobytes()
    assert len({raster[i:i + 3] for i in range(0, len(raster), 3)}) > 256
    assert 0 < max(abs(a - b) for a, b in zip(got, raster)) <= 64  # each pixel stays in its octree cell


@pytest.mark.skipif(not shutil.which("tiffinfo"), reason="tiffinfo not installed")
def test_tiff_files_pass_tiffinfo(run):
    run(script("""
        start('VIRT'); scene(); k.rtiff('pal.tif')
        k.imgfmt('RGB'); k.tifmod(300, 'CM', 'RESO'); k.rtiff('rgb.tif')
        k.imgfmt('BIL'); k.rtiff('bil.tif'); k.kalfin()
        # Rows longer than 65535 bytes.
        k.imgfmt('RGB'); k.metafl('VIRT'); k.winsiz(22000, 3); k.kalini(); k.errmod('PROT', 'OFF')
        k.imgini(); k.imgmod('RGB')
        k.wpxrow(bytes(v for x in range(22000) for v in (x % 256, x // 256, 7)), 0, 1, 22000)
        k.imgfin(); k.rtiff('wide.tif'); k.rppm('wide.ppm'); k.kalfin()
    """))
    expect = {
        "pal.tif": ["Image Width: 853 Image Length: 603", "Bits/Sample: 8",
                    "Photometric Interpretation: palette color", "Resolution: 100, 100 pixels/inch",
                    "Rows/Strip: 1", "Color Map: (present)"],
        "rgb.tif": ["Image Width: 853 Image Length: 603", "Samples/Pixel: 3",
                    "Photometric Interpretation: RGB color", "Resolution: 300, 300 pixels/cm"],
        "bil.tif": ["Bits/Sample: 1", "Photometric Interpretation: min-is-black"],
        "wide.tif": ["Image Width: 22000 Image Length: 3"],
    }
    for name, lines in expect.items():
        out = tiffinfo(run.path / name)
        assert [line for line in lines if line not in out] == [], (name, out)
    assert rgb_of(run.path / "wide.tif") == rgb_of(run.path / "wide.ppm")
    bil, rgb = Image.open(run.path / "bil.tif"), Image.open(run.path / "pal.tif").convert("RGB")
    assert bil.mode == "1"
    for xy in [(450, 80), (5, 300), (200, 450), (10, 10), (760, 500)]:  # a bit where not black
        assert (bil.getpixel(xy) != 0) == (rgb.getpixel(xy) != (0, 0, 0)), xy


def test_pixel_blocks_round_trip_clip_and_bound(run):
    run("""
        from PIL import Image
        from pytest import raises
        # A palette raster: indices, and RGB mode with three bytes a pixel.
        k.metafl('VIRT'); k.winsiz(20, 10); k.kalini(); k.errmod('PROT', 'OFF'); k.imgini()
        block = bytes(range(1, 31))                      # 6 x 5 indices
        k.wpixls(block, 2, 3, 6, 5)
        assert k.rpixls(2, 3, 6, 5) == (block, 30) and (k.rpixel(2, 3), k.rpixel(7, 7)) == (1, 30)
        k.imgmod('RGB')
        k.wpxrow(bytes(range(100, 145)), 5, 9, 15)
        data, n = k.rpxrow(5, 9, 15)
        k.wpxrow(data, 5, 8, 15)                         # palette colours map to themselves
        assert n == 45 and data == k.rpxrow(5, 8, 15)[0] and data != bytes(range(100, 145))
        k.imgmod('IND')
        assert (k.rpxrow(5, 9, 15)[1], k.rpixls(0, 0, 0, 4), k.rpxrow(0, 0, -1)) == (15, b'', b'')
        k.imgfin(); k.kalfin()
        # A true-colour raster keeps the exact colours; blocks are cut at the edges.
        k.imgfmt('RGB'); k.kalini(); k.errmod('PROT', 'OFF'); k.imgini(); k.imgmod('RGB')
        rgb = bytes((i * 37) % 256 for i in range(4 * 3 * 3))
        k.wpixls(rgb, 17, 8, 4, 3)                       # 3 x 2 of it lands on the raster
        want = Image.new('RGB', (20, 10))
        want.paste(Image.frombytes('RGB', (4, 3), rgb), (17, 8))
        assert k.rpixls(16, 7, 6, 5) == (want.crop((16, 7, 22, 12)).tobytes(), 90)
        k.wpixel(0, 0, k.intrgb(1, 0.5, 0))
        assert k.rpixel(0, 0) == k.intrgb(1, 0.5, 0)
        k.imgmod('IND'); k.setvlt('SMAL')
        assert k.rpixel(0, 0) == 6                       # nearest SMAL entry: orange
        # Byte strings shorter than the block are refused; any buffer will do.
        with raises(MemoryError, match='out of range'):
            k.wpixls(bytes(11), 0, 0, 4, 3)
        k.imgmod('RGB')
        with raises(MemoryError, match='out of range'):
            k.wpxrow(bytes(8), 0, 0, 3)
        k.wpxrow(bytearray(9), 0, 0, 3)
        k.wpixls(memoryview(bytes(36)), 0, 0, 4, 3)
        with raises(TypeError):
            k.wpxrow([1, 2, 3], 0, 0, 1)
        # No raster holds more than 1 GiB: larger buffers are not made.
        with raises(MemoryError, match='out of memory in rpxrow'):
            k.rpxrow(0, 0, 2**31 - 1)
        with raises(MemoryError, match='out of memory in rpixls'):
            k.rpixls(0, 0, 40000, 40000)
        k.kalfin()
    """)


# Image windows of many sizes: the GIF code widths grow at 512, 1024 and 2048
# entries and the table is cleared at 4095, at every place relative to the
# end code. 255 pixels with no repeated pair end exactly when the decoder's
# table reaches 512 entries. The last window, off the corner, goes to every
# format.
WINDOWS = ([(0, 0, 1, 1), (0, 0, 300, 200), (0, 100, 300, 100), (0, 0, 255, 1)] +
           [(0, 0, w, 1) for w in range(2, 300, 7)] + [(0, 99, w, 2) for w in range(150, 300, 3)] +
           [(0, 0, 300, h) for h in range(1, 100, 4)] + [(90, 40, 120, 80)])


def test_gif_codes_decode_for_every_window(run):
    # Random pixels of few colours (upper half) and of many (lower half).
    run(f"""
        import random
        random.seed(5)
        k.metafl('VIRT'); k.winsiz(300, 200); k.kalini(); k.errmod('PROT', 'OFF'); k.imgini()
        for y in range(200):
            k.wpxrow(bytes(random.randrange(3 if y < 100 else 256) for _ in range(300)), 0, y, 300)
        k.wpxrow(bytes(range(255)), 0, 0, 255)
        k.imgfin(); k.rppm('all.ppm')
        for i, (x, y, w, h) in enumerate({WINDOWS!r}):
            k.imgclp(x, y, w, h); k.rgif(f'w{{i}}.gif')
        k.rpng('w.png'); k.rbmp('w.bmp'); k.rppm('w.ppm'); k.rtiff('w.tif')
        k.reset('IMGCLP'); k.rgif('again.gif')
        k.kalfin()
    """)
    full = Image.open(run.path / "all.ppm")
    files = [(f"w{i}.gif", (x, y, x + w, y + h)) for i, (x, y, w, h) in enumerate(WINDOWS)]
    files += [(f"w.{ext}", (90, 40, 210, 120)) for ext in ["png", "bmp", "ppm", "tif"]]
    for name, box in files + [("again.gif", (0, 0, 300, 200))]:
        im = Image.open(run.path / name)
        assert im.size == (box[2] - box[0], box[3] - box[1]) and im.convert("RGB").tobytes() == full.crop(box).tobytes(), name


def test_reads_and_saves_see_the_line_drawn_before_them(run):
    # A red line still pending in the line layer when each routine runs: the
    # readers and savers find it, the image writers draw over it.
    run(script("""
        import io
        from PIL import Image
        def pending(mode=False):
            start('VIRT')
            if mode: k.imgini()
            k.setrgb(1, 0, 0); k.line(10, 20, 60, 20)
        start('VIRT'); k.rimage('black.img'); k.rtiff('black.tif'); k.kalfin()
        red = []
        for read in [lambda: k.rpixel(30, 20), lambda: k.rpixls(30, 20, 1, 1)[0][0],
                     lambda: k.rpxrow(30, 20, 1)[0][0]]:
            pending(True); red.append(read()); k.kalfin()
        for save in [k.rpng, k.rtiff, k.rppm, k.rbmp, k.rgif]:
            name = save.__name__
            pending(); save(name); red.append(Image.open(name).convert('RGB').getpixel((30, 20))); k.kalfin()
        pending(); k.rimage('s.img'); red.append(open('s.img', 'rb').read()[80 + 20 * 853 + 30]); k.kalfin()
        pending(); png = k.rbfpng(100000)[0]; k.kalfin()
        red.append(Image.open(io.BytesIO(png)).convert('RGB').getpixel((30, 20)))
        assert red == [254] * 3 + [(255, 0, 0)] * 5 + [254, (255, 0, 0)], red
        for draw in [k.wimage, k.wtiff]:
            pending(); draw('black.img' if draw == k.wimage else 'black.tif'); k.rpng(draw.__name__); k.kalfin()
            assert Image.open(draw.__name__).convert('RGB').getpixel((30, 20)) == (0, 0, 0)
    """))


def test_palette_images_show_the_whole_colour_table(run):
    # Under SMAL and VGA an entry beyond the table's own colours, set with
    # setind, is what getind reports and what palettes and pixels show; the
    # nearest entry of a direct colour is still sought among the first 9 (16).
    run(script("""
        from PIL import Image
        for table, entry, own_red in [('SMAL', 20, 2), ('VGA', 30, 6)]:
            start('VIRT'); k.setvlt(table)
            k.setind(entry, 1, 0.2, 0); assert [round(v * 255) for v in k.getind(entry)] == [255, 51, 0]
            k.recfll(10, 10, 20, 20, entry); k.setrgb(1, 0.2, 0); k.line(10, 50, 40, 50)
            k.rpng(table + '.png'); k.rgif(table + '.gif'); k.rbmp(table + '.bmp'); k.rtiff(table + '.tif')
            k.imgini(); indices = (k.rpixel(15, 15), k.rpixel(20, 50)); k.imgfin(); k.kalfin()
            for ext in ['png', 'gif', 'bmp', 'tif']:
                name = table + '.' + ext
                im = Image.open(name)
                assert im.getpalette()[3 * entry:3 * entry + 3] == [255, 51, 0], name
                assert im.convert('RGB').getpixel((15, 15)) == (255, 51, 0), name
            assert indices == (entry, own_red), indices
    """))


@pytest.mark.parametrize("device, pagmod", [("EPS", "LAND"), ("EPS", "NONE"), ("PDF", "LAND")])
@pytest.mark.parametrize("finish", ["imgfin", "kalfin"])
def test_embedded_image_on_postscript_and_pdf_pages(run, device, pagmod, finish):
    # A 4 x 2 raster of eight colours over the whole page, finished by imgfin
    # or left open for kalfin; a line drawn before imgfin lies under it.
    colours = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0),
               (0, 255, 255), (255, 0, 255), (128, 64, 32), (255, 255, 255)]
    run(f"""
        k.metafl('{device}'); k.pagmod('{pagmod}'); k.kalini(); k.errmod('PROT', 'OFF')
        k.imgsiz(4, 2); k.imgini(); k.imgmod('RGB')
        k.wpixls(bytes({[v for c in colours for v in c]}), 0, 0, 4, 2)
        k.linwid(50); k.color('BLACK'); k.line(100, 300, 2800, 300)
        {'k.imgfin(); ' if finish == 'imgfin' else ''}k.kalfin()
    """)
    name = run.path / f"kalvor.{device.lower()}"
    if device == "EPS":
        ps = name.read_text()
        assert "/picstr 12 string def" in ps and "4 2 8 [4 0 0 -2 0 2]" in ps
    im = render(name, 20, turned=True)
    w, h = im.size
    assert w > h
    for i, c in enumerate(colours):
        assert im.getpixel((int((i % 4 + 0.5) * w / 4), int((i // 4 + 0.5) * h / 2))) == c, i
    assert im.getpixel((int(1.5 * w / 4), int(300 / 2100 * h))) == colours[1]  # the line is covered


@pytest.mark.skipif(not shutil.which("pdfimages"), reason="needs pdfimages")
def test_png_in_memory_from_postscript_and_pdf_pages(run):
    # Outside image mode rbfpng makes the image raster itself and places it
    # on the page as imgfin would; the length query places nothing.
    out = run("""
        from PIL import Image
        import io
        for device in ['PS', 'PDF']:
            k.metafl(device); k.kalini(); k.errmod('PROT', 'OFF'); k.imgsiz(6, 3)
            size = k.rbfpng(0)[1]
            data, n = k.rbfpng(size)
            im = Image.open(io.BytesIO(data))
            assert n == size and im.size == (6, 3) and im.convert('RGB').getpixel((5, 2)) == (255, 255, 255)
            k.imgini(); k.imgmod('RGB'); k.wpixel(1, 1, k.intrgb(1, 0, 0))
            data, n = k.rbfpng(10000)
            assert Image.open(io.BytesIO(data)).convert('RGB').getpixel((1, 1)) == (255, 0, 0)
            k.imgfin(); k.kalfin()
        print('done')
    """)
    assert out == "done\n"   # no warning 40
    assert (run.path / "kalvor.ps").read_text().count("colorimage") == 2
    listing = subprocess.run(["pdfimages", "-list", str(run.path / "kalvor.pdf")],
                             capture_output=True, text=True, check=True).stdout.splitlines()[2:]
    assert [line.split()[3:5] for line in listing] == [["6", "3"], ["6", "3"]]


@pytest.mark.parametrize("mode", ["RGB", "P", "L", "1"])
def test_wtiff_draws_tiffs_written_by_pillow(run, mode):
    # Pillow's uncompressed TIFFs (several rows per strip), drawn whole at
    # (5, 4) and at (30, 20), cut to the raster, then as a 6 x 4 window from
    # (10, 5) at (0, 0).
    src = Image.effect_mandelbrot((23, 17), (-2, -1.2, 1, 1.2), 60).convert("RGB")
    src = src.convert(mode) if mode != "P" else src.quantize(50)
    src.save(run.path / "in.tif", compression="raw")
    run(script("""
        k.metafl('VIRT'); k.imgfmt('RGB'); k.winsiz(40, 30); k.kalini(); k.errmod('PROT', 'OFF')
        k.tiforg(5, 4); k.wtiff('in.tif'); k.tiforg(30, 20); k.wtiff('in.tif'); save_rgb('out.rgb', 40, 30)
        k.erase(); k.tiforg(0, 0); k.tifwin(10, 5, 6, 4); k.wtiff('in.tif'); save_rgb('window.rgb', 40, 30)
        k.kalfin()
    """))
    src = src.convert("RGB")
    out = Image.frombytes("RGB", (40, 30), (run.path / "out.rgb").read_bytes())
    assert out.crop((5, 4, 28, 21)).tobytes() == src.tobytes()
    assert out.crop((30, 20, 40, 30)).tobytes() == src.crop((0, 0, 10, 10)).tobytes()
    assert out.getpixel((4, 4)) == out.getpixel((28, 21)) == (0, 0, 0)
    window = Image.frombytes("RGB", (40, 30), (run.path / "window.rgb").read_bytes())
    assert window.crop((0, 0, 6, 4)).tobytes() == src.crop((10, 5, 16, 9)).tobytes()
    assert window.getpixel((6, 0)) == window.getpixel((0, 4)) == (0, 0, 0)


def test_work_stays_bounded_for_huge_hatches_and_wide_dots(run):
    # A dotted hatch over a page of a million units: the PostScript device
    # cannot show dashes of a fraction of its unit, the metafile can but gets
    # at most a million dashes a pass; both draw such passes solid. A dotted
    # line 300 mm wide is a row of thin strips, each drawn with a handful of
    # strokes, not a thousand nested outlines.
    run("""
        def start(device, name, w=None, h=None):
            if w: k.page(w, h)
            k.metafl(device); k.setfil(name); k.kalini(); k.errmod('PROT', 'OFF')
        start('PS', 'hatch.ps', 1000000, 1000000); k.shdpat(17)
        k.areaf([0, 999999, 999999, 0], [500000, 500000, 500060, 500060], 4); k.kalfin()
        start('VEKM', 'hatch.met', 1000000, 1000000); k.shdpat(17)
        k.areaf([0, 999999, 999999, 0], [500000, 500000, 500700, 500700], 4); k.kalfin()
        start('VEKM', 'dots.met'); k.dot(); k.linwid(3000); k.line(100, 1000, 2800, 1000); k.kalfin()
    """)
    ps, hatch, dots = ((run.path / n).read_text() for n in ("hatch.ps", "hatch.met", "dots.met"))
    assert ps.count(" d ") < 100 and len(ps) < 20000
    assert 20 <= hatch.count(" 3.0000000") <= 60  # one move per scan line
    assert 246 <= dots.count(" 3.0000000") < 2000 and len(dots) < 200000  # 246 dots


def test_solid_fills_set_the_pixels_of_their_fill_lines(run):
    # The raster draws solid polygons itself; a shield anywhere
    # makes every fill a set of lines again. Filled symbols of every size,
    # a concave area and touching vertices must set the same pixels either
    # way on the default A4 raster (not one pixel per plot unit, so the
    # rounding of the span ends counts). Outline glyphs are left out: the
    # raster fills them by pixel centres.
    run(script("""
        def page(name, shielded):
            k.metafl('PNG'); k.setfil(name); k.imgfmt('RGB'); k.kalini(); k.errmod('PROT', 'OFF')
            if shielded: k.shlrec(5000, 5000, 20, 20)  # off the page: fills turn to lines
            for i in range(24):
                k.hsymbl(4 + 7 * i); k.setclr(20 + 9 * i); k.symbol(i, 100 + 115 * i, 300 + 40 * (i % 5))
            k.setclr(150); k.shdpat(16)
            k.areaf([200, 900, 500, 1400, 300, 600], [800, 700, 1000, 1500, 1400, 1100], 6)
            k.areaf([1500, 1900, 1700, 1900, 1500], [700, 700, 900, 1100, 1100], 5)
            k.kalfin()
        page('native.png', False); page('lines.png', True)
    """))
    native = rgb_of(run.path / "native.png")
    assert sum(1 for i in range(0, len(native), 3) if native[i:i + 3] != b"\xff\xff\xff") > 20000
    assert native == rgb_of(run.path / "lines.png")


def test_repeated_symbols_are_the_first_one_moved_by_whole_pixels(run):
    # Symbols alike on a raster are centred on a pixel and set the pixels
    # the first of them set, moved. Every shape and size is first drawn at
    # one spot C, then all of them around the page twice in other colours:
    # each must look exactly like the same symbol drawn alone at C the
    # ordinary way (a shield off the page forces that), moved to its spot.
    # Symbols cut by the page edges are drawn the ordinary way where they are.
    run(script("""
        import json
        kinds = [(s, h) for h in (25, 60, 61) for s in (21, 3, 15, 17, 1, 23)]
        spots = [(sym, hs, 130 + 260 * (i % 11), 150 + 330 * (i // 11)) for i, (sym, hs) in enumerate(kinds)]
        edge = [(21, 60, 2968, 1000), (17, 60, 1, 700)]
        def start(name):
            k.metafl('PNG'); k.setfil(name); k.imgfmt('RGB'); k.kalini(); k.errmod('PROT', 'OFF')
        def draw(n, sym, hs, x, y):
            k.hsymbl(hs); k.setclr(30 + 7 * n % 200); k.symbol(sym, x, y)
        start('all.png')
        for sym, hs in kinds:
            draw(0, sym, hs, 1500, 1900)
        for n, spot in enumerate(spots + edge + spots + edge):
            draw(n % (len(spots) + 2), *spot)
        k.kalfin()
        for n, (sym, hs, x, y) in enumerate(spots + edge):
            start(f'one{n}.png'); k.shlrec(5000, 5000, 20, 20)
            draw(n, sym, hs, *((x, y) if n >= len(spots) else (1500, 1900))); k.kalfin()
        json.dump([spots, edge], open('spots.json', 'w'))
    """))
    import json
    spots, edge = json.loads((run.path / "spots.json").read_text())
    whole = Image.open(run.path / "all.png").convert("RGB")
    f = whole.width / 2970

    def around(image, x, y):  # the symbol near (x, y), cut to the box of its pixels
        cx, cy = int(x * f), int(y * f)
        near = image.crop((cx - 25, cy - 25, cx + 26, cy + 26))
        box = Image.eval(near.convert("L"), lambda v: 255 if v else 0).getbbox()
        return box, near.crop(box).tobytes()

    for n, (sym, hs, x, y) in enumerate(spots + edge):
        alone = around(Image.open(run.path / f"one{n}.png").convert("RGB"), *((x, y) if n >= len(spots) else (1500, 1900)))
        placed = around(whole, x, y)
        assert alone[1] == placed[1], (sym, hs, x, y)
        if n < len(spots):   # centred on the pixel nearest to the spot
            assert abs(placed[0][0] + placed[0][2] - alone[0][0] - alone[0][2]) <= 4, (sym, hs, x, y)


def _holes_and_spread(path, x0, y0, angle, before):
    # Background pixels that the background around the picture cannot reach
    # through their eight neighbours (holes in the ink), and the least and
    # greatest distance of the inked pixel centres from the line through
    # (x0, y0) at `angle` degrees, among those less than `before` pixels along it.
    import math

    import numpy as np
    ink = np.asarray(Image.open(path).convert("L")) > 0
    free = np.pad(~ink, 1, constant_values=True)
    h, w = free.shape
    reached = np.zeros_like(free)
    reached[[0, -1], :] = reached[:, [0, -1]] = True
    while True:
        p = np.pad(reached, 1)
        grown = free & np.logical_or.reduce([p[dy:dy + h, dx:dx + w] for dy in range(3) for dx in range(3)])
        if (grown == reached).all():
            break
        reached = grown
    holes = int((free & ~reached).sum())
    c, s = math.cos(math.radians(angle)), math.sin(math.radians(angle))
    y, x = np.nonzero(ink)
    keep = (x - x0) * c - (y - y0) * s < before
    d = ((x - x0) * -s + (y - y0) * -c)[keep]
    return holes, d.min(), d.max()


def _runs(values):  # the runs of non-zero values, each as a tuple
    return [tuple(run) for inked, run in itertools.groupby(values, bool) if inked]


@pytest.mark.parametrize("style", ["solid", "dash"])
def test_wide_raster_lines_are_solid_and_even(run, style):
    import numpy as np
    # Lines 3, 9 and 40 pixels wide at four angles, solid and dashed, with
    # each cap and join (long caps only solid: they would fill the dash gaps
    # up to a sliver): no background pixel inside the ink, the same
    # width on both sides of the centre line (within a pixel), as wide as
    # asked. Frames of thickness 1 to 4 are as many pixels on every side,
    # and the dots of dotted lines all alike, also where a plot unit is not a
    # pixel.
    run(script(f"""
        import math
        for width in (3, 9, 40):
            for angle in (0, 17, 45, 90):
                for cap, join in (('CUT', 'SHAR'), ('ROUN', 'ROUN'), ('LONG', 'TRUN'))[:{3 if style == 'solid' else 2}]:
                    k.page(853, 603); k.sclmod('FULL'); k.metafl('PNG'); k.setfil(f'w{{width}}-{{angle}}-{{cap}}.png')
                    k.kalini(); k.errmod('PROT', 'OFF')
                    k.{style}(); k.linwid(width); k.lncap(cap); k.lnjoin(join)
                    c, s = math.cos(math.radians(angle)), math.sin(math.radians(angle))
                    # Two segments along the line (a join on the way) and, solid, a
                    # bent tail (dashes around a corner of a wide line can close
                    # their gap in between).
                    k.strtpt(426 - 250 * c, 301 + 250 * s); k.connpt(426, 301)
                    k.connpt(426 + 200 * c, 301 - 200 * s)
                    if '{style}' == 'solid': k.connpt(426 + 200 * c - 40 * s, 301 - 200 * s - 40 * c)
                    k.kalfin()
        for size in ((853, 603), (1200, 849)) if '{style}' == 'solid' else ():
            k.setpag('DA4L'); k.sclmod('DOWN'); k.metafl('PNG'); k.setfil(f'dots-{{size[0]}}.png')
            k.winsiz(*size); k.kalini(); k.errmod('PROT', 'OFF'); k.dot()
            for i, width in enumerate((1, 6)):
                k.linwid(width); k.line(100, 500 + 1000 * i, 2800, 500 + 1000 * i)
            k.kalfin()
            for t in (1, 2, 3, 4):
                k.setpag('DA4L'); k.sclmod('DOWN'); k.metafl('PNG'); k.setfil(f'frame{{t}}-{{size[0]}}.png')
                k.winsiz(*size); k.kalini()
                k.errmod('PROT', 'OFF'); k.frame(t); k.ticks(0, 'XY'); k.labels('NONE', 'XY')
                k.graf(0, 10, 0, 5, 0, 10, 0, 5); k.endgrf(); k.kalfin()
    """))
    for width in (3, 9, 40):
        for angle in (0, 17, 45, 90):
            for cap in ("CUT", "ROUN", "LONG")[:3 if style == "solid" else 2]:
                holes, lo, hi = _holes_and_spread(run.path / f"w{width}-{angle}-{cap}.png", 426, 301, angle,
                                                  200 - width)
                assert holes == 0, (width, angle, cap)
                assert abs(-lo - width / 2) <= 1 and abs(hi - width / 2) <= 1, (width, angle, cap, lo, hi)
    for size in (853, 1200) if style == "solid" else ():
        # Dotted lines: every dot has the same pixels, thin or wide.
        ink = np.asarray(Image.open(run.path / f"dots-{size}.png").convert("L")) > 0
        for y in (500, 1500):
            band = ink[int(y * size / 2970) - 5:int(y * size / 2970) + 6]
            dots = _runs(band.sum(axis=0).tolist())
            assert len(dots) > 200 and len(set(dots)) == 1, (size, y, set(dots))
        for t in (1, 2, 3, 4):
            ink = np.asarray(Image.open(run.path / f"frame{t}-{size}.png").convert("L")) > 0
            h, w = ink.shape
            row, col = ([len(r) for r in _runs(line.tolist())] for line in (ink[h // 2], ink[:, w // 2]))
            assert row == col == [t, t], (size, t, row, col)


def test_smoothed_pictures_with_aamode(run):
    # The first gallery page with aamode ON: shades of the curve's blue along
    # its edges, about the ink of the PDF page rendered at the same size, the
    # same pixels in every raster format and from run to run. The pixel
    # routines and rbfpng see the picture as the file holds it.
    import pathlib
    root = pathlib.Path(__file__).resolve().parents[2]
    run(f"""
        import io, runpy, sys
        sys.path.insert(0, {str(root / 'examples')!r})
        import gallery
        draw = runpy.run_path({str(root / 'examples/gallery/01_linear_axes.py')!r})['draw']
        gallery.plot(draw, 'PDF', 'page.pdf')
        gallery.plot(draw, 'PNG', 'exact.png')
        for device, name in [('PNG', 'a.png'), ('PNG', 'b.png'), ('PPM', 'a.ppm'), ('BMP', 'a.bmp'), ('TIFF', 'a.tif')]:
            gallery.plot(draw, device, name, lambda: k.aamode('ON'))
        k.aamode('ON'); k.metafl('VIRT'); k.winsiz(853, 603); k.kalini(); k.errmod('PROT', 'OFF')
        k.linwid(5); k.line(100, 100, 2800, 1900); k.messag('Smooth', 300, 1500)
        png = k.rbfpng(10 ** 7)[0]
        k.imgini(); k.imgmod('RGB'); pixels = k.rpixls(0, 0, 853, 603)[0]; k.imgfin()
        k.rppm('v.ppm')
        k.imgini(); k.imgmod('RGB'); ink, paper = k.rpixel(416, 287), k.rpixel(10, 590)
        k.wpixel(10, 590, ink); k.line(2000, 300, 2800, 300)   # a line drawn after a written pixel
        assert ink != paper and k.rpixel(10, 590) == ink
        k.imgfin(); k.kalfin()
        from PIL import Image
        assert Image.open(io.BytesIO(png)).convert('RGB').tobytes() == pixels == Image.open('v.ppm').tobytes()
        assert len(set(pixels[i:i + 3] for i in range(0, len(pixels), 3))) > 16
        k.reset('AAMO')
    """)
    smooth = rgb_of(run.path / "a.png")
    assert (run.path / "a.png").read_bytes() == (run.path / "b.png").read_bytes()
    for other in ("a.ppm", "a.bmp", "a.tif"):
        assert rgb_of(run.path / other) == smooth, other
    # Shades from white to the curve's blue: 4 x 4 samples a pixel give 17.
    blues = {smooth[i] for i in range(0, len(smooth), 3) if smooth[i] == smooth[i + 1] and smooth[i + 2] == 255}
    assert len(blues) > 16
    exact = rgb_of(run.path / "exact.png")
    assert len({exact[i:i + 3] for i in range(0, len(exact), 3)}) <= 16

    def ink(path, **size):
        return sum((255 - v) * n for v, n in enumerate(render(run.path / path, **size).convert("L").histogram()))
    # poppler draws these thin lines (0.709 pt, 1.09 pixels) about 20% heavier
    # on diagonals than their width; the smoothed raster has 0.88 of its ink,
    # the exact one 0.87.
    assert abs(ink("a.png") / ink("page.pdf", width=1200) - 1) < 0.15
