#include "cli/capture_commands.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "cli/capture.h"
#include "cli/frame_output.h"
#include "decoders/protocols.h"
#include "replay/trace_reader.h"
#include "replay/trace_writer.h"

namespace korvex::cli {

namespace {

constexpr const char* kPcapFooter =
    "The link type chooses the decoder: 1 Ethernet (eth), 12, 101 and 228 raw IPv4 (ip),\n"
    "107 frame relay (lapf), 203 LAPD (lapd), 177 Linux LAPD (lapd, its 16-octet header\n"
    "taken off; frames the capturing side sent are direction U, received ones N).\n"
    "--protocol decodes any link type, e.g. user link types 147 to 162 carrying bare\n"
    "Q.931 or X.25.\n"
    "LAPD and frame relay captures hold frames without their FCS. Unless --no-fcs-fill is\n"
    "given, the FCS the line carried is computed (the ITU-T CRC-16 of Q.921 and Q.922) and\n"
    "appended to each whole frame, so that the decoders' FCS field shows the line's value.\n"
    "Timestamps are the capture's time of day in UTC as mm:ss.mmm (minutes within the\n"
    "hour, truncated). Frames longer than 8192 octets are cut to 8192.";

constexpr const char* kConvertFooter =
    "A pcap or pcapng capture (IN) becomes a hex trace file as korvex replay reads it, one\n"
    "frame a record with its printable rendering; a hex trace file becomes a pcap capture\n"
    "of the link type --linktype gives. LAPD and frame relay link types (177, 203, 107)\n"
    "carry no FCS: it is left off the frames written to them and put back on the frames\n"
    "read from them (unless --no-fcs-fill is given). - is standard input or output.";

// The link types a hex trace file can be written to.
bool Writable(int linkType) {
    return FindLinkRoute(linkType) != nullptr || (linkType >= 147 && linkType <= 162);
}

// Where convert writes: standard output for "-", else the file, opened only
// once the input has proved readable.
class OutputTarget {
public:
    OutputTarget(const std::string& name, std::ostream& standardOutput)
        : name_(name), stream_(&standardOutput) {}

    bool Open(std::ostream& err) {
        if (name_ == "-") return true;
        errno = 0;
        file_.open(name_, std::ios::binary | std::ios::trunc);
        if (!file_) {
            err << "korvex: cannot create " << name_ << ": "
                << std::strerror(errno != 0 ? errno : EACCES) << "\n";
            return false;
        }
        stream_ = &file_;
        return true;
    }

    std::ostream& Stream() { return *stream_; }

    bool Finish(std::ostream& err) {
        stream_->flush();
        if (name_ != "-") file_.close();
        if (!*stream_) {
            err << "korvex: cannot write " << (name_ == "-" ? "standard output" : name_) << "\n";
            return false;
        }
        return true;
    }

private:
    std::string name_;
    std::ostream* stream_;
    std::ofstream file_;
};

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
    command->add_flag("--ip", ip, "decode the IPv4 datagram of Ethernet frames of type 0x0800 after the Ethernet text");
    command->add_flag("--no-fcs-fill", noFcsFill,
                      "decode LAPD and frame relay frames as captured, without the FCS appended");
    flags.AddTo(*command);
    colour.AddTo(*command);
    command->footer(kPcapFooter);
    return command;
}

int PcapCommand::Run(std::istream& in, std::ostream& out, std::ostream& err,
                     bool outIsTerminal) const {
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
    const DecoderEntry decoder = FindProtocol(name);
    if (decoder == nullptr) {
        err << where << source.LinkTypeText() << " is decoded by " << name
            << ", which this korvex does not include yet\n";
        return 1;
    }
    DecoderEntry ipDecoder = nullptr;
    if (ip && name == "eth") {
        ipDecoder = FindProtocol("ip");
        if (ipDecoder == nullptr) {
            err << "korvex: --ip needs the ip decoder, which this korvex does not include yet\n";
            return 1;
        }
    }

    Framing framing;
    if (route != nullptr) {
        framing.pseudoHeader = route->pseudoHeader;
        framing.linuxLapdDirection = route->linkType == 177;
        // The FCS goes back only on frames of a protocol whose frames end in it.
        framing.fillFcs = route->withoutFcs && !noFcsFill && EndsInLinkFcs(*ProtocolNamed(name));
    }
    source.SetFraming(framing);

    TraceOutput output(out, decoder, flags.Resolve(), colour.Resolve(outIsTerminal));
    output.DecodeIpAfterEthernet(ipDecoder);
    const int64_t frames = output.Run(source);
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
    if (CaptureFormatOf(source.Start()) != CaptureFormat::None) {
        if (linkType) throw UsageError("--linktype is for a hex trace file; " + DisplayName(input) + " is a capture");
        return CaptureToTrace(source, out, err);
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
    Framing framing;
    if (route != nullptr) {
        framing.pseudoHeader = route->pseudoHeader;
        framing.linuxLapdDirection = route->linkType == 177;
        framing.fillFcs = route->withoutFcs && !noFcsFill;
    }
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
    if (!target.Finish(err)) return 1;
    if (longFrames > 0) {
        err << "korvex: " << longFrames << " of the frames are longer than the "
            << TraceReader::kMaxFrameLength
            << " octets a hex trace file's frames are decoded with; they are written whole\n";
    }
    if (writer.FramesWritten() == 0 && !capture.Damaged()) {
        err << "korvex: " << DisplayName(input) << ": the capture holds no frame\n";
        return 1;
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

    TraceReader reader(source.Stream());
    TraceFrame frame;
    unsigned char record[TraceReader::kMaxFrameLength + 16];
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
        std::memset(record, 0, static_cast<std::size_t>(header));
        if (header > 0) record[1] = frame.direction == 'U' ? 4 : 0;  // the Linux LAPD packet type
        std::memcpy(record + header, frame.bytes, static_cast<std::size_t>(length));
        int64_t seconds = 0;
        int32_t microseconds = 0;
        if (!ParseTraceTime(frame.timestamp, seconds, microseconds)) ++untimed;
        writer.Write(seconds, microseconds, record, static_cast<uint32_t>(header + length));
    }
    const bool written = writer.Close(problem) && target.Finish(err);
    if (!written) {
        if (!problem.empty()) err << "korvex: " << problem << "\n";
        return 1;
    }
    if (source.ReportReadError(err)) return 1;
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
    if (frames == 0) {
        ReportNoTraceFrame(err, input, reader.SkippedFrames());
        return 1;
    }
    return 0;
}

}  // namespace korvex::cli
