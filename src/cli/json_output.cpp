#include "cli/json_output.h"

#include <cstdint>

namespace qm::cli {

namespace {

// Length of the valid UTF-8 sequence at the start of `s`, or 0 when it is not one.
std::size_t utf8SequenceLength(std::string_view s)
{
    const auto b0 = static_cast<unsigned char>(s[0]);
    std::size_t n;
    std::uint32_t cp;
    if (b0 < 0x80) return 1;
    if (b0 >= 0xC2 && b0 <= 0xDF) { n = 2; cp = b0 & 0x1F; }
    else if (b0 >= 0xE0 && b0 <= 0xEF) { n = 3; cp = b0 & 0x0F; }
    else if (b0 >= 0xF0 && b0 <= 0xF4) { n = 4; cp = b0 & 0x07; }
    else return 0;
    if (s.size() < n) return 0;
    for (std::size_t i = 1; i < n; ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    // Reject overlong forms, surrogates and values past U+10FFFF.
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return n;
}

}  // namespace

void appendIntMember(std::string& out, std::string_view key, long long value)
{
    out.append(", \"");
    out.append(key);
    out.append("\": ");
    out.append(std::to_string(value));
}

void appendJsonString(std::string& out, std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out.push_back('"');
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const std::size_t n = utf8SequenceLength(text.substr(i));
            if (n == 0) {
                out.append("\xEF\xBF\xBD");
                ++i;
            } else {
                out.append(text.substr(i, n));
                i += n;
            }
            continue;
        }
        switch (c) {
        case '"': out.append("\\\""); break;
        case '\\': out.append("\\\\"); break;
        case '\n': out.append("\\n"); break;
        case '\r': out.append("\\r"); break;
        case '\t': out.append("\\t"); break;
        case '\b': out.append("\\b"); break;
        case '\f': out.append("\\f"); break;
        default:
            if (c < 0x20) {
                out.append("\\u00");
                out.push_back(kHex[c >> 4]);
                out.push_back(kHex[c & 15]);
            } else {
                out.push_back(static_cast<char>(c));
            }
        }
        ++i;
    }
    out.push_back('"');
}

void appendTokenJson(std::string& out, const model::Token& token)
{
    out.append("{\"line\": ");
    out.append(std::to_string(token.line));
    out.append(", \"code\": ");
    out.append(std::to_string(token.code));
    if (model::carriesText(token.code)) {
        out.append(", \"text\": ");
        appendJsonString(out, token.text.view());
    }
    out.push_back('}');
}

void JsonStreamWriter::flush()
{
    if (!m_buffer.empty()) {
        std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_stream);
        m_buffer.clear();
    }
    std::fflush(m_stream);
}

}  // namespace qm::cli
