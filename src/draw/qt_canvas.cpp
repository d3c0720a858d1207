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
#include <QPainterPathStroker>
#include <QPolygon>
#include <QTextBoundaryFinder>

#include <cassert>
#include <cmath>
#include <vector>

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

// The SVG writer drops the painter's clip; every other device keeps it.
bool ignoresClipping(const QPainter& painter)
{
    const QPaintEngine* engine = painter.paintEngine();
    return engine && engine->type() == QPaintEngine::SVG;
}

Rect enclosingRect(const QRectF& r)
{
    return Rect::fromEdges(static_cast<int>(std::floor(r.left())), static_cast<int>(std::floor(r.top())),
                           static_cast<int>(std::ceil(r.right())), static_cast<int>(std::ceil(r.bottom())));
}

QPainterPath rectPath(const QRectF& r)
{
    QPainterPath path;
    path.addRect(r);
    return path;
}

// Whether `area` lies inside `clip`; edges that meet count as inside (a text's clip rectangle is
// often exactly as high as the text).
bool liesInside(const QPainterPath& clip, const QRectF& area)
{
    return clip.contains(area.adjusted(0.25, 0.25, -0.25, -0.25));
}

QPainterPath outlinePath(const Outline& outline)
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
    return path;
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
    : m_painter(painter), m_area(area ? *area : deviceArea(painter)), m_clipsByPaths(ignoresClipping(painter))
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
    if (clipsByPaths()) return m_area.intersected(enclosingRect(m_clipPaths.back().boundingRect()));
    if (!m_painter.hasClipping()) return m_area;
    return m_area.intersected(enclosingRect(m_painter.clipBoundingRect()));
}

void QtCanvas::drawShapeClipped(const QPainterPath& shape, bool filled, const QPainterPath& clip)
{
    // The inside and the outline are filled separately: stroking the cut shape would draw its
    // cut edges too.
    if (filled && m_brush.style != BrushStyle::Null) {
        m_painter.fillPath(shape.intersected(clip), qtColor(m_brush.color));
    }
    if (m_pen.style != PenStyle::Null) {
        QPainterPathStroker stroker;
        stroker.setWidth(std::max(1, m_pen.width));
        stroker.setCapStyle(Qt::FlatCap);
        stroker.setJoinStyle(Qt::MiterJoin);
        stroker.setDashPattern(qtPenStyle(m_pen.style));
        m_painter.fillPath(stroker.createStroke(shape).intersected(clip), qtColor(m_pen.color));
    }
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
    if (clipsByPaths()) {
        QPainterPath path(start);
        path.lineTo(end);
        drawShapeClipped(path, false, m_clipPaths.back());
        return;
    }
    m_painter.drawLine(start, end);
}

void QtCanvas::drawRect(const Rect& box)
{
    if (box.isEmpty()) return;
    if (m_pen.style == PenStyle::Null) {
        if (m_brush.style != BrushStyle::Null) fillRect(box, m_brush.color);
        return;
    }
    if (clipsByPaths()) {
        drawShapeClipped(rectPath(QRectF(box.left, box.top, box.width - 1, box.height - 1)), true, m_clipPaths.back());
        return;
    }
    // An outlined rectangle of QRect(x, y, w, h) covers w + 1 pixels: give it one less.
    m_painter.drawRect(QRect(box.left, box.top, box.width - 1, box.height - 1));
}

void QtCanvas::drawEllipse(const Rect& box)
{
    if (box.isEmpty()) return;
    const int shrink = m_pen.style == PenStyle::Null ? 0 : 1;
    if (clipsByPaths()) {
        QPainterPath path;
        path.addEllipse(QRectF(box.left, box.top, box.width - shrink, box.height - shrink));
        drawShapeClipped(path, true, m_clipPaths.back());
        return;
    }
    m_painter.drawEllipse(QRect(box.left, box.top, box.width - shrink, box.height - shrink));
}

void QtCanvas::drawRoundRect(const Rect& box, Size corner)
{
    if (box.isEmpty()) return;
    const int shrink = m_pen.style == PenStyle::Null ? 0 : 1;
    // The corner is the whole ellipse that rounds a corner; the painter takes its radii.
    if (clipsByPaths()) {
        QPainterPath path;
        path.addRoundedRect(QRectF(box.left, box.top, box.width - shrink, box.height - shrink), corner.width / 2.0,
                            corner.height / 2.0, Qt::AbsoluteSize);
        drawShapeClipped(path, true, m_clipPaths.back());
        return;
    }
    m_painter.drawRoundedRect(QRectF(box.left, box.top, box.width - shrink, box.height - shrink),
                              corner.width / 2.0, corner.height / 2.0, Qt::AbsoluteSize);
}

void QtCanvas::drawPolygon(std::span<const Point> points)
{
    if (points.size() < 2) return;
    if (clipsByPaths()) {
        QPainterPath path;
        path.addPolygon(QPolygonF(qtPolygon(points)));
        path.closeSubpath();
        path.setFillRule(Qt::OddEvenFill);
        drawShapeClipped(path, true, m_clipPaths.back());
        return;
    }
    m_painter.drawPolygon(qtPolygon(points), Qt::OddEvenFill);
}

