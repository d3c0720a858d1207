// Painting the macro diagram: which boxes a paint draws (the draw list), the colours of each box
// (ColorResolver), and the boxes themselves with their titles, fold markers, separators and the
// shadow of member lists. Also the hit test, which uses the draw list of the last paint.
#pragma once

#include "draw/canvas.h"
#include "draw/shape_painter.h"
#include "macro/macro_box.h"
#include "macro/theme.h"
#include "model/node_kind.h"

#include <vector>

namespace qm::macro {

// The three colours of one box under a theme. prepare() reads what the colours depend on: whether
// the entry is a function with a body, and the access of its first declaration (else its first
// definition) for variables, functions, short declares and operator functions.
class ColorResolver {
public:
    explicit ColorResolver(const ThemeColors& colors) : m_colors(colors) {}

    void prepare(const MacroBox& box);

    bool withContent() const noexcept { return m_withContent; }
    model::Access access() const noexcept { return m_access; }

    // Each colour is the first that applies of: the content colour (function with a body), the
    // colour of the access, the category's own colour (default colours for categories without
    // their own), where the first two apply only when their type names the colour asked for.
    draw::Rgb text() const { return choose(ColorTarget::Font); }
    draw::Rgb border() const { return choose(ColorTarget::Border); }
    draw::Rgb fill() const { return choose(ColorTarget::Background); }

private:
    draw::Rgb choose(ColorTarget asked) const;

    const ThemeColors& m_colors;
    std::int32_t m_category = 0;
    bool m_withContent = false;
    model::Access m_access = model::Access::None;
};

// The boxes a paint with clip box `clip` draws, highest sequence first: every box whose vertical
// span reaches the clip box (touching it is enough), and the children of the expanded ones whose
// span meets it (y < clip bottom and clip top < y + displayed height). A box wholly above or
// below the clip is left out with everything inside it, so a paint costs what the clip shows,
// not what the diagram holds (a flat program puts 100,000 functions into one group box). Hit
// testing uses the list of the last paint, which is why the view paints its whole visible area.
std::vector<MacroBox*> collectDrawList(std::vector<MacroBox>& boxes, const draw::Rect& clip);

// Paints the diagram on `canvas` and leaves the boxes it collected in `drawList` (for hit
// testing), highest sequence first. Boxes are painted in ascending sequence, a parent before its
// children; a box that does not touch the clip box is skipped whole.
void paintBoxes(draw::Canvas& canvas, std::vector<MacroBox>& boxes, const Theme& theme,
                std::vector<MacroBox*>& drawList);

// Paints one box: body with border (dotted for templates), the shadow of a member list, the
// title, the fold marker (when markerSize >= 9) and, when expanded, the separators. Nothing when
// the box does not touch the painter's clip box.
void paintBox(draw::Canvas& canvas, draw::ShapePainter& painter, const MacroBox& box, const Theme& theme,
              ColorResolver& resolver);

// Shows a picked box by inverting the colours of its displayed rectangle.
void invertBox(draw::Canvas& canvas, const MacroBox& box);

// The first box of `drawList` (highest sequence first) that contains `point` strictly inside its
// displayed rectangle; null when none does.
MacroBox* hitTest(const std::vector<MacroBox*>& drawList, draw::Point point);

}  // namespace qm::macro
