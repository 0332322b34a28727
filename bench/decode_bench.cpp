// Decoding speed: single frames through the LAPD/LAPF, Q.931, X.25 (on their
// own and embedded), Ethernet and IPv4 decoders, and a large hex trace
// through the streaming reader and the decoder together.
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

using Frames = std::vector<std::vector<unsigned char>>;

Frames RandomFrames(int count) {
    std::mt19937 rng(42);
    Frames frames;
    for (int i = 0; i < count; ++i) {
        std::vector<unsigned char> frame(5 + rng() % 60);
        for (unsigned char& o : frame) o = static_cast<unsigned char>(rng());
        frames.push_back(frame);
    }
    return frames;
}

// An embedded decode has no timestamp.
void DecodeFrames(benchmark::State& state, const Frames& frames, int32_t (*entry)(DecodeRequest),
                  uint32_t flags) {
    const char* timestamp = (flags & DECODE_EMBEDDED) != 0 ? nullptr : "12:01.250";
    std::vector<char> out(65536);
    std::size_t i = 0;
    int64_t octets = 0;
    for (auto _ : state) {
        const auto& f = frames[i++ % frames.size()];
        DecodeRequest request{flags, timestamp, f.data(), out.data(), static_cast<int32_t>(f.size()),
                              static_cast<int32_t>(out.size())};
        benchmark::DoNotOptimize(entry(request));
        octets += static_cast<int64_t>(f.size());
    }
    state.SetBytesProcessed(octets);
}

void BM_LapdSummary(benchmark::State& s) { DecodeFrames(s, RandomFrames(1024), DecodeLapd, DECODE_SUMMARY); }
void BM_LapdDetailHex(benchmark::State& s) {
    DecodeFrames(s, RandomFrames(1024), DecodeLapd, DECODE_DETAIL | DECODE_HEX);
}
void BM_LapfDetailHex(benchmark::State& s) {
    DecodeFrames(s, RandomFrames(1024), DecodeLapf, DECODE_DETAIL | DECODE_HEX);
}
BENCHMARK(BM_LapdSummary);
BENCHMARK(BM_LapdDetailHex);
BENCHMARK(BM_LapfDetailHex);

// Random X.25 packets whose type octet cycles through the named types, so
// that every detail path is taken.
Frames X25Packets(int count) {
    const unsigned char types[] = {0x0B, 0x0F, 0x13, 0x17, 0x52, 0x23, 0x27, 0x21,
                                   0x25, 0x29, 0x1B, 0x1F, 0xFB, 0xFF, 0xF1};
    auto packets = RandomFrames(count);
    for (std::size_t i = 0; i < packets.size(); ++i) {
        packets[i][0] = static_cast<unsigned char>(0x10 | (packets[i][0] & 0x0F));
        packets[i][2] = types[i % sizeof types];
    }
    return packets;
}

void BM_X25Summary(benchmark::State& s) { DecodeFrames(s, X25Packets(1024), DecodeX25, DECODE_SUMMARY); }
void BM_X25DetailHex(benchmark::State& s) { DecodeFrames(s, X25Packets(1024), DecodeX25, DECODE_DETAIL | DECODE_HEX); }
void BM_X25Embedded(benchmark::State& s) {
    DecodeFrames(s, X25Packets(1024), DecodeX25, DECODE_DETAIL | DECODE_EMBEDDED);
}
BENCHMARK(BM_X25Summary);
BENCHMARK(BM_X25DetailHex);
BENCHMARK(BM_X25Embedded);

// Ethernet frames and IPv4 datagrams of 14 to 96 octets; every datagram
// carries ICMP, TCP or UDP, so that the transport lines are written too.
Frames LanFrames(bool datagrams) {
    std::mt19937 rng(43);
    const unsigned char protocols[] = {1, 6, 17};
    Frames frames;
    for (int i = 0; i < 1024; ++i) {
        std::vector<unsigned char> frame(14 + rng() % 83);
        for (unsigned char& o : frame) o = static_cast<unsigned char>(rng());
        if (datagrams) {
            frame[0] = 0x45;
            frame[9] = protocols[i % 3];
        }
        frames.push_back(frame);
    }
    return frames;
}

void BM_EthernetSummary(benchmark::State& s) { DecodeFrames(s, LanFrames(false), DecodeEthernet, DECODE_SUMMARY); }
void BM_EthernetDetailHex(benchmark::State& s) {
    DecodeFrames(s, LanFrames(false), DecodeEthernet, DECODE_DETAIL | DECODE_HEX);
}
void BM_IpSummary(benchmark::State& s) { DecodeFrames(s, LanFrames(true), DecodeIp, DECODE_SUMMARY); }
void BM_IpDetailHex(benchmark::State& s) { DecodeFrames(s, LanFrames(true), DecodeIp, DECODE_DETAIL | DECODE_HEX); }
BENCHMARK(BM_EthernetSummary);
BENCHMARK(BM_EthernetDetailHex);
BENCHMARK(BM_IpSummary);
BENCHMARK(BM_IpDetailHex);

// Call control messages: a real header (discriminator, one-octet call
// reference, message type) in front of elements with random contents, so
// that the element walk and the element decoders do the work.
Frames RandomCallControlMessages(int count) {
    std::mt19937 rng(931);
    Frames messages;
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
    DecodeFrames(s, RandomCallControlMessages(1024), DecodeQ931, DECODE_SUMMARY);
}
void BM_Q931DetailHex(benchmark::State& s) {
    DecodeFrames(s, RandomCallControlMessages(1024), DecodeQ931, DECODE_DETAIL | DECODE_HEX);
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

namespace {

// The reader alone: hex trace text in, frames out, nothing decoded.
void BM_TraceReaderOnly(benchmark::State& state) {
    const std::string text = TraceText(20000);
    for (auto _ : state) {
        std::istringstream in(text);
        korvex::TraceReader reader(in);
        korvex::TraceFrame frame;
        int64_t octets = 0;
        while (reader.Next(frame)) octets += frame.length;
        benchmark::DoNotOptimize(octets);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_TraceReaderOnly)->Unit(benchmark::kMillisecond);

}  // namespace
