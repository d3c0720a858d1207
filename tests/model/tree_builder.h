// Hand-built analysis trees for the model tests, standing in for the parser. Nodes point at
// tokens, so the tokens live in a TokenPool whose deque keeps their addresses stable.
#pragma once

#include "model/analysis_node.h"
#include "model/source_unit.h"
#include "model/symbol_table.h"

#include <cctype>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm::model::testing {

class TokenPool {
public:
    const Token* add(TokenCode code, std::string_view text = {}, std::int32_t line = 1)
    {
        return &m_tokens.emplace_back(Token{line, code, TokenString(text)});
    }
    // One token per entry: identifiers for words, the character code for one-character entries
    // that are not letters.
    TokenRefs words(std::initializer_list<std::string_view> texts, std::int32_t line = 1)
    {
        TokenRefs refs;
        for (std::string_view t : texts) {
            const bool punct = t.size() == 1 && !std::isalnum(static_cast<unsigned char>(t[0]));
            refs.push_back(punct ? add(static_cast<unsigned char>(t[0]), {}, line) : add(tok::Identifier, t, line));
        }
        return refs;
    }

private:
    std::deque<Token> m_tokens;
};

inline AnalysisNode makeNode(NodeKind kind, std::unique_ptr<NodeDetail> detail = nullptr, bool hasBody = false)
{
    AnalysisNode node;
    node.kind = kind;
    node.classified = true;
    node.hasBody = hasBody;
    node.detail = std::move(detail);
    return node;
}

// Kinds 4 and 5; an empty name makes an anonymous one.
inline AnalysisNode classNode(std::string name, bool body = true, NodeKind kind = NodeKind::Class)
{
    auto d = std::make_unique<ClassDetail>();
    d->name.name = std::move(name);
    return makeNode(kind, std::move(d), body);
}

// Kinds 6, 7, 8.
inline AnalysisNode textNode(NodeKind kind, std::string text, bool body = true)
{
    auto d = std::make_unique<TextDetail>();
    d->text = std::move(text);
    return makeNode(kind, std::move(d), body);
}

inline AnalysisNode functionNode(std::string name, int parameters, bool body = false,
                                 std::vector<std::string> scope = {})
{
    auto d = std::make_unique<FunctionDetail>();
    d->name.name = std::move(name);
    d->name.scope = std::move(scope);
    d->parameters.resize(static_cast<std::size_t>(parameters));
    return makeNode(NodeKind::Function, std::move(d), body);
}

inline AnalysisNode variableNode(std::string name, std::vector<std::string> scope = {})
{
    auto d = std::make_unique<VariableDetail>();
    d->name.name = std::move(name);
    d->name.scope = std::move(scope);
    return makeNode(NodeKind::Variable, std::move(d));
}

inline AnalysisNode classDeclareNode(NodeKind kind, std::string name)
{
    auto d = std::make_unique<ClassDeclareDetail>();
    d->name.name = std::move(name);
    return makeNode(kind, std::move(d));
}

inline AnalysisNode shortDeclareNode(std::string name)
{
    auto d = std::make_unique<ShortDeclareDetail>();
    d->name = std::move(name);
    return makeNode(NodeKind::ShortDeclare, std::move(d));
}

// Kind 58, or kind 59 when `scope` is not empty.
inline AnalysisNode operatorNode(TokenRefs operatorTokens, int parameters, bool body,
                                 std::vector<std::string> scope = {})
{
    const NodeKind kind = scope.empty() ? NodeKind::OverloadMethod : NodeKind::OverloadFunctionMethod;
    std::unique_ptr<OperatorDetail> d;
    if (scope.empty()) {
        d = std::make_unique<OperatorDetail>();
    } else {
        auto f = std::make_unique<OperatorFunctionDetail>();
        f->scope = std::move(scope);
        d = std::move(f);
    }
    d->operatorTokens = std::move(operatorTokens);
    d->parameters.resize(static_cast<std::size_t>(parameters));
    return makeNode(kind, std::move(d), body);
}

template <typename... Children>
AnalysisNode with(AnalysisNode parent, Children&&... children)
{
    (parent.children.push_back(std::forward<Children>(children)), ...);
    return parent;
}

template <typename... Nodes>
std::unique_ptr<SourceUnit> makeUnit(std::string fileName, Nodes&&... nodes)
{
    auto unit = std::make_unique<SourceUnit>();
    unit->fileName = std::move(fileName);
    (unit->nodes.push_back(std::forward<Nodes>(nodes)), ...);
    return unit;
}

// Take trees apart level by level: both ~AnalysisNode and ~SymbolEntry recurse once per level of
// nesting, which a tree many thousands of levels deep does not survive.
inline void dismantle(std::vector<AnalysisNode>& nodes)
{
    std::vector<AnalysisNode> pending = std::move(nodes);
    while (!pending.empty()) {
        AnalysisNode node = std::move(pending.back());
        pending.pop_back();
        for (AnalysisNode& child : node.children) {
            pending.push_back(std::move(child));
        }
    }
}

inline void dismantle(SymbolEntry& root)
{
    std::vector<std::unique_ptr<SymbolTable>> pending;
    pending.push_back(std::move(root.children));
    while (!pending.empty()) {
        std::unique_ptr<SymbolTable> table = std::move(pending.back());
        pending.pop_back();
        if (table) {
            for (auto& [key, entry] : *table) {
                pending.push_back(std::move(entry.children));
            }
        }
    }
}

}  // namespace qm::model::testing
