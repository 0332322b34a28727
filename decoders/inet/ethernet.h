// Ethernet / IEEE 802.3 frame decoder internals. The entry point
// DecodeEthernet is declared in the public header.
#pragma once

#include <cstdint>

#include "core/frame_view.h"
#include "core/text_writer.h"

namespace korvex {

// The name of an EtherType (or 802.3 length) value: the first range row
// that holds it, else the first single-value row with its key, else
// "Unknown". Never null.
const char* EtherTypeName(uint32_t value);

// Copies the name of value at the writer's position with nothing after it
// and returns the number of characters copied.
int NameEtherType(uint32_t value, TextWriter& w);

// The detail block: the type/length field with its name (when the frame
// holds both of its octets) and a dump of the data field behind it (when the
// frame reaches the data field). No line break at its end.
// With DECODE_EXTENDED in flags, the VLAN tags in front of the type (802.1Q
// and 802.1ad) get a line each, followed by the type behind them, and the
// data field is dumped from behind the last type.
void DecodeEthernetDetail(uint32_t etherType, const FrameView& frame, TextWriter& w, uint32_t flags = 0);

// True for the type values of a VLAN tag: 0x8100 (802.1Q) and 0x88A8
// (802.1ad, the outer tag of two).
bool IsVlanTag(uint32_t etherType);

}  // namespace korvex
