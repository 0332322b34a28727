#!/usr/bin/env bash
# Builds the Debian packages libkorvex1, libkorvex-dev and korvex with CPack's
# DEB generator (cmake/packaging.cmake) in build-deb/: installed to /usr,
# with Debian's build flags and hardening, stripped. The packages are left
# in OUT_DIR (default build-deb/packages). Installs the Debian packages it
# needs first (scripts/deps.sh).
#
# Usage: scripts/packages.sh [OUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
korvex_need build tool package
out=${1:-build-deb/packages}
build=build-deb
jobs=$(nproc 2>/dev/null || echo 2)

# The man page is dated by the last commit, so that a build of the same
# sources gives the same page.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || date +%s)
    export SOURCE_DATE_EPOCH
fi
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DKORVEX_BUILD_TESTS=OFF -DKORVEX_BUILD_TOOLS=ON \
      -DCMAKE_C_FLAGS="$CFLAGS $CPPFLAGS" -DCMAKE_CXX_FLAGS="$CXXFLAGS $CPPFLAGS" \
      -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" -DCMAKE_SHARED_LINKER_FLAGS="$LDFLAGS" >/dev/null
cmake --build "$build" -j "$jobs" >/dev/null

rm -rf "$build/_CPack_Packages" "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null)
mkdir -p "$out"
for deb in "$build"/*.deb; do
    rm -f "$out/$(basename "$deb")"
    mv "$deb" "$out/"
    echo "$out/$(basename "$deb")"
done
