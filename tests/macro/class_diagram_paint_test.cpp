// Painting class diagrams on a recording canvas (flat theme, fixed 8 x 16 extents), and what
// single and double clicks toggle.
#include "class_test_support.h"

#include "draw/recording_canvas.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qm::macro {
namespace {

using model::Access;
using model::NodeKind;
using model::SymbolEntry;
using testing::buildAndLayout;
using testing::ParsedClasses;

Theme flatTheme()
{
    Theme theme;
    theme.colors.shadingType = 0;
    return theme;
}

std::vector<std::string> linesMatching(const draw::RecordingCanvas& canvas, std::string_view start)
{
    std::vector<std::string> out;
    for (const std::string& line : canvas.lines()) {
        if (line.rfind(start, 0) == 0) out.push_back(line);
    }
    return out;
}

TEST(ClassDiagramPaint, OneClassBoxInDrawingOrder)
{
    const ParsedClasses parsed("class A { public: int x; void f(int a); };");
    ClassDiagram diagram;
    buildAndLayout(diagram, parsed.at({"A"}), parsed.root);
    draw::RecordingCanvas canvas;
    diagram.paint(canvas, flatTheme());
    // Box at 4,4 167x90: border, title area, the two header bars, title, labels, lines, then
    // the fold markers and the two method toggles (all expanded and shown: hollow).
    EXPECT_EQ(canvas.text(),
              "rect 5,5 166x89 pen=solid:2:RGB(150,150,150) brush=null\n"
              "rect 6,6 26x18 pen=solid:1:RGB(204,255,102) brush=RGB(204,255,102)\n"
              "rect 6,24 163x18 pen=solid:1:RGB(255,250,243) brush=RGB(255,250,243)\n"
              "rect 6,58 163x18 pen=solid:1:RGB(232,240,248) brush=RGB(232,240,248)\n"
              "text 23,7 \"A\" font=Arial:10pt:bold color=RGB(0,0,0) bg=transparent\n"
              "text 23,25 \"Attributes\" font=Arial:10pt color=RGB(0,0,0) bg=transparent\n"
              "text 23,59 \"Methods\" font=Arial:10pt color=RGB(0,0,0) bg=transparent\n"
              "text 23,42 \"+ x\" font=Arial:10pt color=RGB(0,0,0) bg=transparent\n"
              "text 23,76 \"+ f\" font=Arial:10pt color=RGB(0,0,0) bg=transparent\n"
              "text 47,76 \" (int a)\" font=Arial:10pt color=RGB(0,0,255) bg=transparent\n"
              "text 113,76 \" : void\" font=Arial:10pt color=RGB(255,0,0) bg=transparent\n"
              "roundrect 9,9 13x13 corner=6x6 pen=solid:1:RGB(0,0,0) brush=null\n"
              "roundrect 8,26 14x14 corner=7x7 pen=solid:1:RGB(0,0,0) brush=null\n"
              "roundrect 8,60 14x14 corner=7x7 pen=solid:1:RGB(0,0,0) brush=null\n"
              "roundrect 96,60 14x14 corner=7x7 pen=solid:1:RGB(0,0,0) brush=null\n"
              "roundrect 112,60 14x14 corner=7x7 pen=solid:1:RGB(0,0,0) brush=null\n");
}

TEST(ClassDiagramPaint, HiddenParametersAndReturnTypesAndFoldedParts)
{
    const ParsedClasses parsed("class A { public: A(); int size(); void put(int v); int x; };");
    ClassDiagram diagram;
    buildAndLayout(diagram, parsed.at({"A"}), parsed.root);
    ClassBox& box = diagram.root()->box;
    box.showParameters = false;
    box.showReturnTypes = false;
    box.attributesPart.expanded = false;
    diagram.measureAndLayout(draw::FixedTextMetrics(8, 16), ThemeFonts{});
    draw::RecordingCanvas canvas;
    diagram.paint(canvas, flatTheme());
    std::vector<std::string> texts;
    for (const draw::Record& r : canvas.recordsOf(draw::Record::Op::Text)) texts.push_back(r.text);
    // An empty list is always shown; a constructor has no return type to hide; the folded
    // attributes show only their label.
    EXPECT_EQ(texts, (std::vector<std::string>{"A", "Attributes", "Methods", "+ A", " ()", "+ put", " (..)", " : ..",
                                               "+ size", " ()", " : .."}));
    // Filled markers: attributes folded, both method toggles off.
    EXPECT_EQ(canvas.recordsOf(draw::Record::Op::Ellipse).size(), 3u);

    // A folded box shows its title and a filled title marker only.
    box.expanded = false;
    diagram.measureAndLayout(draw::FixedTextMetrics(8, 16), ThemeFonts{});
    canvas.clear();
    diagram.paint(canvas, flatTheme());
    EXPECT_EQ(canvas.recordsOf(draw::Record::Op::Text).size(), 1u);
    EXPECT_EQ(linesMatching(canvas, "ellipse"),
              std::vector<std::string>{"ellipse 11,11 9x9 pen=solid:1:RGB(0,0,0) brush=RGB(0,0,0)"});
}

TEST(ClassDiagramPaint, ArrowsPointUpToTheBasesInTheColourOfTheirAccess)
{
    const ParsedClasses parsed("class B1 { int a; }; class B2 {}; class B3 {};\n"
                               "class D : public B1, protected virtual B2, private B3 {};\n"
                               "class Solo : public B2 {};\n");
    ClassDiagram diagram;
    buildAndLayout(diagram, parsed.at({"D"}), parsed.root);
    draw::RecordingCanvas canvas;
    diagram.paint(canvas, flatTheme());
    // B1 @4,4 102x56, B2 @114,4 22x22, B3 @144,4 22x22, D @78,92 14x22 (centre 85): each arrow
    // bends at the middle between the base's bottom + 6 and D's top.
    EXPECT_EQ(linesMatching(canvas, "polygon"),
              (std::vector<std::string>{
                  "polygon 49,66 55,60 61,66 pen=solid:1:RGB(0,130,0) brush=RGB(0,130,0)",
                  "polygon 119,32 125,26 131,32 pen=solid:1:RGB(0,0,200) brush=RGB(0,0,200)",
                  "polygon 149,32 155,26 161,32 pen=solid:1:RGB(200,0,0) brush=RGB(200,0,0)",
              }));
    EXPECT_EQ(linesMatching(canvas, "line"), (std::vector<std::string>{
                                                 "line 55,66 55,79 pen=solid:1:RGB(0,130,0)",
                                                 "line 55,79 85,79 pen=solid:1:RGB(0,130,0)",
                                                 "line 85,79 85,92 pen=solid:1:RGB(0,130,0)",
                                                 "line 125,32 125,62 pen=dot:1:RGB(0,0,200)",
                                                 "line 125,62 85,62 pen=dot:1:RGB(0,0,200)",
                                                 "line 85,62 85,92 pen=dot:1:RGB(0,0,200)",
                                                 "line 155,32 155,62 pen=solid:1:RGB(200,0,0)",
                                                 "line 155,62 85,62 pen=solid:1:RGB(200,0,0)",
                                                 "line 85,62 85,92 pen=solid:1:RGB(200,0,0)",
                                             }));
    // Bases are painted before the arrows, the class after them.
    const auto lines = canvas.lines();
    const auto firstPolygon = std::find_if(lines.begin(), lines.end(), [](auto& l) { return l.rfind("polygon", 0) == 0; });
    const auto titleD = std::find(lines.begin(), lines.end(),
                                  "text 81,95 \"D\" font=Arial:10pt:bold color=RGB(0,0,0) bg=transparent");
    const auto titleB3 = std::find_if(lines.begin(), lines.end(), [](auto& l) { return l.find("\"B3\"") != std::string::npos; });
    EXPECT_LT(titleB3, firstPolygon);
    EXPECT_LT(firstPolygon, titleD);
    EXPECT_NE(titleD, lines.end());

    // Centres less than 3 pixels apart: one straight line. Solo (38 wide) under B2 (22 wide):
    // B2 @12,4, centre 23; Solo @4,58, centre 23.
    buildAndLayout(diagram, parsed.at({"Solo"}), parsed.root);
    canvas.clear();
    diagram.paint(canvas, flatTheme());
    EXPECT_EQ(linesMatching(canvas, "line"), std::vector<std::string>{"line 23,32 23,58 pen=solid:1:RGB(0,130,0)"});
}

TEST(ClassDiagramPaint, PlaceholdersTakeTheDerivedColoursAndTheDefaultFont)
{
    const ParsedClasses parsed("struct S : Nowhere::Base {};");
    ClassDiagram diagram;
    buildAndLayout(diagram, parsed.at({"S"}), parsed.root);
    draw::RecordingCanvas canvas;
    diagram.paint(canvas, flatTheme());
    const auto lines = canvas.lines();
    // The placeholder comes first: struct border and fill, title in the default font.
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "rect 5,5 37x21 pen=solid:2:RGB(150,150,150) brush=null");
    EXPECT_EQ(lines[1], "rect 6,6 34x18 pen=solid:1:RGB(210,210,255) brush=RGB(210,210,255)");
    EXPECT_EQ(lines[2], "text 7,7 \"Base\" font=Arial:10pt color=RGB(0,0,0) bg=transparent");
}

