// Call tracking over the structured decoders: each frame is read once for
// its link keys and its layer-3 message, the message is put to the call it
// belongs to, and a call's record is made ready when the call ends.

#include "calls/call_tracker.h"

#include <cerrno>
#include <cstring>
#include <new>

namespace korvex {

namespace {

constexpr int64_t kHour = 3600000;

// Sides of a link: the user side (DTE) and the network side (DCE).
constexpr int kUser = 0;
constexpr int kNetwork = 1;
constexpr int kUnknown = -1;

constexpr char SideChar(int side) { return side == kUser ? 'U' : side == kNetwork ? 'N' : '?'; }

// Q.931 message types the tracker acts on.
constexpr int32_t kAlerting = 0x01;
constexpr int32_t kConnect = 0x07;
constexpr int32_t kSetup = 0x05;
constexpr int32_t kResume = 0x26;
constexpr int32_t kResumeReject = 0x22;
constexpr int32_t kSuspendAck = 0x2D;
constexpr int32_t kInformation = 0x7B;
constexpr int32_t kDisconnect = 0x45;
constexpr int32_t kRelease = 0x4D;
constexpr int32_t kReleaseComplete = 0x5A;
constexpr int32_t kSegment = 0x60;

// X.25 packet type keys.
constexpr int32_t kData = 0x00;
constexpr int32_t kCall = 0x0B;
constexpr int32_t kCallConnected = 0x0F;
constexpr int32_t kClear = 0x13;
constexpr int32_t kClearConfirm = 0x17;
constexpr int32_t kRestart = 0xFB;
constexpr int32_t kRestartConfirm = 0xFF;
constexpr int32_t kDiagnostic = 0xF1;

// LAPD service access points.
constexpr int32_t kSapiCallControl = 0;
constexpr int32_t kSapiPacket = 16;
constexpr int32_t kSapiManagement = 63;
constexpr int32_t kGroupTei = 127;
constexpr int32_t kKeyUi = 0x13;

constexpr uint8_t kQ931Discriminator = 0x08;

int Digit(char c) { return c >= '0' && c <= '9' ? c - '0' : -1; }

// "mm:ss.mmm" in ms; -1 for any other text.
int64_t ParseTime(const char* t) {
    if (t == nullptr) return -1;
    static constexpr int kDigits[] = {0, 1, 3, 4, 6, 7, 8};
    int d[7];
    for (int i = 0; i < 7; ++i) {
        d[i] = Digit(t[kDigits[i]]);
        if (d[i] < 0) return -1;
    }
    if (t[2] != ':' || t[5] != '.' || d[2] > 5) return -1;
    return ((d[0] * 10 + d[1]) * 60 + d[2] * 10 + d[3]) * 1000 + d[4] * 100 + d[5] * 10 + d[6];
}

void FormatTime(int64_t ms, char (&text)[12]) {
    const auto inHour = static_cast<int>(ms % kHour);
    const int parts[] = {inHour / 600000, inHour / 60000 % 10, -1, inHour / 10000 % 6, inHour / 1000 % 10,
                         -2, inHour / 100 % 10, inHour / 10 % 10, inHour % 10};
    for (int i = 0; i < 9; ++i) text[i] = parts[i] == -1 ? ':' : parts[i] == -2 ? '.' : static_cast<char>('0' + parts[i]);
    text[9] = '\0';
}

void CopyText(char* to, std::size_t size, const char* from) {
    std::size_t n = std::strlen(from);
    if (n >= size) n = size - 1;
    std::memcpy(to, from, n);
    to[n] = '\0';
}

void AppendText(char* to, std::size_t size, const char* from) {
    const std::size_t used = std::strlen(to);
    CopyText(to + used, size - used, from);
}

void AppendNumber(char* to, std::size_t size, int32_t value) {
    char digits[12];
    int n = 0;
    auto v = static_cast<uint32_t>(value < 0 ? 0 : value);
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    char text[12];
    for (int i = 0; i < n; ++i) text[i] = digits[n - 1 - i];
    text[n] = '\0';
    AppendText(to, size, text);
}

// The channel a channel identification names, or false when it names none
// ("any channel", no channel).
bool ChannelText(const KorvexChannelId& ch, char (&text)[24]) {
    if (ch.present == 0) return false;
    char named[24] = "";
    if (ch.interface_id >= 0) {
        AppendText(named, sizeof named, "if");
        AppendNumber(named, sizeof named, ch.interface_id);
        AppendText(named, sizeof named, " ");
    }
    if (ch.d_channel == 1) {
        AppendText(named, sizeof named, "D");
    } else if (ch.by_map == 1 && ch.slot_map != 0) {
        AppendText(named, sizeof named, "TS");
        bool first = true;
        for (int slot = 1; slot <= 32; ++slot) {
            if ((ch.slot_map >> (slot - 1) & 1u) == 0) continue;
            if (!first) AppendText(named, sizeof named, "+");
            AppendNumber(named, sizeof named, slot);
            first = false;
        }
    } else if (ch.channel >= 0) {
        AppendText(named, sizeof named, "B");
        AppendNumber(named, sizeof named, ch.channel);
    } else {
        return false;
    }
    CopyText(text, sizeof text, named);
    return true;
}

}  // namespace

int64_t CallTracker::TimeOf(const char* timestamp) {
    const int64_t t = ParseTime(timestamp);
    if (t < 0) return now_;
    if (lastInHour_ >= 0 && t < lastInHour_) hourBase_ += kHour;
    lastInHour_ = t;
    return hourBase_ + t;
}

void CallTracker::Store(const KorvexCallRecord& record) {
    if (waitingCount_ == kMaxWaiting) {
        // Not taken in time: the oldest gives way.
        waitingFirst_ = (waitingFirst_ + 1) % kMaxWaiting;
        --waitingCount_;
    }
    waiting_[static_cast<std::size_t>((waitingFirst_ + waitingCount_) % kMaxWaiting)] = record;
    ++waitingCount_;
}

bool CallTracker::Next(KorvexCallRecord& record) {
    if (waitingCount_ == 0) return false;
    record = waiting_[static_cast<std::size_t>(waitingFirst_)];
    waitingFirst_ = (waitingFirst_ + 1) % kMaxWaiting;
    --waitingCount_;
    return true;
}

void CallTracker::End(int index, bool ended, const char* how) {
    Open& call = open_[static_cast<std::size_t>(index)];
    KorvexCallRecord& r = call.record;
    r.ended = ended ? 1 : 0;
    r.end = how;
    FormatTime(r.first_ms, r.first_time);
    FormatTime(r.last_ms, r.last_time);
    if (call.answerAt >= 0) r.connected_ms = (call.cleared ? call.clearAt : r.last_ms) - call.answerAt;
    Store(r);
    // The last open call takes the freed place.
    --openCount_;
    if (index != openCount_) open_[static_cast<std::size_t>(index)] = open_[static_cast<std::size_t>(openCount_)];
}

CallTracker::Open& CallTracker::Start(int32_t protocol, int32_t key, int32_t link, int side, bool begun) {
    if (openCount_ == kMaxOpen) {
        // The call idle longest, the oldest of those idle as long.
        int idle = 0;
        for (int i = 1; i < openCount_; ++i) {
            const KorvexCallRecord& a = open_[static_cast<std::size_t>(i)].record;
            const KorvexCallRecord& b = open_[static_cast<std::size_t>(idle)].record;
            if (a.last_ms < b.last_ms || (a.last_ms == b.last_ms && a.number < b.number)) idle = i;
        }
        End(idle, false, "evicted");
    }
    Open& call = open_[static_cast<std::size_t>(openCount_++)];
    call = Open{};
    call.key = key;
    call.origin = static_cast<int8_t>(kUnknown);
    call.setupOnly = true;
    call.answerAt = -1;
    KorvexCallRecord& r = call.record;
    r.number = nextNumber_++;
    r.protocol = protocol;
    r.first_ms = r.last_ms = now_;
    r.alerting_ms = r.answer_ms = r.connected_ms = -1;
    r.direction = begun ? SideChar(side) : '?';
    r.link = link;
    r.call_ref = protocol == KORVEX_CALLS_Q931 ? key : -1;
    r.logical_channel = protocol == KORVEX_CALLS_X25 ? key : -1;
    r.bearer_capability = r.bearer_mode = r.bearer_rate = -1;
    r.bearer_name = "";
    r.cause = r.diagnostic = -1;
    r.cause_name = "";
    r.begun = begun ? 1 : 0;
    r.end = "open";
    return call;
}

int32_t CallTracker::Q931(const unsigned char* octets, int32_t length, int side, int32_t link, bool broadcast) {
    KorvexQ931Message m;
    if (KorvexParseQ931(octets, length, &m) == 0 || m.protocol != kQ931Discriminator) return 0;
    // The global call reference (value 0) belongs to no call.
    if (m.call_ref_length <= 0 || m.call_ref == 0) return 0;
    int32_t type = m.message_type;
    if (type == kSegment && m.segmented_type >= 0) {
        // A segmented message counts as the message it carries, opening a
        // call from its first segment only.
        type = m.first_segment == 1 ? m.segmented_type : -1;
    }
    const int origin = side == kUnknown ? kUnknown : m.call_ref_flag == 0 ? side : 1 - side;
    const auto key = static_cast<int32_t>(m.call_ref);

    int found = -1;
    for (int i = 0; i < openCount_; ++i) {
        const Open& c = open_[static_cast<std::size_t>(i)];
        if (c.record.protocol != KORVEX_CALLS_Q931 || c.key != key) continue;
        if (origin != kUnknown && c.origin != kUnknown && c.origin != origin) continue;
        if (link >= 0 && !broadcast && c.record.link >= 0 && c.record.link != link) continue;
        found = i;
        break;
    }
    const bool opens = type == kSetup || type == kResume;
    if (found >= 0 && opens) {
        const Open& c = open_[static_cast<std::size_t>(found)];
        // The same SETUP again from the same side is a repetition; anything
        // else means the call reference now belongs to a new call.
        if (!(c.setupOnly && c.record.direction == SideChar(side))) {
            End(found, false, "reused");
            found = -1;
        }
    }
    if (found < 0) {
        Start(KORVEX_CALLS_Q931, key, broadcast ? -1 : link, side, type == kSetup);
        found = openCount_ - 1;
    }
    Open& call = open_[static_cast<std::size_t>(found)];
    KorvexCallRecord& r = call.record;
    if (call.origin == kUnknown) call.origin = static_cast<int8_t>(origin);
    if (r.link < 0 && !broadcast) r.link = link;
    if (r.messages > 0 && !(opens && call.setupOnly)) call.setupOnly = false;
    ++r.messages;
    r.last_ms = now_;
    const int64_t since = now_ - r.first_ms;

    if (type == kSetup) {
        if (m.calling.present != 0) CopyText(r.calling, sizeof r.calling, m.calling.digits);
        if (m.called.present != 0) CopyText(r.called, sizeof r.called, m.called.digits);
        if (m.bearer.present != 0) {
            r.bearer_capability = m.bearer.transfer_capability;
            r.bearer_mode = m.bearer.transfer_mode;
            r.bearer_rate = m.bearer.transfer_rate;
            r.bearer_name = m.bearer.capability_name;
        }
    } else if (m.called.present != 0 && (type == kInformation || m.message_type == kSegment)) {
        // Digits sent one message after another (overlap sending).
        AppendText(r.called, sizeof r.called, m.called.digits);
    }
    if (m.calling.present != 0 && r.calling[0] == '\0') CopyText(r.calling, sizeof r.calling, m.calling.digits);
    ChannelText(m.channel, r.channel);
    if (type == kAlerting && r.alerting_ms < 0) r.alerting_ms = since;
    if (type == kConnect && r.answer_ms < 0) {
        r.answer_ms = since;
        call.answerAt = now_;
    }
    const bool clearing = type == kDisconnect || type == kRelease || type == kReleaseComplete || type == kResumeReject;
    if (clearing && !call.cleared) {
        call.cleared = true;
        call.clearAt = now_;
        r.cleared_by = SideChar(side);
    }
    if (clearing && r.cause < 0 && m.cause.value >= 0) {
        r.cause = m.cause.value;
        r.cause_name = m.cause.name;
    }
    const int32_t number = r.number;
    if (type == kReleaseComplete) End(found, true, "released");
    if (type == kResumeReject) End(found, true, "rejected");
    if (type == kSuspendAck) End(found, true, "suspended");
    return number;
}

int32_t CallTracker::X25(const unsigned char* octets, int32_t length, int side, int32_t link) {
    KorvexX25Packet p;
    if (KorvexParseX25(octets, length, &p) == 0 || p.modulo == 0) return 0;
    if (p.type == kRestart || p.type == kRestartConfirm) {
        // A restart clears every virtual call of its link.
        for (int i = openCount_ - 1; i >= 0; --i) {
            Open& c = open_[static_cast<std::size_t>(i)];
            if (c.record.protocol != KORVEX_CALLS_X25 || c.record.link != link) continue;
            ++c.record.messages;
            c.record.last_ms = now_;
            if (!c.cleared) {
                c.cleared = true;
                c.clearAt = now_;
                c.record.cleared_by = SideChar(side);
                c.record.cause = p.cause;
                c.record.diagnostic = p.diagnostic;
                c.record.cause_name = p.cause_name;
            }
            End(i, true, "restart");
        }
        return 0;
    }
    if (p.type == kDiagnostic || p.channel == 0) return 0;
    int found = -1;
    for (int i = 0; i < openCount_; ++i) {
        const Open& c = open_[static_cast<std::size_t>(i)];
        if (c.record.protocol == KORVEX_CALLS_X25 && c.key == p.channel && c.record.link == link) {
            found = i;
            break;
        }
    }
    if (found >= 0 && p.type == kCall) {
        const Open& c = open_[static_cast<std::size_t>(found)];
        if (!(c.setupOnly && c.record.direction == SideChar(side))) {
            End(found, false, "reused");
            found = -1;
        }
    }
    if (found < 0) {
        Start(KORVEX_CALLS_X25, p.channel, link, side, p.type == kCall);
        found = openCount_ - 1;
        KorvexCallRecord& opened = open_[static_cast<std::size_t>(found)].record;
        CopyText(opened.channel, sizeof opened.channel, "LCN ");
        AppendNumber(opened.channel, sizeof opened.channel, p.channel);
    }
    Open& call = open_[static_cast<std::size_t>(found)];
    KorvexCallRecord& r = call.record;
    if (r.messages > 0 && p.type != kCall) call.setupOnly = false;
    ++r.messages;
    r.last_ms = now_;
    if (p.type == kData) ++r.data_packets;
    if (p.type == kCall) {
        CopyText(r.calling, sizeof r.calling, p.calling);
        CopyText(r.called, sizeof r.called, p.called);
    }
    if (p.type == kCallConnected && r.answer_ms < 0) {
        r.answer_ms = now_ - r.first_ms;
        call.answerAt = now_;
    }
    if (p.type == kClear && !call.cleared) {
        call.cleared = true;
        call.clearAt = now_;
        r.cleared_by = SideChar(side);
        r.cause = p.cause;
        r.diagnostic = p.diagnostic;
        r.cause_name = p.cause_name;
    }
    const int32_t number = r.number;
    if (p.type == kClearConfirm) End(found, true, "cleared");
    return number;
}

int32_t CallTracker::Frame(const char* timestamp, char direction, const unsigned char* octets, int32_t length) {
    now_ = TimeOf(timestamp);
    int side = direction == 'U' ? kUser : direction == 'N' ? kNetwork : kUnknown;
    switch (input_) {
        case KORVEX_CALLS_Q931:
            return Q931(octets, length, side, -1, false);
        case KORVEX_CALLS_X25:
            return X25(octets, length, side, -1);
        default:
            break;
    }
    const bool lapf = input_ == KORVEX_CALLS_LAPF;
    KorvexLinkKeys keys;
    if (KorvexParseLink(octets, length, lapf ? 1 : 0, &keys) == 0 || keys.info_offset < 0) return 0;
    const bool information = keys.frame_type == 0;
    if (!information && !(keys.frame_key == kKeyUi && !lapf)) return 0;
    // I and UI frames are commands: the user side sends them with C/R 0,
    // the network side with C/R 1.
    if (side == kUnknown) side = keys.cr == 0 ? kUser : kNetwork;
    const unsigned char* info = octets + keys.info_offset;
    if (lapf) return X25(info, keys.info_length, side, keys.dlci);
    if (keys.sapi == kSapiCallControl) {
        if (info[0] != kQ931Discriminator) return 0;
        return Q931(info, keys.info_length, side, keys.tei, keys.tei == kGroupTei);
    }
    if (keys.sapi == kSapiPacket && information) return X25(info, keys.info_length, side, keys.tei);
    return 0;
}

void CallTracker::Finish() {
    // In the order the calls were first seen.
    while (openCount_ > 0) {
        int first = 0;
        for (int i = 1; i < openCount_; ++i) {
            if (open_[static_cast<std::size_t>(i)].record.number < open_[static_cast<std::size_t>(first)].record.number) {
                first = i;
            }
        }
        End(first, false, "open");
    }
}

namespace {

// The ITU-T CRC-16 of LAPD and LAPF frames, sent low octet first.
bool EndsWithFcs(const unsigned char* octets, int32_t length) {
    if (length < 5) return false;
    uint16_t crc = 0xFFFF;
    for (int32_t i = 0; i < length - 2; ++i) {
        crc ^= octets[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) != 0 ? (crc >> 1) ^ 0x8408 : crc >> 1;
    }
    crc ^= 0xFFFF;
    return octets[length - 2] == (crc & 0xFF) && octets[length - 1] == (crc >> 8);
}

}  // namespace

}  // namespace korvex

