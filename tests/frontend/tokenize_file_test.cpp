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

    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(tokenizeFile(write("nul.dat", std::string(10000, '\0')), m_tokens, m_stamp, m_log));
    EXPECT_EQ(::testing::internal::GetCapturedStderr().size(), 10000u * 47u);
    EXPECT_EQ(m_tokens.size(), 10000u);

    std::string line;
    for (int i = 0; i < 200000; ++i) line += "ab+";
    ASSERT_TRUE(tokenizeFile(write("line.cpp", line), m_tokens, m_stamp, m_log));
    EXPECT_EQ(m_tokens.size(), 400000u);
    EXPECT_EQ(m_tokens.back().line, 1);
}

}  // namespace
}  // namespace qm::frontend
