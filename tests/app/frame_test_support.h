// What the window tests share: the application on the offscreen platform, prompts answered from a
// script, a main window over scratch settings, and helpers that wait and click as a user would.
#pragma once

#include "app/control_bar.h"
#include "app/detail_view.h"
#include "app/info_view.h"
#include "app/main_frame.h"
#include "app/pane_splitter.h"
#include "app/total_view.h"
#include "app/user_prompts.h"
#include "macro/macro_box.h"
#include "settings/app_settings.h"
#include "settings/settings_store.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace qm::app::testing {

namespace fs = std::filesystem;

inline void ensureApplication()
{
    if (QCoreApplication::instance()) return;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    // Never destroyed: taking the application down among the other static objects at exit
    // crashes inside Qt, and the process ends right after anyway.
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

// Answers every question from a script and records every message.
class ScriptedPrompts final : public UserPrompts {
public:
    void message(const QString& text) override { messages.push_back(text.toStdString()); }
    SaveChoice askSaveChanges(const QString& name) override
    {
        asked.push_back(name.toStdString());
        return saveChoice;
    }
    bool askYesNo(const QString& text) override
    {
        questions.push_back(text.toStdString());
        return yes;
    }
    QString openFileName(const QString&, const QString&, const QString&) override { return next(); }
    QStringList openFileNames(const QString&, const QString&, const QString&) override
    {
        const QString path = next();
        return path.isEmpty() ? QStringList() : QStringList{path};
    }
    QString saveFileName(const QString&, const QString&, const QString&) override { return next(); }
    bool askOkCancel(const QString& text) override
    {
        questions.push_back(text.toStdString());
        return answer;
    }
    QString folder(const QString&, const QString&) override { return next(); }
    FolderChoice folderWithRecurse(const QString& caption, const QString& start) override
    {
        folderCaptions.push_back(caption.toStdString());
        folderStarts.push_back(start.toStdString());
        FolderChoice choice = folderChoice;
        choice.folder = next();
        return choice;
    }
    QColor color(const QColor& initial) override
    {
        colorAsked.push_back(initial);
        return chosenColor;
    }
    QString inputName() override { return names.empty() ? QString() : names.takeFirst(); }

    std::vector<std::string> messages;
    std::vector<std::string> asked;
    SaveChoice saveChoice = SaveChoice::Discard;
    std::deque<QString> files;  // the answers of the file and folder dialogs, in order; none is a cancel
    std::vector<std::string> questions;  // every yes / no and OK / Cancel question asked
    bool yes = true;                     // the answer to yes / no questions
    bool answer = true;                  // the answer to OK / Cancel questions
    FolderChoice folderChoice;           // "Add Folder": the check box (the folder comes from `files`)
    std::vector<std::string> folderCaptions;
    std::vector<std::string> folderStarts;
    QColor chosenColor;                  // the colour dialog's answer; invalid is a cancel
    QList<QColor> colorAsked;
    QStringList names;                   // the "Input Name" answers, in order; none is a cancel

private:
    QString next()
    {
        if (files.empty()) return {};
        QString path = files.front();
        files.pop_front();
        return path;
    }
};

// Processes events until `done` holds; false after `seconds`.
inline bool waitUntil(const std::function<bool()>& done, int seconds = 60)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QTest::qWait(5);
    }
    return true;
}

