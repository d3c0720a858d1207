#include "macro/macro_view_paint.h"

#include "draw/shape_painter.h"
#include "macro/macro_style.h"

#include <algorithm>

namespace qm::macro {

namespace {

using Wide = long long;

// The node whose access colours a box: the entry's first declaration, else its first definition.
const model::AnalysisNode* accessNode(const model::SymbolEntry& entry)
{
    if (!entry.declarations.empty()) {
        return entry.declarations.front();
    }
    return entry.definitions.empty() ? nullptr : entry.definitions.front();
}

bool keepsAccessColour(model::NodeKind kind)
{
    switch (kind) {
    case model::NodeKind::Variable:
    case model::NodeKind::Function:
    case model::NodeKind::ShortDeclare:
    case model::NodeKind::OverloadMethod:
    case model::NodeKind::OverloadFunctionMethod:
        return true;
    default:
        return false;
    }
}

draw::Rect displayedRect(const MacroBox& box)
{
    return draw::Rect{box.x, box.y, box.width, box.displayedHeight()};
}

draw::Rgb halved(draw::Rgb color)
{
    return draw::Rgb{static_cast<std::uint8_t>(color.r / 2), static_cast<std::uint8_t>(color.g / 2),
                     static_cast<std::uint8_t>(color.b / 2)};
}

draw::Rgb average(draw::Rgb a, draw::Rgb b)
{
    return draw::Rgb{static_cast<std::uint8_t>((a.r + b.r) / 2), static_cast<std::uint8_t>((a.g + b.g) / 2),
                     static_cast<std::uint8_t>((a.b + b.b) / 2)};
}

}  // namespace

void ColorResolver::prepare(const MacroBox& box)
{
    m_category = kindCategory(box.kind());
    m_withContent = false;
    m_access = model::Access::None;
    if (!box.entry) {
        return;
    }
    const model::SymbolEntry& entry = *box.entry;
    m_withContent = !entry.definitions.empty() && kindCategory(entry.definitions.front()->kind) == 22;
    if (const model::AnalysisNode* node = accessNode(entry); node && keepsAccessColour(node->kind)) {
        m_access = model::accessOf(*node);
    }
}

draw::Rgb ColorResolver::choose(ColorTarget asked) const
{
    if (m_withContent && m_colors.contentType == asked) {
        return drawColor(m_colors.contentColor);
    }
    switch (m_access) {
    case model::Access::Public:
        if (m_colors.publicType == asked) {
            return drawColor(m_colors.publicColor);
        }
        break;
    case model::Access::Protected:
        if (m_colors.protectedType == asked) {
            return drawColor(m_colors.protectedColor);
        }
        break;
    case model::Access::Private:
        if (m_colors.privateType == asked) {
            return drawColor(m_colors.privateColor);
        }
        break;
    case model::Access::None:
        break;
    }
    const ElementColors& own = m_colors.colorsOf(m_category);
    switch (asked) {
    case ColorTarget::Font:
        return drawColor(own.font);
    case ColorTarget::Border:
        return drawColor(own.border);
    default:
        return drawColor(own.background);
    }
}

std::vector<MacroBox*> collectDrawList(std::vector<MacroBox>& boxes, const draw::Rect& clip)
{
    std::vector<MacroBox*> drawList;
    visitBoxes(boxes, [&](MacroBox& box) {
        const Wide top = box.y;
        const Wide bottom = top + box.displayedHeight();
        if (bottom < clip.top || clip.bottom() < top) {
            return false;  // wholly above or below the clip, and so is everything inside it
        }
        drawList.push_back(&box);
        return box.expanded && top < clip.bottom() && clip.top < bottom;
    });
    std::sort(drawList.begin(), drawList.end(),
              [](const MacroBox* a, const MacroBox* b) { return a->sequence > b->sequence; });
    return drawList;
}

void paintBox(draw::Canvas& canvas, draw::ShapePainter& painter, const MacroBox& box, const Theme& theme,
              ColorResolver& resolver)
{
    const draw::Rect body = displayedRect(box);
    if (!painter.isVisible(body)) {
        return;
    }
    resolver.prepare(box);
    const draw::Rgb fill = resolver.fill();
    const draw::Rgb border = resolver.border();
    const bool dotted = box.entry && box.entry->isTemplate == 1;
    painter.shadedRectWithBorder(body, fill, border, dotted);

    const int h = body.height;
    const int w = box.width;
    if (box.memberList) {
        canvas.setPen(draw::Pen::solid(halved(border), 1));
        painter.line({box.x, box.y + h}, {box.x + w, box.y + h});
        painter.line({box.x + w, box.y + 1}, {box.x + w, box.y + h + 1});
    }

    const draw::Rgb text = resolver.text();
    if (box.entry) {
        canvas.setFont(fontSpec(theme.fonts.fontOf(kindCategory(box.kind()))));
        canvas.setBackgroundMode(draw::BackgroundMode::Transparent);
        canvas.setTextColor(text);
        const int textX = box.x + kInset + 1 + (box.hasChildren() ? box.markerSize : 0);
        canvas.drawText({textX, box.y + kInset + 1}, box.entry->name);
        canvas.setBackgroundMode(draw::BackgroundMode::Opaque);
    }

    if (box.hasChildren() && box.markerSize >= 9) {
        const draw::Rgb marker = average(text, fill);
        const int side = box.markerSize - 4;
        painter.foldMarker({box.x + 4, box.y + 4, side, side}, marker, !box.expanded, marker);
    }

    if (box.expanded && !box.separators.empty()) {
        canvas.setPen(draw::Pen::solid(border, 1));
        const int top = box.y + box.titleHeight + kInset;
        for (const int offset : box.separators) {
            painter.line({box.x, top + offset}, {box.x + w, top + offset});
        }
    }
}

void paintBoxes(draw::Canvas& canvas, std::vector<MacroBox>& boxes, const Theme& theme,
                std::vector<MacroBox*>& drawList)
{
    draw::ShapePainter painter(canvas, theme.colors.shadingType);
    ColorResolver resolver(theme.colors);
    drawList = collectDrawList(boxes, painter.clipBox());
    for (auto it = drawList.rbegin(); it != drawList.rend(); ++it) {
        paintBox(canvas, painter, **it, theme, resolver);
    }
}

void invertBox(draw::Canvas& canvas, const MacroBox& box)
{
    canvas.invertRect(displayedRect(box));
}

MacroBox* hitTest(const std::vector<MacroBox*>& drawList, draw::Point point)
{
    for (MacroBox* box : drawList) {
        if (box->x < point.x && point.x < Wide{box->x} + box->width && box->y < point.y &&
            point.y < Wide{box->y} + box->displayedHeight()) {
            return box;
        }
    }
    return nullptr;
}

}  // namespace qm::macro
