// The `project` command, and project and workspace files as inputs of `analyze`.
#include "cli_runner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>

namespace qm::cli {
namespace {

using testing::runCli;
using nlohmann::json;
namespace fs = std::filesystem;

class ProjectCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string write(const std::string& name, std::string_view bytes)
    {
        const fs::path file = m_dir / name;
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file.string();
    }
    std::string path(const std::string& name) const { return (m_dir / name).string(); }
    static std::string read(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    // The names (identifier tokens) left in each unit after preprocessing, per unit in order.
    static std::vector<std::string> unitNames(const std::string& out)
    {
        std::vector<std::string> names;
        const json doc = json::parse(out);
        for (const json& unit : doc.at("units")) {
            std::string text;
            for (const json& token : unit.at("tokens")) {
                if (token.at("code") == 265) text += (text.empty() ? "" : " ") + token.at("text").get<std::string>();
            }
            names.push_back(text);
        }
        return names;
    }

    fs::path m_dir = fs::absolute(fs::temp_directory_path() / ("qm-cli-project-" + std::to_string(::getpid())));
};

TEST_F(ProjectCommandTest, OpensAddsInOrderSavesAndPrints)
{
    const std::string qmp = write("in.qmp", "Quill Marsh Project File\r\nV0.6\r\n<Define>\r\n1\r\nOLD\r\n-3\r\n</Define>\r\n"
                                            "<File>\r\nsrc/z.cpp\r\n</File>\r\n");
    write("src/z.cpp", "");
    write("d1/one.dsp", "# ADD CPP /D \"FIRST\"\r\n");
    write("d2/two.dsp", "# ADD CPP /D \"SECOND\"\r\n");
    write("d2/a.c", "");
    write("d2/deep/b.cc", "");
    write("d3/three.dsp", "# ADD CPP /D \"A_THIRD\"\r\n");
    const std::string header = write("x.h", "");
    const std::string notes = write("notes.txt", "");
    const std::string out = path("out.qmp");

    const auto r = runCli({"project", "--open", qmp, "--add", path("d1/one.dsp"), "--add-folder", path("d2"), "--add",
                           header, "--add", notes, "--add", path("d3/three.dsp"), "--save", out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json expected = {
        {"files",
         {{{"path", path("d2/a.c")}, {"selected", true}},
          {{"path", path("src/z.cpp")}, {"selected", true}},
          {{"path", header}, {"selected", true}}}},
        {"defines",
         {{{"name", "OLD"}, {"value", -3}}, {{"name", "FIRST"}, {"value", 0}}, {{"name", "SECOND"}, {"value", 0}},
          {{"name", "A_THIRD"}, {"value", 0}}}}};
    EXPECT_EQ(json::parse(r.out), expected);
    EXPECT_EQ(r.err.rfind("Project open success - 1 file(s) in project.\n", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(notes + ": skipped (not a C or C++ source file)\n"), std::string::npos);
    EXPECT_TRUE(r.err.ends_with("Project Saved.\n")) << r.err;
    EXPECT_EQ(read(out), "Quill Marsh Project File\r\nV0.6\r\n<Option>\r\n</Option>\r\n<Define>\r\n4\r\n"
                         "OLD\r\n-3\r\nFIRST\r\n0\r\nSECOND\r\n0\r\nA_THIRD\r\n0\r\n</Define>\r\n<File>\r\n" +
                             path("d2/a.c") + "\r\n" + path("src/z.cpp") + "\r\n" + header + "\r\n</File>\r\n");

    const auto again = runCli({"project", "--add-folder", path("d2"), "--recurse"});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(json::parse(again.out)["files"].size(), 2u);  // d2/a.c and d2/deep/b.cc
}

TEST_F(ProjectCommandTest, FailuresAndTheirExitStatus)
{
    // A project file that cannot be read: its message, no document.
    auto r = runCli({"project", "--open", path("missing.qmp")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Project File Open Error.\n");
    EXPECT_EQ(r.out, "");

    r = runCli({"project", "--open", write("p.txt", "<File>\n/a.cpp\n</File>\n")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");

    // A broken project file still opens.
    r = runCli({"project", "--open", write("cut.qmp", "<File>\n/p/a.cpp\n")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "Project File Opened but Broken.\nProject open success - 1 file(s) in project.\n");

    // A missing addition stops everything before the save.
    const std::string out = path("out.qmp");
    r = runCli({"project", "--add", write("a.cpp", ""), "--add", path("gone.cpp"), "--save", out});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, path("gone.cpp") + ": no such file or directory\n");
    EXPECT_FALSE(fs::exists(out));

    r = runCli({"project", "--add", path("a.cpp"), "--save", path("no/folder/out.qmp")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, path("no/folder/out.qmp") + " : cannot write file\n");
    EXPECT_EQ(r.out, "");

    EXPECT_EQ(runCli({"project", "--recurse"}).exitCode, 2);
    EXPECT_EQ(runCli({"project", "--add"}).exitCode, 2);
    EXPECT_EQ(runCli({"project", "--add", path("a.cpp"), path("a.cpp")}).exitCode, 2);  // one path per --add
}

TEST_F(ProjectCommandTest, AnalyzeTakesProjectFilesAndTheirDefinesAfterTheGlobalWords)
{
    const std::string source = "#if V == 2\nint two;\n#elif V == 1\nint one;\n#else\nint none;\n#endif\n";
    write("p/src/v.cpp", source);
    write("other.cpp", "int other;\n");
    const std::string qmp = write("p/v.qmp", "<Define>\n1\nV\n2\n</Define>\n<File>\nsrc/v.cpp\n</File>\n");

    auto r = runCli({"analyze", "-D", "V=1", path("other.cpp"), qmp, "--dump", "tokens"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(unitNames(r.out), (std::vector<std::string>{"other", "two"}));
    EXPECT_EQ(r.err.find("Project open success - 1 file(s) in project.\n"), 0u) << r.err;

    ASSERT_EQ(::mkfifo(path("pipe.qmp").c_str(), 0600), 0);
    r = runCli({"analyze", path("pipe.qmp")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Project File Open Error.\n");
}

TEST_F(ProjectCommandTest, AnalyzeImportsVisualCppProjects)
{
    write("w/v.cpp", "#if WIN32 == 0\nint zero;\n#else\nint other;\n#endif\n");
    const std::string dsp = write("w/v.dsp", "# ADD CPP /nologo /D \"WIN32\"\r\nSOURCE=.\\v.cpp\r\n");
    const auto r = runCli({"analyze", "-D", "WIN32=5", dsp, "--dump", "tokens"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(unitNames(r.out), std::vector<std::string>{"zero"});
    EXPECT_EQ(r.err.find("skipped"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace qm::cli
