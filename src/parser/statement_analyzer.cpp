#include "parser/statement_analyzer.h"

#include "parser/keyword_declaration_analyzer.h"

namespace qm::parser {

namespace tok = model::tok;
using model::AnalysisNode;
using model::NodeKind;

namespace {

std::unique_ptr<model::TextDetail> labelDetail(const model::Token& label)
{
    auto detail = std::make_unique<model::TextDetail>();
    detail->text = std::string(label.text.view());
    return detail;
}

}  // namespace

void StatementAnalyzer::analyze()
{
    if (m_node.classified) {
        return;
    }
    if (m_node.tokens.empty()) {
        classifyAs(m_node.hasBody ? NodeKind::JustBrace : NodeKind::Nothing);
        return;
    }
    switch (codeAt(0)) {
    case tok::Class:
    case tok::Struct:
    case tok::Union:
    case tok::Enum:
    case tok::Typedef: classifyLocalType(); break;
    case tok::Identifier:
    case tok::Case:
    case tok::Default: classifyLabel(); break;
    case tok::Break:
    case tok::Continue:
    case tok::Goto:
    case tok::Return: classifyJump(); break;
    case tok::Try:
    case tok::Catch: classifyException(); break;
    case tok::Do: classifyDo(); break;
    case tok::If:
    case tok::Else: classifyConditional(); break;
    case tok::For: classifyFor(); break;
    case tok::Switch: classifyParenthesisedHeader(NodeKind::SwitchStatement); break;
    case tok::While: classifyParenthesisedHeader(NodeKind::WhileStatement); break;
    default: break;
    }
    if (!m_node.classified) {
        classifyAs(NodeKind::ExpressionStatement);
    }
}

std::size_t StatementAnalyzer::findClosingParen(std::size_t from) const noexcept
{
    int depth = 0;
    for (std::size_t i = from; i < tokenCount(); ++i) {
        if (codeAt(i) == '(') {
            ++depth;
        } else if (codeAt(i) == ')') {
            if (depth == 0) {
                return i;
            }
            --depth;
        }
    }
    return 0;
}

std::size_t StatementAnalyzer::findSemicolon(std::size_t from) const noexcept
{
    for (std::size_t i = from; i < tokenCount(); ++i) {
        if (codeAt(i) == ';') {
            return i;
        }
    }
    return 0;
}

std::size_t StatementAnalyzer::findColon(std::size_t from) const noexcept
{
    for (std::size_t i = from; i < tokenCount(); ++i) {
        if (codeAt(i) == ':') {
            return i;
        }
    }
    return 0;
}

// default : statement   case value : statement   name : statement
// `case 1: case 2: f();` is one node: Case 1 gets `case 2 : f ( ) ;` as its child, which the
// driver then makes a Case with child `f ( ) ;`.
void StatementAnalyzer::classifyLabel()
{
    if (tokenCount() < 2) {
        return;
    }
    switch (codeAt(0)) {
    case tok::Default:
        if (codeAt(1) == ':') {
            splitAt(2);
            classifyAs(NodeKind::DefaultStatement);
        }
        break;
    case tok::Case: {
        const std::size_t colon = findColon(1);
        if (colon > 1) {
            splitAt(colon + 1);
            classifyWithCondition(NodeKind::CaseStatement, 1, colon);
        }
        break;
    }
    default:
        if (codeAt(1) == ':') {
            splitAt(2);
            classifyAs(NodeKind::LabelStatement, labelDetail(*m_node.tokens[0]));
        }
        break;
    }
}

// break ;   continue ;   return value ;   goto name ;
void StatementAnalyzer::classifyJump()
{
    switch (codeAt(0)) {
    case tok::Break:
        if (tokenCount() == 2 && codeAt(1) == ';') classifyAs(NodeKind::BreakStatement);
        break;
    case tok::Continue:
        if (tokenCount() == 2 && codeAt(1) == ';') classifyAs(NodeKind::ContinueStatement);
        break;
    case tok::Return:
        // The value keeps the closing `;`: `return;` has the single `;` as its value.
        if (tokenCount() >= 2) classifyWithCondition(NodeKind::ReturnStatement, 1, tokenCount());
        break;
    case tok::Goto:
        if (tokenCount() == 3 && isIdentifierAt(1) && codeAt(2) == ';') {
            classifyAs(NodeKind::GotoStatement, labelDetail(*m_node.tokens[1]));
        }
        break;
    default: break;
    }
}

// try {   catch ( type name ) {
// The tokens after a catch's `)` stay in its node; its block is its children.
void StatementAnalyzer::classifyException()
{
    if (codeAt(0) == tok::Try) {
        if (tokenCount() == 1) classifyAs(NodeKind::TryStatement);
        return;
    }
    if (tokenCount() < 4 || codeAt(1) != '(') {
        return;
    }
    const std::size_t close = findClosingParen(2);
    if (close != 0) {
        classifyWithCondition(NodeKind::CatchStatement, 2, close);
    }
}

// do statement   do {
void StatementAnalyzer::classifyDo()
{
    splitAt(1);
    classifyAs(NodeKind::DoStatement);
}

// if ( condition ) statement   else if ( condition ) statement   else statement
void StatementAnalyzer::classifyConditional()
{
    if (codeAt(0) == tok::If) {
        if (tokenCount() < 4 || codeAt(1) != '(') {
            return;
        }
        // Below 3 means no closing parenthesis, or an empty condition `if ( )`.
        const std::size_t close = findClosingParen(2);
        if (close < 3) {
            return;
        }
        splitAt(close + 1);
        classifyWithCondition(NodeKind::IfStatement, 2, close);
        return;
    }
    if (codeAt(1) == tok::If) {
        if (tokenCount() < 4) {
            return;
        }
        const std::size_t close = findClosingParen(3);
        if (close < 4) {
            return;
        }
        splitAt(close + 1);
        classifyWithCondition(NodeKind::ElseIfStatement, 3, close);
        return;
    }
    splitAt(1);
    classifyAs(NodeKind::ElseStatement, std::make_unique<model::ConditionDetail>());
}

// struct Local { ... } ;   enum class Mode { ... } ;   typedef struct { ... } T ;
// A type defined in a function body is read as a declaration, its members below it.
void StatementAnalyzer::classifyLocalType()
{
    if (!m_node.hasBody) {
        return;
    }
    for (std::size_t i = 0; i < tokenCount(); ++i) {
        if (codeAt(i) == '=' || codeAt(i) == '(') return;  // struct S s = { ... } ;
    }
    KeywordDeclarationAnalyzer(m_node).analyze();
}

// for ( init ; condition ; step ) statement   for ( ; ; ) statement   for ( declaration : range ) statement
// The init and condition parts keep their `;`. A range-based loop has the declaration as its
// init and `: range` as its condition.
void StatementAnalyzer::classifyFor()
{
    if (tokenCount() < 5 || codeAt(1) != '(') {
        return;
    }
    const std::size_t close = findClosingParen(2);
    if (close == 0) {
        return;
    }
    const std::size_t first = findSemicolon(2);
    const std::size_t second = first == 0 || first > close ? 0 : findSemicolon(first + 1);
    auto detail = std::make_unique<model::ForDetail>();
    if (first != 0 && first < close && second != 0 && second < close) {
        detail->init = tokenRange(2, first + 1);
        detail->condition = tokenRange(first + 1, second + 1);
        detail->step = tokenRange(second + 1, close);
    } else {
        // The `:` of a range-based loop, outside parentheses, brackets and braces.
        std::size_t colon = 0;
        int depth = 0;
        for (std::size_t i = 2; i < close && colon == 0; ++i) {
            const model::TokenCode code = codeAt(i);
            if (code == '(' || code == '[' || code == '{') ++depth;
            if (code == ')' || code == ']' || code == '}') --depth;
            if (code == ':' && depth == 0) colon = i;
        }
        if (colon == 0) {
            return;
        }
        detail->init = tokenRange(2, colon);
        detail->condition = tokenRange(colon, close);
    }
    splitAt(close + 1);
    classifyAs(NodeKind::ForStatement, std::move(detail));
}

// while ( condition ) statement   switch ( value ) {
// The `while ( x ) ;` that closes a do loop is a While whose only child is the `;`.
void StatementAnalyzer::classifyParenthesisedHeader(NodeKind kind)
{
    if (tokenCount() < 4 || codeAt(1) != '(') {
        return;
    }
    const std::size_t close = findClosingParen(2);
    if (close == 0) {
        return;
    }
    splitAt(close + 1);
    classifyWithCondition(kind, 2, close);
}

void StatementAnalyzer::splitAt(std::size_t index)
{
    if (index >= tokenCount()) {
        return;
    }
    model::splitTrailingStatement(m_node, index);
    // The header keeps a few tokens of what may have been a very long node; a chain of headers
    // (`if (a) if (b) ...`) would otherwise keep every level's full token capacity alive.
    m_node.tokens.shrinkToFit();
}

void StatementAnalyzer::classifyWithCondition(NodeKind kind, std::size_t first, std::size_t end)
{
    auto detail = std::make_unique<model::ConditionDetail>();
    detail->condition = tokenRange(first, end);
    classifyAs(kind, std::move(detail));
}

AnalysisNode StatementAnalyzer::tokenRange(std::size_t first, std::size_t end) const
{
    AnalysisNode range;
    if (first < end && end <= tokenCount()) {
        range.tokens.assign(m_node.tokens.begin() + static_cast<std::ptrdiff_t>(first),
                            m_node.tokens.begin() + static_cast<std::ptrdiff_t>(end));
    }
    return range;
}

}  // namespace qm::parser
