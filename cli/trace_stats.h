// What korvex stats counts of a trace: its frames by protocol field and the
// health of its links (REJ, RNR, FRMR and DM frames, re-establishments and
// repeated N(S) per TEI or DLCI), and the busiest IP peers; written as a
// table for people or as one JSON object. The report page shows the same
// object.
#pragma once

#include <algorithm>
#include <cstdio>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "cli/frame_json.h"
#include "korvex/korvex.h"

namespace korvex::cli {

namespace stats_detail {

constexpr int kModulus = 128;
constexpr int kBusiestPeers = 10;

enum Field : int32_t {
    kSapi = 0, kTei = 1, kCr = 2, kType = 3, kFrame = 4, kNs = 5, kDlci = 8, kLcn = 9, kPacket = 10,
    kMsg = 11, kCause = 13, kSrc = 18, kDst = 19, kSport = 20, kDport = 21, kIpproto = 22, kEthertype = 23,
};

struct Health {
    int64_t rej = 0, rnr = 0, frmr = 0, dm = 0, reestablished = 0, repeatedNs = 0;
};

// One data link (SAPI and TEI, or DLCI): whether it is up, and the next new
// N(S) of each sender (told by the C/R bit of its I frames).
struct LinkState {
    bool up = false;
    bool establishing = false;
    int next[2] = {-1, -1};
};

using Counts = std::map<std::string, int64_t>;

class TraceStats {
public:
    void Add(const KorvexFrameFields& f) {
        ++selected_;
        const KorvexField* v = f.field;
        if (v[kType].present) Count(types_, v[kType].text);
        if (v[kFrame].present) Count(frames_, v[kFrame].text[0] ? v[kFrame].text : Hex(v[kFrame].number));
        if (v[kSapi].present && v[kTei].present) {
            Count(links_, "SAPI " + std::to_string(v[kSapi].number) + " TEI " + std::to_string(v[kTei].number));
        }
        if (v[kDlci].present) Count(dlcis_, std::to_string(v[kDlci].number));
        if (v[kLcn].present) Count(lcns_, std::to_string(v[kLcn].number));
        if (v[kMsg].present) Count(msgs_, v[kMsg].text[0] ? v[kMsg].text : Hex(v[kMsg].number));
        if (v[kCause].present) Count(causes_, std::to_string(v[kCause].number));
        if (v[kPacket].present) Count(packets_, v[kPacket].text[0] ? v[kPacket].text : Hex(v[kPacket].number));
        if (v[kEthertype].present) Count(ethertypes_, Hex(v[kEthertype].number, 4));
        if (v[kIpproto].present) Count(ipprotos_, std::to_string(v[kIpproto].number));
        if (v[kSport].present) {
            Count(ports_, std::to_string(v[kSport].number));
            if (v[kDport].number != v[kSport].number) Count(ports_, std::to_string(v[kDport].number));
        }
        if (v[kSrc].present) Count(peers_, v[kSrc].text);
        if (v[kDst].present) Count(peers_, v[kDst].text);
        if (v[kFrame].present) TrackHealth(f);
    }

    void SetFrames(int64_t frames) { total_ = frames; }

    void WriteTable(std::ostream& out) const {
        out << "Frames: " << total_ << ", selected: " << selected_ << "\n";
        Table(out, "Frame types", types_);
        Table(out, "Frames by name", frames_);
        Table(out, "Frames by SAPI and TEI", links_);
        Table(out, "Frames by DLCI", dlcis_);
        Table(out, "Q.931 messages", msgs_);
        Table(out, "Cause values", causes_);
        Table(out, "X.25 packet types", packets_);
        Table(out, "Logical channels", lcns_);
        Table(out, "EtherTypes", ethertypes_);
        Table(out, "IP protocols", ipprotos_);
        Table(out, "Ports", ports_);
        if (!health_.empty()) {
            out << "\nLink health\n";
            char line[160];
            std::snprintf(line, sizeof line, "  %-10s %8s %8s %8s %8s %14s %14s\n", "link", "REJ", "RNR", "FRMR",
                          "DM", "re-establish", "repeated N(S)");
            out << line;
            for (const auto& [link, h] : health_) {
                std::snprintf(line, sizeof line, "  %-10s %8lld %8lld %8lld %8lld %14lld %14lld\n", link.c_str(),
                              static_cast<long long>(h.rej), static_cast<long long>(h.rnr),
                              static_cast<long long>(h.frmr), static_cast<long long>(h.dm),
                              static_cast<long long>(h.reestablished), static_cast<long long>(h.repeatedNs));
                out << line;
            }
        }
        if (!peers_.empty()) {
            out << "\nBusiest IP peers\n";
            for (const auto& [address, n] : Busiest()) out << "  " << address << "  " << n << "\n";
        }
    }

