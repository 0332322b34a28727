#include "cli/capture_commands.h"

#include <sys/stat.h>

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>

#include "cli/capture.h"
#include "cli/frame_output.h"
#include "decoders/protocols.h"
#include "replay/trace_reader.h"
#include "replay/trace_writer.h"

namespace korvex::cli {

namespace {

constexpr const char* kPcapFooter =
    "The link type chooses the decoder: 1 Ethernet (eth), 12, 101 and 228 raw IPv4 (ip;\n"
    "a datagram of another IP version is named, not decoded; with --extended an IPv6\n"
    "datagram is decoded by ipv6), 107 frame relay (lapf),\n"
    "203 LAPD (lapd), 177 Linux LAPD (lapd, its 16-octet header taken off; frames the\n"
    "capturing side sent are direction U, received ones N).\n"
    "--protocol decodes any link type, e.g. user link types 147 to 162 carrying bare\n"
    "Q.931 or X.25.\n"
    "LAPD and frame relay captures hold frames without their FCS. Unless --no-fcs-fill is\n"
    "given, the FCS the line carried is computed (the ITU-T CRC-16 of Q.921 and Q.922) and\n"
    "appended to each whole frame of 3 octets or more, so that the decoders' FCS field\n"
    "shows the line's value.\n"
    "Timestamps are the capture's time of day in UTC as mm:ss.mmm (minutes within the\n"
    "hour, truncated). Frames longer than 8192 octets are decoded cut to 8192, and\n"
    "counted at the end.";

constexpr const char* kConvertFooter =
    "The input chooses the way. A pcap or pcapng capture (IN) becomes a hex trace file as\n"
    "korvex replay reads it, one frame a record with its printable rendering; a hex trace\n"
    "file becomes a pcap capture of the link type --linktype gives. A trace is not\n"
    "written to an OUT ending in .pcap or .pcapng, nor a capture to one ending in .txt.\n"
    "LAPD and frame relay link types (177, 203, 107) carry no FCS: it is left off the\n"
    "frames written to them and put back on the frames read from them (unless\n"
    "--no-fcs-fill is given).\n"
    "Frames are converted whole (up to 65536 octets). OUT is written under a temporary\n"
    "name beside it and takes its name only when the conversion got through: a failed\n"
    "one leaves OUT as it was. - is standard input or output.";

// The link types a hex trace file can be written to.
bool Writable(int linkType) {
    return FindLinkRoute(linkType) != nullptr || (linkType >= 147 && linkType <= 162);
}

// Where convert writes: standard output for "-"; else a temporary file
// beside OUT, opened only once the input has proved readable and renamed to
// OUT only when the conversion got through, so that a failed conversion
// leaves OUT as it was. A name that exists and is not a regular file (a
// device, a pipe) is written to directly: it cannot be replaced.
class OutputTarget {
public:
    OutputTarget(const std::string& name, std::ostream& standardOutput)
        : name_(name), stream_(&standardOutput) {}
    ~OutputTarget() { Discard(); }
    OutputTarget(const OutputTarget&) = delete;
    OutputTarget& operator=(const OutputTarget&) = delete;

    bool Open(std::ostream& err) {
        if (name_ == "-") return true;
        struct stat existing {};
        const bool exists = stat(name_.c_str(), &existing) == 0;
        std::string path = name_;
        if (exists && access(name_.c_str(), W_OK) != 0) {
            // A file its owner keeps from being written is not replaced.
            err << "korvex: cannot create " << name_ << ": " << std::strerror(errno) << "\n";
            return false;
        }
        if (!exists || S_ISREG(existing.st_mode)) {
            // A symbolic link keeps pointing at the file it names, which is
            // the one replaced.
            std::error_code ignored;
            if (exists && std::filesystem::is_symlink(name_, ignored)) {
                target_ = std::filesystem::canonical(name_, ignored).string();
            }
            if (target_.empty()) target_ = name_;
            const std::filesystem::path out(target_);
            std::string pattern = (out.parent_path() / ("." + out.filename().string() + ".korvex-XXXXXX")).string();
            const int fd = mkstemp(pattern.data());
            if (fd < 0) {
                err << "korvex: cannot create " << name_ << ": " << std::strerror(errno) << "\n";
                return false;
            }
            // The mode OUT has, or the one a new file gets, given when the
            // file is put in place.
            const mode_t mask = umask(0);
            umask(mask);
            mode_ = exists ? existing.st_mode & 07777 : 0666 & ~mask;
            ::close(fd);
            temporary_ = path = pattern;
        }
        errno = 0;
        file_.open(path, std::ios::binary | std::ios::trunc);
        if (!file_) {
            err << "korvex: cannot create " << name_ << ": "
                << std::strerror(errno != 0 ? errno : EACCES) << "\n";
            return false;
        }
        stream_ = &file_;
        return true;
    }

