// Loading a trace file into the replay's fixed areas, under the fuzzer. The
// input is the file. Its first two characters, free text in a trace file,
// also choose the load: the first the decoder (by its index in the
// library's protocol list; its top bit set means "no directions from the
// file"), the second the decode flags.
//
// The line store must hold exactly the lines of the frames' texts as a
// reading of the same text through the TraceReader and one decode per
// frame gives them, up to the first frame that no longer fits the text area
// or the line store; each line is tagged with its frame's direction and
// follows the one before in the text area.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "decoders/q931/ie_decoders.h"
#include "fuzz/properties.h"
#include "korvex/korvex.h"
#include "replay/replay.h"
#include "replay/trace_reader.h"

namespace {

using korvex::fuzz::Check;
using korvex::fuzz::Fail;

std::string gPath;
int32_t gProtocolCount = 0;

struct Line {
    std::string text;
    int32_t tag;
};

// What the load has to hand to the view.
struct View : korvex::ReplayView {
    std::string calls;
    void SetScrollRange(int32_t minPos, int32_t maxPos, bool redraw) override {
        calls += "range " + std::to_string(minPos) + " " + std::to_string(maxPos) + (redraw ? " redraw;" : ";");
    }
    void SetScrollPos(int32_t pos, bool redraw) override {
        calls += "pos " + std::to_string(pos) + (redraw ? " redraw;" : ";");
    }
    void RepaintStatus() override { calls += "status;"; }
};

// The lines the load should store: every frame decoded once, one after the
// other, the element state carried from frame to frame as in the load.
std::vector<Line> ExpectedLines(const std::string& text, KorvexDecoder decoder, uint32_t flags,
                                bool useFileDirection, int32_t& textLength) {
    std::vector<Line> lines;
    textLength = 0;
    korvex::ElementState().Reset();
    std::istringstream in(text);
    auto reader = std::make_unique<korvex::TraceReader>(in, useFileDirection);
    korvex::TraceFrame frame;
    while (reader->Next(frame)) {
        // Each try of the whole decode starts from the state the frame finds.
        const korvex::IeDecoderState before = korvex::ElementState();
        const DecodeRequest request{flags, frame.timestamp, frame.bytes, nullptr, frame.length, 0};
        const std::string decoded =
            korvex::fuzz::WholeText(decoder, request, [&] { korvex::ElementState() = before; });
        if (static_cast<int32_t>(decoded.size()) >= korvex::kTextAreaSize - textLength) break;
        if (static_cast<int32_t>(lines.size()) + korvex::fuzz::LinesOf(decoded) > korvex::kMaxTraceLines) break;
        const int32_t tag = static_cast<unsigned char>(frame.direction);
        std::size_t start = 0;
        while (start < decoded.size()) {
            std::size_t end = decoded.find('\n', start);
            end = end == std::string::npos ? decoded.size() : end + 1;
            std::string line = decoded.substr(start, end - start);
            if (line.back() == '\n') line.back() = ' ';  // the store blanks the line feeds
            lines.push_back(Line{line, tag});
            start = end;
        }
        textLength += static_cast<int32_t>(decoded.size());
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* dir = std::getenv("TMPDIR");
    gPath = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/korvex-fuzz-load-" +
            std::to_string(::getpid()) + ".txt";
    std::atexit([] { std::remove(gPath.c_str()); });
    while (KorvexProtocolName(gProtocolCount) != nullptr) ++gProtocolCount;
    Check(gProtocolCount > 0, "the library knows protocols");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    {
        std::FILE* file = std::fopen(gPath.c_str(), "wb");
        Check(file != nullptr, "the trace file can be written", gPath);
        const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
        Check(std::fclose(file) == 0 && written, "the trace file is written", gPath);
    }
    const uint8_t selector = size > 0 ? data[0] : 0;
    const char* protocol = KorvexProtocolName((selector & 0x7F) % gProtocolCount);
    const KorvexDecoder decoder = KorvexFindDecoder(protocol);
    const uint32_t flags = size > 1 ? data[1] : DECODE_SUMMARY;
    const int useFileDirection = (selector & 0x80) != 0 ? 0 : 2;

    View view;
    korvex::ResetReplay();
    korvex::SetReplayView(&view);
    korvex::CurrentSelection = korvex::Selection{decoder, gPath.c_str(), useFileDirection, protocol};
    korvex::DecodeFlags = flags;
    korvex::ElementState().Reset();
    const int result = korvex::LoadTraceFile(gPath.c_str(), useFileDirection);
    korvex::SetReplayView(nullptr);

    Check(result == 1, "a file that is there is read");
    int32_t expectedLength = 0;
    const std::vector<Line> expected = ExpectedLines(text, decoder, flags, useFileDirection != 0, expectedLength);

    const korvex::LineStore& store = korvex::TraceLines;
    Check(store.lineCount == static_cast<int32_t>(expected.size()), "the lines of the frames that fit",
          std::to_string(store.lineCount) + " lines instead of " + std::to_string(expected.size()));
    Check(store.topLine == 0, "the view starts at the top line");
    Check(korvex::TextAreaLength() == expectedLength, "the text area holds the frames' texts",
          std::to_string(korvex::TextAreaLength()) + " characters instead of " + std::to_string(expectedLength));
    for (int32_t i = 0; i < store.lineCount; ++i) {
        const korvex::TraceLine& line = store.lines[i];
        const Line& want = expected[static_cast<std::size_t>(i)];
        Check(line.start != nullptr && line.length == static_cast<int32_t>(want.text.size()) &&
                  std::string(line.start, static_cast<std::size_t>(line.length)) == want.text,
              "each line as decoded", "line " + std::to_string(i) + ": want [" + want.text + "]");
        Check(line.tag == want.tag, "each line tagged with its frame's direction", "line " + std::to_string(i));
        if (i > 0) {
            const korvex::TraceLine& before = store.lines[i - 1];
            Check(line.start == before.start + before.length, "each line right behind the one before",
                  "line " + std::to_string(i));
        }
    }
    Check(std::string(korvex::StatusText, korvex::kStatusTextSize) ==
              protocol + std::string(korvex::kStatusTextSize - std::string(protocol).size(), ' '),
          "the status line names the protocol");
    const std::string calls =
        "range 0 " + std::to_string(store.lineCount) + " redraw;pos 0 redraw;status;";
    if (view.calls != calls) Fail("the view told the scroll range, the position and the status", view.calls);
    return 0;
}
