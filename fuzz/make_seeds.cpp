// Writes the starting corpora of the fuzz harnesses from the source tree:
// the frames of the sample traces and the frames written as hex in the unit
// tests become decoder inputs, the sample traces trace inputs, and the
// frames as typed hex text inputs of the hex text reading.
//
// Usage: make_fuzz_seeds SOURCE_DIR OUT_DIR   (writes OUT_DIR/<harness>/)
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "korvex/korvex.h"
#include "replay/trace_reader.h"

namespace fs = std::filesystem;

namespace {

using Octets = std::vector<unsigned char>;

// Which protocol each sample trace and each decoder test holds.
struct Source {
    const char* sample;     // under samples/
    const char* test;       // under tests/
    const char* protocols;  // harness names, blank-separated
};
constexpr Source kSources[] = {
    {"lapd.txt", "lapd_test.cpp", "lapd lapf"},
    {"q922.txt", "layer3_test.cpp", "lapf lapd"},
    {"q931.txt", "q931_test.cpp", "q931"},
    {"x25.txt", "x25_test.cpp", "x25"},
    {"eth.txt", "ethernet_test.cpp", "eth"},
    {"ip.txt", "ip_test.cpp", "ip"},
};

// Flags every frame is tried with: summary; detail, hex and layer 3; and
// detail embedded (what the link layer asks of X.25).
constexpr uint8_t kFlagChoices[] = {DECODE_SUMMARY, DECODE_DETAIL | DECODE_HEX | DECODE_LAYER3,
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

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), {}};
}

// Index of a protocol in the library's list, as the load harness picks it.
char ProtocolIndex(const std::string& name) {
    for (int32_t i = 0; KorvexProtocolName(i) != nullptr; ++i) {
        if (name == KorvexProtocolName(i)) return static_cast<char>(i);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SOURCE_DIR OUT_DIR\n", argv[0]);
        return 2;
    }
    const fs::path source = argv[1];
    Corpus corpus(argv[2]);
    // Hex octets in quotes: "02 81 01 07", "0a0b", at least two octets.
    const std::regex quotedHex("\"((?:[0-9a-fA-F]{2} ?){2,})\"");

    for (const Source& s : kSources) {
        const std::vector<std::string> protocols = Words(s.protocols);
        const std::string sample = ReadFile(source / "samples" / s.sample);
        corpus.Add("trace_reader", "sample", sample);
        for (uint8_t flags : kFlagChoices) {
            // The first two characters of the file choose decoder and flags.
            std::string load = sample;
            if (load.size() >= 2) {
                load[0] = ProtocolIndex(protocols[0]);
                load[1] = static_cast<char>(flags);
                corpus.Add("load_trace", "sample", load);
            }
        }

        std::istringstream in(sample);
        korvex::TraceReader reader(in);
        korvex::TraceFrame frame;
        while (reader.Next(frame)) {
            corpus.AddFrame(protocols, "sample", Octets(frame.bytes, frame.bytes + frame.length));
        }

        const std::string test = ReadFile(source / "tests" / s.test);
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
            corpus.AddFrame(protocols, "test", octets);
        }
    }
    return 0;
}
