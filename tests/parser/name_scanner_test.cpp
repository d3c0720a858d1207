#include "parser/name_scanner.h"
#include "parser_test_support.h"

#include <gtest/gtest.h>

namespace qm::parser::testing {
namespace {

ScannedName scanText(std::string_view text, std::size_t start = 0)
{
    TokenList list(text);
    ScannedName scanned = NameScanner().scan(list.refs, start);
    scanned.name.tokens.clear();  // they point into `list`
    return scanned;
}

TEST(NameScanner, QualifiedNamesEndAtTheFirstTokenThatIsNoPartOfThem)
{
    TokenList list("A::B::f ( int )");
    ScannedName scanned = NameScanner().scan(list.refs, 0);
    EXPECT_FALSE(scanned.failed);
    EXPECT_EQ("f", scanned.name.name);
    EXPECT_EQ((std::vector<std::string>{"A", "B"}), scanned.name.scope);
    EXPECT_EQ(5u, scanned.end);
    EXPECT_EQ("A :: B :: f", spaced(scanned.name.tokens));

    ScannedName fromMiddle = scanText("void Shape::area ( )", 1);
    EXPECT_EQ("area", fromMiddle.name.name);
    EXPECT_EQ(std::vector<std::string>{"Shape"}, fromMiddle.name.scope);
    EXPECT_EQ(4u, fromMiddle.end);

    ScannedName trailingScope = scanText("A::");
    EXPECT_FALSE(trailingScope.failed);
    EXPECT_EQ("", trailingScope.name.name);
    EXPECT_EQ(std::vector<std::string>{"A"}, trailingScope.name.scope);

    // The second state that starts a scan expects a name just like the first.
    TokenList again("N::g");
    EXPECT_EQ("g", NameScanner().scan(again.refs, 0, NameScanner::kExpectNameAgain).name.name);
}

TEST(NameScanner, DestructorNameEndsBeforeItsIdentifier)
{
    ScannedName dtor = scanText("~Shape ( )");
    EXPECT_FALSE(dtor.failed);
    EXPECT_EQ("~Shape", dtor.name.name);
    EXPECT_EQ(1u, dtor.end);

    ScannedName scoped = scanText("Shape::~Shape");
    EXPECT_EQ("~Shape", scoped.name.name);
    EXPECT_EQ(std::vector<std::string>{"Shape"}, scoped.name.scope);

    ScannedName twice = scanText("~~x");
    EXPECT_TRUE(twice.failed);
}

TEST(NameScanner, OperatorNames)
{
    EXPECT_EQ("+=", scanText("operator += ( int )").name.name);
    EXPECT_EQ(2u, scanText("operator += ( int )").end);
    EXPECT_EQ("()", scanText("operator ( ) ( int )").name.name);
    EXPECT_EQ(3u, scanText("operator ( ) ( int )").end);
    EXPECT_EQ("[]", scanText("operator [ ] ( int )").name.name);
    EXPECT_EQ("new", scanText("operator new ( unsigned )").name.name);
    EXPECT_EQ("->", scanText("operator ->").name.name);
    EXPECT_EQ("==", scanText("X::operator==").name.name);
    EXPECT_EQ(std::vector<std::string>{"X"}, scanText("X::operator==").name.scope);

    ScannedName conversion = scanText("operator int ( ) const");
    EXPECT_FALSE(conversion.failed);
    EXPECT_EQ("", conversion.name.name);
    EXPECT_EQ(2u, conversion.end);
}

TEST(NameScanner, NothingToScanFails)
{
    EXPECT_TRUE(scanText("::f").failed);
    EXPECT_TRUE(scanText("( x )").failed);
    EXPECT_TRUE(scanText("").failed);
    EXPECT_TRUE(scanText("a b", 2).failed);
    EXPECT_FALSE(scanText("a").failed);
}

}  // namespace
}  // namespace qm::parser::testing
