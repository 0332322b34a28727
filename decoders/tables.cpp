// The table of tables: every numbered value-name table by its id. It sits
// above the decoders and includes each decoder's tables, so that the core
// imports nothing from the decoders and each table stays beside its code.

#include <array>
#include <cstdint>

#include "core/table_ids.h"
#include "core/value_names.h"
#include "decoders/inet/arp_tables.h"
#include "decoders/inet/ip_tables.h"
#include "decoders/inet/ipv6_tables.h"
#include "decoders/inet/transport_tables.h"
#include "decoders/link/lapd_tables.h"
#include "decoders/link/lapf_encapsulation_tables.h"
#include "decoders/link/tei_management_tables.h"
#include "decoders/x25/x25_tables.h"
#include "decoders/q931/q931_extended_tables.h"
#include "decoders/q931/q931_tables.h"

namespace korvex {

namespace {

// Table 0: the two sides of a link; no decoder prints it.
constexpr ValueName kSideNames[] = {{0, "USER"}, {1, "NTWK"}};

// The table of tables, each table at its id; ids without a table (2 and 3,
// and 34 to 38, kept for the call control decoder's extended tables) stay
// empty. (The empty entries are spans of no rows of a real table: GCC 12
// cannot read a default-made span that was replaced in a constant
// expression.)
constexpr auto kTables = [] {
    std::array<ValueNameTable, kTableCount> tables{};
    tables.fill(ValueNameTable(kSideNames).first(0));
    tables[kTableSides] = kSideNames;
    tables[kTableQ931Protocol] = kQ931ProtocolNames;
    tables[kTableQ931MessageType] = kQ931MessageTypes;
    tables[kTableQ931Element] = kQ931ElementNames;
    tables[kTableQ931BearerHeading] = kQ931BearerHeadings;
    tables[kTableLapdShortName] = kLapdShortFrameNames;
    tables[kTableLapdSapi] = kLapdSapiNames;
    tables[kTableLapdFrameClass] = kLapdFrameClassNames;
    tables[kTableLapdLongName] = kLapdLongFrameNames;
    tables[kTableX25HeaderLabel] = kX25HeaderLabels;
    tables[kTableX25PacketType] = kX25PacketTypeNames;
    tables[kTableX25Modulo] = kX25ModuloNames;
    tables[kTableX25ClearingCause] = kX25ClearingCauses;
    tables[kTableX25Diagnostic] = kX25DiagnosticCodes;
    tables[kTableX25ResettingCause] = kX25ResettingCauses;
    tables[kTableX25RestartingCause] = kX25RestartingCauses;
    tables[kTableIpPrecedence] = kIpPrecedenceNames;
    tables[kTableIpProtocol] = kIpProtocolNames;
    tables[kTablePort] = kPortNames;
    tables[kTableIcmpType] = kIcmpTypeNames;
    tables[kTableQ931Congestion] = kQ931CongestionLevels;
    tables[kTableQ931Repeat] = kQ931RepeatIndications;
    tables[kTableQ931TransferCapability] = kQ931TransferCapabilities;
    tables[kTableQ931TransferRate] = kQ931TransferRates;
    tables[kTableQ931Location] = kQ931Locations;
    tables[kTableQ931CallState] = kQ931CallStates;
    tables[kTableQ931ChannelType] = kQ931ChannelTypes;
    tables[kTableQ931Progress] = kQ931ProgressDescriptions;
    tables[kTableQ931Signal] = kQ931Signals;
    tables[kTableQ931RedirectionReason] = kQ931RedirectionReasons;
    tables[kTableQ931HighLayer] = kQ931HighLayerCharacteristics;
    tables[kTableQ931UserProtocol] = kQ931UserProtocols;
    tables[kTableQ931ExtendedMessageType] = kQ931ExtendedMessageTypes;
    tables[kTableQ931ExtendedElement] = kQ931ExtendedElementNames;
    tables[kTableQ931ExtendedNotification] = kQ931ExtendedNotifications;
    tables[kTableQ931FacilityProfile] = kQ931FacilityProfiles;
    tables[kTableQ933ReportType] = kQ933ReportTypes;
    tables[kTableTeiMessageType] = kTeiMessageTypes;
    tables[kTableLapfNlpid] = kNlpidNames;
    tables[kTableIpv6NextHeader] = kIpv6NextHeaderNames;
    tables[kTableIcmpv6Type] = kIcmpv6TypeNames;
    tables[kTableArpHardware] = kArpHardwareNames;
    tables[kTableArpOperation] = kArpOperationNames;
    return tables;
}();

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
