// IPv6 decoder internals. The entry point DecodeIpv6 is declared in the
// public header.
#pragma once

#include <cstdint>

#include "core/frame_view.h"
#include "core/text_writer.h"

namespace korvex {

// The 16 octets from first on as an IPv6 address in its compressed text
// (lower-case hex groups without leading zeros, the longest run of two or
// more zero groups as "::", the leftmost of equally long runs), left-aligned
// in width characters filled with blanks. The frame must hold the 16 octets.
void AppendIpv6Address(TextWriter& w, const FrameView& frame, int32_t first, int width);

// The detail lines of an IPv6 datagram carried inside another protocol's
// detail block (frame relay's multiprotocol encapsulation), as DecodeIpv6
// writes them. No line break at their end.
void AppendCarriedIpv6Detail(const FrameView& datagram, TextWriter& w);

// ICMPv6 header lines; the view starts at the message's first octet. No
// line break at their end.
void DecodeIcmpv6(const FrameView& message, TextWriter& w);

}  // namespace korvex
