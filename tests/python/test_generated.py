"""The committed C header and typing stub follow the routine table, and every
routine tells its signature to help() and inspect."""
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
        assert f" {name}(" in header and f"def {name}(" in stub


# Routines of this library's own, beyond the interface it was built to, and
# the number of the others.
OWN_ROUTINES = {"aamode"}
INTERFACE_ROUTINES = 348


def test_own_routines_are_counted_apart():
    names = {name for name, _, _, _ in kalvor._kalvor._routines}
    assert OWN_ROUTINES <= names
    assert len(names - OWN_ROUTINES) == INTERFACE_ROUTINES
