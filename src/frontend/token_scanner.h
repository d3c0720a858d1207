// The longest-match scanner that turns the bytes of one source file into tokens.
// At each position it takes the longest text that a lexical rule matches; on equal lengths the
// earlier rule wins (`int` is a reserved word, `"abc"` a string rather than a header name).
// Comments and blanks are dropped; line feeds are tokens. Every reserved word and directive word
// is reserved everywhere, so `line` scans as the directive word, never as an identifier.
//
// The rules, in order:
//   - string `"..."` and character `'...'` literals: plain characters and the escapes \' \" \?
//     \\ \a \b \f \n \r \t \v, one to three octal digits, \x and hex digits; a string may go on
//     over a backslash directly before a line feed; `''` is no character literal. `L` directly
//     before either makes a wide literal of the same code.
//   - header names: `"` anything but `"` and line feed `"` (taken only where the string rule
//     fails), and the word `include` followed by blanks or tabs and `<` anything but `>` and line
//     feed `>`, which is one token holding the name; without the `>` on that line `include` is
//     the directive word.
//   - numbers: decimal, octal (leading 0) and hexadecimal integers with an optional u/l suffix
//     pair, floating literals with fraction, exponent and f/l suffix; the longest of them wins,
//     so `09` is `0` `9`, `0x` is `0` `x`, `1.` is floating and `1ull` is `1ul` `l`.
//   - identifiers and the reserved and directive words (token_codes.def).
//   - punctuators, longest first: `->*` before `->` before `-`, so `->>` is `->` `>` and `....`
//     is `...` `.`.
//   - comments `/* */` (a NUL byte also ends one; a file that ends inside one ends in an error
//     token) and `//` to the line end; blanks, tabs, CR, VT and FF.
//   - any other byte is an error token with the message
//     "---------- Error Unkonwn Token  ---------- <@>", one line each.
// A token's line is the line it ends on; a newline token carries the line it ends. Attempts of
// the quote rules remember where they failed, so that a line of unmatched quotes is scanned in
// linear time.
#pragma once

#include "frontend/tokenize_file.h"
#include "model/token.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace qm::frontend {

// How the scanner reads a CR directly before a line feed: as written (a blank), or as if the
// input had been through foldCrLf. The two differ only inside a string literal that goes on over
// a backslash at the end of a line: with CrLf::AsLineFeed a backslash before CR LF continues it
// like a backslash before LF, and the CR is left out of the literal's text.
enum class CrLf { AsWritten, AsLineFeed };

// How the scanner walks its input. ScanMode::Fastest classifies 64 bytes at a time where the
// processor has the instructions for it (AVX2 and BMI2; AVX-512 VBMI where there) and goes token
// by token elsewhere and over the last 80 bytes. ScanMode::Avx2Blocks is the same without
// AVX-512, and ScanMode::TokenByToken always goes token by token. The tokens and messages are
// the same in every mode; tests compare them.
enum class ScanMode { Fastest, Avx2Blocks, TokenByToken };

// Replaces `tokens` with the tokens of `input`. A backslash token directly followed by a newline
// token vanishes together with that newline. Unknown-character messages are handed to
// `diagnostics` in pieces of whole lines: whenever 64 KiB have gathered after an error token, and
// the rest at the end. tokenizeText is this with CrLf::AsWritten.
//
// When the input has more than `maxTokens` tokens, the scan ends early (a few hundred tokens
// later at most), the tokens are cut to `maxTokens` and false is returned.
bool scanTokens(std::string_view input, CrLf crLf, std::vector<model::Token>& tokens,
                const DiagnosticsWriter& diagnostics, ScanMode mode = ScanMode::Fastest,
                std::size_t maxTokens = SIZE_MAX);

}  // namespace qm::frontend
