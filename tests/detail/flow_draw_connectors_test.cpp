// Connectors of flowcharts: the route each rule gives in pixels, the connectors a walk over
// representative functions produces (cells, style, routing kind), and the recorded drawing of one
// function from terminals to texts.
#include "detail/flow_connector_route.h"
#include "detail/flow_painter.h"

#include "flow_draw_support.h"

#include <gtest/gtest.h>

namespace qm::detail {
namespace {

using namespace test_draw;
using draw::ArrowDirection;
using model::NodeKind;

// "80,20 150,20 >R150,20": the corners, then the arrow head's direction and apex.
std::string routeText(const FlowConnector& connector)
{
    FlowScaleParameters scale4;  // cells 100 x 80, boxes 80 x 40, gap 10
    const ConnectorRoute route = routeConnector(connector, FlowGeometry(scale4));
    std::string out;
    for (const draw::Point& p : route.points) out += std::to_string(p.x) + "," + std::to_string(p.y) + " ";
    if (route.arrow) {
        static const char* const directions = "UDLR";
        out += std::string(">") + directions[static_cast<int>(route.arrow->direction)] +
               std::to_string(route.arrow->apex.x) + "," + std::to_string(route.arrow->apex.y);
    }
    return out;
}

FlowConnector connector(FlowCell from, FlowCell to, ConnectorStyle style, NodeKind kind, bool viaSide, bool arrow)
{
    return FlowConnector{from, to, style, kind, viaSide, arrow, std::nullopt};
}

TEST(FlowConnectorRoute, EveryRuleAtScaleFour)
{
    const auto back = ConnectorStyle::Back;
    const auto normal = ConnectorStyle::Normal;
    const auto none = NodeKind::Unknown;
    // Back edges: along the row into the top box; down the gap and right into the end box;
    // nothing when the target is not to the right.
    EXPECT_EQ(routeText(connector({0, 2}, {1, 2}, back, NodeKind::ForStatement, false, true)), "90,180 100,180 >R100,180");
    EXPECT_EQ(routeText(connector({0, 2}, {1, 5}, back, NodeKind::ForStatement, false, false)), "89,180 89,420 100,420 ");
    EXPECT_EQ(routeText(connector({2, 2}, {1, 5}, back, NodeKind::ForStatement, false, true)), "");
    // Jumps leave by the right side and always get a head; into the left side of a target to the
    // right, else into its right side.
    EXPECT_EQ(routeText(connector({1, 3}, {2, 6}, normal, NodeKind::BreakStatement, false, false)),
              "180,260 191,260 191,500 200,500 >R200,500");
    EXPECT_EQ(routeText(connector({1, 3}, {1, 6}, normal, NodeKind::ReturnStatement, false, false)),
              "180,260 191,260 191,500 180,500 >L180,500");
    EXPECT_EQ(routeText(connector({2, 5}, {0, 1}, ConnectorStyle::Yes, NodeKind::GotoStatement, true, true)),
              "280,420 291,420 291,100 80,100 >L80,100");
    // A continue goes down to its loop's end box: half a gap left of its source, across the gap
    // above the end box and into its top. Up to the Start terminal (outside any loop) it runs
    // up the gap left of its source.
    EXPECT_EQ(routeText(connector({1, 3}, {1, 6}, ConnectorStyle::Yes, NodeKind::ContinueStatement, true, true)),
              "100,260 95,260 95,475 140,475 140,480 >D140,480");
    EXPECT_EQ(routeText(connector({2, 3}, {1, 6}, normal, NodeKind::ContinueStatement, false, false)),
              "200,260 195,260 195,475 140,475 140,480 >D140,480");
    EXPECT_EQ(routeText(connector({1, 4}, {1, 2}, normal, NodeKind::ContinueStatement, false, false)),
              "100,340 89,340 89,180 100,180 >R100,180");
    EXPECT_EQ(routeText(connector({2, 4}, {1, 2}, normal, NodeKind::ContinueStatement, false, false)),
              "200,340 189,340 189,180 180,180 >L180,180");
    // Passing a column by: right along the row, down (or up) the gap right of that column, into
    // the side of the target that faces the gap; the head only when asked for.
    FlowConnector around = connector({1, 1}, {1, 4}, ConnectorStyle::No, NodeKind::ExpressionStatement, false, true);
    around.besideColumn = 3;
    EXPECT_EQ(routeText(around), "180,100 391,100 391,340 180,340 >L180,340");
    around.to = {5, 0};
    around.arrow = false;
    EXPECT_EQ(routeText(around), "180,100 391,100 391,20 500,20 ");
    // Everything else: straight down, straight across, via the side, up the gap left of a target
    // above, or down-across-down; heads only when asked for.
    EXPECT_EQ(routeText(connector({1, 1}, {1, 1}, normal, none, false, true)), "");
    EXPECT_EQ(routeText(connector({1, 1}, {1, 2}, normal, none, false, true)), "140,120 140,160 >D140,160");
    EXPECT_EQ(routeText(connector({1, 1}, {1, 2}, normal, none, false, false)), "140,120 140,160 ");
    EXPECT_EQ(routeText(connector({0, 2}, {2, 2}, normal, NodeKind::CaseStatement, true, true)), "80,180 200,180 >R200,180");
    EXPECT_EQ(routeText(connector({1, 1}, {3, 2}, ConnectorStyle::No, NodeKind::ElseIfStatement, true, true)),
              "180,100 340,100 340,160 >D340,160");
    EXPECT_EQ(routeText(connector({1, 1}, {0, 2}, ConnectorStyle::Yes, NodeKind::ExpressionStatement, true, true)),
              "100,100 40,100 40,160 >D40,160");
    EXPECT_EQ(routeText(connector({0, 3}, {2, 2}, normal, NodeKind::CaseStatement, false, true)),
              "80,260 189,260 189,180 200,180 >R200,180");
    EXPECT_EQ(routeText(connector({0, 2}, {1, 3}, normal, NodeKind::ElseStatement, false, true)),
              "40,200 40,230 140,230 140,240 >D140,240");
}

TEST(FlowConnectorPens, StylesChooseThePenAndBlackComesBack)
{
    ParsedFunction f("void f() { a(); }");
    f.chart.setScale(4);
    draw::RecordingCanvas canvas;
    FlowPainter painter(canvas, f.chart);
    const NodeKind kinds[] = {NodeKind::ExpressionStatement, NodeKind::ReturnStatement, NodeKind::ExpressionStatement,
                              NodeKind::ExpressionStatement, NodeKind::ForStatement};
    const ConnectorStyle styles[] = {ConnectorStyle::Normal, ConnectorStyle::Normal, ConnectorStyle::Yes,
                                     ConnectorStyle::No, ConnectorStyle::Back};
    const char* const pens[] = {"RGB(0,0,0)", "RGB(128,128,0)", "RGB(0,128,0)", "RGB(128,0,0)", "RGB(0,0,128)"};
    for (int i = 0; i < 5; ++i) {
        canvas.clear();
        painter.drawConnector(connector({0, 1}, {1, 2}, styles[i], kinds[i], false, true));
        ASSERT_FALSE(canvas.records().empty()) << i;
        for (const draw::Record& r : canvas.records()) {
            EXPECT_EQ(draw::toString(r.pen.color), pens[i]) << r.str();
        }
        // Heads are filled with the white brush of the drawing.
        const auto heads = canvas.recordsOf(draw::Record::Op::Polygon);
        for (const draw::Record& head : heads) EXPECT_EQ(head.brush, draw::Brush::solid(draw::kWhite));
        EXPECT_EQ(canvas.pen(), draw::Pen::solid(draw::kBlack)) << i;
    }
}

TEST(FlowDrawPlan, LoopsWithBreakContinueAndDoWhile)
{
    ParsedFunction f("int f(int n)\n{\n    int s = 0;\n    for (int i = 0; i < n; ++i) {\n"
                     "        if (i == 3) continue;\n        if (i == 7) break;\n        s += i;\n    }\n"
                     "    do {\n        s--;\n    } while (s > 10);\n    while (s) s = g(s);\n    return s;\n}\n");
    EXPECT_EQ(connectorsText(f.chart), "normal 1,1>1,2 For arrow\n"
                                       // the for body, entered from the top box
                                       "normal 1,2>1,3 If via arrow\n"
                                       "no 1,3>1,4 If arrow\n"
                                       "yes 1,3>1,6 Continue via arrow\n"  // to the end box, where the step runs
                                       "no 1,4>1,5 Stmt arrow\n"
                                       "yes 1,4>1,6 Break via arrow\n"  // to the end box
                                       "normal 1,5>1,6 Do arrow\n"
                                       // out of the end box, then the back edge in column 0
                                       "normal 1,6>1,7 Do via arrow\n"
                                       "back 0,2>1,2 For arrow\n"
                                       "back 0,2>1,6 For\n"
                                       "normal 1,7>1,8 Stmt via arrow\n"
                                       "normal 1,8>1,9 While arrow\n"
                                       "normal 1,9>1,10 While via arrow\n"
                                       "back 0,7>1,7 Do arrow\n"
                                       "back 0,7>1,9 Do\n"
                                       "normal 1,10>1,11 Stmt via arrow\n"
                                       "normal 1,11>1,12 Return arrow\n"
                                       "normal 1,12>1,13 Return via arrow\n"
                                       "back 0,10>1,10 While arrow\n"
                                       "back 0,10>1,12 While\n");
}

TEST(FlowDrawPlan, SwitchWithFallThroughBreakGotoAndElseIfChain)
{
    ParsedFunction sw("int f(int n)\n{\n    switch (n) {\n    case 1:\n    case 2: one(); break;\n"
                      "    case 3: three();\n    default: other(); goto done;\n    }\n"
                      "    if (n) return 1;\n    n++;\ndone:\n    n--;\n    return n;\n}\n");
    EXPECT_EQ(connectorsText(sw.chart), "normal 3,1>0,2 Case via arrow\n"
                                        "normal 0,2>2,2 Case arrow\n"  // an empty case falls through
                                        "normal 3,1>2,2 Case via arrow\n"
                                        "normal 2,2>2,3 Stmt arrow\n"
                                        "normal 2,3>3,4 Break arrow\n"  // to what follows the switch
                                        "normal 3,1>4,2 Case via arrow\n"
                                        "normal 4,2>4,3 Stmt arrow\n"
                                        "normal 4,3>6,2 Default arrow\n"  // falls through, up the gap
                                        "normal 3,1>6,2 Default via arrow\n"
                                        "normal 6,2>6,3 Stmt arrow\n"
                                        "normal 6,3>3,5 Goto arrow\n"  // to the box that shows the label
                                        "no 3,4>3,5 Stmt arrow\n"
                                        "yes 3,4>3,6 Return via arrow\n"
                                        "normal 3,5>3,6 Return arrow\n");

    ParsedFunction chain("void f(int n)\n{\n    if (n == 1) a();\n    else if (n == 2) { b(); b2(); }\n"
                         "    else if (n == 3) return;\n    else c();\n    d();\n}\n");
    EXPECT_EQ(connectorsText(chain.chart), "no 1,1>3,2 ElseIf via arrow\n"
                                           "yes 1,1>0,2 Stmt via arrow\n"
                                           "normal 0,2>1,5 ElseIf arrow\n"  // to the statement after the chain
                                           "no 3,2>4,3 ElseIf via arrow\n"
                                           "yes 3,2>2,3 Stmt via arrow\n"
                                           "normal 2,3>1,5 ElseIf arrow\n"
                                           "yes 4,3>1,6 Return via arrow\n"
                                           "no 4,3>5,4 Stmt via arrow\n"  // the else, from the last shape
                                           "normal 5,4>1,5 Stmt arrow\n"
                                           "normal 1,5>1,6 - arrow\n");
}

TEST(FlowDrawPlan, TryHandlersSwitchWithoutDefaultAndThrow)
{
    // The try's block and each handler hang from the try like cases; each ends after the try.
    ParsedFunction tryCatch("int f(int n)\n{\n    try {\n        n = g(n);\n    } catch (const E& e) {\n"
                            "        n = -1;\n    } catch (...) {\n    }\n    return n;\n}\n");
    EXPECT_EQ(connectorsText(tryCatch.chart), "normal 2,1>0,2 Brace via arrow\n"
                                              "normal 0,2>0,3 Stmt arrow\n"
                                              "normal 0,3>2,4 Return arrow\n"  // to the return after the try
                                              "normal 2,1>2,2 Catch via arrow\n"
                                              "normal 2,2>2,3 Stmt arrow\n"
                                              "normal 2,3>2,4 Return arrow\n"
                                              "normal 2,1>4,2 Catch via arrow\n"
                                              "normal 4,2>2,4 Return arrow\n");  // an empty handler

    // Without a default, "no case matched" runs around the cases to what follows the switch.
    ParsedFunction sw("void f(int n)\n{\n    switch (n) {\n    case 1: a(); break;\n    case 2: b();\n    }\n"
                      "    c();\n}\n");
    EXPECT_EQ(connectorsText(sw.chart), "no 1,1>1,4 Stmt arrow beside 3\n"  // drawn under the case edges
                                        "normal 1,1>0,2 Case via arrow\n"
                                        "normal 0,2>0,3 Stmt arrow\n"
                                        "normal 0,3>1,4 Break arrow\n"
                                        "normal 1,1>2,2 Case via arrow\n"
                                        "normal 2,2>2,3 Stmt arrow\n"
                                        "normal 2,3>1,4 Stmt arrow\n"
                                        "normal 1,4>1,5 - arrow\n");

    // A throw ends its box's path at End, as a return does; what follows it starts a new box.
    ParsedFunction thrower("void f(int n)\n{\n    if (n < 0) {\n        log(n);\n        throw Bad(n);\n"
                           "        n = 0;\n    }\n    use(n);\n}\n");
    EXPECT_EQ(connectorsText(thrower.chart), "no 1,1>1,4 Stmt arrow\n"
                                             "yes 1,1>0,2 Stmt via arrow\n"
                                             "normal 0,2>1,5 Return arrow\n"  // log (n); throw Bad (n);
                                             "normal 0,3>1,4 Stmt arrow\n"    // n = 0; never entered
                                             "normal 1,4>1,5 - arrow\n");
}

TEST(FlowDrawPlan, ElementsThatTakeNoCellsArePassedBy)
{
    // A node of a kind the flowchart does not draw sits at cell (0, 0); connectors go past it to
    // the next drawn element (or where the list ends) instead of running to the corner.
    test_trees::StatementTrees t;
    const model::AnalysisNode function = t.function(
        t.withCondition(NodeKind::IfStatement, "if", true, t.stmt("g")), t.stmt("a"), t.node(NodeKind::Nothing, ";", false),
        t.withCondition(NodeKind::WhileStatement, "w", false, t.node(NodeKind::Nothing, ";", false)),
        t.node(NodeKind::Nothing, ";", false));
    FlowchartBuilder builder;
    builder.build(function);
    Flowchart chart(builder.elements());
    chart.layout();
    EXPECT_EQ(connectorsText(chart), "no 1,1>1,3 Stmt arrow\n"
                                     "yes 1,1>0,2 Stmt via arrow\n"
                                     "normal 0,2>1,3 Stmt arrow\n"
                                     "normal 1,3>1,4 While arrow\n"
                                     "normal 1,4>1,5 - via arrow\n"  // the empty body: top box to end box
                                     "normal 1,5>1,6 - via arrow\n"
                                     "back 0,4>1,4 While arrow\n"
                                     "back 0,4>1,5 While\n");
}

TEST(FlowPainter, DrawsTerminalsConnectorsShapesThenTexts)
{
    // The true branch hangs left of the if, the else branch to its right; both join at End,
    // where the return went, y's edge taking the return's olive route along the right.
    ParsedFunction f("int f(int a)\n{\n    if (a > 0) {\n        x();\n    } else {\n        y();\n    }\n"
                     "    return a;\n}\n");
    draw::FixedTextMetrics metrics(6, 13);
    // 8 bits per pixel: flat shapes, one record each.
    draw::RecordingCanvas canvas(draw::RecordingCanvas::kUnbounded, 8, &metrics);
    EXPECT_EQ(paintFlowchart(canvas, f.chart, 4), nullptr);
    EXPECT_EQ(canvas.text(),
              "ellipse 100,0 80x40 pen=solid:1:RGB(0,0,0) brush=RGB(240,200,200)\n"
              "ellipse 100,240 80x40 pen=solid:1:RGB(0,0,0) brush=RGB(240,200,200)\n"
              "line 140,40 140,80 pen=solid:1:RGB(0,0,0)\n"
              "polygon 147,73 140,80 133,73 pen=solid:1:RGB(0,0,0) brush=RGB(255,255,255)\n"
              "line 100,100 40,100 pen=solid:1:RGB(0,128,0)\n"
              "line 40,100 40,160 pen=solid:1:RGB(0,128,0)\n"
              "polygon 47,153 40,160 33,153 pen=solid:1:RGB(0,128,0) brush=RGB(255,255,255)\n"
              "line 40,200 40,230 pen=solid:1:RGB(0,0,0)\n"
              "line 40,230 140,230 pen=solid:1:RGB(0,0,0)\n"
              "line 140,230 140,240 pen=solid:1:RGB(0,0,0)\n"
              "polygon 147,233 140,240 133,233 pen=solid:1:RGB(0,0,0) brush=RGB(255,255,255)\n"
              "line 180,100 240,100 pen=solid:1:RGB(128,0,0)\n"
              "line 240,100 240,160 pen=solid:1:RGB(128,0,0)\n"
              "polygon 247,153 240,160 233,153 pen=solid:1:RGB(128,0,0) brush=RGB(255,255,255)\n"
              "line 280,180 291,180 pen=solid:1:RGB(128,128,0)\n"
              "line 291,180 291,260 pen=solid:1:RGB(128,128,0)\n"
              "line 291,260 180,260 pen=solid:1:RGB(128,128,0)\n"
              "polygon 187,253 180,260 187,267 pen=solid:1:RGB(128,128,0) brush=RGB(255,255,255)\n"
              "polygon 100,100 120,80 160,80 180,100 160,120 120,120 pen=solid:1:RGB(0,0,0) brush=RGB(230,230,200)\n"
              "rect 0,160 80x40 pen=solid:1:RGB(200,200,230) brush=RGB(200,200,230)\n"
              "rect 200,160 80x40 pen=solid:1:RGB(200,200,230) brush=RGB(200,200,230)\n"
              "text 125,13 \"Start\" font=Arial:20cell color=RGB(0,0,0) bg=transparent\n"
              "text 131,253 \"End\" font=Arial:20cell color=RGB(0,0,0) bg=transparent\n"
              "text 88,87 \"Y\" font=Arial:17cell color=RGB(0,128,0) bg=transparent\n"
              "text 186,87 \"N\" font=Arial:17cell color=RGB(128,0,0) bg=transparent\n"
              "text 125,93 \"a > 0\" font=Arial:13cell color=RGB(0,0,128) bg=transparent\n"
              "text 19,171 \"x ( ) ;\" font=Arial:13cell color=RGB(0,0,0) bg=transparent\n"
              "text 219,171 \"y ( ) ;\" font=Arial:13cell color=RGB(0,0,0) bg=transparent\n");
    EXPECT_EQ(canvas.backgroundMode(), draw::BackgroundMode::Opaque);
}

}  // namespace
}  // namespace qm::detail
