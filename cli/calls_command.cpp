#include "cli/calls_command.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>

#include "cli/capture.h"

namespace korvex::cli {

namespace {

constexpr const char* kCallsFooter =
    "Q.931 calls are found in LAPD traces (link types 203 and 177: I and UI frames on SAPI\n"
    "0) and in bare Q.931 traces; X.25 virtual calls in LAPD frames on SAPI 16, in LAPF\n"
    "traces (link type 107) and in bare X.25 traces. Without --protocol a capture's link\n"
    "type tells the protocol, and a hex trace's first frame: a frame that ends with its\n"
    "own FCS is LAPD (SAPI 0, 16 or 63) or else LAPF; otherwise Q.931 or X.25 by its\n"
    "first octets.\n"
    "Times are mm:ss.mmm within the hour as in the trace; a time that goes backwards is\n"
    "taken as the next hour. alert, answer and connected are in seconds. A mark tells a\n"
    "call that did not begin (no start) or did not end (no end) inside the trace.";

// The protocol names of the inputs, by their KORVEX_CALLS_ number.
constexpr const char* kKindNames[] = {"", "lapd", "lapf", "q931", "x25"};

const char* PacketName(const KorvexX25Packet& p) { return p.type_name[0] != '\0' ? p.type_name : "packet"; }

// What the ladder shows of one frame: its call control message or packet,
// or its link-layer frame.
struct FrameLabel {
    bool message = false;  // a Q.931 message or X.25 packet
    int side = -1;
    std::string label;
};

std::string Q931Label(const unsigned char* octets, int32_t length) {
    KorvexQ931Message m;
    KorvexParseQ931(octets, length, &m);
    std::string label = m.message_name[0] != '\0' ? m.message_name : "Q.931 type " + std::to_string(m.message_type);
    if (m.cause.value >= 0) label += " (cause " + std::to_string(m.cause.value) + ")";
    return label;
}

std::string X25Label(const unsigned char* octets, int32_t length) {
    KorvexX25Packet p;
    KorvexParseX25(octets, length, &p);
    std::string label = PacketName(p);
    if (p.channel > 0) label += " LCN " + std::to_string(p.channel);
    if (p.type == 0) label += " P(S)=" + std::to_string(p.ps);
    if (p.cause >= 0) label += " (cause " + std::to_string(p.cause) + ")";
    return label;
}

FrameLabel LabelOf(int32_t input, const TraceFrame& frame) {
    FrameLabel f;
    f.side = frame.direction == 'U' ? 0 : frame.direction == 'N' ? 1 : -1;
    if (input == KORVEX_CALLS_Q931 || input == KORVEX_CALLS_X25) {
        f.message = true;
        f.label = input == KORVEX_CALLS_Q931 ? Q931Label(frame.bytes, frame.length)
                                             : X25Label(frame.bytes, frame.length);
        if (f.side < 0) f.side = 0;
        return f;
    }
    KorvexLinkKeys keys;
    KorvexParseLink(frame.bytes, frame.length, input == KORVEX_CALLS_LAPF ? 1 : 0, &keys);
    if (f.side < 0) {
        // A command's C/R bit is 0 from the user side, 1 from the network
        // side; a response's the other way round. I frames, UI, SABME, DISC
        // and XID are taken as commands, the other U frames and S frames as
        // responses (an S frame may be either: its C/R bit alone cannot say).
        const int key = keys.frame_key;
        const bool command = keys.frame_type == 0 || key == 0x13 || key == 0x7F || key == 0x53 || key == 0xBF;
        f.side = keys.cr < 0 ? 0 : command ? keys.cr : 1 - keys.cr;
    }
    const bool carries = keys.info_offset >= 0 && (keys.frame_type == 0 || keys.frame_key == 0x13);
    const unsigned char* info = carries ? frame.bytes + keys.info_offset : nullptr;
    if (carries && input == KORVEX_CALLS_LAPD && keys.sapi == 0 && info[0] == 0x08) {
        f.message = true;
        f.label = Q931Label(info, keys.info_length);
        return f;
    }
    if (carries && keys.frame_type == 0 && (input == KORVEX_CALLS_LAPF || keys.sapi == 16)) {
        f.message = true;
        f.label = X25Label(info, keys.info_length);
        return f;
    }
    f.label = keys.frame_name[0] != '\0' ? keys.frame_name : "frame";
    if (keys.ns >= 0) f.label += " " + std::to_string(keys.ns);
    if (keys.nr >= 0) f.label += (keys.ns >= 0 ? "/" : " ") + std::to_string(keys.nr);
    if (input == KORVEX_CALLS_LAPD && keys.sapi >= 0) f.label += " SAPI " + std::to_string(keys.sapi);
    if (input == KORVEX_CALLS_LAPF && keys.dlci >= 0) f.label += " DLCI " + std::to_string(keys.dlci);
    return f;
}

}  // namespace

int32_t CallsInputOf(const std::string& protocol) {
    if (protocol == "lapd") return KORVEX_CALLS_LAPD;
    if (protocol == "lapf") return KORVEX_CALLS_LAPF;
    if (protocol == "q931") return KORVEX_CALLS_Q931;
    if (protocol == "x25") return KORVEX_CALLS_X25;
    return 0;
}

bool CallFollower::Open(int32_t input, bool ladder, bool layer2) {
    input_ = input;
    ladder_ = ladder;
    layer2_ = layer2;
    KorvexCallTracker* raw = nullptr;
    if (KorvexCallsOpen(input, &raw) != 0) return false;
    tracker_.reset(raw);
    return true;
}

void CallFollower::Take() {
    KorvexCallRecord record;
    while (KorvexCallsNext(tracker_.get(), &record) == 1) records_.push_back(record);
}

int32_t CallFollower::Frame(const TraceFrame& frame, int64_t number) {
    const int32_t call = KorvexCallsFrame(tracker_.get(), frame.timestamp, frame.direction, frame.bytes, frame.length);
    Take();
    if (call > 0) callFrames_[call].push_back(number);
    if (ladder_) {
        const FrameLabel f = LabelOf(input_, frame);
        if (f.message || layer2_) {
            LadderStep step{};
            std::memcpy(step.timestamp, frame.timestamp, sizeof step.timestamp);
            step.side = f.side;
            step.call = call;
            step.layer2 = !f.message;
            step.label = f.label;
            steps_.push_back(step);
        }
    }
    return call;
}

void CallFollower::Finish() {
    KorvexCallsFinish(tracker_.get());
    Take();
    std::sort(records_.begin(), records_.end(),
              [](const KorvexCallRecord& a, const KorvexCallRecord& b) { return a.number < b.number; });
}

CLI::App* CallsCommand::AddTo(CLI::App& app) {
    CLI::App* sub = app.add_subcommand(
        "calls", "List the calls of a hex trace file or a capture (- for standard input), one record a call.");
    sub->add_option("FILE", file, "hex trace file or pcap/pcapng capture")->required();
    sub->add_option("--protocol", protocol, "what the frames are")
        ->type_name("lapd|lapf|q931|x25")
        ->check(CLI::IsMember({"lapd", "lapf", "q931", "x25"}, CLI::ignore_case));
    sub->add_option("--format", format, "table (aligned columns), csv (with a header row) or json (JSON Lines)")
        ->type_name("table|csv|json")
        ->check(CLI::IsMember({"table", "csv", "json"}));
    sub->add_option("--svg", svg, "also write the ladder diagram of the calls to OUT")->type_name("OUT");
    sub->add_flag("--layer2", layer2, "add the link-layer frames to the ladder diagram, in grey");
    filter.AddTo(*sub);
    sub->footer(kCallsFooter);
    return sub;
}

int CallsCommand::Run(std::istream& in, std::ostream& out, std::ostream& err) {
    if (layer2 && svg.empty()) {
        err << "korvex: --layer2 goes with --svg OUT\n";
        return 2;
    }
    FrameSource source;
    if (!source.Open(file, in, err)) return 1;
    std::string lower = protocol;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    int32_t kind = CallsInputOf(lower);

    if (CaptureSource* capture = source.Capture()) {
        const LinkRoute* route = source.Route();
        if (kind == 0) {
            kind = route != nullptr ? CallsInputOf(route->protocol) : 0;
            if (kind == 0) {
                err << source.Where() << capture->LinkTypeText()
                    << " carries no calls korvex follows; give --protocol for a link type of bare Q.931 or X.25\n";
                return 1;
            }
        }
        // The link keys are read with the FCS in its place.
        capture->SetFraming(FramingOf(route, kKindNames[kind]));
    }

    CallFollower calls;
    bool opened = false;
    TraceFrame frame;
    while (source.Next(frame)) {
        if (!opened) {
            if (kind == 0) {
                const std::string guess = source.Guess(frame, err);
                if (guess.empty()) return 1;
                kind = CallsInputOf(guess);
            }
            if (!calls.Open(kind, !svg.empty(), layer2)) {
                err << "korvex: out of memory\n";
                return 1;
            }
            opened = true;
            filter.SetProtocol(kKindNames[kind]);
        }
        if (filter.Active() && !filter.Take(frame)) {
            if (filter.Done()) break;
            continue;
        }
        calls.Frame(frame, source.Frames());
    }
    if (source.ReportEnd(err, "read")) return 1;
    calls.Finish();
    const std::vector<KorvexCallRecord>& records = calls.Records();

    if (format == "csv") {
        WriteCallCsv(out, records);
    } else if (format == "json") {
        WriteCallJson(out, records);
    } else {
        WriteCallTable(out, records);
    }
    if (!svg.empty()) {
        std::ofstream file_(svg, std::ios::binary | std::ios::trunc);
        if (!file_) {
            err << "korvex: cannot create " << svg << ": " << std::strerror(errno) << "\n";
            return 1;
        }
        WriteLadderSvg(file_, calls.Steps(), records, calls.X25(), DisplayName(file));
        file_.close();
        if (!file_) {
            err << "korvex: cannot write " << svg << "\n";
            return 1;
        }
    }
    return source.Damaged() ? 1 : 0;
}

}  // namespace korvex::cli
