#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang (cmake -DKORVEX_BUILD_FUZZ=ON, in
# build-fuzz/), replays every input of the committed regression corpora
# (fuzz/regressions/<harness>/), then fuzzes each harness for SECONDS
# seconds, one after the other in one process.
#
# Usage: scripts/fuzz.sh [SECONDS] [HARNESS...]
#   SECONDS   fuzzing time per harness (default 60; 0 replays the corpora only)
#   HARNESS   lapd lapf q931 x25 eth ip structured trace_reader load_trace hex_text (default: all)
#
# Each harness starts from the seeds written from the samples and the unit
# tests, the regression inputs and what earlier runs found
# (build-fuzz/corpus/<harness>/). Logs go to build-fuzz/logs/. An input that
# breaks a harness is saved in build-fuzz/findings/<harness>/ and the script
# ends with status 1; copy it to fuzz/regressions/<harness>/ with the fix.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
korvex_need build fuzz

seconds=${1:-60}
[[ $seconds =~ ^[0-9]+$ ]] || { echo "usage: scripts/fuzz.sh [SECONDS] [HARNESS...]" >&2; exit 2; }
shift || true
all=(lapd lapf q931 x25 eth ip structured trace_reader load_trace hex_text)
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=("${all[@]}")
for h in "${harnesses[@]}"; do
    [[ " ${all[*]} " == *" $h "* ]] || { echo "fuzz.sh: no harness '$h' (known: ${all[*]})" >&2; exit 2; }
done

out=build-fuzz
cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DKORVEX_BUILD_FUZZ=ON -DKORVEX_BUILD_TESTS=OFF -DKORVEX_BUILD_TOOLS=OFF >/dev/null
cmake --build "$out" --target fuzzers -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
rm -rf "$out/seeds"
"$out/fuzz/make_fuzz_seeds" . "$out/seeds"

# Longest input each harness makes: trace files need room for many frames.
max_len() {
    case $1 in
        trace_reader|load_trace) echo 32768 ;;
        *) echo 4096 ;;
    esac
}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:symbolize=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$out/logs"
failed=()
summary=()
for h in "${harnesses[@]}"; do
    fuzzer="$out/fuzz/fuzz_$h"
    regressions="fuzz/regressions/$h"
    corpus="$out/corpus/$h"
    findings="$out/findings/$h"
    log="$out/logs/$h.log"
    mkdir -p "$corpus" "$findings"
    common=(-max_len="$(max_len "$h")" -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$findings/")

    if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
        if ! "$fuzzer" "${common[@]}" -runs=0 "$regressions" >"$log.replay" 2>&1; then
            echo "fuzz.sh: $h: a regression input fails again (log: $log.replay)" >&2
            tail -n 30 "$log.replay" >&2
            failed+=("$h")
            summary+=("$h: a regression input FAILS (log $log.replay)")
            continue
        fi
    fi
    [ "$seconds" -gt 0 ] || { summary+=("$h: regression corpus replayed"); continue; }

    dirs=("$corpus" "$out/seeds/$h")  # new inputs go to the first
    [ -d "$regressions" ] && dirs+=("$regressions")
    if "$fuzzer" "${common[@]}" -max_total_time="$seconds" -print_final_stats=1 "${dirs[@]}" >"$log" 2>&1; then
        result=ok
    else
        result="FINDING (in $findings/, log $log)"
        failed+=("$h")
        tail -n 40 "$log" >&2
    fi
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    summary+=("$h: ${seconds} s, ${execs:-?} executions, $result")
done

printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz.sh: findings in: ${failed[*]}" >&2
    exit 1
fi
