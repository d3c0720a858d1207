// The Project Information dialog: the file list with its check boxes and both path forms, Add
// Files, Add Folder with its check box, Remove with its question (and refused during a run),
// drops on the dialog, the modified mark, and a project of 100,000 files.
#include "dialog_test_support.h"

#include "app/dialogs/project_file_model.h"
#include "app/dialogs/project_info_dialog.h"

#include <QCheckBox>
#include <QListView>
#include <QPushButton>

#include <gmock/gmock.h>

namespace qm::app {
namespace {

using namespace testing;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

std::string rowText(const CProjectInfoDialog& dialog, int row)
{
    return dialog.model()->index(row).data().toString().toStdString();
}

bool rowChecked(const CProjectInfoDialog& dialog, int row)
{
    return dialog.model()->index(row).data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
}

void highlight(CProjectInfoDialog& dialog, std::initializer_list<int> rows)
{
    dialog.files()->clearSelection();
    for (int row : rows) {
        dialog.files()->selectionModel()->select(dialog.model()->index(row), QItemSelectionModel::Select);
    }
}

TEST_F(FrameTest, ProjectInformationShowsEditsAndRemovesTheProjectsFiles)
{
    open();
    session().project().files().add(write("p/b.cpp", "int b() { return 2; }\n"));
    session().project().files().add(write("p/a.cpp", "int a() { return 1; }\n"));
    session().project().files().add(write("p/c.cpp", "int c() { return 3; }\n"));
    frame->draw();
    ASSERT_TRUE(waitForRunEnd());
    QCoreApplication::processEvents();

    whileModal([this] { frame->showProjectInfo(); }, [&](QDialog& d) {
        auto& dialog = dynamic_cast<CProjectInfoDialog&>(d);
        ASSERT_EQ(dialog.model()->rowCount(), 3);
        EXPECT_EQ(rowText(dialog, 0), "a.cpp");
        dialog.showFullPath()->click();
        EXPECT_EQ(rowText(dialog, 0), file("p/a.cpp"));
        EXPECT_TRUE(rowChecked(dialog, 1));

        // A check box is the file's flag at once.
        dialog.model()->setData(dialog.model()->index(1), Qt::Unchecked, Qt::CheckStateRole);
        EXPECT_FALSE(session().project().files().selected()[1]);
        dialog.unselectAllButton()->click();
        EXPECT_FALSE(rowChecked(dialog, 2));
        dialog.selectAllButton()->click();
        EXPECT_THAT(session().project().files().selected(), ElementsAre(true, true, true));
        dialog.model()->setData(dialog.model()->index(1), Qt::Unchecked, Qt::CheckStateRole);

        // Remove asks first; No keeps the files.
        dialog.removeButton()->click();  // nothing highlighted: nothing asked
        EXPECT_THAT(prompts.questions, IsEmpty());
        highlight(dialog, {0, 1});
        prompts.yes = false;
        dialog.removeButton()->click();
        EXPECT_THAT(prompts.questions, ElementsAre("Remove 2 files?"));
        EXPECT_EQ(dialog.model()->rowCount(), 3);
        // Yes removes them from the project and from the diagram.
        prompts.yes = true;
        highlight(dialog, {0});
        dialog.removeButton()->click();
        ASSERT_EQ(dialog.model()->rowCount(), 2);
        EXPECT_EQ(rowText(dialog, 0), file("p/b.cpp"));
        EXPECT_FALSE(rowChecked(dialog, 0));  // b kept its own flag
        EXPECT_TRUE(rowChecked(dialog, 1));
        d.accept();
    });
    EXPECT_TRUE(frame->isWindowModified());
    frame->totalView()->viewport()->repaint();
    EXPECT_EQ(topBox("a"), nullptr);
    const macro::MacroBox* functions = topBox("Global Function(s)");
    ASSERT_NE(functions, nullptr);
}

TEST_F(FrameTest, ProjectInformationAddsFilesFoldersAndDrops)
{
    open();
    write("tree/top.cpp", "int top();\n");
    write("tree/sub/deep.c", "int deep;\n");
    const std::string single = write("single.cc", "int single;\n");
    settings->values.lastPath = file("tree");

    CProjectInfoDialog dialog(session(), prompts, [this] { frame->appendFiles(); });
    dialog.show();
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Project Information");
    EXPECT_EQ(dialog.model()->rowCount(), 0);

    // Add Folder: the browser starts at the last folder; without the check box, no subfolders.
    prompts.files = {QString::fromStdString(file("tree"))};
    dialog.addFolderButton()->click();
    EXPECT_THAT(prompts.folderCaptions, ElementsAre(" "));
    EXPECT_THAT(prompts.folderStarts, ElementsAre(file("tree")));
    ASSERT_EQ(dialog.model()->rowCount(), 1);
    prompts.folderChoice.recurse = true;
    prompts.files = {QString::fromStdString(file("tree"))};
    dialog.addFolderButton()->click();
    EXPECT_EQ(dialog.model()->rowCount(), 2);
    EXPECT_EQ(settings->values.lastPath, file("tree"));
    // A browser without its check box says "Error" and still adds the folder.
    prompts.folderChoice = FolderChoice{QString(), false, true};
    prompts.files = {QString::fromStdString(file("tree"))};
    dialog.addFolderButton()->click();
    EXPECT_THAT(prompts.messages, ElementsAre("Error"));
    prompts.files.clear();
    dialog.addFolderButton()->click();  // cancelled
    EXPECT_EQ(dialog.model()->rowCount(), 2);

    // Add Files runs the append command.
    prompts.files = {QString::fromStdString(single)};
    dialog.addFilesButton()->click();
    EXPECT_EQ(dialog.model()->rowCount(), 3);

    // Drops: the log says what came; a folder is passed over.
    const std::string dropped = write("dropped.cpp", "int dropped;\n");
    dropOn(dialog, {QString::fromStdString(dropped), QString::fromStdString(file("tree/sub"))});
    EXPECT_EQ(dialog.model()->rowCount(), 4);
    frame->document().pollLog();
    EXPECT_THAT(logText(), HasSubstr("Getting the file list.\n" + dropped + "\n"));
    dialog.accept();
    EXPECT_TRUE(dialog.changedProject());
    EXPECT_TRUE(session().isModified());
}

TEST_F(FrameTest, ProjectInformationRefusesToRemoveFilesDuringARunAndOpensAtOnceOnAHugeProject)
{
    open();
    largeProject(40);
    frame->draw();
    ASSERT_TRUE(session().isRunActive());
    {
        CProjectInfoDialog dialog(session(), prompts, {});
        highlight(dialog, {0});
        dialog.removeButton()->click();
        EXPECT_THAT(prompts.messages, ElementsAre(std::string(session::kRemoveDuringRunMessage)));
        EXPECT_THAT(prompts.questions, IsEmpty());
        EXPECT_EQ(session().project().files().size(), 40u);
    }
    session().requestStop();
    ASSERT_TRUE(waitForRunEnd());

    // 100,000 files: one model, no widget per row.
    session().newProject();
    for (int i = 0; i < 100000; ++i) {
        session().project().files().add("/big/project/f" + std::to_string(i) + ".cpp");
    }
    CProjectInfoDialog dialog(session(), prompts, {});
    dialog.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog.model()->rowCount(), 100000);
    EXPECT_EQ(rowText(dialog, 0), "f0.cpp");
    dialog.files()->scrollToBottom();
    highlight(dialog, {99999, 5});
    dialog.removeButton()->click();
    EXPECT_EQ(dialog.model()->rowCount(), 99998);
}

}  // namespace
}  // namespace qm::app
