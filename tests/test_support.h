// Helpers shared by the tests: decode a frame given as hex text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "korvex/korvex.h"
#include "replay/line_store.h"

namespace korvex::test {

using Entry = int32_t (*)(DecodeRequest);

std::vector<unsigned char> Octets(const std::string& hex);

// The whole text of one frame (hex pairs, blanks allowed) decoded by entry.
std::string DecodeHex(Entry entry, uint32_t flags, const std::string& hex,
                      const char* timestamp = "");

// The same, from octets held in a buffer of exactly their size.
std::string DecodeOctets(Entry entry, uint32_t flags, const std::vector<unsigned char>& octets,
                         const char* timestamp = "");

// "\n" and six blanks: the start of every hex dump row.
inline const std::string kDumpIndent = "\n      ";

// Short names of the decode flags for case tables.
namespace flags {
inline constexpr uint32_t S = DECODE_SUMMARY;
inline constexpr uint32_t D = DECODE_DETAIL;
inline constexpr uint32_t H = DECODE_HEX;
inline constexpr uint32_t L3 = DECODE_LAYER3;
inline constexpr uint32_t E = DECODE_EMBEDDED;
inline constexpr uint32_t X = DECODE_EXTENDED;
}  // namespace flags

// One decoded frame and its whole expected text (after the timestamp).
struct Golden {
    const char* name;
    uint32_t flags;
    std::string frame;  // hex pairs, blanks allowed
    std::string text;
};

// Decodes every case with entry and the timestamp and compares the texts;
// beforeEach (when given) runs before each decode, e.g. to put back state
// that a decoder carries from one frame to the next.
void ExpectGolden(Entry entry, const char* timestamp, const std::vector<Golden>& cases,
                  void (*beforeEach)() = nullptr);

// What the korvex tool did with a command line.
struct ToolOutcome {
    int status;
    std::string out;
    std::string err;
};

// Runs the tool on args (without the program name) with input as its
// standard input.
ToolOutcome RunTool(std::vector<std::string> args, const std::string& input = "",
                    bool terminal = false);

// Records what the replay asks of the view that shows it.
struct RecordingView : ReplayView {
    std::vector<std::string> calls;
    void SetScrollRange(int32_t minPos, int32_t maxPos, bool redraw) override {
        calls.push_back("range " + std::to_string(minPos) + " " + std::to_string(maxPos) +
                        (redraw ? " redraw" : ""));
    }
    void SetScrollPos(int32_t pos, bool redraw) override {
        calls.push_back("pos " + std::to_string(pos) + (redraw ? " redraw" : ""));
    }
    void RepaintStatus() override { calls.push_back("status"); }
};

}  // namespace korvex::test
