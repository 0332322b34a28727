// ARP decoder: the packet of an Ethernet frame of type 0x0806 (ARP) or
// 0x8035 (reverse ARP), from its hardware type on. It is no protocol of the
// table and has no entry point of its own: the tool hands it the data field
// of such frames with --ip and --extended, as it hands IPv4 datagrams to
// DecodeIp.
#pragma once

#include <cstdint>

#include "korvex/korvex.h"

namespace korvex {

// The text of one ARP packet, in the shape of a decoder entry point:
// timestamp and summary line, the "ARP: " detail block with DECODE_DETAIL,
// the hex trace with DECODE_HEX.
int32_t DecodeArp(DecodeRequest request);

}  // namespace korvex
