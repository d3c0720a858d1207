// The `theme` command: the built-in theme as JSON, reading and writing theme files, and what a
// missing, damaged or unwritable file gives.
#include "cli_runner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace qm::cli {
namespace {

using testing::runCli;
using nlohmann::json;
namespace fs = std::filesystem;

// A theme file with every value changed from the built-in one, keys misspelled, LF line ends.
const std::string kCustomTheme =
    "header\nS 3\nU 7\nB 10 20 30\nCT 3\nCC 1 2 3\nPT 0\nPC 4 5 6\nPrT 2\nPrC 7 8 9\nPvT 3\nPvC 10 11 12\n"
    "D 13 14 15 16 17 18 19 20 21 \nN 1 1 1 2 2 2 3 3 3 \nC 4 4 4 5 5 5 6 6 6 \nS 0 0 0 0 0 0 0 0 0 \n"
    "U 0 0 0 0 0 0 0 0 0 \nV 0 0 0 0 0 0 0 0 0 \nF 0 0 0 0 0 0 0 0 0 \nE 7 7 7 8 8 8 9 9 9\n"
    "DF\nDejaVu Sans\n6 1\nNF\nN\n7 0\nCF\nC\n8 0\nSF\nS\n9 0\nUF\nU\n11 1\nVF\nV\n12 1\nFF\nF\n13 1\nEF\nE\n32 0\n";

class ThemeCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        // The command must not depend on, or change, the user's configuration.
        if (const char* old = std::getenv("QUILLMARSH_CONFIG_DIR")) m_savedConfig = old;
        ::setenv("QUILLMARSH_CONFIG_DIR", path("config").c_str(), 1);
    }
    void TearDown() override
    {
        EXPECT_FALSE(fs::exists(m_dir / "config"));
        if (m_savedConfig) ::setenv("QUILLMARSH_CONFIG_DIR", m_savedConfig->c_str(), 1);
        else ::unsetenv("QUILLMARSH_CONFIG_DIR");
        fs::remove_all(m_dir);
    }

    std::string write(const std::string& name, std::string_view bytes)
    {
        std::ofstream(m_dir / name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path(name);
    }
    std::string path(const std::string& name) const { return (m_dir / name).string(); }
    static std::string read(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    fs::path m_dir = fs::absolute(fs::temp_directory_path() / ("qm-cli-theme-" + std::to_string(::getpid())));
    std::optional<std::string> m_savedConfig;
};

TEST_F(ThemeCommandTest, PrintsTheBuiltInTheme)
{
    const auto r = runCli({"theme"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const json doc = json::parse(r.out);
    EXPECT_EQ(doc.at("shading"), 1);
    EXPECT_EQ(doc.at("unitSpace"), 4);
    EXPECT_EQ(doc.at("background"), json({255, 255, 255}));
    EXPECT_EQ(doc.at("content"), json({{"type", 2}, {"color", {0, 0, 0}}}));
    EXPECT_EQ(doc.at("public"), json({{"type", 1}, {"color", {0, 100, 0}}}));
    EXPECT_EQ(doc.at("protected"), json({{"type", 1}, {"color", {0, 0, 200}}}));
    EXPECT_EQ(doc.at("private"), json({{"type", 1}, {"color", {200, 0, 0}}}));

    std::vector<std::string> keys;
    for (const auto& [key, value] : doc.at("colors").items()) keys.push_back(key);
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<std::string>{"12", "22", "4", "5", "6", "7", "8", "default"}));
    EXPECT_EQ(doc.at("colors").at("default"),
              json({{"font", {0, 0, 0}}, {"border", {255, 255, 255}}, {"background", {255, 255, 255}}}));
    EXPECT_EQ(doc.at("colors").at("4").at("background"), json({204, 255, 102}));
    EXPECT_EQ(doc.at("fonts").at("default"), json({{"face", "Arial"}, {"size", 10}, {"bold", false}}));
    EXPECT_EQ(doc.at("fonts").at("8"), json({{"face", "Arial"}, {"size", 10}, {"bold", true}}));
    EXPECT_EQ(doc.at("fonts").at("22").at("bold"), false);
    EXPECT_EQ(doc.at("fonts").size(), 8u);
}

TEST_F(ThemeCommandTest, ReadsByPositionAndWritesTheFileFormat)
{
    const std::string in = write("in.cif", kCustomTheme);
    const std::string out = path("out.cif");
    const auto r = runCli({"theme", "--read", in, "--write", out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json doc = json::parse(r.out);
    EXPECT_EQ(doc.at("shading"), 3);
    EXPECT_EQ(doc.at("unitSpace"), 7);
    EXPECT_EQ(doc.at("public"), json({{"type", 0}, {"color", {4, 5, 6}}}));
    EXPECT_EQ(doc.at("protected"), json({{"type", 2}, {"color", {7, 8, 9}}}));
    EXPECT_EQ(doc.at("private"), json({{"type", 3}, {"color", {10, 11, 12}}}));
    EXPECT_EQ(doc.at("colors").at("7"), json({{"font", {7, 7, 7}}, {"border", {8, 8, 8}}, {"background", {9, 9, 9}}}));
    EXPECT_EQ(doc.at("fonts").at("default"), json({{"face", "DejaVu Sans"}, {"size", 6}, {"bold", true}}));
    EXPECT_EQ(doc.at("fonts").at("7"), json({{"face", "E"}, {"size", 32}, {"bold", false}}));

    const std::string written = read(out);
    EXPECT_TRUE(written.starts_with("Color Information File Version 1.1\r\nHighColorShading 3\r\nUnitSpace 7\r\n"));
    EXPECT_NE(written.find("\r\nPubllcColor 4 5 6\r\nProtectedType 2\r\n"), std::string::npos);
    EXPECT_NE(written.find("\r\nEnumColor 7 7 7 8 8 8 9 9 9\r\nDefaultFont\r\nDejaVu Sans\r\n6 1\r\n"),
              std::string::npos);
    EXPECT_TRUE(written.ends_with("\r\nEnumFont\r\nE\r\n32 0\r\n"));

    // The written file reads back to the same theme.
    const auto again = runCli({"theme", "--read", out});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(json::parse(again.out), doc);
}

TEST_F(ThemeCommandTest, MissingDamagedAndUnwritableFiles)
{
    const std::string missing = path("missing.cif");
    auto r = runCli({"theme", "--read", missing});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, missing + ": no such file or directory\n");

    r = runCli({"theme", "--read", m_dir.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, m_dir.string() + ": cannot read theme file\n");

    // A file that ends early is reported as the desktop program reports it; nothing is written.
    const std::string cut = write("cut.cif", kCustomTheme.substr(0, kCustomTheme.size() / 2));
    r = runCli({"theme", "--read", cut, "--write", path("never.cif")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "theme load fail.\n");
    EXPECT_FALSE(fs::exists(path("never.cif")));

    const std::string noFolder = path("no/folder/out.cif");
    r = runCli({"theme", "--write", noFolder});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, noFolder + " : cannot write file\n");

    EXPECT_EQ(runCli({"theme", "--colour"}).exitCode, 2);
}

TEST_F(ThemeCommandTest, FaceNamesThatAreNotUtf8StillGiveValidJson)
{
    std::string text = kCustomTheme;
    text.replace(text.find("DejaVu Sans"), 11, "Bad\xff\xfe\x01" "Face");
    const auto r = runCli({"theme", "--read", write("bytes.cif", text)});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(json::parse(r.out).at("fonts").at("default").at("face"), "Bad\xEF\xBF\xBD\xEF\xBF\xBD\x01" "Face");
}

}  // namespace
}  // namespace qm::cli
