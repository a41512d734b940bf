"""Generated files are current: the C header and the typing stub."""
import pathlib
import subprocess
import sys

import kalvor

ROOT = pathlib.Path(__file__).resolve().parents[2]


def test_c_header_matches_routine_table():
    subprocess.run([sys.executable, str(ROOT / "tools" / "gen_c_header.py"), "--check"], check=True)


def test_stub_lists_every_routine_with_its_signature():
    sys.path.insert(0, str(ROOT / "tools"))
    import gen_stub

    expected = gen_stub.render(kalvor._kalvor._routines)
    stub = pathlib.Path(kalvor.__file__).with_name("__init__.pyi")
    assert stub.read_text() == expected
    for name in kalvor.__all__:
        assert f"def {name}(" in expected


def test_every_c_routine_is_bound():
    header = (ROOT / "include" / "kalvor" / "kalvor.h").read_text()
    for name in kalvor.__all__:
        assert f" {name}(" in header
