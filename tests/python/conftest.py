import os
import pathlib
import shutil
import subprocess
import sys
import textwrap

import pytest

# The module under test is the one in the CMake build tree (configured with
# -DKALVOR_TESTS=ON -DKALVOR_PYTHON=ON), never an installed copy: this process
# and every child interpreter import it from there.
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD_DIR = os.path.abspath(os.environ.get("KALVOR_BUILD_DIR") or os.path.join(ROOT, "build", "tests"))
_PACKAGE_DIR = os.path.join(BUILD_DIR, "python")
if not os.path.isfile(os.path.join(_PACKAGE_DIR, "kalvor", "__init__.py")):
    raise pytest.UsageError(
        f"no kalvor package in {_PACKAGE_DIR}: build with "
        "cmake -S . -B build/tests -DKALVOR_TESTS=ON -DKALVOR_PYTHON=ON && cmake --build build/tests, "
        "or set KALVOR_BUILD_DIR to such a build")
sys.path.insert(0, _PACKAGE_DIR)
os.environ["PYTHONPATH"] = os.pathsep.join(filter(None, [_PACKAGE_DIR, os.environ.get("PYTHONPATH")]))
os.environ["KALVOR_BUILD_DIR"] = BUILD_DIR


def run_python(cwd, code, env=None, check=True):
    """Runs `code` in a child interpreter in `cwd`; returns the finished process.

    Scenarios whose standard output matters run in a child, so that the
    library's own C output is captured exactly and the test process stays
    unaffected by threaded mode, warnings or fatal conditions.
    """
    full_env = dict(os.environ)
    full_env.setdefault("SOURCE_DATE_EPOCH", "1700000000")
    if env:
        full_env.update(env)
    proc = subprocess.run(
        [sys.executable, "-c", textwrap.dedent(code)],
        cwd=cwd,
        env=full_env,
        capture_output=True,
        timeout=120,
    )
    if check and proc.returncode != 0:
        raise AssertionError(
            f"child failed ({proc.returncode}):\n{proc.stdout.decode(errors='replace')}\n"
            f"{proc.stderr.decode(errors='replace')}"
        )
    return proc


@pytest.fixture
def run(tmp_path):
    """run(code, **kw) -> standard output (str) of `code` run in tmp_path."""

    def _run(code, env=None, check=True):
        proc = run_python(tmp_path, "import kalvor as k\n" + textwrap.dedent(code), env, check)
        return proc.stdout.decode("latin-1")

    _run.path = tmp_path
    return _run


def render(path, dpi=72, width=None, page=1, turned=False, smooth=False):
    """A PNG file, or page `page` of a PDF (poppler's pdftoppm), an SVG
    (librsvg's rsvg-convert) or a PostScript or EPS file (Ghostscript on A4;
    EPS cropped to its box; `smooth` with anti-aliasing), as an RGB Pillow
    image on white paper, at `dpi` or `width` pixels across a landscape page
    (PDF, SVG).
    `turned`: a page standing upright is turned back to landscape. Skips the
    test where the reader is missing."""
    from PIL import Image
    path = out = pathlib.Path(path)
    size = ["-r", str(dpi)]
    if path.suffix == ".pdf":
        out = path.with_name(f"{path.stem}-{page}.png")
        size = ["-scale-to", str(width)] if width else size
        cmd = ["pdftoppm", "-png", "-singlefile", "-f", str(page), "-l", str(page), *size, str(path), str(out)[:-4]]
    elif path.suffix == ".svg":
        out = path.with_suffix(".svg.png")
        cmd = ["rsvg-convert", *(["-w", str(width)] if width else ["--zoom", str(dpi / 96)]), "-o", str(out), str(path)]
    elif path.suffix in (".ps", ".eps"):
        out = path.with_suffix(path.suffix + ".png")
        cmd = ["gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=png16m", f"-r{dpi}", f"-sOutputFile={out}",
               *(["-dEPSCrop"] if path.suffix == ".eps" else ["-sPAPERSIZE=a4", "-dFIXEDMEDIA"]),
               *(["-dTextAlphaBits=4", "-dGraphicsAlphaBits=4"] if smooth else []), str(path)]
    if out != path:
        if not shutil.which(cmd[0]):
            pytest.skip(f"needs {cmd[0]}")
        subprocess.run(cmd, check=True, capture_output=True, timeout=300)
    with Image.open(out) as im:   # SVG leaves the paper transparent
        im = Image.alpha_composite(Image.new("RGBA", im.size, "white"), im.convert("RGBA")).convert("RGB")
    return im.transpose(Image.Transpose.ROTATE_270) if turned and im.height > im.width else im
