#include "parser/variable_analyzer.h"

#include "parser/name_scanner.h"
#include "parser/parse_parameters.h"

namespace qm::parser {

namespace tok = model::tok;
using model::NodeKind;
using model::TokenRefs;

VariableAnalyzer::Positions VariableAnalyzer::preScan(const TokenRefs& tokens)
{
    enum Mode { Top, Angle, Paren, Bracket };
    Positions at;
    Mode mode = Top;
    int depth = 0;
    bool runContinues = false;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const model::TokenCode code = tokens[i]->code;
        switch (mode) {
        case Top:
            if (code == '<') {
                at.angleOpen = i;
                at.angleClose = 0;
                mode = Angle;
                depth = 1;
            } else if (code == '(') {
                at.parenOpen = i;
                at.parenClose = 0;
                mode = Paren;
                depth = 1;
            } else if (code == '[') {
                runContinues = !at.runEnds.empty() && at.runEnds.back() + 1 == i;
                if (!runContinues) at.runStarts.push_back(i);
                mode = Bracket;
            } else if (code == '=') {
                at.equals = i;
            } else if (code == ',') {
                at.comma = i;
            } else if (code == tok::Operator) {
                at.hasOperator = true;
            }
            break;
        case Angle:
            // `>>` closes two levels: `std::vector<std::vector<int>> v;`.
            if (code == '<') {
                ++depth;
            } else if (code == '>' || code == tok::ShiftRight) {
                depth -= code == '>' ? 1 : 2;
                if (depth <= 0) {
                    at.angleClose = i;
                    mode = Top;
                }
            }
            break;
        case Paren:
            if (code == '(') {
                ++depth;
            } else if (code == ')' && --depth == 0) {
                at.parenClose = i;
                mode = Top;
            }
            break;
        case Bracket:
            if (code == ']') {
                if (runContinues) {
                    at.runEnds.back() = i;
                } else {
                    at.runEnds.push_back(i);
                }
                mode = Top;
            }
            break;
        }
    }
    return at;
}

void VariableAnalyzer::analyze()
{
    if (m_node.classified || m_node.tokens.empty()) {
        return;
    }
    m_at = preScan(m_node.tokens);
    tryTemplateTyped() || tryArray() || tryIdentifierTyped() || tryQualifiedOperator();
}

// std::vector<int> v ;   std::map<K, V>::iterator it = m.begin() ;
bool VariableAnalyzer::tryTemplateTyped()
{
    // A top-level `operator` makes the node an operator function (`T<A>& T<A>::operator=(...)`).
    if (m_at.angleOpen < 1 || m_at.angleClose == 0 || m_at.hasOperator) return false;
    std::size_t at = m_at.angleClose + 1;
    // T Box < T > :: value_ = T ( ) ;   the definition of a static member of a template: the
    // name starts before the template arguments.
    if (codeAt(at) == tok::ColonColon && isIdentifierAt(at + 1) && isIdentifierAt(m_at.angleOpen - 1) && m_at.angleOpen >= 2) {
        const model::TokenCode next = codeAt(at + 2);
        if (next == '=' || next == ';' || next == '[' || next == ',' || (next == model::tok::EndOfInput && m_node.hasBody)) {
            const std::size_t nameAt = m_at.angleOpen - 1;
            // friend class List < Element > :: Appender ;   names a class, declares no variable.
            for (std::size_t i = 0; i < nameAt; ++i) {
                if (m_node.tokens[i]->isOneOf(tok::Class, tok::Struct, tok::Union, tok::Enum, tok::Friend, tok::Typename,
                                              tok::Using)) {
                    return false;
                }
            }
            ScannedName scanned = NameScanner().scan(m_node.tokens, nameAt);
            if (!scanned.failed && scanned.end == at + 2) {
                auto detail = std::make_unique<model::VariableDetail>();
                detail->typeTokens = tokenSlice(0, nameAt);
                detail->name = std::move(scanned.name);
                declaratorTail(*detail, scanned.end);
                classifyAs(NodeKind::Variable, std::move(detail));
                return true;
            }
        }
    }
    // A member type of the template (`>::iterator it`) belongs to the type, not to the name.
    while (codeAt(at) == tok::ColonColon && isIdentifierAt(at + 1)
           && (isIdentifierAt(at + 2) || codeAt(at + 2) == tok::ColonColon || isPointerOrReferenceAt(at + 2))) {
        at += 2;
    }
    at = skipPointers(at);
    // A name that starts with `::` cannot be scanned; such a node (`friend class A<B>::C;`) is
    // left alone rather than made a variable without a name.
    if (!isIdentifierAt(at)) return false;
    ScannedName scanned = NameScanner().scan(m_node.tokens, at);
    auto detail = std::make_unique<model::VariableDetail>();
    detail->typeTokens = tokenSlice(0, at);
    detail->name = std::move(scanned.name);
    declaratorTail(*detail, scanned.end);
    classifyAs(NodeKind::Variable, std::move(detail));
    return true;
}

