// QtSettingsStore: values through a real INI file, what reads as none, when the store exists,
// and that a write which was not made durable never reaches the file.
#include "app/qt_settings_store.h"

#include "project/message_reporter.h"
#include "settings/app_settings.h"

#include <gtest/gtest.h>

#include <QSettings>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>

#include <sys/resource.h>
#include <unistd.h>

namespace qm::app {
namespace {

namespace fs = std::filesystem;

std::string fileText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// While it lives, writing a file past `bytes` fails (EFBIG): a full disk, even for root.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) : oldSignal(std::signal(SIGXFSZ, SIG_IGN))
    {
        ::getrlimit(RLIMIT_FSIZE, &old);
        rlimit limit{bytes, old.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldSignal);
    }

    void (*oldSignal)(int);
    rlimit old{};
};

class QtSettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    const std::string m_name = testing::UnitTest::GetInstance()->current_test_info()->name();
    const fs::path m_dir = fs::temp_directory_path() / ("qm-app-" + std::to_string(::getpid()) + "-" + m_name);
};

TEST_F(QtSettingsStoreTest, RoundTripsValuesThroughTheIniFile)
{
    const fs::path path = m_dir / "Quillmarsh.ini";
    const std::int64_t big = std::numeric_limits<std::int64_t>::max();
    const std::vector<std::string> texts = {"Courier New", "", "/home/a,b", "@at", "two\nlines", " padded ",
                                            "\xc3\xa4", "\xff\xfe not UTF-8"};
    {
        QtSettingsStore store(path);
        ASSERT_TRUE(store.create());
        ASSERT_TRUE(store.writeInteger("MacroInfoSize", 150) && store.writeInteger("Min", -big - 1)
                    && store.writeInteger("Max", big) && store.writeText("QuillmarshSettings/WindowPos", "2,1,-1"));
        for (std::size_t i = 0; i < texts.size(); ++i) store.writeText("Text" + std::to_string(i), texts[i]);
        EXPECT_EQ(store.readInteger("MacroInfoSize"), 150);  // before the flush too
        ASSERT_TRUE(store.flush());
    }
    // A copy has a name QSettings has never seen, so its values come from the bytes on disk.
    fs::copy_file(path, m_dir / "copy.ini");
    QtSettingsStore store(m_dir / "copy.ini");
    ASSERT_TRUE(store.open());
    EXPECT_EQ(store.readInteger("MacroInfoSize"), 150);
    EXPECT_EQ(store.readText("MacroInfoSize"), "150");
    EXPECT_EQ(store.readInteger("Min"), -big - 1);
    EXPECT_EQ(store.readInteger("Max"), big);
    EXPECT_EQ(store.readText("QuillmarshSettings/WindowPos"), "2,1,-1");
    EXPECT_EQ(store.readText("/QuillmarshSettings//WindowPos/"), "2,1,-1");
    for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(store.readText("Text" + std::to_string(i)), texts[i]);

    // Groups are INI sections that QSettings itself reads.
    EXPECT_NE(fileText(path).find("[QuillmarshSettings]"), std::string::npos);
    QSettings plain(QString::fromStdString(path.string()), QSettings::IniFormat);
    plain.beginGroup(QStringLiteral("QuillmarshSettings"));
    EXPECT_EQ(plain.value(QStringLiteral("WindowPos")).toString(), QStringLiteral("2,1,-1"));
}

TEST_F(QtSettingsStoreTest, ValuesThatAreMissingOrNotOfTheirKindReadAsNone)
{
    std::ofstream(m_dir / "Quillmarsh.ini") << "[General]\nShow%20Code=true\nHalf=1.5\nHuge=99999999999999999999\n"
                                               "Hex=0x10\nList=1, 2\nEmpty=\nBytes=@ByteArray(xyz)\n"
                                               "Point=@Point(1 2)\n[G]\nOk=-7\n";
    QtSettingsStore store(m_dir / "Quillmarsh.ini");
    ASSERT_TRUE(store.open());
    for (const char* name : {"Show Code", "Half", "Huge", "Hex", "List", "Empty", "Bytes", "Point", "Missing", "Ok"}) {
        EXPECT_EQ(store.readInteger(name), std::nullopt) << name;
    }
    EXPECT_EQ(store.readInteger("G/Ok"), -7);
    EXPECT_EQ(store.readText("Show Code"), "true");
    EXPECT_EQ(store.readText("List"), "1,2");
    EXPECT_EQ(store.readText("Empty"), "");
    EXPECT_EQ(store.readText("Point"), std::nullopt);
    EXPECT_EQ(store.readText("Missing"), std::nullopt);
    EXPECT_FALSE(store.writeInteger("//", 1));
    EXPECT_FALSE(store.writeText("", "x"));
    EXPECT_EQ(store.readText(""), std::nullopt);
}

