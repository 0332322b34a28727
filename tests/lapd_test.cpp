// LAPD and LAPF trace texts, one golden case a row.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoders/link/lapd.h"
#include "test_support.h"

namespace korvex {
namespace {

using test::DecodeHex;

using namespace test::flags;

const std::string& kIndent = test::kDumpIndent;

struct Golden {
    const char* name;
    test::Entry entry;
    uint32_t flags;
    const char* frame;
    std::string text;
};

void Check(const std::vector<Golden>& cases) {
    for (const Golden& c : cases) {
        EXPECT_EQ(DecodeHex(c.entry, c.flags, c.frame, "12:01.250"), "12:01.250" + c.text) << c.name;
    }
}

TEST(LapdSummary, TheFourKindsOfSummaryLine) {
    Check({
        {"I frame with its information field", DecodeLapd, S, "00 00 0a 06 08 01 05 1a 2b",
         "  SAPI 000 TEI 000  CR 0  I   NS 005  NR 003  P/F 0  INFO   FCS 1a2b" + kIndent + "08 01 05 \n"},
        {"S frame", DecodeLapd, S, "02 81 01 07 1a 2b",
         "  SAPI 000 TEI 064  CR 1  S   NS ---  NR 003  P/F 1  RR     FCS 1a2b\n"},
        {"U frame", DecodeLapd, S, "fc ff 03 1a 2b",
         "  SAPI 063 TEI 127  CR 0  U   NS ---  NR ---  P/F 0  UI     FCS 1a2b\n"},
        {"FRMR with its information field", DecodeLapd, S, "00 81 97 0d 10 10 0c 01 1a 2b",
         "  SAPI 000 TEI 064  CR 0  U   NS ---  NR ---  P/F 1  FRMR   FCS 1a2b" + kIndent +
             "0d 10 10 0c 01 \n"},
        {"flags 0 as summary", DecodeLapd, 0, "02 81 01 07 1a 2b",
         "  SAPI 000 TEI 064  CR 1  S   NS ---  NR 003  P/F 1  RR     FCS 1a2b\n"},
        {"I frame with an empty information field", DecodeLapd, S, "00 81 02 04 1a 2b",
         "  SAPI 000 TEI 064  CR 0  I   NS 001  NR 002  P/F 0  INFO   FCS 1a2b" + kIndent + "\n"},
        {"UI with P set is named alike", DecodeLapd, S, "fc ff 13 1a 2b",
         "  SAPI 063 TEI 127  CR 0  U   NS ---  NR ---  P/F 1  UI     FCS 1a2b\n"},
        {"S frame without a name", DecodeLapd, S, "02 81 0d 07 1a 2b",
         "  SAPI 000 TEI 064  CR 1  S   NS ---  NR 003  P/F 1 FCS 1a2b\n"},
        {"U frame 0xEF is keyed as information", DecodeLapd, S, "00 81 ef 1a 2b",
         "  SAPI 000 TEI 064  CR 0  U   NS ---  NR ---  P/F 0  INFO   FCS 1a2b\n"},
        {"SABME", DecodeLapd, S, "00 81 7f 1a 2b",
         "  SAPI 000 TEI 064  CR 0  U   NS ---  NR ---  P/F 1  SAMBE  FCS 1a2b\n"},
        {"RNR", DecodeLapd, S, "00 81 05 00 1a 2b",
         "  SAPI 000 TEI 064  CR 0  S   NS ---  NR 000  P/F 0  RNR    FCS 1a2b\n"},
        {"REJ", DecodeLapd, S, "00 81 09 0e 1a 2b",
         "  SAPI 000 TEI 064  CR 0  S   NS ---  NR 007  P/F 0  REJ    FCS 1a2b\n"},
        {"DM", DecodeLapd, S, "00 81 1f 1a 2b",
         "  SAPI 000 TEI 064  CR 0  U   NS ---  NR ---  P/F 1  DM     FCS 1a2b\n"},
        {"DISC", DecodeLapd, S, "02 81 43 1a 2b",
         "  SAPI 000 TEI 064  CR 1  U   NS ---  NR ---  P/F 0  DISC   FCS 1a2b\n"},
        {"UA", DecodeLapd, S, "00 81 73 1a 2b",
         "  SAPI 000 TEI 064  CR 0  U   NS ---  NR ---  P/F 1  UA     FCS 1a2b\n"},
        {"XID", DecodeLapd, S, "00 81 af 1a 2b",
         "  SAPI 000 TEI 064  CR 0  U   NS ---  NR ---  P/F 0  XID    FCS 1a2b\n"},
        {"N(S) and N(R) of 127", DecodeLapd, S, "00 81 fe ff 1a 2b",
         "  SAPI 000 TEI 064  CR 0  I   NS 127  NR 127  P/F 1  INFO   FCS 1a2b" + kIndent + "\n"},
    });
}

TEST(LapdSummary, HexTraceReplacesTheInformationDumps) {
    Check({
        {"I frame", DecodeLapd, H, "00 00 0a 06 08 01 05 1a 2b",
         "  SAPI 000 TEI 000  CR 0  I   NS 005  NR 003  P/F 0  INFO   FCS 1a2b\nHEX TRACE:" + kIndent +
             "00 00 0a 06 08 01 05 1a 2b \n"},
        {"FRMR", DecodeLapd, H, "00 81 97 0d 10 10 0c 01 1a 2b",
         "  SAPI 000 TEI 064  CR 0  U   NS ---  NR ---  P/F 1  FRMR   FCS 1a2b\nHEX TRACE:" + kIndent +
             "00 81 97 0d 10 10 0c 01 1a 2b \n"},
    });
}

TEST(LapdDetail, FieldLinesByFrameType) {
    Check({
        {"S frame", DecodeLapd, D, "02 81 01 07 1a 2b",
         "  SAPI 000 TEI 064  CR 1  S   NS ---  NR 003  P/F 1  RR     FCS 1a2b"
         "\nLAPD: SAPI: 000 Call Control Procedures"
         "\nLAPD: TEI : 064 Automatic TEI Assignment"
         "\nLAPD: Type: Supervisory"
         "\nLAPD: Frm : Receiver Ready\n\n"},
        {"FRMR fields from the five octets before the FCS", DecodeLapd, D, "00 81 97 0d 10 10 0c 08 1a 2b",
         "  SAPI 000 TEI 064  CR 0  U   NS ---  NR ---  P/F 1  FRMR   FCS 1a2b" + kIndent +
             "0d 10 10 0c 08 "
             "\nLAPD: SAPI: 000 Call Control Procedures"
             "\nLAPD: TEI : 064 Automatic TEI Assignment"
             "\nLAPD: Type: Unnumbered"
             "\nLAPD: Frm : Frame Reject"
             "\nLAPD: Rejected Frame : 0d"
             "\nLAPD: Control        : 10"
             "\nLAPD: V(S)           : 08"
             "\nLAPD: V(R)           : 06"
             "\nLAPD: C/R            : 0"
             "\nLAPD: ZYXW           : 1000\n\n"},
        {"detail and hex", DecodeLapd, D | H, "fc ff 03 1a 2b",
         "  SAPI 063 TEI 127  CR 0  U   NS ---  NR ---  P/F 0  UI     FCS 1a2b"
         "\nLAPD: SAPI: 063 Layer 2 Management Procedures"
         "\nLAPD: TEI : 127 Group TEI"
         "\nLAPD: Type: Unnumbered"
         "\nLAPD: Frm : Unnumbered Information"
         "\nHEX TRACE:" + kIndent + "fc ff 03 1a 2b \n\n"},
        {"reserved SAPI, static TEI", DecodeLapd, D, "04 7e 01 00 1a 2b",
         "  SAPI 001 TEI 063  CR 0  S   NS ---  NR 000  P/F 0  RR     FCS 1a2b"
         "\nLAPD: SAPI: 001 Reserved"
         "\nLAPD: TEI : 063 Static TEI Assignment"
         "\nLAPD: Type: Supervisory"
         "\nLAPD: Frm : Receiver Ready\n\n"},
        {"unnamed S frame has an empty name line", DecodeLapd, D, "30 fd 0d 00 1a 2b",
         "  SAPI 012 TEI 126  CR 0  S   NS ---  NR 000  P/F 0 FCS 1a2b"
         "\nLAPD: SAPI: 012 Teleaction Communication"
         "\nLAPD: TEI : 126 Automatic TEI Assignment"
         "\nLAPD: Type: Supervisory"
         "\nLAPD: Frm : \n\n"},
        {"U frame keyed as information", DecodeLapd, D, "40 81 ff 1a 2b",
         "  SAPI 016 TEI 064  CR 0  U   NS ---  NR ---  P/F 1  INFO   FCS 1a2b"
         "\nLAPD: SAPI: 016 X.25 Level 3 Procedures"
         "\nLAPD: TEI : 064 Automatic TEI Assignment"
         "\nLAPD: Type: Unnumbered"
         "\nLAPD: Frm : Information\n\n"},
        {"layer 3 needs the detail block", DecodeLapd, L3, "00 81 00 00 08 01 05 05 1a 2b",
         "  SAPI 000 TEI 064  CR 0  I   NS 000  NR 000  P/F 0  INFO   FCS 1a2b" + kIndent +
             "08 01 05 05 \n"},
    });
}

TEST(LapdDetail, TeiClassBoundaries) {
    const struct {
        int tei;
        const char* text;
    } cases[] = {{0, " Static TEI Assignment"},     {63, " Static TEI Assignment"},
                 {64, " Automatic TEI Assignment"}, {126, " Automatic TEI Assignment"},
                 {127, " Group TEI"}};
    for (const auto& c : cases) {
        char frame[32];
        std::snprintf(frame, sizeof frame, "00 %02x 01 00 1a 2b", c.tei << 1 | 1);
        const std::string text = DecodeHex(DecodeLapd, D, frame);
        char line[64];
        std::snprintf(line, sizeof line, "\nLAPD: TEI : %03d%s\n", c.tei, c.text);
        EXPECT_NE(text.find(line), std::string::npos) << text;
    }
}

TEST(Lapf, DlciOfTwoThreeAndFourOctetAddresses) {
    Check({
        {"two octets", DecodeLapf, S, "18 11 03 1a 2b",
         "  DLCI  00000061  U   NS ---  NR ---  P/F 0  UI     FCS 1a2b\n"},
        {"three octets", DecodeLapf, S, "18 40 05 01 07 1a 2b",
         "  DLCI  00001901  S   NS ---  NR 003  P/F 1  RR     FCS 1a2b\n"},
        {"four octets", DecodeLapf, S, "18 40 02 04 00 02 41 42 1a 2b",
         "  DLCI  000c8041  I   NS 000  NR 001  P/F 0  INFO   FCS 1a2b" + kIndent + "41 42 \n"},
        {"largest two-octet DLCI", DecodeLapf, S, "fc f1 73 1a 2b",
         "  DLCI  000003ff  U   NS ---  NR ---  P/F 1  UA     FCS 1a2b\n"},
        {"detail line in place of SAPI and TEI", DecodeLapf, D, "18 11 03 1a 2b",
         "  DLCI  00000061  U   NS ---  NR ---  P/F 0  UI     FCS 1a2b"
         "\nLAPD: DLCI: 00000061"
         "\nLAPD: Type: Unnumbered"
         "\nLAPD: Frm : Unnumbered Information\n\n"},
        {"four-octet detail", DecodeLapf, D | H, "18 40 02 04 7f 1a 2b",
         "  DLCI  000c8041  U   NS ---  NR ---  P/F 1  SAMBE  FCS 1a2b"
         "\nLAPD: DLCI: 000c8041"
         "\nLAPD: Type: Unnumbered"
         "\nLAPD: Frm : Set Asynchronous Mode Balanced Extended"
         "\nHEX TRACE:" + kIndent + "18 40 02 04 7f 1a 2b \n\n"},
        {"FRMR after a three-octet address", DecodeLapf, D, "18 40 05 97 0d 10 10 0c 01 1a 2b",
         "  DLCI  00001901  U   NS ---  NR ---  P/F 1  FRMR   FCS 1a2b" + kIndent +
             "0d 10 10 0c 01 "
             "\nLAPD: DLCI: 00001901"
             "\nLAPD: Type: Unnumbered"
             "\nLAPD: Frm : Frame Reject"
             "\nLAPD: Rejected Frame : 0d"
             "\nLAPD: Control        : 10"
             "\nLAPD: V(S)           : 08"
             "\nLAPD: V(R)           : 06"
             "\nLAPD: C/R            : 0"
             "\nLAPD: ZYXW           : 0001\n\n"},
    });
}

TEST(Lapd, ClassifyControl) {
    EXPECT_EQ(ClassifyLapdControl(0x00), kLapdInformation);
    EXPECT_EQ(ClassifyLapdControl(0xfe), kLapdInformation);
    EXPECT_EQ(ClassifyLapdControl(0x01), kLapdSupervisory);
    EXPECT_EQ(ClassifyLapdControl(0x0d), kLapdSupervisory);
    EXPECT_EQ(ClassifyLapdControl(0x03), kLapdUnnumbered);
    EXPECT_EQ(ClassifyLapdControl(0xff), kLapdUnnumbered);
}

TEST(Lapd, ShortFramesWriteWhatTheirOctetsHold) {
    Check({
        {"no octets", DecodeLapd, D | H, "", "\nHEX TRACE:" + kIndent + "\n\n"},
        {"one octet", DecodeLapd, S, "02", "  SAPI 000\n"},
        {"address only", DecodeLapd, D, "02 81",
         "  SAPI 000 TEI 064  CR 1"
         "\nLAPD: SAPI: 000 Call Control Procedures"
         "\nLAPD: TEI : 064 Automatic TEI Assignment\n\n"},
        {"I frame cut after control 1", DecodeLapd, D, "00 81 02",
         "  SAPI 000 TEI 064  CR 0  I   NS 001"
         "\nLAPD: SAPI: 000 Call Control Procedures"
         "\nLAPD: TEI : 064 Automatic TEI Assignment"
         "\nLAPD: Type: Information\n\n"},
        {"I frame without room for the FCS", DecodeLapd, S, "00 81 02 04 1a",
         "  SAPI 000 TEI 064  CR 0  I   NS 001  NR 002  P/F 0  INFO  \n"},
        {"U frame without room for the FCS", DecodeLapd, S, "00 81 73 1a",
         "  SAPI 000 TEI 064  CR 0  U   NS ---  NR ---  P/F 1  UA    \n"},
        {"FRMR too short for its fields", DecodeLapd, D, "00 81 97 0d 1a 2b",
         "  SAPI 000 TEI 064  CR 0  U   NS ---  NR ---  P/F 1  FRMR   FCS 1a2b" + kIndent + "0d "
         "\nLAPD: SAPI: 000 Call Control Procedures"
         "\nLAPD: TEI : 064 Automatic TEI Assignment"
         "\nLAPD: Type: Unnumbered"
         "\nLAPD: Frm : Frame Reject\n\n"},
        {"LAPF address cut short", DecodeLapf, D, "18 40", "\n\n"},
    });
}

}  // namespace
}  // namespace korvex
