// QtCanvas implements Canvas over a QPainter: the screen, QImage (PNG), QSvgGenerator (SVG),
// QPdfWriter (PDF) and QPrinter are all just devices of the painter.
#pragma once

#include "draw/canvas.h"

#include <optional>

class QPainter;

namespace qm::draw {

class QtCanvas final : public Canvas {
public:
    // Draws with `painter`, which must be active and stay so while the canvas is used; its
    // transformation (a scroll offset, a page origin) is honoured. `area` is the part of the
    // drawing, in logical coordinates, that this paint can change (a paint event's rectangle);
    // without it, the whole device. The painter is switched to aliased drawing, as the diagrams
    // are pixel art; its pen, brush, font and clip are changed freely.
    explicit QtCanvas(QPainter& painter, std::optional<Rect> area = std::nullopt);
    ~QtCanvas() override;

    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

    void setPen(const Pen& pen) override;
    Pen pen() const override { return m_pen; }
    void setBrush(const Brush& brush) override;
    Brush brush() const override { return m_brush; }
    void setFont(const FontSpec& font) override;
    FontSpec font() const override { return m_font; }
    void setTextColor(Rgb color) override { m_textColor = color; }
    Rgb textColor() const override { return m_textColor; }
    void setBackgroundMode(BackgroundMode mode) override { m_backgroundMode = mode; }
    BackgroundMode backgroundMode() const override { return m_backgroundMode; }
    void setBackgroundColor(Rgb color) override { m_backgroundColor = color; }
    Rgb backgroundColor() const override { return m_backgroundColor; }

    int colorDepth() const override;
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
    Size textSize(std::string_view text) const override;

    void pushClip(const Outline& outline) override;
    void popClip() override;

private:
    void applyPenAndBrush();

    QPainter& m_painter;
    Rect m_area;
    int m_pushedClips = 0;
    Pen m_pen;
    Brush m_brush;
    FontSpec m_font;
    Rgb m_textColor = kBlack;
    BackgroundMode m_backgroundMode = BackgroundMode::Opaque;
    Rgb m_backgroundColor = kWhite;
};

}  // namespace qm::draw
