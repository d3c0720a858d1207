#include "parser/name_scanner.h"

#include "model/token_text.h"
#include "parser/declaration_prefix.h"

namespace qm::parser {

namespace tok = model::tok;

bool isOperatorSymbol(model::TokenCode code) noexcept
{
    switch (code) {
    case '!': case '%': case '&': case '*': case '+': case ',': case '-':
    case '/': case '<': case '=': case '>': case '^': case '|': case '~':
    case tok::Delete:
    case tok::New:
        return true;
    default:
        return code >= tok::Arrow && code <= tok::OrAssign;
    }
}

void NameScanner::takeOperatorToken(const model::Token& token, std::string& name)
{
    m_state = AfterIdentifier;
    if (isOperatorSymbol(token.code)) {
        name = model::spellToken(token);  // operator +=
    } else if (token.code == '(') {
        name = "(";  // operator ( )
        m_state = AfterOperator;
    } else if (token.code == '[') {
        name = "[";  // operator [ ]
        m_state = AfterOperator;
    } else if (token.code == ')') {
        name += ")";
    } else if (token.code == ']') {
        name += "]";
    }
    // Anything else is the type of a conversion operator: skipped, the name stays as it is.
}

ScannedName NameScanner::scan(model::TokenRefsView tokens, std::size_t start, int initialState)
{
    ScannedName result;
    m_state = initialState == kExpectNameAgain ? ExpectNameAgain : ExpectName;
    m_tildeSeen = false;
    std::string& name = result.name.name;

    std::size_t i = start;
    bool ended = false;
    for (; i < tokens.size() && !ended; ++i) {
        const model::Token& token = *tokens[i];
        switch (m_state) {
        case AfterOperator:
            takeOperatorToken(token, name);
            break;
        case AfterIdentifier:
            if (token.code == tok::ColonColon) {
                if (!name.empty()) {
                    result.name.scope.push_back(std::move(name));
                    name.clear();
                }
                m_state = ExpectName;
            } else if (token.code == '<' && !name.empty()) {
                // TT < T > :: bar   the template arguments of a scope belong to the name.
                const std::size_t close = groupEnd(tokens, i);
                if (close != kNotClosed && close < tokens.size() && tokens[close]->code == tok::ColonColon) {
                    i = close - 1;
                } else {
                    ended = true;
                }
            } else {
                ended = true;
            }
            break;
        case ExpectName:
        case ExpectNameAgain:
            if (token.code == '~') {
                if (m_tildeSeen) {
                    result.failed = true;  // ~ ~ x
                    ended = true;
                } else {
                    m_tildeSeen = true;
                }
            } else if (token.code == tok::Operator) {
                m_state = AfterOperator;
            } else if (token.code == tok::Identifier) {
                if (m_tildeSeen) {
                    // ~ X: the name is complete, the identifier stays unconsumed.
                    name = "~";
                    name += token.text.view();
                    ended = true;
                } else {
                    name = std::string(token.text.view());
                    m_state = AfterIdentifier;
                }
            } else {
                ended = true;
            }
            break;
        }
        if (ended) break;
    }
    result.end = i;
    if (result.end == start) {
        result.failed = true;
    } else {
        result.name.tokens.assign(tokens.begin() + static_cast<std::ptrdiff_t>(start),
                                  tokens.begin() + static_cast<std::ptrdiff_t>(result.end));
    }
    return result;
}

}  // namespace qm::parser
