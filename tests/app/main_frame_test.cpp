// The main window as a user meets it, on the offscreen platform: its names and commands, the
// panes, a real run over the example project with picks, stopping and closing during runs, the
// project commands, and bad input.
#include "frame_test_support.h"

#include "frontend/analysis_engine.h"
#include "settings/window_placement.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QToolBar>

#include <gmock/gmock.h>

namespace qm::app {
namespace {

using namespace testing;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

QStringList menuTitles(QMainWindow& window)
{
    QStringList titles;
    for (QAction* action : window.menuBar()->actions()) titles << action->text();
    return titles;
}

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

void dropOn(QWidget& target, const QStringList& paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &drop);
}

TEST_F(FrameTest, TheWindowHasItsNamesMenusAndIdleCommandStates)
{
    open();
    CMainFrame& w = *frame;
    for (const char* name : {"Quillmarsh", "Macro View", "Detail View", "Log", "Control Bar", "Progress", "Status"}) {
        QWidget* widget = w.objectName() == name ? &w : w.findChild<QWidget*>(name);
        ASSERT_NE(widget, nullptr) << name;
        EXPECT_EQ(widget->accessibleName().toStdString(), name);
    }
    EXPECT_EQ(menuTitles(w), (QStringList{"&File", "&Run", "&View", "&Option", "&Info", "&Help"}));
    EXPECT_EQ(w.windowTitle().toStdString(), "Untitled[*] - Quillmarsh");
    EXPECT_FALSE(w.isWindowModified());
    QAction* drawEntry = menuEntry(w, "&Draw");
    ASSERT_NE(drawEntry, nullptr);
    EXPECT_EQ(drawEntry->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(menuEntry(w, "Clear All and &Redraw")->shortcut(), QKeySequence("Ctrl+F5"));
    EXPECT_EQ(menuEntry(w, "&Open Quillmarsh Project...")->shortcut(), QKeySequence("Ctrl+O"));
    // The dialogs are there; Stop is greyed without a run.
    EXPECT_TRUE(menuEntry(w, "&General...")->isEnabled());
    EXPECT_TRUE(menuEntry(w, "&Info")->isEnabled());
    EXPECT_FALSE(menuEntry(w, "&Stop")->isEnabled());
    EXPECT_TRUE(drawEntry->isEnabled());
    ControlBar& bar = *w.controlBar();
    EXPECT_TRUE(bar.draw->isEnabled());
    EXPECT_FALSE(bar.stop->isEnabled());
    // Sort only while Auto Sort is off.
    EXPECT_TRUE(bar.autoSort->isChecked());
    EXPECT_FALSE(bar.sort->isEnabled());
    bar.autoSort->click();
    EXPECT_TRUE(bar.sort->isEnabled());
    EXPECT_FALSE(settings->values.autoSort);
    // Stop without a run does nothing.
    w.stop();
    w.document().pollLog();
    EXPECT_EQ(logText(), "");
    // The flow-view controls sit right of the switches, and hide when the bar is too narrow.
    EXPECT_TRUE(bar.flowNarrower->isVisible());
    EXPECT_GE(bar.fit->geometry().left(), bar.leftControlsEnd());
    w.resize(500, 400);
    QCoreApplication::processEvents();
    EXPECT_FALSE(bar.flowNarrower->isVisible() && bar.flowNarrower->geometry().left() < bar.leftControlsEnd());
}

TEST_F(FrameTest, PaneCommandsMoveThroughTheSplitterModesAndAreStored)
{
    settings::MemorySettingsStore seeded;
    open();
    PaneSplitter& outer = *frame->outerSplitter();
    PaneSplitter& inner = *frame->innerSplitter();
    EXPECT_EQ(outer.mode(), 1);
    EXPECT_EQ(outer.sizes().value(1), 150);

    // From a hidden log, Ctrl+Up shows it at its last size; again, it fills the window.
    QTest::keyClick(frame.get(), Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(outer.mode(), 2);
    EXPECT_EQ(outer.sizes().value(1), 0);
    QTest::keyClick(frame.get(), Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(outer.mode(), 1);
    EXPECT_EQ(outer.sizes().value(1), 150);
    QTest::keyClick(frame.get(), Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(outer.mode(), 0);
    EXPECT_EQ(outer.sizes().value(0), 0);
    QTest::keyClick(frame.get(), Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(outer.mode(), 1);

    // The flow view: two thirds, half, a third of the width.
    const int width = inner.extent();
    QTest::keyClick(frame.get(), Qt::Key_7, Qt::ControlModifier);
    EXPECT_EQ(inner.sizes().value(1), width * 2 / 3);
    QTest::keyClick(frame.get(), Qt::Key_8, Qt::ControlModifier);
    EXPECT_EQ(inner.sizes().value(1), width / 2);
    frame->controlBar()->twoOne->click();
    EXPECT_EQ(inner.sizes().value(1), width / 3);
    // Fit with no chart hides the flow view.
    frame->controlBar()->fit->click();
    EXPECT_EQ(inner.mode(), 2);
    EXPECT_EQ(inner.sizes().value(1), 0);
    frame->controlBar()->flowWider->click();
    EXPECT_EQ(inner.mode(), 1);

    // A resized window keeps the second pane's size.
    frame->resize(1200, 900);
    QCoreApplication::processEvents();
    EXPECT_EQ(inner.sizes().value(1), width / 3);

    // Dragging the bar of a hidden pane brings it back in mode 1 with the dragged size.
    outer.setMode(2);
    QSplitterHandle* handle = outer.handle(1);
    const QPoint grip(handle->width() / 2, handle->height() / 2);
    QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, grip);
    QTest::mouseMove(handle, grip - QPoint(0, 200));
    QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, grip - QPoint(0, 200));
    EXPECT_EQ(outer.mode(), 1);
    EXPECT_GT(outer.secondSize(), 100);

    const int logSize = outer.secondSize();
    ASSERT_TRUE(frame->close());
    EXPECT_EQ(settings->values.macroInfoMode, 1);
    EXPECT_EQ(settings->values.macroInfoSize, logSize);
    EXPECT_EQ(settings->values.macroDetailMode, 1);
    EXPECT_EQ(settings->values.macroDetailSize, width / 3);
    EXPECT_TRUE(settings::loadWindowPlacements(store).has_value());
    (void)seeded;
}

TEST_F(FrameTest, ARunOverTheExampleDrawsItAndPicksShowFlowchartsAndClassDiagrams)
{
    open();
    ASSERT_TRUE(frame->openProjectFile(QString::fromStdString(exampleProject())));
    EXPECT_EQ(frame->windowTitle().toStdString(), "example.qmp[*] - Quillmarsh");
    EXPECT_THAT(prompts.messages, ElementsAre("Project open success - 5 file(s) in project."));

    QTest::keyClick(frame.get(), Qt::Key_F5);
    // While it runs, the commands that change what it reads are greyed.
    if (session().isRunActive()) {
        EXPECT_FALSE(frame->controlBar()->draw->isEnabled());
        EXPECT_TRUE(frame->controlBar()->stop->isEnabled());
        EXPECT_FALSE(menuEntry(*frame, "&File")->isEnabled());
        EXPECT_FALSE(menuEntry(*frame, "&Option")->isEnabled());
        EXPECT_FALSE(menuEntry(*frame, "&Info")->isEnabled());
        EXPECT_TRUE(menuEntry(*frame, "&Stop")->isEnabled());
    }
    ASSERT_TRUE(waitForRunEnd());
    QCoreApplication::processEvents();
    EXPECT_THAT(logText(), HasSubstr("Parsing Complete."));
    EXPECT_TRUE(frame->controlBar()->draw->isEnabled());
    EXPECT_TRUE(menuEntry(*frame, "&File")->isEnabled());
    EXPECT_EQ(frame->progressBar()->value(), 0);

    // The diagram is painted as the command-line program lays it out: three top boxes, folded.
    frame->totalView()->viewport()->repaint();
    ASSERT_NE(box("shop"), nullptr);
    EXPECT_FALSE(box("shop")->expanded);
    frame->controlBar()->unfold->click();
    ASSERT_NE(box("fromString"), nullptr);
    EXPECT_TRUE(box("shop")->expanded);

    // A function: its flowchart, and the log says so.
    clickBox("fromString");
    EXPECT_THAT(logText(), HasSubstr("fromString is selected."));
    EXPECT_EQ(session().selection().detailMode, macro::DetailMode::Flowchart);
    frame->detailView()->viewport()->repaint();
    ASSERT_NE(frame->detailView()->model().flowchart(), nullptr);
    EXPECT_GT(frame->detailView()->model().flowchart()->gridHeight(), 3);
    // A class: its class diagram.
    clickBox("Food");
    EXPECT_THAT(logText(), HasSubstr("Food is selected."));
    frame->detailView()->viewport()->repaint();
    ASSERT_NE(frame->detailView()->model().classDiagram().root(), nullptr);
    EXPECT_EQ(frame->detailView()->model().classDiagram().root()->bases.size(), 2u);
    const QImage picture = frame->detailView()->viewport()->grab().toImage();
    EXPECT_NE(picture.pixelColor(20, 20), picture.pixelColor(picture.width() - 1, picture.height() - 1));

    // Fit gives the flow view the class diagram's width.
    QTest::keyClick(frame.get(), Qt::Key_5, Qt::ControlModifier);
    EXPECT_EQ(frame->innerSplitter()->mode(), 1);
    EXPECT_GE(frame->innerSplitter()->secondSize(), frame->detailView()->model().preferredWidth());

    // Fold closes every box; a double click opens one again.
    frame->controlBar()->fold->click();
    EXPECT_FALSE(box("shop")->expanded);
    ASSERT_TRUE(clickBox("shop", Qt::LeftButton, true));
    frame->totalView()->viewport()->repaint();
    EXPECT_TRUE(box("shop")->expanded);

    // With Auto Sort on a group box says how to move it; off, dragging moves it by the mouse's way.
    // (The namespace has a group of its own of the same name; this is the top-level one.)
    ASSERT_NE(clickBox("Global Function(s)", Qt::LeftButton, false, true), nullptr);
    EXPECT_THAT(logText(), HasSubstr("Global Function(s) uncheck auto sort to move."));
    frame->controlBar()->autoSort->click();
    macro::MacroBox* group = clickBox("Global Function(s)", Qt::LeftButton, false, true);
    ASSERT_NE(group, nullptr);
    EXPECT_THAT(logText(), HasSubstr("Global Function(s) ready to move."));
    const int x = group->x;
    const int y = group->y;
    CTotalView* view = frame->totalView();
    const QPoint start(x + group->markerSize + 4 - view->horizontalScrollBar()->value(),
                       y + 4 - view->verticalScrollBar()->value());
    QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, start);
    QMouseEvent drag(QEvent::MouseMove, QPointF(start + QPoint(30, 20)), QPointF(start + QPoint(30, 20)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drag);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, start + QPoint(30, 20));
    EXPECT_EQ(group->x, x + 30);
    EXPECT_EQ(group->y, y + 20);

    // A second Draw analyses nothing again.
    frame->draw();
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_THAT(logText(), Not(HasSubstr("Parsing: ")));
    EXPECT_THAT(logText(), HasSubstr("Parsing Complete."));
}

TEST_F(FrameTest, StopEndsARunOfALargeProjectAndDrawTwiceIsRefused)
{
    open();
    largeProject(60);
    frame->draw();
    ASSERT_TRUE(session().isRunActive());
    frame->draw();
    EXPECT_THAT(prompts.messages, ElementsAre("Analysis Engine already run."));
    ASSERT_TRUE(waitUntil([this] { return logText().find("Parsing: ") != std::string::npos; }));
    QTest::keyClick(frame.get(), Qt::Key_F8);
    // The stop request gives the menus back at once.
    EXPECT_TRUE(menuEntry(*frame, "&File")->isEnabled());
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_THAT(logText(), HasSubstr("Stop request accpet"));
    EXPECT_THAT(logText(), HasSubstr("Engine stopped."));
    EXPECT_THAT(logText(), Not(HasSubstr("Parsing Complete.")));
    EXPECT_TRUE(frame->controlBar()->draw->isEnabled());
    EXPECT_FALSE(frame->controlBar()->stop->isEnabled());
    EXPECT_EQ(frame->progressBar()->value(), 0);
}

TEST_F(FrameTest, ClosingDuringARunStopsItAndKeepsTheLayoutAndTheTheme)
{
    open();
    largeProject(60);
    frame->draw();
    ASSERT_TRUE(session().isRunActive());
    ASSERT_TRUE(frame->close());
    EXPECT_FALSE(session().isRunActive());
    EXPECT_TRUE(settings::loadWindowPlacements(store).has_value());
    EXPECT_TRUE(fs::exists(file("config/Color/default")));
}

std::string contentsOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST_F(FrameTest, SavingOverAProjectFileChangedElsewhereAsksFirst)
{
    open();
    const std::string source = write("work/a.cpp", "int a() { return 1; }\n");
    dropOn(*frame, {QString::fromStdString(source)});
    const std::string saved = file("work/p.qmp");
    prompts.files = {QString::fromStdString(saved)};
    QTest::keyClick(frame.get(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(fs::exists(saved));
    prompts.messages.clear();

    // Another program changes the file; a "no" keeps its change and the window stays modified.
    std::ofstream(saved, std::ios::app) << "theirs\r\n";
    const std::string theirs = contentsOf(saved);
    dropOn(*frame, {QString::fromStdString(write("work/b.cpp", "int b;\n"))});
    prompts.yes = false;
    QTest::keyClick(frame.get(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_THAT(prompts.questions[0], HasSubstr(saved));
    EXPECT_THAT(prompts.questions[0], HasSubstr("changed by another program"));
    EXPECT_EQ(contentsOf(saved), theirs);
    EXPECT_TRUE(frame->isWindowModified());
    EXPECT_TRUE(prompts.messages.empty());

    // A "yes" saves over it; the next save asks nothing.
    prompts.yes = true;
    QTest::keyClick(frame.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_NE(contentsOf(saved), theirs);
    EXPECT_THAT(prompts.messages, Contains("Project Saved."));
    QTest::keyClick(frame.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(prompts.questions.size(), 2u);
}

TEST_F(FrameTest, ProjectsAreDroppedSavedOpenedAndGuardedAgainstLosingChanges)
{
    open();
    const std::string source = write("work/a.cpp", "int a() { return 1; }\n");
    write("work/sub/b.cpp", "int b() { return 2; }\n");
    const std::string binary = write("work/blob.bin", std::string("\x7f" "ELF\0\0\x01", 7));
    dropOn(*frame, {QString::fromStdString(source), QString::fromStdString(file("work/sub")),
                    QString::fromStdString(binary)});
    frame->document().pollLog();
    EXPECT_THAT(logText(), HasSubstr("Getting the file list.\n" + source + "\n"));
    EXPECT_EQ(session().project().files().size(), 1u);  // the folder and the binary are not sources
    EXPECT_TRUE(frame->isWindowModified());

    // New asks first; Cancel keeps everything.
    prompts.saveChoice = SaveChoice::Cancel;
    frame->newProject();
    EXPECT_THAT(prompts.asked, ElementsAre("Untitled"));
    EXPECT_EQ(session().project().files().size(), 1u);

    // Save names the project.
    const std::string saved = file("work/mine.qmp");
    prompts.files = {QString::fromStdString(saved)};
    QTest::keyClick(frame.get(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(fs::exists(saved));
    EXPECT_EQ(frame->windowTitle().toStdString(), "mine.qmp[*] - Quillmarsh");
    EXPECT_FALSE(frame->isWindowModified());
    EXPECT_THAT(prompts.messages, Contains("Project Saved."));
    EXPECT_THAT(frame->recentFiles().files(), ElementsAre(saved));

    frame->newProject();
    EXPECT_TRUE(session().project().files().empty());
    EXPECT_EQ(frame->windowTitle().toStdString(), "Untitled[*] - Quillmarsh");
    prompts.files = {QString::fromStdString(saved)};
    frame->openProject();
    EXPECT_EQ(session().project().files().size(), 1u);
    EXPECT_EQ(session().projectPath(), saved);

    // Append adds, and a changed project asks before it is closed; Save saves under its name.
    prompts.files = {QString::fromStdString(file("work/sub/b.cpp"))};
    frame->appendFiles();
    EXPECT_EQ(session().project().files().size(), 2u);
    prompts.saveChoice = SaveChoice::Save;
    prompts.asked.clear();
    ASSERT_TRUE(frame->close());
    EXPECT_THAT(prompts.asked, ElementsAre("mine.qmp"));
    std::ifstream reread(saved);
    const std::string text((std::istreambuf_iterator<char>(reread)), std::istreambuf_iterator<char>());
    EXPECT_THAT(text, HasSubstr("sub/b.cpp"));
}

TEST_F(FrameTest, BadInputGetsAMessageOrNothingAndNeverACrash)
{
    // Settings with garbage: modes and sizes out of range, a broken placement.
    {
        settings::AppSettings stored(store, reporter, settings::OptionFilePaths{file("p.ini"), file("i.ini")});
    }
    store.integers["MacroInfoMode"] = 77;
    store.integers["MacroInfoSize"] = -5;
    store.integers["MacroDetailMode"] = -1;
    store.integers["MacroDetailSize"] = 1 << 30;
    store.texts["QuillmarshSettings/WindowPos"] = "1,2,3";
    store.texts["QuillmarshSettings/CodeWindowPos"] = "x";
    open();
    EXPECT_TRUE(reporter.messages.empty());
    EXPECT_EQ(frame->outerSplitter()->mode(), 2);
    EXPECT_EQ(frame->innerSplitter()->mode(), 2);

    // A project file that cannot be read: its message, and an empty project.
    const std::string broken = write("broken.qmp", "Quill Marsh Project File\nV0.6\n<File>\nsrc/x.cpp\n");
    EXPECT_TRUE(frame->openProjectFile(QString::fromStdString(broken)));
    EXPECT_THAT(prompts.messages, Contains("Project File Opened but Broken."));
    EXPECT_FALSE(frame->openProjectFile(QString::fromStdString(file("nothing-here.qmp"))));
    EXPECT_THAT(prompts.messages, Contains("Project File Open Error."));
    EXPECT_TRUE(session().project().files().empty());
    EXPECT_EQ(frame->windowTitle().toStdString(), "Untitled[*] - Quillmarsh");

    // A project of missing files: the log names each, and the run ends.
    for (int i = 0; i < 300; ++i) session().project().files().add(file("gone/m" + std::to_string(i) + ".cpp"));
    frame->draw();
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_THAT(logText(), HasSubstr("m299.cpp"));
    EXPECT_THAT(logText(), HasSubstr("Parsing Complete."));

    // A window of 1 x 1 pixels still paints.
    frame->resize(1, 1);
    QCoreApplication::processEvents();
    frame->totalView()->viewport()->repaint();
    frame->detailView()->viewport()->repaint();
    EXPECT_TRUE(frame->close());
}

TEST_F(FrameTest, TheLogPaneTakesTextAtItsCaretAndIgnoresClicksDuringARun)
{
    open();
    CInfoView& pane = *frame->infoView();
    pane.appendLog("one\ntwo\n");
    QTextCursor cursor = pane.textCursor();
    cursor.setPosition(0);
    cursor.setPosition(3, QTextCursor::KeepAnchor);
    pane.setTextCursor(cursor);
    pane.appendLog("ONE");
    EXPECT_EQ(pane.toPlainText().toStdString(), "ONE\ntwo\n");

    largeProject(40);
    frame->draw();
    frame->document().pollLog();
    const int caret = pane.textCursor().position();
    QTest::mouseClick(pane.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    EXPECT_EQ(pane.textCursor().position(), caret);
    session().requestStop();
    ASSERT_TRUE(waitForRunEnd());
}

TEST_F(FrameTest, StartUpOpensWhatTheCommandLineNamesAndTheTutorial)
{
    const std::string source = write("cmd/main.cpp", "int main() { return 0; }\n");
    write("cmd/lib/util.c", "int util(void) { return 1; }\n");
    settings = std::make_unique<settings::AppSettings>(
        store, reporter, settings::OptionFilePaths{file("predefined.ini"), file("Include.ini")});
    frame = std::make_unique<CMainFrame>(*settings, store, prompts);
    frame->start({file("cmd"), true});
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(session().project().files().size(), 2u);
    EXPECT_THAT(logText(), HasSubstr("Parsing Complete."));
    ASSERT_NE(frame->tutorialWindow(), nullptr);
    EXPECT_TRUE(frame->tutorialWindow()->isVisible());
    EXPECT_TRUE(reporter.messages.empty());  // a first start says nothing about its settings
    // Unticking the tutorial's box keeps it closed next time.
    frame->tutorialWindow()->startupCheck()->click();
    EXPECT_FALSE(settings->values.showTutorial);

    // A path that does not exist: the project file's message, an empty project.
    frame = std::make_unique<CMainFrame>(*settings, store, prompts);
    frame->start({file("no/such/project.qmp"), false});
    EXPECT_THAT(prompts.messages, ElementsAre("Project File Open Error."));
    EXPECT_TRUE(session().project().files().empty());
    (void)source;
}

}  // namespace
}  // namespace qm::app
