// The class diagram's tree of classes and bases: building it from the symbol table, measuring,
// laying out, painting and clicks. Every walk over the tree uses an explicit stack.
#include "macro/class_diagram.h"

#include "draw/shape_painter.h"
#include "macro/macro_box.h"

#include <climits>
#include <cstdlib>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace qm::macro {

namespace {

using Wide = long long;

// The class detail whose base lists a class entry shows: that of its first definition, for
// classes and structs only.
const model::ClassDetail* baseListsOf(const model::SymbolEntry& entry)
{
    if ((entry.kind != model::NodeKind::Class && entry.kind != model::NodeKind::Struct) ||
        entry.definitions.empty()) {
        return nullptr;
    }
    return entry.definitions.front()->detailAs<model::ClassDetail>();
}

const model::SymbolEntry* findChild(const model::SymbolEntry* scope, const std::string& name)
{
    if (!scope || !scope->children) {
        return nullptr;
    }
    return static_cast<const model::SymbolTable&>(*scope->children).find(name, 0);
}

// Visits every node after its bases (left to right), stopping when `visit` returns true.
// Returns the node that stopped the walk, or null.
template <typename Node, typename Visit>
Node* visitPostOrder(Node& root, Visit visit)
{
    std::vector<std::pair<Node*, std::size_t>> stack{{&root, 0}};
    while (!stack.empty()) {
        auto& [node, next] = stack.back();
        if (next < node->bases.size()) {
            Node* base = &node->bases[next++];
            stack.emplace_back(base, 0);
            continue;
        }
        Node* done = node;
        stack.pop_back();
        if (visit(*done)) {
            return done;
        }
    }
    return nullptr;
}

void paintArrow(draw::Canvas& canvas, draw::ShapePainter& painter, const ClassBox& base, const ClassBox& derived,
                model::Access access, bool isVirtual)
{
    const draw::Rgb color = baseArrowColor(access);
    const int baseCentre = clampCoordinate(Wide{base.x} + base.width / 2);
    const int baseBottom = clampCoordinate(Wide{base.y} + base.height);
    canvas.setPen(draw::Pen::solid(color, 1));
    canvas.setBrush(draw::Brush::solid(color));
    painter.arrowHead({baseCentre, baseBottom}, kBaseArrowHalfSize, draw::ArrowDirection::Up, true);

    canvas.setPen(isVirtual ? draw::Pen::dotted(color, 1) : draw::Pen::solid(color, 1));
    const draw::Point start{baseCentre, clampCoordinate(Wide{baseBottom} + kBaseArrowHalfSize)};
    const int derivedCentre = clampCoordinate(Wide{derived.x} + derived.width / 2);
    if (std::abs(Wide{derivedCentre} - baseCentre) < 3) {
        painter.line(start, {baseCentre, derived.y});
        return;
    }
    const int middle = clampCoordinate((Wide{derived.y} + baseBottom + kBaseArrowHalfSize) / 2);
    painter.line(start, {baseCentre, middle});
    painter.line({baseCentre, middle}, {derivedCentre, middle});
    painter.line({derivedCentre, middle}, {derivedCentre, derived.y});
}

}  // namespace

draw::Rgb baseArrowColor(model::Access access) noexcept
{
    switch (access) {
    case model::Access::Protected:
        return kProtectedBaseColor;
    case model::Access::Private:
        return kPrivateBaseColor;
    default:
        return kPublicBaseColor;
    }
}

ClassNode::~ClassNode()
{
    if (bases.empty()) {
        return;
    }
    std::vector<ClassNode> pending = std::move(bases);
    while (!pending.empty()) {
        ClassNode node = std::move(pending.back());
        pending.pop_back();
        for (ClassNode& base : node.bases) {
            pending.push_back(std::move(base));
        }
        node.bases.clear();
    }
}

ClassDiagram::ClassDiagram() = default;
ClassDiagram::~ClassDiagram() = default;

void ClassDiagram::setSelection(const model::SymbolEntry* selectedEntry, const model::SymbolEntry* classRoot)
{
    m_selectedEntry = selectedEntry;
    m_classRoot = classRoot;
}

