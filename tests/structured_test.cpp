// The structured decoders of the public header: each case a frame and the
// fields expected of it, written as one line "field=value ..." so that a
// case table reads like the frame's description. Fields at their "absent"
// value (-1, empty) are left out of the line.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "korvex/korvex.h"
#include "test_support.h"

namespace korvex {
namespace {

using test::Octets;

void Put(std::string& s, const char* name, int64_t value) {
    if (value >= 0) s += std::string(" ") + name + "=" + std::to_string(value);
}

void Put(std::string& s, const char* name, const char* text) {
    if (text != nullptr && text[0] != '\0') s += std::string(" ") + name + "=" + text;
}

std::string Describe(const KorvexLinkKeys& k) {
    std::string s;
    Put(s, "sapi", k.sapi);
    Put(s, "tei", k.tei);
    Put(s, "dlci", k.dlci);
    Put(s, "cr", k.cr);
    Put(s, "type", k.frame_type);
    Put(s, "name", k.frame_name);
    Put(s, "ns", k.ns);
    Put(s, "nr", k.nr);
    Put(s, "pf", k.pf);
    Put(s, "info", k.info_offset);
    if (k.info_offset >= 0) Put(s, "len", k.info_length);
    if (k.truncated != 0) s += " truncated";
    return s.empty() ? s : s.substr(1);
}

void PutNumber(std::string& s, const char* name, const KorvexPartyNumber& n) {
    if (n.present == 0) return;
    s += std::string(" ") + name + "=" + n.digits + "/" + std::to_string(n.type_of_number) + "/" +
         std::to_string(n.numbering_plan);
    if (n.presentation >= 0) s += "/p" + std::to_string(n.presentation) + "s" + std::to_string(n.screening);
}

std::string Describe(const KorvexQ931Message& m) {
    std::string s;
    if (m.call_ref_length >= 0) Put(s, "cref", m.call_ref);
    Put(s, "flag", m.call_ref_flag);
    Put(s, "msg", m.message_name);
    if (m.message_name[0] == '\0') Put(s, "type", m.message_type);
    Put(s, "segment", m.segmented_type);
    if (m.sending_complete != 0) s += " complete";
    PutNumber(s, "called", m.called);
    PutNumber(s, "calling", m.calling);
    PutNumber(s, "connected", m.connected);
    if (m.channel.present != 0) {
        s += m.channel.interface_type == 0 ? " basic" : " primary";
        Put(s, "if", m.channel.interface_id);
        s += m.channel.exclusive != 0 ? " exclusive" : " preferred";
        Put(s, "sel", m.channel.selection);
        Put(s, "ch", m.channel.channel);
        if (m.channel.by_map == 1) s += " map=" + std::to_string(m.channel.slot_map);
    }
    if (m.bearer.present != 0) {
        s += std::string(" bearer=") + m.bearer.capability_name + "/" + std::to_string(m.bearer.transfer_mode) +
             "/" + m.bearer.rate_name;
        Put(s, "l1", m.bearer.layer1_protocol);
    }
    if (m.cause.present != 0) {
        s += " cause=" + std::to_string(m.cause.value) + "/" + m.cause.name + "/" + m.cause.location_name;
    }
    Put(s, "progress", m.progress_name);
    Put(s, "display", m.display);
    for (int i = 0; i < m.other_count && i < KORVEX_Q931_MAX_OTHER; ++i) {
        s += " other=" + std::to_string(m.other[i].codeset) + ":" + std::to_string(m.other[i].identifier) + ":" +
             std::to_string(m.other[i].length);
    }
    if (m.truncated != 0) s += " truncated";
    return s.empty() ? s : s.substr(1);
}

std::string Describe(const KorvexX25Packet& p) {
    std::string s;
    Put(s, "lcn", p.channel);
    Put(s, "type", p.type_name);
    if (p.modulo != 8) Put(s, "modulo", p.modulo);
    if (p.q_bit == 1) s += " q";
    if (p.d_bit == 1) s += " d";
    Put(s, "ps", p.ps);
    Put(s, "pr", p.pr);
    Put(s, "m", p.m_bit);
    Put(s, "called", p.called);
    Put(s, "calling", p.calling);
    Put(s, "facilities", p.facility_length);
    for (int i = 0; i < p.facility_count && i < KORVEX_X25_MAX_FACILITIES; ++i) {
        s += "," + std::to_string(p.facilities[i]);
    }
    if (p.cause >= 0) s += " cause=" + std::to_string(p.cause) + "/" + p.cause_name;
    if (p.diagnostic >= 0) s += " diag=" + std::to_string(p.diagnostic) + "/" + p.diagnostic_name;
    if (p.user_data_length > 0) Put(s, "data", p.user_data_length);
    if (p.truncated != 0) s += " truncated";
    return s.empty() ? s : s.substr(1);
}

struct Case {
    const char* name;
    std::string hex;
    int result;  // what the parser returns
    std::string fields;
};

// IA5 text as hex pairs.
std::string Ia5(const std::string& text) {
    static const char* digits = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char c : text) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
        hex += ' ';
    }
    return hex;
}

