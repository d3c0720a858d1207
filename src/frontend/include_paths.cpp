#include "frontend/include_paths.h"

#include "frontend/tokenize_file.h"

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

namespace {

// What resolveQuotedInclude asks of a folder: none when it is no folder, "" when it is one whose
// absolute form cannot be worked out, else that absolute, normalised form.
std::optional<std::string> askFolder(const std::string& path)
{
    std::error_code ec;
    if (!fs::is_directory(path, ec)) return std::nullopt;
    fs::path absolute = fs::canonical(path, ec);
    if (ec) return std::string();
    return absolute.string();
}

template <typename Folder>
std::string resolveQuoted(const std::string& includer, const std::string& name, Folder&& folderFacts)
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
    if (!folderFacts(folder)) {
        return folder;
    }
    const std::string dirPart = nameSlash == 0 ? std::string("/") : name.substr(0, nameSlash);
    const std::optional<std::string> absolute = folderFacts((fs::path(folder) / dirPart).string());
    if (!absolute || absolute->empty()) {
        return join(folder, name);
    }
    return join(*absolute, name.substr(nameSlash + 1));
}

// The quoted include's own place `local` when that file exists (`isFile`), else the first include
// directory that holds `name`, else `local`.
template <typename IsFile>
std::string findQuoted(std::string local, const std::string& name, const std::vector<std::string>& directories,
                       IsFile&& isFile)
{
    if (isFile(local) || directories.empty()) {
        return local;
    }
    if (auto found = findAngleInclude(directories, name)) {
        return *found;
    }
    return local;
}

// The answer `map` holds for `key`, else the one `ask` gives (asked with no lock held, so that
// other threads go on; should two ask at once, the first answer stored is kept).
template <typename Map, typename Ask>
typename Map::mapped_type remembered(std::mutex& mutex, Map& map, std::string key, Ask&& ask)
{
    {
        std::lock_guard lock(mutex);
        if (auto it = map.find(key); it != map.end()) return it->second;
    }
    typename Map::mapped_type answer = ask();
    std::lock_guard lock(mutex);
    return map.try_emplace(std::move(key), std::move(answer)).first->second;
}

}  // namespace

std::string resolveQuotedInclude(const std::string& includer, const std::string& name)
{
    return resolveQuoted(includer, name, askFolder);
}

std::string findQuotedInclude(const std::string& includer, const std::string& name,
                              const std::vector<std::string>& directories)
{
    const auto isFile = [](const std::string& path) {
        std::error_code ec;
        return fs::is_regular_file(path, ec);
    };
    return findQuoted(resolveQuotedInclude(includer, name), name, directories, isFile);
}

std::string FoundIncludes::quoted(const std::string& includer, const std::string& name,
                                  const std::vector<std::string>& directories)
{
    const std::size_t slash = includer.rfind('/');
    std::string key = slash == std::string::npos ? std::string() : includer.substr(0, slash);
    key += '\0';
    key += name;
    return remembered(m_mutex, m_found, std::move(key), [&] {
        const auto folderFacts = [this](const std::string& folder) { return this->folder(folder); };
        const auto isFile = [this](const std::string& path) { return stamp(path).has_value(); };
        return findQuoted(resolveQuoted(includer, name, folderFacts), name, directories, isFile);
    });
}

std::optional<std::string> FoundIncludes::angle(const std::vector<std::string>& directories, const std::string& name)
{
    std::string path = remembered(m_mutex, m_found, "<" + name,
                                  [&] { return findAngleInclude(directories, name).value_or(std::string()); });
    if (path.empty()) return std::nullopt;
    return path;
}

std::optional<std::string> FoundIncludes::folder(const std::string& path)
{
    return remembered(m_mutex, m_folders, path, [&] { return askFolder(path); });
}

std::optional<model::FileStamp> FoundIncludes::stamp(const std::string& path)
{
    return remembered(m_mutex, m_stamps, path, [&] { return statSourceFile(path); });
}

void FoundIncludes::noteRead(const std::string& path, const model::FileStamp& read)
{
    std::lock_guard lock(m_mutex);
    m_stamps.insert_or_assign(path, read);
}

void FoundIncludes::clear()
{
    std::lock_guard lock(m_mutex);
    m_found.clear();
    m_folders.clear();
    m_stamps.clear();
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
