// MacroTable: the macros known while one project file and everything it includes is
// preprocessed. Replacements are expanded when a macro is defined; only the macros that paste or
// stringise their parameters (or call such a macro with them) are worked on again when used.
//
// The table can say in one number what it holds (fingerprint) and which names were defined since
// a point in time (the journal), so that the engine can keep what a header did to the table and
// replay it into another file's table that was in the same state.
#pragma once

#include "model/token.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace qm::frontend {

struct MacroDefinition {
    std::string name;
    bool functionLike = false;
    // The last parameter takes the remaining arguments with their commas: `...` (named
    // __VA_ARGS__) or `name...`.
    bool variadic = false;
    // The replacement pastes (`##`), stringises (`#` before a parameter) or holds a call that
    // could only be expanded with the arguments: a use substitutes the arguments (expanded first,
    // unless they are operands of `#` or `##`), applies `#` and `##`, and scans the result again.
    bool rescan = false;
    std::vector<std::string> parameters;
    std::vector<model::Token> replacement;
    std::uint64_t hash = 0;  // contentHash(), worked out once when the table stores it
    // Made by `#undef`: the name is not defined from here on. Stored like a definition, so that
    // what a header undefines is replayed into other tables like what it defines.
    bool undefined = false;

    // Index of `name` among the parameters, or -1.
    int parameterIndex(std::string_view word) const noexcept
    {
        for (std::size_t i = 0; i < parameters.size(); ++i) {
            if (parameters[i] == word) return static_cast<int>(i);
        }
        return -1;
    }

    // A hash of everything but the name: equal definitions give equal hashes.
    std::uint64_t contentHash() const noexcept;
};

using MacroDefinitionPtr = std::shared_ptr<const MacroDefinition>;

// What one lookup of a name found: the name (kept by whoever keeps the read) and the identity of
// its definition then (MacroTable::identity), 0 when it was not defined.
struct MacroRead {
    const std::string* name;
    std::uint64_t identity;
};

class MacroTable {
public:
    MacroTable() = default;
    // A copy holds the same definitions (shared) and fingerprint; its journal and read sets
    // start empty.
    MacroTable(const MacroTable& other);
    MacroTable& operator=(const MacroTable& other);
    MacroTable(MacroTable&&) noexcept = default;
    MacroTable& operator=(MacroTable&&) noexcept = default;

    // A table that starts with every definition of `base` without copying them: names it
    // defines itself hide the base's. `base` must not change afterwards (it is shared, read-only,
    // by every table made from it); a base made from another base is not supported.
    static MacroTable layeredOn(std::shared_ptr<const MacroTable> base);

    // The definition of `name`, or null (also after `#undef`).
    const MacroDefinition* find(std::string_view name) const
    {
        const Entry* entry = lookup(name);
        if (m_recording && !m_readSets.empty()) noteRead(name, entry);
        return entry && !entry->definition->undefined ? entry->definition.get() : nullptr;
    }
    bool contains(std::string_view name) const
    {
        const Entry* entry = lookup(name);
        if (m_recording && !m_readSets.empty()) noteRead(name, entry);
        return entry && !entry->definition->undefined;
    }

    // --- Reads ---------------------------------------------------------------------------------
    // What a header does to the table depends only on the names its directive lines look up.
    // While a read set is open (beginReads ... endReads, nested as includes nest) and recording
    // is on, every lookup of a name that the open set has not seen and that nobody defined since
    // the set was opened is noted with what the name held: the value it had when the set was
    // opened. A closed set passes on to the enclosing one the reads that are reads of its state
    // too. Another table that agrees on every read of a set would see the header do the same.

    void beginReads();
    // Closes the innermost set and returns its reads (name, identity).
    std::vector<std::pair<std::string, std::uint64_t>> endReads();
    // Turns the noting of lookups on or off (the preprocessor turns it on for directive lines,
    // whose lookups decide the macros, and off for the text between them); returns the former
    // setting.
    bool setRecording(bool on) noexcept
    {
        const bool was = m_recording;
        m_recording = on;
        return was;
    }
    bool recording() const noexcept { return m_recording; }
    // Notes the reads of a header applied from a known outcome, as if its lookups ran here.
    void noteReads(const std::vector<MacroRead>& reads) const;
    // Whether every read holds in this table.
    bool agrees(const std::vector<MacroRead>& reads) const;
    // What identifies the current definition of `name` for reads (0 when undefined).
    std::uint64_t identity(std::string_view name) const
    {
        const Entry* entry = lookup(name);
        return entry ? entry->contribution : 0;
    }

