#include "draw/translated_canvas.h"

namespace qm::draw {

std::vector<Point> TranslatedCanvas::moved(std::span<const Point> points) const
{
    std::vector<Point> result;
    result.reserve(points.size());
    for (const Point p : points) {
        result.push_back(moved(p));
    }
    return result;
}

Rect TranslatedCanvas::clipBox() const
{
    const Rect clip = m_target.clipBox();
    return Rect{clip.left - m_offset.x, clip.top - m_offset.y, clip.width, clip.height};
}

void TranslatedCanvas::drawLine(Point from, Point to)
{
    m_target.drawLine(moved(from), moved(to));
}

void TranslatedCanvas::drawRect(const Rect& box)
{
    m_target.drawRect(moved(box));
}

void TranslatedCanvas::drawEllipse(const Rect& box)
{
    m_target.drawEllipse(moved(box));
}

void TranslatedCanvas::drawRoundRect(const Rect& box, Size corner)
{
    m_target.drawRoundRect(moved(box), corner);
}

void TranslatedCanvas::drawPolygon(std::span<const Point> points)
{
    m_target.drawPolygon(moved(points));
}

void TranslatedCanvas::drawPolyline(std::span<const Point> points)
{
    m_target.drawPolyline(moved(points));
}

void TranslatedCanvas::fillRect(const Rect& box, Rgb color)
{
    m_target.fillRect(moved(box), color);
}

void TranslatedCanvas::invertRect(const Rect& box)
{
    m_target.invertRect(moved(box));
}

void TranslatedCanvas::drawText(Point topLeft, std::string_view text)
{
    m_target.drawText(moved(topLeft), text);
}

void TranslatedCanvas::drawTextClipped(Point topLeft, std::string_view text, const Rect& clip)
{
    m_target.drawTextClipped(moved(topLeft), text, moved(clip));
}

void TranslatedCanvas::pushClip(const Outline& outline)
{
    Outline shifted = outline;
    shifted.bounds = moved(outline.bounds);
    for (Point& p : shifted.points) {
        p = moved(p);
    }
    m_target.pushClip(shifted);
}

}  // namespace qm::draw