// A main window over settings of its own in a scratch folder (which is also the configuration
// folder), as at a first start, with the tutorial switched off.
class FrameTest : public ::testing::Test {
protected:
    FrameTest()
    {
        ensureApplication();
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() /
                ("qm-app-" + std::to_string(::getpid()) + "-" + test->test_suite_name() + "-" + test->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        ::setenv("QUILLMARSH_CONFIG_DIR", (m_dir / "config").c_str(), 1);
        store.present = false;
    }
    ~FrameTest() override
    {
        frame.reset();
        settings.reset();
        fs::remove_all(m_dir);
    }

    // Makes the settings and the window (after a test has set up the store), shows it 1600 x 1000.
    void open(bool tutorial = false)
    {
        settings = std::make_unique<settings::AppSettings>(
            store, reporter, settings::OptionFilePaths{m_dir / "predefined.ini", m_dir / "Include.ini"});
        settings->values.showTutorial = tutorial;
        frame = std::make_unique<CMainFrame>(*settings, store, prompts);
        frame->start({});
        frame->resize(1600, 1000);
        QCoreApplication::processEvents();
    }

    std::string write(const std::string& name, const std::string& text) const
    {
        fs::create_directories((m_dir / name).parent_path());
        std::ofstream(m_dir / name, std::ios::binary) << text;
        return (m_dir / name).string();
    }
    std::string file(const std::string& name) const { return (m_dir / name).string(); }
    static std::string exampleProject()
    {
        return (fs::path(QM_TEST_DATA_DIR).parent_path().parent_path().parent_path() / "examples" / "example.qmp").string();
    }

    session::Session& session() { return frame->session(); }
    std::string logText() { return frame->infoView()->toPlainText().toStdString(); }
    bool waitForRunEnd()
    {
        const bool ended = waitUntil([this] { return !session().isRunActive(); });
        frame->document().pollLog();
        return ended;
    }
    // A project of `files` sources of 300 functions each, made and made current.
    void largeProject(int files)
    {
        std::string body;
        for (int f = 0; f < 300; ++f) {
            body += "int g" + std::to_string(f) +
                    "(int a) { int s = 0; for (int k = 0; k < a; ++k) { if (k % 3) s += k; else s -= 1; } return s; }\n";
        }
        for (int i = 0; i < files; ++i) {
            session().project().files().add(write("large/f" + std::to_string(i) + ".cpp", body));
        }
    }

    // The top-level box of the entry called `name`, or null.
    macro::MacroBox* topBox(const std::string& name)
    {
        for (macro::MacroBox& b : frame->totalView()->model().diagram().boxes()) {
            if (b.entry && b.entry->name == name) return &b;
        }
        return nullptr;
    }
    // The first box of the entry called `name` in pre-order, or null.
    macro::MacroBox* box(const std::string& name)
    {
        macro::MacroBox* found = nullptr;
        macro::visitBoxes(frame->totalView()->model().diagram().boxes(), [&](macro::MacroBox& b) {
            if (!found && b.entry && b.entry->name == name) found = &b;
            return !found;
        });
        return found;
    }
    // Lays out what is pending, scrolls the box of `name` into view and clicks its title with
    // `button`; returns the box (null when there is none). A layout may move boxes in memory, so
    // boxes are looked up by name after each paint.
    macro::MacroBox* clickBox(const std::string& name, Qt::MouseButton button = Qt::LeftButton, bool twice = false,
                              bool topLevel = false)
    {
        CTotalView* view = frame->totalView();
        view->viewport()->repaint();
        macro::MacroBox* b = topLevel ? topBox(name) : box(name);
        if (!b) return nullptr;
        view->horizontalScrollBar()->setValue(std::max(0, b->x - 10));
        view->verticalScrollBar()->setValue(std::max(0, b->y - 10));
        view->viewport()->repaint();  // hit tests use the boxes the last paint met
        const QPoint at(b->x + b->markerSize + 4 - view->horizontalScrollBar()->value(),
                        b->y + 4 - view->verticalScrollBar()->value());
        if (twice) {
            QTest::mouseDClick(view->viewport(), button, Qt::NoModifier, at);
        } else {
            QTest::mouseClick(view->viewport(), button, Qt::NoModifier, at);
        }
        frame->document().pollLog();
        return topLevel ? topBox(name) : box(name);
    }

    settings::MemorySettingsStore store;
    project::RecordingReporter reporter;
    ScriptedPrompts prompts;
    std::unique_ptr<settings::AppSettings> settings;
    std::unique_ptr<CMainFrame> frame;

private:
    fs::path m_dir;
};

}  // namespace qm::app::testing
