#include "parser/function_analyzer.h"

#include "model/token_text.h"
#include "parser/declaration_prefix.h"
#include "parser/name_scanner.h"
#include "parser/parse_parameters.h"

namespace qm::parser {

namespace tok = model::tok;
using model::AnalysisNode;
using model::NodeList;
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

FunctionAnalyzer::TokenClass FunctionAnalyzer::classOf(const model::Token& token) noexcept
{
    if (token.code == tok::Friend) return FunctionSpecifier;
    switch (contextualWordOf(token)) {
    case ContextualWord::Storage: return Storage;
    case ContextualWord::FunctionSpecifier: return FunctionSpecifier;
    case ContextualWord::BasicType: return BasicType;
    default: return classOf(token.code);
    }
}

void FunctionAnalyzer::analyze()
{
    if (m_node.classified || m_node.tokens.empty()) {
        return;
    }
    m_classes.reserve(m_node.tokens.size());
    for (const model::Token* token : m_node.tokens) {
        m_classes.push_back(classOf(*token));
        if (token->code == '(' || token->code == ')') m_hasParentheses = true;
    }
    tryShortDeclare() || tryPlainVariable() || tryInitialisedVariable() || tryEmptyParameterPrototype()
        || trySpecifierFunction() || tryOperatorFunction() || tryGeneralFunction() || tryPointerVariable()
        || tryAggregateDeclarators() || tryBraceInitialisedVariable();
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

// static const char name ;   inline static int counter ;
bool FunctionAnalyzer::tryPlainVariable()
{
    const std::size_t lead = leadingRun(kInlineVariableLeaders);
    if (lead == 0 || !isIdentifierAt(lead)) return false;
    ScannedName scanned = NameScanner().scan(m_node.tokens, lead);
    if (scanned.failed || scanned.end + 1 != tokenCount() || codeAt(scanned.end) != ';') return false;
    auto detail = std::make_unique<model::VariableDetail>();
    detail->typeTokens = tokenSlice(0, lead);
    detail->name = std::move(scanned.name);
    classifyAs(NodeKind::Variable, std::move(detail));
    return true;
}

// static const int n = 5 ;   inline constexpr int n = 5 ;
// (one declarator: a `,` before the final `;` is not this shape)
bool FunctionAnalyzer::tryInitialisedVariable()
{
    const std::size_t lead = leadingRun(kInlineVariableLeaders);
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
namespace {
bool isTypeOperatorWord(const model::Token& token) noexcept;
}  // namespace

// static void LIB_ATTR_FORMAT ( 1 , 2 ) name ( ... )   a macro call at `at` (an all-caps word and
// its arguments) between the return type and the name is an attribute when a name and its
// parameter list follow it.
bool FunctionAnalyzer::macroCallBeforeName(std::size_t at) const
{
    if (at == 0 || !looksLikeMacroName(*m_node.tokens[at]) || codeAt(at + 1) != '(') return false;
    const std::size_t close = groupEnd(m_node.tokens, at + 1);
    if (close == kNotClosed || !isIdentifierAt(close)) return false;
    const ScannedName next = NameScanner().scan(m_node.tokens, close);
    return !next.failed && codeAt(next.end) == '(';
}

bool FunctionAnalyzer::trySpecifierFunction()
{
    const std::size_t lead = leadingRun(kFunctionLeaders);
    if (lead == 0 || !isIdentifierAt(lead)) return false;
    // static decltype ( auto ) f ( )   the word's group is part of the type, and in
    // static void LIB_ATTR ( 1 , 2 ) f ( )   a macro call stands before the name: the general form.
    if (isTypeOperatorWord(*m_node.tokens[lead]) || macroCallBeforeName(lead)) return false;
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

namespace {

// Words whose parenthesised argument is part of a type or a specifier, never a parameter list:
// `decltype(auto) f()`, `void g() noexcept(true);`.
bool isTypeOperatorWord(const model::Token& token) noexcept
{
    if (token.code == tok::Sizeof || token.code == tok::Throw) return true;
    if (token.code != tok::Identifier) return false;
    const std::string_view word = token.text.view();
    return word == "decltype" || word == "noexcept" || word == "alignof" || word == "typeof" || word == "__typeof__"
           || word == "__typeof" || word == "static_assert" || word == "_Static_assert" || word == "requires";
}

// The spelling of a conversion operator's type: `const char*`, `std::string`, `std::vector<int>`.
std::string typeSpelling(model::TokenRefsView tokens)
{
    std::string out;
    bool previousWord = false;
    for (const model::Token* token : tokens) {
        const std::string spelled = model::spellToken(*token);
        const bool word = token->code == tok::Identifier || (token->code >= tok::And && token->code <= tok::XorEq);
        if (word && previousWord) out.push_back(' ');
        out += spelled;
        previousWord = word;
    }
    return out;
}

}  // namespace

// Back from the identifier at `last` over `A :: B < T > :: last` to the first token of the
// qualified name; a `~` directly before the last identifier and a leading `::` belong to it.
std::size_t FunctionAnalyzer::qualifiedNameStart(std::size_t last) const noexcept
{
    std::size_t first = last;
    if (first > 0 && codeAt(first - 1) == '~') --first;
    while (first >= 2 && codeAt(first - 1) == tok::ColonColon) {
        std::size_t component = first - 2;
        if (codeAt(component) == '>' || codeAt(component) == tok::ShiftRight) {
            // Back over the template arguments of a scope: `TT < T > ::`.
            int depth = 0;
            for (;; --component) {
                const model::TokenCode code = codeAt(component);
                if (code == '>') ++depth;
                if (code == tok::ShiftRight) depth += 2;
                if (code == '<' && --depth <= 0) break;
                if (component == 0) return first;
            }
            if (depth != 0 || component == 0) return first;
            --component;
        }
        if (!isIdentifierAt(component)) break;
        first = component;
    }
    if (first == 1 && codeAt(0) == tok::ColonColon) first = 0;  // ::f ( )
    return first;
}

// Fills a function detail for the name tokens [first, nameEnd) and the parameter list at `open`.
void FunctionAnalyzer::classifyFunction(std::size_t first, std::size_t nameEnd, std::size_t open)
{
    auto detail = std::make_unique<model::FunctionDetail>();
    detail->nameTokens = tokenSlice(first, nameEnd);
    const std::size_t scanFrom = codeAt(first) == tok::ColonColon ? 1 : 0;
    detail->name = NameScanner().scan(detail->nameTokens, scanFrom).name;
    detail->name.tokens = detail->nameTokens;
    detail->returnTokens = tokenSlice(0, first);
    if (open + 1 < tokenCount()) detail->parameters = parseParameters(m_node, open);
    classifyAs(NodeKind::Function, std::move(detail));
}

// bool operator < ( const A & , const A & )   operator bool ( ) const   A :: operator std :: string ( )
// An operator function outside a class body, and a conversion operator anywhere. The name is
// the operator's symbol (`<`, `()`, `new[]`) or, for a conversion, `operator` and its type. A
// qualified operator with a symbol is left to the qualified-operator recogniser.
bool FunctionAnalyzer::tryOperatorFunction()
{
    std::size_t op = 0;
    int depth = 0;
    bool assigned = false;  // T v = a . operator + ( b ) ;   the operator is called, not declared
    for (; op < tokenCount(); ++op) {
        const model::TokenCode code = codeAt(op);
        if (code == '(' || code == '[') ++depth;
        if (code == ')' || code == ']') --depth;
        if (code == '=' && depth == 0) assigned = true;
        if (code == tok::Operator && depth == 0) break;
    }
    if (op >= tokenCount() || assigned) return false;
    if (op > 0 && (codeAt(op - 1) == '.' || codeAt(op - 1) == tok::Arrow)) return false;
    const bool qualified = op > 0 && codeAt(op - 1) == tok::ColonColon;

    std::size_t symbolEnd = op + 1;
    const model::TokenCode symbol = codeAt(op + 1);
    bool conversion = false;
    if ((symbol == '(' && codeAt(op + 2) == ')') || (symbol == '[' && codeAt(op + 2) == ']')) {
        symbolEnd = op + 3;
    } else if ((symbol == tok::New || symbol == tok::Delete) && codeAt(op + 2) == '[' && codeAt(op + 3) == ']') {
        symbolEnd = op + 4;
    } else if (isOperatorSymbol(symbol)) {
        symbolEnd = op + 2;
    } else {
        // operator const char * ( )   the type runs to the parameter list.
        conversion = true;
        while (symbolEnd < tokenCount() && codeAt(symbolEnd) != '(') {
            if (codeAt(symbolEnd) == '<') {
                const std::size_t close = groupEnd(m_node.tokens, symbolEnd);
                if (close == kNotClosed) return false;
                symbolEnd = close;
            } else {
                ++symbolEnd;
            }
        }
        if (symbolEnd == op + 1) return false;
    }
    if (codeAt(symbolEnd) != '(') return false;
    if (qualified && !conversion) return false;

    std::size_t first = op;
    if (qualified) {
        // Back over `A :: B < T > ::` like a function name.
        first = qualifiedNameStart(op);
    }
    auto detail = std::make_unique<model::FunctionDetail>();
    detail->nameTokens = tokenSlice(first, symbolEnd);
    detail->name.tokens = detail->nameTokens;
    if (qualified) {
        ScannedName scope = NameScanner().scan(m_node.tokens.view().first(op), codeAt(first) == tok::ColonColon ? first + 1 : first);
        detail->name.scope = std::move(scope.name.scope);
        if (!scope.name.name.empty()) detail->name.scope.push_back(std::move(scope.name.name));
    }
    // A literal operator (`operator "" _a`) is named by its suffix like a symbol: `""_a`.
    const auto symbolTokens = m_node.tokens.view().subspan(op + 1, symbolEnd - op - 1);
    if (conversion && codeAt(op + 1) != tok::StringLiteral) {
        detail->name.name = "operator " + typeSpelling(symbolTokens);
    } else {
        detail->name.name = model::TokenText(symbolTokens, false);
    }
    detail->returnTokens = tokenSlice(0, first);
    detail->parameters = parseParameters(m_node, symbolEnd);
    classifyAs(NodeKind::Function, std::move(detail));
    return true;
}

// std::string A::B::name ( ... )   CFoo::~CFoo ( )   MACRO ( x )   T TT < T > :: bar ( )
// int tmax < int > ( int a , int b )   decltype ( auto ) f ( )
// The parameter list is the first `(` after a name, outside brackets and template arguments; a
// name followed by template arguments (an explicit specialisation) counts too.
bool FunctionAnalyzer::tryGeneralFunction()
{
    if (!m_hasParentheses) return false;
    std::size_t open = 0;
    std::size_t nameLast = 0;  // the identifier that ends the name
    std::size_t nameEnd = 0;   // one past the name's tokens (template arguments included)
    int brackets = 0;
    bool comparisons = false;  // a `<` that closes nowhere was met: the others compare too
    for (std::size_t i = 0; i < tokenCount() && open == 0; ++i) {
        const model::TokenCode code = codeAt(i);
        if (code == '[') {
            ++brackets;  // [[deprecated("use g")]] void f();   an attribute or an array bound
        } else if (code == ']') {
            --brackets;
        } else if (brackets > 0 || i == 0) {
            continue;
        } else if (code == '<' && isIdentifierAt(i - 1) && !comparisons) {
            const std::size_t close = groupEnd(m_node.tokens, i);
            if (close == kNotClosed) {
                comparisons = true;  // a < b
                continue;
            }
            if (codeAt(close) == '(') {
                open = close;  // tmax < int > (
                nameLast = i - 1;
                nameEnd = close;
            } else {
                i = close - 1;
            }
        } else if (code == '(' && isIdentifierAt(i - 1)) {
            if (isTypeOperatorWord(*m_node.tokens[i - 1])) {
                const std::size_t close = groupEnd(m_node.tokens, i);
                if (close == kNotClosed) return false;
                i = close - 1;  // decltype ( auto )
                continue;
            }
            if (i >= 2 && macroCallBeforeName(i - 1)) {
                i = groupEnd(m_node.tokens, i) - 1;
                continue;
            }
            open = i;
            nameLast = i - 1;
            nameEnd = i;
        } else if (code == '(' && isTypeOperatorWord(*m_node.tokens[i - 1])) {
            const std::size_t close = groupEnd(m_node.tokens, i);
            if (close == kNotClosed) return false;
            i = close - 1;
        }
    }
    if (open == 0) return false;

    const std::size_t first = qualifiedNameStart(nameLast);
    // `Foo x = make(1);` and `It i = list.begin();` call a function in an initializer: what
    // stands before the name would be an assignment or a member access, never a return type.
    for (std::size_t i = 0; i < first; ++i) {
        if (codeAt(i) == '=') return false;
    }
    if (first > 0 && (codeAt(first - 1) == '.' || codeAt(first - 1) == tok::Arrow)) return false;
    classifyFunction(first, nameEnd, open);
    return true;
}

// const char * * name ...   int & r ...   (only the type and the name are taken)
bool FunctionAnalyzer::tryPointerVariable()
{
    if (!m_node.children.empty()) return false;
    const std::size_t lead = leadingRun(kVariableLeaders);
    if (lead == 0) return false;
    std::size_t at = skipPointers(lead);
    if (!isIdentifierAt(at)) return false;
    ScannedName scanned = NameScanner().scan(m_node.tokens, at);
    // const std :: string name ;   const Foo < int > * p ;   the first name is the type.
    std::size_t after = scanned.end;
    if (codeAt(after) == '<') {
        after = groupEnd(m_node.tokens, after);
        if (after == kNotClosed) after = scanned.end;
    }
    after = skipPointers(after);
    if (after > at && isIdentifierAt(after) && contextualWordOf(*m_node.tokens[after]) == ContextualWord::None) {
        at = after;
        scanned = NameScanner().scan(m_node.tokens, at);
    }
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

    NodeList declarators;
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
    ScannedName scanned = NameScanner().scan(m_node.tokens.view().first(end), i);
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

// int member { 5 } ;   static Foo instance { 1 , 2 } ;   std :: string name { } ;
// A name right before a brace block, after a type, with no parameter list: the block is the
// initializer, kept as the variable's one child.
bool FunctionAnalyzer::tryBraceInitialisedVariable()
{
    if (!m_node.hasBody || m_hasParentheses || m_node.children.size() > 1 || tokenCount() < 2) return false;
    const std::size_t last = tokenCount() - 1;
    if (!isIdentifierAt(last)) return false;
    const std::size_t first = qualifiedNameStart(last);
    if (first == 0) return false;
    const model::TokenCode before = codeAt(first - 1);
    if (before != tok::Identifier && before != '>' && before != '*' && before != '&' && classOf(*m_node.tokens[first - 1]) == Other) {
        return false;
    }
    for (std::size_t i = 0; i < first; ++i) {
        if (codeAt(i) == '=' || codeAt(i) == ';' || codeAt(i) == tok::Operator) return false;
    }
    auto detail = std::make_unique<model::VariableDetail>();
    detail->typeTokens = tokenSlice(0, first);
    detail->name = NameScanner().scan(m_node.tokens, first).name;
    if (!m_node.children.empty()) {
        model::AnalysisNode& child = m_node.children.front();
        detail->initializerTokens = child.tokens;
        child.kind = NodeKind::VariableInitialChild;
        child.classified = true;
    }
    classifyAs(NodeKind::Variable, std::move(detail));
    return true;
}

}  // namespace qm::parser
