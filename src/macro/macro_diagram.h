// MacroDiagram: the whole analysed program as nested boxes. Built from the symbol table (global
// variables and functions of every scope outside classes gathered into two group boxes), numbered
// for drawing order, measured with the theme's fonts, then sorted, sized and placed.
//
// The calling order is build -> measure -> layout after a new analysis result, measure -> layout
// after a theme change, and layout alone after any other change.
#pragma once

#include "draw/draw_types.h"
#include "draw/text_metrics.h"
#include "macro/macro_box.h"
#include "macro/theme.h"
#include "model/symbol_table.h"

#include <memory>
#include <string_view>
#include <vector>

namespace qm::macro {

// The names of the two group boxes.
inline constexpr std::string_view kGlobalVariablesName = "Global Variable(s)";
inline constexpr std::string_view kGlobalFunctionsName = "Global Function(s)";

// The "Macro View Sort" setting: 0 sorts by size, 1 by name.
enum class MacroSortKey : int { Size = 0, Name = 1 };

// 0 is Size; every other value sorts by name.
constexpr MacroSortKey sortKeyFromSetting(int value) noexcept
{
    return value == 0 ? MacroSortKey::Size : MacroSortKey::Name;
}

struct MacroLayoutOptions {
    int availableWidth = 0;  // width of the view's client area; below 0 counts as 0
    int unitSpace = 4;       // the spacing unit U; below 0 counts as 0
    MacroSortKey sortKey = MacroSortKey::Name;
    bool fixedSize = true;   // "Fixed Size Arrange": boxes of one kind share a slot width
    bool autoSort = true;    // "Auto Sort": when off, containers keep their stored positions
};

class MacroDiagram {
public:
    MacroDiagram();
    ~MacroDiagram();
    // Moving keeps the group entries where they are, so boxes stay valid.
    MacroDiagram(MacroDiagram&&) noexcept;
    MacroDiagram& operator=(MacroDiagram&&) noexcept;
    MacroDiagram(const MacroDiagram&) = delete;
    MacroDiagram& operator=(const MacroDiagram&) = delete;

    // Replaces the box tree with one built from `root`'s table, then numbers it. One box per
    // entry, children in table order. Below classes, structs, unions and scope placeholders
    // (kinds 4, 5, 6, 61) every child is a box of its own; everywhere else the other elements
    // come first, then a "Global Variable(s)" box holding the variable-like entries and enums,
    // then a "Global Function(s)" box holding the function-like ones (each only when not empty).
    // Every new box is folded and at the origin.
    void buildBoxes(const model::SymbolEntry& root);

    // Gives every box its sequence in pre-order from 0; nextSequence() becomes the box count.
    void numberBoxes();

    // Measures every title: the font of the entry's category when it has a declaration or a
    // definition, else the default font. A non-empty extent grows by 2 x inset + 2 each way. The
    // box's width and height start as that title's (the layout replaces them); then a box with
    // children gets a marker of titleHeight - 4 (not below 0) added to its title width.
    void measureBoxes(const draw::TextMetrics& metrics, const ThemeFonts& fonts);

    // Sorts every sibling list, sizes every box, places the top level in rows and sets absolute
    // positions. Returns the diagram's size for the scroll range.
    draw::Size layout(const MacroLayoutOptions& options);

    // Expands (true) or folds (false) every box of the tree.
    void setExpandedAll(bool expanded);

    // Discards the box tree.
    void clear();

    std::vector<MacroBox>& boxes() noexcept { return m_boxes; }
    const std::vector<MacroBox>& boxes() const noexcept { return m_boxes; }

    // The next free sequence number; boxes picked later are renumbered from here.
    int nextSequence() const noexcept { return m_nextSequence; }
    // Numbers `box` and its subtree in pre-order from nextSequence() upwards, so that it is
    // drawn last and hit first.
    void renumberSubtree(MacroBox& box);

    const model::SymbolEntry& variablesGroup() const noexcept { return *m_variablesGroup; }
    const model::SymbolEntry& functionsGroup() const noexcept { return *m_functionsGroup; }

private:
    // Copies `name` into the diagram's name blocks; the copy lives until the next build or clear.
    const char* keepName(std::string_view name);

    std::vector<MacroBox> m_boxes;
    // The names of the boxes, copied next to each other in build order: sorting and measuring
    // read them from here rather than from the symbol table's scattered entries. Blocks never
    // move, so the boxes' name pointers survive a move of the diagram.
    std::vector<std::unique_ptr<char[]>> m_nameBlocks;
    char* m_nameBlock = nullptr;  // the block being filled
    std::size_t m_nameBlockFree = 0;
    int m_nextSequence = 0;
    // Held apart from the diagram object so that their addresses survive a move.
    std::unique_ptr<model::SymbolEntry> m_variablesGroup;
    std::unique_ptr<model::SymbolEntry> m_functionsGroup;
};

}  // namespace qm::macro