    void WriteJson(std::ostream& out) const {
        out << "{\"frames\":" << total_ << ",\"selected\":" << selected_;
        JsonCounts(out, "type", types_);
        JsonCounts(out, "frame", frames_);
        JsonCounts(out, "sapi_tei", links_);
        JsonCounts(out, "dlci", dlcis_);
        JsonCounts(out, "msg", msgs_);
        JsonCounts(out, "cause", causes_);
        JsonCounts(out, "packet", packets_);
        JsonCounts(out, "lcn", lcns_);
        JsonCounts(out, "ethertype", ethertypes_);
        JsonCounts(out, "ipproto", ipprotos_);
        JsonCounts(out, "port", ports_);
        out << ",\"links\":{";
        bool first = true;
        for (const auto& [link, h] : health_) {
            if (!first) out << ',';
            first = false;
            WriteJsonString(out, link);
            out << ":{\"REJ\":" << h.rej << ",\"RNR\":" << h.rnr << ",\"FRMR\":" << h.frmr << ",\"DM\":" << h.dm
                << ",\"reestablished\":" << h.reestablished << ",\"repeated_ns\":" << h.repeatedNs << '}';
        }
        out << "},\"peers\":[";
        first = true;
        for (const auto& [address, n] : Busiest()) {
            if (!first) out << ',';
            first = false;
            out << "{\"address\":";
            WriteJsonString(out, address);
            out << ",\"frames\":" << n << '}';
        }
        out << "]}\n";
    }

private:
    static void Count(Counts& counts, const std::string& key) { ++counts[key]; }

    static std::string Hex(int64_t value, int digits = 2) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%0*llx", digits, static_cast<long long>(value));
        return text;
    }

    void TrackHealth(const KorvexFrameFields& f) {
        const KorvexField* v = f.field;
        const bool lapf = v[kDlci].present != 0;
        const std::string link = lapf ? "DLCI " + std::to_string(v[kDlci].number) : "TEI " + std::to_string(v[kTei].number);
        const std::string key = lapf ? link : std::to_string(v[kSapi].number) + "/" + link;
        Health& h = health_[link];
        LinkState& state = state_[key];
        const std::string name = v[kFrame].text;
        if (name == "REJ") ++h.rej;
        if (name == "RNR") ++h.rnr;
        if (name == "FRMR") ++h.frmr;
        if (name == "DM") ++h.dm;
        if (name == "SABME") {
            if (state.up) ++h.reestablished;
            state.up = false;
            state.establishing = true;
            state.next[0] = state.next[1] = -1;
        } else if (name == "UA") {
            if (state.establishing) state.up = true;
            state.establishing = false;
        } else if (name == "DISC" || name == "DM") {
            state.up = false;
            state.establishing = false;
        } else if (name == "I" && v[kNs].present) {
            state.up = true;
            int& next = state.next[v[kCr].number != 0 ? 1 : 0];
            const int ns = static_cast<int>(v[kNs].number);
            const int behind = next < 0 ? 0 : (next - ns + kModulus) % kModulus;
            if (behind >= 1 && behind <= kModulus / 2) {
                ++h.repeatedNs;
            } else {
                next = (ns + 1) % kModulus;
            }
        }
    }

    std::vector<std::pair<std::string, int64_t>> Busiest() const {
        std::vector<std::pair<std::string, int64_t>> peers(peers_.begin(), peers_.end());
        std::stable_sort(peers.begin(), peers.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
        if (peers.size() > kBusiestPeers) peers.resize(kBusiestPeers);
        return peers;
    }

    static void Table(std::ostream& out, const char* title, const Counts& counts) {
        if (counts.empty()) return;
        out << "\n" << title << "\n";
        std::vector<std::pair<std::string, int64_t>> rows(counts.begin(), counts.end());
        std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
        for (const auto& [key, n] : rows) {
            char line[96];
            std::snprintf(line, sizeof line, "  %-20s %10lld\n", key.c_str(), static_cast<long long>(n));
            out << line;
        }
    }

    static void JsonCounts(std::ostream& out, const char* name, const Counts& counts) {
        out << ",\"" << name << "\":{";
        bool first = true;
        for (const auto& [key, n] : counts) {
            if (!first) out << ',';
            first = false;
            WriteJsonString(out, key);
            out << ':' << n;
        }
        out << '}';
    }

    int64_t total_ = 0, selected_ = 0;
    Counts types_, frames_, links_, dlcis_, lcns_, msgs_, causes_, packets_, ethertypes_, ipprotos_, ports_, peers_;
    std::map<std::string, Health> health_;
    std::map<std::string, LinkState> state_;
};

}  // namespace stats_detail

using stats_detail::TraceStats;

}  // namespace korvex::cli
