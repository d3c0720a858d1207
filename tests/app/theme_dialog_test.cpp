// The theme dialog: the colour lists, the controls over the working copy, the preview that
// follows every change without analysing its sample again, the theme list with Save As and
// Remove, and OK / Cancel from the main window.
#include "dialog_test_support.h"

#include "app/dialogs/color_combo_box.h"
#include "app/dialogs/macro_preview_view.h"
#include "app/dialogs/macro_setting_dialog.h"
#include "macro/named_colors.h"
#include "macro/theme_file.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

#include <gmock/gmock.h>

namespace qm::app {
namespace {

using namespace testing;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

QStringList items(const QComboBox& list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i) texts << list.itemText(i);
    return texts;
}

// The user picks `text` in `list`, as a click in its open list does.
void choose(QComboBox& list, const QString& text)
{
    const int index = list.findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    list.setCurrentIndex(index);
    emit list.activated(index);
}

// Whether the picture holds a pixel of exactly `color`.
bool shows(const QImage& picture, const QColor& color)
{
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.pixelColor(x, y).rgb() == color.rgb()) return true;
        }
    }
    return false;
}

class ThemeDialogTest : public FrameTest {
protected:
    ThemeDialogPaths paths()
    {
        return {file("config/Color"), fs::path(QM_SOURCE_RESOURCES_DIR) / "Color",
                fs::path(QM_SOURCE_RESOURCES_DIR) / "preview.dat"};
    }
};

TEST_F(ThemeDialogTest, AColorListHoldsTheNamedColoursAndACustomOne)
{
    open();
    ColorComboBox list(prompts);
    ASSERT_EQ(list.count(), 140);
    EXPECT_EQ(list.itemText(0).toStdString(), "black");
    EXPECT_EQ(list.itemText(139).toStdString(), "custom");
    list.setColor({255, 0, 255});  // "fuchsia" and "magenta" share it: the first is shown
    EXPECT_EQ(list.currentText().toStdString(), "fuchsia");
    list.setColor({1, 2, 3});
    EXPECT_EQ(list.currentText().toStdString(), "custom");
    EXPECT_EQ(list.color(), (macro::Rgb{1, 2, 3}));

    // A right click opens the colour dialog at the current colour; its choice is reported.
    std::vector<macro::Rgb> chosen;
    QObject::connect(&list, &ColorComboBox::colorChosen, [&](macro::Rgb c) { chosen.push_back(c); });
    list.show();
    prompts.chosenColor = QColor(10, 20, 30);
    QTest::mouseClick(&list, Qt::RightButton);
    ASSERT_EQ(prompts.colorAsked.size(), 1);
    EXPECT_EQ(prompts.colorAsked.front(), QColor(1, 2, 3));
    EXPECT_EQ(list.customColor(), (macro::Rgb{10, 20, 30}));
    EXPECT_EQ(list.currentIndex(), 139);
    prompts.chosenColor = QColor();  // cancelled
    QTest::mouseClick(&list, Qt::RightButton);
    choose(list, QStringLiteral("navy"));
    EXPECT_THAT(chosen, ElementsAre(macro::Rgb{10, 20, 30}, macro::Rgb{0, 0, 128}));
    list.setEnabled(false);
    EXPECT_FALSE(list.grab().isNull());
}

