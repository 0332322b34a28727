// The ids of the numbered value-name tables, each table's place in the table
// of tables (decoders/tables.cpp), and the entries of the shared label list
// (core/value_names.h) that the decoders pick: named once here for every
// decoder. Table ids 2 and 3 have no table.
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
    // The Q.931 decoder's extended reading (DECODE_EXTENDED).
    kTableQ931ExtendedMessageType = 34,
    kTableQ931ExtendedElement = 35,  // its row index also picks the element's extended decoder
    kTableQ931ExtendedNotification = 36,
    kTableQ931FacilityProfile = 37,
    kTableQ933ReportType = 38,
    kTableTeiMessageType = 39,  // extended text only
    kTableLapfNlpid = 40,       // extended text only
    // The IPv6 and ARP decoders.
    kTableIpv6NextHeader = 41,
    kTableIcmpv6Type = 42,
    kTableArpHardware = 43,
    kTableArpOperation = 44,
};

// Entries of the table of tables: ids 0 to 44.
inline constexpr int kTableCount = 45;

// Label list entries. A group is reached by its first entry plus a bit
// field (the frame class words by LapdFrameType, the TCP flags by bit
// number, codesets, coding standards, cause classes); a pair by its first
// entry plus a bit, the word for a clear bit first.
enum LabelId : int {
    kLabelFrameClass0 = 0, kLabelNs = 3, kLabelNr = 4, kLabelCr = 5, kLabelPf = 6, kLabelFcs = 7,
    kLabelSapi = 8, kLabelTei = 9, kLabelStaticTei = 10, kLabelAutomaticTei = 11, kLabelGroupTei = 12,
    kLabelNormalHigh = 15, kLabelMayDontFragment = 17, kLabelLastMoreFragments = 19,
    kLabelFirstTcpFlag = 21,  // FIN; URG is 26
    kLabelLockingShift = 27, kLabelNonLockingShift = 28, kLabelSubsequentSegment = 29,
    kLabelCodeset0 = 31, kLabelCodingStandard0 = 39, kLabelCauseClass0 = 43,
};

}  // namespace korvex
