// Newline tokens taken out of a unit before grouping: the full sequence can be walked again, the
// newlines that directive lines need stay, and the tree is the one the full sequence gives.
#include "parser/classify_nodes.h"
#include "parser/group_tokens.h"
#include "parser_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace qm::parser::testing {
namespace {

namespace fs = std::filesystem;
using model::LineBreaks;
using model::Token;
namespace tok = model::tok;

std::vector<Token> tokensOf(std::string_view text)
{
    std::vector<Token> tokens;
    frontend::tokenizeText(text, tokens, [](std::string_view) {});
    return tokens;
}

std::vector<Token> fullSequence(const std::vector<Token>& thinned, const LineBreaks& breaks)
{
    std::vector<Token> full;
    breaks.forEachToken(thinned, [&](const Token& token) { full.push_back(token); });
    return full;
}

// Every node as its kind and its tokens, children indented: what grouping and classifying made.
void describe(const NodeList& nodes, int depth, std::string& out)
{
    for (const auto& node : nodes) {
        out += std::string(static_cast<std::size_t>(depth) * 2, ' ') + std::string(model::nodeKindName(node.kind));
        out += " [" + model::TokenText(node.tokens, true) + "]" + (node.hasBody ? " {}" : "") + "\n";
        describe(node.children, depth + 1, out);
    }
}

// The tree of `text` grouped from its full token sequence and from the thinned one.
std::pair<std::string, std::string> treesBothWays(std::string_view text)
{
    std::atomic<bool> stop{false};
    std::vector<Token> full = tokensOf(text);
    NodeList fromFull;
    groupTokens(full, fromFull);
    classifyNodes(fromFull, model::ParseContext::Declarations, stop);

    std::vector<Token> thinned = tokensOf(text);
    LineBreaks breaks;
    breaks.takeOutOf(thinned);
    NodeList fromThinned;
    const std::vector<bool> newlineBefore = breaks.newlineFlags(thinned.size());
    groupTokens(thinned, fromThinned, newlineBefore);
    classifyNodes(fromThinned, model::ParseContext::Declarations, stop);

    std::pair<std::string, std::string> trees;
    describe(fromFull, 0, trees.first);
    describe(fromThinned, 0, trees.second);
    return trees;
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

// Kept: the newlines that end directive lines and the one before each `#`. Taken out: the rest,
// blank lines and lines after a comment over several lines included, and they come back in
// place, with their lines, when the sequence is walked.
TEST(LineBreaks, KeepsWhatDirectivesNeedAndGivesBackTheFullSequence)
{
    const std::string text =
        "#include \"a.h\"\n"
        "int f(int a,\n"
        "      int b);\n"
        "\n"
        "\n"
        "/* a comment\n"
        "   over lines */\n"
        "class C\n"
        "{\n"
        "# define X 1\n"
        "};\n"
        "  # if X\n"
        "int g;\n"
        "#endif";
    const std::vector<Token> original = tokensOf(text);
    std::vector<Token> thinned = original;
    LineBreaks breaks;
    breaks.takeOutOf(thinned);
    const std::vector<bool> newlineBefore = breaks.newlineFlags(thinned.size());

    std::vector<int> keptNewlineLines;
    for (const Token& token : thinned) {
        if (token.code == tok::Newline) keptNewlineLines.push_back(token.line);
    }
    // After `#include` (1), before `# define` (9), after it (10), before `# if` (11), after it
    // (12), before `#endif` (13).
    EXPECT_EQ(keptNewlineLines, (std::vector<int>{1, 9, 10, 11, 12, 13}));
    const auto newlines = std::count_if(original.begin(), original.end(), [](const Token& t) { return t.code == tok::Newline; });
    EXPECT_EQ(breaks.size() + keptNewlineLines.size(), static_cast<std::size_t>(newlines));
    EXPECT_EQ(thinned.size() + breaks.size(), original.size());

    EXPECT_EQ(fullSequence(thinned, breaks), original);

    ASSERT_EQ(newlineBefore.size(), thinned.size());
    std::string flagged;  // the tokens with newlines taken out right before them
    for (std::size_t i = 0; i < thinned.size(); ++i) {
        if (newlineBefore[i]) flagged += model::spellToken(thinned[i]) + " ";
    }
    EXPECT_EQ(flagged, "int class { ");

    // Asked again, nothing more is taken.
    std::vector<Token> again = thinned;
    breaks.takeOutOf(again);
    EXPECT_EQ(again, thinned);
    EXPECT_EQ(breaks.newlineFlags(again.size()), newlineBefore);
    EXPECT_EQ(fullSequence(again, breaks), original);
}

// Where a newline is the token before another, grouping decides differently (`return` then a
// brace on the next line is a block; an access word then `:` on the next line is no label), and
// an `@` and `end` on two lines close no Objective-C block: the thinned sequence keeps all that.
TEST(LineBreaks, GroupingTheThinnedSequenceGivesTheSameTree)
{
    const std::vector<std::string> texts = {
        "int f() {\n  return\n  {1, 2};\n}\n",
        "class A {\npublic\n:\n int x;\nprivate:\n int y;\n};\n",
        "Foo::Foo() : a_\n{1}, b_{2}\n{\n}\n",
        "@interface X\n@\nend\nint after() { return 0; }\n@end\nint last;\n",
        "void g(int a = {\n0}) {\n}\n",
        "#define M(x) \\\n  x\nint a; # not a directive\n#if 1\nint b;\n#endif\n",
        "\n\n\n",
        "",
        "struct S { int a;\n\n\n int b; } s;\n#pragma once",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        const auto [full, thinned] = treesBothWays(text);
        EXPECT_EQ(thinned, full);
    }
}

// The same over every golden parser input: the round trip gives the tokens back, and the trees
// agree.
TEST(LineBreaks, GoldenInputsRoundTripAndGroupAlike)
{
    std::size_t cases = 0;
    for (const auto& entry : fs::directory_iterator(QM_TEST_DATA_DIR)) {
        const fs::path input = entry.path() / "input.cpp";
        if (!fs::exists(input)) continue;
        SCOPED_TRACE(input.string());
        const std::string text = readFile(input);
        const std::vector<Token> original = tokensOf(text);
        std::vector<Token> thinned = original;
        LineBreaks breaks;
        breaks.takeOutOf(thinned);
        EXPECT_EQ(fullSequence(thinned, breaks), original);
        const auto [full, fromThinned] = treesBothWays(text);
        EXPECT_EQ(fromThinned, full);
        ++cases;
    }
    EXPECT_GT(cases, 20u);
}

}  // namespace
}  // namespace qm::parser::testing
