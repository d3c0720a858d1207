// Preprocessing whole units: definitions and uses, conditional groups, the declaration macros of
// the Windows class library, includes, failures, and inputs built to exhaust time or memory.
#include "frontend/preprocessor.h"
#include "frontend/tokenize_file.h"
#include "model/token_text.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>

#include <unistd.h>

namespace qm::frontend {
namespace {

namespace fs = std::filesystem;
using model::SourceUnit;

constexpr const char* kDefineFailed = "#define Analysis - (Cannot Complete Analysis)";

// Tokens as text: one blank between the tokens of a line and a line feed for each newline token,
// so `#define N 10` and `N` on two lines read "# define N 10\n10\n".
// A unit's preprocessed sequence, the newlines its token vector does without included.
std::vector<model::Token> full(const SourceUnit& unit)
{
    std::vector<model::Token> tokens;
    unit.lineBreaks.forEachToken(unit.tokens, [&](const model::Token& t) { tokens.push_back(t); });
    return tokens;
}

std::string render(const std::vector<model::Token>& tokens)
{
    std::string out;
    bool lineStart = true;
    for (const auto& t : tokens) {
        if (t.code == model::tok::Newline) {
            out += '\n';
            lineStart = true;
            continue;
        }
        if (!lineStart) out += ' ';
        model::appendSpelling(out, t);
        lineStart = false;
    }
    return out;
}

// `text` scanned and spelled, untouched by the preprocessor.
std::string asText(std::string_view text)
{
    std::vector<model::Token> tokens;
    tokenizeText(text, tokens, [](std::string_view) {});
    return render(tokens);
}

std::string repeat(std::string_view piece, int count)
{
    std::string out;
    for (int i = 0; i < count; ++i) out += piece;
    return out;
}

struct Request {
    std::string path;
    int userFile;
    int depth;
};

class PreprocessorTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (!m_dir.empty()) fs::remove_all(m_dir);
    }

    // Preprocesses `text` as the unit `fileName` and returns the result as text; the message of a
    // failure that ends the unit (a PreprocessError or a condition that cannot be evaluated) is
    // kept in m_error.
    std::string run(std::string_view text, const std::string& fileName = "/p/src/x.cpp")
    {
        m_unit = SourceUnit{};
        m_unit.fileName = fileName;
        tokenizeText(text, m_unit.tokens, [](std::string_view) {});
        m_error.clear();
        try {
            preprocessUnit(m_unit, m_env, 0);
        } catch (const model::Error& e) {
            m_error = e.what();
        }
        return render(full(m_unit));
    }

    // A stored macro as "name(a,b) = body" (function-like) or "name = body".
    std::string macro(std::string_view name) const
    {
        const MacroDefinition* m = m_macros.find(name);
        if (!m) return "undefined";
        std::string out(name);
        if (m->functionLike) {
            out += '(';
            for (const auto& p : m->parameters) out += (&p == m->parameters.data() ? "" : ",") + p;
            out += ')';
        }
        return out + " = " + render(m->replacement);
    }

    // A folder of this test with `files` (relative path, content) written into it.
    fs::path folder(const std::vector<std::pair<std::string, std::string>>& files)
    {
        m_dir = fs::canonical(fs::temp_directory_path())
            / ("qm-pp-" + std::to_string(::getpid()) + "-"
               + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
        for (const auto& [name, content] : files) {
            fs::create_directories((m_dir / name).parent_path());
            std::ofstream(m_dir / name, std::ios::binary) << content;
        }
        return m_dir;
    }

    // What the engine does for an include, minus its registry: read, preprocess, hand over.
    std::unique_ptr<SourceUnit> includeFile(const std::string& path, int userFile, int depth)
    {
        m_requests.push_back({path, userFile, depth});
        if (m_onInclude) m_onInclude();
        auto unit = std::make_unique<SourceUnit>();
        unit->fileName = path;
        unit->userFile = userFile;
        std::error_code ec;
        if (fs::is_regular_file(path, ec) && tokenizeFile(path, unit->tokens, unit->stamp, m_log)) {
            try {
                preprocessUnit(*unit, m_env, depth);
            } catch (const model::Error&) {
                m_log.writeLine(path + ": Preprocessing Error");
            }
        }
        return unit;
    }

    MacroTable m_macros;
    std::vector<std::string> m_dirs;
    std::atomic<bool> m_stop{false};
    LogSink m_log;
    PreprocessEnvironment m_env{m_macros, m_dirs, false, m_stop, m_log,
                                [this](const std::string& path, int userFile, int depth) {
                                    return includeFile(path, userFile, depth);
                                }};
    SourceUnit m_unit;
    std::string m_error;
    std::vector<Request> m_requests;
    std::function<void()> m_onInclude;
    fs::path m_dir;
};

// --- The macro table ------------------------------------------------------------------------------

TEST(MacroTableTest, FingerprintFollowsTheContentAndTheJournalListsWhatChanged)
{
    MacroTable a;
    MacroTable b;
    a.defineValue("X", 1);
    a.defineValue("Y", 2);
    b.defineValue("Y", 2);
    b.defineValue("X", 1);
    EXPECT_EQ(a.fingerprint(), b.fingerprint());  // whatever the order
    b.defineValue("X", 3);
    EXPECT_NE(a.fingerprint(), b.fingerprint());
    b.defineValue("X", 1);
    EXPECT_EQ(a.fingerprint(), b.fingerprint());
    b.define(MacroDefinition{"X", true, false, false, {}, {}});  // X() with the same empty body
    EXPECT_NE(a.fingerprint(), b.fingerprint());

    const std::size_t mark = a.journalMark();
    a.defineValue("Z", 1);
    a.defineValue("X", 5);
    a.defineValue("Z", 2);
    const auto changes = a.changesSince(mark);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0]->name, "Z");
    EXPECT_EQ(changes[0]->replacement.at(0).text.view(), "2");
    EXPECT_EQ(changes[1]->name, "X");
    // Replaying the changes brings a table in the earlier state to the later one.
    MacroTable c;
    c.defineValue("Y", 2);
    c.defineValue("X", 1);
    for (const auto& definition : changes) c.define(definition);
    EXPECT_EQ(c.fingerprint(), a.fingerprint());
}

