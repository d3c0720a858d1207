// The theme folder: which files are named themes, saving under a new name, removing, and the
// current theme in the configuration folder.
#include "macro/theme_file.h"
#include "macro/theme_folder.h"
#include "model/error.h"
#include "theme_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

namespace qm::macro {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

std::string errorText(const std::function<void()>& action)
{
    try {
        action();
    } catch (const model::Error& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(ThemeFolderTest, ListsCifFilesByNameOnly)
{
    TempFolder folder("qm-theme-list");
    const fs::path& f = folder.path();
    for (const char* name : {"zz.cif", "ab.cif", "default", "upper.CIF", ".cif", "notes.txt", "ab.cif.77-0.tmp"}) {
        writeBytes(f / name, "x");
    }
    fs::create_directory(f / "folder.cif");
    fs::create_symlink(f / "ab.cif", f / "link.cif");
    fs::create_symlink(f / "gone", f / "dangling.cif");

    EXPECT_EQ(listThemeNames(f), (std::vector<std::string>{"ab", "link", "zz"}));
    EXPECT_TRUE(listThemeNames(f / "missing").empty());
    EXPECT_TRUE(listThemeNames(f / "notes.txt").empty());
}

TEST(ThemeFolderTest, SaveAsNeverOverwritesAndRemoveTakesOnlyFiles)
{
    TempFolder folder("qm-theme-named");
    const fs::path colors = folder.path() / "Color";
    Theme blue;
    blue.colors.background = Rgb{0, 0, 255};

    // The folder is made on the first save.
    saveNamedTheme(colors, "blue", blue);
    EXPECT_EQ(readBytes(colors / "blue.cif"), formatTheme(blue));
    EXPECT_EQ(listThemeNames(colors), std::vector<std::string>{"blue"});

    // An existing name, even a dangling link, is refused and left as it was.
    const std::string exists = "already exist same name or not enough space.";
    EXPECT_EQ(errorText([&] { saveNamedTheme(colors, "blue", Theme{}); }), exists);
    EXPECT_EQ(readBytes(colors / "blue.cif"), formatTheme(blue));
    fs::create_symlink(colors / "nowhere", colors / "ghost.cif");
    EXPECT_EQ(errorText([&] { saveNamedTheme(colors, "ghost", Theme{}); }), exists);

    // A name is one file name in the folder, nothing more.
    const std::string badNames[] = {"", ".", "..", "a/b", "../up", std::string("a\0b", 3)};
    for (const std::string& name : badNames) {
        EXPECT_FALSE(isValidThemeName(name));
        std::string shown = name;
        std::erase(shown, '\0');
        EXPECT_EQ(errorText([&] { saveNamedTheme(colors, name, blue); }), shown + " : not a valid theme name");
    }
    EXPECT_FALSE(fs::exists(folder.path() / "up.cif"));
    EXPECT_TRUE(isValidThemeName("with blank and \\ backslash"));

    removeNamedTheme(colors, "blue");
    EXPECT_FALSE(fs::exists(colors / "blue.cif"));
    EXPECT_EQ(errorText([&] { removeNamedTheme(colors, "blue"); }), "Cannot Remove Theme");
    fs::create_directory(colors / "folder.cif");
    EXPECT_EQ(errorText([&] { removeNamedTheme(colors, "folder"); }), "Cannot Remove Theme");
    EXPECT_TRUE(fs::is_directory(colors / "folder.cif"));
}

// Points the configuration folder somewhere else for one test.
class ConfigFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* old = std::getenv("QUILLMARSH_CONFIG_DIR")) m_saved = old;
        ::setenv("QUILLMARSH_CONFIG_DIR", (m_folder.path() / "config").c_str(), 1);
    }
    void TearDown() override
    {
        if (m_saved) ::setenv("QUILLMARSH_CONFIG_DIR", m_saved->c_str(), 1);
        else ::unsetenv("QUILLMARSH_CONFIG_DIR");
    }

    TempFolder m_folder{"qm-theme-config"};
    std::optional<std::string> m_saved;
};

TEST_F(ConfigFolderTest, CurrentThemeLivesInTheConfigurationFolder)
{
    const fs::path config = m_folder.path() / "config";
    EXPECT_EQ(themeFolder(), config / "Color");
    EXPECT_EQ(currentThemePath(), config / "Color" / "default");

    // Nothing there yet: the built-in theme, silently.
    project::RecordingReporter messages;
    EXPECT_EQ(loadCurrentTheme(messages), Theme{});
    EXPECT_TRUE(messages.messages.empty());

    Theme theme;
    theme.colors.unitSpace = 12;
    theme.fonts.fontFor(22).faceName = "Mono";
    saveCurrentTheme(theme);
    EXPECT_EQ(loadCurrentTheme(messages), theme);
    EXPECT_TRUE(listThemeNames(themeFolder()).empty()) << "the current theme is no named theme";

    // A damaged current theme is not used at all, and the user hears of it.
    const std::string text = readBytes(currentThemePath());
    writeBytes(currentThemePath(), text.substr(0, text.size() / 2));
    EXPECT_EQ(loadCurrentTheme(messages), Theme{});
    EXPECT_EQ(messages.messages, std::vector<std::string>{"theme load fail."});
}

TEST_F(ConfigFolderTest, SavingWhereNoFolderCanBeMadeFailsClearly)
{
    // The configuration folder's name is taken by a file.
    writeBytes(m_folder.path() / "config", "a file");
    const fs::path colorFolder = m_folder.path() / "config" / "Color";
    EXPECT_EQ(errorText([] { saveCurrentTheme(Theme{}); }), colorFolder.string() + " : cannot create folder");
    EXPECT_EQ(readBytes(m_folder.path() / "config"), "a file");
}

}  // namespace
}  // namespace qm::macro
