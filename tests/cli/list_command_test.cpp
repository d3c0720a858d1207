// Finding names: `list` prints what --function and --class take, a name that is not there gets
// close names, and a name with several definitions or parameter counts says how to pick one.
#include "cli_runner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <map>

namespace qm::cli {
namespace {

using testing::runCli;
using nlohmann::json;
namespace fs = std::filesystem;

class ListCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(m_dir);
        m_a = write("src/a.cpp",
                    "namespace shop {\n"
                    "class Money {\n"
                    "public:\n"
                    "    static Money fromString(const char* text);\n"
                    "};\n"
                    "Money Money::fromString(const char* text)\n{\n    if (!text) return Money();\n    return Money();\n}\n"
                    "int total(int a) { return a; }\n"
                    "int total(int a, int b) { return a + b; }\n"
                    "}\n"
                    "static int helper(int x) { return x; }\n");
        m_b = write("src/b.cpp", "static int helper(int y)\n{\n    return y * 2;\n}\nint counter;\n");
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string write(const std::string& name, std::string_view bytes)
    {
        const fs::path path = m_dir / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    // The --json listing as path -> entry.
    std::map<std::string, json> listed(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"list", (m_dir / "src").string(), "--json"});
        const auto r = runCli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        std::map<std::string, json> byPath;
        const json document = json::parse(r.out);
        for (const json& symbol : document.at("symbols")) byPath[symbol.at("path")] = symbol;
        return byPath;
    }

    fs::path m_dir = fs::absolute(fs::temp_directory_path() / ("qm-cli-list-" + std::to_string(::getpid())));
    std::string m_a;
    std::string m_b;
};

TEST_F(ListCommandTest, ListsEveryNameAsTheDrawingCommandsTakeIt)
{
    std::map<std::string, json> all = listed({});
    ASSERT_TRUE(all.count("shop::Money::fromString")) << json(all).dump();
    const json& fromString = all["shop::Money::fromString"];
    EXPECT_EQ(fromString["kind"], 22);
    EXPECT_EQ(fromString["kindName"], "[Function]");
    EXPECT_EQ(fromString["parameterCount"], 1);
    EXPECT_EQ(fromString["file"], m_a);
    EXPECT_EQ(fromString["line"], 6);
    EXPECT_EQ(all["shop::Money"]["kind"], 4);
    EXPECT_EQ(all["shop"]["kind"], 8);
    EXPECT_EQ(all["counter"]["kind"], 21);  // a plain declaration: [Short declare]
    EXPECT_EQ(listed({"--kind", "variable"}).count("counter"), 1u);
    // A name with two counts carries /N; an entry with two definitions has a row for each.
    EXPECT_EQ(all["shop::total/1"]["parameterCount"], 1);
    EXPECT_EQ(all["shop::total/2"]["parameterCount"], 2);
    EXPECT_EQ(all.count("shop::total"), 0u);
    const std::string helperA = "helper@" + m_a + ":14";
    const std::string helperB = "helper@" + m_b + ":1";
    ASSERT_TRUE(all.count(helperA) && all.count(helperB)) << json(all).dump();
    EXPECT_EQ(all[helperB]["definitions"], 2);

    // Every function's name draws that function's flowchart, from the definition it names.
    for (const auto& [path, symbol] : listed({"--kind", "function"})) {
        EXPECT_EQ(symbol["kind"], 22) << path;
        const auto r = runCli({"flow", (m_dir / "src").string(), "--function", path});
        ASSERT_EQ(r.exitCode, 0) << path << ": " << r.err;
        EXPECT_EQ(json::parse(r.out)["file"], symbol["file"]) << path;
    }

    // Kinds and matching choose rows; the text form has the same columns.
    EXPECT_EQ(listed({"--kind", "class"}).size(), 1u);
    EXPECT_EQ(listed({"--kind", "namespace"}).size(), 1u);
    EXPECT_EQ(listed({"--kind", "function", "--match", "TOTAL"}).size(), 2u);
    const auto r = runCli({"list", m_a, "--kind", "class"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "shop::Money  class  0  " + m_a + ":2\n");
    EXPECT_EQ(runCli({"list", m_a, "--kind", "macro"}).exitCode, 2);
}

TEST_F(ListCommandTest, MissingNamesGetCloseOnesAndAmbiguousOnesSayHowToPick)
{
    const std::string src = (m_dir / "src").string();
    auto r = runCli({"flow", src, "--function", "fromStrin"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("fromStrin: no such element\ndid you mean shop::Money::fromString?\n"), std::string::npos)
        << r.err;
    r = runCli({"class", src, "--class", "money"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("did you mean shop::Money?"), std::string::npos) << r.err;
    r = runCli({"flow", src, "--function", "shop::Money"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("shop::Money: not a function\n(it is a class;"), std::string::npos) << r.err;

    // Several counts: the smallest is drawn, and the others are named.
    r = runCli({"flow", src, "--function", "shop::total"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("note: shop::total also has shop::total/2; this is shop::total/1\n"), std::string::npos)
        << r.err;
    // Several definitions of one count: the first is drawn, and each is named with its place.
    r = runCli({"flow", src, "--function", "helper"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("note: helper has 2 definitions; this is the first, " + m_a + ":14. Pick one with:\n"
                         "  helper@" + m_a + ":14\n  helper@" + m_b + ":1\n"),
              std::string::npos)
        << r.err;
    r = runCli({"flow", src, "--function", "helper/1@b.cpp:1"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(json::parse(r.out)["file"], m_b);
    EXPECT_EQ(r.err.find("note:"), std::string::npos) << r.err;

    r = runCli({"flow", src, "--function", "helper@c.cpp:1"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("helper@c.cpp:1: no definition of helper at c.cpp:1\nits definitions:\n"), std::string::npos)
        << r.err;
    EXPECT_EQ(runCli({"flow", src, "--function", "helper@b.cpp"}).exitCode, 2);
}

}  // namespace
}  // namespace qm::cli
