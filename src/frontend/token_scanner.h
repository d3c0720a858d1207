// TokenScanner: the longest-match scanner that turns the bytes of one source file into tokens.
// At each position it takes the longest text that a lexical rule matches; on equal lengths the
// earlier rule wins (`int` is a reserved word, `"abc"` a string rather than a header name).
// Comments and blanks are dropped; line feeds are tokens. Every reserved word and directive word
// is reserved everywhere, so `line` scans as the directive word, never as an identifier.
#pragma once

#include "model/token.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qm::frontend {

class TokenScanner {
public:
    // Scans `input`, which must outlive the scanner. Line ends are plain line feeds (a caller
    // that reads CR LF files folds them first, as tokenizeFile does). Unknown-character messages
    // are appended to `diagnostics`, one line each:
    // "---------- Error Unkonwn Token  ---------- <@>".
    TokenScanner(std::string_view input, std::string& diagnostics) noexcept;

    // The next token code, or 0 at the end of the input (and on every call after it).
    model::TokenCode nextToken();

    // The text of the token just returned, for the codes that carry one; valid until the next
    // call and only while the input lives.
    std::string_view text() const noexcept { return m_text; }

    // Lines counted so far: starts at 1 and grows with every line feed consumed, also inside
    // comments and continued strings.
    std::int32_t line() const noexcept { return m_line; }


private:
    using Pos = const char*;

    model::TokenCode scanWord();
    model::TokenCode scanNumber();
    model::TokenCode scanDot();
    model::TokenCode scanQuote(char quote, Pos opening);
    model::TokenCode scanOperator(char c);
    model::TokenCode unknownCharacter();
    bool skipBlockComment();

    Pos matchQuoted(Pos opening, char quote);
    Pos scanAngleInclude(Pos afterWord);
    void countLines(Pos from, Pos to) noexcept;

    Pos m_pos;
    Pos m_end;
    std::string_view m_text;
    std::int32_t m_line = 1;
    // Positions before which an attempt of the string, character or angle-include rule is known
    // to fail. Each keeps a line of unmatched quotes from being rescanned once per quote.
    Pos m_stringFailsBefore = nullptr;
    Pos m_charFailsBefore = nullptr;
    Pos m_angleFailsBefore = nullptr;
    std::string* m_diagnostics;
};

}  // namespace qm::frontend
