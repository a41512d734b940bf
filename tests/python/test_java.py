"""The Java driver: the header, class names that javac accepts, paint split
into methods javac can compile, and the applet painted headless matching the
PNG device's picture of the same plot."""
import os
import shutil
import subprocess
import textwrap

import pytest
from PIL import Image

pytestmark = pytest.mark.skipif(not (shutil.which("javac") and shutil.which("java")), reason="needs a JDK")

HARNESS = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "java", "Harness.java")

PLOT = textwrap.dedent("""
    def plot(device, name, lines=0, port=False, erase=False):
        k.page(2970, 2100); k.metafl(device); k.setfil(name); k.filmod('DELETE'); k.imgfmt('RGB')
        if port: k.pagmod('PORT')
        k.kalini(); k.errmod('PROT', 'OFF')
        k.setrgb(1, 0.5, 0); k.line(100, 100, 2800, 2000); k.line(100, 2000, 2800, 100)
        k.setclr(50); k.recfll(300, 400, 600, 300, 200); k.line(1500, 50, 1500, 2050)
        k.color('GREEN'); k.rectan(1700, 300, 800, 500)
        for i in range(lines):
            k.line(i % 2900, (i * 7) % 2000, (i * 13) % 2900, (i * 3) % 2000)
        if erase: k.erase()
        k.kalfin()
""")


def javac(path):
    proc = subprocess.run(["javac", "-d", str(path.parent / "classes"), str(path)], capture_output=True, text=True)
    assert proc.returncode == 0, proc.stderr
    return proc.stderr


def paint(path, class_name, out, size=(853, 603)):
    classes = path.parent / "classes"
    subprocess.run(["javac", "-d", str(classes), HARNESS], check=True, capture_output=True)
    subprocess.run(["java", "-Djava.awt.headless=true", "-cp", str(classes), "Harness", str(classes), class_name,
                    str(size[0]), str(size[1]), str(out)], check=True)
    return Image.open(out).convert("RGB")


def within_one_pixel(a, b):
    """Every lit pixel of a has its colour in b within one pixel, and back."""
    w, h = a.size
    for one, other in [(a, b), (b, a)]:
        pa, po = one.load(), other.load()
        for y in range(h):
            for x in range(w):
                if pa[x, y] == (0, 0, 0):
                    continue
                near = {po[x + dx, y + dy] for dx in (-1, 0, 1) for dy in (-1, 0, 1)
                        if 0 <= x + dx < w and 0 <= y + dy < h}
                if pa[x, y] not in near:
                    return (x, y, pa[x, y])
    return None


def test_header_and_class_name(run):
    (run.path / "sub").mkdir()
    run(PLOT + "plot('JAVA', 'sub/demo.java')")
    text = (run.path / "sub" / "demo.java").read_text()
    assert text.startswith(
        "// KALVOR Java Metafile\n// Creator: KALVOR  9.1\n// Date   : 14.11.2023, 22:13:20\n"
        "// Size   : 853 603\n\nimport java.applet.*;\nimport java.awt.*;\n\n"
        "public class demo extends Applet {\npublic void paint(Graphics g) {\n")
    assert text.endswith("  }\n}\n") and "private void paint1" not in text
    assert "[removal]" in javac(run.path / "sub" / "demo.java")


@pytest.mark.parametrize("port", [False, True])
def test_painted_applet_matches_the_png_device(run, port):
    run(PLOT + f"plot('JAVA', 'plot.java', port={port}); plot('PNG', 'plot.png', port={port})")
    text = (run.path / "plot.java").read_text()
    rects = [line for line in text.splitlines() if "fillRect" in line]
    assert rects and all(int(v) > 0 for line in rects for v in line.split("(")[1].rstrip(");").split(",")[2:])
    javac(run.path / "plot.java")
    png = Image.open(run.path / "plot.png").convert("RGB")
    painted = paint(run.path / "plot.java", "plot", run.path / "painted.png", png.size)
    assert within_one_pixel(painted, png) is None


def test_large_plots_and_awkward_file_names_compile(run):
    run(PLOT + "plot('JAVA', 'big.java', lines=10000); plot('JAVA', 'my-plot.java')\n"
        "plot('JAVA', 'plot.v2.java'); plot('JAVA', '2d.java'); plot('JAVA', 'class.java', erase=True)\n"
        "for name in ('Applet', 'Graphics', 'Color'): plot('JAVA', name + '.java')")
    big = (run.path / "big.java").read_text()
    methods = big.split("(Graphics g) {\n")[1:]
    assert len(methods) >= 6 and big.endswith("  }\n}\n")
    assert all(m.count(";\n") <= 2001 for m in methods)
    for name, cls, public in [("big", "big", True), ("my-plot", "my_plot", False), ("plot.v2", "plot", False),
                              ("2d", "_2d", False), ("class", "_class", False), ("Applet", "_Applet", False),
                              ("Graphics", "_Graphics", False), ("Color", "_Color", False)]:
        text = (run.path / f"{name}.java").read_text()
        assert f"{'public ' if public else ''}class {cls} extends Applet {{\n" in text.splitlines(True), name
        if not public:
            assert "public class" not in text
        javac(run.path / f"{name}.java")
    assert (run.path / "class.java").read_text().endswith("  g.clearRect (0,0,853,603);\n  }\n}\n")
