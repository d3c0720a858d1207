#include "settings/app_settings.h"

#include <exception>
#include <limits>
#include <optional>
#include <utility>

namespace qm::settings {

namespace {

// The stored integer of `name` when it is there and fits the 32 bits the values are kept in.
std::optional<std::int32_t> readInt32(SettingsStore& store, std::string_view name)
{
    const std::optional<std::int64_t> value = store.readInteger(std::string(name));
    if (!value || *value < std::numeric_limits<std::int32_t>::min()
        || *value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*value);
}

bool readValue(SettingsStore& store, std::string_view name, bool& flag)
{
    const std::optional<std::int32_t> value = readInt32(store, name);
    if (!value) return false;
    flag = *value == 1;  // 2 or -1 are not "true"
    return true;
}

bool readValue(SettingsStore& store, std::string_view name, std::int32_t& integer)
{
    const std::optional<std::int32_t> value = readInt32(store, name);
    if (!value) return false;
    integer = *value;
    return true;
}

bool readValue(SettingsStore& store, std::string_view name, std::string& text)
{
    std::optional<std::string> value = store.readText(std::string(name));
    if (!value) return false;
    text = std::move(*value);
    return true;
}

// The first value that cannot be read stops the reading; its error text is returned.
std::optional<std::string_view> readValues(SettingsStore& store, SettingValues& values)
{
#define SETTING_FLAG(member, name, fallback) \
    if (!readValue(store, name, values.member)) return kReadIntegerError;
#define SETTING_INTEGER(member, name, fallback) \
    if (!readValue(store, name, values.member)) return kReadIntegerError;
#define SETTING_TEXT(member, name, fallback) \
    if (!readValue(store, name, values.member)) return kReadStringError;
#define SETTING_ADDED_INTEGER(member, name, fallback) readValue(store, name, values.member);
#include "settings/setting_values.def"
    return std::nullopt;
}

// The first value that cannot be written stops the writing; its error text is returned.
std::optional<std::string_view> writeValues(SettingsStore& store, const SettingValues& values)
{
#define SETTING_FLAG(member, name, fallback) \
    if (!store.writeInteger(std::string(name), values.member ? 1 : 0)) return kWriteIntegerError;
#define SETTING_INTEGER(member, name, fallback) \
    if (!store.writeInteger(std::string(name), values.member)) return kWriteIntegerError;
#define SETTING_TEXT(member, name, fallback) \
    if (!store.writeText(std::string(name), values.member)) return kWriteStringError;
#include "settings/setting_values.def"
    return std::nullopt;
}

}  // namespace

OptionFilePaths OptionFilePaths::inConfigDirectory()
{
    return OptionFilePaths{frontend::predefinedWordsPath(), frontend::includeListsPath()};
}

AppSettings::AppSettings(SettingsStore& store, project::MessageReporter& messages)
    : AppSettings(store, messages, OptionFilePaths::inConfigDirectory())
{
    m_createConfigFolder = true;
}

AppSettings::AppSettings(SettingsStore& store, project::MessageReporter& messages, OptionFilePaths files)
    : m_store(store), m_messages(messages), m_files(std::move(files))
{
    load();
}

AppSettings::~AppSettings()
{
    try {
        save();
    } catch (...) {
        // A message sink that throws while the program ends has nowhere left to report to.
    }
}

void AppSettings::load()
{
    values = SettingValues{};
    includeLists = frontend::IncludeDirectoryLists{};
    predefinedWords.clear();
    loadFiles();
    loadValues();
}

void AppSettings::loadFiles()
{
    const auto report = [this](std::string_view message) { m_messages.show(message); };
    predefinedWords = frontend::loadPredefinedWords(m_files.predefinedWords, report);
    frontend::loadIncludeLists(m_files.includeLists, includeLists, report);
}

bool AppSettings::loadValues()
{
    std::optional<std::string_view> error;
    if (!m_store.open()) {
        // A first start has nothing stored yet: the defaults are what the user expects, without
        // a message that sounds like a fault.
        if (!m_store.exists()) return false;
        error = kOpenError;
    } else {
        error = readValues(m_store, values);
    }
    if (!error) return true;
    m_messages.show(std::string(*error) + std::string(kLoadDefaultSuffix));
    return false;
}

bool AppSettings::save()
{
    const bool filesSaved = saveFiles();
    const bool valuesSaved = saveValues();
    return filesSaved && valuesSaved;
}

bool AppSettings::saveFiles()
{
    if (m_createConfigFolder) {
        try {
            frontend::ensureConfigDirectory();
        } catch (const std::exception& e) {
            m_messages.show(e.what());  // neither file can be written without their folder
            return false;
        }
    }
    bool saved = true;
    try {
        frontend::savePredefinedWords(m_files.predefinedWords, predefinedWords);
    } catch (const std::exception& e) {
        m_messages.show(e.what());
        saved = false;
    }
    try {
        frontend::saveIncludeLists(m_files.includeLists, includeLists);
    } catch (const std::exception& e) {
        m_messages.show(e.what());
        saved = false;
    }
    return saved;
}

bool AppSettings::saveValues()
{
    std::optional<std::string_view> error;
    if (!m_store.create()) {
        error = kCreateError;
    } else {
        error = writeValues(m_store, values);
        if (!error && !m_store.flush()) error = kCloseError;
    }
    if (!error) return true;
    m_messages.show(*error);
    return false;
}

const std::vector<std::string>& AppSettings::selectedIncludeList() const
{
    return frontend::selectIncludeList(includeLists, values.includeDirectory);
}

}  // namespace qm::settings
