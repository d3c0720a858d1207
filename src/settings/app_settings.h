// AppSettings: every user option of the program and the lists the preprocessor needs, in one
// object that is filled when the program starts and written back when it ends. In between every
// part of the program reads and changes its fields directly.
#pragma once

#include "frontend/option_files.h"
#include "project/message_reporter.h"
#include "settings/settings_store.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qm::settings {

// The option values, each initialised to its default (see setting_values.def).
struct SettingValues {
#define SETTING_FLAG(member, name, fallback) bool member = fallback;
#define SETTING_INTEGER(member, name, fallback) std::int32_t member = fallback;
#define SETTING_TEXT(member, name, fallback) std::string member = fallback;
#include "settings/setting_values.def"

    bool operator==(const SettingValues&) const = default;
};

// The name each value is stored under: valueName::showCode is "Show Code".
namespace valueName {
#define SETTING_FLAG(member, name, fallback) inline constexpr std::string_view member = name;
#define SETTING_INTEGER(member, name, fallback) inline constexpr std::string_view member = name;
#define SETTING_TEXT(member, name, fallback) inline constexpr std::string_view member = name;
#include "settings/setting_values.def"
}  // namespace valueName

// The two sort keys of "Macro View Sort".
inline constexpr std::int32_t kSortBySize = 0;
inline constexpr std::int32_t kSortByName = 1;

// What loading and saving the values report. A failed load shows its text followed by
// kLoadDefaultSuffix; a failed save shows its text alone.
inline constexpr std::string_view kOpenError = "Regstree Open Error.";
inline constexpr std::string_view kReadIntegerError = "Regstree Read Integer Error.";
inline constexpr std::string_view kReadStringError = "Regstree Read String Error.";
inline constexpr std::string_view kLoadDefaultSuffix = " - load default option";
inline constexpr std::string_view kCreateError = "Regstree Create Error.";
inline constexpr std::string_view kWriteIntegerError = "Regstree Write Integer Error.";
inline constexpr std::string_view kWriteStringError = "Regstree Write String Error.";
// The written values could not be made durable (the store's file could not be replaced).
inline constexpr std::string_view kCloseError = "Regstree Close Error.";

// Where the two option files live.
struct OptionFilePaths {
    std::filesystem::path predefinedWords;
    std::filesystem::path includeLists;

    // predefined.ini and Include.ini in the per-user configuration folder.
    static OptionFilePaths inConfigDirectory();
};

class AppSettings {
public:
    // Loads the option files from the configuration folder, then the values from `store`
    // (see load()). Saving creates the folder when it is missing. `store` and `messages` must
    // outlive the settings.
    AppSettings(SettingsStore& store, project::MessageReporter& messages);
    // The same with the option files at `files`; their folders are not created.
    AppSettings(SettingsStore& store, project::MessageReporter& messages, OptionFilePaths files);
    // Saves: the option files, then the values (see save()). Failures are shown, never thrown.
    ~AppSettings();

    AppSettings(const AppSettings&) = delete;
    AppSettings& operator=(const AppSettings&) = delete;

    SettingValues values;
    // The four include-directory lists; values.includeDirectory picks the one a run uses.
    frontend::IncludeDirectoryLists includeLists;
    // The global predefined words (predefined.ini). The project's own defines are kept and
    // stored by the project document.
    frontend::PredefinedWordList predefinedWords;

    // Sets every value to its default and empties the lists, then loadFiles(), then loadValues().
    void load();
    // Reads predefined.ini and then Include.ini. A missing file is no error: the words stay
    // empty and the include lists get their defaults.
    void loadFiles();
    // Reads the values from the store in the order of setting_values.def, stopping at the first
    // that fails; a flag is true only when its stored integer is exactly 1. Values read before
    // the failure keep what was read, the others keep what they had. A failure shows its text
    // (kOpenError when the store cannot be opened, kReadIntegerError or kReadStringError when a
    // value is missing or unreadable) followed by kLoadDefaultSuffix. False after a failure. A
    // store that does not exist yet (a first start) keeps the defaults without a message.
    bool loadValues();

    // saveFiles(), then saveValues() even when the files failed; true when both succeeded.
    bool save();
    // Writes predefined.ini and then Include.ini, each replacing the old file whole or leaving it
    // untouched. Each failure is shown ("<path> : cannot write file", or "<folder> : cannot
    // create folder" for a configuration folder that cannot be made); false after any.
    bool saveFiles();
    // Writes the values in the order they are read, then flushes the store. The first failure
    // shows kCreateError, kWriteIntegerError, kWriteStringError or kCloseError and ends the save
    // (later values are not written); false then.
    bool saveValues();

    const OptionFilePaths& files() const { return m_files; }
    // The include-directory list values.includeDirectory selects (empty when out of range).
    const std::vector<std::string>& selectedIncludeList() const;

private:
    SettingsStore& m_store;
    project::MessageReporter& m_messages;
    OptionFilePaths m_files;
    bool m_createConfigFolder = false;
};

}  // namespace qm::settings
