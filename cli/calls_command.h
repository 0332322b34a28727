// korvex calls FILE [--protocol P] [--format table|csv|json] [--svg OUT [--layer2]]
// Every call of a hex trace file or a capture, one record per call, and
// optionally its ladder diagram.
#pragma once

#include "cli/frame_filter.h"
#include "replay/trace_reader.h"

#include <CLI/CLI.hpp>
#include <istream>
#include <map>
#include <memory>
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

// The KORVEX_CALLS_ number of a protocol name ("lapd", "lapf", "q931",
// "x25"), 0 for a protocol that carries no calls korvex follows.
int32_t CallsInputOf(const std::string& protocol);

struct CallTrackerCloser {
    void operator()(KorvexCallTracker* t) const { KorvexCallsClose(t); }
};

// Follows the calls of a trace, frame by frame: the call records, the steps
// of their ladder diagram, and the numbers of the frames whose messages went
// to each call.
class CallFollower {
public:
    // input is a KORVEX_CALLS_ number; ladder keeps the ladder's steps,
    // layer2 the link-layer frames among them. False when out of memory.
    bool Open(int32_t input, bool ladder, bool layer2);

    // Hands a frame (number: its number in the trace) to the tracker;
    // returns the number of the call its message went to, 0 none.
    int32_t Frame(const TraceFrame& frame, int64_t number);
    // Ends the calls still open, and puts the records in call order.
    void Finish();

    const std::vector<KorvexCallRecord>& Records() const { return records_; }
    const std::vector<LadderStep>& Steps() const { return steps_; }
    // The frames of a call, by call number.
    const std::map<int32_t, std::vector<int64_t>>& CallFrames() const { return callFrames_; }
    // The ladder's sides are a DTE and a DCE rather than user and network.
    bool X25() const { return input_ == KORVEX_CALLS_LAPF || input_ == KORVEX_CALLS_X25; }

private:
    void Take();

    int32_t input_ = 0;
    bool ladder_ = false;
    bool layer2_ = false;
    std::unique_ptr<KorvexCallTracker, CallTrackerCloser> tracker_;
    std::vector<KorvexCallRecord> records_;
    std::vector<LadderStep> steps_;
    std::map<int32_t, std::vector<int64_t>> callFrames_;
};

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
