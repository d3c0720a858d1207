// Token and TokenCode: one lexeme of a source file and the code space that every stage of the
// analysis shares. Codes up to 254 are single characters and stand for themselves ('{', ';');
// the named codes come from token_codes.def.
#pragma once

#include "model/token_string.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm::model {

namespace tok {
enum TokenCode : std::int32_t {
#define TOKEN(Name, code, spelling) Name = code,
#include "model/token_codes.def"
};

constexpr std::int32_t kFirstKeyword = And;
constexpr std::int32_t kLastKeyword = XorEq;
constexpr std::int32_t kFirstDirective = Include;
constexpr std::int32_t kLastDirective = Declspec;
static_assert(kLastKeyword + 1 == kFirstDirective, "directive words follow the reserved words");
static_assert(kFirstKeyword == HashHash + 1, "reserved words follow the operators");
static_assert(kLastDirective < 512, "a token keeps its code in 9 bits");
}  // namespace tok

using TokenCode = std::int32_t;

// True for the codes whose tokens carry a text: literals, identifiers and header names.
constexpr bool carriesText(TokenCode code) noexcept
{
    return code >= tok::StringLiteral && code <= tok::AngleInclude && code != tok::Reserved;
}

// The name of a token class ("Identifier", "string", ...) or "" for codes without one.
std::string_view tokenClassName(TokenCode code) noexcept;

// The fixed spelling of an operator, reserved word or directive word (269 to 380); "" otherwise.
std::string_view fixedSpelling(TokenCode code) noexcept;

// The line and the code share one 32-bit word, so that a token takes 12 bytes: a project's
// tokens are most of what an analysis keeps.
struct Token {
    // The highest line a token records: tokens further down a longer file carry this one.
    static constexpr std::int32_t kMaxLine = (1 << 22) - 1;

    std::int32_t line : 23 = 0;               // 0 to kMaxLine
    std::uint32_t code : 9 = tok::EndOfInput;  // every TokenCode fits
    TokenString text;  // only for codes where carriesText() holds

    Token() = default;
    Token(std::int32_t atLine, TokenCode tokenCode, TokenString tokenText = {}) noexcept
        : line(clampLine(atLine)), code(static_cast<std::uint32_t>(tokenCode)), text(std::move(tokenText))
    {
    }
    static constexpr std::int32_t clampLine(std::int32_t value) noexcept
    {
        return value < 0 ? 0 : value > kMaxLine ? kMaxLine : value;
    }

    bool is(TokenCode c) const noexcept { return code == c; }
    template <typename... Codes>
    bool isOneOf(Codes... codes) const noexcept
    {
        return ((code == static_cast<TokenCode>(codes)) || ...);
    }
    friend bool operator==(const Token& a, const Token& b) noexcept
    {
        return a.line == b.line && a.code == b.code && a.text == b.text;
    }
};

}  // namespace qm::model

#include "model/token_refs.h"  // the sequences of token references, which need Token whole
