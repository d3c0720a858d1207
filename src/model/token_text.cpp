#include "model/token_text.h"

namespace qm::model {

void appendSpelling(std::string& out, const Token& token)
{
    const TokenCode code = token.code;
    if (code >= 0 && code <= 254) {
        out.push_back(static_cast<char>(code));
        return;
    }
    switch (code) {
    case tok::StringLiteral:
    case tok::QuotedHeaderName:
        out.push_back('"');
        out.append(token.text.view());
        out.push_back('"');
        return;
    case tok::CharLiteral:
        out.push_back('\'');
        out.append(token.text.view());
        out.push_back('\'');
        return;
    case tok::Reserved:
        out.push_back('\n');
        return;
    case tok::AngleInclude:
        out.append("include<");
        out.append(token.text.view());
        out.push_back('>');
        return;
    case tok::DecimalInteger:
    case tok::FloatLiteral:
    case tok::HexInteger:
    case tok::OctalInteger:
    case tok::Identifier:
        out.append(token.text.view());
        return;
    default:
        break;
    }
    if (code >= tok::DotStar && code <= tok::Undef) {
        out.append(fixedSpelling(code));
        return;
    }
    out.append("Error Token");
}

std::string spellToken(const Token& token)
{
    std::string out;
    appendSpelling(out, token);
    return out;
}

namespace {

template <typename Deref, typename Range>
std::string joinSpellings(const Range& tokens, bool spaced, Deref deref)
{
    std::string out;
    for (const auto& t : tokens) {
        appendSpelling(out, deref(t));
        if (spaced) {
            out.push_back(' ');
        }
    }
    if (spaced && out.size() > 1) {
        out.pop_back();
    }
    return out;
}

}  // namespace

std::string TokenText(TokenRefsView tokens, bool spaced)
{
    return joinSpellings(tokens, spaced, [](const Token* t) -> const Token& { return *t; });
}

std::string TokenText(std::span<const Token> tokens, bool spaced)
{
    return joinSpellings(tokens, spaced, [](const Token& t) -> const Token& { return t; });
}

std::string formatDecimal(long long value)
{
    return std::to_string(value);
}

}  // namespace qm::model
