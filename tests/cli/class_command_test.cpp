// The `class` command: the laid-out class diagram as JSON, choosing the class by its path, the
// errors, and the picture.
#include "cli_runner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

namespace qm::cli {
namespace {

using nlohmann::json;
using testing::runCli;
namespace fs = std::filesystem;

class ClassCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(m_dir);
        m_source = (m_dir / "shapes.cpp").string();
        std::ofstream(m_source) << "namespace N {\n"
                                   "class B { public: int x; void f(int a); };\n"
                                   "class C {};\n"
                                   "class D : public B, protected virtual C, private Gone { struct In { int q; }; };\n"
                                   "int g(int, int);\n"
                                   "}\n";
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path m_dir = fs::absolute(fs::temp_directory_path() / ("qm-cli-class-" + std::to_string(::getpid())));
    std::string m_source;
};

TEST_F(ClassCommandTest, PrintsTheLaidOutTree)
{
    const auto r = runCli({"class", m_source, "--class", "N::D", "--metrics", "fixed:8,16"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json empty = json::array();
    const json b = {{"name", "B"},     {"x", 4},           {"y", 4},
                    {"width", 167},    {"height", 90},     {"bases", empty},
                    {"attributes", {"+ x"}},
                    {"methods", json::array({{{"name", "+ f"}, {"params", " (int a)"}, {"returns", " : void"}}})},
                    {"nested", empty}};
    const auto plain = [&](const char* name, int x, int width) {
        return json{{"name", name}, {"x", x},           {"y", 4},          {"width", width}, {"height", 22},
                    {"bases", empty}, {"attributes", empty}, {"methods", empty}, {"nested", empty}};
    };
    const json in = {{"name", "In"}, {"x", 62},  {"y", 164}, {"width", 102}, {"height", 56},
                     {"attributes", {"+ q"}}, {"methods", empty}, {"nested", empty}};
    const json d = {{"name", "D"},
                    {"x", 60},
                    {"y", 126},
                    {"width", 123},
                    {"height", 96},
                    {"bases", json::array({{{"access", 1}, {"virtual", false}, {"node", b}},
                                           {{"access", 2}, {"virtual", true}, {"node", plain("C", 179, 14)}},
                                           {{"access", 3}, {"virtual", false}, {"node", plain("Gone", 201, 38)}}})},
                    {"attributes", empty},
                    {"methods", empty},
                    {"nested", json::array({in})}};
    EXPECT_EQ(json::parse(r.out), json({{"width", 251}, {"height", 234}, {"root", d}}));
}

TEST_F(ClassCommandTest, ElementsAndErrors)
{
    // /N picks the parameter count; classes have 0.
    auto r = runCli({"class", m_source, "--class", "N::C/0", "--metrics", "fixed:8,16"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(json::parse(r.out)["root"]["name"], "C");

    for (const char* element : {"N::C/1", "C", "N::Nope", "N::D::Gone", ""}) {
        r = runCli({"class", m_source, "--class", element, "--metrics", "fixed:8,16"});
        EXPECT_EQ(r.exitCode, 1) << element;
        EXPECT_NE(r.err.find(std::string(element) + ": no such element\n"), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    // A function (smallest count without /N) or a namespace is not a class.
    for (const char* element : {"N::g", "N::g/2", "N"}) {
        r = runCli({"class", m_source, "--class", element, "--metrics", "fixed:8,16"});
        EXPECT_EQ(r.exitCode, 1) << element;
        EXPECT_NE(r.err.find(std::string(element) + ": not a class\n"), std::string::npos) << r.err;
    }
    EXPECT_EQ(runCli({"class", m_source, "--metrics", "fixed:8,16"}).exitCode, 2);
    EXPECT_EQ(runCli({"class", m_source, "--class", "N::D", "--metrics", "fixed:8"}).exitCode, 2);
    EXPECT_EQ(runCli({"class", m_source, "--class", "N::D", "--bogus"}).exitCode, 2);
    EXPECT_EQ(runCli({"class", (m_dir / "none.cpp").string(), "--class", "N::D"}).exitCode, 1);
}

TEST_F(ClassCommandTest, DeepChainsAndPictures)
{
    const std::string chain = (m_dir / "chain.cpp").string();
    {
        std::ofstream out(chain);
        out << "class C0 : public C1999 {};\n";
        for (int i = 1; i < 2000; ++i) out << "class C" << i << " : public C" << i - 1 << " {};\n";
    }
    auto r = runCli({"class", chain, "--class", "C1999", "--metrics", "fixed:8,16"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // 2000 classes, and C1999 once more without bases where the ring closes.
    EXPECT_EQ(json::parse(r.out)["height"], 4 + 2001 * 22 + 2000 * 32 + 12);

    const std::string picture = (m_dir / "d.png").string();
    r = runCli({"class", m_source, "--class", "N::D", "-o", picture});
    if (r.exitCode == 2) GTEST_SKIP() << "built without pictures: " << r.err;
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::ifstream in(picture, std::ios::binary);
    std::string signature(8, '\0');
    in.read(signature.data(), 8);
    EXPECT_EQ(signature, "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(runCli({"class", m_source, "--class", "N::D", "-o", (m_dir / "d.bmp").string()}).exitCode, 2);
}

}  // namespace
}  // namespace qm::cli
