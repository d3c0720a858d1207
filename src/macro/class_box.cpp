// Filling, measuring, placing and clicking one class box and the boxes nested in it.
#include "macro/class_box.h"

#include "macro/macro_box.h"
#include "macro/macro_style.h"
#include "model/token_text.h"

#include <algorithm>
#include <utility>

namespace qm::macro {

namespace {

using Wide = long long;

int clamped(Wide value)
{
    return clampCoordinate(value);
}

MemberLine memberLine(const model::SymbolEntry& entry)
{
    MemberLine line;
    line.text.append(accessPrefix(entryAccess(entry)));
    line.text.append(entry.name);
    return line;
}

// Words that say how a function is declared rather than what it returns: `virtual`,
// `static`, `inline`, `explicit`, `friend`, `extern`, `constexpr` and their kin.
bool isDeclarationSpecifier(const model::Token& token)
{
    namespace tok = model::tok;
    if (token.isOneOf(tok::Virtual, tok::Static, tok::Inline, tok::Explicit, tok::Friend, tok::Extern, tok::Operator)) {
        return true;
    }
    if (token.code != tok::Identifier) return false;
    const std::string_view word = token.text.view();
    return word == "constexpr" || word == "consteval" || word == "constinit" || word == "thread_local"
           || word == "__inline" || word == "__forceinline" || word == "_Noreturn";
}

// The return type shown for a method: its return tokens without the specifiers.
std::string returnTypeText(const model::TokenRefs& tokens)
{
    model::TokenRefs shown;
    for (const model::Token* token : tokens) {
        if (!isDeclarationSpecifier(*token)) shown.push_back(token);
    }
    return model::TokenText(shown, true);
}

// `+ f`, ` (int a, char * b)`, ` : void`. Operator functions take their leading tokens as the
// return text.
MethodLine methodLine(const model::SymbolEntry& entry)
{
    MethodLine line;
    line.nameText.append(accessPrefix(entryAccess(entry)));
    line.nameText.append(entry.name);
    const std::vector<model::ParameterRecord>* parameters = nullptr;
    const model::TokenRefs* returns = nullptr;
    if (const model::AnalysisNode* node = describingNode(entry)) {
        if (const auto* function = node->detailAs<model::FunctionDetail>()) {
            parameters = &function->parameters;
            returns = &function->returnTokens;
        } else if (const auto* op = node->detailAs<model::OperatorDetail>()) {
            parameters = &op->parameters;
            returns = &op->leadingTokens;
        }
    }
    if (!parameters) {
        line.parameterText = kEmptyParameters;
        return line;
    }
    line.parameterText = " (";
    for (std::size_t i = 0; i < parameters->size(); ++i) {
        if (i > 0) {
            line.parameterText.append(", ");
        }
        line.parameterText.append(model::TokenText((*parameters)[i].tokens, true));
    }
    line.parameterText.push_back(')');
    if (std::string text = returnTypeText(*returns); !text.empty()) {
        line.returnText = " : " + text;
    }
    return line;
}

struct MeasureFonts {
    draw::FontSpec attributes;
    draw::FontSpec methods;
    draw::FontSpec defaultFont;
};

// A compartment's header for a label, or an empty header when the compartment has no lines.
// `toggleSquares` makes room for the two method toggles beside the fold marker. Returns the
// compartment's width candidate (0 when empty).
Wide measureHeader(Compartment& part, bool empty, draw::Size label, int toggleSquares)
{
    if (empty) {
        part.markerSize = 0;
        part.headerWidth = 0;
        part.headerHeight = 0;
        return 0;
    }
    part.markerSize = label.height - 2;
    part.headerWidth = clamped(Wide{label.width} + Wide{1 + toggleSquares} * (label.height - 2));
    part.headerHeight = label.height;
    return std::max<Wide>(part.headerWidth, Wide{label.height} + part.widestLine - 1);
}

void measureOne(ClassBox& box, const draw::TextMetrics& metrics, const ThemeFonts& fonts, const MeasureFonts& faces,
                const CompartmentLabels& labels, int boxPadding)
{
    Wide candidate = 0;

    Wide widest = 0;
    Wide total = 0;
    for (MemberLine& line : box.attributes) {
        const draw::Size size = metrics.textSize(faces.attributes, line.text);
        line.width = size.width;
        line.height = size.height;
        widest = std::max<Wide>(widest, line.width);
        total += line.height;
    }
    box.attributesPart.widestLine = clamped(widest);
    box.attributesPart.totalLineHeight = clamped(total);
    candidate = std::max(candidate, measureHeader(box.attributesPart, box.attributes.empty(), labels.attributes, 0));

    widest = 0;
    total = 0;
    for (MethodLine& line : box.methods) {
        const draw::Size name = metrics.textSize(faces.methods, line.nameText);
        line.nameWidth = name.width;
        line.nameHeight = name.height;
        line.parameterWidth = clamped(Wide{metrics.textSize(faces.methods, shownParameters(box, line)).width} + 1);
        line.returnWidth = metrics.textSize(faces.methods, shownReturnType(box, line)).width;
        widest = std::max<Wide>(widest, Wide{line.nameWidth} + line.parameterWidth + 1 + line.returnWidth);
        total += line.nameHeight;
    }
    box.methodsPart.widestLine = clamped(widest);
    box.methodsPart.totalLineHeight = clamped(total);
    candidate = std::max(candidate, measureHeader(box.methodsPart, box.methods.empty(), labels.methods, 3));

    widest = 0;
    total = 0;
    for (const ClassBox& inner : box.nested) {
        widest = std::max<Wide>(widest, inner.width);
        total += inner.height;
    }
    box.etcPart.widestLine = clamped(widest);
    box.etcPart.totalLineHeight = clamped(total);
    candidate = std::max(candidate, measureHeader(box.etcPart, box.nested.empty(), labels.etc, 0));

    const model::SymbolEntry& entry = *box.entry;
    // Measured with the font that paints the title (class_box_paint.cpp): that of the node that
    // describes the entry, the default font without one.
    const model::AnalysisNode* describing = describingNode(entry);
    const draw::FontSpec titleFont =
        describing ? fontSpec(fonts.fontOf(kindCategory(describing->kind))) : faces.defaultFont;
    const draw::Size title = metrics.textSize(titleFont, entry.name);
    box.titleHeight = clamped(Wide{title.height} + 2);
    box.titleMarker = box.hasCompartments() ? box.titleHeight - 2 : 0;
    box.titleWidth = clamped(Wide{title.width} + 2 + box.titleMarker);
    candidate = std::max<Wide>(candidate, box.titleWidth);

    box.innerWidth = clamped(candidate);
    Wide compartments = 0;
    for (const Compartment* part : {&box.attributesPart, &box.methodsPart, &box.etcPart}) {
        compartments += part->headerHeight;
        if (part->expanded) {
            compartments += part->totalLineHeight;
        }
    }
    box.compartmentsHeight = clamped(compartments);
    box.width = clamped(Wide{box.innerWidth} + 2 * Wide{boxPadding});
    box.height = clamped(Wide{box.titleHeight} + 2 * Wide{boxPadding} + (box.expanded ? compartments : 0));
}

// Whether `point` lies strictly inside the rectangle.
bool strictlyInside(draw::Point point, Wide left, Wide top, Wide width, Wide height)
{
    return left < point.x && point.x < left + width && top < point.y && point.y < top + height;
}

ClassToggle singleClick(ClassBox& box, draw::Point p)
{
    if (box.titleMarker > 0 && strictlyInside(p, box.titleX, box.titleY, box.titleMarker, box.titleMarker)) {
        box.expanded = !box.expanded;
        return ClassToggle::Box;
    }
    if (!box.expanded) {
        return ClassToggle::None;
    }
    const Compartment& a = box.attributesPart;
    if (!box.attributes.empty() && strictlyInside(p, a.headerX, a.headerY, a.markerSize, a.markerSize)) {
        box.attributesPart.expanded = !a.expanded;
        return ClassToggle::Attributes;
    }
    const Compartment& m = box.methodsPart;
    if (!box.methods.empty() && strictlyInside(p, m.headerX, m.headerY, m.headerWidth, m.markerSize)) {
        const Wide right = Wide{m.headerX} + m.headerWidth;
        if (p.x < Wide{m.headerX} + m.markerSize) {
            box.methodsPart.expanded = !m.expanded;
            return ClassToggle::Methods;
        }
        if (right - 2 * Wide{m.markerSize} - 1 < p.x && p.x < right - m.markerSize - 1) {
            box.showParameters = !box.showParameters;
            return ClassToggle::Parameters;
        }
        if (right - m.markerSize - 1 < p.x && p.x < right - 1) {
            box.showReturnTypes = !box.showReturnTypes;
            return ClassToggle::ReturnTypes;
        }
        return ClassToggle::None;
    }
    const Compartment& e = box.etcPart;
    if (!box.nested.empty() && strictlyInside(p, e.headerX, e.headerY, e.markerSize, e.markerSize)) {
        box.etcPart.expanded = !e.expanded;
        return ClassToggle::Etc;
    }
    return ClassToggle::None;
}

ClassToggle doubleClick(ClassBox& box, draw::Point p)
{
    if (strictlyInside(p, box.titleX, box.titleY, box.innerWidth, box.titleHeight)) {
        box.expanded = !box.expanded;
        return ClassToggle::Box;
    }
    if (!box.expanded) {
        return ClassToggle::None;
    }
    const auto onRow = [&](const Compartment& part) {
        return strictlyInside(p, part.headerX, part.headerY, box.innerWidth, part.headerHeight);
    };
    if (!box.attributes.empty() && onRow(box.attributesPart)) {
        box.attributesPart.expanded = !box.attributesPart.expanded;
        return ClassToggle::Attributes;
    }
    if (!box.methods.empty() && onRow(box.methodsPart)) {
        const bool shown = !box.methodsPart.expanded;
        box.methodsPart.expanded = shown;
        box.showParameters = shown;
        box.showReturnTypes = shown;
        return ClassToggle::Methods;
    }
    if (!box.nested.empty() && onRow(box.etcPart)) {
        box.etcPart.expanded = !box.etcPart.expanded;
        return ClassToggle::Etc;
    }
    return ClassToggle::None;
}

}  // namespace

ClassBox::~ClassBox()
{
    if (nested.empty()) {
        return;
    }
    std::vector<ClassBox> pending = std::move(nested);
    while (!pending.empty()) {
        ClassBox box = std::move(pending.back());
        pending.pop_back();
        for (ClassBox& inner : box.nested) {
            pending.push_back(std::move(inner));
        }
        box.nested.clear();
    }
}

std::string_view accessPrefix(model::Access access) noexcept
{
    switch (access) {
    case model::Access::Protected:
        return "# ";
    case model::Access::Private:
        return "- ";
    default:
        return "+ ";
    }
}

const model::AnalysisNode* describingNode(const model::SymbolEntry& entry) noexcept
{
    if (!entry.declarations.empty()) {
        return entry.declarations.front();
    }
    return entry.definitions.empty() ? nullptr : entry.definitions.front();
}

model::Access entryAccess(const model::SymbolEntry& entry) noexcept
{
    const model::AnalysisNode* node = describingNode(entry);
    return node ? model::accessOf(*node) : model::Access::None;
}

std::string_view shownParameters(const ClassBox& box, const MethodLine& line) noexcept
{
    if (box.showParameters || line.parameterText.size() == kEmptyParameters.size()) {
        return line.parameterText;
    }
    return kHiddenParameters;
}

std::string_view shownReturnType(const ClassBox& box, const MethodLine& line) noexcept
{
    if (!box.showReturnTypes && !line.returnText.empty()) {
        return kHiddenReturnType;
    }
    return line.returnText;
}

std::size_t fillBox(ClassBox& root, const model::SymbolEntry& rootEntry)
{
    std::size_t made = 0;
    std::vector<std::pair<ClassBox*, const model::SymbolEntry*>> pending{{&root, &rootEntry}};
    std::vector<const model::SymbolEntry*> nestedEntries;
    while (!pending.empty()) {
        auto [box, entry] = pending.back();
        pending.pop_back();
        *box = ClassBox{};
        box->entry = entry;
        ++made;
        if (!entry->children) {
            continue;
        }
        nestedEntries.clear();
        for (const auto& [key, child] : *entry->children) {
            switch (kindCategory(child.kind)) {
            case kAttributesCategory:
                box->attributes.push_back(memberLine(child));
                break;
            case kMethodsCategory:
                box->methods.push_back(methodLine(child));
                break;
            default:
                nestedEntries.push_back(&child);
                break;
            }
        }
        made += box->attributes.size() + box->methods.size();
        // The nested vector is complete before any pointer into it is kept.
        box->nested.resize(nestedEntries.size());
        for (std::size_t i = 0; i < nestedEntries.size(); ++i) {
            pending.emplace_back(&box->nested[i], nestedEntries[i]);
        }
    }
    return made;
}

CompartmentLabels measureLabels(const draw::TextMetrics& metrics, const ThemeFonts& fonts)
{
    const auto measure = [&](std::int32_t category, std::string_view label) {
        const draw::Size size = metrics.textSize(fontSpec(fonts.fontOf(category)), label);
        return draw::Size{clamped(Wide{size.width} + 2), clamped(Wide{size.height} + 2)};
    };
    return CompartmentLabels{measure(kAttributesCategory, kAttributesLabel), measure(kMethodsCategory, kMethodsLabel),
                             measure(kEtcCategory, kEtcLabel)};
}

void measureBox(ClassBox& box, const draw::TextMetrics& metrics, const ThemeFonts& fonts,
                const CompartmentLabels& labels, int boxPadding)
{
    const MeasureFonts faces{fontSpec(fonts.fontOf(kAttributesCategory)), fontSpec(fonts.fontOf(kMethodsCategory)),
                             fontSpec(fonts.defaultFont)};
    // In reverse pre-order every nested box comes before the box that holds it.
    std::vector<ClassBox*> order;
    std::vector<ClassBox*> pending{&box};
    while (!pending.empty()) {
        ClassBox* current = pending.back();
        pending.pop_back();
        order.push_back(current);
        for (ClassBox& inner : current->nested) {
            pending.push_back(&inner);
        }
    }
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        measureOne(**it, metrics, fonts, faces, labels, boxPadding);
    }
}

