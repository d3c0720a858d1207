// Painting one class box and the boxes nested in it.
#include "macro/class_box.h"

#include "macro/macro_box.h"
#include "macro/macro_style.h"

namespace qm::macro {

namespace {

using Wide = long long;

int clamped(Wide value)
{
    return clampCoordinate(value);
}

struct PaintContext {
    draw::Canvas& canvas;
    draw::ShapePainter& painter;
    const Theme& theme;
    int boxPadding;
};

void drawLabel(PaintContext& c, const Compartment& part, std::string_view label, std::int32_t category)
{
    c.canvas.setFont(fontSpec(c.theme.fonts.fontOf(category)));
    c.canvas.setTextColor(drawColor(c.theme.colors.colorsOf(category).font));
    c.canvas.drawText({part.headerX + part.markerSize + 1, part.headerY + 1}, label);
}

// Whether a line of text from `top` down `height` pixels can show inside the clip box.
bool lineVisible(const draw::Rect& clip, Wide top, int height)
{
    return top <= clip.bottom() && clip.top <= top + height;
}

void drawMarker(PaintContext& c, int left, int top, int size, bool filled)
{
    if (size > 0) {
        c.painter.foldMarker({left, top, size, size}, draw::kBlack, filled, draw::kBlack);
    }
}

// Paints one box without its nested boxes.
void paintOne(PaintContext& c, const ClassBox& box)
{
    const model::SymbolEntry& entry = *box.entry;
    const ThemeColors& colors = c.theme.colors;
    const ElementColors& own = colors.colorsOf(kindCategory(entry.kind));

    // The pen is centred on the rectangle one pixel in from the box's edge.
    c.painter.outlineRect({box.x + 1, box.y + 1, box.width - 1, box.height - 1}, drawColor(own.border), c.boxPadding);
    c.painter.shadedRect({box.titleX, box.titleY, box.titleWidth, box.titleHeight}, drawColor(own.background));

    struct Part {
        const Compartment& part;
        bool empty;
        std::string_view label;
        std::int32_t category;
    };
    const Part parts[] = {
        {box.attributesPart, box.attributes.empty(), kAttributesLabel, kAttributesCategory},
        {box.methodsPart, box.methods.empty(), kMethodsLabel, kMethodsCategory},
        {box.etcPart, box.nested.empty(), kEtcLabel, kEtcCategory},
    };
    if (box.expanded) {
        for (const Part& p : parts) {
            if (!p.empty) {
                c.painter.shadedRect({p.part.headerX, p.part.headerY, box.innerWidth, p.part.headerHeight},
                                     drawColor(colors.colorsOf(p.category).background));
            }
        }
    }

    // The title is written in the font of the node that describes the entry; an entry without
    // nodes (a base class that was not found) in the default font it was measured with.
    const model::AnalysisNode* node = describingNode(entry);
    const std::int32_t textCategory = kindCategory(node ? node->kind : entry.kind);
    c.canvas.setBackgroundMode(draw::BackgroundMode::Transparent);
    c.canvas.setFont(fontSpec(node ? c.theme.fonts.fontOf(textCategory) : c.theme.fonts.defaultFont));
    c.canvas.setTextColor(drawColor(colors.colorsOf(textCategory).font));
    c.canvas.drawText({box.titleX + box.titleMarker + 1, box.titleY + 1}, entry.name);

    const draw::Rect clip = c.painter.clipBox();
    if (box.expanded) {
        for (const Part& p : parts) {
            if (!p.empty) {
                drawLabel(c, p.part, p.label, p.category);
            }
        }
        const Compartment& a = box.attributesPart;
        if (!box.attributes.empty() && a.expanded) {
            c.canvas.setFont(fontSpec(c.theme.fonts.fontOf(kAttributesCategory)));
            c.canvas.setTextColor(draw::kBlack);
            const int left = a.headerX + a.markerSize + 1;
            Wide top = Wide{a.headerY} + a.headerHeight;
            for (const MemberLine& line : box.attributes) {
                if (lineVisible(clip, top, line.height)) {
                    c.canvas.drawText({left, clamped(top)}, line.text);
                }
                top += line.height;
            }
        }
        const Compartment& m = box.methodsPart;
        if (!box.methods.empty() && m.expanded) {
            c.canvas.setFont(fontSpec(c.theme.fonts.fontOf(kMethodsCategory)));
            const int left = m.headerX + m.markerSize + 1;
            Wide top = Wide{m.headerY} + m.headerHeight;
            for (const MethodLine& line : box.methods) {
                if (lineVisible(clip, top, line.nameHeight)) {
                    const int y = clamped(top);
                    c.canvas.setTextColor(draw::kBlack);
                    c.canvas.drawText({left, y}, line.nameText);
                    c.canvas.setTextColor(kParameterColor);
                    c.canvas.drawText({clamped(Wide{left} + line.nameWidth), y}, shownParameters(box, line));
                    if (const std::string_view returns = shownReturnType(box, line); !returns.empty()) {
                        c.canvas.setTextColor(kReturnTypeColor);
                        c.canvas.drawText({clamped(Wide{left} + line.nameWidth + line.parameterWidth + 1), y}, returns);
                    }
                }
                top += line.nameHeight;
            }
        }
    }
    c.canvas.setBackgroundMode(draw::BackgroundMode::Opaque);

    drawMarker(c, box.titleX + 3, box.titleY + 3, box.titleMarker - 3, !box.expanded);
    if (box.expanded) {
        for (const Part& p : parts) {
            if (!p.empty) {
                drawMarker(c, p.part.headerX + 2, p.part.headerY + 2, p.part.markerSize - 2, !p.part.expanded);
            }
        }
        if (const Compartment& m = box.methodsPart; !box.methods.empty()) {
            const int right = m.headerX + m.headerWidth;
            drawMarker(c, right - 2 * m.markerSize, m.headerY + 2, m.markerSize - 2, !box.showParameters);
            drawMarker(c, right - m.markerSize, m.headerY + 2, m.markerSize - 2, !box.showReturnTypes);
        }
    }
}

}  // namespace

void paintBox(draw::Canvas& canvas, draw::ShapePainter& painter, const ClassBox& box, const Theme& theme,
              int boxPadding)
{
    PaintContext context{canvas, painter, theme, boxPadding};
    std::vector<const ClassBox*> pending{&box};
    while (!pending.empty()) {
        const ClassBox* current = pending.back();
        pending.pop_back();
        // Nested boxes lie inside their owner: a box out of sight hides them too.
        if (!current->entry || !painter.isVisible(current->rect())) {
            continue;
        }
        paintOne(context, *current);
        if (current->showsNested()) {
            for (auto it = current->nested.rbegin(); it != current->nested.rend(); ++it) {
                pending.push_back(&*it);
            }
        }
    }
}

}  // namespace qm::macro
