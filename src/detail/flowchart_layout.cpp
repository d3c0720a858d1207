// Measuring and placing a flowchart's elements on the grid, without recursion.
//
// A list runs down its axis column. An `if` shape stands on the axis with its true branch below
// and to the left, ending in the column just left of the axis; `else if` and `else` branches step
// to the right, one row lower per branch. A loop's body lies straight below its top box and is
// closed by an end box; the extra column left of the body carries the back edge. The cases of a
// switch stand side by side in the row below the switch, spread around its axis; so do the
// branches of a try (its block, then its handlers).
#include "detail/flowchart.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace qm::detail {

using model::NodeKind;

namespace {

bool measuresChildren(NodeKind kind) noexcept
{
    return kind == NodeKind::IfStatement || kind == NodeKind::ElseIfStatement || kind == NodeKind::ElseStatement ||
           isLoopKind(kind) || isMultiwayKind(kind) || isSideBySideKind(kind);
}

// Sets the size of an element whose children's list has extent `body`.
void sizeFromBody(FlowElement& e, const ListExtent& body)
{
    switch (e.kind) {
    case NodeKind::IfStatement:
    case NodeKind::ElseIfStatement:
        e.leftWidth = body.left + body.right;
        e.rightWidth = 1;
        e.height = body.rows + 1;
        break;
    case NodeKind::ElseStatement:
        e.rightWidth = body.left + body.right;
        e.height = body.rows;
        break;
    case NodeKind::ForStatement:
    case NodeKind::WhileStatement:
    case NodeKind::DoStatement:
        e.leftWidth = body.left + 1;
        e.rightWidth = std::max(body.right, 1);
        e.height = body.rows + 2;
        break;
    case NodeKind::SwitchStatement:
    case NodeKind::TryStatement:
        e.leftWidth = body.left;
        e.rightWidth = std::max(body.right, 1);
        e.height = body.rows + 2;
        break;
    case NodeKind::CaseStatement:
    case NodeKind::DefaultStatement:
    case NodeKind::JustBrace:
    case NodeKind::CatchStatement:
        e.leftWidth = body.left;
        e.rightWidth = std::max(body.right + 1, 2);
        e.height = body.rows;
        break;
    default:
        break;
    }
}

// The running extent of a list of `count` elements, and the state of its current if-chain: the
// chain's right edge and its lowest row, both counted from the `if`, and the branches so far.
// Where no `if` went right before, the chain is that of an empty one-cell `if` in the row above,
// so that an `else` without its `if` (which the parser does not produce) still gets cells of its
// own below everything before it. placeOneList keeps the same chain.
class ListMeasure {
public:
    explicit ListMeasure(std::size_t count) : m_count(count) {}

    void add(const FlowElement& e, std::size_t index)
    {
        ListExtent& x = m_extent;
        switch (e.kind) {
        case NodeKind::IfStatement:
            x.left = std::max(x.left, e.leftWidth);
            x.right = std::max(x.right, e.rightWidth);
            x.rows += e.height;
            m_chainRight = e.rightWidth;
            m_chainBottom = e.height;
            m_branches = 0;
            break;
        case NodeKind::ElseIfStatement:
        case NodeKind::ElseStatement:
            ++m_branches;
            m_chainRight += e.leftWidth + e.rightWidth;
            x.right = std::max(x.right, m_chainRight);
            if (m_chainBottom < e.height + m_branches) {
                x.rows += e.height + m_branches - m_chainBottom;
                m_chainBottom = e.height + m_branches;
            }
            break;
        case NodeKind::ForStatement:
        case NodeKind::WhileStatement:
        case NodeKind::DoStatement:
        case NodeKind::SwitchStatement:
        case NodeKind::TryStatement:
        case NodeKind::ExpressionStatement:
            x.left = std::max(x.left, e.leftWidth);
            x.right = std::max(x.right, e.rightWidth);
            x.rows += e.height;
            break;
        case NodeKind::CaseStatement:
        case NodeKind::DefaultStatement:
        case NodeKind::JustBrace:
        case NodeKind::CatchStatement:
            addCase(e, index);
            break;
        default:
            break;
        }
        if (e.kind != NodeKind::IfStatement && e.kind != NodeKind::ElseIfStatement &&
            e.kind != NodeKind::ElseStatement) {
            m_chainRight = 1;
            m_chainBottom = 1;
            m_branches = 0;
        }
    }

    const ListExtent& extent() const noexcept { return m_extent; }

private:
    // Cases before the middle widen the left side, cases after it the right side; with an even
    // count the last case of the left half straddles the axis, with an odd count the middle one
    // stands on it.
    void addCase(const FlowElement& e, std::size_t k)
    {
        const std::size_t n = m_count;
        const int width = e.leftWidth + e.rightWidth;
        if (n % 2 == 0 && k + 1 == n / 2) {
            m_extent.left += e.leftWidth + e.rightWidth / 2;
            m_extent.right += e.rightWidth - e.rightWidth / 2;
        } else if (k < n / 2) {
            m_extent.left += width;
        } else if (n % 2 == 1 && k == n / 2) {
            m_extent.left += e.leftWidth;
            m_extent.right += e.rightWidth;
        } else {
            m_extent.right += width;
        }
        m_extent.rows = std::max(m_extent.rows, e.height);
    }

