"""kalvor-install in a temporary HOME: the tree, kalvor.conf, the manifest and
the menus; re-runs, dry runs and uninstalling; failures of the medium and the
destination; awkward directory names."""
import os
import shutil
import subprocess
import sys

import pytest

from conftest import ROOT, run_python

VALIDATE = shutil.which("desktop-file-validate")


@pytest.fixture
def home(tmp_path):
    env = dict(os.environ, HOME=str(tmp_path / "home"), XDG_DATA_HOME=str(tmp_path / "home" / "data"),
               XDG_CONFIG_HOME=str(tmp_path / "home" / "config"))
    env.pop("KALVOR", None)
    os.makedirs(env["HOME"])
    return env


def install(env, *args, source=ROOT):
    p = subprocess.run([sys.executable, "-m", "kalvor.install", "--source", str(source), *args],
                       env=env, capture_output=True, text=True, timeout=120)
    assert "Traceback" not in p.stderr, p.stderr
    return p.returncode, p.stdout


def snapshot(top):
    return {os.path.join(d, n): (os.path.getsize(os.path.join(d, n)), os.stat(os.path.join(d, n)).st_mtime_ns)
            for d, dirs, names in os.walk(top) for n in names + dirs}


def exec_argument(line):
    """The file an Exec line opens, unescaped as desktop entry readers
    read it (string value, then the quoted argument)."""
    assert line.startswith('Exec=xdg-open "') and line.endswith('"'), line
    quoted = line[len('Exec=xdg-open "'):-1].replace("\\\\", "\\")
    out, i = [], 0
    while i < len(quoted):
        c = quoted[i]
        if c == "\\":
            assert quoted[i + 1] in '"`$\\'
            c, i = quoted[i + 1], i + 1
        else:
            assert c not in '"`$'
        out.append(c)
        i += 1
    return "".join(out).replace("%%", "%")


def check_entries(env, prefix):
    apps = os.path.join(env["XDG_DATA_HOME"], "applications")
    opened = {}
    for name in sorted(os.listdir(apps)):
        path = os.path.join(apps, name)
        lines = open(path, encoding="utf-8").read().splitlines()
        title = next(l[5:] for l in lines if l.startswith("Name="))
        opened[title] = exec_argument(next(l for l in lines if l.startswith("Exec=")))
        if VALIDATE:
            r = subprocess.run([VALIDATE, path], capture_output=True, text=True)
            assert r.returncode == 0 and "error" not in r.stdout, r.stdout
    assert opened == {"KALVOR": os.path.join(prefix, "README.md"), "Readme": os.path.join(prefix, "NOTICE")}


MAP_SCRIPT = """
import kalvor as k
k.metafl("VIRT"); k.kalini(); k.errmod("PROT", "OFF")
k.grafmp(-180., 180., -180., 90., -90., 90., -90., 30.); k.world(); k.endgrf(); k.kalfin()
"""


