// Drawing a flowchart: terminals, connectors, shapes, texts and the detail box, each part limited
// to what its plan's index finds near the clip box.
#include "detail/flow_painter.h"

#include "detail/flow_connector_route.h"
#include "detail/flow_detail_popup.h"
#include "detail/flow_statement_text.h"

#include <algorithm>

namespace qm::detail {

using draw::BackgroundMode;
using draw::Brush;
using draw::FontSpec;
using draw::Pen;
using draw::Point;
using draw::Rect;
using draw::Rgb;
using model::NodeKind;
namespace colors = flow_colors;

namespace {

int floorDiv(int value, int divisor)
{
    const int q = value / divisor;
    return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? q - 1 : q;
}

Rgb connectorColor(const FlowConnector& connector)
{
    switch (connector.style) {
    case ConnectorStyle::Yes: return colors::kGreen;
    case ConnectorStyle::No: return colors::kDarkRed;
    case ConnectorStyle::Back: return colors::kNavy;
    case ConnectorStyle::Normal: break;
    }
    return connector.targetKind == NodeKind::ReturnStatement ? colors::kOlive : draw::kBlack;
}

// The first element of `list` that has a place in the drawing, or null.
const FlowElement* firstDrawn(const FlowElementList& list)
{
    for (const FlowElement& e : list) {
        if (isDrawnKind(e.kind)) return &e;
    }
    return nullptr;
}

bool leavesTheFlow(NodeKind kind)
{
    return kind == NodeKind::GotoStatement || kind == NodeKind::ReturnStatement || kind == NodeKind::BreakStatement;
}

bool isReturnOrBreak(const FlowElement* element)
{
    return element &&
           (element->kind == NodeKind::ReturnStatement || element->kind == NodeKind::BreakStatement);
}

}  // namespace

FlowFonts FlowFonts::forScale(FlowScale scale)
{
    const bool large = scale == 16;
    return FlowFonts{FontSpec::cellPixels("Arial", large ? 30 : 20), FontSpec::cellPixels("Arial", large ? 24 : 17),
                     FontSpec::cellPixels("Arial", large ? 18 : 13), FontSpec::cellPixels("Arial", 18)};
}

FlowPainter::FlowPainter(draw::Canvas& canvas, const Flowchart& chart)
    : m_canvas(canvas), m_chart(chart), m_plan(chart.drawPlan()), m_parameters(chart.parameters()),
      m_geometry(chart.parameters()), m_fonts(FlowFonts::forScale(chart.scale())), m_shapes(canvas, 1)
{
    m_canvas.setPen(Pen::solid(draw::kBlack));
    m_canvas.setBrush(Brush::solid(draw::kWhite));
    m_canvas.setTextColor(draw::kBlack);
    m_canvas.setFont(m_fonts.box);
    m_dotsWidth = m_canvas.textSize("..").width;
    const Rect clip = m_shapes.clipBox();
    m_clipCells = CellBounds{floorDiv(clip.left, m_geometry.cellWidth) - 1,
                             floorDiv(clip.right(), m_geometry.cellWidth) + 1,
                             floorDiv(clip.top, m_geometry.cellHeight) - 1,
                             floorDiv(clip.bottom(), m_geometry.cellHeight) + 1};
}

void FlowPainter::drawChart()
{
    drawTerminals();
    drawConnectors();
    drawShapes();
    if (m_chart.scale() != 1) {
        drawTexts();
    }
}

void FlowPainter::drawTerminals()
{
    const FlowCell start = m_chart.startCell();
    m_shapes.ellipseShape(m_geometry.box(start), colors::kTerminal);
    m_shapes.ellipseShape(m_geometry.box(m_chart.endCell()), colors::kTerminal);
    drawConnector(
        FlowConnector{start, FlowCell{start.col, 1}, ConnectorStyle::Normal, NodeKind::Unknown, false, true, std::nullopt});
}

void FlowPainter::drawConnector(const FlowConnector& connector)
{
    const ConnectorRoute route = routeConnector(connector, m_geometry);
    m_canvas.setPen(Pen::solid(connectorColor(connector)));
    for (std::size_t i = 1; i < route.points.size(); ++i) {
        m_shapes.line(route.points[i - 1], route.points[i]);
    }
    if (route.arrow) {
        m_shapes.arrowHead(route.arrow->apex, m_geometry.arrowSize, route.arrow->direction, true);
    }
    m_canvas.setPen(Pen::solid(draw::kBlack));
}

void FlowPainter::drawConnectors()
{
    m_plan.connectorsIn(m_clipCells, m_ids);
    for (std::uint32_t id : m_ids) {
        drawConnector(m_plan.connectors()[id]);
    }
}

void FlowPainter::drawShapes()
{
    m_plan.shapesIn(m_clipCells, m_ids);
    for (std::uint32_t id : m_ids) {
        const FlowElement& e = *m_plan.shapes()[id];
        const Rect box = m_geometry.box(e.cell());
        switch (e.kind) {
        case NodeKind::IfStatement:
        case NodeKind::ElseIfStatement:
            m_shapes.hexagon(box, colors::kDecision);
            break;
        case NodeKind::ForStatement:
        case NodeKind::WhileStatement:
        case NodeKind::DoStatement:
            m_shapes.roundBox(box, colors::kLoop);
            m_shapes.roundBox(m_geometry.box(FlowCell{e.col, e.endRow()}), colors::kLoop);
            break;
        case NodeKind::SwitchStatement:
        case NodeKind::TryStatement:
            m_shapes.hexagon(box, colors::kSwitch);
            break;
        case NodeKind::CaseStatement:
        case NodeKind::DefaultStatement:
        case NodeKind::JustBrace:
        case NodeKind::CatchStatement:
            m_shapes.shadedRect(box, colors::kCase);
            break;
        case NodeKind::ExpressionStatement:
            m_shapes.shadedRect(box, colors::kStatement);
            break;
        default:
            break;
        }
    }
}

void FlowPainter::drawTexts()
{
    m_canvas.setBackgroundMode(BackgroundMode::Transparent);
    m_canvas.setTextColor(draw::kBlack);

    m_canvas.setFont(m_fonts.terminal);
    const FlowGeometry& g = m_geometry;
    const FlowCell start = m_chart.startCell();
    const FlowCell end = m_chart.endCell();
    if (boxIsVisible(start)) {
        const draw::Size s = m_canvas.textSize("Start");
        m_canvas.drawText({g.X(start.col) + (g.boxWidth - s.width) / 2, (g.boxHeight - s.height) / 2}, "Start");
    }
    if (boxIsVisible(end)) {
        const draw::Size s = m_canvas.textSize("End");
        m_canvas.drawText({g.X(end.col) + (g.boxWidth - s.width) / 2, g.Y(end.row) + (g.boxHeight - s.height) / 2},
                          "End");
    }

    drawCaptions();

    m_canvas.setFont(m_fonts.box);
    m_plan.shapesIn(m_clipCells, m_ids);
    for (std::uint32_t id : m_ids) {
        drawBoxTexts(*m_plan.shapes()[id]);
    }
    m_canvas.setTextColor(draw::kBlack);
    m_canvas.setBackgroundMode(BackgroundMode::Opaque);
}

void FlowPainter::drawCaptions()
{
    m_canvas.setFont(m_fonts.caption);
    m_plan.captionsIn(m_clipCells, m_ids);
    for (std::uint32_t id : m_ids) {
        const FlowCaption& caption = m_plan.captions()[id];
        const FlowElement& e = *caption.element;
        if (e.kind == NodeKind::IfStatement || e.kind == NodeKind::ElseIfStatement) {
            drawBranchCaptions(caption);
        } else if (isLoopKind(e.kind)) {
            drawLoopCaption(e);
        } else if (isCaseKind(e.kind)) {
            drawCaseLabel(e);
        } else if (e.kind == NodeKind::SwitchStatement) {
            drawNoMatchCaption(e);
        }
    }
}

void FlowPainter::drawNoMatchCaption(const FlowElement& switchElement)
{
    // Above the edge, just left of where it turns down past the last case.
    const FlowGeometry& g = m_geometry;
    const std::string& no = m_parameters.noCaption;
    const draw::Size s = m_canvas.textSize(no);
    const int turn = g.RX(std::int64_t{switchElement.col} + std::max(switchElement.rightWidth, 1) - 1) + g.gap() + 1;
    m_canvas.setTextColor(colors::kDarkRed);
    m_canvas.drawText({turn - s.width - 3, g.MY(switchElement.row) - s.height}, no);
    m_canvas.setTextColor(draw::kBlack);
}

void FlowPainter::drawBranchCaptions(const FlowCaption& caption)
{
    const FlowGeometry& g = m_geometry;
    const FlowElement& e = *caption.element;

    // "Yes" beside the branch that hangs below and to the left; to the right when the branch
    // jumps away at once; below an if without a branch.
    const std::string& yes = m_parameters.yesCaption;
    draw::Size s = m_canvas.textSize(yes);
    Point at;
    if (const FlowElement* first = firstDrawn(e.children)) {
        at = leavesTheFlow(first->kind) ? Point{g.RX(e.col), g.MY(e.row)}
                                        : Point{g.X(e.col) - 2 * s.width, g.MY(e.row) - s.height};
    } else {
        at = Point{g.CX(e.col) - s.width, g.BY(e.row) + 2 * s.height};
    }
    m_canvas.setTextColor(colors::kGreen);
    m_canvas.drawText(at, yes);
    m_canvas.setTextColor(draw::kBlack);

    // "No" beside the jump route when control leaves at once; above the route to the next
    // branch; else below the shape, beside the edge down.
    const std::string& no = m_parameters.noCaption;
    s = m_canvas.textSize(no);
    const FlowElement* next = caption.next;
    const bool jumpsAway = next ? leavesTheFlow(next->kind) || isReturnOrBreak(firstDrawn(next->children))
                                : caption.followingKind == NodeKind::ReturnStatement ||
                                      caption.followingKind == NodeKind::BreakStatement;
    if (jumpsAway) {
        at = Point{g.RX(e.col) + g.gap() + 3, g.MY(e.row)};
    } else if (next && (next->kind == NodeKind::ElseIfStatement || next->kind == NodeKind::ElseStatement)) {
        at = Point{g.RX(e.col) + s.width, g.MY(e.row) - s.height};
    } else {
        at = Point{g.CX(e.col) + 2, g.BY(e.row) + (g.cellHeight - g.boxHeight - s.height) / 2};
    }
    m_canvas.setTextColor(colors::kDarkRed);
    m_canvas.drawText(at, no);
    m_canvas.setTextColor(draw::kBlack);
}

void FlowPainter::drawLoopCaption(const FlowElement& loop)
{
    const FlowGeometry& g = m_geometry;
    const std::string& text = m_parameters.loopCaption;
    const draw::Size s = m_canvas.textSize(text);
    const std::int64_t backEdge = std::int64_t{loop.col} - axisOffset(loop.children);
    const Point at{toPixel(backEdge * g.cellWidth - (g.gap() - 1) - s.width - 4),
                   toPixel(std::int64_t{g.Y(loop.row)} + std::int64_t{g.cellHeight} * (loop.height - 1) / 2 +
                           (g.boxHeight - s.height) / 2)};
    m_canvas.setTextColor(colors::kNavy);
    m_canvas.drawText(at, text);
    m_canvas.setTextColor(draw::kBlack);
}

void FlowPainter::drawCaseLabel(const FlowElement& element)
{
    const FlowGeometry& g = m_geometry;
    const model::AnalysisNode* node = element.nodes.empty() ? nullptr : element.nodes.front();
    const std::string text =
        element.kind == NodeKind::DefaultStatement ? std::string("default") : node ? caseLabelText(*node) : std::string();
    const draw::Size s = m_canvas.textSize(text);
    const Point at{g.X(element.col) + (g.boxWidth - s.width) / 2,
                   toPixel(g.boxHeight + (g.cellHeight - g.boxHeight - s.height) / 2 +
                           std::int64_t{g.cellHeight} * (element.row - 1))};
    m_canvas.setTextColor(colors::kTeal);
    m_canvas.drawText(at, text);
    m_canvas.setTextColor(draw::kBlack);
}

void FlowPainter::drawBoxTexts(const FlowElement& e)
{
    const model::AnalysisNode* node = e.nodes.empty() ? nullptr : e.nodes.front();
    if (!node) return;
    const FlowCell top = e.cell();
    const FlowCell endBox{e.col, e.endRow()};
    switch (e.kind) {
    case NodeKind::IfStatement:
    case NodeKind::ElseIfStatement:
        if (boxIsVisible(top)) {
            m_canvas.setTextColor(colors::kNavy);
            fitText(top, conditionText(*node), true);
        }
        break;
    case NodeKind::SwitchStatement:
        if (boxIsVisible(top)) {
            m_canvas.setTextColor(draw::kBlack);
            fitText(top, conditionText(*node), true);
        }
        break;
    case NodeKind::TryStatement:
        if (boxIsVisible(top)) {
            m_canvas.setTextColor(draw::kBlack);
            fitText(top, "try", true);
        }
        break;
    case NodeKind::CatchStatement:
        if (boxIsVisible(top)) {
            m_canvas.setTextColor(draw::kBlack);
            fitText(top, catchText(*node), false);
        }
        break;
    case NodeKind::WhileStatement:
        m_canvas.setTextColor(draw::kBlack);
        if (boxIsVisible(top)) fitText(top, conditionText(*node), false);
        if (boxIsVisible(endBox)) fitText(endBox, "While End", false);
        break;
    case NodeKind::DoStatement:
        m_canvas.setTextColor(draw::kBlack);
        if (boxIsVisible(top)) fitText(top, "Do", false);
        if (boxIsVisible(endBox)) {
            const model::AnalysisNode* closing = closingWhileOf(e);
            fitText(endBox, closing ? conditionText(*closing) : std::string(), false);
        }
        break;
    case NodeKind::ForStatement: {
        const bool topVisible = boxIsVisible(top);
        const bool endVisible = boxIsVisible(endBox);
        if (!topVisible && !endVisible) break;
        ForHeaderText header = forHeaderText(*node);
        if (topVisible) {
            const std::string lines[] = {std::move(header.init), std::move(header.condition)};
            drawLines(top, lines);
        }
        if (endVisible) {
            const std::string lines[] = {std::move(header.step), std::string("For End")};
            drawLines(endBox, lines);
        }
        break;
    }
    case NodeKind::ExpressionStatement:
        if (boxIsVisible(top)) {
            std::vector<std::string> lines;
            lines.reserve(e.nodes.size());
            for (const model::AnalysisNode* n : e.nodes) {
                lines.push_back(n ? statementText(*n) : std::string());
            }
            drawLines(top, lines);
        }
        break;
    default:
        break;
    }
}

void FlowPainter::fitText(FlowCell cell, std::string_view text, bool hexagon)
{
    const FlowGeometry& g = m_geometry;
    const draw::Size s = m_canvas.textSize(text);
    int margin = 2;
    if (hexagon) {
        // The slanted sides leave less room the taller the text is.
        const double slope = static_cast<double>(g.boxWidth / 4) / static_cast<double>(g.boxHeight / 2);
        margin = std::max(2, static_cast<int>(slope * (s.height / 2)));
    }
    const int left = g.X(cell.col);
    const int top = g.Y(cell.row) + (g.boxHeight - s.height) / 2;
    if (s.width < g.boxWidth - 2 * margin) {
        m_canvas.drawText({left + (g.boxWidth - s.width) / 2, top}, text);
        return;
    }
    const int dotsLeft = g.RX(cell.col) - m_dotsWidth - margin;
    m_canvas.drawTextClipped({left + margin, top}, text, Rect::fromEdges(left + margin, top, dotsLeft, top + s.height));
    m_canvas.drawText({dotsLeft, top}, "..");
}

void FlowPainter::drawLines(FlowCell cell, std::span<const std::string> lines)
{
    const FlowGeometry& g = m_geometry;
    std::vector<draw::Size> sizes;
    sizes.reserve(lines.size());
    int widest = 0;
    std::int64_t total = 0;
    for (const std::string& line : lines) {
        sizes.push_back(m_canvas.textSize(line));
        widest = std::max(widest, sizes.back().width);
        total += sizes.back().height;
    }
    const int xOffset = widest < g.boxWidth - 4 ? (g.boxWidth - widest - 4) / 2 : 0;
    const bool overfull = total >= g.boxHeight - 4;
    const int yOffset = overfull ? 0 : (g.boxHeight - static_cast<int>(total) - 4) / 2;
    const int left = g.X(cell.col) + xOffset + 2;
    const int boxTop = g.Y(cell.row) + yOffset;

    // Which lines fit; when one does not, the last line shown ends in ".." as a cut line does,
    // so that the reader knows the box holds more than it shows.
    std::vector<bool> shown(lines.size(), false);
    std::size_t lastShown = lines.size();
    bool leftOut = false;
    int y = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (y + sizes[i].height >= g.boxHeight) {  // a later, lower line may still fit
            leftOut = true;
            continue;
        }
        shown[i] = true;
        lastShown = i;
        y += sizes[i].height;
    }

