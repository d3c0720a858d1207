// The `flow` command: the cells of representative functions, choosing the function by its path
// and parameter count, the scale, the messages for elements that are missing or no function,
// hostile functions, and the pictures it draws.
#include "cli_runner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

namespace qm::cli {
namespace {

using testing::runCli;
using testing::runProgram;
using nlohmann::json;
namespace fs = std::filesystem;

// One line per element, children indented: `kind col,row left/right/height nodes`.
std::string cells(const json& elements)
{
    std::string out;
    std::vector<std::pair<const json*, int>> pending;
    for (auto it = elements.rbegin(); it != elements.rend(); ++it) pending.push_back({&*it, 0});
    while (!pending.empty()) {
        const auto [e, depth] = pending.back();
        pending.pop_back();
        out += std::string(static_cast<std::size_t>(depth) * 2, ' ') + std::to_string(e->at("kind").get<int>()) + " " +
               std::to_string(e->at("col").get<int>()) + "," + std::to_string(e->at("row").get<int>()) + " " +
               std::to_string(e->at("leftWidth").get<int>()) + "/" + std::to_string(e->at("rightWidth").get<int>()) +
               "/" + std::to_string(e->at("height").get<int>());
        for (const json& node : e->at("nodes")) out += " [" + node.get<std::string>() + "]";
        out += "\n";
        const json& children = e->at("children");
        for (auto it = children.rbegin(); it != children.rend(); ++it) pending.push_back({&*it, depth + 1});
    }
    return out;
}

class FlowCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(m_dir);
        m_source = write("a.cpp",
                         "int pick(int a)\n{\n    if (a > 0) {\n        x();\n    } else {\n        y();\n    }\n"
                         "    return a;\n}\n"
                         "namespace ns {\nstruct S { int run(int n); int run(int n, int m); int count; };\n"
                         "int S::run(int n)\n{\n    while (n > 0) {\n        if (n == 3) break;\n        n--;\n    }\n"
                         "    switch (n) {\n    case 1: one(); break;\n    default: two();\n    }\n    return n;\n}\n"
                         "int S::run(int n, int m) { do { n++; } while (n < m); return n; }\n"
                         "int declared(int);\n}\n");
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string write(const std::string& name, std::string_view bytes)
    {
        const fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }
    std::string path(const std::string& name) const { return (m_dir / name).string(); }

    json flow(std::vector<std::string> args)
    {
        args.insert(args.begin(), "flow");
        const auto r = runCli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r.exitCode == 0 ? json::parse(r.out) : json();
    }

