// Building, numbering and measuring the box tree, and the layout's order of steps.
#include "macro/macro_diagram.h"

#include "macro/macro_layout.h"
#include "macro/macro_style.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <map>
#include <utility>

namespace qm::macro {

namespace {

// Kinds whose child boxes are all listed on their own, never gathered into groups.
bool keepsMembersApart(std::int32_t kind)
{
    return kind == 4 || kind == 5 || kind == 6 || kind == 61;
}

// Names are copied into blocks of this size; a name longer than a quarter of it gets a block of
// its own.
constexpr std::size_t kNameBlockSize = std::size_t{64} * 1024;

}  // namespace

MacroDiagram::MacroDiagram()
    : m_variablesGroup(std::make_unique<model::SymbolEntry>()),
      m_functionsGroup(std::make_unique<model::SymbolEntry>())
{
}

MacroDiagram::~MacroDiagram() = default;
MacroDiagram::MacroDiagram(MacroDiagram&&) noexcept = default;
MacroDiagram& MacroDiagram::operator=(MacroDiagram&&) noexcept = default;

const char* MacroDiagram::keepName(std::string_view name)
{
    if (name.empty()) {
        return nullptr;
    }
    char* copy = nullptr;
    if (name.size() > kNameBlockSize / 4) {
        m_nameBlocks.push_back(std::make_unique_for_overwrite<char[]>(name.size()));
        copy = m_nameBlocks.back().get();
    } else {
        if (name.size() > m_nameBlockFree) {
            m_nameBlocks.push_back(std::make_unique_for_overwrite<char[]>(kNameBlockSize));
            m_nameBlock = m_nameBlocks.back().get();
            m_nameBlockFree = kNameBlockSize;
        }
        copy = m_nameBlock;
        m_nameBlock += name.size();
        m_nameBlockFree -= name.size();
    }
    std::memcpy(copy, name.data(), name.size());
    return copy;
}

void MacroDiagram::buildBoxes(const model::SymbolEntry& root)
{
    m_variablesGroup->name = std::string(kGlobalVariablesName);
    m_variablesGroup->kind = model::NodeKind::GlobalVariableGroup;
    m_functionsGroup->name = std::string(kGlobalFunctionsName);
    m_functionsGroup->kind = model::NodeKind::GlobalFunctionGroup;
    clear();
    const auto makeBox = [this](const model::SymbolEntry& shown) {
        return MacroBox(shown, keepName(shown.name), shown.name.size());
    };

    // One frame per entry whose children are being turned into boxes. `box` is the entry's own
    // box (unused for the root); `result` collects what the entry produces.
    struct Frame {
        const model::SymbolEntry* entry;
        model::SymbolTable::Map::const_iterator next;
        model::SymbolTable::Map::const_iterator end;
        MacroBox box;
        std::vector<MacroBox> result;
        std::vector<MacroBox> variables;
        std::vector<MacroBox> functions;
    };
    const auto place = [](Frame& frame, MacroBox box) {
        if (keepsMembersApart(model::toInt(frame.entry->kind))) {
            frame.result.push_back(std::move(box));
            return;
        }
        const std::int32_t kind = box.kind();
        const std::int32_t category = kindCategory(kind);
        if (category == 12 || kind == model::toInt(model::NodeKind::Enum)) {
            frame.variables.push_back(std::move(box));
        } else if (category == 22) {
            frame.functions.push_back(std::move(box));
        } else {
            frame.result.push_back(std::move(box));
        }
    };
    const auto hasChildEntries = [](const model::SymbolEntry& entry) {
        return entry.children && !entry.children->empty();
    };

    std::vector<Frame> stack;
    if (hasChildEntries(root)) {
        stack.push_back(Frame{&root, root.children->begin(), root.children->end(), MacroBox{}, {}, {}, {}});
    }
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next != frame.end) {
            const model::SymbolEntry& child = frame.next->second;
            ++frame.next;
            if (frame.next != frame.end) {
                // The table's nodes lie scattered in memory: ask for the next entry while this
                // one is turned into a box, so that the two loads overlap.
                const char* next = reinterpret_cast<const char*>(&frame.next->second);
                __builtin_prefetch(next);
                __builtin_prefetch(next + 64);
                __builtin_prefetch(next + 128);
            }
            if (hasChildEntries(child)) {
                // `frame` is not used after this: the push may move it.
                stack.push_back(
                    Frame{&child, child.children->begin(), child.children->end(), makeBox(child), {}, {}, {}});
                if (keepsMembersApart(model::toInt(child.kind))) {
                    // Every child becomes a box of this list.
                    stack.back().result.reserve(child.children->size());
                }
            } else {
                place(frame, makeBox(child));
            }
            continue;
        }
        if (!frame.variables.empty()) {
            MacroBox group = makeBox(*m_variablesGroup);
            group.children = std::move(frame.variables);
            frame.result.push_back(std::move(group));
        }
        if (!frame.functions.empty()) {
            MacroBox group = makeBox(*m_functionsGroup);
            group.children = std::move(frame.functions);
            frame.result.push_back(std::move(group));
        }
        Frame done = std::move(frame);
        stack.pop_back();
        if (stack.empty()) {
            m_boxes = std::move(done.result);
        } else {
            done.box.children = std::move(done.result);
            place(stack.back(), std::move(done.box));
        }
    }
    numberBoxes();
}

