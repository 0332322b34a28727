// Value-name tables and the shared label list.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/value_names.h"

namespace korvex {
namespace {

TEST(FindValueName, FirstMatchingRowAndItsIndex) {
    constexpr ValueName table[] = {{5, "five"}, {0, "zero"}, {5, "second five"}, {9, "nine"}};
    struct Case {
        uint32_t key;
        const char* text;
        int found;
        int row;
    };
    const Case cases[] = {
        {5, "five", 1, 0},  // the first of two rows wins
        {0, "zero", 1, 1},  // key 0 is an ordinary key
        {9, "nine", 1, 3},
        {7, nullptr, 0, 4},  // absent: the row count
        {0xffffffffu, nullptr, 0, 4},
    };
    for (const Case& c : cases) {
        int found = -1;
        int row = -1;
        const char* text = FindValueName(table, c.key, found, row);
        EXPECT_EQ(found, c.found) << c.key;
        EXPECT_EQ(row, c.row) << c.key;
        if (c.text == nullptr) {
            EXPECT_EQ(text, nullptr);
        } else {
            EXPECT_STREQ(text, c.text);
        }
    }
}

TEST(LookupValueName, CopiesTheNameWithNothingAfterIt) {
    char out[64];
    std::memset(out, '#', sizeof out);
    TextWriter w(out, sizeof out);
    EXPECT_EQ(LookupValueName(7, 0x97, w), 1);
    EXPECT_EQ(w.Position(), 8);
    EXPECT_EQ(std::string(out, 8), "  FRMR  ");
    EXPECT_EQ(out[8], '#');

    EXPECT_EQ(LookupValueName(10, 0x05, w), 1);
    EXPECT_EQ(std::string(out + 8, static_cast<std::size_t>(w.Position() - 8)), "Receiver Not Ready   ");
}

TEST(LookupValueName, UnknownKeysAndUnassignedTablesWriteNothing) {
    char out[16];
    std::memset(out, '#', sizeof out);
    TextWriter w(out, sizeof out);
    const struct {
        int table;
        uint32_t key;
    } cases[] = {{7, 0x0d}, {8, 1}, {2, 0}, {3, 0}, {kTableCount, 0}, {-1, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(LookupValueName(c.table, c.key, w), 0) << c.table;
        EXPECT_EQ(w.Position(), 0);
    }
    EXPECT_EQ(out[0], '#');
}

// One row of every numbered table, by its number: each table sits at its id.
TEST(TableOfTables, EveryNumberedTableAtItsId) {
    const struct {
        int table;
        uint32_t key;
        const char* text;
    } cases[] = {
        {0, 0, "USER"},
        {0, 1, "NTWK"},
        {1, 0x09, "  Q.2931  "},
        {4, 0x22, "RESUME_REJ"},
        {5, 0x7F, "Escape for extension"},
        {6, 1, "Transfer Rate      : "},
        {7, 0xFF, "  INFO  "},
        {7, 0x7F, "  SAMBE "},
        {8, 63, " Layer 2 Management Procedures"},
        {9, 2, "Unnumbered"},
        {10, 0x73, "Unnumbered Acknowledgement"},
        {11, 2, "  LCN "},
        {12, 0xF1, "DIAGNOSTIC     "},
        {13, 3, "32768"},
        {14, 0x39, " SHIP ABSENT"},
        {15, 0x19, " PACKET TYPE INVALID FPR STATE P6"},
        {16, 0x1D, " NETWORK OUT OF ORDER"},
        {17, 0x07, " NETWORK OPERATIONAL"},
        {18, 5, "CRITIC/ECP"},
        {19, 17, "UDP"},
        {20, 161, "SNMP"},
        {21, 16, "Information Reply"},
        {22, 0xF, "Receiver Not Ready"},
        {23, 0x2, "Prioritized list for selecting one possibility"},
        {24, 0x18, "Video"},
        {25, 0x13, "384 kbps"},
        {26, 0xA, "network beyond interworking point"},
        {27, 0x3E, "REST2 - Restart"},
        {28, 0x9, "H12-channel unit"},
        {29, 0x08, "In-band information available"},
        {30, 0x4F, "Alerting off"},
        {31, 0xF, "Call forwarding unconditional or systematic call redirection"},
        {32, 0x24, "Facsimile service Group 4, Classes II ad III"},
        {33, 0x08, "Q931 I451 user network call control messages"},
        {34, 0x62, "FACILITY"},
        {35, 0x57, "PVC status"},
        {36, 0x79, "Remote hold"},
        {37, 0x11, "Remote Operations Protocol"},
        {38, 0x02, "Single PVC asynchronous status"},
        {39, 0x02, "Identity Assigned"},
        {40, 0x80, "SNAP"},
        {41, 44, "Fragment"},
        {42, 135, "Neighbor Solicitation"},
        {43, 1, "Ethernet (10Mb)"},
        {44, 2, "Reply"},
    };
    for (const auto& c : cases) {
        char out[80] = {};
        TextWriter w(out, sizeof out);
        ASSERT_EQ(LookupValueName(c.table, c.key, w), 1) << c.table << " " << c.key;
        EXPECT_EQ(std::string(out, static_cast<std::size_t>(w.Position())), c.text);
    }
    EXPECT_EQ(TableById(7).size(), 11u);
    EXPECT_EQ(TableById(10).size(), 11u);
    EXPECT_TRUE(TableById(2).empty());
    EXPECT_TRUE(TableById(3).empty());
}

TEST(LabelList, NamedEntriesAndGroupsReachedByBasePlusOffset) {
    const struct {
        int index;
        const char* text;
    } cases[] = {
        {kLabelFrameClass0 + 0, "  I "}, {kLabelFrameClass0 + 2, "  U "}, {kLabelNs, "  NS "}, {kLabelNr, "  NR "},
        {kLabelCr, "  CR "}, {kLabelPf, "  P/F "}, {kLabelFcs, " FCS "}, {kLabelSapi, "  SAPI "}, {kLabelTei, " TEI "},
        {kLabelStaticTei, " Static TEI Assignment"}, {kLabelAutomaticTei, " Automatic TEI Assignment"},
        {kLabelGroupTei, " Group TEI"}, {kLabelNormalHigh + 0, "Normal"}, {kLabelNormalHigh + 1, "High"},
        {kLabelMayDontFragment + 1, "Don't Fragment, "}, {kLabelLastMoreFragments + 1, "More Fragments"},
        {kLabelFirstTcpFlag + 0, "FIN"}, {kLabelFirstTcpFlag + 5, "URG"}, {kLabelLockingShift, "Locking shift"},
        {kLabelNonLockingShift, "Non-locking shift"}, {kLabelSubsequentSegment + 1, "First segment of segmented message"},
        {kLabelCodeset0 + 0, "Codeset 0: Q.931 information elements"},
        {kLabelCodeset0 + 7, "Codeset 7: user-specific information elements"},
        {kLabelCodingStandard0 + 3, "Standard defined for the network"},
        {kLabelCauseClass0 + 7, "Class (111): interworking"},
    };
    for (const auto& c : cases) EXPECT_EQ(LabelView(c.index), c.text) << c.index;
    EXPECT_EQ(LabelView(kLabelCount - 1), "Class (111): interworking");
    EXPECT_TRUE(LabelView(kLabelCount).empty());
    EXPECT_TRUE(LabelView(-1).empty());
}

}  // namespace
}  // namespace korvex

namespace korvex {
namespace {

TEST(FindRowById, FindsWhatTheSearchInListedOrderFinds) {
    // Every table, every key below 512 and a few far beyond: the row index
    // gives the first matching row, as a search through the rows does.
    std::vector<uint32_t> keys;
    for (uint32_t key = 0; key < 512; ++key) keys.push_back(key);
    for (uint32_t key : {1000u, 65535u, 65536u, 0x7fffffffu, 0xffffffffu}) keys.push_back(key);
    int foundRows = 0;
    for (int id = -2; id < kTableCount + 2; ++id) {
        const ValueNameTable table = TableById(id);
        for (uint32_t key : keys) {
            int found = 0;
            int row = 0;
            const char* text = FindValueName(table, key, found, row);
            const ValueName* indexed = FindRowById(id, key);
            if (found == 0) {
                EXPECT_EQ(indexed, nullptr) << "table " << id << ", key " << key;
                continue;
            }
            ++foundRows;
            ASSERT_NE(indexed, nullptr) << "table " << id << ", key " << key;
            EXPECT_EQ(indexed, &table[static_cast<std::size_t>(row)]) << "table " << id << ", key " << key;
            EXPECT_EQ(indexed->length, std::strlen(text));
            char out[128];
            TextWriter w(out, sizeof out);
            EXPECT_EQ(LookupValueName(id, key, w), 1);
            EXPECT_EQ(std::string(out, static_cast<std::size_t>(w.Position())), text);
        }
    }
    EXPECT_GT(foundRows, 400);  // the tables' rows were all reached
}

}  // namespace
}  // namespace korvex
