#include "replay/replay.h"

#include <cstring>
#include <fstream>

#include "decoders/protocols.h"
#include "replay/trace_reader.h"

namespace korvex {

namespace {

ReplayView* gView = nullptr;

// One character beyond the area's 100000 lets a load tell a text that just
// fits from one that was cut.
char gTextArea[kTextAreaSize + 1];
int32_t gTextLength = 0;

// LAPD from its sample trace: what the viewer shows at start.
Selection StartSelection() {
    const Protocol& lapd = *ProtocolNamed("lapd");
    return Selection{lapd.decoder, lapd.sample, 2, lapd.label};
}

}  // namespace

Selection CurrentSelection = StartSelection();
uint32_t DecodeFlags = DECODE_SUMMARY;
char StatusText[kStatusTextSize] = {
    ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
    ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
    ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
    ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
LineStore TraceLines;

void SetReplayView(ReplayView* view) { gView = view; }

void ResetReplay() {
    CurrentSelection = StartSelection();
    DecodeFlags = DECODE_SUMMARY;
    std::memset(StatusText, ' ', sizeof StatusText);
    ClearLineStore(TraceLines);
    gTextLength = 0;
}

int32_t TextAreaLength() { return gTextLength; }

int LoadTraceFile(const char* fileName, int useFileDirection) {
    if (CurrentSelection.decoder == nullptr) return 0;
    ClearLineStore(TraceLines);
    gTextLength = 0;

    int result = 0;
    std::ifstream in(fileName == nullptr ? "" : fileName, std::ios::binary);
    if (in) {
        TraceReader reader(in, useFileDirection != 0);
        TraceFrame frame;
        while (reader.Next(frame)) {
            char* out = gTextArea + gTextLength;
            const int32_t room = kTextAreaSize - gTextLength;  // text and its NUL
            DecodeRequest request{DecodeFlags, frame.timestamp, frame.bytes, out, frame.length,
                                  room + 1};
            const int32_t n = CurrentSelection.decoder(request);
            if (n >= room) break;  // the text and its NUL would not fit
            if (TraceLines.lineCount + CountLines(out, n) > kMaxTraceLines) break;
            AppendLines(out, n, TraceLines, static_cast<unsigned char>(frame.direction));
            gTextLength += n;
        }
        result = 1;
    }
    TraceLines.topLine = 0;
    if (result == 1 && gView != nullptr) {
        gView->SetScrollRange(0, TraceLines.lineCount, true);
        gView->SetScrollPos(0, true);
    }
    SetStatusText(CurrentSelection.label);
    return result;
}

void SetStatusText(const char* text) {
    if (text == nullptr) return;
    const std::size_t n = std::strlen(text);
    if (n > static_cast<std::size_t>(kStatusTextSize)) return;
    std::memset(StatusText, ' ', sizeof StatusText);
    std::memcpy(StatusText, text, n);
    if (gView != nullptr) gView->RepaintStatus();
}

int32_t DecodeWhole(KorvexDecoder decoder, uint32_t flags, const char* timestamp,
                    const unsigned char* frame, int32_t length, std::vector<char>& buffer) {
    if (buffer.size() < 4096) buffer.resize(4096);
    for (;;) {
        const int32_t capacity = static_cast<int32_t>(buffer.size());
        DecodeRequest request{flags, timestamp, frame, buffer.data(), length, capacity};
        const int32_t n = decoder(request);
        // A count below capacity - 1 is the whole text; at capacity - 1 it may
        // have been cut, so decode again with more room.
        if (n < capacity - 1 || capacity >= (1 << 30)) return n;
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace korvex
