"""Raster images: every written format opened by independent readers
(Pillow, libtiff's tiffinfo) and compared with the raster pixel by pixel,
transparency, the PNG in memory, and the pixel routines."""
import shutil
import subprocess
import textwrap

import pytest
from PIL import Image

# A page of 853 x 603 plot units drawn at full scale on the default 853 x 603
# raster: one plot unit is one pixel.
PAGE = """
    k.page(853, 603); k.sclmod('FULL')
"""

# Lines, boxes and a triangle in direct colours and table colours.
SCENE = """
    k.setrgb(1, 0, 0); k.line(10, 10, 300, 200); k.line(0, 602, 852, 0)
    k.recfll(400, 50, 100, 60, k.intrgb(0, 0, 1))
    k.recfll(600, 300, 40, 40, 3)
    k.setrgb(0, 1, 0); k.trifll([100, 300, 200], [400, 400, 550])
    k.setclr(200); k.rectan(700, 450, 120, 100)
"""


def save_raster_rgb(name="raster.rgb"):
    """Child code: the whole raster as RGB bytes through rpixls."""
    return f"""
    k.imgmod('RGB')
    data, n = k.rpixls(0, 0, 853, 603)
    assert n == len(data) == 853 * 603 * 3
    open('{name}', 'wb').write(data)
    k.imgmod('IND')
    """


def script(*parts):
    """Joins pieces of child code, each dedented on its own."""
    return "\n".join(textwrap.dedent(part).strip("\n") for part in parts) + "\n"


def rgb_of(path):
    with Image.open(path) as im:
        return im.convert("RGB").tobytes()


@pytest.mark.parametrize("fmt", ["IND", "RGB"])
def test_saved_files_hold_the_raster_exactly(run, fmt):
    run(script(PAGE, f"""
        k.metafl('VIRT'); k.imgfmt('{fmt}')
        k.kalini(); k.errmod('PROT', 'OFF')
    """, SCENE, """
        k.imgini()
    """, save_raster_rgb(), """
        k.imgfin()
        k.rpng('a.png'); k.rgif('a.gif'); k.rbmp('a.bmp'); k.rppm('a.ppm'); k.rtiff('a.tif')
        k.kalfin()
    """))
    raster = (run.path / "raster.rgb").read_bytes()
    palette = fmt == "IND"
    modes = {"a.png": "P" if palette else "RGB", "a.gif": "P", "a.bmp": "P" if palette else "RGB",
             "a.ppm": "RGB", "a.tif": "P" if palette else "RGB"}
    for name, mode in modes.items():
        with Image.open(run.path / name) as im:
            assert im.size == (853, 603), name
            assert im.mode == mode, name
        assert rgb_of(run.path / name) == raster, name
    with Image.open(run.path / "a.png") as im:
        im.verify()
    if not palette:  # true colour keeps the exact components
        im = Image.frombytes("RGB", (853, 603), raster)
        assert im.getpixel((450, 80)) == (0, 0, 255)
        assert im.getpixel((10, 10)) == (255, 0, 0) and im.getpixel((300, 200)) == (255, 0, 0)
        assert im.getpixel((200, 450)) == (0, 255, 0)


def test_shapes_land_on_the_expected_pixels(run):
    run(script(PAGE, """
        k.metafl('PNG'); k.imgfmt('RGB'); k.setfil('shapes.png')
        k.kalini(); k.errmod('PROT', 'OFF')
    """, SCENE, """
        k.kalfin()
    """))
    im = Image.open(run.path / "shapes.png")
    assert im.mode == "RGB"
    px = im.load()
    blue = [(x, y) for x in range(380, 520) for y in range(30, 130) if px[x, y] == (0, 0, 255)]
    assert len(blue) == 100 * 60 and min(blue) == (400, 50) and max(blue) == (499, 109)
    # The box of rectan is an outline: its inside stays black.
    assert px[700, 450] == px[819, 549] != (0, 0, 0)
    assert px[760, 500] == (0, 0, 0)
    # The triangle: rows 400 to 550, its apex column at the bottom.
    assert px[200, 549] == (0, 255, 0) and px[150, 401] == (0, 255, 0)
    assert px[120, 540] == (0, 0, 0)
    # The long diagonal touches both corners.
    assert px[0, 602] == (255, 0, 0) and px[852, 0] == (255, 0, 0)


