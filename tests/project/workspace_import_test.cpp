// Importing workspaces and project files from a temporary folder: which sources and defines they
// yield, what the log shows, and that broken or hostile files end cleanly.
#include "project/workspace_import.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include <sys/stat.h>
#include <unistd.h>

namespace qm::project {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class WorkspaceImportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_cwd = fs::current_path();
        m_dir = fs::temp_directory_path() / ("qm-import-" + std::to_string(::getpid()) + "-"
                                             + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override
    {
        // No import may move the process to another folder, whether it succeeded or not.
        EXPECT_EQ(fs::current_path(), m_cwd);
        fs::remove_all(m_dir);
    }

    // Writes `lines` joined with CR LF, as these files usually come.
    std::string write(const std::string& name, std::initializer_list<std::string_view> lines)
    {
        std::string text;
        for (auto line : lines) (text += line) += "\r\n";
        return writeBytes(name, text);
    }
    std::string writeBytes(const std::string& name, std::string_view bytes)
    {
        const fs::path path = m_dir / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }
    std::string full(const std::string& name) const { return (m_dir / name).string(); }

    fs::path m_cwd;
    fs::path m_dir;
    frontend::LogSink m_log;
    ImportResult m_result;
};

TEST_F(WorkspaceImportTest, DspSourcesAndDefines)
{
    write("main.cpp", {});
    write("sub dir/two words.C", {});
    fs::create_directory(m_dir / "folder.cpp");
    const std::string dsp = write("app.dsp", {
        "SOURCE=.\\main.cpp", "SOURCE=\".\\sub dir\\two words.C\"", "SOURCE=.\\app.rc", "SOURCE=.\\app.h",
        "SOURCE=.\\other.cc", "SOURCE=.\\gone.cpp", "SOURCE=.\\folder.cpp", "SOURCE=", "SOURCE=\"",
        "SOURCE=\"x.c",  // unclosed quote: the name keeps its last letter
        "SOURCE=.c",
        "# ADD BASE CPP /nologo /D \"WIN32\" /D \"_DEBUG\" /YX",
        "# ADD CPP /nologo /D \"WIN32\" /D \"_DEBUG\" /YX",
        "# ADD RSC /d \"RC_ONLY\"",
        "# ADD CPP /nologo /D \"WIN32\"  /D  \"NDEBUG\" /D \"VER=2\" /D UNQUOTED /D \"\" /D \"",
        "# SUBTRACT CPP /D \"GONE\"", "#ADD CPP /D \"NOSPACE\"",
    });
    ASSERT_TRUE(importDsp(dsp, m_result, m_log));
    EXPECT_THAT(m_result.sourcePaths, ElementsAre(".\\main.cpp", ".\\sub dir\\two words.C", ".\\gone.cpp",
                                                  ".\\folder.cpp", "x.c", ".c"));
    EXPECT_THAT(m_result.resolvedPaths, ElementsAre(full("main.cpp"), full("sub dir/two words.C")));
    EXPECT_THAT(m_result.defines, ElementsAre("NDEBUG", "VER=2", "WIN32", "_DEBUG"));
    // Failures are written as they are met, the opened files as one report after them.
    EXPECT_THAT(m_log.takeLines(),
                ElementsAre(".\\gone.cpp Project File Open Error", ".\\folder.cpp Project File Open Error",
                            "x.c Project File Open Error", ".c Project File Open Error", full("main.cpp"),
                            full("sub dir/two words.C")));
}

TEST_F(WorkspaceImportTest, UnreadableImportFileAddsNothing)
{
    fs::create_directory(m_dir / "dir.dsp");
    for (const std::string& path : {full("missing.dsp"), full("dir.dsp"), std::string(), std::string("a\0b", 3)}) {
        SCOPED_TRACE(path);
        m_result.defines.insert("STALE");
        EXPECT_FALSE(importDsp(path, m_result, m_log));
        EXPECT_FALSE(importDsw(path, m_result, m_log));
        EXPECT_FALSE(importVcproj(path, m_result, m_log));
        EXPECT_THAT(m_result.defines, IsEmpty());
        EXPECT_THAT(m_log.takeLines(), ElementsAre("File Open Error", "File Open Error", "File Open Error"));
    }
}

TEST_F(WorkspaceImportTest, VcprojSourcesAndDefinitions)
{
    write("src/a.cpp", {});
    write("b.c", {});
    // LF line ends this time, and lines of no interest around the attributes.
    const std::string vcproj = writeBytes("x/app.vcproj",
                                          "<?xml version=\"1.0\"?>\n"
                                          "\t\t\tPreprocessorDefinitions=\"WIN32;_DEBUG;_WINDOWS\"\n"
                                          "\t\t\tPreprocessorDefinitions=\";;EXTRA;\" RelativePath=\"ignored.h\"\n"
                                          "\t\t\tPreprocessorDefinitions=\"UNCLOSED;\n"
                                          "\t\t\t\tRelativePath=\"..\\src\\a.cpp\">\n"
                                          "\t\t\t\tRelativePath=\"..\\b.c\"/>\n"
                                          "\t\t\t\tRelativePath=\"..\\app.rc\"/>\n"
                                          "\t\t\t\tRelativePath=\"..\\gone.CPP\"/>\n"
                                          "\t\t\t\tRelativePath=\"..\\unclosed.cpp\n"
                                          "\t\t\t\tRelativePath=\n");
    ASSERT_TRUE(importVcproj(vcproj, m_result, m_log));
    EXPECT_THAT(m_result.defines, ElementsAre("WIN32", "_DEBUG", "_WINDOWS"));
    EXPECT_THAT(m_result.sourcePaths, ElementsAre("..\\src\\a.cpp", "..\\b.c", "..\\gone.CPP"));
    EXPECT_THAT(m_result.resolvedPaths, ElementsAre(full("src/a.cpp"), full("b.c")));
    EXPECT_THAT(m_log.takeLines(),
                ElementsAre("Project File Open Error: ..\\gone.CPP", full("src/a.cpp"), full("b.c")));
}

TEST_F(WorkspaceImportTest, WorkspaceReadsEachProjectAndGoesOnPastMissingOnes)
{
    write("a/one.cpp", {});
    write("b/two.c", {});
    write("a/a.dsp", {"SOURCE=.\\one.cpp", "# ADD CPP /D \"WIN32\" /D \"_DEBUG\""});
    write("b/b.vcproj", {"PreprocessorDefinitions=\"WIN32;_WINDOWS\"", "RelativePath=\"two.c\""});
    const std::string dsw = write("w.dsw", {
        "# a workspace",
        "Project: \"a\"=\".\\a\\a.dsp\"",
        "Project: \"gone\"=\".\\gone.dsp\"",
        "Project: \"b\"=\".\\b\\b.vcproj\"",
        "Project:=\"early.dsp\" x",        // the equals sign stands too early
        "Project: \"c\"=unquoted.dsp x",   // no quoted path
        "Project: \"d\"=\"unclosed.dsp",
        "Project:\"\"",                    // too short to look at
    });
    ASSERT_TRUE(importDsw(dsw, m_result, m_log));
    EXPECT_THAT(m_result.resolvedPaths, ElementsAre(full("a/one.cpp"), full("b/two.c")));
    EXPECT_THAT(m_result.defines, ElementsAre("WIN32", "_DEBUG", "_WINDOWS"));
    EXPECT_THAT(m_log.takeLines(), ElementsAre(".\\a\\a.dsp", full("a/one.cpp"), ".\\gone.dsp", "File Open Error",
                                               ".\\b\\b.vcproj", full("b/two.c")));
}

TEST_F(WorkspaceImportTest, WorkspacesNamingThemselvesOrEachOtherAreReadOnce)
{
    write("one.cpp", {});
    write("a.dsp", {"SOURCE=one.cpp"});
    write("sub/other.dsw", {"Project: \"back\"=\"..\\self.dsw\"",
                            "Project: \"a\"=\"..\\a.dsp\""});
    const std::string dsw = write("self.dsw", {"Project: \"me\"=\".\\self.dsw\"",
                                               "Project: \"o\"=\"sub\\other.dsw\"",
                                               "Project: \"o\"=\"sub\\..\\sub\\other.dsw\"",
                                               "Project: \"l\"=\"link.dsw\""});
    fs::create_symlink(dsw, m_dir / "link.dsw");  // the same file under another name
    ASSERT_TRUE(importDsw(dsw, m_result, m_log));
    EXPECT_THAT(m_result.resolvedPaths, ElementsAre(full("one.cpp")));
    EXPECT_THAT(m_log.takeLines(),
                ElementsAre(".\\self.dsw", ".\\self.dsw : workspace already imported", "sub\\other.dsw",
                            "..\\self.dsw", "..\\self.dsw : workspace already imported", "..\\a.dsp",
                            full("one.cpp"), "sub\\..\\sub\\other.dsw",
                            "sub\\..\\sub\\other.dsw : workspace already imported", "link.dsw",
                            "link.dsw : workspace already imported"));

    // A workspace imported as a project file names no sources.
    ASSERT_TRUE(importDsp(dsw, m_result, m_log));
    EXPECT_THAT(m_result.sourcePaths, IsEmpty());
}

TEST_F(WorkspaceImportTest, LongReportLosesNoPathAcrossChunks)
{
    // 700 names of about 100 characters: more than one 64000-character piece of report.
    std::string dsp;
    std::vector<std::string> expected;
    for (int i = 0; i < 700; ++i) {
        const std::string name = std::string(95, 'x') + std::to_string(i) + ".c";
        write(name, {});
        expected.push_back(full(name));
        dsp += "SOURCE=" + name + "\r\n";
    }
    dsp += "SOURCE=missing.c\r\n";
    ASSERT_TRUE(importDsp(writeBytes("big.dsp", dsp), m_result, m_log));
    EXPECT_EQ(m_result.resolvedPaths, expected);

    const std::vector<std::string> lines = m_log.takeLines();
    ASSERT_EQ(lines.size(), expected.size() + 1);
    // Full pieces went out before the failure was met; the rest follows it.
    std::size_t chars = 0, sent = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        chars += expected[i].size() + 2;
        if (chars > 64000) chars = 0, sent = i + 1;
    }
    ASSERT_GT(sent, 0u);
    EXPECT_EQ(lines[sent], "missing.c Project File Open Error");
    std::vector<std::string> paths = lines;
    paths.erase(paths.begin() + static_cast<std::ptrdiff_t>(sent));
    EXPECT_EQ(paths, expected);
}

