// Writes the starting corpora of the fuzz harnesses from the source tree and
// the library's protocol table: for each protocol, the frames of its sample
// trace and the frames written as hex in its test files become inputs of
// its decoder harness, and its example frames inputs of every decoder
// harness (a frame of one protocol is damaged input for another); the sample
// traces become trace inputs, every frame as it is an input of the
// structured decoders, and as typed hex text an input of the hex text
// reading.
//
// Usage: make_fuzz_seeds SOURCE_DIR OUT_DIR   (writes OUT_DIR/<harness>/)
//        make_fuzz_seeds --harnesses          (the harness names, one a line)
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "decoders/protocols.h"
#include "korvex/korvex.h"
#include "replay/trace_reader.h"

namespace fs = std::filesystem;

namespace {

using Octets = std::vector<unsigned char>;

// The harnesses besides the decoders' own.
constexpr const char* kOtherHarnesses[] = {"structured", "trace_reader", "load_trace", "hex_text"};

// Flags every frame is tried with: summary; detail, hex and layer 3, with
// and without the extended reading; and detail embedded (what the link
// layer asks of X.25).
constexpr uint8_t kFlagChoices[] = {DECODE_SUMMARY, DECODE_DETAIL | DECODE_HEX | DECODE_LAYER3,
                                    DECODE_DETAIL | DECODE_HEX | DECODE_LAYER3 | DECODE_EXTENDED,
                                    DECODE_DETAIL | DECODE_EMBEDDED};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class Corpus {
public:
    explicit Corpus(fs::path dir) : dir_(std::move(dir)) {}

    void Add(const std::string& harness, const std::string& kind, const std::string& content) {
        const fs::path dir = dir_ / harness;
        fs::create_directories(dir);
        char name[64];
        std::snprintf(name, sizeof name, "%s-%04d", kind.c_str(), counts_[harness]++);
        std::ofstream(dir / name, std::ios::binary) << content;
    }

    void AddFrame(const std::vector<std::string>& protocols, const std::string& kind, const Octets& frame) {
        for (const std::string& protocol : protocols) {
            for (uint8_t flags : kFlagChoices) {
                // Room for every text: the capacity field at its largest.
                std::string input{static_cast<char>(flags), '\xff', '\xff'};
                input.append(frame.begin(), frame.end());
                Add(protocol, kind, input);
            }
        }
        // The structured decoders take the frame as it is.
        Add("structured", kind, std::string(frame.begin(), frame.end()));
        static const char* const kDigits[] = {"0123456789abcdef", "0123456789ABCDEF"};
        std::string typed;
        for (std::size_t i = 0; i < frame.size(); ++i) {
            const char* digits = kDigits[i % 2];
            typed += digits[frame[i] >> 4];
            typed += digits[frame[i] & 15];
            if (i % 3 == 2) typed += i % 2 == 0 ? ' ' : '\t';
        }
        Add("hex_text", kind, typed + "\n");
    }

private:
    fs::path dir_;
    std::map<std::string, int> counts_;
};

// The octets of each quoted hex text of a test file: "02 81 01 07",
// "0a0b", at least two octets.
std::vector<Octets> QuotedFrames(const std::string& test) {
    static const std::regex quotedHex("\"((?:[0-9a-fA-F]{2} ?){2,})\"");
    std::vector<Octets> frames;
    for (std::sregex_iterator m(test.begin(), test.end(), quotedHex), end; m != end; ++m) {
        Octets octets;
        const std::string hex = (*m)[1];
        for (std::size_t i = 0; i + 1 < hex.size();) {
            if (hex[i] == ' ') {
                ++i;
                continue;
            }
            octets.push_back(static_cast<unsigned char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
            i += 2;
        }
        frames.push_back(octets);
    }
    return frames;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--harnesses") == 0) {
        for (const korvex::Protocol& p : korvex::Protocols()) std::printf("%s\n", p.name);
        for (const char* harness : kOtherHarnesses) std::printf("%s\n", harness);
        return 0;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SOURCE_DIR OUT_DIR | --harnesses\n", argv[0]);
        return 2;
    }
    const fs::path source = argv[1];
    Corpus corpus(argv[2]);

    std::vector<std::string> decoderHarnesses;
    for (const korvex::Protocol& p : korvex::Protocols()) decoderHarnesses.emplace_back(p.name);

    const auto protocols = korvex::Protocols();
    for (std::size_t index = 0; index < protocols.size(); ++index) {
        const korvex::Protocol& p = protocols[index];
        const std::vector<std::string> own = {p.name};
        const std::string sample = ReadFile(source / "samples" / p.sample);
        corpus.Add("trace_reader", "sample", sample);
        for (uint8_t flags : kFlagChoices) {
            // The first two characters of the file choose decoder (its index
            // in the table) and flags.
            std::string load = sample;
            if (load.size() >= 2) {
                load[0] = static_cast<char>(index);
                load[1] = static_cast<char>(flags);
                corpus.Add("load_trace", "sample", load);
            }
        }

        std::istringstream in(sample);
        korvex::TraceReader reader(in);
        korvex::TraceFrame frame;
        while (reader.Next(frame)) {
            corpus.AddFrame(own, "sample", Octets(frame.bytes, frame.bytes + frame.length));
        }
        for (const char* extended : p.extendedSamples) {
            std::istringstream extendedIn(ReadFile(source / "samples" / extended));
            korvex::TraceReader extendedReader(extendedIn);
            while (extendedReader.Next(frame)) {
                corpus.AddFrame(own, "extended sample", Octets(frame.bytes, frame.bytes + frame.length));
            }
        }
        for (const char* test : p.tests) {
            for (const Octets& octets : QuotedFrames(ReadFile(source / "tests" / test))) {
                corpus.AddFrame(own, "test", octets);
            }
        }
        for (const korvex::ExampleFrame& example : p.examples) {
            corpus.AddFrame(decoderHarnesses, "example", korvex::ExampleOctets(example));
        }
    }
    return 0;
}
