// The option dialogs as a user meets them from the main window: every menu entry opens its
// dialog; the General options apply at once and Cancel puts them back; the include-directory and
// predefined-word dialogs with their buttons and messages; Input Name; the About box.
#include "dialog_test_support.h"

#include "app/code_window_dialog.h"
#include "app/code_wnd.h"
#include "app/dialogs/about_dialog.h"
#include "app/dialogs/general_options_dialog.h"
#include "app/dialogs/include_directory_dialog.h"
#include "app/dialogs/input_name_dialog.h"
#include "app/dialogs/predefined_word_dialog.h"
#include "app/dialogs/predefined_word_model.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStringListModel>
#include <QToolButton>
#include <QTreeView>

#include <gmock/gmock.h>

namespace qm::app {
namespace {

using namespace testing;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

QAction* menuEntry(QMainWindow& window, const QString& text)
{
    for (QAction* top : window.menuBar()->actions()) {
        if (top->text() == text) return top;
        if (!top->menu()) continue;
        for (QAction* entry : top->menu()->actions()) {
            if (entry->text() == text) return entry;
        }
    }
    return nullptr;
}

TEST_F(FrameTest, EveryMenuEntryOfTheOptionAndInfoMenusOpensItsDialog)
{
    open();
    const std::pair<const char*, const char*> entries[] = {
        {"&General...", "Project Option"},
        {"&Directory...", "Include File Directory"},
        {"&Predefined Word...", "Predefined Word"},
        {"&Macro View Visual Setting...", "d"},
        {"&Info", "Project Information"},
    };
    for (const auto& [entry, title] : entries) {
        QAction* action = menuEntry(*frame, entry);
        ASSERT_NE(action, nullptr) << entry;
        EXPECT_EQ(whileModal([action] { action->trigger(); }).toStdString(), title);
    }
    menuEntry(*frame, "&About Quillmarsh...")->trigger();
    auto* about = frame->findChild<CAboutDialog*>();
    ASSERT_NE(about, nullptr);
    EXPECT_THAT(CAboutDialog::text().toStdString(), HasSubstr("Quillmarsh " QM_VERSION));
    EXPECT_THAT(CAboutDialog::text().toStdString(), HasSubstr("Qt " QT_VERSION_STR));
    EXPECT_THAT(CAboutDialog::text().toStdString(), HasSubstr("CLI11 2"));
    about->close();
}

TEST_F(FrameTest, GeneralOptionsApplyAtOnceAndCancelPutsEverythingBack)
{
    open();
    QSignalSpy codeWindow(frame.get(), &CMainFrame::codeWindowSettingsChanged);
    const settings::SettingValues before = settings->values;
    prompts.files = {QStringLiteral("/usr/bin/vi")};

    whileModal([this] { frame->showGeneralOptions(); }, [&](QDialog& d) {
        auto& dialog = dynamic_cast<CGeneralOptionsDialog&>(d);
        EXPECT_TRUE(dialog.skipSameFile()->isChecked());
        EXPECT_EQ(dialog.fontNameList()->currentText().toStdString(), "Courier New");
        EXPECT_EQ(dialog.fontSizeList()->currentText().toStdString(), "10");
        EXPECT_EQ(dialog.sortList()->currentText().toStdString(), "Name");

        dialog.fixedSize()->click();
        EXPECT_FALSE(frame->totalView()->model().settings().fixedSize);
        dialog.sortList()->setCurrentIndex(0);
        EXPECT_EQ(frame->totalView()->model().settings().sortKey, macro::MacroSortKey::Size);
        dialog.autoResize()->click();
        EXPECT_FALSE(frame->controlBar()->autoResize->isChecked());  // the dialog bar shows it too
        dialog.skipSameFile()->click();
        EXPECT_TRUE(settings->values.preprocessSameNameFile);

        dialog.fontSizeList()->setCurrentIndex(6);
        EXPECT_EQ(settings->values.codeFontSize, 120);
        EXPECT_EQ(codeWindow.count(), 1);
        EXPECT_EQ(frame->codeWindow()->codeText()->model().font().size, 12);  // the code window follows (points)
        dialog.showEditButton()->click();
        EXPECT_FALSE(settings->values.codeEditButtonShow);
        EXPECT_TRUE(frame->codeWindow()->codeText()->editButton()->isHidden());
        EXPECT_FALSE(dialog.editProgram()->isEnabled());
        EXPECT_FALSE(dialog.browseButton()->isEnabled());
        EXPECT_EQ(codeWindow.count(), 2);
        dialog.showEditButton()->click();
        dialog.browseButton()->click();
        EXPECT_EQ(dialog.editProgram()->text().toStdString(), "/usr/bin/vi");
        EXPECT_EQ(settings->values.codeEditProgram, "/usr/bin/vi");

        dialog.defaultButton()->click();
        EXPECT_EQ(settings->values.codeFontSize, 100);
        EXPECT_EQ(settings->values.codeEditProgram, before.codeEditProgram);
        EXPECT_TRUE(dialog.fixedSize()->isChecked());
        dialog.fixedSize()->click();
        // Any other family: where the default name sorts among the installed ones varies.
        dialog.fontNameList()->setCurrentIndex(dialog.fontNameList()->findText(QStringLiteral("Courier New")) == 0 ? 1 : 0);
        EXPECT_NE(settings->values.codeFontName, "Courier New");
    });
    // Rejected: every value as it was, applied again.
    EXPECT_EQ(settings->values, before);
    EXPECT_EQ(frame->codeWindow()->codeText()->model().font().size, 10);
    EXPECT_TRUE(frame->totalView()->model().settings().fixedSize);
    EXPECT_EQ(frame->totalView()->model().settings().sortKey, macro::MacroSortKey::Name);
    EXPECT_TRUE(frame->controlBar()->autoResize->isChecked());

    // OK keeps what was changed.
    whileModal([this] { frame->showGeneralOptions(); }, [&](QDialog& d) {
        dynamic_cast<CGeneralOptionsDialog&>(d).fixedSize()->click();
        d.accept();
    });
    EXPECT_FALSE(settings->values.fixedSizeArrange);
    EXPECT_FALSE(frame->totalView()->model().settings().fixedSize);
}

TEST_F(FrameTest, TheIncludeDirectoryDialogEditsTheFourListsAndStoresThemOnOk)
{
    open();
    settings->includeLists.lists[3] = {"/opt/one", "/opt/two"};
    settings->values.includeDirectory = 3;
    const std::string folder = write("inc/x.h", "") , dir = file("inc");
    CIncludeDirectoryDialog dialog(settings->includeLists, settings->values.includeDirectory, prompts);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Include File Directory");
    EXPECT_EQ(dialog.listChoice()->count(), 4);
    EXPECT_EQ(dialog.listChoice()->currentText().toStdString(), "Custom");
    EXPECT_EQ(dialog.lines(), (QStringList{"/opt/one", "/opt/two"}));

    prompts.files = {QString::fromStdString(dir), QString::fromStdString(folder)};
    dialog.appendButton()->click();
    dialog.appendButton()->click();  // a file, not a folder
    EXPECT_THAT(prompts.messages, ElementsAre("Cannot Get Folder"));
    dialog.appendButton()->click();  // cancelled
    EXPECT_EQ(dialog.lines(), (QStringList{"/opt/one", "/opt/two", QString::fromStdString(dir)}));

    dialog.listChoice()->setCurrentIndex(0);
    EXPECT_TRUE(dialog.lines().isEmpty());
    dialog.listChoice()->setCurrentIndex(3);
    dialog.directories()->selectionModel()->select(dialog.directories()->model()->index(0, 0),
                                                   QItemSelectionModel::Select);
    dialog.removeButton()->click();
    EXPECT_EQ(dialog.lines(), (QStringList{"/opt/two", QString::fromStdString(dir)}));
    dialog.resetPathButton()->click();  // no compiler of the other platform here: nothing changes
    EXPECT_EQ(dialog.lines().size(), 2);
    dialog.defaultButton()->click();
    EXPECT_EQ(dialog.lines(), (QStringList{"/opt/one", "/opt/two"}));
    dialog.removeButton()->click();  // nothing highlighted
    EXPECT_EQ(dialog.lines().size(), 2);

    prompts.files = {QString::fromStdString(dir)};
    dialog.appendButton()->click();
    dialog.accept();
    EXPECT_EQ(settings->values.includeDirectory, 3);
    EXPECT_THAT(settings->includeLists.lists[3], ElementsAre("/opt/one", "/opt/two", dir));
    EXPECT_TRUE(settings->includeLists.lists[0].empty());
}

TEST_F(FrameTest, ThePredefinedWordDialogAddsChecksEditsAndMarksTheProjectChanged)
{
    open();
    settings->predefinedWords = {{"WIN32", 1}};
    session().project().defines() = {{"DEBUG", 0}};

    whileModal([this] { frame->showPredefinedWords(); }, [&](QDialog& d) {
        auto& dialog = dynamic_cast<CPredefinedWordDialog&>(d);
        const CPredefinedWordDialog::Group& global = dialog.group(session::WordGroup::Global);
        const CPredefinedWordDialog::Group& project = dialog.group(session::WordGroup::Project);
        EXPECT_EQ(global.list->columnWidth(0), 340);
        EXPECT_EQ(global.list->columnWidth(1), 164);
        EXPECT_EQ(global.model->headerData(0, Qt::Horizontal).toString().toStdString(), "Predefined Word");
        ASSERT_EQ(global.model->rowCount(), 1);

        global.name->setText(QStringLiteral("1ABC"));
        global.add->click();
        global.name->setText(QString());
        global.add->click();
        global.name->setText(QStringLiteral("N"));
        global.value->setText(QStringLiteral("ten"));
        global.add->click();
        EXPECT_THAT(prompts.messages,
                    ElementsAre("Defined Word must string.", "Defined Word must have at least one charater.",
                                std::string(session::kValueNotNumberMessage)));
        EXPECT_EQ(global.model->rowCount(), 1);

        project.name->setText(QStringLiteral("_X"));
        project.value->setText(QStringLiteral("-5"));
        project.value->setFocus();
        QTest::keyClick(project.value, Qt::Key_Return);  // adds, and leaves the dialog open
        EXPECT_TRUE(dialog.isVisible());
        ASSERT_EQ(project.model->rowCount(), 2);
        EXPECT_EQ(project.model->index(1, 0).data().toString().toStdString(), "_X");
        EXPECT_EQ(project.model->index(1, 1).data().toString().toStdString(), "-5");
        EXPECT_TRUE(project.name->text().isEmpty());
        EXPECT_EQ(project.value->text().toStdString(), "0");

        // A double click edits a row; a refused name keeps the small dialog open.
        prompts.messages.clear();
        whileModal([&] { dialog.editRow(session::WordGroup::Global, 0); }, [&](QDialog& edit) {
            auto& set = dynamic_cast<CSetPredefinedWordDialog&>(edit);
            EXPECT_EQ(set.windowTitle().toStdString(), "Set Predefined Word");
            EXPECT_EQ(set.name()->text().toStdString(), "WIN32");
            EXPECT_EQ(set.value()->text().toStdString(), "1");
            set.name()->setText(QStringLiteral("9"));
            set.accept();
            EXPECT_TRUE(set.isVisible());
            set.name()->setText(QStringLiteral("WIN64"));
            set.value()->setText(QStringLiteral("2"));
            set.accept();
        });
        EXPECT_THAT(prompts.messages, ElementsAre("Defined Word must string."));
        EXPECT_EQ(global.model->index(0, 0).data().toString().toStdString(), "WIN64");

        project.list->selectionModel()->select(project.model->index(0, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        project.remove->click();
        EXPECT_EQ(project.model->rowCount(), 1);
        d.accept();
    });
    EXPECT_EQ(settings->predefinedWords, (frontend::PredefinedWordList{{"WIN64", 2}}));
    EXPECT_EQ(session().project().defines(), (frontend::PredefinedWordList{{"_X", -5}}));
    EXPECT_TRUE(frame->isWindowModified());  // the defines are saved with the project

    // Cancel keeps everything as it was.
    whileModal([this] { frame->showPredefinedWords(); }, [&](QDialog& d) {
        dynamic_cast<CPredefinedWordDialog&>(d).defaultButton()->click();
        const CPredefinedWordDialog::Group& global =
            dynamic_cast<CPredefinedWordDialog&>(d).group(session::WordGroup::Global);
        global.name->setText(QStringLiteral("Z"));
        global.add->click();
    });
    EXPECT_EQ(settings->predefinedWords.size(), 1u);
}

TEST_F(FrameTest, InputNameRefusesAnEmptyName)
{
    open();
    CDialogGetString dialog(prompts);
    dialog.show();
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_THAT(prompts.messages, ElementsAre("Input Name"));
    dialog.edit()->setText(QStringLiteral("named"));
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.text().toStdString(), "named");
}

}  // namespace
}  // namespace qm::app
