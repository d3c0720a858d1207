// The analysis engine over real files: what a run analyses again, what it logs, how it stops.
#include "frontend/analysis_engine.h"
#include "frontend/option_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <utility>

#include <unistd.h>

namespace qm::frontend {
namespace {

namespace fs = std::filesystem;
using model::SourceUnit;
using ::testing::ElementsAre;
using ::testing::Contains;
using ::testing::IsSupersetOf;
using ::testing::Not;

// Stands in for the parser: declares a variable for every `int NAME` among the unit's tokens
// and remembers the units it was called for and the progress value each one saw.
struct FakeParser {
    std::string dir;  // left out of the recorded names
    const AnalysisEngine* engine = nullptr;
    std::function<void(const SourceUnit&, const std::atomic<bool>&)> hook;  // runs first
    std::vector<std::string> calls;
    std::vector<int> progress;
    std::mutex mutex;

    void operator()(SourceUnit& unit, const std::atomic<bool>& stop, LogSink&)
    {
        if (hook) hook(unit, stop);
        {
            std::lock_guard lock(mutex);  // a pool parses on several threads
            calls.push_back(unit.fileName.substr(dir.size()));
            progress.push_back(engine->progressPercent());
        }
        const auto& t = unit.tokens;
        for (std::size_t i = 0; i + 1 < t.size() && !stop; ++i) {
            if (t[i].code != model::tok::Int || t[i + 1].code != model::tok::Identifier) continue;
            model::AnalysisNode node;
            node.kind = model::NodeKind::Variable;
            node.hasBody = true;  // so that the table records the defining file
            auto detail = std::make_unique<model::VariableDetail>();
            detail->name.name = t[i + 1].text.str();
            node.detail = std::move(detail);
            unit.nodes.push_back(std::move(node));
        }
    }
    std::vector<std::string> files()
    {
        std::lock_guard lock(mutex);
        return std::exchange(calls, {});
    }
};

class AnalysisEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() / ("qm-engine-" + std::to_string(::getpid()) + "-" + test->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        install(m_engine, m_parser);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void install(AnalysisEngine& engine, FakeParser& parser)
    {
        parser.dir = m_dir + "/";
        parser.engine = &engine;
        engine.setParser([&parser](SourceUnit& u, const std::atomic<bool>& s, LogSink& l) { parser(u, s, l); });
    }
    std::string path(const std::string& name) const { return m_dir + "/" + name; }
    void write(const std::string& name, const std::string& text) { std::ofstream(path(name)) << text; }
    // "a" gives a.cpp declaring a1.
    void writeEach(std::initializer_list<std::string> stems)
    {
        for (const auto& n : stems) write(n + ".cpp", "int " + n + "1;\n");
    }
    // Every file named here is selected unless its name starts with '-'.
    RunSettings settings(std::initializer_list<std::string> names) { return settings(std::vector<std::string>(names)); }
    RunSettings settings(const std::vector<std::string>& names)
    {
        RunSettings s;
        for (const auto& n : names) s.files.push_back({path(n.substr(n[0] == '-')), n[0] != '-'});
        return s;
    }
    // The log since the last call, with the test folder left out of the paths.
    std::vector<std::string> log()
    {
        auto lines = m_log.takeLines();
        for (auto& line : lines) {
            if (const auto at = line.find(m_dir); at != std::string::npos) line.erase(at, m_dir.size() + 1);
        }
        return lines;
    }
    // The top-level entries as "name@file", one per definition.
    std::vector<std::string> result() const { return resultOf(m_engine); }
    static std::vector<std::string> resultOf(const AnalysisEngine& engine)
    {
        std::vector<std::string> out;
        if (!engine.result().children) return out;
        for (const auto& [key, entry] : *engine.result().children) {
            for (const fs::path f : entry.definitionFiles) out.push_back(entry.name + "@" + f.filename().string());
        }
        return out;
    }
    const SourceFile& cached(std::size_t i) const { return *m_engine.files().at(i); }
    void run(std::initializer_list<std::string> names) { m_engine.runSynchronously(settings(names)); }

    std::string m_dir;
    LogSink m_log;
    FakeParser m_parser;
    AnalysisEngine m_engine{m_log};
};

TEST_F(AnalysisEngineTest, FourFilesThenAnUnchangedSecondRun)
{
    writeEach({"a", "b", "c", "d"});
    run({"a.cpp", "b.cpp", "c.cpp", "d.cpp"});
    EXPECT_THAT(log(), ElementsAre("Parsing: a.cpp", "Parsing: b.cpp", "Parsing: c.cpp", "Parsing: d.cpp",
                                   "Parsing Complete."));
    EXPECT_THAT(m_parser.files(), ElementsAre("a.cpp", "b.cpp", "c.cpp", "d.cpp"));
    // 100 * i / N is set after file i, so the parser of each file sees the value of the one before.
    EXPECT_THAT(m_parser.progress, ElementsAre(0, 0, 25, 50));
    EXPECT_EQ(m_engine.progressPercent(), 75);
    const auto first = result();
    EXPECT_THAT(first, ElementsAre("a1@a.cpp", "b1@b.cpp", "c1@c.cpp", "d1@d.cpp"));
    EXPECT_FALSE(m_engine.isActive());
    EXPECT_TRUE(m_engine.takeRunFinished());
    EXPECT_FALSE(m_engine.takeRunFinished());

    run({"a.cpp", "b.cpp", "c.cpp", "d.cpp"});
    EXPECT_THAT(log(), ElementsAre("Parsing Complete."));
    EXPECT_TRUE(m_parser.files().empty());
    EXPECT_EQ(result(), first);
}

TEST_F(AnalysisEngineTest, OnlyChangedReselectedOrClearedFilesAreAnalysedAgain)
{
    writeEach({"a", "b", "c"});
    run({"a.cpp", "b.cpp", "c.cpp"});
    log();
    m_parser.files();

    write("b.cpp", "int b1; int b2;\n");  // a new size
    run({"a.cpp", "b.cpp", "c.cpp"});
    EXPECT_THAT(log(), ElementsAre("Parsing: b.cpp", "Parsing Complete."));
    EXPECT_THAT(m_parser.files(), ElementsAre("b.cpp"));
    EXPECT_THAT(result(), ElementsAre("a1@a.cpp", "b1@b.cpp", "b2@b.cpp", "c1@c.cpp"));

    run({"a.cpp", "c.cpp", "-b.cpp"});
    EXPECT_THAT(log(), ElementsAre("Parsing Complete."));
    EXPECT_THAT(result(), ElementsAre("a1@a.cpp", "c1@c.cpp"));
    EXPECT_EQ(m_engine.progressPercent(), 33);  // the unselected last file leaves it alone
    run({"a.cpp", "b.cpp", "c.cpp"});
    EXPECT_THAT(m_parser.files(), ElementsAre("b.cpp"));

    m_engine.clearAll();
    run({"a.cpp", "b.cpp", "c.cpp"});
    EXPECT_THAT(m_parser.files(), ElementsAre("a.cpp", "b.cpp", "c.cpp"));

    log();
    run({"-a.cpp", "-b.cpp", "-c.cpp"});
    EXPECT_THAT(log(), ElementsAre("Parsing Complete."));
    EXPECT_TRUE(result().empty());
    EXPECT_TRUE(m_engine.files().empty());
}

TEST_F(AnalysisEngineTest, UnreadableAndBrokenFilesAreLoggedAndTheRunGoesOn)
{
    write("bad.cpp", "#else\nint kept;\n");  // an #else without #if ends the preprocessing
    writeEach({"a"});
    run({"missing.cpp", "bad.cpp", "a.cpp"});
    EXPECT_THAT(log(), ElementsAre("missing.cpp : cannot open file", "Parsing: missing.cpp", "Parsing: bad.cpp",
                                   "cannot preprocessing Else because there is no if or if(n)def.",
                                   "bad.cpp: Preprocessing Error", "Parsing: a.cpp", "Parsing Complete."));
    EXPECT_THAT(result(), ElementsAre("a1@a.cpp", "kept@bad.cpp"));  // the broken unit keeps what it holds

    // The missing file counts as size 0, time 0 and stays cached until it appears.
    run({"missing.cpp", "bad.cpp", "a.cpp"});
    EXPECT_THAT(log(), ElementsAre("missing.cpp : cannot open file", "Parsing Complete."));
    write("missing.cpp", "int found;\n");
    run({"missing.cpp", "bad.cpp", "a.cpp"});
    EXPECT_THAT(log(), ElementsAre("Parsing: missing.cpp", "Parsing Complete."));
}

TEST_F(AnalysisEngineTest, LaterSeedsOverrideEarlierOnes)
{
    write("a.cpp", "#if X == 2\nint two;\n#else\nint other;\n#endif\n");
    RunSettings s = settings({"a.cpp"});
    s.macroSeeds = {{"X", 1}, {"Y", 5}, {"X", 2}};  // a global word, then the project's defines
    m_engine.runSynchronously(std::move(s));
    EXPECT_THAT(result(), ElementsAre("two@a.cpp"));
}

TEST_F(AnalysisEngineTest, SharedHeaderIsPreprocessedOnceUnlessAskedAgain)
{
    write("h.h", "#if MODE == 2\nint second;\n#endif\nint shared;\n#define FROM_HEADER 1\n");
    for (const std::string n : {"a", "b", "c"}) {
        // Each file's own variable is there only when the header's macro reached the file.
        write(n + ".cpp", "#define MODE " + std::string(n == "b" ? "2" : "1") + "\n#include \"h.h\"\n#ifdef FROM_HEADER\nint " +
                              n + "1;\n#endif\n");
    }
    run({"a.cpp", "b.cpp", "c.cpp"});
    EXPECT_THAT(result(), ElementsAre("a1@a.cpp", "b1@b.cpp", "c1@c.cpp", "shared@h.h"));
    EXPECT_FALSE(cached(0).rootUnit->includedUnits.at(0)->tokens.empty());
    EXPECT_THAT(m_parser.files(), ElementsAre("a.cpp", "h.h", "b.cpp", "h.h", "c.cpp", "h.h"));
    for (std::size_t i = 0; i < 3; ++i) {
        // Its declarations come from the first includer; its macros reach every one.
        EXPECT_EQ(cached(i).rootUnit->includedUnits.at(0)->tokens.empty(), i > 0) << i;
        EXPECT_EQ(cached(i).macros.size(), 0u) << i;  // the table goes once the file is preprocessed
    }

    // Forgetting the first includer frees the header for the file that includes it next.
    m_engine.forgetFile(path("a.cpp"));
    m_engine.forgetFile(path("nothing.cpp"));
    m_engine.rebuildResult();
    EXPECT_THAT(result(), ElementsAre("b1@b.cpp", "c1@c.cpp"));
    run({"a.cpp", "b.cpp", "c.cpp"});
    EXPECT_THAT(m_parser.files(), ElementsAre("a.cpp", "h.h"));
    EXPECT_THAT(result(), ElementsAre("a1@a.cpp", "b1@b.cpp", "c1@c.cpp", "shared@h.h"));

    // Preprocessed again: other content stays, the same content refers to the first unit.
    m_engine.clearAll();
    RunSettings again = settings({"a.cpp", "b.cpp", "c.cpp"});
    again.preprocessSameFile = true;
    m_engine.runSynchronously(std::move(again));
    EXPECT_THAT(result(), ElementsAre("a1@a.cpp", "b1@b.cpp", "c1@c.cpp", "second@h.h", "shared@h.h", "shared@h.h"));
    const SourceUnit& a = *cached(0).rootUnit->includedUnits.at(0);
    const SourceUnit& c = *cached(2).rootUnit->includedUnits.at(0);
    EXPECT_EQ(a.canonical, nullptr);
    EXPECT_EQ(c.canonical, &a);
    EXPECT_TRUE(c.tokens.empty());
}

// The macros a file sees do not depend on which file included a header first.
TEST_F(AnalysisEngineTest, HeaderMacrosReachEveryIncluderInAnyOrder)
{
    write("h.h", "#ifndef H_H\n#define H_H\n#ifdef WANT_BIG\n#define SIZE 2\n#else\n#define SIZE 1\n#endif\n"
                 "#include \"inner.h\"\nint shared;\n#endif\n");
    write("inner.h", "#define INNER SIZE\n");
    write("a.cpp", "#include \"h.h\"\n#if SIZE == 1 && INNER == 1\nint a_small;\n#endif\n");
    write("b.cpp", "#define WANT_BIG\n#include \"h.h\"\n#if SIZE == 2 && INNER == 2\nint b_big;\n#endif\n");
    write("c.cpp", "#include \"h.h\"\n#if SIZE == 1 && INNER == 1\nint c_small;\n#endif\n");
    write("d.cpp", "#include \"h.h\"\n#include \"h.h\"\n#if SIZE == 1\nint d_small;\n#endif\n");
    const std::vector<std::string> expected{"a_small@a.cpp", "b_big@b.cpp", "c_small@c.cpp", "d_small@d.cpp",
                                            "shared@h.h"};
    for (const bool sameFile : {false, true}) {
        for (const auto& order : {std::vector<std::string>{"a.cpp", "b.cpp", "c.cpp", "d.cpp"},
                                  std::vector<std::string>{"d.cpp", "c.cpp", "b.cpp", "a.cpp"},
                                  std::vector<std::string>{"b.cpp", "d.cpp", "a.cpp", "c.cpp"}}) {
            m_engine.clearAll();
            RunSettings s;
            for (const auto& n : order) s.files.push_back({path(n), true});
            s.preprocessSameFile = sameFile;
            m_engine.runSynchronously(std::move(s));
            auto found = result();
            if (sameFile) {
                // Each distinct content of the header is shown once: `shared` under SIZE 1 and 2.
                EXPECT_EQ(std::count(found.begin(), found.end(), "shared@h.h"), 2) << order[0];
                found.erase(std::find(found.begin(), found.end(), "shared@h.h"));
            }
            EXPECT_EQ(found, expected) << order[0] << (sameFile ? " again" : "");
        }
    }
    EXPECT_THAT(log(), Not(Contains(::testing::HasSubstr("Error"))));
}

// A header's #undef reaches every file that includes it, also those that only replay it.
TEST_F(AnalysisEngineTest, HeaderUndefinesReachEveryIncluder)
{
    write("off.h", "#undef FEATURE\n");
    for (const char* n : {"a.cpp", "b.cpp"}) {
        write(n, std::string("#define FEATURE 1\n#include \"off.h\"\n#ifdef FEATURE\nint on_") + n[0]
                     + ";\n#else\nint off_" + n[0] + ";\n#endif\n");
    }
    for (const bool sameFile : {false, true}) {
        m_engine.clearAll();
        RunSettings s;
        s.files = {{path("a.cpp"), true}, {path("b.cpp"), true}};
        s.preprocessSameFile = sameFile;
        m_engine.runSynchronously(std::move(s));
        EXPECT_THAT(result(), ElementsAre("off_a@a.cpp", "off_b@b.cpp")) << sameFile;
    }
}

// A header of comments and blank lines only, first reached while another header is replayed,
// still shows as a unit of its own with its line ends (its sequence holds newlines only).
TEST_F(AnalysisEngineTest, AHeaderOfLineEndsOnlyIsKeptWhenReachedInAReplay)
{
    write("blank.h", "// nothing to declare\n\n/* over\n   lines */\n");
    write("x.h", "#ifdef WANT_BLANK\n#include \"blank.h\"\n#endif\nint x;\n");
    write("a.cpp", "#include \"x.h\"\n");
    write("b.cpp", "#define WANT_BLANK\n#include \"x.h\"\n");
    RunSettings s;
    s.files = {{path("a.cpp"), true}, {path("b.cpp"), true}};
    m_engine.runSynchronously(std::move(s));
    const SourceUnit& replayed = *m_engine.files().at(1)->rootUnit->includedUnits.at(0);
    ASSERT_EQ(replayed.includedUnits.size(), 1u);
    const SourceUnit& blank = *replayed.includedUnits.front();
    EXPECT_TRUE(blank.tokens.empty());
    EXPECT_EQ(blank.lineBreaks.size(), 3u);
}

// What a header did in one file is reused in another only where the names its directive lines
// looked up (those of the headers it includes among them) say the same: here the configuration
// word, and whether the header it includes with `#pragma once` was included before.
TEST_F(AnalysisEngineTest, HeaderOutcomesFollowTheNamesTheHeaderReads)
{
    write("cfg.h", "#ifdef MODE_B\n#define VALUE 2\n#else\n#define VALUE 1\n#endif\n#include \"leaf.h\"\n");
    write("leaf.h", "#pragma once\n#define LEAF VALUE\n");
    write("a.cpp", "#define UNRELATED 5\n#include \"cfg.h\"\n#if VALUE == 1 && LEAF == 1\nint a_ok;\n#endif\n");
    write("b.cpp", "#define MODE_B\n#include \"cfg.h\"\n#if VALUE == 2 && LEAF == 2\nint b_ok;\n#endif\n");
    write("c.cpp", "#include \"leaf.h\"\n#include \"cfg.h\"\n#if VALUE == 1 && LEAF == 0\nint c_ok;\n#endif\n");
    write("d.cpp", "#define UNRELATED 9\n#include \"cfg.h\"\n#include \"cfg.h\"\n#if VALUE == 1 && LEAF == 1\nint d_ok;\n#endif\n");
    const std::vector<std::string> expected{"a_ok@a.cpp", "b_ok@b.cpp", "c_ok@c.cpp", "d_ok@d.cpp"};
    for (const bool sameFile : {false, true}) {
        for (const auto& order : {std::vector<std::string>{"a.cpp", "b.cpp", "c.cpp", "d.cpp"},
                                  std::vector<std::string>{"d.cpp", "c.cpp", "b.cpp", "a.cpp"},
                                  std::vector<std::string>{"c.cpp", "a.cpp", "d.cpp", "b.cpp"}}) {
            m_engine.clearAll();
            RunSettings s;
            for (const auto& n : order) s.files.push_back({path(n), true});
            s.preprocessSameFile = sameFile;
            m_engine.runSynchronously(std::move(s));
            EXPECT_EQ(result(), expected) << order[0] << (sameFile ? " again" : "");
        }
    }
}

// A header included by many files costs its tokens once, with or without preprocessing it
// again for each, and also when the files reach it with different macros that do not change it.
TEST_F(AnalysisEngineTest, ManyIncludersOfOneHeaderKeepOneCopyOfItsTokens)
{
    std::string big = "#ifndef BIG\n#define BIG\n";
    for (int i = 0; i < 2000; ++i) big += "int v" + std::to_string(i) + ";\n";
    write("big.h", big + "#endif\n");
    std::vector<std::string> names;
    for (int i = 0; i < 20; ++i) {
        const std::string n = "s" + std::to_string(i);
        write(n + ".cpp", (i % 2 ? "#define ID " + std::to_string(i) + "\n" : std::string()) + "#include \"big.h\"\nint " + n + ";\n");
        names.push_back(n + ".cpp");
    }
    for (const bool sameFile : {false, true}) {
        m_engine.clearAll();
        RunSettings s;
        for (const auto& n : names) s.files.push_back({path(n), true});
        s.preprocessSameFile = sameFile;
        m_engine.runSynchronously(std::move(s));
        std::size_t held = 0;
        std::size_t units = 0;
        std::size_t canonical = 0;
        for (const auto& file : m_engine.files()) {
            for (const auto& unit : file->rootUnit->includedUnits) {
                held += unit->tokens.capacity();
                ++units;
                canonical += unit->canonical != nullptr;
                // A unit that shows another's content keeps nothing of its own sequence.
                if (unit->canonical) {
                    EXPECT_TRUE(unit->tokens.empty() && unit->lineBreaks.empty());
                }
            }
        }
        EXPECT_EQ(units, 20u);
        EXPECT_LT(held, 2 * 8010u) << sameFile;  // one copy of the header's 8,000-odd tokens
        EXPECT_EQ(canonical, sameFile ? 19u : 0u);
        EXPECT_EQ(result().size(), 2020u);
    }
}

TEST_F(AnalysisEngineTest, LanguageWordsReachOnlyFilesOfTheirLanguage)
{
    const std::string probe = "#ifdef __cplusplus\nint cpp_%;\n#endif\n#ifdef __STDC_VERSION__\nint c_%;\n#endif\n"
                              "#if __GNUC__ >= 12 && defined(__linux__)\nint gnu_%;\n#endif\n"
                              "#if defined(__GNUG__) && __cpp_if_constexpr >= 201606 && __cpp_lib_optional\nint gxx_%;\n#endif\n";
    auto named = [&](std::string stem) {
        std::string text = probe;
        for (std::size_t at; (at = text.find('%')) != std::string::npos;) text.replace(at, 1, stem);
        return text;
    };
    write("x.c", named("x"));
    write("y.cpp", named("y"));
    write("z.hpp", named("z"));
    RunSettings s = settings({"x.c", "y.cpp", "z.hpp"});
    s.macroSeeds = defaultPredefinedWords();
    m_engine.runSynchronously(std::move(s));
    EXPECT_THAT(result(), ElementsAre("c_x@x.c", "cpp_y@y.cpp", "cpp_z@z.hpp", "gnu_x@x.c", "gnu_y@y.cpp",
                                      "gnu_z@z.hpp", "gxx_y@y.cpp", "gxx_z@z.hpp"));
}

TEST_F(AnalysisEngineTest, HeadersAreProjectFilesAnalysedOnce)
{
    write("lib.h", "#if MODE == 3\nint lib3;\n#else\nint lib_other;\n#endif\n");
    write("main.cpp", "#define MODE 3\n#include \"lib.h\"\nint m;\n");
    write("solo.hpp", "int solo;\n");
    // Sources go first whatever the order of the list, so the header is analysed with the
    // macros of the source that includes it, and not on its own.
    run({"lib.h", "main.cpp", "solo.hpp"});
    EXPECT_THAT(log(), ElementsAre("Parsing: main.cpp", "Parsing: solo.hpp", "Parsing Complete."));
    EXPECT_THAT(m_parser.files(), ElementsAre("main.cpp", "lib.h", "solo.hpp"));
    EXPECT_THAT(result(), ElementsAre("lib3@lib.h", "m@main.cpp", "solo@solo.hpp"));
    EXPECT_EQ(m_engine.progressPercent(), 66);

    run({"lib.h", "main.cpp", "solo.hpp"});
    EXPECT_THAT(log(), ElementsAre("Parsing Complete."));
    EXPECT_THAT(result(), ElementsAre("lib3@lib.h", "m@main.cpp", "solo@solo.hpp"));

    // Without its includer the header is a project file of its own.
    run({"lib.h", "-main.cpp", "solo.hpp"});
    EXPECT_THAT(log(), ElementsAre("Parsing: lib.h", "Parsing Complete."));
    EXPECT_THAT(result(), ElementsAre("lib_other@lib.h", "solo@solo.hpp"));
}

TEST_F(AnalysisEngineTest, FileThatIncludesItselfEnds)
{
    write("guarded.cpp", "#ifndef GUARD\n#define GUARD\n#include \"guarded.cpp\"\nint g;\n#endif\n");
    write("loop.cpp", "#include \"loop.cpp\"\nint x;\n");
    run({"guarded.cpp", "loop.cpp"});
    EXPECT_THAT(log(), ElementsAre("Parsing: guarded.cpp", "Parsing: loop.cpp", "loop.cpp: include nesting too deep",
                                   "Parsing Complete."));
    EXPECT_EQ(cached(0).rootUnit->includedUnits.size(), 1u);
    EXPECT_TRUE(cached(0).rootUnit->includedUnits[0]->includedUnits.empty());
    // 200 nested units of the same content: every outer one is emptied for the innermost.
    const SourceUnit* unit = cached(1).rootUnit.get();
    int depth = 0;
    for (; !unit->includedUnits.empty(); ++depth) unit = unit->includedUnits.front().get();
    EXPECT_EQ(depth, 200);
    EXPECT_EQ(cached(1).rootUnit->canonical, unit);
    EXPECT_THAT(result(), ElementsAre("g@guarded.cpp", "x@loop.cpp"));
}

// A header that counts its inclusions in the macros B0..B23 (a binary counter), so that every
// file including it after that is preprocessed in a macro state never met before.
std::string counterHeader()
{
    std::string text = "#define CARRY 1\n";
    for (int i = 0; i < 24; ++i) {
        const std::string b = "B" + std::to_string(i);
        text += "#if CARRY\n#if " + b + "\n#define " + b + " 0\n#else\n#define " + b + " 1\n#define CARRY 0\n#endif\n#endif\n";
    }
    return text;
}

std::size_t countUnits(const SourceUnit& unit)
{
    std::size_t n = 1;
    for (const auto& nested : unit.includedUnits) n += countUnits(*nested);
    return n;
}

TEST_F(AnalysisEngineTest, IncludesThatDoubleAtEveryLevelStopAtTheBudget)
{
    // h0.h includes h1.h twice, h1.h includes h2.h twice, and so on 21 levels down, each counting
    // first: 2^22 units in states that never repeat, so nothing known can be reused. The budget
    // of the project file ends it with one line; the next file is analysed as usual.
    write("count.h", counterHeader());
    for (int i = 0; i < 21; ++i) {
        const std::string next = "h" + std::to_string(i + 1) + ".h";
        write("h" + std::to_string(i) + ".h",
              "#include \"count.h\"\n#include \"" + next + "\"\n#include \"" + next + "\"\nint v" + std::to_string(i) + ";\n");
    }
    write("h21.h", "#include \"count.h\"\nint last;\n");
    write("top.cpp", "#include \"h0.h\"\nint top;\n");
    writeEach({"after"});
    for (const bool sameFile : {true, false}) {
        RunSettings s = settings({"top.cpp", "after.cpp"});
        s.preprocessSameFile = sameFile;
        s.maxIncludes = 3000;
        m_engine.clearAll();
        m_engine.runSynchronously(std::move(s));
        EXPECT_THAT(log(), ElementsAre("Parsing: top.cpp",
                                       "top.cpp: too many included files or tokens; no further files are included",
                                       "Parsing: after.cpp", "Parsing Complete."))
            << sameFile;
        EXPECT_LE(countUnits(*cached(0).rootUnit), 3001u);
        EXPECT_THAT(result(), IsSupersetOf({"top@top.cpp", "v0@h0.h", "after1@after.cpp"}));
    }

    // The tokens those units read count too.
    RunSettings s = settings({"top.cpp"});
    s.preprocessSameFile = true;
    s.maxIncludedTokens = 20000;
    m_engine.clearAll();
    m_engine.runSynchronously(std::move(s));
    const auto lines = log();
    EXPECT_THAT(lines, Contains("top.cpp: too many included files or tokens; no further files are included"));
    EXPECT_LT(countUnits(*cached(0).rootUnit), 200u);
}

// Holds the run in the parser of `name` until a stop is requested; `entered` tells when.
void blockIn(FakeParser& parser, const std::string& name, std::atomic<bool>& entered)
{
    parser.hook = [&parser, name, &entered](const SourceUnit& unit, const std::atomic<bool>& stop) {
        if (unit.fileName != parser.dir + name) return;
        entered = true;
        entered.notify_all();
        while (!stop) std::this_thread::yield();
    };
}

TEST_F(AnalysisEngineTest, StopDuringTheSecondOfFiveFiles)
{
    writeEach({"a", "b", "c", "d", "e"});
    run({"a.cpp", "b.cpp", "c.cpp", "d.cpp", "e.cpp"});
    write("b.cpp", "int b1; int b2;\n");
    log();
    m_parser.files();

    std::atomic<bool> entered{false};
    blockIn(m_parser, "b.cpp", entered);
    ASSERT_EQ(m_engine.startRun(settings({"a.cpp", "b.cpp", "c.cpp", "d.cpp", "e.cpp"})),
              AnalysisEngine::StartResult::Started);
    entered.wait(false);
    EXPECT_TRUE(m_engine.isActive());
    EXPECT_FALSE(m_engine.runFinished());
    EXPECT_EQ(m_engine.startRun(settings({})), AnalysisEngine::StartResult::AlreadyRunning);
    m_engine.forgetFile(path("a.cpp"));  // ignored while the run is active
    m_engine.stopAndWait();
    EXPECT_FALSE(m_engine.isActive());
    EXPECT_TRUE(m_engine.takeRunFinished());
    EXPECT_THAT(log(), ElementsAre("Parsing: b.cpp", "Stop request accpet", "Engine stopped."));
    EXPECT_EQ(m_engine.progressPercent(), 0);
    EXPECT_THAT(result(), ElementsAre("a1@a.cpp"));  // c, d and e were cached but not reached

    m_parser.hook = nullptr;
    m_parser.files();
    run({"a.cpp", "b.cpp", "c.cpp", "d.cpp", "e.cpp"});
    const auto parsed = m_parser.files();
    EXPECT_THAT(parsed, IsSupersetOf({"c.cpp", "d.cpp", "e.cpp"}));
    EXPECT_THAT(parsed, Not(Contains("a.cpp")));
}

TEST_F(AnalysisEngineTest, AStopAskedForTheMomentARunStartsIsNotLost)
{
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i) {
        names.push_back("f" + std::to_string(i) + ".cpp");
        write(names.back(), "int f" + std::to_string(i) + ";\n");
    }
    ASSERT_EQ(m_engine.startRun(settings(names)), AnalysisEngine::StartResult::Started);
    m_engine.requestStop();  // most likely before the run's thread has even started
    m_engine.stopAndWait();
    // Whenever the request came, the run did not go on to the end after it.
    const std::vector<std::string> lines = log();
    const auto request = std::find(lines.begin(), lines.end(), "Stop request accpet");
    ASSERT_NE(request, lines.end());
    EXPECT_THAT(std::vector<std::string>(request, lines.end()), Not(Contains("Parsing Complete.")));
    if (std::find(lines.begin(), request, "Parsing Complete.") == request) {
        EXPECT_EQ(lines.back(), "Engine stopped.");
        EXPECT_LT(m_parser.files().size(), names.size());
    }
}

TEST_F(AnalysisEngineTest, FileInterruptedByAStopIsAnalysedAgain)
{
    writeEach({"a", "b", "c"});
    std::atomic<bool> entered{false};
    blockIn(m_parser, "b.cpp", entered);
    ASSERT_EQ(m_engine.startRun(settings({"a.cpp", "b.cpp", "c.cpp"})), AnalysisEngine::StartResult::Started);
    entered.wait(false);
    m_engine.stopAndWait();
    m_parser.hook = nullptr;
    m_parser.files();
    run({"a.cpp", "b.cpp", "c.cpp"});
    EXPECT_THAT(m_parser.files(), ElementsAre("b.cpp", "c.cpp"));
    EXPECT_THAT(result(), ElementsAre("a1@a.cpp", "b1@b.cpp", "c1@c.cpp"));
}

TEST_F(AnalysisEngineTest, EngineDestroyedWhileARunIsActive)
{
    writeEach({"a", "b"});
    FakeParser parser;
    auto engine = std::make_unique<AnalysisEngine>(m_log);
    install(*engine, parser);
    ASSERT_EQ(engine->startRun(settings({"a.cpp", "b.cpp"})), AnalysisEngine::StartResult::Started);
    while (engine->isActive()) std::this_thread::yield();
    engine->stopAndWait();  // the run is over: this only joins its thread
    EXPECT_TRUE(engine->takeRunFinished());
    EXPECT_THAT(log(), ElementsAre("Parsing: a.cpp", "Parsing: b.cpp", "Parsing Complete."));

    engine->clearAll();
    std::atomic<bool> entered{false};
    blockIn(parser, "b.cpp", entered);
    ASSERT_EQ(engine->startRun(settings({"a.cpp", "b.cpp"})), AnalysisEngine::StartResult::Started);
    entered.wait(false);
    engine.reset();
    EXPECT_THAT(log(), ElementsAre("Parsing: a.cpp", "Parsing: b.cpp", "Stop request accpet", "Engine stopped."));
}

TEST_F(AnalysisEngineTest, ParserFailureLeavesTheEngineUsable)
{
    writeEach({"a", "b", "c"});
    run({"a.cpp", "b.cpp"});
    m_parser.hook = [this](const SourceUnit& unit, const std::atomic<bool>&) {
        if (unit.fileName == path("c.cpp")) throw std::runtime_error("parser gave up");
    };
    run({"c.cpp", "a.cpp", "b.cpp"});  // fails before a and b are taken over
    EXPECT_FALSE(m_engine.isActive());
    EXPECT_THAT(log(), Contains("parser gave up"));

    m_parser.hook = nullptr;
    run({"c.cpp", "a.cpp", "b.cpp"});
    EXPECT_THAT(result(), ElementsAre("a1@a.cpp", "b1@b.cpp", "c1@c.cpp"));
}

}  // namespace
}  // namespace qm::frontend

