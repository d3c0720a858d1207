// Class diagrams of hostile inputs: huge classes and names, inheritance chains and nested
// scopes thousands deep, long cycles, lattices whose trees double with every level, and very
// large symbol tables. Each is built, measured, laid out, painted, clicked and destroyed.
#include "class_test_support.h"

#include "draw/recording_canvas.h"

#include <gtest/gtest.h>

#include <string>

namespace qm::macro {
namespace {

using model::NodeKind;
using model::SymbolEntry;
using testing::baseDepth;
using testing::buildAndLayout;
using testing::ClassTable;
using testing::ParsedClasses;

// Paints on a canvas that shows only a small window of the diagram and returns the number of
// drawing calls; boxes and lines outside the window are skipped.
std::size_t paintWindow(const ClassDiagram& diagram, draw::Rect window)
{
    draw::RecordingCanvas canvas(window);
    Theme theme;
    theme.colors.shadingType = 0;
    diagram.paint(canvas, theme);
    return canvas.records().size();
}

TEST(ClassDiagramHostile, ThousandsOfMembersAndNamesOfTenThousandCharacters)
{
    ClassTable table;
    const std::string longName(10000, 'n');
    SymbolEntry& big = table.addClass(table.root, longName, {longName + "Base"});
    for (int i = 0; i < 5000; ++i) {
        const std::string name = "m" + std::to_string(100000 + i);
        table.add(big, name, i % 3 == 0 ? NodeKind::Variable : i % 3 == 1 ? NodeKind::Function : NodeKind::Struct);
    }
    table.add(big, longName + "v", NodeKind::Variable);
    ClassDiagram diagram;
    buildAndLayout(diagram, big, table.root);
    const ClassBox& box = diagram.root()->box;
    EXPECT_EQ(box.attributes.size(), 1668u);
    EXPECT_EQ(box.methods.size(), 1667u);
    EXPECT_EQ(box.nested.size(), 1666u);
    // The widest line is "+ " and 10,001 characters: 10,003 x 8, indented by the label height.
    EXPECT_EQ(box.attributesPart.widestLine, 80024);
    EXPECT_EQ(box.innerWidth, 18 + 80024 - 1);
    EXPECT_EQ(box.height, 18 + 4 + 3 * 18 + 1668 * 16 + 1667 * 16 + 1666 * 22);
    // The placeholder base keeps its long name.
    EXPECT_EQ(diagram.root()->bases[0].box.entry->name.size(), 10004u);

    // Painting a window of the picture draws a few calls, not one per member.
    EXPECT_LT(paintWindow(diagram, {0, box.y, 400, 300}), 200u);
    EXPECT_GT(paintWindow(diagram, {0, box.y, 400, 300}), 10u);
    const ClassClick click = diagram.click({box.x + 5, box.y + box.height - 5}, ClickKind::Double);
    EXPECT_TRUE(click.handled);
}

TEST(ClassDiagramHostile, InheritanceChainsThousandsDeep)
{
    constexpr int kDepth = 3000;
    std::string text = "class C0 { int x; };\n";
    for (int i = 1; i < kDepth; ++i) {
        text += "class C" + std::to_string(i) + " : public C" + std::to_string(i - 1) + " { int v" +
                std::to_string(i) + "; };\n";
    }
    const ParsedClasses parsed(text);
    ClassDiagram diagram;
    buildAndLayout(diagram, parsed.at({"C" + std::to_string(kDepth - 1)}), parsed.root);
    const ClassNode& root = *diagram.root();
    EXPECT_EQ(baseDepth(root), kDepth - 1);
    // Every level is 56 high with a gap of 32 below it.
    EXPECT_EQ(root.box.y, 4 + (kDepth - 1) * (56 + 32));
    EXPECT_EQ(diagram.diagramSize().height, root.box.y + 56 + 12);
    EXPECT_GT(paintWindow(diagram, {0, root.box.y - 100, 300, 200}), 0u);
    EXPECT_EQ(diagram.click({6, 6}, ClickKind::Single).toggled, ClassToggle::None);
    EXPECT_EQ(diagram.click({7, 7}, ClickKind::Single).toggled, ClassToggle::Box);

    // A ring of classes: the chain stops where it would come back to the picked class.
    std::string ring;
    for (int i = 0; i < kDepth; ++i) {
        ring += "class R" + std::to_string(i) + " : public R" + std::to_string((i + 1) % kDepth) + " {};\n";
    }
    const ParsedClasses ringParsed(ring);
    buildAndLayout(diagram, ringParsed.at({"R0"}), ringParsed.root);
    EXPECT_EQ(baseDepth(*diagram.root()), kDepth);
}

TEST(ClassDiagramHostile, ScopesNestedThousandsDeepInsideOneClass)
{
    ClassTable table;
    SymbolEntry& top = table.addClass(table.root, "Top");
    SymbolEntry* scope = &top;
    for (int i = 0; i < 5000; ++i) {
        scope = &table.add(*scope, "S", NodeKind::Struct);
        table.add(*scope, "x", NodeKind::Variable);
    }
    ClassDiagram diagram;
    buildAndLayout(diagram, top, table.root);
    int depth = 0;
    const ClassBox* box = &diagram.root()->box;
    while (!box->nested.empty()) {
        box = &box->nested.front();
        ++depth;
    }
    EXPECT_EQ(depth, 5000);
    // Each level is the level below it plus the label height less one, plus the padding.
    EXPECT_EQ(diagram.root()->box.innerWidth, box->innerWidth + 5000 * (18 - 1 + 4));
    EXPECT_EQ(diagram.click({box->titleX + 1, box->titleY + 1}, ClickKind::Single).box, box);
    EXPECT_GT(paintWindow(diagram, {0, box->y, 100, 100}), 0u);
}

TEST(ClassDiagramHostile, LatticesThatDoubleWithEveryLevelStopAtTheBudget)
{
    // Two classes per level, each deriving from both classes of the level above: the tree of
    // the bottom class would have 2^41 boxes.
    ClassTable table;
    table.addClass(table.root, "A0");
    table.addClass(table.root, "B0");
    for (int level = 1; level <= 40; ++level) {
        const std::vector<std::string> above{"A" + std::to_string(level - 1), "B" + std::to_string(level - 1)};
        table.addClass(table.root, "A" + std::to_string(level), above);
        table.addClass(table.root, "B" + std::to_string(level), above);
    }
    const SymbolEntry& bottom = *table.root.children->find("A40", 0);
    ClassDiagram diagram;
    diagram.setElementBudget(5000);
    buildAndLayout(diagram, bottom, table.root);
    EXPECT_GE(diagram.elementCount(), 5000u);
    EXPECT_LE(diagram.elementCount(), 5000u + 2 * 41);
    // The first path is followed all the way up before the budget runs out.
    EXPECT_EQ(baseDepth(*diagram.root()), 40);

    ClassDiagram unlimited;
    buildAndLayout(unlimited, bottom, table.root);
    EXPECT_LE(unlimited.elementCount(), ClassDiagram::kDefaultElementBudget + 2 * 41);
    EXPECT_GT(paintWindow(unlimited, {0, 0, 500, 500}), 0u);
}

TEST(ClassDiagramHostile, TwoHundredThousandEntries)
{
    ClassTable table;
    for (int i = 0; i < 100000; ++i) {
        table.add(table.root, "g" + std::to_string(i), NodeKind::Variable);
    }
    table.addClass(table.root, "Base");
    SymbolEntry& big = table.addClass(table.root, "Big", {"Base", "g99999", "Missing"});
    for (int i = 0; i < 100000; ++i) {
        table.add(big, "f" + std::to_string(i), NodeKind::Function, i % 4);
    }
    ClassDiagram diagram;
    buildAndLayout(diagram, big, table.root);
    const ClassNode& root = *diagram.root();
    EXPECT_EQ(root.box.methods.size(), 100000u);
    ASSERT_EQ(root.bases.size(), 3u);
    EXPECT_EQ(root.bases[1].box.entry, table.root.children->find("g99999", 0));
    EXPECT_EQ(diagram.placeholders().size(), 1u);
    EXPECT_LT(paintWindow(diagram, {0, root.box.y, 300, 300}), 200u);
}

}  // namespace
}  // namespace qm::macro
