#include "app/editor_launcher.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <new>

namespace qm::app {

namespace {

QString failure(const QString& program, const char* what)
{
    return QStringLiteral("\"%1\" ").arg(program) + QString::fromLatin1(what);
}

}  // namespace

QString launchEditor(const QString& editorSetting, const QString& filePath)
{
    try {
        QStringList arguments = QProcess::splitCommand(editorSetting);
        if (arguments.isEmpty()) {
            return failure(editorSetting, " file was not found. \r\ncheck option.");
        }
        const QString program = arguments.takeFirst();
        arguments << filePath;
        QString executable = program;
        if (program.contains(QLatin1Char('/'))) {
            const QFileInfo info(program);
            if (!info.absoluteDir().exists()) {
                return failure(program, " path was not found. \r\ncheck option.");
            }
            if (!info.exists()) {
                return failure(program, " file was not found. \r\ncheck option.");
            }
            if (!info.isFile() || !info.isExecutable()) {
                return failure(program, " file is invalid. ");
            }
        } else {
            executable = QStandardPaths::findExecutable(program);
            if (executable.isEmpty()) {
                return failure(program, " file was not found. \r\ncheck option.");
            }
        }
        if (!QProcess::startDetached(executable, arguments)) {
            return failure(program, " file is invalid. ");
        }
        return {};
    } catch (const std::bad_alloc&) {
        return QStringLiteral("System out of memory.");
    }
}

}  // namespace qm::app
