// AppSettings: defaults, the stored values and their names, the load and save order and what a
// broken store or an unwritable option file reports.
#include "settings/app_settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>

#include <unistd.h>

namespace qm::settings {
namespace {

namespace fs = std::filesystem;

// A memory store that logs the names read and written and runs a hook when it is opened or
// created, to see what happened before.
struct ObservedStore : MemorySettingsStore {
    using Base = MemorySettingsStore;
    std::function<void()> onOpen = [] {};
    std::function<void()> onCreate = [] {};
    std::vector<std::string> read, written;

    bool open() override { return onOpen(), Base::open(); }
    bool create() override { return onCreate(), Base::create(); }
    std::optional<std::int64_t> readInteger(const std::string& n) override
    {
        return read.push_back(n), Base::readInteger(n);
    }
    std::optional<std::string> readText(const std::string& n) override { return read.push_back(n), Base::readText(n); }
    bool writeInteger(const std::string& n, std::int64_t v) override
    {
        return written.push_back(n), Base::writeInteger(n, v);
    }
    bool writeText(const std::string& n, const std::string& v) override
    {
        return written.push_back(n), Base::writeText(n, v);
    }
};

// The value names in the order they are read and written.
const std::vector<std::string> kOrder = {
    "Preprocessing Same Name File", "Auto Resize Macro View", "Auto Show Detail Content", "Show Code",
    "MacroInfoMode", "MacroInfoSize", "MacroDetailMode", "MacroDetailSize", "Show Tutorial", "Code Font Name",
    "Code Font Size", "Macro View Sort", "Include Directory", "Last Path", "Fixed Size Arrange",
    "Code Edit Button Show", "Code Edit Program", "Auto Sort", "Analysis Jobs",
};
const std::set<std::string> kTextNames = {"Code Font Name", "Last Path", "Code Edit Program"};
const std::set<std::string> kIntegerNames = {"MacroInfoMode", "MacroInfoSize", "MacroDetailMode", "MacroDetailSize",
                                             "Code Font Size", "Macro View Sort", "Include Directory",
                                             "Analysis Jobs"};

// A store holding every value: the flags 1, the integers 7, the texts named after their value.
MemorySettingsStore fullStore()
{
    MemorySettingsStore store;
    for (const std::string& name : kOrder) {
        if (kTextNames.count(name) != 0) {
            store.texts[name] = "text of " + name;
        } else {
            store.integers[name] = kIntegerNames.count(name) != 0 ? 7 : 1;
        }
    }
    return store;
}

class AppSettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("qm-settings-" + std::to_string(::getpid()) + "-"
                                             + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_files = {m_dir / "predefined.ini", m_dir / "Include.ini"};
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void write(const fs::path& path, std::string_view bytes)
    {
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    static std::string read(const fs::path& path)
    {
        std::ostringstream out;
        out << std::ifstream(path, std::ios::binary).rdbuf();
        return out.str();
    }

    fs::path m_dir;
    OptionFilePaths m_files;
    project::RecordingReporter m_sink;
};

TEST_F(AppSettingsTest, FirstStartRunsWithDefaultsAndCreatesTheStoreAtExit)
{
    MemorySettingsStore store;
    store.present = false;  // nothing stored yet: the defaults, and no message about it
    {
        AppSettings settings(store, m_sink, m_files);
        EXPECT_TRUE(m_sink.messages.empty());
        const SettingValues& v = settings.values;
        EXPECT_TRUE(v.autoResizeMacroView && v.autoShowDetailContent && v.showTutorial && v.fixedSizeArrange
                    && v.codeEditButtonShow && v.autoSort && !v.preprocessSameNameFile && !v.showCode);
        EXPECT_EQ(std::vector<int>({v.macroInfoMode, v.macroInfoSize, v.macroDetailMode, v.macroDetailSize,
                                    v.codeFontSize, v.macroViewSort, v.includeDirectory}),
                  std::vector<int>({1, 150, 1, 150, 100, kSortByName, 0}));
        EXPECT_EQ(v.codeFontName + "|" + v.lastPath + "|" + v.codeEditProgram, "Courier New||xdg-open");
        EXPECT_EQ(settings.includeLists, frontend::IncludeDirectoryLists{});
        // No predefined.ini yet: the platform's words, saved at exit like any others.
        EXPECT_EQ(settings.predefinedWords, frontend::defaultPredefinedWords());
    }
    EXPECT_EQ(frontend::loadPredefinedWords(m_files.predefinedWords), frontend::defaultPredefinedWords());
    // Destruction wrote the files and every value; the next start reads them without a message.
    EXPECT_EQ(read(m_files.includeLists), "0\r\n0\r\n0\r\n0\r\n");
    EXPECT_EQ(store.integers.size() + store.texts.size(), kOrder.size());
    m_sink.messages.clear();
    AppSettings again(store, m_sink, m_files);
    EXPECT_TRUE(m_sink.messages.empty());
    EXPECT_EQ(again.values, SettingValues{});

    // A store that is there but cannot be opened is a fault worth a word.
    store.openable = false;
    AppSettings unreadable(store, m_sink, m_files);
    EXPECT_EQ(m_sink.messages, std::vector<std::string>{"Regstree Open Error. - load default option"});
}

TEST_F(AppSettingsTest, ValuesRoundTripUnderTheirNamesInOrder)
{
    ObservedStore store;
    static_cast<MemorySettingsStore&>(store) = fullStore();
    {
        AppSettings settings(store, m_sink, m_files);
        EXPECT_TRUE(m_sink.messages.empty());
        EXPECT_EQ(store.read, kOrder);
        EXPECT_TRUE(settings.values.preprocessSameNameFile);
        EXPECT_EQ(settings.values.macroDetailSize, 7);
        EXPECT_EQ(settings.values.lastPath, "text of Last Path");

        settings.values.autoSort = false;
        settings.values.codeFontSize = -320;
        settings.values.lastPath = std::string(5000, 'p');  // longer than any fixed read buffer
    }
    EXPECT_EQ(store.written, kOrder);
    EXPECT_EQ(store.integers.at("Auto Sort"), 0);
    EXPECT_EQ(store.integers.at("Show Code"), 1);
    EXPECT_EQ(store.integers.at("Code Font Size"), -320);
    EXPECT_EQ(store.integers.size() + store.texts.size(), kOrder.size());  // nothing under another name

    AppSettings again(store, m_sink, m_files);
    EXPECT_TRUE(m_sink.messages.empty());
    EXPECT_FALSE(again.values.autoSort);
    EXPECT_EQ(again.values.codeFontSize, -320);
    EXPECT_EQ(again.values.lastPath.size(), 5000u);
}

TEST_F(AppSettingsTest, FlagIsTrueOnlyForExactlyOne)
{
    MemorySettingsStore store = fullStore();
    store.integers["Preprocessing Same Name File"] = 2;
    store.integers["Auto Resize Macro View"] = -1;
    store.integers["Auto Show Detail Content"] = 0x100000001;  // would be 1 if cut to 32 bits
    AppSettings settings(store, m_sink, m_files);
    EXPECT_FALSE(settings.values.preprocessSameNameFile);
    EXPECT_FALSE(settings.values.autoResizeMacroView);
    // A number beyond 32 bits cannot be a stored value: the reading stops there.
    EXPECT_EQ(m_sink.messages, std::vector<std::string>{"Regstree Read Integer Error. - load default option"});
    EXPECT_TRUE(settings.values.autoShowDetailContent);
    EXPECT_EQ(settings.values.macroInfoMode, 1);
}

TEST_F(AppSettingsTest, MissingValueStopsTheReadingAndKeepsWhatWasRead)
{
    {
        MemorySettingsStore store = fullStore();
        store.integers.erase("Auto Sort");
        AppSettings settings(store, m_sink, m_files);
        EXPECT_EQ(m_sink.messages, std::vector<std::string>{"Regstree Read Integer Error. - load default option"});
        EXPECT_EQ(settings.values.codeEditProgram, "text of Code Edit Program");
        EXPECT_EQ(settings.values.macroInfoSize, 7);
        EXPECT_TRUE(settings.values.autoSort);
    }
    m_sink.messages.clear();
    MemorySettingsStore store = fullStore();
    store.texts.erase("Last Path");
    store.integers["Last Path"] = 3;  // an integer where a text belongs is not a text
    store.integers["Fixed Size Arrange"] = 0;
    AppSettings settings(store, m_sink, m_files);
    EXPECT_EQ(m_sink.messages.front(), "Regstree Read String Error. - load default option");
    EXPECT_EQ(settings.values.includeDirectory, 7);
    EXPECT_TRUE(settings.values.fixedSizeArrange);  // after the failure: default, not the stored 0
    EXPECT_EQ(settings.values.codeEditProgram, "xdg-open");

    // An explicit load starts again from the defaults, not from the values changed in between.
    settings.values.autoSort = false;
    settings.values.includeDirectory = 2;
    settings.load();
    EXPECT_TRUE(settings.values.autoSort);
    EXPECT_EQ(settings.values.includeDirectory, 7);
}

TEST_F(AppSettingsTest, FailedWriteStopsTheSaveAndIsReported)
{
    MemorySettingsStore store;
    store.openable = false;
    store.unwritable = {"Code Font Name"};
    AppSettings settings(store, m_sink, m_files);
    m_sink.messages.clear();
    EXPECT_FALSE(settings.saveValues());
    EXPECT_EQ(m_sink.messages, std::vector<std::string>{"Regstree Write String Error."});
    EXPECT_EQ(store.integers.count("MacroDetailSize"), 1u);
    EXPECT_EQ(store.integers.count("Show Tutorial"), 1u);
    EXPECT_EQ(store.integers.count("Code Font Size"), 0u);  // later values are not written

    const std::pair<std::function<void(MemorySettingsStore&)>, std::string> failures[] = {
        {[](MemorySettingsStore& s) { s.unwritable = {"MacroInfoSize"}; }, "Regstree Write Integer Error."},
        {[](MemorySettingsStore& s) { s.creatable = false; }, "Regstree Create Error."},
        {[](MemorySettingsStore& s) { s.flushable = false; }, "Regstree Close Error."},
    };
    for (const auto& [breakStore, message] : failures) {
        store = MemorySettingsStore{};
        store.openable = false;
        breakStore(store);
        m_sink.messages.clear();
        EXPECT_FALSE(settings.saveValues()) << message;
        EXPECT_EQ(m_sink.messages, std::vector<std::string>{message});
    }
}

TEST_F(AppSettingsTest, AStoreFromBeforeAValueWasAddedLoadsWithoutAMessage)
{
    MemorySettingsStore store = fullStore();
    store.integers.erase("Analysis Jobs");
    AppSettings settings(store, m_sink, m_files);
    EXPECT_TRUE(m_sink.messages.empty());
    EXPECT_EQ(settings.values.analysisJobs, 0);
    EXPECT_EQ(settings.values.macroInfoSize, 7);
    EXPECT_TRUE(settings.values.autoSort);  // everything before it was read
}

TEST_F(AppSettingsTest, FilesAreLoadedBeforeAndSavedBeforeTheValues)
{
    write(m_files.predefinedWords, "WIN32\r\n1\r\n_DEBUG\r\n");
    write(m_files.includeLists, "2\nA\nB\n0\n1\nC\n0\n");
    ObservedStore store;
    // Deleting the files when the store is opened changes nothing if they were already read.
    store.onOpen = [&] {
        fs::remove(m_files.predefinedWords);
        fs::remove(m_files.includeLists);
    };
    std::string filesWhenCreated;
    store.onCreate = [&] { filesWhenCreated = read(m_files.predefinedWords) + read(m_files.includeLists); };
    {
        AppSettings settings(store, m_sink, m_files);
        EXPECT_EQ(settings.predefinedWords, (frontend::PredefinedWordList{{"WIN32", 1}}));
        EXPECT_EQ(settings.includeLists.lists[0], (std::vector<std::string>{"A", "B"}));
        EXPECT_EQ(settings.includeLists.lists[2], (std::vector<std::string>{"C"}));

        settings.values.includeDirectory = 2;
        EXPECT_EQ(settings.selectedIncludeList(), (std::vector<std::string>{"C"}));
        settings.values.includeDirectory = 9;
        EXPECT_TRUE(settings.selectedIncludeList().empty());

        settings.predefinedWords.push_back({"_X", -5});
        settings.load();  // the files are gone now: the default words and (empty) lists
        EXPECT_EQ(settings.predefinedWords, frontend::defaultPredefinedWords());
        settings.predefinedWords.clear();
        EXPECT_EQ(settings.includeLists, frontend::IncludeDirectoryLists{});
        settings.predefinedWords.push_back({"_X", -5});
        settings.includeLists.lists[3] = {"/usr/include"};
    }
    EXPECT_EQ(filesWhenCreated, "_X\r\n-5\r\n0\r\n0\r\n0\r\n1\r\n/usr/include\r\n");
}

TEST_F(AppSettingsTest, UnwritableFileIsReportedAndTheRestStillSaved)
{
    MemorySettingsStore store;
    const OptionFilePaths files{m_dir / "missing" / "predefined.ini", m_dir / "Include.ini"};
    AppSettings settings(store, m_sink, files);
    m_sink.messages.clear();
    settings.includeLists.lists[1] = {"/opt/include"};
    EXPECT_FALSE(settings.save());
    EXPECT_EQ(m_sink.messages, std::vector<std::string>{files.predefinedWords.string() + " : cannot write file"});
    EXPECT_EQ(read(files.includeLists), "0\r\n1\r\n/opt/include\r\n0\r\n0\r\n");
    EXPECT_EQ(store.integers.count("Auto Sort"), 1u);
    m_sink.messages.clear();
    fs::create_directories(files.predefinedWords.parent_path());
    EXPECT_TRUE(settings.save());
    EXPECT_TRUE(m_sink.messages.empty());
}

// Sets an environment variable for the life of the object.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) m_old = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment() { m_old ? ::setenv(m_name, m_old->c_str(), 1) : ::unsetenv(m_name); }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST_F(AppSettingsTest, ConfigFolderIsCreatedWhenSaving)
{
    const fs::path folder = m_dir / "config" / "Quillmarsh";
    ScopedEnvironment env("QUILLMARSH_CONFIG_DIR", folder.string());
    MemorySettingsStore store;
    {
        AppSettings settings(store, m_sink);
        EXPECT_EQ(settings.files().includeLists, folder / "Include.ini");
        EXPECT_EQ(settings.files().predefinedWords, folder / "predefined.ini");
        EXPECT_FALSE(fs::exists(folder));  // loading creates nothing
        settings.predefinedWords = {{"A", 1}};
    }
    EXPECT_EQ(read(folder / "predefined.ini"), "A\r\n1\r\n");
    EXPECT_TRUE(fs::exists(folder / "Include.ini"));

    // A folder that cannot be made is reported once; the values are still saved.
    write(m_dir / "plain", "");
    const fs::path blockedFolder = m_dir / "plain" / "Quillmarsh";
    ScopedEnvironment blocked("QUILLMARSH_CONFIG_DIR", blockedFolder.string());
    store = MemorySettingsStore{};
    {
        AppSettings settings(store, m_sink);
        m_sink.messages.clear();
    }
    EXPECT_EQ(m_sink.messages, std::vector<std::string>{blockedFolder.string() + " : cannot create folder"});
    EXPECT_EQ(store.integers.count("Auto Sort"), 1u);
}

TEST_F(AppSettingsTest, DestructionNeverThrows)
{
    struct ThrowingSink : project::MessageReporter {
        void show(std::string_view) override { throw std::runtime_error("no window left"); }
    };
    ThrowingSink sink;
    MemorySettingsStore store = fullStore();
    EXPECT_NO_THROW({
        AppSettings settings(store, sink, m_files);
        store.creatable = false;
    });
}

}  // namespace
}  // namespace qm::settings