    std::ostream& Stream() { return *stream_; }

    // Writes out what is pending and puts the file in place as OUT; false,
    // reported on err, when that failed (nothing is then left at OUT).
    bool Commit(std::ostream& err) {
        stream_->flush();
        if (name_ != "-") file_.close();
        if (!*stream_) {
            err << "korvex: cannot write " << (name_ == "-" ? "standard output" : name_) << "\n";
            return false;
        }
        if (!temporary_.empty()) {
            if (chmod(temporary_.c_str(), mode_) != 0 || std::rename(temporary_.c_str(), target_.c_str()) != 0) {
                err << "korvex: cannot write " << name_ << ": " << std::strerror(errno) << "\n";
                return false;
            }
            temporary_.clear();
        }
        return true;
    }

    // Drops what was written, unless it was put in place.
    void Discard() {
        if (temporary_.empty()) return;
        if (file_.is_open()) file_.close();
        std::remove(temporary_.c_str());
        temporary_.clear();
    }

private:
    std::string name_;
    std::string target_;     // the file OUT names, through a symbolic link
    std::string temporary_;  // the file written until it becomes OUT
    mode_t mode_ = 0;        // the mode it then gets
    std::ostream* stream_;
    std::ofstream file_;
};

// True when name ends in suffix, whatever the case of its letters.
bool EndsWith(const std::string& name, std::string_view suffix) {
    if (name.size() < suffix.size()) return false;
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        const char c = name[name.size() - suffix.size() + i];
        if (std::tolower(static_cast<unsigned char>(c)) != suffix[i]) return false;
    }
    return true;
}

bool SameFile(const std::string& a, const std::string& b) {
    if (a == "-" || b == "-") return false;
    struct stat x {}, y {};
    return stat(a.c_str(), &x) == 0 && stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev &&
           x.st_ino == y.st_ino;
}

}  // namespace

// --- korvex pcap --------------------------------------------------------------

CLI::App* PcapCommand::AddTo(CLI::App& app, const std::vector<std::string>& protocols) {
    CLI::App* command = app.add_subcommand(
        "pcap", "Decode the frames of a pcap or pcapng capture (- for standard input), streaming.");
    command->add_option("FILE", file, "capture file")->required();
    command->add_option("--protocol", protocol, "decode every frame as this protocol, whatever the link type")
        ->type_name("P")
        ->transform(ProtocolName(protocols));
    command->add_flag("--ip", ip, "decode the IPv4 datagram of Ethernet frames of type 0x0800 after the Ethernet text "
                      "(with --extended also IPv6 datagrams and ARP packets, behind any VLAN tags)");
    command->add_flag("--no-fcs-fill", noFcsFill,
                      "decode LAPD and frame relay frames as captured, without the FCS appended");
    flags.AddTo(*command);
    colour.AddTo(*command);
    filter.AddTo(*command);
    AddDirectionFlag(*command, direction);
    AddJsonFlag(*command, json);
    command->add_option("--bpf", bpf,
                        "show only the frames a capture filter in libpcap's language passes (as capture "
                        "tools take it; it sees the frames as captured)")
        ->type_name("EXPR");
    command->footer(kPcapFooter);
    return command;
}

