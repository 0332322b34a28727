// Decoding speed: single frames through the LAPD/LAPF and Q.931 decoders, and
// a large hex trace through the streaming reader and the decoder together.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "korvex/korvex.h"
#include "replay/replay.h"
#include "replay/trace_reader.h"

namespace {

std::vector<std::vector<unsigned char>> RandomFrames(int count) {
    std::mt19937 rng(42);
    std::vector<std::vector<unsigned char>> frames;
    for (int i = 0; i < count; ++i) {
        std::vector<unsigned char> frame(5 + rng() % 60);
        for (unsigned char& o : frame) o = static_cast<unsigned char>(rng());
        frames.push_back(frame);
    }
    return frames;
}

using Frames = std::vector<std::vector<unsigned char>>;

void DecodeFrames(benchmark::State& state, int32_t (*entry)(DecodeRequest), uint32_t flags,
                  const Frames& frames = RandomFrames(1024)) {
    std::vector<char> out(65536);
    std::size_t i = 0;
    int64_t octets = 0;
    for (auto _ : state) {
        const auto& f = frames[i++ % frames.size()];
        DecodeRequest request{flags, "12:01.250", f.data(), out.data(), static_cast<int32_t>(f.size()),
                              static_cast<int32_t>(out.size())};
        benchmark::DoNotOptimize(entry(request));
        octets += static_cast<int64_t>(f.size());
    }
    state.SetBytesProcessed(octets);
}

void BM_LapdSummary(benchmark::State& s) { DecodeFrames(s, DecodeLapd, DECODE_SUMMARY); }
void BM_LapdDetailHex(benchmark::State& s) { DecodeFrames(s, DecodeLapd, DECODE_DETAIL | DECODE_HEX); }
void BM_LapfDetailHex(benchmark::State& s) { DecodeFrames(s, DecodeLapf, DECODE_DETAIL | DECODE_HEX); }
BENCHMARK(BM_LapdSummary);
BENCHMARK(BM_LapdDetailHex);
BENCHMARK(BM_LapfDetailHex);

// Call control messages: a real header (discriminator, one-octet call
// reference, message type) in front of elements with random contents, so
// that the element walk and the element decoders do the work.
Frames RandomCallControlMessages(int count) {
    std::mt19937 rng(931);
    std::vector<std::vector<unsigned char>> messages;
    for (int i = 0; i < count; ++i) {
        std::vector<unsigned char> message = {0x08, 0x01, static_cast<unsigned char>(rng()), 0x05};
        while (message.size() < 60) {
            const auto identifier = static_cast<unsigned char>(rng() % 0x80);
            const auto length = static_cast<unsigned char>(rng() % 12);
            message.push_back(identifier);
            message.push_back(length);
            for (int k = 0; k < length; ++k) message.push_back(static_cast<unsigned char>(rng()));
        }
        messages.push_back(message);
    }
    return messages;
}

void BM_Q931Summary(benchmark::State& s) {
    DecodeFrames(s, DecodeQ931, DECODE_SUMMARY, RandomCallControlMessages(1024));
}
void BM_Q931DetailHex(benchmark::State& s) {
    DecodeFrames(s, DecodeQ931, DECODE_DETAIL | DECODE_HEX, RandomCallControlMessages(1024));
}
BENCHMARK(BM_Q931Summary);
BENCHMARK(BM_Q931DetailHex);

std::string TraceText(int frames) {
    std::string text;
    char line[128];
    for (const auto& f : RandomFrames(frames)) {
        std::snprintf(line, sizeof line, "Frame                   12:01.250\nLength: %-11zuU\nOffset  Data\n", f.size());
        text += line;
        for (std::size_t o = 0; o < f.size(); o += 16) {
            text += "0000:";
            for (std::size_t k = o; k < f.size() && k < o + 16; ++k) {
                std::snprintf(line, sizeof line, " %02X", f[k]);
                text += line;
            }
            text += "  ................\n";
        }
        text += "\n";
    }
    return text;
}

void BM_ReplayTrace(benchmark::State& state) {
    const std::string text = TraceText(10000);
    std::vector<char> out;
    for (auto _ : state) {
        std::istringstream in(text);
        korvex::TraceReader reader(in);
        korvex::TraceFrame frame;
        int64_t characters = 0;
        while (reader.Next(frame)) {
            characters += korvex::DecodeWhole(DecodeLapd, DECODE_DETAIL | DECODE_HEX, frame.timestamp,
                                              frame.bytes, frame.length, out);
        }
        benchmark::DoNotOptimize(characters);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ReplayTrace)->Unit(benchmark::kMillisecond);

}  // namespace
