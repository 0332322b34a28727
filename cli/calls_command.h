// korvex calls FILE [--protocol P] [--format table|csv|json] [--svg OUT [--layer2]]
// Every call of a hex trace file or a capture, one record per call, and
// optionally its ladder diagram.
#pragma once

#include "cli/frame_filter.h"

#include <CLI/CLI.hpp>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "korvex/korvex.h"

namespace korvex::cli {

// One arrow of a ladder diagram.
struct LadderStep {
    char timestamp[12];
    int side;          // 0 sent by the user side (DTE), 1 by the network side (DCE)
    int32_t call;      // number of the call its message went to, 0 none
    bool layer2;       // a link-layer frame that carries no call control message
    std::string label;
};

// Writes the records as aligned columns, CSV with a header row, or JSON
// Lines (one object per record).
void WriteCallTable(std::ostream& out, const std::vector<KorvexCallRecord>& records);
void WriteCallCsv(std::ostream& out, const std::vector<KorvexCallRecord>& records);
void WriteCallJson(std::ostream& out, const std::vector<KorvexCallRecord>& records);

// The ladder diagram as an SVG document: two lifelines (user and network
// sides, or DTE and DCE when x25 is set), one arrow per step.
void WriteLadderSvg(std::ostream& out, const std::vector<LadderStep>& steps,
                    const std::vector<KorvexCallRecord>& records, bool x25, const std::string& title);

struct CallsCommand {
    std::string file;
    std::string protocol;  // empty: told by the link type or the first frame
    std::string format = "table";
    std::string svg;
    bool layer2 = false;
    FrameFilter filter;  // only the frames it selects are followed

    CLI::App* AddTo(CLI::App& app);
    int Run(std::istream& in, std::ostream& out, std::ostream& err);
};

}  // namespace korvex::cli
