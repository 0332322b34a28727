// One decoder entry point under the fuzzer; built once per protocol of the
// library's protocol table, the protocol's name given as
// KORVEX_FUZZ_PROTOCOL. The first input octet is
// the flags (all eight bits), the next two the output capacity less one
// (low octet first, so 1 to 65536); the rest is the frame, held in a buffer
// of exactly its size.
//
// Besides staying inside the frame and the buffer, each decode is checked
// for: a count below the capacity with the NUL there, no NUL before it,
// nothing changed behind it; the text cut by the capacity a prefix of the
// whole text, and the whole text again after the cut one; the same text for
// the same input again, whatever element state an earlier decode left; the
// same text whatever the bits no decoder reads; and a closing line feed.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>

#include "decoders/protocols.h"
#include "decoders/q931/ie_decoders.h"
#include "fuzz/properties.h"
#include "korvex/korvex.h"

#ifndef KORVEX_FUZZ_PROTOCOL
#error "KORVEX_FUZZ_PROTOCOL names the protocol to fuzz"
#endif

namespace {

using korvex::fuzz::Check;

constexpr const char* kProtocol = KORVEX_FUZZ_PROTOCOL;
constexpr const char* kTimestamp = "12:01.250";

// Bits that no decoder reads: the summary bit and the undefined one. (The
// flags octet draws every bit, DECODE_EXTENDED among them.)
constexpr uint32_t kInertFlags = DECODE_SUMMARY | 0x20u;

const korvex::Protocol* gProtocol = nullptr;
KorvexDecoder gDecoder = nullptr;

bool Is(const char* name) { return std::strcmp(kProtocol, name) == 0; }

void ResetState() { korvex::ElementState().Reset(); }

// Element state as a long earlier decode could have left it.
void SoilState() {
    static_assert(std::is_trivially_copyable_v<korvex::IeDecoderState>);
    std::memset(static_cast<void*>(&korvex::ElementState()), 0xA5, sizeof(korvex::IeDecoderState));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gProtocol = korvex::ProtocolNamed(kProtocol);
    Check(gProtocol != nullptr, "the protocol is in the library's table", kProtocol);
    gDecoder = KorvexFindDecoder(kProtocol);
    Check(gDecoder == gProtocol->decoder, "the C lookup gives the table's decoder", kProtocol);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const uint32_t flags = data[0];
    const int32_t capacity = 1 + (data[1] | data[2] << 8);
    const std::size_t length = size - 3;
    std::unique_ptr<unsigned char[]> frame(new unsigned char[length]);
    if (length > 0) std::memcpy(frame.get(), data + 3, length);

    // Only an embedded decode may come without a timestamp.
    const bool embedded = (gProtocol->flags & flags & DECODE_EMBEDDED) != 0;
    DecodeRequest request{flags, embedded ? nullptr : kTimestamp, frame.get(), nullptr,
                          static_cast<int32_t>(length), 0};

    // The call control element decoders keep state only from one octet of
    // an element to a later one of the same element, so every decode must
    // give its text whatever an earlier decode left in that state.
    const korvex::fuzz::Prepare fresh = ResetState;
    const korvex::fuzz::Prepare any = SoilState;

    const std::string whole = korvex::fuzz::WholeText(gDecoder, request, fresh);
    const std::string cut = korvex::fuzz::CheckedDecode(gDecoder, request, capacity, fresh);
    korvex::fuzz::CheckCut(cut, whole, capacity);
    if (cut.size() < whole.size()) {
        // A caller that decodes again with more room after a cut decode (as
        // the tool, the replay and the Python module do) gets the whole text.
        korvex::fuzz::CheckSame(whole, korvex::fuzz::WholeText(gDecoder, request, nullptr),
                                "a cut decode, then one with room, gives the whole text");
    }

    korvex::fuzz::CheckSame(whole, korvex::fuzz::WholeText(gDecoder, request, any), "same input, same text");

    DecodeRequest inert = request;
    inert.flags ^= kInertFlags;
    korvex::fuzz::CheckSame(whole, korvex::fuzz::WholeText(gDecoder, inert, any),
                            "the summary bit and the undefined bit change nothing");

    if (Is("lapf")) {
        DecodeRequest lapd = request;
        lapd.flags |= DECODE_LAPF;
        korvex::fuzz::CheckSame(whole, korvex::fuzz::WholeText(DecodeLapd, lapd, any),
                                "a LAPF frame decodes as LAPD with the LAPF bit");
    }

    if (length > 0 && !embedded) {
        Check(!whole.empty() && whole.back() == '\n', "the text ends with a line feed", whole);
    }
    return 0;
}
