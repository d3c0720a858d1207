#include "project/project_file_list.h"

#include <map>
#include <stdexcept>

namespace qm::project {

void ProjectFileList::add(const std::string& path)
{
    m_paths.push_back(path);
    m_selected.push_back(true);
}

void ProjectFileList::setAllSelected(bool selected)
{
    m_selected.assign(m_paths.size(), selected);
}

void ProjectFileList::removeAt(std::size_t index)
{
    if (index >= m_paths.size()) {
        throw std::out_of_range("ProjectFileList::removeAt");
    }
    m_paths.erase(m_paths.begin() + static_cast<std::ptrdiff_t>(index));
    m_selected.erase(m_selected.begin() + static_cast<std::ptrdiff_t>(index));
}

void ProjectFileList::removeAt(const std::vector<std::size_t>& indices)
{
    std::vector<bool> removed(m_paths.size(), false);
    for (std::size_t index : indices) {
        if (index >= m_paths.size()) {
            throw std::out_of_range("ProjectFileList::removeAt");
        }
        removed[index] = true;
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_paths.size(); ++i) {
        if (removed[i]) continue;
        if (kept != i) {
            m_paths[kept] = std::move(m_paths[i]);
            m_selected[kept] = m_selected[i];
        }
        ++kept;
    }
    m_paths.resize(kept);
    m_selected.resize(kept);
}

void ProjectFileList::clear()
{
    m_paths.clear();
    m_selected.clear();
}

const std::vector<std::string>& ProjectFileList::normalized()
{
    std::map<std::string, bool> last;  // std::string orders byte-wise; later entries overwrite
    for (std::size_t i = 0; i < m_paths.size(); ++i) {
        last.insert_or_assign(std::move(m_paths[i]), m_selected[i]);
    }
    m_paths.clear();
    m_selected.clear();
    m_paths.reserve(last.size());
    m_selected.reserve(last.size());
    for (auto& [path, selected] : last) {
        m_paths.push_back(path);
        m_selected.push_back(selected);
    }
    return m_paths;
}

std::vector<frontend::ProjectEntry> ProjectFileList::runEntries() const
{
    ProjectFileList copy;
    copy.m_paths = m_paths;
    copy.m_selected = m_selected;
    copy.normalized();
    std::vector<frontend::ProjectEntry> entries;
    entries.reserve(copy.size());
    for (std::size_t i = 0; i < copy.size(); ++i) {
        entries.push_back({copy.m_paths[i], copy.m_selected[i]});
    }
    return entries;
}

void ProjectFileList::resetIncludeDirectories()
{
    m_includeDirectories = frontend::projectResetIncludeDirectories();
}

}  // namespace qm::project