    // Stores `definition`, replacing an older one of the same name (an `undefined` one takes the
    // name out of use).
    void define(MacroDefinition definition)
    {
        definition.hash = definition.contentHash();
        define(std::make_shared<const MacroDefinition>(std::move(definition)));
    }
    // Stores a definition that a table stored before (its hash is known), sharing it.
    void define(MacroDefinitionPtr definition);

    // The tokens held by all replacements together.
    std::size_t replacementTokens() const noexcept { return m_replacementTokens; }

    // An object-like macro whose replacement is one decimal token with `value` and line 0, as the
    // predefined words and project defines are seeded.
    void defineValue(const std::string& name, long value);

    // The names defined (not counting those taken out of use by `#undef`).
    std::size_t size() const noexcept;

    // A number that two tables share when they hold the same definitions under the same names,
    // whatever the order they were made in. Kept up to date by every definition.
    std::uint64_t fingerprint() const noexcept { return m_fingerprint; }

    // The journal: every definition appends its name. A mark is the journal's length now;
    // changesSince gives the current definition of each name defined after the mark, in the
    // order of their first definition since then.
    std::size_t journalMark() const noexcept { return m_journal.size(); }
    std::vector<MacroDefinitionPtr> changesSince(std::size_t mark) const;
    // Forgets the journal (when nobody holds a mark any more).
    void clearJournal() noexcept { m_journal.clear(); m_journal.shrink_to_fit(); }

private:
    // Names are short and looked up for every identifier of the text: eight bytes at a time,
    // mixed by multiplication, which is several times cheaper than the library's byte hash.
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept
        {
            constexpr std::uint64_t k = 0x9e3779b97f4a7c15ULL;
            std::uint64_t h = s.size() * k;
            const char* p = s.data();
            std::size_t n = s.size();
            for (; n >= 8; n -= 8, p += 8) {
                std::uint64_t word;
                std::memcpy(&word, p, 8);
                h = (h ^ word) * k;
                h ^= h >> 29;
            }
            if (n > 0) {
                std::uint64_t word = 0;
                std::memcpy(&word, p, n);
                h = (h ^ word) * k;
            }
            h ^= h >> 32;
            return static_cast<std::size_t>(h);
        }
    };
    struct Entry {
        MacroDefinitionPtr definition;
        std::uint64_t contribution = 0;  // this entry's share of the fingerprint
        std::uint64_t written = 0;       // m_writes when it was last defined
    };
    using Map = std::unordered_map<std::string, Entry, Hash, std::equal_to<>>;
    struct ReadSet {
        std::uint64_t opened;  // m_writes when it was opened
        std::vector<std::pair<std::string, std::uint64_t>> reads;  // name, identity
        std::vector<std::uint64_t> written;  // per read: when its name was last defined then (0: never)
        std::unordered_set<std::string, Hash, std::equal_to<>> seen;
    };
    void noteRead(std::string_view name, const Entry* entry) const;

    // Most names looked up are no macros: a filter of two bits per defined name's hash answers
    // most of those without a probe of the map (names are never removed, so bits never clear).
    static constexpr std::size_t kFilterBits = std::size_t{1} << 16;
    static std::uint64_t filterBit(std::uint64_t hash, int which) noexcept
    {
        return (which == 0 ? hash : hash >> 16) & (kFilterBits - 1);
    }
    bool mayHold(std::size_t hash) const noexcept
    {
        if (m_filter.empty()) return false;
        const std::uint64_t a = filterBit(hash, 0);
        const std::uint64_t b = filterBit(hash, 1);
        return ((m_filter[a >> 6] >> (a & 63)) & (m_filter[b >> 6] >> (b & 63)) & 1) != 0;
    }
    const Entry* lookup(std::string_view name) const
    {
        if (!mayHold(Hash{}(name))) return nullptr;
        if (auto it = m_macros.find(name); it != m_macros.end()) return &it->second;
        return m_base ? m_base->lookup(name) : nullptr;
    }

    Map m_macros;  // the definitions made in this table (entries never move)
    std::shared_ptr<const MacroTable> m_base;  // the definitions it started with, if layered
    std::vector<std::uint64_t> m_filter;  // kFilterBits bits once a name is defined (the base's too)
    std::uint64_t m_writes = 0;  // definitions made so far; 1 is the first
    mutable std::vector<ReadSet> m_readSets;
    bool m_recording = false;
    std::vector<const std::string*> m_journal;  // keys of m_macros, which never move
    std::size_t m_replacementTokens = 0;
    std::uint64_t m_fingerprint = 0;
};

}  // namespace qm::frontend
