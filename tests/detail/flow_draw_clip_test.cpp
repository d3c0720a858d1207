// Drawing only what meets the clip box, and hostile functions: a drawing with a clip box holds
// exactly the records of the whole drawing that reach into it, in the same order, and costs what
// the visible part holds; functions nested ten thousand deep, huge switches, jumps to nowhere and
// empty bodies draw without trouble.
#include "detail/flow_painter.h"

#include "flow_draw_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qm::detail {
namespace {

using namespace test_draw;
using draw::Record;
using draw::Rect;
using model::NodeKind;

constexpr int kCharWidth = 6;
constexpr int kLineHeight = 13;

// The pixels a record paints, as a rectangle; nothing for clip pushes and pops.
std::optional<Rect> extent(const Record& r)
{
    auto around = [](const std::vector<draw::Point>& points) {
        int l = points[0].x, t = points[0].y, rr = l, b = t;
        for (const draw::Point& p : points) {
            l = std::min(l, p.x), t = std::min(t, p.y), rr = std::max(rr, p.x), b = std::max(b, p.y);
        }
        return Rect::fromEdges(l, t, rr + 1, b + 1);
    };
    switch (r.op) {
    case Record::Op::Line:
    case Record::Op::Polygon:
    case Record::Op::Polyline: return around(r.points);
    case Record::Op::Text: {
        const Rect text{r.points[0].x, r.points[0].y, static_cast<int>(r.text.size()) * kCharWidth, kLineHeight};
        return r.textClip ? text.intersected(*r.textClip) : text;
    }
    case Record::Op::PushClip:
    case Record::Op::PopClip: return std::nullopt;
    default: return r.box;
    }
}

bool meets(const Rect& a, const Rect& b)
{
    return a.left < b.right() && b.left < a.right() && a.top < b.bottom() && b.top < a.bottom();
}

// Checks that `clipped` (drawn with clip box `clip`) is a subsequence of `whole` and holds every
// record of `whole` that paints inside the clip box.
void expectClippedDrawing(const std::vector<Record>& whole, const std::vector<Record>& clipped, const Rect& clip)
{
    std::size_t next = 0;
    std::size_t inside = 0;
    for (const Record& r : whole) {
        const std::optional<Rect> e = extent(r);
        const bool needed = e && !e->isEmpty() && meets(*e, clip);
        inside += needed;
        if (next < clipped.size() && clipped[next].str() == r.str()) {
            ++next;
        } else {
            ASSERT_FALSE(needed) << "missing in the clipped drawing: " << r.str();
        }
    }
    ASSERT_EQ(next, clipped.size()) << "not in the whole drawing: " << clipped[next].str();
    EXPECT_GT(inside, 0u);
}

TEST(FlowClip, AClippedDrawingIsTheWholeDrawingCutToTheClipBox)
{
    ParsedFunction f(generatedFunction(300));
    draw::FixedTextMetrics metrics(kCharWidth, kLineHeight);
    for (FlowScale scale : {4, 16}) {
        draw::RecordingCanvas whole(draw::RecordingCanvas::kUnbounded, 32, &metrics);
        paintFlowchart(whole, f.chart, scale);
        const Rect clips[] = {{0, 0, 1000, 800},     {137, 2011, 640, 480}, {-50, 4000, 300, 2000},
                              {250, 9001, 1000, 17}, {0, 15000, 2000, 100}};
        for (const Rect& clip : clips) {
            SCOPED_TRACE("scale " + std::to_string(scale) + ", clip at " + std::to_string(clip.left) + "," +
                         std::to_string(clip.top));
            draw::RecordingCanvas part(clip, 32, &metrics);
            paintFlowchart(part, f.chart, scale);
            expectClippedDrawing(whole.records(), part.records(), clip);
        }
    }
}

TEST(FlowClip, AClipOfAHugeFunctionCostsWhatItShows)
{
    ParsedFunction small(generatedFunction(100));
    ParsedFunction huge(generatedFunction(10000));
    ASSERT_GT(huge.chart.gridHeight(), 20 * small.chart.gridHeight() / 2);
    draw::FixedTextMetrics metrics(kCharWidth, kLineHeight);
    const Rect clip{0, 800, 1000, 800};
    draw::RecordingCanvas smallPart(clip, 32, &metrics);
    paintFlowchart(smallPart, small.chart, 4);
    const Rect hugeClip{0, 800 + 80 * (huge.chart.gridHeight() / 2), 1000, 800};
    draw::RecordingCanvas hugePart(hugeClip, 32, &metrics);
    paintFlowchart(hugePart, huge.chart, 4);
    // Both windows are full of the same kind of shapes; what lies outside does not count.
    EXPECT_LT(hugePart.records().size(), 3 * smallPart.records().size());

    // The plan finds a few dozen of the huge chart's thousands of items near the window.
    const FlowDrawPlan& plan = huge.chart.drawPlan();
    ASSERT_GT(plan.connectors().size(), 5000u);
    std::vector<std::uint32_t> ids;
    const int firstRow = hugeClip.top / 80;
    const CellBounds area{-1, 11, firstRow - 1, firstRow + 11};
    plan.connectorsIn(area, ids);
    EXPECT_LT(ids.size(), plan.connectors().size() / 20);
    plan.shapesIn(area, ids);
    EXPECT_LT(ids.size(), plan.shapes().size() / 20);
}

TEST(FlowHostile, NestedTenThousandLevelsDeep)
{
    // Parsed: the parser keeps what it can; whatever it keeps is drawn.
    std::string text = "void deep(int a)\n{\n";
    for (int i = 0; i < 10000; ++i) text += "if (a) {\n";
    text += "x();\n";
    for (int i = 0; i < 10000; ++i) text += "}\n";
    ParsedFunction parsed(text + "}\n");
    draw::RecordingCanvas top(Rect{0, 0, 1000, 800});
    paintFlowchart(top, parsed.chart, 4);
    EXPECT_FALSE(top.records().empty());

    // Built by hand: ten thousand loops inside each other, and ten thousand ifs.
    test_trees::StatementTrees t;
    model::AnalysisNode loops = t.stmt("x");
    model::AnalysisNode ifs = t.stmt("y");
    for (int i = 0; i < 10000; ++i) {
        model::AnalysisNode loop = t.withCondition(NodeKind::WhileStatement, "w", true);
        loop.children.push_back(std::move(loops));
        loops = std::move(loop);
        model::AnalysisNode branch = t.withCondition(NodeKind::IfStatement, "i", true);
        branch.children.push_back(std::move(ifs));
        ifs = std::move(branch);
    }
    for (model::AnalysisNode* body : {&loops, &ifs}) {
        const std::string innerText = body == &loops ? "\"x\"" : "\"y\"";
        const model::AnalysisNode function = t.function(std::move(*body), t.returnStmt());
        FlowchartBuilder builder;
        builder.build(function);
        Flowchart chart(builder.elements());
        chart.layout();
        EXPECT_GE(chart.drawPlan().connectors().size(), 10000u);
        EXPECT_GE(chart.drawPlan().shapes().size(), 10000u);
        chart.setScale(4);
        // The innermost statement, far down and to the right (loops) or left (ifs).
        const FlowElement* inner = &chart.elements()[0];
        while (!inner->children.empty()) inner = &inner->children[0];
        const Rect clip{static_cast<int>(inner->col) * 100 - 500, static_cast<int>(inner->row) * 80 - 400, 1000, 800};
        draw::FixedTextMetrics metrics(kCharWidth, kLineHeight);
        draw::RecordingCanvas canvas(clip, 32, &metrics);
        paintFlowchart(canvas, chart, 4, FlowHover{true, inner->cell(), false});
        EXPECT_NE(canvas.text().find(innerText), std::string::npos);
        EXPECT_NE(canvas.text().find("Statement(s)"), std::string::npos);
    }
}

TEST(FlowHostile, TwoThousandCasesAGotoToNowhereAndEmptyBodies)
{
    std::string text = "int sw(int a)\n{\n    switch (a) {\n";
    for (int i = 0; i < 2000; ++i) text += "    case " + std::to_string(i) + ": r(); break;\n";
    ParsedFunction sw(text + "    }\n    return 0;\n}\n");
    ASSERT_EQ(sw.chart.elements().at(0).children.size(), 2000u);
    // The far right end of the case row: the last cases, their labels and the edges into them.
    const FlowElement& last = sw.chart.elements()[0].children.back();
    const Rect clip{last.col * 100 - 300, 0, 400, 400};
    draw::FixedTextMetrics metrics(kCharWidth, kLineHeight);
    draw::RecordingCanvas canvas(clip, 32, &metrics);
    paintFlowchart(canvas, sw.chart, 4);
    EXPECT_NE(canvas.text().find("\"1999\""), std::string::npos);
    EXPECT_NE(canvas.text().find("\"1998\""), std::string::npos);
    EXPECT_EQ(canvas.text().find("\"1990\""), std::string::npos);

    // A goto whose label does not exist is connected to cell (0, 0).
    ParsedFunction nowhere("void g(int n)\n{\n    if (n) a();\n    goto nowhere;\n}\n");
    EXPECT_EQ(connectorsText(nowhere.chart), "no 1,1>0,0 Goto arrow\n"
                                             "yes 1,1>0,2 Stmt via arrow\n"
                                             "normal 0,2>0,0 Goto arrow\n");
    draw::RecordingCanvas drawn;
    paintFlowchart(drawn, nowhere.chart, 4);
    EXPECT_FALSE(linesStartingWith(drawn, "polygon 87,13 80,20 87,27").empty());  // into the corner cell

    // A body of preprocessing lines only, and a node that is no function at all: Start, End and
    // the edge between them.
    ParsedFunction directives("void p()\n{\n#define X 1\n#if A\n#endif\n#pragma once\n}\n");
    model::AnalysisNode notAFunction;
    notAFunction.kind = NodeKind::OverloadFunctionMethod;
    FlowchartBuilder builder;
    builder.build(notAFunction);
    Flowchart none(builder.elements());
    none.layout();
    for (Flowchart* chart : {&directives.chart, &none}) {
        draw::FixedTextMetrics fixed(kCharWidth, kLineHeight);
        draw::RecordingCanvas empty(draw::RecordingCanvas::kUnbounded, 8, &fixed);
        paintFlowchart(empty, *chart, 4);
        EXPECT_EQ(empty.text(), "ellipse 0,0 80x40 pen=solid:1:RGB(0,0,0) brush=RGB(240,200,200)\n"
                                "ellipse 0,80 80x40 pen=solid:1:RGB(0,0,0) brush=RGB(240,200,200)\n"
                                "line 40,40 40,80 pen=solid:1:RGB(0,0,0)\n"
                                "polygon 47,73 40,80 33,73 pen=solid:1:RGB(0,0,0) brush=RGB(255,255,255)\n"
                                "text 25,13 \"Start\" font=Arial:20cell color=RGB(0,0,0) bg=transparent\n"
                                "text 31,93 \"End\" font=Arial:20cell color=RGB(0,0,0) bg=transparent\n");
        EXPECT_EQ(chart->totalWidth(), 100);
        EXPECT_EQ(chart->totalHeight(), 160);
    }
}

}  // namespace
}  // namespace qm::detail
