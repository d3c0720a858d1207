// FlowGeometry: where a flowchart's cells, shapes and the gaps between them lie in pixels at one
// scale. Every division is an integer division.
#pragma once

#include "detail/flowchart.h"
#include "draw/draw_types.h"

#include <algorithm>
#include <cstdint>

namespace qm::detail {

// Turns a pixel coordinate computed in 64 bits into one a canvas takes. Only coordinates far
// outside any picture (grids of millions of cells) are cut.
constexpr int toPixel(std::int64_t value) noexcept
{
    constexpr std::int64_t kLimit = std::int64_t{1} << 30;
    return static_cast<int>(std::clamp(value, -kLimit, kLimit));
}

struct FlowGeometry {
    int cellWidth = 100;
    int cellHeight = 80;
    int boxWidth = 80;
    int boxHeight = 40;
    int arrowSize = 7;

    FlowGeometry() = default;
    explicit FlowGeometry(const FlowScaleParameters& p)
        : cellWidth(p.cellWidth), cellHeight(p.cellHeight), boxWidth(p.boxWidth), boxHeight(p.boxHeight),
          arrowSize(p.arrowSize)
    {
    }

    // Left edge, horizontal centre and right edge of the shape in column c.
    int X(std::int64_t c) const noexcept { return toPixel(c * cellWidth); }
    int CX(std::int64_t c) const noexcept { return toPixel(c * cellWidth + boxWidth / 2); }
    int RX(std::int64_t c) const noexcept { return toPixel(c * cellWidth + boxWidth); }
    // Top edge, vertical middle and bottom edge of the shape in row r.
    int Y(std::int64_t r) const noexcept { return toPixel(r * cellHeight); }
    int MY(std::int64_t r) const noexcept { return toPixel(r * cellHeight + boxHeight / 2); }
    int BY(std::int64_t r) const noexcept { return toPixel(r * cellHeight + boxHeight); }
    // Half the room between two shapes side by side, where connectors run.
    int gap() const noexcept { return (cellWidth - boxWidth) / 2; }

    // The shape's box in cell (col, row).
    draw::Rect box(FlowCell cell) const noexcept { return draw::Rect{X(cell.col), Y(cell.row), boxWidth, boxHeight}; }
};

}  // namespace qm::detail
