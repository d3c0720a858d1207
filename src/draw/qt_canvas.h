// QtCanvas implements Canvas over a QPainter: the screen, QImage (PNG), QSvgGenerator (SVG),
// QPdfWriter (PDF) and QPrinter are all just devices of the painter.
//
// The SVG writer ignores the painter's clipping, so on an SVG device the canvas clips by itself:
// what is drawn inside a pushed outline or a text's clip rectangle is cut to it as a path, and
// a text cut at a clip edge is written as the characters that show whole plus the outline of the
// one the edge cuts. The picture then shows the same shapes and cut texts as PNG and PDF do.
#pragma once

#include "draw/canvas.h"

#include <QPainterPath>
#include <QPoint>
#include <QString>

#include <optional>
#include <vector>

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
    // Clipping by paths, for devices that ignore the painter's clip (see the top of this file).
    bool clipsByPaths() const { return m_clipsByPaths && !m_clipPaths.empty(); }
    // Draws `shape` filled with the brush and outlined with the pen, cut to `clip`.
    void drawShapeClipped(const QPainterPath& shape, bool filled, const QPainterPath& clip);
    // Draws `text` with its top left corner at `topLeft`, cut to `clip`.
    void drawTextInPath(QPoint topLeft, const QString& text, const QPainterPath& clip);
    void drawPlainText(QPoint topLeft, const QString& text, bool withBackground);

    QPainter& m_painter;
    Rect m_area;
    int m_pushedClips = 0;
    bool m_clipsByPaths = false;
    std::vector<QPainterPath> m_clipPaths;  // the clip in force after each push, when clipping by paths
    Pen m_pen;
    Brush m_brush;
    FontSpec m_font;
    Rgb m_textColor = kBlack;
    BackgroundMode m_backgroundMode = BackgroundMode::Opaque;
    Rgb m_backgroundColor = kWhite;
};

}  // namespace qm::draw
