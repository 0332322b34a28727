// The structured decoders under the fuzzer: link keys (LAPD and LAPF),
// Q.931 messages and X.25 packets, each handed the input as one frame in a
// buffer of exactly its size, so that a read outside it is the sanitizer's
// to catch. Besides that, each parse is checked for: the same fields for the
// same frame again, texts that end inside their arrays, names that are
// texts, counts and offsets that stay inside the frame.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz/properties.h"
#include "korvex/korvex.h"

namespace {

using korvex::fuzz::Check;

template <std::size_t N>
bool Terminated(const char (&text)[N]) {
    return std::memchr(text, '\0', N) != nullptr;
}

// The bytes of two structs that hold no pointers to compare, or whose
// pointers come from the same constant tables: equal when the parse is a
// function of the frame alone.
template <typename T>
bool SameBytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// The fields parse(frame, length, &fields) gives, checked to be the same
// when the structure held other bytes before: the parse fills it from the
// frame alone.
template <typename Fields, typename Parse>
Fields ParsedAlike(Parse parse, const char* what) {
    Fields a;
    Fields b;
    std::memset(&a, 0x5A, sizeof a);
    std::memset(&b, 0xA5, sizeof b);
    const int ra = parse(&a);
    const int rb = parse(&b);
    Check(ra == rb && SameBytes(a, b), what);
    return a;
}

void CheckLink(const unsigned char* frame, int32_t length, int lapf) {
    const auto a = ParsedAlike<KorvexLinkKeys>(
        [&](KorvexLinkKeys* keys) { return KorvexParseLink(frame, length, lapf, keys); },
        "link keys: same frame, same fields");
    Check(Terminated(a.frame_name), "link keys: frame name ends in its array");
    Check(a.info_offset < 0 || (a.info_offset + a.info_length <= length && a.info_length > 0),
          "link keys: the information field lies inside the frame");
}

void CheckQ931(const unsigned char* frame, int32_t length) {
    const auto a = ParsedAlike<KorvexQ931Message>(
        [&](KorvexQ931Message* message) { return KorvexParseQ931(frame, length, message); },
        "q931: same message, same fields");
    Check(Terminated(a.called.digits) && Terminated(a.calling.digits) && Terminated(a.connected.digits) &&
              Terminated(a.display),
          "q931: texts end inside their arrays");
    for (const char* name : {a.message_name, a.bearer.capability_name, a.bearer.rate_name, a.cause.name,
                             a.cause.location_name, a.cause.class_name, a.progress_name}) {
        Check(name != nullptr && std::strlen(name) < 200, "q931: names are texts");
    }
    Check(a.other_count >= 0 && a.other_count <= length, "q931: no more other elements than octets");
    for (int i = 0; i < a.other_count && i < KORVEX_Q931_MAX_OTHER; ++i) {
        Check(a.other[i].offset >= 0 && a.other[i].offset < length, "q931: other elements lie in the message");
    }
}

void CheckX25(const unsigned char* frame, int32_t length) {
    const auto a = ParsedAlike<KorvexX25Packet>(
        [&](KorvexX25Packet* packet) { return KorvexParseX25(frame, length, packet); }, "x25: same packet, same fields");
    Check(Terminated(a.type_name) && Terminated(a.called) && Terminated(a.calling),
          "x25: texts end inside their arrays");
    Check(a.cause_name != nullptr && a.diagnostic_name != nullptr, "x25: names are texts");
    Check(a.user_data_length >= 0 && a.user_data_length <= length, "x25: user data inside the packet");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto length = static_cast<int32_t>(size);
    std::unique_ptr<unsigned char[]> frame(new unsigned char[size > 0 ? size : 1]);
    if (size > 0) std::memcpy(frame.get(), data, size);
    // An empty frame is also handed over with a null pointer.
    const unsigned char* octets = size > 0 ? frame.get() : nullptr;
    CheckLink(octets, length, 0);
    CheckLink(octets, length, 1);
    CheckQ931(octets, length);
    CheckX25(octets, length);
    return 0;
}
