// The code window's text without a window: colouring, lines, tab stops and UTF-8 characters,
// the highlighted range and the scrolling it causes, the caret under clicks and keys.
#include "detail/code_view.h"

#include "draw/recording_canvas.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace qm::detail {
namespace {

using ::testing::ElementsAre;

// The class of each byte as one letter: . plain, K keyword, C comment, L literal.
std::string classString(std::string_view text)
{
    const std::vector<CharClass> classes = colourCode(text);
    std::string out;
    for (CharClass c : classes) out += ".KCL"[static_cast<int>(c)];
    return out;
}

TEST(CodeColouring, KeywordsCommentsAndLiterals)
{
    EXPECT_EQ(classString("int x; while"), "KKK....KKKKK");
    EXPECT_EQ(classString("__int64 y;"), "..KKK.....");           // words are runs of letters: "int" here
    EXPECT_EQ(classString("const_cast<T>"), "KKKKK........");     // so "const" matches here
    EXPECT_EQ(classString("Int INT"), ".......");                 // exact case
    EXPECT_EQ(classString("s = \"a\\\"b\";"), "....LLLLLL.");     // an escaped quote stays inside
    EXPECT_EQ(classString("c = '\\\\'; d"), "....LLLL...");        // an escaped backslash ends at its quote
    EXPECT_EQ(classString("a /* x\ny */ b"), "..CCCCCCCCC..");    // over lines
    EXPECT_EQ(classString("a // c\nb"), "..CCCCC.");              // up to and including the line break
    EXPECT_EQ(classString("/*/ x */"), "CCCCCCCC");               // "/*/" does not close
    EXPECT_EQ(classString("x/*c*/"), ".CCCCC");                   // a '/' that ends a word still opens
    EXPECT_EQ(classString("if\"a\""), "KK...");                   // a quote that ends a word opens nothing
    EXPECT_EQ(classString("x = \"open"), ".........");            // still open at the end: no class
    EXPECT_EQ(classString("/* open"), ".......");
    EXPECT_TRUE(isCodeKeyword("using") && isCodeKeyword("__declspec") && !isCodeKeyword("nullptr"));
}

class CodeViewTest : public ::testing::Test {
protected:
    CodeViewTest() : view(metrics)
    {
        view.setClientSize({200, 50});  // 5 lines of 10 pixels
    }
    void paint()
    {
        draw::RecordingCanvas canvas(draw::RecordingCanvas::kUnbounded, 32, &metrics);
        view.paint(canvas);
        painted = canvas.lines();
    }
    std::string lines(int count)
    {
        std::string text;
        for (int i = 1; i <= count; ++i) text += "line" + std::to_string(i) + "\n";
        return text;
    }

