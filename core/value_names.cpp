#include "core/value_names.h"

#include <array>
#include <cstring>

#include "decoders/link/lapd_tables.h"

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

// Short labels picked by index. The groups are reached by a base index plus
// a bit field: TCP flags 21 + bit number, codesets 31 + codeset, coding
// standards 39 + standard, cause classes 43 + class.
constexpr std::array<const char*, kLabelCount> kLabelList = {
    "  I ",                    // 0
    "  S ",                    // 1
    "  U ",                    // 2
    "  NS ",                   // 3
    "  NR ",                   // 4
    "  CR ",                   // 5
    "  P/F ",                  // 6
    " FCS ",                   // 7
    "  SAPI ",                 // 8
    " TEI ",                   // 9
    " Static TEI Assignment",  // 10
    " Automatic TEI Assignment",  // 11
    " Group TEI",              // 12
    "Normal",                  // 13
    "Low",                     // 14
    "Normal",                  // 15
    "High",                    // 16
    "May Fragment, ",          // 17
    "Don't Fragment, ",        // 18
    "Last Fragment",           // 19
    "More Fragments",          // 20
    "FIN",                     // 21
    "SYN",                     // 22
    "RST",                     // 23
    "PSH",                     // 24
    "ACK",                     // 25
    "URG",                     // 26
    "Locking shift",           // 27
    "Non-locking shift",       // 28
    "Subsequent segment to first segment",  // 29
    "First segment of segmented message",   // 30
    "Codeset 0: Q.931 information elements",  // 31
    "Reserved",                // 32
    "Reserved",                // 33
    "Reserved",                // 34
    "Codeset 4: information elements for ISO/IEC use",             // 35
    "Codeset 5: information elements for national use",            // 36
    "Codeset 6: information elements specific to local network",  // 37
    "Codeset 7: user-specific information elements",               // 38
    "ITU-T",                   // 39
    "ISO/IEC",                 // 40
    "National standard",       // 41
    "Standard defined for the network",  // 42
    "Class (000): normal event",         // 43
    "Class (001): normal event",         // 44
    "Class (010): resource unavailable",  // 45
    "Class (011): service or option not available",    // 46
    "Class (100): service or option not implemented",  // 47
    "Class (101): invalid message (e.g. parameter out of range)",  // 48
    "Class (110): protocol error (e.g. unknown message)",          // 49
    "Class (111): interworking",  // 50
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
    ValueNameTable(),                 // 11 X.25 header field labels
    ValueNameTable(),                 // 12 X.25 packet types
    ValueNameTable(),                 // 13 X.25 modulo
    ValueNameTable(),                 // 14 X.25 clearing causes
    ValueNameTable(),                 // 15 X.25 diagnostic codes
    ValueNameTable(),                 // 16 X.25 resetting causes
    ValueNameTable(),                 // 17 X.25 restarting causes
    ValueNameTable(),                 // 18 IP precedence
    ValueNameTable(),                 // 19 IP protocol numbers
    ValueNameTable(),                 // 20 TCP and UDP ports
    ValueNameTable(),                 // 21 ICMP message types
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

const char* FindValueName(ValueNameTable table, uint32_t key, int& found, int& rowIndex) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i].key == key) {
            found = 1;
            rowIndex = static_cast<int>(i);
            return table[i].text;
        }
    }
    found = 0;
    rowIndex = static_cast<int>(table.size());
    return nullptr;
}

int LookupValueName(int tableId, uint32_t key, TextWriter& w) {
    int found = 0;
    int rowIndex = 0;
    const char* text = FindValueName(TableById(tableId), key, found, rowIndex);
    if (found == 0) return 0;
    w.Write(text, std::strlen(text));
    return 1;
}

const char* LabelText(int index) {
    if (index < 0 || index >= kLabelCount) return nullptr;
    return kLabelList[static_cast<std::size_t>(index)];
}

}  // namespace korvex