TEST(MacroTableTest, ReadSetsHoldWhatTheStateAnsweredOnce)
{
    MacroTable table;
    table.defineValue("CONFIG", 2);
    table.defineValue("UNREAD", 1);
    table.setRecording(true);
    table.beginReads();
    EXPECT_TRUE(table.contains("CONFIG"));
    EXPECT_EQ(table.find("ABSENT"), nullptr);
    table.defineValue("INSIDE", 1);  // defined inside the set: its lookups are no reads
    EXPECT_TRUE(table.contains("INSIDE"));
    table.beginReads();  // a nested include
    EXPECT_TRUE(table.contains("INSIDE"));   // a read for the inner set only
    EXPECT_TRUE(table.contains("CONFIG"));   // for both
    table.defineValue("CONFIG", 3);
    EXPECT_TRUE(table.contains("CONFIG"));   // read already: the first answer counts
    const auto inner = table.endReads();
    table.setRecording(false);
    EXPECT_EQ(table.find("OTHER"), nullptr);  // not recorded: text, not a directive
    table.setRecording(true);
    const auto outer = table.endReads();
    EXPECT_EQ(table.find("LATER"), nullptr);  // no set open

    auto names = [](const auto& reads) {
        std::vector<std::string> out;
        for (const auto& read : reads) out.push_back(read.first);
        return out;
    };
    EXPECT_EQ(names(inner), (std::vector<std::string>{"INSIDE", "CONFIG"}));
    EXPECT_EQ(names(outer), (std::vector<std::string>{"CONFIG", "ABSENT"}));
    EXPECT_EQ(outer[1].second, 0u);  // absent

    // A table agrees with the reads when it answers them alike, whatever else it holds.
    std::deque<std::string> keep;  // the names, where they do not move
    std::vector<MacroRead> reads;
    for (const auto& [name, identity] : outer) reads.push_back({&keep.emplace_back(name), identity});
    MacroTable other;
    other.defineValue("CONFIG", 2);
    other.defineValue("ELSE", 7);
    EXPECT_TRUE(other.agrees(reads));
    other.defineValue("ABSENT", 0);
    EXPECT_FALSE(other.agrees(reads));
    MacroTable changed;
    changed.defineValue("CONFIG", 3);
    EXPECT_FALSE(changed.agrees(reads));

    // A copy keeps the definitions, not the journal or open sets.
    MacroTable copy(table);
    EXPECT_EQ(copy.fingerprint(), table.fingerprint());
    EXPECT_TRUE(copy.contains("UNREAD"));
    EXPECT_TRUE(copy.changesSince(0).empty());
}

// A table layered on a shared base answers as a copy of the base would, and leaves the base as
// it was: the engine starts every project file's table that way.
TEST(MacroTableTest, LayeredTableActsAsACopyAndLeavesItsBaseAlone)
{
    auto base = std::make_shared<MacroTable>();
    base->defineValue("SEED", 1);
    base->defineValue("OTHER", 2);
    MacroTable layered = MacroTable::layeredOn(base);
    MacroTable copy(*base);
    EXPECT_EQ(layered.fingerprint(), copy.fingerprint());
    EXPECT_EQ(layered.size(), 2u);

    layered.setRecording(true);
    layered.beginReads();
    EXPECT_TRUE(layered.contains("SEED"));
    const std::size_t mark = layered.journalMark();
    for (MacroTable* table : {&layered, &copy}) {
        table->defineValue("SEED", 5);  // hides the base's
        table->defineValue("NEW", 3);
    }
    EXPECT_EQ(layered.find("SEED")->replacement.at(0).text.view(), "5");
    EXPECT_EQ(layered.fingerprint(), copy.fingerprint());
    EXPECT_EQ(layered.replacementTokens(), copy.replacementTokens());
    EXPECT_EQ(layered.size(), 3u);
    ASSERT_EQ(layered.changesSince(mark).size(), 2u);
    const auto reads = layered.endReads();
    ASSERT_EQ(reads.size(), 1u);  // SEED, as the base held it
    EXPECT_EQ(reads[0].second, MacroTable(*base).identity("SEED"));

    EXPECT_EQ(base->find("SEED")->replacement.at(0).text.view(), "1");
    EXPECT_EQ(base->find("NEW"), nullptr);
    MacroTable second = MacroTable::layeredOn(base);
    EXPECT_EQ(second.find("NEW"), nullptr);
    EXPECT_EQ(second.fingerprint(), MacroTable(*base).fingerprint());
    MacroTable copyOfLayered(layered);  // a copy stays layered on the same base
    EXPECT_EQ(copyOfLayered.fingerprint(), layered.fingerprint());
    EXPECT_TRUE(copyOfLayered.contains("OTHER"));
}

// --- Definitions and uses ----------------------------------------------------------------------

TEST_F(PreprocessorTest, ObjectMacrosExpandWhenDefinedAndTheDefineLineStays)
{
    EXPECT_EQ(run("#define N 10\nint a[N];\n"), "# define N 10\nint a [ 10 ] ;\n");
    // #undef takes the name out of use: #ifdef fails, #ifndef holds, uses stay as written, and a
    // new definition counts again.
    EXPECT_EQ(run("#define X 1\n#undef X\n#ifdef X\nin\n#endif\n#ifndef X\nX out\n#endif\n#define X 2\nX\n"),
              "# define X 1\n# undef X\n\nX out\n\n# define X 2\n2\n");
    EXPECT_EQ(run("#undef NEVER\n#if defined(NEVER) || NEVER\nno\n#endif\n"), "# undef NEVER\n\n");

    // The replacement is expanded once, at definition: B holds 1 only when A came first.
    EXPECT_EQ(run("#define A 1\n#define B A\nB\n"), "# define A 1\n# define B A\n1\n");
    m_macros = MacroTable();
    EXPECT_EQ(run("#define B A\n#define A 1\nB\n"), "# define B A\n# define A 1\nA\n");
    EXPECT_TRUE(m_log.takeLines().empty());
}

TEST_F(PreprocessorTest, FunctionMacrosSubstituteArgumentsOnlyWhenCalled)
{
    EXPECT_EQ(run("#define F(x) x+1\nF(2)*3 F;\n#define G F(2)*3 F\nG\n"),
              "# define F ( x ) x + 1\n2 + 1 * 3 F ;\n# define G F ( 2 ) * 3 F\n2 + 1 * 3 F\n");
    EXPECT_EQ(macro("G"), "G = 2 + 1 * 3 F");

    // A comma that would end an empty argument belongs to the next one; nested parentheses
    // protect their commas; arguments are not expanded.
    EXPECT_EQ(run("#define P(x) [x]\n#define Q(x, y) y|x\n#define Z(a) 7\nP(,a) Q(a,(b,c)) Q(,a,,b) Z() P(Z)\n"),
              "# define P ( x ) [ x ]\n# define Q ( x , y ) y | x\n# define Z ( a ) 7\n"
              "[ , a ] ( b , c ) | a , b | , a 7 [ Z ]\n");
}

