#include "model/line_breaks.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace qm::model {

namespace {

std::int32_t lineBefore(const std::vector<Token>& tokens, std::size_t position)
{
    return position == 0 ? 0 : tokens[position - 1].line;
}

// Appends `value` in 7-bit groups, lowest first, the high bit set on all groups but the last.
std::uint8_t* putNumber(std::uint8_t* out, std::uint64_t value)
{
    while (value >= 0x80) {
        *out++ = static_cast<std::uint8_t>(value | 0x80);
        value >>= 7;
    }
    *out++ = static_cast<std::uint8_t>(value);
    return out;
}

std::uint64_t zigzag(std::int64_t value)
{
    return (static_cast<std::uint64_t>(value) << 1) ^ static_cast<std::uint64_t>(value >> 63);
}

std::int64_t unzigzag(std::uint64_t value)
{
    return static_cast<std::int64_t>(value >> 1) ^ -static_cast<std::int64_t>(value & 1);
}

}  // namespace

// --- LineBreaks ---------------------------------------------------------------------------------

void LineBreaks::takeOutOf(std::vector<Token>& tokens)
{
    if (m_done) return;
    std::vector<Token> thin;
    thin.reserve(tokens.size());
    ThinTokenWriter writer(thin, *this);
    for (Token& token : tokens) writer.put(std::move(token));
    writer.finish();
    thin.shrink_to_fit();
    tokens = std::move(thin);
}

std::vector<bool> LineBreaks::newlineFlags(std::size_t tokenCount) const
{
    std::vector<bool> newlineBefore(tokenCount, false);
    forEachPlace([&](std::size_t position, std::uint32_t) {
        if (position < tokenCount) newlineBefore[position] = true;
    });
    return newlineBefore;
}

void LineBreaks::takeOut(const std::vector<Token>& kept, std::size_t position, std::int32_t line)
{
    assert(position >= m_gathering.position);
    ++m_count;
    if (m_gathering.count != 0) {
        if (position == m_gathering.position && line == m_gathering.firstLine + static_cast<std::int32_t>(m_gathering.count)) {
            ++m_gathering.count;
            return;
        }
        append(kept, m_gathering);
    }
    m_gathering = Run{position, line, 1};
}

void LineBreaks::flush(const std::vector<Token>& kept)
{
    if (m_gathering.count == 0) return;
    append(kept, m_gathering);
    m_gathering.count = 0;
}

void LineBreaks::append(const std::vector<Token>& kept, const Run& run)
{
    assert(run.position >= m_lastPosition && run.count > 0);
    std::uint8_t bytes[30];
    std::uint8_t* end = putNumber(bytes, run.position - m_lastPosition);
    end = putNumber(end, zigzag(std::int64_t{run.firstLine} - lineBefore(kept, run.position)));
    end = putNumber(end, run.count - 1);
    m_runs.insert(m_runs.end(), bytes, end);
    m_lastPosition = run.position;
}

std::uint64_t LineBreaks::Reader::number()
{
    std::uint64_t value = 0;
    for (int shift = 0; m_at < m_bytes.size() && shift < 64; shift += 7) {
        const std::uint8_t byte = m_bytes[m_at++];
        value |= std::uint64_t{byte & 0x7Fu} << shift;
        if ((byte & 0x80) == 0) break;
    }
    return value;
}

bool LineBreaks::Reader::next(Entry& entry)
{
    if (m_at >= m_bytes.size()) return false;
    m_position += static_cast<std::size_t>(number());
    entry.position = m_position;
    entry.lineDelta = unzigzag(number());
    entry.count = static_cast<std::uint32_t>(number() + 1);
    return true;
}

bool LineBreaks::Reader::next(const std::vector<Token>& tokens, Run& run)
{
    Entry entry;
    if (!next(entry)) return false;
    run.position = std::min(entry.position, tokens.size());
    run.firstLine = static_cast<std::int32_t>(entry.lineDelta + lineBefore(tokens, run.position));
    run.count = entry.count;
    return true;
}

// --- ThinTokenWriter ----------------------------------------------------------------------------

ThinTokenWriter::ThinTokenWriter(std::vector<Token>& out, LineBreaks& breaks) : m_out(out), m_breaks(breaks)
{
    m_out.clear();
    m_breaks = LineBreaks();
}

void ThinTokenWriter::putNewline(std::int32_t line)
{
    if (m_held) settleHeldNewline(false);  // a newline follows it, not a `#`
    if (m_directive) {
        // A directive line ends here unless a backslash before the newline goes on with it (the
        // scanner joins most such lines already). Inside a directive line every newline stays,
        // so the last token written is the one before this newline.
        const bool goesOn = !m_out.empty() && m_out.back().code == '\\';
        m_out.push_back(Token{line, tok::Newline, {}});
        m_directive = goesOn;
        m_lineStart = !goesOn;
        return;
    }
    m_held = true;
    m_heldLine = line;
    m_lineStart = true;
}

void ThinTokenWriter::settleHeldNewline(bool beforeHash)
{
    m_held = false;
    if (beforeHash) {
        m_out.push_back(Token{m_heldLine, tok::Newline, {}});
    } else {
        m_breaks.takeOut(m_out, m_out.size(), m_heldLine);
    }
}

std::vector<Token> ThinTokenWriter::takeFullSequence()
{
    m_breaks.flush(m_out);
    std::vector<Token> full;
    full.reserve(fullSize());
    m_breaks.forEachToken(m_out, [&](const Token& token) { full.push_back(token); });
    if (m_held) full.push_back(Token{m_heldLine, tok::Newline, {}});
    m_out.clear();
    m_breaks = LineBreaks();
    m_lineStart = true;
    m_directive = false;
    m_held = false;
    return full;
}

void ThinTokenWriter::finish()
{
    if (m_held) settleHeldNewline(false);
    m_breaks.flush(m_out);
    m_breaks.m_runs.shrink_to_fit();
    m_breaks.m_done = true;
}

}  // namespace qm::model
