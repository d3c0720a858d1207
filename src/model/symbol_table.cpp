#include "model/symbol_table.h"

#include <vector>

namespace qm::model {

SymbolEntry::SymbolEntry() = default;
SymbolEntry::SymbolEntry(std::string entryName, NodeKind entryKind, std::int32_t count)
    : name(std::move(entryName)), kind(entryKind), parameterCount(count)
{
}
SymbolEntry::SymbolEntry(SymbolEntry&& other) noexcept
{
    *this = std::move(other);
}

SymbolEntry& SymbolEntry::operator=(SymbolEntry&& other) noexcept
{
    if (this != &other) {
        name = std::move(other.name);
        kind = other.kind;
        isTemplate = other.isTemplate;
        parameterCount = other.parameterCount;
        declarations = std::move(other.declarations);
        definitions = std::move(other.definitions);
        definitionFiles = std::move(other.definitionFiles);
        parent = other.parent;
        children = std::move(other.children);
        adoptChildren();
    }
    return *this;
}

void SymbolEntry::adoptChildren() noexcept
{
    if (!children) {
        return;
    }
    children->m_owner = this;
    for (auto& [key, child] : *children) {
        child.parent = this;
    }
}
SymbolEntry::~SymbolEntry()
{
    // Tables nest as deeply as the scopes of the input; take them apart without recursion.
    std::vector<std::unique_ptr<SymbolTable>> pending;
    if (children) {
        pending.push_back(std::move(children));
    }
    while (!pending.empty()) {
        std::unique_ptr<SymbolTable> table = std::move(pending.back());
        pending.pop_back();
        for (auto& [key, entry] : *table) {
            if (entry.children) {
                pending.push_back(std::move(entry.children));
            }
        }
    }
}

SymbolTable& SymbolEntry::childTable()
{
    if (!children) {
        children = std::make_unique<SymbolTable>();
        children->m_owner = this;
    }
    return *children;
}

std::size_t SymbolEntry::childCount() const noexcept
{
    return children ? children->size() : 0;
}

SymbolEntry* SymbolTable::find(std::string_view name, std::int32_t parameterCount)
{
    auto it = m_entries.find(SymbolKey{name, parameterCount});
    return it == m_entries.end() ? nullptr : &it->second;
}

const SymbolEntry* SymbolTable::find(std::string_view name, std::int32_t parameterCount) const
{
    auto it = m_entries.find(SymbolKey{name, parameterCount});
    return it == m_entries.end() ? nullptr : &it->second;
}

SymbolEntry& SymbolTable::findOrInsert(const std::string& name, std::int32_t parameterCount, NodeKind kind)
{
    const SymbolKey key{name, parameterCount};
    auto it = m_entries.lower_bound(key);
    if (it != m_entries.end() && it->first == key) {
        return it->second;
    }
    it = m_entries.emplace_hint(it, key, SymbolEntry(name, kind, parameterCount));
    // Until here the key viewed the caller's string; from now on it views the entry's own name,
    // which stays where it is (map nodes do not move, and an entry's name is never changed).
    it->first.name = it->second.name;
    it->second.parent = m_owner;
    return it->second;
}

}  // namespace qm::model
