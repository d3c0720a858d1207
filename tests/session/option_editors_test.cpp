// The option dialogs without their windows: the General options applied at once and put back by
// Cancel, the include-directory lists edited on copies, and the predefined words with their
// refusals.
#include "session/general_options.h"
#include "session/include_directory_editor.h"
#include "session/predefined_word_editor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace qm::session {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class RecordingOptionsHost : public GeneralOptionsHost {
public:
    void macroViewSettingsChanged() override { calls.push_back("macro"); }
    void detailViewSettingsChanged() override { calls.push_back("detail"); }
    void codeWindowSettingsChanged() override { calls.push_back("code"); }
    std::vector<std::string> calls;
};

TEST(GeneralOptionsTest, EveryChangeIsAppliedAtOnceAndCancelPutsBackWhatTheDialogOpenedWith)
{
    settings::SettingValues values;
    values.preprocessSameNameFile = true;
    values.codeFontSize = 320;
    values.codeEditProgram = "kate";
    values.macroInfoSize = 77;
    RecordingOptionsHost host;
    GeneralOptions options(values, host);

    EXPECT_FALSE(options.skipPreprocessSameFile());  // checked when same files are skipped
    EXPECT_EQ(options.codeFontSizeIndex(), 26);        // 32 points, the last entry
    EXPECT_EQ(options.sortIndex(), 1);

    options.setSkipPreprocessSameFile(true);
    EXPECT_FALSE(values.preprocessSameNameFile);
    EXPECT_THAT(host.calls, IsEmpty());  // read by the next run only
    options.setFixedSize(false);
    options.setSortIndex(0);
    options.setSortIndex(5);  // not an entry
    EXPECT_EQ(values.macroViewSort, settings::kSortBySize);
    options.setCodeFontName("DejaVu Sans Mono");
    options.setCodeFontSizeIndex(0);
    options.setCodeFontSizeIndex(27);  // not an entry
    EXPECT_EQ(values.codeFontSize, 60);
    options.setEditButtonShown(false);
    options.setAlwaysShowDetail(false);
    options.setEditProgram("gedit");
    EXPECT_THAT(host.calls, ElementsAre("macro", "macro", "code", "code", "code", "detail"));

    // Cancel: every value as it was, applied again; values the dialog does not show are left.
    values.macroInfoSize = 99;
    host.calls.clear();
    options.cancel();
    EXPECT_TRUE(values.preprocessSameNameFile);
    EXPECT_TRUE(values.fixedSizeArrange);
    EXPECT_EQ(values.macroViewSort, settings::kSortByName);
    EXPECT_EQ(values.codeFontName, "Courier New");
    EXPECT_EQ(values.codeFontSize, 320);
    EXPECT_EQ(values.codeEditProgram, "kate");
    EXPECT_TRUE(values.codeEditButtonShow);
    EXPECT_EQ(values.macroInfoSize, 99);
    EXPECT_THAT(host.calls, ElementsAre("macro", "detail", "code"));

    // Default: the dialog's values at their defaults.
    options.restoreDefaults();
    const settings::SettingValues defaults;
    EXPECT_EQ(values.preprocessSameNameFile, defaults.preprocessSameNameFile);
    EXPECT_EQ(values.codeFontSize, 100);
    EXPECT_EQ(values.codeEditProgram, defaults.codeEditProgram);
    EXPECT_EQ(options.codeFontSizeIndex(), 4);  // "10"

    // The size list by integer division; sizes outside the list select nothing.
    for (const auto& [tenths, index] : std::vector<std::pair<int, int>>{{105, 4}, {60, 0}, {59, -1}, {330, -1}, {-100, -1}}) {
        values.codeFontSize = tenths;
        EXPECT_EQ(options.codeFontSizeIndex(), index) << tenths;
    }
}

