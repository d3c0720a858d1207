// Hostile statement trees: nesting far deeper than any call stack allows, huge switch bodies,
// jumps to nowhere, details of the wrong type. Nothing may crash, and the result stays exact.
#include "detail/flow_draw_plan.h"
#include "detail/flowchart.h"
#include "detail/flowchart_builder.h"

#include "statement_trees.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qm::detail {
namespace {

using namespace test_trees;
using model::NodeKind;

constexpr int kDepth = 50000;

// `depth` nodes made by `wrap`, each the only child of the next, around `innermost`; built from
// the inside out so that making the tree needs no recursion.
template <typename Wrap>
AnalysisNode nest(AnalysisNode innermost, int depth, Wrap wrap)
{
    AnalysisNode node = std::move(innermost);
    for (int i = 0; i < depth; ++i) {
        AnalysisNode outer = wrap(i);
        outer.children.push_back(std::move(node));
        node = std::move(outer);
    }
    return node;
}

struct Built {
    AnalysisNode function;
    std::vector<std::string> log;
    FlowchartBuilder builder{[this](std::string_view line) { log.emplace_back(line); }};
    Flowchart chart{builder.elements()};

    explicit Built(AnalysisNode node) : function(std::move(node))
    {
        builder.build(function);
        chart.layout();
    }
};

TEST(FlowchartHostile, IfsNestedOnOneLineWithAnElseForTheInnermost)
{
    StatementTrees t;
    // if (c) if (c) ... if (c) x; else y;
    AnalysisNode f = t.function(
        nest(t.stmt("x"), kDepth, [&](int) { return t.withCondition(NodeKind::IfStatement, "c", false); }),
        t.withCondition(NodeKind::ElseStatement, "else", false, t.stmt("y")));
    Built built(std::move(f));
    EXPECT_TRUE(built.log.empty());
    ASSERT_EQ(built.chart.elements().size(), 1u);
    // Each level adds one column on the left and one row; the else adds one column on the
    // right of the innermost if.
    EXPECT_EQ(built.chart.gridWidth(), kDepth + 2);
    EXPECT_EQ(built.chart.gridHeight(), kDepth + 1);
    EXPECT_EQ(built.chart.startColumn(), kDepth + 1);
    // The else stands beside the innermost if, in the body of the if around it.
    const FlowElement* outer = nullptr;
    const FlowElement* innermost = &built.chart.elements()[0];
    while (innermost->children.front().kind == NodeKind::IfStatement) {
        outer = innermost;
        innermost = &innermost->children.front();
    }
    ASSERT_NE(outer, nullptr);
    ASSERT_EQ(outer->children.size(), 2u);
    EXPECT_EQ(outer->cell(), (FlowCell{3, kDepth - 1}));
    EXPECT_EQ(innermost->cell(), (FlowCell{1, kDepth}));
    EXPECT_EQ(innermost->children[0].cell(), (FlowCell{0, kDepth + 1}));
    EXPECT_EQ(outer->children[1].kind, NodeKind::ElseStatement);
    EXPECT_EQ(outer->children[1].children[0].cell(), (FlowCell{2, kDepth + 1}));
    EXPECT_EQ(built.chart.elementAt(1, kDepth), innermost);
}

TEST(FlowchartHostile, DeepLoopsBracesLabelsAndTryBlocks)
{
    StatementTrees t;
    // while (c) while (c) ... { break; }: every break leaves the innermost loop only.
    Built loops(t.function(nest(t.breakStmt(), kDepth, [&](int) {
        return t.withCondition(NodeKind::WhileStatement, "w", false);
    })));
    EXPECT_EQ(loops.chart.gridWidth(), kDepth + 1);
    EXPECT_EQ(loops.chart.gridHeight(), 2 * kDepth);
    const FlowElement* inner = &loops.chart.elements()[0];
    while (inner->children.front().kind == NodeKind::WhileStatement) {
        inner = &inner->children.front();
    }
    EXPECT_EQ(inner->children.front().cell(), (FlowCell{inner->col, inner->endRow()}));
    EXPECT_EQ(inner->cell(), (FlowCell{kDepth, kDepth}));

    // Braces in braces and a label chain flatten into one run.
    int n = 0;
    AnalysisNode body = nest(t.stmt("x"), kDepth, [&](int i) {
        return i % 2 == 0 ? t.node(NodeKind::JustBrace, "", true) : t.label("l" + std::to_string(n++), false);
    });
    Built flat(t.function(std::move(body), t.gotoStmt("l0"), t.gotoStmt("l" + std::to_string(n - 1))));
    ASSERT_EQ(flat.chart.elements().size(), 3u);
    EXPECT_EQ(flat.chart.elements()[0].nodes.size(), static_cast<std::size_t>(n) + 1);
    EXPECT_EQ(flat.chart.elements()[1].cell(), (FlowCell{0, 1}));
    EXPECT_EQ(flat.chart.elements()[2].cell(), (FlowCell{0, 1}));
}

TEST(FlowchartHostile, TwoThousandCaseLabelsInARow)
{
    StatementTrees t;
    constexpr int kCases = 2000;
    // switch (s) { case 1: case 2: ... case 2000: f(); }
    AnalysisNode labels = nest(t.stmt("f"), kCases, [&](int i) {
        return t.withCondition(NodeKind::CaseStatement, std::to_string(kCases - i), false);
    });
    Built built(t.function(t.withCondition(NodeKind::SwitchStatement, "s", true, std::move(labels))));
    const FlowElement& sw = built.chart.elements().at(0);
    ASSERT_EQ(sw.children.size(), static_cast<std::size_t>(kCases));
    EXPECT_EQ(built.chart.gridWidth(), 2 * kCases);
    EXPECT_EQ(sw.col, kCases - 1);
    for (int i = 0; i < kCases; ++i) {
        const FlowElement& c = sw.children[static_cast<std::size_t>(i)];
        ASSERT_EQ(c.cell(), (FlowCell{2 * i, 2})) << i;
        ASSERT_EQ(c.children.empty(), i + 1 < kCases) << i;
    }
    EXPECT_EQ(sw.children.back().children[0].cell(), (FlowCell{2 * kCases - 2, 3}));
    // Without a default, "no case matched" leads past the last case to the End terminal.
    const FlowConnector& none = built.chart.drawPlan().connectors().at(0);
    EXPECT_EQ(none.style, ConnectorStyle::No);
    EXPECT_EQ(none.from, sw.cell());
    EXPECT_EQ(none.to, built.chart.endCell());
    EXPECT_EQ(none.besideColumn, std::optional<int>(2 * kCases - 1));
}

TEST(FlowchartHostile, TryBlocksNestedInTryBlocksEachWithAHandler)
{
    StatementTrees t;
    // try { try { ... try { x; } catch (E) { h; } ... } catch (E) { h; } } catch (E) { h; }
    AnalysisNode inner = t.stmt("x");
    for (int i = 0; i < kDepth; ++i) {
        AnalysisNode tryNode = t.node(NodeKind::TryStatement, "try", true);
        tryNode.children.push_back(std::move(inner));
        AnalysisNode brace = t.node(NodeKind::JustBrace, "", true);
        brace.children.push_back(std::move(tryNode));
        brace.children.push_back(t.withCondition(NodeKind::CatchStatement, "E", true, t.stmt("h")));
        inner = std::move(brace);
    }
    Built built(t.function(std::move(inner)));
    EXPECT_TRUE(built.log.empty());
    // Every level is a try whose block holds the next try, beside its handler.
    const FlowElement* level = &built.chart.elements().at(0);
    int depth = 0;
    while (level->kind == NodeKind::TryStatement) {
        ASSERT_EQ(level->children.size(), 2u) << depth;
        ASSERT_EQ(level->children[1].kind, NodeKind::CatchStatement) << depth;
        level = &level->children[0].children.at(0);
        ++depth;
    }
    EXPECT_EQ(depth, kDepth);
    EXPECT_EQ(level->kind, NodeKind::ExpressionStatement);
    EXPECT_EQ(built.chart.gridHeight(), 2 * kDepth + 1);
    EXPECT_FALSE(built.chart.drawPlan().connectors().empty());
}

TEST(FlowchartHostile, MissingLabelsAndDetailsOfTheWrongTypeAreQuiet)
{
    StatementTrees t;
    AnalysisNode badGoto = t.node(NodeKind::GotoStatement, "goto", false);  // no detail at all
    AnalysisNode badLabel = t.node(NodeKind::LabelStatement, "l:", false, t.stmt("x"));
    badLabel.detail = std::make_unique<model::ConditionDetail>();
    AnalysisNode emptyLoop = t.node(NodeKind::DoStatement, "do", true);
    Built built(t.function(t.gotoStmt("nowhere"), std::move(badGoto), std::move(badLabel), std::move(emptyLoop),
                           t.node(NodeKind::Unknown, "?", false, t.returnStmt()), t.node(NodeKind::Nothing, "", false),
                           t.withCondition(NodeKind::ElseIfStatement, "orphan", false, t.stmt("y"))));
    EXPECT_TRUE(built.log.empty());
    const FlowElementList& e = built.chart.elements();
    ASSERT_EQ(e.size(), 7u);
    EXPECT_EQ(e[0].cell(), (FlowCell{0, 0}));
    EXPECT_EQ(e[1].cell(), (FlowCell{0, 0}));
    EXPECT_EQ(dump(e), "Goto goto @0,0 0/0/0\n"
                       "Goto goto @0,0 0/0/0\n"
                       "Stmt l:|x @1,1 0/1/1\n"
                       "Do do @1,2 1/1/2\n"
                       "Kind0 ? @0,0 0/0/0\n"
                       "  Return return @1,6 0/0/0\n"
                       "Kind1   @0,0 0/0/0\n"  // a node with one empty token
                       "ElseIf orphan @3,4 1/1/2\n"
                       "  Stmt y @2,5 0/1/1\n");
    EXPECT_EQ(built.chart.gridWidth(), 4);
    EXPECT_EQ(built.chart.gridHeight(), 5);
}

}  // namespace
}  // namespace qm::detail
