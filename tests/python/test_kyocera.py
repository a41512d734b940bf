"""Kyocera printer command files, parsed as the printer language's command
subset written here (absolute moves and draws in dots, FPAT 8 x 8 patterns,
BLK pattern blocks)."""
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
    # Each block on its rectangle's corner, as large; 10 and 20 leave theirs out.
    maps = [tuple(int(v) for v in a) for n, a in cmds if n == "MAP"]
    blocks = [tuple(int(v) for v in a) for n, a in cmds if n == "BLK"]
    assert maps == [(round((100 + 200 * i) * S), 113) for i in (*range(9), 11, 12)] + [(113, 1125)]
    assert blocks == [(112, 112)] * 9 + [(113, 112)] * 2 + [(337, 23)]
