// The `analyze` command: which inputs become project files, what the options give the
// preprocessor, and the parts of the document that --dump selects.
#include "cli_runner.h"
#include "model/token_text.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>

namespace qm::cli {
namespace {

using testing::runCli;
using nlohmann::json;
namespace fs = std::filesystem;

// The units' tokens as source text: tokens separated by blanks, a line break for each newline.
std::string spell(const json& tokens)
{
    std::string text;
    for (const json& t : tokens) {
        const model::Token token{t.at("line").get<int>(), t.at("code").get<int>(), t.value("text", std::string())};
        if (token.code == model::tok::Newline) {
            text += '\n';
            continue;
        }
        if (!text.empty() && text.back() != '\n') text += ' ';
        text += model::spellToken(token);
    }
    return text;
}

// The keys of a JSON object, in byte order.
std::vector<std::string> keysOf(const json& object)
{
    std::vector<std::string> keys;
    for (const auto& item : object.items()) keys.push_back(item.key());
    return keys;
}

class AnalyzeCommandTest : public ::testing::Test {
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

    // Runs analyze, expecting success, and returns the document.
    json analyze(std::vector<std::string> args)
    {
        args.insert(args.begin(), "analyze");
        const auto r = runCli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return json::parse(r.out);
    }

    fs::path m_dir = fs::absolute(fs::temp_directory_path() / ("qm-cli-analyze-" + std::to_string(::getpid())));
};

TEST_F(AnalyzeCommandTest, DumpParts)
{
    const std::string file = write("n.cpp", "#define N 10\nint a[N];\n");
    const auto r = runCli({"analyze", file});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    json doc = json::parse(r.out);
    EXPECT_EQ(keysOf(doc), (std::vector<std::string>{"log", "symbols"}));
    EXPECT_EQ(doc["log"], json::array({"Parsing: " + file, "Parsing Complete."}));
    EXPECT_EQ(r.err, "Parsing: " + file + "\nParsing Complete.\n");
    EXPECT_EQ(doc["symbols"], json::parse(R"({"name": "", "children": [{"name": "a", "count": 0, "kind": 12,
        "kindName": "[Variable]", "isTemplate": 0, "declarations": 1, "definitions": 0, "definitionFiles": [], "children": []}]})"));

    doc = analyze({file, "--dump", "units"});
    const json unit = {{"path", file}, {"userFile", 1}, {"tokenCount", 12}, {"included", json::array()}};
    EXPECT_EQ(doc, json({{"units", json::array({unit})}}));

    // tokens and tree bring the units with them.
    doc = analyze({file, "--dump", "tokens"});
    EXPECT_EQ(keysOf(doc), std::vector<std::string>{"units"});
    EXPECT_EQ(spell(doc["units"][0]["tokens"]), "# define N 10\nint a [ 10 ] ;\n");
    doc = analyze({file, "--dump", "symbols,tree"});
    EXPECT_EQ(keysOf(doc), (std::vector<std::string>{"symbols", "units"}));
    // The directive line becomes its own node; the declaration follows it.
    ASSERT_EQ(doc["units"][0]["nodes"].size(), 2u);
    EXPECT_EQ(doc["units"][0]["nodes"][0]["kindName"], "[Preprocessing Define]");
    EXPECT_EQ(doc["units"][0]["nodes"][1]["text"], "int a [ 10 ] ;");
    EXPECT_FALSE(doc["units"][0].contains("tokens"));

    EXPECT_EQ(runCli({"analyze", file, "--dump", "units,bogus"}).exitCode, 2);
}

