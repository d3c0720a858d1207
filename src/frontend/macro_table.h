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
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
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

class MacroTable {
public:
    // The definition of `name`, or null.
    const MacroDefinition* find(std::string_view name) const
    {
        auto it = m_macros.find(name);
        return it == m_macros.end() ? nullptr : it->second.definition.get();
    }
    bool contains(std::string_view name) const { return m_macros.find(name) != m_macros.end(); }

    // Stores `definition`, replacing an older one of the same name.
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

    std::size_t size() const noexcept { return m_macros.size(); }

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
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
    };
    struct Entry {
        MacroDefinitionPtr definition;
        std::uint64_t contribution = 0;  // this entry's share of the fingerprint
    };
    std::unordered_map<std::string, Entry, Hash, std::equal_to<>> m_macros;
    std::vector<const std::string*> m_journal;  // keys of m_macros, which never move
    std::size_t m_replacementTokens = 0;
    std::uint64_t m_fingerprint = 0;
};

}  // namespace qm::frontend
