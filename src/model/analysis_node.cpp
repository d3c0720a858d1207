#include "model/analysis_node.h"

#include <algorithm>
#include <cassert>
#include <iterator>

namespace qm::model {

AnalysisNode::~AnalysisNode()
{
    if (children.empty()) {
        return;
    }
    NodeList pending = std::move(children);
    while (!pending.empty()) {
        AnalysisNode node = std::move(pending.back());
        pending.pop_back();
        for (AnalysisNode& child : node.children) {
            pending.push_back(std::move(child));
        }
        node.children.clear();
    }
}

namespace {

// The access field of the node's detail for the kinds that keep one, or null.
Access* accessSlot(AnalysisNode& node) noexcept
{
    switch (node.kind) {
    case NodeKind::Variable:
        if (auto* d = node.detailAs<VariableDetail>()) return &d->access;
        break;
    case NodeKind::ClassDeclare:
    case NodeKind::StructDeclare:
        if (auto* d = node.detailAs<ClassDeclareDetail>()) return &d->access;
        break;
    case NodeKind::ShortDeclare:
        if (auto* d = node.detailAs<ShortDeclareDetail>()) return &d->access;
        break;
    case NodeKind::Function:
        if (auto* d = node.detailAs<FunctionDetail>()) return &d->access;
        break;
    case NodeKind::OverloadMethod:
    case NodeKind::OverloadFunctionMethod:
        if (auto* d = node.detailAs<OperatorDetail>()) return &d->access;
        break;
    default:
        break;
    }
    return nullptr;
}

}  // namespace

Access accessOf(const AnalysisNode& node) noexcept
{
    // accessSlot only looks the field up; nothing is written through it here.
    const Access* slot = accessSlot(const_cast<AnalysisNode&>(node));
    return slot ? *slot : Access::None;
}

void setAccess(AnalysisNode& node, Access access) noexcept
{
    if (Access* slot = accessSlot(node)) {
        *slot = access;
    }
}

void splitTrailingStatement(AnalysisNode& node, std::size_t index)
{
    assert(index <= node.tokens.size() && "split index past the node's tokens");
    AnalysisNode governed;
    governed.tokens.assign(node.tokens.begin() + static_cast<std::ptrdiff_t>(index), node.tokens.end());
    node.tokens.truncate(index);
    governed.children = std::move(node.children);
    governed.hasBody = node.hasBody;
    node.hasBody = false;
    node.children.clear();
    node.children.push_back(std::move(governed));
}

}  // namespace qm::model
