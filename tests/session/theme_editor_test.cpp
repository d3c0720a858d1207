// The theme dialog without its window: the working copy and what each change asks of the
// preview, the theme list of the user's and the shipped themes, Save As and Remove with their
// refusals; and the preview, which analyses its sample once and follows every change.
#include "session/theme_editor.h"
#include "session/theme_preview.h"

#include "draw/recording_canvas.h"
#include "draw/text_metrics.h"
#include "macro/theme_file.h"
#include "session_test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace qm::session {
namespace {

using namespace testing;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class RecordingThemeHost : public ThemeEditorHost {
public:
    void workingThemeChanged(PreviewUpdate update) override { updates.push_back(update); }
    std::vector<PreviewUpdate> updates;
};

std::vector<std::string> names(const ThemeEditor& editor)
{
    std::vector<std::string> list;
    for (const ThemeListEntry& entry : editor.themes()) list.push_back(entry.name);
    return list;
}

macro::Theme blueTheme()
{
    macro::Theme theme;
    theme.colors.background = macro::Rgb{0, 0, 255};
    theme.fonts.fontFor(4).faceName = "Blue Face";
    return theme;
}

class ThemeEditorTest : public ::testing::Test {
protected:
    ThemeEditorTest()
    {
        fs::create_directories(user);
        fs::create_directories(shipped);
        macro::saveTheme(user / "mine.cif", blueTheme());
        macro::saveTheme(shipped / "Ocean.cif", blueTheme());
        macro::saveTheme(shipped / "mine.cif", macro::Theme{});  // hidden by the user's own
        opened.colors.unitSpace = 7;
    }