TEST_F(ThemeDialogTest, EveryChangeIsDrawnInThePreviewAtOnceWithoutAnalysingTheSampleAgain)
{
    open();
    macro::Theme current;
    current.colors.unitSpace = 6;
    CDialogMacroSetting dialog(current, settings->values, prompts, paths());
    dialog.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog.loadingSteps(), (QList<int>{10, 20, 30, 40, 50, 60, 80, 100}));
    EXPECT_EQ(dialog.windowTitle().toStdString(), "d");
    EXPECT_EQ(dialog.accessibleName().toStdString(), "Macro View Visual Setting");
    EXPECT_EQ(items(*dialog.themeList()), (QStringList{"Current", "Evening", "Ocean", "Paper"}));
    EXPECT_EQ(items(*dialog.shadingList()),
              (QStringList{"None", "Down Darken", "Right Darken", "Down Brighten", "Right Brighten"}));
    EXPECT_EQ(dialog.unitSpaceList()->count(), 33);
    EXPECT_EQ(dialog.unitSpaceList()->currentText().toStdString(), "6");
    EXPECT_EQ(dialog.elementRow(1).size->itemText(0).toStdString(), "6");
    EXPECT_EQ(dialog.elementRow(1).face->currentText().toStdString(), "Arial");
    EXPECT_TRUE(dialog.elementRow(1).bold->isChecked());
    EXPECT_EQ(dialog.elementRow(1).colors[2]->color(), (macro::Rgb{204, 255, 102}));
    session::ThemePreview& preview = dialog.preview()->model();
    ASSERT_FALSE(preview.diagram().boxes().empty());
    EXPECT_EQ(dialog.preview()->size(), QSize(205, 375));

    // No shading, then the Class background red: the preview shows red before anything else runs.
    choose(*dialog.shadingList(), QStringLiteral("None"));
    EXPECT_FALSE(shows(dialog.preview()->viewport()->grab().toImage(), QColor(255, 0, 0)));
    const int measures = preview.measureCount();
    choose(*dialog.elementRow(1).colors[2], QStringLiteral("red"));
    EXPECT_EQ(dialog.working().colors.colorsOf(4).background, (macro::Rgb{255, 0, 0}));
    EXPECT_TRUE(shows(dialog.preview()->viewport()->grab().toImage(), QColor(255, 0, 0)));
    EXPECT_EQ(preview.measureCount(), measures);  // a colour needs no new measuring

    // A font change measures again; a hundred changes analyse the sample once.
    choose(*dialog.elementRow(1).size, QStringLiteral("14"));
    EXPECT_EQ(dialog.working().fonts.fontOf(4).size, 14);
    EXPECT_EQ(preview.measureCount(), measures + 1);
    dialog.elementRow(7).bold->click();
    EXPECT_TRUE(dialog.working().fonts.defaultFont.bold);
    for (int i = 0; i < 100; ++i) {
        choose(*dialog.unitSpaceList(), QString::number(i % 33));
    }
    EXPECT_EQ(preview.analysisCount(), 1);
    choose(*dialog.accentTypeList(session::AccentRow::Public), QStringLiteral("Background"));
    EXPECT_EQ(dialog.working().colors.publicType, macro::ColorTarget::Background);

    // A theme of the list loads into every control; "Current" brings back what was opened.
    choose(*dialog.themeList(), QStringLiteral("Evening"));
    EXPECT_EQ(dialog.shadingList()->currentText().toStdString(), "Down Brighten");
    EXPECT_EQ(dialog.backgroundColor()->color(), (macro::Rgb{40, 44, 52}));
    EXPECT_EQ(dialog.backgroundColor()->currentText().toStdString(), "custom");
    EXPECT_TRUE(shows(dialog.preview()->viewport()->grab().toImage(), QColor(40, 44, 52)));
    choose(*dialog.themeList(), QStringLiteral("Current"));
    EXPECT_EQ(dialog.working(), current);
    EXPECT_EQ(dialog.unitSpaceList()->currentText().toStdString(), "6");
    EXPECT_EQ(dialog.elementRow(1).colors[2]->color(), (macro::Rgb{204, 255, 102}));
    EXPECT_EQ(preview.analysisCount(), 1);
}

