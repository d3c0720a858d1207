// RecentFiles: the project files opened or saved last, newest first, at most eight; the File
// menu lists them. They are kept between sessions in the section "Recent File List" of the
// settings store, as "File1" (newest) to "File8".
#pragma once

#include "settings/settings_store.h"

#include <cstddef>
#include <string>
#include <vector>

namespace qm::settings {

class RecentFiles {
public:
    static constexpr std::size_t kMaxFiles = 8;

    // Puts `path` first; an earlier entry of the same path moves up rather than staying twice, and
    // the oldest entry falls off beyond kMaxFiles. An empty path is not kept.
    void add(const std::string& path);
    // Drops `path` (a file that could not be opened any more).
    void remove(const std::string& path);
    const std::vector<std::string>& files() const noexcept { return m_files; }

    // Reads "Recent File List/File1" onwards up to the first missing entry; a store that cannot
    // be opened gives an empty list.
    void load(SettingsStore& store);
    // Writes every entry (and empties those beyond the list) and flushes; false on failure.
    bool save(SettingsStore& store) const;

private:
    std::vector<std::string> m_files;
};

}  // namespace qm::settings
