// The library's protocol table: every row holds what a protocol needs (a
// sample trace, example frames, test files, names no other row takes), and
// everything that reads the table (the tool's names, its capture routing,
// the sample replay, the build's list of fuzz harnesses) serves each row.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <initializer_list>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <utility>
#include <string>
#include <utility>
#include <vector>

#include "capture_files.h"
#include "decoders/protocols.h"
#include "korvex/korvex.h"
#include "test_support.h"

namespace korvex {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Split(const std::string& list) {
    std::vector<std::string> items;
    std::istringstream in(list);
    for (std::string item; std::getline(in, item, ',');) items.push_back(item);
    return items;
}

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Frames of a hex trace file by its layout alone: each group of lines that
// an empty line ends is one frame.
int FramesInTrace(const std::string& text) {
    int frames = 0;
    bool inGroup = false;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.empty()) {
            frames += inGroup ? 1 : 0;
            inGroup = false;
        } else {
            inGroup = true;
        }
    }
    return frames;
}

bool WellFormedHex(const char* hex) {
    int digits = 0;
    for (const char* c = hex; *c != '\0'; ++c) {
        if (std::isxdigit(static_cast<unsigned char>(*c))) {
            ++digits;
        } else if (*c != ' ') {
            return false;
        }
    }
    return digits > 0 && digits % 2 == 0;
}

// What a row lacks, one text a fault; none for a complete row. Samples are
// looked for in samplesDir, test files in testsDir and among the sources
// the test program is built from.
std::vector<std::string> RowProblems(const Protocol& p, const fs::path& samplesDir, const fs::path& testsDir,
                                     const std::vector<std::string>& testSources) {
    std::vector<std::string> problems;
    const std::string name = p.name != nullptr ? p.name : "";
    if (name.empty()) problems.push_back("no name");
    if (p.decoder == nullptr) problems.push_back(name + ": no decoder");
    if (p.label == nullptr || *p.label == '\0') problems.push_back(name + ": no label");
    if ((p.flags & ~(DECODE_LAYER3 | DECODE_EMBEDDED)) != 0) {
        problems.push_back(name + ": flags beyond layer 3 and embedded");
    }

    if (p.sample == nullptr) {
        problems.push_back(name + ": no sample trace");
    } else if (!fs::is_regular_file(samplesDir / p.sample)) {
        problems.push_back(name + ": sample " + p.sample + " is not in samples/");
    } else if (FramesInTrace(Slurp(samplesDir / p.sample)) == 0) {
        problems.push_back(name + ": sample " + p.sample + " holds no frame");
    }

    for (const char* extended : p.extendedSamples) {
        if (extended == nullptr || !fs::is_regular_file(samplesDir / extended)) {
            problems.push_back(name + ": extended sample " + (extended != nullptr ? extended : "(null)") +
                               " is not in samples/");
        } else if (FramesInTrace(Slurp(samplesDir / extended)) == 0) {
            problems.push_back(name + ": extended sample " + extended + " holds no frame");
        }
    }

    if (p.examples.size() == 0) problems.push_back(name + ": no example frames");
    for (const ExampleFrame& example : p.examples) {
        if (example.hex == nullptr || !WellFormedHex(example.hex)) {
            problems.push_back(name + ": example '" + (example.what != nullptr ? example.what : "") +
                               "' is not hex digit pairs");
        }
    }

    if (p.tests.size() == 0) problems.push_back(name + ": no test file");
    for (const char* test : p.tests) {
        if (!fs::is_regular_file(testsDir / test)) {
            problems.push_back(name + ": test file " + test + " is not in tests/");
        } else if (std::find(testSources.begin(), testSources.end(), test) == testSources.end()) {
            problems.push_back(name + ": test file " + test + " is not built into the tests");
        }
    }
    return problems;
}

const fs::path kSamples = KORVEX_SAMPLES_DIR;
const fs::path kTests = KORVEX_TESTS_DIR;
const std::vector<std::string> kTestSources = Split(KORVEX_TEST_SOURCES);

TEST(ProtocolTable, EveryRowHasItsSampleExamplesAndTests) {
    for (const Protocol& p : Protocols()) {
        EXPECT_EQ(RowProblems(p, kSamples, kTests, kTestSources), std::vector<std::string>{}) << p.name;
    }
}

// The check above finds what a row lacks: each of these rows is the LAPD row
// with one piece missing or wrong.
constexpr std::initializer_list<const char*> kMissingTest = {"sna_test.cpp"};
constexpr std::initializer_list<const char*> kUnbuiltTest = {"CMakeLists.txt"};
constexpr std::initializer_list<ExampleFrame> kBadExample = {{"odd digits", "02 8"}};
constexpr std::initializer_list<ExampleFrame> kNoExamples;
constexpr std::initializer_list<const char*> kNoTests;
constexpr std::initializer_list<const char*> kMissingExtendedSample = {"sna-extended.txt"};

