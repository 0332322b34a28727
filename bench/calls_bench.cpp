// Call records over a million frames: a D-channel trace of LAPD frames in
// which calls follow each other, several open at once (SETUP, CALL
// PROCEEDING, ALERTING, CONNECT, CONNECT ACK, INFORMATION, DISCONNECT,
// RELEASE, RELEASE COMPLETE, the link layer's RR frames between them, some
// SETUPs broadcast on the group TEI), the timestamps running on past the
// hour. The tracker takes every frame and hands out the records of the
// calls that end; only open calls are kept.
//
//   Calls/1000000   frames/s (items_per_second), the calls recorded, and
//                   at_least_1M: 1 when the slowest pass over the million
//                   frames took no more than a second, else 0.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "korvex/korvex.h"

namespace {

// All frames in one buffer: octets, and where each frame starts.
struct Trace {
    std::vector<unsigned char> octets;
    std::vector<uint32_t> starts;  // one more than frames: the end of the last
    std::vector<char> directions;
    std::vector<std::array<char, 12>> timestamps;
};

uint16_t Fcs(const unsigned char* p, std::size_t n) {
    uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int b = 0; b < 8; ++b) crc = (crc & 1) != 0 ? (crc >> 1) ^ 0x8408 : crc >> 1;
    }
    return crc ^ 0xFFFF;
}

class TraceMaker {
public:
    explicit TraceMaker(Trace& t) : t_(t) {}

    // An I frame on SAPI 0 (UI on TEI 127 when broadcast) with a Q.931 message.
    void Message(char side, int tei, bool broadcast, int cref, int flag, uint8_t type,
                 const std::vector<unsigned char>& elements) {
        std::vector<unsigned char> f;
        const int cr = side == 'U' ? 0 : 1;
        if (broadcast) {
            f = {static_cast<unsigned char>(cr << 1), 0xFF, 0x03};
        } else {
            f = {static_cast<unsigned char>(cr << 1), static_cast<unsigned char>(tei << 1 | 1),
                 static_cast<unsigned char>((ns_++ & 0x7F) << 1), static_cast<unsigned char>((nr_ & 0x7F) << 1)};
        }
        f.insert(f.end(), {0x08, 0x02, static_cast<unsigned char>(flag << 7 | cref >> 8),
                           static_cast<unsigned char>(cref & 0xFF), type});
        f.insert(f.end(), elements.begin(), elements.end());
        Add(side, f);
    }

    void ReceiverReady(char side, int tei) {
        Add(side, {static_cast<unsigned char>((side == 'U' ? 1 : 0) << 1), static_cast<unsigned char>(tei << 1 | 1),
                   0x01, static_cast<unsigned char>((nr_++ & 0x7F) << 1)});
    }

private:
    void Add(char side, std::vector<unsigned char> f) {
        const uint16_t fcs = Fcs(f.data(), f.size());
        f.push_back(static_cast<unsigned char>(fcs & 0xFF));
        f.push_back(static_cast<unsigned char>(fcs >> 8));
        t_.octets.insert(t_.octets.end(), f.begin(), f.end());
        t_.starts.push_back(static_cast<uint32_t>(t_.octets.size()));
        t_.directions.push_back(side);
        // 7 ms a frame: a million frames run for about two hours.
        ms_ += 7;
        char wide[32];
        const long inHour = ms_ % 3600000;
        std::snprintf(wide, sizeof wide, "%02ld:%02ld.%03ld", inHour / 60000, inHour / 1000 % 60, inHour % 1000);
        std::array<char, 12> text{};
        std::memcpy(text.data(), wide, 9);
        t_.timestamps.push_back(text);
    }

    Trace& t_;
    long ms_ = 0;
    int ns_ = 0;
    int nr_ = 0;
};

