// BoundsCanvas: a Canvas that draws nothing and keeps the smallest rectangle around everything
// drawn on it. Running a diagram's ordinary drawing on it tells how far the picture reaches,
// which can be beyond the view's own area (a connector routed left of the first column, a
// caption wider than its box): picture export and printing use it to show the whole drawing.
#pragma once

#include "draw/canvas.h"
#include "draw/text_metrics.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace qm::draw {

class BoundsCanvas final : public Canvas {
public:
    // Far larger than any picture, yet small enough that a painter's cell arithmetic on its
    // edges cannot overflow.
    static constexpr Rect kUnbounded{-(1 << 29), -(1 << 29), 1 << 30, 1 << 30};

    // `metrics` measures text (it must outlive the canvas); clipBox() reports `clipBox` before
    // any pushClip, and colorDepth() 32, as picture files do.
    explicit BoundsCanvas(const TextMetrics& metrics, Rect clipBox = kUnbounded);

    // The rectangle around every pixel drawn so far, cut to the clip in force when each was
    // drawn; none when nothing was drawn.
    std::optional<Rect> bounds() const;

    void setPen(const Pen& pen) override { m_pen = pen; }
    Pen pen() const override { return m_pen; }
    void setBrush(const Brush& brush) override { m_brush = brush; }
    Brush brush() const override { return m_brush; }
    void setFont(const FontSpec& font) override { m_font = font; }
    FontSpec font() const override { return m_font; }
    void setTextColor(Rgb color) override { m_textColor = color; }
    Rgb textColor() const override { return m_textColor; }
    void setBackgroundMode(BackgroundMode mode) override { m_backgroundMode = mode; }
    BackgroundMode backgroundMode() const override { return m_backgroundMode; }
    void setBackgroundColor(Rgb color) override { m_backgroundColor = color; }
    Rgb backgroundColor() const override { return m_backgroundColor; }

    int colorDepth() const override { return 32; }
    Rect clipBox() const override { return m_clips.back(); }

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
    // Adds the pixels from (left, top) up to, not including, (right, bottom), cut to `clip`.
    void add(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom, const Rect& clip);
    void add(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom)
    {
        add(left, top, right, bottom, m_clips.back());
    }
    void addPoints(std::span<const Point> points);

    const TextMetrics& m_metrics;
    std::vector<Rect> m_clips;  // the clip box in force, the device's first
    bool m_empty = true;
    std::int64_t m_left = 0;
    std::int64_t m_top = 0;
    std::int64_t m_right = 0;
    std::int64_t m_bottom = 0;
    Pen m_pen;
    Brush m_brush;
    FontSpec m_font;
    Rgb m_textColor = kBlack;
    BackgroundMode m_backgroundMode = BackgroundMode::Opaque;
    Rgb m_backgroundColor = kWhite;
};

}  // namespace qm::draw
