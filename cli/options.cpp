#include "cli/options.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "decoders/protocols.h"
#include "korvex/korvex.h"
#include "replay/trace_file.h"
#include "replay/trace_reader.h"

namespace korvex::cli {

CLI::Validator ProtocolName(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) list += (list.empty() ? "" : ",") + name;
    list = "{" + list + "}";
    std::string aliases;
    for (const Protocol& p : Protocols()) {
        for (const char* alias : p.aliases) aliases += std::string(", ") + alias + " = " + p.name;
    }
    return CLI::Validator(
        [list, aliases](std::string& value) -> std::string {
            const char* name = CanonicalProtocolName(value);
            if (name == nullptr) return value + " not in " + list + " (any case" + aliases + ")";
            value = name;
            return {};
        },
        list);
}

void FlagOptions::AddTo(CLI::App& app) {
    app.add_option("--flags", flags, "decoder flags, passed unchanged (decimal or 0x hex)")
        ->type_name("N");
    app.add_flag("--detail", detail, "add the detail block (flag 0x02)");
    app.add_flag("--hex", hex, "add the hex trace (flag 0x04)");
    app.add_flag("--layer3", layer3, "decode layer 3 inside LAPD/LAPF I frames (flag 0x08)");
    app.add_flag("-x,--extended", extended, "add the readings beyond the classic text (flag 0x10)");
}

uint32_t FlagOptions::Resolve() const {
    if (flags.empty() && !detail && !hex && !layer3 && !extended) return DECODE_SUMMARY;
    uint32_t value = 0;
    if (!flags.empty()) {
        std::string_view digits = flags;
        int base = 10;
        if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
            digits.remove_prefix(2);
            base = 16;
        }
        uint64_t number = 0;
        for (char c : digits) {
            const int d = HexDigitValue(c);
            if (d >= base) throw UsageError("--flags: not a number: " + flags);
            number = number * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
            if (number > 0xFFFFFFFFu) throw UsageError("--flags: out of range: " + flags);
        }
        if (digits.empty()) throw UsageError("--flags: not a number: " + flags);
        value = static_cast<uint32_t>(number);
    }
    if (detail) value |= DECODE_DETAIL;
    if (hex) value |= DECODE_HEX;
    if (layer3) value |= DECODE_LAYER3;
    if (extended) value |= DECODE_EXTENDED;
    return value;
}

void ColourOption::AddTo(CLI::App& app) {
    app.add_option("--color", color, "colour the lines by direction")
        ->type_name("auto|always|never")
        ->check(CLI::IsMember({"auto", "always", "never"}));
}

std::streamsize PeekedBuffer::Fetch(char* to, std::streamsize want) {
    // A read error surfaces as an exception from a file's buffer; it ends the
    // input here, and the command reports it.
    try {
        return source_->sgetn(to, want);
    } catch (const std::ios_base::failure& e) {
        readError_ = e.code().value() != 0 ? e.code().value() : (errno != 0 ? errno : EIO);
        return 0;
    }
}

void PeekedBuffer::Attach(std::streambuf* source) {
    source_ = source;
    std::streamsize got = 0;
    while (got < static_cast<std::streamsize>(kPeek) && readError_ == 0) {
        const std::streamsize n = Fetch(buffer_, static_cast<std::streamsize>(kPeek) - got);
        if (n <= 0) break;
        std::memcpy(start_ + got, buffer_, static_cast<std::size_t>(n));
        got += n;
    }
    startSize_ = static_cast<std::size_t>(got);
    std::memcpy(buffer_, start_, startSize_);
    setg(buffer_, buffer_, buffer_ + got);
}

PeekedBuffer::int_type PeekedBuffer::underflow() {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (source_ == nullptr || readError_ != 0) return traits_type::eof();
    // Take what the source has ready; when it has nothing ready, wait for one
    // octet only, so that no more is awaited than the reader asks for.
    const std::streamsize ready = source_->in_avail();
    const std::streamsize want =
        std::clamp<std::streamsize>(ready, 1, static_cast<std::streamsize>(sizeof buffer_));
    const std::streamsize n = Fetch(buffer_, want);
    if (n <= 0) return traits_type::eof();
    setg(buffer_, buffer_, buffer_ + n);
    return traits_type::to_int_type(*gptr());
}