const Trace& MillionFrames() {
    static const Trace trace = [] {
        constexpr int kFrames = 1000000;
        Trace t;
        t.starts.push_back(0);
        TraceMaker m(t);
        const std::vector<unsigned char> setup = {0xA1, 0x04, 0x03, 0x80, 0x90, 0xA3, 0x18, 0x01, 0x83, 0x6C, 0x0B,
                                                  0x21, 0x81, '3', '0', '1', '2', '3', '4', '5', '6', '7',
                                                  0x70, 0x0C, 0x81, '0', '4', '0', '1', '2', '3', '4', '5', '6', '7', '8'};
        const std::vector<unsigned char> b1 = {0x18, 0x01, 0x89};
        const std::vector<unsigned char> cause = {0x08, 0x02, 0x80, 0x90};
        const std::vector<unsigned char> display = {0x28, 0x08, 'C', 'H', 'A', 'R', 'G', 'E', ' ', '1'};
        // Four calls run side by side, each a step further than the last.
        int cref = 1;
        while (static_cast<int>(t.starts.size()) <= kFrames) {
            for (int step = 0; step < 12 && static_cast<int>(t.starts.size()) <= kFrames; ++step) {
                for (int lane = 0; lane < 4 && static_cast<int>(t.starts.size()) <= kFrames; ++lane) {
                    const int c = (cref + lane) % 30000 + 1;
                    const int tei = 64 + lane;
                    const bool incoming = (c & 1) == 0;
                    const char caller = incoming ? 'N' : 'U';
                    const char called = incoming ? 'U' : 'N';
                    switch (step) {
                        case 0: m.Message(caller, tei, incoming, c, 0, 0x05, setup); break;
                        case 1: m.Message(called, tei, false, c, 1, 0x02, b1); break;
                        case 2: m.ReceiverReady(caller, tei); break;
                        case 3: m.Message(called, tei, false, c, 1, 0x01, {}); break;
                        case 4: m.Message(called, tei, false, c, 1, 0x07, {}); break;
                        case 5: m.Message(caller, tei, false, c, 0, 0x0F, {}); break;
                        case 6: m.ReceiverReady(called, tei); break;
                        case 7: m.Message('N', tei, false, c, incoming ? 0 : 1, 0x7B, display); break;
                        case 8: m.Message(caller, tei, false, c, 0, 0x45, cause); break;
                        case 9: m.Message(called, tei, false, c, 1, 0x4D, {}); break;
                        case 10: m.Message(caller, tei, false, c, 0, 0x5A, {}); break;
                        default: m.ReceiverReady(called, tei); break;
                    }
                }
            }
            cref += 4;
        }
        return t;
    }();
    return trace;
}

void Calls(benchmark::State& state) {
    const Trace& t = MillionFrames();
    const auto frames = static_cast<int64_t>(t.starts.size() - 1);
    int64_t calls = 0;
    int64_t complete = 0;
    double slowest = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        KorvexCallTracker* tracker = nullptr;
        KorvexCallsOpen(KORVEX_CALLS_LAPD, &tracker);
        KorvexCallRecord record;
        calls = complete = 0;
        for (int64_t i = 0; i < frames; ++i) {
            const auto first = static_cast<std::size_t>(t.starts[static_cast<std::size_t>(i)]);
            const auto length = static_cast<int32_t>(t.starts[static_cast<std::size_t>(i) + 1] - first);
            KorvexCallsFrame(tracker, t.timestamps[static_cast<std::size_t>(i)].data(),
                             t.directions[static_cast<std::size_t>(i)], t.octets.data() + first, length);
            while (KorvexCallsNext(tracker, &record) == 1) {
                ++calls;
                complete += record.begun != 0 && record.ended != 0 ? 1 : 0;
            }
        }
        KorvexCallsFinish(tracker);
        while (KorvexCallsNext(tracker, &record) == 1) ++calls;
        KorvexCallsClose(tracker);
        benchmark::DoNotOptimize(calls);
        slowest = std::max(slowest, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.SetItemsProcessed(state.iterations() * frames);
    state.counters["calls"] = static_cast<double>(calls);
    state.counters["complete"] = static_cast<double>(complete);
    state.counters["at_least_1M"] = static_cast<double>(frames) / slowest >= 1e6 ? 1 : 0;
    state.counters["frames_per_s"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(Calls)->Name("Calls/1000000")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
