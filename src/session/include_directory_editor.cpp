#include "session/include_directory_editor.h"

#include <algorithm>

namespace qm::session {

namespace {

// A damaged setting (outside 0 to 3) shows the first list.
int shownIndex(std::int32_t stored)
{
    return stored >= 0 && stored < static_cast<std::int32_t>(frontend::kIncludeListCount) ? stored : 0;
}

}  // namespace

IncludeDirectoryEditor::IncludeDirectoryEditor(frontend::IncludeDirectoryLists& lists, std::int32_t& selected,
                                               ProductSource products)
    : m_stored(lists), m_storedIndex(selected), m_products(std::move(products))
{
    restoreDefault();
}

void IncludeDirectoryEditor::select(int index)
{
    if (index < 0 || index >= static_cast<int>(frontend::kIncludeListCount)) {
        return;
    }
    m_current = index;
}

void IncludeDirectoryEditor::append(const std::string& directory)
{
    m_working.lists[static_cast<std::size_t>(m_current)].push_back(directory);
}

void IncludeDirectoryEditor::remove(const std::vector<std::size_t>& rows)
{
    std::vector<std::string>& lines = m_working.lists[static_cast<std::size_t>(m_current)];
    std::vector<bool> removed(lines.size(), false);
    for (std::size_t row : rows) {
        if (row < lines.size()) removed[row] = true;
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!removed[i]) lines[kept++] = std::move(lines[i]);
    }
    lines.resize(kept);
}

void IncludeDirectoryEditor::restoreDefault()
{
    m_working = m_stored;
    m_current = shownIndex(m_storedIndex);
}

void IncludeDirectoryEditor::resetPath()
{
    frontend::fillDefaultIncludeLists(m_products ? m_products() : frontend::ProductDirectories{}, m_working);
}

void IncludeDirectoryEditor::accept()
{
    m_stored = m_working;
    m_storedIndex = m_current;
}

}  // namespace qm::session