namespace qm::frontend {
namespace {

// Runs whose pool also reads the next files ahead: a file that changed or went away after it was
// read ahead is read again, a stop ends the run, and the log and the result are those of one
// thread.
class EngineJobs : public AnalysisEngineTest {
protected:
    // Waits (at most a few seconds) until the workers have read each of `names` ahead.
    void waitUntilReadAhead(std::initializer_list<std::string> names)
    {
        std::unique_lock lock(m_seenMutex);
        m_seenChanged.wait_for(lock, std::chrono::seconds(10), [&] {
            return std::all_of(names.begin(), names.end(), [&](const std::string& n) { return m_readAhead.count(path(n)); });
        });
    }
    std::function<void(const std::string&)> noteReadAhead()
    {
        return [this](const std::string& p) {
            std::lock_guard lock(m_seenMutex);
            m_readAhead.insert(p);
            m_seenChanged.notify_all();
        };
    }
    // Every entry of the result with what it records and the entry its parent link names.
    static std::vector<std::string> tableOf(const AnalysisEngine& engine)
    {
        std::vector<std::string> out;
        std::vector<const model::SymbolEntry*> pending{&engine.result()};
        while (!pending.empty()) {
            const model::SymbolEntry* entry = pending.back();
            pending.pop_back();
            std::string line = entry->name + "/" + std::to_string(entry->parameterCount) + " kind " +
                               std::to_string(static_cast<int>(entry->kind)) + " in " +
                               (entry->parent ? entry->parent->name : "-");
            for (const auto& f : entry->definitionFiles) line += " " + std::string(f);
            line += " decl " + std::to_string(entry->declarations.size());
            out.push_back(line);
            if (entry->children) {
                for (const auto& [key, child] : *entry->children) pending.push_back(&child);
            }
        }
        return out;
    }
    RunSettings withJobs(RunSettings s, int jobs)
    {
        s.jobs = jobs;
        return s;
    }
    // The log and the result of a fresh engine over the same files with `jobs` threads.
    std::pair<std::vector<std::string>, std::vector<std::string>> freshRun(const std::vector<std::string>& names, int jobs)
    {
        FakeParser parser;
        AnalysisEngine engine(m_log);
        install(engine, parser);
        engine.runSynchronously(withJobs(settings(names), jobs));
        return {log(), resultOf(engine)};
    }