TEST(IncludeDirectoryEditorTest, TheListsAreEditedOnCopiesAndStoredOnlyByOk)
{
    frontend::IncludeDirectoryLists stored;
    stored.lists[0] = {"/usr/include"};
    stored.lists[3] = {"/opt/a", "/opt/b", "/opt/c"};
    std::int32_t selected = 3;
    IncludeDirectoryEditor editor(stored, selected, [] { return frontend::ProductDirectories{}; });
    EXPECT_EQ(editor.currentIndex(), 3);
    EXPECT_THAT(editor.currentLines(), ElementsAre("/opt/a", "/opt/b", "/opt/c"));

    // Appended to Custom, seen again after a look at another list; only Custom gets it.
    editor.append("/home/me/inc");
    editor.select(0);
    EXPECT_THAT(editor.currentLines(), ElementsAre("/usr/include"));
    editor.select(3);
    EXPECT_THAT(editor.currentLines(), ElementsAre("/opt/a", "/opt/b", "/opt/c", "/home/me/inc"));
    editor.remove({2, 0, 9, 0});
    EXPECT_THAT(editor.currentLines(), ElementsAre("/opt/b", "/home/me/inc"));
    editor.select(7);  // not a list
    EXPECT_EQ(editor.currentIndex(), 3);
    EXPECT_THAT(stored.lists[3], ElementsAre("/opt/a", "/opt/b", "/opt/c"));

    // Reset Path without installed compilers changes nothing; Default starts over.
    editor.resetPath();
    EXPECT_THAT(editor.currentLines(), ElementsAre("/opt/b", "/home/me/inc"));
    editor.select(1);
    editor.restoreDefault();
    EXPECT_EQ(editor.currentIndex(), 3);
    EXPECT_THAT(editor.currentLines(), ElementsAre("/opt/a", "/opt/b", "/opt/c"));

    editor.append("/x");
    editor.select(0);
    editor.accept();
    EXPECT_EQ(selected, 0);
    EXPECT_THAT(stored.lists[3], ElementsAre("/opt/a", "/opt/b", "/opt/c", "/x"));
    EXPECT_THAT(stored.lists[0], ElementsAre("/usr/include"));

    // With a compiler installed, Reset Path refills its list; a damaged setting shows list 0.
    std::int32_t damaged = 42;
    IncludeDirectoryEditor withCompiler(stored, damaged, [] { return frontend::ProductDirectories{"C:\\VC\\", "", ""}; });
    EXPECT_EQ(withCompiler.currentIndex(), 0);
    withCompiler.resetPath();
    EXPECT_THAT(withCompiler.currentLines(), ElementsAre("C:\\VC\\\\INCLUDE", "C:\\VC\\\\MFC\\INCLUDE", "C:\\VC\\\\ATL\\INCLUDE"));
    EXPECT_THAT(withCompiler.working().lists[3], ElementsAre("/opt/a", "/opt/b", "/opt/c", "/x"));
}

TEST(PredefinedWordEditorTest, WordsAreCheckedBeforeTheyAreAddedOrChanged)
{
    frontend::PredefinedWordList global{{"WIN32", 1}};
    frontend::PredefinedWordList project{{"DEBUG", 0}};
    PredefinedWordEditor editor(global, project);

    EXPECT_EQ(editor.add(WordGroup::Global, "1ABC", "0"), "Defined Word must string.");
    EXPECT_EQ(editor.add(WordGroup::Global, "", "0"), "Defined Word must have at least one charater.");
    EXPECT_EQ(editor.add(WordGroup::Global, "A\nB", "0"), "Defined Word must string.");
    for (const char* value : {"", "12x", "1e3", "99999999999", "--1", "+-2"}) {
        EXPECT_EQ(editor.add(WordGroup::Global, "X", value), std::string(kValueNotNumberMessage)) << value;
    }
    EXPECT_EQ(editor.add(WordGroup::Project, "_X", "-5"), std::nullopt);
    EXPECT_EQ(editor.add(WordGroup::Project, "_Y z", " +7 "), std::nullopt);  // only the first character counts
    EXPECT_EQ(editor.add(WordGroup::Global, "MIN", "-2147483648"), std::nullopt);
    EXPECT_EQ(editor.rows(WordGroup::Global),
              (frontend::PredefinedWordList{{"WIN32", 1}, {"MIN", -2147483647 - 1}}));
    EXPECT_EQ(editor.rows(WordGroup::Project),
              (frontend::PredefinedWordList{{"DEBUG", 0}, {"_X", -5}, {"_Y z", 7}}));

    // Set Predefined Word: the same refusals, the row kept.
    EXPECT_EQ(editor.replace(WordGroup::Project, 1, "9", "1"), "Defined Word must string.");
    EXPECT_EQ(editor.replace(WordGroup::Project, 1, "_W", "3"), std::nullopt);
    editor.remove(WordGroup::Project, {2, 0, 17});
    EXPECT_EQ(editor.rows(WordGroup::Project), (frontend::PredefinedWordList{{"_W", 3}}));

    // Nothing is stored before OK; Default starts over.
    EXPECT_EQ(project, (frontend::PredefinedWordList{{"DEBUG", 0}}));
    editor.restoreDefault();
    EXPECT_EQ(editor.rows(WordGroup::Global), global);
    EXPECT_FALSE(editor.accept());  // the project's defines did not change

    editor.add(WordGroup::Global, "NEW", "2");
    EXPECT_FALSE(editor.accept());
    EXPECT_EQ(global.back(), (frontend::PredefinedWord{"NEW", 2}));
    editor.add(WordGroup::Project, "P", "1");
    EXPECT_TRUE(editor.accept());
    EXPECT_EQ(project.back(), (frontend::PredefinedWord{"P", 1}));
}

}  // namespace
}  // namespace qm::session