TEST(ClassDiagramPaint, NestedBoxesAreDrawnInsideTheirOwnerOnlyWhenShown)
{
    const ParsedClasses parsed("struct Outer { struct In { int q; }; };");
    ClassDiagram diagram;
    buildAndLayout(diagram, parsed.at({"Outer"}), parsed.root);
    draw::RecordingCanvas canvas;
    diagram.paint(canvas, flatTheme());
    EXPECT_EQ(linesMatching(canvas, "text 25,45 \"In\"").size(), 1u);
    EXPECT_EQ(linesMatching(canvas, "text 25,80 \"+ q\"").size(), 1u);
    diagram.root()->box.etcPart.expanded = false;
    diagram.measureAndLayout(draw::FixedTextMetrics(8, 16), ThemeFonts{});
    canvas.clear();
    diagram.paint(canvas, flatTheme());
    EXPECT_TRUE(linesMatching(canvas, "text 25,45 \"In\"").empty());

    // Boxes outside the clip box are skipped whole.
    draw::RecordingCanvas clipped(draw::Rect{500, 500, 100, 100});
    diagram.paint(clipped, flatTheme());
    EXPECT_TRUE(clipped.lines().empty());
}

// Geometry of class A below (fixed 8 x 16): box 4,4 167x90, title 6,6 with a marker of 16,
// "Attributes" header 6,24 98x18, "Methods" header 6,58 122x18, marker 16.
class ClassDiagramClick : public ::testing::Test {
protected:
    void SetUp() override { buildAndLayout(diagram, parsed.at({"A"}), parsed.root); }
    ClassBox& box() { return diagram.root()->box; }
    ClassToggle single(int x, int y)
    {
        const ClassClick click = diagram.click({x, y}, ClickKind::Single);
        EXPECT_TRUE(click.handled);
        EXPECT_EQ(click.box, &box());
        return click.toggled;
    }

