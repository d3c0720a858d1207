// The detail box that the flow view shows for the shape under the mouse: what it says, where it
// goes, and which source lines the hovered statement covers.
#pragma once

#include "detail/flow_element.h"
#include "detail/flow_geometry.h"
#include "draw/draw_types.h"

#include <optional>
#include <string>
#include <vector>

namespace qm::detail {

// The box's lines: a title by the element's kind ("If Statement", "Statement(s)", ... "Nothing"),
// then the condition, the parts of a for header, or one line per statement.
std::vector<std::string> detailPopupLines(const FlowElement& element);

// The top left corner of the box for the shape in `cell`, whose text block is `textWidth` wide.
// Normally the box starts in the next column; in the last column (of a chart wider than one
// column) it moves one row down instead, or one row up when the row is the one before the
// chart's last two. Anchored (right mouse button held), it ends at the right edge of the column
// before the hovered one, but starts no further left than 0.
draw::Point detailPopupOrigin(FlowCell cell, bool anchored, const FlowGeometry& geometry, int gridWidth,
                              int gridHeight, int textWidth);

// The source lines an element shows: from the line of the first token of its first node to the
// line of the last token of its last node. None when either node has no tokens.
struct SourceLineRange {
    int first = 0;
    int last = 0;

    friend bool operator==(const SourceLineRange&, const SourceLineRange&) = default;
};
std::optional<SourceLineRange> sourceLinesOf(const FlowElement& element);

}  // namespace qm::detail