    m_canvas.setTextColor(draw::kBlack);
    const int boxRight = g.X(cell.col) + g.boxWidth - 2;
    y = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!shown[i]) continue;
        const draw::Size s = sizes[i];
        const int top = boxTop + y;
        if (s.width > g.boxWidth - 4) {
            const Rect clip = Rect::fromEdges(left, top, left + g.boxWidth - m_dotsWidth - 4, top + s.height);
            m_canvas.drawTextClipped({left, top}, lines[i], clip);
            m_canvas.drawText({g.X(cell.col) + xOffset + g.boxWidth - m_dotsWidth - 2, top}, "..");
        } else if (leftOut && i == lastShown) {
            const int blank = m_canvas.textSize(" ").width;
            if (left + s.width + blank + m_dotsWidth <= boxRight) {
                m_canvas.drawText({left, top}, lines[i]);
                m_canvas.drawText({left + s.width + blank, top}, "..");
            } else {
                // No room for the dots behind the line: it is cut where they begin.
                const int dotsLeft = boxRight - m_dotsWidth;
                m_canvas.drawTextClipped({left, top}, lines[i], Rect::fromEdges(left, top, dotsLeft, top + s.height));
                m_canvas.drawText({dotsLeft, top}, "..");
            }
        } else {
            m_canvas.drawText({left, top}, lines[i]);
        }
        y += s.height;
    }
    if (overfull) {
        const int x = g.X(cell.col) + xOffset + g.boxWidth / 2;
        m_shapes.line({x, g.BY(cell.row) - 4}, {x, g.BY(cell.row) - 2});
    }
}

