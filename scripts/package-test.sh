#!/usr/bin/env bash
# Builds the Debian packages (scripts/packages.sh) and uses them as a user
# would, counting each check:
#   - lintian finds no error and no warning in them; their names, versions
#     (the project's and the changelog's) and dependencies;
#   - unpacked with dpkg -x into a throwaway root: the tool's version, the
#     man page through man -l, the bash completion, a C program built
#     through pkg-config and through the CMake package, and the Python module
#     pip-installed into a fresh virtual environment (no package index) with
#     its tests run against the unpacked library; mypy on the module and on
#     a program using it;
#   - with --system (as root, on a machine that may be changed): installed
#     with apt-get install ./*.deb, used from the system's own places
#     (man, pkg-config, find_package, the loader, bash-completion), then
#     removed again, leaving nothing behind.
# Installs the Debian packages it needs first (scripts/deps.sh).
#
# Usage: scripts/package-test.sh [--system]
set -uo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
system=0
case "${1:-}" in
    --system) system=1 ;;
    "") ;;
    *) echo "usage: scripts/package-test.sh [--system]" >&2; exit 2 ;;
esac
if [ "$system" = 1 ] && [ "$(id -u)" -ne 0 ]; then
    echo "package-test: --system installs the packages with apt-get: run it as root" >&2
    exit 2
fi
source scripts/deps.sh
korvex_need build tool package package-test

