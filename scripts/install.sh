#!/usr/bin/env bash
# Installs what building and testing KALVOR needs, then the package itself.
set -euo pipefail
cd "$(dirname "$0")/.."

APT_PACKAGES=(g++ cmake ninja-build zlib1g-dev libgtest-dev ghostscript qpdf poppler-utils
              librsvg2-bin libxml2-utils libtiff-tools)
missing=()
for p in "${APT_PACKAGES[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi

python3 -m pip install -q --upgrade "scikit-build-core>=0.8" pytest numpy Pillow
python3 -m pip install -q --no-build-isolation .
