// FlowDrawPlan: what a flowchart's drawing consists of, worked out once per layout in grid cells:
// the connectors between the shapes (in drawing order, with the style and routing each one
// gets), the elements that have shapes and box texts, and the captions. Each part is indexed by
// the cells it covers, so that a paint draws only what meets its clip box.
#pragma once

#include "detail/cell_area_index.h"
#include "detail/flow_element.h"
#include "model/node_kind.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace qm::detail {

class Flowchart;

// The pen of a connector: normal (black, or olive into a return), yes (green), no (dark red),
// back (navy, the back edge of a loop).
enum class ConnectorStyle { Normal, Yes, No, Back };

// A connector from the shape in cell `from` to the shape (or jump target) in cell `to`. The kind
// of the element it leads to chooses the route: jumps (break, return, goto) run along the right
// of their source, a continue along its left; `viaSide` leaves the source by the side nearest the
// target and enters the target from above. Unknown stands for "none of the flowchart's kinds".
// With `besideColumn` the connector passes a wide element by on its right: it leaves the source
// to the right, runs down (or up) the gap right of that column and enters the target from the
// side (a switch's "no case matched" edge, around the switch's cases).
struct FlowConnector {
    FlowCell from;
    FlowCell to;
    ConnectorStyle style = ConnectorStyle::Normal;
    model::NodeKind targetKind = model::NodeKind::Unknown;
    bool viaSide = false;
    bool arrow = false;
    std::optional<int> besideColumn;

    friend bool operator==(const FlowConnector&, const FlowConnector&) = default;
};

// The captions of one element: "yes" and "no" beside an if or else-if shape, "no" beside the
// "no case matched" edge of a switch without default, the loop caption beside a loop's back
// edge, the label above a case. Where a branch caption goes depends on the elements around the
// shape.
struct FlowCaption {
    const FlowElement* element = nullptr;
    // If and else-if: the element after this one in its list (null when it is the last), and the
    // kind of what follows the list.
    const FlowElement* next = nullptr;
    model::NodeKind followingKind = model::NodeKind::Unknown;
};

// Whether an element of `kind` has a place in the drawing (a shape, a branch or a jump).
// Elements of other kinds take no cells; connectors pass them by.
bool isDrawnKind(model::NodeKind kind) noexcept;

class FlowDrawPlan {
public:
    // Works out the drawing of `chart`, which must be laid out; the plan refers to its elements.
    explicit FlowDrawPlan(const Flowchart& chart);

    // Every connector, in the order they are drawn.
    const std::vector<FlowConnector>& connectors() const noexcept { return m_connectors; }
    // Every element with a shape (if, else if, loops, switch, case, default, try and its
    // branches, statement box), an element before its children.
    const std::vector<const FlowElement*>& shapes() const noexcept { return m_shapes; }
    // Every element with captions, an element before its children.
    const std::vector<FlowCaption>& captions() const noexcept { return m_captions; }

    // The positions in connectors(), shapes() and captions() of the items that may draw inside
    // `area`, ascending.
    void connectorsIn(const CellBounds& area, std::vector<std::uint32_t>& ids) const
    {
        m_connectorIndex.query(area, ids);
    }
    void shapesIn(const CellBounds& area, std::vector<std::uint32_t>& ids) const { m_shapeIndex.query(area, ids); }
    void captionsIn(const CellBounds& area, std::vector<std::uint32_t>& ids) const
    {
        m_captionIndex.query(area, ids);
    }

private:
    std::vector<FlowConnector> m_connectors;
    std::vector<const FlowElement*> m_shapes;
    std::vector<FlowCaption> m_captions;
    CellAreaIndex m_connectorIndex;
    CellAreaIndex m_shapeIndex;
    CellAreaIndex m_captionIndex;
};

}  // namespace qm::detail
