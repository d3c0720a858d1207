// IncludeDirectoryEditor: the "Include File Directory" dialog without its window. It works on
// copies of the four include-directory lists: the drop-down list picks which copy the list box
// shows and edits, "Default" takes the stored lists again, "Reset Path" fills the copies from
// the installed compilers, and accept() (OK) stores the copies and the chosen list.
#pragma once

#include "frontend/option_files.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qm::session {

class IncludeDirectoryEditor {
public:
    using ProductSource = std::function<frontend::ProductDirectories()>;

    // `lists` and `selected` are the stored lists and the "Include Directory" setting; they are
    // written only by accept(). `products` names the installed compilers' folders for "Reset
    // Path".
    IncludeDirectoryEditor(frontend::IncludeDirectoryLists& lists, std::int32_t& selected,
                           ProductSource products = frontend::installedProductDirectories);

    // The list the drop-down shows (0 to 3) and the lines of its working copy.
    int currentIndex() const noexcept { return m_current; }
    const std::vector<std::string>& currentLines() const { return m_working.lists[static_cast<std::size_t>(m_current)]; }
    const frontend::IncludeDirectoryLists& working() const noexcept { return m_working; }

    // A new choice in the drop-down list; an index outside 0 to 3 is ignored.
    void select(int index);
    // "Append": the folder goes to the end of the shown list.
    void append(const std::string& directory);
    // "Remove": the lines at `rows` of the shown list go (any order; rows out of range are
    // ignored).
    void remove(const std::vector<std::size_t>& rows);
    // "Default": the stored lists and the stored choice again.
    void restoreDefault();
    // "Reset Path": lists 0 to 2 are refilled from the installed compilers (those not installed
    // keep their lines); the choice stays.
    void resetPath();
    // "OK": the working lists and the choice become the stored ones.
    void accept();

private:
    frontend::IncludeDirectoryLists& m_stored;
    std::int32_t& m_storedIndex;
    ProductSource m_products;
    frontend::IncludeDirectoryLists m_working;
    int m_current = 0;
};

}  // namespace qm::session