TEST(StructuredLink, FieldsOfLapdAndLapfFrames) {
    const std::vector<Case> lapd = {
        {"I frame with a Q.931 message", "00 81 00 00 08 01 01 05 11 22", 1,
         "sapi=0 tei=64 cr=0 type=0 name=INFO ns=0 nr=0 pf=0 info=4 len=4"},
        {"UI frame on the group TEI", "02 FF 03 08 01 12 05 33 44", 1,
         "sapi=0 tei=127 cr=1 type=2 name=UI pf=0 info=3 len=4"},
        {"RR response", "02 81 01 02 3F 1A", 1, "sapi=0 tei=64 cr=1 type=1 name=RR nr=1 pf=0"},
        {"SABME with P", "40 81 7F 11 22", 1, "sapi=16 tei=64 cr=0 type=2 name=SAMBE pf=1"},
        {"I frame with no information field", "00 81 0A 06 11 22", 1,
         "sapi=0 tei=64 cr=0 type=0 name=INFO ns=5 nr=3 pf=0"},
        {"control octet 2 missing", "00 81 0A", 0, "sapi=0 tei=64 cr=0 type=0 ns=5 truncated"},
        {"address cut", "00", 0, "truncated"},
        {"U frame without its FCS", "00 81 03", 1, "sapi=0 tei=64 cr=0 type=2 name=UI pf=0 truncated"},
    };
    const std::vector<Case> lapf = {
        {"two-octet address, DLCI 100", "18 41 00 00 10 01 0B 11 22", 1,
         "dlci=100 cr=0 type=0 name=INFO ns=0 nr=0 pf=0 info=4 len=3"},
        {"three-octet address", "18 40 05 01 02 11 22", 1, "dlci=6401 cr=0 type=1 name=RR nr=1 pf=0"},
        {"four-octet address", "18 40 02 04 13 11 22", 1, "dlci=819265 cr=0 type=2 name=UI pf=1"},
        {"address cut", "18 40 02", 0, "cr=0 truncated"},
    };
    for (const auto& [table, lapf_] : {std::pair{&lapd, 0}, std::pair{&lapf, 1}}) {
        for (const Case& c : *table) {
            const std::vector<unsigned char> octets = Octets(c.hex);
            KorvexLinkKeys keys;
            const int result = KorvexParseLink(octets.data(), static_cast<int32_t>(octets.size()), lapf_, &keys);
            EXPECT_EQ(result, c.result) << c.name;
            EXPECT_EQ(keys.lapf, lapf_) << c.name;
            EXPECT_EQ(Describe(keys), c.fields) << c.name;
        }
    }
}

