#include "project/project_file.h"

#include "frontend/c_numbers.h"
#include "model/error.h"
#include "frontend/atomic_file.h"
#include "frontend/small_file.h"

#include <fstream>
#include <system_error>

namespace qm::project {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kOptionBegin = "<Option>";
constexpr std::string_view kOptionEnd = "</Option>";
constexpr std::string_view kDefineBegin = "<Define>";
constexpr std::string_view kDefineEnd = "</Define>";
constexpr std::string_view kFileBegin = "<File>";
constexpr std::string_view kFileEnd = "</File>";

// Lines of 2 characters or fewer in the file section are not files.
constexpr std::size_t kShortestPath = 3;

enum class Section { None, Option, Define, File };

bool nextLine(frontend::TextLines& in, std::string& line)
{
    if (!in.next(line)) {
        return false;
    }
    const auto nul = line.find('\0');
    if (nul != std::string::npos) {
        line.resize(nul);
    }
    return true;
}

std::string resolveAgainst(const fs::path& folder, const std::string& line)
{
    const fs::path path(line);
    if (path.is_absolute()) {
        return line;
    }
    return (folder / path).lexically_normal().string();
}

bool storableLine(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

[[noreturn]] void throwNotStorable(std::string_view text)
{
    throw model::Error(std::string(text) + " : cannot be stored in a project file");
}

void appendLine(std::string& out, std::string_view line)
{
    out += line;
    out += "\r\n";
}

}  // namespace

std::optional<ProjectFileContents> readProjectFile(const fs::path& path)
{
    std::string bytes;
    switch (frontend::readSmallFile(path, bytes)) {
    case frontend::SmallFileRead::Read: break;
    case frontend::SmallFileRead::CannotOpen: return std::nullopt;
    case frontend::SmallFileRead::TooLarge: throw model::Error(frontend::fileTooLargeMessage(path));
    }
    frontend::TextLines in(bytes);
    std::error_code ec;
    // Relative lines are taken from the project file's folder; the working directory is only
    // asked, never changed.
    const fs::path folder = fs::absolute(path, ec).parent_path();

    ProjectFileContents contents;
    Section section = Section::None;
    bool countRead = false;
    bool haveName = false;
    std::string name;
    std::string line;
    while (nextLine(in, line)) {
        switch (section) {
        case Section::None:
            if (line == kOptionBegin) {
                section = Section::Option;
            } else if (line == kDefineBegin) {
                section = Section::Define;
                countRead = false;
                haveName = false;
            } else if (line == kFileBegin) {
                section = Section::File;
            }
            break;
        case Section::Option:
            if (line == kOptionEnd) section = Section::None;
            break;
        case Section::Define:
            if (line == kDefineEnd) {
                section = Section::None;
            } else if (!countRead) {
                countRead = true;  // the count is not trusted: the pairs themselves say how many
            } else if (!haveName) {
                name = line;
                haveName = true;
            } else {
                contents.defines.push_back({name, frontend::narrowToInt32(frontend::parseAtol(line))});
                haveName = false;
            }
            break;
        case Section::File:
            if (line == kFileEnd) {
                section = Section::None;
            } else if (line.size() >= kShortestPath) {
                contents.paths.push_back(resolveAgainst(folder, line));
            }
            break;
        }
    }
    contents.broken = section != Section::None;
    return contents;
}

std::string formatProjectFile(const std::vector<std::string>& paths, const frontend::PredefinedWordList& defines)
{
    std::string text;
    appendLine(text, kProjectFileTitle);
    appendLine(text, kProjectFileVersion);
    appendLine(text, kOptionBegin);
    appendLine(text, kOptionEnd);
    appendLine(text, kDefineBegin);
    appendLine(text, std::to_string(defines.size()));
    for (const frontend::PredefinedWord& define : defines) {
        if (!storableLine(define.name) || define.name == kDefineEnd) {
            throwNotStorable(define.name);
        }
        appendLine(text, define.name);
        appendLine(text, std::to_string(define.value));
    }
    appendLine(text, kDefineEnd);
    appendLine(text, kFileBegin);
    for (const std::string& path : paths) {
        if (!storableLine(path) || path.size() < kShortestPath || path == kFileEnd) {
            throwNotStorable(path);
        }
        appendLine(text, path);
    }
    appendLine(text, kFileEnd);
    return text;
}

void writeProjectFile(const fs::path& path, const std::vector<std::string>& paths,
                      const frontend::PredefinedWordList& defines)
{
    frontend::writeFileAtomically(path, formatProjectFile(paths, defines));
}

}  // namespace qm::project
