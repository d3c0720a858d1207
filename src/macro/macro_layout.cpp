// Sorting, sizing and placing the boxes of the macro diagram. Sums are taken in 64 bits and
// clamped when stored, so that huge names or many boxes cannot overflow a coordinate.
#include "macro/macro_layout.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace qm::macro {

namespace {

using Wide = long long;

std::int32_t kindOf(const MacroBox& box)
{
    return box.kind();
}

// Buffers that the row layout reuses from one list to the next.
struct FlowScratch {
    std::vector<Wide> slots;
    std::vector<std::pair<std::int32_t, Wide>> widest;  // the widest slot of each kind
};

// Sorts one sibling list (not stable).
void sortList(std::vector<MacroBox>& list, MacroSortKey key)
{
    if (key == MacroSortKey::Size) {
        // Each rank is read from the entry once, not in every comparison.
        for (MacroBox& box : list) {
            if (box.rank == MacroBox::kRankUnknown) {
                box.rank = static_cast<std::uint8_t>(accessRank(box));
            }
        }
    }
    std::sort(list.begin(), list.end(),
              [key](const MacroBox& a, const MacroBox& b) { return sortsBefore(a, b, key); });
}

// The row layout of a list whose boxes are already sized.
draw::Size placeFlow(std::vector<MacroBox>& list, MacroBox* owner, int depth, const FlowParams& params,
                     FlowScratch& scratch)
{
    if (list.empty()) {
        return {};
    }
    if (owner) {
        owner->separators.assign(1, 0);
    }
    const Wide gap = 3 * Wide{std::max(params.unitSpace, 0)};
    const Wide available = std::max(params.availableWidth, 0);
    const Wide depthGap = 2 * gap * depth;

    // Slot widths: each box's own width, or with fixed size the widest box of its kind (plus a
    // gap and the inset) for every box of that kind. A list holds few kinds, so they are looked
    // up in a short list; the scratch vectors are kept from list to list.
    std::vector<Wide>& slots = scratch.slots;
    slots.assign(list.size(), 0);
    if (params.fixedSize) {
        std::vector<std::pair<std::int32_t, Wide>>& widest = scratch.widest;
        widest.clear();
        const auto widestOf = [&widest](std::int32_t kind) -> Wide& {
            for (auto& [each, width] : widest) {
                if (each == kind) {
                    return width;
                }
            }
            return widest.emplace_back(kind, 0).second;
        };
        for (const MacroBox& box : list) {
            Wide& slot = widestOf(kindOf(box));
            slot = std::max(slot, gap + box.width + kInset);
        }
        for (std::size_t i = 0; i < list.size(); ++i) {
            slots[i] = widestOf(kindOf(list[i]));
        }
    } else {
        for (std::size_t i = 0; i < list.size(); ++i) {
            slots[i] = list[i].width;
        }
    }

    Wide x = kInset + gap;
    Wide y = kInset + gap;
    Wide rowHeight = 0;
    Wide right = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        MacroBox& box = list[i];
        const bool tooWide = available < x + slots[i] + depthGap;
        const bool kindChanges = i > 0 && kindOf(box) != kindOf(list[i - 1]);
        if (tooWide || kindChanges) {
            x = kInset + gap;
            y += kInset + gap + rowHeight;
            rowHeight = 0;
        }
        box.relX = clampCoordinate(x);
        box.relY = clampCoordinate(y);
        x += kInset + gap + slots[i];
        right = std::max(right, x);
        rowHeight = std::max<Wide>(rowHeight, box.displayedHeight());
    }
    return {clampCoordinate(right), clampCoordinate(gap + rowHeight + y)};
}

// The member column of a list whose boxes are already sized.
draw::Size placeMemberList(std::vector<MacroBox>& list, MacroBox& owner, const FlowParams& params)
{
    if (list.empty()) {
        return {};
    }
    owner.separators.assign(1, 0);
    const Wide gap = std::max(params.unitSpace, 0);
    const Wide x = kInset + gap;
    Wide y = kInset + gap;
    Wide previousDisplayed = 0;
    Wide right = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        MacroBox& box = list[i];
        if (i > 0 && memberGroup(kindOf(list[i - 1])) != memberGroup(kindOf(box))) {
            // The line sits half a gap under the previous member's full height, folded or not.
            owner.separators.push_back(clampCoordinate(y + list[i - 1].height + gap / 2 + 1));
            y += kInset + 2;
        }
        y += kInset + gap + previousDisplayed;
        box.relX = clampCoordinate(x);
        box.relY = clampCoordinate(y);
        right = std::max(right, x + gap + box.width + kInset);
        previousDisplayed = std::max(box.displayedHeight(), 0);
    }
    return {clampCoordinate(right), clampCoordinate(gap + previousDisplayed + y)};
}

// The size of a box whose children are already sized.
void finishBox(MacroBox& box, int depth, const FlowParams& params, FlowScratch& scratch)
{
    Wide contentWidth = 0;
    Wide contentHeight = 0;
    if (isMemberListKind(kindOf(box))) {
        const draw::Size content = placeMemberList(box.children, box, params);
        contentWidth = Wide{content.width} + 1;
        contentHeight = Wide{content.height} + 1;
        box.memberList = true;
    } else {
        const draw::Size content = placeFlow(box.children, &box, depth + 1, params, scratch);
        contentWidth = content.width;
        contentHeight = content.height;
    }
    box.width = clampCoordinate(std::max(contentWidth, Wide{box.titleWidth} + 2 * kInset));
    box.height = clampCoordinate(Wide{box.titleHeight} + contentHeight + 2 * kInset);
}

