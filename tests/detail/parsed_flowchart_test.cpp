// Flowcharts of functions written as source text and run through the parser, so that the
// element tree is checked against the tree shapes the statement parser really produces.
#include "detail/flowchart.h"
#include "detail/flowchart_builder.h"
#include "frontend/log_sink.h"
#include "frontend/tokenize_file.h"
#include "parser/parse_unit.h"

#include "statement_trees.h"

#include <gtest/gtest.h>

#include <atomic>

namespace qm::detail {
namespace {

using model::NodeKind;
using test_trees::dump;

// Parses `text` and lays out the flowchart of its first function definition.
struct ParsedChart {
    model::SourceUnit unit;
    FlowchartBuilder builder;
    Flowchart chart{builder.elements()};

    explicit ParsedChart(std::string_view text)
    {
        frontend::tokenizeText(text, unit.tokens, [](std::string_view) {});
        frontend::LogSink log;
        std::atomic<bool> stop{false};
        parser::parseUnit(unit, stop, log);
        for (const model::AnalysisNode& node : unit.nodes) {
            if (node.kind == NodeKind::Function && node.hasBody) {
                builder.build(node);
                break;
            }
        }
        chart.layout();
    }
    std::string shape() const { return dump(chart.elements(), false); }
    std::string cells() const { return dump(chart.elements(), true); }
};

TEST(ParsedFlowchart, StatementRunsLoopsAndTheClosingWhileOfADoLoop)
{
    ParsedChart chart("int count(const char* s)\n"
                      "{\n"
                      "    int n = 0;\n"
                      "    n++;\n"
                      "    do {\n"
                      "        --n;\n"
                      "    } while (n > 10);\n"
                      "    for (int i = 0; i < n; ++i) {\n"
                      "        if (i == 3) break;\n"
                      "        if (i == 4) continue;\n"
                      "    }\n"
                      "    return n;\n"
                      "}\n");
    EXPECT_EQ(chart.cells(), "Stmt int n = 0 ;|n ++ ; @1,1 0/1/1\n"
                             "Do do|while ( n > 10 ) @1,2 1/1/3\n"
                             "  Stmt -- n ; @1,3 0/1/1\n"
                             "For for ( int i = 0 ; i < n ; ++ i ) @1,5 1/1/4\n"
                             "  If if ( i == 3 ) @1,6 0/1/1\n"
                             "    Break break ; @1,8 0/0/0\n"
                             "  If if ( i == 4 ) @1,7 0/1/1\n"
                             "    Continue continue ; @1,8 0/0/0\n"  // the end box: the step
                             "Return return n ; @1,9 0/0/0\n");
    EXPECT_EQ(chart.chart.gridHeight(), 8);
}

TEST(ParsedFlowchart, DanglingElseSwitchLabelsAndExceptions)
{
    ParsedChart chart("void f(int a, int b)\n"
                      "{\n"
                      "    if (a) if (b) x(); else y();\n"
                      "    switch (a) {\n"
                      "    case 1:\n"
                      "    case 2: one(); break;\n"
                      "    default: other();\n"
                      "    }\n"
                      "again:\n"
                      "    try {\n"
                      "        open();\n"
                      "    } catch (...) {\n"
                      "        goto again;\n"
                      "    }\n"
                      "}\n");
    EXPECT_EQ(chart.shape(), "If if ( a )\n"
                             "  If if ( b )\n"
                             "    Stmt x ( ) ;\n"
                             "  Else else\n"
                             "    Stmt y ( ) ;\n"
                             "Switch switch ( a )\n"
                             "  Case case 1 :\n"
                             "  Case case 2 :\n"
                             "    Stmt one ( ) ;\n"
                             "    Break break ;\n"
                             "  Default default :\n"
                             "    Stmt other ( ) ;\n"
                             "Stmt again :\n"
                             "Try try\n"
                             "  Brace try\n"
                             "    Stmt open ( ) ;\n"
                             "  Catch catch ( ... )\n"
                             "    Goto goto again ;\n");
}

}  // namespace
}  // namespace qm::detail

namespace qm::detail {
namespace {

TEST(ParsedFlowchart, TenThousandIfsOnOneLine)
{
    std::string text = "void f()\n{\n";
    for (int i = 0; i < 10000; ++i) text += "if (a) ";
    text += "x(); else y();\n}\n";
    // The parser classifies as deep as it allows; whatever it leaves is laid out.
    ParsedChart chart(text);
    ASSERT_EQ(chart.chart.elements().size(), 1u);
    EXPECT_EQ(chart.chart.elements()[0].kind, NodeKind::IfStatement);
    EXPECT_GT(chart.chart.gridHeight(), 1);
    EXPECT_EQ(chart.chart.elementAt(chart.chart.startColumn(), 1), &chart.chart.elements()[0]);
}

}  // namespace
}  // namespace qm::detail
