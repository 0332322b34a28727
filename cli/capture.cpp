#include "cli/capture.h"

#include <pcap/pcap.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "decoders/protocols.h"

namespace korvex::cli {

namespace {

// The link types of the library's protocol table, each with the protocol
// that decodes its frames.
std::vector<LinkRoute> LinkRoutes() {
    std::vector<LinkRoute> routes;
    for (const Protocol& p : Protocols()) {
        for (const LinkType& link : p.linkTypes) {
            routes.push_back({link.number, p.name, link.name, link.pseudoHeader, link.withoutFcs});
        }
    }
    return routes;
}

// The packet type of the Linux LAPD pseudo-header for frames the capturing
// side sent; every other type is a frame it received, and 0 the one written
// for them (addressed to the capturing side).
constexpr unsigned kLinuxLapdOutgoing = 4;
constexpr unsigned kLinuxLapdIncoming = 0;
constexpr unsigned kLapdHardwareType = 0x0339;
constexpr unsigned kLapdProtocol = 0x0030;

void PutBigEndian16(unsigned char* at, unsigned value) {
    at[0] = static_cast<unsigned char>(value >> 8);
    at[1] = static_cast<unsigned char>(value & 0xFF);
}

// libpcap refuses a pcapng interface whose link type differs from the first
// interface's with a text of this start (the new interface's link type) and
// this end.
constexpr const char* kOtherInterfaceStart = "an interface has a type %u";
constexpr const char* kOtherInterfaceEnd = "different from the type of the first interface";

// "link type 203 (LAPD)", with the name korvex or libpcap has for it.
std::string LinkTypeName(int linkType) {
    std::string text = "link type " + std::to_string(linkType);
    if (const LinkRoute* route = FindLinkRoute(linkType)) {
        text += std::string(" (") + route->name + ")";
    } else if (const char* description = pcap_datalink_val_to_description(linkType)) {
        text += std::string(" (") + description + ")";
    }
    return text;
}

uint32_t Magic(std::string_view start, bool bigEndian) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        const auto octet = static_cast<unsigned char>(start[static_cast<std::size_t>(bigEndian ? i : 3 - i)]);
        value = value << 8 | octet;
    }
    return value;
}

// Octets of a record header in a pcap file that starts with this magic
// number; 0 when it is not a pcap file.
int64_t PcapRecordHeader(std::string_view start) {
    if (start.size() < 4) return 0;
    for (bool bigEndian : {false, true}) {
        switch (Magic(start, bigEndian)) {
            case 0xA1B2C3D4:  // microsecond timestamps
            case 0xA1B23C4D:  // nanosecond timestamps
                return 16;
            case 0xA1B2CD34:  // the variant with four more fields per record
                return 24;
            default:
                break;
        }
    }
    return 0;
}

}  // namespace

CaptureFormat CaptureFormatOf(std::string_view start) {
    if (PcapRecordHeader(start) != 0) return CaptureFormat::Pcap;
    if (start.size() >= 4 && Magic(start, true) == 0x0A0D0D0A) return CaptureFormat::PcapNg;
    return CaptureFormat::None;
}

const char* CaptureFormatName(CaptureFormat format) {
    switch (format) {
        case CaptureFormat::Pcap:
            return "pcap";
        case CaptureFormat::PcapNg:
            return "pcapng";
        case CaptureFormat::None:
            break;
    }
    return "no";
}

namespace {

// The CRC of each octet value, so that a frame takes one step an octet.
struct FcsTable {
    uint16_t step[256];
    constexpr FcsTable() : step() {
        for (unsigned value = 0; value < 256; ++value) {
            unsigned crc = value;
            for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) != 0 ? (crc >> 1) ^ 0x8408 : crc >> 1;
            step[value] = static_cast<uint16_t>(crc);
        }
    }
};
constexpr FcsTable kFcsTable;

}  // namespace

uint16_t LinkFcs(const unsigned char* octets, std::size_t count) {
    unsigned crc = 0xFFFF;
    for (std::size_t i = 0; i < count; ++i) crc = (crc >> 8) ^ kFcsTable.step[(crc ^ octets[i]) & 0xFF];
    return static_cast<uint16_t>(~crc);
}

