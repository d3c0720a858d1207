// CodeView: everything the code window does that is not a window. It keeps one source text as
// bytes split into lines, colours it once (keywords, comments, literals), paints the visible
// lines on a Canvas in the code font with a highlighted range of lines, and keeps the scroll
// position, the caret and its moves by mouse and keys. Tabs stop at every fourth column; a UTF-8
// sequence is measured and drawn as one character.
//
// The window forwards its paint, size, mouse, wheel and key events and its scroll bars' values;
// after each it reads back the scroll position, the ranges and the caret.
#pragma once

#include "detail/code_colouring.h"
#include "draw/canvas.h"
#include "draw/text_metrics.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::detail {

// One line of the text: the indexes of its first and last byte (its line break included).
struct LineSpan {
    std::size_t first = 0;
    std::size_t last = 0;
};

// The keys the code window handles.
enum class CodeKey { PageUp, PageDown, Home, End, Left, Right, Up, Down };

class CodeView {
public:
    static constexpr int kTabColumns = 4;
    static constexpr draw::Rgb kHighlight{180, 180, 255};
    static constexpr std::array<draw::Rgb, 4> kClassColors{draw::Rgb{0, 0, 0}, draw::Rgb{0, 0, 255},
                                                           draw::Rgb{0, 100, 0}, draw::Rgb{200, 0, 0}};

    // `metrics` measures lines for the text's width; it must outlive the view.
    explicit CodeView(const draw::TextMetrics& metrics);

    // The text to show, as bytes. A line break ends it (one is added when it does not end with
    // one); the scroll position stays, the highlighted range goes, and the next paint colours it.
    void setText(std::string_view text);
    const std::string& text() const noexcept { return m_text; }
    // The shown lines (the text's final line break closes the last of them).
    int lineCount() const noexcept { return static_cast<int>(m_lines.size()) - 1; }
    const LineSpan& line(int index) const { return m_lines.at(static_cast<std::size_t>(index)); }

    // The code font: face and size in tenths of a point ("Courier New", 100).
    void setFont(const std::string& face, int tenthsOfPoint);
    const draw::FontSpec& font() const noexcept { return m_font; }
    int lineHeight() const noexcept { return m_lineHeight; }
    int textWidth() const noexcept { return m_textWidth; }

    void setClientSize(draw::Size size);
    draw::Size clientSize() const noexcept { return m_client; }

    // --- scrolling ----------------------------------------------------------------------------
    // Lines a page shows (at least 1).
    int pageLines() const noexcept;
    // The scroll ranges: the last first line and the largest horizontal offset (0 when all fits).
    int maxFirstLine() const noexcept;
    int maxXOffset() const noexcept;
    int firstLine() const noexcept { return m_firstLine; }
    int xOffset() const noexcept { return m_xOffset; }
    // Both clamp to the ranges.
    void setFirstLine(int line);
    void setXOffset(int offset);
    // One wheel event: three quarters of a page up for a positive delta, down otherwise.
    void wheel(int delta);

    // --- the highlighted lines ------------------------------------------------------------------
    // Highlights lines `first` to `last` (1-based); nothing when either is 0 or less. When the
    // text is taller than the window the view scrolls so that the range starts a quarter page
    // below the top, unless `keepView` is set and the range is already in view.
    void selectLines(int first, int last, bool keepView);
    int selectedFirst() const noexcept { return m_selectedFirst; }
    int selectedLast() const noexcept { return m_selectedLast; }

    // --- caret ----------------------------------------------------------------------------------
    // A click: the caret goes to the nearest character boundary of the clicked line (by the
    // places of the last paint); a click below the last line leaves it where it was.
    void click(draw::Point point);
    // A key; false when the view does not handle it (the window passes it on).
    bool key(CodeKey key, bool control);
    int caretLine() const noexcept { return m_caretLine; }
    int caretColumn() const noexcept { return m_caretColumn; }
    // Where the caret stands in the window (2 pixels wide, one line high), or nothing when its
    // line is scrolled out of view.
    std::optional<draw::Rect> caretRect() const;

    // --- painting -------------------------------------------------------------------------------
    // Paints the visible lines on `canvas` (window coordinates) and records where each of their
    // characters went.
    void paint(draw::Canvas& canvas);
    // The class of each byte, once the text was painted (empty before).
    const std::vector<CharClass>& classes() const noexcept { return m_classes; }
    // x of byte `index` at the last paint.
    int charX(std::size_t index) const { return m_charX.at(index); }

private:
    void measureText();
    int lastIndexOf(int lineIndex) const;
    // Bytes of the UTF-8 sequence at `index` (1 for anything that is not a whole sequence).
    std::size_t sequenceLength(std::size_t index, std::size_t lineEnd) const;
    int charWidth(draw::Canvas& canvas, std::size_t index, std::size_t length);
    void scrollToCaretColumn();

    const draw::TextMetrics& m_metrics;
    std::string m_text;
    std::vector<LineSpan> m_lines;
    std::vector<CharClass> m_classes;
    std::vector<int> m_charX;
    bool m_coloured = false;

    draw::FontSpec m_font;
    int m_averageCharWidth = 1;
    int m_maxCharWidth = 1;
    int m_lineHeight = 1;
    int m_spaceWidth = 1;
    bool m_fixedPitch = false;
    std::array<int, 128> m_asciiWidths{};  // widths of the ASCII characters in the font, 0 = unknown
    int m_textWidth = 0;

    draw::Size m_client;
    int m_firstLine = 0;
    int m_xOffset = 0;
    int m_caretLine = 0;
    int m_caretColumn = 0;
    int m_selectedFirst = -1;
    int m_selectedLast = -1;
};

}  // namespace qm::detail
