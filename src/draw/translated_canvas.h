// TranslatedCanvas: draws on another canvas with every coordinate moved by a fixed offset. A
// picture whose drawing reaches left of or above the origin is exported or printed through one,
// so that the drawing's top left corner lands at the picture's.
#pragma once

#include "draw/canvas.h"

namespace qm::draw {

class TranslatedCanvas final : public Canvas {
public:
    // Draws on `target` (which must outlive this canvas) with `offset` added to every
    // coordinate: the point p of the drawing lands on p + offset of the target.
    TranslatedCanvas(Canvas& target, Point offset) : m_target(target), m_offset(offset) {}

    Point offset() const { return m_offset; }

    void setPen(const Pen& pen) override { m_target.setPen(pen); }
    Pen pen() const override { return m_target.pen(); }
    void setBrush(const Brush& brush) override { m_target.setBrush(brush); }
    Brush brush() const override { return m_target.brush(); }
    void setFont(const FontSpec& font) override { m_target.setFont(font); }
    FontSpec font() const override { return m_target.font(); }
    void setTextColor(Rgb color) override { m_target.setTextColor(color); }
    Rgb textColor() const override { return m_target.textColor(); }
    void setBackgroundMode(BackgroundMode mode) override { m_target.setBackgroundMode(mode); }
    BackgroundMode backgroundMode() const override { return m_target.backgroundMode(); }
    void setBackgroundColor(Rgb color) override { m_target.setBackgroundColor(color); }
    Rgb backgroundColor() const override { return m_target.backgroundColor(); }

    int colorDepth() const override { return m_target.colorDepth(); }
    // The target's clip box in the drawing's coordinates.
    Rect clipBox() const override;

    void drawLine(Point from, Point to) override;
    void drawRect(const Rect& box) override;
    void drawEllipse(const Rect& box) override;
    void drawRoundRect(const Rect& box, Size corner) override;
    void drawPolygon(std::span<const Point> points) override;
    void drawPolyline(std::span<const Point> points) override;
    void fillRect(const Rect& box, Rgb color) override;
    void invertRect(const Rect& box) override;
    void drawText(Point topLeft, std::string_view text) override;
    void drawTextClipped(Point topLeft, std::string_view text, const Rect& clip) override;
    Size textSize(std::string_view text) const override { return m_target.textSize(text); }

    void pushClip(const Outline& outline) override;
    void popClip() override { m_target.popClip(); }

private:
    Point moved(Point p) const { return Point{p.x + m_offset.x, p.y + m_offset.y}; }
    Rect moved(const Rect& r) const { return Rect{r.left + m_offset.x, r.top + m_offset.y, r.width, r.height}; }
    std::vector<Point> moved(std::span<const Point> points) const;

    Canvas& m_target;
    Point m_offset;
};

}  // namespace qm::draw