void ClassDiagram::rebuild()
{
    m_root.reset();
    m_placeholders.clear();
    m_elementCount = 0;
    m_diagramSize = {};
    if (m_selectedEntry) {
        m_root = std::make_unique<ClassNode>(buildNode(*m_selectedEntry));
    }
}

ClassNode ClassDiagram::buildNode(const model::SymbolEntry& entry)
{
    ClassNode top;
    struct Item {
        ClassNode* node;
        const model::SymbolEntry* entry;
        bool leaving;  // the entry's bases are done: it leaves the path
    };
    std::vector<Item> stack{{&top, &entry, false}};
    std::unordered_set<const model::SymbolEntry*> path;
    std::vector<const model::SymbolEntry*> baseEntries;
    while (!stack.empty()) {
        const Item item = stack.back();
        stack.pop_back();
        if (item.leaving) {
            path.erase(item.entry);
            continue;
        }
        ClassNode& node = *item.node;
        m_elementCount += fillBox(node.box, *item.entry);
        const model::ClassDetail* detail = baseListsOf(*item.entry);
        if (!detail || path.count(item.entry) > 0 || m_elementCount >= m_elementBudget) {
            continue;
        }
        path.insert(item.entry);
        stack.push_back({nullptr, item.entry, true});

        baseEntries.clear();
        const auto addBases = [&](const std::vector<model::BaseClassEntry>& list, model::Access access) {
            for (const model::BaseClassEntry& base : list) {
                baseEntries.push_back(&resolveBase(*item.entry, base.name));
                node.baseAccess.push_back(access);
                node.baseVirtual.push_back(base.isVirtual != 0);
            }
        };
        addBases(detail->publicBases, model::Access::Public);
        addBases(detail->protectedBases, model::Access::Protected);
        addBases(detail->privateBases, model::Access::Private);
        // The bases vector is complete before any pointer into it is kept.
        node.bases.resize(baseEntries.size());
        for (std::size_t i = baseEntries.size(); i-- > 0;) {
            stack.push_back({&node.bases[i], baseEntries[i], false});
        }
    }
    return top;
}

const model::SymbolEntry& ClassDiagram::resolveBase(const model::SymbolEntry& derived, const model::QualifiedName& name)
{
    const auto walk = [&](const model::SymbolEntry* scope) -> const model::SymbolEntry* {
        for (const std::string& component : name.scope) {
            scope = findChild(scope, component);
            if (!scope) {
                return nullptr;
            }
        }
        return findChild(scope, name.name);
    };
    const model::SymbolEntry* found = walk(derived.parent);
    if (!found) {
        found = walk(m_classRoot);
    }
    if (found) {
        return *found;
    }
    return m_placeholders.emplace_back(name.name, derived.kind, 0);
}

void ClassDiagram::measure(const draw::TextMetrics& metrics, const ThemeFonts& fonts)
{
    if (!m_root) {
        return;
    }
    const CompartmentLabels labels = measureLabels(metrics, fonts);
    visitPostOrder(*m_root, [&](ClassNode& node) {
        measureBox(node.box, metrics, fonts, labels, m_boxPadding);
        return false;
    });
}

