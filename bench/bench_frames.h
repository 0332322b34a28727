// Representative frames for the benchmarks, made the way
// scripts/make_bench_traces.py makes the large traces: IPv4 datagrams
// carrying TCP with varied addresses, ports, flags, options and payloads, and
// LAPD I frames carrying Q.931 SETUP messages with bearer capability,
// channel identification and calling and called party numbers. Each set is
// the same for the same count.
#pragma once

#include <vector>

namespace korvex::bench {

using Frames = std::vector<std::vector<unsigned char>>;

Frames TcpDatagrams(int count);

// Whole LAPD frames: address, control, the SETUP message, FCS.
Frames SetupFrames(int count);

// The SETUP messages alone, from the protocol discriminator on.
Frames SetupMessages(int count);

}  // namespace korvex::bench
