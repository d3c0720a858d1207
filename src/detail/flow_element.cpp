#include "detail/flow_element.h"

#include <algorithm>
#include <utility>

namespace qm::detail {

FlowElement::FlowElement(const model::AnalysisNode& node)
    : kind(node.kind), hasBody(node.hasBody), nodes{&node}
{
}

FlowElement::~FlowElement()
{
    if (children.empty()) {
        return;
    }
    FlowElementList pending = std::move(children);
    while (!pending.empty()) {
        FlowElement element = std::move(pending.back());
        pending.pop_back();
        for (FlowElement& child : element.children) {
            pending.push_back(std::move(child));
        }
        element.children.clear();
    }
}

model::NodeKind FlowElement::firstNodeKind() const noexcept
{
    return nodes.empty() || nodes.front() == nullptr ? kind : nodes.front()->kind;
}

bool isThrowStatement(const model::AnalysisNode& node) noexcept
{
    return node.kind == model::NodeKind::ExpressionStatement && !node.tokens.empty() && node.tokens.front() &&
           node.tokens.front()->code == model::tok::Throw;
}

bool endsWithThrow(const FlowElement& element) noexcept
{
    return element.kind == model::NodeKind::ExpressionStatement && !element.nodes.empty() && element.nodes.back() &&
           isThrowStatement(*element.nodes.back());
}

int axisOffset(const FlowElementList& list) noexcept
{
    int offset = 0;
    for (const FlowElement& element : list) {
        if (isAxisKind(element.kind)) {
            offset = std::max(offset, element.leftWidth);
        }
    }
    return offset;
}

}  // namespace qm::detail
