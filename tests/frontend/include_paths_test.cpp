// Where includes are found: the answers a run remembers are the ones the file system gives.
#include "frontend/include_paths.h"

#include "frontend/tokenize_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace qm::frontend {
namespace {

namespace fs = std::filesystem;

class IncludePathsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = (fs::temp_directory_path() / ("qm-includes-" + std::to_string(::getpid()) + "-" + test->name())).string();
        fs::remove_all(m_dir);
        for (const char* name : {"p/src/b.h", "p/inc/a.h", "p/inc/deep/d.h", "lib/x.h"}) {
            fs::create_directories(fs::path(path(name)).parent_path());
            std::ofstream(path(name)) << "\n";
        }
        fs::create_directory_symlink(path("p/inc"), path("p/linked"));
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string path(const std::string& name) const { return m_dir + "/" + name; }

    std::string m_dir;
};

TEST_F(IncludePathsTest, RememberedAnswersAreTheFileSystemsAndAreForgottenOnClear)
{
    const std::vector<std::string> directories{path("lib")};
    const std::vector<std::pair<std::string, std::string>> asks{
        {path("p/src/x.cpp"), "b.h"},           {path("p/src/x.cpp"), "../inc/a.h"},
        {path("p/src/x.cpp"), "./../inc/a.h"},  {path("p/src/x.cpp"), "../linked/deep/d.h"},
        {path("p/src/x.cpp"), "../none/a.h"},   {path("p/src/x.cpp"), "x.h"},
        {path("p/inc/deep/d.h"), "../a.h"},     {path("p/gone/x.cpp"), "../inc/a.h"},
        {path("p/src/y.cpp"), "../inc/deep/d.h"}, {"x.cpp", "../inc/a.h"},
    };
    FoundIncludes found;
    for (int round = 0; round < 2; ++round) {  // the second round is answered from memory
        for (const auto& [includer, name] : asks) {
            EXPECT_EQ(found.quoted(includer, name, directories), findQuotedInclude(includer, name, directories))
                << includer << " includes " << name;
        }
    }
    EXPECT_EQ(found.quoted(path("p/src/x.cpp"), "../linked/deep/d.h", directories), path("p/inc/deep/d.h"));

    // A folder made after the first answer is seen once the answers are forgotten.
    EXPECT_EQ(found.quoted(path("p/src/x.cpp"), "../none/a.h", directories), path("p/src/../none/a.h"));
    fs::create_directories(path("p/none"));
    EXPECT_EQ(found.quoted(path("p/src/x.cpp"), "../none/a.h", directories), path("p/src/../none/a.h"));
    found.clear();
    EXPECT_EQ(found.quoted(path("p/src/x.cpp"), "../none/a.h", directories), path("p/none/a.h"));
}

TEST_F(IncludePathsTest, AFilesChangeKeyIsTheOneFirstSeenUntilTheAnswersAreForgotten)
{
    FoundIncludes found;
    const auto first = found.stamp(path("lib/x.h"));
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first, statSourceFile(path("lib/x.h")));
    EXPECT_FALSE(found.stamp(path("lib")).has_value());  // a folder is no source file
    EXPECT_FALSE(found.stamp(path("lib/none.h")).has_value());

    std::ofstream(path("lib/x.h")) << "int grown;\n";
    std::ofstream(path("lib/none.h")) << "\n";
    EXPECT_EQ(found.stamp(path("lib/x.h")), first);  // every includer of the run reads one version
    EXPECT_FALSE(found.stamp(path("lib/none.h")).has_value());
    found.clear();
    EXPECT_EQ(found.stamp(path("lib/x.h")), statSourceFile(path("lib/x.h")));
    EXPECT_NE(found.stamp(path("lib/x.h")), first);
    EXPECT_TRUE(found.stamp(path("lib/none.h")).has_value());
}

}  // namespace
}  // namespace qm::frontend
