#include "cli/stats_command.h"

#include "cli/capture.h"
#include "cli/options.h"
#include "cli/trace_stats.h"

namespace korvex::cli {

namespace {

constexpr const char* kStatsFooter =
    "A hex trace file needs --protocol unless its first frame tells LAPD, LAPF, Q.931 or X.25;\n"
    "a capture's link type tells its protocol (Ethernet captures are counted with their IPv4\n"
    "datagrams).\n"
    "Link health, per TEI (LAPD) or DLCI (LAPF): REJ, RNR, FRMR and DM frames; re-establishments,\n"
    "a SABME on a link that was up (a UA answered a SABME, or I frames passed, and no DISC or\n"
    "DM came since); repeated N(S), an I frame whose N(S) its sender had already sent (up to\n"
    "64 behind the next new one; a SABME starts the count afresh).";

}  // namespace

CLI::App* StatsCommand::AddTo(CLI::App& app, const std::vector<std::string>& protocols) {
    CLI::App* sub = app.add_subcommand(
        "stats", "Count what a hex trace file or a capture (- for standard input) holds, and its links' health.");
    sub->add_option("FILE", file, "hex trace file or pcap/pcapng capture")->required();
    sub->add_option("--protocol", protocol, "what the frames are")->type_name("P")->transform(ProtocolName(protocols));
    AddJsonFlag(*sub, json);
    filter.AddTo(*sub);
    sub->footer(kStatsFooter);
    return sub;
}

int StatsCommand::Run(std::istream& in, std::ostream& out, std::ostream& err) {
    FrameSource source;
    if (!source.Open(file, in, err)) return 1;
    std::string kind = protocol;
    if (!source.TakeCaptureKind(kind, err)) return 1;

    TraceStats stats;
    KorvexFrameFields fields;
    TraceFrame frame;
    while (source.Next(frame)) {
        if (kind.empty() && (kind = source.Guess(frame, err)).empty()) return 1;
        if (source.Frames() == 1) filter.SetProtocol(kind);
        // Every frame is counted, the selected ones described.
        if (filter.Active() && !filter.Take(frame)) continue;
        KorvexFrameFieldsOf(kind.c_str(), frame.direction, frame.bytes, frame.length, &fields);
        stats.Add(fields);
    }
    if (source.ReportEnd(err, "counted")) return 1;
    stats.SetFrames(source.Frames());
    if (json) {
        stats.WriteJson(out);
    } else {
        stats.WriteTable(out);
    }
    return source.Damaged() ? 1 : 0;
}

}  // namespace korvex::cli