draw::Point ClassDiagram::layout(draw::Point origin)
{
    if (!m_root) {
        return origin;
    }
    // Width of each subtree: the wider of its class box and the row of its bases' subtrees.
    std::unordered_map<const ClassNode*, Wide> rowWidths;
    std::unordered_map<const ClassNode*, Wide> subtreeWidths;
    visitPostOrder(*m_root, [&](ClassNode& node) {
        Wide row = 0;
        for (std::size_t i = 0; i < node.bases.size(); ++i) {
            row += subtreeWidths.at(&node.bases[i]) + (i > 0 ? kSiblingGap : 0);
        }
        row = clampCoordinate(row);
        rowWidths[&node] = row;
        subtreeWidths[&node] = std::max<Wide>(row, node.box.width);
        return false;
    });

    struct Frame {
        ClassNode* node;
        Wide x;
        Wide y;
        Wide c;       // where the next base subtree starts
        Wide bottom;  // lowest bottom of the base subtrees so far
        std::size_t next;
    };
    std::vector<Frame> stack;
    Wide right = 0;
    Wide bottom = 0;
    const auto place = [&](ClassBox& box, Wide x, Wide y) {
        placeBox(box, {clampCoordinate(x), clampCoordinate(y)}, m_boxPadding);
    };
    // Places a node without bases at once (true), or opens a frame for its bases (false).
    const auto enter = [&](ClassNode& node, Wide x, Wide y) {
        if (node.bases.empty()) {
            place(node.box, x, y);
            right = x + node.box.width;
            bottom = y + node.box.height;
            return true;
        }
        const Wide row = rowWidths.at(&node);
        const Wide start = x + (row < node.box.width ? (node.box.width - row) / 2 : 0);
        stack.push_back({&node, x, y, start, LLONG_MIN, 0});
        return false;
    };

    if (!enter(*m_root, origin.x, origin.y)) {
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (frame.next < frame.node->bases.size()) {
                if (frame.next > 0) {
                    frame.c += kSiblingGap;
                }
                ClassNode& base = frame.node->bases[frame.next++];
                if (enter(base, frame.c, frame.y)) {
                    frame.c = right;
                    frame.bottom = std::max(frame.bottom, bottom);
                }
                continue;
            }
            ClassBox& box = frame.node->box;
            const Wide top = frame.bottom + kLevelGap;
            if (rowWidths.at(frame.node) > box.width) {
                place(box, frame.x + (frame.c - frame.x - box.width) / 2, top);
                right = frame.c;
            } else {
                place(box, frame.x, top);
                right = frame.x + box.width;
            }
            bottom = top + box.height;
            stack.pop_back();
            if (!stack.empty()) {
                stack.back().c = right;
                stack.back().bottom = std::max(stack.back().bottom, bottom);
            }
        }
    }
    return {clampCoordinate(right), clampCoordinate(bottom)};
}

draw::Size ClassDiagram::measureAndLayout(const draw::TextMetrics& metrics, const ThemeFonts& fonts)
{
    measure(metrics, fonts);
    const draw::Point corner = layout(kOrigin);
    m_diagramSize = {clampCoordinate(Wide{corner.x} + kMargin), clampCoordinate(Wide{corner.y} + kMargin)};
    return m_diagramSize;
}

void ClassDiagram::paint(draw::Canvas& canvas, const Theme& theme) const
{
    if (!m_root) {
        return;
    }
    draw::ShapePainter painter(canvas, theme.colors.shadingType);
    visitPostOrder(*m_root, [&](const ClassNode& node) {
        for (std::size_t i = 0; i < node.bases.size(); ++i) {
            paintArrow(canvas, painter, node.bases[i].box, node.box, node.baseAccess[i], node.baseVirtual[i]);
        }
        paintBox(canvas, painter, node.box, theme, m_boxPadding);
        return false;
    });
}

ClassClick ClassDiagram::click(draw::Point point, ClickKind kind)
{
    ClassClick answer;
    if (m_root) {
        visitPostOrder(*m_root, [&](ClassNode& node) {
            answer = clickBox(node.box, point, kind);
            return answer.handled;
        });
    }
    return answer;
}

std::optional<draw::Size> ClassDiagram::draw(draw::Canvas& canvas, const draw::TextMetrics& metrics,
                                             const Theme& theme, DetailSelection& selection, bool remeasure)
{
    std::optional<draw::Size> size = prepare(metrics, theme, selection, remeasure);
    if (selection.entry) {
        paint(canvas, theme);
    }
    return size;
}

std::optional<draw::Size> ClassDiagram::prepare(const draw::TextMetrics& metrics, const Theme& theme,
                                                DetailSelection& selection, bool remeasure)
{
    const bool changed = selection.changed;
    if (changed) {
        setSelection(selection.entry, selection.classRoot);
        rebuild();
        m_boxPadding = kDefaultBoxPadding;
    }
    std::optional<draw::Size> size;
    if (changed || remeasure) {
        size = measureAndLayout(metrics, theme.fonts);
        selection.changed = false;
    }
    return size;
}

}  // namespace qm::macro
