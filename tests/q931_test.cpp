// Q.931 trace texts: message header and summary, the element walk, and the
// element decoders, one case a row.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoders/q931/ie_decoders.h"
#include "test_support.h"

namespace korvex {
namespace {

using test::DecodeHex;

constexpr uint32_t S = DECODE_SUMMARY;
constexpr uint32_t D = DECODE_DETAIL;
constexpr uint32_t H = DECODE_HEX;

const std::string kIndent = "\n      ";

struct Golden {
    const char* name;
    uint32_t flags;
    const char* message;
    std::string text;  // after the timestamp
};

void CheckMessages(const std::vector<Golden>& cases) {
    for (const Golden& c : cases) {
        ElementState().Reset();
        EXPECT_EQ(DecodeHex(DecodeQ931, c.flags, c.message, "12:01.250"), "12:01.250" + c.text) << c.name;
    }
}

// The lines the walk writes for these element octets, carried in a SETUP
// with call reference 1.
std::string ElementLines(const std::string& elements) {
    const std::string head =
        "  Q.931     Call Ref  0x000001    SETUP"
        "\nQ931: Call Reference: 0x1"
        "\nQ931: Message type  : SETUP";
    const std::string text = DecodeHex(DecodeQ931, D, "08 01 01 05 " + elements);
    if (text.compare(0, head.size(), head) != 0 || text.size() < head.size() + 2 ||
        text.compare(text.size() - 2, 2, "\n\n") != 0) {
        ADD_FAILURE() << "not a SETUP detail block: " << text;
        return text;
    }
    return text.substr(head.size(), text.size() - head.size() - 2);
}

struct ElementCase {
    const char* name;
    const char* elements;
    std::string lines;
};

void CheckElements(const std::vector<ElementCase>& cases) {
    for (const ElementCase& c : cases) {
        ElementState().Reset();
        EXPECT_EQ(ElementLines(c.elements), c.lines) << c.name;
    }
}

TEST(Q931Message, SummaryDetailAndHexTrace) {
    CheckMessages({
        {"call reference of one octet", S, "08 01 05 05", "  Q.931     Call Ref  0x000005    SETUP\n"},
        {"flags 0 as summary", 0, "08 01 05 05", "  Q.931     Call Ref  0x000005    SETUP\n"},
        {"call reference length 0", D, "08 00 05 a1",
         "  Q.931     Call Ref  0x000000    SETUP"
         "\nQ931: Call Reference: 0x0"
         "\nQ931: Message type  : SETUP"
         "\nQ931: IE: Sending complete\n\n"},
        {"flag bit stays part of the call reference", D, "08 02 80 01 07 a1",
         "  Q.931     Call Ref  0x008001    CONNECT"
         "\nQ931: Call Reference: 0x8001"
         "\nQ931: Message type  : CONNECT"
         "\nQ931: IE: Sending complete\n\n"},
        {"call reference of five octets folds", D, "08 05 10 00 00 00 05 4d a1",
         "  Q.931     Call Ref  0x000015    RELEASE"
         "\nQ931: Call Reference: 0x15"
         "\nQ931: Message type  : RELEASE"
         "\nQ931: IE: Sending complete\n\n"},
        {"call reference of four octets", S, "08 04 12 34 56 78 5a",
         "  Q.931     Call Ref  0x12345678    RELEASE COMP\n"},
        {"no octet after the message type: empty detail block", D, "08 01 01 05",
         "  Q.931     Call Ref  0x000001    SETUP\n\n"},
        {"detail, then hex trace", D | H, "08 01 81 4d a1",
         "  Q.931     Call Ref  0x000081    RELEASE"
         "\nQ931: Call Reference: 0x81"
         "\nQ931: Message type  : RELEASE"
         "\nQ931: IE: Sending complete\n"
         "\nHEX TRACE:" + kIndent + "08 01 81 4d a1 \n\n"},
        {"hex trace alone", H, "08 01 81 5a",
         "  Q.931     Call Ref  0x000081    RELEASE COMP"
         "\nHEX TRACE:" + kIndent + "08 01 81 5a \n\n"},
        {"unknown protocol discriminator", D, "41 01 01 7d a1",
         "  Reserved  Call Ref  0x000001    STATUS"
         "\nQ931: Call Reference: 0x1"
         "\nQ931: Message type  : STATUS"
         "\nQ931: IE: Sending complete\n\n"},
        {"Q.2931 discriminator", S, "09 01 01 75", "  Q.2931    Call Ref  0x000001    STATUS ENQ\n"},
        {"unknown message type", D, "08 01 01 99 a1",
         "  Q.931     Call Ref  0x000001    "
         "\nQ931: Call Reference: 0x1"
         "\nQ931: Message type  : "
         "\nQ931: IE: Sending complete\n\n"},
    });
}

// A message shorter than its own header is not walked; the summary holds
// the fields whose octets are there.
TEST(Q931Message, MessagesCutInsideTheirHeader) {
    CheckMessages({
        {"no octets", S, "", "\n"},
        {"no octets, every flag", D | H, "", "\n\nHEX TRACE:" + kIndent + "\n\n"},
        {"discriminator only", D, "08", "  Q.931   \n\n"},
        {"call reference cut short", D, "08 02 00", "  Q.931   \n\n"},
        {"no message type", D, "08 02 00 01", "  Q.931     Call Ref  0x000001    \n\n"},
        {"no message type, length 0", S, "08 00", "  Q.931     Call Ref  0x000000    \n"},
        {"call reference length past the message", D | H, "08 ff 01 02",
         "  Q.931   \n\nHEX TRACE:" + kIndent + "08 ff 01 02 \n\n"},
    });
}

TEST(Q931Walk, SingleOctetElements) {
    CheckElements({
        {"locking shift to codeset 6", "96",
         "\nQ931: IE: Shift"
         "\nQ931: Shift procedure: Locking shift"
         "\nQ931: Codeset ID: Codeset 6: information elements specific to local network"},
        {"non-locking shift to codeset 5", "9d",
         "\nQ931: IE: Shift"
         "\nQ931: Shift procedure: Non-locking shift"
         "\nQ931: Codeset ID: Codeset 5: information elements for national use"},
        {"shift to a reserved codeset", "91",
         "\nQ931: IE: Shift\nQ931: Shift procedure: Locking shift\nQ931: Codeset ID: Reserved"},
        {"receiver ready keeps its blank", "b0",
         "\nQ931: IE: Congestion level\nQ931: Congestion level: Receiver Ready "},
        {"receiver not ready", "bf", "\nQ931: IE: Congestion level\nQ931: Congestion level: Receiver Not Ready"},
        {"congestion level without a name", "b5", "\nQ931: IE: Congestion level\nQ931: Congestion level: "},
        {"repeat indicator", "d2",
         "\nQ931: IE: Repeat indicator"
         "\nQ931: Repeat Indication: Prioritized list for selecting one possibility"},
        {"reserved repeat indicator", "d3", "\nQ931: IE: Repeat indicator\nQ931: Repeat Indication: Reserved"},
        {"more data and sending complete by their whole octet", "a0 a1 a7",
         "\nQ931: IE: More data\nQ931: IE: Sending complete\nQ931: IE: More data"},
        {"reserved single octets", "80 8f", "\nQ931: IE: Reserved\nQ931: IE: Reserved"},
        {"single octets without a name", "c5 e0 ff", "\nQ931: IE: \nQ931: IE: \nQ931: IE: "},
    });
}

TEST(Q931Walk, VariableLengthElements) {
    CheckElements({
        {"unknown identifier: contents passed over", "1c 02 41 42 a1",
         "\nQ931: IE: \nQ931: IE: Sending complete"},
        {"length 0: no contents", "08 00 a1", "\nQ931: IE: Cause\nQ931: IE: Sending complete"},
        {"length past the end of the message", "08 05 80 90",
         "\nQ931: IE: Cause"
         "\nQ931: Cause: Coding Standard    : ITU-T"
         "\nQ931: Cause: Location           : user"
         "\nQ931: Cause: Class              : Class (001): normal event"
         "\nQ931: Cause: Value              : Normal call clearing"},
        {"message ends after an identifier", "a1 08", "\nQ931: IE: Sending complete\nQ931: IE: Cause"},
        {"octet index restarts for the same element", "14 01 0a 14 01 cc",
         "\nQ931: IE: Call state"
         "\nQ931: Call State: Coding Standard : ITU-T"
         "\nQ931: Call State: Value           : Active"
         "\nQ931: IE: Call state"
         "\nQ931: Call State: Coding Standard : Standard defined for the network"
         "\nQ931: Call State: Value           : Disconnect indication"},
        {"escape for extension has no decoder", "7f 02 01 02 a1",
         "\nQ931: IE: Escape for extension\nQ931: IE: Sending complete"},
        {"a shift changes no later element", "95 79 01 87",
         "\nQ931: IE: Shift\nQ931: Shift procedure: Locking shift"
         "\nQ931: Codeset ID: Codeset 5: information elements for national use"
         "\nQ931: IE: Restart indicator\nQ931: Restart Ind: Class: All interfaces"},
    });
}

TEST(Q931Elements, BearerAndCompatibility) {
    CheckElements({
        {"speech, circuit mode, 64 kbit/s", "04 03 80 90 a3",
         "\nQ931: IE: Bearer capability"
         "\nQ931: BC: Coding Standard    : ITU-T"
         "\nQ931: BC: Transfer Capability: Speech"
         "\nQ931: BC: Transfer Mode      : Circuit mode"
         "\nQ931: BC: Transfer Rate      : 64 kbps"},
        {"packet mode by transfer mode 10", "04 02 88 c0",
         "\nQ931: IE: Bearer capability"
         "\nQ931: BC: Coding Standard    : ITU-T"
         "\nQ931: BC: Transfer Capability: Unrestricted digital information"
         "\nQ931: BC: Transfer Mode      : Packet Mode"
         "\nQ931: BC: Transfer Rate      : packet mode"},
        {"packet mode by transfer mode 01, network standard", "04 02 e8 a0",
         "\nQ931: IE: Bearer capability"
         "\nQ931: BC: Coding Standard    : Standard defined for the network"
         "\nQ931: BC: Transfer Capability: Unrestricted digital information"
         "\nQ931: BC: Transfer Mode      : Packet Mode"
         "\nQ931: BC: Transfer Rate      : packet mode"},
        {"values without a name leave their labels", "04 02 c1 9f",
         "\nQ931: IE: Bearer capability"
         "\nQ931: BC: Coding Standard    : National standard"
         "\nQ931: BC: Transfer Capability: "
         "\nQ931: BC: Transfer Mode      : Circuit mode"
         "\nQ931: BC: Transfer Rate      : "},
        {"low layer octet 3a read as octet 4", "7c 03 08 98 90",
         "\nQ931: IE: Low layer compatibility"
         "\nQ931: LL Compatibility: Coding Standard    : ITU-T"
         "\nQ931: LL Compatibility: Transfer Capability: Unrestricted digital information"
         "\nQ931: LL Compatibility: Transfer Mode      : Circuit mode"
         "\nQ931: LL Compatibility: Transfer Rate      : Multirate 64 kbps base rate"},
        {"high layer telephony", "7d 02 91 81",
         "\nQ931: IE: High layer compatibility"
         "\nQ931: HL Compatibility: Coding Standard   : ITU-T"
         "\nQ931: HL Compatibility: Interpretation    : First high layer characteristics id to be used"
         "\nQ931: HL Compatibility: Pres. method      : High layer protocol profile"
         "\nQ931: HL Compatibility: Characteristics Id: Telephony"},
        {"high layer without interpretation, reserved characteristics", "7d 03 80 70 01",
         "\nQ931: IE: High layer compatibility"
         "\nQ931: HL Compatibility: Coding Standard   : ITU-T"
         "\nQ931: HL Compatibility: Interpretation    : "
         "\nQ931: HL Compatibility: Pres. method      : "
         "\nQ931: HL Compatibility: Characteristics Id: Reserved"},
        {"high layer shared audiovisual text", "7d 02 e1 e9",
         "\nQ931: IE: High layer compatibility"
         "\nQ931: HL Compatibility: Coding Standard   : Standard defined for the network"
         "\nQ931: HL Compatibility: Interpretation    : "
         "\nQ931: HL Compatibility: Pres. method      : High layer protocol profile"
         "\nQ931: HL Compatibility: Characteristics Id: Audiovisual service"},
    });
}

TEST(Q931Elements, CauseAndCallState) {
    const std::string cause = "\nQ931: IE: Cause\nQ931: Cause: Coding Standard    : ";
    CheckElements({
        {"normal call clearing", "08 02 80 90",
         cause + "ITU-T\nQ931: Cause: Location           : user"
                 "\nQ931: Cause: Class              : Class (001): normal event"
                 "\nQ931: Cause: Value              : Normal call clearing"},
        {"cause 127, location beyond interworking, diagnostic not decoded", "08 03 8a ff 41",
         cause + "ITU-T\nQ931: Cause: Location           : network beyond interworking point"
                 "\nQ931: Cause: Class              : Class (111): interworking"
                 "\nQ931: Cause: Value              : Interworking, unspecified"},
        {"cause 0 has no row, location 6 neither", "08 02 86 80",
         cause + "ITU-T\nQ931: Cause: Location           : "
                 "\nQ931: Cause: Class              : Class (000): normal event"
                 "\nQ931: Cause: Value              : "},
        {"class 2 key 3 has no row", "08 02 e2 a3",
         cause + "Standard defined for the network"
                 "\nQ931: Cause: Location           : public network serving the local user"
                 "\nQ931: Cause: Class              : Class (010): resource unavailable"
                 "\nQ931: Cause: Value              : "},
        {"key 0 row of class 6", "08 02 80 e0",
         cause + "ITU-T\nQ931: Cause: Location           : user"
                 "\nQ931: Cause: Class              : Class (110): protocol error (e.g. unknown message)"
                 "\nQ931: Cause: Value              : Mandatory information element is missing"},
        {"cause 31", "08 02 80 9f",
         cause + "ITU-T\nQ931: Cause: Location           : user"
                 "\nQ931: Cause: Class              : Class (001): normal event"
                 "\nQ931: Cause: Value              : Normal, unspecified"},
        {"call state with network coding", "14 01 ca",
         "\nQ931: IE: Call state"
         "\nQ931: Call State: Coding Standard : Standard defined for the network"
         "\nQ931: Call State: Value           : Active"},
        {"restart call state", "14 01 3d",
         "\nQ931: IE: Call state"
         "\nQ931: Call State: Coding Standard : ITU-T"
         "\nQ931: Call State: Value           : REST1 - Restart request"},
        {"call state without a name", "14 02 05 0a",
         "\nQ931: IE: Call state"
         "\nQ931: Call State: Coding Standard : ITU-T"
         "\nQ931: Call State: Value           : "},
    });
}

TEST(Q931Elements, ProgressNotificationSignalRestart) {
    CheckElements({
        {"in-band information", "1e 02 81 88",
         "\nQ931: IE: Progress indicator"
         "\nQ931: Progress Indicator : Coding Standard: ITU-T"
         "\nQ931: Progress Indicator : Location       : private network serving the local user"
         "\nQ931: Progress Indicator : Progress descr.: In-band information available"},
        {"progress without names", "1e 02 c6 86",
         "\nQ931: IE: Progress indicator"
         "\nQ931: Progress Indicator : Coding Standard: National standard"
         "\nQ931: Progress Indicator : Location       : "
         "\nQ931: Progress Indicator : Progress descr.: "},
        {"user suspended", "27 01 80", "\nQ931: IE: Notification indicator\nQ931: Notification Indicator: Description: User suspended"},
        {"bearer service change", "27 01 82",
         "\nQ931: IE: Notification indicator\nQ931: Notification Indicator: Description: Bearer service change"},
        {"notification 3", "27 01 83", "\nQ931: IE: Notification indicator\nQ931: Notification Indicator: Description: Reserved"},
        {"notification 6 and up are reserved", "27 01 86 27 01 ff",
         "\nQ931: IE: Notification indicator\nQ931: Notification Indicator: Description: Reserved"
         "\nQ931: IE: Notification indicator\nQ931: Notification Indicator: Description: Reserved"},
        {"tones off", "34 01 3f", "\nQ931: IE: Signal\nQ931: Signal: Contents: Tones off"},
        {"alerting off", "34 01 4f", "\nQ931: IE: Signal\nQ931: Signal: Contents: Alerting off"},
        {"signal without a name", "34 01 0a", "\nQ931: IE: Signal\nQ931: Signal: Contents: "},
        {"single interface", "79 01 86", "\nQ931: IE: Restart indicator\nQ931: Restart Ind: Class: Single interface"},
        {"indicated channels", "79 01 80", "\nQ931: IE: Restart indicator\nQ931: Restart Ind: Class: Indicated channels"},
        {"restart class without a word", "79 01 83", "\nQ931: IE: Restart indicator\nQ931: Restart Ind: Class: "},
    });
}

}  // namespace
}  // namespace korvex
