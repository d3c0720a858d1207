#include "project/project_file_list.h"

#include <filesystem>
#include <map>
#include <system_error>

namespace qm::project {

namespace fs = std::filesystem;

void ProjectFileList::add(const std::string& path)
{
    m_paths.push_back(path);
    m_selected.push_back(true);
}

void ProjectFileList::clear()
{
    m_paths.clear();
    m_selected.clear();
}

void ProjectFileList::normalize()
{
    std::map<std::string, bool> last;  // std::string orders byte-wise
    for (std::size_t i = 0; i < m_paths.size(); ++i) {
        last[m_paths[i]] = m_selected[i];
    }
    m_paths.clear();
    m_selected.clear();
    for (auto& [path, selected] : last) {
        m_paths.push_back(path);
        m_selected.push_back(selected);
    }
}

FileKind ProjectFileList::addByKind(const std::string& path)
{
    const FileKind kind = classifyPath(path);
    if (kind == FileKind::Source) {
        add(path);
    }
    return kind;
}

void ProjectFileList::addFolder(const std::string& folder, bool recurse)
{
    // An explicit stack instead of recursion: folder trees can be deep.
    std::vector<fs::path> pending{fs::path(folder)};
    while (!pending.empty()) {
        const fs::path current = pending.back();
        pending.pop_back();
        std::error_code ec;
        fs::directory_iterator it(current, ec);
        std::vector<fs::path> subfolders;
        for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
            std::error_code typeError;
            if (it->is_directory(typeError)) {
                if (recurse && !it->is_symlink(typeError)) subfolders.push_back(it->path());
            } else {
                addByKind(it->path().string());
            }
        }
        // Subfolders are visited in the order they were listed.
        for (auto sub = subfolders.rbegin(); sub != subfolders.rend(); ++sub) pending.push_back(*sub);
    }
}

std::vector<frontend::ProjectEntry> ProjectFileList::runEntries() const
{
    ProjectFileList copy = *this;
    copy.normalize();
    std::vector<frontend::ProjectEntry> entries;
    entries.reserve(copy.size());
    for (std::size_t i = 0; i < copy.size(); ++i) {
        entries.push_back({copy.m_paths[i], copy.m_selected[i]});
    }
    return entries;
}

}  // namespace qm::project