struct KorvexCallTracker {
    explicit KorvexCallTracker(int32_t input) : tracker(input) {}
    korvex::CallTracker tracker;
};

extern "C" int KorvexCallsOpen(int32_t input, KorvexCallTracker** tracker) {
    if (tracker == nullptr) return EINVAL;
    *tracker = nullptr;
    if (input < KORVEX_CALLS_LAPD || input > KORVEX_CALLS_X25) return EINVAL;
    *tracker = new (std::nothrow) KorvexCallTracker(input);
    return *tracker == nullptr ? ENOMEM : 0;
}

extern "C" int32_t KorvexCallsFrame(KorvexCallTracker* tracker, const char* timestamp, char direction,
                                    const unsigned char* frame, int32_t length) {
    if (tracker == nullptr) return 0;
    return tracker->tracker.Frame(timestamp, direction, frame, length);
}

extern "C" void KorvexCallsFinish(KorvexCallTracker* tracker) {
    if (tracker != nullptr) tracker->tracker.Finish();
}

extern "C" int KorvexCallsNext(KorvexCallTracker* tracker, KorvexCallRecord* record) {
    if (tracker == nullptr || record == nullptr) return 0;
    return tracker->tracker.Next(*record) ? 1 : 0;
}

extern "C" void KorvexCallsClose(KorvexCallTracker* tracker) { delete tracker; }

extern "C" int32_t KorvexCallsGuessInput(const unsigned char* frame, int32_t length) {
    using namespace korvex;
    if (frame == nullptr || length < 1) return 0;
    if (EndsWithFcs(frame, length)) {
        // Address octet 0 of LAPD: SAPI, C/R, EA 0.
        const int sapi = frame[0] >> 2;
        const bool lapd = (frame[0] & 1) == 0 && (frame[1] & 1) == 1 &&
                          (sapi == kSapiCallControl || sapi == kSapiPacket || sapi == kSapiManagement);
        return lapd ? KORVEX_CALLS_LAPD : KORVEX_CALLS_LAPF;
    }
    KorvexQ931Message m;
    if (frame[0] == kQ931Discriminator && KorvexParseQ931(frame, length, &m) == 1 && m.call_ref_length <= 4) {
        return KORVEX_CALLS_Q931;
    }
    KorvexX25Packet p;
    // Modulo 8 or 128, a packet type with a name.
    const int modulo = (frame[0] >> 4) & 3;
    if ((modulo == 1 || modulo == 2) && KorvexParseX25(frame, length, &p) == 1 && p.type_name[0] != '\0') {
        return KORVEX_CALLS_X25;
    }
    return 0;
}
