#include "model/token.h"
#include "model/token_string.h"
#include "model/token_text.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace qm::model {
namespace {

std::string spell(TokenCode code, std::string_view text = "")
{
    return spellToken(Token{1, code, TokenString(text)});
}

TEST(TokenText, JoinsSpellingsSpacedOrUnspaced)
{
    const std::vector<Token> values{{1, tok::Identifier, "a"}, {1, '+', {}}, {1, tok::Identifier, "b"}};
    const std::vector<const Token*> refs{&values[0], &values[1], &values[2]};
    EXPECT_EQ(TokenText(refs, true), "a + b");
    EXPECT_EQ(TokenText(refs, false), "a+b");
    EXPECT_EQ(TokenText(values, true), "a + b");
    EXPECT_EQ(TokenText(values, false), "a+b");
    EXPECT_EQ(TokenText(std::span<const Token* const>(), true), "");
    EXPECT_EQ(TokenText(std::span<const Token>(), false), "");
    EXPECT_EQ(TokenText(std::span(values).first(1), true), "a");
    // The trailing blank goes only when something precedes it.
    EXPECT_EQ(TokenText(std::vector<Token>{{1, tok::Identifier, ""}}, true), " ");
    std::string out = "p";
    appendSpelling(out, Token{1, tok::Arrow, {}});
    EXPECT_EQ(out, "p->");
}

TEST(SpellToken, WritesTokensAsSourceText)
{
    EXPECT_EQ(spell(tok::AngleInclude, "x.h"), "include<x.h>");
    EXPECT_EQ(spell(tok::StringLiteral, R"(a\n)"), R"("a\n")");
    EXPECT_EQ(spell(tok::QuotedHeaderName, "a.h"), R"("a.h")");
    EXPECT_EQ(spell(tok::CharLiteral, R"(\')"), R"('\'')");
    EXPECT_EQ(spell(tok::Reserved), "\n");
    EXPECT_EQ(spell('{'), "{");
    EXPECT_EQ(spell(tok::HexInteger, "0x1F"), "0x1F");
    EXPECT_EQ(spell(tok::Identifier, "a_rather_long_identifier"), "a_rather_long_identifier");
    EXPECT_EQ(spell(tok::Int), "int");
    EXPECT_EQ(spell(tok::ShiftLeftAssign), "<<=");
    EXPECT_EQ(spell(tok::Undef), "undef");
    for (TokenCode noText : {255, 256, 257, 258, 380, 381}) {
        EXPECT_EQ(spell(noText, "ignored"), "Error Token") << noText;
    }
    EXPECT_EQ(fixedSpelling(tok::Declspec), "__declspec");
    // Every operator, reserved word and directive word is spelled by its fixed text.
    for (TokenCode code = tok::DotStar; code <= tok::Undef; ++code) {
        EXPECT_FALSE(fixedSpelling(code).empty()) << code;
        EXPECT_EQ(spell(code), fixedSpelling(code)) << code;
    }
}

TEST(Token, OnlyLiteralsIdentifiersAndHeaderNamesCarryText)
{
    for (TokenCode code = 0; code <= 400; ++code) {
        EXPECT_EQ(carriesText(code), code >= 259 && code <= 268 && code != 266) << code;
    }
    EXPECT_EQ(sizeof(Token), 12u);
    const Token a{3, tok::Identifier, "name"};
    EXPECT_EQ(a, (Token{3, tok::Identifier, "name"}));
    EXPECT_NE(a, (Token{4, tok::Identifier, "name"}));
    EXPECT_NE(a, (Token{3, tok::Identifier, "nam"}));
}

TEST(TokenString, KeepsShortTextsInlineAndLongOnesOnTheHeap)
{
    EXPECT_TRUE(TokenString().empty());
    const std::string seven(TokenString::kInlineCapacity, 'q'), eight(TokenString::kInlineCapacity + 1, 'w'),
        withNul("a\0b", 3);
    EXPECT_EQ(TokenString(seven).view(), seven);
    EXPECT_EQ(TokenString(seven).heapBytes(), 0u);
    EXPECT_EQ(TokenString(eight).view(), eight);
    EXPECT_GE(TokenString(eight).heapBytes(), eight.size());
    EXPECT_EQ(TokenString(withNul).view(), withNul);
    EXPECT_EQ(TokenString(eight + withNul).view(), eight + withNul);
    for (std::size_t n = 0; n <= 20; ++n) {
        const std::string text(n, static_cast<char>('a' + n));
        const std::string padded = text + std::string(16, '#');
        EXPECT_EQ(TokenString(PaddedText{padded.data(), n}).view(), text) << n;
    }
}

TEST(TokenString, CopiesOwnTheirTextAndMovesTakeIt)
{
    const std::string text(40, 'h'), other(30, 'n');
    auto heap = std::make_unique<TokenString>(text);
    const TokenString copy(*heap);
    EXPECT_NE(copy.view().data(), heap->view().data());
    const char* storage = heap->view().data();
    TokenString moved(std::move(*heap));
    EXPECT_TRUE(heap->empty());
    EXPECT_EQ(moved.view().data(), storage);
    heap.reset();
    EXPECT_EQ(copy, text);  // still readable after the original is gone

    // Assignments release what they replace (the leak checker watches) and survive aliasing.
    TokenString target("short");
    target = copy;
    EXPECT_EQ(target, text);
    target = TokenString(other);
    TokenString& alias = target;
    target = alias;
    target = std::move(alias);
    EXPECT_EQ(target, other);
    target = TokenString("tiny");
    EXPECT_EQ(target.heapBytes(), 0u);
    TokenString a("inline"), b(text);
    a.swap(b);
    EXPECT_EQ(a, text);
    EXPECT_EQ(b, "inline");
}

}  // namespace
}  // namespace qm::model