// Each node of the tree dump carries its detail record in the shape of its kind.
TEST_F(AnalyzeCommandTest, TreeNodesCarryTheirDetails)
{
    const std::string file = write("t.cpp",
                                   "namespace N { class A : public B, virtual protected C {}; }\n"
                                   "namespace M = N::X;\n"
                                   "class K { public: bool operator==(const K& o) const; };\n"
                                   "#include \"missing.h\"\n"
                                   "#pragma once\n"
                                   "typedef int T;\n");
    const json nodes = analyze({file, "--dump", "tree"})["units"][0]["nodes"];
    ASSERT_EQ(nodes.size(), 6u);
    EXPECT_EQ(nodes[0]["detail"], json({{"name", "N"}}));
    EXPECT_EQ(nodes[0]["children"][0]["detail"],
              json::parse(R"({"name": {"name": "A", "scope": []},
                  "publicBases": [{"name": {"name": "B", "scope": []}, "virtual": false}],
                  "protectedBases": [{"name": {"name": "C", "scope": []}, "virtual": true}],
                  "privateBases": []})"));
    EXPECT_EQ(nodes[1]["detail"], json::parse(R"({"alias": "M", "target": {"name": "X", "scope": ["N"]}})"));
    const json& method = nodes[2]["children"][1];
    EXPECT_EQ(method["kindName"], "[Overload method]");
    EXPECT_EQ(method["detail"],
              json::parse(R"({"leading": "", "operator": "==", "params": ["const K & o"], "access": 1})"));
    EXPECT_EQ(nodes[3]["detail"], json::parse(R"({"quoted": true, "header": "missing.h", "unitIndex": -1})"));
    EXPECT_EQ(nodes.back()["detail"], json::parse(R"({"names": [{"name": "T", "pointers": 0, "references": 0}]})"));
    // Nodes without a detail have no key for it.
    EXPECT_FALSE(nodes[4].contains("detail"));
}

TEST_F(AnalyzeCommandTest, Includes)
{
    const std::string file = write("src/m.cpp", "#include \"a.h\"\n#include <x.h>\nint m;\n");
    write("src/a.h", "int h;\n");
    write("sys/x.h", "int x;\n");
    const json quoted = {{"path", path("src/a.h")}, {"userFile", 1}, {"tokenCount", 4}, {"included", json::array()}};
    const json angle = {{"path", path("sys/x.h")}, {"userFile", 0}, {"tokenCount", 4}, {"included", json::array()}};
    EXPECT_EQ(analyze({file, "-I", path("sys"), "--dump", "units"})["units"][0]["included"], json::array({quoted}));
    EXPECT_EQ(analyze({file, "-I", path("sys"), "--parse-vc-header", "--dump", "units"})["units"][0]["included"],
              json::array({quoted, angle}));
}

TEST_F(AnalyzeCommandTest, OptionFiles)
{
    write("list0/x.h", "int zero;\n");
    write("list3/x.h", "int three;\n");
    write("opts/Include.ini", "1\r\n" + path("list0") + "\r\n0\r\n0\r\n1\r\n" + path("list3") + "\r\n");
    write("opts/predefined.ini", "Y\n1\nX\n2\n");
    const std::string file = write("x.cpp", "#include <x.h>\n#if X == 2\nint two;\n#endif\n");
    // The header found, then the file's tokens.
    auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {file, "--options-dir", path("opts"), "--parse-vc-header", "--dump", "tokens"});
        const json unit = analyze(args)["units"].at(0);
        return unit["included"].at(0)["path"].get<std::string>() + " | " + spell(unit["tokens"]);
    };
    EXPECT_EQ(run({}), path("list0/x.h") + " | # include<x.h>\nint two ;\n\n");
    EXPECT_EQ(run({"--include-list", "3"}), path("list3/x.h") + " | # include<x.h>\nint two ;\n\n");
    // -D comes after predefined.ini, and the later word of a name wins.
    EXPECT_EQ(run({"-D", "X=5"}), path("list0/x.h") + " | # include<x.h>\n\n");
    EXPECT_EQ(runCli({"analyze", file, "--include-list", "4"}).exitCode, 2);
}

TEST_F(AnalyzeCommandTest, OptionsBeforeTheInputs)
{
    const std::string file = write("a.cpp", "#if X\nint x;\n#endif\n");
    const json doc = analyze({"-D", "X=2", file, "--dump", "tokens"});
    ASSERT_EQ(doc["units"].size(), 1u);
    EXPECT_EQ(spell(doc["units"][0]["tokens"]), "int x ;\n\n");
}