TEST_F(PreprocessorTest, ParameterListShapes)
{
    EXPECT_EQ(run("#define F() 1\n#define A (x)\n#define M(a 1\n#define P(a, b) b a\n#define Q() q) r\n#define if 1\nif\n"
                  "#define R(a, ) s) t\n#define V(a, ...) v\n#define W(args...) w\n#define X(..., a) x\n"),
              "# define F ( ) 1\n# define A ( x )\n# define M ( a 1\n# define P ( a , b ) b a\n# define Q ( ) q ) r\n"
              "# define if 1\nif\n# define R ( a , ) s ) t\n# define V ( a , ... ) v\n# define W ( args ... ) w\n"
              "# define X ( ... , a ) x\n");
    EXPECT_EQ(macro("F"), "F() = 1");  // a list without parameters
    EXPECT_EQ(macro("A"), "A(x) = ");
    EXPECT_EQ(macro("M"), "M = ( a 1");
    EXPECT_EQ(macro("P"), "P(a,b) = b a");
    EXPECT_EQ(macro("Q"), "Q() = q ) r");
    EXPECT_EQ(macro("R"), "R(a,s) = t");  // a `)` where a name is due after a comma is passed over
    EXPECT_EQ(macro("V"), "V(a,__VA_ARGS__) = v");
    EXPECT_EQ(macro("W"), "W(args) = w");
    EXPECT_TRUE(m_macros.find("V")->variadic && m_macros.find("W")->variadic);
    EXPECT_EQ(macro("X"), "X = ( ... , a ) x");  // `...` must come last
    // A keyword can be defined, though its uses are not identifiers and stay.
    EXPECT_EQ(macro("if"), "if = 1");
}

TEST_F(PreprocessorTest, FunctionMacrosWithoutParametersAndVariadicOnes)
{
    EXPECT_EQ(run("#define Z() 0\nreturn Z(); Z;\n"), "# define Z ( ) 0\nreturn 0 ; Z ;\n");
    EXPECT_EQ(run("#define ONE(x) [x]\nONE() ONE(a)\n"), "# define ONE ( x ) [ x ]\n[ ] [ a ]\n");
    EXPECT_EQ(run("#define LOG(f, ...) printf(f, __VA_ARGS__)\nLOG(\"%d %d\", a, (b, c)); LOG(\"x\");\n"),
              "# define LOG ( f , ... ) printf ( f , __VA_ARGS__ )\n"
              "printf ( \"%d %d\" , a , ( b , c ) ) ; printf ( \"x\" , ) ;\n");
    // GNU's named variadic parameter, and the comma it drops before an empty list.
    EXPECT_EQ(run("#define E(f, args...) g(f, ## args)\nE(1) E(1, 2, 3)\n"),
              "# define E ( f , args ... ) g ( f , ## args )\ng ( 1 ) g ( 1 , 2 , 3 )\n");
    EXPECT_TRUE(m_log.takeLines().empty());
    EXPECT_TRUE(m_error.empty());
}

TEST_F(PreprocessorTest, PastingAndStringising)
{
    // `##` joins the tokens on its sides into one, which is then looked up again as a macro.
    EXPECT_EQ(run("#define MAKE(n) make_##n\n#define make_b 42\nMAKE(a) MAKE(b) MAKE()\n"),
              "# define MAKE ( n ) make_ ## n\n# define make_b 42\nmake_a 42 make_\n");
    EXPECT_EQ(run("#define STR(x) #x\nSTR(a + \"q\\n\" 'c') STR() STR(f(1, 2))\n"),
              "# define STR ( x ) # x\n\"a + \\\"q\\\\n\\\" 'c'\" \"\" \"f ( 1 , 2 )\"\n");
    EXPECT_EQ(full(m_unit)[9].code, model::tok::StringLiteral);
    // The usual indirections: arguments are expanded before they are substituted, unless `#` or
    // `##` takes them, and the result is scanned again.
    EXPECT_EQ(run("#define CAT_(a, b) a ## b\n#define CAT(a, b) CAT_(a, b)\n#define XSTR(x) STR(x)\n#define V 3\n"
                  "CAT(x, V) CAT_(x, V) XSTR(V) STR(V) CAT(1, 2)\n"),
              "# define CAT_ ( a , b ) a ## b\n# define CAT ( a , b ) CAT_ ( a , b )\n# define XSTR ( x ) STR ( x )\n"
              "# define V 3\nx3 xV \"3\" \"V\" 12\n");
    // Pasting what is not one token leaves both; an empty side leaves the other; keywords and
    // operators can be made.
    EXPECT_EQ(run("#define J(a, b) a ## b\nJ(x, +) J(+, =) J(, y) J(z, ) J(un, signed) J(-, >)\n"),
              "# define J ( a , b ) a ## b\nx + += y z unsigned ->\n");
    // An object-like macro pastes when it is defined; its `#` is an ordinary token.
    EXPECT_EQ(run("#define AB a ## b\n#define ab 7\n#define C x ## y ## z # w\nAB C\n"),
              "# define AB a ## b\n# define ab 7\n# define C x ## y ## z # w\nab xyz # w\n");
    EXPECT_EQ(macro("AB"), "AB = ab");
    // A macro is not expanded again inside its own result.
    EXPECT_EQ(run("#define SELF(x) SELF(x ## 1)\nSELF(a)\n"), "# define SELF ( x ) SELF ( x ## 1 )\nSELF ( a1 )\n");
    EXPECT_TRUE(m_log.takeLines().empty());
    EXPECT_TRUE(m_error.empty());
}

