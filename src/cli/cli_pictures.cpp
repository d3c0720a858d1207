#include "cli/cli_pictures.h"

#include "cli/cli_command.h"
#include "model/error.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>

#include <unistd.h>

#ifdef QM_CLI_WITH_QT
#include "cli/picture_module.h"
#include "draw/picture_format.h"

#include <dlfcn.h>
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
// The module with fonts and pictures (cli/picture_module.h), opened on first use: beside the
// program in a build tree, in ../lib/quillmarsh from the program's folder once installed.
// Throws model::Error naming what failed when it cannot be used.
const PictureModule& pictureModule()
{
    static const PictureModule* loaded = nullptr;
    if (loaded) {
        return *loaded;
    }
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path folder = fs::read_symlink("/proc/self/exe", ec).parent_path();
    const fs::path candidates[] = {folder / kPictureModuleFile, folder / ".." / "lib" / "quillmarsh" / kPictureModuleFile};
    std::string reason = "not found";
    for (const fs::path& candidate : candidates) {
        if (ec || !fs::exists(candidate)) {
            continue;
        }
        // Kept open for the rest of the run: its fonts and application object live there.
        void* handle = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* error = ::dlerror();
            reason = error ? error : "cannot be opened";
            break;
        }
        using Entry = const PictureModule* (*)();
        const auto entry = reinterpret_cast<Entry>(::dlsym(handle, kPictureModuleEntry));
        const PictureModule* module = entry ? entry() : nullptr;
        if (!module || module->version != kPictureModuleVersion || !module->fontMetrics || !module->writePicture) {
            reason = candidate.string() + " belongs to another build";
            break;
        }
        loaded = module;
        return *loaded;
    }
    throw model::Error(std::string("cannot load the font and picture module ") + kPictureModuleFile + ": " + reason);
}
#endif

// Opens the module now, before any work; writes why it cannot be used and returns false when so.
bool pictureModuleReady(std::string_view option)
{
#ifdef QM_CLI_WITH_QT
    try {
        pictureModule();
    } catch (const std::exception& e) {
        std::cerr << option << ": " << e.what() << '\n';
        return false;
    }
#else
    (void)option;
#endif
    return true;
}

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
    return pictureModule().fontMetrics();
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
    pictureModule().writePicture(path, size, draw, background);
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
    if (!pictureModuleReady("-o")) {
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
    } else if (!pictureModuleReady("--metrics")) {
        return kExitUsage;
    }
    return checkOutputOption(output);
}

}  // namespace qm::cli
