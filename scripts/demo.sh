#!/usr/bin/env bash
# Installs KALVOR into .venv and runs the demo gallery; the plots land in gallery/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install.sh
mkdir -p gallery
cd gallery
../.venv/bin/python ../examples/gallery.py
echo "The gallery is in $PWD (open index.html)"
