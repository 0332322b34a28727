#!/usr/bin/env bash
# scripts/deps.sh with stand-ins for dpkg-query, apt-get, sudo and id: which
# packages it installs, how, and the line it stops with when it cannot.
#
# Usage: deps_test.sh SOURCE_DIR
set -uo pipefail
deps="$1/scripts/deps.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin"

# dpkg-query reports the packages listed in $work/installed; apt-get and
# sudo log their calls; apt-get fails when $work/apt-fails exists; id -u
# answers $FAKE_UID.
cat >"$work/bin/dpkg-query" <<'STUB'
#!/usr/bin/env bash
grep -qx "${@: -1}" "$WORK/installed" && printf 'install ok installed' || exit 1
STUB
cat >"$work/bin/apt-get" <<'STUB'
#!/usr/bin/env bash
echo "apt-get $* (as ${AS:-self})" >>"$WORK/log"
[ ! -e "$WORK/apt-fails" ]
STUB
cat >"$work/bin/sudo" <<'STUB'
#!/usr/bin/env bash
AS=root "$@"
STUB
cat >"$work/bin/id" <<'STUB'
#!/usr/bin/env bash
echo "$FAKE_UID"
STUB
chmod +x "$work/bin/"*

passed=0
failed=0
# name | groups | installed packages | uid | sudo? | apt fails? | no-install? | status | calls logged | message
run_case() {
    local name=$1 groups=$2 installed=$3 uid=$4 sudo=$5 aptfails=$6 noinstall=$7 status=$8 log=$9 message=${10}
    printf '%s\n' $installed >"$work/installed"
    : >"$work/log"
    rm -f "$work/apt-fails"
    [ "$aptfails" = yes ] && touch "$work/apt-fails"
    local path="$work/bin"
    if [ "$sudo" = no ]; then
        mkdir -p "$work/nosudo" && cp "$work/bin/dpkg-query" "$work/bin/apt-get" "$work/bin/id" "$work/nosudo/"
        path="$work/nosudo"
    fi
    local out got
    out=$(env -i PATH="$path:/usr/bin:/bin" WORK="$work" FAKE_UID="$uid" KORVEX_NO_INSTALL="$noinstall" \
        bash -c "source '$deps'; korvex_need $groups; echo done" 2>&1)
    got=$?
    local calls
    calls=$(tr '\n' '|' <"$work/log")
    if [ "$got" = "$status" ] && [ "$calls" = "$log" ] && [[ $out == *"$message"* ]]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        printf 'FAILED %s: status %s (want %s), calls "%s" (want "%s"), output:\n%s\n' \
            "$name" "$got" "$status" "$calls" "$log" "$out" >&2
    fi
}

all="cmake g++ make libcli11-dev libpcap-dev zlib1g-dev"
run_case "all there: nothing installed" "build tool" "$all" 0 yes no 0 0 "" "done"
run_case "root installs the missing ones" "build tool" "cmake make" 0 yes no 0 0 \
    "apt-get update -qq (as self)|apt-get install -y -qq g++ libcli11-dev libpcap-dev zlib1g-dev (as self)|" "Installing the missing Debian packages: g++ libcli11-dev libpcap-dev zlib1g-dev"
run_case "a package of two groups is asked for once" "build viewer" "make" 0 yes no 0 0 \
    "apt-get update -qq (as self)|apt-get install -y -qq cmake g++ g++-mingw-w64-x86-64 python3 wine wine64 fonts-wine (as self)|" "done"
run_case "a user goes through sudo" "tool" "" 1000 yes no 0 0 \
    "apt-get update -qq (as root)|apt-get install -y -qq libcli11-dev libpcap-dev zlib1g-dev (as root)|" "done"
run_case "a user without sudo gets the line" "build" "cmake" 1000 no no 0 1 "" \
    "Install them as root with:
    apt-get install g++ make"
run_case "a failed install gives the line" "tool" "" 0 yes yes 0 1 "apt-get update -qq (as self)|" \
    "Could not install them. Install them as root with:
    apt-get install libcli11-dev libpcap-dev zlib1g-dev"
run_case "KORVEX_NO_INSTALL only reports" "build" "" 0 yes no 1 1 "" "    apt-get install cmake g++ make"
run_case "an unknown group" "build nonsense" "$all" 0 yes no 0 2 "" "no package group 'nonsense'"

echo "deps_test: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