TEST_F(AnalyzeCommandTest, InputsOfEveryKind)
{
    write("tree/a.c", "int a;\n");
    write("tree/sub/b.cc", "int b;\n");
    write("tree/sub/deeper/c.cpp", "int c;\n");
    write("tree/sub/h.h", "int h;\n");
    write("tree/notes.txt", "int n;\n");
    auto r = runCli({"analyze", path("tree"), "--dump", "units"});
    ASSERT_EQ(r.exitCode, 0);
    const json doc = json::parse(r.out);
    std::vector<std::string> paths;
    for (const json& unit : doc["units"]) paths.push_back(unit["path"]);
    // Headers are project files too, analysed after the sources.
    EXPECT_EQ(paths, (std::vector<std::string>{path("tree/a.c"), path("tree/sub/b.cc"), path("tree/sub/deeper/c.cpp"),
                                               path("tree/sub/h.h")}));
    EXPECT_EQ(r.err.find("skipped"), std::string::npos);

    // A file that is not a source is reported and left out; the run goes on.
    r = runCli({"analyze", path("tree/notes.txt"), path("tree/a.c"), "--dump", "units"});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1), path("tree/notes.txt") + ": skipped (not a C or C++ source file)\n");
    EXPECT_EQ(json::parse(r.out)["units"].size(), 1u);

    r = runCli({"analyze", path("tree/a.c"), path("none.cpp")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(path("none.cpp")), std::string::npos);
}

// A library laid out as compilers see it: its sources include its headers by a path below the
// include directory, and the platform's words are known without any option.
TEST_F(AnalyzeCommandTest, LibraryWithHeadersBelowAnIncludeDirectory)
{
    write("lib/include/lib/core.h", "#ifdef __cplusplus\nint cpp_only;\n#endif\n"
                                    "#if __STDC_VERSION__ >= 201112L && defined(__linux__)\nint c11;\n#endif\n");
    write("lib/src/a.c", "#include \"lib/core.h\"\nint a;\n");
    auto names = [&](std::vector<std::string> args) {
        args.insert(args.begin(), "analyze");
        const auto r = runCli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        std::vector<std::string> found;
        const json doc = json::parse(r.out);
        for (const json& entry : doc["symbols"]["children"]) found.push_back(entry["name"]);
        return found;
    };
    // The header is analysed once, as part of the C source that includes it.
    EXPECT_EQ(names({path("lib"), "-I", path("lib/include")}), (std::vector<std::string>{"a", "c11"}));
    // Without its includer it is read as C++.
    EXPECT_EQ(names({path("lib/include")}), std::vector<std::string>{"cpp_only"});
    // An options folder without predefined.ini has the same words; one with it has only its own.
    write("opts/Include.ini", "0\r\n0\r\n0\r\n0\r\n");
    EXPECT_EQ(names({path("lib/include"), "--options-dir", path("opts")}), std::vector<std::string>{"cpp_only"});
    write("opts/predefined.ini", "");
    EXPECT_TRUE(names({path("lib/include"), "--options-dir", path("opts")}).empty());
}

TEST_F(AnalyzeCommandTest, FifoNamedLikeASourceIsNotWaitedFor)
{
    const std::string fifo = path("pipe.cpp");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto r = runCli({"analyze", fifo, "--dump", "log"});
    EXPECT_EQ(json::parse(r.out)["log"][0], fifo + " : cannot open file");
}

TEST_F(AnalyzeCommandTest, PreprocessingErrorEndsOnlyItsUnit)
{
    // A condition that cannot be evaluated counts as false; an #else without #if ends the unit.
    const std::string bad = write("bad.cpp", "int before;\n#if 1.5\nint in;\n#endif\n#else\nint after;\n");
    const std::string good = write("good.cpp", "int good;\n");
    const auto r = runCli({"analyze", bad, good, "--dump", "log,tokens"});
    ASSERT_EQ(r.exitCode, 0);
    const json doc = json::parse(r.out);
    const std::vector<std::string> log{"Parsing: " + bad, "262  is not Allowed By Preprocessing Expression",
                                       bad + ":2: #if cannot be evaluated (Unknown Operator), taken as false",
                                       "cannot preprocessing Else because there is no if or if(n)def.",
                                       bad + ": Preprocessing Error", "Parsing: " + good, "Parsing Complete."};
    EXPECT_EQ(doc["log"], json(log));
    std::string err;
    for (const std::string& line : log) err += line + '\n';
    EXPECT_EQ(r.err, err);
    // The failed unit keeps its tokens as they were from the failing line on.
    EXPECT_EQ(spell(doc["units"][0]["tokens"]), "int before ;\n\n# else\nint after ;\n");
    EXPECT_EQ(spell(doc["units"][1]["tokens"]), "int good ;\n");
}

