#!/usr/bin/env bash
# Installs KALVOR with everything its tests need and runs every test:
# the C++ unit tests (ctest), then the Python and C interface tests (pytest).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install.sh

cmake -S . -B build/tests -G Ninja -DKALVOR_TESTS=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/tests -j2
ctest --test-dir build/tests --output-on-failure
KALVOR_BUILD_DIR="$PWD/build/tests" python3 -m pytest -q tests/python
