// ClassDiagram: the picture the detail view shows for a picked class or struct. The class sits at
// the bottom, its base classes in a row above it, their bases above them, joined by arrows that
// point up to the bases (green public, blue protected, red private; dotted for virtual bases).
// Each class is a ClassBox. Bases are looked up in the symbol table by name; a base that is not
// found is shown as an empty placeholder box with its name, and a base that leads back to a
// class already on the path from the picked class (an inheritance cycle) is shown without its
// bases. Inheritance chains are as deep as the input makes them, so every walk over the tree
// uses an explicit stack.
#pragma once

#include "draw/canvas.h"
#include "draw/text_metrics.h"
#include "macro/class_box.h"
#include "macro/detail_selection.h"
#include "macro/theme.h"
#include "model/symbol_table.h"

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace qm::macro {

// Arrow colours by the access of the base.
inline constexpr draw::Rgb kPublicBaseColor{0, 130, 0};
inline constexpr draw::Rgb kProtectedBaseColor{0, 0, 200};
inline constexpr draw::Rgb kPrivateBaseColor{200, 0, 0};
inline constexpr int kBaseArrowHalfSize = 6;

// The colour of the arrow to a base of that access.
draw::Rgb baseArrowColor(model::Access access) noexcept;

struct ClassNode {
    std::vector<ClassNode> bases;           // in base-list order: public, protected, private
    std::vector<model::Access> baseAccess;  // one per base
    std::vector<bool> baseVirtual;          // one per base: the base specifier had `virtual`
    ClassBox box;

    ClassNode() = default;
    ClassNode(ClassNode&&) noexcept = default;
    ClassNode& operator=(ClassNode&&) noexcept = default;
    ClassNode(const ClassNode&) = delete;
    ClassNode& operator=(const ClassNode&) = delete;
    // Takes the base tree apart with an explicit stack.
    ~ClassNode();
};

class ClassDiagram {
public:
    static constexpr int kDefaultBoxPadding = 2;
    static constexpr int kSiblingGap = 8;   // between neighbouring base subtrees
    static constexpr int kLevelGap = 32;    // between a row of bases and the class below it
    static constexpr draw::Point kOrigin{4, 4};
    static constexpr int kMargin = 12;      // added to the laid-out corner for the diagram size
    // Boxes and lines a rebuild makes before it stops expanding further bases. A lattice of
    // classes that each derive from the same two classes doubles with every level; past this
    // many elements the classes still to come are shown without their bases.
    static constexpr std::size_t kDefaultElementBudget = 200000;

    ClassDiagram();
    ~ClassDiagram();
    ClassDiagram(const ClassDiagram&) = delete;
    ClassDiagram& operator=(const ClassDiagram&) = delete;

    // The class shown and the root of the symbol table its bases are looked up in. Both must
    // outlive the tree (until the next rebuild).
    void setSelection(const model::SymbolEntry* selectedEntry, const model::SymbolEntry* classRoot);
    const model::SymbolEntry* selectedEntry() const noexcept { return m_selectedEntry; }
    const model::SymbolEntry* classRoot() const noexcept { return m_classRoot; }

    // Forgets the placeholders and the old tree and builds the tree of the selected entry (no
    // tree without one). Fold states start over.
    void rebuild();

    // Builds the node of `entry`: its bases (kinds 4 and 5 with a definition: the public, then
    // protected, then private bases of the first definition's class detail, each resolved and
    // built in turn) and its box. Stops expanding at classes already on the path.
    ClassNode buildNode(const model::SymbolEntry& entry);

    // The entry a base name of class `derived` stands for: the name's scope walked from the
    // class's enclosing entry, else from the class root, to the key (last component, 0); a name
    // without scope looked up in the enclosing entry's children, else the class root's. When
    // nothing is found, a placeholder entry with the last component as its name and the derived
    // class's kind.
    const model::SymbolEntry& resolveBase(const model::SymbolEntry& derived, const model::QualifiedName& name);

    // Measures the header labels and then every box of the tree, bases first.
    void measure(const draw::TextMetrics& metrics, const ThemeFonts& fonts);

    // Places the tree with its top left corner at `origin` and returns the bottom right corner
    // reached. Each class is centred under the row of its bases' subtrees, or the row under the
    // class when the class is wider.
    draw::Point layout(draw::Point origin);
    // measure, layout from kOrigin, and the diagram size (corner + kMargin each way).
    draw::Size measureAndLayout(const draw::TextMetrics& metrics, const ThemeFonts& fonts);
    draw::Size diagramSize() const noexcept { return m_diagramSize; }

    // Paints the tree: for each class first its bases, then the arrows to them, then its box.
    void paint(draw::Canvas& canvas, const Theme& theme) const;

    // A click at diagram point `point`: the first box under it (bases before their class,
    // nested boxes before their owner) takes it and toggles what lies under the point. When the
    // answer is handled the view measures again and repaints.
    ClassClick click(draw::Point point, ClickKind kind);

    // One paint of the detail view while it shows a class diagram. A changed selection is taken
    // over and rebuilt (and its changed flag cleared); a changed selection or `remeasure` (the
    // view's request after a handled click) measures and lays out again, and the new diagram
    // size is returned for the view's scroll range. The diagram is painted when the selection
    // has an entry.
    std::optional<draw::Size> draw(draw::Canvas& canvas, const draw::TextMetrics& metrics, const Theme& theme,
                                   DetailSelection& selection, bool remeasure);
    // The layout half of draw(), for a window that sets its scroll range before it paints.
    std::optional<draw::Size> prepare(const draw::TextMetrics& metrics, const Theme& theme,
                                      DetailSelection& selection, bool remeasure);

    const ClassNode* root() const noexcept { return m_root.get(); }
    ClassNode* root() noexcept { return m_root.get(); }
    const std::deque<model::SymbolEntry>& placeholders() const noexcept { return m_placeholders; }
    int boxPadding() const noexcept { return m_boxPadding; }
    void setBoxPadding(int padding) noexcept { m_boxPadding = padding; }
    // The most boxes and lines a rebuild makes before it stops expanding bases.
    void setElementBudget(std::size_t budget) noexcept { m_elementBudget = budget; }
    // Boxes and lines the last rebuild made.
    std::size_t elementCount() const noexcept { return m_elementCount; }

private:
    const model::SymbolEntry* m_selectedEntry = nullptr;
    const model::SymbolEntry* m_classRoot = nullptr;
    // Entries made for bases that were not found; a deque keeps their addresses.
    std::deque<model::SymbolEntry> m_placeholders;
    std::unique_ptr<ClassNode> m_root;
    int m_boxPadding = kDefaultBoxPadding;
    draw::Size m_diagramSize;
    std::size_t m_elementBudget = kDefaultElementBudget;
    std::size_t m_elementCount = 0;
};

}  // namespace qm::macro
