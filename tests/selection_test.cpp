// Frame fields and selection expressions through the public header: the
// fields read from one frame of each kind, written as "name=value ..." in
// field order, and one table of expressions over those frames with the
// frames each selects, then the faults with their offsets.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "korvex/korvex.h"
#include "test_support.h"

namespace korvex {
namespace {

using test::Octets;

struct Sample {
    const char* key;
    const char* protocol;
    char direction;
    const char* hex;
};

// SETUP on SAPI 0 TEI 64 in an I frame, call reference 5, called 1234,
// calling 5678; a RELEASE COMPLETE with cause 16 in a UI frame (broadcast);
// RR, REJ, SABME, FRMR, DISC; an X.25 CALL REQUEST on SAPI 16 and on DLCI
// 16 of a LAPF link; a bare X.25 CLEAR REQUEST (named CLEAR); an Ethernet frame with an
// IPv4 TCP segment, the datagram alone, a UDP datagram, an ARP frame.
const std::vector<Sample> kSamples = {
    {"setup", "lapd", 'U', "00 81 02 04 08 01 05 05 04 02 88 90 70 05 81 31 32 33 34 6C 06 00 80 35 36 37 38 AA BB"},
    {"relcomp", "lapd", 'N', "02 FF 03 08 01 85 5A 08 02 80 90 AA BB"},
    {"rr", "lapd", 'N', "02 81 01 05 AA BB"},
    {"rej", "q921", 'U', "00 81 09 06 AA BB"},
    {"sabme", "lapd", 'U', "00 81 7F AA BB"},
    {"frmr", "lapd", 'N', "00 81 87 01 02 03 AA BB"},
    {"disc", "lapd", 'U', "40 C3 53 AA BB"},
    {"x25call", "lapd", 'U', "40 C3 00 02 10 05 0B 44 12 34 56 78 00 AA BB"},
    {"lapfcall", "lapf", 'N', "04 01 04 02 10 01 0B 00 00 AA BB"},
    {"x25clear", "x25", ' ', "10 02 13 05 00"},
    {"tcp", "eth+ip", 'U',
     "00 11 22 33 44 55 66 77 88 99 AA BB 08 00 45 00 00 28 00 01 00 00 40 06 00 00 0A 00 00 01 "
     "C0 A8 01 02 04 D2 00 50 00 00 00 00 00 00 00 00 50 02 20 00 00 00 00 00"},
    {"ip", "ip", 'N',
     "45 00 00 1C 00 01 00 00 40 11 00 00 C0 A8 01 02 0A 00 00 01 00 35 D4 31 00 08 00 00"},
    {"arp", "eth", 'N', "FF FF FF FF FF FF 66 77 88 99 AA BB 08 06 00 01"},
};

KorvexFrameFields FieldsOf(const Sample& s) {
    const std::vector<unsigned char> octets = Octets(s.hex);
    KorvexFrameFields f;
    EXPECT_EQ(KorvexFrameFieldsOf(s.protocol, s.direction, octets.data(),
                                  static_cast<int32_t>(octets.size()), &f), 1) << s.key;
    return f;
}

std::string Describe(const KorvexFrameFields& f) {
    std::string s;
    for (int32_t i = 0; i < KORVEX_FIELD_COUNT; ++i) {
        const KorvexField& v = f.field[i];
        if (v.present == 0) continue;
        s += std::string(s.empty() ? "" : " ") + KorvexFieldName(i) + "=";
        if (v.has_number != 0) s += std::to_string(v.number);
        if (v.has_number != 0 && v.text[0] != '\0') s += "/";
        s += v.text;
    }
    return s;
}

TEST(FrameFields, EachKindOfFrame) {
    const std::vector<std::pair<const char*, const char*>> expected = {
        {"setup", "sapi=0 tei=64 cr=0 type=I frame=255/I ns=1 nr=2 pf=0 msg=5/SETUP callref=5 "
                  "called=1234 calling=5678 dir=U len=29"},
        {"relcomp", "sapi=0 tei=127 cr=1 type=U frame=19/UI pf=0 msg=90/RELEASE COMP callref=5 "
                    "cause=16 dir=N len=13"},
        {"rr", "sapi=0 tei=64 cr=1 type=S frame=1/RR nr=2 pf=1 dir=N len=6"},
        {"rej", "sapi=0 tei=64 cr=0 type=S frame=9/REJ nr=3 pf=0 dir=U len=6"},
        {"sabme", "sapi=0 tei=64 cr=0 type=U frame=127/SABME pf=1 dir=U len=5"},
        {"frmr", "sapi=0 tei=64 cr=0 type=U frame=151/FRMR pf=0 dir=N len=8"},
        {"disc", "sapi=16 tei=97 cr=0 type=U frame=83/DISC pf=1 dir=U len=5"},
        {"x25call", "sapi=16 tei=97 cr=0 type=I frame=255/I ns=0 nr=1 pf=0 lcn=5 packet=11/CALL "
                    "called=1234 calling=5678 dir=U len=15"},
        {"lapfcall", "cr=0 type=I frame=255/I ns=2 nr=1 pf=0 dlci=16 lcn=1 packet=11/CALL dir=N len=11"},
        {"x25clear", "lcn=2 packet=19/CLEAR cause=5 len=5"},
        {"tcp", "dir=U len=54 src=167772161/10.0.0.1 dst=3232235778/192.168.1.2 sport=1234 dport=80 "
                "ipproto=6 ethertype=2048"},
        {"ip", "dir=N len=28 src=3232235778/192.168.1.2 dst=167772161/10.0.0.1 sport=53 dport=54321 ipproto=17"},
        {"arp", "dir=N len=16 ethertype=2054"},
    };
    ASSERT_EQ(expected.size(), kSamples.size());
    for (std::size_t i = 0; i < kSamples.size(); ++i) {
        EXPECT_EQ(Describe(FieldsOf(kSamples[i])), expected[i].second) << kSamples[i].key;
    }
}

TEST(FrameFields, NamesAndUnknownProtocols) {
    for (int32_t i = 0; i < KORVEX_FIELD_COUNT; ++i) ASSERT_NE(KorvexFieldName(i), nullptr);
    EXPECT_EQ(KorvexFieldName(KORVEX_FIELD_COUNT), nullptr);
    EXPECT_EQ(KorvexFieldName(-1), nullptr);
    const unsigned char octets[] = {1, 2, 3};
    KorvexFrameFields f;
    EXPECT_EQ(KorvexFrameFieldsOf("token-ring", 'U', octets, 3, &f), 0);
    EXPECT_EQ(Describe(f), "dir=U len=3");
}

// Every frame a short length gives, from 0 octets to the whole: fields as
// far as the octets go, never a read past them (the sanitizer build checks).
TEST(FrameFields, CutFramesKeepWhatTheyHold) {
    for (const Sample& s : kSamples) {
        const std::vector<unsigned char> octets = Octets(s.hex);
        for (std::size_t n = 0; n <= octets.size(); ++n) {
            std::vector<unsigned char> cut(octets.begin(), octets.begin() + static_cast<long>(n));
            KorvexFrameFields f;
            KorvexFrameFieldsOf(s.protocol, s.direction, cut.data(), static_cast<int32_t>(n), &f);
            EXPECT_EQ(f.field[17].number, static_cast<int64_t>(n)) << s.key;
        }
    }
}

std::string Selected(const char* expression) {
    KorvexSelection* selection = nullptr;
    int32_t offset = 0;
    char message[128];
    const int rc = KorvexSelectionCompile(expression, &selection, &offset, message, sizeof message);
    if (rc != 0) return std::string("error at ") + std::to_string(offset) + ": " + message;
    std::string keys;
    for (const Sample& s : kSamples) {
        const KorvexFrameFields f = FieldsOf(s);
        const int matched = KorvexSelectionMatch(selection, &f);
        if (matched != 0) keys += std::string(keys.empty() ? "" : " ") + s.key;
        // Reading only the fields the expression names chooses the same, on
        // the frame and on every shorter cut of it (a LAPD address alone is
        // read from the first two octets, and only where a control field
        // follows them).
        const std::vector<unsigned char> octets = Octets(s.hex);
        EXPECT_EQ(KorvexSelectionSetProtocol(selection, s.protocol), 0);
        for (std::size_t n = 0; n <= octets.size(); ++n) {
            const auto length = static_cast<int32_t>(n);
            KorvexFrameFields whole;
            KorvexFrameFieldsOf(s.protocol, s.direction, octets.data(), length, &whole);
            const int expected = n == octets.size() ? matched : KorvexSelectionMatch(selection, &whole);
            EXPECT_EQ(KorvexSelectionMatchFrame(selection, s.direction, octets.data(), length), expected)
                << expression << " on " << s.key << " cut to " << n;
        }
    }
    KorvexSelectionFree(selection);
    return keys;
}

TEST(Selection, ExpressionsOverTheSamples) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        // Every operator on numbers.
        {"tei == 64", "setup rr rej sabme frmr"},
        {"tei != 64", "relcomp disc x25call"},
        {"nr < 2", "x25call lapfcall"},
        {"nr > 2", "rej"},
        {"nr <= 2", "setup rr x25call lapfcall"},
        {"nr >= 2", "setup rr rej"},
        {"sapi in {16, 63}", "disc x25call"},
        {"TEI==0x40 AND pf==1", "rr sabme"},
        // Names, any case, an underscore for a blank, quoted names.
        {"frame in {REJ, frmr, DM}", "rej frmr"},
        {"frame == I", "setup x25call lapfcall"},
        {"type == s", "rr rej"},
        {"msg == release_comp", "relcomp"},
        {"msg == \"Release Comp\" or msg == 5", "setup relcomp"},
        {"packet in {\"clear cnf\", \"Clear\"}", "x25clear"},
        {"packet in {CALL}", "x25call lapfcall"},
        {"dir == N", "relcomp rr frmr lapfcall ip arp"},
        // Numbers of named fields; digits.
        {"msg >= 0x40", "relcomp"},
        {"called == 1234", "setup x25call"},
        {"calling != 5678", ""},
        {"callref == 5 and cause == 16", "relcomp"},
        {"cause == 5", "x25clear"},
        {"dlci == 16", "lapfcall"},
        {"lcn > 1", "x25call x25clear"},
        {"cr == 1", "relcomp rr"},
        {"sapi == 0 and cr == 0 or tei == 127", "setup relcomp rej sabme frmr"},
        {"not cr == 1 and dir == U", "setup rej sabme disc x25call tcp"},
        {"ns == 1", "setup"},
        // IP and Ethernet fields; addresses as dotted quads.
        {"src == 10.0.0.1 or dst == 10.0.0.1", "tcp ip"},
        {"dst > 192.168.0.0", "tcp"},
        {"sport == 1234 and dport == 80", "tcp"},
        {"ipproto == 17", "ip"},
        {"ethertype == 0x0806", "arp"},
        {"len >= 28", "setup tcp ip"},
        // Precedence: not binds tightest, and before or; parentheses.
        {"sapi == 16 or tei == 64 and frame == REJ", "rej disc x25call"},
        {"(sapi == 16 or tei == 64) and frame == REJ", "rej"},
        {"not tei == 64 and sapi == 0", "relcomp"},
        {"not (tei == 64 and sapi == 0)", "relcomp disc x25call lapfcall x25clear tcp ip arp"},
        {"not not frame == RR", "rr"},
        // A field the frame has not: every comparison false, not true.
        {"dlci != 16", ""},
        {"not dlci == 16", "setup relcomp rr rej sabme frmr disc x25call x25clear tcp ip arp"},
    };
    for (const auto& [expression, keys] : cases) EXPECT_EQ(Selected(expression), keys) << expression;
}