void MacroDiagram::numberBoxes()
{
    int next = 0;
    visitBoxes(m_boxes, [&next](MacroBox& box) {
        box.sequence = next++;
        return true;
    });
    m_nextSequence = next;
}

void MacroDiagram::renumberSubtree(MacroBox& box)
{
    std::vector<MacroBox*> subtree;
    subtree.push_back(&box);
    visitBoxes(box.children, [&subtree](MacroBox& child) {
        subtree.push_back(&child);
        return true;
    });
    if (m_nextSequence > INT_MAX - static_cast<int>(std::min<std::size_t>(subtree.size(), INT_MAX / 2))) {
        // Numbers ran out after very many picks: number the whole tree afresh in its present
        // drawing order, which keeps every box's place relative to the others.
        std::vector<MacroBox*> all;
        visitBoxes(m_boxes, [&all](MacroBox& each) {
            all.push_back(&each);
            return true;
        });
        std::stable_sort(all.begin(), all.end(),
                         [](const MacroBox* a, const MacroBox* b) { return a->sequence < b->sequence; });
        int next = 0;
        for (MacroBox* each : all) {
            each->sequence = next++;
        }
        m_nextSequence = next;
    }
    for (MacroBox* each : subtree) {
        each->sequence = m_nextSequence++;
    }
}

void MacroDiagram::measureBoxes(const draw::TextMetrics& metrics, const ThemeFonts& fonts)
{
    // One font description per category, made once: large diagrams have few categories. The
    // common small categories are found through a table, any other one through the map.
    std::map<std::int32_t, draw::FontSpec> categoryFonts;
    std::array<const draw::FontSpec*, 128> smallCategoryFonts{};
    // Titles are measured with the font that paints them (macro_view_paint.cpp): their kind's
    // category font, for group boxes too. Measured with another font, a larger category font
    // would spill the title out of its bar.
    const auto fontFor = [&](const MacroBox& box) -> const draw::FontSpec& {
        const std::int32_t category = kindCategory(box.kind());
        const bool small = category >= 0 && category < static_cast<std::int32_t>(smallCategoryFonts.size());
        if (small && smallCategoryFonts[static_cast<std::size_t>(category)]) {
            return *smallCategoryFonts[static_cast<std::size_t>(category)];
        }
        auto found = categoryFonts.find(category);
        if (found == categoryFonts.end()) {
            found = categoryFonts.emplace(category, fontSpec(fonts.fontOf(category))).first;
        }
        if (small) {
            smallCategoryFonts[static_cast<std::size_t>(category)] = &found->second;
        }
        return found->second;
    };

    visitBoxes(m_boxes, [&](MacroBox& box) {
        draw::Size extent;
        if (box.entry) {
            extent = metrics.textSize(fontFor(box), box.name());
        }
        if (extent.width > 0 && extent.height > 0) {
            box.titleWidth = clampCoordinate(static_cast<long long>(extent.width) + 2 * kInset + 2);
            box.titleHeight = clampCoordinate(static_cast<long long>(extent.height) + 2 * kInset + 2);
        } else {
            box.titleWidth = clampCoordinate(extent.width);
            box.titleHeight = clampCoordinate(extent.height);
        }
        box.width = box.titleWidth;
        box.height = box.titleHeight;
        box.markerSize = 0;
        if (box.hasChildren()) {
            // A line height below 4 pixels leaves no room for a marker.
            box.markerSize = std::max(box.titleHeight - 4, 0);
            box.titleWidth = clampCoordinate(static_cast<long long>(box.titleWidth) + box.markerSize);
        }
        return true;
    });
}

draw::Size MacroDiagram::layout(const MacroLayoutOptions& options)
{
    sortBoxes(m_boxes, options.sortKey);
    const FlowParams params{options.availableWidth, options.unitSpace, options.fixedSize};
    const draw::Size size = flowLayout(m_boxes, nullptr, 0, params);
    placeBoxes(m_boxes, options.autoSort);
    return size;
}

void MacroDiagram::setExpandedAll(bool expanded)
{
    visitBoxes(m_boxes, [expanded](MacroBox& box) {
        box.expanded = expanded;
        return true;
    });
}

void MacroDiagram::clear()
{
    m_boxes.clear();
    m_nextSequence = 0;
    m_nameBlocks.clear();
    m_nameBlock = nullptr;
    m_nameBlockFree = 0;
}

}  // namespace qm::macro
