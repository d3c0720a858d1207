// Working out a flowchart's connectors, shapes and captions with one walk over the element tree
// on an explicit stack (trees are as deep as their hostile input).
//
// Each list is walked knowing its parent element and that element's cell P, the cell C where
// control goes when the list ends and the kind K of what is there. A list first gets the edge
// that enters it from P; then each element joins the one after it (or C), and its own lists are
// walked in turn. A loop's edges out of its end box and its back edge follow its body. The
// branches of a try all lead to what follows the try; a statement box that ends in a `throw`
// leads to the End terminal, as a return does.
#include "detail/flow_draw_plan.h"

#include "detail/flowchart.h"

#include <algorithm>

namespace qm::detail {

using model::NodeKind;

bool isDrawnKind(NodeKind kind) noexcept
{
    switch (kind) {
    case NodeKind::IfStatement:
    case NodeKind::ElseIfStatement:
    case NodeKind::ElseStatement:
    case NodeKind::ForStatement:
    case NodeKind::WhileStatement:
    case NodeKind::DoStatement:
    case NodeKind::BreakStatement:
    case NodeKind::ContinueStatement:
    case NodeKind::ReturnStatement:
    case NodeKind::GotoStatement:
    case NodeKind::SwitchStatement:
    case NodeKind::CaseStatement:
    case NodeKind::DefaultStatement:
    case NodeKind::TryStatement:
    case NodeKind::JustBrace:
    case NodeKind::CatchStatement:
    case NodeKind::ExpressionStatement:
        return true;
    default:
        return false;
    }
}

namespace {

bool hasShape(NodeKind kind) noexcept
{
    return kind == NodeKind::IfStatement || kind == NodeKind::ElseIfStatement || isLoopKind(kind) ||
           isMultiwayKind(kind) || isSideBySideKind(kind) || kind == NodeKind::ExpressionStatement;
}

bool hasDefault(const FlowElement& switchElement)
{
    return std::any_of(switchElement.children.begin(), switchElement.children.end(),
                       [](const FlowElement& e) { return e.kind == NodeKind::DefaultStatement; });
}

// The last column a switch takes, right of which its "no case matched" edge runs.
int lastColumn(const FlowElement& e)
{
    return e.col + std::max(e.rightWidth, 1) - 1;
}

bool isBranchKind(NodeKind kind) noexcept
{
    return kind == NodeKind::ElseIfStatement || kind == NodeKind::ElseStatement;
}

// Where a list hangs and where control goes after it.
struct ListContext {
    const FlowElement* parent = nullptr;  // null for the function body
    FlowCell parentCell;                  // P
    FlowCell after;                       // C
    NodeKind afterKind = NodeKind::Unknown;  // K
};

// The neighbours of every element of one list, skipping elements that are not drawn: the next
// drawn element, and the first drawn element after an if-chain that goes on from here.
struct ListNeighbours {
    std::vector<std::size_t> next;
    std::vector<std::size_t> afterChain;
    std::size_t first = 0;

    explicit ListNeighbours(const FlowElementList& list) : next(list.size()), afterChain(list.size())
    {
        const std::size_t n = list.size();
        std::size_t nextDrawn = n;
        std::size_t nextNonBranch = n;
        for (std::size_t i = n; i-- > 0;) {
            next[i] = nextDrawn;
            afterChain[i] = nextNonBranch;
            if (isDrawnKind(list[i].kind)) {
                nextDrawn = i;
                if (!isBranchKind(list[i].kind)) nextNonBranch = i;
            }
        }
        first = nextDrawn;
    }
};

class PlanBuilder {
public:
    PlanBuilder(std::vector<FlowConnector>& connectors, std::vector<CellBounds>& connectorBounds,
                std::vector<const FlowElement*>& shapes, std::vector<CellBounds>& shapeBounds,
                std::vector<FlowCaption>& captions, std::vector<CellBounds>& captionBounds)
        : m_connectors(connectors), m_connectorBounds(connectorBounds), m_shapes(shapes), m_shapeBounds(shapeBounds),
          m_captions(captions), m_captionBounds(captionBounds)
    {
    }

    void walk(const FlowElementList& body, FlowCell start, FlowCell end)
    {
        m_end = end;
        m_stack.push_back(Frame::forList(body, ListContext{nullptr, start, end, NodeKind::Unknown}));
        while (!m_stack.empty()) {
            if (m_stack.back().loop) {
                const Frame frame = std::move(m_stack.back());
                m_stack.pop_back();
                finishLoop(*frame.loop, frame.context.after, frame.context.afterKind);
                continue;
            }
            Frame& frame = m_stack.back();
            if (!frame.entered) {
                frame.entered = true;
                enterList(frame);
            }
            if (frame.index == frame.list->size()) {
                m_stack.pop_back();
                continue;
            }
            const std::size_t i = frame.index++;
            visit(i);  // may push frames: `frame` is not used after this
        }
    }

private:
    struct Frame {
        const FlowElementList* list = nullptr;
        std::size_t index = 0;
        ListContext context;
        bool entered = false;
        std::size_t previousDrawn = SIZE_MAX;
        std::vector<std::size_t> next;
        std::vector<std::size_t> afterChain;
        std::size_t first = 0;
        // Set for the frame that finishes a loop after its body: context.after and
        // context.afterKind then hold where control goes after the loop.
        const FlowElement* loop = nullptr;

