// The mistakes a new user makes first: each gets a message that says what is wrong and the exit
// status the README documents (1 a named thing is missing, unreadable or unwritable, 2 a usage
// error), before any long analysis; and a binary file does not flood the terminal.
#include "cli_runner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

namespace qm::cli {
namespace {

using testing::runCli;
using nlohmann::json;
namespace fs = std::filesystem;

class MistakesTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(m_dir); }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string write(const std::string& name, std::string_view bytes)
    {
        const fs::path path = m_dir / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }
    std::string path(const std::string& name) const { return (m_dir / name).string(); }

    static std::size_t count(const std::string& text, std::string_view what)
    {
        std::size_t n = 0;
        for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    }

    // Bytes as a program file starts: NULs and control bytes.
    static std::string binaryBytes()
    {
        static constexpr char kHead[] = "\x7f" "ELF\x02\x01\x01\0\0\0\x03\0>\0";
        return std::string(kHead, sizeof kHead - 1);
    }

    fs::path m_dir = fs::absolute(fs::temp_directory_path() / ("qm-cli-mistakes-" + std::to_string(::getpid())));
};

TEST_F(MistakesTest, InputsThatHoldNothingToAnalyse)
{
    const std::string source = write("ok/a.cpp", "int f() { return 1; }\n");

    // A "project file" that is none: not read as an empty project.
    const std::string garbage = write("garbage.qmp", binaryBytes());
    auto r = runCli({"analyze", garbage, source});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(garbage + ": not a project file"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");

    // An empty folder, and one with no C or C++ file.
    fs::create_directories(m_dir / "empty");
    r = runCli({"flow", path("empty"), "--function", "f"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(path("empty") + ": no C or C++ files in this folder or below it\n"), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("nothing to analyse"), std::string::npos) << r.err;
    write("notes/readme.txt", "int f();\n");
    r = runCli({"list", path("notes")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("no C or C++ files"), std::string::npos) << r.err;
    // Beside a folder that has sources, an empty one is only mentioned.
    r = runCli({"analyze", path("empty"), path("ok")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("no C or C++ files"), std::string::npos) << r.err;

    // No inputs at all is a usage error.
    r = runCli({"flow", "--function", "f"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("no inputs"), std::string::npos) << r.err;
}

TEST_F(MistakesTest, OutputsThemesAndCommandsThatCannotWork)
{
    const std::string source = write("a.cpp", "int f() { return 1; }\n");
    // Checked before the analysis: an unknown picture type is a usage error, a folder that
    // cannot take the picture an error of the named thing.
    auto r = runCli({"flow", source, "--function", "f", "-o", path("x.jpg")});
    if (r.exitCode == 2 && r.err.find("cannot write pictures") != std::string::npos) {
        GTEST_SKIP() << "built without pictures";
    }
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("unknown picture type (use .png, .svg or .pdf)"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Parsing"), std::string::npos) << r.err;
    r = runCli({"macro", source, "-o", path("no/such/folder/m.png")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("the folder " + path("no/such/folder") + " does not exist"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Parsing"), std::string::npos) << r.err;
    // A folder that takes no file, whatever its permission bits say (even to the superuser).
    r = runCli({"flow", source, "--function", "f", "-o", "/proc/qm-picture.png"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cannot write in the folder /proc"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Parsing"), std::string::npos) << r.err;
    fs::create_directories(m_dir / "pictures.png");
    r = runCli({"class", source, "--class", "C", "-o", path("pictures.png")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("is a folder"), std::string::npos) << r.err;

    // A program file is no theme: refused, not read as colours.
    const std::string program = write("ls", binaryBytes());
    r = runCli({"theme", "--read", program});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(program + ": not a theme file"), std::string::npos) << r.err;
    r = runCli({"macro", source, "--theme", write("c.cif", "int main()\n{\n}\n")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("not a theme file"), std::string::npos) << r.err;

    // Commands that do not exist, and the version.
    r = runCli({"frobnicate"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("unknown command 'frobnicate'; the commands are tokens, eval, analyze, list"),
              std::string::npos)
        << r.err;
    r = runCli({"--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.rfind("quillmarsh-cli ", 0), 0u) << r.out;
    EXPECT_EQ(runCli({}).exitCode, 2);
}

TEST_F(MistakesTest, UnknownCharactersOfABinaryFileAreCountedAfterTheFirstHundred)
{
    const std::string message = "---------- Error Unkonwn Token  ---------- <@>\n";
    std::string bytes;
    for (int i = 0; i < 500; ++i) bytes += "@\n";
    const std::string binary = write("prog.c", bytes);
    const std::string summary = binary + " : 400 more unknown-character messages left out\n";

    auto r = runCli({"tokens", binary});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(count(r.err, message), 100u);
    EXPECT_NE(r.err.find(summary), std::string::npos) << r.err.substr(r.err.size() - 200);
    r = runCli({"tokens", "--verbose", binary});
    EXPECT_EQ(count(r.err, message), 500u);
    EXPECT_EQ(r.err.find("left out"), std::string::npos);

    // The analysis reads it the same way.
    r = runCli({"analyze", binary, "--dump", "log"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(count(r.err, message), 100u);
    EXPECT_NE(r.err.find(summary), std::string::npos);
    EXPECT_EQ(count(runCli({"analyze", "--verbose", binary}).err, message), 500u);
}

}  // namespace
}  // namespace qm::cli
