// ShapePainter: shapes, shading steps, visibility test and arrow heads, drawn through Canvas.
#include "draw/shape_painter.h"

#include <algorithm>

namespace qm::draw {

namespace {

// Restores the canvas's pen and brush when a shape is done, so that shapes never change the
// state the caller selected (arrow heads, for one, fill with whatever brush is current).
class PenAndBrushKeeper {
public:
    explicit PenAndBrushKeeper(Canvas& canvas) : m_canvas(canvas), m_pen(canvas.pen()), m_brush(canvas.brush()) {}
    ~PenAndBrushKeeper()
    {
        m_canvas.setPen(m_pen);
        m_canvas.setBrush(m_brush);
    }
    PenAndBrushKeeper(const PenAndBrushKeeper&) = delete;
    PenAndBrushKeeper& operator=(const PenAndBrushKeeper&) = delete;

private:
    Canvas& m_canvas;
    Pen m_pen;
    Brush m_brush;
};

bool isDarkening(int shadingMode) { return shadingMode < 3; }
bool stepsDownRows(int shadingMode) { return shadingMode % 2 != 0; }

}  // namespace

ShapePainter::ShapePainter(Canvas& canvas, int shadingMode)
    : m_canvas(canvas), m_shadingMode(shadingMode), m_clipBox(canvas.clipBox())
{
    if (m_shadingMode > 0) {
        m_colourDepth = canvas.colorDepth();
    }
}

bool ShapePainter::isVisible(const Rect& shape) const
{
    return !(shape.left + shape.width < m_clipBox.left || m_clipBox.right() < shape.left ||
             shape.top + shape.height < m_clipBox.top || m_clipBox.bottom() < shape.top);
}

void ShapePainter::line(Point from, Point to)
{
    m_canvas.drawLine(from, to);
}

std::vector<Rgb> ShapePainter::stepColors(Rgb color, int shadingMode)
{
    const bool darken = isDarkening(shadingMode);
    const int count = darken ? kDarkenSteps : kLightenSteps;
    std::vector<Rgb> steps;
    steps.reserve(count);
    // A channel moves one unit per step until it reaches 0 (darkening) or 255 (lightening),
    // where it stays.
    const auto move = [darken](std::uint8_t channel, int step) {
        const int moved = darken ? channel - step : channel + step;
        return static_cast<std::uint8_t>(std::clamp(moved, 0, 255));
    };
    for (int step = 1; step <= count; ++step) {
        steps.push_back(Rgb{move(color.r, step), move(color.g, step), move(color.b, step)});
    }
    return steps;
}

void ShapePainter::paintSteps(const Rect& box, Rgb color, int mode)
{
    if (box.isEmpty()) {
        return;
    }
    const std::vector<Rgb> steps = stepColors(color, mode);
    const int count = static_cast<int>(steps.size());
    const bool rows = stepsDownRows(mode);
    const int length = rows ? box.height : box.width;
    // Row (or column) i takes step (i * count) / length, so step s covers the rows from
    // ceil(s * length / count) up to ceil((s + 1) * length / count). Each step is filled as one
    // band: the same pixels as one line per row, in at most `count` drawing calls whatever the
    // box's size; bands outside the clip box are skipped.
    const auto bandStart = [&](long long step) { return (step * length + count - 1) / count; };
    for (int step = 0; step < count; ++step) {
        const auto start = static_cast<int>(bandStart(step));
        const auto end = static_cast<int>(std::min<long long>(length, bandStart(step + 1)));
        if (start >= end) {
            continue;
        }
        const Rect band = rows ? Rect{box.left, box.top + start, box.width, end - start}
                               : Rect{box.left + start, box.top, end - start, box.height};
        if (isVisible(band)) {
            m_canvas.fillRect(band, steps[static_cast<std::size_t>(step)]);
        }
    }
}

void ShapePainter::shadedRect(const Rect& box, Rgb color)
{
    if (!isVisible(box)) {
        return;
    }
    if (isShaded()) {
        paintSteps(box, color, m_shadingMode);
        return;
    }
    const PenAndBrushKeeper keeper(m_canvas);
    m_canvas.setPen(Pen::solid(color, m_penWidth));
    m_canvas.setBrush(Brush::solid(color));
    m_canvas.drawRect(box);
}

void ShapePainter::outlineRect(const Rect& box, Rgb color, int width)
{
    if (!isVisible(box)) {
        return;
    }
    const PenAndBrushKeeper keeper(m_canvas);
    m_canvas.setPen(Pen::solid(color, width));
    m_canvas.setBrush(Brush::none());
    m_canvas.drawRect(box);
}

void ShapePainter::shadedRectWithBorder(const Rect& box, Rgb fill, Rgb border, bool dotted)
{
    shadedRect(box, fill);
    if (border == fill || !isVisible(box)) {
        return;
    }
    const PenAndBrushKeeper keeper(m_canvas);
    m_canvas.setPen(Pen{dotted ? PenStyle::Dot : PenStyle::Solid, m_penWidth, border});
    m_canvas.setBrush(Brush::none());
    m_canvas.drawRect(box);
}

void ShapePainter::fillShape(const Outline& outline, const Rect& stepBox, Rgb color)
{
    if (isShaded()) {
        // Steps clipped to the outline: the inside and the border take the shading's colours,
        // what lies around the shape inside its box is left as it was. These shapes always
        // darken down the rows, whatever the painter's own mode.
        m_canvas.pushClip(outline);
        paintSteps(stepBox, color, 1);
        m_canvas.popClip();
        return;
    }
    const PenAndBrushKeeper keeper(m_canvas);
    m_canvas.setBrush(Brush::solid(color));
    switch (outline.kind) {
    case Outline::Kind::Ellipse:
        m_canvas.drawEllipse(outline.bounds);
        break;
    case Outline::Kind::RoundRect:
        m_canvas.drawRoundRect(outline.bounds, outline.corner);
        break;
    case Outline::Kind::Polygon:
        m_canvas.drawPolygon(outline.points);
        break;
    case Outline::Kind::Rectangle:
        m_canvas.drawRect(outline.bounds);
        break;
    }
}

void ShapePainter::ellipseShape(const Rect& box, Rgb color)
{
    if (isVisible(box)) {
        fillShape(Outline::ellipse(box), box, color);
    }
}

void ShapePainter::roundBox(const Rect& box, Rgb color)
{
    if (isVisible(box)) {
        fillShape(Outline::roundRect(box, kRoundBoxCorner), box, color);
    }
}

std::array<Point, 6> ShapePainter::hexagonPoints(const Rect& box)
{
    const int l = box.left;
    const int t = box.top;
    const int w = box.width;
    const int h = box.height;
    return {Point{l, t + h / 2},         Point{l + w / 4, t},     Point{l + (3 * w) / 4, t},
            Point{l + w, t + h / 2},     Point{l + (3 * w) / 4, t + h}, Point{l + w / 4, t + h}};
}

void ShapePainter::hexagon(const Rect& box, Rgb color)
{
    if (!isVisible(box)) {
        return;
    }
    const std::array<Point, 6> corners = hexagonPoints(box);
    // The polygon reaches its right and bottom coordinates, so its steps cover one more pixel.
    fillShape(Outline::polygon({corners.begin(), corners.end()}),
              Rect{box.left, box.top, box.width + 1, box.height + 1}, color);
}

void ShapePainter::foldMarker(const Rect& box, Rgb color, bool filled, Rgb fill)
{
    if (!isVisible(box)) {
        return;
    }
    const PenAndBrushKeeper keeper(m_canvas);
    m_canvas.setPen(Pen::solid(color, 1));
    m_canvas.setBrush(Brush::none());
    m_canvas.drawRoundRect(box, Size{box.width / 2, box.height / 2});
    if (filled) {
        m_canvas.setBrush(Brush::solid(fill));
        m_canvas.drawEllipse(Rect{box.left + 2, box.top + 2, box.width - 4, box.height - 4});
    }
}

std::array<Point, 3> ShapePainter::arrowPoints(Point apex, int halfSize, ArrowDirection direction)
{
    const int x = apex.x;
    const int y = apex.y;
    const int s = halfSize;
    switch (direction) {
    case ArrowDirection::Up:
        return {Point{x - s, y + s}, apex, Point{x + s, y + s}};
    case ArrowDirection::Down:
        return {Point{x + s, y - s}, apex, Point{x - s, y - s}};
    case ArrowDirection::Left:
        return {Point{x + s, y - s}, apex, Point{x + s, y + s}};
    case ArrowDirection::Right:
        break;
    }
    return {Point{x - s, y - s}, apex, Point{x - s, y + s}};
}

void ShapePainter::arrowHead(Point apex, int halfSize, ArrowDirection direction, bool filled)
{
    const std::array<Point, 3> p = arrowPoints(apex, halfSize, direction);
    if (filled) {
        m_canvas.drawPolygon(p);
    } else {
        const std::array<Point, 4> open{p[0], p[1], p[2], p[1]};
        m_canvas.drawPolyline(open);
    }
}

}  // namespace qm::draw