void placeBox(ClassBox& box, draw::Point topLeft, int boxPadding)
{
    std::vector<std::pair<ClassBox*, draw::Point>> pending{{&box, topLeft}};
    while (!pending.empty()) {
        ClassBox* const current = pending.back().first;
        const draw::Point at = pending.back().second;
        pending.pop_back();
        current->x = at.x;
        current->y = at.y;
        current->titleX = clamped(Wide{at.x} + boxPadding);
        current->titleY = clamped(Wide{at.y} + boxPadding);
        if (!current->expanded) {
            continue;
        }
        Wide d = Wide{current->titleY} + current->titleHeight;
        const auto header = [&](Compartment& part) {
            part.headerX = current->titleX;
            part.headerY = clamped(d);
            d += part.headerHeight;
        };
        if (!current->attributes.empty()) {
            header(current->attributesPart);
            if (current->attributesPart.expanded) {
                d += current->attributesPart.totalLineHeight;
            }
        }
        if (!current->methods.empty()) {
            header(current->methodsPart);
            if (current->methodsPart.expanded) {
                d += current->methodsPart.totalLineHeight;
            }
        }
        if (!current->nested.empty()) {
            header(current->etcPart);
            if (current->etcPart.expanded) {
                for (ClassBox& inner : current->nested) {
                    pending.emplace_back(&inner, draw::Point{current->titleX, clamped(d)});
                    d += inner.height;
                }
            }
        }
    }
}


ClassClick clickBox(ClassBox& box, draw::Point point, ClickKind kind)
{
    const auto contains = [&](const ClassBox& b) { return strictlyInside(point, b.x, b.y, b.width, b.height); };
    if (!contains(box)) {
        return {};
    }
    // Nested boxes lie inside their owner, so the innermost shown box under the point is the
    // first that handles it.
    ClassBox* current = &box;
    for (bool deeper = true; deeper;) {
        deeper = false;
        if (current->showsNested()) {
            for (ClassBox& inner : current->nested) {
                if (contains(inner)) {
                    current = &inner;
                    deeper = true;
                    break;
                }
            }
        }
    }
    ClassClick click;
    click.handled = true;
    click.box = current;
    click.toggled = kind == ClickKind::Single ? singleClick(*current, point) : doubleClick(*current, point);
    return click;
}

}  // namespace qm::macro
