#include "draw/bounds_canvas.h"

#include <algorithm>
#include <cassert>

namespace qm::draw {

BoundsCanvas::BoundsCanvas(const TextMetrics& metrics, Rect clipBox) : m_metrics(metrics), m_clips{clipBox} {}

std::optional<Rect> BoundsCanvas::bounds() const
{
    if (m_empty) {
        return std::nullopt;
    }
    // Everything added was cut to a clip box, whose edges are ints.
    return Rect::fromEdges(static_cast<int>(m_left), static_cast<int>(m_top), static_cast<int>(m_right),
                           static_cast<int>(m_bottom));
}

void BoundsCanvas::add(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
                       const Rect& clip)
{
    left = std::max<std::int64_t>(left, clip.left);
    top = std::max<std::int64_t>(top, clip.top);
    right = std::min<std::int64_t>(right, std::int64_t{clip.left} + clip.width);
    bottom = std::min<std::int64_t>(bottom, std::int64_t{clip.top} + clip.height);
    if (left >= right || top >= bottom) {
        return;
    }
    if (m_empty) {
        m_left = left, m_top = top, m_right = right, m_bottom = bottom;
        m_empty = false;
        return;
    }
    m_left = std::min(m_left, left);
    m_top = std::min(m_top, top);
    m_right = std::max(m_right, right);
    m_bottom = std::max(m_bottom, bottom);
}

void BoundsCanvas::addPoints(std::span<const Point> points)
{
    if (points.empty()) {
        return;
    }
    std::int64_t left = points.front().x;
    std::int64_t right = left;
    std::int64_t top = points.front().y;
    std::int64_t bottom = top;
    for (const Point p : points) {
        left = std::min<std::int64_t>(left, p.x);
        right = std::max<std::int64_t>(right, p.x);
        top = std::min<std::int64_t>(top, p.y);
        bottom = std::max<std::int64_t>(bottom, p.y);
    }
    // A wide pen reaches half its width beyond the points; the last pixel is the point's own.
    const std::int64_t half = std::max(m_pen.width, 1) / 2;
    add(left - half, top - half, right + 1 + half, bottom + 1 + half);
}

void BoundsCanvas::drawLine(Point from, Point to)
{
    if (m_pen.style == PenStyle::Null || from == to) {
        return;
    }
    const Point points[] = {from, to};
    addPoints(points);
}

void BoundsCanvas::drawRect(const Rect& box)
{
    if (!box.isEmpty()) {
        add(box.left, box.top, std::int64_t{box.left} + box.width, std::int64_t{box.top} + box.height);
    }
}

void BoundsCanvas::drawEllipse(const Rect& box)
{
    drawRect(box);
}

void BoundsCanvas::drawRoundRect(const Rect& box, Size)
{
    drawRect(box);
}

void BoundsCanvas::drawPolygon(std::span<const Point> points)
{
    if (points.size() >= 2) {
        addPoints(points);
    }
}

void BoundsCanvas::drawPolyline(std::span<const Point> points)
{
    if (points.size() >= 2 && m_pen.style != PenStyle::Null) {
        addPoints(points);
    }
}

void BoundsCanvas::fillRect(const Rect& box, Rgb)
{
    drawRect(box);
}

void BoundsCanvas::invertRect(const Rect& box)
{
    drawRect(box);
}

void BoundsCanvas::drawText(Point topLeft, std::string_view text)
{
    if (text.empty()) {
        return;
    }
    const Size size = textSize(text);
    add(topLeft.x, topLeft.y, std::int64_t{topLeft.x} + size.width, std::int64_t{topLeft.y} + size.height);
}

void BoundsCanvas::drawTextClipped(Point topLeft, std::string_view text, const Rect& clip)
{
    if (text.empty()) {
        return;
    }
    const Size size = textSize(text);
    add(topLeft.x, topLeft.y, std::int64_t{topLeft.x} + size.width, std::int64_t{topLeft.y} + size.height,
        m_clips.back().intersected(clip));
}

Size BoundsCanvas::textSize(std::string_view text) const
{
    return m_metrics.textSize(m_font, text);
}

void BoundsCanvas::pushClip(const Outline& outline)
{
    m_clips.push_back(m_clips.back().intersected(outline.bounds));
}

void BoundsCanvas::popClip()
{
    assert(m_clips.size() > 1 && "popClip without a matching pushClip");
    if (m_clips.size() > 1) {
        m_clips.pop_back();
    }
}

}  // namespace qm::draw