struct SizeFrame {
    MacroBox* box;
    int depth;  // of the list that holds the box
    bool childrenSized;
};

// Sizes the boxes of `stack` and everything below them, children before parents, with an
// explicit stack.
void sizeSubtrees(std::vector<SizeFrame> stack, const FlowParams& params, FlowScratch& scratch)
{
    while (!stack.empty()) {
        const SizeFrame frame = stack.back();
        if (!frame.childrenSized) {
            stack.back().childrenSized = true;
            for (MacroBox& child : frame.box->children) {
                stack.push_back({&child, frame.depth + 1, false});
            }
            continue;
        }
        stack.pop_back();
        finishBox(*frame.box, frame.depth, params, scratch);
    }
}

void sizeList(std::vector<MacroBox>& list, int depth, const FlowParams& params, FlowScratch& scratch)
{
    std::vector<SizeFrame> stack;
    stack.reserve(list.size());
    for (MacroBox& box : list) {
        stack.push_back({&box, depth, false});
    }
    sizeSubtrees(std::move(stack), params, scratch);
}

bool isFixedContainer(std::int32_t kind)
{
    switch (kind) {
    case 4:
    case 5:
    case 6:
    case 8:
    case 61:
    case 63:
    case 64:
        return true;
    default:
        return false;
    }
}

}  // namespace

int accessRank(const MacroBox& box)
{
    if (!box.entry) {
        return 0;
    }
    const model::SymbolEntry& entry = *box.entry;
    const model::AnalysisNode* node = !entry.declarations.empty()  ? entry.declarations.front()
                                      : !entry.definitions.empty() ? entry.definitions.front()
                                                                   : nullptr;
    if (!node) {
        return 0;
    }
    switch (node->kind) {
    case model::NodeKind::Variable:
    case model::NodeKind::Function:
    case model::NodeKind::ShortDeclare:
    case model::NodeKind::OverloadMethod:
        break;
    default:
        return 0;
    }
    switch (model::accessOf(*node)) {
    case model::Access::Public:
        return 3;
    case model::Access::Protected:
        return 2;
    case model::Access::Private:
        return 1;
    default:
        return 0;
    }
}

namespace {

// The access rank kept in the box, or read from the entry when the box has none yet.
int rankOf(const MacroBox& box)
{
    return box.rank != MacroBox::kRankUnknown ? box.rank : accessRank(box);
}

}  // namespace

bool sortsBefore(const MacroBox& a, const MacroBox& b, MacroSortKey key)
{
    if (kindOf(a) != kindOf(b)) {
        return kindOf(a) < kindOf(b);
    }
    if (key == MacroSortKey::Size) {
        if (a.children.size() != b.children.size()) {
            return a.children.size() < b.children.size();
        }
        const int rankA = rankOf(a);
        const int rankB = rankOf(b);
        if (rankA != rankB) {
            return rankA < rankB;
        }
    }
    // The names' characters compare as unsigned bytes.
    return a.name() < b.name();
}

void sortBoxes(std::vector<MacroBox>& boxes, MacroSortKey key)
{
    std::vector<std::vector<MacroBox>*> pending{&boxes};
    while (!pending.empty()) {
        std::vector<MacroBox>& list = *pending.back();
        pending.pop_back();
        sortList(list, key);
        for (MacroBox& box : list) {
            if (!box.children.empty()) {
                pending.push_back(&box.children);
            }
        }
    }
}

void sizeBox(MacroBox& box, int depth, const FlowParams& params)
{
    FlowScratch scratch;
    sizeSubtrees({{&box, depth, false}}, params, scratch);
}

draw::Size flowLayout(std::vector<MacroBox>& list, MacroBox* owner, int depth, const FlowParams& params)
{
    FlowScratch scratch;
    sizeList(list, depth, params, scratch);
    return placeFlow(list, owner, depth, params, scratch);
}

draw::Size memberListLayout(std::vector<MacroBox>& list, MacroBox& owner, int depth, const FlowParams& params)
{
    FlowScratch scratch;
    sizeList(list, depth, params, scratch);
    return placeMemberList(list, owner, params);
}

void placeBoxes(std::vector<MacroBox>& boxes, bool autoSort)
{
    struct Frame {
        MacroBox* box;
        Wide originX;
        Wide originY;
    };
    std::vector<Frame> stack;
    stack.reserve(boxes.size());
    for (MacroBox& box : boxes) {
        stack.push_back({&box, 0, 0});
    }
    while (!stack.empty()) {
        const Frame frame = stack.back();
        stack.pop_back();
        MacroBox& box = *frame.box;
        if (autoSort || !isFixedContainer(kindOf(box))) {
            box.x = clampCoordinate(frame.originX + box.relX);
            box.y = clampCoordinate(frame.originY + box.relY);
        }
        if (box.expanded) {
            const Wide childY = Wide{box.y} + box.titleHeight + kInset;
            for (MacroBox& child : box.children) {
                stack.push_back({&child, box.x, childY});
            }
        }
    }
}

}  // namespace qm::macro
