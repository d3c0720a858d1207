// SettingsStore: where the program's options persist between sessions, one named value each.
// The desktop program stores them in an INI file through Qt; tests and the command-line program
// use the in-memory store.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace qm::settings {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // False when the store cannot be opened at all (the program then keeps its defaults).
    virtual bool open() = 0;
    // The stored integer or text of `name`; none when the value is missing or cannot be read.
    virtual std::optional<std::int64_t> readInteger(const std::string& name) = 0;
    virtual std::optional<std::string> readText(const std::string& name) = 0;
    // False when the value could not be written.
    virtual bool writeInteger(const std::string& name, std::int64_t value) = 0;
    virtual bool writeText(const std::string& name, const std::string& value) = 0;
    // Makes the written values durable; false when that failed.
    virtual bool flush() = 0;
};

// Values kept in memory; `openable` and `writable` let tests play a broken store.
class MemorySettingsStore : public SettingsStore {
public:
    bool openable = true;
    bool writable = true;
    std::map<std::string, std::int64_t> integers;
    std::map<std::string, std::string> texts;

    bool open() override { return openable; }
    std::optional<std::int64_t> readInteger(const std::string& name) override;
    std::optional<std::string> readText(const std::string& name) override;
    bool writeInteger(const std::string& name, std::int64_t value) override;
    bool writeText(const std::string& name, const std::string& value) override;
    bool flush() override { return writable; }
};

}  // namespace qm::settings
