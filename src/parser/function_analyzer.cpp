#include "parser/function_analyzer.h"

#include "parser/name_scanner.h"
#include "parser/parse_parameters.h"

namespace qm::parser {

namespace tok = model::tok;
using model::AnalysisNode;
using model::NodeKind;

namespace {

// The name of a class, struct or union node, for the declarators that follow its body.
std::string aggregateName(const AnalysisNode& node)
{
    if (const auto* detail = node.detailAs<model::ClassDetail>()) return detail->name.name;
    if (const auto* detail = node.detailAs<model::TextDetail>()) return detail->text;
    return {};
}

}  // namespace

FunctionAnalyzer::TokenClass FunctionAnalyzer::classOf(model::TokenCode code) noexcept
{
    switch (code) {
    case tok::Bool: case tok::Char: case tok::Double: case tok::Float: case tok::Int: case tok::Long:
    case tok::Short: case tok::Signed: case tok::Unsigned: case tok::Void: case tok::WcharT:
        return BasicType;
    case tok::Auto: case tok::Extern: case tok::Mutable: case tok::Register: case tok::Static:
        return Storage;
    case tok::Explicit: case tok::Inline: case tok::Virtual:
        return FunctionSpecifier;
    case tok::Const: case tok::Volatile:
        return Qualifier;
    default:
        return Other;
    }
}

void FunctionAnalyzer::analyze()
{
    if (m_node.classified || m_node.tokens.empty()) {
        return;
    }
    m_classes.reserve(m_node.tokens.size());
    for (const model::Token* token : m_node.tokens) {
        m_classes.push_back(classOf(token->code));
        if (token->code == '(' || token->code == ')') m_hasParentheses = true;
    }
    tryShortDeclare() || tryPlainVariable() || tryInitialisedVariable() || tryEmptyParameterPrototype()
        || trySpecifierFunction() || tryGeneralFunction() || tryPointerVariable() || tryAggregateDeclarators();
}

std::size_t FunctionAnalyzer::leadingRun(unsigned mask) const noexcept
{
    std::size_t n = 0;
    while (n < m_classes.size() && m_classes[n] != Other && (mask & maskOf(m_classes[n])) != 0) ++n;
    return n;
}

// int x ;   Type x ;   Type * x ;
bool FunctionAnalyzer::tryShortDeclare()
{
    if (!m_node.children.empty()) return false;
    std::size_t nameAt = 1;
    if (tokenCount() == 3 && codeAt(2) == ';' && isIdentifierAt(1)
        && (m_classes[0] == BasicType || isIdentifierAt(0))) {
        // int x ;   Type x ;
    } else if (tokenCount() == 4 && codeAt(3) == ';' && isIdentifierAt(0) && codeAt(1) == '*' && isIdentifierAt(2)) {
        nameAt = 2;  // Type * x ;
    } else {
        return false;
    }
    auto detail = std::make_unique<model::ShortDeclareDetail>();
    if (m_classes[0] == BasicType) {
        detail->basicType = codeAt(0);
    } else {
        detail->typeName = std::string(m_node.tokens[0]->text.view());
    }
    detail->name = std::string(m_node.tokens[nameAt]->text.view());
    classifyAs(NodeKind::ShortDeclare, std::move(detail));
    return true;
}

// static const char name ;
bool FunctionAnalyzer::tryPlainVariable()
{
    const std::size_t lead = leadingRun(kVariableLeaders);
    if (lead == 0 || !isIdentifierAt(lead)) return false;
    ScannedName scanned = NameScanner().scan(m_node.tokens, lead);
    if (scanned.failed || scanned.end + 1 != tokenCount() || codeAt(scanned.end) != ';') return false;
    auto detail = std::make_unique<model::VariableDetail>();
    detail->typeTokens = tokenSlice(0, lead);
    detail->name = std::move(scanned.name);
    classifyAs(NodeKind::Variable, std::move(detail));
    return true;
}

// static const int n = 5 ;   (one declarator: a `,` before the final `;` is not this shape)
bool FunctionAnalyzer::tryInitialisedVariable()
{
    const std::size_t lead = leadingRun(kVariableLeaders);
    if (lead == 0 || !isIdentifierAt(lead)) return false;
    ScannedName scanned = NameScanner().scan(m_node.tokens, lead);
    if (scanned.failed || codeAt(scanned.end) != '=') return false;
    const std::size_t first = scanned.end + 1;
    int braces = 0;
    std::size_t stop = first;
    for (; stop < tokenCount(); ++stop) {
        const model::TokenCode code = codeAt(stop);
        if (code == '{') {
            ++braces;
        } else if (code == '}') {
            --braces;
        } else if (braces == 0 && (code == ',' || code == ';')) {
            break;
        }
    }
    if (codeAt(stop) != ';' || stop + 1 != tokenCount()) return false;
    auto detail = std::make_unique<model::VariableDetail>();
    detail->typeTokens = tokenSlice(0, lead);
    detail->name = std::move(scanned.name);
    detail->initializerTokens = tokenSlice(first, stop);
    classifyAs(NodeKind::Variable, std::move(detail));
    return true;
}

// void f ( ) ;
bool FunctionAnalyzer::tryEmptyParameterPrototype()
{
    const std::size_t lead = leadingRun(kFunctionLeaders);
    if (lead == 0 || !isIdentifierAt(lead) || !m_hasParentheses) return false;
    ScannedName scanned = NameScanner().scan(m_node.tokens, lead);
    if (scanned.failed || scanned.end + 3 != tokenCount() || codeAt(tokenCount() - 1) != ';') return false;
    auto detail = std::make_unique<model::FunctionDetail>();
    detail->nameTokens = scanned.name.tokens;
    detail->name = std::move(scanned.name);
    detail->returnTokens = tokenSlice(0, lead);
    classifyAs(NodeKind::Function, std::move(detail));
    return true;
}

// static inline int max ( int a , int b )
bool FunctionAnalyzer::trySpecifierFunction()
{
    const std::size_t lead = leadingRun(kFunctionLeaders);
    if (lead == 0 || !isIdentifierAt(lead)) return false;
    ScannedName scanned = NameScanner().scan(m_node.tokens, lead);
    if (scanned.failed || codeAt(scanned.end) != '(') return false;
    auto detail = std::make_unique<model::FunctionDetail>();
    detail->nameTokens = scanned.name.tokens;
    detail->name = std::move(scanned.name);
    detail->returnTokens = tokenSlice(0, lead);
    detail->parameters = parseParameters(m_node, scanned.end);
    classifyAs(NodeKind::Function, std::move(detail));
    return true;
}

// std::string A::B::name ( ... )   CFoo::~CFoo ( )   MACRO ( x )
bool FunctionAnalyzer::tryGeneralFunction()
{
    if (!m_hasParentheses) return false;
    // A `(` inside brackets belongs to an attribute (`[[deprecated("use g")]] void f();`) or an
    // array bound, never to the declared function.
    std::size_t open = 1;
    for (int brackets = codeAt(0) == '[' ? 1 : 0; open < tokenCount(); ++open) {
        const model::TokenCode code = codeAt(open);
        if (code == '[') ++brackets;
        if (code == ']') --brackets;
        if (code == '(' && brackets <= 0 && isIdentifierAt(open - 1)) break;
    }
    if (open >= tokenCount()) return false;

    std::size_t first = open - 1;  // the identifier before `(`
    if (first > 0 && codeAt(first - 1) == '~') --first;
    while (first >= 2 && codeAt(first - 1) == tok::ColonColon && isIdentifierAt(first - 2)) first -= 2;
    // `Foo x = make(1);` and `It i = list.begin();` call a function in an initializer: what
    // stands before the name would be an assignment or a member access, never a return type.
    for (std::size_t i = 0; i < first; ++i) {
        if (codeAt(i) == '=') return false;
    }
    if (first > 0 && (codeAt(first - 1) == '.' || codeAt(first - 1) == tok::Arrow)) return false;

    auto detail = std::make_unique<model::FunctionDetail>();
    detail->nameTokens = tokenSlice(first, open);
    detail->name = NameScanner().scan(detail->nameTokens, 0).name;
    detail->returnTokens = tokenSlice(0, first);
    if (open + 1 < tokenCount()) detail->parameters = parseParameters(m_node, open);
    classifyAs(NodeKind::Function, std::move(detail));
    return true;
}

// const char * * name ...   int & r ...   (only the type and the name are taken)
bool FunctionAnalyzer::tryPointerVariable()
{
    if (!m_node.children.empty()) return false;
    const std::size_t lead = leadingRun(kVariableLeaders);
    if (lead == 0) return false;
    const std::size_t at = skipPointers(lead);
    if (!isIdentifierAt(at)) return false;
    ScannedName scanned = NameScanner().scan(m_node.tokens, at);
    // `void *Pool::operator new(size_t);` declares an operator function, not a variable.
    for (const model::Token* token : scanned.name.tokens) {
        if (token->code == tok::Operator) return false;
    }
    auto detail = std::make_unique<model::VariableDetail>();
    detail->typeTokens = tokenSlice(0, at);
    detail->name = std::move(scanned.name);
    classifyAs(NodeKind::Variable, std::move(detail));
    return true;
}

// } s1 , * s2 , s3 [ 4 ] = { ... } ;   after `struct S { ... }`: one Variable child per declarator.
bool FunctionAnalyzer::tryAggregateDeclarators()
{
    if (m_previous == nullptr || !m_previous->classified || !m_previous->hasBody) return false;
    const NodeKind previousKind = m_previous->kind;
    if (previousKind != NodeKind::Class && previousKind != NodeKind::Struct && previousKind != NodeKind::Union) {
        return false;
    }
    const std::string typeName = aggregateName(*m_previous);
    std::size_t end = tokenCount();
    if (end > 0 && codeAt(end - 1) == ';') --end;

    std::vector<AnalysisNode> declarators;
    std::size_t at = 0;
    while (at < end) {
        // One declarator runs to the next comma outside brackets.
        std::size_t pieceEnd = at;
        int depth = 0;
        for (; pieceEnd < end; ++pieceEnd) {
            const model::TokenCode code = codeAt(pieceEnd);
            if (code == '(' || code == '[' || code == '{') {
                ++depth;
            } else if (code == ')' || code == ']' || code == '}') {
                --depth;
            } else if (code == ',' && depth <= 0) {
                break;
            }
        }
        if (auto child = aggregateDeclarator(at, pieceEnd, typeName)) declarators.push_back(std::move(*child));
        at = pieceEnd + 1;
    }
    if (declarators.empty()) return false;
    for (auto& child : declarators) m_node.children.push_back(std::move(child));
    classifyAs(NodeKind::MultipleDeclareVariable);
    return true;
}

// One declarator of the tokens [begin, end): `* name [ 4 ] = value`. Anything else between the
// name and the end (`uint8 level = 0` after an aggregate whose `;` closed it) is no declarator.
std::optional<AnalysisNode> FunctionAnalyzer::aggregateDeclarator(std::size_t begin, std::size_t end, const std::string& typeName) const
{
    std::size_t i = std::min(skipPointers(begin), end);
    if (i >= end || !isIdentifierAt(i)) return std::nullopt;
    auto detail = std::make_unique<model::VariableDetail>();
    detail->pointerTokens = tokenSlice(begin, i);
    ScannedName scanned = NameScanner().scan(std::span(m_node.tokens).first(end), i);
    detail->name = std::move(scanned.name);
    detail->name.name = typeName;
    i = scanned.end;
    const std::size_t dimensions = i;
    while (i < end && codeAt(i) == '[') {
        for (int brackets = 0; i < end; ++i) {
            if (codeAt(i) == '[') ++brackets;
            if (codeAt(i) == ']' && --brackets == 0) break;
        }
        if (i < end) ++i;
    }
    detail->dimensionTokens = tokenSlice(dimensions, i);
    if (i < end && codeAt(i) == '=') {
        detail->initializerTokens = tokenSlice(i + 1, end);
    } else if (i < end) {
        return std::nullopt;
    }
    AnalysisNode child;
    child.tokens = tokenSlice(begin, end);
    child.kind = NodeKind::Variable;
    child.classified = true;
    child.detail = std::move(detail);
    return child;
}

}  // namespace qm::parser
