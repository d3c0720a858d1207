// Input that no compiler would accept must still parse without a crash, and stay bounded.
#include "parser/classify_nodes.h"
#include "parser/expression_analyzer.h"
#include "parser/group_tokens.h"
#include "parser_test_support.h"

#include <gtest/gtest.h>

#include <random>

namespace qm::parser::testing {
namespace {

int treeDepth(const NodeList& nodes)
{
    int deepest = 0;
    const NodeList* level = &nodes;
    // Follows the last node with children, which is where a nested block sits.
    while (!level->empty()) {
        const AnalysisNode* withChildren = nullptr;
        for (const auto& node : *level) {
            if (!node.children.empty()) withChildren = &node;
        }
        ++deepest;
        if (withChildren == nullptr) break;
        level = &withChildren->children;
    }
    return deepest;
}

TEST(HostileInput, RandomBytes)
{
    std::mt19937 random(20240611);
    const std::string alphabet = "{}();:#<>,~*&\n \"'abc class struct template operator public";
    for (int round = 0; round < 40; ++round) {
        std::string text;
        for (int i = 0; i < 3000; ++i) {
            if (round % 2 == 0) {
                text += static_cast<char>(random() % 256);
            } else {
                text += alphabet[random() % alphabet.size()];
            }
        }
        ParsedText parsed;
        parseText(parsed, text);
        describeTree(parsed);
    }
}

TEST(HostileInput, DeepNestingStopsAtTheLimitAndSaysSoOnce)
{
    const std::size_t levels = 100000;
    std::string text(levels, '{');
    text += "int x;";
    text += std::string(levels, '}');
    text += "{{{{}}}}";  // a second deep file region would not log again
    text += std::string(levels, '{') + std::string(levels, '}');
    text += "class After {};";

    ParsedText parsed;
    parseText(parsed, text, "deep.cpp");
    EXPECT_EQ(std::vector<std::string>{"deep.cpp: nesting too deep"}, parsed.log);
    // The file level plus one level per grouped block.
    EXPECT_EQ(kMaxBlockDepth + 1, treeDepth(parsed.unit.nodes));

    // The innermost grouped node keeps the deeper blocks as plain tokens, braces included.
    const AnalysisNode* node = &parsed.unit.nodes.front();
    while (!node->children.empty()) node = &node->children.front();
    ASSERT_EQ(2 * (levels - kMaxBlockDepth) + 3, node->tokens.size());
    EXPECT_EQ('{', node->tokens.front()->code);
    EXPECT_EQ('}', node->tokens.back()->code);

    ASSERT_FALSE(parsed.unit.nodes.empty());
    const AnalysisNode& after = parsed.unit.nodes.back();
    EXPECT_EQ(NodeKind::Class, after.kind);
    EXPECT_EQ("After", describeDetail(after));
}

TEST(HostileInput, UnclosedParenthesesAndAttributesLeaveTheRestOfTheFile)
{
    // Braces inside parentheses are plain tokens until the parentheses turn out never to close:
    // then the first of them opens a block after all, and the declarations after it are found.
    std::string text = "__attribute__((unused) static void broken(int a) { if (a) { g({1}); } }\n";
    for (int i = 0; i < 20000; ++i) text += "f({} ";  // parentheses that never close around closed braces
    text += "\nclass After { void h() {} };\n[[nodiscard int g();\ntemplate <class T = A<B<C>>>> struct X {};\n";
    text += "template <class T = A<B>>= 1> class Y {};\nvoid last() {}\n";
    ParsedText parsed;
    parseText(parsed, text, "bad.cpp");
    bool foundAfter = false;
    for (const auto& node : parsed.unit.nodes) foundAfter = foundAfter || describeDetail(node) == "After";
    EXPECT_TRUE(foundAfter);
    ASSERT_FALSE(parsed.unit.nodes.empty());
    EXPECT_EQ("last returns: void params 0", describeDetail(parsed.unit.nodes.back()));
    EXPECT_EQ(std::vector<std::string>{"bad.cpp: attribute not closed in line 1"}, parsed.log);
}

TEST(HostileInput, ComparisonsAndNestedNamesThatLookLikeTemplatesStayLinear)
{
    // Every `<` after a name could open template arguments; none of these closes.
    std::string comparisons = "bool v = a";
    for (int i = 0; i < 50000; ++i) comparisons += " < b || a";
    comparisons += " < g();\nvoid f() { h(a";
    for (int i = 0; i < 50000; ++i) comparisons += " < b, a";
    comparisons += "); }\n";
    ParsedText parsed;
    parseText(parsed, comparisons);
    ASSERT_EQ(2U, parsed.unit.nodes.size());
    EXPECT_EQ("f returns: void params 0", describeDetail(parsed.unit.nodes.back()));

    // A namespace name of more components than blocks may nest is left alone.
    std::string names = "namespace a";
    for (int i = 0; i < 50000; ++i) names += "::b";
    names += " { int x; }\nnamespace c::d { int y; }\n";
    ParsedText nested;
    parseText(nested, names);
    ASSERT_EQ(2U, nested.unit.nodes.size());
    EXPECT_EQ(NodeKind::Unknown, nested.unit.nodes.front().kind);
    EXPECT_EQ("\"c\"", describeDetail(nested.unit.nodes.back()));
}

TEST(HostileInput, ObjectiveCOpeningsWithoutAnEndStayLinear)
{
    // 100,000 `@interface` lines and no `@end`: no block, each line its own declaration, and one
    // look for an `@end` in all.
    std::string text;
    for (int i = 0; i < 100000; ++i) text += "@interface I" + std::to_string(i) + ";\n";
    text += "int last;\n";
    ParsedText parsed;
    parseText(parsed, text);
    ASSERT_EQ(100001U, parsed.unit.nodes.size());
    EXPECT_EQ(NodeKind::ShortDeclare, parsed.unit.nodes.back().kind);
}

TEST(HostileInput, LongDeclaratorListsAndNestedCallsStayLinear)
{
    // 100,000 declarators: the further declarators of one declaration lie side by side.
    std::string list = "A::B first[1]";
    for (int i = 0; i < 100000; ++i) list += ", d" + std::to_string(i) + "[2]";
    list += ";";
    ParsedText declarators;
    parseText(declarators, list);
    ASSERT_EQ(1U, declarators.unit.nodes.size());
    const auto* variable = declarators.unit.nodes.front().detailAs<model::VariableDetail>();
    ASSERT_NE(nullptr, variable);
    ASSERT_EQ(100000U, variable->more.size());
    EXPECT_EQ("d99999", variable->more.back().name.name);
    EXPECT_EQ("[ 2 ]", spaced(variable->more.back().dimensionTokens));
    for (const auto& next : variable->more) ASSERT_TRUE(next.more.empty());

    // A megabyte line of calls nested 100,000 deep inside an expression block: every level would
    // copy the rest of the line as its argument; the records stay within a bounded budget.
    std::string calls = "void f() { auto step = [&]() { ";  // an expression statement: its block holds expressions
    for (int i = 0; i < 100000; ++i) calls += "g(";
    calls += "x";
    calls += std::string(100000, ')');
    calls += "; }; }";
    ParsedText nested;
    parseText(nested, calls);
    const AnalysisNode& body = nested.unit.nodes.front().children.front().children.front();
    ASSERT_EQ(NodeKind::Expression, body.kind);
    std::size_t copied = 0;
    for (const auto& call : body.detailAs<model::ExpressionDetail>()->calls) {
        for (const auto& argument : call.arguments) copied += argument.tokens.size();
    }
    EXPECT_LE(copied, (ExpressionAnalyzer::kArgumentBudgetFactor + 1) * body.tokens.size());
}

TEST(HostileInput, RunsOfBraces)
{
    for (std::string_view text : {"}}}}}}}}", "{{{{{{{{", "}{}{}{}{", "{{{{}}}}}}}}}}class A{};", "{}{}{}{}"}) {
        ParsedText parsed;
        parseText(parsed, text);
        EXPECT_TRUE(parsed.log.empty()) << text;
    }
    // Unclosed blocks run to the end of the file and keep what they hold.
    EXPECT_EQ("[Namespace] \"n\" 1-1 {}\n"
              "  [Class] 1-1 {}\n"
              "    [Short declare] int x access 3 1-1\n",
              describeText("namespace n { class { int x;"));
    EXPECT_EQ("", describeText("}{ class A {};"));
}

TEST(HostileInput, DeclarationsCutOffByTheEndOfTheFile)
{
    for (std::string_view text : {"template <class T", "class A : public B<", "class A : public", "class", "#include",
                                  "#", "typedef", "typedef int", "using", "using namespace", "namespace A =",
                                  "extern", "asm (", "class A { public", "struct S { bool operator", "class C { operator",
                                  "class C { public :", "template", "export template <", "f ( a , ( b"}) {
        ParsedText parsed;
        parseText(parsed, text);
        EXPECT_TRUE(parsed.log.empty()) << text;
    }
    EXPECT_EQ("** Unknown {template < class T} 1-1\n", describeText("template <class T"));
    EXPECT_EQ("[Typedef] 1-1\n", describeText("typedef int"));
    EXPECT_EQ("[Class] A 1-1\n", describeText("class A : public"));
}

TEST(Classification, StopRequestLeavesEverythingUnclassified)
{
    TokenList list("class A { public: int x; };");
    model::SourceUnit unit;
    unit.tokens = list.tokens;
    groupTokens(unit.tokens, unit.nodes);
    std::atomic<bool> stop{true};
    classifyNodes(unit.nodes, model::ParseContext::Declarations, stop);
    ASSERT_EQ(1u, unit.nodes.size());
    EXPECT_FALSE(unit.nodes[0].classified);
    EXPECT_FALSE(unit.nodes[0].children.front().classified);
}

TEST(Classification, AccessIsWrittenOnlyInClassBodies)
{
    // Before any label a class member is private, a struct member records no access.
    const std::string tree = describeText("class C { struct A a; public: struct B b; };\n"
                                          "struct S { struct A a; private: struct B b; };");
    EXPECT_EQ("[Class] C 1-1 {}\n"
              "  [Struct declare] A a access 3 1-1\n"
              "  [public] 1-1\n"
              "  [Struct declare] B b access 1 1-1\n"
              "[Struct] S 2-2 {}\n"
              "  [Struct declare] A a 2-2\n"
              "  [private] 2-2\n"
              "  [Struct declare] B b 2-2\n",
              tree);
}

}  // namespace
}  // namespace qm::parser::testing
