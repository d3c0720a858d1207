#include "detail/flowchart.h"

#include "detail/flow_walk.h"

namespace qm::detail {

using model::NodeKind;

void Flowchart::layout()
{
    // Start from a clean tree so that a second layout gives the same cells: jump elements must
    // be at (0, 0) while the cell map is filled.
    forEachElement(*m_elements, [](FlowElement& element) {
        element.col = element.row = 0;
        element.leftWidth = element.rightWidth = element.height = 0;
    });
    const ListExtent extent = measureList(*m_elements);
    m_gridWidth = extent.left + extent.right;
    m_gridHeight = extent.rows;
    placeList(*m_elements, 0, 1);
    fillCellMap();
    // The terminals stand on the body's axis, where its first shaped element is.
    m_startColumn = axisOffset(*m_elements);
    resolveJumps();
}

void Flowchart::fillCellMap()
{
    m_cellMap.clear();
    struct NoContext {};
    walkElements(*m_elements, NoContext{}, [this](FlowElementList& list, std::size_t index, const NoContext&) {
        const FlowElement& element = list[index];
        m_cellMap.insert_or_assign(element.cell(), &element);
        if (isLoopKind(element.kind)) {
            m_cellMap.insert_or_assign(FlowCell{element.col, element.endRow()}, &element);
        } else if (element.kind == NodeKind::ExpressionStatement) {
            return std::optional<NoContext>();
        }
        return std::optional<NoContext>(NoContext{});
    });
}

void Flowchart::setScale(FlowScale scale)
{
    m_parameters.scale = scale;
    auto set = [this](int cellWidth, int cellHeight, int boxWidth, int boxHeight, int arrowSize) {
        m_parameters.cellWidth = cellWidth;
        m_parameters.cellHeight = cellHeight;
        m_parameters.boxWidth = boxWidth;
        m_parameters.boxHeight = boxHeight;
        m_parameters.arrowSize = arrowSize;
    };
    auto captions = [this](const char* loop, const char* yes, const char* no) {
        m_parameters.loopCaption = loop;
        m_parameters.yesCaption = yes;
        m_parameters.noCaption = no;
    };
    switch (scale) {
    case 1:
        set(50, 40, 40, 20, 3);
        break;
    case 4:
        set(100, 80, 80, 40, 7);
        captions("L", "Y", "N");
        break;
    case 16:
        set(220, 160, 180, 80, 16);
        captions("Loop", "Yes", "No");
        break;
    default:
        break;
    }
}

const FlowElement* Flowchart::elementAt(int col, int row) const
{
    auto it = m_cellMap.find(FlowCell{col, row});
    return it == m_cellMap.end() ? nullptr : it->second;
}

}  // namespace qm::detail
