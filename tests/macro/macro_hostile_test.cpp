// Hostile sizes for the macro diagram: very many entries, very long names, very many members,
// scopes nested far deeper than a call stack could follow, and extents that would overflow.
#include "draw/recording_canvas.h"
#include "macro/macro_diagram.h"
#include "macro/macro_view.h"
#include "macro/macro_view_paint.h"
#include "macro_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

namespace qm::macro {
namespace {

using namespace testing;

std::size_t countBoxes(const std::vector<MacroBox>& boxes)
{
    std::size_t count = 0;
    visitBoxes(boxes, [&count](const MacroBox&) {
        ++count;
        return true;
    });
    return count;
}

TEST(MacroHostile, TwoHundredThousandEntriesBuildLayOutAndPaintOnlyWhatIsVisible)
{
    EntryTree table;
    for (int i = 0; i < 200000; ++i) {
        const std::string name = "e" + std::to_string(i);
        switch (i % 4) {
        case 0: table.add(name, NodeKind::Variable); break;
        case 1: table.add(name, NodeKind::Function); break;
        case 2: table.add(table.add(name, NodeKind::Class), "m", NodeKind::Variable); break;
        default: table.add(name, NodeKind::Namespace); break;
        }
    }
    MacroDiagram diagram;
    diagram.buildBoxes(table.root);
    EXPECT_EQ(countBoxes(diagram.boxes()), 200000u + 50000u + 2u);
    EXPECT_EQ(diagram.nextSequence(), 250002);
    diagram.measureBoxes(draw::FixedTextMetrics(6, 12), ThemeFonts{});
    diagram.setExpandedAll(true);
    MacroLayoutOptions options;
    options.availableWidth = 800;
    const draw::Size size = diagram.layout(options);
    EXPECT_GT(size.height, 10000);
    EXPECT_LE(size.width, 800 + 200);

    draw::RecordingCanvas canvas(draw::Rect{0, 0, 800, 600});
    std::vector<MacroBox*> drawList;
    paintBoxes(canvas, diagram.boxes(), Theme{}, drawList);
    // Only the few boxes on screen are collected and drawn.
    EXPECT_LT(drawList.size(), 2000u);
    EXPECT_LT(canvas.recordsOf(draw::Record::Op::Text).size(), 2000u);
}

TEST(MacroHostile, LongNamesAndFiveThousandMembers)
{
    EntryTree table;
    const std::string longName(10000, 'n');
    auto& k = table.add(longName, NodeKind::Class);
    for (int i = 0; i < 5000; ++i) {
        // Alternating member groups: a separator between every two members.
        table.add(k, (i % 2 ? "f" : "v") + std::to_string(i), i % 2 ? NodeKind::Function : NodeKind::Variable);
    }
    table.add(k, longName + "x", NodeKind::Variable);
    MacroDiagram diagram;
    diagram.buildBoxes(table.root);
    diagram.measureBoxes(draw::FixedTextMetrics(6, 12), ThemeFonts{});
    diagram.setExpandedAll(true);
    MacroLayoutOptions options;
    options.availableWidth = 1024;
    options.sortKey = MacroSortKey::Size;
    diagram.layout(options);
    const MacroBox& box = diagram.boxes()[0];
    EXPECT_EQ(box.titleWidth, 6 * 10000 + 4 + 12);
    EXPECT_EQ(box.children.size(), 5001u);
    // Sorted by kind: every variable, then every function: one separator between the groups.
    EXPECT_EQ(box.separators.size(), 2u);
    // The widest member (10001 characters) in its column, plus the member list's extra pixel.
    const int widest = 6 * 10001 + 4 + 2;
    EXPECT_EQ(box.width, (kInset + 4) + 4 + widest + kInset + 1);
    // 2501 variables then 2500 functions, each 18 high with a gap of 4 + 1 and one separator.
    EXPECT_EQ(box.children.back().relY, 10 + 5000 * (18 + 5) + 3);
}

TEST(MacroHostile, ScopesNestedAHundredThousandDeepNeedNoCallStack)
{
    EntryTree table;
    model::SymbolEntry* scope = &table.root;
    for (int i = 0; i < 100000; ++i) {
        scope = &table.add(*scope, "s", i % 2 ? NodeKind::ScopePlaceholder : NodeKind::Namespace);
    }
    auto& f = table.add(*scope, "f", NodeKind::Function);
    const auto& definition = table.define(f, NodeKind::Function);

    MacroViewHost host;
    DetailSelection selection;
    {
        MacroView view(host, selection);
        view.runFinished(&table.root);
        draw::RecordingCanvas canvas(draw::Rect{0, 0, 1000, 1000});
        const draw::FixedTextMetrics metrics(6, 12);
        view.unfoldAll();  // nothing built yet: nothing to unfold
        ASSERT_TRUE(view.drawDiagram(canvas, metrics, 1024));
        MacroDiagram& diagram = view.diagram();
        EXPECT_EQ(diagram.nextSequence(), 100001);
        diagram.setExpandedAll(true);
        view.setRelayoutPending();
        selection.definition = &definition;
        canvas.clear();
        ASSERT_TRUE(view.drawDiagram(canvas, metrics, 1024));
        ASSERT_NE(view.selectedBox(), nullptr);
        EXPECT_EQ(view.selectedBox()->entry, &f);
        EXPECT_GT(view.selectedBox()->y, 100000);
        diagram.renumberSubtree(diagram.boxes()[0]);
        EXPECT_EQ(diagram.nextSequence(), 2 * 100001);
    }  // the deep box tree is destroyed here, then the deep table
}

TEST(MacroHostile, HugeExtentsAreClampedInsteadOfOverflowing)
{
    EntryTree table;
    const std::string name(10000, 'w');
    for (int i = 0; i < 3000; ++i) table.add(table.add(name + std::to_string(i), NodeKind::Class), "m", NodeKind::Variable);
    MacroDiagram diagram;
    diagram.buildBoxes(table.root);
    diagram.measureBoxes(draw::FixedTextMetrics(1000, 1000), ThemeFonts{});
    diagram.setExpandedAll(true);
    MacroLayoutOptions options;
    options.availableWidth = INT_MAX;
    options.fixedSize = true;
    const draw::Size size = diagram.layout(options);
    EXPECT_EQ(size.width, kMaxCoordinate);
    EXPECT_TRUE(std::any_of(diagram.boxes().begin(), diagram.boxes().end(),
                            [](const MacroBox& box) { return box.relX == kMaxCoordinate; }));
    draw::RecordingCanvas canvas;
    std::vector<MacroBox*> drawList;
    paintBoxes(canvas, diagram.boxes(), Theme{}, drawList);
    EXPECT_EQ(drawList.size(), 6000u);
}

}  // namespace
}  // namespace qm::macro
