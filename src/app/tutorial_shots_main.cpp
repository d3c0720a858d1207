// quillmarsh-tutorial-shots: takes the pictures of the help and tutorial pages from the real
// program. It opens the window as the program does, walks through the tutorial on the example
// project — the empty window, the project's files, the drawn diagram, a flowchart, a class
// diagram — and opens every dialog over it, saving each as PNG into the output folder.
//
//   quillmarsh-tutorial-shots EXAMPLE.qmp OUTDIR   (with QT_QPA_PLATFORM=offscreen, or a display)
#include "app/code_window_dialog.h"
#include "app/control_bar.h"
#include "app/detail_view.h"
#include "app/dialogs/about_dialog.h"
#include "app/dialogs/general_options_dialog.h"
#include "app/dialogs/include_directory_dialog.h"
#include "app/dialogs/input_name_dialog.h"
#include "app/dialogs/macro_setting_dialog.h"
#include "app/dialogs/predefined_word_dialog.h"
#include "app/dialogs/progress_dialog.h"
#include "app/dialogs/project_info_dialog.h"
#include "app/help_window.h"
#include "app/main_frame.h"
#include "app/pane_splitter.h"
#include "app/total_view.h"
#include "app/user_prompts.h"
#include "macro/macro_box.h"
#include "settings/app_settings.h"
#include "settings/settings_store.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBrowser>

#include <iostream>

