// quillmarsh, the desktop program: reads its command line, starts the window system, loads the
// settings and opens the main window.
#include "app/command_line.h"
#include "app/main_frame.h"
#include "app/qt_settings_store.h"
#include "app/user_prompts.h"
#include "settings/app_settings.h"

#include <QApplication>
#include <QIcon>

#include <iostream>

int main(int argc, char** argv)
{
    const qm::app::CommandLine line = qm::app::parseCommandLine(argc, argv);
    if (line.help) {
        std::cout << qm::app::usageText();
        return 0;
    }
    if (line.version) {
        std::cout << "quillmarsh " << QM_VERSION << '\n';
        return 0;
    }
    if (!line.error.empty()) {
        std::cerr << "quillmarsh: " << line.error << "\n" << qm::app::usageText();
        return 2;
    }
    if (!qm::app::displayAvailable(line)) {
        std::cerr << "quillmarsh: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are not set); "
                     "run it in a desktop session, or use quillmarsh-cli to draw into files\n";
        return 1;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmarsh"));
    QApplication::setApplicationVersion(QStringLiteral(QM_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("quillmarsh"));
    // The icon that installing puts in the icon theme; none when running from the build tree.
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("quillmarsh")));

    // The settings come first: the window is built from them. They are written back when they go,
    // after the window and while the application still exists to show a failure.
    qm::app::QtSettingsStore store;
    qm::app::DialogPrompts prompts;
    qm::app::PromptReporter reporter(prompts);
    qm::settings::AppSettings settings(store, reporter);

    qm::app::CMainFrame frame(settings, store, prompts);
    prompts.setParent(&frame);
    for (const std::string& extra : line.extra) {
        frame.session().log().writeLine(extra + ": not opened (one project at a time)");
    }
    frame.start({line.project, line.draw});
    return QApplication::exec();
}
