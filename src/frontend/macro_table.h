// MacroTable: the macros known while one project file and everything it includes is
// preprocessed. Replacements are expanded when a macro is defined, never again when used.
#pragma once

#include "model/token.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qm::frontend {

struct MacroDefinition {
    std::string name;
    bool functionLike = false;
    std::vector<std::string> parameters;
    std::vector<model::Token> replacement;

    // Index of `name` among the parameters, or -1.
    int parameterIndex(std::string_view word) const noexcept
    {
        for (std::size_t i = 0; i < parameters.size(); ++i) {
            if (parameters[i] == word) return static_cast<int>(i);
        }
        return -1;
    }
};

class MacroTable {
public:
    // The definition of `name`, or null.
    const MacroDefinition* find(std::string_view name) const
    {
        auto it = m_macros.find(name);
        return it == m_macros.end() ? nullptr : &it->second;
    }
    bool contains(std::string_view name) const { return m_macros.find(name) != m_macros.end(); }

    // Stores `definition`, replacing an older one of the same name.
    void define(MacroDefinition definition)
    {
        m_replacementTokens += definition.replacement.size();
        auto it = m_macros.find(std::string_view(definition.name));
        if (it != m_macros.end()) {
            m_replacementTokens -= it->second.replacement.size();
            it->second = std::move(definition);
            return;
        }
        std::string key = definition.name;
        m_macros.emplace(std::move(key), std::move(definition));
    }

    // The tokens held by all replacements together.
    std::size_t replacementTokens() const noexcept { return m_replacementTokens; }

    // An object-like macro whose replacement is one decimal token with `value` and line 0, as the
    // predefined words and project defines are seeded.
    void defineValue(const std::string& name, long value);

    std::size_t size() const noexcept { return m_macros.size(); }

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
    };
    std::unordered_map<std::string, MacroDefinition, Hash, std::equal_to<>> m_macros;
    std::size_t m_replacementTokens = 0;
};

}  // namespace qm::frontend