// Libraries choose between expansions with macros that paste a computed answer onto a name and
// call the result with arguments written after it (the "probe" idiom: a version namespace that is
// inline only for the chosen version). Inside such an expansion every result is scanned again,
// together with what follows it.
TEST_F(PreprocessorTest, ExpansionsOfPastingMacrosAreScannedAgainWithWhatFollows)
{
    const std::string probes =
        "#define CHECK(...) CHECK_N(__VA_ARGS__, 0, 0)\n#define CHECK_N(x, n, ...) n\n"
        "#define CAT(a, ...) a ## __VA_ARGS__\n#define IIF(c) CAT(IIF_, c)\n"
        "#define IIF_0(t, ...) __VA_ARGS__\n#define IIF_1(t, ...) t\n"
        "#define PROBE(ns) CHECK(CAT(ENABLED_, ns))\n#define ENABLED_v2 ~, 1\n"
        "#define VERSION_NS(ns) IIF(PROBE(ns))(inline namespace ns, namespace ns)\n";
    auto lastLine = [](const std::string& out) {
        const std::size_t end = out.find_last_not_of('\n');
        return out.substr(out.rfind('\n', end) + 1, end - out.rfind('\n', end));
    };
    EXPECT_EQ(lastLine(run(probes + "VERSION_NS(v1) { int a; }\n")), "namespace v1 { int a ; }");
    EXPECT_EQ(lastLine(run(probes + "IIF(1)(yes, no) IIF(0)(yes, no) IIF(PROBE(v3))(a, b)\n")), "yes no b");
    // A macro's own name at the end of its result stays switched off.
    EXPECT_EQ(lastLine(run("#define J(a, b) a ## b\n#define SELF(x) J(x, 1) SELF\nSELF(a)(b)\n")), "a1 SELF ( b )");
    EXPECT_TRUE(m_log.takeLines().empty());
}

TEST_F(PreprocessorTest, MisplacedPasteAndStringiseOperatorsAreReported)
{
    // `##` at either end of a body is dropped with a line; the macro is still defined.
    EXPECT_EQ(run("#define L ## a\n#define R(x) x ##\n#define S(x) # y x\nL R(1) S(2)\nafter\n"),
              "# define L ## a\n# define R ( x ) x ##\n# define S ( x ) # y x\na 1 # y 2\nafter\n");
    EXPECT_EQ(m_log.takeLines(), (std::vector<std::string>{
                                     "/p/src/x.cpp:1: '##' cannot appear at either end of a macro expansion",
                                     "/p/src/x.cpp:2: '##' cannot appear at either end of a macro expansion",
                                     "/p/src/x.cpp:3: '#' is not followed by a macro parameter"}));
    EXPECT_TRUE(m_error.empty());
}

TEST_F(PreprocessorTest, PastingChainsThatDoubleStayBounded)
{
    // Each level pastes its argument to itself: the token doubles in length with every level, so
    // the deepest use would be 2^32 bytes long. It stops at the paste limit with a line, and the
    // rest of the file is preprocessed.
    std::string text = "#define CAT(a, b) a ## b\n#define D0(x) CAT(x, x)\n";
    for (int i = 1; i <= 32; ++i) {
        text += "#define D" + std::to_string(i) + "(x) D" + std::to_string(i - 1) + "(D" + std::to_string(i - 1) + "(x))\n";
    }
    const std::string result = run(text + "D2(a) D32(a) D32(b)\n#define AFTER 1\n#if AFTER\nkept\n#endif\n");
    EXPECT_NE(result.find("\naaaaaaaaaaaaaaaa D32 ( a ) D32 ( b )\n"), std::string::npos) << result;
    EXPECT_NE(result.find("kept"), std::string::npos);
    EXPECT_EQ(m_log.takeLines(), std::vector<std::string>{"/p/src/x.cpp:35: macro expansion too large (D32)"});
    EXPECT_TRUE(m_error.empty());

    // Calls nested past the limit end the same way.
    run("#define N(x) x ## 1\n#define W(x) N(x)\n" + repeat("W(", 300) + "a" + repeat(")", 300) + "\nlast\n");
    EXPECT_EQ(m_log.takeLines(), std::vector<std::string>{"/p/src/x.cpp:3: macro expansion too large (W)"});
    const std::vector<model::Token> tokens = full(m_unit);
    EXPECT_EQ(tokens[tokens.size() - 2].text.view(), "last");
}

TEST_F(PreprocessorTest, BrokenDefinitionsAreLoggedAndScanningGoesOnAfterTheHash)
{
    // The body runs past the end: nothing is stored, and the line's words are expanded as text.
    EXPECT_EQ(run("#define Y 2\n#define Z Y"), "# define Y 2\n# define Z 2");
    EXPECT_FALSE(m_macros.contains("Z"));
    EXPECT_EQ(run("#define"), "# define");
    EXPECT_EQ(run("#define F("), "# define F (");
    EXPECT_EQ(m_log.takeLines(), (std::vector<std::string>{kDefineFailed, kDefineFailed, kDefineFailed}));
    EXPECT_TRUE(m_error.empty());

    // A call without `)` in a body is logged; the same call then ends the unit as text.
    EXPECT_EQ(run("#define F(x) x\n#define G F(1\nG\n"), "# define F ( x ) x\n# define G F ( 1\nG\n");
    EXPECT_EQ(m_log.takeLines(), std::vector<std::string>{"#define get content parameter Error - End2"});
    EXPECT_EQ(m_error, "#define get content parameter Error - End");
    EXPECT_FALSE(m_macros.contains("G"));
}

TEST_F(PreprocessorTest, FailedCallsKeepWhatWasRewrittenAndLeaveTheRest)
{
    EXPECT_EQ(run("#define N 10\n#define F(x) x\nN F(1 N\n"), "# define N 10\n# define F ( x ) x\n10 F ( 1 N\n");
    EXPECT_EQ(m_error, "#define get content parameter Error - End");

    // A parameter used without an argument.
    EXPECT_EQ(run("#define G(x, y) y x\nN G(1) N\n"), "# define G ( x , y ) y x\n10 G ( 1 ) N\n");
    EXPECT_FALSE(m_error.empty());
}

TEST_F(PreprocessorTest, CallWithAMissingArgumentIsLeftWhole)
{
    EXPECT_EQ(run("#define G(x, y) x y\nG(1) N\n"), "# define G ( x , y ) x y\nG ( 1 ) N\n");
    EXPECT_FALSE(m_error.empty());
}

// --- Conditional groups ------------------------------------------------------------------------

