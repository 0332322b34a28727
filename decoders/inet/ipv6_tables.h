// Value-name tables of the IPv6 decoder: next header values (table id 34),
// ICMPv6 message types (table id 35) and the code names of the ICMPv6 types
// that have them.
#pragma once

#include <array>
#include <span>

#include "core/value_names.h"

namespace korvex {

// Table 34: next header values, extension headers and upper-layer
// protocols alike.
inline constexpr ValueName kIpv6NextHeaderNames[] = {
    {0, "Hop-by-Hop Options"},
    {4, "IPv4"},
    {6, "TCP"},
    {17, "UDP"},
    {41, "IPv6"},
    {43, "Routing"},
    {44, "Fragment"},
    {47, "GRE"},
    {50, "Encapsulating Security Payload"},
    {51, "Authentication Header"},
    {58, "ICMPv6"},
    {59, "No Next Header"},
    {60, "Destination Options"},
    {132, "SCTP"},
    {135, "Mobility"},
};

// Table 35: ICMPv6 message types.
inline constexpr ValueName kIcmpv6TypeNames[] = {
    {1, "Destination Unreachable"},
    {2, "Packet Too Big"},
    {3, "Time Exceeded"},
    {4, "Parameter Problem"},
    {128, "Echo Request"},
    {129, "Echo Reply"},
    {130, "Multicast Listener Query"},
    {131, "Multicast Listener Report"},
    {132, "Multicast Listener Done"},
    {133, "Router Solicitation"},
    {134, "Router Advertisement"},
    {135, "Neighbor Solicitation"},
    {136, "Neighbor Advertisement"},
    {137, "Redirect"},
    {143, "Version 2 Multicast Listener Report"},
};

// Code names, indexed by the code octet; a list's length is part of it.
inline constexpr const char* kIcmpv6UnreachableCodes[] = {
    "no route to destination",
    "communication with destination administratively prohibited",
    "beyond scope of source address",
    "address unreachable",
    "port unreachable",
    "source address failed ingress/egress policy",
    "reject route to destination",
};

inline constexpr const char* kIcmpv6TimeExceededCodes[] = {
    "hop limit exceeded in transit",
    "fragment reassembly time exceeded",
};

inline constexpr const char* kIcmpv6ParameterProblemCodes[] = {
    "erroneous header field encountered",
    "unrecognized Next Header type encountered",
    "unrecognized IPv6 option encountered",
};

using Icmpv6CodeList = std::span<const char* const>;

// One entry per row of table 35, and one for the row index of a type the
// table does not hold; empty where a type has no code names.
inline constexpr std::array<Icmpv6CodeList, std::size(kIcmpv6TypeNames) + 1> Icmpv6CodeLists = {
    Icmpv6CodeList(kIcmpv6UnreachableCodes),       // Destination Unreachable
    Icmpv6CodeList(),                              // Packet Too Big
    Icmpv6CodeList(kIcmpv6TimeExceededCodes),      // Time Exceeded
    Icmpv6CodeList(kIcmpv6ParameterProblemCodes),  // Parameter Problem
    Icmpv6CodeList(), Icmpv6CodeList(), Icmpv6CodeList(), Icmpv6CodeList(), Icmpv6CodeList(),
    Icmpv6CodeList(), Icmpv6CodeList(), Icmpv6CodeList(), Icmpv6CodeList(), Icmpv6CodeList(),
    Icmpv6CodeList(),                              // Version 2 Multicast Listener Report
    Icmpv6CodeList(),                              // a type without a row
};

}  // namespace korvex
