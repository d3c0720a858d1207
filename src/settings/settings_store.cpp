#include "settings/settings_store.h"

namespace qm::settings {

bool MemorySettingsStore::create()
{
    if (!creatable) return false;
    present = true;
    openable = true;
    return true;
}

std::optional<std::int64_t> MemorySettingsStore::readInteger(const std::string& name)
{
    const auto it = integers.find(name);
    if (it == integers.end()) return std::nullopt;
    return it->second;
}

std::optional<std::string> MemorySettingsStore::readText(const std::string& name)
{
    const auto it = texts.find(name);
    if (it == texts.end()) return std::nullopt;
    return it->second;
}

bool MemorySettingsStore::writeInteger(const std::string& name, std::int64_t value)
{
    if (!writable || unwritable.count(name) != 0) return false;
    integers[name] = value;
    return true;
}

bool MemorySettingsStore::writeText(const std::string& name, const std::string& value)
{
    if (!writable || unwritable.count(name) != 0) return false;
    texts[name] = value;
    return true;
}

}  // namespace qm::settings
