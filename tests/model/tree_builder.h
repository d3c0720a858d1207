// Hand-built analysis trees for the model tests, standing in for the parser. Nodes point at
// tokens, so the tokens live in a TokenPool whose deque keeps their addresses stable.
#pragma once

#include "model/analysis_node.h"
#include "model/source_unit.h"
#include "model/symbol_table.h"

#include <algorithm>
#include <deque>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace qm::model::test_trees {

class TokenPool {
public:
    const Token* add(TokenCode code, std::string_view text = "", std::int32_t line = 1)
    {
        return &m_tokens.emplace_back(Token{line, code, TokenString(text)});
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

// A node of `kind` with a detail of type D that `fill` completes.
template <typename D, typename Fill>
AnalysisNode detailNode(NodeKind kind, bool hasBody, Fill fill)
{
    auto detail = std::make_unique<D>();
    fill(*detail);
    return makeNode(kind, std::move(detail), hasBody);
}

// Kinds 4 and 5; an empty name makes an anonymous one.
inline AnalysisNode classNode(std::string name, NodeKind kind = NodeKind::Class)
{
    return detailNode<ClassDetail>(kind, true, [&](ClassDetail& d) { d.name.name = name; });
}

// Kinds 6, 7, 8.
inline AnalysisNode textNode(NodeKind kind, std::string text)
{
    return detailNode<TextDetail>(kind, true, [&](TextDetail& d) { d.text = text; });
}

inline AnalysisNode functionNode(std::string name, int parameters, bool body = false,
                                 std::vector<std::string> scope = {})
{
    return detailNode<FunctionDetail>(NodeKind::Function, body, [&](FunctionDetail& d) {
        d.name = {name, scope, {}};
        d.parameters.resize(static_cast<std::size_t>(parameters));
    });
}

inline AnalysisNode variableNode(std::string name, std::vector<std::string> scope = {})
{
    return detailNode<VariableDetail>(NodeKind::Variable, false, [&](VariableDetail& d) { d.name = {name, scope, {}}; });
}

// Kind 58, or kind 59 when `scope` is not empty.
inline AnalysisNode operatorNode(TokenRefs operatorTokens, int parameters, bool body,
                                 std::vector<std::string> scope = {})
{
    auto fill = [&](OperatorDetail& d) {
        d.operatorTokens = operatorTokens;
        d.parameters.resize(static_cast<std::size_t>(parameters));
    };
    if (scope.empty()) {
        return detailNode<OperatorDetail>(NodeKind::OverloadMethod, body, fill);
    }
    return detailNode<OperatorFunctionDetail>(NodeKind::OverloadFunctionMethod, body, [&](OperatorFunctionDetail& d) {
        fill(d);
        d.scope = scope;
    });
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

// Take trees apart level by level: ~AnalysisNode and ~SymbolEntry recurse once per level of
// nesting, which a tree tens of thousands of levels deep does not survive.
}  // namespace qm::model::test_trees
