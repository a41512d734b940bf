"""The routine table against the committed list of the module's routines
(tests/python/routines_expected.txt): names, argument and result letters and
the interpreter lock, in src/api/routines.tab, the module, the C header and
the typing stub."""
import pathlib
import re
import sys

import pytest

import kalvor

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools"))
import gen_routines as gen  # noqa: E402


def expected():
    """{name: (arguments, results, lock, section)} of the committed list."""
    rows, section = {}, ""
    for line in (ROOT / "tests" / "python" / "routines_expected.txt").read_text().splitlines():
        if line.startswith("## "):
            section = line[3:]
        elif line and not line.startswith("#"):
            name, args, results, lock = line.split()
            rows[name] = ("" if args == "-" else args, "" if results == "-" else results, lock == "free", section)
    return rows


EXPECTED = expected()
TABLE = {r.name: r for r in gen.read_table()}
MODULE = {name: (args, results, nogil) for name, args, results, nogil in kalvor._kalvor._routines}


def test_the_list_holds_614_library_routines_and_the_nine_quick_plot_rows():
    sections = [s for *_, s in EXPECTED.values()]
    assert sections.count("Library routines (614)") == 614
    assert sections.count("Quick plots and plot variables (9)") == 9


def test_the_table_has_every_listed_routine_and_no_other():
    missing = sorted(set(EXPECTED) - set(TABLE))
    unexpected = sorted(set(TABLE) - set(EXPECTED))
    assert not missing and not unexpected, f"missing ({len(missing)}): {' '.join(missing)}\n" \
                                           f"unexpected ({len(unexpected)}): {' '.join(unexpected)}"


def test_rows_agree_with_the_list_in_table_module_header_and_stub():
    header = (ROOT / "include" / "kalvor" / "kalvor.h").read_text()
    declared = {m[2]: (m[1], [p.strip() for p in m[3].split(",") if p.strip() not in ("", "void")])
                for m in re.finditer(r"^KALVOR_API (.+?) ?\b(\w+)\((.*?)\);", header, re.M)}
    stub = (ROOT / "python" / "kalvor" / "__init__.pyi").read_text()
    assert set(TABLE) == set(MODULE) and set(kalvor.__all__) >= set(MODULE)
    wrong = []
    for name in sorted(set(EXPECTED) & set(TABLE)):
        args, results, free, _ = EXPECTED[name]
        r = TABLE[name]
        formats = ("", gen.py_formats(r)[1]) if r.anyargs else gen.py_formats(r)
        if args == "*":
            args = ""
        if (args, results, free) != MODULE[name] or (args, results, free) != (*formats, r.nogil):
            wrong.append(f"{name}: listed {args!r} {results!r} free={free}, module {MODULE[name]}, "
                         f"table {formats} free={r.nogil}")
        if f"def {name}(" not in stub:
            wrong.append(f"{name}: not in the stub")
        if r.python_only:
            if name in declared:
                wrong.append(f"{name}: a Python-only row declared in the C header")
            continue
        if name not in declared:
            wrong.append(f"{name}: not in the C header")
            continue
        # C parameters: the letters' types in order; sequences are pointers
        # whose counts are int parameters (or numbers).
        ctypes = [re.sub(r"\s*\b\w+$", "", p).replace(" *", "*") for p in declared[name][1]]
        if ctypes != [p.ctype for p in r.params]:
            wrong.append(f"{name}: C parameters {ctypes} differ from the table")
        if r.custom:
            continue
        kinds = {"i": ("int", "FILE*"), "f": ("float",), "s": ("const char*",)}
        for p, letter in zip(gen.py_inputs(r), gen.split_format(args)):
            ok = p.pointer or p.callback if letter == "O" else p.ctype in kinds[letter] or p.inout
            counts = [c for c in p.counts if not gen.count_base(c).isdigit()]
            if not ok or any(next(q.ctype for q in r.params if q.name == gen.count_base(c)) != "int" for c in counts):
                wrong.append(f"{name}: parameter {p.name} ({p.ctype}) does not take {letter!r}")
    assert not wrong, "\n".join(wrong)
