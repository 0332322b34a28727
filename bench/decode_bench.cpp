// Decoding speed. Every figure comes with frames/s (items_per_second) and,
// where text is written, characters of text/s (bytes_per_second):
//
//   Decode/<entry>/<frames>/<level>  one entry point over a set of frames,
//       summary only, with the detail block (and the layer-3 hand-off for
//       LAPD and LAPF), and with the detail block and the hex trace. The
//       entry points and their frame sets come from the library's protocol
//       table: each protocol's sample trace and example frames, random
//       octets (damaged input), and for some IPv4/TCP datagrams, LAPD I
//       frames carrying Q.931 SETUP messages or the messages alone, as
//       bench_frames.h makes them.
//   TraceReader/<frames>             the hex trace reader alone over the text
//       of 20000 such frames; bytes_per_second is trace text read.
//   LoadTraceFile/<sample>/<level>   the viewer's load of a sample file.
//   ReplayTrace/<frames>             reader and decoder together into one
//       buffer, as korvex replay does without its output.
#include <benchmark/benchmark.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_frames.h"
#include "decoders/protocols.h"
#include "korvex/korvex.h"
#include "replay/replay.h"
#include "replay/trace_reader.h"
#include "replay/trace_writer.h"

namespace {

using korvex::bench::Frames;

std::string SamplePath(const char* name) { return std::string(KORVEX_SAMPLES_DIR) + "/" + name; }

// The frames of a hex trace file, as the reader hands them out.
Frames ReadTraceFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    korvex::TraceReader reader(in);
    korvex::TraceFrame frame;
    Frames frames;
    while (reader.Next(frame)) frames.emplace_back(frame.bytes, frame.bytes + frame.length);
    return frames;
}

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

// Decodes the frames one after another into one buffer.
void DecodeFrames(benchmark::State& state, const Frames& frames, KorvexDecoder entry, uint32_t flags) {
    const char* timestamp = (flags & DECODE_EMBEDDED) != 0 ? nullptr : "12:01.250";
    std::vector<char> out(1 << 16);
    std::size_t i = 0;
    int64_t characters = 0;
    for (auto _ : state) {
        const auto& f = frames[i];
        if (++i == frames.size()) i = 0;
        DecodeRequest request{flags, timestamp, f.data(), out.data(), static_cast<int32_t>(f.size()),
                              static_cast<int32_t>(out.size())};
        const int32_t n = entry(request);
        benchmark::DoNotOptimize(n);
        characters += n;
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    state.SetBytesProcessed(characters);
}

struct FrameSet {
    const char* name;
    Frames frames;
};

struct Entry {
    std::string name;
    KorvexDecoder decoder;
    uint32_t extraFlags;       // DECODE_EMBEDDED for the embedded X.25 packet
    bool layer3;               // the detail level adds DECODE_LAYER3
    std::vector<FrameSet> sets;
};

// The sets made like the generated traces, beside the table's own.
struct GeneratedSet {
    const char* protocol;
    const char* name;
    Frames (*make)(int count);
};
constexpr GeneratedSet kGeneratedSets[] = {
    {"lapd", "setup", korvex::bench::SetupFrames},
    {"q931", "setup", korvex::bench::SetupMessages},
    {"ip", "tcp", korvex::bench::TcpDatagrams},
};

std::vector<Entry> Entries() {
    std::vector<Entry> entries;
    for (const korvex::Protocol& p : korvex::Protocols()) {
        Frames examples;
        for (const korvex::ExampleFrame& example : p.examples) examples.push_back(korvex::ExampleOctets(example));
        Entry entry{p.name, p.decoder, 0, (p.flags & DECODE_LAYER3) != 0, {}};
        entry.sets.push_back({"sample", ReadTraceFile(SamplePath(p.sample))});
        entry.sets.push_back({"examples", examples});
        for (const GeneratedSet& generated : kGeneratedSets) {
            if (entry.name == generated.protocol) entry.sets.push_back({generated.name, generated.make(1024)});
        }
        entry.sets.push_back({"random", RandomFrames(1024)});
        entries.push_back(entry);
        if ((p.flags & DECODE_EMBEDDED) != 0) {
            // Its text as another protocol's detail block holds it.
            entries.push_back({entry.name + "-embedded", p.decoder, DECODE_EMBEDDED, false,
                               {entry.sets[0], entry.sets[1]}});
        }
    }
    return entries;
}

// A stream over text in memory, read in place (an istringstream would copy
// the whole text first).
class TextBuffer : public std::streambuf {
public:
    explicit TextBuffer(const std::string& text) {
        char* start = const_cast<char*>(text.data());
        setg(start, start, start + text.size());
    }
};

// The text of frames as a hex trace file.
std::string TraceText(const Frames& frames) {
    std::ostringstream text;
    korvex::TraceWriter writer(text);
    int i = 0;
    for (const auto& f : frames) {
        writer.Write("12:01.250", (++i & 1) != 0 ? 'U' : 'N', f.data(), static_cast<int32_t>(f.size()));
    }
    return text.str();
}

// The frames of text through the reader, and through decoder as well when
// one is given. bytes_per_second counts the trace text read, or with a
// decoder the text it wrote.
void ReadTrace(benchmark::State& state, const std::string& text, KorvexDecoder decoder = nullptr,
               uint32_t flags = 0) {
    std::vector<char> out;
    int64_t frames = 0;
    int64_t characters = 0;
    for (auto _ : state) {
        TextBuffer buffer(text);
        std::istream in(&buffer);
        korvex::TraceReader reader(in);
        korvex::TraceFrame frame;
        int64_t octets = 0;
        while (reader.Next(frame)) {
            ++frames;
            octets += frame.length;
            if (decoder != nullptr) {
                characters += korvex::DecodeWhole(decoder, flags, frame.timestamp, frame.bytes, frame.length, out);
            }
        }
        benchmark::DoNotOptimize(octets);
    }
    state.SetItemsProcessed(frames);
    state.SetBytesProcessed(decoder != nullptr ? characters
                                               : static_cast<int64_t>(state.iterations()) *
                                                     static_cast<int64_t>(text.size()));
}

void LoadSample(benchmark::State& state, const std::string& path, KorvexDecoder decoder, uint32_t flags) {
    const auto frames = static_cast<int64_t>(ReadTraceFile(path).size());
    korvex::ResetReplay();
    korvex::CurrentSelection = korvex::Selection{decoder, path.c_str(), 2, "bench"};
    korvex::DecodeFlags = flags;
    int64_t characters = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(korvex::LoadTraceFile(path.c_str(), 2));
        characters += korvex::TextAreaLength();
    }
    state.SetItemsProcessed(frames * static_cast<int64_t>(state.iterations()));
    state.SetBytesProcessed(characters);
    korvex::ResetReplay();
}

