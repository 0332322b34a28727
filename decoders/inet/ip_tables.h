// Value-name tables of the IPv4 header decoder (table ids 18 and 19).
#pragma once

#include "core/value_names.h"

namespace korvex {

// Table 18: precedence, the top three bits of the type of service.
inline constexpr ValueName kIpPrecedenceNames[] = {
    {7, "Network Control"},
    {6, "Internetwork Control"},
    {5, "CRITIC/ECP"},
    {4, "Flash Override"},
    {3, "Flash"},
    {2, "Immediate"},
    {1, "Priority"},
    {0, "Routine"},
};

// Table 19: protocol numbers.
inline constexpr ValueName kIpProtocolNames[] = {
    {1, "ICMP"},
    {3, "GATEWAY_TO_GATEWAY"},
    {4, "CMCC_GATEWAY_MONITORING_MESSAGE"},
    {5, "ST"},
    {6, "TCP"},
    {7, "UCL"},
    {9, "SECURE"},
    {10, "BBN RCC MONITORING"},
    {11, "NVP"},
    {12, "PUP"},
    {13, "PLURIBUS"},
    {14, "TELENET"},
    {15, "XNET"},
    {16, "CHAOS"},
    {17, "UDP"},
    {18, "MUX"},
    {19, "DCN"},
    {20, "TAC MONITORING"},
    {63, "ANYLAN"},
    {64, "EXPAK"},
    {65, "MIT SUBNET SUPPORT"},
    {69, "SATNET MONITORING"},
    {71, "INTERNET PACKET CORE UTILITY"},
    {76, "BACKROOM SATNET MONITORING"},
    {78, "WIDEBAND MONITORING"},
    {79, "WIDEBAND EXPAK"},
};

}  // namespace korvex