@pytest.mark.parametrize("device,ext,mode", [
    ("PNG", "png", "P"), ("GIF", "gif", "P"), ("BMP", "bmp", "P"),
    ("PPM", "ppm", "RGB"), ("TIFF", "tif", "P")])
def test_device_files_written_by_kalfin(run, device, ext, mode):
    run(script(PAGE, """
        k.metafl('VIRT'); k.kalini(); k.errmod('PROT', 'OFF')
    """, SCENE, """
        k.imgini()
    """, save_raster_rgb(), f"""
        k.imgfin(); k.kalfin()
        k.metafl('{device}'); k.kalini(); k.errmod('PROT', 'OFF')
    """, SCENE, """
        k.kalfin()
    """))
    path = run.path / f"kalvor.{ext}"
    with Image.open(path) as im:
        assert im.size == (853, 603) and im.mode == mode
    assert rgb_of(path) == (run.path / "raster.rgb").read_bytes()


def test_imag_device_file_layout(run):
    run(script(PAGE, """
        k.metafl('IMAG'); k.kalini(); k.errmod('PROT', 'OFF')
    """, SCENE, """
        k.kalfin()
        k.metafl('PNG'); k.kalini(); k.errmod('PROT', 'OFF')
    """, SCENE, """
        k.kalfin()
    """))
    data = (run.path / "kalvor.img").read_bytes()
    header = data[:80].decode("ascii")
    assert header.startswith("!Bitmap KALVOR VIRT ")
    assert header[20:].split() == ["853", "603", "8", "853", "8", "32", "0", "1", "0"]
    assert len(data) == 80 + 853 * 603
    with Image.open(run.path / "kalvor.png") as im:
        assert data[80:] == im.tobytes()  # the same palette indices


def test_png_and_gif_transparency(run):
    run(script(PAGE, """
        k.pngmod('ON', 'TRAN'); k.gifmod('ON', 'TRAN')
        k.metafl('VIRT'); k.kalini(); k.errmod('PROT', 'OFF')
    """, SCENE, """
        k.rpng('p.png'); k.rgif('p.gif')
        k.kalfin()
        k.imgfmt('RGB'); k.scrmod('REVERS')
        k.kalini(); k.errmod('PROT', 'OFF')
    """, SCENE, """
        k.rpng('t.png'); k.rgif('t.gif')
        k.kalfin()
    """))
    with Image.open(run.path / "p.png") as im:
        assert im.info["transparency"] == 0
        rgba = im.convert("RGBA")
        assert rgba.getpixel((5, 300))[3] == 0          # background: index 0
        assert rgba.getpixel((450, 80))[3] == 255
    with Image.open(run.path / "t.png") as im:
        assert im.mode == "RGB" and im.info["transparency"] == (255, 255, 255)
        rgba = im.convert("RGBA")
        assert rgba.getpixel((5, 300)) == (255, 255, 255, 0)   # white page
        assert rgba.getpixel((450, 80)) == (0, 0, 255, 255)
    for name in ("p.gif", "t.gif"):
        with Image.open(run.path / name) as im:
            assert im.info["version"] == b"GIF89a"
            bg = im.info["background"]
            assert im.info["transparency"] == bg
            assert im.getpixel((5, 300)) == bg and im.getpixel((450, 80)) != bg
    with Image.open(run.path / "t.gif") as im:
        assert im.convert("RGB").getpixel((5, 300)) == (255, 255, 255)


def test_gif_of_many_colours_is_quantized(run):
    run(script(PAGE, """
        k.metafl('VIRT'); k.imgfmt('RGB'); k.kalini(); k.errmod('PROT', 'OFF')
        k.imgini(); k.imgmod('RGB')
        for y in range(0, 603, 3):
            row = bytes(v for x in range(853) for v in (x % 256, (x * 3 + y) % 256, (y * 5) % 256))
            k.wpxrow(row, 0, y, 853)
    """, save_raster_rgb(), """
        k.imgfin(); k.rgif('q.gif'); k.kalfin()
    """))
    raster = (run.path / "raster.rgb").read_bytes()
    with Image.open(run.path / "q.gif") as im:
        assert im.mode == "P" and im.size == (853, 603)
        got = im.convert("RGB").tobytes()
    assert len({raster[i:i + 3] for i in range(0, len(raster), 3)}) > 256
    worst = max(abs(a - b) for a, b in zip(got, raster))
    assert 0 < worst <= 64  # each pixel stays in its octree cell


