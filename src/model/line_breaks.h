// LineBreaks and ThinTokenWriter: the newline tokens that a unit's token sequence does without.
//
// After preprocessing, a newline token matters to the tree only where it ends a directive line
// or marks the `#` after it as the first token of a line; elsewhere it is one token in six of a
// unit, held as long as the unit, and it splits the token references of every declaration that
// runs over several lines. The preprocessor therefore writes its output through a
// ThinTokenWriter, which leaves such newlines out and notes them in the unit's LineBreaks in a
// few bytes each, so that the full sequence (what the preprocessing gave) can still be walked,
// dumped and counted.
#pragma once

#include "model/token.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qm::model {

class LineBreaks {
public:
    // Takes the newline tokens out of `tokens` as a ThinTokenWriter would have, keeps them here,
    // and gives back the vector's spare room. Does nothing when the sequence was written thin
    // already or this was done before.
    void takeOutOf(std::vector<Token>& tokens);
    // For each of the `tokenCount` tokens left, whether newlines were taken out right before it
    // (grouping counts a newline as the token before another).
    std::vector<bool> newlineFlags(std::size_t tokenCount) const;

    // The newline tokens held.
    std::size_t size() const noexcept { return m_count; }
    bool empty() const noexcept { return m_count == 0; }
    // Heap bytes held; used to account for memory.
    std::size_t heapBytes() const noexcept { return m_runs.capacity(); }

    // Calls `visit(const Token&)` for every token of the full sequence, in order: those of
    // `tokens` (the sequence these breaks were taken out of) and the newlines held here.
    template <typename Visit>
    void forEachToken(const std::vector<Token>& tokens, Visit&& visit) const
    {
        std::size_t next = 0;  // the next token of `tokens` to visit
        Reader reader(m_runs);
        Run run;
        while (reader.next(tokens, run)) {
            for (; next < run.position; ++next) visit(tokens[next]);
            for (std::uint32_t i = 0; i < run.count; ++i) visit(Token{run.firstLine + static_cast<std::int32_t>(i), tok::Newline, {}});
        }
        for (; next < tokens.size(); ++next) visit(tokens[next]);
    }

    // Calls `visit(position, count)` for each place where newlines were taken out: before the
    // token at `position` of the thinned sequence, `count` of them.
    template <typename Visit>
    void forEachPlace(Visit&& visit) const
    {
        Reader reader(m_runs);
        for (Reader::Entry entry; reader.next(entry);) visit(entry.position, entry.count);
    }

private:
    friend class ThinTokenWriter;

    // Newlines taken out before the token at `position` of the thinned sequence (the sequence's
    // size for those after its last token), on consecutive lines from `firstLine`.
    struct Run {
        std::size_t position = 0;
        std::int32_t firstLine = 0;
        std::uint32_t count = 0;
    };

    // Decodes the runs in order. Each run is three variable-length numbers: the distance from
    // the previous run's position, the first line less the line of the token before the
    // position (zigzag, nearly always 0), and the count less one.
    class Reader {
    public:
        struct Entry {
            std::size_t position = 0;
            std::int64_t lineDelta = 0;
            std::uint32_t count = 0;
        };
        explicit Reader(const std::vector<std::uint8_t>& bytes) : m_bytes(bytes) {}
        bool next(Entry& entry);
        // The next run with its lines, for the sequence `tokens` it was taken out of.
        bool next(const std::vector<Token>& tokens, Run& run);

    private:
        std::uint64_t number();
        const std::vector<std::uint8_t>& m_bytes;
        std::size_t m_at = 0;
        std::size_t m_position = 0;
    };

    // Notes a newline of `line` taken out before the token that `kept` will hold at `position`
    // (positions never go back); newlines on consecutive lines at one place make one run.
    void takeOut(const std::vector<Token>& kept, std::size_t position, std::int32_t line);
    // Writes down the run being gathered, which needs the token before its place in `kept`.
    void flush(const std::vector<Token>& kept);
    void append(const std::vector<Token>& kept, const Run& run);

    std::vector<std::uint8_t> m_runs;
    Run m_gathering;  // the last run, not written down yet (count 0: none)
    std::size_t m_lastPosition = 0;
    std::size_t m_count = 0;
    bool m_done = false;  // the sequence is thin: takeOutOf leaves it alone
};

// Writes a token sequence without the newline tokens that only end ordinary lines: it keeps those
// that end a line starting with `#` (and the lines a backslash before the newline continues) and
// the one right before each `#`, and notes the others in a LineBreaks. A newline is held back
// until the token after it shows whether a `#` follows.
class ThinTokenWriter {
public:
    // Starts both empty.
    ThinTokenWriter(std::vector<Token>& out, LineBreaks& breaks);

    void put(Token&& token)
    {
        if (token.code == tok::Newline) [[unlikely]] {
            putNewline(token.line);
            return;
        }
        if (m_held) [[unlikely]] settleHeldNewline(token.code == '#');
        if (m_lineStart) [[unlikely]] {
            m_directive = token.code == '#';
            m_lineStart = false;
        }
        m_out.push_back(std::move(token));
    }
    void put(const Token& token) { put(Token(token)); }
    // Tokens of which none is a newline (a macro's replacement list): after the first, which
    // may start a line, they go in as they are.
    template <typename Iterator>
    void putWithoutNewlines(Iterator first, Iterator last)
    {
        if (first == last) return;
        assert(std::none_of(first, last, [](const Token& t) { return t.code == tok::Newline; }));
        put(Token(*first));
        m_out.insert(m_out.end(), ++first, last);
    }

    // The tokens written, the newlines left out included.
    std::size_t fullSize() const noexcept { return m_out.size() + m_breaks.size() + (m_held ? 1 : 0); }

    // Everything written so far as the full sequence, newlines included; both are empty again
    // and writing starts afresh.
    std::vector<Token> takeFullSequence();

    // The end of the sequence: a newline held back is left out; the breaks are complete.
    void finish();

private:
    void putNewline(std::int32_t line);
    void settleHeldNewline(bool beforeHash);

    std::vector<Token>& m_out;
    LineBreaks& m_breaks;
    bool m_lineStart = true;   // the next token starts a line
    bool m_directive = false;  // inside a line that starts with `#`
    bool m_held = false;       // a newline waits for the token after it
    std::int32_t m_heldLine = 0;
};

}  // namespace qm::model
