#!/usr/bin/env bash
# Builds Korvex with its benchmarks (in build-bench/) and runs them: the
# micro benchmarks of bench/ (each decoder entry point summary only, with
# detail, with detail and hex trace; the trace reader alone; LoadTraceFile
# over the samples; the call tracker over a million LAPD frames), then `korvex replay` end to end over a million
# generated IPv4/TCP datagrams and a million LAPD frames carrying Q.931
# SETUP messages (scripts/bench_replay.py; the traces are written once, into
# build-bench/traces/), and selecting about 1% of the LAPD trace with --where
# against decoding it all (scripts/bench_select.py, which says whether it is
# at least 5 times faster; the full run fails when it is not). Installs the Debian packages it needs first when they
# are missing (scripts/deps.sh).
#
#   scripts/bench.sh            the full run (a few minutes the first time)
#   scripts/bench.sh --smoke    a few seconds: everything runs, briefly, on
#                               small traces; no figure means anything
#
# Any further arguments go to the micro benchmark program, e.g.
# --benchmark_filter=Lapd.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
korvex_need build tool bench

smoke=0
if [ "${1:-}" = "--smoke" ]; then
    smoke=1
    shift
fi

cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEX_BUILD_BENCH=ON \
      -DKORVEX_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc 2>/dev/null || echo 2)" --target korvex_bench korvex_tool >/dev/null

if [ "$smoke" = 1 ]; then
    build-bench/bench/korvex_bench --benchmark_min_time=0.002 "$@"
    python3 scripts/bench_replay.py --korvex build-bench/cli/korvex --frames 2000 --runs 1 \
            --dir build-bench/traces
    python3 scripts/bench_select.py --korvex build-bench/cli/korvex --frames 2000 --runs 1 \
            --dir build-bench/traces
else
    build-bench/bench/korvex_bench "$@"
    python3 scripts/bench_replay.py --korvex build-bench/cli/korvex --dir build-bench/traces
    python3 scripts/bench_select.py --korvex build-bench/cli/korvex --dir build-bench/traces --check
fi
