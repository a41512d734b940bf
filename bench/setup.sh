#!/usr/bin/env bash
# The benchmark's own environment: matplotlib from PyPI in bench/.venv (never
# the system Python), gnuplot and PLplot's Python binding from Debian.
# Afterwards: PYTHONPATH=build/tests/python python3 bench/run.py
set -euo pipefail
cd "$(dirname "$0")"
if [ ! -x .venv/bin/python ]; then
  # Debian's PyGObject and its cairo binding (matplotlib's GTK3Agg window,
  # W8) come in from the system site; everything pip installs goes first.
  python3 -m venv --system-site-packages .venv
fi
.venv/bin/python -m pip install -q --upgrade matplotlib numpy scipy cartopy shapely
missing=()
for p in gnuplot-nox python3-plplot plplot-driver-cairo python3-gi python3-gi-cairo gir1.2-gtk-3.0 xvfb; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
fi
.venv/bin/python -m pip install -q --upgrade matplotlib numpy
