// ProjectFileList: the source files of the project, each with a flag that says whether runs
// analyse it. The list keeps paths as they were added; `normalized` sorts them byte-wise and
// drops duplicates.
#pragma once

#include "frontend/analysis_engine.h"
#include "project/file_kind.h"

#include <string>
#include <vector>

namespace qm::project {

class ProjectFileList {
public:
    const std::vector<std::string>& paths() const noexcept { return m_paths; }
    const std::vector<bool>& selected() const noexcept { return m_selected; }
    std::size_t size() const noexcept { return m_paths.size(); }
    bool empty() const noexcept { return m_paths.empty(); }

    // Appends `path` with its flag set.
    void add(const std::string& path);
    void setSelected(std::size_t index, bool selected) { m_selected.at(index) = selected; }
    void clear();

    // Sorts the paths byte-wise and keeps each once, with the flag of its last occurrence.
    void normalize();

    // Adds `path` when it names a source file; other kinds are left to the caller (importers) or
    // ignored. Returns the kind found.
    FileKind addByKind(const std::string& path);

    // Adds every source file in `folder`, and in its subfolders when `recurse` is set, in the
    // order the file system lists them. Unreadable folders are passed over.
    void addFolder(const std::string& folder, bool recurse);

    // The normalised list as a run takes it.
    std::vector<frontend::ProjectEntry> runEntries() const;

private:
    std::vector<std::string> m_paths;
    std::vector<bool> m_selected;
};

}  // namespace qm::project
