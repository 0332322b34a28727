// The korvex command-line tool:
//   korvex decode PROTOCOL [options] [HEX...]   frames from arguments or standard input
//   korvex replay PROTOCOL FILE [options]       a hex trace file, streamed
//   korvex pcap FILE [options]                  a pcap or pcapng capture, streamed
//   korvex convert IN OUT [--linktype N]        capture to hex trace file, or back
//   korvex calls FILE [options]                 the calls of a trace, as records
//   korvex stats FILE [options]                 counts and link health of a trace
//   korvex report FILE -o OUT.html [options]    the trace as one HTML page
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace korvex::cli {

// Runs the tool on args (args[0] is the program name) and returns its exit
// status: 0 done, 1 bad input (reported on err, the rest still decoded),
// 2 a usage error. outIsTerminal selects colour for --color=auto.
int RunKorvex(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
              std::ostream& err, bool outIsTerminal);

}  // namespace korvex::cli
