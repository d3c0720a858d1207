// MacroBox: one box of the macro diagram (a namespace, class, function, variable, ... or one of
// the two group boxes), with its measured title, its laid-out size and position and its child
// boxes; and the two kind mappings the diagram uses: kindCategory (fonts, colours, grouping) and
// memberGroup (separators between the kinds of class members).
#pragma once

#include "model/symbol_table.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace qm::macro {

// The space between a box's edge and its title, and between its title and its content.
inline constexpr int kInset = 1;

// Coordinates and sizes are kept within ±kMaxCoordinate so that adding a size to a position
// never overflows, whatever the input: sums are computed wide and clamped to this range.
inline constexpr int kMaxCoordinate = 1 << 28;

// A wide value clamped into ±kMaxCoordinate.
constexpr int clampCoordinate(long long value) noexcept
{
    return value > kMaxCoordinate ? kMaxCoordinate : value < -kMaxCoordinate ? -kMaxCoordinate : static_cast<int>(value);
}

// The element category of a node kind: 11, 12, 15, 16, 17, 21 are variable-like (12); 22, 58,
// 59 function-like (22); 23 to 36 preprocessing (23); 37 to 57 statements (53); every other
// kind stands for itself (63 and 64, the group boxes, included).
std::int32_t kindCategory(std::int32_t kind) noexcept;
inline std::int32_t kindCategory(model::NodeKind kind) noexcept { return kindCategory(model::toInt(kind)); }

// The member group of a node kind inside a class body: struct and union count as class (4);
// enum, multiple declare, class/struct declare and short declare as variable (12); operator
// methods as function (22); every other kind stands for itself.
std::int32_t memberGroup(std::int32_t kind) noexcept;
inline std::int32_t memberGroup(model::NodeKind kind) noexcept { return memberGroup(model::toInt(kind)); }

struct MacroBox {
    // y offsets of horizontal separator lines from the top of the content area.
    std::vector<int> separators;
    // Top-left corner relative to the parent's content origin (top level: the diagram origin).
    int relX = 0;
    int relY = 0;
    // Absolute position in the diagram.
    int x = 0;
    int y = 0;
    // Side of the fold marker square at the title's left; 0 for a box without children.
    int markerSize = 0;
    // The title area: text plus inset, plus the marker in the width when there are children.
    int titleWidth = 0;
    int titleHeight = 0;
    // Size when expanded: title plus laid-out children plus inset.
    int width = 0;
    int height = 0;
    bool expanded = false;
    // Set by the layout on class, struct and union boxes: their children form a member list.
    bool memberList = false;
    // What the measuring and the layout need of the entry, taken when the box is made: sorting
    // and sizing a large diagram then read the boxes alone instead of following every box into
    // the scattered nodes of the symbol table. `rank` is the access rank that sorting by size
    // uses, filled in by that sort (kRankUnknown until then).
    static constexpr std::uint8_t kRankUnknown = 0xff;
    std::uint8_t rank = kRankUnknown;
    // Order of drawing and hit testing: higher is drawn later and hit first.
    int sequence = 0;
    // The entry's kind (0 without an entry).
    std::int32_t shownKind = 0;
    // The length of the entry's name; the characters are at `nameData`.
    std::uint32_t nameSize = 0;
    // The element shown; not owned. For group boxes one of the diagram's group entries.
    const model::SymbolEntry* entry = nullptr;
    // The entry's name: in the entry itself, or in a copy kept by the diagram that built the box.
    const char* nameData = nullptr;
    std::vector<MacroBox> children;

    MacroBox() = default;
    // A box showing `shown` (may be null); its name stays in the entry.
    explicit MacroBox(const model::SymbolEntry* shown);
    // A box showing `shown` whose name is the `size` characters at `name`, which must live as
    // long as the box.
    MacroBox(const model::SymbolEntry& shown, const char* name, std::size_t size);
    MacroBox(MacroBox&&) noexcept = default;
    MacroBox& operator=(MacroBox&&) noexcept = default;
    // Copies would copy whole subtrees; boxes are moved only.
    MacroBox(const MacroBox&) = delete;
    MacroBox& operator=(const MacroBox&) = delete;
    // Takes the subtree apart with an explicit stack: box trees nest as deeply as scopes do.
    ~MacroBox();

    bool hasChildren() const noexcept { return !children.empty(); }
    // `height` when expanded, else `titleHeight`.
    int displayedHeight() const noexcept { return expanded ? height : titleHeight; }
    std::int32_t kind() const noexcept { return shownKind; }
    std::string_view name() const noexcept { return {nameData ? nameData : "", nameSize}; }
};

// Visits every box of `boxes` and their descendants in pre-order (a box before its children,
// siblings in order) without recursion. `visit(box)` returns whether to descend into the box's
// children. Works on const and non-const box vectors alike.
template <typename BoxVector, typename Visit>
void visitBoxes(BoxVector& boxes, Visit visit)
{
    struct Frame {
        BoxVector* list;
        std::size_t next;
    };
    std::vector<Frame> stack{{&boxes, 0}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.list->size()) {
            stack.pop_back();
            continue;
        }
        auto& box = (*frame.list)[frame.next++];
        if (visit(box) && !box.children.empty()) {
            stack.push_back({&box.children, 0});
        }
    }
}

}  // namespace qm::macro
