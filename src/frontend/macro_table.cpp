#include "frontend/macro_table.h"

#include <cassert>
#include <unordered_set>

namespace qm::frontend {

namespace {

// Spreads the bits of `x` over the whole word (the finaliser of splitmix64).
std::uint64_t mix(std::uint64_t x) noexcept
{
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ULL;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebULL;
    x ^= x >> 31;
    return x;
}

std::uint64_t combine(std::uint64_t seed, std::uint64_t value) noexcept
{
    return mix(seed ^ (value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2)));
}

std::uint64_t hashText(std::string_view text) noexcept
{
    return std::hash<std::string_view>{}(text);
}

}  // namespace

std::uint64_t MacroDefinition::contentHash() const noexcept
{
    std::uint64_t h = combine(functionLike ? 1 : 2, variadic ? 3 : 4);
    if (undefined) h = combine(h, 5);
    h = combine(h, parameters.size());
    for (const std::string& p : parameters) h = combine(h, hashText(p));
    h = combine(h, replacement.size());
    for (const model::Token& t : replacement) {
        h = combine(h, static_cast<std::uint64_t>(static_cast<std::uint32_t>(t.code)));
        if (model::carriesText(t.code)) h = combine(h, hashText(t.text.view()));
    }
    return h;
}

MacroTable::MacroTable(const MacroTable& other)
    : m_macros(other.m_macros),
      m_base(other.m_base),
      m_filter(other.m_filter),
      m_writes(other.m_writes),
      m_replacementTokens(other.m_replacementTokens),
      m_fingerprint(other.m_fingerprint)
{
}

MacroTable MacroTable::layeredOn(std::shared_ptr<const MacroTable> base)
{
    MacroTable table;
    if (!base) return table;
    assert(!base->m_base);
    table.m_filter = base->m_filter;
    table.m_writes = base->m_writes;
    table.m_replacementTokens = base->m_replacementTokens;
    table.m_fingerprint = base->m_fingerprint;
    table.m_base = std::move(base);
    return table;
}

std::size_t MacroTable::size() const noexcept
{
    std::size_t n = 0;
    for (const auto& [name, entry] : m_macros) n += !entry.definition->undefined;
    if (!m_base) return n;
    for (const auto& [name, entry] : m_base->m_macros) {
        n += !entry.definition->undefined && !m_macros.contains(name);
    }
    return n;
}

MacroTable& MacroTable::operator=(const MacroTable& other)
{
    if (this != &other) *this = MacroTable(other);
    return *this;
}

void MacroTable::define(MacroDefinitionPtr definition)
{
    const std::uint64_t contribution = combine(hashText(definition->name), definition->hash);
    m_replacementTokens += definition->replacement.size();
    auto it = m_macros.find(std::string_view(definition->name));
    if (it != m_macros.end()) {
        m_replacementTokens -= it->second.definition->replacement.size();
        m_fingerprint -= it->second.contribution;
        it->second.definition = std::move(definition);
    } else if (const Entry* hidden = m_base ? m_base->lookup(definition->name) : nullptr) {
        // A name of the base: defined here, it hides the base's entry from now on.
        m_replacementTokens -= hidden->definition->replacement.size();
        m_fingerprint -= hidden->contribution;
        std::string key = definition->name;
        it = m_macros.emplace(std::move(key), Entry{std::move(definition), 0}).first;
    } else {
        std::string key = definition->name;
        const std::size_t hash = Hash{}(key);
        if (m_filter.empty()) m_filter.assign(kFilterBits / 64, 0);
        for (int which = 0; which < 2; ++which) {
            const std::uint64_t bit = filterBit(hash, which);
            m_filter[bit >> 6] |= std::uint64_t{1} << (bit & 63);
        }
        it = m_macros.emplace(std::move(key), Entry{std::move(definition), 0}).first;
    }
    it->second.contribution = contribution;
    it->second.written = ++m_writes;
    m_fingerprint += contribution;
    m_journal.push_back(&it->first);
}

std::vector<MacroDefinitionPtr> MacroTable::changesSince(std::size_t mark) const
{
    std::vector<MacroDefinitionPtr> changes;
    std::unordered_set<const std::string*> seen;
    for (std::size_t i = mark; i < m_journal.size(); ++i) {
        const std::string* name = m_journal[i];
        if (!seen.insert(name).second) continue;
        changes.push_back(m_macros.find(std::string_view(*name))->second.definition);
    }
    return changes;
}

void MacroTable::beginReads()
{
    m_readSets.push_back(ReadSet{m_writes, {}, {}, {}});
}

std::vector<std::pair<std::string, std::uint64_t>> MacroTable::endReads()
{
    if (m_readSets.empty()) return {};
    ReadSet closed = std::move(m_readSets.back());
    m_readSets.pop_back();
    if (!m_readSets.empty()) {
        // A read of the inner set is a read of the outer one's state when nothing defined its
        // name between the two openings.
        ReadSet& outer = m_readSets.back();
        for (std::size_t i = 0; i < closed.reads.size(); ++i) {
            if (closed.written[i] > outer.opened) continue;
            if (!outer.seen.insert(closed.reads[i].first).second) continue;
            outer.reads.push_back(closed.reads[i]);
            outer.written.push_back(closed.written[i]);
        }
    }
    return std::move(closed.reads);
}

void MacroTable::noteRead(std::string_view name, const Entry* entry) const
{
    ReadSet& set = m_readSets.back();
    if (entry && entry->written > set.opened) return;  // defined inside: not a read of the state
    if (set.seen.find(name) != set.seen.end()) return;
    set.seen.emplace(name);
    set.reads.emplace_back(std::string(name), entry ? entry->contribution : 0);
    set.written.push_back(entry ? entry->written : 0);
}

void MacroTable::noteReads(const std::vector<MacroRead>& reads) const
{
    if (m_readSets.empty()) return;
    for (const MacroRead& read : reads) {
        const std::string_view name = *read.name;
        noteRead(name, lookup(name));
    }
}

bool MacroTable::agrees(const std::vector<MacroRead>& reads) const
{
    for (const MacroRead& read : reads) {
        if (identity(*read.name) != read.identity) return false;
    }
    return true;
}

void MacroTable::defineValue(const std::string& name, long value)
{
    MacroDefinition definition;
    definition.name = name;
    model::Token token;
    token.line = 0;
    token.code = model::tok::DecimalInteger;
    token.text = std::to_string(value);
    definition.replacement.push_back(std::move(token));
    define(std::move(definition));
}

}  // namespace qm::frontend
