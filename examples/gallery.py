"""The KALVOR demo gallery.

    python3 examples/gallery.py [output directory]      (default: the current directory)

Every example is one file in examples/gallery/ whose function draw() plots on
an open page; plot() below is the frame around it. Each example is written as
PDF, SVG, PNG and WMF, and index.html shows the PNGs beside the examples'
source.
"""
import glob
import html
import importlib.util
import os
import sys

import kalvor as k

EXAMPLES_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "gallery")
FORMATS = [("PDF", "pdf"), ("SVG", "svg"), ("PNG", "png"), ("WMF", "wmf")]


def plot(draw, device, filename, setup=None):
    """Opens a landscape A4 page, lets draw() fill it and closes the file.

    PNG and SVG get 1200 by 849 pixels on a white background; PNG stores true
    colour, so that RGB and named colours are not mapped to the colour table.
    WMF gets the placeable header, which gives viewers the picture's size.
    An example's setup(), when it has one, chooses what must be set before
    kalini.
    """
    k.aamode("OFF")
    if setup:
        setup()
    k.metafl(device)
    k.setpag("DA4L")
    k.setfil(filename)
    k.filmod("DELE")
    k.scrmod("REVERS")
    k.winsiz(1200, 849)
    k.imgfmt("RGB")
    k.wmfmod("PLAC", "FORM")
    k.kalini()
    k.errmod("PROT", "OFF")
    draw()
    k.kalfin()


def load_examples():
    """The examples as (name, title, caption, source, draw, setup), in the order of their file names."""
    examples = []
    for path in sorted(glob.glob(os.path.join(EXAMPLES_DIR, "[0-9]*.py"))):
        name = os.path.splitext(os.path.basename(path))[0]
        spec = importlib.util.spec_from_file_location("gallery_" + name, path)
        module = importlib.util.module_from_spec(spec)
        spec.loader.exec_module(module)
        title, _, caption = module.__doc__.strip().partition("\n")
        with open(path, encoding="utf-8") as f:
            source = f.read()
        examples.append((name, title.strip(), " ".join(caption.split()), source, module.draw,
                         getattr(module, "setup", None)))
    return examples


PAGE = """<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>KALVOR gallery</title>
<style>
body {{ font-family: sans-serif; margin: 2em; color: #222; background: #fafafa; }}
section {{ display: flex; gap: 2em; align-items: flex-start; margin-bottom: 3em; }}
figure {{ margin: 0; flex: 0 0 640px; }}
figure img {{ width: 640px; border: 1px solid #ccc; background: white; }}
figcaption {{ font-size: 0.9em; }}
pre {{ flex: 1; min-width: 0; overflow-x: auto; background: #f0f0f0; padding: 1em;
      font-size: 0.8em; border: 1px solid #ddd; margin: 0; }}
h2 {{ margin-bottom: 0.3em; }}
</style>
</head>
<body>
<h1>KALVOR gallery</h1>
<p>Each example below is a function <code>draw()</code> that plots on an open page.
The frame around it opens the page in one format and closes the file:</p>
<pre>{frame}</pre>
{sections}
</body>
</html>
"""

SECTION = """<h2 id="{name}">{title}</h2>
<section>
<figure>
<a href="{name}.png"><img src="{name}.png" alt="{title}"></a>
<figcaption>{caption}<br>{links}</figcaption>
</figure>
<pre>{source}</pre>
</section>
"""


def write_index(examples, directory):
    import inspect

    sections = []
    for name, title, caption, source, _, _ in examples:
        links = " ".join(f'<a href="{name}.{ext}">{ext.upper()}</a>' for _, ext in FORMATS)
        sections.append(SECTION.format(name=name, title=html.escape(title), caption=html.escape(caption),
                                       links=links, source=html.escape(source)))
    page = PAGE.format(frame=html.escape(inspect.getsource(plot)), sections="\n".join(sections))
    with open(os.path.join(directory, "index.html"), "w", encoding="utf-8") as f:
        f.write(page)


def main():
    directory = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(directory, exist_ok=True)
    examples = load_examples()
    for name, _, _, _, draw, setup in examples:
        for device, ext in FORMATS:
            plot(draw, device, os.path.join(directory, f"{name}.{ext}"), setup)
    write_index(examples, directory)
    print(f"gallery: {len(examples)} examples in {len(FORMATS)} formats and index.html in "
          f"{os.path.abspath(directory)}")


if __name__ == "__main__":
    main()
