#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    static char outBuffer[1 << 20];
    std::cout.rdbuf()->pubsetbuf(outBuffer, sizeof outBuffer);
    std::vector<std::string> args(argv, argv + argc);
    const int status = korvex::cli::RunKorvex(args, std::cin, std::cout, std::cerr, isatty(1) == 1);
    std::cout.flush();
    return status;
}