    fs::path m_dir = fs::absolute(fs::temp_directory_path() / ("qm-cli-flow-" + std::to_string(::getpid())));
    std::string m_source;
};

TEST_F(FlowCommandTest, CellsOfRepresentativeFunctions)
{
    json doc = flow({m_source, "--function", "pick"});
    EXPECT_EQ(doc["function"], "pick");
    EXPECT_EQ(doc["file"], m_source);
    EXPECT_EQ(doc["gridWidth"], 3);
    EXPECT_EQ(doc["gridHeight"], 2);
    EXPECT_EQ(doc["startColumn"], 1);
    EXPECT_EQ(doc["width"], 400);   // (3 + 1) x 100
    EXPECT_EQ(doc["height"], 320);  // (2 + 2) x 80
    EXPECT_EQ(doc["elements"][0]["hasBody"], true);
    // The return sits on the End terminal.
    EXPECT_EQ(cells(doc["elements"]), "37 1,1 1/1/2 [if ( a > 0 )]\n"
                                      "  53 0,2 0/1/1 [x ( ) ;]\n"
                                      "39 2,2 0/1/1 [else]\n"
                                      "  53 2,2 0/1/1 [y ( ) ;]\n"
                                      "45 1,3 0/0/0 [return a ;]\n");

    // The smallest parameter count wins without /N; the break goes to what follows the loop.
    doc = flow({m_source, "--function", "ns::S::run"});
    EXPECT_EQ(cells(doc["elements"]), "41 1,1 1/1/4 [while ( n > 0 )]\n"
                                      "  37 1,2 0/1/1 [if ( n == 3 )]\n"
                                      "    43 1,4 0/0/0 [break ;]\n"
                                      "  53 1,3 0/1/1 [n -- ;]\n"
                                      "47 1,5 1/3/3 [switch ( n )]\n"
                                      "  49 0,6 0/2/1 [case 1 :]\n"
                                      "    53 0,7 0/1/1 [one ( ) ;]\n"
                                      "    43 1,8 0/0/0 [break ;]\n"
                                      "  50 2,6 0/2/1 [default :]\n"
                                      "    53 2,7 0/1/1 [two ( ) ;]\n"
                                      "45 1,8 0/0/0 [return n ;]\n");
    doc = flow({m_source, "--function", "ns::S::run/2", "--scale", "16"});
    EXPECT_EQ(cells(doc["elements"]), "42 1,1 1/1/3 [do] [while ( n < m )]\n"
                                      "  53 1,2 0/1/1 [n ++ ;]\n"
                                      "45 1,4 0/0/0 [return n ;]\n");
    EXPECT_EQ(doc["width"], 3 * 220);
    EXPECT_EQ(doc["height"], 5 * 160);
    EXPECT_EQ(flow({m_source, "--function", "ns::S::run/2", "--scale", "1"})["width"], 3 * 50);
}

TEST_F(FlowCommandTest, TryHandlersAreBranchesOfTheTry)
{
    write("t.cpp", "int t(int n)\n{\n    try {\n        n = g(n);\n    } catch (const E& e) {\n        throw;\n"
                   "    } catch (...) {\n        n = 0;\n    }\n    return n;\n}\n");
    json doc = flow({path("t.cpp"), "--function", "t"});
    EXPECT_EQ(cells(doc["elements"]), "51 2,1 2/4/3 [try]\n"
                                      "  2 0,2 0/2/1 [try]\n"
                                      "    53 0,3 0/1/1 [n = g ( n ) ;]\n"
                                      "  52 2,2 0/2/1 [catch ( const E & e )]\n"
                                      "    53 2,3 0/1/1 [throw ;]\n"
                                      "  52 4,2 0/2/1 [catch ( ... )]\n"
                                      "    53 4,3 0/1/1 [n = 0 ;]\n"
                                      "45 2,4 0/0/0 [return n ;]\n");
}

TEST_F(FlowCommandTest, MissingElementsThingsThatAreNoFunctionAndBadOptions)
{
    auto r = runCli({"flow", m_source, "--function", "ns::nothing"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("\nns::nothing: no such element\n"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());
    r = runCli({"flow", m_source, "--function", "ns::S::run/3"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("ns::S::run/3: no such element\n"), std::string::npos) << r.err;
    // A struct and a member variable have no flowchart.
    for (const char* element : {"ns::S", "ns::S::count"}) {
        r = runCli({"flow", m_source, "--function", element});
        EXPECT_EQ(r.exitCode, 1) << element;
        EXPECT_NE(r.err.find(std::string("\n") + element + ": not a function\n"), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    // A function that is only declared (a prototype, a pure virtual method) is a function all
    // the same: its flowchart is that of an empty body, from no file.
    r = runCli({"flow", m_source, "--function", "ns::declared"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const json declared = json::parse(r.out);
    EXPECT_EQ(declared["function"], "declared");
    EXPECT_EQ(declared["file"], "");
    EXPECT_TRUE(declared["elements"].empty());
    EXPECT_EQ(runCli({"flow", m_source, "--function", "pick", "--scale", "2"}).exitCode, 2);
    EXPECT_EQ(runCli({"flow", m_source}).exitCode, 2);
    EXPECT_EQ(runCli({"flow", m_source, "--function", "pick", "--bogus"}).exitCode, 2);
    EXPECT_EQ(runCli({"flow", path("missing.cpp"), "--function", "pick"}).exitCode, 1);
}

TEST_F(FlowCommandTest, HostileFunctions)
{
    // Nested far deeper than the parser goes: whatever it keeps comes out, written without
    // recursion.
    std::string deep = "void deep(int a)\n{\n";
    for (int i = 0; i < 10000; ++i) deep += "if (a) {\n";
    deep += "x();\n";
    for (int i = 0; i < 10000; ++i) deep += "}\n";
    write("deep.cpp", deep + "}\n");
    json doc = flow({path("deep.cpp"), "--function", "deep"});
    int depth = 0;
    for (const json* e = &doc["elements"]; !e->empty(); e = &(*e)[0]["children"]) ++depth;
    EXPECT_GT(depth, 100);

    std::string sw = "int sw(int a)\n{\n    switch (a) {\n";
    for (int i = 0; i < 2000; ++i) sw += "    case " + std::to_string(i) + ": r(); break;\n";
    write("sw.cpp", sw + "    }\n    return 0;\n}\n");
    doc = flow({path("sw.cpp"), "--function", "sw"});
    EXPECT_EQ(doc["elements"][0]["children"].size(), 2000u);
    EXPECT_EQ(doc["gridWidth"], 4000);

    // try blocks nested as deep: each level is a try (51) whose block (2) holds the next one.
    std::string tries = "void tries()\n{\n";
    for (int i = 0; i < 10000; ++i) tries += "try {\n";
    tries += "x();\n";
    for (int i = 0; i < 10000; ++i) tries += "} catch (...) { h(); }\n";
    write("tries.cpp", tries + "}\n");
    doc = flow({path("tries.cpp"), "--function", "tries"});
    depth = 0;
    for (const json* e = &doc["elements"]; !e->empty() && (*e)[0]["kind"] == 51; e = &(*e)[0]["children"][0]["children"]) {
        ASSERT_EQ((*e)[0]["children"][0]["kind"], 2);
        ++depth;
    }
    EXPECT_GT(depth, 100);

    // A goto to a label that does not exist points at cell (0, 0); a body of directives only
    // gives an empty chart.
    write("odd.cpp", "void g()\n{\n    a();\n    goto nowhere;\n}\nvoid p()\n{\n#define X 1\n#pragma once\n}\n");
    doc = flow({path("odd.cpp"), "--function", "g"});
    EXPECT_EQ(cells(doc["elements"]), "53 0,1 0/1/1 [a ( ) ;]\n46 0,0 0/0/0 [goto nowhere ;]\n");
    doc = flow({path("odd.cpp"), "--function", "p"});
    EXPECT_EQ(doc["elements"], json::array());
    EXPECT_EQ(doc["gridWidth"], 0);
    EXPECT_EQ(doc["width"], 100);
    EXPECT_EQ(doc["height"], 160);
}

// Fonts and pictures come from a module beside the program: a copy of the program without it
// still analyses, and refuses -o with the reason before it analyses anything.
TEST_F(FlowCommandTest, WithoutItsPictureModuleTheProgramSaysSoBeforeTheWork)
{
    const fs::path folder = m_dir / "alone";
    fs::create_directories(folder);
    const fs::path copy = folder / "quillmarsh-cli";
    fs::copy_file(QM_CLI_PATH, copy);
    auto r = runProgram(copy.string(), {"flow", m_source, "--function", "pick", "-o", path("f.png")});
    if (r.err.find("cannot write pictures") != std::string::npos) {
        GTEST_SKIP() << "built without pictures";
    }
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("-o: cannot load the font and picture module quillmarsh-cli-qt.so: not found"),
              std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Parsing"), std::string::npos);
    EXPECT_FALSE(fs::exists(path("f.png")));
    r = runProgram(copy.string(), {"flow", m_source, "--function", "pick"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(json::parse(r.out)["function"], "pick");
}

TEST_F(FlowCommandTest, PicturesInEachFormat)
{
    auto r = runCli({"flow", m_source, "--function", "pick", "-o", path("f.gif")});
    if (r.exitCode == 2 && r.err.find("cannot write pictures") != std::string::npos) {
        GTEST_SKIP() << "built without pictures";
    }
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("unknown picture type"), std::string::npos);
    EXPECT_EQ(r.err.find("Parsing"), std::string::npos);  // refused before the analysis

    for (const char* name : {"f.png", "f.svg", "f.pdf"}) {
        r = runCli({"flow", m_source, "--function", "ns::S::run", "-o", path(name)});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_GT(fs::file_size(path(name)), 100u) << name;
        EXPECT_EQ(json::parse(r.out)["function"], "run");
    }
    std::ifstream png(path("f.png"), std::ios::binary);
    std::string head(24, '\0');
    png.read(head.data(), 24);
    EXPECT_EQ(head.substr(0, 4), "\x89PNG");
    // The picture holds the drawing and a margin of 4 pixels, not the view's total size of
    // 500 x 720 at scale 4 (one empty column and half an empty row): from the Start terminal's
    // top (0) to the End terminal's bottom (8 x 80 + 40) is 680 pixels.
    auto be32 = [&](std::size_t at) {
        return (static_cast<unsigned char>(head[at]) << 24) | (static_cast<unsigned char>(head[at + 1]) << 16) |
               (static_cast<unsigned char>(head[at + 2]) << 8) | static_cast<unsigned char>(head[at + 3]);
    };
    EXPECT_LT(be32(16), 500u);
    EXPECT_GE(be32(16), 300u);
    EXPECT_EQ(be32(20), 688u);
    // The SVG carries the statements' texts.
    std::ifstream svg(path("f.svg"));
    const std::string text((std::istreambuf_iterator<char>(svg)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("n == 3"), std::string::npos);
    EXPECT_NE(text.find("Start"), std::string::npos);
}

}  // namespace
}  // namespace qm::cli
