#include "session/detail_view.h"

#include "detail/flow_picture.h"
#include "macro/reentry_guard.h"

#include <algorithm>

namespace qm::session {

namespace {

bool sameHover(const detail::FlowHover& a, const detail::FlowHover& b)
{
    return a.active == b.active && a.cell == b.cell && a.anchored == b.anchored;
}

// A position along one axis that keeps the window's centre on the same point of a picture whose
// size went from `oldSize` to `newSize`; never below 0.
int keepCentre(int position, int extent, int oldSize, int newSize)
{
    const std::int64_t centre = std::int64_t{position} + extent / 2;
    const std::int64_t moved = centre * newSize / oldSize - extent / 2;
    return static_cast<int>(std::clamp<std::int64_t>(moved, 0, newSize));
}

}  // namespace

DetailView::DetailView(DetailViewHost& host, macro::DetailSelection& selection) : m_host(host), m_selection(selection)
{
}

void DetailView::setScale(detail::FlowScale scale)
{
    if (scale != 1 && scale != 4 && scale != 16) {
        return;
    }
    m_scale = scale;
    m_host.invalidate();
}

void DetailView::rebuildFlowchart()
{
    m_flowchart.reset();
    m_builder = std::make_unique<detail::FlowchartBuilder>(m_log);
    m_builder->build(*m_selection.definition);
    m_flowchart = std::make_unique<detail::Flowchart>(m_builder->elements());
    m_flowchart->layout();
    m_hover = detail::FlowHover{};
    m_pictureArea.reset();
}

void DetailView::setTotalSize(draw::Size size)
{
    if (size == m_totalSize) {
        return;
    }
    const draw::Point scroll = m_host.scrollPosition();
    const draw::Size old = m_totalSize;
    m_totalSize = size;
    m_host.setScrollSize(size);
    if ((scroll.x != 0 || scroll.y != 0) && old.width > 0 && old.height > 0) {
        const draw::Size client = m_host.clientSize();
        m_host.scrollTo({keepCentre(scroll.x, client.width, old.width, size.width),
                         keepCentre(scroll.y, client.height, old.height, size.height)});
    }
}

bool DetailView::prepareDraw(const draw::TextMetrics& metrics, const macro::Theme& theme)
{
    if (m_drawing || !m_selection.definition) {
        return false;
    }
    const macro::ReentryGuard drawing(m_drawing);
    if (inClassMode()) {
        const bool changed = m_selection.changed;
        if (changed) {
            // A class diagram replaces the flowchart of an earlier pick.
            m_builder.reset();
            m_flowchart.reset();
        }
        const std::optional<draw::Size> size = m_classDiagram.prepare(metrics, theme, m_selection, m_classRemeasure);
        m_classRemeasure = false;
        if (changed) {
            m_host.scrollTo({0, 0});
        }
        if (size) {
            setTotalSize(*size);
        }
        return m_selection.entry != nullptr;
    }
    if (m_selection.detailMode != macro::DetailMode::Flowchart) {
        return false;
    }
    if (m_selection.changed) {
        rebuildFlowchart();
        m_selection.changed = false;
        m_host.scrollTo({0, 0});
    }
    if (!m_flowchart) {
        return false;
    }
    m_flowchart->setScale(m_scale);
    setTotalSize({detail::toPixel(m_flowchart->totalWidth()), detail::toPixel(m_flowchart->totalHeight())});
    return true;
}

void DetailView::paint(draw::Canvas& canvas, const macro::Theme& theme)
{
    if (m_drawing || !m_selection.definition) {
        return;
    }
    const macro::ReentryGuard drawing(m_drawing);
    m_shownElement = nullptr;
    if (inClassMode()) {
        if (m_selection.entry && m_classDiagram.root()) {
            m_classDiagram.paint(canvas, theme);
        }
        return;
    }
    if (m_selection.detailMode != macro::DetailMode::Flowchart || !m_flowchart) {
        return;
    }
    m_shownElement = detail::paintFlowchart(canvas, *m_flowchart, m_scale, m_hover);
    if (!m_shownElement) {
        return;
    }
    const model::AnalysisNode* first = m_shownElement->nodes.front();
    const model::AnalysisNode* last = m_shownElement->nodes.back();
    if (first && last && !first->tokens.empty() && !last->tokens.empty()) {
        m_host.selectCodeLines(first->tokens.front()->line, last->tokens.back()->line);
    }
}

draw::Rect DetailView::pictureArea(const draw::TextMetrics& metrics) const
{
    if (!m_selection.definition) {
        return {};
    }
    if (inClassMode()) {
        return m_classDiagram.root() ? draw::Rect{0, 0, m_totalSize.width, m_totalSize.height} : draw::Rect{};
    }
    if (!m_flowchart) {
        return {};
    }
    if (!m_pictureArea || m_pictureScale != m_flowchart->scale()) {
        m_pictureArea = detail::flowPictureArea(*m_flowchart, metrics);
        m_pictureScale = m_flowchart->scale();
    }
    return *m_pictureArea;
}

void DetailView::paintPicture(draw::Canvas& canvas, const draw::TextMetrics& metrics, const macro::Theme& theme)
{
    if (m_drawing || !m_selection.definition) {
        return;
    }
    const draw::Rect area = pictureArea(metrics);
    const macro::ReentryGuard drawing(m_drawing);
    if (inClassMode()) {
        if (m_selection.entry && m_classDiagram.root()) {
            m_classDiagram.paint(canvas, theme);
        }
        return;
    }
    if (m_selection.detailMode == macro::DetailMode::Flowchart && m_flowchart) {
        detail::paintFlowPicture(canvas, *m_flowchart, area);
    }
}

void DetailView::hitTest(draw::Point client)
{
    if (!m_flowchart) {
        return;
    }
    const draw::Point scroll = m_host.scrollPosition();
    const std::int64_t x = std::int64_t{client.x} + scroll.x;
    const std::int64_t y = std::int64_t{client.y} + scroll.y;
    const detail::FlowScaleParameters& p = m_flowchart->parameters();
    if (x < 0 || y < 0) {
        return;
    }
    // Only a point on a shape counts, not one in the gap between shapes.
    if (x % p.cellWidth < p.boxWidth && y % p.cellHeight < p.boxHeight) {
        m_hover.cell = {static_cast<int>(x / p.cellWidth), static_cast<int>(y / p.cellHeight)};
        m_hover.active = true;
    }
}

void DetailView::mouseMove(draw::Point client, HeldButtons buttons)
{
    if (inClassMode()) {
        return;
    }
    const detail::FlowHover before = m_hover;
    m_hover.active = false;
    m_hover.cell = {};
    if (m_flowchart &&
        (m_alwaysShowDetail || buttons == HeldButtons::Left || buttons == HeldButtons::Right)) {
        hitTest(client);
    }
    // Each move repaints only when the detail box comes, goes or moves to another shape.
    if (!sameHover(before, m_hover)) {
        m_host.redrawNow();
    }
}

void DetailView::leftButtonDown(draw::Point client)
{
    if (inClassMode()) {
        classClick(client, macro::ClickKind::Single);
        return;
    }
    if (!m_alwaysShowDetail) {
        hitTest(client);
        m_host.invalidate();
    }
}

void DetailView::leftDoubleClick(draw::Point client)
{
    if (inClassMode()) {
        classClick(client, macro::ClickKind::Double);
    }
}

void DetailView::rightButtonDown(draw::Point client)
{
    m_hover.anchored = true;
    if (!m_alwaysShowDetail) {
        hitTest(client);
    }
    m_host.invalidate();
}

void DetailView::rightButtonUp()
{
    m_hover.anchored = false;
    m_host.invalidate();
}

void DetailView::wheel(int delta)
{
    draw::Point position = m_host.scrollPosition();
    position.y = std::max(0, delta > 0 ? position.y - kWheelStep : position.y + kWheelStep);
    m_host.scrollTo(position);
}

void DetailView::classClick(draw::Point client, macro::ClickKind kind)
{
    if (!m_selection.definition || !m_classDiagram.root()) {
        return;
    }
    const draw::Point scroll = m_host.scrollPosition();
    const macro::ClassClick click = m_classDiagram.click({client.x + scroll.x, client.y + scroll.y}, kind);
    if (click.handled) {
        m_classRemeasure = true;
        m_host.invalidate();
    }
}

void DetailView::clear()
{
    m_pictureArea.reset();
    m_flowchart.reset();
    m_builder.reset();
    m_classDiagram.setSelection(nullptr, nullptr);
    m_classDiagram.rebuild();
    m_classRemeasure = false;
    m_hover = detail::FlowHover{};
    m_shownElement = nullptr;
    m_totalSize = draw::Size{};
    m_host.setScrollSize(kClearedScrollSize);
    m_host.scrollTo({0, 0});
    m_host.redrawNow();
}

}  // namespace qm::session
