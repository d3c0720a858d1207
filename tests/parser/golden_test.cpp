// Golden folders: data/<case>/input.cpp is parsed and its tree, described as compact text, must
// equal data/<case>/expected.txt. QM_UPDATE_GOLDEN=1 rewrites the expected files for review; a
// folder without an expected file only has to parse; a `known-bug` marker makes a difference a
// skip instead of a failure.
#include "parser_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace qm::parser::testing {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

std::vector<std::string> caseNames()
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(QM_TEST_DATA_DIR)) {
        if (entry.is_directory() && fs::exists(entry.path() / "input.cpp")) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

class GoldenTree : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenTree, MatchesExpected)
{
    const fs::path folder = fs::path(QM_TEST_DATA_DIR) / GetParam();
    ParsedText parsed;
    parseText(parsed, readFile(folder / "input.cpp"), GetParam() + "/input.cpp");
    const std::string actual = describeTree(parsed);

    const fs::path expectedPath = folder / "expected.txt";
    const char* update = std::getenv("QM_UPDATE_GOLDEN");
    if (update != nullptr && std::string_view(update) == "1") {
        std::ofstream(expectedPath, std::ios::binary) << actual;
        return;
    }
    if (!fs::exists(expectedPath)) {
        return;
    }
    const std::string expected = readFile(expectedPath);
    if (fs::exists(folder / "known-bug") && actual != expected) {
        GTEST_SKIP() << "known bug: " << GetParam();
    }
    EXPECT_EQ(expected, actual);
}

INSTANTIATE_TEST_SUITE_P(Parser, GoldenTree, ::testing::ValuesIn(caseNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
}  // namespace qm::parser::testing