namespace qm::model {
namespace {

// Long texts that share one block outlive the writer and each other in any order; copies share
// the block, moves leave the source empty, and the last holder frees it (checked by the address
// sanitizer of the test build).
TEST(TokenStringShared, BlocksOutliveWriterAndCopies)
{
    std::vector<TokenString> texts;
    std::vector<std::string> expected;
    {
        TextBlockWriter writer;
        for (int i = 0; i < 300; ++i) {
            // Lengths of every remainder modulo 4, so that records start at every offset.
            expected.push_back("a long text, number " + std::to_string(i) + std::string(static_cast<std::size_t>(i % 5), '+'));
            texts.emplace_back(writer.add(expected.back(), 1000));
        }
    }
    std::vector<TokenString> copies(texts.begin(), texts.end());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(texts[i].view(), expected[i]);
        EXPECT_EQ(copies[i], texts[i]);
        EXPECT_GE(copies[i].heapBytes(), expected[i].size());
        EXPECT_EQ(copies[i].view().data(), texts[i].view().data());  // shared, not copied
    }
    texts.clear();  // the copies now hold the only references
    TokenString moved = std::move(copies[7]);
    EXPECT_TRUE(copies[7].empty());
    EXPECT_EQ(moved.view(), expected[7]);
    copies[8] = copies[9];
    copies[9] = TokenString("short");
    EXPECT_EQ(copies[8].view(), expected[9]);
    EXPECT_EQ(copies[9].view(), "short");
    copies.clear();
    EXPECT_EQ(moved.view(), expected[7]);
}

// Threads that drop their copies of the same shared texts at the same time, each gathering its
// releases, leave the blocks alive while any copy is left and free them after the last (checked
// by the address sanitizer: a count taken down too far frees a block that is still read).
TEST(TokenStringShared, CopiesDroppedByManyThreadsKeepTheirBlocksRight)
{
    std::vector<TokenString> texts;
    {
        TextBlockWriter writer;
        for (int i = 0; i < 2000; ++i) {
            texts.emplace_back(writer.add("shared long text number " + std::to_string(i), 100000));
        }
    }
    std::vector<std::vector<TokenString>> copies(4, texts);
    std::vector<std::thread> threads;
    for (auto& own : copies) {
        threads.emplace_back([&own] {
            for (int round = 0; round < 50; ++round) {
                std::vector<TokenString> more(own.begin(), own.end());
                more.clear();
            }
            own.clear();
        });
    }
    for (auto& thread : threads) thread.join();
    for (std::size_t i = 0; i < texts.size(); i += 97) {
        EXPECT_EQ(texts[i].view(), "shared long text number " + std::to_string(i));
    }
}

}  // namespace
}  // namespace qm::model
