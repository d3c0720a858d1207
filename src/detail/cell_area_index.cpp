#include "detail/cell_area_index.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace qm::detail {

namespace {

// Calls `visit(node)` for the nodes of a segment tree with `leaves` leaves (a power of two) that
// together cover the leaves first..last exactly once.
template <typename Visit>
void forCoveringNodes(std::size_t leaves, std::size_t first, std::size_t last, Visit&& visit)
{
    for (std::size_t l = first + leaves, r = last + leaves + 1; l < r; l >>= 1, r >>= 1) {
        if (l & 1) visit(l++);
        if (r & 1) visit(--r);
    }
}

}  // namespace

void CellAreaIndex::build(std::vector<CellBounds> items)
{
    for (CellBounds& b : items) {
        if (b.colMin > b.colMax) std::swap(b.colMin, b.colMax);
        if (b.rowMin > b.rowMax) std::swap(b.rowMin, b.rowMax);
    }
    m_items = std::move(items);
    const auto count = static_cast<std::uint32_t>(m_items.size());

    // Sorted by first row with a counting sort: rows are few and the items mostly in row order
    // already, and items of one row keep their order.
    m_byFirstRow.assign(count, 0);
    m_firstRows.assign(count, 0);
    if (count > 0) {
        const auto [low, high] = std::minmax_element(m_items.begin(), m_items.end(),
                                                     [](const CellBounds& a, const CellBounds& b) { return a.rowMin < b.rowMin; });
        const int firstRow = low->rowMin;
        const auto rows = static_cast<std::size_t>(static_cast<long long>(high->rowMin) - firstRow + 1);
        std::vector<std::uint32_t> start(rows + 1, 0);
        for (const CellBounds& b : m_items) ++start[static_cast<std::size_t>(static_cast<long long>(b.rowMin) - firstRow) + 1];
        std::partial_sum(start.begin(), start.end(), start.begin());
        for (std::uint32_t id = 0; id < count; ++id) {
            const std::uint32_t at = start[static_cast<std::size_t>(static_cast<long long>(m_items[id].rowMin) - firstRow)]++;
            m_byFirstRow[at] = id;
            m_firstRows[at] = m_items[id].rowMin;
        }
    }

    m_nodeStart.clear();
    m_nodeItems.clear();
    m_leaves = 0;
    int lowest = 0;
    int highest = -1;
    for (const CellBounds& b : m_items) {
        if (b.rowMax == b.rowMin) continue;
        if (highest < lowest) {
            lowest = b.rowMin;
            highest = b.rowMax;
        } else {
            lowest = std::min(lowest, b.rowMin);
            highest = std::max(highest, b.rowMax);
        }
    }
    if (highest < lowest) {
        return;  // every item lies in one row
    }
    m_rowBase = lowest;
    const auto rows = static_cast<std::size_t>(static_cast<long long>(highest) - lowest + 1);
    m_leaves = 1;
    while (m_leaves < rows) m_leaves <<= 1;

    // Two passes: count the entries of each node, then place them, in ascending item order.
    m_nodeStart.assign(2 * m_leaves + 1, 0);
    auto leafOf = [this](int row) { return static_cast<std::size_t>(static_cast<long long>(row) - m_rowBase); };
    for (const CellBounds& b : m_items) {
        if (b.rowMax == b.rowMin) continue;
        forCoveringNodes(m_leaves, leafOf(b.rowMin), leafOf(b.rowMax), [&](std::size_t node) { ++m_nodeStart[node + 1]; });
    }
    std::partial_sum(m_nodeStart.begin(), m_nodeStart.end(), m_nodeStart.begin());
    m_nodeItems.resize(m_nodeStart.back());
    std::vector<std::uint32_t> fill(m_nodeStart.begin(), m_nodeStart.end() - 1);
    for (std::uint32_t id = 0; id < count; ++id) {
        const CellBounds& b = m_items[id];
        if (b.rowMax == b.rowMin) continue;
        forCoveringNodes(m_leaves, leafOf(b.rowMin), leafOf(b.rowMax),
                         [&](std::size_t node) { m_nodeItems[fill[node]++] = id; });
    }
}

void CellAreaIndex::query(const CellBounds& area, std::vector<std::uint32_t>& ids) const
{
    ids.clear();
    // Items that begin inside the area's rows.
    const auto first = std::lower_bound(m_firstRows.begin(), m_firstRows.end(), area.rowMin);
    const auto last = std::upper_bound(first, m_firstRows.end(), area.rowMax);
    for (auto it = first; it != last; ++it) {
        const std::uint32_t id = m_byFirstRow[static_cast<std::size_t>(it - m_firstRows.begin())];
        if (m_items[id].meets(area)) ids.push_back(id);
    }
    // Items that begin above the area and reach down into it run through its first row.
    const long long leaf = static_cast<long long>(area.rowMin) - m_rowBase;
    if (m_leaves > 0 && leaf >= 0 && leaf < static_cast<long long>(m_leaves)) {
        for (std::size_t node = static_cast<std::size_t>(leaf) + m_leaves; node >= 1; node >>= 1) {
            for (std::uint32_t k = m_nodeStart[node]; k < m_nodeStart[node + 1]; ++k) {
                const std::uint32_t id = m_nodeItems[k];
                if (m_items[id].rowMin < area.rowMin && m_items[id].meets(area)) ids.push_back(id);
            }
        }
    }
    std::sort(ids.begin(), ids.end());
}

}  // namespace qm::detail
