// Counting the C and C++ files that inputs name, as far as a limit.
#include "project/source_count.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace qm::project {
namespace {

namespace fs = std::filesystem;

TEST(SourceCount, CountsFilesAndFoldersUpToTheLimit)
{
    const fs::path dir = fs::temp_directory_path() / ("qm-count-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "src/deep");
    for (const char* name : {"src/a.cpp", "src/b.h", "src/deep/c.hpp", "src/deep/d.c", "src/notes.txt", "one.cc", "p.qmp"}) {
        std::ofstream(dir / name) << "\n";
    }
    fs::create_directory_symlink(dir / "src", dir / "src/deep/back");  // a loop, not followed
    const auto count = [&](std::vector<std::string> inputs, std::size_t limit) {
        for (std::string& input : inputs) input = (dir / input).string();
        return countSourceFiles(inputs, limit);
    };
    EXPECT_EQ(count({"src"}, 100), 4u);
    EXPECT_EQ(count({"src", "one.cc", "missing.cpp", "--jobs"}, 100), 5u);
    EXPECT_EQ(count({"src"}, 3), 3u);       // stops at the limit
    EXPECT_EQ(count({"p.qmp"}, 100), 100u);  // what a project names is not read: counted as many
    EXPECT_EQ(count({"src/notes.txt"}, 100), 0u);
    EXPECT_EQ(countSourceFiles({}, 100), 0u);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace qm::project
