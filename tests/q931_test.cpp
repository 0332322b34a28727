// Q.931 trace texts: message header and summary, the element walk, and the
// element decoders, one case a row.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "decoders/q931/ie_decoders.h"
#include "test_support.h"

namespace korvex {
namespace {

using test::DecodeHex;

using namespace test::flags;

const std::string& kIndent = test::kDumpIndent;

// Each message decoded from the element decoders' initial state.
void CheckMessages(const std::vector<test::Golden>& cases) {
    test::ExpectGolden(DecodeQ931, "12:01.250", cases, [] { ElementState().Reset(); });
}

// The lines the walk writes for these element octets, carried in a SETUP
// with call reference 1, decoded with DECODE_DETAIL and extraFlags.
std::string ElementLines(const std::string& elements, uint32_t extraFlags = 0) {
    const std::string head =
        "  Q.931     Call Ref  0x000001    SETUP"
        "\nQ931: Call Reference: 0x1"
        "\nQ931: Message type  : SETUP";
    const std::string text = DecodeHex(DecodeQ931, D | extraFlags, "08 01 01 05 " + elements);
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
        // header only: discriminator, call reference, message type
        {"CONNECT ACK: header lines alone", D, "08 01 81 0f",
         "  Q.931     Call Ref  0x000081    CONNECT ACK"
         "\nQ931: Call Reference: 0x81"
         "\nQ931: Message type  : CONNECT ACK\n\n"},
        // header only, call reference of two octets
        {"RELEASE COMPLETE without cause, with its hex trace", D | H, "08 02 80 01 5a",
         "  Q.931     Call Ref  0x008001    RELEASE COMP"
         "\nQ931: Call Reference: 0x8001"
         "\nQ931: Message type  : RELEASE COMP\n"
         "\nHEX TRACE:" + kIndent + "08 02 80 01 5a \n\n"},
        // header only, call reference length 0
        {"no call reference octets, no elements", D, "08 00 0f",
         "  Q.931     Call Ref  0x000000    CONNECT ACK"
         "\nQ931: Call Reference: 0x0"
         "\nQ931: Message type  : CONNECT ACK\n\n"},
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
    });
}