void Register() {
    struct Level {
        const char* name;
        uint32_t flags;
    };
    const Level levels[] = {{"summary", DECODE_SUMMARY},
                            {"detail", DECODE_DETAIL},
                            {"detail_hex", DECODE_DETAIL | DECODE_HEX}};
    for (const Entry& entry : Entries()) {
        for (const FrameSet& set : entry.sets) {
            for (const Level& level : levels) {
                uint32_t flags = level.flags | entry.extraFlags;
                if (entry.layer3 && (flags & DECODE_DETAIL) != 0) flags |= DECODE_LAYER3;
                const std::string name = "Decode/" + entry.name + "/" + set.name + "/" + level.name;
                benchmark::RegisterBenchmark(name.c_str(), [frames = set.frames, decoder = entry.decoder,
                                                            flags](benchmark::State& state) {
                    DecodeFrames(state, frames, decoder, flags);
                });
            }
        }
    }

    using namespace korvex::bench;
    const std::string tcp = TraceText(TcpDatagrams(20000));
    const std::string setup = TraceText(SetupFrames(20000));
    benchmark::RegisterBenchmark("TraceReader/tcp", [tcp](benchmark::State& s) { ReadTrace(s, tcp); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("TraceReader/setup", [setup](benchmark::State& s) { ReadTrace(s, setup); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ReplayTrace/tcp/detail", [tcp](benchmark::State& s) {
        ReadTrace(s, tcp, DecodeIp, DECODE_DETAIL);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ReplayTrace/setup/detail_layer3", [setup](benchmark::State& s) {
        ReadTrace(s, setup, DecodeLapd, DECODE_DETAIL | DECODE_LAYER3);
    })->Unit(benchmark::kMillisecond);

    for (const korvex::Protocol& sample : korvex::Protocols()) {
        for (const Level& level : levels) {
            if ((level.flags & DECODE_HEX) != 0) continue;  // the viewer's BASIC and DETAIL loads
            const std::string name = std::string("LoadTraceFile/") + sample.sample + "/" + level.name;
            benchmark::RegisterBenchmark(name.c_str(), [path = SamplePath(sample.sample), decoder = sample.decoder,
                                                        flags = level.flags](benchmark::State& s) {
                LoadSample(s, path, decoder, flags);
            });
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    Register();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