    std::mutex m_seenMutex;
    std::condition_variable m_seenChanged;
    std::set<std::string> m_readAhead;
};

TEST_F(EngineJobs, AFileChangedOrDeletedAfterItWasReadAheadIsReadAgain)
{
    const std::vector<std::string> names{"a.cpp", "b.cpp", "c.cpp", "d.cpp", "e.cpp", "f.cpp"};
    write("h.h", "int h1;\n");
    for (const auto& n : names) write(n, "#include \"h.h\"\nint " + n.substr(0, 1) + "1;\n");
    m_engine.setReadAheadSeams(
        [this](const std::string& p) {
            if (p == path("a.cpp")) waitUntilReadAhead({"c.cpp", "e.cpp"});
            if (p == path("c.cpp")) write("c.cpp", "int c1; int c2;\n");  // another size
            if (p == path("e.cpp")) fs::remove(path("e.cpp"));
        },
        noteReadAhead());
    m_engine.runSynchronously(withJobs(settings(names), 2));
    EXPECT_EQ(m_engine.readAheadCounts().stale, 2u);
    EXPECT_GE(m_engine.readAheadCounts().used, 1u);  // b.cpp at least, read while a.cpp waited
    const std::vector<std::string> pooled = log();
    EXPECT_THAT(pooled, Contains("e.cpp : cannot open file"));
    EXPECT_THAT(result(), IsSupersetOf({"c1@c.cpp", "c2@c.cpp", "b1@b.cpp"}));

    // One thread over the files as they are now writes the same and finds the same.
    const auto [singleLog, singleResult] = freshRun(names, 1);
    EXPECT_EQ(pooled, singleLog);
    EXPECT_EQ(result(), singleResult);
}

TEST_F(EngineJobs, AHeaderThatChangesBeforeItIsFirstReadIsMetAsTheVersionRead)
{
    const std::vector<std::string> names{"a.cpp", "b.cpp", "c.cpp"};
    write("h.h", "int h1;\n");
    for (const auto& n : names) write(n, "#include \"h.h\"\nint " + n.substr(0, 1) + "1;\n");
    bool changed = false;
    m_engine.setReadAheadSeams(
        [this, &changed](const std::string& p) {
            if (p == path("h.h") && !changed) {
                changed = true;
                write("h.h", "int h1; int h2;\n");  // another size: another change key
            }
        },
        noteReadAhead());
    m_engine.runSynchronously(withJobs(settings(names), 2));
    ASSERT_TRUE(changed);
    EXPECT_THAT(result(), IsSupersetOf({"h1@h.h", "h2@h.h"}));
    // a.cpp holds the header; b.cpp and c.cpp meet the version a.cpp read and only replay it.
    const auto& files = m_engine.files();
    ASSERT_EQ(files.size(), 3u);
    EXPECT_TRUE(files[0]->rootUnit->includedUnits.at(0)->hasTokens());
    for (std::size_t i = 1; i < files.size(); ++i) {
        const SourceUnit& h = *files[i]->rootUnit->includedUnits.at(0);
        EXPECT_FALSE(h.hasTokens()) << i;
        EXPECT_EQ(h.canonical, nullptr) << i;  // not read again and matched by its content
    }
    const auto [singleLog, singleResult] = freshRun(names, 1);
    EXPECT_EQ(result(), singleResult);
}

TEST_F(EngineJobs, AStopWhileFilesAreReadAheadEndsTheRunAndTheNextRunCompletesIt)
{
    std::vector<std::string> names;
    for (int i = 0; i < 6; ++i) {
        write("c" + std::to_string(i) + ".h", (i < 5 ? "#include \"c" + std::to_string(i + 1) + ".h\"\n" : std::string()) +
                                                  "#ifdef X" + std::to_string(i) + "\nint x" + std::to_string(i) + ";\n#endif\n");
    }
    for (int i = 0; i < 40; ++i) {
        names.push_back("f" + std::to_string(i) + ".cpp");
        write(names.back(), "#define X" + std::to_string(i % 6) + "\n#include \"c" + std::to_string(i % 6) + ".h\"\nint f" +
                                std::to_string(i) + ";\n");
    }
    // The stop comes while f10.cpp is read, with the files after it read ahead and waiting.
    m_engine.setReadAheadSeams(
        [this](const std::string& p) {
            if (p != path("f10.cpp")) return;
            waitUntilReadAhead({"f11.cpp", "f12.cpp"});
            m_engine.requestStop();
        },
        noteReadAhead());
    m_engine.runSynchronously(withJobs(settings(names), 2));
    std::vector<std::string> lines = log();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Engine stopped.");
    EXPECT_THAT(lines, Contains("Stop request accpet"));
    EXPECT_THAT(lines, Not(Contains("Parsing Complete.")));
    const std::size_t kept = result().size();
    EXPECT_LT(kept, 40u + 6u);
    // The table merged file by file during the run is the one built afresh from the files kept.
    const auto merged = tableOf(m_engine);
    m_engine.rebuildResult();
    EXPECT_EQ(tableOf(m_engine), merged);

    m_engine.setReadAheadSeams({}, {});
    m_engine.runSynchronously(withJobs(settings(names), 2));
    lines = log();
    EXPECT_EQ(lines.back(), "Parsing Complete.");
    const std::vector<std::string> completed = result();
    EXPECT_EQ(completed, freshRun(names, 1).second);
    EXPECT_GE(completed.size(), kept);
    const auto rerun = tableOf(m_engine);  // cached files and files parsed on the pool, merged in order
    m_engine.rebuildResult();
    EXPECT_EQ(tableOf(m_engine), rerun);
}

}  // namespace
}  // namespace qm::frontend
