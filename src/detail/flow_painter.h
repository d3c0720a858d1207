// FlowPainter: draws a laid-out flowchart on a Canvas, the same for the flow view, picture export
// and paper: the Start and End terminals, the connectors (under the shapes), the shapes, then the
// captions and statement texts, and the detail box of the hovered shape. Only what meets the
// canvas's clip box is drawn.
#pragma once

#include "detail/flow_draw_plan.h"
#include "detail/flow_geometry.h"
#include "detail/flowchart.h"
#include "draw/canvas.h"
#include "draw/shape_painter.h"

#include <span>
#include <string>
#include <string_view>

namespace qm::detail {

// The mouse over the flow view.
struct FlowHover {
    bool active = false;    // a shape is under the mouse
    FlowCell cell;          // the cell under the mouse
    bool anchored = false;  // the right mouse button is down: the box goes left of the shape
};

// The four fonts of the flowchart at one scale ("Arial" of a cell height); scale 1 draws no text
// but the popup and gets the fonts of scale 4.
struct FlowFonts {
    draw::FontSpec terminal;
    draw::FontSpec caption;
    draw::FontSpec box;
    draw::FontSpec popup;

    static FlowFonts forScale(FlowScale scale);
};

// The colours of the flowchart.
namespace flow_colors {
inline constexpr draw::Rgb kDarkRed{128, 0, 0};
inline constexpr draw::Rgb kGreen{0, 128, 0};
inline constexpr draw::Rgb kNavy{0, 0, 128};
inline constexpr draw::Rgb kOlive{128, 128, 0};
inline constexpr draw::Rgb kTeal{0, 128, 128};
inline constexpr draw::Rgb kTerminal{240, 200, 200};
inline constexpr draw::Rgb kDecision{230, 230, 200};
inline constexpr draw::Rgb kLoop{200, 230, 230};
inline constexpr draw::Rgb kSwitch{230, 200, 200};
inline constexpr draw::Rgb kCase{200, 230, 200};
inline constexpr draw::Rgb kStatement{200, 200, 230};
inline constexpr draw::Rgb kPopup{220, 240, 220};
inline constexpr draw::Rgb kPopupTitle{0, 0, 200};
}  // namespace flow_colors

class FlowPainter {
public:
    // A painter for one drawing of `chart` (laid out, at the scale it was last given) on
    // `canvas`. Reads the canvas's clip box now; selects a black pen, a white brush and the
    // box font (to measure ".." in it).
    FlowPainter(draw::Canvas& canvas, const Flowchart& chart);

    // Everything but the detail box, in this order: terminals and the start edge, connectors,
    // shapes, and (unless the scale is 1) texts.
    void drawChart();

    // Ellipses in the Start cell (startColumn, 0) and the End cell (startColumn, gridHeight + 1),
    // and the edge from Start into the first row.
    void drawTerminals();
    // Every connector that meets the clip box, in walk order.
    void drawConnectors();
    // Every shape that meets the clip box, an element before its children.
    void drawShapes();
    // "Start" and "End", the captions and the texts in the boxes, in a transparent background.
    void drawTexts();

    // One connector, with its style's pen and, where its route has one, its arrow head; the
    // black pen is selected again afterwards.
    void drawConnector(const FlowConnector& connector);

    // `text` centred in the box of `cell`; a text too wide for the box (less a margin, wider for
    // a hexagon) is cut at the box's right side less the margin and followed by "..".
    void fitText(FlowCell cell, std::string_view text, bool hexagon);
    // `lines` one below the other in the box of `cell`, in black, the block centred where it
    // fits; a line too wide is cut and followed by "..", lines that do not fit below are left
    // out and the last line shown then ends in "..", and a box that is too full gets a short
    // tick at its bottom centre.
    void drawLines(FlowCell cell, std::span<const std::string> lines);

    // The detail box of the element under the mouse, when a shape is under it and the cell is
    // not (0, 0). Returns that element, or null when no box was drawn.
    const FlowElement* drawHover(const FlowHover& hover);
    // The detail box of `element` for the hovered cell `cell`.
    void drawDetailPopup(const FlowElement& element, FlowCell cell, bool anchored);

    const FlowGeometry& geometry() const noexcept { return m_geometry; }
    const FlowFonts& fonts() const noexcept { return m_fonts; }
    // Width of ".." in the box font.
    int dotsWidth() const noexcept { return m_dotsWidth; }
    // The cells a drawing with this clip box may touch: a cell's connectors and captions reach
    // into its neighbours, so one more cell on every side.
    CellBounds clipCells() const noexcept { return m_clipCells; }

private:
    void drawCaptions();
    void drawBranchCaptions(const FlowCaption& caption);
    void drawLoopCaption(const FlowElement& loop);
    void drawCaseLabel(const FlowElement& element);
    void drawNoMatchCaption(const FlowElement& switchElement);
    void drawBoxTexts(const FlowElement& element);
    bool boxIsVisible(FlowCell cell) const { return m_shapes.isVisible(m_geometry.box(cell)); }

    draw::Canvas& m_canvas;
    const Flowchart& m_chart;
    const FlowDrawPlan& m_plan;
    const FlowScaleParameters& m_parameters;
    FlowGeometry m_geometry;
    FlowFonts m_fonts;
    draw::ShapePainter m_shapes;
    CellBounds m_clipCells;
    int m_dotsWidth = 0;
    std::vector<std::uint32_t> m_ids;  // reused for every query of the plan
};

// Draws `chart` at `scale` on `canvas` as the flow view does, with the detail box for `hover`.
// Sets the chart's scale first. Returns the element whose detail box was drawn, or null.
const FlowElement* paintFlowchart(draw::Canvas& canvas, Flowchart& chart, FlowScale scale, const FlowHover& hover = {});

}  // namespace qm::detail
