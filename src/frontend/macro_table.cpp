#include "frontend/macro_table.h"

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
    h = combine(h, parameters.size());
    for (const std::string& p : parameters) h = combine(h, hashText(p));
    h = combine(h, replacement.size());
    for (const model::Token& t : replacement) {
        h = combine(h, static_cast<std::uint64_t>(static_cast<std::uint32_t>(t.code)));
        if (model::carriesText(t.code)) h = combine(h, hashText(t.text.view()));
    }
    return h;
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
    } else {
        std::string key = definition->name;
        it = m_macros.emplace(std::move(key), Entry{std::move(definition), 0}).first;
    }
    it->second.contribution = contribution;
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
