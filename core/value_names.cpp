#include "core/value_names.h"

namespace korvex {

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

const char* LabelText(int index) {
    if (index < 0 || index >= kLabelCount) return nullptr;
    return kLabelList[static_cast<std::size_t>(index)].data();
}

}  // namespace korvex
