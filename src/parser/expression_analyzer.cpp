#include "parser/expression_analyzer.h"

#include "parser/parse_parameters.h"

namespace qm::parser {

namespace tok = model::tok;
using model::NodeKind;

namespace {

bool isMemberJoin(model::TokenCode code) noexcept { return code == '.' || code == tok::ColonColon || code == tok::Arrow; }

}  // namespace

void ExpressionAnalyzer::analyze()
{
    if (m_node.classified) {
        return;
    }
    if (m_node.tokens.empty()) {
        classifyAs(NodeKind::Nothing);
        return;
    }
    std::unique_ptr<model::ExpressionDetail> detail;
    std::size_t budget = kArgumentBudgetFactor * tokenCount();
    for (std::size_t i = 0; i < tokenCount(); ++i) {
        const model::TokenCode code = codeAt(i);
        if (code == tok::New || code == tok::Delete) {
            if (!detail) detail = std::make_unique<model::ExpressionDetail>();
        } else if (code == tok::Identifier && codeAt(i + 1) == '(') {
            if (!detail) detail = std::make_unique<model::ExpressionDetail>();
            if (budget == 0) continue;
            // The callee is the chain `a.b->c::f` that ends at the identifier.
            std::size_t first = i;
            while (first >= 2 && isMemberJoin(codeAt(first - 1)) && isIdentifierAt(first - 2)) first -= 2;
            model::CallRecord call;
            call.callee.assign(m_node.tokens.begin() + static_cast<std::ptrdiff_t>(first),
                               m_node.tokens.begin() + static_cast<std::ptrdiff_t>(i + 1));
            call.arguments = parseParameters(m_node, i + 1);
            std::size_t copied = 0;
            for (const auto& argument : call.arguments) copied += argument.tokens.size();
            budget = copied >= budget ? 0 : budget - copied;
            detail->calls.push_back(std::move(call));
        }
    }
    if (detail) {
        classifyAs(NodeKind::Expression, std::move(detail));
    }
}

}  // namespace qm::parser
