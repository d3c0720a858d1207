// Helpers for scanner tests: tokenise a text and describe the result compactly.
#pragma once

#include "frontend/token_scanner.h"
#include "frontend/tokenize_file.h"
#include "model/token.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qm::frontend::testing {

struct ScanResult {
    std::vector<model::Token> tokens;
    std::string diagnostics;
};

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

inline ScanResult scanIn(std::string_view text, ScanMode mode, CrLf crLf = CrLf::AsWritten)
{
    ScanResult result;
    scanTokens(text, crLf, result.tokens, [&](std::string_view d) { result.diagnostics += d; }, mode);
    return result;
}

// Reports where `actual` differs from `expected` (tokens, texts, lines, messages).
inline void expectSameScan(const ScanResult& expected, const ScanResult& actual, std::string_view what)
{
    EXPECT_EQ(describe(actual.tokens), describe(expected.tokens)) << what;
    EXPECT_EQ(lines(actual.tokens), lines(expected.tokens)) << what;
    EXPECT_EQ(actual.diagnostics, expected.diagnostics) << what;
}

// Tokenises `text` as tokenizeText does. On the way it checks that the block loops agree with
// the token-by-token loop: on the text as it is, and with blanks after it, which brings every
// byte of it within reach of the block loop (it leaves the last 80 bytes of an input to the
// other loop).
inline ScanResult scan(std::string_view text)
{
    ScanResult result = scanIn(text, ScanMode::TokenByToken);
    const std::string padded = std::string(text) + std::string(96, ' ');
    for (const ScanMode mode : {ScanMode::Fastest, ScanMode::Avx2Blocks}) {
        expectSameScan(result, scanIn(text, mode), "the text as it is");
        expectSameScan(result, scanIn(padded, mode), "blanks after the text");
    }
    return result;
}

inline std::string describe(std::string_view text)
{
    return describe(scan(text).tokens);
}

}  // namespace qm::frontend::testing
