// Statements as a function body holds them: the text is grouped and classified in statement
// context directly, so these tests do not depend on how a function definition is recognised.
#include "parser/classify_nodes.h"
#include "parser/group_tokens.h"
#include "parser/statement_analyzer.h"
#include "parser_test_support.h"

#include <gtest/gtest.h>

namespace qm::parser::testing {
namespace {

struct Statements {
    TokenList list;
    NodeList nodes;

    explicit Statements(std::string_view text) : list(text)
    {
        groupTokens(list.tokens, nodes);
        std::atomic<bool> stop{false};
        classifyNodes(nodes, model::ParseContext::Statements, stop);
    }
    std::string tree() const
    {
        std::string out;
        describeNodes(nodes, 0, out);
        return out;
    }
};

std::string statementTree(std::string_view text) { return Statements(text).tree(); }

TEST(StatementAnalyzer, HeadersSharingANodeWithTheirStatementGetItAsTheirChild)
{
    EXPECT_EQ("[If statement] (f ( x ) && g ( )) 1-1\n"
              "  [For statement] (i = 0 ; | i < n ; | i ++) 1-1 {}\n"
              "    [Continue statement] 1-1\n"
              "[Else if statement] (b) 1-1\n"
              "  [Expression statement] 1-1\n"
              "[Else statement] () 1-1\n"
              "  [Do statement] 1-1\n"
              "    [Expression statement] 1-1\n"
              "[While statement] (x) 1-1\n"
              "  [Expression statement] 1-1\n",
              statementTree("if (f(x) && g()) for (i = 0; i < n; i++) { continue; }"
                            " else if (b) y(); else do x++; while (x);"));

    // Labels written one after another nest in each other; a case may own a block.
    EXPECT_EQ("[Case statement] (1) 1-1\n"
              "  [Case statement] (A :: B) 1-1\n"
              "    [Expression statement] 1-1\n"
              "[Case statement] ('c') 1-1 {}\n"
              "  [Return statement] (;) 1-1\n"
              "[Default statement] 1-1\n"
              "  [Label statement] \"end\" 1-1\n"
              "    [Goto statement] \"end\" 1-1\n",
              statementTree("case 1: case A::B: f(); case 'c': { return; } default: end: goto end;"));

    // The endless for and the range-based for are loops whose blocks hold statements; a `:`
    // inside brackets of the range is not the loop's. Tokens after a catch's parentheses stay in
    // its node; `a ? b : c` is no label.
    EXPECT_EQ("[For statement] (; | ; | ) 1-1 {}\n"
              "  [Break statement] 1-1\n"
              "[For statement] (auto & x | : v | ) 1-1\n"
              "  [Expression statement] 1-1\n"
              "[For statement] (const auto & [ k , v ] | : m [ a ? b : c ] | ) 1-1 {}\n"
              "  [Continue statement] 1-1\n"
              "[catch statement] (...) 1-1\n"
              "[Expression statement] 1-1\n",
              statementTree("for (;;) { break; } for (auto& x : v) f(x); for (const auto& [k, v] : m[a ? b : c]) { continue; } "
                            "catch (...) x; a ? b : c;"));

    AnalysisNode empty;
    StatementAnalyzer(empty).analyze();
    EXPECT_EQ(NodeKind::Nothing, empty.kind);
    EXPECT_TRUE(empty.classified);
}

TEST(StatementAnalyzer, MalformedHeadersFallBackToExpressionStatements)
{
    for (std::string_view text :
         {"if (", "if ()", "if () x;", "if x;", "else if (", "else if () x;", "else if x y;", "for (a;b)",
          "for (a;b) x;", "for (;;", "for (x) {}", "while (", "while x;", "switch (x", "catch (x", "catch x y;",
          "try x;", "do", "case :", "case 1", "default x;", "break x;", "break", "continue", "return", "goto;",
          "goto 3;", "goto end", "x", "# bogus"}) {
        Statements statements(text);
        ASSERT_EQ(1u, statements.nodes.size()) << text;
        const AnalysisNode& node = statements.nodes.front();
        // `do` alone is a loop without body, the only header here that needs nothing after it.
        const NodeKind expected = text == "do" ? NodeKind::DoStatement : NodeKind::ExpressionStatement;
        EXPECT_EQ(expected, node.kind) << text;
        EXPECT_TRUE(node.classified) << text;
        EXPECT_EQ(nullptr, node.detail) << text;
    }
}

TEST(StatementAnalyzer, StatementsCutOffByTheEndOfTheInputKeepWhatTheyHave)
{
    EXPECT_EQ("[If statement] (a) 1-1\n"
              "  [Expression statement] 1-1\n",
              statementTree("if (a) x"));
    EXPECT_EQ("[Case statement] (1) 1-1\n"
              "  [Expression statement] 1-1\n",
              statementTree("case 1: f("));
    EXPECT_EQ("[Return statement] (a) 1-1\n", statementTree("return a"));
    EXPECT_EQ("[Else statement] () 1-1\n", statementTree("else"));
    EXPECT_EQ("[While statement] (( a )) 1-1\n", statementTree("while ((a))"));
    // An unclosed block holds everything up to the end.
    EXPECT_EQ("[For statement] (; | x ; | ) 1-1 {}\n"
              "  [If statement] (b) 1-1\n",
              statementTree("for (; x;) { if (b)"));
}

TEST(StatementAnalyzer, SearchesAnswerZeroWhenNothingIsFound)
{
    TokenList list("if ( f ( x ) ) y : z ;");
    AnalysisNode node = list.node();
    const StatementAnalyzer analyzer(node);
    EXPECT_EQ(6u, analyzer.findClosingParen(2));
    EXPECT_EQ(5u, analyzer.findClosingParen(4));
    EXPECT_EQ(0u, analyzer.findClosingParen(7));
    EXPECT_EQ(0u, analyzer.findClosingParen(50));
    EXPECT_EQ(10u, analyzer.findSemicolon(0));
    EXPECT_EQ(0u, analyzer.findSemicolon(11));
    EXPECT_EQ(8u, analyzer.findColon(1));
    EXPECT_EQ(0u, analyzer.findColon(9));
}

TEST(StatementAnalyzer, DeepStatementNestingStaysBounded)
{
    // Blocks: grouping stops nesting them; the innermost node keeps the rest as tokens.
    std::string blocks;
    for (int i = 0; i < 10000; ++i) blocks += "if (a) {";
    Statements nested(blocks);
    const AnalysisNode* node = &nested.nodes.front();
    int depth = 1;
    for (; !node->children.empty(); node = &node->children.front()) ++depth;
    EXPECT_LE(depth, kMaxBlockDepth + 2);
    EXPECT_EQ(NodeKind::IfStatement, nested.nodes.front().kind);

    // Headers on one node: every level splits off the next, until the driver's depth limit
    // leaves the rest unclassified.
    std::string chain;
    for (int i = 0; i < 5000; ++i) chain += "if (a) else case 1: ";
    chain += "x;";
    Statements headers(chain);
    node = &headers.nodes.front();
    depth = 1;
    for (; !node->children.empty(); node = &node->children.front()) ++depth;
    EXPECT_LE(depth, kMaxClassifyDepth + 2);
    EXPECT_FALSE(node->classified);
    EXPECT_EQ(NodeKind::IfStatement, headers.nodes.front().kind);
    EXPECT_EQ(4u, headers.nodes.front().tokens.size());
}

}  // namespace
}  // namespace qm::parser::testing