TEST_F(AnalyzeCommandTest, BytesAbove127GiveValidJson)
{
    // Invalid UTF-8 in a literal and in the file's name, which the log lines carry.
    const std::string file = write("\xE9t\xC3\xA9.cpp", "char* s = \"caf\xC3\xA9 \xFF\";\nchar c = '\xE9';\n");
    const auto r = runCli({"analyze", file, "--dump", "log,tokens"});
    ASSERT_EQ(r.exitCode, 0);
    const json doc = json::parse(r.out);
    const std::string shown = path("\xEF\xBF\xBDt\xC3\xA9.cpp");
    EXPECT_EQ(doc["log"][0], "Parsing: " + shown);
    EXPECT_EQ(doc["units"][0]["path"], shown);
    EXPECT_EQ(spell(doc["units"][0]["tokens"]), "char * s = \"caf\xC3\xA9 \xEF\xBF\xBD\" ;\nchar c = '\xEF\xBF\xBD' ;\n");
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "Parsing: " + file);  // standard error has the bytes as they are
}

}  // namespace
}  // namespace qm::cli

namespace qm::cli {
namespace {

// Files parsed on a pool of threads give the same document, byte for byte, as one thread: the
// symbols, the units with their trees, and the log in the same order.
TEST(AnalyzeJobs, EveryNumberOfJobsGivesTheSameDocument)
{
    const fs::path dir = fs::temp_directory_path() / ("qm-cli-jobs-" + std::to_string(::getpid()));
    fs::create_directories(dir / "inc");
    // A header that every file includes, in different macro states, with a stray directive word,
    // and files whose parse writes log lines (a nesting too deep).
    std::ofstream(dir / "inc" / "shared.h") << "#ifndef SHARED_H\n#define SHARED_H\nstruct Shared { int line; };\n"
                                               "#ifdef WIDE\nint wide();\n#endif\n#endif\n";
    for (int i = 0; i < 24; ++i) {
        std::ofstream out(dir / ("f" + std::to_string(i) + ".cpp"));
        if (i % 3 == 0) out << "#define WIDE 1\n";
        out << "#include \"inc/shared.h\"\nnamespace n" << i % 5 << " {\n";
        for (int k = 0; k < 40; ++k) out << "int g" << i << '_' << k << "(int a) { if (a) return a; return " << k << "; }\n";
        out << "}\n";
        if (i % 7 == 0) out << std::string(300, '{') << std::string(300, '}') << "\n";
    }
    const std::vector<std::string> common = {"analyze", dir.string(), "--dump", "log,units,tree,symbols"};
    std::vector<std::string> one = common;
    one.insert(one.end(), {"--jobs", "1"});
    const auto reference = runCli(one);
    ASSERT_EQ(reference.exitCode, 0) << reference.err;
    EXPECT_NE(reference.out.find("nesting too deep"), std::string::npos);
    for (const char* jobs : {"2", "3", "8"}) {
        std::vector<std::string> args = common;
        args.insert(args.end(), {"--jobs", jobs});
        const auto r = runCli(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, reference.out) << "--jobs " << jobs;
        EXPECT_EQ(r.err, reference.err) << "--jobs " << jobs;
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace qm::cli

namespace qm::cli {
namespace {

// The output of `analyze` with every dump, for --jobs 1 and then each of `jobs`: the document on
// standard output and the log with the unknown-character messages on standard error are the
// same bytes, whether the workers read files ahead or not.
void expectSameForEveryJobs(const std::vector<std::string>& inputs, std::initializer_list<const char*> jobs,
                            const std::function<void(const testing::CliResult&)>& checkReference = {})
{
    std::vector<std::string> common = {"analyze"};
    common.insert(common.end(), inputs.begin(), inputs.end());
    common.insert(common.end(), {"--dump", "log,units,tree,symbols,tokens"});
    std::vector<std::string> one = common;
    one.insert(one.end(), {"--jobs", "1"});
    const auto reference = runCli(one);
    ASSERT_EQ(reference.exitCode, 0) << reference.err;
    if (checkReference) checkReference(reference);
    for (const char* n : jobs) {
        std::vector<std::string> args = common;
        args.insert(args.end(), {"--jobs", n});
        const auto r = runCli(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, reference.out) << "--jobs " << n;
        EXPECT_EQ(r.err, reference.err) << "--jobs " << n;
    }
}

TEST(AnalyzeJobs, TheExampleProjectGivesTheSameBytes)
{
    const fs::path root = fs::path(QM_TEST_DATA_DIR).parent_path().parent_path().parent_path();
    expectSameForEveryJobs({(root / "examples" / "example.qmp").string()}, {"2", "4"});
}

// Files read ahead on the workers: chains of quoted includes through folders, includes of files
// that are missing or no regular file, unknown characters (past the cap of one file too) between
// preprocessing messages, and a header that includes itself.
TEST(AnalyzeJobs, FilesReadAheadGiveTheSameDocumentAndStandardError)
{
    const fs::path dir = fs::temp_directory_path() / ("qm-cli-ahead-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "inc" / "deep");
    fs::create_directories(dir / "src");
    fs::create_directories(dir / "inc" / "folder.h");  // named like a header, not a file
    ::mkfifo((dir / "inc" / "pipe.h").c_str(), 0644);
    // c0.h includes c1.h ... up to c11.h, each defining a macro and declaring something with it.
    for (int i = 0; i < 12; ++i) {
        std::ofstream out(dir / "inc" / "deep" / ("c" + std::to_string(i) + ".h"));
        out << "#pragma once\n#define C" << i << " " << i << "\n";
        if (i + 1 < 12) out << "#include \"c" << i + 1 << ".h\"\n";
        out << "#ifdef WIDE\nint wide" << i << "[C" << i << " + 1];\n#else\nint narrow" << i << ";\n#endif\n";
        if (i % 4 == 1) out << "int strange" << i << " @ ;\n";
    }
    std::ofstream(dir / "inc" / "self.h") << "#ifndef SELF_DEPTH\n#define SELF_DEPTH\n#include \"self.h\"\n#endif\nint self;\n";
    for (int i = 0; i < 30; ++i) {
        std::ofstream out(dir / "src" / ("f" + std::to_string(i) + ".cpp"));
        if (i % 3 == 0) out << "#define WIDE\n";
        if (i % 5 == 0) out << "#include \"../inc/missing" << i << ".h\"\n";
        if (i % 7 == 0) out << "#include \"../inc/folder.h\"\n#include \"../inc/pipe.h\"\n";
        out << "#include \"../inc/deep/c" << i % 12 << ".h\"\n";
        if (i % 6 == 0) out << "#include \"../inc/self.h\"\n";
        out << "int f" << i << "(int a) { return a + C" << i % 12 << "; }\n";
        if (i % 4 == 0) out << "#if 1 +\n#endif\nint odd" << i << " = 1 @ 2 ` 3;\n#else\n";
        if (i == 9) {
            for (int k = 0; k < 150; ++k) out << "@\n";  // more than the cap of one file
        }
        out << "struct S" << i << " { int m; };\n";
    }
    expectSameForEveryJobs({dir.string()}, {"2", "4"}, [](const testing::CliResult& reference) {
        EXPECT_NE(reference.err.find("Unkonwn Token"), std::string::npos);
        EXPECT_NE(reference.err.find("more unknown-character messages left out"), std::string::npos);
        EXPECT_NE(reference.err.find("cannot open file"), std::string::npos);
        EXPECT_NE(reference.err.find("Preprocessing"), std::string::npos);
    });
    // Headers preprocessed again at every include are read again too, by the engine itself.
    expectSameForEveryJobs({dir.string(), "--preprocess-same-file"}, {"2"});
    fs::remove_all(dir);
}

}  // namespace
}  // namespace qm::cli
