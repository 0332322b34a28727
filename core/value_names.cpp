#include "core/value_names.h"

#include <array>
#include <cstring>
#include <string_view>


namespace korvex {

namespace {

// Short labels picked by index. The groups are reached by a base index plus
// a bit field: TCP flags 21 + bit number, codesets 31 + codeset, coding
// standards 39 + standard, cause classes 43 + class.
constexpr std::array<std::string_view, kLabelCount> kLabelList = {
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

}  // namespace

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
    return kLabelList[static_cast<std::size_t>(index)].data();
}

std::string_view LabelView(int index) {
    if (index < 0 || index >= kLabelCount) return {};
    return kLabelList[static_cast<std::size_t>(index)];
}

}  // namespace korvex
