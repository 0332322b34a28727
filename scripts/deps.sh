# The Debian packages each part of the work needs: the one list, sourced by
# the scripts. `korvex_need GROUP...` installs the packages of the groups
# that are missing (as root, or through sudo), or stops with the apt-get
# line to run. With KORVEX_NO_INSTALL=1 it never installs, only stops.
# A new need is one word on its group's line, a new group one line.

declare -A KORVEX_PACKAGES=(
    [build]="cmake g++ make"
    [tool]="libcli11-dev libpcap-dev zlib1g-dev"
    [test]="libgtest-dev libgmock-dev python3 python3-pytest python3-venv pkg-config binutils help2man man-db mypy"
    [package]="dpkg-dev file binutils gzip help2man"
    [package-test]="lintian man-db mypy bash-completion gcc pkg-config python3 python3-venv python3-setuptools python3-wheel python3-pytest"
    [fuzz]="clang libclang-rt-14-dev"
    [bench]="libbenchmark-dev python3 time"
    [viewer]="cmake g++-mingw-w64-x86-64 python3 wine wine64 fonts-wine"
    [viewer-check]="xvfb xdotool imagemagick"
    [browser-test]="chromium chromium-driver python3-selenium"
)

korvex_need() {
    local group word
    local -a wanted=() missing=()
    for group in "$@"; do
        if [[ ! -v KORVEX_PACKAGES[$group] ]]; then
            echo "deps.sh: no package group '$group' (known: ${!KORVEX_PACKAGES[*]})" >&2
            exit 2
        fi
        for word in ${KORVEX_PACKAGES[$group]}; do
            [[ " ${wanted[*]} " == *" $word "* ]] || wanted+=("$word")
        done
    done
    if ! command -v dpkg-query >/dev/null; then
        echo "deps.sh: no dpkg-query here, so the packages are not checked; needed: ${wanted[*]}" >&2
        return 0
    fi
    for word in "${wanted[@]}"; do
        [[ $(dpkg-query -W -f='${Status}' "$word" 2>/dev/null) == "install ok installed" ]] || missing+=("$word")
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local line="apt-get install ${missing[*]}"
    local -a as_root=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null && as_root=(sudo)
    fi
    if [ "${KORVEX_NO_INSTALL:-0}" = 1 ] || { [ "$(id -u)" -ne 0 ] && [ ${#as_root[@]} -eq 0 ]; }; then
        echo "Missing Debian packages: ${missing[*]}. Install them as root with:" >&2
        echo "    $line" >&2
        exit 1
    fi
    echo "Installing the missing Debian packages: ${missing[*]}" >&2
    if ! "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq ||
        ! "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null; then
        echo "Could not install them. Install them as root with:" >&2
        echo "    $line" >&2
        exit 1
    fi
}
