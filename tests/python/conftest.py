import os
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
