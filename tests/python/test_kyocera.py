"""Kyocera printer command files, read by a reader of the command subset
written here from the printer language (absolute moves and draws in dots,
FPAT 8 x 8 patterns, BLK pattern blocks), rendered with Pillow."""
import pytest

S = 2362 / 2099  # dots per plot unit on DA4L and DA4P


def plot(run, body, setup="", name="a.kyo"):
    run(f"k.metafl('KYOC')\nk.setfil('{name}')\n{setup}\nk.kalini()\nk.errmod('PROT', 'OFF')\n"
        f"{body}\nk.kalfin()")
    text = (run.path / name).read_text()
    assert all(len(line) <= 80 for line in text.split("\n"))
    return text


def parse(text):
    """The commands as (name, [numbers]) after the '!R!' start."""
    assert text.startswith("!R! ")
    out = []
    for item in text[4:].replace("\n", "").split(";"):
        item = item.strip()
        if not item:
            continue
        name, _, args = item.partition(" ")
        args = [a.strip() for a in args.split(",")] if args.strip() else []
        out.append((name, [float(a) if name in ("MAP", "DAP", "FPAT", "BLK") else a for a in args]))
    return out


def render(cmds, size):
    """Draws MAP/DAP lines and BLK pattern blocks on a white page of `size` dots."""
    from PIL import Image, ImageDraw

    img = Image.new("L", size, 255)
    draw = ImageDraw.Draw(img)
    pos, pattern = (0, 0), [255] * 8
    for name, a in cmds:
        if name == "MAP":
            pos = (int(a[0]), int(a[1]))
        elif name == "DAP":
            draw.line([pos, (int(a[0]), int(a[1]))], fill=0)
            pos = (int(a[0]), int(a[1]))
        elif name == "FPAT":
            pattern = [int(v) for v in a]
        elif name == "BLK":
            w, h = int(a[0]), int(a[1])
            for dy in range(h):
                row = pattern[dy % 8]
                for dx in range(w):
                    if row & (0x80 >> (dx % 8)):
                        img.putpixel((pos[0] + dx, pos[1] + dy), 0)
    return img


@pytest.mark.parametrize("page,setup", [
    ("DA4L", "!R! UNIT C;SPO L;SLM 0;\nSRM 28.7;STM 0;SBM 20;\n"),
    ("DA4P", "!R! UNIT C;SPO P;SLM 0;\nSRM 20;STM 0;SBM 28.7;\n"),
])
def test_exact_commands_both_ways(run, page, setup):
    text = plot(run, "k.line(10, 20, 30, 40)\nk.setclr(3)\nk.newpag()", f"k.setpag('{page}')")
    assert text == setup + "UNIT D;MAP   11,  23;DAP   34,  45;PAGE;RES;EXIT;\n"


def test_fill_patterns_by_colour(run):
    body = "".join(f"k.recfll({100 + 200 * i}, 100, 100, 100, {c})\n"
                   for i, c in enumerate([1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 20, 19, 0x010000FF]))
    text = plot(run, body + "k.recfll(100, 1000, 300, 20, 9)")
    cmds = parse(text)
    fpats = [tuple(int(v) for v in a) for n, a in cmds if n == "FPAT"]
    patterns = [(128, 0, 0, 0, 0, 0, 0, 0), (128, 0, 0, 0, 8, 0, 0, 0), (128, 0, 0, 32, 0, 0, 4, 0),
                (128, 8, 0, 0, 64, 4, 0, 0), (128, 16, 2, 0, 32, 0, 8, 1), (128, 16, 2, 64, 8, 1, 32, 4),
                (170, 0, 85, 0, 170, 0, 85, 0), (170, 85, 170, 85, 170, 85, 170, 85), (255,) * 8]
    # 10 and 20 fill nothing, 19 is solid, red is the nearest SMAL entry 2.
    assert fpats == patterns + [patterns[8], patterns[1], patterns[8]]
    assert "MAP  113,1125; FPAT 255,255,255,255,255,255,255,255; BLK  337,  23; " in text.replace("\n", "")
    img = render(cmds, (3400, 2400))

    def ink(i):  # share of black dots inside the block of the i-th rectangle
        x, y = round((100 + 200 * i) * S), round(100 * S)
        box = img.crop((x, y, x + 104, y + 104))
        return box.histogram()[0] / (104 * 104)

    assert abs(ink(0) - 1 / 64) < 0.01 and abs(ink(6) - 1 / 4) < 0.02 and abs(ink(7) - 1 / 2) < 0.02
    assert ink(8) > 0.95 and ink(9) == 0 and ink(10) == 0 and ink(11) > 0.95
