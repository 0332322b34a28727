#include "cli/report_command.h"

#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "cli/calls_command.h"
#include "cli/capture.h"
#include "cli/frame_json.h"
#include "cli/frame_output.h"
#include "cli/options.h"
#include "cli/trace_stats.h"
#include "decoders/protocols.h"
#include "replay/line_store.h"

namespace korvex::cli {

namespace {

constexpr const char* kReportFooter =
    "The page holds everything (no network, no files beside it): the file's facts and the link\n"
    "health of korvex stats, the calls of korvex calls (a click shows a call's ladder diagram\n"
    "and narrows the frames to its own), and one row per frame; a click on a row shows the\n"
    "frame's detail and hex trace, the decoders' own text (with --layer3 for the protocols that\n"
    "carry one), kept compressed in the page. With --where or --frames the page holds the\n"
    "frames chosen, and shows the choice at its top.\n"
    "The protocol is told as korvex stats tells it. The reader's messages about a damaged\n"
    "trace or capture are written to standard error and at the top of the page, which holds\n"
    "what could be read; the exit status is then that of the other commands.";

// Frames whose detail texts are compressed together: the page inflates one
// such chunk when one of its frames is opened.
constexpr std::size_t kChunkFrames = 256;

// Octets as base64, the page's way to carry compressed text.
void AppendBase64(std::string& out, const unsigned char* octets, std::size_t size) {
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::size_t i = 0;
    for (; i + 3 <= size; i += 3) {
        const uint32_t v = uint32_t{octets[i]} << 16 | uint32_t{octets[i + 1]} << 8 | octets[i + 2];
        out += {kDigits[v >> 18], kDigits[(v >> 12) & 63], kDigits[(v >> 6) & 63], kDigits[v & 63]};
    }
    if (size - i == 1) {
        const uint32_t v = uint32_t{octets[i]} << 16;
        out += {kDigits[v >> 18], kDigits[(v >> 12) & 63], '=', '='};
    } else if (size - i == 2) {
        const uint32_t v = uint32_t{octets[i]} << 16 | uint32_t{octets[i + 1]} << 8;
        out += {kDigits[v >> 18], kDigits[(v >> 12) & 63], kDigits[(v >> 6) & 63], '='};
    }
}

// "#0c01e3" for a colour of the viewer.
std::string CssColour(const LineColour& c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.red, c.green, c.blue);
    return text;
}

// Texts carried packed in the page: a chunk of them at a time, joined by
// NUL, deflated (the zlib format the page's DecompressionStream("deflate")
// reads) and written as base64. The page inflates a chunk when it needs one
// of its texts.
class PackedTexts {
public:
    // latin1: the texts' octets above 0x7F are characters U+0080 to U+00FF
    // (the decoders' text), written in UTF-8 as the page reads them back;
    // otherwise the texts are UTF-8 already.
    PackedTexts(std::size_t perChunk, bool latin1) : perChunk_(perChunk), latin1_(latin1) {}

    void Add(std::string_view text) {
        if (count_ > 0) pending_ += '\0';
        for (char c : text) {
            const auto u = static_cast<unsigned char>(c);
            if (u < 0x80 || !latin1_) {
                pending_ += c;
            } else {
                pending_ += static_cast<char>(0xC0 | u >> 6);
                pending_ += static_cast<char>(0x80 | (u & 0x3F));
            }
        }
        if (++count_ == perChunk_) Pack();
    }

    // "NAME":[chunks],"NAME_chunk":perChunk for the page's data object.
    std::string Json(const char* name) {
        Pack();
        return "\"" + std::string(name) + "\":[" + chunks_ + "],\"" + name + "_chunk\":" + std::to_string(perChunk_);
    }

    bool Failed() const { return failed_; }

private:
    void Pack() {
        if (count_ == 0) return;
        uLongf size = compressBound(static_cast<uLong>(pending_.size()));
        std::vector<unsigned char> packed(size);
        if (compress2(packed.data(), &size, reinterpret_cast<const Bytef*>(pending_.data()),
                      static_cast<uLong>(pending_.size()), Z_DEFAULT_COMPRESSION) != Z_OK) {
            failed_ = true;
        }
        chunks_ += chunks_.empty() ? "\"" : ",\"";
        AppendBase64(chunks_, packed.data(), size);
        chunks_ += '"';
        pending_.clear();
        count_ = 0;
    }

