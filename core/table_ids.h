// The ids of the numbered value-name tables: each table's place in the table
// of tables (decoders/tables.cpp), named once here for every decoder that
// looks a value up. Ids 2 and 3 have no table.
#pragma once

namespace korvex {

enum TableId : int {
    kTableSides = 0,  // "USER", "NTWK"; no decoder prints it
    kTableQ931Protocol = 1,
    kTableQ931MessageType = 4,  // also the type of a segmented message
    kTableQ931Element = 5,      // its row index also picks the element's decoder
    kTableQ931BearerHeading = 6,  // no decoder prints it
    kTableLapdShortName = 7,
    kTableLapdSapi = 8,
    kTableLapdFrameClass = 9,
    kTableLapdLongName = 10,
    kTableX25HeaderLabel = 11,
    kTableX25PacketType = 12,
    kTableX25Modulo = 13,
    kTableX25ClearingCause = 14,
    kTableX25Diagnostic = 15,
    kTableX25ResettingCause = 16,
    kTableX25RestartingCause = 17,
    kTableIpPrecedence = 18,
    kTableIpProtocol = 19,
    kTablePort = 20,
    kTableIcmpType = 21,
    kTableQ931Congestion = 22,
    kTableQ931Repeat = 23,
    kTableQ931TransferCapability = 24,
    kTableQ931TransferRate = 25,
    kTableQ931Location = 26,
    kTableQ931CallState = 27,
    kTableQ931ChannelType = 28,
    kTableQ931Progress = 29,
    kTableQ931Signal = 30,
    kTableQ931RedirectionReason = 31,
    kTableQ931HighLayer = 32,
    kTableQ931UserProtocol = 33,
};

// Entries of the table of tables: ids 0 to 33.
inline constexpr int kTableCount = 34;

}  // namespace korvex
