// Reading files into tokens: the change key, unreadable inputs, and hostile bytes.
#include "frontend/tokenize_file.h"
#include "scan_helpers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

namespace qm::frontend {
namespace {

namespace fs = std::filesystem;

class TokenizeFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("qm-tokenize-" + std::to_string(::getpid()) + "-"
                                             + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string write(const std::string& name, std::string_view bytes)
    {
        const fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    fs::path m_dir;
    LogSink m_log;
    std::vector<model::Token> m_tokens;
    FileStamp m_stamp;
};

TEST_F(TokenizeFileTest, ReadsTokensSizeAndTime)
{
    const std::string path = write("a.cpp", "int a;\r\nb \\\r\n c\r\n");
    ASSERT_TRUE(tokenizeFile(path, m_tokens, m_stamp, m_log));
    EXPECT_EQ(testing::describe(m_tokens), "328 265:a 59 10 265:b 265:c 10");
    EXPECT_EQ(m_stamp.size, 17);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(m_stamp.seconds, st.st_mtim.tv_sec);
    EXPECT_EQ(m_stamp.nanoseconds, st.st_mtim.tv_nsec);
    EXPECT_TRUE(m_log.takeLines().empty());

    // A rewritten file reads afresh and its key changes.
    write("a.cpp", "int ab;");
    FileStamp second;
    ASSERT_TRUE(tokenizeFile(path, m_tokens, second, m_log));
    EXPECT_EQ(second.size, 7);
    EXPECT_NE(second, m_stamp);
}

// Editors on Windows start UTF-8 files with a byte order mark; compilers read past it. Only at the
// start of the file: elsewhere its bytes are unknown characters as before.
TEST_F(TokenizeFileTest, AByteOrderMarkAtTheStartIsNoToken)
{
    ASSERT_TRUE(tokenizeFile(write("bom.hpp", "\xEF\xBB\xBFnamespace a { }\n"), m_tokens, m_stamp, m_log));
    EXPECT_EQ(testing::describe(m_tokens), "331 265:a 123 125 10");
    EXPECT_EQ(m_stamp.size, 19);
    ASSERT_TRUE(tokenizeFile(write("late.hpp", "int a;\xEF\xBB\xBF\n"), m_tokens, m_stamp, m_log));
    EXPECT_EQ(testing::describe(m_tokens).substr(0, 13), "328 265:a 59 ");
    EXPECT_GT(m_tokens.size(), 5u);  // the three bytes stay unknown characters
}

TEST_F(TokenizeFileTest, UnreadableInputsAreLoggedAndGiveNoTokens)
{
    m_tokens.resize(3);
    const std::string missing = (m_dir / "missing.cpp").string();
    EXPECT_FALSE(tokenizeFile(missing, m_tokens, m_stamp, m_log));
    EXPECT_TRUE(m_tokens.empty());
    EXPECT_FALSE(tokenizeFile(m_dir.string(), m_tokens, m_stamp, m_log));
    const auto lines = m_log.takeLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], missing + " : cannot open file");
    EXPECT_EQ(lines[1], m_dir.string() + " : cannot open file");
}

TEST_F(TokenizeFileTest, FileDeletedBetweenListingAndReading)
{
    const std::string path = write("gone.cpp", "int x;");
    fs::remove(path);
    EXPECT_FALSE(tokenizeFile(path, m_tokens, m_stamp, m_log));
    EXPECT_EQ(m_log.takeLines(), std::vector<std::string>{path + " : cannot open file"});
}

std::string repeat(const std::string& text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

TEST(CappedDiagnosticsTest, CountsTheLinesPastTheLimitWhereverThePiecesEnd)
{
    std::string written;
    CappedDiagnostics capped("f.c", 3, [&written](std::string_view text) { written.append(text); });
    capped.write("a\nb\n");
    capped.write("c\nd\ne\n");
    capped.write("f\n");
    EXPECT_EQ(capped.leftOut(), 3u);
    capped.finish();
    EXPECT_EQ(written, "a\nb\nc\nf.c : 3 more unknown-character messages left out\n");
    written.clear();
    capped.finish();  // said once
    EXPECT_EQ(written, "");

    CappedDiagnostics all("g.c", 0, [&written](std::string_view text) { written.append(text); });
    all.write("a\nb\n");
    all.finish();
    EXPECT_EQ(written, "a\nb\n");
}

TEST_F(TokenizeFileTest, HostileBytesNeverStopTheScan)
{
    // NUL bytes, bytes above 127 and a long line without a line feed: every byte that no rule
    // takes is one error token, and scanning goes on to the end.
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>(i * 7 + 3));
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(tokenizeFile(write("bin.dat", binary), m_tokens, m_stamp, m_log));
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(m_tokens.empty());
    EXPECT_NE(err.find("---------- Error Unkonwn Token  ---------- <"), std::string::npos);

    // The first 100 messages of a file are written, then how many more there were; with no
    // limit, every one.
    const std::string nul = write("nul.dat", std::string(10000, '\0'));
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(tokenizeFile(nul, m_tokens, m_stamp, m_log));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              repeat(std::string("---------- Error Unkonwn Token  ---------- <\0>\n", 47), 100) + nul +
                  " : 9900 more unknown-character messages left out\n");
    EXPECT_EQ(m_tokens.size(), 10000u);
    setUnknownCharacterLimit(0);
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(tokenizeFile(nul, m_tokens, m_stamp, m_log));
    EXPECT_EQ(::testing::internal::GetCapturedStderr().size(), 10000u * 47u);
    setUnknownCharacterLimit(kDefaultUnknownCharacterLimit);

