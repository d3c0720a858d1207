#include "parser/access_analyzer.h"

#include "parser/declaration_prefix.h"
#include "parser/name_scanner.h"
#include "parser/parse_parameters.h"

namespace qm::parser {

namespace tok = model::tok;
using model::Access;
using model::NodeKind;

void AccessAnalyzer::analyze()
{
    if (m_node.classified) {
        return;
    }
    if (classifyLabel()) {
        return;
    }
    classifyOperatorMethod();
}

// public :   protected : declaration
bool AccessAnalyzer::classifyLabel()
{
    if (tokenCount() < 2 || codeAt(1) != ':') {
        return false;
    }
    if (looksLikeMacroName(*m_node.tokens[0]) && !looksLikeBitField()) {
        return stepOverMacroLabel();
    }
    switch (codeAt(0)) {
    case tok::Public:
        m_access = Access::Public;
        classifyAs(NodeKind::PublicLabel);
        break;
    case tok::Protected:
        m_access = Access::Protected;
        classifyAs(NodeKind::ProtectedLabel);
        break;
    case tok::Private:
        m_access = Access::Private;
        classifyAs(NodeKind::PrivateLabel);
        break;
    default:
        return false;
    }
    if (tokenCount() > 2) {
        model::splitTrailingStatement(m_node, 2);
    }
    return true;
}

// MACRO : 4 ;   MACRO : WIDTH ;   MACRO : ( 2 ) ;   a nameless bit-field of a macro type, not a label:
// a width (a number, a parenthesised expression, or one word) follows the colon, then `;`.
bool AccessAnalyzer::looksLikeBitField() const
{
    if (tokenCount() < 3) return false;
    const model::TokenCode width = codeAt(2);
    if (width == tok::DecimalInteger || width == '(') return true;
    return tokenCount() == 4 && codeAt(3) == ';';
}

// MACRO : declaration   A macro that expands to an access specifier, from a header this analysis
// does not read (`JSON_PRIVATE_UNLESS_TESTED:`, `Q_SIGNALS:`). Its name says the access when it
// holds PRIVATE, PROTECTED or PUBLIC; otherwise the access stays as it was. The declaration
// after it is read as if the label stood on a line of its own. (`MACRO : 4;` is a bit-field.)
bool AccessAnalyzer::stepOverMacroLabel()
{
    const std::string_view word = m_node.tokens[0]->text.view();
    if (word.find("PRIVATE") != std::string_view::npos) {
        m_access = Access::Private;
    } else if (word.find("PROTECTED") != std::string_view::npos) {
        m_access = Access::Protected;
    } else if (word.find("PUBLIC") != std::string_view::npos || word == "Q_SIGNALS" || word == "Q_SLOTS") {
        m_access = Access::Public;
    }
    if (tokenCount() > 2) {
        m_node.tokens.dropFront(2);
        return false;  // the declaration is classified by the analyzers after this one
    }
    classifyAs(m_access == Access::Private     ? NodeKind::PrivateLabel
               : m_access == Access::Protected ? NodeKind::ProtectedLabel
                                               : NodeKind::PublicLabel);
    return true;
}

// type operator symbol ( params ) const ;   operator ( ) ( params )   operator new [ ] ( params )
// The symbol is one operator token, `( )`, `[ ]`, or `new` / `delete` with an optional `[ ]`.
// After a conversion type (`operator int`) a later `operator` is looked for.
bool AccessAnalyzer::classifyOperatorMethod()
{
    std::size_t symbol = 0;
    std::size_t symbolEnd = 0;
    for (std::size_t i = 0; i < tokenCount() && symbolEnd == 0; ++i) {
        if (codeAt(i) != tok::Operator || i + 1 >= tokenCount()) {
            continue;
        }
        const std::size_t next = i + 1;
        const model::TokenCode code = codeAt(next);
        if (code == tok::New || code == tok::Delete) {
            symbolEnd = codeAt(next + 1) == '[' && codeAt(next + 2) == ']' ? next + 3 : next + 1;
        } else if (isOperatorSymbol(code)) {
            symbolEnd = next + 1;
        } else if (code == '(' && codeAt(next + 1) == ')') {
            symbolEnd = next + 2;
        } else if (code == '[' && codeAt(next + 1) == ']') {
            symbolEnd = next + 2;
        }
        symbol = next;
    }
    if (symbolEnd == 0) {
        return false;
    }
    auto detail = std::make_unique<model::OperatorDetail>();
    if (symbol >= 3) {
        detail->leadingTokens.assign(m_node.tokens.begin(), m_node.tokens.begin() + static_cast<std::ptrdiff_t>(symbol));
    }
    detail->operatorTokens.assign(m_node.tokens.begin() + static_cast<std::ptrdiff_t>(symbol),
                                  m_node.tokens.begin() + static_cast<std::ptrdiff_t>(symbolEnd));
    if (codeAt(symbolEnd) == '(') {
        detail->parameters = parseParameters(m_node, symbolEnd);
    }
    // The access stays unrecorded here: the driver writes it for class bodies only, so that an
    // operator in a struct or union body keeps none, like every other member there.
    classifyAs(NodeKind::OverloadMethod, std::move(detail));
    return true;
}

}  // namespace qm::parser
