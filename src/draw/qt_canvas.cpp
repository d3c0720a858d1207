// QtCanvas: the Canvas vocabulary on a QPainter, with the pixel coverage of the diagrams'
// conventions: a shape of width w covers w pixels including its outline, and a line stops one
// pixel short of its end point.
#include "draw/qt_canvas.h"

#include "draw/qt_text_metrics.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include <cassert>
#include <cmath>

namespace qm::draw {

namespace {

QColor qtColor(Rgb color)
{
    return QColor(color.r, color.g, color.b);
}

QString qtText(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QPolygon qtPolygon(std::span<const Point> points)
{
    QPolygon polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const Point p : points) {
        polygon.append(QPoint(p.x, p.y));
    }
    return polygon;
}

Qt::PenStyle qtPenStyle(PenStyle style)
{
    switch (style) {
    case PenStyle::Solid: return Qt::SolidLine;
    case PenStyle::Dot: return Qt::DotLine;
    case PenStyle::Dash: return Qt::DashLine;
    case PenStyle::Null: return Qt::NoPen;
    }
    return Qt::SolidLine;
}

bool isVectorDevice(const QPainter& painter)
{
    const QPaintEngine* engine = painter.paintEngine();
    if (!engine) return false;
    const QPaintEngine::Type type = engine->type();
    return type == QPaintEngine::SVG || type == QPaintEngine::Pdf || type == QPaintEngine::Picture;
}

Rect deviceArea(const QPainter& painter)
{
    const QPaintDevice* device = painter.device();
    if (!device) return Rect{};
    const QRectF logical =
        painter.deviceTransform().inverted().mapRect(QRectF(0, 0, device->width(), device->height()));
    return Rect::fromEdges(static_cast<int>(std::floor(logical.left())), static_cast<int>(std::floor(logical.top())),
                           static_cast<int>(std::ceil(logical.right())), static_cast<int>(std::ceil(logical.bottom())));
}

}  // namespace

QtCanvas::QtCanvas(QPainter& painter, std::optional<Rect> area)
    : m_painter(painter), m_area(area ? *area : deviceArea(painter))
{
    assert(painter.isActive() && "QtCanvas needs an active painter");
    m_painter.save();
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);
    applyPenAndBrush();
    m_painter.setFont(qtFont(m_font));
}

QtCanvas::~QtCanvas()
{
    // Clips still pushed sit on the painter's state stack above the canvas's own save().
    for (; m_pushedClips > 0; --m_pushedClips) {
        m_painter.restore();
    }
    m_painter.restore();
}

void QtCanvas::applyPenAndBrush()
{
    if (m_pen.style == PenStyle::Null) {
        m_painter.setPen(Qt::NoPen);
    } else {
        QPen pen(qtColor(m_pen.color));
        pen.setStyle(qtPenStyle(m_pen.style));
        pen.setWidth(std::max(1, m_pen.width));
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
        m_painter.setPen(pen);
    }
    if (m_brush.style == BrushStyle::Null) {
        m_painter.setBrush(Qt::NoBrush);
    } else {
        m_painter.setBrush(qtColor(m_brush.color));
    }
}

void QtCanvas::setPen(const Pen& pen)
{
    m_pen = pen;
    applyPenAndBrush();
}

void QtCanvas::setBrush(const Brush& brush)
{
    m_brush = brush;
    applyPenAndBrush();
}

void QtCanvas::setFont(const FontSpec& font)
{
    if (font == m_font) return;
    m_font = font;
    m_painter.setFont(qtFont(m_font));
}

int QtCanvas::colorDepth() const
{
    if (isVectorDevice(m_painter)) return 32;
    const QPaintDevice* device = m_painter.device();
    return device ? device->depth() : 32;
}

Rect QtCanvas::clipBox() const
{
    if (!m_painter.hasClipping()) return m_area;
    const QRectF clip = m_painter.clipBoundingRect();
    const Rect bounds = Rect::fromEdges(
        static_cast<int>(std::floor(clip.left())), static_cast<int>(std::floor(clip.top())),
        static_cast<int>(std::ceil(clip.right())), static_cast<int>(std::ceil(clip.bottom())));
    return m_area.intersected(bounds);
}

void QtCanvas::drawLine(Point from, Point to)
{
    if (m_pen.style == PenStyle::Null || from == to) return;
    // With flat caps the painter covers an axis-parallel line from its lower coordinate up to,
    // not including, its higher one, whichever way it runs. A line drawn towards lower
    // coordinates must cover its start and not its end, so it moves one pixel up the axis:
    // then the corner pixel of a polyline drawn as lines is covered by exactly one of them.
    QPoint start(from.x, from.y);
    QPoint end(to.x, to.y);
    if (from.y == to.y && to.x < from.x) {
        start.rx() += 1;
        end.rx() += 1;
    } else if (from.x == to.x && to.y < from.y) {
        start.ry() += 1;
        end.ry() += 1;
    }
    m_painter.drawLine(start, end);
}

