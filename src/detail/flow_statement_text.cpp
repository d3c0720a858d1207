#include "detail/flow_statement_text.h"

#include "model/token_text.h"

namespace qm::detail {

std::string conditionText(const model::AnalysisNode& node)
{
    const auto* detail = node.detailAs<model::ConditionDetail>();
    return detail ? model::TokenText(detail->condition.tokens, true) : std::string();
}

ForHeaderText forHeaderText(const model::AnalysisNode& node)
{
    const auto* detail = node.detailAs<model::ForDetail>();
    if (!detail) return {};
    return ForHeaderText{model::TokenText(detail->init.tokens, true), model::TokenText(detail->condition.tokens, true),
                         model::TokenText(detail->step.tokens, true)};
}

std::string statementText(const model::AnalysisNode& node)
{
    return model::TokenText(node.tokens, true);
}

std::string catchText(const model::AnalysisNode& node)
{
    return "catch ( " + conditionText(node) + " )";
}

std::string caseLabelText(const model::AnalysisNode& node)
{
    const auto* detail = node.detailAs<model::ConditionDetail>();
    return detail ? model::TokenText(detail->condition.tokens, false) : std::string();
}

const model::AnalysisNode* closingWhileOf(const FlowElement& element)
{
    if (element.nodes.size() < 2 || !element.nodes[1] || element.nodes[1]->kind != model::NodeKind::WhileStatement) {
        return nullptr;
    }
    return element.nodes[1];
}

}  // namespace qm::detail
