#include "app/editor_launcher.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <new>

namespace qm::app {

namespace {

// The words of `command` as a shell splits them: blanks separate words; single quotes keep
// everything up to the next single quote; double quotes keep everything but a backslash escape of
// `"`, `\`, `$` or a backquote; a backslash outside quotes keeps the next character.
QStringList shellWords(const QString& command)
{
    QStringList words;
    QString word;
    bool inWord = false;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command[i];
        if (c == QLatin1Char('\'')) {
            inWord = true;
            for (++i; i < command.size() && command[i] != QLatin1Char('\''); ++i) word += command[i];
        } else if (c == QLatin1Char('"')) {
            inWord = true;
            for (++i; i < command.size() && command[i] != QLatin1Char('"'); ++i) {
                if (command[i] == QLatin1Char('\\') && i + 1 < command.size() &&
                    QStringLiteral("\"\\$`").contains(command[i + 1])) {
                    ++i;
                }
                word += command[i];
            }
        } else if (c == QLatin1Char('\\') && i + 1 < command.size()) {
            inWord = true;
            word += command[++i];
        } else if (c.isSpace()) {
            if (inWord) words << word;
            word.clear();
            inWord = false;
        } else {
            inWord = true;
            word += c;
        }
    }
    if (inWord) words << word;
    return words;
}

QString failure(const QString& program, const char* what)
{
    return QStringLiteral("\"%1\" ").arg(program) + QString::fromLatin1(what);
}

}  // namespace

QString launchEditor(const QString& editorSetting, const QString& filePath)
{
    try {
        QStringList arguments = shellWords(editorSetting);
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
