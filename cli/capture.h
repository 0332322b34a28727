// Capture files: pcap and pcapng read through libpcap, frames shaped for the
// decoders (link pseudo-headers taken off, the FCS the line carried put
// back), and pcap files written from frames.
#pragma once

#include <pcap/pcap.h>
#include <sys/types.h>

#include <cstdint>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/options.h"
#include "replay/trace_reader.h"

struct pcap;
struct pcap_dumper;

namespace korvex::cli {

// No frame is handed to a decoder with more octets than this; longer ones
// are cut.
inline constexpr int32_t kMaxCaptureFrame = 8192;

enum class CaptureFormat { None, Pcap, PcapNg };

// The kind of file that starts with these octets, by its magic number.
CaptureFormat CaptureFormatOf(std::string_view start);
const char* CaptureFormatName(CaptureFormat format);

// The frame check sequence of LAPD and LAPF frames: the ITU-T CRC-16
// (reflected polynomial 0x8408, preset to all ones, sent complemented). The
// line sends its low octet first.
uint16_t LinkFcs(const unsigned char* octets, std::size_t count);

// A link type of the library's protocol table (decoders/protocols.cpp) with
// the protocol that decodes its frames.
struct LinkRoute {
    int linkType;
    const char* protocol;  // the protocol name that decodes its frames
    const char* name;      // for people
    int32_t pseudoHeader;  // octets in front of each frame
    bool withoutFcs;       // frames are captured without their FCS
};

// The route of a link type, or null for one no protocol of the table lists.
const LinkRoute* FindLinkRoute(int linkType);
// "1 (eth), 12, 101 and 228 (ip), ..." for messages and help.
std::string KnownLinkTypes();

// The 16-octet header in front of each frame of a Linux LAPD capture (link
// type 177), big-endian fields:
//   0-1   packet type: 4 sent by the capturing side, 0 addressed to it
//   2-3   hardware type, 0x0339 for LAPD
//   4-5   link-layer address length (0: none)
//   6-13  link-layer address
//   14-15 protocol, 0x0030 for LAPD
inline constexpr int32_t kLinuxLapdHeader = 16;
// The header for a frame of direction 'U' (sent by the user side, the
// capturing side) or any other (received).
void WriteLinuxLapdHeader(char direction, unsigned char* header);

// The time of day of a capture timestamp in UTC as "mm:ss.mmm": minutes
// within the hour, seconds, milliseconds, each truncated.
void FormatCaptureTime(int64_t seconds, int64_t microseconds, char (&text)[12]);
// Reads "mm:ss.mmm" back into seconds and microseconds; false when the text
// is not of that form.
bool ParseTraceTime(const char* text, int64_t& seconds, int32_t& microseconds);

// How the records of a link type are turned into decoder frames.
struct Framing {
    int32_t pseudoHeader = 0;     // octets taken off the front
    bool linuxLapdDirection = false;  // direction from the Linux LAPD packet type
    bool fillFcs = false;         // append the FCS the line carried
    int32_t maxLength = kMaxCaptureFrame;  // octets of a frame handed out, FCS included
};

// How the frames of a link type reach the decoder of protocol (a name of
// the protocol table): the link type's pseudo-header taken off (a Linux LAPD
// one read for the direction), and the FCS its captures leave off put back
// when the protocol's frames end in it. For a link type korvex does not
// route (null), the frames as captured.
Framing FramingOf(const LinkRoute* route, std::string_view protocol);

// The frames of a capture, one at a time, as the decoders take them: the
// timestamp as "mm:ss.mmm", the direction where the link type records it
// ('U' sent by the capturing side, 'N' received, blank when unknown).
// Damage ends the frames with a message on err; a record with nothing to
// decode is reported and passed over. A frame longer than the framing's
// maxLength is handed out cut, and counted.
class CaptureSource {
public:
    // flushBeforeWait, when given, is flushed whenever the input has nothing
    // ready, so that the text of a live capture's frames appears as they come.
    CaptureSource(Input& input, std::ostream& err, std::ostream* flushBeforeWait = nullptr);
    ~CaptureSource();
    CaptureSource(const CaptureSource&) = delete;
    CaptureSource& operator=(const CaptureSource&) = delete;

    // Reads the capture's header; false, reported on err, when the input is
    // not a readable capture.
    bool Open();
    CaptureFormat Format() const { return format_; }
    int LinkType() const { return linkType_; }
    std::string LinkTypeText() const;  // "link type 203 (LAPD)"

    void SetFraming(const Framing& framing);
    int32_t MaxLength() const { return framing_.maxLength; }

    // The next frame (its octets valid until the next call); false at the end
    // of the capture or where it is damaged.
    bool Next(TraceFrame& frame);

