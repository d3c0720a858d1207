#include "parser/parse_parameters.h"
#include "parser_test_support.h"

#include <gtest/gtest.h>

namespace qm::parser::testing {
namespace {

// The parameters of the first `(` of `text`, one spaced text each, joined by " | ".
std::string parametersOf(std::string_view text)
{
    TokenList list(text);
    AnalysisNode node = list.node();
    std::size_t open = 0;
    while (open < node.tokens.size() && node.tokens[open]->code != '(') ++open;
    std::string out;
    for (const auto& parameter : parseParameters(node, open)) {
        if (!out.empty()) out += " | ";
        out += spaced(parameter.tokens);
    }
    return out;
}

TEST(ParseParameters, CutsAtTopLevelCommasUpToTheMatchingParenthesis)
{
    EXPECT_EQ("int a | const char * b", parametersOf("void f ( int a , const char * b ) ;"));
    EXPECT_EQ("a | g ( b , c ) | ( d )", parametersOf("f ( a , g ( b , c ) , ( d ) )"));
    EXPECT_EQ("int x", parametersOf("void f ( int x ) const ( y , z ) ;"));
    EXPECT_EQ("", parametersOf("void f ( ) ;"));
    EXPECT_EQ("a", parametersOf("f ( , a , , )"));
}

TEST(ParseParameters, UnclosedListRunsToTheNodeEnd)
{
    EXPECT_EQ("int a | int b", parametersOf("void f ( int a , int b"));
    EXPECT_EQ("x ( y", parametersOf("f ( x ( y"));
    EXPECT_EQ("", parametersOf("f ("));
}

}  // namespace
}  // namespace qm::parser::testing