TEST(StructuredQ931, FieldsOfMessages) {
    const std::vector<Case> cases = {
        {"outgoing SETUP on a basic-rate line",
         "08 01 01 05 A1 04 03 80 90 A2 18 01 83 6C 0B 21 80 " + Ia5("301234567") + "70 0C 81 " +
             Ia5("04012345678"),
         1,
         "cref=1 flag=0 msg=SETUP complete called=04012345678/0/1 calling=301234567/2/1/p0s0 basic "
         "preferred sel=3 bearer=Speech/0/64 kbps l1=2"},
        {"primary-rate SETUP: calling number without octet 3a, channels by slot map",
         "08 02 01 53 05 04 02 88 91 18 06 A9 93 03 00 00 00 6C 0B 91 " + Ia5("4930123456") + "70 05 81 " +
             Ia5("5020"),
         1,
         "cref=339 flag=0 msg=SETUP called=5020/0/1 calling=4930123456/1/1 primary exclusive sel=1 "
         "map=50331648 bearer=Unrestricted digital information/0/2x64 kbps"},
        {"DISCONNECT whose cause has octet 3a", "08 02 81 53 45 08 03 00 80 90", 1,
         "cref=339 flag=1 msg=DISCONNECT cause=16/Normal call clearing/user"},
        {"explicitly identified interface 2, B channel 3", "08 02 00 00 46 18 04 E9 82 83 83 79 01 80", 1,
         "cref=0 flag=0 msg=RESTART primary if=2 exclusive sel=1 ch=3 other=0:121:1"},
        {"elements of codeset 6 after a locking shift", "08 01 05 7B 96 7B 02 01 05 1E 02 81 88", 1,
         "cref=5 flag=0 msg=INFORMATION other=6:123:2 other=6:30:2"},
        {"a non-locking shift covers one element", "08 01 85 7D 9D 28 03 B1 41 42 1E 02 81 88", 1,
         "cref=5 flag=1 msg=STATUS progress=In-band information available other=5:40:3"},
        {"CONNECT with a connected number, display and bearer layer 1", 
         "08 01 92 07 4C 05 01 80 " + Ia5("123") + "28 04 B1 " + Ia5("Hi!") + "04 03 88 90 A3", 1,
         "cref=18 flag=1 msg=CONNECT connected=123/0/1/p0s0 bearer=Unrestricted digital "
         "information/0/64 kbps l1=3 display=Hi!"},
        {"display without a display type octet", "08 01 81 7B 28 05 " + Ia5("CHARG"), 1,
         "cref=1 flag=1 msg=INFORMATION display=CHARG"},
        {"first segment of a segmented SETUP", "08 02 01 54 60 00 02 81 05 A1", 1,
         "cref=340 flag=0 msg=SEGMENT segment=5 complete"},
        {"unknown message type and element", "08 01 01 77 42 01 00", 1, "cref=1 flag=0 type=119 other=0:66:1"},
        // the parse takes no flags: types and elements only the extended
        // text names keep the classic reading (no name, listed as others)
        {"FACILITY with a facility element", "08 01 01 62 1C 02 91 A1", 1, "cref=1 flag=0 type=98 other=0:28:2"},
        {"a cut called party number", "08 01 05 05 70 0A 81 31 32", 1,
         "cref=5 flag=0 msg=SETUP called=12/0/1 truncated"},
        {"message ends with a length octet missing", "08 01 05 05 70", 1,
         "cref=5 flag=0 msg=SETUP other=0:112:0 truncated"},
        {"header without the message type", "08 01 05", 0, "truncated"},
        {"protocol discriminator alone", "08", 0, "truncated"},
        {"call reference length 0", "08 00 4D", 1, "cref=0 flag=0 msg=RELEASE"},
    };
    for (const Case& c : cases) {
        const std::vector<unsigned char> octets = Octets(c.hex);
        KorvexQ931Message message;
        const int result = KorvexParseQ931(octets.data(), static_cast<int32_t>(octets.size()), &message);
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(Describe(message), c.fields) << c.name;
    }
}

