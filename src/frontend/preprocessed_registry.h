// PreprocessedRegistry: what a run knows about each file version (path, size, time) it has
// preprocessed, so that a header is read, preprocessed and parsed as few times as possible
// however many files include it:
// - the holders: units that keep a preprocessed content of the version (each content once);
// - the outcomes: for each macro table state (its fingerprint) the version was preprocessed in,
//   the holder of the content it gave (none when it was only replayed), the definitions it
//   made, which turn another table in that same state into the table after the include, and
//   the names its directive lines looked up with what they held: any table that agrees on
//   those gets the same definitions from it;
// - the directive lines of the version, which replay what it does to the macros in any state.
// A version is forgotten, with its outcomes and directive lines, when its last holder goes.
#pragma once

#include "frontend/macro_table.h"
#include "model/source_unit.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace qm::frontend {

// Two independent hashes of the codes and texts of a token sequence (lines left out), and of
// where newlines were left out of it.
struct TokenHashes {
    std::uint64_t hash = 0;
    std::uint64_t check = 0;
    bool operator==(const TokenHashes&) const = default;
};
TokenHashes hashTokens(const std::vector<model::Token>& tokens, const model::LineBreaks& breaks) noexcept;

class PreprocessedRegistry {
public:
    struct Outcome {
        model::SourceUnit* holder = nullptr;      // the unit with the tokens this state gives, if kept
        std::vector<MacroDefinitionPtr> changes;  // the definitions made, in the order first made
        std::vector<MacroRead> reads;             // what its directive lines looked up (names interned)
    };

    // Whether a unit holding content of this file version is alive.
    bool contains(const std::string& path, const model::FileStamp& stamp) const;

    // Outcomes kept per version: states beyond these are replayed, so that files that each
    // define something of their own before an include cannot make the registry grow without end.
    static constexpr std::size_t kMaxOutcomes = 64;

    // The outcome of preprocessing this version with a table of `fingerprint`, or null.
    const Outcome* outcome(const std::string& path, const model::FileStamp& stamp, std::uint64_t fingerprint) const;
    // An outcome of this version whose reads all hold in `table` (what the version does to the
    // macros there), or null.
    const Outcome* agreeingOutcome(const std::string& path, const model::FileStamp& stamp,
                                   const MacroTable& table) const;
    // `reads` as MacroTable::endReads gives them.
    void recordOutcome(const std::string& path, const model::FileStamp& stamp, std::uint64_t fingerprint,
                       Outcome outcome, const std::vector<std::pair<std::string, std::uint64_t>>& reads = {});
    // Whether recordOutcome would keep a new outcome of this version.
    bool hasRoomForOutcome(const std::string& path, const model::FileStamp& stamp) const;

    // The holder of the version of `unit` (its file name and stamp) whose preprocessed sequence
    // equals the unit's, or null. Holders are compared by their token count and two independent
    // hashes, never by their tokens: those belong to the parser once the unit is preprocessed
    // (which may run on another thread, and renames stray directive words). A holder registered
    // with `hashLater` is hashed here when `hashHolders` says its tokens are still its own, and
    // otherwise never matches.
    model::SourceUnit* sameContent(const model::SourceUnit& unit, bool hashHolders);
    // Registers `unit` (its file name, stamp and final tokens) as a holder of its version. Its
    // hashes are taken now, or with `hashLater` when sameContent first needs them. With
    // "Preprocessing Same Name File" off, a version is preprocessed a second time only inside the
    // project file that first holds it (an include of itself), before that file is parsed: the
    // hashes of every other holder would never be asked for.
    void addHolder(model::SourceUnit& unit, bool hashLater = false);

    // The directive lines kept for this version, or null.
    const std::vector<model::Token>* directives(const std::string& path, const model::FileStamp& stamp) const;
    void setDirectives(const std::string& path, const model::FileStamp& stamp, std::vector<model::Token> lines);

    // Called for every unit that is destroyed: when it is a holder, it and the outcomes that name
    // it go, and the whole version goes with its last holder.
    void eraseUnit(const model::SourceUnit& unit);

    bool empty() const noexcept { return m_versions.empty(); }

private:
    struct Key {
        std::string path;
        model::FileStamp stamp;
        auto operator<=>(const Key&) const = default;
    };
    struct Holder {
        model::SourceUnit* unit;
        std::size_t count;                  // of its tokens
        std::optional<TokenHashes> hashes;  // of its tokens, once taken
    };
    struct Version {
        std::vector<Holder> holders;
        std::unordered_map<std::uint64_t, Outcome> outcomes;
        std::unique_ptr<std::vector<model::Token>> directives;
    };
    Version* find(const std::string& path, const model::FileStamp& stamp);
    const Version* find(const std::string& path, const model::FileStamp& stamp) const;

    // The one shared copy of each definition that outcomes keep, by name and content, so that a
    // header replayed in many states keeps each of its definitions once.
    MacroDefinitionPtr intern(const MacroDefinitionPtr& definition);

    std::map<Key, Version> m_versions;
    std::unordered_set<std::string> m_readNames;  // the names of all reads kept, once each
    std::unordered_map<std::uint64_t, std::weak_ptr<const MacroDefinition>> m_definitions;
    std::size_t m_purgeAt = 1024;
};


}  // namespace qm::frontend
