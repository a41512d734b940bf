"""The new-user scripts of examples/python run clean, in the README's order."""
import pathlib
import re

import pytest

from conftest import ROOT, run_python

LISTED = re.findall(r"^\d+\. `(\w+\.py)`", (pathlib.Path(ROOT) / "README.md").read_text(), re.M)
WRITES = {"sin_plot.py": "sin_plot.png", "two_curves_legend.py": "two_curves.pdf", "loglog_errorbars.py": "loglog.svg",
          "daily_dates.py": "daily.png", "scatter_10000.py": "scatter.png", "formula_title.py": "formula.pdf",
          "png_bytes.py": None}


def test_readme_lists_every_example():
    assert sorted(LISTED) == sorted(p.name for p in (pathlib.Path(ROOT) / "examples" / "python").glob("*.py"))
    assert LISTED == list(WRITES)


@pytest.mark.parametrize("script", LISTED)
def test_example_runs_clean(tmp_path, script):
    code = (pathlib.Path(ROOT) / "examples" / "python" / script).read_text()
    proc = run_python(tmp_path, code)
    out = proc.stdout.decode("latin-1")
    assert "<<<< Warning" not in out and proc.stderr == b"", out + proc.stderr.decode()
    if WRITES[script]:
        assert "Warnings: 0 " in out and (tmp_path / WRITES[script]).stat().st_size > 1000
    else:
        assert re.fullmatch(r"\d+ bytes of PNG\n", out)
