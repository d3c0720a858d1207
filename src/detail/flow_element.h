// FlowElement: one element of a function's flowchart, made from one statement node (or a run of
// them) of the analysis tree, with its place on the grid of columns and rows.
#pragma once

#include "model/analysis_node.h"
#include "model/node_kind.h"

#include <compare>
#include <vector>

namespace qm::detail {

// A grid cell: column first, row second (the order in which cells compare).
struct FlowCell {
    int col = 0;
    int row = 0;

    auto operator<=>(const FlowCell&) const = default;
};

struct FlowElement;
using FlowElementList = std::vector<FlowElement>;

struct FlowElement {
    int col = 0;         // column of the element's shape; for a jump, the column of its target
    int row = 0;         // row of the element's shape; for a jump, the row of its target
    int leftWidth = 0;   // columns taken left of `col`
    int rightWidth = 0;  // columns taken at and right of `col`
    int height = 0;      // rows taken, the element's own shape rows included
    model::NodeKind kind = model::NodeKind::Unknown;
    bool hasBody = false;
    // The analysis nodes the element shows, never owned and never empty: one node, the do and
    // while nodes of a do loop, or the first nodes of a run of plain statements.
    std::vector<const model::AnalysisNode*> nodes;
    FlowElementList children;

    FlowElement() = default;
    // An element for `node`, without children.
    explicit FlowElement(const model::AnalysisNode& node);
    FlowElement(FlowElement&&) noexcept = default;
    FlowElement& operator=(FlowElement&&) noexcept = default;
    // Takes the subtree apart with an explicit stack: element trees are as deep as their input.
    ~FlowElement();

    FlowCell cell() const noexcept { return {col, row}; }
    // Kind of the first node; the element's own kind for an element without nodes.
    model::NodeKind firstNodeKind() const noexcept;
    // Row of a loop's end box.
    int endRow() const noexcept { return row + height - 1; }
};

constexpr bool isLoopKind(model::NodeKind kind) noexcept
{
    using model::NodeKind;
    return kind == NodeKind::ForStatement || kind == NodeKind::WhileStatement || kind == NodeKind::DoStatement;
}

constexpr bool isCaseKind(model::NodeKind kind) noexcept
{
    return kind == model::NodeKind::CaseStatement || kind == model::NodeKind::DefaultStatement;
}

// The branches of a try statement once the passes have grouped it: the try's own block (kept as a
// [Just Brace] element that shows the try node) and one [catch statement] per handler.
constexpr bool isTryBranchKind(model::NodeKind kind) noexcept
{
    return kind == model::NodeKind::JustBrace || kind == model::NodeKind::CatchStatement;
}

// Elements laid side by side in the row below their parent: the cases of a switch and the
// branches of a try.
constexpr bool isSideBySideKind(model::NodeKind kind) noexcept
{
    return isCaseKind(kind) || isTryBranchKind(kind);
}

// Elements whose children stand side by side below their shape: switch and try.
constexpr bool isMultiwayKind(model::NodeKind kind) noexcept
{
    return kind == model::NodeKind::SwitchStatement || kind == model::NodeKind::TryStatement;
}

constexpr bool isJumpKind(model::NodeKind kind) noexcept
{
    using model::NodeKind;
    return kind == NodeKind::BreakStatement || kind == NodeKind::ContinueStatement ||
           kind == NodeKind::ReturnStatement || kind == NodeKind::GotoStatement;
}

// The kinds whose shape stands on their list's axis: If, the loops, Switch, Try, Expression
// statement.
constexpr bool isAxisKind(model::NodeKind kind) noexcept
{
    using model::NodeKind;
    return kind == NodeKind::IfStatement || isLoopKind(kind) || isMultiwayKind(kind) ||
           kind == NodeKind::ExpressionStatement;
}

// Whether `node` is a `throw` statement (`throw x;`, `throw;`): control does not go on after it.
bool isThrowStatement(const model::AnalysisNode& node) noexcept;

// Whether the element is a statement box whose last statement is a `throw`.
bool endsWithThrow(const FlowElement& element) noexcept;

// How far a list's axis lies right of its left edge: the largest `leftWidth` among the list's
// axis elements, 0 when there is none. Loops draw their back edge one column left of the axis
// offset of their body.
int axisOffset(const FlowElementList& list) noexcept;

}  // namespace qm::detail
