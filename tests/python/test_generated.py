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
PYTHON_ONLY = {"warnings_as_exceptions", "pngpage"}
INTERFACE_ROUTINES = 530


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