const LinkRoute* FindLinkRoute(int linkType) {
    static const std::vector<LinkRoute> routes = LinkRoutes();
    for (const LinkRoute& route : routes) {
        if (route.linkType == linkType) return &route;
    }
    return nullptr;
}

Framing FramingOf(const LinkRoute* route, std::string_view protocol) {
    Framing framing;
    if (route == nullptr) return framing;
    framing.pseudoHeader = route->pseudoHeader;
    framing.linuxLapdDirection = route->linkType == 177;
    const Protocol* decoded = ProtocolNamed(protocol);
    framing.fillFcs = route->withoutFcs && decoded != nullptr && EndsInLinkFcs(*decoded);
    return framing;
}

std::string KnownLinkTypes() {
    // Each protocol with its link types, the protocols by their lowest one.
    std::vector<const Protocol*> routed;
    for (const Protocol& p : Protocols()) {
        if (p.linkTypes.size() > 0) routed.push_back(&p);
    }
    const auto lowest = [](const Protocol* p) {
        return std::min_element(p->linkTypes.begin(), p->linkTypes.end(),
                                [](const LinkType& a, const LinkType& b) { return a.number < b.number; })
            ->number;
    };
    std::stable_sort(routed.begin(), routed.end(),
                     [&](const Protocol* a, const Protocol* b) { return lowest(a) < lowest(b); });
    std::string text;
    for (const Protocol* p : routed) {
        if (!text.empty()) text += ", ";
        const std::size_t count = p->linkTypes.size();
        std::size_t i = 0;
        for (const LinkType& link : p->linkTypes) {
            if (i > 0) text += i + 1 == count ? " and " : ", ";
            text += std::to_string(link.number);
            ++i;
        }
        text += std::string(" (") + p->name + ")";
    }
    return text;
}

void WriteLinuxLapdHeader(char direction, unsigned char* header) {
    std::memset(header, 0, kLinuxLapdHeader);
    PutBigEndian16(header, direction == 'U' ? kLinuxLapdOutgoing : kLinuxLapdIncoming);
    PutBigEndian16(header + 2, kLapdHardwareType);
    PutBigEndian16(header + 14, kLapdProtocol);
}

void FormatCaptureTime(int64_t seconds, int64_t microseconds, char (&text)[12]) {
    // Whole seconds and microseconds each brought into range first, so that
    // any value, however damaged, gives nine characters.
    const int64_t inHour = ((seconds % 3600) + 3600) % 3600;
    const int64_t micros = ((microseconds % 1000000) + 1000000) % 1000000;
    std::snprintf(text, sizeof text, "%02d:%02d.%03d", static_cast<int>(inHour / 60),
                  static_cast<int>(inHour % 60), static_cast<int>(micros / 1000));
}

bool ParseTraceTime(const char* text, int64_t& seconds, int32_t& microseconds) {
    // Checked one character after the other, so that a short text ends the
    // check at its terminator.
    constexpr char kPattern[] = "00:00.000";
    int values[3] = {};
    int field = 0;
    for (int i = 0; i < 9; ++i) {
        if (kPattern[i] == '0') {
            if (text[i] < '0' || text[i] > '9') return false;
            values[field] = values[field] * 10 + (text[i] - '0');
        } else {
            if (text[i] != kPattern[i]) return false;
            ++field;
        }
    }
    if (text[9] != '\0' || values[1] > 59) return false;
    seconds = int64_t{values[0]} * 60 + values[1];
    microseconds = values[2] * 1000;
    return true;
}

// --- Reading ----------------------------------------------------------------

CaptureSource::CaptureSource(Input& input, std::ostream& err, std::ostream* flushBeforeWait)
    : input_(input), err_(err), flush_(flushBeforeWait) {}

CaptureSource::~CaptureSource() {
    if (hasBpf_) pcap_freecode(&bpf_);
    if (pcap_ != nullptr) pcap_close(pcap_);
}

