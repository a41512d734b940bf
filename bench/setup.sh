#!/usr/bin/env bash
# The benchmark's own environment: matplotlib from PyPI in bench/.venv (never
# the system Python), gnuplot and PLplot's Python binding from Debian.
# Afterwards: PYTHONPATH=build/tests/python python3 bench/run.py
set -euo pipefail
cd "$(dirname "$0")"
if [ ! -x .venv/bin/python ]; then
  python3 -m venv .venv
fi
.venv/bin/python -m pip install -q --upgrade matplotlib numpy scipy cartopy shapely
missing=()
for p in gnuplot-nox python3-plplot plplot-driver-cairo; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
fi
