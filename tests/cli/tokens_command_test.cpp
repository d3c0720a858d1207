// The `tokens` command's JSON document and the exit codes every command shares.
#include "cli_runner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace qm::cli {
namespace {

using testing::runCli;
using nlohmann::json;
namespace fs = std::filesystem;

class TokensCommandTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(m_dir); }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string write(const std::string& name, std::string_view bytes)
    {
        const fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }
    fs::path m_dir = fs::temp_directory_path() / ("qm-cli-tokens-" + std::to_string(::getpid()));
};

TEST_F(TokensCommandTest, PrintsTheTokenDocument)
{
    const std::string path = write("a.cpp", "a = 1;\n#include <x.h>\n");
    const auto r = runCli({"tokens", path});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json doc = json::parse(r.out);
    EXPECT_EQ(doc["file"], path);
    EXPECT_EQ(doc["size"], 22);
    const json expected = json::parse(R"([
        {"line": 1, "code": 265, "text": "a"}, {"line": 1, "code": 61},
        {"line": 1, "code": 261, "text": "1"}, {"line": 1, "code": 59}, {"line": 1, "code": 10},
        {"line": 2, "code": 35}, {"line": 2, "code": 268, "text": "x.h"}, {"line": 2, "code": 10}])");
    EXPECT_EQ(doc["tokens"], expected);
    EXPECT_EQ(r.err, "");
}

TEST_F(TokensCommandTest, HostileBytesStillGiveValidJson)
{
    // Invalid UTF-8 inside a string literal, control characters and a NUL byte.
    const std::string path = write("b.cpp", std::string("\"\xff\x01\" @\0x", 8));
    const auto r = runCli({"tokens", path});
    ASSERT_EQ(r.exitCode, 0);
    const json doc = json::parse(r.out);
    ASSERT_EQ(doc["tokens"].size(), 4u);
    EXPECT_EQ(doc["tokens"][0]["text"], "\xEF\xBF\xBD\x01");
    EXPECT_EQ(doc["tokens"][1]["code"], 258);
    EXPECT_FALSE(doc["tokens"][1].contains("text"));
    EXPECT_EQ(r.err, std::string("---------- Error Unkonwn Token  ---------- <@>\n"
                                 "---------- Error Unkonwn Token  ---------- <\0>\n", 94));
}

TEST_F(TokensCommandTest, ExitCodes)
{
    const std::string missing = (m_dir / "none.cpp").string();
    const auto r = runCli({"tokens", missing});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, missing + " : cannot open file\n");

    EXPECT_EQ(runCli({}).exitCode, 2);
    EXPECT_EQ(runCli({"tokens"}).exitCode, 2);
    EXPECT_EQ(runCli({"tokens", "--bogus", missing}).exitCode, 2);
    EXPECT_EQ(runCli({"frobnicate"}).exitCode, 2);
    const auto help = runCli({"tokens", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("FILE"), std::string::npos);
}

}  // namespace
}  // namespace qm::cli
