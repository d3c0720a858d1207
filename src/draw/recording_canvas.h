// RecordingCanvas: a Canvas that draws nothing and keeps a readable record of every call, so
// that tests can check what a diagram drew without comparing pixels.
#pragma once

#include "draw/canvas.h"
#include "draw/text_metrics.h"

#include <optional>
#include <string>
#include <vector>

namespace qm::draw {

// One drawing call with the state it used. str() gives the record as one line, for example
//   rect 0,0 60x30 pen=solid:1:RGB(0,0,0) brush=RGB(200,200,230)
//   fill 0,0 60x2 RGB(199,199,229)
//   line 10,20 30,20 pen=dot:1:RGB(0,0,128)
//   ellipse 0,0 60x30 pen=solid:1:RGB(0,0,0) brush=null
//   roundrect 0,0 60x30 corner=17x17 pen=null brush=RGB(1,2,3)
//   polygon 0,15 15,0 45,0 pen=solid:1:RGB(0,0,0) brush=RGB(255,255,255)
//   polyline 0,15 15,0 45,0 pen=solid:1:RGB(0,0,0)
//   text 4,4 "Start" font=Arial:20cell color=RGB(0,0,0) bg=transparent
//   text 4,4 "x = 1" clip=4,4 30x13 font=Arial:13cell:bold color=RGB(0,0,0) bg=opaque:RGB(255,255,255)
//   invert 0,0 10x10
//   clip ellipse 0,0 60x30            (a pushClip; "clip rect", "clip roundrect ... corner=WxH",
//   clip polygon 0,15 15,0 ...)       and "unclip" for popClip)
struct Record {
    enum class Op { Line, Rect, Fill, Ellipse, RoundRect, Polygon, Polyline, Invert, Text, PushClip, PopClip };

    Op op = Op::Line;
    Rect box;                   // Rect, Fill, Ellipse, RoundRect, Invert; the clip's bounds for PushClip
    Size corner;                // RoundRect, and PushClip of a rounded rectangle
    std::vector<Point> points;  // Line (two points), Polygon, Polyline, PushClip of a polygon;
                                // Text: its top left corner
    Pen pen;                    // shapes and lines
    Brush brush;                // filled shapes
    Rgb color;                  // Fill: the colour; Text: the text colour
    std::string text;           // Text
    FontSpec font;              // Text
    BackgroundMode background = BackgroundMode::Opaque;  // Text
    Rgb backgroundColor;                                 // Text
    std::optional<Rect> textClip;                        // Text drawn with drawTextClipped
    Outline::Kind clipKind = Outline::Kind::Rectangle;   // PushClip

    std::string str() const;
};

std::string toString(const Pen& pen);      // "solid:1:RGB(0,0,0)", "dot:1:...", "null"
std::string toString(const Brush& brush);  // "RGB(1,2,3)" or "null"
std::string toString(Rgb color);           // "RGB(1,2,3)"
std::string toString(const FontSpec& font);  // "Arial:18cell", "Arial:10pt:bold", "Mono:12px:italic:underline"

class RecordingCanvas final : public Canvas {
public:
    // A very large area: nothing is clipped away unless asked for.
    static constexpr Rect kUnbounded{-1000000, -1000000, 2000000, 2000000};

    // `clipBox` is what clipBox() reports before any pushClip; `colorDepth` what colorDepth()
    // reports; `metrics` measures text for textSize() (fixed 8 x 16 when not given; a given one
    // must outlive the canvas).
    explicit RecordingCanvas(Rect clipBox = kUnbounded, int colorDepth = 32, const TextMetrics* metrics = nullptr);

    const std::vector<Record>& records() const { return m_records; }
    // Each record's str(), in drawing order.
    std::vector<std::string> lines() const;
    // All lines joined, each followed by a line feed.
    std::string text() const;
    // The records of one kind, in drawing order.
    std::vector<Record> recordsOf(Record::Op op) const;
    void clear() { m_records.clear(); }

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

    int colorDepth() const override { return m_colorDepth; }
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
    Record& add(Record::Op op);
    void addText(Point topLeft, std::string_view text, std::optional<Rect> clip);

    std::vector<Record> m_records;
    std::vector<Rect> m_clips;  // the clip box in force after each push
    Rect m_deviceClip;
    int m_colorDepth;
    const TextMetrics* m_metrics;
    Pen m_pen;
    Brush m_brush;
    FontSpec m_font;
    Rgb m_textColor = kBlack;
    BackgroundMode m_backgroundMode = BackgroundMode::Opaque;
    Rgb m_backgroundColor = kWhite;
};

}  // namespace qm::draw
