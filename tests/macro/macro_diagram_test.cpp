// The macro diagram's box tree: building with group boxes, numbering, measuring with the theme's
// fonts, sorting by both keys, and exact layouts with fixed text extents.
#include "macro/macro_diagram.h"
#include "macro/macro_layout.h"
#include "macro/macro_view_paint.h"
#include "draw/recording_canvas.h"
#include "macro_test_support.h"

#include <gtest/gtest.h>

namespace qm::macro {
namespace {

using namespace testing;

// Every character is 6 pixels wide and every line 12 high: a title of n characters measures
// 6n + 4 by 16, and a box with children adds a marker of 12 to the width.
const draw::FixedTextMetrics kMetrics(6, 12);

MacroLayoutOptions options(int width = 1024, MacroSortKey key = MacroSortKey::Name, bool fixedSize = false,
                           bool autoSort = true)
{
    MacroLayoutOptions o;
    o.availableWidth = width;
    o.unitSpace = 4;
    o.sortKey = key;
    o.fixedSize = fixedSize;
    o.autoSort = autoSort;
    return o;
}

// namespace N { class C { int m; void k(); }; enum E; int v; void f(); void g(int); }  int top;
struct SampleTable : EntryTree {
    SampleTable()
    {
        auto& n = add("N", NodeKind::Namespace);
        define(n, NodeKind::Namespace);
        auto& c = add(n, "C", NodeKind::Class);
        define(c, NodeKind::Class);
        declare(add(c, "m", NodeKind::Variable), NodeKind::Variable, Access::Private);
        declare(add(c, "k", NodeKind::Function), NodeKind::Function, Access::Public);
        define(add(n, "E", NodeKind::Enum), NodeKind::Enum);
        declare(add(n, "v", NodeKind::Variable), NodeKind::Variable);
        define(add(n, "f", NodeKind::Function), NodeKind::Function);
        declare(add(n, "g", NodeKind::Function, 1), NodeKind::Function);
        declare(add("top", NodeKind::Variable), NodeKind::Variable);
    }
};

TEST(MacroDiagramBuild, GroupsVariablesAndFunctionsOutsideClassesAndNumbersInPreOrder)
{
    SampleTable table;
    MacroDiagram diagram;
    diagram.buildBoxes(table.root);
    EXPECT_EQ(outline(diagram.boxes()),
              "N 8\n"
              "  C 4\n"
              "    k 22\n"
              "    m 12\n"
              "  Global Variable(s) 63\n"
              "    E 7\n"
              "    v 12\n"
              "  Global Function(s) 64\n"
              "    f 22\n"
              "    g 22\n"
              "Global Variable(s) 63\n"
              "  top 12\n");
    std::vector<int> sequences;
    bool allNew = true;
    visitBoxes(diagram.boxes(), [&](const MacroBox& box) {
        sequences.push_back(box.sequence);
        allNew = allNew && !box.expanded && box.x == 0 && box.y == 0 && box.width == 0 && box.separators.empty();
        return true;
    });
    EXPECT_EQ(sequences, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(diagram.nextSequence(), 12);
    EXPECT_TRUE(allNew);
    // Both group boxes of every level share the diagram's two group entries.
    EXPECT_EQ(diagram.boxes()[1].entry, &diagram.variablesGroup());
    EXPECT_EQ(diagram.boxes()[0].children[2].entry, &diagram.functionsGroup());

    // A rebuild starts over.
    diagram.boxes()[0].expanded = true;
    diagram.buildBoxes(table.root);
    EXPECT_FALSE(diagram.boxes()[0].expanded);
    EXPECT_EQ(diagram.nextSequence(), 12);
}

TEST(MacroDiagramBuild, ParsedSourcesGroupPerScopeButNeverInsideClassesOrScopePlaceholders)
{
    const AnalysedText text("namespace ns { void b(); int a(int x); int var; enum Color { red }; }\n"
                            "class K { int x; void f(); };\n"
                            "void S::h() {}\n"
                            "int counter;\n");
    MacroDiagram diagram;
    diagram.buildBoxes(text.root);
    EXPECT_EQ(outline(diagram.boxes()),
              "K 4\n"
              "  f 22\n"
              "  x 21\n"
              "S 61\n"
              "  h 22\n"
              "ns 8\n"
              "  Global Variable(s) 63\n"
              "    Color 7\n"
              "    var 21\n"
              "  Global Function(s) 64\n"
              "    a 22\n"
              "    b 22\n"
              "Global Variable(s) 63\n"
              "  counter 21\n");

    // An empty result has no boxes and no size.
    const AnalysedText empty("");
    diagram.buildBoxes(empty.root);
    EXPECT_TRUE(diagram.boxes().empty());
    EXPECT_EQ(diagram.nextSequence(), 0);
    EXPECT_EQ(diagram.layout(options()), (draw::Size{0, 0}));
}

// Widths grow with the font's size, heights with boldness: the measured title tells which font
// a box was measured with.
class FontSizedMetrics final : public draw::TextMetrics {
public:
    draw::Size textSize(const draw::FontSpec& font, std::string_view text) const override
    {
        return {static_cast<int>(text.size()) * font.size, font.bold ? 20 : 10};
    }
    draw::FontInfo fontInfo(const draw::FontSpec&) const override { return {}; }
};

TEST(MacroDiagramMeasure, TitlesAreMeasuredWithTheFontThatPaintsThem)
{
    EntryTree table;
    auto& scope = table.add("S", NodeKind::ScopePlaceholder);      // a category without a font: default
    table.define(table.add(scope, "fn", NodeKind::Function), NodeKind::Function);  // function font
    auto& k = table.add("K", NodeKind::Class);                      // class font, bold
    table.define(k, NodeKind::Class);
    table.declare(table.add(k, "var", NodeKind::ShortDeclare), NodeKind::ShortDeclare);  // variable font
    table.declare(table.add("", NodeKind::Function), NodeKind::Function);                  // empty name
    ThemeFonts fonts;
    fonts.defaultFont.size = 3;
    fonts.fontFor(22).size = 5;
    fonts.fontFor(12).size = 7;
    fonts.fontFor(4).size = 2;

    MacroDiagram diagram;
    diagram.buildBoxes(table.root);
    diagram.measureBoxes(FontSizedMetrics(), fonts);
    // Titles grow by 2 x inset + 2 both ways; boxes with children add a marker of height - 4
    // to the title (the box's size is the title's before that, until the layout sizes it). The
    // group of functions is titled in the function font, as it is painted: a larger function
    // font would otherwise spill its title out of its bar.
    EXPECT_EQ(geometryTree(diagram.boxes()),
              "K rel=0,0 at=0,0 size=6x24 title=26x24 marker=20\n"
              "  var rel=0,0 at=0,0 size=25x14 title=25x14 marker=0\n"
              "S rel=0,0 at=0,0 size=7x14 title=17x14 marker=10\n"
              "  fn rel=0,0 at=0,0 size=14x14 title=14x14 marker=0\n"
              "Global Function(s) rel=0,0 at=0,0 size=94x14 title=104x14 marker=10\n"
              "   rel=0,0 at=0,0 size=0x10 title=0x10 marker=0\n");

    // Painted, every title is as wide as it was measured.
    diagram.setExpandedAll(true);
    MacroLayoutOptions layout;
    layout.availableWidth = 1024;
    diagram.layout(layout);
    Theme theme;
    theme.fonts = fonts;
    draw::RecordingCanvas canvas;
    std::vector<MacroBox*> drawList;
    paintBoxes(canvas, diagram.boxes(), theme, drawList);
    int titles = 0;
    visitBoxes(diagram.boxes(), [&](const MacroBox& box) {
        for (const draw::Record& text : canvas.recordsOf(draw::Record::Op::Text)) {
            if (box.entry && text.text == box.entry->name && !text.text.empty()) {
                EXPECT_EQ(FontSizedMetrics().textSize(text.font, text.text).width + 4, box.titleWidth - box.markerSize)
                    << text.text;
                ++titles;
            }
        }
        return true;
    });
    EXPECT_EQ(titles, 5);

    // A line too low for a marker gives none rather than a negative one.
    EntryTree flat;
    flat.add(flat.add("", NodeKind::Namespace), "x", NodeKind::Variable);
    diagram.buildBoxes(flat.root);
    diagram.measureBoxes(draw::FixedTextMetrics(6, 3), fonts);
    EXPECT_EQ(geometry(diagram.boxes()[0]), " rel=0,0 at=0,0 size=0x3 title=0x3 marker=0");
}

TEST(MacroDiagramLayout, FoldedAndUnfoldedSampleInRowsAndMemberLists)
{
    SampleTable table;
    MacroDiagram diagram;
    diagram.buildBoxes(table.root);
    diagram.measureBoxes(kMetrics, ThemeFonts{});
    EXPECT_EQ(diagram.layout(options()), (draw::Size{178, 70}));
    // Folded boxes are placed at the top level only; members sort by kind (variable first).
    EXPECT_EQ(geometryTree(diagram.boxes()),
              "N rel=13,13 at=13,13 size=152x117 title=22x16 marker=12 sep=0\n"
              "  C rel=13,13 at=0,0 size=24x73 title=22x16 marker=12 sep=0,31 list\n"
              "    m rel=5,10 at=0,0 size=12x18 title=10x16 marker=0\n"
              "    k rel=5,34 at=0,0 size=12x18 title=10x16 marker=0\n"
              "  Global Variable(s) rel=13,42 at=0,0 size=126x88 title=124x16 marker=12 sep=0\n"
              "    E rel=13,13 at=0,0 size=12x18 title=10x16 marker=0\n"
              "    v rel=13,42 at=0,0 size=12x18 title=10x16 marker=0\n"
              "  Global Function(s) rel=13,71 at=0,0 size=126x59 title=124x16 marker=12 sep=0\n"
              "    f rel=13,13 at=0,0 size=12x18 title=10x16 marker=0\n"
              "    g rel=38,13 at=0,0 size=12x18 title=10x16 marker=0\n"
              "Global Variable(s) rel=13,42 at=13,42 size=126x59 title=124x16 marker=12 sep=0\n"
              "  top rel=13,13 at=0,0 size=24x18 title=22x16 marker=0\n");

    diagram.setExpandedAll(true);
    EXPECT_EQ(diagram.layout(options()), (draw::Size{178, 398}));
    EXPECT_EQ(geometryTree(diagram.boxes()),
              "N rel=13,13 at=13,13 size=152x299 title=22x16 marker=12 sep=0 open\n"
              "  C rel=13,13 at=26,43 size=24x77 title=22x16 marker=12 sep=0,31 open list\n"
              "    m rel=5,10 at=31,70 size=12x18 title=10x16 marker=0 open\n"
              "    k rel=5,36 at=31,96 size=12x18 title=10x16 marker=0 open\n"
              "  Global Variable(s) rel=13,103 at=26,133 size=126x92 title=124x16 marker=12 sep=0 open\n"
              "    E rel=13,13 at=39,163 size=12x18 title=10x16 marker=0 open\n"
              "    v rel=13,44 at=39,194 size=12x18 title=10x16 marker=0 open\n"
              "  Global Function(s) rel=13,208 at=26,238 size=126x61 title=124x16 marker=12 sep=0 open\n"
              "    f rel=13,13 at=39,268 size=12x18 title=10x16 marker=0 open\n"
              "    g rel=38,13 at=64,268 size=12x18 title=10x16 marker=0 open\n"
              "Global Variable(s) rel=13,325 at=13,325 size=126x61 title=124x16 marker=12 sep=0 open\n"
              "  top rel=13,13 at=26,355 size=24x18 title=22x16 marker=0 open\n");
}

TEST(MacroDiagramLayout, AutoSortOffKeepsContainersWhereTheyAreAndChildrenFollowThem)
{
    SampleTable table;
    MacroDiagram diagram;
    diagram.buildBoxes(table.root);
    diagram.measureBoxes(kMetrics, ThemeFonts{});
    diagram.setExpandedAll(true);
    // New containers sit at the origin; the size is still that of the rows.
    EXPECT_EQ(diagram.layout(options(1024, MacroSortKey::Name, false, false)), (draw::Size{178, 398}));
    MacroBox& n = diagram.boxes()[0];
    EXPECT_EQ(geometry(n.children[0].children[0]), "m rel=5,10 at=5,27 size=12x18 title=10x16 marker=0 open");
    EXPECT_EQ(geometry(diagram.boxes()[1].children[0]), "top rel=13,13 at=13,30 size=24x18 title=22x16 marker=0 open");
    EXPECT_EQ(n.x, 0);
    EXPECT_EQ(n.children[1].y, 0);

    // A moved container keeps its place; a function box follows its group box.
    n.children[2].x = 200;
    n.children[2].y = 100;
    diagram.layout(options(1024, MacroSortKey::Name, false, false));
    EXPECT_EQ(n.children[2].x, 200);
    EXPECT_EQ(n.children[2].children[1].x, 200 + 38);
    EXPECT_EQ(n.children[2].children[1].y, 100 + 17 + 13);

    // With auto sort every box goes back to its row.
    diagram.layout(options());
    EXPECT_EQ(n.children[2].x, 26);
    EXPECT_EQ(n.children[2].children[1].y, 268);
}

TEST(MacroDiagramLayout, SortBySizeUsesChildCountThenAccessWhileSortByNameUsesNames)
{
    EntryTree table;
    auto& a = table.add("A", NodeKind::Class);
    table.add(a, "a1", NodeKind::Variable);
    table.add(a, "a2", NodeKind::Variable);
    auto& b = table.add("B", NodeKind::Class);
    table.add(b, "b1", NodeKind::Variable);
    table.add("Z", NodeKind::Class);
    auto& k = table.add("K", NodeKind::Struct);
    table.declare(table.add(k, "p", NodeKind::ShortDeclare), NodeKind::ShortDeclare, Access::Public);
    table.declare(table.add(k, "q", NodeKind::ShortDeclare), NodeKind::ShortDeclare, Access::Private);
    table.declare(table.add(k, "r", NodeKind::ShortDeclare), NodeKind::ShortDeclare, Access::Protected);
    table.declare(table.add(k, "o", NodeKind::Typedef), NodeKind::Typedef);

    MacroDiagram diagram;
    diagram.buildBoxes(table.root);
    diagram.measureBoxes(kMetrics, ThemeFonts{});
    diagram.layout(options(1024, MacroSortKey::Name));
    std::vector<std::string> names;
    for (const MacroBox& box : diagram.boxes()) names.push_back(box.entry->name);
    EXPECT_EQ(names, (std::vector<std::string>{"A", "B", "Z", "K"}));  // kind 4 before kind 5
    EXPECT_EQ(outline(diagram.boxes()[3].children), "o 14\np 21\nq 21\nr 21\n");

    diagram.layout(options(1024, MacroSortKey::Size));
    names.clear();
    for (const MacroBox& box : diagram.boxes()) names.push_back(box.entry->name);
    EXPECT_EQ(names, (std::vector<std::string>{"Z", "B", "A", "K"}));
    // private, protected, public; kinds still first.
    EXPECT_EQ(outline(diagram.boxes()[3].children), "o 14\nq 21\nr 21\np 21\n");
    EXPECT_EQ(accessRank(diagram.boxes()[3].children[3]), 3);
    EXPECT_EQ(accessRank(diagram.boxes()[3].children[0]), 0);
}

TEST(MacroDiagramLayout, SeparatorsFallBetweenMemberGroupsAndEmptyClassesStillGetAnInset)
{
    EntryTree table;
    auto& k = table.add("K", NodeKind::Struct);
    table.add(k, "a", NodeKind::Variable);
    table.add(k, "b", NodeKind::Enum);  // an enum counts as an attribute
    table.add(k, "f", NodeKind::Function);
    table.add("Empty", NodeKind::Class);
    MacroDiagram diagram;
    diagram.buildBoxes(table.root);
    diagram.measureBoxes(kMetrics, ThemeFonts{});
    diagram.layout(options());
    // Sorted by kind: b (7), a (12), f (22); one line before the function.
    const MacroBox& struct_ = diagram.boxes()[1];
    EXPECT_EQ(outline(struct_.children), "b 7\na 12\nf 22\n");
    EXPECT_EQ(struct_.separators, (std::vector<int>{0, 31 + 21}));
    EXPECT_EQ(struct_.children[2].relY, 55);

    // A class without members is as high as its title plus insets plus one (shown unfolded).
    const MacroBox& empty = diagram.boxes()[0];
    EXPECT_EQ(empty.entry->name, "Empty");
    EXPECT_TRUE(empty.memberList);
    EXPECT_EQ(empty.height, empty.titleHeight + 2 + 1);
    EXPECT_EQ(empty.width, empty.titleWidth + 2);
    EXPECT_TRUE(empty.separators.empty());
}

TEST(MacroDiagramLayout, FixedSizeSharesTheWidestSlotAndNarrowViewsStartNewRows)
{
    EntryTree table;
    table.add("a", NodeKind::Variable);
    table.add("bbbb", NodeKind::Variable);
    table.add("cc", NodeKind::Variable);
    MacroDiagram diagram;
    diagram.buildBoxes(table.root);
    diagram.measureBoxes(kMetrics, ThemeFonts{});
    diagram.setExpandedAll(true);
    const auto xs = [&] {
        std::vector<int> out;
        for (const MacroBox& box : diagram.boxes()[0].children) out.push_back(box.relX);
        return out;
    };

    diagram.layout(options(1024, MacroSortKey::Name, false));
    EXPECT_EQ(xs(), (std::vector<int>{13, 38, 81}));
    EXPECT_EQ(diagram.boxes()[0].width, 126);  // the title is wider than the row

    // Each slot is the widest box (30) plus 3U + inset; the boxes keep their own widths.
    diagram.layout(options(1024, MacroSortKey::Name, true));
    EXPECT_EQ(xs(), (std::vector<int>{13, 69, 125}));
    EXPECT_EQ(diagram.boxes()[0].width, 181);
    EXPECT_EQ(diagram.boxes()[0].children[1].width, 30);

    // A box that does not fit starts a new row, the first one too (one gap lower); the test
    // allows for the depth of the list (2 x 3U per level).
    diagram.layout(options(13 + 12 + 24, MacroSortKey::Name, false));
    EXPECT_EQ(diagram.boxes()[0].children[0].relY, 13);
    diagram.layout(options(13 + 12 + 24 - 1, MacroSortKey::Name, false));
    EXPECT_EQ(diagram.boxes()[0].children[0].relY, 26);
    diagram.layout(options(-5, MacroSortKey::Name, false));
    EXPECT_EQ(diagram.boxes()[0].relY, 26);
    EXPECT_EQ(diagram.boxes()[0].children[2].relY, 26 + 2 * (13 + 18));
}

}  // namespace
}  // namespace qm::macro
