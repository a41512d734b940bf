import os
import subprocess
import sys
import textwrap

import pytest

# Import the module of the build tree under test (KALVOR_BUILD_DIR), in this
# process and in the children it starts, not an installed copy.
_BUILD_PYTHON = os.path.join(os.environ.get("KALVOR_BUILD_DIR", ""), "python")
if os.environ.get("KALVOR_BUILD_DIR") and os.path.isdir(os.path.join(_BUILD_PYTHON, "kalvor")):
    sys.path.insert(0, _BUILD_PYTHON)
    os.environ["PYTHONPATH"] = os.pathsep.join(p for p in (_BUILD_PYTHON, os.environ.get("PYTHONPATH")) if p)


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
