#include "frontend/preprocessed_registry.h"

namespace qm::frontend {

bool PreprocessedRegistry::contains(const std::string& path, const model::FileStamp& stamp) const
{
    return m_entries.find(Key{path, stamp}) != m_entries.end();
}

model::SourceUnit* PreprocessedRegistry::lookup(const std::string& path, const model::FileStamp& stamp,
                                                std::size_t count) const
{
    const auto it = m_entries.find(Key{path, stamp});
    if (it == m_entries.end()) return nullptr;
    const auto unit = it->second.find(count);
    return unit == it->second.end() ? nullptr : unit->second;
}

void PreprocessedRegistry::insert(const std::string& path, const model::FileStamp& stamp, std::size_t count,
                                  model::SourceUnit* unit)
{
    m_entries[Key{path, stamp}][count] = unit;
}

void PreprocessedRegistry::eraseUnit(const model::SourceUnit& unit)
{
    const auto it = m_entries.find(Key{unit.fileName, unit.stamp});
    if (it == m_entries.end()) return;
    const auto entry = it->second.find(unit.tokens.size());
    if (entry != it->second.end() && entry->second == &unit) {
        it->second.erase(entry);
        if (it->second.empty()) m_entries.erase(it);
    }
}

}  // namespace qm::frontend
