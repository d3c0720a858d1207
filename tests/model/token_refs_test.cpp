#include "model/token.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace qm::model {
namespace {

std::vector<const Token*> pointers(const TokenRefsView& refs)
{
    return {refs.begin(), refs.end()};
}

class TokenRefsTest : public ::testing::Test {
protected:
    std::vector<Token> tokens = std::vector<Token>(10, Token{1, tok::Identifier, "x"});
    const Token* at(std::size_t i) const { return &tokens[i]; }
};

// Appending consecutive tokens keeps a stretch; the first gap turns it into an array, and the
// sequence reads the same either way.
TEST_F(TokenRefsTest, StretchUntilAGapThenArray)
{
    TokenRefs refs;
    for (std::size_t i = 0; i < 4; ++i) refs.push_back(at(i));
    EXPECT_TRUE(refs.isStretch());
    EXPECT_EQ(refs.heapBytes(), 0u);
    EXPECT_EQ(pointers(refs), (std::vector<const Token*>{at(0), at(1), at(2), at(3)}));

    refs.push_back(at(6));  // a line end skipped
    refs.push_back(at(7));
    refs.push_back(at(2));  // backwards
    EXPECT_FALSE(refs.isStretch());
    EXPECT_EQ(pointers(refs), (std::vector<const Token*>{at(0), at(1), at(2), at(3), at(6), at(7), at(2)}));
    EXPECT_EQ(refs.front(), at(0));
    EXPECT_EQ(refs.back(), at(2));
    EXPECT_EQ(refs[4], at(6));
    for (int i = 0; i < 100; ++i) refs.push_back(at(9));  // grows
    EXPECT_EQ(refs.size(), 107u);
    EXPECT_EQ(refs[106], at(9));
}

// Slices, copies and edits give the same tokens as a vector of pointers would, and a copy of an
// array whose tokens happen to be consecutive becomes a stretch.
TEST_F(TokenRefsTest, SlicesCopiesAndEditsMatchAVector)
{
    for (const bool gap : {false, true}) {
        SCOPED_TRACE(gap);
        TokenRefs refs;
        std::vector<const Token*> expected;
        for (std::size_t i = 0; i < 8; ++i) {
            if (gap && i == 4) continue;
            refs.push_back(at(i));
            expected.push_back(at(i));
        }
        EXPECT_EQ(refs.isStretch(), !gap);

        const TokenRefs middle(refs.begin() + 2, refs.begin() + 6);
        EXPECT_EQ(pointers(middle), std::vector<const Token*>(expected.begin() + 2, expected.begin() + 6));
        EXPECT_EQ(pointers(refs.view().subspan(3)), std::vector<const Token*>(expected.begin() + 3, expected.end()));
        EXPECT_EQ(pointers(refs.view().first(2)), std::vector<const Token*>(expected.begin(), expected.begin() + 2));
        EXPECT_EQ(pointers(refs.view().last(2)), std::vector<const Token*>(expected.end() - 2, expected.end()));
        EXPECT_EQ(TokenRefs(expected), refs);
        EXPECT_EQ(TokenRefsView(expected), refs.view());

        TokenRefs copy = refs;
        EXPECT_EQ(copy, refs);
        copy.dropFront(2);
        expected.erase(expected.begin(), expected.begin() + 2);
        EXPECT_EQ(pointers(copy), expected);
        copy.truncate(3);
        expected.resize(3);
        EXPECT_EQ(pointers(copy), expected);
        EXPECT_NE(copy, refs);

        TokenRefs moved = std::move(copy);
        EXPECT_TRUE(copy.empty());  // NOLINT: a moved-from sequence is empty
        EXPECT_EQ(pointers(moved), expected);
        moved.truncate(0);
        EXPECT_TRUE(moved.empty());
        moved.push_back(at(9));
        EXPECT_TRUE(moved.isStretch());
    }

    TokenRefs array{at(3), at(5)};
    array.truncate(1);
    array.push_back(at(4));
    EXPECT_FALSE(array.isStretch());
    const TokenRefs copied(array);
    EXPECT_TRUE(copied.isStretch());
    EXPECT_EQ(pointers(copied), (std::vector<const Token*>{at(3), at(4)}));
}

// A null reference never starts or continues a stretch.
TEST_F(TokenRefsTest, NullReferencesAreKept)
{
    TokenRefs refs;
    refs.push_back(nullptr);
    refs.push_back(at(0));
    refs.push_back(at(1));
    EXPECT_EQ(pointers(refs), (std::vector<const Token*>{nullptr, at(0), at(1)}));
}

}  // namespace
}  // namespace qm::model
