// Coverage-guided fuzzing of the decoders and the trace reader. The first
// input octet picks the decoder and the flags, the second the output
// capacity; the rest is the frame. A second target feeds the input to the
// trace reader as text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "decoders/q931/ie_decoders.h"
#include "korvex/korvex.h"
#include "replay/replay.h"
#include "replay/trace_reader.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

using Entry = int32_t (*)(DecodeRequest);

// Picked by the top three bits of the first input octet.
constexpr Entry kEntries[] = {DecodeLapd, DecodeLapf, DecodeQ931, DecodeX25, DecodeEthernet, DecodeIp};

void FuzzDecoder(const uint8_t* data, size_t size) {
    if (size < 2) return;
    const uint8_t selector = data[0];
    const uint8_t capacityByte = data[1];
    const Entry entry = kEntries[(selector >> 5) % (sizeof kEntries / sizeof kEntries[0])];
    const uint32_t flags = (selector & 0x0F) | ((selector & 0x10) != 0 ? DECODE_EMBEDDED : 0);
    std::vector<unsigned char> frame(data + 2, data + size);  // exactly the frame's octets

    std::vector<char> whole(1 << 16);
    DecodeRequest request{flags, "12:01.250", frame.data(), whole.data(),
                          static_cast<int32_t>(frame.size()), static_cast<int32_t>(whole.size())};
    // Call control element decoders carry state from one message to the
    // next; both decodes start from the same state so they can be compared.
    korvex::ElementState().Reset();
    const int32_t n = entry(request);
    Check(n >= 0 && n < static_cast<int32_t>(whole.size()) && whole[static_cast<size_t>(n)] == '\0');
    Check(std::memchr(whole.data(), '\0', static_cast<size_t>(n)) == nullptr);

    // A smaller buffer gets a prefix of the same text, and nothing past it.
    const int32_t capacity = capacityByte;
    std::vector<char> cut(static_cast<size_t>(capacity) + 1, '#');
    request.out = cut.data();
    request.capacity = capacity;
    korvex::ElementState().Reset();
    const int32_t m = entry(request);
    Check(m == (capacity == 0 ? 0 : std::min(n, capacity - 1)));
    Check(std::memcmp(cut.data(), whole.data(), static_cast<size_t>(m)) == 0);
    Check(cut[static_cast<size_t>(capacity)] == '#');
}

void FuzzTraceReader(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    korvex::TraceReader reader(in);
    korvex::TraceFrame frame;
    std::vector<char> out;
    while (reader.Next(frame)) {
        Check(frame.length >= 1 && frame.length <= korvex::TraceReader::kMaxFrameLength);
        Check(std::strlen(frame.timestamp) <= 9);
        korvex::DecodeWhole(DecodeLapd, DECODE_DETAIL | DECODE_HEX, frame.timestamp, frame.bytes,
                            frame.length, out);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
#ifdef KORVEX_FUZZ_TRACE_READER
    FuzzTraceReader(data, size);
#else
    FuzzDecoder(data, size);
#endif
    return 0;
}