    ParsedClasses parsed{"class A { public: int x; void f(int a); };"};
    ClassDiagram diagram;
};

TEST_F(ClassDiagramClick, SingleClicksToggleTheSquaresUnderThePoint)
{
    EXPECT_EQ(single(7, 7), ClassToggle::Box);
    EXPECT_FALSE(box().expanded);
    // Folded: the compartments' squares are gone (their headers are not shown).
    EXPECT_EQ(single(7, 25), ClassToggle::None);
    EXPECT_EQ(single(7, 7), ClassToggle::Box);
    EXPECT_TRUE(box().expanded);

    EXPECT_EQ(single(21, 39), ClassToggle::Attributes);
    EXPECT_FALSE(box().attributesPart.expanded);
    EXPECT_EQ(single(22, 25), ClassToggle::None);  // edges do not count
    // Methods row 6..128 x 58..74: marker below x 22, parameters in (95, 111), returns in (111, 127).
    EXPECT_EQ(single(21, 59), ClassToggle::Methods);
    EXPECT_EQ(single(96, 73), ClassToggle::Parameters);
    EXPECT_EQ(single(110, 60), ClassToggle::Parameters);
    EXPECT_EQ(single(111, 60), ClassToggle::None);
    EXPECT_EQ(single(126, 60), ClassToggle::ReturnTypes);
    EXPECT_EQ(single(60, 60), ClassToggle::None);
    EXPECT_EQ(single(21, 74), ClassToggle::None);  // the row is as high as the marker
    // Folding the methods by their marker keeps the two toggles as they were.
    EXPECT_FALSE(box().methodsPart.expanded);
    EXPECT_TRUE(box().showParameters);
    EXPECT_FALSE(box().showReturnTypes);
    EXPECT_EQ(single(100, 50), ClassToggle::None);  // inside the box: handled all the same

    // Outside every box: not handled.
    EXPECT_FALSE(diagram.click({4, 50}, ClickKind::Single).handled);
    EXPECT_FALSE(diagram.click({171, 50}, ClickKind::Double).handled);
}

