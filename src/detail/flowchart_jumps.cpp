// Giving jump statements (return, continue, goto, break) the cell of the place they jump to, so
// that the view can draw their connectors.
#include "detail/flow_walk.h"
#include "detail/flowchart.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace qm::detail {

using model::NodeKind;

namespace {

// The label string of a label or goto node, or null when its detail holds none.
const std::string* labelOf(const model::AnalysisNode& node)
{
    const auto* detail = node.detailAs<model::TextDetail>();
    return detail ? &detail->text : nullptr;
}

// Where control goes when a list ends (`after`) and where a break in it goes (`breakTo`).
struct BreakContext {
    FlowCell breakTo;
    FlowCell after;
};

// The cell where control goes after the element at `index`: the next element's (for a break,
// the place that break goes to, which is this list's), or the list's continuation when the
// element is the last. For an if or else-if the branches that follow belong to its chain, so the
// continuation is the first element after the chain.
FlowCell continuation(const FlowElementList& list, std::size_t index, const BreakContext& context, bool skipChain)
{
    std::size_t next = index + 1;
    if (skipChain) {
        while (next < list.size() && (list[next].kind == NodeKind::ElseIfStatement ||
                                      list[next].kind == NodeKind::ElseStatement)) {
            ++next;
        }
    }
    if (next >= list.size()) {
        return context.after;
    }
    return list[next].kind == NodeKind::BreakStatement ? context.breakTo : list[next].cell();
}

}  // namespace

void Flowchart::resolveJumps()
{
    FlowElementList& elements = *m_elements;
    const FlowCell start = startCell();
    const FlowCell end = endCell();

    // One walk gives returns the End terminal and continues the end box of their innermost loop
    // (where a for loop's step and a do loop's condition are; a continue runs them before the
    // next round), and finds the labels and the gotos. A goto goes to the first statement box, in depth-first
    // order, that shows its label. Gotos are resolved before the breaks, since a break may go to
    // where a goto that follows goes.
    std::unordered_map<std::string, FlowCell> labels;
    std::vector<FlowElement*> gotos;
    walkElements(elements, start, [&](FlowElementList& list, std::size_t index, const FlowCell& loopEnd) {
        FlowElement& e = list[index];
        switch (e.kind) {
        case NodeKind::ReturnStatement:
            e.col = end.col;
            e.row = end.row;
            break;
        case NodeKind::ContinueStatement:
            e.col = loopEnd.col;
            e.row = loopEnd.row;
            break;
        case NodeKind::GotoStatement:
            gotos.push_back(&e);
            break;
        case NodeKind::ExpressionStatement:
            for (const model::AnalysisNode* node : e.nodes) {
                if (node && node->kind == NodeKind::LabelStatement) {
                    if (const std::string* label = labelOf(*node)) {
                        labels.try_emplace(*label, e.cell());
                    }
                }
            }
            break;
        default:
            break;
        }
        return std::optional<FlowCell>(isLoopKind(e.kind) ? FlowCell{e.col, e.endRow()} : loopEnd);
    });
    for (FlowElement* e : gotos) {
        const std::string* label = e->nodes.empty() || !e->nodes.front() ? nullptr : labelOf(*e->nodes.front());
        auto it = label ? labels.find(*label) : labels.end();
        const FlowCell target = it == labels.end() ? FlowCell{0, 0} : it->second;
        e->col = target.col;
        e->row = target.row;
    }

    // A break leaves its innermost loop (to the loop's end box) or switch (to what follows the
    // switch).
    walkElements(elements, BreakContext{end, end},
                 [](FlowElementList& list, std::size_t index, const BreakContext& context) {
                     FlowElement& e = list[index];
                     if (e.kind == NodeKind::BreakStatement) {
                         e.col = context.breakTo.col;
                         e.row = context.breakTo.row;
                     }
                     if (isLoopKind(e.kind)) {
                         const FlowCell endBox{e.col, e.endRow()};
                         return std::optional<BreakContext>(BreakContext{endBox, endBox});
                     }
                     if (e.kind == NodeKind::SwitchStatement) {
                         const FlowCell next = continuation(list, index, context, false);
                         return std::optional<BreakContext>(BreakContext{next, next});
                     }
                     if (e.kind == NodeKind::TryStatement) {
                         // Every branch of a try goes on after the try, not into the next branch.
                         return std::optional<BreakContext>(
                             BreakContext{context.breakTo, continuation(list, index, context, false)});
                     }
                     if (isTryBranchKind(e.kind)) {
                         return std::optional<BreakContext>(context);
                     }
                     const bool chain = e.kind == NodeKind::IfStatement || e.kind == NodeKind::ElseIfStatement;
                     return std::optional<BreakContext>(
                         BreakContext{context.breakTo, continuation(list, index, context, chain)});
                 });
}

}  // namespace qm::detail
