// JSON text for the command-line program. Documents with many tokens are written as text
// directly (a token list of a large file would not fit as a DOM); small structures use
// nlohmann-json. Every string is made valid UTF-8: bytes that are not are replaced by U+FFFD.
#pragma once

#include "model/token.h"

#include <cstdio>
#include <string>
#include <string_view>

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

}  // namespace qm::cli