TEST_F(ClassDiagramClick, DoubleClicksToggleWholeRows)
{
    const auto twice = [&](int x, int y) { return diagram.click({x, y}, ClickKind::Double).toggled; };
    EXPECT_EQ(twice(160, 20), ClassToggle::Box);  // anywhere on the title row
    EXPECT_EQ(twice(160, 30), ClassToggle::None);
    EXPECT_EQ(twice(160, 20), ClassToggle::Box);
    EXPECT_EQ(twice(160, 30), ClassToggle::Attributes);
    EXPECT_FALSE(box().attributesPart.expanded);
    diagram.measureAndLayout(draw::FixedTextMetrics(8, 16), ThemeFonts{});
    // Methods header now at 6,42: a double click folds the methods and hides both lists.
    box().showParameters = false;
    EXPECT_EQ(twice(160, 50), ClassToggle::Methods);
    EXPECT_FALSE(box().methodsPart.expanded);
    EXPECT_FALSE(box().showParameters);
    EXPECT_FALSE(box().showReturnTypes);
    EXPECT_EQ(twice(160, 50), ClassToggle::Methods);
    EXPECT_TRUE(box().methodsPart.expanded && box().showParameters && box().showReturnTypes);
}

TEST(ClassDiagramClickOrder, BasesAndNestedBoxesTakeTheirPointsFirst)
{
    const ParsedClasses parsed("struct In { int q; };\n"
                               "struct Outer : In { struct In { int q; }; };\n");
    ClassDiagram diagram;
    buildAndLayout(diagram, parsed.at({"Outer"}), parsed.root);
    const ClassNode& root = *diagram.root();
    const ClassBox& base = root.bases[0].box;
    const ClassBox& nested = root.box.nested[0];
    // The base's title marker, then the nested box's title marker.
    ClassClick click = diagram.click({base.titleX + 1, base.titleY + 1}, ClickKind::Single);
    EXPECT_EQ(click.box, &base);
    EXPECT_EQ(click.toggled, ClassToggle::Box);
    click = diagram.click({nested.titleX + 1, nested.titleY + 1}, ClickKind::Single);
    EXPECT_EQ(click.box, &nested);
    EXPECT_FALSE(nested.expanded);
    // Folded "Etc.": the nested box no longer takes points; its owner does.
    diagram.root()->box.etcPart.expanded = false;
    click = diagram.click({nested.titleX + 1, nested.titleY + 1}, ClickKind::Single);
    EXPECT_EQ(click.box, &root.box);
}

TEST(ClassDiagramDraw, TheDetailViewsPaintRebuildsOnAChangedSelection)
{
    const ParsedClasses parsed("class B {}; class D : public B { int value; };");
    DetailSelection selection;
    selection.entry = &parsed.at({"D"});
    selection.classRoot = &parsed.root;
    selection.changed = true;
    selection.detailMode = DetailMode::ClassDiagram;
    ClassDiagram diagram;
    const draw::FixedTextMetrics metrics(8, 16);
    draw::RecordingCanvas canvas(draw::RecordingCanvas::kUnbounded, 32, &metrics);
    EXPECT_EQ(diagram.draw(canvas, metrics, flatTheme(), selection, false), (draw::Size{118, 126}));
    EXPECT_FALSE(selection.changed);
    EXPECT_FALSE(canvas.lines().empty());
    // Fold states live until the next rebuild; a click asks for a new measure.
    ASSERT_TRUE(diagram.click({7, 61}, ClickKind::Single).handled);
    EXPECT_FALSE(diagram.root()->box.expanded);
    EXPECT_EQ(diagram.draw(canvas, metrics, flatTheme(), selection, false), std::nullopt);
    EXPECT_EQ(diagram.draw(canvas, metrics, flatTheme(), selection, true), (draw::Size{118, 92}));
    selection.changed = true;
    diagram.draw(canvas, metrics, flatTheme(), selection, false);
    EXPECT_TRUE(diagram.root()->box.expanded);
    // Without an entry nothing is painted.
    selection.entry = nullptr;
    selection.changed = true;
    canvas.clear();
    EXPECT_EQ(diagram.draw(canvas, metrics, flatTheme(), selection, false), (draw::Size{16, 16}));
    EXPECT_TRUE(canvas.lines().empty());
}

}  // namespace
}  // namespace qm::macro
