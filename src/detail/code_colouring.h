// Colouring of source text in the code window: every byte gets a class — plain, keyword,
// comment or literal — from one pass of a small scanner over the text. Keywords are the words of
// a fixed table, matched exactly; a word is a run of letters, so "const" in "const_cast" is a
// keyword and "__int64" never matches.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace qm::detail {

enum class CharClass : std::uint8_t {
    Plain = 0,    // black
    Keyword = 1,  // blue
    Comment = 2,  // dark green
    Literal = 3,  // red: strings and character literals
};

// Whether `word` is one of the code window's keywords (exact, case-sensitive).
bool isCodeKeyword(std::string_view word);

// The class of every byte of `text`. Comments run from "/*" to the next "*/" and from "//" to
// the line break (which they include); literals from a quote to the next unescaped quote of the
// same kind. A comment or literal still open at the end of the text stays plain.
std::vector<CharClass> colourCode(std::string_view text);

}  // namespace qm::detail
