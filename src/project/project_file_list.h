// ProjectFileList: the source files of the project, each with a flag that says whether runs
// analyse it, and the include directories of the project. The list keeps paths as they were
// added (no case folding, no path clean-up); `normalized` sorts them byte-wise and drops
// duplicates, and everything that reads the list goes through it.
#pragma once

#include "frontend/analysis_engine.h"

#include <cstddef>
#include <string>
#include <vector>

namespace qm::project {

class ProjectFileList {
public:
    const std::vector<std::string>& paths() const noexcept { return m_paths; }
    const std::vector<bool>& selected() const noexcept { return m_selected; }
    std::size_t size() const noexcept { return m_paths.size(); }
    bool empty() const noexcept { return m_paths.empty(); }

    // Appends `path` with its flag set. No duplicate test: `normalized` folds duplicates.
    void add(const std::string& path);

    // Index-based edits of the Project Information dialog; an index out of range throws
    // std::out_of_range.
    void setSelected(std::size_t index, bool selected) { m_selected.at(index) = selected; }
    void setAllSelected(bool selected);
    void removeAt(std::size_t index);
    // Removes the entries at `indices` (any order, duplicates allowed) in one pass; an index out
    // of range throws std::out_of_range and removes nothing.
    void removeAt(const std::vector<std::size_t>& indices);

    // Empties the paths and their flags together; the include directories stay.
    void clear();

    // Sorts the paths byte-wise ('B' before 'a'), keeps each once with the flag of its last
    // occurrence, stores that as the list, and returns the paths.
    const std::vector<std::string>& normalized();

    // The normalised list as a run takes it; the list itself is left as it is.
    std::vector<frontend::ProjectEntry> runEntries() const;

    // The project's include directories. Every run replaces them with the list the settings
    // select; emptying, opening or appending to the project resets them.
    const std::vector<std::string>& includeDirectories() const noexcept { return m_includeDirectories; }
    void setIncludeDirectories(std::vector<std::string> directories) { m_includeDirectories = std::move(directories); }
    void resetIncludeDirectories();

private:
    std::vector<std::string> m_paths;
    std::vector<bool> m_selected;
    std::vector<std::string> m_includeDirectories = frontend::projectResetIncludeDirectories();
};

}  // namespace qm::project