TEST_F(PreprocessorTest, ConditionalLinesAndFalseGroupsGo)
{
    EXPECT_EQ(run("#if 0\na\n#else\nb\n#endif\n"), "b\n\n");
    EXPECT_EQ(run("#if 1\na\n#else\nb\n#endif\n"), "a\n\n");
    EXPECT_EQ(run("#if 0\na\n#elif 1\nb\n#else\nc\n#endif\n"), "b\n\n");
    EXPECT_EQ(run("#if 1\na\n#elif 1\nb\n#else\nc\n#endif\n"), "a\n\n");
    EXPECT_EQ(run("#if 0\n#if 1\na\n#else\nb\n#endif\nc\n#else\nd\n#endif\n"), "d\n\n");
    // Definitions in a dropped group are not made.
    EXPECT_EQ(run("#if 0\n#define Q 1\n#endif\nQ\n"), "\nQ\n");
    EXPECT_EQ(run("#ifndef G\n#define G\n#if defined G && defined(G) && !defined H\nyes\n#elif 1\nno\n#endif\n#endif\n"),
              "# define G\nyes\n\n\n");
    // Macros are replaced in conditions; other names, and function macros without `(`, are 0.
    EXPECT_EQ(run("#define ONE 1\n#define F(x) x\n#if F(0) || ONE\na\n#endif\n#if UNKNOWN || F\nb\n#endif\n"),
              "# define ONE 1\n# define F ( x ) x\na\n\n\n");
    // `#else junk` is not the end of a false group.
    EXPECT_EQ(run("#if 0\na\n#else junk\nb\n#endif\nc\n"), "\nc\n");
    EXPECT_TRUE(m_error.empty());
}

TEST_F(PreprocessorTest, DirectivesOutOfPlace)
{
    // `#ifdef` with two words is left alone and opens nothing; its #endif only loses `# endif`.
    EXPECT_EQ(run("#ifdef A B\nx\n#endif y\n"), "# ifdef A B\nx\ny\n");
    // #elif without an open conditional works as if no group was taken yet.
    EXPECT_EQ(run("#elif 1\na\n#else\nb\n#endif\n"), "a\n\n");
    EXPECT_EQ(run("#elif 0\na\n#endif\nb\n"), "\nb\n");
    // A false group that is never closed keeps its tokens and its directive line.
    EXPECT_EQ(run("#define N 1\n#if 0\na N\n#ifdef U\nN"), "# define N 1\n# if 0\na 1\n# ifdef U\n1");
    EXPECT_TRUE(m_error.empty());
    EXPECT_TRUE(m_log.takeLines().empty());
}

TEST_F(PreprocessorTest, ElseErrorsEndTheUnit)
{
    const std::string elseWithoutIf = "cannot preprocessing Else because there is no if or if(n)def.";
    EXPECT_EQ(run("#define N 1\nN\n#else\nN\n"), "# define N 1\n1\n# else\nN\n");
    EXPECT_EQ(m_error, elseWithoutIf);
    EXPECT_EQ(m_log.takeLines(), std::vector<std::string>{elseWithoutIf});

    EXPECT_EQ(run("#if 1\nN\n#else\nN\n"), "1\n# else\nN\n");
    EXPECT_EQ(m_error, "cannot handle preprocessing Else");
    EXPECT_EQ(m_log.takeLines(), std::vector<std::string>{"cannot handle preprocessing Else"});
}

TEST_F(PreprocessorTest, ConditionsThatCannotBeEvaluatedCountAsFalse)
{
    // The line saying why, the group dropped, and everything after it preprocessed as usual.
    EXPECT_EQ(run("#if UNDEFINED_FN(1, 2)\nbad\n#else\nother\n#endif\n#define LATER 5\nLATER\n#if 0\nno\n#endif\n"
                  "#ifdef LATER\nyes\n#else\nno\n#endif\n"),
              "other\n\n# define LATER 5\n5\n\nyes\n\n");
    EXPECT_EQ(m_log.takeLines(), (std::vector<std::string>{
                                     "44  is not Allowed By Preprocessing Expression",
                                     "/p/src/x.cpp:1: #if cannot be evaluated (Unknown Operator), taken as false"}));
    EXPECT_TRUE(m_error.empty());

    // Malformed `defined`, a call that does not close on the line, an empty condition (a macro
    // defined empty), a missing newline, and an #elif.
    for (const char* text : {"N\n#if defined\nx\n#endif\nN\n", "N\n#if defined(N\nx\n#endif\nN\n",
                             "N\n#if defined 1\nx\n#endif\nN\n", "N\n#if (N\nx\n#endif\nN\n",
                             "N\n#if F(1\nx\n#endif\nN\n", "N\n#define E\n#if E\nx\n#endif\nN\n"}) {
        m_macros = MacroTable();
        m_macros.defineValue("N", 1);
        m_macros.define(MacroDefinition{"F", true, false, false, {"a"}, {}});
        const std::string result = run(text);
        EXPECT_EQ(result.find('x'), std::string::npos) << text;
        EXPECT_EQ(result.substr(result.size() - 2), "1\n") << text;
        EXPECT_TRUE(m_error.empty()) << text;
        const auto lines = m_log.takeLines();
        ASSERT_FALSE(lines.empty()) << text;
        EXPECT_NE(lines.back().find(": #if cannot be evaluated ("), std::string::npos) << lines.back();
    }
    EXPECT_EQ(run("N\n#if 1"), "1\n# if 1");
    EXPECT_EQ(m_log.takeLines(), std::vector<std::string>{"/p/src/x.cpp:2: #if cannot be evaluated (#if #elif no condition), taken as false"});
    EXPECT_EQ(run("#if 0\na\n#elif 1 +\nb\n#elif 2\nc\n#endif\n"), "c\n\n");
    EXPECT_EQ(m_log.takeLines().back(), "/p/src/x.cpp:3: #elif cannot be evaluated (Missing Operand), taken as false");
    EXPECT_TRUE(m_error.empty());
}

TEST_F(PreprocessorTest, CallsOfUndefinedMacrosCountOnlyWhereTheConditionNeedsThem)
{
    // `!defined(X) || WORKAROUND(...)`: decided before the call is reached, as a compiler that
    // knows the macro decides it, and nothing is logged.
    m_macros.defineValue("N", 1);
    EXPECT_EQ(run("#if !defined(NO_ORDERING) || WORKAROUND(MSVC, TESTED_AT(1310))\nyes\n#endif\n"
                  "#if defined(NO_ORDERING) && WORKAROUND(1)\nno\n#else\nelse\n#endif\n"
                  "#if 1 ? 2 : WORKAROUND(3)\nthird\n#endif\n"),
              "yes\n\nelse\n\nthird\n\n");
    EXPECT_TRUE(m_log.takeLines().empty());
    // Where the value is needed the condition fails as before: the same lines, taken as false.
    EXPECT_EQ(run("#if WORKAROUND(GCC, 1) || 1\nbad\n#else\nother\n#endif\n"), "other\n\n");
    EXPECT_EQ(m_log.takeLines(), (std::vector<std::string>{
                                     "44  is not Allowed By Preprocessing Expression",
                                     "/p/src/x.cpp:1: #if cannot be evaluated (Unknown Operator), taken as false"}));
    EXPECT_EQ(run("#if !WORKAROUND(GCC)\nbad\n#endif\nN\n"), "\n1\n");
    EXPECT_EQ(m_log.takeLines().size(), 1u);
    // A defined function-like macro is expanded as before, and a call that does not close on
    // the line is no unknown value.
    m_macros.define(MacroDefinition{"F", true, false, false, {"a"}, {}});
    EXPECT_EQ(run("#if 0 || F(1) 1\nyes\n#endif\n"), "yes\n\n");
    EXPECT_EQ(run("#if 1 || G(1\nx\n#endif\nN\n"), "\n1\n");
    EXPECT_EQ(m_log.takeLines().size(), 1u);
    EXPECT_TRUE(m_error.empty());
}

