// Flowchart: one function's flowchart on a grid of columns and rows. It measures and places the
// element tree that a FlowchartBuilder made, gives jump statements the cell of their target,
// maps cells to elements for hit tests, and keeps the pixel sizes of the current scale.
#pragma once

#include "detail/flow_element.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace qm::detail {

// The view's zoom: 1, 4 or 16.
using FlowScale = int;

// Pixel sizes and captions of one scale. A cell (c, r) is the rectangle at
// (c × cellWidth, r × cellHeight); an element's shape is boxWidth × boxHeight at the cell's
// top-left corner and connectors run in the rest of the cell.
struct FlowScaleParameters {
    FlowScale scale = 4;
    int cellWidth = 100;
    int cellHeight = 80;
    int boxWidth = 80;
    int boxHeight = 40;
    int arrowSize = 7;
    std::string loopCaption = "L";
    std::string yesCaption = "Y";
    std::string noCaption = "N";
};

// The size of a list of elements in cells: columns left of the list's axis, columns at and right
// of it, rows.
struct ListExtent {
    int left = 0;
    int right = 0;
    int rows = 0;

    bool operator==(const ListExtent&) const = default;
};

// Cell → the element whose shape is there, ordered by column, then row.
using FlowCellMap = std::map<FlowCell, const FlowElement*>;

class FlowDrawPlan;

class Flowchart {
public:
    // Lays out `elements` (a FlowchartBuilder's list, which must outlive the flowchart) once
    // layout() is called. Starts at scale 4.
    explicit Flowchart(FlowElementList& elements);
    Flowchart(const Flowchart&) = delete;
    Flowchart& operator=(const Flowchart&) = delete;
    ~Flowchart();

    // Measures and places every element, fills the cell map and resolves the jumps. The body
    // takes rows 1 to gridHeight(), between the Start terminal in row 0 and the End terminal in
    // row gridHeight() + 1, both in startColumn(). Running it again gives the same result.
    void layout();

    // Gives every element of `list` and below its leftWidth, rightWidth and height, and returns
    // the list's extent.
    static ListExtent measureList(FlowElementList& list);

    // Gives every element of `list` and below its cell, with the list's left edge at column
    // `leftEdge` and its first element in row `firstRow`. Needs measured elements.
    static void placeList(FlowElementList& list, int leftEdge, int firstRow);

    // Gives every jump element the cell of its target: return the End terminal, continue its
    // loop's end box (Start outside loops), goto the statement box that shows its label (cell
    // (0, 0) when there is none), break the place where control continues.
    void resolveJumps();

    // Switches to the sizes of scale 1, 4 or 16; another value only changes scale(). Scale 1
    // keeps the captions of the previous scale (nothing is written at scale 1).
    void setScale(FlowScale scale);

    // The element whose shape is in cell (col, row), or null.
    const FlowElement* elementAt(int col, int row) const;

    const FlowElementList& elements() const noexcept { return *m_elements; }
    int gridWidth() const noexcept { return m_gridWidth; }
    int gridHeight() const noexcept { return m_gridHeight; }
    int startColumn() const noexcept { return m_startColumn; }
    FlowCell startCell() const noexcept { return {m_startColumn, 0}; }
    FlowCell endCell() const noexcept { return {m_startColumn, m_gridHeight + 1}; }
    const FlowCellMap& cellMap() const noexcept { return m_cellMap; }

    // What the drawing of the laid-out chart consists of, in cells; worked out on first use after
    // each layout and kept, since cells do not depend on the scale.
    const FlowDrawPlan& drawPlan() const;

    FlowScale scale() const noexcept { return m_parameters.scale; }
    const FlowScaleParameters& parameters() const noexcept { return m_parameters; }
    // The drawing's size in pixels at the current scale: one column beyond the grid, and the
    // two terminal rows.
    std::int64_t totalWidth() const noexcept
    {
        return (std::int64_t{m_gridWidth} + 1) * m_parameters.cellWidth;
    }
    std::int64_t totalHeight() const noexcept
    {
        return (std::int64_t{m_gridHeight} + 2) * m_parameters.cellHeight;
    }

private:
    void fillCellMap();

    FlowElementList* m_elements;
    int m_gridWidth = 0;
    int m_gridHeight = 0;
    int m_startColumn = 0;
    FlowCellMap m_cellMap;
    FlowScaleParameters m_parameters;
    mutable std::unique_ptr<FlowDrawPlan> m_drawPlan;
};

}  // namespace qm::detail