TEST_F(ThemeDialogTest, SaveAsAndRemoveKeepTheUsersThemesAndRefuseWhatTheyMust)
{
    open();
    CDialogMacroSetting dialog(macro::Theme{}, settings->values, prompts, paths());
    choose(*dialog.unitSpaceList(), QStringLiteral("11"));

    prompts.names = {QStringLiteral("Mine"), QStringLiteral("Mine"), QStringLiteral("..")};
    dialog.saveAsButton()->click();
    EXPECT_EQ(items(*dialog.themeList()), (QStringList{"Current", "Mine", "Evening", "Ocean", "Paper"}));
    EXPECT_EQ(dialog.themeList()->currentText().toStdString(), "Mine");
    macro::Theme saved;
    ASSERT_TRUE(macro::loadTheme(file("config/Color/Mine.cif"), saved, reporter));
    EXPECT_EQ(saved.colors.unitSpace, 11);
    dialog.saveAsButton()->click();
    dialog.saveAsButton()->click();
    EXPECT_THAT(prompts.messages, ElementsAre("already exist same name or not enough space.",
                                              "already exist same name or not enough space."));
    dialog.saveAsButton()->click();  // cancelled: nothing asked of the folder
    EXPECT_EQ(dialog.themeList()->count(), 5);

    // Remove: "Current" asks nothing; a shipped theme cannot go; the user's own goes after OK.
    prompts.messages.clear();
    dialog.themeList()->setCurrentIndex(0);
    dialog.removeButton()->click();
    EXPECT_THAT(prompts.questions, IsEmpty());
    dialog.themeList()->setCurrentIndex(2);
    dialog.removeButton()->click();
    EXPECT_THAT(prompts.messages, ElementsAre("Cannot Remove Theme"));
    dialog.themeList()->setCurrentIndex(1);
    prompts.answer = false;
    dialog.removeButton()->click();
    EXPECT_TRUE(fs::exists(file("config/Color/Mine.cif")));
    prompts.answer = true;
    dialog.removeButton()->click();
    EXPECT_THAT(prompts.questions, ElementsAre("Really Remove?", "Really Remove?", "Really Remove?"));
    EXPECT_FALSE(fs::exists(file("config/Color/Mine.cif")));
    EXPECT_EQ(items(*dialog.themeList()), (QStringList{"Current", "Evening", "Ocean", "Paper"}));
    EXPECT_EQ(dialog.themeList()->currentIndex(), 0);
}

TEST_F(ThemeDialogTest, OkHandsTheWorkingCopyToTheMacroViewAndCancelDropsIt)
{
    open();
    const macro::Theme before = frame->totalView()->model().theme();
    whileModal([this] { frame->showVisualSetting(); }, [&](QDialog& d) {
        choose(*dynamic_cast<CDialogMacroSetting&>(d).unitSpaceList(), QStringLiteral("20"));
    });
    EXPECT_EQ(frame->totalView()->model().theme(), before);

    whileModal([this] { frame->showVisualSetting(); }, [&](QDialog& d) {
        auto& dialog = dynamic_cast<CDialogMacroSetting&>(d);
        choose(*dialog.unitSpaceList(), QStringLiteral("20"));
        choose(*dialog.elementRow(0).colors[0], QStringLiteral("navy"));
        d.accept();
    });
    EXPECT_EQ(frame->totalView()->model().theme().colors.unitSpace, 20);
    EXPECT_EQ(frame->totalView()->model().theme().colors.colorsOf(8).font, (macro::Rgb{0, 0, 128}));
    EXPECT_TRUE(frame->totalView()->model().themeChanged());
    // Kept when the window closes.
    ASSERT_TRUE(frame->close());
    macro::Theme stored;
    ASSERT_TRUE(macro::loadTheme(file("config/Color/default"), stored, reporter));
    EXPECT_EQ(stored.colors.unitSpace, 20);
}

TEST_F(ThemeDialogTest, AMissingSampleLeavesThePreviewBlankAndAGarbageThemeChangesNothing)
{
    open();
    write("config/Color/garbage.cif", std::string(5000, '\xff'));
    ThemeDialogPaths broken = paths();
    broken.sample = file("no-such-preview.dat");
    CDialogMacroSetting dialog(macro::Theme{}, settings->values, prompts, broken);
    dialog.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog.preview()->model().diagram().boxes().empty());
    choose(*dialog.themeList(), QStringLiteral("garbage"));
    EXPECT_THAT(prompts.messages, ElementsAre("theme load fail."));
    EXPECT_EQ(dialog.working(), macro::Theme{});
}

}  // namespace
}  // namespace qm::app
