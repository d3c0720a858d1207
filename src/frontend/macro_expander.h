// MacroExpander: the expansion of macro calls that need more than copying a stored replacement.
// A macro whose replacement pastes (`##`) or stringises (`#`) its parameters, or calls such a
// macro with them, is expanded here as compilers do: its arguments are expanded first (unless
// they are operands of `#` or `##`), substituted, `#` and `##` are applied, and the result is
// scanned again for further macros, with the macro itself switched off inside its own result.
//
// Every other macro keeps the simple rules of the preprocessor where the preprocessor meets it:
// arguments are substituted as written and the result is not scanned again. Met inside an
// expansion made here, its result is scanned again too, and an expansion that ends in the name of
// a function-like macro calls it with the arguments written after it (`IIF(c)(then, else)`), as
// compilers do: that is how the macros that paste are used. The operands of `defined` and
// `__has_include` are copied as written. All work is bounded: a budget of tokens for
// everything one expansion produces on the way, a nesting limit, and a limit on the length of a
// pasted token, so that a chain of macros that doubles its result with every step ends with
// ExpansionTooLarge instead of exhausting memory or the stack.
#pragma once

#include "frontend/macro_table.h"
#include "model/error.h"
#include "model/token.h"

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace qm::frontend {

// An expansion that went past one of the limits; nothing of it should be used.
class ExpansionTooLarge : public model::Error {
public:
    ExpansionTooLarge() : model::Error("macro expansion too large") {}
};

// Calls inside calls nest at most this deep.
constexpr int kMaxExpansionDepth = 256;
// A token made by `##` is at most this long.
constexpr std::size_t kMaxPastedTextBytes = 4096;

using TokenSpan = std::span<const model::Token>;

// Splits the tokens between the parentheses of a call into arguments.
//
// For a variadic macro or one that is expanded here (`rescan`), as compilers do: every comma at
// the top level ends an argument, empty arguments count, `f()` has one empty argument when the
// macro has parameters, and the arguments past the named parameters of a variadic macro form its
// last argument, commas included.
//
// For the others, the preprocessor's own rule: a comma at the top level ends a non-empty
// argument, a comma that would end an empty argument belongs to the next one; `f()` has no
// argument, except that a macro of exactly one parameter gets one empty argument.
std::vector<TokenSpan> splitArguments(TokenSpan inside, const MacroDefinition& macro);

// The position of the `)` that closes the `(` at `open` within `tokens`, or npos.
std::size_t closingParen(TokenSpan tokens, std::size_t open);

// `tokens` spelled as the text of a string literal (without the quotes), as `#` makes it: one
// blank between tokens, `"` and `\` inside string and character literals escaped.
std::string stringise(TokenSpan tokens);

class MacroExpander {
public:
    // `budget`: how many tokens the expansions of this expander may produce in all.
    MacroExpander(const MacroTable& macros, std::size_t budget) : m_macros(macros), m_budget(budget) {}

    // Appends to `out` the expansion of a call of `macro` with `args` (as written in the call).
    // Throws ExpansionTooLarge past a limit, and SequenceEndError-like errors never: a parameter
    // without its argument is empty here.
    void expandCall(const MacroDefinition& macro, const std::vector<TokenSpan>& args, std::vector<model::Token>& out);

    // Appends `tokens` to `out` with every macro in them expanded (calls must close inside
    // `tokens` to be expanded).
    void expandList(TokenSpan tokens, std::vector<model::Token>& out);

    // The macro's replacement with `##` applied where it stands between two tokens, for an
    // object-like macro as it is defined. Each pasted token that names an object-like macro is
    // replaced by that macro's replacement (other than `self`).
    std::vector<model::Token> pasteReplacement(const std::vector<model::Token>& replacement, std::string_view self);

private:
    void call(const MacroDefinition& macro, const std::vector<TokenSpan>& args, std::vector<model::Token>& out, int depth);
    void list(TokenSpan tokens, std::vector<model::Token>& out, int depth);
    // Scans `result`, the substituted replacement of `macro`, again into `out`, with `macro`
    // switched off inside it.
    void rescan(const MacroDefinition& macro, const std::vector<model::Token>& result, std::vector<model::Token>& out,
                int depth);
    // The function-like macro (not switched off) that the last token of `out` names, or null.
    const MacroDefinition* trailingCall(const std::vector<model::Token>& out) const;
    // Appends the result of pasting `right` onto the last token of `out`.
    void paste(std::vector<model::Token>& out, const model::Token& right);
    void append(std::vector<model::Token>& out, const model::Token& token);
    void charge(std::size_t count);
    bool disabled(std::string_view name) const;

    const MacroTable& m_macros;
    std::size_t m_budget;
    std::vector<std::string_view> m_disabled;  // the macros whose results are being scanned
};

}  // namespace qm::frontend
