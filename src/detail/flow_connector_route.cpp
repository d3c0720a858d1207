#include "detail/flow_connector_route.h"

namespace qm::detail {

using draw::ArrowDirection;
using draw::Point;
using model::NodeKind;

ConnectorRoute routeConnector(const FlowConnector& connector, const FlowGeometry& g)
{
    const int a = connector.from.col;
    const int b = connector.from.row;
    const int c = connector.to.col;
    const int d = connector.to.row;
    const int gap = g.gap();
    ConnectorRoute route;
    auto arrow = [&route](Point apex, ArrowDirection direction) { route.arrow = ConnectorArrow{apex, direction}; };

    if (connector.style == ConnectorStyle::Back) {
        if (b == d) {
            route.points = {{g.RX(a) + gap, g.MY(b)}, {g.X(c), g.MY(b)}};
        } else if (a < c) {
            const int x = g.RX(a) + gap - 1;
            route.points = {{x, g.MY(b)}, {x, g.MY(d)}, {g.X(c), g.MY(d)}};
        } else {
            return route;
        }
        if (connector.arrow) arrow({g.X(c), g.MY(b)}, ArrowDirection::Right);
        return route;
    }

    if (connector.besideColumn) {
        // Right from the source, along the gap right of the element it passes by, into the side
        // of the target that faces that gap.
        const int p = *connector.besideColumn;
        const int x = g.RX(p) + gap + 1;
        route.points = {{g.RX(a), g.MY(b)}, {x, g.MY(b)}, {x, g.MY(d)}};
        if (c > p) {
            route.points.push_back({g.X(c), g.MY(d)});
            if (connector.arrow) arrow({g.X(c), g.MY(d)}, ArrowDirection::Right);
        } else {
            route.points.push_back({g.RX(c), g.MY(d)});
            if (connector.arrow) arrow({g.RX(c), g.MY(d)}, ArrowDirection::Left);
        }
        return route;
    }

    const NodeKind kind = connector.targetKind;
    if (kind == NodeKind::ContinueStatement && d > b) {
        // A continue goes down to its loop's end box, which it enters from above as the end of
        // the body does: left out of the source, down half a gap left of it (clear of the back
        // edge further left), then across the gap above the end box.
        const int x = g.X(a) - gap / 2;
        const int above = g.Y(d) - gap / 2;
        route.points = {{g.X(a), g.MY(b)}, {x, g.MY(b)}, {x, above}, {g.CX(c), above}, {g.CX(c), g.Y(d)}};
        arrow({g.CX(c), g.Y(d)}, ArrowDirection::Down);
        return route;
    }
    if (kind == NodeKind::BreakStatement || kind == NodeKind::ReturnStatement || kind == NodeKind::GotoStatement ||
        kind == NodeKind::ContinueStatement) {
        // Breaks, returns and gotos leave by the right side, continues by the left.
        const bool right = kind != NodeKind::ContinueStatement;
        const int side = right ? g.RX(a) : g.X(a);
        const int x = right ? g.RX(a) + gap + 1 : g.X(a) - gap - 1;
        route.points = {{side, g.MY(b)}, {x, g.MY(b)}, {x, g.MY(d)}};
        const bool enterLeft = right ? a < c : c >= a;
        if (enterLeft) {
            route.points.push_back({g.X(c), g.MY(d)});
            arrow({g.X(c), g.MY(d)}, ArrowDirection::Right);
        } else {
            route.points.push_back({g.RX(c), g.MY(d)});
            arrow({g.RX(c), g.MY(d)}, ArrowDirection::Left);
        }
        return route;
    }

    std::optional<ConnectorArrow> head;
    if (a == c) {
        if (b == d) return route;
        route.points = {{g.CX(a), g.BY(b)}, {g.CX(a), g.Y(d)}};
        head = ConnectorArrow{{g.CX(a), g.Y(d)}, ArrowDirection::Down};
    } else if (b == d) {
        route.points = {{g.RX(a), g.MY(b)}, {g.X(c), g.MY(b)}};
        head = ConnectorArrow{{g.X(c), g.MY(b)}, ArrowDirection::Right};
    } else if (connector.viaSide) {
        const int side = a < c ? g.RX(a) : g.X(a);
        route.points = {{side, g.MY(b)}, {g.CX(c), g.MY(b)}, {g.CX(c), g.Y(d)}};
        head = ConnectorArrow{{g.CX(c), g.Y(d)}, ArrowDirection::Down};
    } else if (a < c && d < b) {
        const int x = g.X(c) - gap - 1;
        route.points = {{g.RX(a), g.MY(b)}, {x, g.MY(b)}, {x, g.MY(d)}, {g.X(c), g.MY(d)}};
        head = ConnectorArrow{{g.X(c), g.MY(d)}, ArrowDirection::Right};
    } else {
        const int above = g.Y(d) - gap;
        route.points = {{g.CX(a), g.BY(b)}, {g.CX(a), above}, {g.CX(c), above}, {g.CX(c), g.Y(d)}};
        head = ConnectorArrow{{g.CX(c), g.Y(d)}, ArrowDirection::Down};
    }
    if (connector.arrow) route.arrow = head;
    return route;
}

}  // namespace qm::detail
