// The detail box of the hovered shape: its lines by kind, where it goes (beside the shape, below
// or above it in the last column, left of it while the right button is held), how it is drawn,
// and the source lines the hovered statement covers.
#include "detail/flow_detail_popup.h"
#include "detail/flow_painter.h"

#include "flow_draw_support.h"

#include <gtest/gtest.h>

namespace qm::detail {
namespace {

using namespace test_draw;
using Lines = std::vector<std::string>;

TEST(FlowDetailPopup, LinesByKind)
{
    ParsedFunction f("int f(int n)\n{\n    if (n > 2) a(); else if (n) b();\n"
                     "    for (int i = 0; i < n; i++) c();\n    while (n) n--;\n    do { n++; } while (n < 9);\n"
                     "    switch (n) { case 1: x = 1;\n        y = 2; }\n    return n;\n}\n");
    const FlowElementList& e = f.chart.elements();
    ASSERT_EQ(e.size(), 7u);
    EXPECT_EQ(detailPopupLines(e[0]), (Lines{"If Statement", "n > 2"}));
    EXPECT_EQ(detailPopupLines(e[1]), (Lines{"Else if Statement", "n"}));
    EXPECT_EQ(detailPopupLines(e[2]), (Lines{"For Statement", "int i = 0 ;", "i < n ;", "i ++"}));
    EXPECT_EQ(detailPopupLines(e[3]), (Lines{"While Statement", "n"}));
    EXPECT_EQ(detailPopupLines(e[4]), (Lines{"Do-While Statement", "n < 9"}));
    EXPECT_EQ(detailPopupLines(e[5]), (Lines{"Switch Statement", "n"}));
    EXPECT_EQ(detailPopupLines(e[5].children[0].children[0]), (Lines{"Statement(s)", "x = 1 ;", "y = 2 ;"}));
    EXPECT_EQ(detailPopupLines(e[5].children[0]), (Lines{"Nothing"}));  // a case
    EXPECT_EQ(detailPopupLines(e[6]), (Lines{"Nothing"}));              // a return

    ParsedFunction t("void f()\n{\n    try {\n        a();\n    } catch (const E& e) {\n    }\n}\n");
    const FlowElement& tryElement = t.chart.elements().at(0);
    ASSERT_EQ(tryElement.children.size(), 2u);
    EXPECT_EQ(detailPopupLines(tryElement), (Lines{"Try Statement"}));
    EXPECT_EQ(detailPopupLines(tryElement.children[0]), (Lines{"Try Block"}));
    EXPECT_EQ(detailPopupLines(tryElement.children[1]), (Lines{"Catch Statement", "const E & e"}));
    EXPECT_EQ(sourceLinesOf(tryElement.children[1]), (SourceLineRange{5, 5}));

    // The statement run covers lines 7 and 8; an element whose node has no tokens covers none.
    EXPECT_EQ(sourceLinesOf(e[5].children[0].children[0]), (SourceLineRange{7, 8}));
    EXPECT_EQ(sourceLinesOf(e[0]), (SourceLineRange{3, 3}));
    model::AnalysisNode empty;
    FlowElement bare(empty);
    EXPECT_EQ(sourceLinesOf(bare), std::nullopt);
}

TEST(FlowDetailPopup, PlacementBesideBelowAboveAndLeft)
{
    const FlowGeometry g{FlowScaleParameters{}};  // scale 4: cells 100 x 80, boxes 80 x 40
    // Beside the shape, in the next column.
    EXPECT_EQ(detailPopupOrigin({2, 3}, false, g, 6, 9, 50), (draw::Point{300, 240}));
    // In the last column: one row down, or one row up when the row is gridHeight - 2.
    EXPECT_EQ(detailPopupOrigin({5, 3}, false, g, 6, 9, 50), (draw::Point{500, 320}));
    EXPECT_EQ(detailPopupOrigin({5, 7}, false, g, 6, 9, 50), (draw::Point{500, 480}));
    // A chart one column wide keeps the box beside the shape.
    EXPECT_EQ(detailPopupOrigin({0, 3}, false, g, 1, 9, 50), (draw::Point{100, 240}));
    // Anchored: the box (50 + 8 wide) ends at the right edge of the previous column's box...
    EXPECT_EQ(detailPopupOrigin({2, 3}, true, g, 6, 9, 50), (draw::Point{200 + 80 - 100 - 58, 240}));
    // ...but starts no further left than 0.
    EXPECT_EQ(detailPopupOrigin({0, 3}, true, g, 6, 9, 50), (draw::Point{0, 240}));
}

TEST(FlowDetailPopup, DrawnForTheHoveredShapeOnly)
{
    ParsedFunction f("void f(int n)\n{\n    if (n) a();\n    b(); c();\n}\n");
    draw::FixedTextMetrics metrics(6, 13);
    draw::RecordingCanvas canvas(draw::RecordingCanvas::kUnbounded, 8, &metrics);
    // Nothing under the mouse, the origin cell, an empty cell: no box.
    EXPECT_EQ(paintFlowchart(canvas, f.chart, 4, FlowHover{false, {1, 1}, false}), nullptr);
    EXPECT_EQ(paintFlowchart(canvas, f.chart, 4, FlowHover{true, {0, 0}, false}), nullptr);
    EXPECT_EQ(paintFlowchart(canvas, f.chart, 4, FlowHover{true, {0, 3}, false}), nullptr);

    const FlowElement& run = f.chart.elements()[1];
    ASSERT_EQ(run.cell(), (FlowCell{1, 3}));
    canvas.clear();
    EXPECT_EQ(paintFlowchart(canvas, f.chart, 16, FlowHover{true, {1, 3}, false}), &run);
    // At scale 16 (cells 220 x 160) the chart is two columns wide: the box goes one row down.
    // Lines "Statement(s)" 72 wide, "b ( ) ;" and "c ( ) ;": a box of 80 x 49 at (220, 640).
    const std::vector<std::string> lines = canvas.lines();
    const auto box = std::find(lines.begin(), lines.end(),
                               "rect 220,640 80x49 pen=solid:1:RGB(220,240,220) brush=RGB(220,240,220)");
    ASSERT_NE(box, lines.end());
    EXPECT_EQ(std::vector<std::string>(box + 1, lines.end()),
              (std::vector<std::string>{
                  "text 224,644 \"Statement(s)\" font=Arial:18cell color=RGB(0,0,200) bg=transparent",
                  "text 224,659 \"b ( ) ;\" font=Arial:18cell color=RGB(0,0,0) bg=transparent",
                  "text 224,672 \"c ( ) ;\" font=Arial:18cell color=RGB(0,0,0) bg=transparent",
              }));
    EXPECT_EQ(canvas.backgroundMode(), draw::BackgroundMode::Opaque);

    // The popup is drawn at scale 1 too, where the chart has no other text.
    canvas.clear();
    EXPECT_EQ(paintFlowchart(canvas, f.chart, 1, FlowHover{true, {1, 1}, true}), &f.chart.elements()[0]);
    EXPECT_EQ(linesStartingWith(canvas, "text").size(), 2u);
}

}  // namespace
}  // namespace qm::detail
