#include "detail/flowchart.h"

#include "detail/flow_draw_plan.h"
#include "detail/flow_walk.h"

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <utility>
#include <vector>

namespace qm::detail {

using model::NodeKind;

Flowchart::Flowchart(FlowElementList& elements) : m_elements(&elements) {}

Flowchart::~Flowchart() = default;

void Flowchart::layout()
{
    m_drawPlan.reset();
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

namespace {

using CellEntry = std::pair<FlowCell, const FlowElement*>;

// Sorts `entries` stably by the key `key(entry)` (an int) with a counting sort.
template <typename Key>
void countingSort(std::vector<CellEntry>& entries, std::vector<CellEntry>& buffer, Key key)
{
    if (entries.empty()) return;
    int low = key(entries.front());
    int high = low;
    for (const CellEntry& e : entries) {
        low = std::min(low, key(e));
        high = std::max(high, key(e));
    }
    std::vector<std::size_t> start(static_cast<std::size_t>(static_cast<long long>(high) - low) + 2, 0);
    for (const CellEntry& e : entries) ++start[static_cast<std::size_t>(static_cast<long long>(key(e)) - low) + 1];
    std::partial_sum(start.begin(), start.end(), start.begin());
    buffer.resize(entries.size());
    for (const CellEntry& e : entries) buffer[start[static_cast<std::size_t>(static_cast<long long>(key(e)) - low)]++] = e;
    entries.swap(buffer);
}

}  // namespace

void Flowchart::fillCellMap()
{
    // The entries in walk order, sorted by cell (rows, then columns, each stably) so that the
    // entries of one cell keep their order and the last one wins; the map is then built in
    // order in linear time instead of by thousands of searches.
    std::vector<CellEntry> entries;
    struct NoContext {};
    walkElements(*m_elements, NoContext{}, [&entries](FlowElementList& list, std::size_t index, const NoContext&) {
        const FlowElement& element = list[index];
        entries.emplace_back(element.cell(), &element);
        if (isLoopKind(element.kind)) {
            entries.emplace_back(FlowCell{element.col, element.endRow()}, &element);
        } else if (element.kind == NodeKind::ExpressionStatement) {
            return std::optional<NoContext>();
        }
        return std::optional<NoContext>(NoContext{});
    });
    std::vector<CellEntry> buffer;
    countingSort(entries, buffer, [](const CellEntry& e) { return e.first.row; });
    countingSort(entries, buffer, [](const CellEntry& e) { return e.first.col; });
    m_cellMap.clear();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i + 1 < entries.size() && entries[i + 1].first == entries[i].first) {
            continue;  // a later element for the same cell replaces this one
        }
        m_cellMap.emplace_hint(m_cellMap.end(), entries[i].first, entries[i].second);
    }
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

const FlowDrawPlan& Flowchart::drawPlan() const
{
    if (!m_drawPlan) {
        m_drawPlan = std::make_unique<FlowDrawPlan>(*this);
    }
    return *m_drawPlan;
}

const FlowElement* Flowchart::elementAt(int col, int row) const
{
    auto it = m_cellMap.find(FlowCell{col, row});
    return it == m_cellMap.end() ? nullptr : it->second;
}

}  // namespace qm::detail