    std::size_t m_count;
    ListExtent m_extent;
    int m_chainRight = 1;
    int m_chainBottom = 1;
    int m_branches = 0;
};

struct PlaceJob {
    FlowElementList* list;
    int leftEdge;
    int firstRow;
};

// Places the elements of one list and queues their children's lists.
void placeOneList(FlowElementList& list, int leftEdge, int firstRow, std::vector<PlaceJob>& jobs)
{
    const int axis = leftEdge + axisOffset(list);
    int row = firstRow;
    // The current if-chain: column and row of its latest shape, row of its `if`, branches.
    int chainCol = axis;
    int chainRow = firstRow - 1;
    int chainIfRow = firstRow - 1;
    int branches = 0;
    int caseCursor = leftEdge;
    auto queue = [&jobs](FlowElement& e, int childLeftEdge, int childFirstRow) {
        if (!e.children.empty()) {
            jobs.push_back({&e.children, childLeftEdge, childFirstRow});
        }
    };
    for (FlowElement& e : list) {
        switch (e.kind) {
        case NodeKind::ExpressionStatement:
            e.col = axis;
            e.row = row;
            row += e.height;
            break;
        case NodeKind::IfStatement:
            e.col = axis;
            e.row = row;
            queue(e, axis - e.rightWidth - e.leftWidth + 1, row + 1);
            chainCol = axis;
            chainRow = row;
            chainIfRow = row;
            branches = 0;
            row += e.height;
            break;
        case NodeKind::ElseIfStatement:
            ++branches;
            ++chainRow;
            e.col = chainCol + e.leftWidth + e.rightWidth;
            e.row = chainRow;
            queue(e, chainCol + 1, chainRow + 1);
            chainCol = e.col;
            row = std::max(row, chainIfRow + branches + e.height);
            break;
        case NodeKind::ElseStatement:
            ++branches;
            e.col = chainCol + e.rightWidth;
            e.row = chainRow + 1;
            queue(e, chainCol + 1, chainRow + 1);
            row = std::max(row, chainIfRow + branches + e.height);
            break;
        case NodeKind::ForStatement:
        case NodeKind::WhileStatement:
        case NodeKind::DoStatement:
            e.col = axis;
            e.row = row;
            queue(e, axis - e.leftWidth + 1, row + 1);
            row += e.height;
            break;
        case NodeKind::SwitchStatement:
        case NodeKind::TryStatement:
            e.col = axis;
            e.row = row;
            queue(e, axis - e.leftWidth, row + 1);
            row += e.height;
            break;
        case NodeKind::CaseStatement:
        case NodeKind::DefaultStatement:
        case NodeKind::JustBrace:
        case NodeKind::CatchStatement:
            e.col = caseCursor + axisOffset(e.children);
            e.row = firstRow;
            queue(e, caseCursor, firstRow + 1);
            caseCursor += e.leftWidth + e.rightWidth;
            break;
        default:
            break;
        }
        if (e.kind != NodeKind::IfStatement && e.kind != NodeKind::ElseIfStatement &&
            e.kind != NodeKind::ElseStatement) {
            chainCol = axis;
            chainRow = row - 1;
            chainIfRow = row - 1;
            branches = 0;
        }
    }
}

}  // namespace

ListExtent Flowchart::measureList(FlowElementList& list)
{
    // Children are measured before their element: a frame per list on the way down.
    struct Frame {
        FlowElementList* list;
        std::size_t index;
        ListMeasure measure;
    };
    std::vector<Frame> stack;
    stack.push_back({&list, 0, ListMeasure(list.size())});
    for (;;) {
        Frame& frame = stack.back();
        if (frame.index < frame.list->size()) {
            FlowElement& e = (*frame.list)[frame.index];
            if (measuresChildren(e.kind)) {
                stack.push_back({&e.children, 0, ListMeasure(e.children.size())});
                continue;
            }
            if (e.kind == NodeKind::ExpressionStatement) {
                e.rightWidth = 1;
                e.height = 1;
            }
            frame.measure.add(e, frame.index);
            ++frame.index;
            continue;
        }
        const ListExtent body = frame.measure.extent();
        stack.pop_back();
        if (stack.empty()) {
            return body;
        }
        Frame& parent = stack.back();
        FlowElement& owner = (*parent.list)[parent.index];
        sizeFromBody(owner, body);
        parent.measure.add(owner, parent.index);
        ++parent.index;
    }
}

void Flowchart::placeList(FlowElementList& list, int leftEdge, int firstRow)
{
    // A list's cells depend only on its own elements' sizes, so lists can be placed in any
    // order once their left edge and first row are known.
    std::vector<PlaceJob> jobs{{&list, leftEdge, firstRow}};
    while (!jobs.empty()) {
        const PlaceJob job = jobs.back();
        jobs.pop_back();
        placeOneList(*job.list, job.leftEdge, job.firstRow, jobs);
    }
}

}  // namespace qm::detail