        static Frame forList(const FlowElementList& list, const ListContext& context)
        {
            Frame frame;
            frame.list = &list;
            frame.context = context;
            ListNeighbours neighbours(list);
            frame.next = std::move(neighbours.next);
            frame.afterChain = std::move(neighbours.afterChain);
            frame.first = neighbours.first;
            return frame;
        }
    };

    void connect(FlowCell from, FlowCell to, ConnectorStyle style, NodeKind targetKind, bool viaSide, bool arrow,
                 std::optional<int> besideColumn = std::nullopt)
    {
        m_connectors.push_back(FlowConnector{from, to, style, targetKind, viaSide, arrow, besideColumn});
        const int right = std::max({from.col, to.col, besideColumn.value_or(from.col)});
        m_connectorBounds.push_back(CellBounds{std::min(from.col, to.col), right, std::min(from.row, to.row),
                                               std::max(from.row, to.row)});
    }

    // The edge from the list's parent into its first element, or to where control goes after the
    // list when it is empty.
    void enterList(const Frame& frame)
    {
        const ListContext& c = frame.context;
        if (!c.parent) return;
        const bool empty = frame.first >= frame.list->size();
        const FlowCell to = empty ? c.after : (*frame.list)[frame.first].cell();
        const NodeKind toKind = empty ? c.afterKind : (*frame.list)[frame.first].kind;
        switch (c.parent->kind) {
        case NodeKind::IfStatement:
        case NodeKind::ElseIfStatement:
            connect(c.parentCell, to, ConnectorStyle::Yes, toKind, true, true);
            break;
        case NodeKind::ElseStatement:
            connect(c.parentCell, to, ConnectorStyle::No, toKind, !empty, true);
            break;
        case NodeKind::ForStatement:
        case NodeKind::WhileStatement:
        case NodeKind::DoStatement:
            connect(c.parentCell, to, ConnectorStyle::Normal, toKind, true, true);
            break;
        case NodeKind::CaseStatement:
        case NodeKind::DefaultStatement:
        case NodeKind::JustBrace:
        case NodeKind::CatchStatement:
            connect(c.parentCell, to, ConnectorStyle::Normal, toKind, false, true);
            break;
        default:
            break;
        }
    }

    void visit(std::size_t i)
    {
        Frame& frame = m_stack.back();
        const FlowElementList& list = *frame.list;
        const FlowElement& e = list[i];
        if (!isDrawnKind(e.kind)) return;
        const std::size_t previous = frame.previousDrawn;
        frame.previousDrawn = i;
        const ListContext context = frame.context;
        const std::size_t nextIndex = frame.next[i];
        const FlowElement* next = nextIndex < list.size() ? &list[nextIndex] : nullptr;
        const FlowCell nextCell = next ? next->cell() : context.after;
        const NodeKind nextKind = next ? next->kind : context.afterKind;
        const std::size_t chainEnd = frame.afterChain[i];
        const FlowCell afterChain = chainEnd < list.size() ? list[chainEnd].cell() : context.after;

        addShapeAndCaption(e, next, context.afterKind);
        switch (e.kind) {
        case NodeKind::IfStatement:
        case NodeKind::ElseIfStatement:
            if (!next || !isBranchKind(next->kind)) {
                connect(e.cell(), nextCell, ConnectorStyle::No, nextKind, false, true);
            } else if (next->kind == NodeKind::ElseIfStatement) {
                connect(e.cell(), next->cell(), ConnectorStyle::No, next->kind, true, true);
            }
            pushList(e, e.cell(), afterChain, nextKind);
            break;
        case NodeKind::ElseStatement:
            // Entered from the last shape of its chain.
            pushList(e, previous < list.size() ? list[previous].cell() : e.cell(), nextCell, nextKind);
            break;
        case NodeKind::ForStatement:
        case NodeKind::WhileStatement:
        case NodeKind::DoStatement: {
            Frame finish;
            finish.loop = &e;
            finish.context.after = nextCell;
            finish.context.afterKind = nextKind;
            m_stack.push_back(std::move(finish));
            pushList(e, e.cell(), FlowCell{e.col, e.endRow()}, nextKind);
            break;
        }
        case NodeKind::SwitchStatement:
            // Without a default, control goes on after the switch when no case matches: a "no"
            // edge around the right of the cases. It comes before the edges into the cases,
            // which are drawn over the part of the row it shares with them.
            if (!hasDefault(e)) {
                connect(e.cell(), nextCell, ConnectorStyle::No, nextKind, false, true, lastColumn(e));
            }
            pushList(e, e.cell(), nextCell, nextKind);
            break;
        case NodeKind::TryStatement:
            pushList(e, e.cell(), nextCell, nextKind);
            break;
        case NodeKind::CaseStatement:
        case NodeKind::DefaultStatement:
            connect(context.parentCell, e.cell(), ConnectorStyle::Normal, e.kind, true, true);
            pushList(e, e.cell(), nextCell, nextKind);
            break;
        case NodeKind::JustBrace:
        case NodeKind::CatchStatement:
            // A try's branch ends where the try ends, whichever branch ran.
            connect(context.parentCell, e.cell(), ConnectorStyle::Normal, e.kind, true, true);
            pushList(e, e.cell(), context.after, context.afterKind);
            break;
        case NodeKind::ExpressionStatement:
            if (endsWithThrow(e)) {
                connect(e.cell(), m_end, ConnectorStyle::Normal, NodeKind::ReturnStatement, false, true);
            } else {
                connect(e.cell(), nextCell, ConnectorStyle::Normal, nextKind, false, true);
            }
            break;
        default:
            break;
        }
    }

