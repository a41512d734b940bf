#!/usr/bin/env bash
# Installs KALVOR with everything its tests need and runs every test:
# the C++ unit tests (ctest), the same tests under AddressSanitizer and
# UBSan (the file readers meet corrupted input there), then the Python and
# C interface tests (pytest).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install.sh

cmake -S . -B build/tests -G Ninja -DKALVOR_TESTS=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/tests -j2
ctest --test-dir build/tests --output-on-failure

cmake -S . -B build/asan -G Ninja -DKALVOR_TESTS=ON -DKALVOR_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/asan -j2 --target kalvor_tests
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  build/asan/tests/cpp/kalvor_tests --gtest_brief=1

KALVOR_BUILD_DIR="$PWD/build/tests" python3 -m pytest -q tests/python
