#include "replay/line_store.h"

namespace korvex {

LineColour ColourOfTag(int32_t tag) {
    return tag == 'U' ? kUserSideColour : kOtherSideColour;
}

void ClearLineStore(LineStore& store) {
    for (TraceLine& line : store.lines) line = TraceLine{};
    store.lineCount = 0;
    store.topLine = 0;
}

int32_t CountLines(const char* text, int32_t count) {
    int32_t lines = 0;
    int32_t current = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (text[i] == '\n') {
            ++lines;
            current = 0;
        } else {
            ++current;
        }
    }
    return current > 0 ? lines + 1 : lines;
}

namespace {

void RecordLine(LineStore& store, const char* start, int32_t length, int32_t tag) {
    if (store.topLine < 0 || store.topLine >= kMaxTraceLines) return;
    store.lines[store.topLine] = TraceLine{start, length, tag};
    ++store.lineCount;
    ++store.topLine;
}

}  // namespace

void AppendLines(char* text, int32_t count, LineStore& store, int32_t tag) {
    if (count <= 0) return;
    tag &= 0xFF;
    char* start = text;
    int32_t length = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (text[i] == '\n') {
            text[i] = ' ';
            RecordLine(store, start, length + 1, tag);
            start = text + i + 1;
            length = 0;
        } else {
            ++length;
        }
    }
    if (length > 0) RecordLine(store, start, length, tag);
}

int ScrollUp(LineStore& store, ReplayView& view, int32_t n) {
    if (store.topLine == 0) return 0;
    if (n > 0) store.topLine = n >= store.topLine ? 0 : store.topLine - n;
    view.SetScrollPos(store.topLine, true);
    return 1;
}

void ScrollDown(LineStore& store, ReplayView& view, int32_t n) {
    const int32_t last = store.lineCount - 1;
    if (n > 0 && store.topLine < last) {
        store.topLine = n >= last - store.topLine ? last : store.topLine + n;
    }
    view.SetScrollPos(store.topLine, true);
}

bool HandleScrollRequest(LineStore& store, ReplayView& view, ScrollRequest request, int16_t thumb) {
    switch (request) {
        case ScrollRequest::LineUp:
            return ScrollUp(store, view, 1) == 1;
        case ScrollRequest::LineDown:
            ScrollDown(store, view, 1);
            return true;
        case ScrollRequest::PageUp:
            return ScrollUp(store, view, kPageLines) == 1;
        case ScrollRequest::PageDown:
            ScrollDown(store, view, kPageLines);
            return true;
        case ScrollRequest::ThumbTrack:
            if (thumb > store.topLine) {
                ScrollDown(store, view, thumb - store.topLine);
                return true;
            }
            return ScrollUp(store, view, store.topLine - thumb) == 1;
        case ScrollRequest::Other:
            break;
    }
    return false;
}

}  // namespace korvex