int PcapCommand::Run(std::istream& in, std::ostream& out, std::ostream& err,
                     bool outIsTerminal) {
    Input input;
    if (!input.Open(file, in, err)) return 1;
    CaptureSource source(input, err, &out);
    if (!source.Open()) return 1;

    const LinkRoute* route = FindLinkRoute(source.LinkType());
    const std::string where = "korvex: " + DisplayName(file) + ": ";
    if (protocol.empty() && route == nullptr) {
        err << where << source.LinkTypeText() << " is not one korvex decodes; it decodes link types "
            << KnownLinkTypes() << ", and any link type with --protocol P\n";
        return 1;
    }
    const std::string name = protocol.empty() ? route->protocol : protocol;
    const KorvexDecoder decoder = FindProtocol(name);
    if (decoder == nullptr) {
        err << where << source.LinkTypeText() << " is decoded by " << name
            << ", which this korvex does not include yet\n";
        return 1;
    }
    KorvexDecoder ipDecoder = nullptr;
    if (ip && name == "eth") {
        ipDecoder = FindProtocol("ip");
        if (ipDecoder == nullptr) {
            err << "korvex: --ip needs the ip decoder, which this korvex does not include yet\n";
            return 1;
        }
    }

    Framing framing = FramingOf(route, name);
    framing.fillFcs = framing.fillFcs && !noFcsFill;
    source.SetFraming(framing);
    if (!bpf.empty()) {
        std::string problem;
        if (!source.SetBpf(bpf, problem)) throw UsageError("--bpf: " + problem);
        filter.Also([&source]() { return source.BpfMatched(); });
    }

    TraceOutput output(out, decoder, flags.Resolve(), colour.Resolve(outIsTerminal));
    output.DecodeIpAfterEthernet(ipDecoder);
    output.DecodeIpv6With(FindProtocol("ipv6"));
    if (route != nullptr && std::string_view(route->protocol) == "ip" && name == "ip") output.DecodeOnlyIpv4();
    if (filter.Active()) {
        filter.SetProtocol(ipDecoder != nullptr ? "eth+ip" : name);
        output.Select(&filter);
    }
    if (direction) output.TagDirection();
    if (json) output.Json(ipDecoder != nullptr ? "eth+ip" : name);
    const int64_t frames = output.Run(source);
    out.flush();
    if (const int64_t cut = source.CutFrames(); cut > 0) {
        err << where << cut << (cut == 1 ? " frame is" : " frames are") << " longer than the "
            << source.MaxLength() << " octets korvex decodes of a frame; "
            << (cut == 1 ? "it was" : "they were") << " decoded cut to " << source.MaxLength() << "\n";
    }
    if (frames == 0 && !source.Damaged()) {
        err << where << "the capture holds no frame\n";
        return 1;
    }
    return source.Damaged() ? 1 : 0;
}

// --- korvex convert -------------------------------------------------------------

CLI::App* ConvertCommand::AddTo(CLI::App& app) {
    CLI::App* command = app.add_subcommand(
        "convert", "Convert a pcap or pcapng capture to a hex trace file, or a hex trace file to a pcap capture.");
    command->add_option("IN", input, "capture or hex trace file (- for standard input)")->required();
    command->add_option("OUT", output, "file to write (- for standard output)")->required();
    command->add_option("--linktype", linkType, "link type of the capture written from a hex trace file")
        ->type_name("N");
    command->add_flag("--no-fcs-fill", noFcsFill,
                      "keep LAPD and frame relay frames read from a capture as captured, without the FCS appended");
    command->footer(kConvertFooter);
    return command;
}

int ConvertCommand::Run(std::istream& in, std::ostream& out, std::ostream& err) const {
    if (linkType && !Writable(*linkType)) {
        throw UsageError("--linktype " + std::to_string(*linkType) + ": korvex writes link types " +
                         KnownLinkTypes() + ", and 147 to 162");
    }
    Input source;
    if (!source.Open(input, in, err)) return 1;
    if (SameFile(input, output)) {
        err << "korvex: " << input << " and " << output << " are the same file\n";
        return 1;
    }
    // The input says which way: a capture becomes a hex trace file, a hex
    // trace file a capture. An OUT named for the other way is a mistake.
    if (CaptureFormatOf(source.Start()) != CaptureFormat::None) {
        if (EndsWith(output, ".pcap") || EndsWith(output, ".pcapng")) {
            throw UsageError(DisplayName(input) + " is a capture, which korvex convert turns into a hex trace file; " +
                             output + " is named for a capture: give OUT a name such as trace.txt");
        }
        if (linkType) throw UsageError("--linktype is for a hex trace file; " + DisplayName(input) + " is a capture");
        return CaptureToTrace(source, out, err);
    }
    if (EndsWith(output, ".txt")) {
        throw UsageError(DisplayName(input) + " is a hex trace file, which korvex convert turns into a pcap capture; " +
                         output + " is named for a hex trace file: give OUT a name such as capture.pcap");
    }
    if (!linkType) {
        throw UsageError(DisplayName(input) +
                         " is a hex trace file: give the link type of the capture to write with --linktype N");
    }
    return TraceToCapture(source, out, err);
}

