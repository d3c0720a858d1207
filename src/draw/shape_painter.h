// ShapePainter: the filled shapes, outlines, lines and arrow heads both diagrams are drawn with,
// including the shading that gives them their look: a fill made of a fixed sequence of slightly
// darker (or lighter) colour steps running down the rows or across the columns.
#pragma once

#include "draw/canvas.h"

#include <array>
#include <vector>

namespace qm::draw {

enum class ArrowDirection { Up, Down, Left, Right };

class ShapePainter {
public:
    // Number of colour steps of a darkening and of a lightening shading.
    static constexpr int kDarkenSteps = 30;
    static constexpr int kLightenSteps = 20;
    // Shading needs at least this many bits per pixel; shallower devices get flat shapes.
    static constexpr int kMinShadingDepth = 16;
    // Corner ellipse of roundBox.
    static constexpr Size kRoundBoxCorner{17, 17};

    // A painter for one drawing on `canvas`. `shadingMode`: 0 or less no shading; 1 and 2
    // darken, 3 and more lighten; odd modes step down the rows, even ones across the columns.
    // The canvas's clip box and (only when shading is asked for) colour depth are read now.
    ShapePainter(Canvas& canvas, int shadingMode);

    int shadingMode() const { return m_shadingMode; }
    // Bits per pixel of the canvas; 0 when shadingMode() <= 0.
    int colourDepth() const { return m_colourDepth; }
    int penWidth() const { return m_penWidth; }
    Rect clipBox() const { return m_clipBox; }
    // True when fills are drawn as colour steps rather than flat.
    bool isShaded() const { return m_shadingMode > 0 && m_colourDepth >= kMinShadingDepth; }
    // A shape is visible unless it lies wholly left of, right of, above or below the clip box;
    // a shape touching the clip box's edge is visible. Invisible shapes draw nothing.
    bool isVisible(const Rect& shape) const;

    // A line with the canvas's current pen; never culled.
    void line(Point from, Point to);
    // A filled rectangle in `color`, flat (outlined in the same colour) or shaded (no outline).
    void shadedRect(const Rect& box, Rgb color);
    // A rectangle outline with a solid pen of `color` and `width`, not filled.
    void outlineRect(const Rect& box, Rgb color, int width);
    // shadedRect in `fill`; then, when `border` differs from `fill`, an outline in `border`,
    // dotted or solid.
    void shadedRectWithBorder(const Rect& box, Rgb fill, Rgb border, bool dotted);
    // Ellipse in the box, rounded rectangle (corner 17 x 17) and hexagon, each outlined with the
    // current pen and filled with `color`. Shaded, the steps fill the shape's outline (always
    // darkening down the rows) and cover its border.
    void ellipseShape(const Rect& box, Rgb color);
    void roundBox(const Rect& box, Rgb color);
    void hexagon(const Rect& box, Rgb color);
    // Rounded outline (corner width/2 x height/2) in a 1-pixel pen of `color`, not filled; with
    // `filled`, a dot inside it: an ellipse 2 pixels in from every side, filled with `fill`.
    void foldMarker(const Rect& box, Rgb color, bool filled, Rgb fill);
    // A triangle with its apex at `apex`, its base `halfSize` away and 2 x halfSize long.
    // Filled: a closed polygon with the current pen and brush. Open: the polyline first base
    // corner, apex, second base corner, apex. Never culled.
    void arrowHead(Point apex, int halfSize, ArrowDirection direction, bool filled);

    // The colours of a shading's steps for `color`: 30 darkening steps for modes below 3, each
    // channel that is not 0 lowered by one more per step (the first step is already one below
    // `color`); 20 lightening steps for modes 3 and up, each channel below 255 raised likewise.
    static std::vector<Rgb> stepColors(Rgb color, int shadingMode);
    // The hexagon's corners in drawing order, starting at the middle of the left side.
    static std::array<Point, 6> hexagonPoints(const Rect& box);
    // The base corners and apex of an arrow head: {first corner, apex, second corner}.
    static std::array<Point, 3> arrowPoints(Point apex, int halfSize, ArrowDirection direction);

private:
    // Fills `box` with the steps of `color` under `mode`, as bands of rows (odd modes) or
    // columns (even modes) that share a step colour.
    void paintSteps(const Rect& box, Rgb color, int mode);
    // Fills `outline` with `color`: flat with the current pen, or shaded inside the outline.
    void fillShape(const Outline& outline, const Rect& stepBox, Rgb color);

    Canvas& m_canvas;
    int m_penWidth = 1;
    int m_colourDepth = 0;
    int m_shadingMode = 0;
    Rect m_clipBox;
};

}  // namespace qm::draw