def test_tiff_files_pass_tiffinfo(run):
    if not shutil.which("tiffinfo"):
        pytest.skip("tiffinfo not installed")
    run(script(PAGE, """
        k.metafl('VIRT'); k.kalini(); k.errmod('PROT', 'OFF')
    """, SCENE, """
        k.rtiff('pal.tif')
        k.imgfmt('RGB'); k.tifmod(300, 'CM', 'RESO'); k.rtiff('rgb.tif')
        k.imgfmt('BIL'); k.rtiff('bil.tif')
        k.kalfin()
    """))
    expect = {
        "pal.tif": ["Image Width: 853 Image Length: 603", "Bits/Sample: 8",
                    "Photometric Interpretation: palette color", "Resolution: 100, 100 pixels/inch",
                    "Rows/Strip: 1", "Color Map: (present)"],
        "rgb.tif": ["Image Width: 853 Image Length: 603", "Samples/Pixel: 3",
                    "Photometric Interpretation: RGB color", "Resolution: 300, 300 pixels/cm"],
        "bil.tif": ["Bits/Sample: 1", "Photometric Interpretation: min-is-black"],
    }
    for name, lines in expect.items():
        proc = subprocess.run(["tiffinfo", str(run.path / name)], capture_output=True, text=True)
        assert proc.returncode == 0 and proc.stderr == "", (name, proc.stderr)
        for line in lines:
            assert line in proc.stdout, (name, line, proc.stdout)
    with Image.open(run.path / "bil.tif") as im:
        assert im.mode == "1"
        rgb = Image.open(run.path / "pal.tif").convert("RGB")
        # Black page: a bit is set where the raster is not black.
        for xy in [(450, 80), (5, 300), (200, 450), (10, 10), (760, 500)]:
            assert (im.getpixel(xy) != 0) == (rgb.getpixel(xy) != (0, 0, 0)), xy


def test_png_in_memory_equals_the_file(run):
    out = run(script(PAGE, """
        k.metafl('VIRT'); k.kalini(); k.errmod('PROT', 'OFF')
    """, SCENE, """
        empty, size = k.rbfpng(0)
        data, n = k.rbfpng(size)
        open('mem.png', 'wb').write(data)
        k.rpng('file.png')
        assert (empty, n) == (b'', size) and len(data) == size
        print(k.rbfpng(size - 1), k.rbfpng(-5))
        k.kalfin()
    """))
    assert (run.path / "mem.png").read_bytes() == (run.path / "file.png").read_bytes()
    with Image.open(run.path / "mem.png") as im:
        im.verify()
    assert out.splitlines() == [
        " <<<< Warning 101: Buffer too small for PNG file in rbfpng!",
        "(b'', 0) (b'', 0)",
    ]


def test_pixel_blocks_round_trip_in_both_modes(run):
    out = run("""
        k.metafl('VIRT'); k.winsiz(20, 10); k.kalini(); k.errmod('PROT', 'OFF')
        k.imgini()
        block = bytes(range(1, 31))                      # 6 x 5 indices
        k.wpixls(block, 2, 3, 6, 5)
        assert k.rpixls(2, 3, 6, 5) == (block, 30)
        assert k.rpixel(2, 3) == 1 and k.rpixel(7, 7) == 30
        k.imgmod('RGB')
        rgb = bytes(range(100, 145))                     # 15 pixels of three bytes
        k.wpxrow(rgb, 5, 9, 15)
        data, n = k.rpxrow(5, 9, 15)
        k.wpxrow(data, 5, 8, 15)                         # palette colours map to themselves
        print(n, data == k.rpxrow(5, 8, 15)[0], data != rgb)
        k.imgmod('IND')
        print(k.rpxrow(5, 9, 15)[1], k.rpixls(0, 0, 0, 4), k.rpxrow(0, 0, -1))
        k.kalfin()
    """)
    # The 8-bit raster stores the nearest palette entries of the RGB row.
    lines = out.splitlines()
    assert lines[0] == "45 True True"
    assert lines[1] == "15 b'' b''"


