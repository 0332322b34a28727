// The frame wrapper: the text every entry point writes around a protocol's
// own part. A protocol writes its summary fields and its detail block; the
// wrapper writes the timestamp before them, the hex trace and the line ends
// the flags call for after them, and the closing NUL. All of it goes through
// one bounded writer, so a text that does not fit is cut at the caller's
// capacity, a prefix of the whole text, and the count of the cut text is
// returned.
//
//   timestamp  summary fields                      (always; no timestamp when embedded)
//   \n<TAG>: detail line ...                       (DECODE_DETAIL)
//   \nHEX TRACE:\n      xx xx ...                  (DECODE_HEX)
//   \n  [\n]                                       (the line ends, by LineEnds)
//   NUL
#pragma once

#include <cstdint>

#include "core/frame_view.h"
#include "core/output.h"
#include "core/text_writer.h"
#include "korvex/korvex.h"

namespace korvex {

// Where a protocol's text has its line ends.
enum class LineEnds {
    // One "\n" at the end of the text, and a second one when there is a
    // detail block: the link and LAN protocols, X.25, IPv4.
    AfterFrame,
    // "\n" right after the detail block, right after the hex trace, and at
    // the end of the text: call control messages.
    AfterEachBlock,
};

// A protocol's own part of its text. Fields holds what the summary gathers
// and the detail block prints again (an empty struct when there is nothing
// to carry); it starts value-initialised for every frame.
template <class Fields>
struct FrameText {
    // The summary fields, right behind the timestamp. An embedded decode
    // (see embeddable) calls it too, to gather the fields; it then writes no
    // text.
    void (*summary)(const FrameView& frame, uint32_t flags, Fields& fields, TextWriter& w);
    // The detail block: one "\n"-started line per field, no line end after
    // the last.
    void (*detail)(const FrameView& frame, uint32_t flags, Fields& fields, TextWriter& w);
    LineEnds lineEnds = LineEnds::AfterFrame;
    // True for a protocol whose text another protocol's detail block may
    // hold: with DECODE_EMBEDDED it then writes no timestamp, no summary and
    // no closing line ends, only its detail block and hex trace.
    bool embeddable = false;
};

// The text of one frame written at w's position.
template <class Fields>
KORVEX_INLINE void WriteFrameText(const FrameText<Fields>& text, const FrameView& frame, uint32_t flags,
                                  const char* timestamp, TextWriter& w) {
    const bool embedded = text.embeddable && (flags & DECODE_EMBEDDED) != 0;
    const bool detail = (flags & DECODE_DETAIL) != 0;
    const bool eachBlock = text.lineEnds == LineEnds::AfterEachBlock;
    Fields fields{};
    if (!embedded) AppendText(w, timestamp);
    text.summary(frame, flags, fields, w);
    if (detail) {
        text.detail(frame, flags, fields, w);
        if (eachBlock) AppendText(w, "\n");
    }
    if ((flags & DECODE_HEX) != 0) {
        AppendHexTrace(w, frame);
        if (eachBlock) AppendText(w, "\n");
    }
    if (embedded) return;
    AppendText(w, "\n");
    if (detail && !eachBlock) AppendText(w, "\n");
}

// An entry point's whole work: the text of the request's frame in the
// caller's buffer, the NUL behind it; returns the count of characters.
template <class Fields>
KORVEX_INLINE int32_t DecodeFrame(const FrameText<Fields>& text, const DecodeRequest& request) {
    TextWriter w(request.out, request.capacity);
    WriteFrameText(text, FrameView(request.frame, request.length), request.flags, request.timestamp, w);
    return w.Finish();
}

// Fields of a protocol whose detail block reads the frame again and needs
// nothing from its summary.
struct NoFields {};

}  // namespace korvex
