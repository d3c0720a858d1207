// The option files (Include.ini, predefined.ini), the C number rules they are read with, the
// configuration folder, and what a run takes from the lists.
#include "frontend/c_numbers.h"
#include "frontend/option_files.h"
#include "frontend/small_file.h"
#include "model/error.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::frontend {
namespace {

namespace fs = std::filesystem;
using Lists = std::array<std::vector<std::string>, kIncludeListCount>;

TEST(CNumbers, ReadLikeTheCLibraryAndSaturate)
{
    constexpr auto kMax64 = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin64 = std::numeric_limits<std::int64_t>::min();
    const std::pair<std::string, std::int64_t> longs[] = {
        {"  -12abc", -12}, {"abc", 0}, {"", 0}, {"+7", 7}, {"- 5", 0}, {"+-5", 0}, {"\t\n\v\f\r 42", 42},
        {"007", 7}, {"\xA0" "5", 0}, {"12 34", 12}, {"9223372036854775807", kMax64},
        {"9223372036854775808", kMax64}, {"-9223372036854775808", kMin64}, {"-99999999999999999999999", kMin64},
        {std::string(1 << 20, '9'), kMax64},
    };
    for (const auto& [text, expected] : longs) {
        EXPECT_EQ(parseAtol(text), expected) << text.substr(0, 30);
    }
    EXPECT_EQ(parseAtoi("2147483647"), 2147483647);
    EXPECT_EQ(parseAtoi("2147483648"), 2147483647);
    EXPECT_EQ(parseAtoi("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(parseAtoi("-2147483649"), -2147483647 - 1);
    EXPECT_EQ(narrowToInt32(4294967297), 2147483647);  // clamped, not wrapped to 1
}

class OptionFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("qm-options-" + std::to_string(::getpid()) + "-"
                                             + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path write(const std::string& name, std::string_view bytes)
    {
        const fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    static std::string read(const fs::path& path)
    {
        std::ostringstream out;
        out << std::ifstream(path, std::ios::binary).rdbuf();
        return out.str();
    }
    Lists loadLists(std::string_view bytes)
    {
        IncludeDirectoryLists lists;
        lists.lists[3] = {"stale"};
        EXPECT_TRUE(loadIncludeLists(write("Include.ini", bytes), lists));
        return lists.lists;
    }
    std::size_t entriesInFolder() const
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()));
    }

    fs::path m_dir;
};

TEST_F(OptionFilesTest, IncludeListCountsDecideWhichLinesBelongWhere)
{
    EXPECT_EQ(loadLists("2\nA\nB\n0\n1\nC\n0\n"), (Lists{{{"A", "B"}, {}, {"C"}, {}}}));
    EXPECT_EQ(loadLists("3\r\nonly\r\n"), (Lists{{{"only"}, {}, {}, {}}}));
    // A negative count reads no lines, so "A" is the next list's count (0).
    EXPECT_EQ(loadLists("-5\nA\n1\nB\n"), (Lists{{{}, {}, {"B"}, {}}}));
    EXPECT_EQ(loadLists("1000000000000\nX\n Y \r\n"), (Lists{{{"X", " Y "}, {}, {}, {}}}));
    EXPECT_EQ(loadLists(""), Lists{});
    const std::string longLine(1 << 20, 'D');
    EXPECT_EQ(loadLists("1\n" + longLine + "\n"), (Lists{{{longLine}, {}, {}, {}}}));

    // Without a readable file the lists get the defaults, which change nothing here.
    IncludeDirectoryLists lists;
    lists.lists[0] = {"kept"};
    EXPECT_FALSE(loadIncludeLists(m_dir / "missing.ini", lists));
    EXPECT_FALSE(loadIncludeLists(m_dir, lists));
    EXPECT_EQ(lists.lists, (Lists{{{"kept"}, {}, {}, {}}}));
}

TEST_F(OptionFilesTest, PredefinedWordsComeInPairs)
{
    EXPECT_EQ(loadPredefinedWords(write("a.ini", "WIN32\n1\n_DEBUG\n")), (PredefinedWordList{{"WIN32", 1}}));
    EXPECT_EQ(loadPredefinedWords(write("b.ini", "1ABC\r\nx\r\n\r\n-7\r\nBIG\r\n99999999999\r\n")),
              (PredefinedWordList{{"1ABC", 0}, {"", -7}, {"BIG", 2147483647}}));
    // No file yet: the words of this platform, with the language words among them.
    const PredefinedWordList defaults = loadPredefinedWords(m_dir / "missing.ini");
    EXPECT_EQ(defaults, defaultPredefinedWords());
    EXPECT_NE(std::find(defaults.begin(), defaults.end(), PredefinedWord{"__cplusplus", 201703}), defaults.end());
    EXPECT_NE(std::find(defaults.begin(), defaults.end(), PredefinedWord{"__STDC_VERSION__", 201710}), defaults.end());
    EXPECT_TRUE(loadPredefinedWords(write("empty.ini", "")).empty());
    // A file that is there but cannot be read is not "no file".
    const fs::path locked = write("locked.ini", "A\n1\n");
    fs::permissions(locked, fs::perms::none);
    if (::access(locked.c_str(), R_OK) != 0) EXPECT_TRUE(loadPredefinedWords(locked).empty());
    fs::permissions(locked, fs::perms::owner_all);

    // Random bytes load as some lines, without harm.
    std::mt19937 random(7);
    std::string noise(256 * 1024, '\0');
    for (char& c : noise) c = static_cast<char>(random() % 256);
    IncludeDirectoryLists lists;
    EXPECT_TRUE(loadIncludeLists(write("noise.ini", noise), lists));
    EXPECT_LE(loadPredefinedWords(m_dir / "noise.ini").size(), noise.size() / 2);
}

TEST_F(OptionFilesTest, SavedFilesUseCrLfAndReadBackUnchanged)
{
    const std::string includeBytes = "2\r\nA dir\r\nB\\x\r\n0\r\n1\r\nC\r\n0\r\n";
    IncludeDirectoryLists lists;
    ASSERT_TRUE(loadIncludeLists(write("in.ini", includeBytes), lists));
    saveIncludeLists(m_dir / "Include.ini", lists);
    EXPECT_EQ(read(m_dir / "Include.ini"), includeBytes);

    const PredefinedWordList words{{"WIN32", 1}, {"_X y", -5}, {"MIN", -2147483647 - 1}};
    savePredefinedWords(m_dir / "predefined.ini", words);
    EXPECT_EQ(read(m_dir / "predefined.ini"), "WIN32\r\n1\r\n_X y\r\n-5\r\nMIN\r\n-2147483648\r\n");
    EXPECT_EQ(loadPredefinedWords(m_dir / "predefined.ini"), words);

    // Saving over a symbolic link replaces the file it points to and keeps its permissions.
    const fs::path real = write("real.ini", "old");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(real, m_dir / "link.ini");
    savePredefinedWords(m_dir / "link.ini", {});
    EXPECT_TRUE(fs::is_symlink(m_dir / "link.ini"));
    EXPECT_EQ(read(real), "");
    EXPECT_EQ(fs::status(real).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(entriesInFolder(), 5u);  // no temporary file left
}

TEST_F(OptionFilesTest, FilesOverTheSizeLimitAreNotReadAndSaySo)
{
    // Sparse files one byte over the limit: nothing of them is read. Include.ini is treated as a
    // missing one (the lists get their defaults, which leave them as they were here);
    // predefined.ini gives no words, as an unreadable one.
    for (const char* name : {"Include.ini", "predefined.ini"}) {
        std::ofstream(m_dir / name) << "1\n/usr/include\n";
        fs::resize_file(m_dir / name, kMaxSmallFileBytes + 1);
    }
    std::vector<std::string> messages;
    const OptionFileReport report = [&](std::string_view m) { messages.emplace_back(m); };
    IncludeDirectoryLists lists;
    lists.lists[0] = {"kept?"};
    EXPECT_FALSE(loadIncludeLists(m_dir / "Include.ini", lists, report));
    EXPECT_EQ(lists.lists[0], std::vector<std::string>{"kept?"});
    EXPECT_TRUE(loadPredefinedWords(m_dir / "predefined.ini", report).empty());
    EXPECT_EQ(messages, (std::vector<std::string>{(m_dir / "Include.ini").string() + " : file too large",
                                                  (m_dir / "predefined.ini").string() + " : file too large"}));
    // Without a report the answer is the same, quietly.
    EXPECT_TRUE(loadPredefinedWords(m_dir / "predefined.ini").empty());

    // At the limit a file is read.
    fs::resize_file(m_dir / "Include.ini", kMaxSmallFileBytes);
    messages.clear();
    EXPECT_TRUE(loadIncludeLists(m_dir / "Include.ini", lists, report));
    EXPECT_EQ(lists.lists[0], std::vector<std::string>{"/usr/include"});
    EXPECT_TRUE(messages.empty());
}

TEST(SmallFile, ReadsWholeFilesUpToTheLimitAndSplitsLines)
{
    const fs::path dir = fs::temp_directory_path() / ("qm-small-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "eleven", std::ios::binary) << "a\r\nb\n\nc\rd\ne";
    std::string bytes = "old";
    EXPECT_EQ(readSmallFile(dir / "eleven", bytes, 11), SmallFileRead::Read);
    EXPECT_EQ(bytes, "a\r\nb\n\nc\rd\ne");
    EXPECT_EQ(readSmallFile(dir / "eleven", bytes, 10), SmallFileRead::TooLarge);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(readSmallFile(dir / "missing", bytes), SmallFileRead::CannotOpen);
    EXPECT_EQ(readSmallFile(dir, bytes), SmallFileRead::CannotOpen);
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(readSmallFile(dir / "fifo", bytes), SmallFileRead::CannotOpen);  // does not wait for a writer

    // Lines as getline reads them, with a CR before LF taken off (a lone CR stays).
    std::vector<std::string> lines;
    TextLines reader("a\r\nb\n\nc\rd\ne");
    for (std::string line; reader.next(line);) lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "", "c\rd", "e"}));
    TextLines ending("x\n");
    std::string line;
    EXPECT_TRUE(ending.next(line));
    EXPECT_FALSE(ending.next(line));
    EXPECT_FALSE(TextLines("").next(line));
    fs::remove_all(dir);
}

