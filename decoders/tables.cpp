// The table of tables: every numbered value-name table by its id. It sits
// above the decoders and includes each decoder's tables, so that the core
// imports nothing from the decoders and each table stays beside its code.

#include <array>
#include <cstdint>

#include "core/value_names.h"
#include "decoders/inet/ip_tables.h"
#include "decoders/inet/transport_tables.h"
#include "decoders/link/lapd_tables.h"
#include "decoders/x25/x25_tables.h"
#include "decoders/q931/q931_tables.h"

namespace korvex {

namespace {

// Table 0: the two sides of a link; no decoder prints it.
constexpr ValueName kSideNames[] = {
    {0, "USER"},
    {1, "NTWK"},
};

// The table of tables, indexed by table id. The rows of each protocol's
// tables stand beside its decoder; ids whose decoder is not built in stay
// empty until it is.
constexpr std::array<ValueNameTable, kTableCount> kTables = {
    ValueNameTable(kSideNames),       // 0
    kQ931ProtocolNames,               // 1
    ValueNameTable(),                 // 2  unassigned
    ValueNameTable(),                 // 3  unassigned
    kQ931MessageTypes,                // 4
    kQ931ElementNames,                // 5
    kQ931BearerHeadings,              // 6
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
    kQ931CongestionLevels,            // 22
    kQ931RepeatIndications,           // 23
    kQ931TransferCapabilities,        // 24
    kQ931TransferRates,               // 25
    kQ931Locations,                   // 26
    kQ931CallStates,                  // 27
    kQ931ChannelTypes,                // 28
    kQ931ProgressDescriptions,        // 29
    kQ931Signals,                     // 30
    kQ931RedirectionReasons,          // 31
    kQ931HighLayerCharacteristics,    // 32
    kQ931UserProtocols,               // 33
};

// The largest key of each table: a key above it is in no row.
constexpr auto kLargestKey = [] {
    std::array<uint32_t, kTableCount> largest{};
    for (std::size_t t = 0; t < kTables.size(); ++t) {
        for (const ValueName& row : kTables[t]) largest[t] = row.key > largest[t] ? row.key : largest[t];
    }
    return largest;
}();

}  // namespace

// Every table's first row of each key below kIndexedKeys.
constexpr RowIndex TableRowIndex = [] {
    RowIndex index{};
    for (std::size_t t = 0; t < kTables.size(); ++t) {
        index[t].fill(nullptr);
        const ValueNameTable table = kTables[t];
        for (std::size_t row = table.size(); row-- > 0;) {
            if (table[row].key < kIndexedKeys) index[t][table[row].key] = &table[row];
        }
    }
    return index;
}();

ValueNameTable TableById(int tableId) {
    if (tableId < 0 || tableId >= kTableCount) return {};
    return kTables[static_cast<std::size_t>(tableId)];
}

const ValueName* FindRowBeyondIndex(int tableId, uint32_t key) {
    if (tableId < 0 || tableId >= kTableCount) return nullptr;
    const auto t = static_cast<std::size_t>(tableId);
    if (key > kLargestKey[t]) return nullptr;
    for (const ValueName& row : kTables[t]) {
        if (row.key == key) return &row;
    }
    return nullptr;
}

}  // namespace korvex
