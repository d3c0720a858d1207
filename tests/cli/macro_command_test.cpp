// The `macro` command: the laid-out box tree as JSON under each layout option, its errors, and
// the pictures it draws.
#include "cli_runner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <iterator>

#include <unistd.h>

namespace qm::cli {
namespace {

using testing::runCli;
using nlohmann::json;
namespace fs = std::filesystem;

constexpr std::string_view kSource = "namespace ns { void b(); int a(int x); int var; enum Color { red }; }\n"
                                     "class K { int x; public: void f(); };\n"
                                     "void K::f() { if (x) x = 1; }\n"
                                     "int counter;\n";

// "name kind" of each box in pre-order, children indented.
void outline(const json& boxes, int depth, std::string& out)
{
    for (const json& box : boxes) {
        out += std::string(static_cast<std::size_t>(depth) * 2, ' ') + box.at("name").get<std::string>() + " " +
               std::to_string(box.at("kind").get<int>()) + "\n";
        outline(box.at("children"), depth + 1, out);
    }
}

std::string outline(const json& doc)
{
    std::string out;
    outline(doc.at("boxes"), 0, out);
    return out;
}

class MacroCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(m_dir);
        m_source = write("a.cpp", kSource);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string write(const std::string& name, std::string_view bytes)
    {
        const fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }
    std::string path(const std::string& name) const { return (m_dir / name).string(); }

    // Runs macro over the sample with fixed 6 x 12 extents and the given options.
    json macro(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"macro", m_source, "--metrics", "fixed:6,12"});
        const auto r = runCli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return json::parse(r.out);
    }

    fs::path m_dir = fs::absolute(fs::temp_directory_path() / ("qm-cli-macro-" + std::to_string(::getpid())));
    std::string m_source;
};

TEST_F(MacroCommandTest, UnfoldedSampleWithEveryKeyOfABox)
{
    const json doc = macro({"--unfold"});
    EXPECT_EQ(doc.at("width"), 204);
    EXPECT_EQ(doc.at("height"), 398);
    EXPECT_EQ(outline(doc),
              "K 4\n  x 21\n  f 22\n"
              "ns 8\n  Global Variable(s) 63\n    Color 7\n    var 21\n  Global Function(s) 64\n    a 22\n    b 22\n"
              "Global Variable(s) 63\n  counter 21\n");
    const json& k = doc["boxes"][0];
    EXPECT_EQ(k, json::parse(R"({"name": "K", "kind": 4, "kindName": "[Class]", "sequence": 0, "x": 13, "y": 13, "relX": 13, "relY": 13,
        "width": 24, "height": 77, "titleWidth": 22, "titleHeight": 16, "markerSize": 12, "expanded": true,
        "memberList": true, "separators": [0, 31], "children": [
        {"name": "x", "kind": 21, "kindName": "[Short declare]", "sequence": 2, "x": 18, "y": 40, "relX": 5, "relY": 10, "width": 12,
         "height": 18, "titleWidth": 10, "titleHeight": 16, "markerSize": 0, "expanded": true,
         "memberList": false, "separators": [], "children": []},
        {"name": "f", "kind": 22, "kindName": "[Function]", "sequence": 1, "x": 18, "y": 66, "relX": 5, "relY": 36, "width": 12,
         "height": 18, "titleWidth": 10, "titleHeight": 16, "markerSize": 0, "expanded": true,
         "memberList": false, "separators": [], "children": []}]})"));
    // Fixed size is on by default: both functions share one slot of 3U + 12 + inset.
    const json& functions = doc["boxes"][1]["children"][1]["children"];
    EXPECT_EQ(functions[0]["relX"], 13);
    EXPECT_EQ(functions[1]["relX"], 13 + 13 + 25);
}