def test_true_colour_pixels_round_trip_exactly(run):
    run("""
        k.metafl('VIRT'); k.imgfmt('RGB'); k.winsiz(20, 10); k.kalini(); k.errmod('PROT', 'OFF')
        k.imgini(); k.imgmod('RGB')
        rgb = bytes((i * 37) % 256 for i in range(4 * 3 * 3))
        k.wpixls(rgb, 17, 8, 4, 3)                       # 3 x 2 of it lands on the raster
        data, n = k.rpixls(16, 7, 6, 5)
        assert n == 6 * 5 * 3
        got = [data[(r * 6 + c) * 3:(r * 6 + c) * 3 + 3] for r in range(5) for c in range(6)]
        for r in range(5):
            for c in range(6):
                x, y = 16 + c, 7 + r
                inside = 17 <= x < 20 and 8 <= y < 10
                want = rgb[((y - 8) * 4 + x - 17) * 3:((y - 8) * 4 + x - 17) * 3 + 3] if inside else bytes(3)
                assert got[r * 6 + c] == want, (x, y)
        k.wpixel(0, 0, k.intrgb(1, 0.5, 0))
        assert k.rpixel(0, 0) == k.intrgb(1, 0.5, 0)
        k.imgmod('IND')
        k.setvlt('SMAL')
        assert k.rpixel(0, 0) == 6                       # nearest SMAL entry: orange
        k.kalfin()
    """)


def test_pixel_routine_warnings(run):
    out = run("""
        k.metafl('VIRT'); k.winsiz(20, 10); k.kalini()
        k.wpixel(1, 1, 5); k.imgfin()
        k.imgini(); k.imgini()
        print(k.rpixel(20, 0), k.rpixel(0, -1))
        k.wpixel(-1, 0, 5); k.wpixel(25, 3, 5)
        k.imgclp(10, 0, 11, 5); k.imgbox(0, 0, 0, 5); k.imgsiz(3, 0); k.tifmod(0, 'INCH', 'RESO')
        k.imgmod('CMYK'); k.gifmod('ON', 'TRAN')
        k.errmod('PROT', 'OFF'); k.kalfin()
        k.metafl('HPGL'); k.kalini(); k.imgini(); k.rpng('x.png'); k.errmod('PROT', 'OFF'); k.kalfin()
    """)
    assert out.splitlines() == [
        " <<<< Warning  55: No call to imgini in wpixel!",
        " <<<< Warning  55: No call to imgini in imgfin!",
        " <<<< Warning  54: No call to imgfin in imgini!",
        " <<<< Warning  58: Array is out of screen in rpixel!",
        " <<<< Warning  58: Array is out of screen in rpixel!",
        "-1 -1",
        " <<<< Warning   2: Incorrect parameter in imgclp!   (  11)",
        " <<<< Warning   2: Incorrect parameter in imgbox!   (   0)",
        " <<<< Warning   2: Incorrect parameter in imgsiz!   (   0)",
        " <<<< Warning   2: Incorrect parameter in tifmod!   (   0)",
        " <<<< Warning   2: Incorrect parameter in imgmod!   (CMYK)",
        " <<<< Warning   3: Incorrect level in gifmod!   (   1)",
        " <<<< Warning  40: File format and output device are incompatible in imgini!",
        " <<<< Warning  40: File format and output device are incompatible in rpng!",
    ]


def test_byte_strings_and_buffers_out_of_bounds(run):
    run("""
        import pytest
        k.metafl('VIRT'); k.winsiz(20, 10); k.kalini(); k.errmod('PROT', 'OFF')
        k.imgini()
        with pytest.raises(MemoryError, match='out of range'):
            k.wpixls(bytes(11), 0, 0, 4, 3)
        k.imgmod('RGB')
        with pytest.raises(MemoryError, match='out of range'):
            k.wpxrow(bytes(8), 0, 0, 3)
        k.wpxrow(bytearray(9), 0, 0, 3)
        k.wpixls(memoryview(bytes(36)), 0, 0, 4, 3)
        with pytest.raises(TypeError):
            k.wpxrow([1, 2, 3], 0, 0, 1)
        # No raster holds more than 1 GiB: larger buffers are not made.
        with pytest.raises(MemoryError, match='out of memory in rpxrow'):
            k.rpxrow(0, 0, 2**31 - 1)
        with pytest.raises(MemoryError, match='out of memory in rpixls'):
            k.rpixls(0, 0, 40000, 40000)
        k.kalfin()
    """)