TEST_F(PreprocessorTest, ConditionsSeeDefinedFromReplacementsAndFeatureQueries)
{
    EXPECT_EQ(run("#define HAS(x) defined(x)\n#define Y\n#if HAS(Y) && !HAS(Z)\nyes\n#endif\n"),
              "# define HAS ( x ) defined ( x )\n# define Y\nyes\n\n");
    EXPECT_TRUE(m_log.takeLines().empty());
}

TEST_F(PreprocessorTest, FeatureQueriesGetTheCompilersAnswers)
{
    const fs::path dir = folder({{"src/local.h", ""}, {"inc/lib/found.h", ""}});
    m_dirs = {(dir / "inc").string()};
    const std::string file = (dir / "src/x.cpp").string();
    // Each line holds exactly when the compiler's answer is the one given.
    const std::vector<std::string> holds{
        "__has_include(<optional>)", "__has_include(<sys/stat.h>)", "__has_include(<lib/found.h>)",
        "__has_include(\"local.h\")", "__has_include(\"lib/found.h\")", "!__has_include(<lib/none.h>)",
        "!__has_include(\"none.h\")", "__has_include_next(<vector>)",
        "__has_cpp_attribute(nodiscard) == 201907", "__has_cpp_attribute(__fallthrough__) == 201603",
        "__has_cpp_attribute(gnu::always_inline) == 1", "!__has_cpp_attribute(clang::fallthrough)",
        "!__has_cpp_attribute(always_inline)", "__has_attribute(always_inline)", "__has_attribute(__noinline__)",
        "!__has_attribute(enable_if)", "__has_builtin(__builtin_expect)", "!__has_builtin(__make_integer_seq)",
        "!__has_feature(cxx_rtti)", "!__has_extension(x)", "!__has_warning(\"-Wx\")",
        "defined(__has_include) && defined __has_cpp_attribute", "!defined(__has_feature)"};
    for (const std::string& condition : holds) {
        EXPECT_EQ(run("#if " + condition + "\nyes\n#else\nno\n#endif\n", file), "yes\n\n") << condition;
    }
    EXPECT_EQ(run("#ifdef __has_builtin\na\n#endif\n#ifndef __has_declspec_attribute\nb\n#endif\n", file), "a\n\nb\n\n");
    // A query that a macro brings in is answered too; its operand is not expanded.
    EXPECT_EQ(run("#define optional nothing\n#define HAS(x) __has_include(x)\n#if HAS(<optional>) && __has_include(<optional>)\n"
                  "q\n#endif\n",
                  file),
              "# define optional nothing\n# define HAS ( x ) __has_include ( x )\nq\n\n");
    EXPECT_TRUE(m_log.takeLines().empty());
    // A query whose parenthesis does not close is a condition that cannot be evaluated.
    EXPECT_EQ(run("#if __has_include(<a.h>\nq\n#endif\n", file), "\n");
    EXPECT_EQ(m_log.takeLines().size(), 1u);
}

TEST_F(PreprocessorTest, PragmaOnceKeepsAFileFromBeingIncludedTwice)
{
    const fs::path dir = folder({{"a.h", "#pragma once\nint a;\n#include \"b.h\"\n"},
                                 {"b.h", "#pragma once\n#include \"a.h\"\nint b;\n"},
                                 {"c.h", "#pragma   once  \nint c;\n"},
                                 {"d.h", "#pragma once extra\nint d;\n"}});
    EXPECT_EQ(run("#include \"a.h\"\n#include \"./a.h\"\n#include \"none/../a.h\"\n#include \"b.h\"\n#include \"c.h\"\n"
                  "#include \"c.h\"\n#include \"d.h\"\n#include \"d.h\"\n",
                  (dir / "x.cpp").string()),
              "# include \"a.h\"\n# include \"./a.h\"\n# include \"none/../a.h\"\n# include \"b.h\"\n# include \"c.h\"\n"
              "# include \"c.h\"\n# include \"d.h\"\n# include \"d.h\"\n");
    // a.h (also when named through a folder that does not exist), b.h from a.h (which a.h is not
    // included from again), c.h once, d.h twice: the pragma is `once` alone on its line or nothing.
    std::vector<std::string> opened;
    for (const Request& r : m_requests) opened.push_back(fs::path(r.path).filename().string());
    EXPECT_EQ(opened, (std::vector<std::string>{"a.h", "b.h", "c.h", "d.h", "d.h"}));
    EXPECT_TRUE(m_log.takeLines().empty());  // no nesting limit reached
    // The pragma line stays as text.
    const SourceUnit& a = *m_unit.includedUnits.at(0);
    EXPECT_EQ(render(full(a)).substr(0, 14), "# pragma once\n");
}

TEST_F(PreprocessorTest, DirectivesStartLines)
{
    // A `#` inside a line is an ordinary token, so `a # define X` defines nothing and a
    // conditional word after it opens nothing.
    EXPECT_EQ(run("a # define X 1\nX\nb # if 0\nc\n"), "a # define X 1\nX\nb # if 0\nc\n");
    EXPECT_FALSE(m_macros.contains("X"));
    EXPECT_EQ(run("#if 0\nq # endif\n#endif\nr\n"), "\nr\n");
}

// --- Declaration macros of the Windows class library -----------------------------------------------

