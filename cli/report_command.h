// korvex report FILE [--protocol P] [--where EXPR] -o OUT.html
// A trace as one self-contained HTML page: the file's facts and the health
// of its links, its calls with their ladder diagrams, and every frame with
// its summary line, its detail and its hex trace a click away.
#pragma once

#include <CLI/CLI.hpp>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/frame_filter.h"

namespace korvex::cli {

// The page's templates, read from cli/report/ when the tool is built.
struct ReportTemplates {
    std::string_view html;
    std::string_view css;
    std::string_view js;
};
ReportTemplates ReportPageTemplates();

struct ReportCommand {
    std::string file;
    std::string protocol;  // empty: told by the link type or the first frame
    std::string output;
    FrameFilter filter;

    CLI::App* AddTo(CLI::App& app, const std::vector<std::string>& protocols);
    // out takes the page when the output is "-".
    int Run(std::istream& in, std::ostream& out, std::ostream& err);
};

}  // namespace korvex::cli
