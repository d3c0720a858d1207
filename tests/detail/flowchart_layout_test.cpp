// Cells and extents of representative flowchart shapes, the jump targets and the cell map.
#include "detail/flowchart.h"
#include "detail/flowchart_builder.h"

#include "statement_trees.h"

#include <gtest/gtest.h>

namespace qm::detail {
namespace {

using namespace test_trees;
using model::NodeKind;

// Builds and lays out the flowchart of one function; keeps the builder alive with it.
struct Chart {
    AnalysisNode function;
    FlowchartBuilder builder;
    Flowchart chart{builder.elements()};

    explicit Chart(AnalysisNode node) : function(std::move(node))
    {
        builder.build(function);
        chart.layout();
    }
    std::string cells() const { return dump(chart.elements()); }
    std::string grid() const
    {
        return std::to_string(chart.gridWidth()) + "x" + std::to_string(chart.gridHeight()) + " start " +
               std::to_string(chart.startColumn());
    }
};

class FlowchartLayout : public ::testing::Test {
protected:
    template <typename... Children>
    AnalysisNode ifNode(std::string name, Children&&... children)
    {
        return t.withCondition(NodeKind::IfStatement, std::move(name), true, std::forward<Children>(children)...);
    }
    template <typename... Children>
    AnalysisNode elseIf(std::string name, Children&&... children)
    {
        return t.withCondition(NodeKind::ElseIfStatement, std::move(name), true, std::forward<Children>(children)...);
    }
    template <typename... Children>
    AnalysisNode elseNode(Children&&... children)
    {
        return t.withCondition(NodeKind::ElseStatement, "else", true, std::forward<Children>(children)...);
    }
    template <typename... Children>
    AnalysisNode whileNode(std::string name, Children&&... children)
    {
        return t.withCondition(NodeKind::WhileStatement, std::move(name), true, std::forward<Children>(children)...);
    }
    template <typename... Children>
    AnalysisNode switchNode(std::string name, Children&&... children)
    {
        return t.withCondition(NodeKind::SwitchStatement, std::move(name), true, std::forward<Children>(children)...);
    }
    template <typename... Children>
    AnalysisNode caseNode(std::string value, Children&&... children)
    {
        return t.withCondition(NodeKind::CaseStatement, std::move(value), false, std::forward<Children>(children)...);
    }

