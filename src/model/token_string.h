// TokenString: the owned text of one token. Texts of up to 15 bytes (most identifiers and
// numbers) live inside the object; longer ones on the heap. Keeping the object at 16 bytes keeps
// a Token at 24 bytes, which bounds the memory that a file's token sequence takes.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace qm::model {

class TokenString {
public:
    TokenString() noexcept { setSmallSize(0); }
    TokenString(std::string_view text) { assign(text); }  // NOLINT: implicit on purpose
    TokenString(const char* text) : TokenString(std::string_view(text)) {}
    TokenString(const std::string& text) : TokenString(std::string_view(text)) {}
    TokenString(const TokenString& other) { assign(other.view()); }
    TokenString(TokenString&& other) noexcept
    {
        std::memcpy(m_bytes, other.m_bytes, sizeof m_bytes);
        other.setSmallSize(0);
    }
    TokenString& operator=(const TokenString& other)
    {
        if (this != &other) {
            TokenString copy(other);
            swap(copy);
        }
        return *this;
    }
    TokenString& operator=(TokenString&& other) noexcept
    {
        if (this != &other) {
            release();
            std::memcpy(m_bytes, other.m_bytes, sizeof m_bytes);
            other.setSmallSize(0);
        }
        return *this;
    }
    ~TokenString() { release(); }

    void swap(TokenString& other) noexcept
    {
        char tmp[sizeof m_bytes];
        std::memcpy(tmp, m_bytes, sizeof m_bytes);
        std::memcpy(m_bytes, other.m_bytes, sizeof m_bytes);
        std::memcpy(other.m_bytes, tmp, sizeof m_bytes);
    }

    std::string_view view() const noexcept
    {
        if (isLarge()) {
            return {largeData(), largeSize()};
        }
        return {m_bytes, static_cast<std::size_t>(static_cast<unsigned char>(m_bytes[kTag]))};
    }
    operator std::string_view() const noexcept { return view(); }  // NOLINT: implicit on purpose
    std::string str() const { return std::string(view()); }
    std::size_t size() const noexcept { return view().size(); }
    bool empty() const noexcept { return size() == 0; }
    // Bytes held on the heap (0 for inline texts); used to account for memory.
    std::size_t heapBytes() const noexcept { return isLarge() ? largeSize() : 0; }

    friend bool operator==(const TokenString& a, const TokenString& b) noexcept { return a.view() == b.view(); }
    friend bool operator==(const TokenString& a, std::string_view b) noexcept { return a.view() == b; }
    friend bool operator==(const TokenString& a, const char* b) noexcept { return a.view() == std::string_view(b); }
    friend bool operator==(const TokenString& a, const std::string& b) noexcept { return a.view() == b; }

private:
    static constexpr std::size_t kInline = 15;
    static constexpr std::size_t kTag = 15;
    static constexpr unsigned char kLargeTag = 0xFF;

    bool isLarge() const noexcept { return static_cast<unsigned char>(m_bytes[kTag]) == kLargeTag; }
    void setSmallSize(std::size_t n) noexcept { m_bytes[kTag] = static_cast<char>(n); }
    const char* largeData() const noexcept
    {
        char* p;
        std::memcpy(&p, m_bytes, sizeof p);
        return p;
    }
    std::size_t largeSize() const noexcept
    {
        std::uint32_t n;
        std::memcpy(&n, m_bytes + sizeof(char*), sizeof n);
        return n;
    }
    void assign(std::string_view text)
    {
        if (text.size() <= kInline) {
            if (!text.empty()) {
                std::memcpy(m_bytes, text.data(), text.size());
            }
            setSmallSize(text.size());
            return;
        }
        // A token text is a part of one source file; files are limited far below 4 GiB.
        auto n = static_cast<std::uint32_t>(text.size());
        char* p = new char[n];
        std::memcpy(p, text.data(), n);
        std::memcpy(m_bytes, &p, sizeof p);
        std::memcpy(m_bytes + sizeof p, &n, sizeof n);
        m_bytes[kTag] = static_cast<char>(kLargeTag);
    }
    void release() noexcept
    {
        if (isLarge()) {
            delete[] largeData();
            setSmallSize(0);
        }
    }

    alignas(8) char m_bytes[16]{};
};

}  // namespace qm::model
