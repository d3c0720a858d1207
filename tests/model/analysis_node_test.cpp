#include "model/analysis_node.h"
#include "model/node_kind.h"
#include "model/parse_context.h"

#include "tree_builder.h"

#include <gtest/gtest.h>

namespace qm::model {
namespace {

using namespace test_trees;

TEST(SplitTrailingStatement, MovesTheTailTokensChildrenAndBodyIntoOneNewChild)
{
    TokenPool pool;
    TokenRefs t;  // if ( a ) x = 1 ;
    for (TokenCode code : {TokenCode(tok::If), TokenCode('('), TokenCode(tok::Identifier), TokenCode(')'),
                           TokenCode(tok::Identifier), TokenCode('='), TokenCode(tok::DecimalInteger), TokenCode(';')}) {
        t.push_back(pool.add(code, "", 7));
    }
    AnalysisNode node = with(makeNode(NodeKind::IfStatement, std::make_unique<ConditionDetail>(), true),
                             makeNode(NodeKind::Variable), makeNode(NodeKind::Function));
    node.tokens = t;

    splitTrailingStatement(node, 4);
    EXPECT_EQ(node.tokens, TokenRefs(t.begin(), t.begin() + 4));
    EXPECT_FALSE(node.hasBody);
    EXPECT_NE(node.detailAs<ConditionDetail>(), nullptr);
    ASSERT_EQ(node.children.size(), 1u);
    const AnalysisNode& governed = node.children[0];
    EXPECT_EQ(governed.tokens, TokenRefs(t.begin() + 4, t.end()));
    EXPECT_TRUE(governed.hasBody);
    ASSERT_EQ(governed.children.size(), 2u);
    EXPECT_EQ(governed.children[0].kind, NodeKind::Variable);
    EXPECT_EQ(governed.children[1].kind, NodeKind::Function);

    // Splitting at either end leaves one side without tokens.
    AnalysisNode all = makeNode(NodeKind::ElseStatement);
    all.tokens = t;
    splitTrailingStatement(all, 0);
    EXPECT_EQ(all.line(), 0);
    EXPECT_EQ(all.children.at(0).tokens, t);
    EXPECT_EQ(all.children.at(0).line(), 7);
    EXPECT_FALSE(all.children.at(0).hasBody);
    AnalysisNode none = makeNode(NodeKind::ElseStatement);
    none.tokens = t;
    splitTrailingStatement(none, t.size());
    EXPECT_EQ(none.tokens, t);
    EXPECT_TRUE(none.children.at(0).tokens.empty());
}

template <typename D>
AnalysisNode member(NodeKind kind, Access access)
{
    return detailNode<D>(kind, false, [&](D& d) { d.access = access; });
}

TEST(AccessOf, ReadsTheDetailOfMemberKindsOnly)
{
    EXPECT_EQ(accessOf(member<VariableDetail>(NodeKind::Variable, Access::Private)), Access::Private);
    EXPECT_EQ(accessOf(member<ClassDeclareDetail>(NodeKind::ClassDeclare, Access::Public)), Access::Public);
    EXPECT_EQ(accessOf(member<ClassDeclareDetail>(NodeKind::StructDeclare, Access::Protected)), Access::Protected);
    EXPECT_EQ(accessOf(member<ShortDeclareDetail>(NodeKind::ShortDeclare, Access::Private)), Access::Private);
    EXPECT_EQ(accessOf(member<FunctionDetail>(NodeKind::Function, Access::Protected)), Access::Protected);
    EXPECT_EQ(accessOf(member<OperatorDetail>(NodeKind::OverloadMethod, Access::Public)), Access::Public);
    EXPECT_EQ(accessOf(member<OperatorFunctionDetail>(NodeKind::OverloadFunctionMethod, Access::Private)),
              Access::Private);
    // Other kinds, a detail of another type and no detail at all give None.
    EXPECT_EQ(accessOf(member<FunctionDetail>(NodeKind::Typedef, Access::Public)), Access::None);
    EXPECT_EQ(accessOf(textNode(NodeKind::Function, "f")), Access::None);
    EXPECT_EQ(accessOf(makeNode(NodeKind::Variable)), Access::None);
}

TEST(ChildContext, FollowsTheKindOfTheParent)
{
    for (std::int32_t k = 0; k <= 64; ++k) {
        ParseContext expected = ParseContext::DirectivesOnly;
        if (k == 2 || k == 22 || (k >= 37 && k <= 42) || (k >= 47 && k <= 52) || k == 58 || k == 59) {
            expected = ParseContext::Statements;
        } else if (k == 4) {
            expected = ParseContext::ClassBody;
        } else if (k == 5 || k == 6) {
            expected = ParseContext::StructBody;
        } else if (k == 8 || k == 10 || k == 14 || k == 18) {
            expected = ParseContext::Declarations;
        } else if (k == 53) {
            expected = ParseContext::Expression;
        }
        EXPECT_EQ(childContext(static_cast<NodeKind>(k)), expected) << "kind " << k;
    }
}

TEST(NodeKindName, GivesTheDisplayNames)
{
    EXPECT_EQ(nodeKindName(NodeKind::Class), "[Class]");
    EXPECT_EQ(nodeKindName(0), "** Unknown");
    EXPECT_EQ(nodeKindName(NodeKind::OverloadFunctionMethod), "[Overload Funtion method]");
    EXPECT_EQ(nodeKindName(51), "[try statement]");
    EXPECT_EQ(nodeKindName(63), "Global Variable(s)");
    for (std::int32_t unnamed : {3, 16, 61, 62, 65, -1}) {
        EXPECT_EQ(nodeKindName(unnamed), "") << unnamed;
    }
}

}  // namespace
}  // namespace qm::model
