#include "cli/commands.h"

#include <CLI/CLI.hpp>

#include "cli/calls_command.h"
#include "cli/capture.h"
#include "cli/capture_commands.h"
#include "cli/frame_json.h"
#include "cli/frame_output.h"
#include "cli/hex_text.h"
#include "cli/mapped_file.h"
#include "cli/options.h"
#include "cli/parted_replay.h"
#include "cli/report_command.h"
#include "cli/stats_command.h"
#include "decoders/protocols.h"
#include "replay/replay.h"
#include "replay/trace_file.h"
#include "replay/trace_reader.h"

namespace korvex::cli {

namespace {

constexpr const char* kDefaultTimestamp = "00:00.000";

struct DecodeCommand {
    std::string protocol;
    std::vector<std::string> hex;
    std::string timestamp = kDefaultTimestamp;
    bool null = false;
    bool json = false;
    FlagOptions flags;

    int Run(std::istream& in, std::ostream& out, std::ostream& err) const {
        const KorvexDecoder decoder = FindProtocol(protocol);
        const uint32_t decodeFlags = flags.Resolve();
        std::vector<char> buffer;
        std::vector<unsigned char> frame;
        int64_t frames = 0;
        KorvexFrameFields fields;
        auto emit = [&](const std::vector<unsigned char>& octets) {
            ++frames;
            if (json) {
                const auto length = static_cast<int32_t>(octets.size());
                const int32_t n = DecodeWhole(decoder, decodeFlags & ~DECODE_HEX, timestamp.c_str(), octets.data(),
                                              length, buffer);
                KorvexFrameFieldsOf(protocol.c_str(), ' ', octets.data(), length, &fields);
                const JsonFrame object{frames, timestamp.c_str(), ' ', protocol.c_str(), octets.data(), length};
                WriteFrameJson(out, object, &fields, std::string_view(buffer.data(), static_cast<std::size_t>(n)));
                return;
            }
            const int32_t n = DecodeWhole(decoder, decodeFlags, timestamp.c_str(), octets.data(),
                                          static_cast<int32_t>(octets.size()), buffer);
            out.write(buffer.data(), n);
            if (null) out.put('\0');
        };

        if (!hex.empty()) {
            for (const std::string& piece : hex) {
                if (!ParseHexPairs(piece, frame)) {
                    err << "korvex: HEX argument is not hex digit pairs: " << piece << "\n";
                    return 1;
                }
            }
            if (frame.empty()) {
                err << "korvex: the HEX arguments hold no octets\n";
                return 1;
            }
            emit(frame);
            return 0;
        }

        int status = 0;
        std::string line;
        long long number = 0;
        while (std::getline(in, line)) {
            ++number;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (IsBlank(line)) continue;
            frame.clear();
            if (!ParseHexPairs(line, frame)) {
                err << "korvex: standard input line " << number
                    << ": not hex digit pairs; line skipped\n";
                status = 1;
                continue;
            }
            emit(frame);
        }
        return status;
    }
};

struct ReplayCommand {
    std::string protocol;
    std::string file;
    ColourOption colour;
    FlagOptions flags;
    FrameFilter filter;
    bool direction = false;
    bool json = false;