    void pushList(const FlowElement& parent, FlowCell parentCell, FlowCell after, NodeKind afterKind)
    {
        m_stack.push_back(Frame::forList(parent.children, ListContext{&parent, parentCell, after, afterKind}));
    }

    // The edge out of a loop's end box, then its back edge: from the column left of the body up
    // to the top box's row and into the top box, and down that column from the top row to the
    // end box.
    void finishLoop(const FlowElement& loop, FlowCell next, NodeKind nextKind)
    {
        const FlowCell endBox{loop.col, loop.endRow()};
        connect(endBox, next, ConnectorStyle::Normal, nextKind, true, true);
        const FlowCell backColumnTop{loop.col - axisOffset(loop.children) - 1, loop.row};
        connect(backColumnTop, loop.cell(), ConnectorStyle::Back, loop.kind, false, true);
        connect(backColumnTop, endBox, ConnectorStyle::Back, loop.kind, false, false);
    }

    void addShapeAndCaption(const FlowElement& e, const FlowElement* next, NodeKind followingKind)
    {
        if (hasShape(e.kind)) {
            m_shapes.push_back(&e);
            m_shapeBounds.push_back(CellBounds{e.col, e.col, e.row, isLoopKind(e.kind) ? e.endRow() : e.row});
        }
        if (e.kind == NodeKind::IfStatement || e.kind == NodeKind::ElseIfStatement) {
            // Yes and no stand beside the shape, or just below it.
            m_captions.push_back(FlowCaption{&e, next, followingKind});
            m_captionBounds.push_back(CellBounds{e.col - 1, e.col + 1, e.row, e.row + 1});
        } else if (isLoopKind(e.kind)) {
            // Left of the back edge, halfway down the loop.
            const int backColumn = e.col - axisOffset(e.children) - 1;
            m_captions.push_back(FlowCaption{&e, nullptr, NodeKind::Unknown});
            m_captionBounds.push_back(CellBounds{backColumn - 1, backColumn + 1, e.row, e.endRow()});
        } else if (isCaseKind(e.kind)) {
            // In the gap above the box.
            m_captions.push_back(FlowCaption{&e, nullptr, NodeKind::Unknown});
            m_captionBounds.push_back(CellBounds{e.col, e.col, e.row - 1, e.row});
        } else if (e.kind == NodeKind::SwitchStatement && !hasDefault(e)) {
            // Above the "no case matched" edge, where it turns down right of the cases.
            m_captions.push_back(FlowCaption{&e, nullptr, NodeKind::Unknown});
            m_captionBounds.push_back(CellBounds{e.col, lastColumn(e) + 1, e.row, e.row});
        }
    }

    std::vector<Frame> m_stack;
    FlowCell m_end;
    std::vector<FlowConnector>& m_connectors;
    std::vector<CellBounds>& m_connectorBounds;
    std::vector<const FlowElement*>& m_shapes;
    std::vector<CellBounds>& m_shapeBounds;
    std::vector<FlowCaption>& m_captions;
    std::vector<CellBounds>& m_captionBounds;
};

}  // namespace

FlowDrawPlan::FlowDrawPlan(const Flowchart& chart)
{
    std::vector<CellBounds> connectorBounds;
    std::vector<CellBounds> shapeBounds;
    std::vector<CellBounds> captionBounds;
    PlanBuilder builder(m_connectors, connectorBounds, m_shapes, shapeBounds, m_captions, captionBounds);
    builder.walk(chart.elements(), chart.startCell(), chart.endCell());
    m_connectorIndex.build(std::move(connectorBounds));
    m_shapeIndex.build(std::move(shapeBounds));
    m_captionIndex.build(std::move(captionBounds));
}

}  // namespace qm::detail