    std::size_t perChunk_;
    bool latin1_;
    std::string pending_;  // the texts of the chunk being filled
    std::size_t count_ = 0;
    std::string chunks_;
    bool failed_ = false;
};

void AppendJson(std::string& json, std::string_view text, bool utf8 = false) {
    std::ostringstream s;
    WriteJsonString(s, text, utf8);
    json += s.str();
}

// The frame list, gathered frame by frame: number, time, direction and
// summary line of each row in the open, the detail texts packed. The first
// rows are also kept apart, for the head of the page, so that they are
// drawn before the browser has read the rest.
class FrameRows {
public:
    void Add(const TraceFrame& frame, int64_t number, const std::string& text) {
        if (count_ == 0) first_ = frame.timestamp;
        last_ = frame.timestamp;
        // The summary line without the timestamp it starts with: the time
        // has its own column.
        std::string_view summary(text);
        summary = summary.substr(0, summary.find('\n'));
        const std::string_view time(frame.timestamp);
        if (summary.substr(0, time.size()) == time) {
            summary.remove_prefix(time.size());
            while (!summary.empty() && summary.front() == ' ') summary.remove_prefix(1);
        }
        const char direction = frame.direction == 'U' || frame.direction == 'N' ? frame.direction : '-';
        all_.Add(number, frame.timestamp, direction, summary);
        if (count_ < kHeadRows) head_.Add(number, frame.timestamp, direction, summary);
        ++count_;
        details_.Add(text);
    }

    // The rows' part of the page's data object, and the first rows' of its
    // head.
    std::string Json() { return all_.Json() + "," + details_.Json("detail"); }
    std::string HeadJson() const { return head_.Json(); }

    bool Failed() const { return details_.Failed(); }
    const std::string& First() const { return first_; }
    const std::string& Last() const { return last_; }

private:
    // The rows drawn before the page has read the rest.
    static constexpr std::size_t kHeadRows = 100;

    struct Columns {
        std::string numbers, times, directions, summaries;

        void Add(int64_t number, const char* time, char direction, std::string_view summary) {
            numbers += (numbers.empty() ? "" : ",") + std::to_string(number);
            times += times.empty() ? "" : ",";
            AppendJson(times, time);
            directions += direction;
            summaries += summaries.empty() ? "" : ",";
            AppendJson(summaries, summary);
        }
        std::string Json() const {
            std::string json = "\"number\":[" + numbers + "],\"time\":[" + times + "],\"direction\":";
            AppendJson(json, directions);
            return json + ",\"summary\":[" + summaries + "]";
        }
    };