TEST(StructuredX25, FieldsOfPackets) {
    const std::vector<Case> cases = {
        {"call request with facilities", "10 01 0B 44 26 24 11 95 06 42 07 07 43 02 02", 1,
         "lcn=1 type=CALL called=2624 calling=1195 facilities=6,66,67"},
        {"call request with call user data", "10 01 0B 55 31 10 11 12 34 00 01 00 00 00", 1,
         "lcn=1 type=CALL called=31101 calling=11234 facilities=0 data=4"},
        {"call connected without addresses", "10 01 0F", 1, "lcn=1 type=CONNECT"},
        {"data packet, modulo 8", "10 01 20 " + Ia5("LOGIN"), 1, "lcn=1 type=DATA ps=0 pr=1 m=0 data=5"},
        {"data packet with Q, D and M", "D0 05 76 41", 1, "lcn=5 type=DATA q d ps=3 pr=3 m=1 data=1"},
        {"data packet, modulo 128", "20 05 04 03 41 42", 1, "lcn=5 type=DATA modulo=128 ps=2 pr=1 m=1 data=2"},
        {"RR, modulo 8", "10 01 41", 1, "lcn=1 type=RR pr=2"},
        {"RR, modulo 128", "20 01 01 0A", 1, "lcn=1 type=RR modulo=128 pr=5"},
        {"clear request", "10 01 13 00 00", 1, "lcn=1 type=CLEAR cause=0/DTE ORIGINATED diag=0/NO ADDITIONAL INFORMATION"},
        {"clear request without diagnostic", "10 01 13 01", 1, "lcn=1 type=CLEAR cause=1/NUMBER BUSY"},
        {"restart on a group channel", "1F 00 FB 07 00", 1,
         "lcn=3840 type=RESTART cause=7/NETWORK OPERATIONAL diag=0/NO ADDITIONAL INFORMATION"},
        {"clear confirmation", "10 01 17", 1, "lcn=1 type=CLEAR CNF"},
        {"call request cut in its addresses", "10 01 0B 44 26", 1, "lcn=1 type=CALL called=26 truncated"},
        {"facility field longer than the packet", "10 01 0B 11 12 05 42 07", 1,
         "lcn=1 type=CALL called=1 calling=2 facilities=5,66 truncated"},
        {"header cut", "10 01", 0, "lcn=1 truncated"},
    };
    for (const Case& c : cases) {
        const std::vector<unsigned char> octets = Octets(c.hex);
        KorvexX25Packet packet;
        const int result = KorvexParseX25(octets.data(), static_cast<int32_t>(octets.size()), &packet);
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(Describe(packet), c.fields) << c.name;
    }
}

// Random frames of every length in a buffer of exactly that size: the
// parsers fill their structs whatever the octets, and the same frame gives
// the same fields. (Reads outside the frame are the fuzz harness's and the
// sanitizer build's to catch.)
TEST(StructuredParsers, RandomFramesGiveTheSameFieldsTwice) {
    std::mt19937 random(19);
    for (int round = 0; round < 3000; ++round) {
        std::vector<unsigned char> octets(static_cast<std::size_t>(round % 40));
        for (unsigned char& o : octets) o = static_cast<unsigned char>(random());
        if (!octets.empty() && round % 3 == 0) octets[0] = 0x08;
        const auto n = static_cast<int32_t>(octets.size());
        KorvexQ931Message m1;
        KorvexQ931Message m2;
        KorvexParseQ931(octets.data(), n, &m1);
        KorvexParseQ931(octets.data(), n, &m2);
        ASSERT_EQ(Describe(m1), Describe(m2));
        KorvexX25Packet p1;
        KorvexX25Packet p2;
        KorvexParseX25(octets.data(), n, &p1);
        KorvexParseX25(octets.data(), n, &p2);
        ASSERT_EQ(Describe(p1), Describe(p2));
        KorvexLinkKeys k;
        KorvexParseLink(octets.data(), n, round % 2, &k);
        ASSERT_LE(k.info_offset + k.info_length, n);
    }
}

}  // namespace
}  // namespace korvex
