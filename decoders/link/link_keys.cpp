// The keys of a LAPD or LAPF frame as values: address, control field, and
// where the information field lies. The same readings as the text decoder's
// summary walk (lapd.cpp): the control field in its modulo-128 form, U frames
// keyed with the P/F bit set, the LAPF address by LapfAddressStep.

#include <cstring>

#include "core/frame_view.h"
#include "decoders/link/lapd.h"
#include "decoders/link/lapf_address.h"
#include "decoders/parsed_names.h"
#include "korvex/korvex.h"

namespace korvex {

namespace {

constexpr int kTableShortName = 7;
constexpr uint8_t kKeyInformation = 0xFF;
constexpr int32_t kFcsOctets = 2;

// The address field; returns its octet count, 0 when the frame ends inside it.
int32_t ReadAddress(const FrameView& frame, bool lapf, KorvexLinkKeys& keys) {
    if (!lapf) {
        //   octet 0   SAPI (6 bits) | C/R | EA 0
        //   octet 1   TEI (7 bits)        | EA 1
        if (!frame.HasRange(0, 2)) return 0;
        keys.sapi = frame.At(0) >> 2;
        keys.cr = (frame.At(0) >> 1) & 1;
        keys.tei = frame.At(1) >> 1;
        return 2;
    }
    LapdFrameFields fields;
    for (int step = 0; step < 4; ++step) {
        if (!frame.Has(step)) return 0;
        if (step == 0) keys.cr = (frame.At(0) >> 1) & 1;
        if (LapfAddressStep(step, frame.At(step), fields)) break;
    }
    keys.dlci = static_cast<int32_t>(fields.dlci);
    return fields.addressOctets;
}

}  // namespace

}  // namespace korvex

extern "C" int KorvexParseLink(const unsigned char* octets, int32_t length, int lapf, KorvexLinkKeys* keys) {
    using namespace korvex;
    if (keys == nullptr) return 0;
    std::memset(keys, 0, sizeof *keys);
    keys->lapf = lapf != 0 ? 1 : 0;
    keys->sapi = keys->tei = keys->cr = keys->dlci = -1;
    keys->frame_type = keys->frame_key = -1;
    keys->ns = keys->nr = keys->pf = -1;
    keys->info_offset = -1;
    const FrameView frame(octets, length);
    const int32_t address = ReadAddress(frame, lapf != 0, *keys);
    keys->address_octets = address;
    if (address == 0 || !frame.Has(address)) {
        keys->truncated = 1;
        return 0;
    }
    const uint8_t control = frame.At(address);
    const LapdFrameType type = ClassifyLapdControl(control);
    keys->frame_type = type;
    int32_t controlOctets = 1;
    if (type == kLapdUnnumbered) {
        keys->pf = (control >> 4) & 1;
        keys->frame_key = control | 0x10;
    } else {
        controlOctets = 2;
        if (!frame.Has(address + 1)) {
            keys->truncated = 1;
            if (type == kLapdInformation) keys->ns = control >> 1;
            return 0;
        }
        const uint8_t control2 = frame.At(address + 1);
        keys->nr = control2 >> 1;
        keys->pf = control2 & 1;
        if (type == kLapdInformation) {
            keys->ns = control >> 1;
            keys->frame_key = kKeyInformation;
        } else {
            keys->frame_key = control;
        }
    }
    CopyName(kTableShortName, static_cast<uint32_t>(keys->frame_key), keys->frame_name, sizeof keys->frame_name);
    // I frames and U frames carry an information field between the control
    // field and the FCS; S frames none.
    const int32_t first = address + controlOctets;
    const int32_t count = frame.Size() - first - kFcsOctets;
    if (type != kLapdSupervisory && count > 0) {
        keys->info_offset = first;
        keys->info_length = count;
    }
    if (count < 0) keys->truncated = 1;
    return 1;
}