    // Compiles a capture filter in libpcap's language for the capture's link
    // type; false, with libpcap's message in error, when it is not one.
    bool SetBpf(const std::string& expression, std::string& error);
    // Whether the frame Next handed out last passed the capture filter
    // (true without one). The frame is handed out either way, so that
    // frames keep their numbers.
    bool BpfMatched() const { return bpfMatched_; }

    // Something was reported: damage, a read error, a record passed over.
    bool Damaged() const { return damaged_; }
    // Frames handed out so far cut to MaxLength().
    int64_t CutFrames() const { return cutFrames_; }

private:
    static ssize_t Read(void* cookie, char* buffer, std::size_t size);
    void Report(const std::string& message);
    void ReportReadFailure();
    uint64_t Position() const;  // octets of the capture libpcap has consumed

    Input& input_;
    std::ostream& err_;
    std::ostream* flush_;
    pcap* pcap_ = nullptr;
    CaptureFormat format_ = CaptureFormat::None;
    int64_t recordHeader_ = 0;  // octets of a pcap record header
    int linkType_ = -1;
    Framing framing_;
    uint64_t consumed_ = 0;     // octets handed to libpcap
    int64_t records_ = 0;
    bool damaged_ = false;
    bool ended_ = false;
    int64_t cutFrames_ = 0;
    std::vector<unsigned char> octets_;  // a frame with its FCS put back
    bpf_program bpf_{};
    bool hasBpf_ = false;
    bool bpfMatched_ = true;
};

// Writes frames as a pcap file of one link type through libpcap.
class CaptureWriter {
public:
    explicit CaptureWriter(std::ostream& out);
    ~CaptureWriter();
    CaptureWriter(const CaptureWriter&) = delete;
    CaptureWriter& operator=(const CaptureWriter&) = delete;

    // Writes the file header; false with the reason in error.
    bool Open(int linkType, std::string& error);
    void Write(int64_t seconds, int32_t microseconds, const unsigned char* octets, uint32_t length);
    // Writes out what is pending; false with the reason in error.
    bool Close(std::string& error);

private:
    static ssize_t WriteOut(void* cookie, const char* buffer, std::size_t size);

    std::ostream& out_;
    pcap* pcap_ = nullptr;
    pcap_dumper* dumper_ = nullptr;
};

// The end of a command that reads the frames of a trace or a capture: a read
// error, the trace reader's notes (the frames it read are "action") and a
// file with no frame at all are reported. True when the command ends with
// status 1 there.
bool ReportEndOfFrames(std::ostream& err, const Input& input, const std::string& file,
                       const TraceReader* reader, const CaptureSource* capture, int64_t frames,
                       const char* action);

// The frames of a hex trace file or a capture named on the command line,
// told apart by the file's first octets: what the commands that read a whole
// trace (calls, stats, report) take their frames from. Frames are counted as
// they are handed out.
class FrameSource {
public:
    // The longest frame read from a hex trace: as long as a capture's.
    static constexpr int32_t kLongestFrame = 8192;

    // Opens file and, for a capture, reads its header; false, reported on
    // err, when it is not readable. err also takes the capture's later
    // reports of damage.
    bool Open(const std::string& file, std::istream& standardInput, std::ostream& err);

    // The capture, or null for a hex trace.
    CaptureSource* Capture() { return capture_.get(); }
    // The route of the capture's link type; null for a hex trace or a link
    // type korvex does not route.
    const LinkRoute* Route() const { return capture_ ? FindLinkRoute(capture_->LinkType()) : nullptr; }

    bool Next(TraceFrame& frame);
    int64_t Frames() const { return frames_; }

    // "korvex: NAME: ", the start of a message about the file.
    std::string Where() const { return "korvex: " + DisplayName(file_) + ": "; }

    // For a capture: when kind (a protocol name) is empty, the protocol its
    // link type tells, an Ethernet link's as "eth+ip" (its frames taken with
    // their IPv4 datagrams); and the framing for kind. False, reported on
    // err, for a link type korvex does not route and no kind given. A hex
    // trace's kind is left as it is.
    bool TakeCaptureKind(std::string& kind, std::ostream& err);

    // The protocol of a trace's first frame, as far as korvex can tell:
    // "lapd", "lapf", "q931" or "x25"; empty, reported on err, when it
    // cannot tell.
    std::string Guess(const TraceFrame& frame, std::ostream& err) const;

    // ReportEndOfFrames for the frames handed out: true when the command
    // ends with status 1 there.
    bool ReportEnd(std::ostream& err, const char* action) const;
    // The capture's reports of damage.
    bool Damaged() const { return capture_ && capture_->Damaged(); }

private:
    std::string file_;
    Input input_;
    std::unique_ptr<TraceReader> reader_;
    std::unique_ptr<CaptureSource> capture_;
    int64_t frames_ = 0;
};

}  // namespace korvex::cli