void QtCanvas::drawRect(const Rect& box)
{
    if (box.isEmpty()) return;
    if (m_pen.style == PenStyle::Null) {
        if (m_brush.style != BrushStyle::Null) m_painter.fillRect(QRect(box.left, box.top, box.width, box.height), qtColor(m_brush.color));
        return;
    }
    // An outlined rectangle of QRect(x, y, w, h) covers w + 1 pixels: give it one less.
    m_painter.drawRect(QRect(box.left, box.top, box.width - 1, box.height - 1));
}

void QtCanvas::drawEllipse(const Rect& box)
{
    if (box.isEmpty()) return;
    const int shrink = m_pen.style == PenStyle::Null ? 0 : 1;
    m_painter.drawEllipse(QRect(box.left, box.top, box.width - shrink, box.height - shrink));
}

void QtCanvas::drawRoundRect(const Rect& box, Size corner)
{
    if (box.isEmpty()) return;
    const int shrink = m_pen.style == PenStyle::Null ? 0 : 1;
    // The corner is the whole ellipse that rounds a corner; the painter takes its radii.
    m_painter.drawRoundedRect(QRectF(box.left, box.top, box.width - shrink, box.height - shrink),
                              corner.width / 2.0, corner.height / 2.0, Qt::AbsoluteSize);
}

void QtCanvas::drawPolygon(std::span<const Point> points)
{
    if (points.size() < 2) return;
    m_painter.drawPolygon(qtPolygon(points), Qt::OddEvenFill);
}

void QtCanvas::drawPolyline(std::span<const Point> points)
{
    if (points.size() < 2 || m_pen.style == PenStyle::Null) return;
    m_painter.drawPolyline(qtPolygon(points));
}

void QtCanvas::fillRect(const Rect& box, Rgb color)
{
    if (box.isEmpty()) return;
    m_painter.fillRect(QRect(box.left, box.top, box.width, box.height), qtColor(color));
}

void QtCanvas::invertRect(const Rect& box)
{
    if (box.isEmpty()) return;
    m_painter.save();
    m_painter.setCompositionMode(QPainter::CompositionMode_Difference);
    m_painter.fillRect(QRect(box.left, box.top, box.width, box.height), Qt::white);
    m_painter.restore();
}

void QtCanvas::drawText(Point topLeft, std::string_view text)
{
    if (text.empty()) return;
    const QFontMetrics metrics(m_painter.font());
    const QString qtext = qtText(text);
    if (m_backgroundMode == BackgroundMode::Opaque) {
        m_painter.fillRect(QRect(topLeft.x, topLeft.y, metrics.horizontalAdvance(qtext), metrics.height()),
                           qtColor(m_backgroundColor));
    }
    m_painter.save();
    m_painter.setPen(qtColor(m_textColor));
    m_painter.drawText(QPoint(topLeft.x, topLeft.y + metrics.ascent()), qtext);
    m_painter.restore();
}

void QtCanvas::drawTextClipped(Point topLeft, std::string_view text, const Rect& clip)
{
    m_painter.save();
    m_painter.setClipRect(QRect(clip.left, clip.top, std::max(0, clip.width), std::max(0, clip.height)),
                          m_painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    drawText(topLeft, text);
    m_painter.restore();
}

Size QtCanvas::textSize(std::string_view text) const
{
    const QFontMetrics metrics(m_painter.font());
    return Size{metrics.horizontalAdvance(qtText(text)), metrics.height()};
}

void QtCanvas::pushClip(const Outline& outline)
{
    QPainterPath path;
    const Rect& b = outline.bounds;
    switch (outline.kind) {
    case Outline::Kind::Rectangle:
        path.addRect(QRectF(b.left, b.top, b.width, b.height));
        break;
    case Outline::Kind::Ellipse:
        path.addEllipse(QRectF(b.left, b.top, b.width, b.height));
        break;
    case Outline::Kind::RoundRect:
        path.addRoundedRect(QRectF(b.left, b.top, b.width, b.height), outline.corner.width / 2.0,
                            outline.corner.height / 2.0, Qt::AbsoluteSize);
        break;
    case Outline::Kind::Polygon:
        path.addPolygon(QPolygonF(qtPolygon(outline.points)));
        path.closeSubpath();
        break;
    }
    m_painter.save();
    m_painter.setClipPath(path, m_painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    ++m_pushedClips;
}

void QtCanvas::popClip()
{
    assert(m_pushedClips > 0 && "popClip without a matching pushClip");
    if (m_pushedClips == 0) return;
    m_painter.restore();
    --m_pushedClips;
    // The painter's restore also brought back the pen, brush and font of the push.
    applyPenAndBrush();
    m_painter.setFont(qtFont(m_font));
}

}  // namespace qm::draw