def test_image_clip_window_limits_the_file(run):
    run(script(PAGE, """
        k.metafl('VIRT'); k.kalini(); k.errmod('PROT', 'OFF')
    """, SCENE, """
        k.rppm('full.ppm')
        k.imgclp(390, 40, 120, 80); k.rppm('part.ppm')
        k.reset('IMGCLP'); k.rppm('again.ppm')
        k.kalfin()
    """))
    full = Image.open(run.path / "full.ppm")
    part = Image.open(run.path / "part.ppm")
    assert part.size == (120, 80)
    assert part.tobytes() == full.crop((390, 40, 510, 120)).tobytes()
    assert Image.open(run.path / "again.ppm").size == (853, 603)


def test_saved_file_names_are_versioned(run):
    out = run("""
        k.metafl('VIRT'); k.winsiz(8, 8); k.kalini(); k.errmod('PROT', 'OFF')
        k.rbmp('pic.bmp'); k.rbmp('pic.bmp'); k.rbmp('nodir/pic.bmp')
        k.kalfin()
    """)
    assert (run.path / "pic.bmp").exists() and (run.path / "pic_1.bmp").exists()
    assert out == " <<<< Warning  36: File error in rbmp!\n"
    with Image.open(run.path / "pic_1.bmp") as im:
        assert im.size == (8, 8)


def test_gif_codes_decode_for_every_stream_length(run):
    # Random pixels of few and of many colours, cut into windows of many
    # sizes: code widths grow at 512, 1024 and 2048 entries and the table is
    # cleared at 4095, at every possible place relative to the end code.
    run(script("""
        import random
        random.seed(5)
        k.metafl('VIRT'); k.winsiz(300, 200); k.kalini(); k.errmod('PROT', 'OFF')
        k.imgini()
        for y in range(200):
            colours = 3 if y < 100 else 256
            k.wpxrow(bytes(random.randrange(colours) for _ in range(300)), 0, y, 300)
        # 255 pixels with no repeated pair: the end code follows exactly when
        # the decoder's table reaches 512 entries.
        k.wpxrow(bytes(range(255)), 0, 0, 255)
        k.imgfin()
        k.rppm('all.ppm')
        for i, (x, y, w, h) in enumerate([(0, 0, 1, 1), (0, 0, 300, 200), (0, 100, 300, 100), (0, 0, 255, 1)] +
                                         [(0, 0, w, 1) for w in range(2, 300, 7)] +
                                         [(0, 99, w, 2) for w in range(150, 300, 3)] +
                                         [(0, 0, 300, h) for h in range(1, 100, 4)]):
            k.imgclp(x, y, w, h); k.rgif(f'w{i}.gif')
        k.kalfin()
    """))
    full = Image.open(run.path / "all.ppm")
    windows = ([(0, 0, 1, 1), (0, 0, 300, 200), (0, 100, 300, 100), (0, 0, 255, 1)] +
               [(0, 0, w, 1) for w in range(2, 300, 7)] +
               [(0, 99, w, 2) for w in range(150, 300, 3)] +
               [(0, 0, 300, h) for h in range(1, 100, 4)])
    for i, (x, y, w, h) in enumerate(windows):
        with Image.open(run.path / f"w{i}.gif") as im:
            assert im.size == (w, h)
            assert im.convert("RGB").tobytes() == full.crop((x, y, x + w, y + h)).tobytes(), (x, y, w, h)


