// QtSettingsStore implements SettingsStore: the desktop program's options in an INI file that
// QSettings reads, by default Quillmarsh.ini in the per-user configuration folder.
#pragma once

#include "settings/settings_store.h"

#include <QSettings>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace qm::app {

// A name "Group/Name" is the entry Name of the INI section [Group]; a name without a group is an
// entry of [General]. Integers are written as decimal numbers, texts as QSettings writes strings.
//
// Writes are kept in memory until flush(), which replaces the whole file at once: it holds either
// its old content or all of the written values. Writes that are never flushed are dropped, and so
// are those of a flush that failed; open() and create() also drop what an earlier, unfinished save
// left. The file should only be written through this class (see flush()).
class QtSettingsStore : public settings::SettingsStore {
public:
    // The store at frontend::configDirectory() / "Quillmarsh.ini".
    QtSettingsStore();
    explicit QtSettingsStore(std::filesystem::path path);
    ~QtSettingsStore() override;

    QtSettingsStore(const QtSettingsStore&) = delete;
    QtSettingsStore& operator=(const QtSettingsStore&) = delete;

    const std::filesystem::path& path() const { return m_path; }

    // False when the file does not exist, is not a regular file or cannot be read.
    bool open() override;
    // True when something (even something unreadable) is at the store's path.
    bool exists() override;
    // Creates the file's folder when it is missing; false when that fails or no file can be
    // created in it. The file itself appears at flush().
    bool create() override;
    // A written value is read back before it is flushed. A text reads as an integer when it is
    // a decimal number ("150", "-2"); anything else, such as "1.5" or "true", reads as none.
    std::optional<std::int64_t> readInteger(const std::string& name) override;
    // Integers read as their decimal text. An INI value with unquoted commas, which QSettings
    // reads as a list, is joined back with ","; blanks around the commas are lost.
    std::optional<std::string> readText(const std::string& name) override;
    // False only for a name that is empty or all slashes.
    bool writeInteger(const std::string& name, std::int64_t value) override;
    bool writeText(const std::string& name, const std::string& value) override;
    // Writes the file when values were written since the last flush, or when create() was called
    // and the file does not exist yet (an empty store). False when the file could not be replaced;
    // the earlier file is then left as it was.
    bool flush() override;

private:
    std::optional<QVariant> readValue(const std::string& name);
    bool saveValues();
    QSettings& reader();

    std::filesystem::path m_path;
    QString m_qtPath;
    // The values written since the last flush, by QSettings key.
    std::map<QString, QVariant> m_pending;
    bool m_createRequested = false;
    // Reads the file; made anew after each flush so that it sees the new file.
    std::unique_ptr<QSettings> m_reader;
};

}  // namespace qm::app
