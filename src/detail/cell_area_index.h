// CellAreaIndex: among many items that each cover a rectangle of grid cells (the shapes,
// connectors and captions of a flowchart), finds those that meet a given rectangle of cells,
// without looking at the others. A paint then costs what the visible part of a chart holds, not
// what the whole chart holds.
#pragma once

#include <cstdint>
#include <vector>

namespace qm::detail {

// Columns colMin..colMax and rows rowMin..rowMax, both inclusive.
struct CellBounds {
    int colMin = 0;
    int colMax = 0;
    int rowMin = 0;
    int rowMax = 0;

    bool meets(const CellBounds& other) const noexcept
    {
        return colMin <= other.colMax && other.colMin <= colMax && rowMin <= other.rowMax &&
               other.rowMin <= rowMax;
    }
    friend bool operator==(const CellBounds&, const CellBounds&) = default;
};

class CellAreaIndex {
public:
    // Indexes `items`; item i is known by its position i from then on. Bounds with a minimum
    // above their maximum are taken as swapped.
    void build(std::vector<CellBounds> items);

    std::size_t size() const noexcept { return m_items.size(); }
    const CellBounds& bounds(std::uint32_t id) const { return m_items[id]; }

    // Replaces `ids` by the items that meet `area`, in ascending order. Costs about the logarithm
    // of the number of items plus the number of items whose rows meet the area's rows.
    void query(const CellBounds& area, std::vector<std::uint32_t>& ids) const;

private:
    std::vector<CellBounds> m_items;
    // Item ids sorted by their first row, and those first rows, for finding the items that begin
    // inside an area's rows.
    std::vector<std::uint32_t> m_byFirstRow;
    std::vector<int> m_firstRows;
    // The items that span more than one row, in a segment tree over the rows (leaf i is row
    // m_rowBase + i): node n holds the items whose row range covers the node's range but not its
    // parent's. The items that run through an area's first row are then found on one
    // leaf-to-root path. Stored flat: node n's items are m_nodeItems[m_nodeStart[n] ..
    // m_nodeStart[n + 1]).
    int m_rowBase = 0;
    std::size_t m_leaves = 0;
    std::vector<std::uint32_t> m_nodeStart;
    std::vector<std::uint32_t> m_nodeItems;
};

}  // namespace qm::detail