work=$(mktemp -d)
debs=$work/debs
source tests/checks.sh
installed=0
cleanup() {
    if [ "$installed" = 1 ]; then
        DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq korvex libkorvex-dev libkorvex1 >/dev/null 2>&1
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail_now() {
    echo "package-test: $*" >&2
    echo "package-test: $passed passed, $((failed + 1)) failed"
    exit 1
}
equal() { [ "$1" = "$2" ] || { echo "  got:      $1" >&2; echo "  expected: $2" >&2; false; }; }
matches() { [[ $1 =~ $2 ]] || { echo "  got: $1" >&2; echo "  not matching: $2" >&2; false; }; }
step() { echo "package-test: $*"; }
apt() { # apt-get's command and arguments; its output shown when it fails
    DEBIAN_FRONTEND=noninteractive apt-get "$1" -y -qq "${@:2}" >"$work/apt.log" 2>&1 ||
        { cat "$work/apt.log" >&2; false; }
}

step "building the packages"
scripts/packages.sh "$debs" >"$work/build.log" 2>&1 || { cat "$work/build.log"; fail_now "scripts/packages.sh failed"; }
version=$(sed -n 's/^project(korvex VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || fail_now "no project version in CMakeLists.txt"
arch=$(dpkg --print-architecture)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
frame=028101071a2b
frame_text="00:00.000  SAPI 000 TEI 064  CR 1  S   NS ---  NR 003  P/F 1  RR     FCS 1a2b"

# --- The packages as files -------------------------------------------------
step "lintian"
check "lintian: no error, no warning" lintian --fail-on error,warning --tag-display-limit 0 "$debs"/*.deb
check "the changelog's version is the project's" \
    equal "$(dpkg-parsechangelog -l packaging/changelog -S Version)" "$version"
# package | control field | what it must match
while IFS='|' read -r package field pattern; do
    deb=$debs/${package}_${version}_${arch}.deb
    if [ ! -f "$deb" ]; then
        check "$deb was built" false
        continue
    fi
    check "$package $field" matches "$(dpkg-deb -f "$deb" "$field")" "$pattern"
done <<EOF
libkorvex1|Version|^${version//./\\.}$
libkorvex1|Section|^libs$
libkorvex1|Depends|libc6 \(>= [0-9.]+\).*libstdc\+\+6 \(>= [0-9.]+\)
libkorvex-dev|Section|^libdevel$
libkorvex-dev|Depends|^libkorvex1 \(= ${version//./\\.}\)$
korvex|Version|^${version//./\\.}$
korvex|Depends|libc6 \(>= [0-9.]+\).*libpcap0\.8 \(>= [0-9.]+\)
EOF
check "libkorvex1 triggers ldconfig and has no maintainer scripts" equal \
    "$(dpkg-deb --ctrl-tarfile "$debs/libkorvex1_${version}_${arch}.deb" | tar -t | sort | paste -sd ' ')" \
    "./ ./control ./md5sums ./shlibs ./triggers"
check "libkorvex1's shlibs" equal \
    "$(dpkg-deb --ctrl-tarfile "$debs/libkorvex1_${version}_${arch}.deb" | tar -xO ./shlibs)" \
    "libkorvex 1 libkorvex1 (>= $version)"

# --- Unpacked into a throwaway root ------------------------------------------
step "dpkg -x into a throwaway root"
root=$work/root
for deb in "$debs"/*.deb; do
    dpkg -x "$deb" "$root" || fail_now "dpkg -x $deb"
done
libdir=$root/usr/lib/$multiarch
tool=$root/usr/bin/korvex
check "korvex --version from the root" equal "$("$tool" --version)" "korvex $version"
check "korvex decode from the root" matches "$("$tool" decode lapd $frame)" "^$frame_text"
check "the man page (man -l)" tests/man_page_test.sh "$root/usr/share/man/man1/korvex.1.gz" "$tool"
check "the bash completion" tests/completion_test.sh "$root/usr/share/bash-completion/completions/korvex" "$tool"

c_consumer() { # label, library path to run it with ('' for none), compile flags and libraries...
    local label=$1 path=$2
    shift 2
    # shellcheck disable=SC2068 # the flags are words
    cc tests/c_interface_test.c $@ -o "$work/$label" &&
        LD_LIBRARY_PATH=$path "$work/$label" samples/lapd.txt >/dev/null
}
flags=$(PKG_CONFIG_PATH=$libdir/pkgconfig pkg-config --cflags --libs korvex)
# korvex.pc finds its prefix from its own place: the root's directories.
pc_dirs() {
    local word
    for word in $flags; do
        case $word in
            -I*) realpath "${word#-I}" ;;
            -L*) realpath "${word#-L}" ;;
            *) echo "$word" ;;
        esac
    done | paste -sd ' '
}
check "pkg-config gives the root's header and library: $flags" equal "$(pc_dirs)" "$root/usr/include $libdir -lkorvex"
check "a C program through pkg-config against the root" c_consumer pc-root "$libdir" $flags
check "it loads the root's library" matches "$(LD_LIBRARY_PATH=$libdir ldd "$work/pc-root")" \
    "libkorvex\.so\.1 => $libdir/libkorvex\.so\.1 "
cmake_consumer() { # label, cmake arguments...
    local label=$1
    shift
    cmake -S tests/consumer -B "$work/$label" -DKORVEX_CONSUMER_SOURCE="$repo/tests/c_interface_test.c" "$@" \
        >"$work/$label.log" 2>&1 && cmake --build "$work/$label" >>"$work/$label.log" 2>&1 &&
        "$work/$label/consumer" samples/lapd.txt >/dev/null || { cat "$work/$label.log" >&2; false; }
}
check "a C program through find_package(korvex) against the root" \
    cmake_consumer cmake-root -DCMAKE_PREFIX_PATH="$root/usr"

step "the Python module, pip-installed into a fresh virtual environment"
venv=$work/venv
mkdir -p "$work/src"
cp -r python "$work/src/python"
rm -rf "$work/src/python/build" "$work/src/python"/*.egg-info
find "$work/src/python" -name __pycache__ -prune -exec rm -rf {} +
# Debian's interpreter with Debian's setuptools and wheel: no package index.
/usr/bin/python3 -m venv --system-site-packages "$venv" || fail_now "python3 -m venv"
check "pip install --no-build-isolation ./python" \
    "$venv/bin/python" -m pip install -q --no-index --no-build-isolation "$work/src/python"
check "korvex.__version__" equal "$(cd "$work" && "$venv/bin/python" -c 'import korvex; print(korvex.__version__)')" "$version"
# (With KORVEX_LIBRARY set, the module loads that library or none.)
check "the module's tests against the installed module and the root's library" env -C "$work" \
    KORVEX_TEST_INSTALLED=1 KORVEX_LIBRARY="$libdir" KORVEX_TOOL="$tool" KORVEX_SAMPLES="$repo/samples" \
    PYTHONDONTWRITEBYTECODE=1 "$venv/bin/python" -m pytest -q -p no:cacheprovider "$repo/python/tests"

step "mypy"
check "mypy on the module" mypy --config-file python/pyproject.toml --cache-dir "$work/mypy-cache" python/korvex
# A program using the installed module: mypy reads its hints (py.typed), so
# the good program passes and the wrong one is caught.
cat >"$work/good.py" <<'EOF'
import korvex

text: str = korvex.decode("lapd", b"\x02\x81\x01\x07\x1a\x2b", detail=True)
names: list[str] = korvex.protocols()
with korvex.read_trace("samples/lapd.txt") as frames:
    stamps: list[str] = [frame.timestamp for frame in frames]
    octets: list[bytes] = [frame.data for frame in frames]
version: str = korvex.__version__
EOF
cat >"$work/wrong.py" <<'EOF'
import korvex

count: int = korvex.decode("lapd", b"\x02")
EOF
mypy_on() { mypy --strict --python-executable "$venv/bin/python" --cache-dir "$work/mypy-cache" "$@"; }
check "mypy --strict on a program using the installed module" mypy_on "$work/good.py"
wrong=$(cd "$work" && mypy_on "$work/wrong.py" 2>&1)
check "mypy catches a wrong type from the module" matches "$wrong" \
    'Incompatible types in assignment \(expression has type "str", variable has type "int"\)'

# --- Installed on the system -------------------------------------------------
if [ "$system" = 1 ]; then
    step "apt-get install ./*.deb"
    for package in korvex libkorvex-dev libkorvex1; do
        if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed'; then
            fail_now "$package is installed already: remove it first (this test would remove it)"
        fi
    done
    installed=1
    check "apt-get install ./*.deb" apt install "$debs"/*.deb
    check "korvex --version from PATH" equal "$(cd / && env -i PATH=/usr/bin:/bin korvex --version)" "korvex $version"
    if [ -f /usr/share/man/man1/korvex.1.gz ]; then
        check "man finds the page" equal "$(man -w korvex)" /usr/share/man/man1/korvex.1.gz
        check "man korvex" matches "$(MANWIDTH=80 man korvex 2>&1)" "korvex decode \[OPTIONS\] PROTOCOL"
    else
        echo "package-test: dpkg left out /usr/share/man here (path-exclude): the page is not checked" >&2
    fi
    check "bash-completion loads the completion" matches "$(bash -c \
        'source /usr/share/bash-completion/bash_completion; _completion_loader korvex; complete -p korvex')" \
        "^complete -F _korvex korvex$"
    flags=$(pkg-config --cflags --libs korvex)
    check "a C program through the system's pkg-config" c_consumer pc-system "" $flags
    check "it loads the system's library" matches "$(ldd "$work/pc-system")" \
        "libkorvex\.so\.1 => (/usr)?/lib/$multiarch/libkorvex\.so\.1 "
    check "a C program through the system's find_package(korvex)" cmake_consumer cmake-system
    check "the module finds the system's library through the loader" equal \
        "$(cd "$work" && env -u KORVEX_LIBRARY -u LD_LIBRARY_PATH "$venv/bin/python" -c \
            'import korvex; print(korvex.library_path(), korvex.decode("lapd", bytes.fromhex("'$frame'"))[:9])')" \
        "libkorvex.so.1 00:00.000"

    step "apt-get purge"
    check "apt-get purge" apt purge korvex libkorvex-dev libkorvex1
    installed=0
    for path in /usr/bin/korvex /usr/include/korvex /usr/lib/"$multiarch"/libkorvex.so.1 \
        /usr/lib/"$multiarch"/pkgconfig/korvex.pc /usr/share/doc/libkorvex1 \
        /usr/share/bash-completion/completions/korvex /usr/share/man/man1/korvex.1.gz; do
        check "$path is gone" test ! -e "$path"
    done
    check "the loader forgot the library" test -z "$(ldconfig -p | grep libkorvex)"
fi

checks_done package-test