ssize_t CaptureSource::Read(void* cookie, char* buffer, std::size_t size) {
    auto* self = static_cast<CaptureSource*>(cookie);
    // Called from inside libpcap: nothing may be thrown through it.
    try {
        std::streambuf* source = self->input_.Stream().rdbuf();
        std::streamsize ready = source->in_avail();
        if (ready <= 0 && self->flush_ != nullptr) self->flush_->flush();
        // Never ask for more than is ready (one octet when nothing is): the
        // rest of a record may not have been captured yet.
        ready = std::clamp<std::streamsize>(ready, 1, static_cast<std::streamsize>(size));
        const std::streamsize n = source->sgetn(buffer, ready);
        if (n <= 0) return 0;
        self->consumed_ += static_cast<uint64_t>(n);
        return n;
    } catch (...) {
        errno = EIO;
        return -1;
    }
}

void CaptureSource::Report(const std::string& message) {
    // The frames before the problem come out before the message does.
    if (flush_ != nullptr) flush_->flush();
    err_ << "korvex: " << DisplayName(input_.Name()) << ": " << message << "\n";
    damaged_ = true;
}

bool CaptureSource::Open() {
    const std::string_view start = input_.Start();
    if (start.empty()) {
        if (!input_.ReportReadError(err_)) Report("empty, not a capture");
        return false;
    }
    format_ = CaptureFormatOf(start);
    if (format_ == CaptureFormat::None) {
        Report("not a pcap or pcapng capture (hex trace files are decoded by korvex replay)");
        return false;
    }
    recordHeader_ = PcapRecordHeader(start);

    cookie_io_functions_t functions{};
    functions.read = &CaptureSource::Read;
    FILE* file = fopencookie(this, "r", functions);
    if (file == nullptr) {
        Report(std::string("cannot read: ") + std::strerror(errno));
        return false;
    }
#if !defined(__GLIBC__)
    // Unbuffered, so that the octets handed to libpcap are the octets it has
    // consumed: they tell where each record ends.
    std::setvbuf(file, nullptr, _IONBF, 0);
#endif
    char error[PCAP_ERRBUF_SIZE] = {};
    pcap_ = pcap_fopen_offline(file, error);
    if (pcap_ == nullptr) {
        std::fclose(file);
        if (!input_.ReportReadError(err_)) Report(std::string("damaged capture header: ") + error);
        damaged_ = true;
        return false;
    }
    linkType_ = pcap_datalink(pcap_);
    return true;
}

std::string CaptureSource::LinkTypeText() const {
    return LinkTypeName(linkType_);
}

void CaptureSource::SetFraming(const Framing& framing) {
    framing_ = framing;
    framing_.maxLength = std::max<int32_t>(framing_.maxLength, 3);
    octets_.assign(framing_.fillFcs ? static_cast<std::size_t>(framing_.maxLength) : 0, 0);
}

// A record libpcap could not read: the end of what is decoded.
void CaptureSource::ReportReadFailure() {
    damaged_ = true;
    if (input_.ReportReadError(err_)) return;
    const std::string problem = pcap_geterr(pcap_);
    unsigned otherType = 0;
    if (std::sscanf(problem.c_str(), kOtherInterfaceStart, &otherType) == 1 &&
        problem.find(kOtherInterfaceEnd) != std::string::npos) {
        // Not damage: a pcapng capture may mix link types, one decoder cannot.
        Report("frame " + std::to_string(records_ + 1) + " comes from an interface of " +
               LinkTypeName(static_cast<int>(otherType)) + ", the frames before it from one of " +
               LinkTypeText() + "; korvex reads a capture with one link type, so it stops there");
        return;
    }
    Report("damaged capture after frame " + std::to_string(records_) + ": " + problem);
}

uint64_t CaptureSource::Position() const {
#if defined(__GLIBC__)
    // What the stream holds read ahead has not been consumed yet.
    const FILE* file = pcap_file(pcap_);
    return consumed_ - static_cast<uint64_t>(file->_IO_read_end - file->_IO_read_ptr);
#else
    return consumed_;
#endif
}