    StatementTrees t;
};

TEST_F(FlowchartLayout, EmptyBodyAndPlainStatements)
{
    Chart empty(t.function());
    EXPECT_EQ(empty.grid(), "0x0 start 0");
    EXPECT_EQ(empty.chart.startCell(), (FlowCell{0, 0}));
    EXPECT_EQ(empty.chart.endCell(), (FlowCell{0, 1}));
    EXPECT_EQ(empty.chart.totalWidth(), 100);
    EXPECT_EQ(empty.chart.totalHeight(), 160);
    EXPECT_TRUE(empty.chart.cellMap().empty());

    Chart run(t.function(t.stmt("a"), t.stmt("b"), t.stmt("c")));
    EXPECT_EQ(run.cells(), "Stmt a|b|c @0,1 0/1/1\n");
    EXPECT_EQ(run.grid(), "1x1 start 0");
    EXPECT_EQ(run.chart.elementAt(0, 1), &run.chart.elements()[0]);
    EXPECT_EQ(run.chart.elementAt(0, 2), nullptr);
}

TEST_F(FlowchartLayout, IfChainBranchesStepRightAndTheNextStatementGoesBelowTheLowest)
{
    // if (a) {x} else if (b) {y} else {z}  w;
    Chart chain(t.function(ifNode("a", t.stmt("x")), elseIf("b", t.stmt("y")), elseNode(t.stmt("z")), t.stmt("w")));
    EXPECT_EQ(chain.cells(), "If a @1,1 1/1/2\n"
                             "  Stmt x @0,2 0/1/1\n"
                             "ElseIf b @3,2 1/1/2\n"
                             "  Stmt y @2,3 0/1/1\n"
                             "Else else @4,3 0/1/1\n"
                             "  Stmt z @4,3 0/1/1\n"
                             "Stmt w @1,4 0/1/1\n");
    EXPECT_EQ(chain.grid(), "5x4 start 1");
    EXPECT_EQ(chain.chart.elementAt(4, 3)->nodes.at(0)->tokens[0]->text, "z");

    // The if branch is the longest, the second else-if branch longer than the first: the
    // statement after the chain lies below the second else-if's branch.
    Chart deep(t.function(ifNode("a", whileNode("w", t.stmt("s"))), elseIf("b", t.stmt("s1")),
                          elseIf("c", t.forStmt("for", true, t.stmt("s2"))), t.stmt("t")));
    EXPECT_EQ(deep.cells(), "If a @2,1 2/1/4\n"
                            "  While w @1,2 1/1/3\n"
                            "    Stmt s @1,3 0/1/1\n"
                            "ElseIf b @4,2 1/1/2\n"
                            "  Stmt s1 @3,3 0/1/1\n"
                            "ElseIf c @7,3 2/1/4\n"
                            "  For for @6,4 1/1/3\n"
                            "    Stmt s2 @6,5 0/1/1\n"
                            "Stmt t @2,7 0/1/1\n");
    EXPECT_EQ(deep.grid(), "8x7 start 2");
}

TEST_F(FlowchartLayout, LoopsHaveTopAndEndBoxesOnTheirAxis)
{
    StatementTrees& s = t;
    // do { if (a) x; } while (c);  y;
    Chart chart(s.function(s.node(NodeKind::DoStatement, "do", true,
                                  s.withCondition(NodeKind::IfStatement, "a", false, s.stmt("x"))),
                           s.withCondition(NodeKind::WhileStatement, "c", false, s.stmt(";")), s.stmt("y")));
    EXPECT_EQ(chart.cells(), "Do do|c @2,1 2/1/4\n"
                             "  If a @2,2 1/1/2\n"
                             "    Stmt x @1,3 0/1/1\n"
                             "Stmt y @2,5 0/1/1\n");
    EXPECT_EQ(chart.grid(), "3x5 start 2");
    const FlowElement& loop = chart.chart.elements()[0];
    EXPECT_EQ(loop.endRow(), 4);
    EXPECT_EQ(chart.chart.elementAt(2, 1), &loop);
    EXPECT_EQ(chart.chart.elementAt(2, 4), &loop);
    EXPECT_EQ(chart.chart.elementAt(2, 2), &loop.children[0]);
    // The back edge runs one column left of the body's axis offset.
    EXPECT_EQ(axisOffset(loop.children), 1);
}

TEST_F(FlowchartLayout, SwitchCasesStandSideBySideAroundTheAxis)
{
    // switch (s) { case 1: a; break; case 2: b; default: c; }  y;
    Chart odd(t.function(switchNode("s", caseNode("1", t.stmt("a")), t.breakStmt(), caseNode("2", t.stmt("b")),
                                    t.node(NodeKind::DefaultStatement, "default", false, t.stmt("c"))),
                         t.stmt("y")));
    EXPECT_EQ(odd.cells(), "Switch s @2,1 2/4/3\n"
                           "  Case 1 @0,2 0/2/1\n"
                           "    Stmt a @0,3 0/1/1\n"
                           "    Break break @2,4 0/0/0\n"
                           "  Case 2 @2,2 0/2/1\n"
                           "    Stmt b @2,3 0/1/1\n"
                           "  Default default @4,2 0/2/1\n"
                           "    Stmt c @4,3 0/1/1\n"
                           "Stmt y @2,4 0/1/1\n");
    EXPECT_EQ(odd.grid(), "6x4 start 2");

    // With an even count the last case of the left half straddles the axis; a case holding an
    // if is placed on its body's axis.
    Chart even(t.function(switchNode("s", caseNode("1", t.stmt("a")),
                                     caseNode("2", t.withCondition(NodeKind::IfStatement, "i", false, t.stmt("b"))))));
    EXPECT_EQ(even.cells(), "Switch s @1,1 1/4/4\n"
                            "  Case 1 @0,2 0/2/1\n"
                            "    Stmt a @0,3 0/1/1\n"
                            "  Case 2 @3,2 1/2/2\n"
                            "    If i @3,3 1/1/2\n"
                            "      Stmt b @2,4 0/1/1\n");
    EXPECT_EQ(even.grid(), "5x4 start 1");
}

TEST_F(FlowchartLayout, JumpsTakeTheCellOfTheirTarget)
{
    // a; again: b; while (w) { if (i) continue; if (j) break; switch (s) { case 1: break; } }
    // The continue goes to the loop's end box, where the next round starts.
    // switch (u) { case 2: break; } c; goto again; goto nowhere; continue; break; return;
    Chart chart(t.function(
        t.stmt("a"), t.label("again", false, t.stmt("b")),
        whileNode("w", t.withCondition(NodeKind::IfStatement, "i", false, t.continueStmt()),
                  t.withCondition(NodeKind::IfStatement, "j", false, t.breakStmt()),
                  switchNode("s", caseNode("1", t.breakStmt()))),
        switchNode("u", caseNode("2", t.breakStmt())), t.stmt("c"), t.gotoStmt("again"), t.gotoStmt("nowhere"),
        t.continueStmt(), t.breakStmt(), t.returnStmt()));
    EXPECT_EQ(chart.cells(), "Stmt a|again:|b @1,1 0/1/1\n"
                             "While w @1,2 1/2/6\n"
                             "  If i @1,3 0/1/1\n"
                             "    Continue continue @1,7 0/0/0\n"
                             "  If j @1,4 0/1/1\n"
                             "    Break break @1,7 0/0/0\n"
                             "  Switch s @1,5 0/2/2\n"
                             "    Case 1 @1,6 0/2/0\n"
                             "      Break break @1,7 0/0/0\n"
                             "Switch u @1,8 0/2/2\n"
                             "  Case 2 @1,9 0/2/0\n"
                             "    Break break @1,10 0/0/0\n"
                             "Stmt c @1,10 0/1/1\n"
                             "Goto goto @1,1 0/0/0\n"
                             "Goto goto @0,0 0/0/0\n"
                             "Continue continue @1,0 0/0/0\n"
                             "Break break @1,11 0/0/0\n"
                             "Return return @1,11 0/0/0\n");
    EXPECT_EQ(chart.grid(), "3x10 start 1");
    EXPECT_EQ(chart.chart.endCell(), (FlowCell{1, 11}));
    // The goto's target is the box that shows its label; the End terminal has no element.
    EXPECT_EQ(chart.chart.elementAt(1, 1), &chart.chart.elements()[0]);
    EXPECT_EQ(chart.chart.elementAt(1, 11), nullptr);
}

TEST_F(FlowchartLayout, BreaksFollowTheControlFlowAroundNestedSwitches)
{
    // while (w) { switch (s) { case 1: switch (t) { case 2: break; } break; } }
    // The inner break goes where the outer break goes: to the loop's end box.
    Chart nested(t.function(whileNode(
        "w", switchNode("s", caseNode("1", switchNode("t", caseNode("2", t.breakStmt())), t.breakStmt())))));
    const FlowElement& loop = nested.chart.elements()[0];
    const FlowElement& outerCase = loop.children[0].children[0];
    ASSERT_EQ(outerCase.children.size(), 2u);
    const FlowCell endBox{loop.col, loop.endRow()};
    EXPECT_EQ(outerCase.children[1].cell(), endBox);
    EXPECT_EQ(outerCase.children[0].children[0].children[0].cell(), endBox);

    // if (a) { switch (s) { case 1: break; } } else { x; }  y;  A break out of the switch that
    // ends the true branch goes past the else, to y.
    Chart branch(t.function(ifNode("a", switchNode("s", caseNode("1", t.breakStmt()))), elseNode(t.stmt("x")),
                            t.stmt("y")));
    const FlowElementList& top = branch.chart.elements();
    EXPECT_EQ(top[0].children[0].children[0].children[0].cell(), top[2].cell());

    // The last case's switch falls out of the outer switch: its break goes after the outer one.
    Chart last(t.function(whileNode("w", switchNode("s", caseNode("1", switchNode("t", caseNode("2", t.breakStmt())))),
                                    t.stmt("x"))));
    const FlowElement& body = last.chart.elements()[0];
    EXPECT_EQ(body.children[0].children[0].children[0].children[0].children[0].cell(), body.children[1].cell());
}

TEST_F(FlowchartLayout, TryBranchesStandSideBySideAndAllGoOnAfterTheTry)
{
    auto catchNode = [&](std::string name, auto&&... children) {
        return t.withCondition(NodeKind::CatchStatement, std::move(name), true, std::forward<decltype(children)>(children)...);
    };
    // try { a; } catch (A) { b; c; } catch (...) {}  d;  The try's block and its handlers are
    // spread around the try's axis as the cases of a switch are.
    Chart chart(t.function(t.node(NodeKind::TryStatement, "try", true, t.stmt("a")),
                           catchNode("A", t.stmt("b"), t.stmt("c")), catchNode("..."), t.stmt("d")));
    EXPECT_EQ(chart.cells(), "Try try @2,1 2/4/3\n"
                             "  Brace try @0,2 0/2/1\n"
                             "    Stmt a @0,3 0/1/1\n"
                             "  Catch A @2,2 0/2/1\n"
                             "    Stmt b|c @2,3 0/1/1\n"
                             "  Catch ... @4,2 0/2/0\n"
                             "Stmt d @2,4 0/1/1\n");
    EXPECT_EQ(chart.grid(), "6x4 start 2");
    EXPECT_EQ(chart.chart.elementAt(2, 1), &chart.chart.elements()[0]);
    EXPECT_EQ(chart.chart.elementAt(4, 2), &chart.chart.elements()[0].children[2]);

    // while (w) { try { if (i) break; switch (s) { case 1: break; } } catch (E) { x; continue; } y; }
    // The break of the switch that ends the try's block goes past the handler to y; a break or
    // continue in a branch leaves the loop as it would anywhere in the loop's body.
    Chart loop(t.function(whileNode(
        "w",
        t.node(NodeKind::TryStatement, "try", true, t.withCondition(NodeKind::IfStatement, "i", false, t.breakStmt()),
               switchNode("s", caseNode("1", t.breakStmt()))),
        catchNode("E", t.stmt("x"), t.continueStmt()), t.stmt("y"))));
    const FlowElement& w = loop.chart.elements()[0];
    const FlowElement& tryElement = w.children[0];
    const FlowElement& block = tryElement.children[0];
    const FlowCell endBox{w.col, w.endRow()};
    EXPECT_EQ(block.children[1].children[0].children[0].cell(), w.children[1].cell());
    EXPECT_EQ(block.children[0].children[0].cell(), endBox);
    EXPECT_EQ(tryElement.children[1].children[1].cell(), endBox);
}

TEST_F(FlowchartLayout, ScaleParameters)
{
    FlowElementList none;
    Flowchart chart(none);
    EXPECT_EQ(chart.scale(), 4);
    EXPECT_EQ(chart.parameters().cellWidth, 100);
    EXPECT_EQ(chart.parameters().yesCaption, "Y");
    chart.setScale(16);
    const FlowScaleParameters& p = chart.parameters();
    EXPECT_EQ(std::tie(p.cellWidth, p.cellHeight, p.boxWidth, p.boxHeight, p.arrowSize),
              std::make_tuple(220, 160, 180, 80, 16));
    EXPECT_EQ(std::tie(p.loopCaption, p.yesCaption, p.noCaption), std::make_tuple("Loop", "Yes", "No"));
    chart.setScale(1);
    EXPECT_EQ(std::tie(p.cellWidth, p.cellHeight, p.boxWidth, p.boxHeight, p.arrowSize),
              std::make_tuple(50, 40, 40, 20, 3));
    EXPECT_EQ(p.loopCaption, "Loop");  // kept from the previous scale
    chart.setScale(7);
    EXPECT_EQ(chart.scale(), 7);
    EXPECT_EQ(p.cellWidth, 50);
    chart.layout();
    EXPECT_EQ(chart.totalWidth(), 50);
    EXPECT_EQ(chart.totalHeight(), 80);
}

TEST_F(FlowchartLayout, LayingOutAgainGivesTheSameCells)
{
    Chart chart(t.function(whileNode("w", t.breakStmt(), t.stmt("x")), t.gotoStmt("l"), t.label("l", false, t.stmt("y"))));
    const std::string first = chart.cells();
    chart.chart.layout();
    EXPECT_EQ(chart.cells(), first);
    EXPECT_EQ(chart.chart.elementAt(1, 4)->nodes.size(), 2u);
}

}  // namespace
}  // namespace qm::detail
