// The merged model of one analysis run: SymbolEntry and SymbolTable. Entries are keyed by
// (name, parameter count) and come out sorted by name bytes, then by count, which gives the
// macro diagram its default order. A class and a variable of the same name share one entry.
#pragma once

#include "model/analysis_node.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qm::model {

class SymbolTable;

// A table's keys view the names of their own entries (each name is kept once); a key made for a
// lookup views the name looked for.
struct SymbolKey {
    mutable std::string_view name;  // set to the entry's own name once the entry is in its table
    std::int32_t parameterCount = 0;

    // Names compare as byte strings (std::string compares chars as unsigned); ties go to the
    // smaller count.
    friend bool operator<(const SymbolKey& a, const SymbolKey& b) noexcept
    {
        if (int c = a.name.compare(b.name); c != 0) {
            return c < 0;
        }
        return a.parameterCount < b.parameterCount;
    }
    bool operator==(const SymbolKey&) const = default;
};

struct SymbolEntry {
    std::string name;
    NodeKind kind = NodeKind::Unknown;
    std::int32_t isTemplate = 0;
    std::int32_t parameterCount = 0;
    std::vector<const AnalysisNode*> declarations;  // merged nodes without a body
    std::vector<const AnalysisNode*> definitions;   // merged nodes with a body
    // One per definition, same order: the file name of the unit that holds it (it lives as long
    // as the definition node, and a name shared by thousands of definitions is kept once).
    std::vector<std::string_view> definitionFiles;
    SymbolEntry* parent = nullptr;                  // the entry whose table holds this one (kept
                                                    // right as entries are inserted and moved)
    std::unique_ptr<SymbolTable> children;          // created on first insertion

    SymbolEntry();
    SymbolEntry(std::string name, NodeKind kind, std::int32_t parameterCount);
    SymbolEntry(SymbolEntry&&) noexcept;
    SymbolEntry& operator=(SymbolEntry&&) noexcept;
    ~SymbolEntry();

    SymbolKey key() const { return {name, parameterCount}; }

    // The entry's table, created empty on first use.
    SymbolTable& childTable();
    // Number of entries in the child table (0 when there is none).
    std::size_t childCount() const noexcept;

private:
    // Points the child table and its entries at this entry, after a move.
    void adoptChildren() noexcept;
};

class SymbolTable {
public:
    using Map = std::map<SymbolKey, SymbolEntry>;

    // The entry with this key, or null.
    SymbolEntry* find(std::string_view name, std::int32_t parameterCount);
    const SymbolEntry* find(std::string_view name, std::int32_t parameterCount) const;

    // The entry with the key of `name`/`parameterCount`; inserted with `kind` (and this table's
    // entry as its parent) when absent. A found entry keeps its kind.
    SymbolEntry& findOrInsert(const std::string& name, std::int32_t parameterCount, NodeKind kind);

    std::size_t size() const noexcept { return m_entries.size(); }
    bool empty() const noexcept { return m_entries.empty(); }
    Map::iterator begin() noexcept { return m_entries.begin(); }
    Map::iterator end() noexcept { return m_entries.end(); }
    Map::const_iterator begin() const noexcept { return m_entries.begin(); }
    Map::const_iterator end() const noexcept { return m_entries.end(); }

private:
    friend struct SymbolEntry;

    Map m_entries;
    SymbolEntry* m_owner = nullptr;  // the entry this table belongs to: the parent of its entries
};

}  // namespace qm::model