    ScratchFolder folder;
    fs::path user = folder.path() / "Color";
    fs::path shipped = folder.path() / "shipped";
    macro::Theme opened;
    RecordingThemeHost host;
    project::RecordingReporter messages;
};

TEST_F(ThemeEditorTest, EveryControlChangesTheWorkingCopyAndSaysWhatThePreviewMustRedo)
{
    ThemeEditor editor(opened, user, shipped, host, messages);
    editor.setShadingType(4);
    editor.setShadingType(5);  // not an entry
    editor.setUnitSpace(0);
    editor.setBackground({1, 2, 3});
    editor.setAccentType(AccentRow::Protected, 3);
    editor.setAccentColor(AccentRow::Private, {9, 9, 9});
    editor.setSizeIndex(1, 0);        // Class: "6"
    editor.setFaceName(kUnknownRow, "Mono");
    editor.setBold(6, true);          // Enum
    editor.setElementColor(1, ColorPart::Background, {10, 20, 30});
    EXPECT_THAT(host.updates, ElementsAre(PreviewUpdate::Repaint, PreviewUpdate::Relayout, PreviewUpdate::Repaint,
                                          PreviewUpdate::Repaint, PreviewUpdate::Repaint, PreviewUpdate::Remeasure,
                                          PreviewUpdate::Remeasure, PreviewUpdate::Remeasure, PreviewUpdate::Repaint));

    const macro::Theme& w = editor.working();
    EXPECT_EQ(w.colors.shadingType, 4);
    EXPECT_EQ(w.colors.unitSpace, 0);
    EXPECT_EQ(w.colors.protectedType, macro::ColorTarget::Background);
    EXPECT_EQ(editor.accentColor(AccentRow::Private), (macro::Rgb{9, 9, 9}));
    EXPECT_EQ(w.fonts.fontOf(4).size, 6);
    EXPECT_EQ(w.fonts.fontOf(4).pointSizeTenths(), 60);
    EXPECT_EQ(editor.sizeIndex(1), 0);
    EXPECT_TRUE(w.fonts.fontOf(4).bold);  // the other two values of the font stay
    EXPECT_EQ(w.fonts.defaultFont.faceName, "Mono");
    EXPECT_TRUE(w.fonts.fontOf(7).bold);
    EXPECT_EQ(w.colors.colorsOf(4).background, (macro::Rgb{10, 20, 30}));
    // A category without its own font or colours (a typedef) is drawn with the Unknown row's.
    EXPECT_EQ(w.fonts.fontOf(11).faceName, "Mono");
    EXPECT_EQ(editor.elementFont(kUnknownRow).faceName, "Mono");
    EXPECT_EQ(elementCaption(0), "Namespace");
    EXPECT_EQ(elementCaption(kUnknownRow), "Unknown");
    EXPECT_EQ(editor.current(), opened);
}

TEST_F(ThemeEditorTest, TheListHoldsCurrentAndTheNamedThemesWhichLoadIntoTheWorkingCopy)
{
    fs::create_directories(user / "folder.cif");
    macro::saveTheme(user / "default", blueTheme());
    ThemeEditor editor(opened, user, shipped, host, messages);
    EXPECT_THAT(names(editor), ElementsAre("Current", "Ocean", "mine"));
    EXPECT_EQ(editor.themes()[2].origin, ThemeListEntry::Origin::User);

    editor.chooseTheme(2);
    EXPECT_EQ(editor.working(), blueTheme());
    EXPECT_EQ(host.updates.back(), PreviewUpdate::Remeasure);
    editor.chooseTheme(0);  // "Current": what the dialog opened with
    EXPECT_EQ(editor.working(), opened);

    // A damaged theme says so and changes nothing; one that vanished changes nothing quietly.
    std::ofstream(user / "mine.cif", std::ios::binary | std::ios::trunc) << "Color Information File Version 1.1\nHighColorShading 3\n";
    editor.setUnitSpace(12);
    editor.chooseTheme(2);
    EXPECT_THAT(messages.messages, ElementsAre("theme load fail."));
    EXPECT_EQ(editor.working().colors.unitSpace, 12);
    EXPECT_EQ(editor.working().colors.shadingType, opened.colors.shadingType);
    fs::remove(shipped / "Ocean.cif");
    editor.chooseTheme(1);
    EXPECT_EQ(editor.working().colors.unitSpace, 12);
    EXPECT_EQ(messages.messages.size(), 1u);
}

TEST_F(ThemeEditorTest, SaveAsNeverOverwritesAndRemoveTakesOnlyTheUsersOwnThemes)
{
    ThemeEditor editor(opened, user, shipped, host, messages);
    editor.setUnitSpace(9);
    ASSERT_EQ(editor.saveAs("new one"), std::nullopt);
    EXPECT_THAT(names(editor), ElementsAre("Current", "new one", "Ocean", "mine"));
    EXPECT_EQ(editor.selectedTheme(), 1);
    macro::Theme reread;
    ASSERT_TRUE(macro::loadTheme(user / "new one.cif", reread, messages));
    EXPECT_EQ(reread.colors.unitSpace, 9);

    const std::string exists = "already exist same name or not enough space.";
    for (const std::string name : {"mine", "Ocean", "Current", "", ".", "..", "a/b", "../up"}) {
        EXPECT_EQ(editor.saveAs(name), exists) << name;
    }
    // A file that is there but not listed (made after the dialog opened) is not overwritten.
    std::ofstream(user / "late.cif") << "mine";
    EXPECT_EQ(editor.saveAs("late"), exists);
    EXPECT_EQ(folder.path() / "Color" / "late.cif", user / "late.cif");
    std::ifstream late(user / "late.cif");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(late), {}), "mine");
    EXPECT_FALSE(fs::exists(folder.path() / "up.cif"));
    EXPECT_THAT(names(editor), ElementsAre("Current", "new one", "Ocean", "mine"));

    // Remove: never "Current"; a shipped theme cannot be removed; the entry above is selected.
    EXPECT_FALSE(editor.canRemove(0));
    EXPECT_FALSE(editor.canRemove(4));
    EXPECT_EQ(editor.remove(2), "Cannot Remove Theme");
    EXPECT_TRUE(fs::exists(shipped / "Ocean.cif"));
    EXPECT_EQ(editor.remove(1), std::nullopt);
    EXPECT_FALSE(fs::exists(user / "new one.cif"));
    EXPECT_EQ(editor.selectedTheme(), 0);
    // The user's "mine" hid a shipped "mine", which comes back.
    EXPECT_EQ(editor.remove(2), std::nullopt);
    EXPECT_THAT(names(editor), ElementsAre("Current", "Ocean", "mine"));
    EXPECT_EQ(editor.themes()[2].origin, ThemeListEntry::Origin::Shipped);
    EXPECT_EQ(editor.selectedTheme(), 1);
}

TEST_F(ThemeEditorTest, AThemeFolderThatCannotBeWrittenGivesItsMessageAndNothingIsListed)
{
    if (::geteuid() == 0) {
        GTEST_SKIP() << "the superuser writes into any folder";
    }
    ::chmod(user.c_str(), 0555);
    ThemeEditor editor(opened, user, shipped, host, messages);
    const std::optional<std::string> refusal = editor.saveAs("blocked");
    ::chmod(user.c_str(), 0755);
    ASSERT_TRUE(refusal);
    EXPECT_THAT(*refusal, HasSubstr("cannot write file"));
    EXPECT_THAT(names(editor), ElementsAre("Current", "Ocean", "mine"));
    EXPECT_FALSE(fs::exists(user / "blocked.cif"));
}

