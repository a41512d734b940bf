#!/usr/bin/env python3
"""Print the size of the tests against the hand-written library.

Counts lines that are neither blank nor comment-only (// or #). Tests: every
.cpp, .h, .py, .c and .java file under tests/. Library: .cpp and .h under src/
except the generated tables (every font_data folder), the plug-ins under
plugins/, the Python package's own modules (python/kalvor/*.py), plus the
generators that write code and tables (tools/gen_routines.py, tools/fonts/*.py,
tools/maps/*.py).

    python3 tools/test_share.py [--files]    # --files lists the test files by size
"""
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SKIP = re.compile(r"^\s*$|^\s*(//|#)")


def lines(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return sum(1 for line in f if not SKIP.match(line))


def files(base, suffixes):
    return sorted(p for p in (ROOT / base).rglob("*") if p.is_file() and p.suffix in suffixes)


def main():
    tests = files("tests", {".cpp", ".h", ".py", ".c", ".java"})
    library = [p for p in files("src", {".cpp", ".h"}) if "font_data" not in p.parts]
    library += files("plugins", {".c", ".cpp", ".h"}) + files("python/kalvor", {".py"})
    library += [ROOT / "tools" / "gen_routines.py"] + files("tools/fonts", {".py"}) + files("tools/maps", {".py"})
    test_count = {p: lines(p) for p in tests}
    t = sum(test_count.values())
    s = sum(lines(p) for p in library)
    if "--files" in sys.argv[1:]:
        for p, n in sorted(test_count.items(), key=lambda kv: -kv[1]):
            print(f"{n:6d}  {p.relative_to(ROOT)}")
    print(f"tests    {t}")
    print(f"library  {s}")
    print(f"share    {100.0 * t / s:.1f}%")


if __name__ == "__main__":
    main()
