#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/output_buffer.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    // Standard output through one large buffer that the decoders write into.
    static korvex::cli::OutputBuffer outBuffer(1);
    std::streambuf* const standardOutput = std::cout.rdbuf(&outBuffer);
    std::vector<std::string> args(argv, argv + argc);
    const int status = korvex::cli::RunKorvex(args, std::cin, std::cout, std::cerr, isatty(1) == 1);
    std::cout.flush();
    std::cout.rdbuf(standardOutput);
    return status;
}
