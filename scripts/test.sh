#!/usr/bin/env bash
# Builds Korvex and runs every test: the suite as built (GoogleTest, the C
# program against an installed tree, the Python module under pytest), then
# again under AddressSanitizer and UndefinedBehaviorSanitizer. Installs the
# Debian packages it needs first when they are missing (scripts/deps.sh),
# headless Chromium among them for the ladder diagram's test.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
korvex_need build tool test browser-test
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DKORVEX_SANITIZE=ON
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j "$jobs"