void QtCanvas::drawPolyline(std::span<const Point> points)
{
    if (points.size() < 2 || m_pen.style == PenStyle::Null) return;
    if (clipsByPaths()) {
        QPainterPath path;
        path.addPolygon(QPolygonF(qtPolygon(points)));
        drawShapeClipped(path, false, m_clipPaths.back());
        return;
    }
    m_painter.drawPolyline(qtPolygon(points));
}

void QtCanvas::fillRect(const Rect& box, Rgb color)
{
    if (box.isEmpty()) return;
    const QRectF area(box.left, box.top, box.width, box.height);
    if (clipsByPaths() && !liesInside(m_clipPaths.back(), area)) {
        m_painter.fillPath(m_clipPaths.back().intersected(rectPath(area)), qtColor(color));
        return;
    }
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

void QtCanvas::drawPlainText(QPoint topLeft, const QString& text, bool withBackground)
{
    const QFontMetrics metrics(m_painter.font());
    if (withBackground && m_backgroundMode == BackgroundMode::Opaque) {
        m_painter.fillRect(QRect(topLeft.x(), topLeft.y(), metrics.horizontalAdvance(text), metrics.height()),
                           qtColor(m_backgroundColor));
    }
    m_painter.save();
    m_painter.setPen(qtColor(m_textColor));
    m_painter.drawText(QPoint(topLeft.x(), topLeft.y() + metrics.ascent()), text);
    m_painter.restore();
}

void QtCanvas::drawTextInPath(QPoint topLeft, const QString& text, const QPainterPath& clip)
{
    const QFontMetrics metrics(m_painter.font());
    const double x = topLeft.x();
    const double y = topLeft.y();
    const double height = metrics.height();
    const QRectF whole(x, y, metrics.horizontalAdvance(text), height);
    if (liesInside(clip, whole)) {
        drawPlainText(topLeft, text, true);
        return;
    }
    if (!clip.intersects(whole)) return;
    if (m_backgroundMode == BackgroundMode::Opaque) {
        m_painter.fillPath(clip.intersected(rectPath(whole)), qtColor(m_backgroundColor));
    }

    // The characters (grapheme clusters) of the text, as the offsets where each one starts.
    std::vector<int> starts;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype at = 0; at >= 0 && at < text.size(); at = finder.toNextBoundary()) {
        starts.push_back(static_cast<int>(at));
    }
    starts.push_back(static_cast<int>(text.size()));
    const int count = static_cast<int>(starts.size()) - 1;
    const auto advance = [&](int i) { return static_cast<double>(metrics.horizontalAdvance(text.left(starts[i]))); };
    // The first `shown` characters lie wholly inside the clip and stay text. The later ones that
    // start left of the clip's right edge are cut: they are written as outlines cut to the clip.
    // Both counts grow with the text's advance, so each is found by halving.
    int low = 0;
    int high = count;
    while (low < high) {
        const int mid = (low + high + 1) / 2;
        if (liesInside(clip, QRectF(x, y, advance(mid), height))) low = mid;
        else high = mid - 1;
    }
    const int shown = low;
    const double right = clip.boundingRect().right();
    low = shown;
    high = count;
    while (low < high) {
        const int mid = (low + high + 1) / 2;
        if (x + advance(mid - 1) < right) low = mid;
        else high = mid - 1;
    }
    const int reaching = low;
    if (shown > 0) {
        drawPlainText(topLeft, text.left(starts[shown]), false);
    }
    if (reaching > shown) {
        QPainterPath outline;
        outline.addText(QPointF(x + advance(shown), y + metrics.ascent()), m_painter.font(),
                        text.mid(starts[shown], starts[reaching] - starts[shown]));
        m_painter.fillPath(outline.intersected(clip), qtColor(m_textColor));
    }
}

void QtCanvas::drawText(Point topLeft, std::string_view text)
{
    if (text.empty()) return;
    if (clipsByPaths()) {
        drawTextInPath(QPoint(topLeft.x, topLeft.y), qtText(text), m_clipPaths.back());
        return;
    }
    drawPlainText(QPoint(topLeft.x, topLeft.y), qtText(text), true);
}

void QtCanvas::drawTextClipped(Point topLeft, std::string_view text, const Rect& clip)
{
    if (m_clipsByPaths) {
        if (text.empty()) return;
        const QPainterPath box = rectPath(QRectF(clip.left, clip.top, std::max(0, clip.width), std::max(0, clip.height)));
        drawTextInPath(QPoint(topLeft.x, topLeft.y), qtText(text),
                       m_clipPaths.empty() ? box : m_clipPaths.back().intersected(box));
        return;
    }
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
    const QPainterPath path = outlinePath(outline);
    if (m_clipsByPaths) {
        m_clipPaths.push_back(m_clipPaths.empty() ? path : m_clipPaths.back().intersected(path));
        return;
    }
    m_painter.save();
    m_painter.setClipPath(path, m_painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    ++m_pushedClips;
}

void QtCanvas::popClip()
{
    if (m_clipsByPaths) {
        assert(!m_clipPaths.empty() && "popClip without a matching pushClip");
        if (!m_clipPaths.empty()) m_clipPaths.pop_back();
        return;
    }
    assert(m_pushedClips > 0 && "popClip without a matching pushClip");
    if (m_pushedClips == 0) return;
    m_painter.restore();
    --m_pushedClips;
    // The painter's restore also brought back the pen, brush and font of the push.
    applyPenAndBrush();
    m_painter.setFont(qtFont(m_font));
}

}  // namespace qm::draw