TEST_F(ThemeEditorTest, AThemeFolderInPlaceOfAFileGivesItsMessage)
{
    // A file where the folder should be: it cannot be made, whoever runs the test.
    const fs::path blocked = folder.path() / "not-a-folder";
    std::ofstream(blocked) << "x";
    ThemeEditor editor(opened, blocked, shipped, host, messages);
    const std::optional<std::string> refusal = editor.saveAs("blocked");
    ASSERT_TRUE(refusal);
    EXPECT_THAT(*refusal, HasSubstr("cannot create folder"));
    EXPECT_THAT(names(editor), ElementsAre("Current", "Ocean", "mine"));
}

// --- the preview ---------------------------------------------------------------------------------

class ThemePreviewTest : public ::testing::Test {
protected:
    ThemePreviewTest()
    {
        sample = folder.write("preview.dat",
                              "namespace n { class C { public: int a; void f() { } private: int b; }; struct S { int x; }; }\n"
                              "int global;\nvoid g() { }\n");
        theme.colors.shadingType = 0;  // fills keep their colour unshaded
    }

    ScratchFolder folder;
    std::string sample;
    settings::SettingValues values;
    macro::Theme theme;
    draw::FixedTextMetrics metrics{7, 14};
};

TEST_F(ThemePreviewTest, TheSampleIsAnalysedOnceAndDrawnWholeWithEveryChange)
{
    RecordingThemeHost host;
    project::RecordingReporter messages;
    ThemeEditor editor(theme, folder.path() / "Color", folder.path() / "shipped", host, messages);
    ThemePreview preview(editor.working(), values);
    preview.analyzeSample(sample);
    ASSERT_TRUE(preview.prepare(metrics, 205).has_value());
    EXPECT_FALSE(preview.prepare(metrics, 205).has_value());  // nothing pending
    ASSERT_FALSE(preview.diagram().boxes().empty());
    macro::visitBoxes(const_cast<macro::MacroDiagram&>(preview.diagram()).boxes(), [](macro::MacroBox& box) {
        EXPECT_TRUE(box.expanded || !box.hasChildren());
        return true;
    });

    // A colour is painted at once without a new layout.
    editor.setElementColor(1, ColorPart::Background, {1, 2, 3});
    preview.themeChanged(host.updates.back());
    EXPECT_FALSE(preview.prepare(metrics, 205).has_value());
    draw::RecordingCanvas canvas;
    preview.paint(canvas);
    EXPECT_THAT(canvas.text(), HasSubstr("RGB(1,2,3)"));
    const int measures = preview.measureCount();
    const int layouts = preview.layoutCount();

    // The spacing unit lays out again; a font measures again; a width change lays out again.
    editor.setUnitSpace(20);
    preview.themeChanged(host.updates.back());
    ASSERT_TRUE(preview.prepare(metrics, 205).has_value());
    EXPECT_EQ(preview.measureCount(), measures);
    editor.setFaceName(1, "Other");
    preview.themeChanged(host.updates.back());
    ASSERT_TRUE(preview.prepare(metrics, 205).has_value());
    EXPECT_EQ(preview.measureCount(), measures + 1);
    EXPECT_TRUE(preview.prepare(metrics, 300).has_value());
    EXPECT_EQ(preview.layoutCount(), layouts + 3);

    // A hundred changes, one analysis.
    for (int i = 0; i < 100; ++i) {
        editor.setSizeIndex(i % 8, i % 27);
        preview.themeChanged(host.updates.back());
        preview.prepare(metrics, 205);
        preview.paint(canvas);
    }
    EXPECT_EQ(preview.analysisCount(), 1);

    // Nothing is painted while the dialog applies a change.
    canvas.clear();
    preview.setBusy(true);
    preview.paint(canvas);
    EXPECT_TRUE(canvas.records().empty());
}

TEST_F(ThemePreviewTest, TheSampleIsSortedWhateverAutoSortSaysAndAMissingSampleLeavesItBlank)
{
    values.autoSort = false;
    ThemePreview sorted(theme, values);
    sorted.analyzeSample(sample);
    sorted.prepare(metrics, 400);
    settings::SettingValues autoSorted;
    ThemePreview reference(theme, autoSorted);
    reference.analyzeSample(sample);
    reference.prepare(metrics, 400);
    ASSERT_EQ(sorted.diagram().boxes().size(), reference.diagram().boxes().size());
    for (std::size_t i = 0; i < sorted.diagram().boxes().size(); ++i) {
        EXPECT_EQ(sorted.diagram().boxes()[i].x, reference.diagram().boxes()[i].x);
        EXPECT_EQ(sorted.diagram().boxes()[i].y, reference.diagram().boxes()[i].y);
    }

    ThemePreview blank(theme, values);
    blank.analyzeSample(folder.file("no-such-sample.dat"));
    blank.prepare(metrics, 205);
    draw::RecordingCanvas canvas;
    blank.paint(canvas);
    EXPECT_TRUE(blank.diagram().boxes().empty());
    EXPECT_TRUE(canvas.records().empty());
}

}  // namespace
}  // namespace qm::session