TEST_F(WorkspaceImportTest, HostileFilesEndCleanly)
{
    // A name with blanks, quotes and non-ASCII letters, both for the project and for its source.
    const std::string odd = "Größe \"und\" ñame";
    write(odd + ".cpp", {});
    write("a", {});  // what a name cut at its NUL byte would open
    const std::string nul(1, '\0');
    const std::string dsp = write(odd + ".dsp", {"SOURCE=\"" + odd + ".cpp\"", "SOURCE=a" + nul + ".c"});
    ASSERT_TRUE(importDsp(dsp, m_result, m_log));
    EXPECT_THAT(m_result.resolvedPaths, ElementsAre(full(odd + ".cpp")));
    m_log.takeLines();

    // A megabyte-long line of each kind the readers look at, without line ends.
    const std::string mega(1 << 20, 'A');
    const std::string dspLong = writeBytes("long.dsp", "SOURCE=\"" + mega + ".cpp\"\r\n# ADD /D \"" + mega + "\"");
    ASSERT_TRUE(importDsp(dspLong, m_result, m_log));
    EXPECT_EQ(m_result.defines.size(), 1u);
    EXPECT_EQ(m_result.sourcePaths.size(), 1u);
    EXPECT_TRUE(importVcproj(writeBytes("l.vcproj", "RelativePath=\"" + mega + "\nPreprocessorDefinitions=\"" + mega),
                             m_result, m_log));
    EXPECT_TRUE(importDsw(writeBytes("l.dsw", "Project: \"x\"=\"" + mega), m_result, m_log));

    // Random bytes, with the words the readers look for mixed in.
    std::mt19937 random(20240607);
    const std::vector<std::string> words{"SOURCE=", "# ADD", " /D ", "\"", "\r\n", "\n", "Project: ", "=", ".c",
                                         ".CPP\"", "RelativePath=", "PreprocessorDefinitions=", ";", "\\", nul};
    for (int round = 0; round < 40; ++round) {
        std::string bytes;
        for (int i = 0; i < 400; ++i) {
            if (random() % 3 == 0) bytes += words[random() % words.size()];
            else bytes += static_cast<char>(random() % 256);
        }
        EXPECT_TRUE(importDsp(writeBytes("r.dsp", bytes), m_result, m_log));
        EXPECT_TRUE(importVcproj(writeBytes("r.vcproj", bytes), m_result, m_log));
        EXPECT_TRUE(importDsw(writeBytes("r.dsw", bytes), m_result, m_log));
    }
}

}  // namespace
}  // namespace qm::project
