#include "detail/flow_detail_popup.h"

#include "detail/flow_statement_text.h"

#include <algorithm>

namespace qm::detail {

using model::NodeKind;

std::vector<std::string> detailPopupLines(const FlowElement& element)
{
    const model::AnalysisNode* node = element.nodes.empty() ? nullptr : element.nodes.front();
    if (!node) return {"Nothing"};
    switch (element.kind) {
    case NodeKind::IfStatement:
        return {"If Statement", conditionText(*node)};
    case NodeKind::ElseIfStatement:
        return {"Else if Statement", conditionText(*node)};
    case NodeKind::ForStatement: {
        ForHeaderText header = forHeaderText(*node);
        return {"For Statement", std::move(header.init), std::move(header.condition), std::move(header.step)};
    }
    case NodeKind::WhileStatement:
        return {"While Statement", conditionText(*node)};
    case NodeKind::DoStatement: {
        std::vector<std::string> lines{"Do-While Statement"};
        if (const model::AnalysisNode* closing = closingWhileOf(element)) lines.push_back(conditionText(*closing));
        return lines;
    }
    case NodeKind::SwitchStatement:
        return {"Switch Statement", conditionText(*node)};
    case NodeKind::TryStatement:
        return {"Try Statement"};
    case NodeKind::JustBrace:
        return {"Try Block"};
    case NodeKind::CatchStatement:
        return {"Catch Statement", conditionText(*node)};
    case NodeKind::ExpressionStatement: {
        std::vector<std::string> lines{"Statement(s)"};
        for (const model::AnalysisNode* n : element.nodes) {
            lines.push_back(n ? statementText(*n) : std::string());
        }
        return lines;
    }
    default:
        return {"Nothing"};
    }
}

draw::Point detailPopupOrigin(FlowCell cell, bool anchored, const FlowGeometry& geometry, int gridWidth,
                              int gridHeight, int textWidth)
{
    if (anchored) {
        const int x = geometry.X(cell.col) + geometry.boxWidth - geometry.cellWidth - textWidth - 8;
        return draw::Point{std::max(0, x), geometry.Y(cell.row)};
    }
    FlowCell anchor{cell.col + 1, cell.row};
    if (cell.col + 1 > 1 && cell.col + 1 == gridWidth) {
        anchor = FlowCell{cell.col, cell.row + 2 == gridHeight ? cell.row - 1 : cell.row + 1};
    }
    return draw::Point{geometry.X(anchor.col), geometry.Y(anchor.row)};
}

std::optional<SourceLineRange> sourceLinesOf(const FlowElement& element)
{
    if (element.nodes.empty()) return std::nullopt;
    const model::AnalysisNode* first = element.nodes.front();
    const model::AnalysisNode* last = element.nodes.back();
    if (!first || !last || first->tokens.empty() || last->tokens.empty()) return std::nullopt;
    return SourceLineRange{first->tokens.front()->line, last->tokens.back()->line};
}

}  // namespace qm::detail
