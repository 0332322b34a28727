#include "cli/commands.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <string_view>

#include "cli/hex_text.h"
#include "decoders/protocols.h"
#include "replay/replay.h"
#include "replay/trace_file.h"
#include "replay/trace_reader.h"

namespace korvex::cli {

namespace {

constexpr const char* kDefaultTimestamp = "00:00.000";

// Colours of the viewer's trace view, as 24-bit terminal colours.
constexpr const char* kUserSideEscape = "\x1b[38;2;12;1;227m";
constexpr const char* kOtherSideEscape = "\x1b[38;2;35;108;18m";
constexpr const char* kResetEscape = "\x1b[0m";

class UsageError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The flag options shared by both commands.
struct FlagOptions {
    std::string flags;  // empty when --flags was not given
    bool detail = false;
    bool hex = false;
    bool layer3 = false;

    void AddTo(CLI::App& app) {
        app.add_option("--flags", flags, "decoder flags, passed unchanged (decimal or 0x hex)")
            ->type_name("N");
        app.add_flag("--detail", detail, "add the detail block (flag 0x02)");
        app.add_flag("--hex", hex, "add the hex trace (flag 0x04)");
        app.add_flag("--layer3", layer3, "decode layer 3 inside LAPD/LAPF I frames (flag 0x08)");
    }

    uint32_t Resolve() const {
        if (flags.empty() && !detail && !hex && !layer3) return DECODE_SUMMARY;
        uint32_t value = 0;
        if (!flags.empty()) value = ParseFlags(flags);
        if (detail) value |= DECODE_DETAIL;
        if (hex) value |= DECODE_HEX;
        if (layer3) value |= DECODE_LAYER3;
        return value;
    }

    static uint32_t ParseFlags(const std::string& text) {
        std::string_view digits = text;
        int base = 10;
        if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
            digits.remove_prefix(2);
            base = 16;
        }
        uint64_t value = 0;
        for (char c : digits) {
            int d = HexDigitValue(c);
            if (d >= base || digits.empty()) throw UsageError("--flags: not a number: " + text);
            value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
            if (value > 0xFFFFFFFFu) throw UsageError("--flags: out of range: " + text);
        }
        if (digits.empty()) throw UsageError("--flags: not a number: " + text);
        return static_cast<uint32_t>(value);
    }
};

// Writes one frame's text, each line coloured by the frame's direction.
void WriteColoured(std::ostream& out, std::string_view text, char direction) {
    const char* escape = direction == 'U' ? kUserSideEscape : kOtherSideEscape;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        std::size_t stop = end == std::string_view::npos ? text.size() : end;
        out << escape;
        out.write(text.data() + start, static_cast<std::streamsize>(stop - start));
        out << kResetEscape;
        if (end == std::string_view::npos) break;
        out.put('\n');
        start = end + 1;
    }
}

struct DecodeCommand {
    std::string protocol;
    std::vector<std::string> hex;
    std::string timestamp = kDefaultTimestamp;
    bool null = false;
    FlagOptions flags;

    int Run(std::istream& in, std::ostream& out, std::ostream& err) const {
        const DecoderEntry decoder = FindProtocol(protocol);
        const uint32_t decodeFlags = flags.Resolve();
        std::vector<char> buffer;
        std::vector<unsigned char> frame;
        auto emit = [&](const std::vector<unsigned char>& octets) {
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
    std::string color = "auto";
    FlagOptions flags;

    int Run(std::istream& in, std::ostream& out, std::ostream& err, bool outIsTerminal) const {
        const DecoderEntry decoder = FindProtocol(protocol);
        const uint32_t decodeFlags = flags.Resolve();
        const bool coloured = color == "always" || (color == "auto" && outIsTerminal);

        std::ifstream fileStream;
        std::istream* source = &in;
        if (file != "-") {
            if (const int reason = OpenTraceFile(file.c_str(), fileStream); reason != 0) {
                err << "korvex: cannot open " << file << ": " << std::strerror(reason) << "\n";
                return 1;
            }
            source = &fileStream;
        }

        TraceReader reader(*source);
        TraceFrame frame;
        std::vector<char> buffer;
        while (reader.Next(frame)) {
            const int32_t n =
                DecodeWhole(decoder, decodeFlags, frame.timestamp, frame.bytes, frame.length, buffer);
            if (coloured) {
                WriteColoured(out, std::string_view(buffer.data(), static_cast<std::size_t>(n)),
                              frame.direction);
            } else {
                out.write(buffer.data(), n);
            }
        }
        if (source->bad()) {
            err << "korvex: cannot read " << file << ": " << std::strerror(errno) << "\n";
            return 1;
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
        ->check(CLI::IsMember(names));
    decodeApp->add_option("HEX", decode.hex, "octets of one frame as hex digit pairs");
    decodeApp->add_option("--timestamp", decode.timestamp, "timestamp text (default 00:00.000)")
        ->type_name("TEXT");
    decodeApp->add_flag("--null", decode.null, "write a NUL after each frame's text");
    decode.flags.AddTo(*decodeApp);

    ReplayCommand replay;
    CLI::App* replayApp =
        app.add_subcommand("replay", "Decode the frames of a hex trace file (- for standard input).");
    replayApp->add_option("PROTOCOL", replay.protocol, "protocol")
        ->required()
        ->check(CLI::IsMember(names));
    replayApp->add_option("FILE", replay.file, "hex trace file")->required();
    replayApp->add_option("--color", replay.color, "colour the lines by direction")
        ->type_name("auto|always|never")
        ->check(CLI::IsMember({"auto", "always", "never"}));
    replay.flags.AddTo(*replayApp);

    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
        if (decodeApp->parsed()) {
            decode.flags.Resolve();  // reports a bad --flags before any output
            return decode.Run(in, out, err);
        }
        replay.flags.Resolve();
        return replay.Run(in, out, err, outIsTerminal);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e, out, err);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e, out, err);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e, out, err);
    } catch (const CLI::ParseError& e) {
        err << "korvex: " << e.what() << "\n\n";
        const CLI::App* shown = decodeApp->parsed() ? decodeApp : replayApp->parsed() ? replayApp : &app;
        err << shown->help();
        return 2;
    } catch (const UsageError& e) {
        err << "korvex: " << e.what() << "\n\n";
        err << (decodeApp->parsed() ? decodeApp->help() : replayApp->help());
        return 2;
    }
}

}  // namespace korvex::cli
