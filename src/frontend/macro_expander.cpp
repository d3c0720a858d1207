#include "frontend/macro_expander.h"

#include "frontend/feature_queries.h"
#include "frontend/tokenize_file.h"
#include "model/token_text.h"

#include <algorithm>
#include <optional>

namespace qm::frontend {

namespace tok = model::tok;
using model::Token;

std::size_t closingParen(TokenSpan tokens, std::size_t open)
{
    int depth = 0;
    for (std::size_t i = open; i < tokens.size(); ++i) {
        if (tokens[i].code == '(') {
            ++depth;
        } else if (tokens[i].code == ')' && --depth == 0) {
            return i;
        }
    }
    return std::string_view::npos;
}

std::vector<TokenSpan> splitArguments(TokenSpan inside, const MacroDefinition& macro)
{
    std::vector<TokenSpan> args;
    const bool compilerRule = macro.rescan || macro.variadic;
    int depth = 0;
    std::size_t start = 0;
    for (std::size_t q = 0; q < inside.size(); ++q) {
        const auto code = inside[q].code;
        if (code == '(') {
            ++depth;
        } else if (code == ')') {
            --depth;
        } else if (code == ',' && depth == 0 && (compilerRule || q > start)) {
            args.push_back(inside.subspan(start, q - start));
            start = q + 1;
        }
    }
    if (compilerRule) {
        if (!(inside.empty() && macro.parameters.empty())) args.push_back(inside.subspan(start));
        const std::size_t named = macro.parameters.size();
        if (macro.variadic && named > 0 && args.size() > named) {
            // The variadic argument runs from its start to the end, commas included.
            const std::size_t from = static_cast<std::size_t>(args[named - 1].data() - inside.data());
            args.resize(named - 1);
            args.push_back(inside.subspan(from));
        }
        return args;
    }
    if (inside.size() > start) args.push_back(inside.subspan(start));
    if (args.empty() && macro.parameters.size() == 1) args.push_back(inside.subspan(0, 0));
    return args;
}

std::string stringise(TokenSpan tokens)
{
    std::string text;
    for (const Token& t : tokens) {
        if (t.code == tok::Newline) continue;
        if (!text.empty()) text.push_back(' ');
        const std::string spelled = model::spellToken(t);
        const bool literal = t.code == tok::StringLiteral || t.code == tok::CharLiteral || t.code == tok::QuotedHeaderName;
        for (char c : spelled) {
            if (literal && (c == '"' || c == '\\')) text.push_back('\\');
            text.push_back(c);
        }
    }
    return text;
}

namespace {

bool isPaste(const Token& t) { return t.code == tok::HashHash; }

bool isIncludeQuery(const Token& t)
{
    return t.code == tok::Identifier && featureQueryOf(t.text.view()) == FeatureQuery::HasInclude;
}

// Where the operand of the `defined` or `__has_include` at `at` ends: after its closing `)`, or
// after the name that follows it without parentheses.
std::size_t operandEnd(TokenSpan tokens, std::size_t at)
{
    std::size_t next = at + 1;
    if (next < tokens.size() && tokens[next].code == '(') {
        const std::size_t close = closingParen(tokens, next);
        return close == std::string_view::npos ? tokens.size() : close + 1;
    }
    return next < tokens.size() && tokens[next].code == tok::Identifier ? next + 1 : next;
}

}  // namespace

void MacroExpander::charge(std::size_t count)
{
    if (count > m_budget) throw ExpansionTooLarge();
    m_budget -= count;
}

void MacroExpander::append(std::vector<Token>& out, const Token& token)
{
    charge(1);
    out.push_back(token);
}

bool MacroExpander::disabled(std::string_view name) const
{
    return std::find(m_disabled.begin(), m_disabled.end(), name) != m_disabled.end();
}

void MacroExpander::paste(std::vector<Token>& out, const Token& right)
{
    Token& left = out.back();
    std::string text = model::spellToken(left);
    model::appendSpelling(text, right);
    if (text.size() > kMaxPastedTextBytes) throw ExpansionTooLarge();
    std::vector<Token> scanned;
    tokenizeText(text, scanned, [](std::string_view) {});
    while (!scanned.empty() && scanned.back().code == tok::Newline) scanned.pop_back();
    if (scanned.size() == 1) {
        scanned.front().line = left.line;
        left = std::move(scanned.front());
        return;
    }
    append(out, right);  // not one token: both stay, side by side
}

void MacroExpander::expandCall(const MacroDefinition& macro, const std::vector<TokenSpan>& args, std::vector<Token>& out)
{
    call(macro, args, out, 0);
}

void MacroExpander::expandList(TokenSpan tokens, std::vector<Token>& out)
{
    list(tokens, out, 0);
}

void MacroExpander::call(const MacroDefinition& macro, const std::vector<TokenSpan>& args, std::vector<Token>& out,
                         int depth)
{
    if (depth > kMaxExpansionDepth) throw ExpansionTooLarge();
    const TokenSpan none;
    auto argument = [&](int index) { return static_cast<std::size_t>(index) < args.size() ? args[index] : none; };
    const auto& r = macro.replacement;

    if (!macro.rescan) {
        // Substituted as written, as the preprocessor substitutes it elsewhere; here the result is
        // scanned again, as compilers do, since the macros that paste or stringise call others
        // that way (`IIF(c)` pastes the answer of `CHECK(...)`, whose result calls `CHECK_N`).
        std::vector<Token> result;
        for (const Token& t : r) {
            const int index = t.code == tok::Identifier ? macro.parameterIndex(t.text.view()) : -1;
            if (index < 0) {
                append(result, t);
                continue;
            }
            const TokenSpan arg = argument(index);
            charge(arg.size());
            result.insert(result.end(), arg.begin(), arg.end());
        }
        rescan(macro, result, out, depth);
        return;
    }

    // Arguments expanded once each, when first needed.
    std::vector<std::optional<std::vector<Token>>> expanded(args.size());
    std::vector<Token> result;
    bool pasteNext = false;       // the element before was `##`
    bool lastWasEmpty = false;    // the element before produced no token (an empty argument)
    for (std::size_t i = 0; i < r.size(); ++i) {
        const Token& t = r[i];
        if (isPaste(t) && i > 0 && i + 1 < r.size()) {
            pasteNext = true;
            continue;
        }
        std::vector<Token> single;
        TokenSpan piece;
        int index = -1;
        if (macro.functionLike && t.code == '#' && i + 1 < r.size() && r[i + 1].code == tok::Identifier
            && (index = macro.parameterIndex(r[i + 1].text.view())) >= 0) {
            single.push_back(Token{t.line, tok::StringLiteral, stringise(argument(index))});
            piece = single;
            ++i;
            index = -1;
        } else if (t.code == tok::Identifier && (index = macro.parameterIndex(t.text.view())) >= 0) {
            if (pasteNext || (i + 1 < r.size() && isPaste(r[i + 1]))) {
                piece = argument(index);
            } else if (static_cast<std::size_t>(index) < args.size()) {
                auto& cached = expanded[static_cast<std::size_t>(index)];
                if (!cached) {
                    cached.emplace();
                    list(args[index], *cached, depth + 1);
                }
                piece = *cached;
            }
        } else {
            piece = TokenSpan(&t, 1);
        }

        const bool producedNothing = piece.empty();
        if (pasteNext) {
            pasteNext = false;
            const bool variadicArgument = macro.variadic && index == static_cast<int>(macro.parameters.size()) - 1;
            if (variadicArgument && piece.empty() && !lastWasEmpty && !result.empty() && result.back().code == ',') {
                result.pop_back();  // `, ## __VA_ARGS__` with nothing to pass drops the comma
                lastWasEmpty = true;
                continue;
            }
            if (!piece.empty() && !lastWasEmpty && !result.empty()) {
                paste(result, piece.front());
                piece = piece.subspan(1);
            }
        }
        charge(piece.size());
        result.insert(result.end(), piece.begin(), piece.end());
        lastWasEmpty = producedNothing;
    }

    rescan(macro, result, out, depth);
}

void MacroExpander::rescan(const MacroDefinition& macro, const std::vector<Token>& result, std::vector<Token>& out,
                           int depth)
{
    m_disabled.push_back(macro.name);
    try {
        list(result, out, depth + 1);
    } catch (...) {
        m_disabled.pop_back();
        throw;
    }
    m_disabled.pop_back();
}

void MacroExpander::list(TokenSpan tokens, std::vector<Token>& out, int depth)
{
    if (depth > kMaxExpansionDepth) throw ExpansionTooLarge();
    // Expands the call of `macro` whose `(` is tokens[open]; returns the position of its `)`, or
    // npos (nothing appended) when the call does not close.
    auto callAt = [&](const MacroDefinition& macro, std::size_t open) {
        const std::size_t close = closingParen(tokens, open);
        if (close == std::string_view::npos) return close;
        call(macro, splitArguments(tokens.subspan(open + 1, close - open - 1), macro), out, depth + 1);
        return close;
    };
    for (std::size_t q = 0; q < tokens.size(); ++q) {
        const Token& t = tokens[q];
        if (t.code == tok::Defined || isIncludeQuery(t)) {
            // The operand of `defined` and `__has_include` names a macro or a header: it is
            // copied as written (a condition's `HAS(X)` that gives `defined(X)` asks about X).
            const std::size_t end = operandEnd(tokens, q);
            charge(end - q);
            out.insert(out.end(), tokens.begin() + static_cast<std::ptrdiff_t>(q), tokens.begin() + static_cast<std::ptrdiff_t>(end));
            q = end - 1;
            continue;
        }
        const MacroDefinition* macro = t.code == tok::Identifier ? m_macros.find(t.text.view()) : nullptr;
        if (!macro || disabled(macro->name)) {
            append(out, t);
            continue;
        }
        const std::size_t before = out.size();
        if (macro->functionLike) {
            const std::size_t close = q + 1 < tokens.size() && tokens[q + 1].code == '(' ? callAt(*macro, q + 1)
                                                                                       : std::string_view::npos;
            if (close == std::string_view::npos) {
                append(out, t);
                continue;
            }
            q = close;
        } else {
            charge(macro->replacement.size());
            out.insert(out.end(), macro->replacement.begin(), macro->replacement.end());
        }
        // Compilers scan an expansion again together with what follows it: an expansion that ends
        // in the name of a function-like macro calls it with the arguments written after the
        // expansion (`IIF(c)(then, else)`). The macro's own name stays switched off there.
        const std::string_view expanded = macro->name;
        while (q + 1 < tokens.size() && tokens[q + 1].code == '(' && out.size() > before) {
            const MacroDefinition* next = trailingCall(out);
            if (!next || next->name == expanded) break;
            const Token name = std::move(out.back());
            out.pop_back();
            const std::size_t close = callAt(*next, q + 1);
            if (close == std::string_view::npos) {
                out.push_back(name);
                break;
            }
            q = close;
        }
    }
}

const MacroDefinition* MacroExpander::trailingCall(const std::vector<Token>& out) const
{
    if (out.empty() || out.back().code != tok::Identifier) return nullptr;
    const MacroDefinition* macro = m_macros.find(out.back().text.view());
    return macro && macro->functionLike && !disabled(macro->name) ? macro : nullptr;
}

std::vector<Token> MacroExpander::pasteReplacement(const std::vector<Token>& replacement, std::string_view self)
{
    std::vector<Token> result;
    std::vector<std::size_t> pasted;  // positions in `result` made by `##`
    for (std::size_t i = 0; i < replacement.size(); ++i) {
        if (isPaste(replacement[i]) && i > 0 && i + 1 < replacement.size() && !result.empty()) {
            paste(result, replacement[i + 1]);
            if (pasted.empty() || pasted.back() != result.size() - 1) pasted.push_back(result.size() - 1);
            ++i;
            continue;
        }
        append(result, replacement[i]);
    }
    if (pasted.empty()) return result;
    std::vector<Token> out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < result.size(); ++i) {
        const bool fresh = next < pasted.size() && pasted[next] == i;
        if (fresh) ++next;
        const MacroDefinition* macro =
            fresh && result[i].code == tok::Identifier ? m_macros.find(result[i].text.view()) : nullptr;
        if (macro && !macro->functionLike && macro->name != self) {
            charge(macro->replacement.size());
            out.insert(out.end(), macro->replacement.begin(), macro->replacement.end());
        } else {
            out.push_back(std::move(result[i]));
        }
    }
    return out;
}

}  // namespace qm::frontend