TEST_F(PreprocessorTest, DeclarationMacrosVanishBeforeTheMacroTableIsAsked)
{
    EXPECT_EQ(run("BEGIN_MESSAGE_MAP(A, B) X() END_MESSAGE_MAP()\nDECLARE_DYNCREATE(A);\nDECLARE_MESSAGE_MAP()\n"),
              "\n;\n\n");
    EXPECT_EQ(run("#define DECLARE_MESSAGE_MAP zz\nDECLARE_MESSAGE_MAP() DECLARE_MESSAGE_MAP;\n"),
              "# define DECLARE_MESSAGE_MAP zz\nzz ;\n");
    // Other shapes stay.
    EXPECT_EQ(run("DECLARE_DYNCREATE(1) BEGIN_MESSAGE_MAP(A) END_MESSAGE_MAP;\n"),
              "DECLARE_DYNCREATE ( 1 ) BEGIN_MESSAGE_MAP ( A ) END_MESSAGE_MAP ;\n");
}

// --- Includes ------------------------------------------------------------------------------------

TEST_F(PreprocessorTest, AngleIncludesFollowTheFlagAndTheDirectoryOrder)
{
    const fs::path dir = folder({{"one/other.h", ""}, {"two/windows.h", "#define W 5\n"}, {"two/sys/types.h", ""}});
    m_dirs = {(dir / "one").string(), (dir / "two").string()};
    const std::string text = "#include <windows.h>\n#include <sys\\types.h>\nW\n";
    EXPECT_EQ(run(text), "# include<windows.h>\n# include<sys\\types.h>\nW\n");
    EXPECT_TRUE(m_requests.empty());

    m_env.followAngleIncludes = true;
    EXPECT_EQ(run(text + "#include <missing.h>\n"), "# include<windows.h>\n# include<sys\\types.h>\n5\n# include<missing.h>\n");
    ASSERT_EQ(m_requests.size(), 2u);
    EXPECT_EQ(m_requests[0].path, (dir / "two/windows.h").string());
    EXPECT_EQ(m_requests[0].userFile, 0);
    EXPECT_EQ(m_requests[0].depth, 1);
    EXPECT_EQ(m_requests[1].path, (dir / "two/sys/types.h").string());
    ASSERT_EQ(m_unit.includedUnits.size(), 2u);
    EXPECT_TRUE(m_log.takeLines().empty());
}

TEST_F(PreprocessorTest, QuotedIncludesResolveFromTheIncludersFolder)
{
    const fs::path dir = folder({{"p/src/b.h", "#define B 7\n"}});
    const std::string includer = (dir / "p/src/x.cpp").string();
    EXPECT_EQ(run("#include \"..\\inc\\a.h\"\n#include \"b.h\"\nB\n", includer),
              "# include \"..\\inc\\a.h\"\n# include \"b.h\"\n7\n");
    ASSERT_EQ(m_requests.size(), 2u);
    EXPECT_EQ(m_requests[0].path, (dir / "p/src/../inc/a.h").string());
    EXPECT_EQ(m_requests[0].userFile, 1);
    EXPECT_EQ(m_requests[1].path, (dir / "p/src/b.h").string());

    fs::create_directories(dir / "p/inc");
    m_requests.clear();
    run("#include \"../inc/a.h\"\n#include FOO\n", includer);
    ASSERT_EQ(m_requests.size(), 1u);
    EXPECT_EQ(m_requests[0].path, (dir / "p/inc/a.h").string());
}

TEST_F(PreprocessorTest, QuotedIncludesSearchTheIncludeDirectoriesAfterTheIncludersFolder)
{
    const fs::path dir = folder({{"src/local.h", "#define L 1\n"},
                                 {"opt/include/lib/core/x.h", "#define X 2\n"},
                                 {"opt/include/local.h", "#define L 3\n"}});
    m_dirs = {(dir / "nothing").string(), (dir / "opt/include").string()};
    EXPECT_EQ(run("#include \"lib/core/x.h\"\n#include \"local.h\"\n#include \"none.h\"\nX L\n", (dir / "src/x.cpp").string()),
              "# include \"lib/core/x.h\"\n# include \"local.h\"\n# include \"none.h\"\n2 1\n");
    ASSERT_EQ(m_requests.size(), 3u);
    EXPECT_EQ(m_requests[0].path, (dir / "opt/include/lib/core/x.h").string());
    EXPECT_EQ(m_requests[0].userFile, 1);
    EXPECT_EQ(m_requests[1].path, (dir / "src/local.h").string());  // the includer's folder comes first
    EXPECT_EQ(m_requests[2].path, (dir / "src/none.h").string());   // found nowhere: named as before
}

TEST_F(PreprocessorTest, IncludeCycleStopsAtTheDepthLimit)
{
    const fs::path dir = folder({{"a.h", "#include \"b.h\"\n"}, {"b.h", "#include \"a.h\"\n"}});
    EXPECT_EQ(run("#include \"a.h\"\nafter\n", (dir / "x.cpp").string()), "# include \"a.h\"\nafter\n");
    EXPECT_EQ(m_log.takeLines(), std::vector<std::string>{(dir / "a.h").string() + ": include nesting too deep"});
    int chain = 0;
    for (const SourceUnit* u = &m_unit; !u->includedUnits.empty(); u = u->includedUnits.front().get()) ++chain;
    EXPECT_EQ(chain, kMaxIncludeDepth);
    EXPECT_EQ(m_requests.back().depth, kMaxIncludeDepth);
}

TEST_F(PreprocessorTest, StopRequestLeavesTheRestUnprocessed)
{
    m_onInclude = [this] { m_stop = true; };
    EXPECT_EQ(run("#define N 1\nN\n#include \"h.h\"\nN\n#if 0\nx\n#endif\n"),
              "# define N 1\n1\n# include \"h.h\"\nN\n# if 0\nx\n# endif\n");
    EXPECT_TRUE(m_error.empty());
    m_macros = MacroTable();
    EXPECT_EQ(run("#define N 1\nN\n"), "# define N 1\nN\n");
    EXPECT_FALSE(m_macros.contains("N"));
}

// --- Hostile inputs --------------------------------------------------------------------------------

TEST_F(PreprocessorTest, ManyDirectivesAndDeepNesting)
{
    constexpr int kCount = 10000;
    EXPECT_EQ(run(repeat("#if 1\n", kCount) + "x\n" + repeat("#endif\n", kCount)), "x\n" + std::string(kCount, '\n'));
    // Unclosed false groups keep every line.
    EXPECT_EQ(run(repeat("#if 0\n", kCount) + "x"), asText(repeat("#if 0\n", kCount) + "x"));

    std::string text;
    std::string uses;
    std::string expected;
    for (int i = 0; i < kCount; ++i) {
        const std::string n = std::to_string(i);
        text += "#define M" + n + " " + n + "\n";
        uses += "M" + n + " ";
        expected += (i ? " " : "") + n;
    }
    const std::string result = run(text + uses + "\n");
    EXPECT_EQ(result.substr(result.size() - expected.size() - 1), expected + "\n");
    EXPECT_EQ(m_macros.size(), static_cast<std::size_t>(kCount));
    EXPECT_TRUE(m_error.empty());
}

