// Reading files ahead: which files are read, what a taker gets, and what is forgotten. The
// tasks run here one by one on the test's thread, in the order they were posted.
#include "frontend/read_ahead.h"

#include "frontend/preprocessor.h"
#include "frontend/tokenize_file.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>

#include <unistd.h>

namespace qm::frontend {
namespace {

namespace fs = std::filesystem;

class ReadAheadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = (fs::temp_directory_path() / ("qm-ahead-" + std::to_string(::getpid()) + "-" + test->name())).string();
        fs::remove_all(m_dir);
        fs::create_directories(m_dir + "/sub");
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string path(const std::string& name) const { return m_dir + "/" + name; }
    void write(const std::string& name, const std::string& text) { std::ofstream(path(name)) << text; }
    // Runs posted tasks until none is left.
    void runAll()
    {
        while (!m_tasks.empty()) {
            auto task = std::move(m_tasks.front());
            m_tasks.pop_front();
            task();
        }
    }

    std::string m_dir;
    std::deque<std::function<void()>> m_tasks;
    std::atomic<bool> m_stop{false};
    std::vector<std::string> m_includeDirectories;
    ReadAhead m_reader{[this](std::function<void()> task) { m_tasks.push_back(std::move(task)); }, m_stop,
                       m_includeDirectories, true};
};

TEST_F(ReadAheadTest, ATakerGetsWhatTokenizeFileGivesAndWrites)
{
    write("a.cpp", "#include \"x.h\"\n#include \"sub\\y.h\"\n#include <z.h>\n#include \"gone.h\"\nint a @;\n");
    write("x.h", "int x;\n");
    write("sub/y.h", "# include \"../x.h\"\nint y;\n");
    m_reader.request(path("a.cpp"), 1);
    runAll();

    std::optional<EarlyRead> a = m_reader.take(path("a.cpp"));
    ASSERT_TRUE(a);
    std::vector<model::Token> tokens;
    model::FileStamp stamp;
    LogSink log;
    ASSERT_TRUE(tokenizeFile(path("a.cpp"), tokens, stamp, log));
    EXPECT_TRUE(a->read);
    EXPECT_TRUE(a->opened);
    EXPECT_EQ(a->stamp, stamp);
    EXPECT_EQ(a->tokens, tokens);
    EXPECT_TRUE(a->hasDirectives);
    EXPECT_EQ(a->directives, directiveLines(tokens));
    EXPECT_TRUE(a->output.lines.empty());
    ASSERT_EQ(a->output.diagnostics.size(), 1u);
    EXPECT_EQ(a->output.diagnostics[0].second.substr(0, 44), "---------- Error Unkonwn Token  ---------- <");

    // The quoted includes were read too (the slash form of the name; the angle one is not
    // followed); a missing one is not kept. x.h, met twice, was read once.
    EXPECT_TRUE(m_reader.take(m_dir + "/x.h"));
    EXPECT_TRUE(m_reader.take(m_dir + "/sub/y.h"));
    EXPECT_FALSE(m_reader.take(m_dir + "/gone.h"));
    EXPECT_FALSE(m_reader.take(m_dir + "/x.h"));
    // What was taken is not read again when asked for.
    m_reader.request(path("a.cpp"), 2);
    EXPECT_TRUE(m_tasks.empty());
}

TEST_F(ReadAheadTest, FilesNotTakenAreForgottenWithTheirOwner)
{
    write("a.cpp", "#include \"x.h\"\n");
    write("x.h", "int x;\n");
    write("b.cpp", "int b;\n");
    m_reader.request(path("a.cpp"), 1);
    m_reader.request(path("b.cpp"), 2);
    runAll();
    m_reader.release(2);  // a.cpp's position is over: it and its include go
    EXPECT_FALSE(m_reader.take(path("x.h")));
    EXPECT_FALSE(m_reader.take(path("a.cpp")));
    EXPECT_TRUE(m_reader.take(path("b.cpp")));
    // An owner already over asks for nothing more.
    write("c.cpp", "int c;\n");
    m_reader.request(path("c.cpp"), 1);
    EXPECT_TRUE(m_tasks.empty());
}

TEST_F(ReadAheadTest, AtMostSoManyFilesAreHeldTheRestLaterAndAStopReadsNothingMore)
{
    std::string includes;
    for (std::size_t i = 0; i < ReadAhead::kMaxEntries + 20; ++i) {
        write("h" + std::to_string(i) + ".h", "int h;\n");
        includes += "#include \"h" + std::to_string(i) + ".h\"\n";
    }
    write("many.cpp", includes);
    m_reader.request(path("many.cpp"), 1);
    runAll();
    // many.cpp and the first includes fill every place; the last 21 includes find none.
    std::size_t held = m_reader.take(path("many.cpp")) ? 1 : 0;
    const std::size_t fitted = ReadAhead::kMaxEntries - 1;
    for (std::size_t i = 0; i < fitted; ++i) {
        held += m_reader.take(path("h" + std::to_string(i) + ".h")) ? 1 : 0;
    }
    EXPECT_EQ(held, ReadAhead::kMaxEntries);
    // They are asked for again as the others are taken.
    runAll();
    std::size_t later = 0;
    for (std::size_t i = fitted; i < ReadAhead::kMaxEntries + 20; ++i) {
        later += m_reader.take(path("h" + std::to_string(i) + ".h")) ? 1 : 0;
    }
    EXPECT_EQ(later, 21u);

    write("late.cpp", "int late;\n");
    m_reader.request(path("late.cpp"), 3);
    m_stop = true;
    runAll();
    EXPECT_FALSE(m_reader.take(path("late.cpp")));
}

TEST(QuotedIncludeNames, OnlyQuotedIncludeLinesAtTheStartOfALine)
{
    std::vector<model::Token> tokens;
    tokenizeText("#include \"a.h\"\nint x; # include \"not.h\"\n#include <b.h>\n  #  include \"dir\\c.h\"\n"
                 "#define Q \"q.h\"\n#include Q\n",
                 tokens, [](std::string_view) {});
    EXPECT_EQ(quotedIncludeNames(tokens), (std::vector<std::string>{"a.h", "dir/c.h"}));
}

}  // namespace
}  // namespace qm::frontend
