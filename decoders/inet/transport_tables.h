// Value-name tables of the transport decoders: port names shared by TCP and
// UDP (table id 20), ICMP message types (table id 21) and the code names of
// the ICMP types that have them.
#pragma once

#include <array>
#include <span>

#include "core/value_names.h"

namespace korvex {

// Table 20: well-known ports, by the 16-bit port number.
inline constexpr ValueName kPortNames[] = {
    {1, "OLD TELNET"},
    {3, "OLD FILE TRANSFER"},
    {5, "REMOTE JOB ENTRY"},
    {7, "ECHO"},
    {9, "DISCARD"},
    {11, "WHO IS ON OR SYSTAT"},
    {13, "DATE AND TIME"},
    {15, "WHO IS UP OR NETSTAT"},
    {17, "SHORT TEXT MESSAGE"},
    {19, "CHARACTER GENERATOR OR TTYTST"},
    {21, "NEW FILE TRANSFER"},
    {23, "NEW TELNET"},
    {25, "SMTP"},
    {27, "NSW USER SYSTEM W COMPASS FE"},
    {29, "MSG 3 ICP"},
    {31, "MSG 3 AUTHENTICATION"},
    {35, "IO STATION SPOOLER"},
    {37, "TIME SERVER"},
    {41, "GRAPHICS"},
    {42, "NAME SERVER"},
    {43, "WHOIS"},
    {45, "MESSAGE PROCESSING MODULE"},
    {47, "NI FTP"},
    {49, "RAND NETWORK GRAPHICS CONFERENCE"},
    {51, "MESSAGE GENERATOR CONTROL"},
    {53, "AUTODIN II FTP"},
    {55, "ISI GRAPHICS LANGUAGE"},
    {57, "MTP"},
    {59, "NEW MIT HOST STATUS"},
    {67, "DATACOMPUTER AT CCA"},
    {69, "TFTP"},
    {71, "NETRJS EBCDIC AT UCLA CCN"},
    {73, "NETRJS ASCII 68 AT UCLA CCN"},
    {75, "NETRJS ASCII 63 AT UCLA CCN"},
    {77, "ANY PRIVATE RJE SERVER"},
    {79, "NAME OR FINGER"},
    {83, "MIT ML DEVICE"},
    {85, "MIT ML DEVICE"},
    {87, "ANY TERMINAL LINK"},
    {89, "SU MIT TELNET GATEWAY"},
    {91, "MIT DOVER SPOOLER"},
    {93, "BBN RCC ACCOUNTING"},
    {95, "SUPDUP"},
    {97, "DATACOMPUTER STATUS"},
    {99, "CADC NIFTP VIA UCL"},
    {101, "NPL NIFTP VIA UCL"},
    {103, "BNPL NIFTP VIA UCL"},
    {105, "CAMBRIDGE NIFTP VIA UCL"},
    {107, "HARWELL NIFTP VIA UCL"},
    {109, "SWURCC NIFTP VIA UCL"},
    {111, "ESSEX NIFTP VIA UCL"},
    {113, "RUTHERFORD NIFTP VIA UCL"},
    {131, "DATACOMPUTER"},
    {137, "NETBIOS"},
    {161, "SNMP"},
    {162, "SNMP TRAP"},
};

// Table 21: ICMP message types. The row number selects the type's code
// list in IcmpCodeLists.
inline constexpr ValueName kIcmpTypeNames[] = {
    {0, "Echo Reply"},
    {3, "Destination Unreachable"},
    {4, "Source Quench"},
    {5, "Redirect"},
    {8, "Echo"},
    {11, "Time Exceeded"},
    {12, "Parameter Problem"},
    {13, "Timestamp"},
    {14, "Timestamp Reply"},
    {15, "Information Request"},
    {16, "Information Reply"},
};

// Code names, indexed by the code octet; a list's length is part of it.
inline constexpr const char* kIcmpUnreachableCodes[] = {
    "net unreachable",
    "host unreachable",
    "protocol unreachable",
    "port unreachable",
    "fragmentation needed and DF set",
    "source route failed",
};

inline constexpr const char* kIcmpRedirectCodes[] = {
    "Redirect datagrams for the Network",
    "Redirect datagrams for the Host",
    "Redirect datagrams for the Type of Service and Network",
    "Redirect datagrams for the Type of Service and Host",
};

inline constexpr const char* kIcmpTimeExceededCodes[] = {
    "time to live exceeded in transit",
    "fragment reassembly time exceeded",
};

using IcmpCodeList = std::span<const char* const>;

// One entry per row of table 21, and one for the row index of a type the
// table does not hold; empty where a type has no code names.
inline constexpr std::array<IcmpCodeList, std::size(kIcmpTypeNames) + 1> IcmpCodeLists = {
    IcmpCodeList(),                        // Echo Reply
    IcmpCodeList(kIcmpUnreachableCodes),   // Destination Unreachable
    IcmpCodeList(),                        // Source Quench
    IcmpCodeList(kIcmpRedirectCodes),      // Redirect
    IcmpCodeList(),                        // Echo
    IcmpCodeList(kIcmpTimeExceededCodes),  // Time Exceeded
    IcmpCodeList(),                        // Parameter Problem
    IcmpCodeList(),                        // Timestamp
    IcmpCodeList(),                        // Timestamp Reply
    IcmpCodeList(),                        // Information Request
    IcmpCodeList(),                        // Information Reply
    IcmpCodeList(),                        // a type without a row
};

}  // namespace korvex
