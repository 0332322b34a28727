#!/usr/bin/env bash
# Runs the Win32 demo viewer on Linux under Wine, in samples/ where its
# trace files are. Builds it with MinGW-w64 first when needed.
#
#   scripts/run-viewer.sh              build if needed, then run
#   BUILD_DIR=dir scripts/run-viewer.sh
#
# Installs the Debian packages it needs first when they are missing (the
# group viewer of scripts/deps.sh).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/scripts/deps.sh"
korvex_need viewer
BUILD="${BUILD_DIR:-$ROOT/build-mingw}"
EXE="$BUILD/viewer/korvex-viewer.exe"

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$BUILD" \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release \
        -DKORVEX_BUILD_VIEWER=ON -DKORVEX_BUILD_TESTS=OFF -DKORVEX_BUILD_TOOLS=OFF
fi
cmake --build "$BUILD" -j2 --target korvex_viewer

cd "$ROOT/samples"
export WINEDEBUG="${WINEDEBUG:--all}"
exec wine "$EXE"