    std::string first_, last_;
    std::size_t count_ = 0;
    Columns all_, head_;
    PackedTexts details_{kChunkFrames, true};
};

// The head of the page's data object: the file's facts, the selection, the
// reader's messages and the statistics.
std::string ReportHead(const std::string& file, const std::string& kind, const FrameFilter& filter,
                       int64_t frames, int64_t selected, const FrameRows& rows, const std::string& messages,
                       const TraceStats& stats) {
    // Names and messages are written as the system gives them, UTF-8.
    std::string json = "\"file\":";
    AppendJson(json, DisplayName(file), true);
    json += ",\"protocol\":";
    AppendJson(json, kind);
    json += ",\"frames\":" + std::to_string(frames) + ",\"selected\":" + std::to_string(selected) + ",\"first\":";
    AppendJson(json, rows.First());
    json += ",\"last\":";
    AppendJson(json, rows.Last());
    json += ",\"where\":";
    AppendJson(json, filter.Expression(), true);
    json += ",\"range\":";
    AppendJson(json, filter.Range());
    json += ",\"messages\":";
    AppendJson(json, messages, true);
    std::ostringstream statsJson;
    stats.WriteJson(statsJson);
    std::string statsText = statsJson.str();
    while (!statsText.empty() && statsText.back() == '\n') statsText.pop_back();
    return json + ",\"stats\":" + statsText;
}

// The calls' part of the page's data object: the records as korvex calls
// --format json writes them with the frames of each, packed as one text (a
// trace may hold a call per frame), and each call's own ladder diagram,
// packed by chunks of calls.
std::string ReportCalls(const CallFollower* calls, const std::string& file, bool& failed) {
    constexpr std::size_t kChunkLadders = 64;
    PackedTexts list(1, false);
    PackedTexts ladders(kChunkLadders, false);
    std::size_t count = 0;
    if (calls != nullptr) {
        const std::vector<KorvexCallRecord>& records = calls->Records();
        count = records.size();
        std::string text = "{\"calls\":[";
        for (std::size_t i = 0; i < records.size(); ++i) {
            std::ostringstream record;
            WriteCallJson(record, {records[i]});
            std::string line = record.str();
            while (!line.empty() && line.back() == '\n') line.pop_back();
            text += (i == 0 ? "" : ",") + line;
        }
        text += "],\"call_frames\":[";
        for (std::size_t i = 0; i < records.size(); ++i) {
            text += i == 0 ? "[" : ",[";
            const auto found = calls->CallFrames().find(records[i].number);
            if (found != calls->CallFrames().end()) {
                for (std::size_t k = 0; k < found->second.size(); ++k) {
                    text += (k == 0 ? "" : ",") + std::to_string(found->second[k]);
                }
            }
            text += ']';
        }
        list.Add(text + "]}");

        std::map<int32_t, std::vector<LadderStep>> steps;
        for (const LadderStep& step : calls->Steps()) {
            if (step.call > 0) steps[step.call].push_back(step);
        }
        for (const KorvexCallRecord& record : records) {
            std::ostringstream svg;
            WriteLadderSvg(svg, steps[record.number], {record}, calls->X25(), DisplayName(file));
            // Inline in the page, without the XML declaration of a file.
            std::string ladder = svg.str();
            if (ladder.compare(0, 5, "<?xml") == 0) ladder.erase(0, ladder.find('\n') + 1);
            ladders.Add(ladder);
        }
    }
    std::string json = "\"calls\":" + std::to_string(count) + "," + list.Json("call_list") + "," + ladders.Json("ladder");
    failed = list.Failed() || ladders.Failed();
    return json;
}

// Writes the template with each @NAME@ replaced by fill(NAME); the text
// filled in is not searched again.
template <class Fill>
void FillTemplate(std::ostream& out, std::string_view page, Fill fill) {
    while (!page.empty()) {
        const std::size_t at = page.find('@');
        const std::size_t end = at == std::string_view::npos ? at : page.find('@', at + 1);
        if (end == std::string_view::npos) {
            out << page;
            return;
        }
        const std::string_view name = page.substr(at + 1, end - at - 1);
        const bool known = !name.empty() && name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ_") == name.npos;
        out << page.substr(0, known ? at : end);
        if (known) fill(out, name);
        page.remove_prefix(known ? end + 1 : end);
    }
}

// Writes the data object where a script element holds it: every '<' as
// \u003c, which JSON reads back the same, so that no text can end the
// element or open a comment in it.
void WriteScriptJson(std::ostream& out, const std::string& json) {
    std::size_t from = 0;
    for (std::size_t at = json.find('<'); at != std::string::npos; at = json.find('<', from)) {
        out.write(json.data() + from, static_cast<std::streamsize>(at - from));
        out << "\\u003c";
        from = at + 1;
    }
    out.write(json.data() + from, static_cast<std::streamsize>(json.size() - from));
}

}  // namespace

CLI::App* ReportCommand::AddTo(CLI::App& app, const std::vector<std::string>& protocols) {
    CLI::App* sub = app.add_subcommand(
        "report", "Write a hex trace file or a capture (- for standard input) as one HTML page: calls, "
                  "ladder, link health and frames.");
    sub->add_option("FILE", file, "hex trace file or pcap/pcapng capture")->required();
    sub->add_option("--protocol", protocol, "what the frames are")->type_name("P")->transform(ProtocolName(protocols));
    sub->add_option("-o,--output", output, "the HTML page to write (- for standard output)")
        ->type_name("OUT.html")
        ->required();
    filter.AddTo(*sub);
    sub->footer(kReportFooter);
    return sub;
}