TEST_F(PreprocessorTest, ExponentialMacroGrowthIsCapped)
{
    std::string text = "#define A0 x x\n";
    for (int i = 1; i <= 40; ++i) text += "#define A" + std::to_string(i) + " A" + std::to_string(i - 1) + " A" + std::to_string(i - 1) + "\n";
    run(text);
    EXPECT_EQ(m_macros.find("A15")->replacement.size(), 65536u);
    EXPECT_FALSE(m_macros.contains("A16"));
    EXPECT_FALSE(m_macros.contains("A33"));
    EXPECT_EQ(m_log.takeLines(), (std::vector<std::string>{kDefineFailed, kDefineFailed}));
    EXPECT_TRUE(m_error.empty());

    // Uses that would multiply the unit's size stop the expansion of macros, once, with a line,
    // and the replacements made before are put back to their uses: what is left is no larger
    // than the input. Directives still work after it.
    const std::string result =
        run("y" + std::string(40, '\n') + repeat("A15 ", 20) + "\n#if 0\nz\n#endif\nA0\n");
    EXPECT_TRUE(m_error.empty());
    EXPECT_EQ(m_log.takeLines(), std::vector<std::string>{
                                     "/p/src/x.cpp:41: macro expansion too large; macros are not expanded in this file"});
    EXPECT_EQ(result, "y" + std::string(40, '\n') + "A15" + repeat(" A15", 19) + "\n\nA0\n");
}

TEST_F(PreprocessorTest, ReplacementsPutBackAtTheLimitKeepWhatSurroundsThem)
{
    // Object and function macros, one that pastes, directives and plain text between them: when
    // the limit is hit, each use reads as written again and everything else stays in place.
    std::string text = "#define A0 x x\n";
    for (int i = 1; i <= 15; ++i) text += "#define A" + std::to_string(i) + " A" + std::to_string(i - 1) + " A" + std::to_string(i - 1) + "\n";
    text += "#define F(a, b) a + b\n#define P(a) a ## 1\nint k = F(1, 2);\nP(v) A0;\n#define Q 3\n";
    const std::string result = run(text + repeat("A15 ", 40) + "\nQ\n");
    EXPECT_TRUE(result.ends_with("int k = F ( 1 , 2 ) ;\nP ( v ) A0 ;\n# define Q 3\nA15" + repeat(" A15", 39) + "\nQ\n"))
        << result.substr(result.size() - 120);
    EXPECT_EQ(full(m_unit).size(), [&] {
        model::SourceUnit plain;
        tokenizeText(text + repeat("A15 ", 40) + "\nQ\n", plain.tokens, [](std::string_view) {});
        return plain.tokens.size();
    }());
}

TEST_F(PreprocessorTest, DefinitionsThatNeverEndTheirLineFailOnce)
{
    // 32,000 definitions on one line without a line feed, and 1,002 lines joined by backslashes:
    // only the first `#` starts a directive; it fails once and the rest is kept as text (a
    // rescan from every `#` would take minutes here).
    const std::string oneLine = repeat("#define X ", 32000);
    EXPECT_EQ(run(oneLine).size(), asText(oneLine).size());
    EXPECT_EQ(m_log.takeLines(), std::vector<std::string>{kDefineFailed});
    EXPECT_FALSE(m_macros.contains("X"));

    const std::string joined = repeat("#define X 1 \\\n", 1002);
    EXPECT_EQ(run(joined), asText(joined));
    EXPECT_EQ(m_log.takeLines(), std::vector<std::string>{kDefineFailed});
    EXPECT_EQ(full(m_unit).size(), 1002u * 4u);
}

TEST_F(PreprocessorTest, CallsInDefinitionsAndConditionsAreCappedToo)
{
    // F's replacement holds its parameter 65,536 times. A call with a 4,096-token argument in a
    // body must stop at the replacement limit, not build 268 million tokens first.
    const std::string argument = "(" + repeat(" 1", 4096) + ")";
    run("#define F(x)" + repeat(" x", 65536) + "\n#define G F" + argument + "\n");
    EXPECT_TRUE(m_macros.contains("F"));
    EXPECT_FALSE(m_macros.contains("G"));
    auto lines = m_log.takeLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], kDefineFailed);
    EXPECT_NE(lines[1].find("macro expansion too large"), std::string::npos);  // the call, scanned again as text
    EXPECT_TRUE(m_error.empty());

    // The same call in a condition, and an object macro used many times in one: the condition
    // counts as false.
    EXPECT_EQ(run("#if F" + argument + "\na\n#endif\nb\n"), "\nb\n");
    EXPECT_EQ(m_log.takeLines(), std::vector<std::string>{"/p/src/x.cpp:1: #if cannot be evaluated (macro expansion too large), taken as false"});
    EXPECT_TRUE(run("#define E x\n#define D E" + repeat(" E", 65535) + "\n#if 0" + repeat(" + D", 20000) + "\n#endif\n")
                    .ends_with(" E E\n\n"));
    EXPECT_EQ(m_log.takeLines(), std::vector<std::string>{"/p/src/x.cpp:3: #if cannot be evaluated (macro expansion too large), taken as false"});
}

// The directive lines kept to replay a file: every line that starts with `#`, with its newline;
// `#include <...>` lines only when the run follows such includes. A `#` inside a line starts none.
TEST(DirectiveLines, KeepLinesThatStartWithAHash)
{
    std::vector<model::Token> tokens;
    tokenizeText("#include <a.h>\nint x = 1; # stray\n#define A 1\n#include \"b.h\"\n# include <c.h>\nA;\n#endif",
                 tokens, [](std::string_view) {});
    EXPECT_EQ(render(directiveLines(tokens)),
              "# include<a.h>\n# define A 1\n# include \"b.h\"\n# include<c.h>\n# endif");
    EXPECT_EQ(render(directiveLines(tokens, false)), "# define A 1\n# include \"b.h\"\n# endif");
}

}  // namespace
}  // namespace qm::frontend
