#!/usr/bin/env bash
# Installs KALVOR and runs the demo gallery; the plots land in gallery/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install.sh
mkdir -p gallery
cd gallery
python3 ../examples/gallery.py
