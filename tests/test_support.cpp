#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "cli/commands.h"

namespace korvex::test {

std::vector<unsigned char> Octets(const std::string& hex) {
    std::vector<unsigned char> octets;
    std::string digits;
    for (char c : hex) {
        if (c != ' ') digits += c;
    }
    if (digits.size() % 2 != 0) throw std::invalid_argument("odd hex: " + hex);
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        octets.push_back(static_cast<unsigned char>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    }
    return octets;
}

std::string DecodeOctets(Entry entry, uint32_t flags, const std::vector<unsigned char>& octets,
                         const char* timestamp) {
    // The frame lives in a block of exactly its size, so that a read past its
    // end is caught by the address sanitizer.
    std::unique_ptr<unsigned char[]> frame(new unsigned char[octets.size() + (octets.empty() ? 1 : 0)]);
    if (!octets.empty()) std::memcpy(frame.get(), octets.data(), octets.size());
    std::vector<char> out(1 << 16, '\x7f');
    DecodeRequest request{flags, timestamp, frame.get(), out.data(),
                          static_cast<int32_t>(octets.size()), static_cast<int32_t>(out.size())};
    int32_t n = entry(request);
    if (n < 0 || n >= static_cast<int32_t>(out.size()) || out[static_cast<std::size_t>(n)] != '\0') {
        throw std::runtime_error("decoder did not end its text with a NUL at its count");
    }
    return std::string(out.data(), static_cast<std::size_t>(n));
}

std::string DecodeHex(Entry entry, uint32_t flags, const std::string& hex, const char* timestamp) {
    return DecodeOctets(entry, flags, Octets(hex), timestamp);
}

void ExpectGolden(Entry entry, const char* timestamp, const std::vector<Golden>& cases,
                  void (*beforeEach)()) {
    for (const Golden& c : cases) {
        if (beforeEach != nullptr) beforeEach();
        EXPECT_EQ(DecodeHex(entry, c.flags, c.frame, timestamp), timestamp + c.text) << c.name;
    }
}

ToolOutcome RunTool(std::vector<std::string> args, const std::string& input, bool terminal) {
    args.insert(args.begin(), "korvex");
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = cli::RunKorvex(args, in, out, err, terminal);
    return {status, out.str(), err.str()};
}

}  // namespace korvex::test
