// quillmarsh-screenshot: takes the README's picture of the main window. It opens the window as
// the program does, on a project, draws it, unfolds every box, picks a function as a click
// would, and saves what the window shows as PNG.
//
//   quillmarsh-screenshot PROJECT FUNCTION OUT.png [CODE.png]   (under a display, e.g. xvfb-run)
//
// With CODE.png it also opens the code window, hovers the flowchart's second shape and saves
// what the code window shows.
#include "app/code_window_dialog.h"
#include "app/detail_view.h"
#include "app/main_frame.h"
#include "app/pane_splitter.h"
#include "app/total_view.h"
#include "app/user_prompts.h"
#include "macro/macro_box.h"
#include "settings/app_settings.h"
#include "settings/settings_store.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QScrollBar>

#include <iostream>

namespace {

void waitFor(const std::function<bool()>& done, int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
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

void click(QWidget* target, QPoint at)
{
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), target->mapToGlobal(QPointF(at)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), target->mapToGlobal(QPointF(at)), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4 && argc != 5) {
        std::cerr << "usage: quillmarsh-screenshot PROJECT FUNCTION OUT.png [CODE.png]\n";
        return 2;
    }
    QApplication application(argc, argv);
    qm::settings::MemorySettingsStore store;
    store.present = false;
    qm::app::DialogPrompts prompts;
    qm::app::PromptReporter reporter(prompts);
    qm::settings::AppSettings settings(store, reporter);
    settings.values.showTutorial = false;

    qm::app::CMainFrame frame(settings, store, prompts);
    frame.resize(1600, 1000);
    frame.start({argv[1], true});
    frame.resize(1600, 1000);
    waitFor([&] { return !frame.session().isRunActive(); }, 60000);
    waitFor([] { return false; }, 300);  // the run's end reaches the views

    qm::app::CTotalView& view = *frame.totalView();
    frame.unfoldAll();
    view.viewport()->repaint();
    qm::macro::MacroBox* box = findBox(view, argv[2]);
    if (!box) {
        std::cerr << argv[2] << ": no such box in the diagram\n";
        return 1;
    }
    view.verticalScrollBar()->setValue(std::max(0, box->y - 200));
    view.viewport()->repaint();
    click(view.viewport(), QPoint(box->x + box->markerSize + 4 - view.horizontalScrollBar()->value(),
                                  box->y + 4 - view.verticalScrollBar()->value()));
    waitFor([] { return false; }, 300);
    // The flowchart gets the room it needs, the rest stays with the diagram.
    frame.innerSplitter()->setSecondFraction(1, 2);
    waitFor([] { return false; }, 500);
    if (!frame.grab().save(QString::fromLocal8Bit(argv[3]))) {
        std::cerr << argv[3] << ": cannot write file\n";
        return 1;
    }
    if (argc == 5) {
        frame.showCodeWindow(true);
        qm::app::CDetailView& detail = *frame.detailView();
        detail.horizontalScrollBar()->setValue(0);
        detail.verticalScrollBar()->setValue(0);
        const qm::detail::Flowchart* chart = detail.model().flowchart();
        if (chart) {
            // The shape below Start: the function's first statement or decision.
            const QPoint at(chart->startColumn() * chart->parameters().cellWidth + 10, chart->parameters().cellHeight + 10);
            QMouseEvent move(QEvent::MouseMove, QPointF(at), detail.viewport()->mapToGlobal(QPointF(at)), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(detail.viewport(), &move);
        }
        waitFor([] { return false; }, 500);
        if (!frame.codeWindow()->grab().save(QString::fromLocal8Bit(argv[4]))) {
            std::cerr << argv[4] << ": cannot write file\n";
            return 1;
        }
    }
    frame.close();
    return 0;
}
