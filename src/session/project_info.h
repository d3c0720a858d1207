// ProjectInfo: the Project Information dialog without its window. Its rows are the project's
// files in the normalised order, each with the file's selection flag as its check box; the
// check boxes write straight into the flags, so what the list shows is always what the next run
// analyses. Adding files, a folder or dropped files refills the rows; "Remove" takes files out
// of the project and out of the last run's result. Every change sets the changed mark, and the
// project is marked modified when the dialog ends with it set.
#pragma once

#include "session/session.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm::session {

// Shown when "Remove" is pressed while an analysis run is active.
inline constexpr std::string_view kRemoveDuringRunMessage =
    "Files cannot be removed while the analysis runs. Stop it first.";

class ProjectInfo {
public:
    // Normalises the project's list (the rows are its entries). `session` must outlive this.
    explicit ProjectInfo(Session& session);

    std::size_t rowCount() const noexcept { return m_session.project().files().size(); }
    // The full path, or the part after its last '/' when `fullPath` is false.
    std::string rowText(std::size_t row, bool fullPath) const;
    bool isChecked(std::size_t row) const;

    // A check box clicked; a row out of range is ignored.
    void setChecked(std::size_t row, bool checked);
    // "Select All" / "Unselect All".
    void setAllChecked(bool checked);

    // After "Add Files" added through the project: the rows are refilled.
    void filesAdded();
    // "Add Folder": `folder` becomes "Last Path", its files are added (its subfolders too with
    // `recurse`) and the rows are refilled.
    void addFolder(const std::string& folder, bool recurse);
    // Files dropped on the dialog, as on the main window; the rows are refilled.
    void drop(const std::vector<std::string>& paths);

    // "Remove %d files?" for `count` highlighted rows.
    static std::string removeQuestion(std::size_t count);
    enum class RemoveResult { Removed, RunActive };
    // Removes the files of `rows` from the project and from the last run's result (see
    // Session::removeFiles). RunActive, and nothing changes, while a run is active.
    RemoveResult remove(const std::vector<std::size_t>& rows);

    bool changed() const noexcept { return m_changed; }
    // The dialog ends: a changed project is marked modified. Returns changed().
    bool finish();

private:
    void refill();

    Session& m_session;
    bool m_changed = false;
};

}  // namespace qm::session
