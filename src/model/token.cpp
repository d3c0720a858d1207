#include "model/token.h"

namespace qm::model {

std::string_view tokenClassName(TokenCode code) noexcept
{
    switch (code) {
    case tok::StringLiteral: return "string";
    case tok::CharLiteral: return "char";
    case tok::DecimalInteger: return "Integer";
    case tok::FloatLiteral: return "float";
    case tok::HexInteger: return "hexdecimal";
    case tok::OctalInteger: return "octal";
    case tok::Identifier: return "Identifier";
    case tok::QuotedHeaderName: return "h_char";
    default: return "";
    }
}

std::string_view fixedSpelling(TokenCode code) noexcept
{
    if (code < tok::DotStar || code > tok::Declspec) {
        return "";
    }
    switch (code) {
#define TOKEN(Name, value, spelling) case value: return spelling;
#include "model/token_codes.def"
    default: return "";
    }
}

}  // namespace qm::model
