#include "frontend/preprocessed_registry.h"

#include <algorithm>
#include <optional>

namespace qm::frontend {

namespace {

// The length of a unit's preprocessed sequence, newlines taken out included.
std::size_t fullCount(const model::SourceUnit& unit)
{
    return unit.tokens.size() + unit.lineBreaks.size();
}

}  // namespace

TokenHashes hashTokens(const std::vector<model::Token>& tokens, const model::LineBreaks& breaks) noexcept
{
    // An FNV-style hash and a multiply-rotate mix over (code, text), seeded apart, so that two
    // contents that collide in one hardly collide in both. Each text is hashed once for both.
    // Where newlines were left out, and how many, is mixed in first.
    std::uint64_t h = 0xcbf29ce484222325ULL ^ tokens.size();
    std::uint64_t c = 0x9e3779b97f4a7c15ULL + tokens.size();
    breaks.forEachPlace([&](std::size_t position, std::uint32_t count) {
        h = (h ^ position) * 0x100000001b3ULL;
        h = (h ^ count) * 0x100000001b3ULL;
        c = (c ^ (position * 0xff51afd7ed558ccdULL + count)) * 0xc4ceb9fe1a85ec53ULL;
        c = (c << 29) | (c >> 35);
    });
    for (const model::Token& t : tokens) {
        const auto code = static_cast<std::uint32_t>(t.code);
        h = (h ^ code) * 0x100000001b3ULL;
        std::uint64_t v = code;
        if (model::carriesText(t.code)) {
            const std::uint64_t text = std::hash<std::string_view>{}(t.text.view());
            h = (h ^ text) * 0x100000001b3ULL;
            v ^= text * 0xff51afd7ed558ccdULL;
        }
        c = (c ^ v) * 0xc4ceb9fe1a85ec53ULL;
        c = (c << 29) | (c >> 35);
    }
    return {h, c};
}

PreprocessedRegistry::Version* PreprocessedRegistry::find(const std::string& path, const model::FileStamp& stamp)
{
    const auto it = m_versions.find(Key{path, stamp});
    return it == m_versions.end() ? nullptr : &it->second;
}

const PreprocessedRegistry::Version* PreprocessedRegistry::find(const std::string& path,
                                                                const model::FileStamp& stamp) const
{
    const auto it = m_versions.find(Key{path, stamp});
    return it == m_versions.end() ? nullptr : &it->second;
}

bool PreprocessedRegistry::contains(const std::string& path, const model::FileStamp& stamp) const
{
    return find(path, stamp) != nullptr;
}

const PreprocessedRegistry::Outcome* PreprocessedRegistry::outcome(const std::string& path,
                                                                   const model::FileStamp& stamp,
                                                                   std::uint64_t fingerprint) const
{
    const Version* version = find(path, stamp);
    if (!version) return nullptr;
    const auto it = version->outcomes.find(fingerprint);
    return it == version->outcomes.end() ? nullptr : &it->second;
}

const PreprocessedRegistry::Outcome* PreprocessedRegistry::agreeingOutcome(const std::string& path,
                                                                           const model::FileStamp& stamp,
                                                                           const MacroTable& table) const
{
    const Version* version = find(path, stamp);
    if (!version) return nullptr;
    for (const auto& [fingerprint, outcome] : version->outcomes) {
        if (table.agrees(outcome.reads)) return &outcome;
    }
    return nullptr;
}

void PreprocessedRegistry::recordOutcome(const std::string& path, const model::FileStamp& stamp,
                                         std::uint64_t fingerprint, Outcome outcome,
                                         const std::vector<std::pair<std::string, std::uint64_t>>& reads)
{
    // Only a version with a living holder is remembered: everything else goes with it.
    Version* version = find(path, stamp);
    if (!version) return;
    if (version->outcomes.size() >= kMaxOutcomes && !version->outcomes.count(fingerprint)) return;
    for (MacroDefinitionPtr& definition : outcome.changes) definition = intern(definition);
    outcome.reads.clear();
    outcome.reads.reserve(reads.size());
    for (const auto& [name, identity] : reads) outcome.reads.push_back({&*m_readNames.insert(name).first, identity});
    version->outcomes[fingerprint] = std::move(outcome);
}

MacroDefinitionPtr PreprocessedRegistry::intern(const MacroDefinitionPtr& definition)
{
    const std::uint64_t key = definition->hash ^ (std::hash<std::string>{}(definition->name) * 0x9e3779b97f4a7c15ULL);
    auto& slot = m_definitions[key];
    if (MacroDefinitionPtr known = slot.lock()) {
        // Equal 64-bit content hashes are taken as equal content; the name and shape are checked.
        const bool same = known->name == definition->name && known->functionLike == definition->functionLike
            && known->variadic == definition->variadic && known->rescan == definition->rescan
            && known->replacement.size() == definition->replacement.size();
        if (same) return known;
        return definition;  // a different definition with the same key: kept apart
    }
    slot = definition;
    if (m_definitions.size() >= m_purgeAt) {
        std::erase_if(m_definitions, [](const auto& entry) { return entry.second.expired(); });
        m_purgeAt = std::max<std::size_t>(1024, 2 * m_definitions.size());
    }
    return definition;
}

bool PreprocessedRegistry::hasRoomForOutcome(const std::string& path, const model::FileStamp& stamp) const
{
    const Version* version = find(path, stamp);
    return version && version->outcomes.size() < kMaxOutcomes;
}

model::SourceUnit* PreprocessedRegistry::sameContent(const model::SourceUnit& unit, bool hashHolders)
{
    Version* version = find(unit.fileName, unit.stamp);
    if (!version) return nullptr;
    std::optional<TokenHashes> hashes;  // taken only when some holder has as many tokens
    for (Holder& holder : version->holders) {
        if (holder.count != fullCount(unit)) continue;
        if (!holder.hashes) {
            if (!hashHolders) continue;
            holder.hashes = hashTokens(holder.unit->tokens, holder.unit->lineBreaks);
        }
        if (!hashes) hashes = hashTokens(unit.tokens, unit.lineBreaks);
        if (*holder.hashes == *hashes) return holder.unit;
    }
    return nullptr;
}

void PreprocessedRegistry::addHolder(model::SourceUnit& unit, bool hashLater)
{
    std::optional<TokenHashes> hashes;
    if (!hashLater) hashes = hashTokens(unit.tokens, unit.lineBreaks);
    m_versions[Key{unit.fileName, unit.stamp}].holders.push_back(Holder{&unit, fullCount(unit), hashes});
}

const std::vector<model::Token>* PreprocessedRegistry::directives(const std::string& path,
                                                                  const model::FileStamp& stamp) const
{
    const Version* version = find(path, stamp);
    return version ? version->directives.get() : nullptr;
}

void PreprocessedRegistry::setDirectives(const std::string& path, const model::FileStamp& stamp,
                                         std::vector<model::Token> lines)
{
    if (Version* version = find(path, stamp)) {
        version->directives = std::make_unique<std::vector<model::Token>>(std::move(lines));
    }
}

void PreprocessedRegistry::eraseUnit(const model::SourceUnit& unit)
{
    const auto it = m_versions.find(Key{unit.fileName, unit.stamp});
    if (it == m_versions.end()) return;
    Version& version = it->second;
    const auto holder = std::find_if(version.holders.begin(), version.holders.end(),
                                     [&](const Holder& h) { return h.unit == &unit; });
    if (holder == version.holders.end()) return;
    version.holders.erase(holder);
    if (version.holders.empty()) {
        m_versions.erase(it);
        return;
    }
    std::erase_if(version.outcomes, [&](const auto& entry) { return entry.second.holder == &unit; });
}

}  // namespace qm::frontend

