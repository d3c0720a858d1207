// Hand-built statement trees for the flowchart tests, shaped as the statement parser leaves them,
// and a compact text form of a flowchart's element tree. Every node gets one identifier token
// whose text names it, so that the dump shows which nodes an element holds.
#pragma once

#include "detail/flow_element.h"
#include "detail/flow_walk.h"
#include "model/analysis_node.h"
#include "model/token_text.h"

#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace qm::detail::test_trees {

using model::AnalysisNode;
using model::NodeKind;

class StatementTrees {
public:
    // A node of `kind` named `name`, with `children` in order.
    template <typename... Children>
    AnalysisNode node(NodeKind kind, std::string name, bool hasBody, Children&&... children)
    {
        AnalysisNode n;
        n.kind = kind;
        n.classified = true;
        n.hasBody = hasBody;
        n.tokens.push_back(token(name));
        (n.children.push_back(std::forward<Children>(children)), ...);
        return n;
    }

    template <typename... Children>
    AnalysisNode function(Children&&... children)
    {
        return node(NodeKind::Function, "f", true, std::forward<Children>(children)...);
    }
    AnalysisNode stmt(std::string name) { return node(NodeKind::ExpressionStatement, std::move(name), false); }
    AnalysisNode directive(std::string name) { return node(NodeKind::PreprocessingDefine, std::move(name), false); }
    AnalysisNode breakStmt() { return node(NodeKind::BreakStatement, "break", false); }
    AnalysisNode continueStmt() { return node(NodeKind::ContinueStatement, "continue", false); }
    AnalysisNode returnStmt() { return conditional(node(NodeKind::ReturnStatement, "return", false)); }
    AnalysisNode gotoStmt(std::string label) { return labelled(NodeKind::GotoStatement, "goto", std::move(label)); }

    // A label node `label:` governing `children`.
    template <typename... Children>
    AnalysisNode label(std::string label, bool hasBody, Children&&... children)
    {
        AnalysisNode n = labelled(NodeKind::LabelStatement, label + ":", label);
        n.hasBody = hasBody;
        (n.children.push_back(std::forward<Children>(children)), ...);
        return n;
    }

    // Statements with a condition detail: if, else if, while, switch, case, catch; `else`
    // carries an empty one, as the parser leaves it.
    template <typename... Children>
    AnalysisNode withCondition(NodeKind kind, std::string name, bool hasBody, Children&&... children)
    {
        return conditional(node(kind, std::move(name), hasBody, std::forward<Children>(children)...));
    }

    template <typename... Children>
    AnalysisNode forStmt(std::string name, bool hasBody, Children&&... children)
    {
        AnalysisNode n = node(NodeKind::ForStatement, std::move(name), hasBody, std::forward<Children>(children)...);
        n.detail = std::make_unique<model::ForDetail>();
        return n;
    }

private:
    const model::Token* token(std::string_view text)
    {
        return &m_tokens.emplace_back(model::Token{1, model::tok::Identifier, model::TokenString(text)});
    }
    static AnalysisNode conditional(AnalysisNode n)
    {
        n.detail = std::make_unique<model::ConditionDetail>();
        return n;
    }
    AnalysisNode labelled(NodeKind kind, std::string name, std::string label)
    {
        AnalysisNode n = node(kind, std::move(name), false);
        auto detail = std::make_unique<model::TextDetail>();
        detail->text = std::move(label);
        n.detail = std::move(detail);
        return n;
    }

    std::deque<model::Token> m_tokens;
};

inline std::string shortKindName(NodeKind kind)
{
    switch (kind) {
    case NodeKind::JustBrace: return "Brace";
    case NodeKind::IfStatement: return "If";
    case NodeKind::ElseIfStatement: return "ElseIf";
    case NodeKind::ElseStatement: return "Else";
    case NodeKind::ForStatement: return "For";
    case NodeKind::WhileStatement: return "While";
    case NodeKind::DoStatement: return "Do";
    case NodeKind::BreakStatement: return "Break";
    case NodeKind::ContinueStatement: return "Continue";
    case NodeKind::ReturnStatement: return "Return";
    case NodeKind::GotoStatement: return "Goto";
    case NodeKind::SwitchStatement: return "Switch";
    case NodeKind::LabelStatement: return "Label";
    case NodeKind::CaseStatement: return "Case";
    case NodeKind::DefaultStatement: return "Default";
    case NodeKind::TryStatement: return "Try";
    case NodeKind::CatchStatement: return "Catch";
    case NodeKind::ExpressionStatement: return "Stmt";
    default: return "Kind" + std::to_string(model::toInt(kind));
    }
}

// One line per element, children indented by two blanks: the kind, the texts of its nodes
// joined by `|`, and with `cells` its cell and leftWidth/rightWidth/height:
// `If a @1,1 1/1/2`.
inline std::string dump(const FlowElementList& list, bool cells = true)
{
    std::string out;
    walkElements(list, 0, [&](const FlowElementList& l, std::size_t index, const int& depth) {
        const FlowElement& e = l[index];
        out += std::string(static_cast<std::size_t>(depth) * 2, ' ') + shortKindName(e.kind);
        const char* separator = " ";
        for (const AnalysisNode* n : e.nodes) {
            out += separator + model::TokenText(n->tokens, true);
            separator = "|";
        }
        if (cells) {
            out += " @" + std::to_string(e.col) + "," + std::to_string(e.row) + " " + std::to_string(e.leftWidth) +
                   "/" + std::to_string(e.rightWidth) + "/" + std::to_string(e.height);
        }
        out += "\n";
        return std::optional<int>(depth + 1);
    });
    return out;
}

}  // namespace qm::detail::test_trees
