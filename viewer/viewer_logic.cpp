#include "viewer/viewer_logic.h"

#include "decoders/protocols.h"
#include "viewer/resource.h"

namespace korvex::viewer {

void SelectProtocol(const char* name) {
    if (name == nullptr) return;
    const Protocol* protocol = ProtocolNamed(name);
    if (protocol == nullptr) {
        CurrentSelection.decoder = nullptr;
        return;
    }
    CurrentSelection.decoder = protocol->decoder;
    CurrentSelection.fileName = protocol->sample;
    CurrentSelection.label = protocol->label;
}

namespace {

constexpr uint32_t kLayer3Detail = DECODE_DETAIL | DECODE_LAYER3;

}  // namespace

// Each protocol button names its protocol in the library's protocol table.
const ButtonEntry ButtonTable[kButtonCount] = {
    // picture, kind, protocol (null: keep the selection), flags set, cleared, flipped
    {IDB_LAPD, ButtonKind::Reload, "lapd", 0, 0, 0},
    {IDB_LAPF, ButtonKind::Reload, "lapf", 0, 0, 0},
    {IDB_Q931, ButtonKind::Reload, "q931", 0, 0, 0},
    {IDB_X25, ButtonKind::Reload, "x25", 0, 0, 0},
    {IDB_Q931_OVER_LAPD, ButtonKind::Reload, "lapd", kLayer3Detail, 0, 0},
    {IDB_X25_OVER_LAPF, ButtonKind::Reload, "lapf", kLayer3Detail, 0, 0},
    {IDB_ETHERNET, ButtonKind::Reload, "eth", 0, 0, 0},
    {IDB_IP, ButtonKind::Reload, "ip", 0, 0, 0},
    {IDB_BASIC, ButtonKind::Reload, nullptr, DECODE_SUMMARY, DECODE_DETAIL, 0},
    {IDB_DETAIL, ButtonKind::Reload, nullptr, DECODE_DETAIL, DECODE_SUMMARY, 0},
    {IDB_HEX, ButtonKind::Reload, nullptr, 0, 0, DECODE_HEX},
    {IDB_ABOUT, ButtonKind::About, nullptr, 0, 0, 0},
    {IDB_EXIT, ButtonKind::Exit, nullptr, 0, 0, 0},
};

ButtonPlace PlaceOfButton(int button) {
    return ButtonPlace{kButtonLeft + kButtonPitch * button, kButtonTop, kButtonWidth, kButtonHeight};
}

ButtonEffect RunButton(int button) {
    if (button < 0 || button >= kButtonCount) return ButtonEffect::None;
    const ButtonEntry& entry = ButtonTable[button];
    switch (entry.kind) {
        case ButtonKind::About:
            return ButtonEffect::OpenAbout;
        case ButtonKind::Exit:
            return ButtonEffect::Exit;
        case ButtonKind::Reload:
            break;
    }
    SelectProtocol(entry.protocol);
    DecodeFlags = ((DecodeFlags | entry.setFlags) & ~entry.clearFlags) ^ entry.flipFlags;
    LoadTraceFile(CurrentSelection.fileName, CurrentSelection.useFileDirection);
    return ButtonEffect::Repaint;
}

int LoadStartTrace() {
    SetStatusText(" ");
    return LoadTraceFile(CurrentSelection.fileName, CurrentSelection.useFileDirection);
}

ScrollRequest ScrollRequestOfCode(uint32_t code) {
    switch (code) {
        case kScrollLineUp:
            return ScrollRequest::LineUp;
        case kScrollLineDown:
            return ScrollRequest::LineDown;
        case kScrollPageUp:
            return ScrollRequest::PageUp;
        case kScrollPageDown:
            return ScrollRequest::PageDown;
        case kScrollThumbTrack:
            return ScrollRequest::ThumbTrack;
        default:
            return ScrollRequest::Other;
    }
}

bool HandleViewScroll(LineStore& store, ReplayView& view, uint32_t param) {
    const ScrollRequest request = ScrollRequestOfCode(param & 0xFFFFu);
    const auto thumb = static_cast<int16_t>(static_cast<uint16_t>(param >> 16));
    return HandleScrollRequest(store, view, request, thumb);
}

PaintPlan::PaintPlan(const LineStore& store, int32_t clientTop, int32_t clientBottom,
                     int32_t lineHeight)
    : store_(store),
      index_(store.topLine < 0 ? 0 : store.topLine),
      top_(clientTop),
      bottom_(clientBottom),
      advance_(lineHeight - 1) {}

bool PaintPlan::Next(PaintStep& step) {
    const int32_t count = store_.lineCount < kMaxTraceLines ? store_.lineCount : kMaxTraceLines;
    if (index_ >= count || top_ >= bottom_) return false;
    const TraceLine& line = store_.lines[index_];
    step = PaintStep{index_, line.start, line.length, ColourOfTag(line.tag), top_};
    ++index_;
    top_ += advance_;
    return true;
}

}  // namespace korvex::viewer
