#include "detail/code_view.h"

#include <algorithm>

namespace qm::detail {

namespace {

bool isContinuationByte(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// The length a UTF-8 lead byte announces; 1 for anything that is not a lead byte.
std::size_t announcedLength(unsigned char c)
{
    if (c >= 0xF0 && c <= 0xF4) return 4;
    if (c >= 0xE0 && c <= 0xEF) return 3;
    if (c >= 0xC2 && c <= 0xDF) return 2;
    return 1;
}

}  // namespace

CodeView::CodeView(const draw::TextMetrics& metrics) : m_metrics(metrics)
{
    setFont("Courier New", 100);
    setText("");
}

void CodeView::setText(std::string_view text)
{
    m_text.assign(text);
    // The last line always ends with a line break, and one more closes the text: that final
    // empty line is never shown, so a file without a line break at its end loses nothing.
    if (m_text.empty() || m_text.back() != '\n') m_text.push_back('\n');
    m_text.push_back('\n');
    m_lines.clear();
    std::size_t first = 0;
    for (std::size_t i = 0; i < m_text.size(); ++i) {
        if (m_text[i] == '\n') {
            m_lines.push_back({first, i});
            first = i + 1;
        }
    }
    m_classes.clear();
    m_charX.assign(m_text.size(), 0);
    m_coloured = false;
    m_selectedFirst = m_selectedLast = -1;
    measureText();
    setFirstLine(m_firstLine);
    setXOffset(m_xOffset);
    m_caretLine = std::min(m_caretLine, lineCount() - 1);
}

void CodeView::setFont(const std::string& face, int tenthsOfPoint)
{
    m_font = draw::FontSpec::points(face, std::max(1, (tenthsOfPoint + 5) / 10));
    const draw::FontInfo info = m_metrics.fontInfo(m_font);
    m_averageCharWidth = std::max(1, info.averageCharWidth);
    m_maxCharWidth = std::max(1, info.maxCharWidth);
    m_lineHeight = std::max(info.height + info.externalLeading, 1);
    m_spaceWidth = std::max(1, m_metrics.textSize(m_font, " ").width);
    // A font whose letters are all as wide as a blank is measured by counting.
    m_fixedPitch = m_metrics.textSize(m_font, "iW").width == 2 * m_spaceWidth;
    m_asciiWidths.fill(0);
    if (!m_text.empty()) measureText();
}

void CodeView::measureText()
{
    int widest = 0;
    std::string expanded;
    for (const LineSpan& span : m_lines) {
        const std::string_view line(m_text.data() + span.first, span.last - span.first);
        const auto tabs = static_cast<int>(std::count(line.begin(), line.end(), '\t'));
        const bool ascii = std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        int width = 0;
        if (m_fixedPitch && ascii) {
            width = (static_cast<int>(line.size()) - tabs) * m_spaceWidth;
        } else {
            expanded.clear();
            for (char c : line) {
                if (c != '\t') expanded.push_back(c);
            }
            width = m_metrics.textSize(m_font, expanded).width;
        }
        widest = std::max(widest, width + tabs * kTabColumns * m_spaceWidth);
    }
    m_textWidth = widest + 10;
}

void CodeView::setClientSize(draw::Size size)
{
    m_client = {std::max(0, size.width), std::max(0, size.height)};
    setFirstLine(m_firstLine);
    setXOffset(m_xOffset);
}

int CodeView::pageLines() const noexcept
{
    return std::max(1, m_client.height / m_lineHeight);
}

int CodeView::maxFirstLine() const noexcept
{
    return std::max(0, static_cast<int>(m_lines.size()) - m_client.height / m_lineHeight - 1);
}

int CodeView::maxXOffset() const noexcept
{
    return std::max(0, m_textWidth - m_client.width);
}

void CodeView::setFirstLine(int line)
{
    m_firstLine = std::clamp(line, 0, maxFirstLine());
}

void CodeView::setXOffset(int offset)
{
    m_xOffset = std::clamp(offset, 0, maxXOffset());
}

void CodeView::wheel(int delta)
{
    const int step = 3 * pageLines() / 4;
    setFirstLine(m_firstLine + (delta > 0 ? -step : step));
}

void CodeView::selectLines(int first, int last, bool keepView)
{
    if (first <= 0 || last <= 0) {
        return;
    }
    m_selectedFirst = first - 1;
    m_selectedLast = last - 1;
    const int visible = m_client.height / m_lineHeight;
    const int spans = static_cast<int>(m_lines.size());
    if (visible + 1 < spans) {
        if (keepView && last >= m_firstLine && m_firstLine + visible + 1 >= first) {
            return;
        }
        setFirstLine(first - (visible + 1) / 4 - 1);
    } else {
        setFirstLine(0);
    }
}

int CodeView::lastIndexOf(int lineIndex) const
{
    const LineSpan& span = m_lines.at(static_cast<std::size_t>(lineIndex));
    return static_cast<int>(span.last - span.first);
}

void CodeView::click(draw::Point point)
{
    if (point.y < 0) return;
    const int lineIndex = m_firstLine + point.y / m_lineHeight;
    if (lineIndex > lineCount() - 1) {
        return;
    }
    m_caretLine = lineIndex;
    const LineSpan& span = m_lines[static_cast<std::size_t>(lineIndex)];
    std::size_t chosen = span.last;
    for (std::size_t i = span.first; i <= span.last; ++i) {
        if (m_charX[i] > point.x) {
            chosen = i;
            if (i > span.first && point.x - m_charX[i - 1] < m_charX[i] - point.x) chosen = i - 1;
            break;
        }
    }
    m_caretColumn = static_cast<int>(chosen - span.first);
}

void CodeView::scrollToCaretColumn()
{
    const LineSpan& span = m_lines[static_cast<std::size_t>(m_caretLine)];
    const int x = m_charX[span.first + static_cast<std::size_t>(m_caretColumn)];
    if (x > m_client.width) {
        setXOffset(std::min(m_textWidth - m_client.width, m_xOffset + x - m_client.width + 4 * m_maxCharWidth));
    }
}

bool CodeView::key(CodeKey key, bool control)
{
    const int visible = m_client.height / m_lineHeight;
    const int spans = static_cast<int>(m_lines.size());
    const int lastLine = lineCount() - 1;
    const int max = maxFirstLine();
    const int page = (3 * visible + 3) / 4;
    const auto up = [&] {
        m_caretLine = std::max(0, m_caretLine - 1);
        if (m_caretLine < m_firstLine) m_firstLine = m_caretLine;
        if (m_caretLine > m_firstLine + visible + 1) m_firstLine = m_caretLine - visible;
    };
    const auto down = [&] {
        m_caretLine = std::min(lastLine, m_caretLine + 1);
        if (m_caretLine > m_firstLine + visible) m_firstLine = m_caretLine - visible;
        if (m_caretLine < m_firstLine) m_firstLine = m_caretLine;
    };
    switch (key) {
    case CodeKey::PageUp: {
        if (max == 0) return false;
        const int old = m_firstLine;
        m_firstLine = std::max(m_firstLine - page, 0);
        m_caretLine = m_firstLine == old ? 0 : std::max(0, m_caretLine - (old - m_firstLine));
        break;
    }
    case CodeKey::PageDown: {
        if (max == 0) return false;
        const int old = m_firstLine;
        m_firstLine = std::min(m_firstLine + page, max);
        m_caretLine = m_firstLine == old ? lastLine : std::min(lastLine, m_caretLine + (m_firstLine - old));
        break;
    }
    case CodeKey::Home:
        if (control) {
            m_caretLine = 0;
            m_firstLine = 0;
        }
        m_caretColumn = 0;
        m_xOffset = 0;
        break;
    case CodeKey::End:
        if (control) {
            m_caretLine = lastLine;
            m_caretColumn = 0;
            m_xOffset = 0;
            m_firstLine = visible + 1 < spans - 1 ? spans - visible - 1 : 0;
        } else {
            m_caretColumn = lastIndexOf(m_caretLine);
            const int x = m_charX[m_lines[static_cast<std::size_t>(m_caretLine)].first +
                                  static_cast<std::size_t>(m_caretColumn)];
            if (x > m_client.width) {
                m_xOffset = std::min(m_textWidth - m_client.width, m_xOffset + x + m_maxCharWidth - m_client.width);
            }
        }
        break;
    case CodeKey::Left:
        m_caretColumn = std::min(m_caretColumn, lastIndexOf(m_caretLine)) - 1;
        if (m_caretColumn >= 0) {
            const int x = m_charX[m_lines[static_cast<std::size_t>(m_caretLine)].first +
                                  static_cast<std::size_t>(m_caretColumn)];
            if (x < 0) m_xOffset = std::max(0, m_xOffset + x);
        } else if (m_caretLine == 0) {
            m_caretColumn = 0;
        } else {
            // On to the end of the line above, whether or not the text needs scrolling.
            m_caretColumn = lastIndexOf(m_caretLine - 1);
            up();
            scrollToCaretColumn();
        }
        break;
    case CodeKey::Right:
        if (m_caretColumn + 1 <= lastIndexOf(m_caretLine)) {
            ++m_caretColumn;
            const int x = m_charX[m_lines[static_cast<std::size_t>(m_caretLine)].first +
                                  static_cast<std::size_t>(m_caretColumn)];
            if (x > m_client.width) m_xOffset = std::min(m_textWidth - m_client.width, m_xOffset + 4 * m_maxCharWidth);
        } else if (m_caretLine == lastLine) {
            m_caretColumn = lastIndexOf(m_caretLine);
        } else {
            // On to the start of the line below.
            m_caretColumn = 0;
            m_xOffset = 0;
            down();
        }
        break;
    case CodeKey::Up:
        if (max == 0) return false;
        up();
        break;
    case CodeKey::Down:
        if (max == 0) return false;
        down();
        break;
    }
    setFirstLine(m_firstLine);
    setXOffset(m_xOffset);
    return true;
}

std::optional<draw::Rect> CodeView::caretRect() const
{
    const int visible = m_client.height / m_lineHeight;
    if (m_caretLine < m_firstLine || m_caretLine > m_firstLine + visible + 1 || m_caretLine > lineCount() - 1) {
        return std::nullopt;
    }
    const LineSpan& span = m_lines[static_cast<std::size_t>(m_caretLine)];
    const int column = std::min(m_caretColumn, lastIndexOf(m_caretLine));
    return draw::Rect{m_charX[span.first + static_cast<std::size_t>(column)], (m_caretLine - m_firstLine) * m_lineHeight,
                      2, m_lineHeight};
}

std::size_t CodeView::sequenceLength(std::size_t index, std::size_t lineEnd) const
{
    const std::size_t length = announcedLength(static_cast<unsigned char>(m_text[index]));
    if (length == 1 || index + length > lineEnd) return 1;
    for (std::size_t k = 1; k < length; ++k) {
        if (!isContinuationByte(static_cast<unsigned char>(m_text[index + k]))) return 1;
    }
    return length;
}

int CodeView::charWidth(draw::Canvas& canvas, std::size_t index, std::size_t length)
{
    const auto c = static_cast<unsigned char>(m_text[index]);
    if (length == 1 && c < 0x80) {
        int& width = m_asciiWidths[c];
        if (width == 0) width = std::max(1, canvas.textSize(std::string_view(&m_text[index], 1)).width);
        return width;
    }
    if (length == 1) {
        // A byte that is no part of a whole UTF-8 sequence shows as the replacement character.
        return canvas.textSize("\xEF\xBF\xBD").width;
    }
    return canvas.textSize(std::string_view(&m_text[index], length)).width;
}

void CodeView::paint(draw::Canvas& canvas)
{
    if (!m_coloured) {
        m_classes = colourCode(m_text);
        m_coloured = true;
    }
    canvas.fillRect({0, 0, m_client.width, m_client.height}, draw::kWhite);
    canvas.setFont(m_font);
    canvas.setBackgroundMode(draw::BackgroundMode::Opaque);
    const int spans = static_cast<int>(m_lines.size());
    const int visible = std::min(m_client.height / m_lineHeight + 1, spans - m_firstLine - 1);
    std::string run;
    for (int i = 0; i < visible; ++i) {
        const int lineIndex = m_firstLine + i;
        const int y = m_lineHeight * i;
        const bool selected = lineIndex >= m_selectedFirst && lineIndex <= m_selectedLast;
        const draw::Rgb background = selected ? kHighlight : draw::kWhite;
        if (selected) canvas.fillRect({0, y, m_client.width, m_lineHeight}, kHighlight);
        canvas.setBackgroundColor(background);
        const LineSpan& span = m_lines[static_cast<std::size_t>(lineIndex)];
        int x = -m_xOffset;
        int column = 0;
        // Characters of one class are drawn together; a run ends at a tab, a class change or the
        // window's edges.
        int runX = 0;
        CharClass runClass = CharClass::Plain;
        const auto flush = [&] {
            if (run.empty()) return;
            canvas.setTextColor(kClassColors[static_cast<std::size_t>(runClass)]);
            canvas.drawText({runX, y}, run);
            run.clear();
        };
        for (std::size_t b = span.first; b <= span.last;) {
            m_charX[b] = x;
            const char c = m_text[b];
            if (c == '\t') {
                flush();
                const int skip = kTabColumns - column % kTabColumns;
                x += skip * m_spaceWidth;
                column += skip;
                ++b;
                continue;
            }
            if (c == '\r' || c == '\n') {
                ++b;
                continue;
            }
            const std::size_t length = sequenceLength(b, span.last);
            for (std::size_t k = 1; k < length; ++k) m_charX[b + k] = x;
            const int width = charWidth(canvas, b, length);
            const CharClass cls = m_classes[b];
            if (-m_maxCharWidth < x && x < m_client.width) {
                if (run.empty() || cls != runClass) {
                    flush();
                    runX = x;
                    runClass = cls;
                }
                if (length == 1 && static_cast<unsigned char>(c) >= 0x80) {
                    run += "\xEF\xBF\xBD";
                } else {
                    run.append(m_text, b, length);
                }
            } else {
                flush();
            }
            x += width;
            column += 1;
            b += length;
        }
        flush();
    }
}

}  // namespace qm::detail
