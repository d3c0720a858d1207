// What stands in a declaration without being part of its shape: attributes
// (`[[nodiscard]]`, `__attribute__((unused))`, `alignas(8)`, `__declspec(dllexport)`) and pragma
// operators (`_Pragma("...")`) wherever they are, and the words and calls of macros the analysis does not know in front of it
// (`EXPORT class X`, `LIB_BEGIN_NAMESPACE namespace detail`, `SEC("x") int f(void)`). The
// driver takes them out of a declaration's tokens before the analyzers look at its shape.
#pragma once

#include "model/analysis_node.h"
#include "model/token.h"

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace qm::parser {

// C++ words that the scanner reads as identifiers although they are specifiers or basic types.
enum class ContextualWord { None, Storage, FunctionSpecifier, BasicType, ClassVirtSpecifier, TrailingSpecifier };
ContextualWord contextualWordOf(const model::Token& token) noexcept;

// True for an identifier written in capitals, digits and `_`, with at least two characters and
// one letter: the usual spelling of a macro (`EXPORT`, `FMT_API`, `Q_OBJECT`).
bool looksLikeMacroName(const model::Token& token) noexcept;

// The index after the attribute that starts at `at`, or `at` when none starts there. An
// attribute whose brackets never close ends at `tokens.size()` with `unclosed` set.
std::size_t attributeEnd(const model::TokenRefs& tokens, std::size_t at, bool& unclosed);

// The index after the balanced group opened by the `(`, `[`, `{` or `<` at `open`, or kNotClosed
// when it never closes. For `<`, `>>` closes two levels, and `<` and `>` inside parentheses,
// brackets and braces compare instead (a `;` there ends the search: such a `<` compares too).
constexpr std::size_t kNotClosed = static_cast<std::size_t>(-1);
std::size_t groupEnd(model::TokenRefsView tokens, std::size_t open);

struct PrefixCleanup {
    bool changed = false;            // tokens were taken out
    std::int32_t unclosedLine = 0;   // the line of an attribute that never closes, 0 when none
};

// Takes the attributes and the leading macro words and calls out of a declaration node's tokens.
PrefixCleanup removeDeclarationNoise(model::AnalysisNode& node);

// `int main(argc, argv) int argc; char **argv; { ... }`: in an old-style definition the
// parameter declarations are nodes of their own and the body a node without tokens. Joins them
// into the node at `at`; returns true when it did.
bool joinOldStyleDefinition(model::NodeList& nodes, std::size_t at);

}  // namespace qm::parser
