// JSON text for the command-line program. Documents with many tokens are written as text
// directly (a token list of a large file would not fit as a DOM); small structures use
// nlohmann-json. Every string is made valid UTF-8: bytes that are not are replaced by U+FFFD.
#pragma once

#include "model/token.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace qm::cli {

// Appends `text` as a JSON string literal.
void appendJsonString(std::string& out, std::string_view text);

// Appends `, "key": value`: a further integer member of the object being written.
void appendIntMember(std::string& out, std::string_view key, long long value);

// Appends {"line": L, "code": C[, "text": T]}; the text key is present exactly for the codes
// that carry text.
void appendTokenJson(std::string& out, const model::Token& token);

// Buffered writing of a large document to a stream.
class JsonStreamWriter {
public:
    explicit JsonStreamWriter(std::FILE* stream) : m_stream(stream) {}
    JsonStreamWriter(const JsonStreamWriter&) = delete;
    JsonStreamWriter& operator=(const JsonStreamWriter&) = delete;
    ~JsonStreamWriter() { flush(); }

    // The buffer to append to; flushed when it grows large.
    std::string& buffer() { return m_buffer; }
    void maybeFlush()
    {
        if (m_buffer.size() >= kChunk) flush();
    }
    void flush();

private:
    static constexpr std::size_t kChunk = 1 << 16;
    std::FILE* m_stream;
    std::string m_buffer;
};

// Appends the items of `roots` and, inside each, its `children` list, as nested JSON lists,
// without recursion however deep the tree is. `head(out, item)` appends an item's object up to
// the opening `[` of its children list; the list and the object are closed here.
template <typename Item, typename Head>
void appendTreeJson(JsonStreamWriter& out, const std::vector<Item>& roots, Head head)
{
    std::string& b = out.buffer();
    struct Frame {
        const std::vector<Item>* list;
        std::size_t next;
    };
    b.push_back('[');
    std::vector<Frame> stack{{&roots, 0}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.list->size()) {
            stack.pop_back();
            // Closes a children list and its item, or the top-level list.
            b.append(stack.empty() ? "]" : "]}");
            continue;
        }
        const Item& item = (*frame.list)[frame.next];
        if (frame.next > 0) b.append(", ");
        ++frame.next;
        head(b, item);
        stack.push_back({&item.children, 0});
        out.maybeFlush();
    }
}

}  // namespace qm::cli