const FlowElement* FlowPainter::drawHover(const FlowHover& hover)
{
    if (!hover.active || hover.cell == FlowCell{0, 0}) return nullptr;
    const FlowElement* element = m_chart.elementAt(hover.cell.col, hover.cell.row);
    if (element) drawDetailPopup(*element, hover.cell, hover.anchored);
    return element;
}

void FlowPainter::drawDetailPopup(const FlowElement& element, FlowCell cell, bool anchored)
{
    const std::vector<std::string> lines = detailPopupLines(element);
    m_canvas.setFont(m_fonts.popup);
    std::vector<int> heights;
    heights.reserve(lines.size());
    int widest = 0;
    int total = 0;
    for (const std::string& line : lines) {
        const draw::Size s = m_canvas.textSize(line);
        widest = std::max(widest, s.width);
        heights.push_back(s.height);
        total += s.height;
    }
    const Point at = detailPopupOrigin(cell, anchored, m_geometry, m_chart.gridWidth(), m_chart.gridHeight(), widest);
    m_shapes.shadedRect(Rect{at.x, at.y, widest + 8, total + 10}, colors::kPopup);

    m_canvas.setBackgroundMode(BackgroundMode::Transparent);
    int above = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        m_canvas.setTextColor(i == 0 ? colors::kPopupTitle : draw::kBlack);
        m_canvas.drawText({at.x + 4, i == 0 ? at.y + 4 : at.y + 6 + above}, lines[i]);
        above += heights[i];
    }
    m_canvas.setTextColor(draw::kBlack);
    m_canvas.setBackgroundMode(BackgroundMode::Opaque);
}

const FlowElement* paintFlowchart(draw::Canvas& canvas, Flowchart& chart, FlowScale scale, const FlowHover& hover)
{
    chart.setScale(scale);
    FlowPainter painter(canvas, chart);
    painter.drawChart();
    return painter.drawHover(hover);
}

}  // namespace qm::detail
