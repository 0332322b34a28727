#include "cli/frame_json.h"

namespace korvex::cli {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// A protocol tag: one to six capital letters or digits, as the decoders
// write them ("LAPD", "Q931", "ICMP").
bool IsTag(std::string_view s) {
    if (s.empty() || s.size() > 6) return false;
    for (char c : s) {
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    }
    return true;
}

void WriteDetailLine(std::ostream& out, std::string_view line) {
    std::string_view tag;
    std::string_view label;
    std::string_view value = line;
    const std::size_t tagEnd = line.find(": ");
    if (tagEnd != std::string_view::npos && IsTag(line.substr(0, tagEnd))) {
        tag = line.substr(0, tagEnd);
        value = line.substr(tagEnd + 2);
        // The label ends at the last ": " of the line; one at its very start
        // is part of the value, so that an empty label always means none.
        const std::size_t labelEnd = value.rfind(": ");
        if (labelEnd != std::string_view::npos && labelEnd > 0) {
            label = value.substr(0, labelEnd);
            value = value.substr(labelEnd + 2);
        }
    }
    out << "{\"tag\":";
    WriteJsonString(out, tag);
    out << ",\"label\":";
    WriteJsonString(out, label);
    out << ",\"value\":";
    WriteJsonString(out, value);
    out << '}';
}

void WriteField(std::ostream& out, const KorvexField& field) {
    if (field.text[0] != '\0') {
        WriteJsonString(out, field.text);
    } else {
        out << field.number;
    }
}

}  // namespace

void WriteJsonString(std::ostream& out, std::string_view text, bool utf8) {
    out.put('"');
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out.put('\\');
            out.put(ch);
        } else if (c == '\n') {
            out << "\\n";
        } else if (c == '\t') {
            out << "\\t";
        } else if (c < 0x20 || c == 0x7F || (c > 0x7F && !utf8)) {
            out << "\\u00" << kHexDigits[c >> 4] << kHexDigits[c & 15];
        } else {
            out.put(ch);
        }
    }
    out.put('"');
}

void WriteFrameJson(std::ostream& out, const JsonFrame& frame, const KorvexFrameFields* fields,
                    std::string_view text) {
    out << "{\"frame\":" << frame.number << ",\"time\":";
    WriteJsonString(out, frame.timestamp);
    out << ",\"dir\":";
    if (frame.direction == 'U' || frame.direction == 'N') {
        out << '"' << frame.direction << '"';
    } else {
        out << "null";
    }
    out << ",\"protocol\":";
    WriteJsonString(out, frame.protocol);
    out << ",\"length\":" << frame.length << ",\"fields\":{";
    bool first = true;
    if (fields != nullptr) {
        for (int32_t i = 0; i < KORVEX_FIELD_COUNT; ++i) {
            const KorvexField& field = fields->field[i];
            // dir and len are the object's own members.
            if (field.present == 0 || i == 16 || i == 17) continue;
            if (!first) out.put(',');
            first = false;
            out << '"' << KorvexFieldName(i) << "\":";
            WriteField(out, field);
        }
    }
    out << '}';
    // The text without its closing line ends: the summary, then the detail.
    while (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    const std::size_t summaryEnd = text.find('\n');
    out << ",\"summary\":";
    WriteJsonString(out, text.substr(0, summaryEnd));
    out << ",\"detail\":[";
    if (summaryEnd != std::string_view::npos) {
        std::string_view rest = text.substr(summaryEnd + 1);
        for (bool firstLine = true;; firstLine = false) {
            const std::size_t end = rest.find('\n');
            if (!firstLine) out.put(',');
            WriteDetailLine(out, rest.substr(0, end));
            if (end == std::string_view::npos) break;
            rest.remove_prefix(end + 1);
        }
    }
    out << "],\"hex\":\"";
    for (int32_t i = 0; i < frame.length; ++i) {
        out.put(kHexDigits[frame.octets[i] >> 4]);
        out.put(kHexDigits[frame.octets[i] & 15]);
    }
    out << "\"}\n";
}

}  // namespace korvex::cli
