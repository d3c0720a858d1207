// Turning tokens back into source text, for captions, names and log lines.
#pragma once

#include "model/token.h"

#include <span>
#include <string>

namespace qm::model {

// The source text of one token: `"a.h"` for a string, `include<x.h>` for an angle include,
// `->` for the arrow; "Error Token" for codes that have no text (258, 255 to 257, 380 and up).
std::string spellToken(const Token& token);

// Appends spellToken(token) to `out` without a temporary.
void appendSpelling(std::string& out, const Token& token);

// Concatenates the spellings of `tokens`. With `spaced` each token is followed by one blank and
// the final blank is dropped when the result is longer than one character: `a + b`.
std::string TokenText(TokenRefsView tokens, bool spaced);
std::string TokenText(std::span<const Token> tokens, bool spaced);

// Decimal text of an integer, as captions print numbers ("%d").
std::string formatDecimal(long long value);

}  // namespace qm::model