def test_install_rerun_dry_run_and_uninstall(home, tmp_path):
    before = snapshot(home["HOME"])
    rc, out = install(home, "--dry-run")
    assert rc == 0 and snapshot(home["HOME"]) == before
    assert "kalman.exe" in out and "Create directory" in out and "Write" in out

    rc, out = install(home)
    lines = out.splitlines()
    prefix = os.path.join(home["XDG_DATA_HOME"], "kalvor")
    assert rc == 0 and lines[-3:] == ["The installation of KALVOR for Python is ready.",
                                      f"Data directory: {prefix}",
                                      f"Configuration: {home['XDG_CONFIG_HOME']}/kalvor/kalvor.conf"]
    copies = [l for l in lines if l.startswith("Copy ")]
    assert copies[-1].endswith("  100%") and copies[-2].endswith(("%")) and "map1.dat" in copies[0]
    percents = [int(l.rsplit(" ", 1)[1][:-1]) for l in copies]
    assert percents == sorted(percents)
    for rel in ("map/map4.dat", "python/sin_plot.py", "python/gallery/01_linear_axes.py", "NOTICE"):
        assert os.path.isfile(os.path.join(prefix, rel)), rel
    conf = open(os.path.join(home["XDG_CONFIG_HOME"], "kalvor", "kalvor.conf")).read().splitlines()
    assert conf[:2] == ["[kalvor]", f"Path={prefix}"] and conf[2].startswith("Version=9.")
    assert os.path.isfile(os.path.join(home["XDG_CONFIG_HOME"], "menus", "applications-merged",
                                       "kalvor-kalpy.menu"))
    check_entries(home, prefix)

    # A new process reads its data from the installation (a missing map file
    # is reported under the installed path), KALVOR still comes first.
    os.rename(os.path.join(prefix, "map", "map1.dat"), str(tmp_path / "map1.dat"))
    out = run_python(tmp_path, MAP_SCRIPT, env=home).stdout.decode()
    assert f"({prefix}/map/map1.dat)" in out
    package_data = os.path.join(ROOT, "python", "kalvor", "data")
    assert "Warning" not in run_python(tmp_path, MAP_SCRIPT, env=dict(home, KALVOR=package_data)).stdout.decode()
    os.rename(str(tmp_path / "map1.dat"), os.path.join(prefix, "map", "map1.dat"))

    # A re-run copies nothing, keeps what the user changed and reports it;
    # a file the medium changed is copied again.
    installed = snapshot(prefix)
    with open(os.path.join(prefix, "python", "sin_plot.py"), "a") as f:
        f.write("# mine\n")
    medium = tmp_path / "medium"
    shutil.copytree(ROOT, medium, ignore=shutil.ignore_patterns("build", ".git", ".venv", "tests", "src", "bench"))
    with open(medium / "NOTICE", "a") as f:
        f.write("new line\n")
    rc, out = install(home, source=medium)
    assert rc == 0 and f"Kept {prefix}/python/sin_plot.py (changed since the installation)" in out
    after = snapshot(prefix)
    changed = {p for p in after if after[p] != installed.get(p) and os.path.isfile(p)}
    assert changed == {os.path.join(prefix, "python", "sin_plot.py"), os.path.join(prefix, "NOTICE")}

    rc, out = install(home, "--prefix", str(tmp_path / "elsewhere"))
    assert rc == 1 and f"KALVOR is installed in {prefix}" in out and not (tmp_path / "elsewhere").exists()

    # Uninstall keeps the changed and the added files, and their directories.
    open(os.path.join(prefix, "map", "gshhs_c.b"), "w").close()
    rc, out = install(home, "--uninstall")
    assert rc == 0 and "Kept " + os.path.join(prefix, "map", "gshhs_c.b") in out
    left = snapshot(home["HOME"])
    assert set(left) - set(before) == {prefix, os.path.join(prefix, "python"), os.path.join(prefix, "map"),
                                       os.path.join(prefix, "python", "sin_plot.py"),
                                       os.path.join(prefix, "map", "gshhs_c.b"), home["XDG_DATA_HOME"]}
    rc, out = install(home, "--uninstall")
    assert rc == 0 and out.startswith("KALVOR is not installed")


def test_failures(home, tmp_path):
    medium = tmp_path / "medium"
    shutil.copytree(os.path.join(ROOT, "python", "kalvor", "data"), medium / "data")
    shutil.copy(os.path.join(ROOT, "README.md"), medium)       # NOTICE is missing
    os.remove(medium / "data" / "map" / "map3.dat")
    blocked = tmp_path / "file"
    blocked.write_text("x")
    cases = [
        # (arguments, exit status, expected lines, lines that must not appear)
        ((), 1, [f"Cannot open file {medium}/data/map/map3.dat", f"Cannot open file {medium}/NOTICE",
                 "2 file(s) could not be installed; the installation of KALVOR is incomplete."],
         ["The installation of KALVOR for Python is ready."]),
        (("--prefix", str(blocked / "kalvor")), 1, [f"Cannot create directory {blocked}/kalvor"], ["Copy "]),
    ]
    for args, status, present, absent in cases:
        rc, out = install(home, *args, source=medium)
        assert rc == status, out
        lines = out.splitlines()
        for want in present:
            assert lines.count(want) == 1, (want, out)
        assert not any(l.startswith(a) for a in absent for l in lines), out
        copies = [l for l in lines if l.startswith("Copy ")]
        assert not copies or copies[-1].endswith("  100%")
        install(home, "--uninstall")


@pytest.mark.parametrize("name", ["with space", "quote\"d'`$x", "100% \\back", "ünïcødé ✓",
                                  "/".join(["d" * 199] * 15)], ids=["space", "quotes", "percent", "utf8", "3000"])
def test_awkward_prefixes(home, tmp_path, name):
    prefix = str(tmp_path / name)
    rc, out = install(home, "--prefix", prefix)
    assert rc == 0 and os.path.isfile(os.path.join(prefix, "map", "map1.dat")), out
    check_entries(home, prefix)