namespace {

namespace fs = std::filesystem;

class NoOptionsHost final : public qm::session::GeneralOptionsHost {
public:
    void macroViewSettingsChanged() override {}
    void detailViewSettingsChanged() override {}
    void codeWindowSettingsChanged() override {}
};

void settle(int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

bool save(QWidget& widget, const QDir& out, const QString& name)
{
    widget.show();
    settle(150);
    const QString path = out.filePath(name);
    if (!widget.grab().save(path)) {
        std::cerr << path.toStdString() << ": cannot write file\n";
        return false;
    }
    std::cout << path.toStdString() << '\n';
    return true;
}

qm::macro::MacroBox* findBox(qm::app::CTotalView& view, const std::string& name)
{
    qm::macro::MacroBox* found = nullptr;
    qm::macro::visitBoxes(view.model().diagram().boxes(), [&](qm::macro::MacroBox& box) {
        if (!found && box.entry && box.entry->name == name) found = &box;
        return !found;
    });
    return found;
}

// Scrolls the box of `name` into view and clicks its title, as a user picks it.
bool pick(qm::app::CTotalView& view, const std::string& name)
{
    view.viewport()->repaint();
    qm::macro::MacroBox* box = findBox(view, name);
    if (!box) {
        std::cerr << name << ": no such box in the diagram\n";
        return false;
    }
    view.verticalScrollBar()->setValue(std::max(0, box->y - 150));
    view.viewport()->repaint();
    box = findBox(view, name);
    const QPointF at(box->x + box->markerSize + 4 - view.horizontalScrollBar()->value(),
                     box->y + 4 - view.verticalScrollBar()->value());
    QMouseEvent press(QEvent::MouseButtonPress, at, view.viewport()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, view.viewport()->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &release);
    settle(200);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: quillmarsh-tutorial-shots EXAMPLE.qmp OUTDIR\n";
        return 2;
    }
    QApplication application(argc, argv);
    const QDir out(QString::fromLocal8Bit(argv[2]));
    if (!QDir().mkpath(out.path())) {
        std::cerr << argv[2] << ": cannot create folder\n";
        return 1;
    }
    qm::settings::MemorySettingsStore store;
    store.present = false;
    qm::app::DeclinedPrompts prompts{""};
    qm::app::PromptReporter reporter(prompts);
    const fs::path config = fs::path(QDir::tempPath().toStdString()) / ("qm-shots-" + std::to_string(::getpid()));
    fs::create_directories(config);
    bool ok = true;
    {
        qm::settings::AppSettings settings(store, reporter,
                                           qm::settings::OptionFilePaths{config / "predefined.ini", config / "Include.ini"});
        settings.values.showTutorial = false;

        qm::app::CMainFrame frame(settings, store, prompts);
        frame.start({});
        frame.resize(1200, 760);
        // Step 1: the example project opened, not drawn yet; then its files in Project
        // Information.
        frame.openProjectFile(QString::fromLocal8Bit(argv[1]));
        settle(200);
        ok &= save(frame, out, QStringLiteral("window-empty.png"));
        {
            qm::app::CProjectInfoDialog info(frame.session(), prompts, {}, &frame);
            info.resize(640, 300);
            ok &= save(info, out, QStringLiteral("project-information.png"));
        }

        // Step 2: drawn, folded; then unfolded.
        frame.draw();
        QElapsedTimer clock;
        clock.start();
        while (frame.session().isRunActive() && clock.elapsed() < 60000) settle(50);
        settle(300);
        frame.innerSplitter()->setSecondFraction(1, 3);
        settle(100);
        ok &= save(frame, out, QStringLiteral("window-drawn.png"));
        frame.unfoldAll();
        settle(100);
        ok &= save(frame, out, QStringLiteral("window-unfolded.png"));

        // Steps 3 and 4: a function's flowchart, a class's diagram.
        frame.innerSplitter()->setSecondFraction(2, 3);
        settle(100);
        ok &= pick(*frame.totalView(), "advance");
        settle(200);
        frame.detailView()->verticalScrollBar()->setValue(0);  // the chart's start in view
        settle(100);
        ok &= save(frame, out, QStringLiteral("window-flowchart.png"));
        frame.codeWindow()->resize(640, 420);
        ok &= save(*frame.codeWindow(), out, QStringLiteral("code-window.png"));
        frame.codeWindow()->hide();
        ok &= pick(*frame.totalView(), "Food");
        settle(200);
        ok &= save(frame, out, QStringLiteral("window-class.png"));

        // The dialogs of the Option menu, as they open over the example.
        NoOptionsHost host;
        qm::settings::SettingValues values = settings.values;
        {
            qm::app::CGeneralOptionsDialog general(values, host, prompts, &frame);
            ok &= save(general, out, QStringLiteral("general-options.png"));
        }
        {
            qm::frontend::IncludeDirectoryLists lists;
            lists.lists[3] = {"/usr/include", "/usr/include/x86_64-linux-gnu", "/home/me/project/include"};
            std::int32_t selected = 3;
            qm::app::CIncludeDirectoryDialog include(lists, selected, prompts, &frame);
            ok &= save(include, out, QStringLiteral("include-directories.png"));
        }
        {
            qm::frontend::PredefinedWordList global{{"__linux__", 1}, {"__GNUC__", 12}, {"_DEBUG", 1}};
            qm::app::CPredefinedWordDialog words(global, frame.session().project().defines(), prompts, &frame);
            ok &= save(words, out, QStringLiteral("predefined-words.png"));
        }
        {
            qm::app::CDialogMacroSetting themes(frame.totalView()->model().theme(), settings.values, prompts,
                                                qm::app::ThemeDialogPaths::standard(), &frame);
            ok &= save(themes, out, QStringLiteral("theme-dialog.png"));
            const int evening = themes.themeList()->findText(QStringLiteral("Evening"));
            if (evening >= 0) {
                themes.themeList()->setCurrentIndex(evening);
                emit themes.themeList()->activated(evening);
                ok &= save(themes, out, QStringLiteral("theme-dialog-evening.png"));
            }
        }
        {
            qm::app::CDialogGetString name(prompts, &frame);
            name.edit()->setText(QStringLiteral("My Theme"));
            ok &= save(name, out, QStringLiteral("input-name.png"));
            qm::app::CDialogProgress progress(&frame);
            progress.setPosition(60);
            ok &= save(progress, out, QStringLiteral("loading-progress.png"));
            qm::app::CAboutDialog about(&frame);
            ok &= save(about, out, QStringLiteral("about.png"));
        }
        frame.close();
    }
    fs::remove_all(config);
    return ok ? 0 : 1;
}
