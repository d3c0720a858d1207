// Saving a file through a temporary beside it: long names, links, FIFOs and what killed saves
// leave behind.
#include "frontend/atomic_file.h"
#include "model/error.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qm::frontend {
namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path()
            / ("qm-atomic-" + std::to_string(::getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    static std::string read(const fs::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    void write(const fs::path& file, std::string_view bytes) { std::ofstream(file, std::ios::binary) << bytes; }
    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const auto& entry : fs::directory_iterator(m_dir)) out.push_back(entry.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
    // The message of the error writeFileAtomically throws, or "" when it does not.
    static std::string failure(const fs::path& file, std::string_view bytes)
    {
        try {
            writeFileAtomically(file, bytes);
        } catch (const model::Error& e) {
            return e.what();
        }
        return {};
    }

    fs::path m_dir;
};

// The id of a process that has ended.
pid_t endedProcess()
{
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

TEST_F(AtomicFileTest, NamesUpToTheFileSystemLimitSave)
{
    // The temporary must not be longer than the name: 255 bytes is the most a name may have.
    for (const std::size_t length : {std::size_t{1}, std::size_t{200}, std::size_t{244}, std::size_t{255}}) {
        const fs::path file = m_dir / std::string(length, 'n');
        EXPECT_EQ(failure(file, "abc"), "") << length;
        EXPECT_EQ(read(file), "abc");
        EXPECT_LE(temporaryNameStem(file).size(), 60u);
    }
    // Names that share their first bytes still have temporaries of their own.
    EXPECT_NE(temporaryNameStem(m_dir / (std::string(40, 'a') + "1")), temporaryNameStem(m_dir / (std::string(40, 'a') + "2")));
    EXPECT_EQ(names().size(), 4u);
}

TEST_F(AtomicFileTest, LinksAreFollowedEvenToAFileNotThereYet)
{
    // Relative and absolute links, a chain of two, each to a file that does not exist: the save
    // creates the file where the chain ends and every link stays a link.
    fs::create_directories(m_dir / "real");
    fs::create_symlink("real/first.txt", m_dir / "relative");
    fs::create_symlink(m_dir / "real" / "second.txt", m_dir / "absolute");
    fs::create_symlink("absolute", m_dir / "chain");
    EXPECT_EQ(failure(m_dir / "relative", "1"), "");
    EXPECT_EQ(failure(m_dir / "chain", "2"), "");
    EXPECT_TRUE(fs::is_symlink(m_dir / "relative"));
    EXPECT_TRUE(fs::is_symlink(m_dir / "absolute"));
    EXPECT_TRUE(fs::is_symlink(m_dir / "chain"));
    EXPECT_EQ(read(m_dir / "real" / "first.txt"), "1");
    EXPECT_EQ(read(m_dir / "real" / "second.txt"), "2");
    // Saved again, the existing file is replaced.
    EXPECT_EQ(failure(m_dir / "relative", "3"), "");
    EXPECT_EQ(read(m_dir / "real" / "first.txt"), "3");

    // A loop of links and a link into a missing folder cannot be written; nothing changes.
    fs::create_symlink("loop2", m_dir / "loop1");
    fs::create_symlink("loop1", m_dir / "loop2");
    EXPECT_EQ(failure(m_dir / "loop1", "x"), (m_dir / "loop1").string() + " : cannot write file");
    fs::create_symlink("nowhere/file.txt", m_dir / "lost");
    EXPECT_EQ(failure(m_dir / "lost", "x"), (m_dir / "lost").string() + " : cannot write file");
    EXPECT_TRUE(fs::is_symlink(m_dir / "loop1"));
    EXPECT_TRUE(fs::is_symlink(m_dir / "lost"));
    EXPECT_EQ(names(), (std::vector<std::string>{"absolute", "chain", "loop1", "loop2", "lost", "real", "relative"}));
}

TEST_F(AtomicFileTest, FifosAndFoldersAreNeverReplaced)
{
    const fs::path fifo = m_dir / "pipe.qmp";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(failure(fifo, "x"), fifo.string() + " : not a regular file");
    EXPECT_TRUE(fs::is_fifo(fifo));
    // Also behind a link.
    fs::create_symlink("pipe.qmp", m_dir / "to-pipe");
    EXPECT_EQ(failure(m_dir / "to-pipe", "x"), (m_dir / "to-pipe").string() + " : not a regular file");
    EXPECT_TRUE(fs::is_fifo(fifo));
    fs::create_directories(m_dir / "folder");
    EXPECT_EQ(failure(m_dir / "folder", "x"), (m_dir / "folder").string() + " : cannot write file");
    EXPECT_EQ(names(), (std::vector<std::string>{"folder", "pipe.qmp", "to-pipe"}));
}

TEST_F(AtomicFileTest, TemporariesOfEndedSavesAreRemovedAtTheNextSave)
{
    const fs::path file = m_dir / "p.qmp";
    const std::string stem = temporaryNameStem(file);
    const std::string dead = std::to_string(endedProcess());
    const std::string alive = std::to_string(::getppid());
    // Left by ended processes (also named the earlier way): removed. Of a running process, of
    // this one, of another file, or not a temporary at all: kept.
    write(m_dir / (stem + dead + "-0.tmp"), "");
    write(m_dir / ("p.qmp." + dead + "-7.tmp"), "half");
    write(m_dir / (stem + alive + "-1.tmp"), "");
    write(m_dir / (stem + std::to_string(::getpid()) + "-99.tmp"), "");
    write(m_dir / (temporaryNameStem(m_dir / "other.qmp") + dead + "-0.tmp"), "");
    write(m_dir / (stem + "x1-0.tmp"), "");
    write(m_dir / "p.qmp.notes", "");
    EXPECT_EQ(failure(file, "new"), "");
    EXPECT_EQ(read(file), "new");
    std::vector<std::string> kept{stem + alive + "-1.tmp", stem + std::to_string(::getpid()) + "-99.tmp",
                                  temporaryNameStem(m_dir / "other.qmp") + dead + "-0.tmp",
                                  stem + "x1-0.tmp", "p.qmp", "p.qmp.notes"};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(names(), kept);
}

}  // namespace
}  // namespace qm::frontend