TEST_F(QtSettingsStoreTest, StoreExistsOnlyAfterCreateAndFlush)
{
    const fs::path path = m_dir / "config" / "Quillmarsh" / "Quillmarsh.ini";
    QtSettingsStore store(path);
    EXPECT_FALSE(store.open() || store.exists());
    ASSERT_TRUE(store.create());
    EXPECT_TRUE(fs::is_directory(path.parent_path()));
    EXPECT_FALSE(store.open() || store.exists());  // an empty store too appears at the flush
    ASSERT_TRUE(store.create());
    ASSERT_TRUE(store.flush());
    EXPECT_TRUE(store.open() && store.exists());
    EXPECT_EQ(fs::directory_iterator(path.parent_path())->path(), path);  // nothing else left beside it

    fs::create_directories(m_dir / "folder.ini");
    QtSettingsStore folder(m_dir / "folder.ini");
    EXPECT_FALSE(folder.open());
    EXPECT_TRUE(folder.exists());  // there, but not a store: reported at start
    EXPECT_FALSE(folder.create());

    // The folder cannot be made where a file is.
    std::ofstream(m_dir / "file") << "x";
    QtSettingsStore blocked(m_dir / "file" / "Quillmarsh.ini");
    EXPECT_FALSE(blocked.create());
    ASSERT_TRUE(blocked.writeInteger("A", 1));
    EXPECT_FALSE(blocked.flush());
    EXPECT_EQ(fileText(m_dir / "file"), "x");

    ::setenv("QUILLMARSH_CONFIG_DIR", m_dir.c_str(), 1);
    EXPECT_EQ(QtSettingsStore().path(), m_dir / "Quillmarsh.ini");
    ::unsetenv("QUILLMARSH_CONFIG_DIR");
}

TEST_F(QtSettingsStoreTest, WritesThatAreNotMadeDurableNeverReachTheFile)
{
    const fs::path path = m_dir / "Quillmarsh.ini";
    {
        QtSettingsStore store(path);
        ASSERT_TRUE(store.create() && store.writeInteger("A", 1) && store.writeText("T", "short") && store.flush());
    }
    const std::string saved = fileText(path);
    {
        QtSettingsStore store(path);
        ASSERT_TRUE(store.create() && store.writeInteger("A", 2));  // a save that stopped before flushing
    }
    {
        QtSettingsStore store(path);
        ASSERT_TRUE(store.writeInteger("A", 3));
        ASSERT_TRUE(store.create());  // a new save begins without it
        ASSERT_TRUE(store.flush());
        ASSERT_TRUE(store.writeInteger("A", 4) && store.open());
        EXPECT_EQ(store.readInteger("A"), 1);
    }
    EXPECT_EQ(fileText(path), saved);

    // A save that cannot be written in full leaves the old file as it was.
    {
        QtSettingsStore store(path);
        ASSERT_TRUE(store.create() && store.writeInteger("A", 5) && store.writeText("T", std::string(8192, 'x')));
        FileSizeLimit limit(2048);
        EXPECT_FALSE(store.flush());
    }
    EXPECT_EQ(fileText(path), saved);
    // Neither a later store in this process nor its next save brings the lost values back.
    QtSettingsStore store(path);
    ASSERT_TRUE(store.open());
    EXPECT_EQ(store.readInteger("A"), 1);
    ASSERT_TRUE(store.create() && store.writeInteger("B", 6) && store.flush());
    ASSERT_TRUE(store.open());
    EXPECT_EQ(store.readInteger("A"), 1);
    EXPECT_EQ(store.readText("T"), "short");
    EXPECT_EQ(store.readInteger("B"), 6);
    for (const auto& entry : fs::directory_iterator(m_dir)) EXPECT_EQ(entry.path(), path);
}

TEST_F(QtSettingsStoreTest, AppSettingsKeepTheirValuesBetweenSessions)
{
    const settings::OptionFilePaths files{m_dir / "predefined.ini", m_dir / "Include.ini"};
    QtSettingsStore store(m_dir / "Quillmarsh.ini");
    project::RecordingReporter messages;
    settings::SettingValues changed;
    {
        settings::AppSettings first(store, messages, files);
        EXPECT_TRUE(messages.messages.empty());  // a first start: the defaults, without a word
        EXPECT_EQ(first.values, settings::SettingValues{});
        first.values.showCode = true;
        first.values.autoSort = false;
        first.values.macroInfoSize = 321;
        first.values.codeFontName = "Liberation Mono";
        first.values.lastPath = "/home/user/a, b";
        changed = first.values;
    }
    messages.messages.clear();
    QSettings plain(QString::fromStdString((m_dir / "Quillmarsh.ini").string()), QSettings::IniFormat);
    EXPECT_EQ(plain.value(QStringLiteral("Show Code")).toString(), QStringLiteral("1"));

    QtSettingsStore next(m_dir / "Quillmarsh.ini");
    settings::AppSettings second(next, messages, files);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(second.values, changed);
}

}  // namespace
}  // namespace qm::app
