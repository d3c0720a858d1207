#include "session/project_info.h"

namespace qm::session {

ProjectInfo::ProjectInfo(Session& session) : m_session(session)
{
    refill();
}

void ProjectInfo::refill()
{
    m_session.project().files().normalized();
}

std::string ProjectInfo::rowText(std::size_t row, bool fullPath) const
{
    const std::vector<std::string>& paths = m_session.project().files().paths();
    if (row >= paths.size()) {
        return std::string();
    }
    const std::string& path = paths[row];
    if (fullPath) {
        return path;
    }
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool ProjectInfo::isChecked(std::size_t row) const
{
    const std::vector<bool>& selected = m_session.project().files().selected();
    return row < selected.size() && selected[row];
}

void ProjectInfo::setChecked(std::size_t row, bool checked)
{
    project::ProjectFileList& files = m_session.project().files();
    if (row >= files.size() || files.selected()[row] == checked) {
        return;
    }
    files.setSelected(row, checked);
    m_changed = true;
}

void ProjectInfo::setAllChecked(bool checked)
{
    m_session.project().files().setAllSelected(checked);
    m_changed = true;
}

void ProjectInfo::filesAdded()
{
    m_changed = true;
    refill();
}

void ProjectInfo::addFolder(const std::string& folder, bool recurse)
{
    m_session.settings().values.lastPath = folder;
    m_session.project().addFolder(folder, recurse, m_session.log());
    m_changed = true;
    refill();
}

void ProjectInfo::drop(const std::vector<std::string>& paths)
{
    m_session.dropFiles(paths);
    m_changed = true;
    refill();
}

std::string ProjectInfo::removeQuestion(std::size_t count)
{
    return "Remove " + std::to_string(count) + " files?";
}

ProjectInfo::RemoveResult ProjectInfo::remove(const std::vector<std::size_t>& rows)
{
    if (!m_session.removeFiles(rows)) {
        return RemoveResult::RunActive;
    }
    m_changed = true;
    return RemoveResult::Removed;
}

bool ProjectInfo::finish()
{
    if (m_changed) {
        m_session.project().setModified(true);
    }
    return m_changed;
}

}  // namespace qm::session