TEST(Selection, FaultsAndTheirOffsets) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"", "error at 0: empty expression"},
        {"tei == 1 and bogus == 3", "error at 13: unknown field 'bogus'"},
        {"tei = 1", "error at 4: expected ==, !=, <, >, <=, >= or in"},
        {"tei ==", "error at 6: expected a value at the end"},
        {"tei == 0xZZ", "error at 7: not a number: 0xZZ"},
        {"tei == 99999999999", "error at 7: not a number: 99999999999"},
        {"src == 1.2.3", "error at 7: not a number: 1.2.3"},
        {"sapi == SETUP", "error at 8: sapi takes a number"},
        {"msg < SETUP", "error at 6: msg is compared by name: only ==, != and in"},
        {"called > 12", "error at 9: called is compared by name: only ==, != and in"},
        {"(tei == 1", "error at 0: unclosed ("},
        {"(tei == 1 sapi == 0)", "error at 10: expected )"},
        {"tei == 1 sapi == 0", "error at 9: expected and, or or the end of the expression"},
        {"tei in 1, 2", "error at 7: expected { after in"},
        {"tei in {1 2}", "error at 10: expected , or }"},
        {"msg == \"SETUP", "error at 7: unclosed \""},
        {"tei == 1 or", "error at 11: expected a field name at the end"},
        {"and", "error at 0: unknown field 'and'"},
        {"== 3", "error at 0: expected a field name"},
    };
    for (const auto& [expression, result] : cases) EXPECT_EQ(Selected(expression), result) << expression;
}

TEST(Selection, NullArguments) {
    KorvexSelection* selection = reinterpret_cast<KorvexSelection*>(1);
    EXPECT_EQ(KorvexSelectionCompile(nullptr, &selection, nullptr, nullptr, 0), EINVAL);
    EXPECT_EQ(selection, nullptr);
    EXPECT_EQ(KorvexSelectionMatch(nullptr, nullptr), 0);
    EXPECT_EQ(KorvexSelectionMatchFrame(nullptr, 'U', nullptr, 0), 0);
    EXPECT_EQ(KorvexSelectionSetProtocol(nullptr, "lapd"), EINVAL);
    ASSERT_EQ(KorvexSelectionCompile("tei == 1", &selection, nullptr, nullptr, 0), 0);
    EXPECT_EQ(KorvexSelectionSetProtocol(selection, "token-ring"), EINVAL);
    KorvexSelectionFree(selection);
    KorvexSelectionFree(nullptr);
}

}  // namespace
}  // namespace korvex
