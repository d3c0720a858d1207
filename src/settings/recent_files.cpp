#include "settings/recent_files.h"

#include <algorithm>

namespace qm::settings {

namespace {

std::string entryName(std::size_t index)
{
    return "Recent File List/File" + std::to_string(index + 1);
}

}  // namespace

void RecentFiles::add(const std::string& path)
{
    if (path.empty()) {
        return;
    }
    remove(path);
    m_files.insert(m_files.begin(), path);
    if (m_files.size() > kMaxFiles) {
        m_files.resize(kMaxFiles);
    }
}

void RecentFiles::remove(const std::string& path)
{
    m_files.erase(std::remove(m_files.begin(), m_files.end(), path), m_files.end());
}

void RecentFiles::load(SettingsStore& store)
{
    m_files.clear();
    if (!store.open()) {
        return;
    }
    for (std::size_t i = 0; i < kMaxFiles; ++i) {
        const std::optional<std::string> path = store.readText(entryName(i));
        if (!path || path->empty()) {
            break;
        }
        if (std::find(m_files.begin(), m_files.end(), *path) == m_files.end()) {
            m_files.push_back(*path);
        }
    }
}

bool RecentFiles::save(SettingsStore& store) const
{
    if (!store.create()) {
        return false;
    }
    for (std::size_t i = 0; i < kMaxFiles; ++i) {
        if (!store.writeText(entryName(i), i < m_files.size() ? m_files[i] : std::string())) {
            return false;
        }
    }
    return store.flush();
}

}  // namespace qm::settings
