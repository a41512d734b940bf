# incfil: BMP and GIF pictures decoded pixel for pixel as Pillow decodes them,
# broken pictures refused with a warning, pictures placed on PDF, PostScript
# and raster pages, VEKMET files played back, and filbox.
import random
import re
import struct
import subprocess
import textwrap

from PIL import Image

from conftest import render

# A page of 853 x 603 plot units on the default raster: one unit, one pixel.
START = """
    def start(device, name, fmt='RGB'):
        k.page(853, 603); k.sclmod('FULL'); k.imgfmt(fmt); k.metafl(device); k.setfil(name)
        k.filmod('DELETE'); k.kalini(); k.errmod('PROT', 'OFF')
"""


def script(*parts):
    return "\n".join(textwrap.dedent(part).strip("\n") for part in (START,) + parts) + "\n"


def bmp(width, height, bits, body, palette=(), compression=0, info=40, top_down=False):
    # A BMP file around `body` (the pixel data as stored).
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 14 + info + len(table)
    header = struct.pack("<IiiHHIIiiII", info, width, -height if top_down else height, 1, bits,
                         compression, len(body), 2835, 2835, len(palette), 0) + bytes(info - 40)
    return b"BM" + struct.pack("<IHHI", offset + len(body), 0, 0, offset) + header + table + body


