// The ladder diagram of a trace's calls as SVG: the two sides of the link as
// lifelines, one arrow a message from top to bottom in the order of the
// trace, each call in its own colour, link-layer frames in grey, the times
// down the left as the time axis, and a legend of the calls on the right.

#include <string>
#include <vector>

#include "cli/calls_command.h"

namespace korvex::cli {

namespace {

constexpr int kAxisX = 96;      // the time axis
constexpr int kUserX = 190;     // the two lifelines
constexpr int kNetworkX = 590;
constexpr int kLegendX = 650;
constexpr int kWidth = 1060;
constexpr int kTop = 90;        // the first arrow
constexpr int kRow = 26;        // between arrows

// Colours far apart from each other and from the grey of the link layer.
constexpr const char* kColours[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#ff7f0e",
                                    "#17becf", "#8c564b", "#e377c2", "#bcbd22", "#393b79"};
constexpr const char* kGrey = "#9a9a9a";
constexpr const char* kNoCall = "#000000";

const char* ColourOf(int32_t call) {
    return kColours[static_cast<std::size_t>(call - 1) % (sizeof kColours / sizeof kColours[0])];
}

std::string Escape(const std::string& text) {
    std::string s;
    for (char c : text) {
        switch (c) {
            case '&': s += "&amp;"; break;
            case '<': s += "&lt;"; break;
            case '>': s += "&gt;"; break;
            case '"': s += "&quot;"; break;
            default: s += c;
        }
    }
    return s;
}

std::string Legend(const KorvexCallRecord& r) {
    std::string text = "#" + std::to_string(r.number) + (r.protocol == KORVEX_CALLS_X25 ? " X.25 " : " Q.931 ");
    text += r.protocol == KORVEX_CALLS_X25 ? std::string(r.channel) : "CR " + std::to_string(r.call_ref);
    text += " " + std::string(r.first_time) + " ";
    text += std::string(r.calling[0] != '\0' ? r.calling : "?") + " \u2192 " + (r.called[0] != '\0' ? r.called : "?");
    if (r.begun == 0) text += " [no start]";
    if (r.ended == 0) text += " [no end]";
    return text;
}

}  // namespace

void WriteLadderSvg(std::ostream& out, const std::vector<LadderStep>& steps,
                    const std::vector<KorvexCallRecord>& records, bool x25, const std::string& title) {
    const int legendBottom = 60 + 22 * static_cast<int>(records.size() + 1);
    const int arrowsBottom = kTop + kRow * static_cast<int>(steps.size());
    const int height = std::max(legendBottom, arrowsBottom) + 30;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\"" << height
        << "\" viewBox=\"0 0 " << kWidth << " " << height << "\" font-family=\"DejaVu Sans, Arial, sans-serif\""
        << " font-size=\"12\">\n"
        << "<title>Calls of " << Escape(title) << "</title>\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n<defs>\n";
    // One arrow head per colour.
    auto marker = [&](const std::string& id, const char* colour) {
        out << "<marker id=\"" << id << "\" viewBox=\"0 0 10 10\" refX=\"10\" refY=\"5\" markerWidth=\"8\""
            << " markerHeight=\"8\" orient=\"auto-start-reverse\"><path d=\"M0,0 L10,5 L0,10 z\" fill=\"" << colour
            << "\"/></marker>\n";
    };
    for (std::size_t i = 0; i < sizeof kColours / sizeof kColours[0]; ++i) {
        marker("head" + std::to_string(i + 1), kColours[i]);
    }
    marker("head-grey", kGrey);
    marker("head-none", kNoCall);
    out << "</defs>\n";

    // Headings, lifelines and the time axis.
    const char* user = x25 ? "DTE" : "User side";
    const char* network = x25 ? "DCE" : "Network side";
    out << "<text x=\"" << kAxisX << "\" y=\"40\" text-anchor=\"end\" font-weight=\"bold\">Time</text>\n"
        << "<text class=\"side\" x=\"" << kUserX << "\" y=\"40\" text-anchor=\"middle\" font-weight=\"bold\""
        << " font-size=\"14\">" << user << "</text>\n"
        << "<text class=\"side\" x=\"" << kNetworkX << "\" y=\"40\" text-anchor=\"middle\" font-weight=\"bold\""
        << " font-size=\"14\">" << network << "</text>\n";
    const int lineBottom = arrowsBottom + 10;
    out << "<line class=\"axis\" x1=\"" << kAxisX + 8 << "\" y1=\"55\" x2=\"" << kAxisX + 8 << "\" y2=\""
        << lineBottom << "\" stroke=\"#bbbbbb\"/>\n";
    for (int x : {kUserX, kNetworkX}) {
        out << "<line class=\"lifeline\" x1=\"" << x << "\" y1=\"55\" x2=\"" << x << "\" y2=\"" << lineBottom
            << "\" stroke=\"#333333\" stroke-width=\"2\"/>\n";
    }

    int y = kTop;
    for (const LadderStep& step : steps) {
        const bool fromUser = step.side != 1;
        const int x1 = fromUser ? kUserX : kNetworkX;
        const int x2 = fromUser ? kNetworkX : kUserX;
        const char* colour = step.layer2 ? kGrey : step.call > 0 ? ColourOf(step.call) : kNoCall;
        const std::string head = step.layer2 ? "head-grey"
                                 : step.call > 0
                                     ? "head" + std::to_string((step.call - 1) % (sizeof kColours / sizeof kColours[0]) + 1)
                                     : "head-none";
        out << "<g class=\"" << (step.layer2 ? "arrow layer2" : "arrow") << "\"";
        if (step.call > 0) out << " data-call=\"" << step.call << "\"";
        out << ">"
            << "<text class=\"time\" x=\"" << kAxisX << "\" y=\"" << y + 4 << "\" text-anchor=\"end\" fill=\"#555555\">"
            << Escape(step.timestamp) << "</text>"
            << "<line x1=\"" << kAxisX + 4 << "\" y1=\"" << y << "\" x2=\"" << kAxisX + 12 << "\" y2=\"" << y
            << "\" stroke=\"#bbbbbb\"/>"
            << "<line class=\"shaft\" x1=\"" << x1 << "\" y1=\"" << y << "\" x2=\"" << x2 << "\" y2=\"" << y
            << "\" stroke=\"" << colour << "\" stroke-width=\"" << (step.layer2 ? 1 : 2) << "\" marker-end=\"url(#"
            << head << ")\"/>"
            << "<text class=\"label\" x=\"" << (kUserX + kNetworkX) / 2 << "\" y=\"" << y - 5
            << "\" text-anchor=\"middle\" fill=\"" << colour << "\"" << (step.layer2 ? " font-size=\"10\"" : "")
            << ">" << Escape(step.label) << "</text></g>\n";
        y += kRow;
    }

    // The legend: one line per call in its colour.
    out << "<g class=\"legend\"><text x=\"" << kLegendX << "\" y=\"70\" font-weight=\"bold\">Calls</text>\n";
    int ly = 92;
    for (const KorvexCallRecord& r : records) {
        out << "<g class=\"legend-entry\" data-call=\"" << r.number << "\"><rect x=\"" << kLegendX << "\" y=\""
            << ly - 10 << "\" width=\"14\" height=\"10\" fill=\"" << ColourOf(r.number) << "\"/><text x=\""
            << kLegendX + 20 << "\" y=\"" << ly << "\" font-size=\"11\">" << Escape(Legend(r)) << "</text></g>\n";
        ly += 22;
    }
    out << "</g>\n</svg>\n";
}

}  // namespace korvex::cli