TEST_F(MacroCommandTest, LayoutOptions)
{
    // Folded by default: only the top level is placed.
    json doc = macro({});
    EXPECT_EQ(doc["height"], 70 + 13 + 16);
    EXPECT_EQ(doc["boxes"][1]["children"][0]["x"], 0);
    EXPECT_FALSE(doc["boxes"][1]["expanded"].get<bool>());

    doc = macro({"--unfold", "--no-fixed-size"});
    EXPECT_EQ(doc["boxes"][1]["children"][1]["children"][1]["relX"], 13 + 13 + 12);

    // Without auto sort every container stays at the origin; what they hold follows them.
    doc = macro({"--unfold", "--no-auto-sort"});
    EXPECT_EQ(doc["boxes"][1]["x"], 0);
    EXPECT_EQ(doc["boxes"][1]["y"], 0);
    EXPECT_EQ(doc["boxes"][0]["children"][0]["y"], 0 + 17 + 10);
    EXPECT_EQ(doc["width"], 204);

    // The spacing unit: from the option, else from the theme, else 4.
    doc = macro({"--unit-space", "0"});
    EXPECT_EQ(doc["boxes"][0]["relX"], 1);
    // The shipped test theme with a spacing unit of 8.
    std::ifstream in(fs::path(QM_TEST_DATA_DIR).parent_path().parent_path() / "macro" / "data" / "default.cif",
                     std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto unit = text.find("UnitSpace 4");
    ASSERT_NE(unit, std::string::npos);
    text.replace(unit, 11, "UnitSpace 8");
    const std::string spaced = write("spaced.cif", text);
    doc = macro({"--theme", spaced});
    EXPECT_EQ(doc["boxes"][0]["relX"], 1 + 24);
    doc = macro({"--theme", spaced, "--unit-space", "2"});
    EXPECT_EQ(doc["boxes"][0]["relX"], 1 + 6);

    // A view too narrow for the first box puts it one gap lower.
    doc = macro({"--width", "0"});
    EXPECT_EQ(doc["boxes"][0]["relY"], 26);

    // Sorting by size puts the class with fewer members first among equal kinds.
    const std::string two = write("two.cpp", "class B { int a; int b; };\nclass Z { int c; };\n");
    const auto bySize = runCli({"macro", two, "--metrics", "fixed:6,12", "--sort", "size"});
    EXPECT_EQ(outline(json::parse(bySize.out)), "Z 4\n  c 21\nB 4\n  a 21\n  b 21\n");
}

TEST_F(MacroCommandTest, UsageAndInputErrors)
{
    auto r = runCli({"macro", m_source, "--metrics", "fixed:6"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("--metrics"), std::string::npos);
    EXPECT_EQ(runCli({"macro", m_source, "--metrics", "fixed:6,99999"}).exitCode, 2);
    EXPECT_EQ(runCli({"macro", m_source, "--metrics", "fixed:6,12", "--sort", "kind"}).exitCode, 2);
    EXPECT_EQ(runCli({"macro", m_source, "--metrics", "fixed:6,12", "--unit-space", "33"}).exitCode, 2);

    r = runCli({"macro", m_source, "--metrics", "fixed:6,12", "--theme", path("none.cif")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, path("none.cif") + ": no such file or directory\n");
    EXPECT_TRUE(r.out.empty());

    r = runCli({"macro", path("missing.cpp"), "--metrics", "fixed:6,12"});
    EXPECT_EQ(r.exitCode, 1);
}

TEST_F(MacroCommandTest, PicturesInEachFormat)
{
    auto r = runCli({"macro", m_source, "-o", path("d.gif")});
    if (r.exitCode == 2 && r.err.find("cannot write pictures") != std::string::npos) {
        GTEST_SKIP() << "built without pictures";
    }
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("unknown picture type"), std::string::npos);
    EXPECT_EQ(r.err.find("Parsing"), std::string::npos);  // refused before the analysis

    for (const char* name : {"d.png", "d.svg", "d.pdf"}) {
        r = runCli({"macro", m_source, "--unfold", "-o", path(name)});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err.find("QStandardPaths"), std::string::npos) << r.err;
        EXPECT_GT(fs::file_size(path(name)), 100u) << name;
        const json doc = json::parse(r.out);
        EXPECT_GT(doc["width"].get<int>(), 0);
    }
    std::ifstream png(path("d.png"), std::ios::binary);
    std::string head(4, '\0');
    png.read(head.data(), 4);
    EXPECT_EQ(head, "\x89PNG");

    // An empty diagram still makes a picture.
    const std::string empty = write("empty.cpp", "\n");
    r = runCli({"macro", empty, "--metrics", "fixed:6,12", "-o", path("e.png")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(json::parse(r.out), json::parse(R"({"width": 0, "height": 0, "boxes": []})"));
    EXPECT_TRUE(fs::exists(path("e.png")));
}

TEST_F(MacroCommandTest, DeeplyNestedScopesAreWrittenWithoutRecursion)
{
    std::string text = "void ";
    for (int i = 0; i < 3000; ++i) text += "S::";
    text += "f() {}\n";
    const std::string deep = write("deep.cpp", text);
    const auto r = runCli({"macro", deep, "--metrics", "fixed:6,12", "--unfold"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json doc = json::parse(r.out);
    const json* box = &doc["boxes"][0];
    int depth = 1;
    while (!(*box)["children"].empty()) {
        box = &(*box)["children"][0];
        ++depth;
    }
    EXPECT_EQ(depth, 3001);
    EXPECT_EQ((*box)["name"], "f");
}

}  // namespace
}  // namespace qm::cli
