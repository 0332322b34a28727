// IPv4 header decoder and the transport decoders behind it (TCP, UDP,
// ICMP). The entry point DecodeIp is declared in the public header.
#pragma once

#include <cstdint>

#include "core/frame_view.h"
#include "core/output.h"
#include "core/text_writer.h"

namespace korvex {

// Fields of one datagram's header, gathered while the summary is written;
// the detail block prints them and the transport decoders add theirs.
struct IpHeaderFields {
    uint8_t version = 0;
    uint8_t protocol = 0;
    uint8_t identificationHigh = 0;
    uint8_t identificationLow = 0;
    uint8_t flags = 0;  // the three flag bits: reserved, don't fragment, more fragments
    int32_t totalLength = 0;
    uint8_t headerLength = 0;  // in 32-bit words
    uint8_t typeOfService = 0;
    int32_t fragmentOffset = 0;  // in units of 8 octets
    uint8_t timeToLive = 0;
    uint8_t checksumHigh = 0;
    uint8_t checksumLow = 0;
    int32_t sourcePort = 0;       // TCP and UDP
    int32_t destinationPort = 0;  // TCP and UDP
    int32_t udpLength = 0;
    int32_t udpChecksum = 0;
};

// Where the transport header begins: behind the header and its options, at
// the header length times 4. A header length below 5 cannot hold the fixed
// header; such a datagram is read as if the field said 5.
int32_t TransportOffset(const IpHeaderFields& fields);

// The detail block of the IPv4 header, then the transport header's lines
// for ICMP, TCP and UDP. Only the first fragment (offset 0) holds the
// transport header; a later one ends at the header checksum line. Each line
// is written only when the datagram holds the octets of its field. No line
// break at its end.
void DecodeIpDetail(IpHeaderFields& fields, const FrameView& datagram, TextWriter& w);

// The detail block of a datagram carried inside another protocol's frame
// (IP over frame relay): the fields gathered as DecodeIp gathers them, then
// DecodeIpDetail's lines.
void AppendCarriedIpDetail(const FrameView& datagram, TextWriter& w);

// Transport header lines; the view starts at the transport header's first
// octet.
void DecodeTcp(IpHeaderFields& fields, const FrameView& segment, TextWriter& w);
void DecodeUdp(IpHeaderFields& fields, const FrameView& segment, TextWriter& w);
void DecodeIcmp(IpHeaderFields& fields, const FrameView& message, TextWriter& w);

// A TCP or UDP port: four hex digits, a blank and the port's name.
void AppendPort(uint32_t high, uint32_t low, TextWriter& w);

// The labels of the two port lines, each with its protocol's tag.
struct PortLabels {
    Word source;
    Word destination;
};

// The source and destination port lines of a TCP or UDP header (octets 0
// to 3), each when the header holds both of its octets.
void DecodePorts(IpHeaderFields& fields, const FrameView& header, const PortLabels& labels, TextWriter& w);

}  // namespace korvex