// A::B c [ 4 ] , d [ 2 ] ;   static int table [ 3 ] = { ... }
bool VariableAnalyzer::tryArray()
{
    if (m_at.hasOperator) return false;  // `T A::operator[](int i)`
    bool longEnough = false;
    for (std::size_t end : m_at.runEnds) longEnough = longEnough || end > 3;
    if (!longEnough || m_at.runStarts.empty()) return false;

    std::size_t limit = std::min(tokenCount() - 1, m_at.runStarts.front());
    if (m_at.comma != 0) limit = std::min(limit, m_at.comma);
    std::size_t anchor = 0;  // 0: none
    std::size_t pointer = 0;
    while (pointer < limit && !isPointerOrReferenceAt(pointer)) ++pointer;
    if (pointer < limit) {
        anchor = pointer == 0 ? 0 : pointer - 1;
    } else {
        // Back from the name before `[` over `id :: id ...`: the anchor is the first token that
        // breaks the chain, so the type is everything up to it.
        bool wantIdentifier = true;
        for (std::size_t i = m_at.runStarts.front(); i-- > 1;) {
            const bool fits = wantIdentifier ? isIdentifierAt(i) : codeAt(i) == tok::ColonColon;
            if (!fits) {
                anchor = i;
                break;
            }
            wantIdentifier = !wantIdentifier;
        }
    }
    if (anchor < 1) return false;

    std::size_t at = anchor + 1;
    at = skipPointers(at);
    auto detail = std::make_unique<model::VariableDetail>();
    detail->typeTokens = tokenSlice(0, at);
    ScannedName scanned = NameScanner().scan(m_node.tokens, at);
    if (!scanned.failed) {
        detail->name = std::move(scanned.name);
        declaratorTail(*detail, scanned.end);
    }
    classifyAs(NodeKind::Variable, std::move(detail));
    return true;
}

// Foo a = ... ;   Foo * p = ... ;   A :: B c ... ;   A :: B * p ... ;
bool VariableAnalyzer::tryIdentifierTyped()
{
    if (tokenCount() < 4 || !isIdentifierAt(0)) return false;
    std::size_t typeEnd = 0;   // the type is tokens [0, typeEnd)
    std::size_t nameAt = 0;
    bool pointer = false;
    if (isIdentifierAt(1) && codeAt(2) == '=') {
        typeEnd = 1;
        nameAt = 1;
    } else if (codeAt(1) == '*' && isIdentifierAt(2) && codeAt(3) == '=') {
        typeEnd = 1;
        nameAt = 2;
        pointer = true;
    } else if (codeAt(1) == tok::ColonColon && isIdentifierAt(2) && isIdentifierAt(3)) {
        typeEnd = 3;
        nameAt = 3;
    } else if (codeAt(1) == tok::ColonColon && isIdentifierAt(2) && codeAt(3) == '*' && isIdentifierAt(4)) {
        typeEnd = 3;
        nameAt = 4;
        pointer = true;
    } else {
        return false;
    }
    // A :: ref B :: operator * ( )   a name that goes on with `::` is the scope of a member
    // defined outside its class, not a variable.
    if (codeAt(nameAt + 1) == tok::ColonColon) return false;
    auto detail = std::make_unique<model::VariableDetail>();
    detail->typeTokens = tokenSlice(0, typeEnd);
    if (pointer) detail->pointerTokens = tokenSlice(nameAt - 1, nameAt);
    detail->name.name = std::string(m_node.tokens[nameAt]->text.view());
    detail->name.tokens = tokenSlice(nameAt, nameAt + 1);
    declaratorTail(*detail, nameAt + 1);
    classifyAs(NodeKind::Variable, std::move(detail));
    return true;
}

