// Value-name tables: the names of coded values that the decoders print.
// Each table is a constant list of (key, text) rows searched in listed order,
// the first matching row winning. The decoders reach the numbered tables by
// their table id (core/table_ids.h) through the table of tables.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/table_ids.h"
#include "core/text_writer.h"

namespace korvex {

struct ValueName {
    constexpr ValueName(uint32_t k, const char* t)
        : key(k), length(static_cast<uint32_t>(std::char_traits<char>::length(t))), text(t) {}

    uint32_t key;
    uint32_t length;   // characters of text
    const char* text;  // exactly as printed, leading and trailing blanks included
};

using ValueNameTable = std::span<const ValueName>;

// Number of entries of the shared label list.
inline constexpr int kLabelCount = 51;

// The table with that id; empty for ids without a table (2 and 3, those of
// decoders not built in, and ids outside 0 to 42).
ValueNameTable TableById(int tableId);

// Searches table for key. Returns the text of the first matching row, or
// null. found is 1 when a row matched, else 0; rowIndex is the index of the
// matching row, or the number of rows when nothing matched.
const char* FindValueName(ValueNameTable table, uint32_t key, int& found, int& rowIndex);

// The row index of the table of tables, made when compiling beside it: for
// each table and each key below kIndexedKeys, the first row with that key,
// null when no row has it.
inline constexpr uint32_t kIndexedKeys = 256;
using RowIndex = std::array<std::array<const ValueName*, kIndexedKeys>, kTableCount>;
extern const RowIndex TableRowIndex;

// The same for the keys the index does not hold (and ids outside 0 to 42).
const ValueName* FindRowBeyondIndex(int tableId, uint32_t key);

// The first row of table tableId whose key is key, or null.
KORVEX_INLINE const ValueName* FindRowById(int tableId, uint32_t key) {
    if (static_cast<uint32_t>(tableId) >= static_cast<uint32_t>(kTableCount) || key >= kIndexedKeys) {
        return FindRowBeyondIndex(tableId, key);
    }
    return TableRowIndex[static_cast<std::size_t>(tableId)][key];
}

// Copies the name of key in table tableId at the writer's position, with
// nothing after it. Returns 1 when the key was found, else 0 (nothing written).
KORVEX_INLINE int LookupValueName(int tableId, uint32_t key, TextWriter& w) {
    const ValueName* row = FindRowById(tableId, key);
    if (row == nullptr) return 0;
    w.Write(row->text, row->length);
    return 1;
}

// Short labels picked by index. The groups are reached by a base index plus
// a bit field: TCP flags 21 + bit number, codesets 31 + codeset, coding
// standards 39 + standard, cause classes 43 + class.
inline constexpr std::array<std::string_view, kLabelCount> kLabelList = {
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

// Entry index of the shared label list, or null outside 0 to 50.
const char* LabelText(int index);

// The same entry with its length; empty outside 0 to 50.
constexpr std::string_view LabelView(int index) {
    if (index < 0 || index >= kLabelCount) return {};
    return kLabelList[static_cast<std::size_t>(index)];
}

}  // namespace korvex
