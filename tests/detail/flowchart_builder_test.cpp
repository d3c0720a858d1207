// The element tree that FlowchartBuilder makes from hand-built statement trees: conversion and
// the reshaping of braces, exceptions, dangling elses, labels, switch bodies, do loops and runs.
#include "detail/flowchart_builder.h"

#include "statement_trees.h"

#include <gtest/gtest.h>

namespace qm::detail {
namespace {

using namespace test_trees;
using model::NodeKind;

const model::Token& throwToken()
{
    static const model::Token token{1, model::tok::Throw, {}};
    return token;
}

std::string built(const AnalysisNode& function)
{
    FlowchartBuilder builder;
    builder.build(function);
    return dump(builder.elements(), false);
}

TEST(FlowchartBuilder, ConvertsFunctionsOnlyAndLeavesOutDirectives)
{
    StatementTrees t;
    AnalysisNode f = t.function(t.directive("d1"), t.stmt("a"),
                                t.withCondition(NodeKind::WhileStatement, "w", true, t.directive("d2"), t.breakStmt()),
                                t.directive("d3"), t.stmt("b"));
    FlowchartBuilder builder;
    builder.build(f);
    ASSERT_EQ(builder.elements().size(), 3u);
    const FlowElement& loop = builder.elements()[1];
    EXPECT_EQ(loop.kind, NodeKind::WhileStatement);
    EXPECT_TRUE(loop.hasBody);
    ASSERT_EQ(loop.nodes.size(), 1u);
    EXPECT_EQ(loop.nodes[0], &f.children[2]);
    // A directive between two statements does not split their run.
    EXPECT_EQ(dump(builder.elements(), false), "Stmt a\nWhile w\n  Break break\nStmt b\n");
    EXPECT_EQ(builder.root().nodes.at(0), &f);

    AnalysisNode method = t.node(NodeKind::OverloadMethod, "op", true, t.stmt("x"));
    EXPECT_EQ(built(method), "Stmt x\n");
    // An operator function with a qualified name is a function too; other kinds give no
    // elements, and building again replaces the previous tree.
    EXPECT_EQ(built(t.node(NodeKind::OverloadFunctionMethod, "A::op", true, t.stmt("y"))), "Stmt y\n");
    builder.build(t.node(NodeKind::Class, "C", true, t.stmt("x")));
    EXPECT_TRUE(builder.elements().empty());
    EXPECT_EQ(built(t.function(t.directive("d1"), t.directive("d2"))), "");
    EXPECT_EQ(built(t.function()), "");
}

TEST(FlowchartBuilder, ReplacesBracesAndGivesATryItsHandlersAsBranches)
{
    StatementTrees t;
    auto catchNode = [&](std::string name, auto&&... children) {
        return t.withCondition(NodeKind::CatchStatement, std::move(name), true, std::forward<decltype(children)>(children)...);
    };
    // a; { b; { c; } } try { d; if (i) try { e; } } catch (E) { kept; return; } g;
    AnalysisNode f = t.function(
        t.stmt("a"), t.node(NodeKind::JustBrace, "", true, t.stmt("b"), t.node(NodeKind::JustBrace, "", true, t.stmt("c"))),
        t.node(NodeKind::TryStatement, "try", true, t.stmt("d"),
               t.withCondition(NodeKind::IfStatement, "i", true, t.node(NodeKind::TryStatement, "try", true, t.stmt("e")))),
        catchNode("E", t.stmt("kept"), t.returnStmt()), t.stmt("g"));
    EXPECT_EQ(built(f), "Stmt a|b|c\n"
                        "Try try\n"
                        "  Brace try\n"  // the try's own block, first of the branches
                        "    Stmt d\n"
                        "    If i\n"
                        "      Try try\n"
                        "        Brace try\n"
                        "          Stmt e\n"
                        "  Catch E\n"
                        "    Stmt kept\n"
                        "    Return return\n"
                        "Stmt g\n");

    // Every handler after a try is one of its branches, also after a label and inside a case;
    // handlers that follow no try are dropped with their blocks.
    // x; again: try { y; } catch (A) {} catch (...) { goto again; } catch (B) { z; }
    EXPECT_EQ(built(t.function(catchNode("orphan", t.stmt("lost")), t.stmt("x"),
                               t.label("again", false, t.node(NodeKind::TryStatement, "try", true, t.stmt("y"))),
                               catchNode("A"), catchNode("...", t.gotoStmt("again")), catchNode("B", t.stmt("z")),
                               t.stmt("w"), catchNode("late"))),
              "Stmt x|again:\n"
              "Try try\n"
              "  Brace try\n"
              "    Stmt y\n"
              "  Catch A\n"
              "  Catch ...\n"
              "    Goto goto\n"
              "  Catch B\n"
              "    Stmt z\n"
              "Stmt w\n");
    EXPECT_EQ(built(t.function(t.withCondition(
                  NodeKind::SwitchStatement, "s", true,
                  t.withCondition(NodeKind::CaseStatement, "1", false, t.node(NodeKind::TryStatement, "try", true)),
                  catchNode("E", t.breakStmt())))),
              "Switch s\n  Case 1\n    Try try\n      Brace try\n      Catch E\n        Break break\n");
}

TEST(FlowchartBuilder, AThrowEndsItsStatementBox)
{
    StatementTrees t;
    auto throwStmt = [&](std::string what) {
        AnalysisNode n = t.stmt(what);
        model::TokenRefs withThrow{&throwToken()};
        withThrow.append(n.tokens);
        n.tokens = std::move(withThrow);
        return n;
    };
    // a; throw x; b; throw; c;  Nothing after a throw shares its box.
    EXPECT_EQ(built(t.function(t.stmt("a"), throwStmt("x"), t.stmt("b"), throwStmt(";"), t.stmt("c"))),
              "Stmt a|throw x\nStmt b|throw ;\nStmt c\n");
}

TEST(FlowchartBuilder, GivesAnElseToTheInnermostIfWithoutBraces)
{
    StatementTrees t;
    auto ifNode = [&](std::string name, bool body, auto&&... children) {
        return t.withCondition(NodeKind::IfStatement, std::move(name), body, std::forward<decltype(children)>(children)...);
    };
    auto elseNode = [&](std::string name, auto&&... children) {
        return t.withCondition(NodeKind::ElseStatement, std::move(name), false, std::forward<decltype(children)>(children)...);
    };
    // if (a) if (b) x; else y;
    EXPECT_EQ(built(t.function(ifNode("a", false, ifNode("b", false, t.stmt("x"))), elseNode("e", t.stmt("y")))),
              "If a\n  If b\n    Stmt x\n  Else e\n    Stmt y\n");
    // if (a) { if (b) x; } else y;
    EXPECT_EQ(built(t.function(ifNode("a", true, ifNode("b", false, t.stmt("x"))), elseNode("e", t.stmt("y")))),
              "If a\n  If b\n    Stmt x\nElse e\n  Stmt y\n");
    // if (a) if (b) if (c) x; else y; else z;  pairs y with c and z with b.
    EXPECT_EQ(built(t.function(ifNode("a", false, ifNode("b", false, ifNode("c", false, t.stmt("x")))),
                               elseNode("e1", t.stmt("y")), elseNode("e2", t.stmt("z")))),
              "If a\n  If b\n    If c\n      Stmt x\n    Else e1\n      Stmt y\n  Else e2\n    Stmt z\n");
    // if (a) if (b) x; else if (c) y; else z;  keeps the chain together under a.
    EXPECT_EQ(built(t.function(ifNode("a", false, ifNode("b", false, t.stmt("x"))),
                               t.withCondition(NodeKind::ElseIfStatement, "c", false, t.stmt("y")),
                               elseNode("e", t.stmt("z")))),
              "If a\n  If b\n    Stmt x\n  ElseIf c\n    Stmt y\n  Else e\n    Stmt z\n");
    // The same inside a loop body, and through a loop written without braces:
    // while (w) { if (a) if (b) x; else y; }   while (v) if (c) x; else y;
    EXPECT_EQ(built(t.function(t.withCondition(NodeKind::WhileStatement, "w", true,
                                               ifNode("a", false, ifNode("b", false, t.stmt("x"))),
                                               elseNode("e", t.stmt("y"))))),
              "While w\n  If a\n    If b\n      Stmt x\n    Else e\n      Stmt y\n");
    EXPECT_EQ(built(t.function(t.withCondition(NodeKind::WhileStatement, "v", false, ifNode("c", false, t.stmt("x"))),
                               elseNode("e", t.stmt("y")))),
              "While v\n  If c\n    Stmt x\n  Else e\n    Stmt y\n");
    // An else with nothing that can take it stays where it is.
    EXPECT_EQ(built(t.function(elseNode("e", t.stmt("y")), t.stmt("x"), elseNode("e2"))),
              "Else e\n  Stmt y\nStmt x\nElse e2\n");
}

TEST(FlowchartBuilder, SplitsLabelsIntoABoxAndTheLabelledStatements)
{
    StatementTrees t;
    // a; end: b; c;  gives one run that shows the label.
    EXPECT_EQ(built(t.function(t.stmt("a"), t.label("end", false, t.stmt("b")), t.stmt("c"))), "Stmt a|end:|b|c\n");
    // again: while (w) x;  puts the label's box in front of the loop.
    EXPECT_EQ(built(t.function(t.label("again", false, t.withCondition(NodeKind::WhileStatement, "w", false, t.stmt("x"))))),
              "Stmt again:\nWhile w\n  Stmt x\n");
    // l1: l2: x;  keeps x; a label governing a block keeps every statement of it.
    EXPECT_EQ(built(t.function(t.label("l1", false, t.label("l2", false, t.stmt("x"))))), "Stmt l1:|l2:|x\n");
    EXPECT_EQ(built(t.function(t.label("l", true, t.stmt("x"), t.returnStmt(), t.stmt("y")))),
              "Stmt l:|x\nReturn return\nStmt y\n");
    EXPECT_EQ(built(t.function(t.label("last", false))), "Stmt last:\n");
}

TEST(FlowchartBuilder, SpreadsCaseLabelsSideBySideAndGivesThemTheirStatements)
{
    StatementTrees t;
    auto caseNode = [&](std::string value, bool body, auto&&... children) {
        return t.withCondition(NodeKind::CaseStatement, std::move(value), body, std::forward<decltype(children)>(children)...);
    };
    // switch (s) { x; case 1: case 2: a(); break; case 3: case 4: case 5: b(); default: c(); d(); }
    AnalysisNode f = t.function(t.withCondition(
        NodeKind::SwitchStatement, "s", true, t.stmt("x"), caseNode("1", false, caseNode("2", false, t.stmt("a"))),
        t.breakStmt(), caseNode("3", false, caseNode("4", false, caseNode("5", false, t.stmt("b")))),
        t.node(NodeKind::DefaultStatement, "default", false, t.stmt("c")), t.stmt("d")));
    EXPECT_EQ(built(f), "Switch s\n"
                        "  Stmt x\n"
                        "  Case 1\n"
                        "  Case 2\n"
                        "    Stmt a\n"
                        "    Break break\n"
                        "  Case 3\n"
                        "  Case 4\n"
                        "  Case 5\n"
                        "    Stmt b\n"
                        "  Default default\n"
                        "    Stmt c|d\n");
    // case 1: { case 2: a(); b(); }  keeps the statements behind the inner label; a case outside
    // a switch body is left as it is.
    EXPECT_EQ(built(t.function(t.withCondition(NodeKind::SwitchStatement, "s", true,
                                               caseNode("1", true, caseNode("2", false, t.stmt("a")), t.stmt("b"))),
                               caseNode("9", false, caseNode("10", false)))),
              "Switch s\n  Case 1\n  Case 2\n    Stmt a|b\nCase 9\n  Case 10\n");
}

TEST(FlowchartBuilder, JoinsTheClosingWhileToItsDoLoopAtAnyDepth)
{
    StatementTrees t;
    auto doLoop = [&](std::string name, auto&&... children) {
        return t.node(NodeKind::DoStatement, std::move(name), true, std::forward<decltype(children)>(children)...);
    };
    auto whileNode = [&](std::string name, bool body, auto&&... children) {
        return t.withCondition(NodeKind::WhileStatement, std::move(name), body, std::forward<decltype(children)>(children)...);
    };
    AnalysisNode f = t.function(doLoop("do1", t.stmt("a"), doLoop("do2", t.stmt("b")), whileNode("w2", false, t.stmt(";"))),
                                whileNode("w1", false, t.stmt(";")), whileNode("w3", true, t.stmt("c")));
    FlowchartBuilder builder;
    builder.build(f);
    EXPECT_EQ(dump(builder.elements(), false), "Do do1|w1\n  Stmt a\n  Do do2|w2\n    Stmt b\nWhile w3\n  Stmt c\n");
    EXPECT_EQ(builder.elements()[0].nodes[1], &f.children[1]);
}

}  // namespace
}  // namespace qm::detail
