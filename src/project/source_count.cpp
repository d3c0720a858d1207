#include "project/source_count.h"

#include "project/file_kind.h"

#include <filesystem>
#include <system_error>

namespace qm::project {

namespace fs = std::filesystem;

namespace {

// Sources and headers count; project files and workspaces stand for an unknown number.
std::size_t weightOf(const std::string& path, std::size_t limit)
{
    switch (classifyPath(path)) {
    case FileKind::Source:
    case FileKind::Header:
        return 1;
    case FileKind::Project:
    case FileKind::Dsp:
    case FileKind::Dsw:
    case FileKind::Vcproj:
        return limit;
    case FileKind::None:
        break;
    }
    return 0;
}

}  // namespace

std::size_t countSourceFiles(const std::vector<std::string>& inputs, std::size_t limit)
{
    std::size_t count = 0;
    for (const std::string& input : inputs) {
        std::error_code ec;
        const fs::file_status status = fs::status(input, ec);
        if (ec) continue;
        if (fs::is_regular_file(status)) {
            count += weightOf(input, limit);
        } else if (fs::is_directory(status)) {
            fs::recursive_directory_iterator it(input, fs::directory_options::skip_permission_denied, ec);
            for (; !ec && it != fs::recursive_directory_iterator() && count < limit; it.increment(ec)) {
                std::error_code typeError;
                if (it->is_regular_file(typeError)) count += weightOf(it->path().string(), limit);
            }
        }
        if (count >= limit) return limit;
    }
    return count;
}

}  // namespace qm::project
