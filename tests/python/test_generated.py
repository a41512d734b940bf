"""The committed C header, typing stub and reference follow the routine
table, and every routine tells its signature to help() and inspect."""
import inspect
import pathlib
import re
import subprocess
import sys

import kalvor

ROOT = pathlib.Path(__file__).resolve().parents[2]


def test_committed_header_and_stub_are_current():
    subprocess.run([sys.executable, str(ROOT / "tools" / "gen_routines.py"), "committed", "--check"], check=True)


def test_every_routine_has_a_signature_a_stub_and_a_c_declaration():
    header = (ROOT / "include" / "kalvor" / "kalvor.h").read_text()
    stub = (ROOT / "python" / "kalvor" / "__init__.pyi").read_text()
    for name, args, _, _ in kalvor._kalvor._routines:
        function = getattr(kalvor, name)
        params = list(inspect.signature(function).parameters.values())
        if params and params[0].kind is inspect.Parameter.VAR_POSITIONAL:
            assert name == "getrgb"          # arguments not checked
        else:
            assert len(params) == len(re.findall(r"s#|[a-zA-Z]", args)), name
            assert all(p.kind is inspect.Parameter.POSITIONAL_ONLY for p in params), name
        assert function.__text_signature__.startswith("(") and function.__doc__.strip(), name
        assert (f" {name}(" in header) != (name in PYTHON_ONLY) and f"def {name}(" in stub


# Routines of this library's own, beyond the interface it was built to (those
# of the Python module alone apart), and the number of the others.
OWN_ROUTINES = {"aamode", "mapfcn"}
QUICK_PLOTS = {"setvar", "plot", "scattr", "plot3", "surf3", "surface", "surshade", "contour", "conshade"}
PYTHON_ONLY = {"warnings_as_exceptions", "pngpage"} | QUICK_PLOTS
INTERFACE_ROUTINES = 614


def test_own_routines_are_counted_apart():
    names = {name for name, _, _, _ in kalvor._kalvor._routines}
    assert OWN_ROUTINES | PYTHON_ONLY <= names
    assert len(names - OWN_ROUTINES - PYTHON_ONLY) == INTERFACE_ROUTINES


def test_help_names_parameters_ranges_keywords_and_levels():
    assert str(inspect.signature(kalvor.legini)) == "(cbuf, nlin, nmaxln, /)"
    assert str(inspect.signature(kalvor.spline)) == "(x, y, n, xray, yray, /)"
    doc = kalvor.legend.__doc__
    assert "corner: int; 1 to 8" in doc and "8  upper left inside the axis system" in doc
    assert "Levels: 2 to 3" in doc
    assert '"LOG"' in kalvor.labels.__doc__ and '"STEP"' in kalvor.labmod.__doc__
    assert "Python only" in kalvor.pngpage.__doc__
    no_names = [n for n, _, _, _ in kalvor._kalvor._routines
                if any(re.fullmatch(r"a\d+", p) for p in inspect.signature(getattr(kalvor, n)).parameters)]
    assert no_names == []
    version = re.search(r'^version = "(.+)"', (ROOT / "pyproject.toml").read_text(), re.M)[1]
    assert kalvor.__version__ == version


def test_three_dimensional_arrays_nested_flat_or_numpy_of_any_strides(run):
    # suriso's w[i][j][k] belongs to (x[i], y[j], z[k]): on a grid of three
    # different sizes every form draws the same picture.
    out = run("""
        import numpy as np
        x, y, z = np.linspace(-1, 1, 7), np.linspace(-1, 1, 9), np.linspace(-1, 1, 11)
        X, Y, Z = np.meshgrid(x, y, z, indexing='ij')
        w = (X - .3) ** 2 + 2 * (Y + .2) ** 2 + 3 * Z ** 2
        big = np.zeros((14, 27, 11)); big[::2, ::3, ::-1] = w
        forms = [w, w.tolist(), w.ravel().tolist(), np.asfortranarray(w), big[::2, ::3, ::-1],
                 w.astype(np.float32), tuple(map(tuple, w.reshape(63, 11).tolist()))]
        for i, form in enumerate(forms):
            k.metafl('PNG'); k.setfil(f'f{i}.png'); k.kalini(); k.errmod('PROT', 'OFF'); k.nograf()
            k.graf3d(-1., 1., -1., 1., -1., 1., -1., 1., -1., 1., -1., 1.)
            k.suriso(x, 7, y, 9, z, 11, form, .5)
            k.endgrf(); k.kalfin()
        for bad in ([[[1.0] * 11] * 9] * 6 + [[[1.0] * 10] * 9], [[[1.0] * 11] * 9] * 6 + [1.0],
                    [[[[1.0]] * 11] * 9] * 7, [1.0] * 692, 5):
            try:
                k.suriso(x, 7, y, 9, z, 11, bad, .5)
            except Exception as e:
                print(type(e).__name__, e)
        n = 2 ** 21                                   # n ** 3 overflows 64 bits
        try:
            k.suriso(np.zeros(n), n, np.zeros(n), n, np.zeros(n), n, [1.0] * 8, .5)
        except MemoryError as e:
            print(type(e).__name__, e)
        """)
    assert out.splitlines() == [
        "ValueError array rows have different lengths", "ValueError array rows have different lengths",
        "ValueError no floatingpoint element in sequence", "MemoryError out of range", "ValueError parameter is not a sequence",
        "MemoryError out of range"]
    pictures = [(run.path / f"f{i}.png").read_bytes() for i in range(7)]
    assert all(p == pictures[0] for p in pictures)
    from PIL import Image
    assert Image.open(run.path / "f0.png").convert("L").getextrema()[1] > 0
