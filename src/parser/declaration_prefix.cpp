#include "parser/declaration_prefix.h"

#include <algorithm>

namespace qm::parser {

namespace tok = model::tok;
using model::AnalysisNode;
using model::NodeList;
using model::Token;
using model::TokenRefs;

ContextualWord contextualWordOf(const Token& token) noexcept
{
    if (token.code != tok::Identifier) return ContextualWord::None;
    const std::string_view word = token.text.view();
    if (word.empty()) return ContextualWord::None;
    switch (word.front()) {
    case 'c':
        if (word == "constexpr" || word == "consteval" || word == "constinit") return ContextualWord::Storage;
        if (word == "char8_t" || word == "char16_t" || word == "char32_t") return ContextualWord::BasicType;
        break;
    case 't':
        if (word == "thread_local") return ContextualWord::Storage;
        break;
    case 'f':
        if (word == "final") return ContextualWord::ClassVirtSpecifier;
        break;
    case 's':
        if (word == "sealed") return ContextualWord::ClassVirtSpecifier;
        break;
    case 'o':
        if (word == "override") return ContextualWord::TrailingSpecifier;
        break;
    case 'n':
        if (word == "noexcept") return ContextualWord::TrailingSpecifier;
        break;
    case '_':
        if (word == "_Thread_local" || word == "__thread") return ContextualWord::Storage;
        if (word == "_Noreturn" || word == "__inline" || word == "__inline__" || word == "__forceinline") {
            return ContextualWord::FunctionSpecifier;
        }
        if (word == "_Bool" || word == "__int64" || word == "__int128" || word == "_Complex") return ContextualWord::BasicType;
        break;
    default:
        break;
    }
    return ContextualWord::None;
}

bool looksLikeMacroName(const Token& token) noexcept
{
    if (token.code != tok::Identifier) return false;
    const std::string_view word = token.text.view();
    bool letter = false;
    for (const char c : word) {
        if (c >= 'A' && c <= 'Z') {
            letter = true;
        } else if (!((c >= '0' && c <= '9') || c == '_')) {
            return false;
        }
    }
    return letter && word.size() >= 2;
}

std::size_t groupEnd(model::TokenRefsView tokens, std::size_t open)
{
    if (open >= tokens.size()) return kNotClosed;
    if (tokens[open]->code != '<') {
        int depth = 0;
        for (std::size_t i = open; i < tokens.size(); ++i) {
            const model::TokenCode code = tokens[i]->code;
            if (code == '(' || code == '[' || code == '{') {
                ++depth;
            } else if ((code == ')' || code == ']' || code == '}') && --depth == 0) {
                return i + 1;
            }
        }
        return kNotClosed;
    }
    // Template arguments: `>>` closes two lists, `>>=` and `>=` close as their `>` do; what
    // stands in parentheses, brackets or braces is an expression whose `<` and `>` compare.
    int angles = 0;
    int nested = 0;
    for (std::size_t i = open; i < tokens.size(); ++i) {
        const model::TokenCode code = tokens[i]->code;
        if (code == '(' || code == '[' || code == '{') {
            ++nested;
        } else if (code == ')' || code == ']' || code == '}') {
            if (--nested < 0) return kNotClosed;
        } else if (nested > 0) {
            continue;
        } else if (code == '<') {
            ++angles;
        } else if (code == '>' || code == tok::GreaterEqual) {
            if (--angles <= 0) return i + 1;
        } else if (code == tok::ShiftRight || code == tok::ShiftRightAssign) {
            angles -= 2;
            if (angles <= 0) return i + 1;
        } else if (code == ';') {
            return kNotClosed;
        }
    }
    return kNotClosed;
}

namespace {

bool isWord(const Token& token, std::string_view word) noexcept
{
    return token.code == tok::Identifier && token.text.view() == word;
}

// An attribute word that takes a parenthesised argument list; the pragma operators
// (`_Pragma("GCC push_options")`, which macros expand to) stand where attributes do.
bool isAttributeWord(const Token& token) noexcept
{
    if (token.code == tok::Declspec) return true;
    if (token.code != tok::Identifier) return false;
    const std::string_view word = token.text.view();
    return word == "__attribute__" || word == "__attribute" || word == "alignas" || word == "_Alignas"
           || word == "__asm__" || word == "__asm" || word == "_Pragma" || word == "__pragma";
}

// A cheap first test of attributeEnd: only `[`, `__declspec` and words that start with `_` or
// `a` can start an attribute.
bool mayStartAttribute(const Token& token) noexcept
{
    if (token.code == '[' || token.code == tok::Declspec) return true;
    if (token.code != tok::Identifier) return false;
    const std::string_view word = token.text.view();
    return !word.empty() && (word.front() == '_' || word.front() == 'a');
}

// The words that may follow the macros in front of a declaration.
bool startsDeclaration(const Token& token) noexcept
{
    switch (token.code) {
    case tok::Class: case tok::Struct: case tok::Union: case tok::Enum: case tok::Namespace:
    case tok::Template: case tok::Typedef: case tok::Extern: case tok::Using: case tok::Static:
    case tok::Inline: case tok::Virtual: case tok::Explicit: case tok::Friend: case tok::Const:
    case tok::Volatile: case tok::Register: case tok::Mutable: case tok::Auto: case tok::Bool:
    case tok::Char: case tok::Double: case tok::Float: case tok::Int: case tok::Long: case tok::Short:
    case tok::Signed: case tok::Unsigned: case tok::Void: case tok::WcharT: case tok::Public:
    case tok::Protected: case tok::Private: case tok::Typename:
        return true;
    default:
        break;
    }
    const ContextualWord word = contextualWordOf(token);
    return word == ContextualWord::Storage || word == ContextualWord::FunctionSpecifier || word == ContextualWord::BasicType;
}

// The number of leading tokens that are macros in front of a declaration: capitalised words and
// capitalised calls, followed by a word that starts a declaration, or (after a call) by a name.
// `FMT_API void f();`, `EXPORT class X`, `DECLARE_THING(Foo, Bar) class After`,
// `SEC("x") int f(void)`, `Q_OBJECT public:`. A capitalised word before a name is kept: in
// `DWORD count;` and `HANDLE open();` it is the type.
std::size_t leadingMacroCount(const TokenRefs& tokens)
{
    std::size_t i = 0;
    bool call = false;
    while (i < tokens.size() && looksLikeMacroName(*tokens[i])) {
        const model::TokenCode next = i + 1 < tokens.size() ? static_cast<model::TokenCode>(tokens[i + 1]->code) : tok::EndOfInput;
        if (next == '(') {
            const std::size_t end = groupEnd(tokens, i + 1);
            if (end >= tokens.size()) return 0;
            call = true;
            i = end;
        } else if (next == tok::ColonColon || next == '<') {
            break;
        } else {
            ++i;
        }
    }
    if (i == 0 || i >= tokens.size()) return 0;
    const Token& next = *tokens[i];
    if (startsDeclaration(next)) return i;
    if (call && (next.code == tok::ColonColon || next.code == '~'
                 || (next.code == tok::Identifier && contextualWordOf(next) != ContextualWord::TrailingSpecifier))) {
        return i;
    }
    return 0;
}

}  // namespace

std::size_t attributeEnd(const TokenRefs& tokens, std::size_t at, bool& unclosed)
{
    const Token& token = *tokens[at];
    std::size_t end = at;
    if (token.code == '[' && at + 1 < tokens.size() && tokens[at + 1]->code == '[') {
        end = groupEnd(tokens, at);  // [[ nodiscard ]]
    } else if (isAttributeWord(token) && at + 1 < tokens.size() && tokens[at + 1]->code == '(') {
        end = groupEnd(tokens, at + 1);  // __attribute__ ( ( unused ) )   alignas ( 8 )
    } else if (isWord(token, "__extension__")) {
        return at + 1;
    } else {
        return at;
    }
    if (end == kNotClosed) {
        unclosed = true;
        return tokens.size();
    }
    return end;
}

PrefixCleanup removeDeclarationNoise(AnalysisNode& node)
{
    PrefixCleanup result;
    TokenRefs& tokens = node.tokens;
    if (tokens.empty() || tokens.front()->code == '#') return result;

    // Attributes, wherever they stand; `asm ( "..." ) ;` as a whole stays an asm declaration.
    // The tokens are copied only once an attribute is found.
    TokenRefs kept;
    std::size_t keptUpTo = 0;  // tokens before this are in `kept` unless nothing was dropped
    for (std::size_t i = 0; i < tokens.size();) {
        if (!mayStartAttribute(*tokens[i])) {
            ++i;
            continue;
        }
        bool unclosed = false;
        const std::size_t end = tokens[i]->code == tok::Asm ? i : attributeEnd(tokens, i, unclosed);
        if (unclosed) {
            // [[ nodiscard int f ( ) ;   the rest is kept as it is
            result.unclosedLine = tokens[i]->line;
            break;
        }
        if (end > i) {
            kept.append(tokens.view().subspan(keptUpTo, i - keptUpTo));
            i = end;
            keptUpTo = end;
            result.changed = true;
            continue;
        }
        ++i;
    }
    if (result.changed) {
        kept.append(tokens.view().subspan(keptUpTo));
        tokens = std::move(kept);
    }

    if (const std::size_t macros = leadingMacroCount(tokens); macros > 0) {
        tokens.dropFront(macros);
        result.changed = true;
    }
    return result;
}

bool joinOldStyleDefinition(NodeList& nodes, std::size_t at)
{
    AnalysisNode& head = nodes[at];
    const TokenRefs& tokens = head.tokens;
    if (head.hasBody || tokens.size() < 6 || tokens.back()->code != ';') return false;
    // name ( a , b , c ) followed by the declaration of the first parameter.
    std::size_t open = 1;
    while (open < tokens.size() && !(tokens[open]->code == '(' && tokens[open - 1]->code == tok::Identifier)) {
        if (tokens[open]->code == '(' || tokens[open]->code == '=' || tokens[open]->code == ';') return false;
        ++open;
    }
    std::size_t close = open + 1;
    for (bool wantName = true;; wantName = !wantName, ++close) {
        if (close >= tokens.size()) return false;
        const model::TokenCode code = tokens[close]->code;
        if (wantName && code != tok::Identifier) return false;
        if (!wantName && code == ')') break;
        if (!wantName && code != ',') return false;
    }
    if (close + 2 >= tokens.size()) return false;
    if (tokens[close + 1]->code != tok::Identifier && !startsDeclaration(*tokens[close + 1])) return false;
    const std::size_t parameterCount = (close - open) / 2;

    // More parameter declarations, then the body: a node with no tokens.
    std::size_t body = at + 1;
    while (body < nodes.size() && body - at <= parameterCount) {
        const AnalysisNode& next = nodes[body];
        if (next.tokens.empty() && next.hasBody) break;
        if (next.hasBody || next.tokens.empty() || next.tokens.back()->code != ';' || next.tokens.front()->code == '#') {
            return false;
        }
        ++body;
    }
    if (body >= nodes.size() || !nodes[body].tokens.empty() || !nodes[body].hasBody) return false;

    for (std::size_t i = at + 1; i < body; ++i) {
        head.tokens.append(nodes[i].tokens);
    }
    head.children = std::move(nodes[body].children);
    head.hasBody = true;
    nodes.erase(nodes.begin() + static_cast<std::ptrdiff_t>(at + 1), nodes.begin() + static_cast<std::ptrdiff_t>(body + 1));
    return true;
}

}  // namespace qm::parser
