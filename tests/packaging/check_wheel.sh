#!/usr/bin/env bash
# The wheel as a user gets it: built by pip from the build tree pip already
# uses (build/<wheel tag>), repaired (tools/repair_wheel.py), installed
# --no-index into a fresh virtual environment outside the tree, and used there:
# import, a plot, the map data, kalvor-install --dry-run, one library for
# Python and ctypes. Then the sdist: it must hold every file the build reads.
#     bash tests/packaging/check_wheel.sh [PYTHON]
set -euo pipefail
cd "$(dirname "$0")/../.."
py=${1:-.venv/bin/python}
PY="$(cd "$(dirname "$py")" && pwd)/$(basename "$py")"   # not resolved: a venv's python is a link
SRC=$PWD
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

$PY -m pip wheel -q --no-build-isolation --no-deps -w "$work/raw" . >"$work/pip.log" 2>&1 \
  || { tail -40 "$work/pip.log"; exit 1; }
$PY tools/repair_wheel.py "$work"/raw/kalvor-*.whl "$work/wheel" >"$work/repair.log" 2>&1 \
  || { cat "$work/repair.log"; exit 1; }
wheel=$(ls "$work"/wheel/kalvor-*.whl)
echo "wheel: $(basename "$wheel") $(stat -c %s "$wheel") bytes"
$PY - "$wheel" <<'PYEOF'
import sys, zipfile
names = zipfile.ZipFile(sys.argv[1]).namelist()
need = ["kalvor/__init__.py", "kalvor/__init__.pyi", "kalvor/py.typed", "kalvor/install.py",
        "kalvor/libkalvor.so.9", "kalvor/data/map/map1.dat", "kalvor/examples/gallery.py",
        "kalvor/examples/python/sin_plot.py", "kalvor/README.md", "kalvor/NOTICE"]
missing = [n for n in need if n not in names]
missing += [] if any(n.startswith("kalvor/_kalvor.") for n in names) else ["kalvor/_kalvor.*.so"]
missing += [] if any(n.endswith("entry_points.txt") for n in names) else ["entry_points.txt"]
assert not missing, f"the wheel lacks {missing}"
assert not any("libgtk" in n for n in names), "GTK grafted into the wheel"
PYEOF

"$PY" -m venv --without-pip "$work/venv"
"$PY" -m pip --python "$work/venv/bin/python" install -q --no-index "$wheel"
cd "$work"
env -u PYTHONPATH -u LD_LIBRARY_PATH -u KALVOR SOURCE_DATE_EPOCH=1700000000 venv/bin/python - <<'PYEOF'
import ctypes, os
import kalvor as k
assert os.path.dirname(k.__file__).startswith(os.path.realpath("venv")), k.__file__
k.metafl("SVG"); k.kalini(); k.errmod("PROT", "OFF")
assert ctypes.CDLL("libkalvor.so.9").getlev() == 1          # one library, one record
k.grafmp(-180., 180., -180., 90., -90., 90., -90., 30.); k.world(); k.endgrf()
k.kalfin()
svg = open("kalvor.svg").read()
assert svg.count("<path") + svg.count("<polyline") > 10, "no coastlines drawn"
PYEOF
out=$(env -u PYTHONPATH HOME="$work/home" venv/bin/kalvor-install --dry-run)
grep -q "Copy .*/kalvor/data/map/map4.dat -> $work/home/.local/share/kalvor/map/map4.dat" <<<"$out"
[ ! -e "$work/home/.local/share/kalvor" ]
rm -f kalvor.svg
echo "wheel: installs and works without the build tree"

# The sdist holds what the build reads: it builds a wheel by itself.
cd "$SRC"
$PY -m build --sdist --no-isolation -o "$work/sdist" . >"$work/sdist.log" 2>&1 || { tail -20 "$work/sdist.log"; exit 1; }
tar -xzf "$work"/sdist/kalvor-*.tar.gz -C "$work/sdist"
tree=$(ls -d "$work"/sdist/kalvor-*/)
for f in CMakeLists.txt cmake/kalvorConfig.cmake.in cmake/kalvor.pc.in tools/gen_routines.py tools/abi_digest.py \
         src/api/routines.tab include/kalvor/kalvor.h plugins/gtk/kalvor_gtk.c README.md NOTICE \
         examples/gallery.py python/kalvor/data/map/map1.dat; do
  [ -e "$tree/$f" ] || { echo "the sdist lacks $f"; exit 1; }
done
(cd "$tree" && git -C "$SRC" ls-files src python/kalvor | while read -r f; do [ -e "$f" ] || echo "the sdist lacks $f"; done) \
  | { ! grep .; }
echo "sdist: $(basename "$work"/sdist/kalvor-*.tar.gz) holds the sources the build reads"