def packed_rows(rows, bits):
    # Uncompressed rows (top row first) stored bottom-up, padded to 4 bytes.
    out = b""
    for row in reversed(rows):
        if bits == 24:
            data = b"".join(bytes((b, g, r)) for r, g, b in row)
        else:
            value = "".join(format(v, f"0{bits}b") for v in row) + "0" * (-len(row) * bits % 8)
            data = int(value, 2).to_bytes(len(value) // 8, "big") if value else b""
        out += data + bytes(-len(data) % 4)
    return out


def grey_palette(n):
    return [(i * 255 // max(n - 1, 1), (i * 37) % 256, 255 - i * 255 // max(n - 1, 1)) for i in range(n)]


def index_rows(w, h, n, seed):
    rng = random.Random(seed)
    return [[rng.randrange(n) for _ in range(w)] for _ in range(h)]


def gif_with_local_table(path):
    # A Pillow GIF whose global colour table is moved into the image descriptor.
    data = open(path, "rb").read()
    flags, pos = data[10], 0
    size = 3 * (2 << (flags & 7))
    table, rest = data[13:13 + size], data[13 + size:]
    while rest[pos] == 0x21:  # extensions before the image
        pos += 2
        while rest[pos]:
            pos += rest[pos] + 1
        pos += 1
    assert rest[pos] == 0x2C
    desc = bytearray(rest[pos:pos + 10])
    desc[9] = 0x80 | (flags & 7)
    return data[:10] + bytes((flags & 0x7F,)) + data[11:13] + rest[:pos] + bytes(desc) + table + rest[pos + 10:]


def make_pictures(d):
    # name -> file bytes of every picture the readers must decode like Pillow.
    pics, rng = {}, random.Random(5)
    rgb = Image.new("RGB", (37, 23))
    rgb.putdata([(x * 7 % 256, y * 11 % 256, (x * y) % 256) for y in range(23) for x in range(37)])
    rgb.save(d / "rgb.png")
    pics["bmp24_odd"] = bmp(37, 23, 24, packed_rows([[rgb.getpixel((x, y)) for x in range(37)] for y in range(23)], 24))
    pics["bmp24_top_down"] = bmp(5, 3, 24, b"".join(bytes(range(i * 15, i * 15 + 15)) + b"\0" for i in range(3)),
                                 top_down=True)
    for bits, w in [(1, 13), (4, 11), (8, 9)]:
        pal = grey_palette(1 << bits)
        pics[f"bmp{bits}_odd"] = bmp(w, 7, bits, packed_rows(index_rows(w, 7, 1 << bits, bits), bits), pal)
    pics["bmp8_info124"] = bmp(6, 4, 8, packed_rows(index_rows(6, 4, 20, 9), 8), grey_palette(20), info=124)
    # RLE8 and RLE4 with every escape: runs, absolute runs (odd, padded),
    # end of line, delta, end of bitmap (Pillow needs every row covered).
    rle8 = bytes([3, 1, 0, 3, 2, 3, 4, 0, 2, 5, 0, 0, 0, 2, 3, 1, 4, 5, 2, 1, 0, 0, 9, 2, 0, 0, 0, 1])
    pics["rle8_escapes"] = bmp(9, 4, 8, rle8, grey_palette(6), compression=1)
    rle4 = bytes([5, 0x12, 0, 3, 0x34, 0x50, 2, 0x67, 0, 0, 0, 2, 2, 0, 0, 5, 0x89, 0xAB, 0xC0, 0,
                  3, 0xDE, 0, 0, 10, 0xF0, 0, 0, 0, 1])
    pics["rle4_escapes"] = bmp(10, 3, 4, rle4, grey_palette(16), compression=2)
    Image.open(d / "rgb.png").convert("P", palette=Image.ADAPTIVE, colors=50).save(d / "p8.png")
    subprocess.run(["convert", str(d / "p8.png"), "-compress", "RLE", "BMP3:" + str(d / "rle.bmp")], check=True)
    pics["rle8_convert"] = (d / "rle.bmp").read_bytes()
    assert pics["rle8_convert"][30] == 1  # compression RLE8

    Image.open(d / "rgb.png").convert("P", palette=Image.ADAPTIVE, colors=16).save(d / "a.gif")
    pics["gif87a"] = (d / "a.gif").read_bytes()
    pics["gif_local_table"] = gif_with_local_table(d / "a.gif")
    subprocess.run(["convert", str(d / "a.gif"), "-interlace", "GIF", str(d / "i.gif")], check=True)
    pics["gif_interlaced"] = (d / "i.gif").read_bytes()
    assert pics["gif_interlaced"][-1] == 0x3B
    two, noisy = Image.new("1", (19, 11)), Image.new("P", (200, 150))
    two.putdata([rng.randrange(2) * 255 for _ in range(19 * 11)])
    noisy.putpalette([rng.randrange(256) for _ in range(768)])
    noisy.putdata([rng.randrange(256) for _ in range(200 * 150)])  # many clear codes: the 4096-code table fills
    for name, im in (("gif_two_colours", two), ("gif_noisy", noisy)):
        im.save(d / f"{name}.gif")
        pics[name] = (d / f"{name}.gif").read_bytes()
    return pics


def broken_pictures(pics):
    bad = {}
    for name in ["bmp24_odd", "bmp4_odd", "rle8_escapes", "rle4_escapes", "gif87a", "gif_interlaced"]:
        data = pics[name]
        for cut in [2, 20, len(data) // 2]:
            bad[f"{name}_cut{cut}"] = data[:cut]
    good = pics["bmp8_odd"]
    bad["bmp_offset_past_end"] = good[:10] + struct.pack("<I", 1 << 30) + good[14:]
    bad["bmp_huge"] = bmp(65535, 65535, 8, b"", grey_palette(2), compression=1)
    bad["bmp_width_zero"] = bmp(0, 4, 24, b"")
    bad["bmp_16_bits"] = bmp(2, 2, 16, bytes(16))
    bad["bmp_bitfields"] = bmp(2, 2, 32, bytes(16), compression=3)
    bad["bmp_index_past_palette"] = bmp(3, 1, 8, bytes([0, 1, 7, 0]), grey_palette(3))
    bad["rle8_run_past_last_row"] = bmp(4, 2, 8, bytes([0, 0, 0, 0, 2, 1, 0, 1]), grey_palette(2), compression=1)
    bad["rle8_delta_past_top"] = bmp(4, 2, 8, bytes([0, 2, 0, 5, 0, 1]), grey_palette(2), compression=1)
    bad["rle4_absolute_past_end"] = bmp(4, 2, 4, bytes([0, 9, 0x11]), grey_palette(2), compression=2)
    gif = pics["gif87a"]
    start = gif.index(b"\x2C", 13 + 3 * (2 << (gif[10] & 7)))
    bad["gif_image_huge"] = gif[:start + 5] + struct.pack("<HH", 65535, 65535) + gif[start + 9:]
    bad["gif_bad_code_size"] = gif[:start + 10] + b"\x0C" + gif[start + 11:]
    bad["gif_code_not_defined"] = gif[:start + 11] + b"\x02\xFF\xFF\x00\x3B"
    bad["gif_no_table"] = gif[:10] + bytes([gif[10] & 0x7F]) + gif[11:13] + gif[13 + 48:]
    return bad


def test_pictures_decode_like_pillow_and_broken_ones_warn_and_draw_nothing(run):
    good = make_pictures(run.path)
    bad = broken_pictures(good)
    for name, data in {**good, **bad}.items():
        (run.path / f"{name}.pic").write_bytes(data)
    out = run(script(f"""
        for name in {sorted(good)!r}:
            start('PNG', name + '.png')
            k.filbox(0, 0, *__import__('PIL.Image').Image.open(name + '.pic').size)
            k.incfil(name + '.pic'); k.kalfin()
        start('VIRT', 'x')
        for name in {sorted(bad)!r}:
            print(name); k.incfil(name + '.pic')
        k.imgini(); data, n = k.rpixls(0, 0, 853, 603); k.imgfin()
        print('untouched', set(data) == {{0}})
        k.kalfin()
    """))
    for name in good:
        with Image.open(run.path / f"{name}.pic") as ref:
            ref = ref.convert("RGB")
            got = Image.open(run.path / f"{name}.png").convert("RGB").crop((0, 0) + ref.size)
            assert got.tobytes() == ref.tobytes(), name
    lines = out.splitlines()
    assert lines[-1] == "untouched True"
    warnings = dict(zip(lines[0::2], lines[1::2]))   # a warning for every broken picture, none else
    for name in bad:
        expected = "Not enough memory" if name in ("bmp_huge", "gif_image_huge") else "Warning  56"
        assert expected in warnings[name], (name, warnings[name])


def test_pictures_fill_the_filbox_window_on_every_device(run):
    # Three colours, exact on the raster and on PDF and PostScript pages (the
    # nearest-entry search of palette rasters is checked in test_raster.py);
    # the window is 300 x 200 units at (100, 50).
    colours = [(255, 0, 0), (0, 128, 255), (250, 250, 250)]
    im = Image.new("P", (3, 2))
    im.putpalette([c for rgb in colours for c in rgb])
    im.putdata([0, 1, 2, 2, 1, 0])
    im.save(run.path / "three.gif")
    out = run(script("""
        for device, name in [('PNG', 'o.png'), ('PDF', 'o.pdf'), ('PS', 'o.ps')]:
            start(device, name); k.filbox(100, 50, 300, 200); k.incfil('three.gif'); k.kalfin()
    """))
    assert "Warning" not in out
    pages = {name: render(run.path / name, 20, turned=True) for name in ["o.png", "o.pdf", "o.ps"]}
    for name, page in pages.items():
        sx, sy = page.size[0] / 853, page.size[1] / 603
        for n, c in enumerate([0, 1, 2, 2, 1, 0]):
            got = page.getpixel((int((150 + 100 * (n % 3)) * sx), int((100 + 100 * (n // 3)) * sy)))
            assert got == colours[c], (name, n, got)
        outside = [page.getpixel((int(x * sx), int(y * sy))) for x, y in ((85, 150), (415, 150), (200, 35), (200, 265))]
        assert all(c not in colours for c in outside), (name, outside)


DRAWING = """
    def drawing():
        k.setclr(100); k.line(100, 100, 800, 500); k.line(50, 550, 820, 30)
        k.setclr(89); k.rectan(200, 150, 300, 200)
        k.setclr(0); k.line(400, 20, 400, 580)
"""


def test_vekmet_round_trip_matches_the_direct_drawing(run):
    # The page recorded at 853 x 603 and played into the window (0, 0, 427,
    # 302): half scale, so drawn directly with the same lines halved.
    out = run(script(DRAWING, """
        k.page(853, 603); k.metafl('VEKM'); k.setfil('d.met'); k.filmod('DELETE'); k.kalini()
        drawing(); k.kalfin()
        start('PNG', 'played.png'); k.filbox(0, 0, 427, 302); k.setclr(30); k.incfil('d.met')
        k.line(600, 300, 700, 300)  # drawn in the colour before incfil
        k.kalfin()
        k.page(1706, 1206); k.sclmod('FULL'); k.imgfmt('RGB'); k.metafl('PNG'); k.setfil('direct.png')
        k.filmod('DELETE'); k.kalini(); k.errmod('PROT', 'OFF'); drawing()
        k.setclr(30); k.line(1200, 600, 1400, 600); k.kalfin()
    """))
    assert "<<<< Warning" not in out
    played, direct = (Image.open(run.path / n).convert("RGB") for n in ("played.png", "direct.png"))
    w, h = played.size
    lit = [(x, y) for y in range(h) for x in range(w) if direct.getpixel((x, y)) != (0, 0, 0)]
    assert len(lit) > 1000
    for x, y in lit:
        near = {played.getpixel((x + dx, y + dy)) for dx in (-1, 0, 1) for dy in (-1, 0, 1)
                if 0 <= x + dx < w and 0 <= y + dy < h}
        assert direct.getpixel((x, y)) in near, (x, y)


def test_vekmet_damage_and_foreign_files(run):
    header = "      21.3      15.1\n"
    line = " 0.1000000 0.1000000 3.0000000 0.5000000 0.5000000 2.0000000"
    files = {
        "ok.met": header + line + " 9.0000000\n",
        "no_end.met": header + line + "\n",
        "bad_field.met": header + line + " 0.2x00000 0.3000000 9.0000000\n",
        "bad_colour.met": header + "99.000000099.000000099.000000010.0000000 9.0000000\n",
        # Damage as soon as the colour passes 256, not when it wraps much later.
        "runaway_colour.met": header + "99.000000099.000000099.0000000 9.0000000\n",
        "bad_header.met": "      21.3\n" + line + " 9.0000000\n",
        "damaged_point.met": header + " 0.1000000 0.1000000 3.0000000-2.0000000 0.4000000 2.0000000 9.0000000\n",
        "printer.prn": "!R! RES;\n",
        "plot.ps": "%!PS-Adobe-3.0\n",
        "pic.gif": "GIF89a",
    }
    for name, text in files.items():
        (run.path / name).write_bytes(text.encode("latin-1"))
    out = run(script(f"""
        start('VIRT', 'x')
        for name in {sorted(files)!r} + ['missing.met', '/dev/zero']:
            print(name); k.incfil(name)
        k.kalfin()
        k.metafl('SVG'); k.setfil('x.svg'); k.filmod('DELETE'); k.kalini(); k.errmod('PROT', 'OFF')
        print('picture on svg'); k.incfil('pic.gif'); k.kalfin()
    """))
    # Each printed name with the warning lines after it.
    got = dict(re.findall(r"^(?! <<<<)(.*)\n((?: <<<<.*\n)+)", out, re.M))
    assert "ok.met" not in got and "damaged_point.met" not in got, got
    assert "VEKMET file is not complete" in got["no_end.met"]
    for name in ["bad_field.met", "bad_colour.met", "runaway_colour.met", "bad_header.met"]:
        assert "Warning  56" in got[name] and "not complete" not in got[name], name
    for name in ["printer.prn", "plot.ps"]:
        assert "Warning  40" in got[name] and name in got[name], name
    assert "Warning  36" in got["missing.met"] and "Warning  36" in got["/dev/zero"]  # not a regular file
    assert "Warning  40" in got["picture on svg"]


def test_filbox_checks_the_window(run):
    out = run(script("""
        start('VIRT', 'x')
        k.filbox(-1, 0, 10, 10); k.filbox(0, 0, 0, 10); k.filbox(800, 0, 54, 10); k.filbox(800, 0, 53, 10)
        k.filbox(0, 500, 10, 104); k.filbox(0, 500, 10, 103)
        k.kalfin()
    """))
    assert [line[14:17] for line in out.splitlines()] == ["  1", "  2", "  2", "  2"]
