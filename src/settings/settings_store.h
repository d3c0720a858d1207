// SettingsStore: where the program's options persist between sessions, one named value each.
// The desktop program stores them in an INI file through Qt; tests and the command-line program
// use the in-memory store.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>

namespace qm::settings {

// Names are the value names of the options ("Show Code"); an entry of a named section is called
// "<section>/<entry>" ("QuillmarshSettings/WindowPos").
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // Opens the store for reading and writing; false when it does not exist yet (a first start)
    // or cannot be opened at all. The program then keeps its defaults.
    virtual bool open() = 0;
    // Whether the store is there at all. False at a first start, before anything was saved: the
    // program then starts with its defaults and says nothing, while a store that is there but
    // cannot be opened or read is reported.
    virtual bool exists() = 0;
    // Opens the store for writing, creating it when it does not exist yet; false when that fails.
    virtual bool create() = 0;
    // The stored integer or text of `name`; none when the value is missing or cannot be read
    // (for readInteger also when the stored text is not a decimal integer).
    virtual std::optional<std::int64_t> readInteger(const std::string& name) = 0;
    virtual std::optional<std::string> readText(const std::string& name) = 0;
    // False when the value could not be written.
    virtual bool writeInteger(const std::string& name, std::int64_t value) = 0;
    virtual bool writeText(const std::string& name, const std::string& value) = 0;
    // Makes the written values durable; false when that failed. A store kept in a file writes
    // a temporary file beside it and renames it over the old one, so a failure leaves the
    // earlier file whole.
    virtual bool flush() = 0;
};

// Values kept in memory. The switches let tests play a broken store: `present` false is a store
// that does not exist yet, `openable` false one that cannot be opened (create() makes it both), `creatable` false one that cannot be created,
// `writable` false one that takes no writes at all, `unwritable` the names whose writes fail and
// `flushable` false one whose values cannot be made durable.
class MemorySettingsStore : public SettingsStore {
public:
    bool present = true;
    bool openable = true;
    bool creatable = true;
    bool writable = true;
    bool flushable = true;
    std::set<std::string> unwritable;
    std::map<std::string, std::int64_t> integers;
    std::map<std::string, std::string> texts;

    bool open() override { return present && openable; }
    bool exists() override { return present; }
    bool create() override;
    std::optional<std::int64_t> readInteger(const std::string& name) override;
    std::optional<std::string> readText(const std::string& name) override;
    bool writeInteger(const std::string& name, std::int64_t value) override;
    bool writeText(const std::string& name, const std::string& value) override;
    bool flush() override { return writable && flushable; }
};

}  // namespace qm::settings
