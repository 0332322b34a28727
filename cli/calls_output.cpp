// The call records as text: aligned columns for a terminal, CSV, JSON Lines.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/calls_command.h"

namespace korvex::cli {

namespace {

// Seconds with milliseconds, "" for a time that is not there.
std::string Seconds(int64_t ms) {
    if (ms < 0) return "";
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%03lld", static_cast<long long>(ms / 1000),
                  static_cast<long long>(ms % 1000));
    return text;
}

std::string Number(int64_t value) { return value < 0 ? "" : std::to_string(value); }

std::string Side(char side) { return side == 0 ? "" : std::string(1, side); }

const char* Protocol(const KorvexCallRecord& r) { return r.protocol == KORVEX_CALLS_X25 ? "x25" : "q931"; }

std::string Cause(const KorvexCallRecord& r) {
    if (r.cause < 0) return "";
    std::string text = std::to_string(r.cause);
    if (r.cause_name[0] != '\0') text += std::string(" ") + r.cause_name;
    return text;
}

// What a call lacks inside the trace: "" for a whole call.
std::string Mark(const KorvexCallRecord& r) {
    std::string mark;
    if (r.begun == 0) mark = "no start";
    if (r.ended == 0) mark += std::string(mark.empty() ? "" : ", ") + "no end (" + r.end + ")";
    return mark;
}

struct Column {
    const char* name;
    bool right;  // numbers line up on the right
    std::string (*value)(const KorvexCallRecord&);
};

const Column kColumns[] = {
    {"#", true, [](const KorvexCallRecord& r) { return std::to_string(r.number); }},
    {"proto", false, [](const KorvexCallRecord& r) { return std::string(Protocol(r)); }},
    {"first", false, [](const KorvexCallRecord& r) { return std::string(r.first_time); }},
    {"last", false, [](const KorvexCallRecord& r) { return std::string(r.last_time); }},
    {"dir", false, [](const KorvexCallRecord& r) { return Side(r.direction); }},
    {"calling", false, [](const KorvexCallRecord& r) { return std::string(r.calling); }},
    {"called", false, [](const KorvexCallRecord& r) { return std::string(r.called); }},
    {"channel", false, [](const KorvexCallRecord& r) { return std::string(r.channel); }},
    {"bearer", false, [](const KorvexCallRecord& r) { return std::string(r.bearer_name); }},
    {"alert", true, [](const KorvexCallRecord& r) { return Seconds(r.alerting_ms); }},
    {"answer", true, [](const KorvexCallRecord& r) { return Seconds(r.answer_ms); }},
    {"connected", true, [](const KorvexCallRecord& r) { return Seconds(r.connected_ms); }},
    {"cause", false, Cause},
    {"by", false, [](const KorvexCallRecord& r) { return Side(r.cleared_by); }},
    {"msgs", true, [](const KorvexCallRecord& r) { return std::to_string(r.messages); }},
    {"data", true, [](const KorvexCallRecord& r) { return std::to_string(r.data_packets); }},
    {"mark", false, Mark},
};

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string JsonString(const std::string& text) {
    std::string s = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            s += '\\';
            s += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            s += escaped;
        } else {
            s += static_cast<char>(c);
        }
    }
    return s + "\"";
}

// The fields of the CSV and JSON forms: name, text, and whether the text is
// a number (JSON writes it bare, and null where the text is empty).
struct Field {
    const char* name;
    std::string text;
    bool number;
};

std::vector<Field> Fields(const KorvexCallRecord& r) {
    return {
        {"number", std::to_string(r.number), true},
        {"protocol", Protocol(r), false},
        {"first", r.first_time, false},
        {"last", r.last_time, false},
        {"direction", Side(r.direction), false},
        {"calling", r.calling, false},
        {"called", r.called, false},
        {"link", Number(r.link), true},
        {"call_ref", Number(r.call_ref), true},
        {"logical_channel", Number(r.logical_channel), true},
        {"channel", r.channel, false},
        {"bearer", r.bearer_name, false},
        {"bearer_capability", Number(r.bearer_capability), true},
        {"bearer_mode", Number(r.bearer_mode), true},
        {"bearer_rate", Number(r.bearer_rate), true},
        {"alerting_s", Seconds(r.alerting_ms), true},
        {"answer_s", Seconds(r.answer_ms), true},
        {"connected_s", Seconds(r.connected_ms), true},
        {"cause", Number(r.cause), true},
        {"cause_name", r.cause_name, false},
        {"diagnostic", Number(r.diagnostic), true},
        {"cleared_by", Side(r.cleared_by), false},
        {"messages", std::to_string(r.messages), true},
        {"data_packets", std::to_string(r.data_packets), true},
        {"begun", r.begun != 0 ? "true" : "false", true},
        {"ended", r.ended != 0 ? "true" : "false", true},
        {"end", r.end, false},
    };
}

}  // namespace

void WriteCallTable(std::ostream& out, const std::vector<KorvexCallRecord>& records) {
    constexpr std::size_t kCount = sizeof kColumns / sizeof kColumns[0];
    std::vector<std::vector<std::string>> cells;
    std::size_t widths[kCount];
    for (std::size_t c = 0; c < kCount; ++c) widths[c] = std::string(kColumns[c].name).size();
    for (const KorvexCallRecord& r : records) {
        std::vector<std::string> row;
        for (std::size_t c = 0; c < kCount; ++c) {
            std::string v = kColumns[c].value(r);
            if (v.empty()) v = "-";
            widths[c] = std::max(widths[c], v.size());
            row.push_back(v);
        }
        cells.push_back(row);
    }
    auto line = [&](const std::vector<std::string>& row) {
        std::string text;
        for (std::size_t c = 0; c < kCount; ++c) {
            const std::string pad(widths[c] - row[c].size(), ' ');
            if (c > 0) text += "  ";
            text += kColumns[c].right ? pad + row[c] : row[c] + (c + 1 < kCount ? pad : "");
        }
        out << text << "\n";
    };
    std::vector<std::string> header;
    for (const Column& column : kColumns) header.push_back(column.name);
    line(header);
    for (const auto& row : cells) line(row);
}

void WriteCallCsv(std::ostream& out, const std::vector<KorvexCallRecord>& records) {
    KorvexCallRecord empty{};
    empty.bearer_name = empty.cause_name = empty.end = "";
    std::string header;
    for (const Field& f : Fields(empty)) header += std::string(header.empty() ? "" : ",") + f.name;
    out << header << "\r\n";
    for (const KorvexCallRecord& r : records) {
        std::string row;
        bool first = true;
        for (const Field& f : Fields(r)) {
            row += (first ? "" : ",") + CsvField(f.text);
            first = false;
        }
        out << row << "\r\n";
    }
}

void WriteCallJson(std::ostream& out, const std::vector<KorvexCallRecord>& records) {
    for (const KorvexCallRecord& r : records) {
        std::string object = "{";
        bool first = true;
        for (const Field& f : Fields(r)) {
            object += (first ? "" : ", ") + JsonString(f.name) + ": ";
            object += f.number ? (f.text.empty() ? "null" : f.text) : JsonString(f.text);
            first = false;
        }
        out << object << "}\n";
    }
}

}  // namespace korvex::cli
