// A canvas for painting benchmarks: it keeps the state a painter sets, narrows its clip box as
// clips are pushed, and counts the drawing calls, nothing more. What remains of a paint is the
// diagram's own work (collecting, culling, colours, shapes).
#pragma once

#include "draw/canvas.h"
#include "draw/text_metrics.h"

#include <cstdint>
#include <vector>

namespace qm::bench {

class CountingCanvas final : public draw::Canvas {
public:
    // Texts are measured with `metrics`, which must outlive the canvas.
    CountingCanvas(draw::Rect clip, const draw::TextMetrics& metrics) : m_metrics(metrics), m_clips{clip} {}

    std::uint64_t shapes = 0;  // lines, rectangles, fills, ellipses, polygons, inversions
    std::uint64_t texts = 0;

    void setPen(const draw::Pen& pen) override { m_pen = pen; }
    draw::Pen pen() const override { return m_pen; }
    void setBrush(const draw::Brush& brush) override { m_brush = brush; }
    draw::Brush brush() const override { return m_brush; }
    void setFont(const draw::FontSpec& font) override { m_font = font; }
    draw::FontSpec font() const override { return m_font; }
    void setTextColor(draw::Rgb color) override { m_textColor = color; }
    draw::Rgb textColor() const override { return m_textColor; }
    void setBackgroundMode(draw::BackgroundMode mode) override { m_backgroundMode = mode; }
    draw::BackgroundMode backgroundMode() const override { return m_backgroundMode; }
    void setBackgroundColor(draw::Rgb color) override { m_backgroundColor = color; }
    draw::Rgb backgroundColor() const override { return m_backgroundColor; }

    int colorDepth() const override { return 32; }
    draw::Rect clipBox() const override { return m_clips.back(); }

    void drawLine(draw::Point, draw::Point) override { ++shapes; }
    void drawRect(const draw::Rect&) override { ++shapes; }
    void drawEllipse(const draw::Rect&) override { ++shapes; }
    void drawRoundRect(const draw::Rect&, draw::Size) override { ++shapes; }
    void drawPolygon(std::span<const draw::Point>) override { ++shapes; }
    void drawPolyline(std::span<const draw::Point>) override { ++shapes; }
    void fillRect(const draw::Rect&, draw::Rgb) override { ++shapes; }
    void invertRect(const draw::Rect&) override { ++shapes; }
    void drawText(draw::Point, std::string_view) override { ++texts; }
    void drawTextClipped(draw::Point, std::string_view, const draw::Rect&) override { ++texts; }
    draw::Size textSize(std::string_view text) const override { return m_metrics.textSize(m_font, text); }

    void pushClip(const draw::Outline& outline) override { m_clips.push_back(m_clips.back().intersected(outline.bounds)); }
    void popClip() override
    {
        if (m_clips.size() > 1) m_clips.pop_back();
    }

private:
    const draw::TextMetrics& m_metrics;
    std::vector<draw::Rect> m_clips;
    draw::Pen m_pen;
    draw::Brush m_brush;
    draw::FontSpec m_font;
    draw::Rgb m_textColor = draw::kBlack;
    draw::BackgroundMode m_backgroundMode = draw::BackgroundMode::Opaque;
    draw::Rgb m_backgroundColor = draw::kWhite;
};

}  // namespace qm::bench
