// The steps of the macro diagram's layout: sorting sibling boxes, sizing every box (rows of boxes
// inside scopes, one column of members inside classes, structs and unions) and turning relative
// positions into absolute ones. Nothing here recurses on the depth of the box tree.
#pragma once

#include "draw/draw_types.h"
#include "macro/macro_box.h"
#include "macro/macro_diagram.h"

#include <vector>

namespace qm::macro {

// What sizing needs of the layout options.
struct FlowParams {
    int availableWidth = 0;  // W; below 0 counts as 0
    int unitSpace = 4;       // U; below 0 counts as 0
    bool fixedSize = true;
};

// Rank of a member's access for sorting by size: public 3, protected 2, private 1, read from the
// entry's first declaration (else first definition) when that is a variable, function, short
// declare or operator method; 0 otherwise.
int accessRank(const MacroBox& box);

// Whether `a` sorts before `b`: by entry kind; for Size then by child count, access rank, name;
// for Name then by name. Names compare byte-wise.
bool sortsBefore(const MacroBox& a, const MacroBox& b, MacroSortKey key);

// Sorts every sibling list of the tree (not stable).
void sortBoxes(std::vector<MacroBox>& boxes, MacroSortKey key);

// Whether boxes of this entry kind lay their children out as a member list (4, 5, 6).
constexpr bool isMemberListKind(std::int32_t kind) noexcept
{
    return kind == 4 || kind == 5 || kind == 6;
}

// Sizes `box` and everything below it. `depth` is the depth of the list that holds the box (0 for
// the top level). A class, struct or union lays out its children as a member list (content plus
// one pixel each way, memberList set); any other box as rows. Then width is the larger of the
// content width and titleWidth + 2 x inset, and height is titleHeight + content height + 2 x inset.
void sizeBox(MacroBox& box, int depth, const FlowParams& params);

// Rows of boxes with a gap G = 3U, boxes of one kind per row. Sizes every box of `list` first.
// The owner (none at the top level) gets a separator right under its title. Returns the content
// size: (right edge, G + last row height + last row y); (0, 0) for an empty list.
draw::Size flowLayout(std::vector<MacroBox>& list, MacroBox* owner, int depth, const FlowParams& params);

// One column of members with a gap G = U, a separator where the member group changes. Sizes every
// box of `list` first. Returns (right edge, G + last displayed height + last y); (0, 0) for an
// empty list.
draw::Size memberListLayout(std::vector<MacroBox>& list, MacroBox& owner, int depth, const FlowParams& params);

// Absolute positions from relative ones, top level from the origin, children of expanded boxes
// from their parent's content origin. With auto sort off, classes, structs, unions, namespaces,
// scope placeholders and group boxes keep their stored positions. Children of folded boxes are
// not visited.
void placeBoxes(std::vector<MacroBox>& boxes, bool autoSort);

}  // namespace qm::macro
