// Value-name tables: the names of coded values that the decoders print.
// Each table is a constant list of (key, text) rows searched in listed order,
// the first matching row winning. The decoders reach the numbered tables by
// their table id (0 to 33) through the table of tables.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/text_writer.h"

namespace korvex {

struct ValueName {
    uint32_t key;
    const char* text;  // exactly as printed, leading and trailing blanks included
};

using ValueNameTable = std::span<const ValueName>;

// Number of entries of the table of tables (ids 0 to 33).
inline constexpr int kTableCount = 34;

// Number of entries of the shared label list.
inline constexpr int kLabelCount = 51;

// The table with that id; empty for ids without a table (2 and 3, those of
// decoders not built in, and ids outside 0 to 33).
ValueNameTable TableById(int tableId);

// Searches table for key. Returns the text of the first matching row, or
// null. found is 1 when a row matched, else 0; rowIndex is the index of the
// matching row, or the number of rows when nothing matched.
const char* FindValueName(ValueNameTable table, uint32_t key, int& found, int& rowIndex);

// Copies the name of key in table tableId at the writer's position, with
// nothing after it. Returns 1 when the key was found, else 0 (nothing written).
int LookupValueName(int tableId, uint32_t key, TextWriter& w);

// Entry index of the shared label list, or null outside 0 to 50.
const char* LabelText(int index);

// The same entry with its length; empty outside 0 to 50.
std::string_view LabelView(int index);

}  // namespace korvex