bool CaptureSource::SetBpf(const std::string& expression, std::string& error) {
    if (pcap_ == nullptr) {
        error = "no capture";
        return false;
    }
    if (hasBpf_) pcap_freecode(&bpf_);
    hasBpf_ = false;
    if (pcap_compile(pcap_, &bpf_, expression.c_str(), 1, PCAP_NETMASK_UNKNOWN) != 0) {
        error = pcap_geterr(pcap_);
        return false;
    }
    hasBpf_ = true;
    return true;
}

bool CaptureSource::Next(TraceFrame& frame) {
    while (!ended_ && pcap_ != nullptr) {
        const uint64_t before = Position();
        pcap_pkthdr* header = nullptr;
        const u_char* data = nullptr;
        const int result = pcap_next_ex(pcap_, &header, &data);
        if (result == PCAP_ERROR_BREAK) break;  // the end of the capture
        if (result != 1) {
            ReportReadFailure();
            break;
        }
        ++records_;
        const std::string which = "frame " + std::to_string(records_);
        if (format_ == CaptureFormat::Pcap) {
            // libpcap cuts a record longer than the snapshot length to that
            // length without a word; its length field is most likely damaged,
            // so what follows it cannot be trusted either.
            const uint64_t stored = Position() - before - static_cast<uint64_t>(recordHeader_);
            if (stored > header->caplen) {
                Report(which + " is damaged: it holds " + std::to_string(stored) +
                       " octets, more than the capture's snapshot length of " +
                       std::to_string(pcap_snapshot(pcap_)) + "; stopped there");
                break;
            }
        }
        const uint32_t skip = static_cast<uint32_t>(framing_.pseudoHeader);
        if (header->caplen <= skip) {
            Report(which + (skip == 0 ? " holds no octets" : " holds no frame after its " + std::to_string(skip) + "-octet header") +
                   "; passed over");
            continue;
        }

        bpfMatched_ = !hasBpf_ || pcap_offline_filter(&bpf_, header, data) != 0;
        FormatCaptureTime(header->ts.tv_sec, header->ts.tv_usec, frame.timestamp);
        frame.direction = ' ';
        if (framing_.linuxLapdDirection) {
            const unsigned type = static_cast<unsigned>(data[0]) << 8 | data[1];
            frame.direction = type == kLinuxLapdOutgoing ? 'U' : 'N';
        }
        const unsigned char* octets = data + skip;
        const uint32_t count = header->caplen - skip;
        const auto most = static_cast<uint32_t>(framing_.maxLength);
        frame.endLine = records_;
        // The FCS is put back only on whole frames: of a frame cut by the
        // snapshot length the line's FCS cannot be known. A frame of fewer
        // than 3 octets has no address and control field to take one.
        if (framing_.fillFcs && header->caplen >= header->len && count >= 3) {
            const uint32_t kept = std::min(count, most - 2);
            std::memcpy(octets_.data(), octets, kept);
            const uint16_t fcs = LinkFcs(octets, count);
            octets_[kept] = static_cast<unsigned char>(fcs & 0xFF);
            octets_[kept + 1] = static_cast<unsigned char>(fcs >> 8);
            frame.bytes = octets_.data();
            frame.length = static_cast<int32_t>(kept + 2);
            if (kept < count) ++cutFrames_;
        } else {
            frame.bytes = octets;
            frame.length = static_cast<int32_t>(std::min(count, most));
            if (count > most) ++cutFrames_;
        }
        return true;
    }
    ended_ = true;
    return false;
}

// --- Writing ----------------------------------------------------------------

CaptureWriter::CaptureWriter(std::ostream& out) : out_(out) {}

CaptureWriter::~CaptureWriter() {
    if (dumper_ != nullptr) pcap_dump_close(dumper_);
    if (pcap_ != nullptr) pcap_close(pcap_);
}

ssize_t CaptureWriter::WriteOut(void* cookie, const char* buffer, std::size_t size) {
    auto* self = static_cast<CaptureWriter*>(cookie);
    self->out_.write(buffer, static_cast<std::streamsize>(size));
    return self->out_ ? static_cast<ssize_t>(size) : 0;
}

