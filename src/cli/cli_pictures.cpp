#include "cli/cli_pictures.h"

#include "cli/cli_command.h"
#include "model/error.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>

#include <unistd.h>

#ifdef QM_CLI_WITH_QT
#include "draw/qt_picture_export.h"
#include "draw/qt_text_metrics.h"

#include <QGuiApplication>
#include <QString>
#endif

namespace qm::cli {

namespace {

constexpr std::string_view kNoQtMessage =
    "this build of quillmarsh-cli has no font or picture support (use --metrics fixed:W,H; -o needs the desktop build)";

// A whole decimal number from 0 to kMaxFixedMetric.
std::optional<int> metric(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > kMaxFixedMetric) {
        return std::nullopt;
    }
    return value;
}

#ifdef QM_CLI_WITH_QT
// Standard error carries the program's own lines only: Qt's notes about its environment (no
// runtime folder, no display) are left out; its errors still get through.
void writeQtMessage(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::cerr << message.toStdString() << '\n';
    }
}

// The application object that fonts and painting need, on the offscreen platform: the program
// runs without a display.
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
#endif

}  // namespace

bool picturesAvailable()
{
#ifdef QM_CLI_WITH_QT
    return true;
#else
    return false;
#endif
}

std::optional<draw::FixedTextMetrics> parseFixedMetrics(std::string_view text)
{
    constexpr std::string_view kPrefix = "fixed:";
    if (text.substr(0, kPrefix.size()) != kPrefix) {
        return std::nullopt;
    }
    text.remove_prefix(kPrefix.size());
    const auto comma = text.find(',');
    if (comma == std::string_view::npos) {
        return std::nullopt;
    }
    const auto width = metric(text.substr(0, comma));
    const auto height = metric(text.substr(comma + 1));
    if (!width || !height) {
        return std::nullopt;
    }
    return draw::FixedTextMetrics(*width, *height);
}

const draw::TextMetrics& fontMetrics()
{
#ifdef QM_CLI_WITH_QT
    ensureGuiApplication();
    static const draw::QtTextMetrics metrics;
    return metrics;
#else
    throw model::Error(std::string(kNoQtMessage));
#endif
}

void checkPicturePath(const std::string& path)
{
#ifdef QM_CLI_WITH_QT
    draw::pictureFormatFor(path);
#else
    (void)path;
    throw model::Error(std::string(kNoQtMessage));
#endif
}

void writePicture(const std::string& path, draw::Size size, const std::function<void(draw::Canvas&)>& draw,
                  draw::Rgb background)
{
#ifdef QM_CLI_WITH_QT
    ensureGuiApplication();
    const draw::Size picture{std::max(size.width, 1), std::max(size.height, 1)};
    draw::exportPicture(path, picture, draw, background);
#else
    (void)path, (void)size, (void)draw, (void)background;
    throw model::Error(std::string(kNoQtMessage));
#endif
}

int checkOutputOption(const std::string& output)
{
    if (output.empty()) {
        return kExitSuccess;
    }
    if (!picturesAvailable()) {
        std::cerr << "-o: this build cannot write pictures (it was built without the desktop program)\n";
        return kExitUsage;
    }
    try {
        checkPicturePath(output);
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return kExitUsage;
    }
    // The folder must take the picture; finding out after a long analysis would waste it.
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path path(output);
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    if (fs::is_directory(path, ec)) {
        std::cerr << "-o " << output << ": is a folder; name the picture file\n";
        return kExitInputError;
    }
    if (!fs::is_directory(folder, ec)) {
        std::cerr << "-o " << output << ": the folder " << folder.string() << " does not exist\n";
        return kExitInputError;
    }
    // A file made and removed again: permission bits alone say nothing of a read-only mount, or
    // of a folder that refuses even the superuser.
    std::string probe = (folder / ".quillmarsh-cli-XXXXXX").string();
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) {
        std::cerr << "-o " << output << ": cannot write in the folder " << folder.string() << " ("
                  << std::strerror(errno) << ")\n";
        return kExitInputError;
    }
    ::close(fd);
    ::unlink(probe.c_str());
    return kExitSuccess;
}

int checkDrawingOptions(std::string_view metrics, const std::string& output, std::optional<draw::FixedTextMetrics>& fixed)
{
    if (!metrics.empty()) {
        fixed = parseFixedMetrics(metrics);
        if (!fixed) {
            std::cerr << "--metrics: expected fixed:W,H with W and H from 0 to " << kMaxFixedMetric << ", not '"
                      << metrics << "'\n";
            return kExitUsage;
        }
    } else if (!picturesAvailable()) {
        std::cerr << "--metrics fixed:W,H is needed: this build has no font support\n";
        return kExitUsage;
    }
    return checkOutputOption(output);
}

}  // namespace qm::cli
