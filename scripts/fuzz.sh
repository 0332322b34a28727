#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while.
# Usage: scripts/fuzz.sh [SECONDS]   (installs clang first when it is missing)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
korvex_need fuzz
seconds=${1:-60}
out=build-fuzz
mkdir -p "$out"
sources=(core/output.cpp core/value_names.cpp decoders/tables.cpp decoders/link/lapd.cpp decoders/link/lapf_address.cpp
         decoders/link/layer3.cpp decoders/x25/x25.cpp decoders/inet/ethernet.cpp decoders/inet/ethertype.cpp
         decoders/inet/ip.cpp decoders/inet/ports.cpp decoders/inet/tcp.cpp decoders/inet/udp.cpp decoders/inet/icmp.cpp
         decoders/q931/q931.cpp decoders/q931/ie_bearer.cpp decoders/q931/ie_cause.cpp
         decoders/q931/ie_channel.cpp decoders/q931/ie_party.cpp decoders/q931/ie_other.cpp
         replay/trace_reader.cpp replay/line_store.cpp replay/replay.cpp)
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -Iinclude -I.)
clang++ "${flags[@]}" fuzz/decode_fuzzer.cpp "${sources[@]}" -o "$out/decode_fuzzer"
clang++ "${flags[@]}" -DKORVEX_FUZZ_TRACE_READER fuzz/decode_fuzzer.cpp "${sources[@]}" -o "$out/trace_reader_fuzzer"
mkdir -p "$out/corpus-decode" "$out/corpus-trace"
cp samples/*.txt "$out/corpus-trace/"
"$out/decode_fuzzer" -max_total_time="$seconds" -max_len=128 "$out/corpus-decode"
"$out/trace_reader_fuzzer" -max_total_time="$seconds" "$out/corpus-trace"
