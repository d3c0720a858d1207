// The scanner's longest-match rules, their tie-breaks and the cases that back up to an earlier
// accepting position.
#include "scan_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qm::frontend {
namespace {

using testing::describe;
using testing::lines;
using testing::scan;

TEST(TokenScanner, StatementWithLinesAroundNewline)
{
    auto r = scan("a = b->c;\nd");
    EXPECT_EQ(describe(r.tokens), "265:a 61 265:b 271 265:c 59 10 265:d");
    // The newline carries the line it ends; the next token the next line.
    EXPECT_EQ(lines(r.tokens), "1 1 1 1 1 1 1 2");
}

TEST(TokenScanner, LiteralsAndHeaderNames)
{
    EXPECT_EQ(describe(R"(x = 'ab' + L"w" + "c:\temp\x.h";)"),
              "265:x 61 260:ab 43 259:w 43 267:c:\\temp\\x.h 59");
    // \f is a valid escape, so the same path with \f is a string.
    EXPECT_EQ(describe(R"("dir\f.h")"), "259:dir\\f.h");
    // Escapes stay as written; octal and hex escapes of any length.
    EXPECT_EQ(describe(R"("a\n\"\101\x4142")"), R"(259:a\n\"\101\x4142)");
    EXPECT_EQ(describe(R"('\'' L'x' '\0')"), R"(260:\' 260:x 260:\0)");
    // A wide literal that is not a valid string is the identifier L and a header name.
    EXPECT_EQ(describe(R"(L"c:\x.h")"), R"(265:L 267:c:\x.h)");
    // "abc" is a string, not a header name; "" is an empty string.
    EXPECT_EQ(describe(R"("abc" "")"), "259:abc 259:");
}

TEST(TokenScanner, UnterminatedQuotesBecomeUnknownCharacters)
{
    auto r = scan("'' \"abc\nx 'q\n");
    EXPECT_EQ(describe(r.tokens), "258 258 258 265:abc 10 265:x 258 265:q 10");
    EXPECT_EQ(r.diagnostics,
              "---------- Error Unkonwn Token  ---------- <'>\n"
              "---------- Error Unkonwn Token  ---------- <'>\n"
              "---------- Error Unkonwn Token  ---------- <\">\n"
              "---------- Error Unkonwn Token  ---------- <'>\n");
}

TEST(TokenScanner, StringContinuedOverLinesCarriesItsLastLine)
{
    auto r = scan("\"ab\\\ncd\" x");
    EXPECT_EQ(describe(r.tokens), "259:ab\\\ncd 265:x");
    EXPECT_EQ(lines(r.tokens), "2 2");
}

TEST(TokenScanner, NumbersTakeTheLongestMatch)
{
    EXPECT_EQ(describe("09"), "264:0 261:9");
    EXPECT_EQ(describe("0x"), "264:0 265:x");
    EXPECT_EQ(describe("1ull"), "261:1ul 265:l");
    EXPECT_EQ(describe("0 0L 017u 0x1FUL 0XaBc 123Lu"), "264:0 264:0L 264:017u 263:0x1FUL 263:0XaBc 261:123Lu");
    EXPECT_EQ(describe("1. .5 1e5 1.5E-3f 0.5l 1.e+2 0e5 09.5"),
              "262:1. 262:.5 262:1e5 262:1.5E-3f 262:0.5l 262:1.e+2 262:0e5 262:09.5");
    EXPECT_EQ(describe("1f 1e 1e+ 0x1.5 0778"), "261:1 265:f 261:1 265:e 261:1 265:e 43 263:0x1 262:.5 264:077 261:8");
}

TEST(TokenScanner, OperatorsTakeTheLongestMatch)
{
    EXPECT_EQ(describe("->> .... &&= ->* .* :: ## # <<= >>= ..."), "271 62 293 46 281 61 272 269 270 294 35 288 289 293");
    EXPECT_EQ(describe("%> <% %: <: :>"), "37 62 60 37 37 58 60 58 58 62");
    EXPECT_EQ(describe("++ -- += -= *= /= %= ^= &= |= << >> <= >= == != || \\"),
              "273 274 286 287 283 284 285 291 290 292 275 276 277 278 279 280 282 92");
}

TEST(TokenScanner, WordsAreReservedEverywhere)
{
    EXPECT_EQ(describe("int line = error;"), "328 374 61 373 59");
    EXPECT_EQ(describe("interface define defined __declspec __int64 _x if else"),
              "265:interface 370 371 380 265:__int64 265:_x 326 316");
    EXPECT_EQ(describe("reinterpret_cast xor_eq wchar_t Class"), "342 368 365 265:Class");
}

TEST(TokenScanner, AngleIncludeIsOneToken)
{
    EXPECT_EQ(describe("#include <sys/stat.h>"), "35 268:sys/stat.h");
    EXPECT_EQ(describe("#include \"a.h\""), "35 369 259:a.h");
    EXPECT_EQ(describe("#  include\t<a b>c>"), "35 268:a b 265:c 62");
    // A line feed between the word and `<` stops the rule: the word stays a directive word.
    EXPECT_EQ(describe("include\n<a>"), "369 10 60 265:a 62");
    EXPECT_EQ(describe("include <a"), "369 60 265:a");
    EXPECT_EQ(describe("includes <a>"), "265:includes 60 265:a 62");
}

TEST(TokenScanner, CommentsAndBlanks)
{
    auto r = scan("a /* x\n y */ b // c \\\nd\r\n\t \f\ve");
    EXPECT_EQ(describe(r.tokens), "265:a 265:b 10 265:d 10 265:e");
    EXPECT_EQ(lines(r.tokens), "1 2 2 3 3 4");
    // `**/` closes a comment; a NUL byte ends one too.
    EXPECT_EQ(describe("/***/x /* a"), "265:x 258");
    EXPECT_EQ(describe(std::string_view("/* a\0b */ c", 11)), "265:b 42 47 265:c");
    // The final 258 of an unterminated comment carries the last line.
    auto u = scan("x\n/* unterminated\n");
    EXPECT_EQ(describe(u.tokens), "265:x 10 258");
    EXPECT_EQ(u.tokens.back().line, 3);
}

TEST(TokenScanner, UnknownCharacters)
{
    auto r = scan(std::string_view("@$`\x01\0\xC3\xA9", 7));
    EXPECT_EQ(describe(r.tokens), "258 258 258 258 258 258 258");
    EXPECT_EQ(r.diagnostics.substr(0, 47), "---------- Error Unkonwn Token  ---------- <@>\n");
    EXPECT_EQ(std::count(r.diagnostics.begin(), r.diagnostics.end(), '\n'), 7);
}

TEST(TokenScanner, LineContinuation)
{
    auto r = scan("#define A 1 \\\n+ 2\nx \\ y\n\\   \n\\\n\nz");
    // The backslash and its newline vanish; a backslash inside a line stays as 92; a backslash
    // followed by blanks and a line feed is joined too; a newline after a dropped one stays.
    EXPECT_EQ(describe(r.tokens), "35 370 265:A 261:1 43 261:2 10 265:x 92 265:y 10 10 265:z");
    EXPECT_EQ(lines(r.tokens), "1 1 1 1 2 2 2 3 3 3 3 6 7");
    // Only the backslash right before the line feed joins; the one before it stays, and the
    // next line feed is a newline token again.
    EXPECT_EQ(describe("a \\\\\n\nb"), "265:a 92 10 265:b");
}

TEST(TokenScanner, CrLfLineEndsAreFolded)
{
    std::string text = "a \\\r\nb\r\n\"x\\\r\ny\"\r\r\n";
    foldCrLf(text);
    EXPECT_EQ(text, "a \\\nb\n\"x\\\ny\"\r\n");
    EXPECT_EQ(describe(text), "265:a 265:b 10 259:x\\\ny 10");
}

TEST(TokenScanner, LongTokensAndLongLinesStayLinear)
{
    // A string longer than any fixed buffer is one token; a line of unmatched quotes is
    // scanned without rescanning the rest of the line for every quote.
    const std::string big = "\"" + std::string(100000, 'a') + "\"";
    auto r = scan(big);
    ASSERT_EQ(r.tokens.size(), 1u);
    EXPECT_EQ(r.tokens[0].text.size(), 100000u);

    std::string quotes;
    for (int i = 0; i < 20000; ++i) quotes += "\\\"";
    auto q = scan("\"" + quotes);
    EXPECT_EQ(q.tokens.front().code, 267);
    EXPECT_GT(q.tokens.size(), 20000u);

    std::string includes;
    for (int i = 0; i < 20000; ++i) includes += "include <";
    auto inc = scan(includes);
    EXPECT_EQ(inc.tokens.size(), 40000u);
    EXPECT_EQ(inc.tokens[0].code, 369);
}

// A token keeps its line in 23 bits: past line 4,194,303 every token carries that line, in the
// block loop (long runs of ordinary text) and the byte loop (the end of the input) alike.
TEST(TokenScanner, LinesPastTheHighestRecordedLineKeepIt)
{
    const std::int32_t top = model::Token::kMaxLine;
    std::string text(static_cast<std::size_t>(top) - 2, '\n');
    text += "a=b;\nfirst_long_name+c;\n";  // lines top - 1 and top
    for (int i = 0; i < 40; ++i) text += "after_the_top[i]=x+y;\n";
    text += "z";
    auto r = scan(text);
    std::vector<std::int32_t> found;
    for (const model::Token& t : r.tokens) {
        if (t.code != model::tok::Newline) found.push_back(static_cast<std::int32_t>(t.line));
    }
    ASSERT_GT(found.size(), 8u);
    EXPECT_EQ(found[0], top - 1);  // a
    EXPECT_EQ(found[4], top);      // first_long_name
    EXPECT_TRUE(std::all_of(found.begin() + 4, found.end(), [&](std::int32_t line) { return line == top; }));
    EXPECT_EQ(r.tokens.back().text.view(), "z");
}

}  // namespace
}  // namespace qm::frontend