    draw::FixedTextMetrics metrics{8, 10};
    CodeView view;
    std::vector<std::string> painted;
};

TEST_F(CodeViewTest, LinesTabStopsAndCharactersArePlacedAsWritten)
{
    // With or without a line break at its end, the last line is shown and nothing after it.
    view.setText("a\nb\n");
    EXPECT_EQ(view.lineCount(), 2);
    view.setText("a\nb");
    EXPECT_EQ(view.lineCount(), 2);
    EXPECT_EQ(view.text(), "a\nb\n\n");

    // A tab after one character goes to column 4, at column 4 to 8; two after one reach 8.
    view.setText("x\ty\n\tz\nx\t\tw\n");
    paint();
    EXPECT_EQ(view.charX(2), 4 * 8);         // y
    EXPECT_EQ(view.charX(5), 4 * 8);         // z after a tab at column 0
    EXPECT_EQ(view.charX(10), 8 * 8);        // w after two tabs
    // A UTF-8 sequence is one character: the byte after "é" stands one character further.
    view.setText("\xC3\xA9x\n");
    paint();
    EXPECT_EQ(view.charX(1), view.charX(0));
    EXPECT_EQ(view.charX(2), 2 * 8);  // the fixed metrics measure bytes: é is two wide
    // Broken UTF-8 and NUL bytes are drawn, not skipped.
    view.setText(std::string("a\xFF\0b\n", 5));
    paint();
    EXPECT_GT(view.charX(3), view.charX(2));
}

TEST_F(CodeViewTest, ColoursAreComputedOnceAndDrawnByClass)
{
    view.setText("int a; // note\n");
    EXPECT_TRUE(view.classes().empty());
    paint();
    ASSERT_EQ(view.classes().size(), view.text().size());
    EXPECT_EQ(view.classes()[0], CharClass::Keyword);
    bool blue = false, green = false;
    for (const std::string& line : painted) {
        blue = blue || line.find("0,0,255") != std::string::npos;
        green = green || line.find("0,100,0") != std::string::npos;
    }
    EXPECT_TRUE(blue && green);
}

TEST_F(CodeViewTest, HighlightingScrollsOnlyWhenItMust)
{
    view.setText(lines(100));
    EXPECT_EQ(view.maxFirstLine(), 101 - 5 - 1);
    // Lines in view: highlighted, no scroll with the keep-view flag.
    view.selectLines(2, 3, true);
    EXPECT_EQ(view.firstLine(), 0);
    EXPECT_EQ(view.selectedFirst(), 1);
    EXPECT_EQ(view.selectedLast(), 2);
    // Lines below: they start a quarter page below the top.
    view.selectLines(50, 52, true);
    EXPECT_EQ(view.firstLine(), 50 - (5 + 1) / 4 - 1);
    // Without the flag the view moves even when the lines are in view.
    view.selectLines(49, 49, false);
    EXPECT_EQ(view.firstLine(), 49 - 1 - 1);
    // Line 0 or less changes nothing.
    view.selectLines(0, 4, false);
    EXPECT_EQ(view.selectedFirst(), 48);
    // A text that fits goes back to the top.
    view.setText(lines(3));
    view.setFirstLine(2);
    view.selectLines(3, 3, true);
    EXPECT_EQ(view.firstLine(), 0);
}

TEST_F(CodeViewTest, KeysMoveTheCaretAndScrollOnlyLongTexts)
{
    // A text that fits: the page and line keys are left to the window.
    view.setText(lines(3));
    for (CodeKey key : {CodeKey::PageUp, CodeKey::PageDown, CodeKey::Up, CodeKey::Down}) {
        EXPECT_FALSE(view.key(key, false));
    }
    EXPECT_TRUE(view.key(CodeKey::Right, false));
    EXPECT_EQ(view.caretColumn(), 1);

    view.setText(lines(100));
    paint();
    EXPECT_TRUE(view.key(CodeKey::PageDown, false));
    EXPECT_EQ(view.firstLine(), (3 * 5 + 3) / 4);
    EXPECT_EQ(view.caretLine(), (3 * 5 + 3) / 4);
    view.key(CodeKey::End, true);
    EXPECT_EQ(view.caretLine(), 99);
    EXPECT_EQ(view.firstLine(), view.maxFirstLine());
    view.key(CodeKey::Home, true);
    EXPECT_EQ(view.caretLine(), 0);
    EXPECT_EQ(view.firstLine(), 0);
    // Left at the start of a line goes to the end of the line above; Right at its end comes back.
    view.key(CodeKey::Down, false);
    view.key(CodeKey::Left, false);
    EXPECT_EQ(view.caretLine(), 0);
    EXPECT_EQ(view.caretColumn(), 5);  // "line1" and its line break
    view.key(CodeKey::Right, false);
    EXPECT_EQ(view.caretLine(), 1);
    EXPECT_EQ(view.caretColumn(), 0);
    // Moving down past the page scrolls.
    for (int i = 0; i < 10; ++i) view.key(CodeKey::Down, false);
    EXPECT_EQ(view.caretLine(), 11);
    EXPECT_EQ(view.firstLine(), 11 - 5);
}

TEST_F(CodeViewTest, AClickPutsTheCaretOnTheNearestBoundary)
{
    view.setText("abcdef\nxy\n");
    paint();
    view.click({8 + 3, 5});  // nearer to the boundary before "b" (8) than after it (16)
    EXPECT_EQ(view.caretLine(), 0);
    EXPECT_EQ(view.caretColumn(), 1);
    view.click({8 + 4, 15});  // a tie goes to the later one
    EXPECT_EQ(view.caretLine(), 1);
    EXPECT_EQ(view.caretColumn(), 2);
    view.click({500, 15});  // right of everything: the line break
    EXPECT_EQ(view.caretColumn(), 2);
    view.click({5, 45});  // below the last line: the caret stays
    EXPECT_EQ(view.caretLine(), 1);
    ASSERT_TRUE(view.caretRect().has_value());
    EXPECT_EQ(view.caretRect()->top, 10);
}

TEST_F(CodeViewTest, OnlyTheVisibleLinesArePainted)
{
    std::string big;
    for (int i = 0; i < 20000; ++i) big += "int value" + std::to_string(i) + " = " + std::to_string(i) + ";\n";
    view.setText(big);
    view.setFirstLine(15000);
    paint();
    int texts = 0;
    for (const std::string& line : painted) texts += line.rfind("text", 0) == 0;
    EXPECT_LE(texts, 6 * 8);  // six lines of a few runs each
    EXPECT_EQ(view.textWidth(), static_cast<int>(std::string("int value19999 = 19999;").size()) * 8 + 10);
}

}  // namespace
}  // namespace qm::detail