    int Run(std::istream& in, std::ostream& out, std::ostream& err, bool outIsTerminal) {
        Input input;
        if (!input.Open(file, in, err)) return 1;
        const CaptureFormat format = CaptureFormatOf(input.Start());
        if (format != CaptureFormat::None) {
            err << "korvex: " << DisplayName(file) << " is a " << CaptureFormatName(format)
                << " capture, not a hex trace file; decode it with: korvex pcap " << file << "\n";
            return 1;
        }
        TraceOutput output(out, FindProtocol(protocol), flags.Resolve(), colour.Resolve(outIsTerminal));
        if (filter.Active()) {
            filter.SetProtocol(protocol);
            output.Select(&filter);
        }
        if (direction) output.TagDirection();
        if (json) output.Json(protocol);
        // A regular file is read where the system maps it, a big one in
        // parts on several threads when only some frames are shown;
        // standard input and what cannot be mapped come through the stream.
        MappedFile mapped;
        ReplayReading reading;
        if (file != "-" && mapped.Open(file)) {
            reading = ReplayFile(mapped, filter, output);
        } else {
            TraceReader reader(input.Stream());
            reading = {output.Run(reader), reader.Notes()};
        }
        const int64_t frames = reading.frames;
        if (input.ReportReadError(err)) return 1;
        // The notes come after the text of every frame.
        out.flush();
        ReportTraceReading(err, file, reading.notes, TraceReader::kMaxFrameLength, "decoded");
        if (frames == 0) {
            // Text that holds no frame at all is not a trace: an error. A
            // trace whose frames all hold no octets was read whole and has
            // nothing to decode: a note, not a failure.
            ReportNoTraceFrame(err, file, reading.notes.skipped);
            return reading.notes.skipped > 0 ? 0 : 1;
        }
        return 0;
    }
};

}  // namespace

int RunKorvex(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
              std::ostream& err, bool outIsTerminal) {
    CLI::App app("Korvex: decodes LAPD, LAPF, Q.931, X.25, Ethernet and IP frames into trace text.",
                 "korvex");
    app.set_version_flag("--version", std::string("korvex ") + KORVEX_VERSION);
    app.require_subcommand(1);
    const std::vector<std::string> names = ProtocolNames();

    DecodeCommand decode;
    CLI::App* decodeApp = app.add_subcommand(
        "decode", "Decode frames given as HEX arguments (one frame) or as lines of standard input "
                  "(one frame a line).");
    decodeApp->add_option("PROTOCOL", decode.protocol, "protocol")
        ->required()
        ->transform(ProtocolName(names));
    decodeApp->add_option("HEX", decode.hex, "octets of one frame as hex digit pairs");
    decodeApp->add_option("--timestamp", decode.timestamp, "timestamp text (default 00:00.000)")
        ->type_name("TEXT");
    decodeApp->add_flag("--null", decode.null, "write a NUL after each frame's text");
    decode.flags.AddTo(*decodeApp);
    AddJsonFlag(*decodeApp, decode.json);

    ReplayCommand replay;
    CLI::App* replayApp =
        app.add_subcommand("replay", "Decode the frames of a hex trace file (- for standard input).");
    replayApp->add_option("PROTOCOL", replay.protocol, "protocol")
        ->required()
        ->transform(ProtocolName(names));
    replayApp->add_option("FILE", replay.file, "hex trace file")->required();
    replay.colour.AddTo(*replayApp);
    replay.flags.AddTo(*replayApp);
    replay.filter.AddTo(*replayApp);
    AddDirectionFlag(*replayApp, replay.direction);
    AddJsonFlag(*replayApp, replay.json);

    PcapCommand pcap;
    CLI::App* pcapApp = pcap.AddTo(app, names);
    ConvertCommand convert;
    CLI::App* convertApp = convert.AddTo(app);
    CallsCommand calls;
    CLI::App* callsApp = calls.AddTo(app);
    StatsCommand stats;
    CLI::App* statsApp = stats.AddTo(app, names);
    ReportCommand report;
    CLI::App* reportApp = report.AddTo(app, names);

    const std::vector<CLI::App*> commands = {decodeApp, replayApp, pcapApp, convertApp, callsApp, statsApp, reportApp};
    auto parsedCommand = [&]() -> const CLI::App* {
        for (const CLI::App* command : commands) {
            if (command->parsed()) return command;
        }
        return &app;
    };

    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
        // A bad --flags is reported before any output.
        if (decodeApp->parsed()) {
            decode.flags.Resolve();
            return decode.Run(in, out, err);
        }
        if (replayApp->parsed()) {
            replay.flags.Resolve();
            replay.filter.Resolve();
            return replay.Run(in, out, err, outIsTerminal);
        }
        if (pcapApp->parsed()) {
            pcap.flags.Resolve();
            pcap.filter.Resolve();
            return pcap.Run(in, out, err, outIsTerminal);
        }
        if (statsApp->parsed()) {
            stats.filter.Resolve();
            return stats.Run(in, out, err);
        }
        if (reportApp->parsed()) {
            report.filter.Resolve();
            return report.Run(in, out, err);
        }
        if (callsApp->parsed()) {
            calls.filter.Resolve();
            return calls.Run(in, out, err);
        }
        return convert.Run(in, out, err);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e, out, err);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e, out, err);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e, out, err);
    } catch (const CLI::ParseError& e) {
        err << "korvex: " << e.what() << "\n\n";
        err << parsedCommand()->help();
        return 2;
    } catch (const UsageError& e) {
        err << "korvex: " << e.what() << "\n\n";
        err << parsedCommand()->help();
        return 2;
    }
}

}  // namespace korvex::cli
