// Canvas: the whole drawing vocabulary of the diagrams. The screen, pictures (PNG, SVG, PDF),
// paper and the recording canvas of the tests implement it.
//
// A canvas keeps a current pen, brush, font, text colour and text background, as a device
// context does: shapes are outlined with the current pen and filled with the current brush.
// Coordinates are logical pixels. A shape given by a Rect covers exactly its width x height
// pixels including its outline, and a line from A to B covers the pixels from A up to, not
// including, B.
#pragma once

#include "draw/draw_types.h"
#include "draw/font_description.h"

#include <span>
#include <string_view>
#include <vector>

namespace qm::draw {

enum class PenStyle {
    Solid,
    Dot,   // dotted lines and outlines (borders of template boxes, virtual base arrows)
    Dash,
    Null,  // draws no outline
};

struct Pen {
    PenStyle style = PenStyle::Solid;
    int width = 1;
    Rgb color = kBlack;

    static constexpr Pen solid(Rgb color, int width = 1) { return Pen{PenStyle::Solid, width, color}; }
    static constexpr Pen dotted(Rgb color, int width = 1) { return Pen{PenStyle::Dot, width, color}; }
    static constexpr Pen none() { return Pen{PenStyle::Null, 1, kBlack}; }

    friend bool operator==(const Pen&, const Pen&) = default;
};

enum class BrushStyle {
    Solid,
    Null,  // leaves the inside unfilled
};

struct Brush {
    BrushStyle style = BrushStyle::Solid;
    Rgb color = kWhite;

    static constexpr Brush solid(Rgb color) { return Brush{BrushStyle::Solid, color}; }
    static constexpr Brush none() { return Brush{BrushStyle::Null, kBlack}; }

    friend bool operator==(const Brush&, const Brush&) = default;
};

// Whether text paints the background colour behind its characters.
enum class BackgroundMode { Transparent, Opaque };

// An outline that clipping can follow: a rectangle, an ellipse in a box, a rounded rectangle in a
// box with a corner ellipse of `corner`, or a closed polygon.
struct Outline {
    enum class Kind { Rectangle, Ellipse, RoundRect, Polygon };

    Kind kind = Kind::Rectangle;
    Rect bounds;                // the box of the first three kinds; the points' bounding box for polygons
    Size corner;                // RoundRect only
    std::vector<Point> points;  // Polygon only

    static Outline rectangle(const Rect& box) { return Outline{Kind::Rectangle, box, {}, {}}; }
    static Outline ellipse(const Rect& box) { return Outline{Kind::Ellipse, box, {}, {}}; }
    static Outline roundRect(const Rect& box, Size corner) { return Outline{Kind::RoundRect, box, corner, {}}; }
    static Outline polygon(std::vector<Point> points);

    friend bool operator==(const Outline&, const Outline&) = default;
};

class Canvas {
public:
    virtual ~Canvas() = default;

    // --- state -----------------------------------------------------------------------------
    // Initial state: solid black pen of width 1, solid white brush, FontSpec{}, black text,
    // opaque text background in white.
    virtual void setPen(const Pen& pen) = 0;
    virtual Pen pen() const = 0;
    virtual void setBrush(const Brush& brush) = 0;
    virtual Brush brush() const = 0;
    virtual void setFont(const FontSpec& font) = 0;
    virtual FontSpec font() const = 0;
    virtual void setTextColor(Rgb color) = 0;
    virtual Rgb textColor() const = 0;
    virtual void setBackgroundMode(BackgroundMode mode) = 0;
    virtual BackgroundMode backgroundMode() const = 0;
    virtual void setBackgroundColor(Rgb color) = 0;
    virtual Rgb backgroundColor() const = 0;

    // --- the device ------------------------------------------------------------------------
    // Bits per pixel of the device; vector devices (SVG, PDF) report 32.
    virtual int colorDepth() const = 0;
    // The smallest rectangle around the part of the drawing that can still change: the device's
    // area intersected with the clip outlines pushed so far, in logical coordinates.
    virtual Rect clipBox() const = 0;

    // --- drawing ---------------------------------------------------------------------------
    // A line with the current pen (no fill).
    virtual void drawLine(Point from, Point to) = 0;
    // Rectangle, ellipse in the box, rounded rectangle with a corner ellipse of `corner`:
    // outlined with the current pen, filled with the current brush.
    virtual void drawRect(const Rect& box) = 0;
    virtual void drawEllipse(const Rect& box) = 0;
    virtual void drawRoundRect(const Rect& box, Size corner) = 0;
    // A closed polygon (outlined and filled) and an open polyline (outlined only).
    virtual void drawPolygon(std::span<const Point> points) = 0;
    virtual void drawPolyline(std::span<const Point> points) = 0;
    // Fills the box with one colour; ignores and keeps the current pen and brush.
    virtual void fillRect(const Rect& box, Rgb color) = 0;
    // Inverts every colour inside the box (the highlight of a picked box).
    virtual void invertRect(const Rect& box) = 0;

    // UTF-8 text on one line in the current font and text colour, the top left corner of its
    // line at `topLeft`; behind it the background colour when the background mode is opaque.
    virtual void drawText(Point topLeft, std::string_view text) = 0;
    // The same, showing only what falls inside `clip` (a long statement cut at a box's edge).
    virtual void drawTextClipped(Point topLeft, std::string_view text, const Rect& clip) = 0;
    // Width and height of `text` in the current font, as drawText would draw it.
    virtual Size textSize(std::string_view text) const = 0;

    // --- clipping --------------------------------------------------------------------------
    // Limits all drawing to the inside of `outline` as well, until the matching popClip().
    // Pushes nest; each pop restores the clip that was in force before its push.
    virtual void pushClip(const Outline& outline) = 0;
    virtual void popClip() = 0;
};

}  // namespace qm::draw