TEST(ProtocolTable, ARowThatLacksAPieceIsFound) {
    const Protocol& lapd = *ProtocolNamed("lapd");
    const struct {
        void (*spoil)(Protocol& row);
        std::string problem;
    } cases[] = {
        {[](Protocol& row) { row.sample = nullptr; }, "lapd: no sample trace"},
        {[](Protocol& row) { row.sample = "sna.txt"; }, "lapd: sample sna.txt is not in samples/"},
        {[](Protocol& row) { row.extendedSamples = kMissingExtendedSample; },
         "lapd: extended sample sna-extended.txt is not in samples/"},
        {[](Protocol& row) { row.examples = kNoExamples; }, "lapd: no example frames"},
        {[](Protocol& row) { row.examples = kBadExample; }, "lapd: example 'odd digits' is not hex digit pairs"},
        {[](Protocol& row) { row.tests = kNoTests; }, "lapd: no test file"},
        {[](Protocol& row) { row.tests = kMissingTest; }, "lapd: test file sna_test.cpp is not in tests/"},
        {[](Protocol& row) { row.tests = kUnbuiltTest; },
         "lapd: test file CMakeLists.txt is not built into the tests"},
        {[](Protocol& row) { row.label = ""; }, "lapd: no label"},
    };
    for (const auto& c : cases) {
        Protocol row = lapd;
        c.spoil(row);
        EXPECT_EQ(RowProblems(row, kSamples, kTests, kTestSources), std::vector<std::string>{c.problem});
    }
    // A sample trace without a frame in it.
    const fs::path dir = fs::temp_directory_path() / ("korvex-table-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "lapd.txt") << "no frames here\n";
    std::ofstream(dir / "lapd_bus.txt") << "nor here\n";
    EXPECT_EQ(RowProblems(lapd, dir, kTests, kTestSources),
              (std::vector<std::string>{"lapd: sample lapd.txt holds no frame",
                                        "lapd: extended sample lapd_bus.txt holds no frame"}));
    fs::remove_all(dir);
}

TEST(ProtocolTable, NamesAliasesAndLinkTypesBelongToOneRowEach) {
    std::set<std::string> names;
    std::set<int> linkTypes;
    for (const Protocol& p : Protocols()) {
        std::vector<std::string> own = {p.name};
        own.insert(own.end(), p.aliases.begin(), p.aliases.end());
        for (std::string name : own) {
            std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
            EXPECT_TRUE(names.insert(name).second) << name << " names two protocols";
        }
        for (const LinkType& link : p.linkTypes) {
            EXPECT_TRUE(linkTypes.insert(link.number).second) << "link type " << link.number << " in two rows";
        }
    }
}

// The build makes one fuzz harness per row from its own reading of the
// table's source (cmake/protocols.cmake).
TEST(ProtocolTable, TheBuildReadsTheTable) { EXPECT_EQ(Split(KORVEX_TABLE_PROTOCOLS), ProtocolNames()); }

// Every name of every row, in any case, reaches the row's decoder through the
// C lookup and the tool.
TEST(ProtocolTable, EveryNameReachesItsDecoder) {
    for (int32_t i = 0; i < static_cast<int32_t>(Protocols().size()); ++i) {
        const Protocol& p = Protocols()[static_cast<std::size_t>(i)];
        EXPECT_STREQ(KorvexProtocolName(i), p.name);
        ASSERT_GT(p.examples.size(), 0u) << p.name;
        const std::string frame = p.examples.begin()->hex;
        const std::string expected = test::DecodeHex(p.decoder, DECODE_DETAIL, frame, "00:00.000");
        std::vector<std::string> names = {p.name};
        names.insert(names.end(), p.aliases.begin(), p.aliases.end());
        for (std::string name : std::vector<std::string>(names)) {
            std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
            names.push_back(name);
        }
        for (const std::string& name : names) {
            EXPECT_EQ(KorvexFindDecoder(name.c_str()), p.decoder) << name;
            const test::ToolOutcome r = test::RunTool({"decode", name, "--detail", frame});
            EXPECT_EQ(r.status, 0) << name << ": " << r.err;
            EXPECT_EQ(r.out, expected) << name;
        }
    }
    EXPECT_EQ(KorvexProtocolName(static_cast<int32_t>(Protocols().size())), nullptr);
}

// A capture of each link type a row lists is decoded by the row's decoder:
// the pseudo-header taken off, the FCS a capture leaves off put back, so
// that the text is the example frame's own.
TEST(ProtocolTable, EveryLinkTypeRoutesToItsProtocol) {
    int routed = 0;
    for (const Protocol& p : Protocols()) {
        for (const LinkType& link : p.linkTypes) {
            for (const ExampleFrame& example : p.examples) {
                const std::vector<unsigned char> octets = ExampleOctets(example);
                std::vector<unsigned char> record(static_cast<std::size_t>(link.pseudoHeader), 0);
                record.insert(record.end(), octets.begin(), octets.end() - (link.withoutFcs ? 2 : 0));
                // libpcap writes raw IP (101 in the file) under its own number, 12.
                const int dlt = link.number == 101 ? 12 : link.number;
                const test::ToolOutcome r =
                    test::RunTool({"pcap", "-", "--detail"}, test::PcapBytes(dlt, {{0, 0, record}}));
                EXPECT_EQ(r.status, 0) << link.number << ": " << r.err;
                EXPECT_EQ(r.out, test::DecodeOctets(p.decoder, DECODE_DETAIL, octets, "00:00.000"))
                    << "link type " << link.number << ", " << example.what;
                ++routed;
            }
        }
    }
    EXPECT_GT(routed, 0);
}

// Each row's sample traces through the tool, with and without the detail
// block and hex trace (the extended samples with --extended): every frame
// of the file comes out.
TEST(ProtocolTable, EverySampleReplaysWhole) {
    std::vector<std::pair<const Protocol*, const char*>> samples;
    for (const Protocol& p : Protocols()) {
        samples.emplace_back(&p, p.sample);
        for (const char* extended : p.extendedSamples) samples.emplace_back(&p, extended);
    }
    for (const auto& [row, name] : samples) {
        const Protocol& p = *row;
        const fs::path sample = kSamples / name;
        const int frames = FramesInTrace(Slurp(sample));
        const bool extended = name != p.sample;
        for (const std::vector<std::string>& options :
             {std::vector<std::string>{}, std::vector<std::string>{"--detail", "--hex"}}) {
            std::vector<std::string> args = {"replay", p.name, sample.string(), "--color=never"};
            args.insert(args.end(), options.begin(), options.end());
            if (extended) args.push_back("--extended");
            const test::ToolOutcome r = test::RunTool(args);
            EXPECT_EQ(r.status, 0) << name << ": " << r.err;
            EXPECT_EQ(r.err, "") << name;
            int stamps = 0;
            std::istringstream out(r.out);
            for (std::string line; std::getline(out, line);) {
                const bool stamped = line.size() > 9 && std::isdigit(static_cast<unsigned char>(line[0])) &&
                                     line[2] == ':' && line[5] == '.' && line[9] == ' ';
                stamps += stamped ? 1 : 0;
            }
            EXPECT_EQ(stamps, frames) << name << (options.empty() ? "" : " --detail --hex");
        }
    }
}

// The traces of the extended text as scripts/replay-samples.sh shows them:
// every frame comes out, and its detail block holds more than the classic
// one for some frames.
TEST(ProtocolTable, EveryExtendedSampleReplaysWithMoreText) {
    int samples = 0;
    for (const Protocol& p : Protocols()) {
        for (const char* name : p.extendedSamples) {
            const fs::path sample = kSamples / name;
            const std::vector<std::string> classic = {"replay", p.name, sample.string(), "--color=never",
                                                      "--detail", "--layer3"};
            std::vector<std::string> extended = classic;
            extended.push_back("--extended");
            const test::ToolOutcome before = test::RunTool(classic);
            const test::ToolOutcome after = test::RunTool(extended);
            EXPECT_EQ(after.status, 0) << name << ": " << after.err;
            EXPECT_EQ(after.err, "") << name;
            EXPECT_GT(std::count(after.out.begin(), after.out.end(), '\n'),
                      std::count(before.out.begin(), before.out.end(), '\n'))
                << name;
            // One empty line after each frame's block, with and without.
            const auto frameEnds = [](const std::string& text) {
                int n = 0;
                for (auto at = text.find("\n\n"); at != std::string::npos; at = text.find("\n\n", at + 2)) ++n;
                return n;
            };
            EXPECT_EQ(frameEnds(after.out), FramesInTrace(Slurp(sample))) << name;
            EXPECT_EQ(frameEnds(before.out), FramesInTrace(Slurp(sample))) << name;
            ++samples;
        }
    }
    EXPECT_GT(samples, 0);
}

}  // namespace
}  // namespace korvex
