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

std::string FoundIncludes::quoted(const std::string& includer, const std::string& name,
                                  const std::vector<std::string>& directories)
{
    const std::size_t slash = includer.rfind('/');
    std::string key = slash == std::string::npos ? std::string() : includer.substr(0, slash);
    key += '\0';
    key += name;
    {
        std::lock_guard lock(m_mutex);
        if (auto it = m_found.find(key); it != m_found.end()) return it->second;
    }
    std::string path = findQuotedInclude(includer, name, directories);
    std::lock_guard lock(m_mutex);
    return m_found.try_emplace(std::move(key), std::move(path)).first->second;
}

std::optional<std::string> FoundIncludes::angle(const std::vector<std::string>& directories, const std::string& name)
{
    std::string key = "<" + name;
    std::string path;
    bool known = false;
    {
        std::lock_guard lock(m_mutex);
        if (auto it = m_found.find(key); it != m_found.end()) {
            path = it->second;
            known = true;
        }
    }
    if (!known) {
        path = findAngleInclude(directories, name).value_or(std::string());
        std::lock_guard lock(m_mutex);
        path = m_found.try_emplace(std::move(key), std::move(path)).first->second;
    }
    if (path.empty()) return std::nullopt;
    return path;
}

void FoundIncludes::clear()
{
    std::lock_guard lock(m_mutex);
    m_found.clear();
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