std::streamsize PeekedBuffer::xsgetn(char* s, std::streamsize n) {
    std::streamsize got = std::min<std::streamsize>(egptr() - gptr(), n);
    if (got > 0) {
        std::memcpy(s, gptr(), static_cast<std::size_t>(got));
        setg(eback(), gptr() + got, egptr());
    }
    // Then as underflow() would, what the source has ready (at least one
    // octet), but into s, until n octets are there or the source ends.
    while (got < n && source_ != nullptr && readError_ == 0) {
        const std::streamsize ready = source_->in_avail();
        const std::streamsize k = Fetch(s + got, std::clamp<std::streamsize>(ready, 1, n - got));
        if (k <= 0) break;
        got += k;
    }
    return got;
}

std::streamsize PeekedBuffer::showmanyc() {
    if (source_ == nullptr || readError_ != 0) return -1;
    return source_->in_avail();
}

std::string DisplayName(const std::string& name) {
    return name == "-" ? "standard input" : name;
}

void ReportNoTraceFrame(std::ostream& err, const std::string& name, int64_t skipped) {
    err << "korvex: " << DisplayName(name);
    if (skipped > 0) {
        err << ": no frame to decode: " << skipped << (skipped == 1 ? " frame holds" : " frames hold")
            << " no octets\n";
    } else {
        err << ": no frame found (a frame is a timestamp line, a length line, a header line, data "
               "lines and an empty line)\n";
    }
}

void ReportTraceReading(std::ostream& err, const std::string& name, const TraceReader& reader,
                        const char* action) {
    ReportTraceReading(err, name, reader.Notes(), reader.MaxFrameLength(), action);
}

void ReportTraceReading(std::ostream& err, const std::string& name, const TraceNotes& notes,
                        int32_t maxFrameLength, const char* action) {
    const std::string where = "korvex: " + DisplayName(name) + ": ";
    if (const int64_t n = notes.overlong; n > 0) {
        err << where << n << (n == 1 ? " frame declares" : " frames declare") << " more than the "
            << maxFrameLength << " octets a frame is " << action << " with; "
            << (n == 1 ? "its" : "their") << " first " << maxFrameLength << " octets were "
            << action << "\n";
    }
    if (const int64_t n = notes.badDataLines; n > 0) {
        err << where << n << (n == 1 ? " data line stops" : " data lines stop")
            << " at a character that is not a hex digit pair (the first is line "
            << notes.firstBadDataLine << "); the rest of " << (n == 1 ? "that line was" : "each was")
            << " not read\n";
    }
    if (const int64_t line = notes.unfinishedFrameLine; line > 0) {
        err << where << "line " << line
            << ": the last frame has no closing empty line; it was not " << action << "\n";
    }
}

bool Input::Open(const std::string& name, std::istream& standardInput, std::ostream& err) {
    name_ = name;
    if (name == "-") {
        buffer_.Attach(standardInput.rdbuf());
        return !ReportReadError(err);
    }
    if (const int reason = OpenTraceFile(name.c_str(), file_); reason != 0) {
        err << "korvex: cannot open " << name << ": " << std::strerror(reason) << "\n";
        return false;
    }
    buffer_.Attach(file_.rdbuf());
    return !ReportReadError(err);
}

bool Input::ReportReadError(std::ostream& err) const {
    if (buffer_.ReadError() == 0) return false;
    err << "korvex: cannot read " << DisplayName(name_) << ": "
        << std::strerror(buffer_.ReadError()) << "\n";
    return true;
}

void AddDirectionFlag(CLI::App& app, bool& direction) {
    app.add_flag("--direction", direction,
                 "start each summary line with the frame's direction and a blank (U, N, - for none), "
                 "which colours alone do not keep in a file or a pipe");
}

void AddJsonFlag(CLI::App& app, bool& json) {
    app.add_flag("--json", json,
                 "write one JSON object a line per frame: number, time, dir, protocol, length, the --where "
                 "fields it has, the summary, the detail lines as tag, label and value, the octets in hex");
}

}  // namespace korvex::cli
