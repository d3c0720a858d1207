// Where a connector runs in pixels: the corners of its path and its arrow head.
#pragma once

#include "detail/flow_draw_plan.h"
#include "detail/flow_geometry.h"
#include "draw/shape_painter.h"

#include <optional>
#include <vector>

namespace qm::detail {

struct ConnectorArrow {
    draw::Point apex;
    draw::ArrowDirection direction = draw::ArrowDirection::Down;

    friend bool operator==(const ConnectorArrow&, const ConnectorArrow&) = default;
};

struct ConnectorRoute {
    // The path as consecutive corners: a line runs from each point to the next. Empty when the
    // connector draws nothing.
    std::vector<draw::Point> points;
    std::optional<ConnectorArrow> arrow;
};

// The route of `connector` from the shape in its `from` cell to its `to` cell, first match wins:
//  - a back edge runs along its row into the target's left side, or, when the rows differ and
//    the target lies to the right, down the gap right of its source column and then right;
//  - passing a column by: right from the source, down (or up) the gap right of that column, then
//    into the target's left or right side;
//  - into a continue whose loop's end box lies below: left from the source, down half a gap left
//    of it, across the gap above the end box and down into it;
//  - into a break, return or goto (the `to` cell is the jump's target): right from the source,
//    down (or up) the gap right of it, then into the target's left or right side;
//  - into a continue outside any loop (to the Start terminal): the same along the gap left of
//    the source;
//  - otherwise: straight down in one column; straight across in one row; with viaSide across
//    from the source's near side to above the target and down into it; up the gap left of a
//    target that lies above and to the right; else down to just above the target row, across,
//    and down into the target.
// Jumps always get an arrow head; the others only when the connector asks for one.
ConnectorRoute routeConnector(const FlowConnector& connector, const FlowGeometry& geometry);

}  // namespace qm::detail