TEST_F(OptionFilesTest, FailedSaveKeepsTheOldFile)
{
    const fs::path notFolder = write("plain", "x");
    try {
        savePredefinedWords(notFolder / "predefined.ini", {{"A", 1}});
        FAIL() << "no error";
    } catch (const model::Error& e) {
        EXPECT_EQ(std::string(e.what()), (notFolder / "predefined.ini").string() + " : cannot write file");
    }

    // Writing fails halfway (file size limit): the old content stays whole.
    const std::string oldBytes = "OLD\r\n1\r\n";
    const fs::path target = write("predefined.ini", oldBytes);
    rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 16;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    EXPECT_THROW(savePredefinedWords(target, PredefinedWordList(10, {"LONG_NAME", 123456})), model::Error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(read(target), oldBytes);
    EXPECT_EQ(entriesInFolder(), 2u);  // no temporary file left
}

TEST(OptionLists, DefaultsSelectionSeedsAndNames)
{
    IncludeDirectoryLists lists;
    lists.lists[1] = {"old1"};
    lists.lists[3] = {"custom"};
    fillDefaultIncludeLists({"C:\\VC98\\", "", "D:\\VC7"}, lists);
    EXPECT_EQ(lists.lists[0], (std::vector<std::string>{"C:\\VC98\\\\INCLUDE", "C:\\VC98\\\\MFC\\INCLUDE",
                                                        "C:\\VC98\\\\ATL\\INCLUDE"}));
    EXPECT_EQ(lists.lists[1], std::vector<std::string>{"old1"});
    EXPECT_EQ(lists.lists[2].at(2), "D:\\VC7\\PlatformSDK\\Include\\PRERELEASE");
    const IncludeDirectoryLists before = lists;
    defaultIncludeLists(lists);
    EXPECT_EQ(lists, before);

    EXPECT_EQ(selectIncludeList(lists, 3), std::vector<std::string>{"custom"});
    EXPECT_TRUE(selectIncludeList(lists, 4).empty());
    EXPECT_TRUE(selectIncludeList(lists, -1).empty());

    const PredefinedWordList seeds = buildMacroSeeds({{"WIN32", 1}, {"X", 2}}, {{"X", 5}});
    EXPECT_EQ(seeds, (PredefinedWordList{{"WIN32", 1}, {"X", 2}, {"X", 5}}));

    EXPECT_EQ(validatePredefinedName("1ABC"), "Defined Word must string.");
    EXPECT_EQ(validatePredefinedName(""), "Defined Word must have at least one charater.");
    EXPECT_EQ(validatePredefinedName("\xC3\xA9t\xC3\xA9"), "Defined Word must string.");
    EXPECT_EQ(validatePredefinedName("_X"), std::nullopt);
    EXPECT_EQ(validatePredefinedName("a b-c"), std::nullopt);
}

// Sets an environment variable for the life of the guard, then restores it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) m_old = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { m_old ? ::setenv(m_name, m_old->c_str(), 1) : ::unsetenv(m_name); }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST_F(OptionFilesTest, ConfigFolderFollowsTheEnvironment)
{
    {
        ScopedEnv own("QUILLMARSH_CONFIG_DIR", nullptr);
        ScopedEnv xdg("XDG_CONFIG_HOME", "/xdg");
        ScopedEnv home("HOME", "/home/u");
        EXPECT_EQ(configDirectory(), fs::path("/xdg/Quillmarsh"));
        ScopedEnv relative("XDG_CONFIG_HOME", "rel");
        EXPECT_EQ(configDirectory(), fs::path("/home/u/.config/Quillmarsh"));
        ScopedEnv none("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(predefinedWordsPath(), fs::path("/home/u/.config/Quillmarsh/predefined.ini"));
    }
    ScopedEnv own("QUILLMARSH_CONFIG_DIR", (m_dir / "a" / "b").c_str());
    EXPECT_EQ(includeListsPath(), m_dir / "a" / "b" / "Include.ini");
    EXPECT_FALSE(fs::exists(m_dir / "a"));
    EXPECT_EQ(ensureConfigDirectory(), m_dir / "a" / "b");
    EXPECT_TRUE(fs::is_directory(m_dir / "a" / "b"));

    ScopedEnv blocked("QUILLMARSH_CONFIG_DIR", (write("file", "") / "sub").c_str());
    EXPECT_THROW(ensureConfigDirectory(), model::Error);
}

}  // namespace
}  // namespace qm::frontend