// Vec & Vec :: operator += ( const Vec & other )   (a conversion operator is left alone)
bool VariableAnalyzer::tryQualifiedOperator()
{
    if (!m_at.hasOperator) return false;
    std::size_t op = 1;
    while (op < tokenCount() && !(codeAt(op) == tok::Operator && codeAt(op - 1) == tok::ColonColon)) ++op;
    if (op >= tokenCount()) return false;

    std::size_t symbolEnd = op + 1;
    const model::TokenCode symbol = codeAt(op + 1);
    if ((symbol == '(' && codeAt(op + 2) == ')') || (symbol == '[' && codeAt(op + 2) == ']')) {
        symbolEnd = op + 3;
    } else if ((symbol == tok::New || symbol == tok::Delete) && codeAt(op + 2) == '[' && codeAt(op + 3) == ']') {
        symbolEnd = op + 4;
    } else if (isOperatorSymbol(symbol)) {
        symbolEnd = op + 2;
    } else {
        return false;
    }

    // Back over `A::B<T>::` to the first component; template arguments are not part of a name.
    std::size_t first = op;
    std::vector<std::string> scope;
    while (first >= 2 && codeAt(first - 1) == tok::ColonColon) {
        std::size_t component = first - 2;
        if (codeAt(component) == '>') {
            int depth = 0;
            for (;; --component) {
                if (codeAt(component) == '>') ++depth;
                if (codeAt(component) == '<' && --depth == 0) break;
                if (component == 0) break;
            }
            if (depth != 0 || component == 0) break;
            --component;
        }
        if (!isIdentifierAt(component)) break;
        scope.emplace_back(m_node.tokens[component]->text.view());
        first = component;
    }
    auto detail = std::make_unique<model::OperatorFunctionDetail>();
    detail->scope.assign(scope.rbegin(), scope.rend());
    detail->leadingTokens = tokenSlice(0, first);
    detail->operatorTokens = tokenSlice(op + 1, symbolEnd);
    if (codeAt(symbolEnd) == '(') detail->parameters = parseParameters(m_node, symbolEnd);
    classifyAs(NodeKind::OverloadFunctionMethod, std::move(detail));
    return true;
}

void VariableAnalyzer::declaratorTail(model::VariableDetail& head, std::size_t index)
{
    model::VariableDetail* current = &head;
    for (;;) {
        if (codeAt(index) == '[') {
            const std::size_t start = index;
            while (codeAt(index) == '[') {
                while (index < tokenCount() && codeAt(index) != ']') ++index;
                if (index < tokenCount()) ++index;
            }
            current->dimensionTokens = tokenSlice(start, index);
        }
        if (codeAt(index) == '=') {
            if (index + 1 == tokenCount() && m_node.hasBody && m_node.children.size() == 1) {
                // `int a[3] = { 1, 2, 3 };`: the braces became the node's body.
                model::AnalysisNode& child = m_node.children.front();
                current->initializerTokens = child.tokens;
                child.kind = NodeKind::VariableInitialChild;
                child.classified = true;
                return;
            }
            std::size_t lastSemicolon = tokenCount();
            while (lastSemicolon-- > index + 1 && codeAt(lastSemicolon) != ';') {
            }
            if (lastSemicolon == tokenCount() || lastSemicolon <= index) return;
            // Runs to the last `;`: declarators after an initialised one become part of its text.
            current->initializerTokens = tokenSlice(index, lastSemicolon + 1);
            index = lastSemicolon;
        }
        if (codeAt(index) != ',') return;
        ++index;
        const std::size_t pointers = index;
        index = skipPointers(index);
        ScannedName scanned = NameScanner().scan(m_node.tokens, index);
        if (scanned.failed) return;
        model::VariableDetail next;
        next.typeTokens = head.typeTokens;
        next.pointerTokens = tokenSlice(pointers, index);
        next.name = std::move(scanned.name);
        head.more.push_back(std::move(next));
        current = &head.more.back();
        index = scanned.end;
    }
}

}  // namespace qm::parser
