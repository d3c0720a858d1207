#include "frontend/include_paths.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace qm::frontend {

namespace fs = std::filesystem;

std::string toSlashes(std::string name)
{
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

std::string resolveQuotedInclude(const std::string& includer, const std::string& name)
{
    const auto slash = includer.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    // The root folder of "/a.cpp" is "/", not the empty text.
    const std::string folder = slash == 0 ? std::string("/") : includer.substr(0, slash);
    const auto join = [](const std::string& dir, const std::string& rest) {
        return dir.back() == '/' ? dir + rest : dir + "/" + rest;
    };
    const auto nameSlash = name.rfind('/');
    if (nameSlash == std::string::npos) {
        return join(folder, name);
    }
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        return folder;
    }
    const std::string dirPart = nameSlash == 0 ? std::string("/") : name.substr(0, nameSlash);
    const fs::path target = fs::path(folder) / dirPart;
    if (!fs::is_directory(target, ec)) {
        return join(folder, name);
    }
    const fs::path absolute = fs::canonical(target, ec);
    if (ec) {
        return join(folder, name);
    }
    return join(absolute.string(), name.substr(nameSlash + 1));
}

std::string findQuotedInclude(const std::string& includer, const std::string& name,
                              const std::vector<std::string>& directories)
{
    std::string local = resolveQuotedInclude(includer, name);
    std::error_code ec;
    if (fs::is_regular_file(local, ec) || directories.empty()) {
        return local;
    }
    if (auto found = findAngleInclude(directories, name)) {
        return *found;
    }
    return local;
}

std::optional<std::string> findAngleInclude(const std::vector<std::string>& directories, const std::string& name)
{
    for (const std::string& dir : directories) {
        if (dir.empty()) continue;
        const std::string candidate = dir.back() == '/' ? dir + name : dir + "/" + name;
        std::error_code ec;
        if (fs::exists(candidate, ec)) {
            return candidate;
        }
    }
    return std::nullopt;
}

}  // namespace qm::frontend