@pytest.mark.parametrize("pagmod", ["LAND", "NONE"])
def test_embedded_image_on_a_postscript_page(run, pagmod):
    if not shutil.which("gs"):
        pytest.skip("Ghostscript not installed")
    # A 4 x 2 raster of eight colours over the whole page; Ghostscript renders
    # the bounding box, turned back upright for the rotated page.
    colours = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0),
               (0, 255, 255), (255, 0, 255), (128, 64, 32), (255, 255, 255)]
    run(script(f"""
        k.metafl('EPS'); k.pagmod('{pagmod}'); k.kalini(); k.errmod('PROT', 'OFF')
        k.imgsiz(4, 2); k.imgini(); k.imgmod('RGB')
        k.wpixls(bytes({[v for c in colours for v in c]}), 0, 0, 4, 2)
        k.imgfin(); k.kalfin()
    """))
    ps = (run.path / "kalvor.eps").read_text()
    assert "/picstr 12 string def" in ps and "4 2 8 [4 0 0 -2 0 2]" in ps
    hex_data = ps.split("colorimage \n", 1)[1].split(" grestore", 1)[0]
    assert hex_data == "".join(f"{v:02X}" for c in colours for v in c)
    subprocess.run(["gs", "-q", "-dBATCH", "-dNOPAUSE", "-dSAFER", "-dEPSCrop", "-sDEVICE=png16m",
                    "-r20", "-sOutputFile=page.png", "kalvor.eps"], cwd=run.path, check=True)
    im = Image.open(run.path / "page.png").convert("RGB")
    if pagmod == "LAND":
        im = im.transpose(Image.Transpose.ROTATE_270)
    w, h = im.size
    assert w > h
    for i, c in enumerate(colours):
        col, row = i % 4, i // 4
        assert im.getpixel((int((col + 0.5) * w / 4), int((row + 0.5) * h / 2))) == c, i


def test_tiff_rows_longer_than_65535_bytes(run):
    if not shutil.which("tiffinfo"):
        pytest.skip("tiffinfo not installed")
    run(script("""
        k.metafl('VIRT'); k.imgfmt('RGB'); k.winsiz(22000, 3); k.kalini(); k.errmod('PROT', 'OFF')
        k.imgini(); k.imgmod('RGB')
        k.wpxrow(bytes(v for x in range(22000) for v in (x % 256, x // 256, 7)), 0, 1, 22000)
        k.imgfin(); k.rtiff('wide.tif'); k.rppm('wide.ppm')
        k.kalfin()
    """))
    proc = subprocess.run(["tiffinfo", str(run.path / "wide.tif")], capture_output=True, text=True)
    assert proc.returncode == 0 and proc.stderr == "", proc.stderr
    assert "Image Width: 22000 Image Length: 3" in proc.stdout
    assert rgb_of(run.path / "wide.tif") == rgb_of(run.path / "wide.ppm")


def test_raster_that_cannot_be_made_ends_the_program(run):
    out = run("""
        k.metafl('PNG'); k.winsiz(70000, 10)
        try:
            k.kalini()
        except RuntimeError as e:
            print('fatal:', e)
    """)
    assert out.splitlines() == [
        " <<<< Warning  53: Not enough memory in kalini!",
        "fatal: Not enough memory in kalini!",
    ]


@pytest.mark.parametrize("mode", ["RGB", "P", "L", "1"])
def test_wtiff_draws_tiffs_written_by_pillow(run, mode):
    # Pillow's uncompressed TIFFs (several rows per strip) drawn at (5, 4).
    src = Image.effect_mandelbrot((23, 17), (-2, -1.2, 1, 1.2), 60).convert("RGB")
    src = src.convert(mode) if mode != "P" else src.quantize(50)
    src.save(run.path / "in.tif", compression="raw")
    run(script("""
        k.metafl('VIRT'); k.imgfmt('RGB'); k.winsiz(40, 30); k.kalini(); k.errmod('PROT', 'OFF')
        k.tiforg(5, 4); k.wtiff('in.tif')
        k.imgini(); k.imgmod('RGB')
        open('out.rgb', 'wb').write(k.rpixls(0, 0, 40, 30)[0])
        k.imgfin(); k.erase()
        k.tiforg(0, 0); k.tifwin(10, 5, 6, 4); k.wtiff('in.tif')
        k.imgini(); k.imgmod('RGB')
        open('window.rgb', 'wb').write(k.rpixls(0, 0, 40, 30)[0])
        k.imgfin(); k.kalfin()
    """))
    out = Image.frombytes("RGB", (40, 30), (run.path / "out.rgb").read_bytes())
    assert out.crop((5, 4, 28, 21)).tobytes() == src.convert("RGB").tobytes()
    assert out.getpixel((4, 4)) == out.getpixel((28, 21)) == (0, 0, 0)
    window = Image.frombytes("RGB", (40, 30), (run.path / "window.rgb").read_bytes())
    assert window.crop((0, 0, 6, 4)).tobytes() == src.convert("RGB").crop((10, 5, 16, 9)).tobytes()
    assert window.getpixel((6, 0)) == window.getpixel((0, 4)) == (0, 0, 0)