int ReportCommand::Run(std::istream& in, std::ostream& out, std::ostream& err) {
    // The reader's messages go to err and to the top of the page.
    std::ostringstream notes;
    auto fail = [&]() {
        err << notes.str();
        return 1;
    };
    FrameSource source;
    if (!source.Open(file, in, notes)) return fail();
    std::string kind = protocol;
    if (!source.TakeCaptureKind(kind, notes)) return fail();

    // An Ethernet capture's frames are shown with the IPv4 datagrams they
    // carry; a raw IP link's datagrams of other versions get a line of
    // their own.
    std::unique_ptr<TraceOutput> decoder;
    std::ostringstream text;
    TraceStats stats;
    std::unique_ptr<CallFollower> calls;
    KorvexFrameFields fields;
    FrameRows rows;
    TraceFrame frame;
    int64_t selected = 0;
    while (source.Next(frame)) {
        if (source.Frames() == 1) {
            if (kind.empty() && (kind = source.Guess(frame, notes)).empty()) return fail();
            filter.SetProtocol(kind);
            const std::string name = kind == "eth+ip" ? "eth" : kind;
            const Protocol* row = ProtocolNamed(name);
            const KorvexDecoder entry = FindProtocol(name);
            if (entry == nullptr) {
                notes << source.Where() << "its frames are decoded by " << name
                      << ", which this korvex does not include yet\n";
                return fail();
            }
            const uint32_t flags = DECODE_DETAIL | DECODE_HEX | (row != nullptr ? row->flags & DECODE_LAYER3 : 0);
            decoder = std::make_unique<TraceOutput>(text, entry, flags, false);
            if (kind == "eth+ip") decoder->DecodeIpAfterEthernet(FindProtocol("ip"));
            const LinkRoute* route = source.Route();
            if (route != nullptr && std::string_view(route->protocol) == "ip" && name == "ip") decoder->DecodeOnlyIpv4();
            if (const int32_t input = CallsInputOf(kind); input != 0) {
                calls = std::make_unique<CallFollower>();
                if (!calls->Open(input, true, false)) {
                    err << "korvex: out of memory\n";
                    return 1;
                }
            }
        }
        if (filter.Active() && !filter.Take(frame)) continue;
        ++selected;
        KorvexFrameFieldsOf(kind.c_str(), frame.direction, frame.bytes, frame.length, &fields);
        stats.Add(fields);
        if (calls) calls->Frame(frame, source.Frames());
        text.str("");
        decoder->Emit(frame, source.Frames());
        rows.Add(frame, source.Frames(), text.str());
    }
    const bool ended = source.ReportEnd(notes, "read");
    const int status = ended || source.Damaged() ? 1 : 0;
    err << notes.str();
    stats.SetFrames(source.Frames());
    if (calls) calls->Finish();

    bool failed = false;
    const std::string callsJson = ReportCalls(calls.get(), file, failed);
    const std::string head = "{" + ReportHead(file, kind, filter, source.Frames(), selected, rows, notes.str(), stats) +
                             "," + rows.HeadJson() + "}";
    const std::string json = "{" + callsJson + "," + rows.Json() + "}";
    if (failed || rows.Failed()) {
        err << "korvex: out of memory\n";
        return 1;
    }
    std::ofstream page;
    if (output != "-") {
        page.open(output, std::ios::binary | std::ios::trunc);
        if (!page) {
            err << "korvex: cannot create " << output << ": " << std::strerror(errno) << "\n";
            return 1;
        }
    }
    std::ostream& to = output == "-" ? out : page;
    const ReportTemplates templates = ReportPageTemplates();
    FillTemplate(to, templates.html, [&](std::ostream& o, std::string_view name) {
        if (name == "CSS") {
            FillTemplate(o, templates.css, [](std::ostream& c, std::string_view colour) {
                if (colour == "USER_COLOUR") c << CssColour(ColourOfTag('U'));
                if (colour == "OTHER_COLOUR") c << CssColour(ColourOfTag('N'));
            });
        } else if (name == "JS") {
            o << templates.js;
        } else if (name == "HEAD") {
            WriteScriptJson(o, head);
        } else if (name == "DATA") {
            WriteScriptJson(o, json);
        }
    });
    to.flush();
    if (!to) {
        err << "korvex: cannot write " << output << "\n";
        return 1;
    }
    return status;
}

}  // namespace korvex::cli
