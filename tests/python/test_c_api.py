"""The C interface: the C example writes what the same Python program writes."""
import os
import pathlib
import subprocess

from conftest import run_python

BUILD = os.environ["KALVOR_BUILD_DIR"]   # set by conftest


def c_program(*parts):
    return str(pathlib.Path(BUILD, *parts))


def test_c_example_writes_the_same_metafile_as_python(tmp_path):
    (tmp_path / "c").mkdir()
    (tmp_path / "py").mkdir()
    env = dict(os.environ, SOURCE_DATE_EPOCH="1700000000")
    c = subprocess.run([c_program("examples", "default_cycle")], cwd=tmp_path / "c", env=env,
                       capture_output=True, check=True)
    py = run_python(tmp_path / "py", "import kalvor; kalvor.kalini(); kalvor.kalfin()")
    assert (tmp_path / "c" / "kalvor.met").read_bytes() == (tmp_path / "py" / "kalvor.met").read_bytes()
    assert c.stdout == py.stdout
