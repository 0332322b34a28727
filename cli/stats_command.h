// korvex stats FILE: what a trace holds, counted by protocol field, and the
// health of its links: REJ, RNR, FRMR and DM frames, re-establishments (a
// SABME once the link was up) and repeated N(S) (an I frame sent again), per
// TEI or DLCI; the busiest IP peers. A table for people, --json for programs.
#pragma once

#include <CLI/CLI.hpp>
#include <istream>
#include <ostream>
#include <string>

#include "cli/frame_filter.h"

namespace korvex::cli {

struct StatsCommand {
    std::string file;
    std::string protocol;  // empty: told by the link type or the first frame
    bool json = false;
    FrameFilter filter;

    CLI::App* AddTo(CLI::App& app, const std::vector<std::string>& protocols);
    int Run(std::istream& in, std::ostream& out, std::ostream& err);
};

}  // namespace korvex::cli
