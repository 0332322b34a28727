// Value-name tables of the ARP decoder: hardware types (table id 36) and
// operations (table id 37).
#pragma once

#include "core/value_names.h"

namespace korvex {

// Table 36: hardware types.
inline constexpr ValueName kArpHardwareNames[] = {
    {1, "Ethernet (10Mb)"},
    {6, "IEEE 802 Networks"},
    {7, "ARCNET"},
    {15, "Frame Relay"},
    {16, "ATM"},
    {17, "HDLC"},
    {18, "Fibre Channel"},
    {20, "Serial Line"},
};

// Table 37: operations of ARP, reverse ARP and inverse ARP.
inline constexpr ValueName kArpOperationNames[] = {
    {1, "Request"},
    {2, "Reply"},
    {3, "Reverse Request"},
    {4, "Reverse Reply"},
    {8, "Inverse Request"},
    {9, "Inverse Reply"},
};

}  // namespace korvex