bool CaptureWriter::Open(int linkType, std::string& error) {
    // libpcap names raw IP by its own number and writes the file's.
    const int dlt = linkType == 101 ? DLT_RAW : linkType;
    // The snapshot length readers allow at most: room for any frame a hex
    // trace file holds, with a pseudo-header.
    pcap_ = pcap_open_dead(dlt, 262144);
    if (pcap_ == nullptr) {
        error = "cannot prepare a capture of link type " + std::to_string(linkType);
        return false;
    }
    cookie_io_functions_t functions{};
    functions.write = &CaptureWriter::WriteOut;
    FILE* file = fopencookie(this, "w", functions);
    if (file == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    dumper_ = pcap_dump_fopen(pcap_, file);
    if (dumper_ == nullptr) {
        error = pcap_geterr(pcap_);
        std::fclose(file);
        return false;
    }
    return true;
}

void CaptureWriter::Write(int64_t seconds, int32_t microseconds, const unsigned char* octets,
                          uint32_t length) {
    pcap_pkthdr header{};
    header.ts.tv_sec = static_cast<time_t>(seconds);
    header.ts.tv_usec = microseconds;
    header.caplen = length;
    header.len = length;
    pcap_dump(reinterpret_cast<u_char*>(dumper_), &header, octets);
}

bool CaptureWriter::Close(std::string& error) {
    bool ok = true;
    if (dumper_ != nullptr) {
        ok = pcap_dump_flush(dumper_) == 0;
        pcap_dump_close(dumper_);
        dumper_ = nullptr;
    }
    out_.flush();
    if (!ok || !out_) {
        error = "cannot write the capture";
        return false;
    }
    return true;
}

bool ReportEndOfFrames(std::ostream& err, const Input& input, const std::string& file,
                       const TraceReader* reader, const CaptureSource* capture, int64_t frames,
                       const char* action) {
    if (input.ReportReadError(err)) return true;
    if (reader != nullptr) ReportTraceReading(err, file, *reader, action);
    if (frames != 0) return false;
    if (capture != nullptr) {
        if (!capture->Damaged()) err << "korvex: " << DisplayName(file) << ": the capture holds no frame\n";
    } else if (reader != nullptr) {
        ReportNoTraceFrame(err, file, reader->SkippedFrames());
    }
    return true;
}

bool FrameSource::Open(const std::string& file, std::istream& standardInput, std::ostream& err) {
    file_ = file;
    if (!input_.Open(file, standardInput, err)) return false;
    if (CaptureFormatOf(input_.Start()) == CaptureFormat::None) {
        reader_ = std::make_unique<TraceReader>(input_.Stream(), true, TraceReader::kChunkCapacity, kLongestFrame);
        return true;
    }
    capture_ = std::make_unique<CaptureSource>(input_, err);
    return capture_->Open();
}

bool FrameSource::Next(TraceFrame& frame) {
    const bool read = capture_ ? capture_->Next(frame) : reader_->Next(frame);
    if (read) ++frames_;
    return read;
}

bool FrameSource::TakeCaptureKind(std::string& kind, std::ostream& err) {
    if (!capture_) return true;
    const LinkRoute* route = Route();
    if (kind.empty()) {
        if (route == nullptr) {
            err << Where() << capture_->LinkTypeText() << " is not one korvex knows; give --protocol\n";
            return false;
        }
        kind = route->protocol;
        if (kind == "eth") kind = "eth+ip";
    }
    capture_->SetFraming(FramingOf(route, kind));
    return true;
}

std::string FrameSource::Guess(const TraceFrame& frame, std::ostream& err) const {
    static const char* const kKinds[] = {"", "lapd", "lapf", "q931", "x25"};
    const int32_t guess = KorvexCallsGuessInput(frame.bytes, frame.length);
    if (guess <= 0 || guess > 4) {
        err << Where() << "its first frame is not LAPD, LAPF, Q.931 or X.25 as far as korvex can tell; "
            << "give --protocol\n";
        return "";
    }
    return kKinds[guess];
}

bool FrameSource::ReportEnd(std::ostream& err, const char* action) const {
    return ReportEndOfFrames(err, input_, file_, reader_.get(), capture_.get(), frames_, action);
}

}  // namespace korvex::cli