// Shifts: a locking shift makes every later variable-length element one of
// its codeset, a non-locking shift the one element right after it. Only
// codeset 0 elements are decoded.
TEST(Q931Walk, Codesets) {
    const std::string locking6 =
        "\nQ931: IE: Shift\nQ931: Shift procedure: Locking shift"
        "\nQ931: Codeset ID: Codeset 6: information elements specific to local network";
    const std::string nonLocking5 =
        "\nQ931: IE: Shift\nQ931: Shift procedure: Non-locking shift"
        "\nQ931: Codeset ID: Codeset 5: information elements for national use";
    const std::string allInterfaces = "\nQ931: IE: Restart indicator\nQ931: Restart Ind: Class: All interfaces";
    CheckElements({
        // locking shift 6, then two elements of codeset 6 (identifier, length, contents)
        {"codeset 6 elements are named, their contents passed over", "96 04 02 01 02 1e 02 81 88",
         locking6 + "\nQ931: IE: Codeset 6 element 0x04\nQ931: IE: Codeset 6 element 0x1e"},
        // locking shift 6, element of length 0, single-octet element, element cut short
        {"single-octet elements read as in codeset 0", "96 7b 00 a1 b0 79 05 87",
         locking6 + "\nQ931: IE: Codeset 6 element 0x7b\nQ931: IE: Sending complete"
                    "\nQ931: IE: Congestion level\nQ931: Congestion level: Receiver Ready "
                    "\nQ931: IE: Codeset 6 element 0x79"},
        // locking shift 6, identifier with no length octet
        {"message ending after an identifier of another codeset", "96 08",
         locking6 + "\nQ931: IE: Codeset 6 element 0x08"},
        // non-locking shift 5, one element of codeset 5, then codeset 0 again
        {"non-locking shift: the one element after it", "9d 79 01 87 79 01 87",
         nonLocking5 + "\nQ931: IE: Codeset 5 element 0x79" + allInterfaces},
        // non-locking shift 5, a single-octet element takes its turn
        {"non-locking shift followed by a single-octet element", "9d a1 79 01 87",
         nonLocking5 + "\nQ931: IE: Sending complete" + allInterfaces},
        // locking shift 6, non-locking shift 7, then codeset 7 once and codeset 6 again
        {"non-locking shift inside a locked codeset", "96 9f 00 00 7e 00",
         locking6 +
             "\nQ931: IE: Shift\nQ931: Shift procedure: Non-locking shift"
             "\nQ931: Codeset ID: Codeset 7: user-specific information elements"
             "\nQ931: IE: Codeset 7 element 0x00\nQ931: IE: Codeset 6 element 0x7e"},
        // locking shift to a reserved codeset, then locking shift back to 0
        {"locking shift to codeset 0 decodes again", "91 79 01 87 90 79 01 87",
         "\nQ931: IE: Shift\nQ931: Shift procedure: Locking shift\nQ931: Codeset ID: Reserved"
         "\nQ931: IE: Codeset 1 element 0x79"
         "\nQ931: IE: Shift\nQ931: Shift procedure: Locking shift"
         "\nQ931: Codeset ID: Codeset 0: Q.931 information elements" + allInterfaces},
        // non-locking shift to codeset 0: the element after it is decoded
        {"non-locking shift to codeset 0", "98 79 01 87",
         "\nQ931: IE: Shift\nQ931: Shift procedure: Non-locking shift"
         "\nQ931: Codeset ID: Codeset 0: Q.931 information elements" + allInterfaces},
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
        // octet 3 (ext 0), octet 3a (ext 1, not shown), octet 4
        {"low layer octet 3a passed over, then octet 4", "7c 03 08 98 90",
         "\nQ931: IE: Low layer compatibility"
         "\nQ931: LL Compatibility: Coding Standard    : ITU-T"
         "\nQ931: LL Compatibility: Transfer Capability: Unrestricted digital information"
         "\nQ931: LL Compatibility: Transfer Mode      : Circuit mode"
         "\nQ931: LL Compatibility: Transfer Rate      : 64 kbps"},
        // octet 3 (ext 0), octets 3a and 3b (ext 0, ext 1), octet 4, octet 5
        {"bearer octet-3 group of three, then octet 4", "04 05 08 18 98 c0 a3",
         "\nQ931: IE: Bearer capability"
         "\nQ931: BC: Coding Standard    : ITU-T"
         "\nQ931: BC: Transfer Capability: Unrestricted digital information"
         "\nQ931: BC: Transfer Mode      : Packet Mode"
         "\nQ931: BC: Transfer Rate      : packet mode"},
        // octet 3 (ext 0), octet 3a (ext 0), then the element ends: no octet 4
        {"bearer element ending inside its octet-3 group", "04 02 00 10",
         "\nQ931: IE: Bearer capability"
         "\nQ931: BC: Coding Standard    : ITU-T"
         "\nQ931: BC: Transfer Capability: Speech"},
        // octet 3 (ext 0), octet 3a (ext 1), octet 4
        {"high layer octet 3a passed over", "7d 03 11 91 81",
         "\nQ931: IE: High layer compatibility"
         "\nQ931: HL Compatibility: Coding Standard   : ITU-T"
         "\nQ931: HL Compatibility: Interpretation    : First high layer characteristics id to be used"
         "\nQ931: HL Compatibility: Pres. method      : High layer protocol profile"
         "\nQ931: HL Compatibility: Characteristics Id: Telephony"},
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
        // octet 3 (ext 0), octet 3a (recommendation, ext 1), octet 4
        {"octet 3a passed over: octet 4 after it", "08 03 00 81 90",
         cause + "ITU-T\nQ931: Cause: Location           : user"
                 "\nQ931: Cause: Class              : Class (001): normal event"
                 "\nQ931: Cause: Value              : Normal call clearing"},
        // octet 3 (ext 0), octet 3a (ext 1), octet 4, diagnostic
        {"octet 3a, octet 4, then a diagnostic", "08 04 02 8a a2 41",
         cause + "ITU-T\nQ931: Cause: Location           : public network serving the local user"
                 "\nQ931: Cause: Class              : Class (010): resource unavailable"
                 "\nQ931: Cause: Value              : No circuit/channel available"},
        // octet 3 (ext 0), octet 3a (ext 0, out of place), then the element ends
        {"octet 3 group running to the element's end: no class line", "08 02 00 01",
         cause + "ITU-T\nQ931: Cause: Location           : user"},
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

// The whole SETUP of call reference 1 with a bearer capability, a channel
// identification and sending complete, piece by piece.
TEST(Q931Message, SetupWithBearerChannelAndSendingComplete) {
    const std::vector<std::string> pieces = {
        "12:01.250",
        "  Q.931   ",
        "  Call Ref  0x000001    ",
        "SETUP",
        "\nQ931: Call Reference: 0x1",
        "\nQ931: Message type  : SETUP",
        "\nQ931: IE: Bearer capability",
        "\nQ931: BC: Coding Standard    : ITU-T",
        "\nQ931: BC: Transfer Capability: Speech",
        "\nQ931: BC: Transfer Mode      : Circuit mode",
        "\nQ931: BC: Transfer Rate      : 64 kbps",
        "\nQ931: IE: Channel identification",
        "\nQ931: Channel Idenfication : Int Id present : Interface implicitly identified",
        "\nQ931: Channel Idenfication : Interface type : Other interface",
        "\nQ931: Channel Idenfication : Pref/Excl      : Exclusive",
        "\nQ931: Channel Idenfication : D-Channel Ind. : Not D-Channel",
        "\nQ931: Channel Idenfication : Info channel   : As indicated in following octets",
        "\nQ931: Channel Idenfication : Coding Standard: ITU-T",
        "\nQ931: Channel Idenfication : Number / Map   : Number",
        "\nQ931: Channel Idenfication : Chan / map type: B-channel units",
        "\nQ931: Channel Idenfication : Ch num/slot map: 0x01",
        "\nQ931: IE: Sending complete",
        "\n",
        "\n",
    };
    std::string expected;
    for (const std::string& piece : pieces) expected += piece;
    ElementState().Reset();
    EXPECT_EQ(DecodeHex(DecodeQ931, D, "08 02 00 01 05 04 03 80 90 A2 18 03 A9 83 81 A1", "12:01.250"), expected);
}

// Every element identifier reaches the decoder of its own row: the first
// line after the element's name is one of that element's lines.
TEST(Q931Walk, EveryIdentifierReachesItsOwnDecoder) {
    const struct {
        const char* identifier;
        const char* firstLine;
    } rows[] = {
        {"00", "\nQ931: 1st Segment Indicator: "},
        {"04", "\nQ931: BC: Coding Standard    : "},
        {"08", "\nQ931: Cause: Coding Standard    : "},
        {"10", "\nQ931: Call Identity: "},
        {"14", "\nQ931: Call State: Coding Standard : "},
        {"18", "\nQ931: Channel Idenfication : Int Id present : "},
        {"1e", "\nQ931: Progress Indicator : Coding Standard: "},
        {"20", "\nQ931: Ntwk spec. facilities : Type of ntwk id: "},
        {"27", "\nQ931: Notification Indicator: Description: "},
        {"28", "\nQ931: Display: Contents: "},
        {"29", "\nQ931: Date / Time: Year: "},
        {"2c", "\nQ931: Keypad Facility: Chars: "},
        {"34", "\nQ931: Signal: Contents: "},
        {"40", "\nQ931: Info Rate: Incoming Rate    : "},
        {"42", "\nQ931: Transit Delay: "},
        {"43", "\nQ931: Transit Delay: "},
        {"44", "\nQ931: Fast Select : "},
        {"45", "\nQ931: Pkt layer window size: forward value  :"},
        {"46", "\nQ931: Packet size: forward value  :"},
        {"47", "\nQ931: CUG : CUG Indication : "},
        {"4a", "\nQ931: Reverse Charging : "},
        {"6c", "\nQ931: Calling PN: Type of number: "},
        {"6d", "\nQ931: Calling Party Subaddress: type     : "},
        {"70", "\nQ931: Called PN: Type of number: "},
        {"71", "\nQ931: Called Party Subaddress: type     : "},
        {"74", "\nQ931: Redirecting Number: Type of number: "},
        {"78", "\nQ931: Transit Ntwk Sel: Type of Ntwk Id: "},
        {"79", "\nQ931: Restart Ind: Class: "},
        {"7c", "\nQ931: LL Compatibility: Coding Standard    : "},
        {"7d", "\nQ931: HL Compatibility: Coding Standard   : "},
        {"7e", "\nQ931: User User: Protocol Desc.: "},
    };
    for (const auto& row : rows) {
        ElementState().Reset();
        const std::string lines = ElementLines(std::string(row.identifier) + " 03 01 81 81");
        const std::size_t first = lines.find('\n', 1);
        ASSERT_NE(first, std::string::npos) << row.identifier << ": no line after the element's name";
        EXPECT_EQ(lines.compare(first, std::string(row.firstLine).size(), row.firstLine), 0)
            << row.identifier << ": " << lines;
    }
}

TEST(Q931Elements, ChannelIdentification) {
    const std::string head = "\nQ931: IE: Channel identification\nQ931: Channel Idenfication : ";
    const std::string implicitBasic =
        head + "Int Id present : Interface implicitly identified"
               "\nQ931: Channel Idenfication : Interface type : Basic interface";
    const std::string implicitOther =
        head + "Int Id present : Interface implicitly identified"
               "\nQ931: Channel Idenfication : Interface type : Other interface";
    const std::string exclusive =
        "\nQ931: Channel Idenfication : Pref/Excl      : Exclusive"
        "\nQ931: Channel Idenfication : D-Channel Ind. : Not D-Channel";
    const std::string channel = "\nQ931: Channel Idenfication : Info channel   : ";
    const std::string itu = "\nQ931: Channel Idenfication : Coding Standard: ITU-T";
    const std::string number = "\nQ931: Channel Idenfication : Number / Map   : Number";
    const std::string map = "\nQ931: Channel Idenfication : Number / Map   : Map";
    const std::string bUnits = "\nQ931: Channel Idenfication : Chan / map type: B-channel units";
    const std::string slot = "\nQ931: Channel Idenfication : Ch num/slot map: 0x";
    const std::string explicitOther =
        head + "Int Id present : Interface explicitly identified"
               "\nQ931: Channel Idenfication : Interface type : Other interface";
    const std::string ifId = "\nQ931: Channel Idenfication : IF Identifier  : ";
    CheckElements({
        {"basic interface, B1 exclusive", "18 01 89", implicitBasic + exclusive + channel + "B1 channel"},
        {"basic interface, any channel preferred", "18 01 83",
         implicitBasic + "\nQ931: Channel Idenfication : Pref/Excl      : Preferred"
                         "\nQ931: Channel Idenfication : D-Channel Ind. : Not D-Channel" +
             channel + "Any channel"},
        {"B2 and no channel", "18 01 8a 18 01 88",
         implicitBasic + exclusive + channel + "B2 channel" + implicitBasic + exclusive + channel + "No channel"},
        {"the D channel", "18 01 8d",
         implicitBasic + "\nQ931: Channel Idenfication : Pref/Excl      : Exclusive"
                         "\nQ931: Channel Idenfication : D-Channel Ind. : D-Channel" +
             channel + "B1 channel"},
        {"other interface, channel by number", "18 03 a9 83 81",
         implicitOther + exclusive + channel + "As indicated in following octets" + itu + number + bUnits + slot + "01"},
        {"reserved channel selection, network coding, H0 units", "18 03 aa e6 81",
         implicitOther + exclusive + channel + "Reserved" +
             "\nQ931: Channel Idenfication : Coding Standard: Standard defined for the network" + number +
             "\nQ931: Channel Idenfication : Chan / map type: H0-channel units" + slot + "01"},
        {"number loses the extension bit, a map keeps all eight bits", "18 03 a9 83 85 18 03 a9 93 85",
         implicitOther + exclusive + channel + "As indicated in following octets" + itu + number + bUnits + slot + "05" +
             implicitOther + exclusive + channel + "As indicated in following octets" + itu + map + bUnits + slot + "85"},
        {"channel type without a name, later octets not shown", "18 04 a9 85 81 82",
         implicitOther + exclusive + channel + "As indicated in following octets" + itu + number +
             "\nQ931: Channel Idenfication : Chan / map type: " + slot + "01"},
        // octet 3, interface identifier (ext 1), channel type, channel number
        {"explicit interface: identifier, then its own channel type and number", "18 04 e9 81 83 85",
         explicitOther + exclusive + channel + "As indicated in following octets" + ifId + "01" + itu + number +
             bUnits + slot + "05"},
        // the same after a map element: the element's own number flag counts
        {"explicit interface after a map element of the same message", "18 03 a9 93 85 18 04 e9 82 83 85",
         implicitOther + exclusive + channel + "As indicated in following octets" + itu + map + bUnits + slot + "85" +
             explicitOther + exclusive + channel + "As indicated in following octets" + ifId + "02" + itu +
             number + bUnits + slot + "05"},
        // octet 3, interface identifier (ext 1), channel type (map), slot map
        {"explicit interface with a slot map keeps all eight bits", "18 04 e9 81 93 85",
         explicitOther + exclusive + channel + "As indicated in following octets" + ifId + "01" + itu + map + bUnits +
             slot + "85"},
        // octet 3, identifier octets (ext 0, ext 0, ext 1), channel type, number, number
        {"identifier of three octets: the first shown, later channel octets not", "18 07 e9 05 06 87 83 81 82",
         explicitOther + exclusive + channel + "As indicated in following octets" + ifId + "05" + itu + number +
             bUnits + slot + "01"},
        // octet 3, identifier (ext 1): the element ends before the channel type
        {"explicit interface without a channel type", "18 02 e9 81",
         explicitOther + exclusive + channel + "As indicated in following octets" + ifId + "01"},
        // octet 3, identifier (ext 0): the identifier group runs to the end
        {"identifier group running to the element's end", "18 03 e9 01 02",
         explicitOther + exclusive + channel + "As indicated in following octets" + ifId + "01"},
        // basic interface named explicitly: the octets are read as they say
        {"basic interface named explicitly", "18 04 c1 81 83 82",
         head + "Int Id present : Interface explicitly identified"
                "\nQ931: Channel Idenfication : Interface type : Basic interface"
                "\nQ931: Channel Idenfication : Pref/Excl      : Preferred"
                "\nQ931: Channel Idenfication : D-Channel Ind. : Not D-Channel" +
             channel + "B1 channel" + ifId + "01" + itu + number + bUnits + slot + "02"},
    });
}

// A message reads the same whatever was decoded before it: every element
// decoder starts afresh at its element's first octet. Here channel
// elements, a cause and a calling number, whose earlier octets say how the
// later ones read, after messages that leave the opposite behind, after
// element state left anyhow, and after the message itself decoded into a
// buffer too small for its text.
TEST(Q931Detail, AMessageReadsTheSameWhateverCameBefore) {
    const std::string message =
        "08 01 01 05 18 04 e9 81 83 85 08 03 00 81 90 6c 05 81 35 35 35 35 18 03 a9 93 85";
    const std::vector<std::string> earlier = {
        "08 01 01 05 18 03 a9 93 85",  // a slot map element
        "08 01 01 05 18 04 e9 81 93",  // explicit interface, cut after its channel type (map)
        "08 01 01 05 18 02 e9 01",     // cut inside its interface identifier group
        "08 01 01 05 6c 02 01 80",     // a calling number that ends with octet 3a
        "08 01 01 05 08 02 00 00",     // a cause that ends inside its octet-3 group
        "08 01 01 05 74 02 00 00",     // a redirecting number that ends before octet 3b
    };
    const struct {
        const char* name;
        test::Entry entry;
        uint32_t flags;
        std::string frame;
    } cases[] = {
        {"call control message", DecodeQ931, D, message},
        {"with its hex trace", DecodeQ931, D | H, message},
        {"in a LAPD I frame", DecodeLapd, D | L3, "00 81 00 00 " + message + " 1a 2b"},
    };
    for (const auto& c : cases) {
        ElementState().Reset();
        const std::string whole = DecodeHex(c.entry, c.flags, c.frame);
        ASSERT_NE(whole.find("IF Identifier  : 01\nQ931: Channel Idenfication : Coding Standard: ITU-T"),
                  std::string::npos) << c.name;
        ASSERT_NE(whole.find("Ch num/slot map: 0x05\n"), std::string::npos) << c.name;
        ASSERT_NE(whole.find("Value              : Normal call clearing\n"), std::string::npos) << c.name;
        ASSERT_NE(whole.find("Digits        : 5555\n"), std::string::npos) << c.name;
        for (const std::string& before : earlier) {
            ElementState().Reset();
            DecodeHex(DecodeQ931, D, before);
            EXPECT_EQ(DecodeHex(c.entry, c.flags, c.frame), whole) << c.name << ", after " << before;
        }
        std::memset(static_cast<void*>(&ElementState()), 0xA5, sizeof(IeDecoderState));
        EXPECT_EQ(DecodeHex(c.entry, c.flags, c.frame), whole) << c.name << ", after state left anyhow";
        const std::vector<unsigned char> frame = test::Octets(c.frame);
        for (int32_t capacity : {1, 60, static_cast<int32_t>(whole.size())}) {
            std::vector<char> cut(static_cast<std::size_t>(capacity));
            c.entry(DecodeRequest{c.flags, "", frame.data(), cut.data(), static_cast<int32_t>(frame.size()), capacity});
            EXPECT_EQ(DecodeHex(c.entry, c.flags, c.frame), whole) << c.name << ", first cut at " << capacity;
        }
    }
}

// Threads decoding side by side each keep their own element state between
// the octets of an element.
TEST(Q931Elements, ElementStateIsPerThread) {
    auto run = [](const char* message, const char* expected, int& failures) {
        for (int i = 0; i < 2000; ++i) {
            if (DecodeHex(DecodeQ931, D, message).find(expected) == std::string::npos) ++failures;
        }
    };
    int mapFailures = 0;
    int numberFailures = 0;
    std::thread map(run, "08 01 01 05 18 04 e9 81 93 85", "slot map: 0x85\n", std::ref(mapFailures));
    std::thread number(run, "08 01 01 05 18 04 e9 81 83 85", "slot map: 0x05\n", std::ref(numberFailures));
    map.join();
    number.join();
    EXPECT_EQ(mapFailures, 0);
    EXPECT_EQ(numberFailures, 0);
}

TEST(Q931Elements, PartyNumbers) {
    const std::string called = "\nQ931: IE: Called party number\nQ931: Called PN: Type of number: ";
    const std::string calling = "\nQ931: IE: Calling party number\nQ931: Calling PN: Type of number: ";
    const std::string redirecting = "\nQ931: IE: Redirecting number\nQ931: Redirecting Number: Type of number: ";
    CheckElements({
        {"called number", "70 05 81 31 32 33 34",
         called + "Unknown\nQ931: Called PN: Numbering plan: ISDN/telephony numbering plan"
                  "\nQ931: Called PN: Digits        : 1234"},
        {"national, reserved type, empty type entry", "70 01 a1 70 01 f0 70 01 d0",
         called + "National number\nQ931: Called PN: Numbering plan: ISDN/telephony numbering plan" +
             called + "Reserved for extension\nQ931: Called PN: Numbering plan: Unknown" +
             called + "\nQ931: Called PN: Numbering plan: Unknown"},
        {"plans with and without names", "70 01 82 70 01 83 70 01 89 70 01 8e 70 01 8f",
         called + "Unknown\nQ931: Called PN: Numbering plan: " +
             called + "Unknown\nQ931: Called PN: Numbering plan: Data numbering plan" +
             called + "Unknown\nQ931: Called PN: Numbering plan: Private numbering plan" +
             called + "Unknown\nQ931: Called PN: Numbering plan: " +
             called + "Unknown\nQ931: Called PN: Numbering plan: Reserved for extension"},
        // octet 3 (ext 0): the called number has no octet 3a, digits follow
        {"called number digits right after octet 3 whatever its bit 8", "70 03 01 31 32",
         called + "Unknown\nQ931: Called PN: Numbering plan: ISDN/telephony numbering plan"
                  "\nQ931: Called PN: Digits        : 12"},
        {"a NUL digit is shown as a dot", "70 04 81 31 00 32",
         called + "Unknown\nQ931: Called PN: Numbering plan: ISDN/telephony numbering plan"
                  "\nQ931: Called PN: Digits        : 1.2"},
        // octet 3 (ext 0), octet 3a, digits
        {"calling number with presentation octet", "6c 06 01 80 35 35 35 35",
         calling + "Unknown\nQ931: Calling PN: Numbering plan: ISDN/telephony numbering plan"
                   "\nQ931: Calling PN: Presentation  : Presentation allowed"
                   "\nQ931: Calling PN: Screening     : User-provided, not screened"
                   "\nQ931: Calling PN: Digits        : 5555"},
        // octet 3 (ext 1), digits
        {"calling number without octet 3a: every digit shown", "6c 05 81 35 35 35 35",
         calling + "Unknown\nQ931: Calling PN: Numbering plan: ISDN/telephony numbering plan"
                   "\nQ931: Calling PN: Digits        : 5555"},
        // octet 3 (ext 1) alone
        {"calling number of octet 3 alone", "6c 01 a1",
         calling + "National number\nQ931: Calling PN: Numbering plan: ISDN/telephony numbering plan"},
        // octet 3 (ext 0), octet 3a, no digits
        {"not available, network provided, no digits", "6c 02 11 c3",
         calling + "International number\nQ931: Calling PN: Numbering plan: ISDN/telephony numbering plan"
                   "\nQ931: Calling PN: Presentation  : Number not available due to interworking"
                   "\nQ931: Calling PN: Screening     : Network provided"},
        // octet 3 (ext 0), octet 3a (ext 0), octet 3b, digits
        {"redirecting number, forwarded unconditionally", "74 05 21 62 8f 34 35",
         redirecting + "National number\nQ931: Redirecting Number: Numbering plan: ISDN/telephony numbering plan"
                       "\nQ931: Redirecting Number: Presentation  : Reserved"
                       "\nQ931: Redirecting Number: Screening     : User-provided, verified and failed"
                       "\nQ931: Redirecting Number: Reason        : "
                       "Call forwarding unconditional or systematic call redirection"
                       "\nQ931: Redirecting Number: Digits        : 45"},
        // octet 3 (ext 0), octet 3a (ext 1), digits: no reason
        {"redirecting number without octet 3b", "74 05 21 e2 33 34 35",
         redirecting + "National number\nQ931: Redirecting Number: Numbering plan: ISDN/telephony numbering plan"
                       "\nQ931: Redirecting Number: Presentation  : Reserved"
                       "\nQ931: Redirecting Number: Screening     : User-provided, verified and failed"
                       "\nQ931: Redirecting Number: Digits        : 345"},
        // octet 3 (ext 1), digits: neither presentation nor reason
        {"redirecting number without octet 3a", "74 03 c1 37 38",
         redirecting + "Subscriber number\nQ931: Redirecting Number: Numbering plan: ISDN/telephony numbering plan"
                       "\nQ931: Redirecting Number: Digits        : 78"},
        // octet 3 (ext 0), octet 3a (ext 0), octet 3b each time
        {"redirecting reasons reserved and unknown", "74 03 00 00 83 74 03 00 00 00",
         redirecting + "Unknown\nQ931: Redirecting Number: Numbering plan: Unknown"
                       "\nQ931: Redirecting Number: Presentation  : Presentation allowed"
                       "\nQ931: Redirecting Number: Screening     : User-provided, not screened"
                       "\nQ931: Redirecting Number: Reason        : Reserved" +
             redirecting + "Unknown\nQ931: Redirecting Number: Numbering plan: Unknown"
                           "\nQ931: Redirecting Number: Presentation  : Presentation allowed"
                           "\nQ931: Redirecting Number: Screening     : User-provided, not screened"
                           "\nQ931: Redirecting Number: Reason        : Unknown"},
    });
}

TEST(Q931Elements, SubaddressesAndNetworkIdentification) {
    const std::string calling = "\nQ931: IE: Calling party subaddress\nQ931: Calling Party Subaddress: type     : ";
    const std::string called = "\nQ931: IE: Called party subaddress\nQ931: Called Party Subaddress: type     : ";
    const std::string transit = "\nQ931: IE: Transit network selection\nQ931: Transit Ntwk Sel: Type of Ntwk Id: ";
    const std::string facilities = "\nQ931: IE: Network specific facilities";
    const std::string spec = "\nQ931: Ntwk spec. facilities spec: ";
    CheckElements({
        {"user specified subaddress", "6d 03 a0 50 41",
         calling + "User specified\nQ931: Calling Party Subaddress: odd/even : Even"
                   "\nQ931: Calling Party Subaddress: info     : 50 41 "},
        {"NSAP odd, empty type entry", "71 01 88 71 01 90",
         called + "NSAP\nQ931: Called Party Subaddress: odd/even : Odd" +
             called + "\nQ931: Called Party Subaddress: odd/even : Even"},
        {"reserved subaddress types", "6d 01 b8 6d 01 f0",
         calling + "Reserved\nQ931: Calling Party Subaddress: odd/even : Odd" +
             calling + "Reserved\nQ931: Calling Party Subaddress: odd/even : Even"},
        {"transit network by carrier code, in hex", "78 03 a1 30 32",
         transit + "National network identification\nQ931: Transit Ntwk Sel: Ntwk Id plan   : "
                   "Carrier Identification Code\nQ931: Transit Ntwk Sel: Network ID     : 30 32 "},
        {"transit network type and plan beyond their lists", "78 01 c5 78 01 b3",
         transit + "\nQ931: Transit Ntwk Sel: Ntwk Id plan   : " +
             transit + "International network identification\nQ931: Transit Ntwk Sel: Ntwk Id plan   : DNIC (X.121)"},
        {"facilities with a network identification", "20 05 02 a1 31 32 40",
         facilities +
             "\nQ931: Ntwk spec. facilities : Type of ntwk id: National network identification"
             "\nQ931: Ntwk spec. facilities : Ntwk id plan   : Carrier Identification Code"
             "\nQ931: Ntwk spec. facilities : Network id     : 3132" +
             spec + "40"},
        {"facilities without a network identification", "20 03 00 40 41", facilities + spec + "4041"},
        {"each element starts afresh", "20 05 02 a1 31 32 40 20 03 00 40 41",
         facilities +
             "\nQ931: Ntwk spec. facilities : Type of ntwk id: National network identification"
             "\nQ931: Ntwk spec. facilities : Ntwk id plan   : Carrier Identification Code"
             "\nQ931: Ntwk spec. facilities : Network id     : 3132" +
             spec + "40" + facilities + spec + "4041"},
        {"type and plan without words, identification cut short", "20 03 05 c9 31",
         facilities +
             "\nQ931: Ntwk spec. facilities : Type of ntwk id: "
             "\nQ931: Ntwk spec. facilities : Ntwk id plan   : "
             "\nQ931: Ntwk spec. facilities : Network id     : 31"},
        {"only the length octet", "20 01 00", facilities},
    });
}

TEST(Q931Elements, OtherElements) {
    CheckElements({
        {"first segment of a SETUP", "00 02 81 05",
         "\nQ931: IE: Segmented message\nQ931: 1st Segment Indicator: First segment of segmented message"
         "\nQ931: Num segments remaining: 1\nQ931: Segmented Message Type: SETUP"},
        {"subsequent segment of an unknown type", "00 02 03 99",
         "\nQ931: IE: Segmented message\nQ931: 1st Segment Indicator: Subsequent segment to first segment"
         "\nQ931: Num segments remaining: 3\nQ931: Segmented Message Type: "},
        {"call identity of twelve octets shows eleven", "10 0c 01 02 03 04 05 06 07 08 09 0a 0b 0c",
         "\nQ931: IE: Call identity\nQ931: Call Identity: 01 02 03 04 05 06 07 08 09 0a 0b "},
        {"display without its first octet", "28 04 b1 41 42 43",
         "\nQ931: IE: Display\nQ931: Display: Contents: 414243"},
        {"date and time, extra octet ignored", "29 07 03 0c 1f 17 3b 00 07",
         "\nQ931: IE: Date time\nQ931: Date / Time: Year: 3\nQ931: Date / Time: Mon : 12"
         "\nQ931: Date / Time: Day : 31\nQ931: Date / Time: Hour: 23\nQ931: Date / Time: Min : 59"
         "\nQ931: Date / Time: Sec : 0"},
        {"keypad", "2c 02 31 32", "\nQ931: IE: Keypad facility\nQ931: Keypad Facility: Chars: 31 32 "},
        {"information rates, reserved codes", "40 05 8a 80 8d 9f 8a",
         "\nQ931: IE: Information rate\nQ931: Info Rate: Incoming Rate    : 9 600"
         "\nQ931: Info Rate: Outgoing Rate    : Reserved\nQ931: Info Rate: Min Incoming Rate: 64 000"
         "\nQ931: Info Rate: Min Outgoing Rate: Reserved"},
        {"end to end transit delay", "42 03 01 7f 05",
         "\nQ931: IE: End to end transit delay\nQ931: Transit Delay: 32645"},
        {"transit delay selection alike; a short element shows nothing", "43 03 01 7f 05 42 02 03 7f",
         "\nQ931: IE: Transit delay selection and indication\nQ931: Transit Delay: 32645"
         "\nQ931: IE: End to end transit delay"},
        {"the delay restarts with each element", "42 02 03 7f 43 04 00 00 05 06",
         "\nQ931: IE: End to end transit delay"
         "\nQ931: IE: Transit delay selection and indication\nQ931: Transit Delay: 5"},
        {"packet layer binary parameters", "44 01 95",
         "\nQ931: IE: Packet layer binary parameters"
         "\nQ931: Fast Select : Fast select requested with no restriction of response"
         "\nQ931: Exp data    : Request indicated/request accepted"
         "\nQ931: Delivery cnf: Link-by-link confirmation\nQ931: Modulus     : Modulus 128 sequencing"},
        {"binary parameters, other words", "44 02 9a ff",
         "\nQ931: IE: Packet layer binary parameters"
         "\nQ931: Fast Select : Fast select requested with restrictions of response"
         "\nQ931: Exp data    : No request/request denied"
         "\nQ931: Delivery cnf: End-to-end confirmation\nQ931: Modulus     : Modulus 8 sequencing"},
        {"packet size", "46 02 87 88",
         "\nQ931: IE: Packet size\nQ931: Packet size: forward value  :7\nQ931: Packet size: backward value :8"},
        {"window size, third octet ignored", "45 03 82 83 84",
         "\nQ931: IE: Packet layer window size\nQ931: Pkt layer window size: forward value  :2"
         "\nQ931: Pkt layer window size: backward value :3"},
        {"closed user group", "47 04 81 31 32 b3",
         "\nQ931: IE: Closed user group\nQ931: CUG : CUG Indication : Closed user group selection"
         "\nQ931: CUG : CUG Index code : 31 32 33 "},
        {"group indications 0, 2 and reserved", "47 01 80 47 01 82 47 01 85",
         "\nQ931: IE: Closed user group\nQ931: CUG : CUG Indication : "
         "\nQ931: IE: Closed user group"
         "\nQ931: CUG : CUG Indication : Closed user group with outgoing access selection and indication"
         "\nQ931: IE: Closed user group\nQ931: CUG : CUG Indication : Reserved"},
        {"reverse charging", "4a 01 81 4a 01 82 4a 02 83 00",
         "\nQ931: IE: Reverse charging indication\nQ931: Reverse Charging : Reverse charging requested"
         "\nQ931: IE: Reverse charging indication\nQ931: Reverse Charging : Reserved"
         "\nQ931: IE: Reverse charging indication\nQ931: Reverse Charging : Reverse charging requested"},
        {"user-user IA5", "7e 03 04 48 49",
         "\nQ931: IE: User user\nQ931: User User: Protocol Desc.: IA5 characters"
         "\nQ931: User User: User info     : 48 49 "},
    });
}

TEST(Q931Elements, UserUserProtocolDiscriminators) {
    const struct {
        const char* octet;
        const char* text;
    } cases[] = {
        {"00", "User specific protocol"},
        {"06", ""},
        {"08", "Q931 I451 user network call control messages"},
        {"0f", ""},
        {"10", "Other ntwk layer or layer 3 protocols, incl X.25"},
        {"3f", "Other ntwk layer or layer 3 protocols, incl X.25"},
        {"40", "National use"},
        {"4f", "National use"},
        {"50", "Other ntwk layer or layer 3 protocols, incl X.25"},
        {"fe", "Other ntwk layer or layer 3 protocols, incl X.25"},
        {"ff", "Reserved"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ElementLines(std::string("7e 01 ") + c.octet),
                  std::string("\nQ931: IE: User user\nQ931: User User: Protocol Desc.: ") + c.text)
            << c.octet;
    }
}

// The tool starts with a buffer smaller than this message's text, some
// 6,700 characters of detail, and decodes again with more room.
TEST(Q931Detail, TheToolWritesTheTextOfOneDecodeWithRoomEnough) {
    std::string message = "08 01 01 05 18 04 E9 81 93 85";
    for (int i = 0; i < 30; ++i) message += " 04 02 80 90";
    message += " 18 03 A9 83 85";
    const std::string expected = DecodeHex(DecodeQ931, DECODE_DETAIL, message, "00:00.000");
    ASSERT_GT(expected.size(), 4096u);
    ASSERT_NE(expected.find("Ch num/slot map: 0x85\n"), std::string::npos);
    const test::ToolOutcome r = test::RunTool({"decode", "q931", "--detail", message});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expected);
}

// With DECODE_EXTENDED the message types of Q.931 (1998) and Q.932 that
// the classic table lacks get their names, on the summary line and in the
// detail block; the classic names stay. Without it they stay unnamed.
TEST(Q931Extended, MessageTypes) {
    struct Case {
        const char* type;  // message type octet
        const char* name;
        bool classic;      // the classic table names it too
    };
    const Case cases[] = {
        {"62", "FACILITY", false},     {"64", "REGISTER", false},     {"24", "HOLD", false},
        {"28", "HOLD ACK", false},     {"30", "HOLD REJ", false},     {"31", "RETRIEVE", false},
        {"33", "RETRIEVE ACK", false}, {"37", "RETRIEVE REJ", false}, {"00", "ESCAPE", false},
        {"05", "SETUP", true},         {"22", "RESUME_REJ", true},    {"75", "STATUS ENQ", true},
        {"99", "", true},              {"7f", "", true},
    };
    for (const Case& c : cases) {
        // discriminator, call reference length 1, value 3, message type
        const std::string message = std::string("08 01 03 ") + c.type;
        const std::string head = "  Q.931     Call Ref  0x000003    ";
        EXPECT_EQ(DecodeHex(DecodeQ931, S | X, message), head + c.name + "\n") << c.type;
        EXPECT_EQ(DecodeHex(DecodeQ931, D | X, message + " a1"),
                  head + c.name + "\nQ931: Call Reference: 0x3\nQ931: Message type  : " + c.name +
                      "\nQ931: IE: Sending complete\n\n")
            << c.type;
        EXPECT_EQ(DecodeHex(DecodeQ931, S, message), head + (c.classic ? c.name : "") + "\n") << c.type;
    }
}

// The elements of the extended reading, each built from its octet layout.
TEST(Q931Extended, Elements) {
    const std::string connected = "\nQ931: IE: Connected number\nQ931: Connected PN: ";
    const std::string notification = "\nQ931: IE: Notification indicator\nQ931: Notification Indicator: ";
    const std::string facility = "\nQ931: IE: Facility\nQ931: Facility: ";
    const std::string pvc = "\nQ931: IE: PVC status\nQ931: PVC Status: ";
    const std::string pvcBits = "\nQ931: PVC Status: New       : PVC already present"
                                "\nQ931: PVC Status: Delete    : PVC is configured"
                                "\nQ931: PVC Status: Active    : ";
    const std::string liv = "\nQ931: IE: Link integrity verification\nQ931: Link Integrity Verification: ";
    const std::vector<ElementCase> cases = {
        // octet 3: ext 0, national number, ISDN plan; octet 3a: ext 1,
        // presentation allowed, network provided; digits "5678"
        {"connected number with octet 3a", "4c 06 21 83 35 36 37 38",
         connected + "Type of number: National number"
                     "\nQ931: Connected PN: Numbering plan: ISDN/telephony numbering plan"
                     "\nQ931: Connected PN: Presentation  : Presentation allowed"
                     "\nQ931: Connected PN: Screening     : Network provided"
                     "\nQ931: Connected PN: Digits        : 5678"},
        // octet 3: ext 1 (no octet 3a), unknown type and plan; digits "12"
        {"connected number without octet 3a", "4c 03 80 31 32",
         connected + "Type of number: Unknown\nQ931: Connected PN: Numbering plan: Unknown"
                     "\nQ931: Connected PN: Digits        : 12"},
        // octet 3: ext 1, NSAP, even; octet 4..: subaddress information
        {"connected subaddress", "4d 03 80 50 12",
         "\nQ931: IE: Connected subaddress\nQ931: Connected Party Subaddress: type     : NSAP"
         "\nQ931: Connected Party Subaddress: odd/even : Even"
         "\nQ931: Connected Party Subaddress: info     : 50 12 "},
        // octet 3: ext 1 | notification description
        {"remote hold", "27 01 f9", notification + "Description: Remote hold"},
        {"conference established", "27 01 c2", notification + "Description: Conference established"},
        {"call is a waiting call", "27 01 e0", notification + "Description: Call is a waiting call"},
        {"classic descriptions stay", "27 01 80", notification + "Description: User suspended"},
        {"a description without a name is reserved", "27 01 ff", notification + "Description: Reserved"},
        // description 3: the ASN.1 encoded notification follows octet 3
        {"ASN.1 notification after octet 3", "27 03 83 a1 05",
         notification + "Description: Discriminator for extension to ASN.1 encoded component" +
             "\nQ931: Notification Indicator: Contents   : a1 05 "},
        // octet 3: ext 1 | spare 00 | profile 10001 (remote operations);
        // octets 4..: an invoke component (tag a1, length 3)
        {"facility: remote operations invoke", "1c 06 91 a1 03 02 01 01",
         facility + "Protocol profile: Remote Operations Protocol"
                    "\nQ931: Facility: Component type  : Invoke"
                    "\nQ931: Facility: Components      : a1 03 02 01 01 "},
        // profile 11111: the network facility extension comes first
        {"facility: networking extensions", "1c 05 9f aa 02 80 00",
         facility + "Protocol profile: Networking extensions\nQ931: Facility: Components      : aa 02 80 00 "},
        {"facility: reserved profile, octet 3 alone", "1c 01 80", facility + "Protocol profile: Reserved"},
        // profile 10010 (CMIP), a return result component
        {"extended facility", "0d 03 92 a2 00",
         "\nQ931: IE: Extended facility\nQ931: Extended Facility: Protocol profile: CMIP protocol"
         "\nQ931: Extended Facility: Component type  : Return result"
         "\nQ931: Extended Facility: Components      : a2 00 "},
        // octet 3: type of report
        {"report types", "51 01 00 51 01 01 51 01 07",
         "\nQ931: IE: Report type\nQ931: Report Type: Type of report: Full status"
         "\nQ931: IE: Report type\nQ931: Report Type: Type of report: Link integrity verification only"
         "\nQ931: IE: Report type\nQ931: Report Type: Type of report: Reserved"},
        // octet 3: send sequence number; octet 4: receive sequence number
        {"link integrity verification", "53 02 05 fe",
         liv + "Send sequence number   : 5\nQ931: Link Integrity Verification: Receive sequence number: 254"},
        // octet 3: 0 | 0 | DLCI 000001; octet 4: 1 | 0000 | 000;
        // octet 5: 1 | 000 | new 0 | delete 0 | active 1 | 0
        {"PVC status: DLCI 16, active", "57 03 01 80 82",
         pvc + "DLCI      : 00000010 (16)" + pvcBits + "PVC is active"},
        // DLCI 1023 (111111 1111); new and inactive
        {"PVC status: DLCI 1023, new", "57 03 3f f8 88",
         pvc + "DLCI      : 000003ff (1023)\nQ931: PVC Status: New       : PVC is new"
               "\nQ931: PVC Status: Delete    : PVC is configured\nQ931: PVC Status: Active    : PVC is inactive"},
        // three-octet address: octet 4 ext 0, octet 4b 1 | 110100 | 0: DLCI
        // 000100 1000 110100 = 0x1234; deleted
        {"PVC status: three-octet DLCI", "57 04 04 40 e8 84",
         pvc + "DLCI      : 00001234 (4660)\nQ931: PVC Status: New       : PVC already present"
               "\nQ931: PVC Status: Delete    : PVC is deleted\nQ931: PVC Status: Active    : PVC is inactive"},
        // four-octet address: 000001 0000 1111111 111111 = 0x21fff
        {"PVC status: four-octet DLCI", "57 05 01 00 7f ff 80",
         pvc + "DLCI      : 00021fff (139263)" + pvcBits + "PVC is inactive"},
        {"PVC status cut before its status octet", "57 02 01 80", pvc + "DLCI      : 00000010 (16)"},
        {"PVC status cut inside its DLCI", "57 01 01", "\nQ931: IE: PVC status"},
        // elements named, their contents not decoded
        {"named elements", "32 01 80 3b 02 00 01 19 02 00 80",
         "\nQ931: IE: Information request\nQ931: IE: Endpoint identifier"
         "\nQ931: IE: Data link connection identifier"},
        // octet 3: first segment, 1 remaining; octet 4: the segmented type
        {"a segmented FACILITY", "00 02 81 62",
         "\nQ931: IE: Segmented message\nQ931: 1st Segment Indicator: First segment of segmented message"
         "\nQ931: Num segments remaining: 1\nQ931: Segmented Message Type: FACILITY"},
        // a classic element reads as without the flag
        {"cause", "08 02 80 90",
         "\nQ931: IE: Cause\nQ931: Cause: Coding Standard    : ITU-T"
         "\nQ931: Cause: Location           : user"
         "\nQ931: Cause: Class              : Class (001): normal event"
         "\nQ931: Cause: Value              : Normal call clearing"},
    };
    for (const ElementCase& c : cases) {
        ElementState().Reset();
        EXPECT_EQ(ElementLines(c.elements, X), c.lines) << c.name;
    }
}

// Without the flag the new elements have no name and no lines, and the
// classic notification words stay.
TEST(Q931Extended, WithoutTheFlagTheClassicText) {
    CheckElements({
        {"connected number", "4c 03 80 31 32", "\nQ931: IE: "},
        {"facility", "1c 02 91 a1", "\nQ931: IE: "},
        {"PVC status", "57 03 01 80 82", "\nQ931: IE: "},
        {"remote hold", "27 01 f9",
         "\nQ931: IE: Notification indicator\nQ931: Notification Indicator: Description: Reserved"},
    });
}

// A message of the extended reading reaches the LAPD detail block with the
// flags of the LAPD decode.
TEST(Q931Extended, ThroughTheLapdHandOff) {
    // address (SAPI 0, TEI 0), I frame control, FACILITY with call
    // reference 1 and a facility element, FCS
    const std::string frame = "00 01 00 02 08 01 81 62 1c 03 91 a1 00 1a 2b";
    const std::string withFlag = DecodeHex(DecodeLapd, D | L3 | X, frame);
    EXPECT_NE(withFlag.find("\nQ931: Message type  : FACILITY\nQ931: IE: Facility"
                            "\nQ931: Facility: Protocol profile: Remote Operations Protocol"
                            "\nQ931: Facility: Component type  : Invoke"
                            "\nQ931: Facility: Components      : a1 00 \n\n"),
              std::string::npos)
        << withFlag;
    const std::string classic = DecodeHex(DecodeLapd, D | L3, frame);
    EXPECT_NE(classic.find("\nQ931: Message type  : \nQ931: IE: \n\n"), std::string::npos) << classic;
}

// Every prefix of messages holding the new elements, and random contents
// of every element identifier, with the flag: text, never a read outside
// the message (the suite runs under the sanitizers).
TEST(Q931Extended, CutAndRandomMessages) {
    const char* messages[] = {
        "08 01 81 62 1c 06 91 a1 03 02 01 01 0d 03 92 a2 00",
        "08 01 01 7d 51 01 00 53 02 05 04 57 05 01 00 7f ff 82 57 03 01 80 82",
        "08 01 01 07 4c 06 21 83 35 36 37 38 4d 03 80 50 12 27 03 83 a1 05",
    };
    for (const char* hex : messages) {
        const std::vector<unsigned char> whole = test::Octets(hex);
        for (std::size_t n = 0; n <= whole.size(); ++n) {
            const std::vector<unsigned char> prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
            for (uint32_t flags : {S | X, D | X, D | H | X}) {
                ElementState().Reset();
                const std::string text = test::DecodeOctets(DecodeQ931, flags, prefix, "t");
                ASSERT_EQ(text.rfind("t", 0), 0u);
                ASSERT_EQ(text.back(), '\n') << hex << " cut to " << n;
            }
        }
    }
    std::mt19937 rng(1998);
    for (int identifier = 0; identifier < 0x80; ++identifier) {
        for (int length = 0; length <= 12; ++length) {
            std::vector<unsigned char> message = {0x08, 0x01, 0x01, 0x62, static_cast<unsigned char>(identifier),
                                                  static_cast<unsigned char>(length)};
            for (int k = 0; k < length; ++k) message.push_back(static_cast<unsigned char>(rng()));
            const std::string text = test::DecodeOctets(DecodeQ931, D | X, message, "t");
            ASSERT_EQ(text.find('\0'), std::string::npos);
            ASSERT_NE(text.find("\nQ931: Message type  : FACILITY\nQ931: IE: "), std::string::npos);
            ASSERT_EQ(text.substr(text.size() - 2), "\n\n");
        }
    }
}

// The extended sample: with --extended every message type and element it
// holds has a name; without it, some do not (it holds what only the
// extended reading names).
TEST(Q931Extended, TheExtendedSampleIsNamedWhole) {
    const std::string sample = std::string(KORVEX_SAMPLES_DIR) + "/q931-extended.txt";
    const auto unnamed = [&](bool extended) {
        std::vector<std::string> args = {"replay", "q931", sample, "--detail", "--color=never"};
        if (extended) args.push_back("--extended");
        const test::ToolOutcome r = test::RunTool(args);
        EXPECT_EQ(r.status, 0) << r.err;
        int count = 0;
        std::istringstream in(r.out);
        for (std::string line; std::getline(in, line);) {
            const bool summaryWithoutType = line.size() > 4 && line.compare(line.size() - 4, 4, "    ") == 0;
            count += line == "Q931: IE: " || line == "Q931: Message type  : " || summaryWithoutType ? 1 : 0;
        }
        return count;
    };
    EXPECT_EQ(unnamed(true), 0);
    EXPECT_GT(unnamed(false), 20);
}

}  // namespace
}  // namespace korvex
