// Helpers for scanner tests: tokenise a text and describe the result compactly.
#pragma once

#include "frontend/tokenize_file.h"
#include "model/token.h"

#include <string>
#include <vector>

namespace qm::frontend::testing {

struct ScanResult {
    std::vector<model::Token> tokens;
    std::string diagnostics;
};

inline ScanResult scan(std::string_view text)
{
    ScanResult result;
    tokenizeText(text, result.tokens, [&](std::string_view d) { result.diagnostics += d; });
    return result;
}

// One word per token: the code, then ":text" for codes that carry a text. `a->b` gives
// "265:a 271 265:b".
inline std::string describe(const std::vector<model::Token>& tokens)
{
    std::string out;
    for (const auto& t : tokens) {
        if (!out.empty()) out += ' ';
        out += std::to_string(t.code);
        if (model::carriesText(t.code)) {
            out += ':';
            out += t.text.view();
        }
    }
    return out;
}

inline std::string describe(std::string_view text)
{
    return describe(scan(text).tokens);
}

// The line of each token, space separated.
inline std::string lines(const std::vector<model::Token>& tokens)
{
    std::string out;
    for (const auto& t : tokens) {
        if (!out.empty()) out += ' ';
        out += std::to_string(t.line);
    }
    return out;
}

}  // namespace qm::frontend::testing