    std::string line;
    for (int i = 0; i < 200000; ++i) line += "ab+";
    ASSERT_TRUE(tokenizeFile(write("line.cpp", line), m_tokens, m_stamp, m_log));
    EXPECT_EQ(m_tokens.size(), 400000u);
    EXPECT_EQ(m_tokens.back().line, 1);
}

TEST_F(TokenizeFileTest, TokenBudgetCutsAFileOfPunctuatorsWithOneLine)
{
    // A token per byte and no line end: the scan stops at the budget instead of making a token of
    // every byte, keeps exactly kMaxUnitTokens of them and says so once.
    const std::string path = write("semi.c", std::string(kMaxUnitTokens + 5000, ';'));
    ASSERT_TRUE(tokenizeFile(path, m_tokens, m_stamp, m_log));
    EXPECT_EQ(m_tokens.size(), kMaxUnitTokens);
    EXPECT_EQ(m_tokens.back().code, ';');
    EXPECT_LE(m_tokens.capacity(), kMaxUnitTokens + 1024);
    EXPECT_EQ(m_log.takeLines(), std::vector<std::string>{path + " : too many tokens; the rest of the file is left out"});

    // Exactly at the budget nothing is said.
    ASSERT_TRUE(tokenizeFile(write("fits.c", std::string(kMaxUnitTokens, ';')), m_tokens, m_stamp, m_log));
    EXPECT_EQ(m_tokens.size(), kMaxUnitTokens);
    EXPECT_TRUE(m_log.takeLines().empty());
}

TEST(TokenBudget, APrefixOfTheWholeScanInEveryMode)
{
    // Lines, long words, comments and literals; cut at budgets around the places where the
    // vector grows. The tokens kept are the first ones of the full scan, in every scan mode.
    std::string text;
    for (int i = 0; i < 3000; ++i) {
        text += "int name" + std::to_string(i) + " = \"s\" + 0x" + std::to_string(i) + "; /* c */ a->b\n";
        if (i % 7 == 0) text += std::string(90, 'w') + "  (x)\n";
    }
    for (const ScanMode mode : {ScanMode::Fastest, ScanMode::Avx2Blocks, ScanMode::TokenByToken}) {
        std::vector<model::Token> whole;
        ASSERT_TRUE(scanTokens(text, CrLf::AsWritten, whole, [](std::string_view) {}, mode));
        for (const std::size_t budget : {std::size_t{0}, std::size_t{1}, std::size_t{63}, std::size_t{256},
                                         std::size_t{1000}, std::size_t{20011}, whole.size() - 1}) {
            std::vector<model::Token> cut;
            EXPECT_FALSE(scanTokens(text, CrLf::AsWritten, cut, [](std::string_view) {}, mode, budget)) << budget;
            ASSERT_EQ(cut.size(), budget);
            EXPECT_EQ(testing::describe(cut),
                      testing::describe(std::vector<model::Token>(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(budget))))
                << budget;
        }
        std::vector<model::Token> all;
        EXPECT_TRUE(scanTokens(text, CrLf::AsWritten, all, [](std::string_view) {}, mode, whole.size()));
        EXPECT_EQ(all.size(), whole.size());
    }
}

}  // namespace
}  // namespace qm::frontend
