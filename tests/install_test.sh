#!/usr/bin/env bash
# Installs a build tree into a temporary prefix and uses the installed tree
# as an outside project would: builds tests/c_interface_test.c against it through
# the CMake package and through pkg-config and runs both, runs the installed
# tool and imports the installed Python module. Then moves the whole prefix
# elsewhere and does it again, since the installed tree finds itself.
#
# Usage: install_test.sh BUILD_DIR SOURCE_DIR C_COMPILER [C_FLAGS]
set -euo pipefail
build=$1
source=$2
cc=$3
cflags=${4:-}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "install_test: FAILED: $*" >&2
    exit 1
}
step() { echo "install_test: $*"; }

cmake --install "$build" --prefix "$work/first" >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install"; }

# The installed tree, wherever GNUInstallDirs put its parts.
locate() { # prefix, file name -> its directory
    local found
    found=$(find "$1" -name "$2" -print -quit)
    [ -n "$found" ] || fail "$2 was not installed under $1"
    dirname "$found"
}

check_tree() { # prefix, label
    local prefix=$1 label=$2
    local libdir pcdir pydir
    libdir=$(locate "$prefix" libkorvex.so.1)
    pcdir=$(locate "$prefix" korvex.pc)
    pydir=$(locate "$prefix" __init__.py)
    for file in include/korvex/korvex.h bin/korvex; do
        [ -f "$prefix/$file" ] || fail "$file is missing from the installed tree"
    done
    for file in libkorvex.a libkorvex.so libkorvex.so.1; do
        [ -e "$libdir/$file" ] || fail "$file is missing from $libdir"
    done
    [ -f "$(locate "$prefix" korvexConfig.cmake)/korvexConfigVersion.cmake" ] || fail "no package version file"

    step "$label: find_package(korvex CONFIG)"
    cmake -S "$source/tests/consumer" -B "$work/$label-cmake" -DCMAKE_PREFIX_PATH="$prefix" \
        -DCMAKE_C_COMPILER="$cc" -DCMAKE_C_FLAGS="$cflags" \
        -DKORVEX_CONSUMER_SOURCE="$source/tests/c_interface_test.c" >"$work/$label-cmake.log" 2>&1 ||
        { cat "$work/$label-cmake.log"; fail "configuring the consumer with find_package"; }
    cmake --build "$work/$label-cmake" >>"$work/$label-cmake.log" 2>&1 ||
        { cat "$work/$label-cmake.log"; fail "building the consumer with find_package"; }
    "$work/$label-cmake/consumer" "$source/samples/lapd.txt" || fail "the find_package consumer"
    local libraries
    libraries=$(ldd "$work/$label-cmake/consumer")
    [[ $libraries == *"$libdir/libkorvex.so.1"* ]] ||
        fail "the find_package consumer does not use $libdir/libkorvex.so.1: $libraries"

    step "$label: pkg-config korvex"
    local flags
    flags=$(PKG_CONFIG_PATH="$pcdir" pkg-config --cflags --libs korvex) || fail "pkg-config korvex"
    # shellcheck disable=SC2086 # the flags are words
    "$cc" $cflags "$source/tests/c_interface_test.c" $flags -o "$work/$label-pc-consumer" || fail "building with pkg-config"
    LD_LIBRARY_PATH="$libdir" "$work/$label-pc-consumer" "$source/samples/lapd.txt" || fail "the pkg-config consumer"

    step "$label: the installed tool"
    local text
    text=$("$prefix/bin/korvex" decode lapd 028101071a2b)
    [[ $text == "00:00.000  SAPI 000 TEI 064"* ]] || fail "korvex decode printed: $text"

    if [ -z "$cflags" ]; then
        step "$label: the installed Python module"
        local loaded
        loaded=$(env -u KORVEX_LIBRARY -u LD_LIBRARY_PATH PYTHONPATH="$(dirname "$pydir")" PYTHONDONTWRITEBYTECODE=1 \
            python3 -c 'import korvex; print(korvex.library_path()); print(korvex.decode("lapd", b"\x02\x81\x01\x07\x1a\x2b"), end="")') ||
            fail "the installed Python module"
        [ "$(realpath "$(head -n1 <<<"$loaded")")" = "$(realpath "$libdir/libkorvex.so.1")" ] ||
            fail "the Python module loaded $(head -n1 <<<"$loaded"), not the installed library"
        [[ $(tail -n1 <<<"$loaded") == "00:00.000  SAPI 000 TEI 064"* ]] || fail "Python decode gave: $loaded"
    fi
}

check_tree "$work/first" installed
mv "$work/first" "$work/moved"
check_tree "$work/moved" moved
echo "install_test: 2 passed, 0 failed"
