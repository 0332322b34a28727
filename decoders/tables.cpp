// The table of tables: every numbered value-name table by its id. It sits
// above the decoders and includes each decoder's tables, so that the core
// imports nothing from the decoders and each table stays beside its code.

#include <array>

#include "core/value_names.h"
#include "decoders/inet/ip_tables.h"
#include "decoders/inet/transport_tables.h"
#include "decoders/link/lapd_tables.h"
#include "decoders/x25/x25_tables.h"

namespace korvex {

namespace {

// Table 0: the two sides of a link; no decoder prints it.
constexpr ValueName kSideNames[] = {
    {0, "USER"},
    {1, "NTWK"},
};

// Table 6: the two headings of a bearer capability; no decoder prints them.
constexpr ValueName kBearerHeadings[] = {
    {0, "Transfer Capability: "},
    {1, "Transfer Rate      : "},
};

// The table of tables, indexed by table id. The rows of each protocol's
// tables stand beside its decoder; ids whose decoder is not built in stay
// empty until it is.
constexpr std::array<ValueNameTable, kTableCount> kTables = {
    ValueNameTable(kSideNames),       // 0
    ValueNameTable(),                 // 1  Q.931 protocol discriminator
    ValueNameTable(),                 // 2  unassigned
    ValueNameTable(),                 // 3  unassigned
    ValueNameTable(),                 // 4  Q.931 message types
    ValueNameTable(),                 // 5  Q.931 information elements
    ValueNameTable(kBearerHeadings),  // 6
    kLapdShortFrameNames,             // 7
    kLapdSapiNames,                   // 8
    kLapdFrameClassNames,             // 9
    kLapdLongFrameNames,              // 10
    kX25HeaderLabels,                 // 11 X.25 header field labels
    kX25PacketTypeNames,              // 12 X.25 packet types
    kX25ModuloNames,                  // 13 X.25 modulo
    kX25ClearingCauses,               // 14 X.25 clearing causes
    kX25DiagnosticCodes,              // 15 X.25 diagnostic codes
    kX25ResettingCauses,              // 16 X.25 resetting causes
    kX25RestartingCauses,             // 17 X.25 restarting causes
    kIpPrecedenceNames,               // 18
    kIpProtocolNames,                 // 19
    kPortNames,                       // 20
    kIcmpTypeNames,                   // 21
    ValueNameTable(),                 // 22 Q.931 congestion level
    ValueNameTable(),                 // 23 Q.931 repeat indicator
    ValueNameTable(),                 // 24 Q.931 transfer capability
    ValueNameTable(),                 // 25 Q.931 transfer rate
    ValueNameTable(),                 // 26 Q.931 location
    ValueNameTable(),                 // 27 Q.931 call states
    ValueNameTable(),                 // 28 Q.931 channel type
    ValueNameTable(),                 // 29 Q.931 progress description
    ValueNameTable(),                 // 30 Q.931 signal values
    ValueNameTable(),                 // 31 Q.931 redirecting reason
    ValueNameTable(),                 // 32 Q.931 high layer characteristics
    ValueNameTable(),                 // 33 Q.931 user-user protocol
};

}  // namespace

ValueNameTable TableById(int tableId) {
    if (tableId < 0 || tableId >= kTableCount) return {};
    return kTables[static_cast<std::size_t>(tableId)];
}

}  // namespace korvex
