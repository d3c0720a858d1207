// DetailView: everything the detail view window does that is not a window. It shows what the
// document's DetailSelection asks for: the flowchart of a picked function, at scale 1, 4 or 16,
// with the detail box of the shape under the mouse, or the class diagram of a picked class with
// its clicks. It rebuilds its picture when the selection changes, keeps the point at the centre
// of the window when the picture's size changes under a scrolled view, and tells the window its
// scroll range. The window forwards its paint, mouse and wheel events here and carries out what
// the view asks of it through DetailViewHost.
//
// Everything runs on the user-interface thread.
#pragma once

#include "detail/flow_painter.h"
#include "detail/flowchart.h"
#include "detail/flowchart_builder.h"
#include "draw/canvas.h"
#include "draw/text_metrics.h"
#include "macro/class_diagram.h"
#include "macro/detail_selection.h"
#include "macro/theme.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

namespace qm::session {

// What the detail view asks of its window.
class DetailViewHost {
public:
    virtual ~DetailViewHost() = default;
    // The scroll range follows the picture's size.
    virtual void setScrollSize(draw::Size size) = 0;
    virtual draw::Point scrollPosition() const = 0;
    virtual void scrollTo(draw::Point position) = 0;
    // The size of the window's client area.
    virtual draw::Size clientSize() const = 0;
    // Repaint at once, or later.
    virtual void redrawNow() = 0;
    virtual void invalidate() = 0;
    // The statement under the mouse spans these source lines: the code window marks them,
    // keeping its view when they are already visible.
    virtual void selectCodeLines(int firstLine, int lastLine) = 0;
};

// The mouse buttons held during a move.
enum class HeldButtons { None, Left, Right, Other };

class DetailView {
public:
    // The scroll range of a cleared view.
    static constexpr draw::Size kClearedScrollSize{100, 100};
    // How far one turn of the wheel scrolls.
    static constexpr int kWheelStep = 50;

    // Both must outlive the view.
    DetailView(DetailViewHost& host, macro::DetailSelection& selection);
    DetailView(const DetailView&) = delete;
    DetailView& operator=(const DetailView&) = delete;

    // "Always show detail diagram ": the detail box follows the mouse; when off it is shown only
    // while a button is held.
    void setAlwaysShowDetail(bool on) noexcept { m_alwaysShowDetail = on; }
    // Where building a flowchart reports a failure (one line each).
    void setLog(detail::FlowchartBuilder::LogLine log) { m_log = std::move(log); }
    bool alwaysShowDetail() const noexcept { return m_alwaysShowDetail; }

    // The flowchart's scale, 1, 4 or 16 (other values are ignored); the view is redrawn.
    void setScale(detail::FlowScale scale);
    detail::FlowScale scale() const noexcept { return m_scale; }

    // --- drawing ---------------------------------------------------------------------------
    // The layout half of a paint: rebuilds the picture when the selection changed (scrolling to
    // the origin), applies the scale, and gives the window the scroll range, keeping the centre
    // of a scrolled view when the size changed. Returns false when nothing is to be drawn (no
    // selected definition, or a draw already in progress).
    bool prepareDraw(const draw::TextMetrics& metrics, const macro::Theme& theme);
    // The painting half, after prepareDraw returned true and the window set its offset: the
    // class diagram, or the flowchart with the detail box of the hovered shape (whose lines the
    // code window then marks).
    void paint(draw::Canvas& canvas, const macro::Theme& theme);

    // --- printing and picture export ---------------------------------------------------------
    // The part of the drawing that paper and pictures show, in the view's coordinates: the
    // flowchart's whole drawing with a small margin (it can reach left of and above the view's
    // origin), texts measured with `metrics`; the class diagram's total size. Empty while
    // nothing is drawn. Kept until the picture or the scale changes.
    draw::Rect pictureArea(const draw::TextMetrics& metrics) const;
    // Paints what pictureArea() covers with its top left corner at the canvas's origin; the
    // flowchart without the detail box of the hovered shape.
    void paintPicture(draw::Canvas& canvas, const draw::TextMetrics& metrics, const macro::Theme& theme);

    // --- mouse (client coordinates) ---------------------------------------------------------
    void mouseMove(draw::Point client, HeldButtons buttons);
    void leftButtonDown(draw::Point client);
    void leftDoubleClick(draw::Point client);
    void rightButtonDown(draw::Point client);
    void rightButtonUp();
    // One wheel event: 50 pixels up for a positive delta, down otherwise.
    void wheel(int delta);
    // Forgets the shape under the mouse (a new pick in the macro diagram).
    void clearHover() noexcept { m_hover = detail::FlowHover{}; }

    // Drops the flowchart and the class diagram; the scroll range becomes 100 x 100 at the
    // origin and the view is repainted at once. Called when the result goes away or a run
    // starts, since both pictures point into the analysis result.
    void clear();

    // --- state -----------------------------------------------------------------------------
    // The picture's size in pixels (0 x 0 until one is drawn); its width is the width "Fit"
    // gives the view.
    draw::Size totalSize() const noexcept { return m_totalSize; }
    int preferredWidth() const noexcept { return m_totalSize.width; }
    const detail::Flowchart* flowchart() const noexcept { return m_flowchart.get(); }
    const macro::ClassDiagram& classDiagram() const noexcept { return m_classDiagram; }
    const detail::FlowHover& hover() const noexcept { return m_hover; }
    // The element whose detail box the last paint drew, or null.
    const detail::FlowElement* shownElement() const noexcept { return m_shownElement; }

private:
    void rebuildFlowchart();
    void setTotalSize(draw::Size size);
    void hitTest(draw::Point client);
    bool inClassMode() const noexcept
    {
        return m_selection.detailMode == macro::DetailMode::ClassDiagram;
    }
    void classClick(draw::Point client, macro::ClickKind kind);

    DetailViewHost& m_host;
    macro::DetailSelection& m_selection;
    bool m_alwaysShowDetail = true;
    detail::FlowchartBuilder::LogLine m_log;
    detail::FlowScale m_scale = 4;

    std::unique_ptr<detail::FlowchartBuilder> m_builder;
    std::unique_ptr<detail::Flowchart> m_flowchart;
    macro::ClassDiagram m_classDiagram;
    bool m_classRemeasure = false;

    draw::Size m_totalSize;
    detail::FlowHover m_hover;
    const detail::FlowElement* m_shownElement = nullptr;
    // Held for the whole of a draw: a draw asked for from inside one returns at once.
    bool m_drawing = false;
    // pictureArea() of the flowchart at m_pictureScale; reset when the flowchart changes.
    mutable std::optional<draw::Rect> m_pictureArea;
    mutable detail::FlowScale m_pictureScale = 0;
};

}  // namespace qm::session
