// The Qt half of quillmarsh-cli's drawing commands, loaded by the program when it first measures
// text with fonts or writes a picture (see cli/picture_module.h). Qt runs on its offscreen
// platform: the program runs without a display.
#include "cli/picture_module.h"

#include "draw/qt_picture_export.h"
#include "draw/qt_text_metrics.h"

#include <QGuiApplication>
#include <QString>

#include <algorithm>
#include <cstdlib>
#include <iostream>

namespace qm::cli {

namespace {

// Standard error carries the program's own lines only: Qt's notes about its environment (no
// runtime folder, no display) are left out; its errors still get through.
void writeQtMessage(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::cerr << message.toStdString() << '\n';
    }
}

// The application object that fonts and painting need.
void ensureGuiApplication()
{
    if (QCoreApplication::instance()) {
        return;
    }
    qInstallMessageHandler(writeQtMessage);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "quillmarsh-cli";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
}

const draw::TextMetrics& fontMetrics()
{
    ensureGuiApplication();
    static const draw::QtTextMetrics metrics;
    return metrics;
}

void writePicture(const std::string& path, draw::Size size, const std::function<void(draw::Canvas&)>& draw,
                  draw::Rgb background)
{
    ensureGuiApplication();
    const draw::Size picture{std::max(size.width, 1), std::max(size.height, 1)};
    draw::exportPicture(path, picture, draw, background);
}

}  // namespace

}  // namespace qm::cli

extern "C" __attribute__((visibility("default"))) const qm::cli::PictureModule* quillmarshPictureModule()
{
    static const qm::cli::PictureModule module{qm::cli::kPictureModuleVersion, &qm::cli::fontMetrics,
                                               &qm::cli::writePicture};
    return &module;
}
