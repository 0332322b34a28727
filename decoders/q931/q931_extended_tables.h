// Value-name tables of the Q.931 decoder's extended reading (DECODE_EXTENDED,
// table ids 34 to 38): the message types and elements of Q.931 (1998),
// Q.932 and Q.933 that the classic tables lack, and the values of the
// elements decoded only with the flag. They are consulted only with the
// flag, and always after (for elements: instead of) the classic tables, so
// that a value the classic tables name keeps its classic name.
#pragma once

#include "core/value_names.h"

namespace korvex {

// Table 34: message types beyond table 4, written as table 4 writes its
// names (upper case, ACK and REJ short).
inline constexpr ValueName kQ931ExtendedMessageTypes[] = {
    {0x00, "ESCAPE"},        // escape to nationally specific message types
    {0x24, "HOLD"},          {0x28, "HOLD ACK"},     {0x30, "HOLD REJ"},
    {0x31, "RETRIEVE"},      {0x33, "RETRIEVE ACK"}, {0x37, "RETRIEVE REJ"},
    {0x62, "FACILITY"},      {0x64, "REGISTER"},
};

// Table 35: codeset 0 elements beyond table 5, and the classic elements
// whose contents the extended reading decodes further (segmented message,
// notification indicator), with the classic name. The row index picks the element's
// decoder in IeExtendedDecoderTable.
inline constexpr ValueName kQ931ExtendedElementNames[] = {
    {0x00, "Segmented message"},
    {0x0D, "Extended facility"},
    {0x19, "Data link connection identifier"},
    {0x1C, "Facility"},
    {0x27, "Notification indicator"},
    {0x32, "Information request"},
    {0x36, "Switchhook"},
    {0x38, "Feature activation"},
    {0x39, "Feature indication"},
    {0x3A, "Service profile identification"},
    {0x3B, "Endpoint identifier"},
    {0x48, "Link layer core parameters"},
    {0x49, "Link layer protocol parameters"},
    {0x4C, "Connected number"},
    {0x4D, "Connected subaddress"},
    {0x51, "Report type"},
    {0x53, "Link integrity verification"},
    {0x57, "PVC status"},
    {0x76, "Redirection number"},
};

inline constexpr int kQ931ExtendedElementCount = sizeof kQ931ExtendedElementNames / sizeof kQ931ExtendedElementNames[0];

// Table 36: notification descriptions (bits 7 to 1 of octet 3) that the
// classic words leave reserved.
inline constexpr ValueName kQ931ExtendedNotifications[] = {
    {0x03, "Discriminator for extension to ASN.1 encoded component"},
    {0x04, "Call completion delay"},
    {0x42, "Conference established"},
    {0x43, "Conference disconnected"},
    {0x44, "Other party added"},
    {0x45, "Isolated"},
    {0x46, "Reattached"},
    {0x47, "Other party isolated"},
    {0x48, "Other party reattached"},
    {0x49, "Other party split"},
    {0x4A, "Other party disconnected"},
    {0x4B, "Conference floating"},
    {0x4C, "Conference disconnected, preemption"},
    {0x4F, "Conference floating, served user preempted"},
    {0x60, "Call is a waiting call"},
    {0x68, "Diversion activated"},
    {0x69, "Call transferred, alerting"},
    {0x6A, "Call transferred, active"},
    {0x6E, "Reverse charging"},
    {0x79, "Remote hold"},
    {0x7A, "Remote retrieval"},
    {0x7B, "Call is diverting"},
};

// Table 37: protocol profiles of the facility and extended facility
// elements (bits 5 to 1 of octet 3).
inline constexpr ValueName kQ931FacilityProfiles[] = {
    {0x11, "Remote Operations Protocol"},
    {0x12, "CMIP protocol"},
    {0x13, "ACSE protocol"},
    {0x1F, "Networking extensions"},
};

// Table 38: the type of report of Q.933's report type element (octet 3).
inline constexpr ValueName kQ933ReportTypes[] = {
    {0x00, "Full status"},
    {0x01, "Link integrity verification only"},
    {0x02, "Single PVC asynchronous status"},
};

}  // namespace korvex