int ConvertCommand::CaptureToTrace(Input& source, std::ostream& out, std::ostream& err) const {
    CaptureSource capture(source, err);
    if (!capture.Open()) return 1;
    const LinkRoute* route = FindLinkRoute(capture.LinkType());
    Framing framing = FramingOf(route, route != nullptr ? route->protocol : "");
    framing.fillFcs = framing.fillFcs && !noFcsFill;
    // Frames are written whole, up to the most a hex trace file holds.
    framing.maxLength = TraceWriter::kMaxWrittenLength;
    capture.SetFraming(framing);

    OutputTarget target(output, out);
    if (!target.Open(err)) return 1;
    TraceWriter writer(target.Stream());
    int64_t longFrames = 0;
    TraceFrame frame;
    while (capture.Next(frame)) {
        writer.Write(frame.timestamp, frame.direction, frame.bytes, frame.length);
        if (frame.length > TraceReader::kMaxFrameLength) ++longFrames;
    }
    if (writer.FramesWritten() == 0) {
        // Nothing converted: nothing is left at OUT.
        if (!capture.Damaged()) err << "korvex: " << DisplayName(input) << ": the capture holds no frame\n";
        return 1;
    }
    if (!target.Commit(err)) return 1;
    const int64_t n = writer.FramesWritten();
    if (capture.Damaged()) {
        err << "korvex: " << (output == "-" ? "standard output" : output) << " holds the " << n
            << (n == 1 ? " frame" : " frames") << " read\n";
    }
    if (longFrames > 0) {
        err << "korvex: " << longFrames << (longFrames == 1 ? " frame is" : " frames are")
            << " longer than the " << TraceReader::kMaxFrameLength
            << " octets korvex replay decodes of a frame: written whole, "
            << (longFrames == 1 ? "it is" : "they are") << " decoded cut to " << TraceReader::kMaxFrameLength << "\n";
    }
    if (const int64_t cut = capture.CutFrames(); cut > 0) {
        err << "korvex: " << cut << (cut == 1 ? " frame is" : " frames are") << " longer than the "
            << capture.MaxLength() << " octets a hex trace file holds of a frame; "
            << (cut == 1 ? "it was" : "they were") << " written cut to " << capture.MaxLength() << "\n";
    }
    return capture.Damaged() ? 1 : 0;
}

int ConvertCommand::TraceToCapture(Input& source, std::ostream& out, std::ostream& err) const {
    const LinkRoute* route = FindLinkRoute(*linkType);
    const bool dropFcs = route != nullptr && route->withoutFcs;
    const int32_t header = route != nullptr ? route->pseudoHeader : 0;

    OutputTarget target(output, out);
    if (!target.Open(err)) return 1;
    CaptureWriter writer(target.Stream());
    std::string problem;
    if (!writer.Open(*linkType, problem)) {
        err << "korvex: " << problem << "\n";
        return 1;
    }

    // Frames are taken whole, as long as a hex trace file's frames can be.
    TraceReader reader(source.Stream(), true, TraceReader::kChunkCapacity, TraceWriter::kMaxWrittenLength);
    TraceFrame frame;
    std::vector<unsigned char> record(static_cast<std::size_t>(header + reader.MaxFrameLength()));
    int64_t frames = 0;
    int64_t foreignFcs = 0, firstForeignFcs = 0, noRoom = 0, untimed = 0;
    while (reader.Next(frame)) {
        ++frames;
        int32_t length = frame.length;
        if (dropFcs) {
            if (length < 3) {
                ++noRoom;  // nothing would be left of it: written as it stands
            } else {
                const uint16_t fcs = LinkFcs(frame.bytes, static_cast<std::size_t>(length - 2));
                if (frame.bytes[length - 2] != (fcs & 0xFF) || frame.bytes[length - 1] != (fcs >> 8)) {
                    if (foreignFcs++ == 0) firstForeignFcs = frames;
                }
                length -= 2;
            }
        }
        if (*linkType == 177) WriteLinuxLapdHeader(frame.direction, record.data());
        std::memcpy(record.data() + header, frame.bytes, static_cast<std::size_t>(length));
        int64_t seconds = 0;
        int32_t microseconds = 0;
        if (!ParseTraceTime(frame.timestamp, seconds, microseconds)) ++untimed;
        writer.Write(seconds, microseconds, record.data(), static_cast<uint32_t>(header + length));
    }
    if (!writer.Close(problem)) {
        err << "korvex: " << problem << "\n";
        return 1;
    }
    if (source.ReportReadError(err)) return 1;
    if (frames == 0) {
        ReportTraceReading(err, input, reader, "converted");
        ReportNoTraceFrame(err, input, reader.SkippedFrames());
        return 1;
    }
    if (!target.Commit(err)) return 1;
    if (foreignFcs > 0) {
        err << "korvex: " << foreignFcs << " of the frames (the first is frame " << firstForeignFcs
            << ") end in an FCS that is not their own; link type " << *linkType
            << " keeps no FCS, so converting back gives the computed one\n";
    }
    if (noRoom > 0) {
        err << "korvex: " << noRoom << " of the frames are too short to hold an FCS; written as they stand\n";
    }
    if (untimed > 0) {
        err << "korvex: " << untimed << " of the frames have a timestamp other than mm:ss.mmm; written as 00:00.000\n";
    }
    ReportTraceReading(err, input, reader, "converted");
    return 0;
}

}  // namespace korvex::cli
