#!/usr/bin/env bash
# Installs KALVOR with everything its tests need (into .venv) and runs every
# test: the C++ unit tests and the C programs (ctest), the same under
# AddressSanitizer and UBSan together with the random-call fuzz test, then
# the Python tests against the module of the build tree.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install.sh
PY="$PWD/.venv/bin/python"
# ccache (installed above, used by CMake when present) shares objects between
# checkouts: paths below this folder are hashed relative to it.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
step() { printf '\n==> %s\n' "$*"; }

step "build (tests, C programs, Python module)"
cmake -S . -B build/tests -G Ninja -DKALVOR_TESTS=ON -DKALVOR_PYTHON=ON \
  -DPython_EXECUTABLE="$PY" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/tests -j2
step "C++ unit tests and C programs"
ctest --test-dir build/tests --output-on-failure

step "the same under AddressSanitizer and UBSan, and the fuzz test"
cmake -S . -B build/asan -G Ninja -DKALVOR_TESTS=ON -DKALVOR_PYTHON=ON -DKALVOR_SANITIZE=ON -DKALVOR_GTK=OFF \
  -DPython_EXECUTABLE="$PY" -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/asan -j2
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
ctest --test-dir build/asan --output-on-failure
# Python itself is not instrumented: the sanitizer runtime is preloaded (with
# the C++ runtime, so that it can intercept exceptions thrown by the library)
# and leak checking left to the C++ run above.
ASAN_OPTIONS=detect_leaks=0 \
  LD_PRELOAD="$(g++ -print-file-name=libasan.so) $(g++ -print-file-name=libstdc++.so)" \
  KALVOR_BUILD_DIR="$PWD/build/asan" "$PY" -m pytest -q -p no:cacheprovider tests/python/test_fuzz.py

step "Python tests"
KALVOR_BUILD_DIR="$PWD/build/tests" "$PY" -m pytest -q tests/python

step "the wheel (from build/<wheel tag>, which install.sh built), installed in a fresh venv, and the sdist"
bash tests/packaging/check_wheel.sh "$PY"
