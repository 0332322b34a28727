// The capture commands of the korvex tool:
//   korvex pcap FILE [options]     decode a pcap or pcapng capture, streamed
//   korvex convert IN OUT          capture to hex trace file, or back
#pragma once

#include <CLI/CLI.hpp>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/frame_filter.h"
#include "cli/options.h"

namespace korvex::cli {

struct PcapCommand {
    std::string file;
    std::string protocol;  // empty: chosen by the link type
    bool ip = false;
    bool noFcsFill = false;
    FlagOptions flags;
    ColourOption colour;
    FrameFilter filter;
    bool direction = false;
    bool json = false;
    std::string bpf;

    CLI::App* AddTo(CLI::App& app, const std::vector<std::string>& protocols);
    int Run(std::istream& in, std::ostream& out, std::ostream& err, bool outIsTerminal);
};

struct ConvertCommand {
    std::string input;
    std::string output;
    std::optional<int> linkType;
    bool noFcsFill = false;

    CLI::App* AddTo(CLI::App& app);
    int Run(std::istream& in, std::ostream& out, std::ostream& err) const;

private:
    int CaptureToTrace(Input& source, std::ostream& out, std::ostream& err) const;
    int TraceToCapture(Input& source, std::ostream& out, std::ostream& err) const;
};

}  // namespace korvex::cli
