// TokenString: the text of one token, an immutable value. Texts of up to 15 bytes (most
// identifiers and numbers) live inside the object; longer ones on the heap, in one of two ways:
// in an allocation of their own, or in a block that many texts share (TextBlockWriter; the
// scanner puts its long texts there), which is freed once no TokenString refers to it (a thread
// hands back the references it drops in runs, see DeferredReleases). Copies of a shared text
// share it too. Keeping the object at 16 bytes keeps a Token at 24 bytes, which
// bounds the memory that a file's token sequence takes.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

namespace qm::model {

// A text that lies inside a larger buffer, with at least 16 bytes readable from `data` even when
// `size` is smaller: the scanner hands its texts over like this away from the end of its input,
// so that a short text can be copied as one fixed-size block.
struct PaddedText {
    const char* data;
    std::size_t size;
};

// A text that a TextBlockWriter has placed in one of its blocks, on its way into the one
// TokenString that is made from it and holds a reference to the block. Not copyable, so that it
// cannot turn into two.
class SharedText {
public:
    SharedText(const SharedText&) = delete;
    SharedText& operator=(const SharedText&) = delete;

private:
    friend class TextBlockWriter;
    friend class TokenString;
    SharedText(const char* data, std::size_t size, std::size_t offset) noexcept
        : m_data(data), m_size(size), m_offset(offset)
    {
    }
    const char* m_data;
    std::size_t m_size;
    std::size_t m_offset;  // from the start of the block
};

class TokenString {
public:
    // The longest text kept inside the object.
    static constexpr std::size_t kInlineCapacity = 15;

    TokenString() noexcept { setSmallSize(0); }
    TokenString(std::string_view text) { assign(text); }  // NOLINT: implicit on purpose
    TokenString(const char* text) : TokenString(std::string_view(text)) {}
    TokenString(const std::string& text) : TokenString(std::string_view(text)) {}
    TokenString(PaddedText text)  // NOLINT: implicit on purpose
    {
        if (text.size <= kInlineCapacity) {
            // The bytes copied past the text are never looked at: the size decides.
            std::memcpy(m_bytes, text.data, sizeof m_bytes);
            setSmallSize(text.size);
        } else {
            assign(std::string_view(text.data, text.size));
        }
    }
    TokenString(SharedText&& text) noexcept { setShared(text.m_data, text.m_size, text.m_offset); }  // NOLINT: implicit on purpose
    TokenString(const TokenString& other)
    {
        if (other.tag() == kSharedTag) {
            std::memcpy(m_bytes, other.m_bytes, sizeof m_bytes);
            references()->fetch_add(1, std::memory_order_relaxed);
        } else {
            assign(other.view());
        }
    }
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
        if (onHeap()) {
            return {heapData(), heapSize()};
        }
        return {m_bytes, static_cast<std::size_t>(tag())};
    }
    operator std::string_view() const noexcept { return view(); }  // NOLINT: implicit on purpose
    std::string str() const { return std::string(view()); }
    std::size_t size() const noexcept { return view().size(); }
    bool empty() const noexcept { return size() == 0; }
    // Bytes of text held on the heap (0 for inline texts); used to account for memory.
    std::size_t heapBytes() const noexcept { return onHeap() ? heapSize() : 0; }

    friend bool operator==(const TokenString& a, const TokenString& b) noexcept { return a.view() == b.view(); }
    friend bool operator==(const TokenString& a, std::string_view b) noexcept { return a.view() == b; }
    friend bool operator==(const TokenString& a, const char* b) noexcept { return a.view() == std::string_view(b); }
    friend bool operator==(const TokenString& a, const std::string& b) noexcept { return a.view() == b; }

private:
    friend class TextBlockWriter;

    // The last byte tells the kind: a size up to 15 for an inline text, or one of these tags. A
    // text on the heap keeps its address in bytes 0 to 7 and its size in bytes 8 to 11; a shared
    // one also the distance from the start of its block in bytes 12 to 14.
    static constexpr std::size_t kTag = 15;
    static constexpr unsigned char kSharedTag = 0xFE;
    static constexpr unsigned char kOwnedTag = 0xFF;

    unsigned char tag() const noexcept { return static_cast<unsigned char>(m_bytes[kTag]); }
    bool onHeap() const noexcept { return tag() >= kSharedTag; }
    void setSmallSize(std::size_t n) noexcept { m_bytes[kTag] = static_cast<char>(n); }
    const char* heapData() const noexcept
    {
        char* p;
        std::memcpy(&p, m_bytes, sizeof p);
        return p;
    }
    std::size_t heapSize() const noexcept
    {
        std::uint32_t n;
        std::memcpy(&n, m_bytes + sizeof(char*), sizeof n);
        return n;
    }
    void setHeap(const char* data, std::size_t size, unsigned char kind) noexcept
    {
        // A token text is a part of one source file; files are limited far below 4 GiB.
        const auto n = static_cast<std::uint32_t>(size);
        std::memcpy(m_bytes, &data, sizeof data);
        std::memcpy(m_bytes + sizeof data, &n, sizeof n);
        m_bytes[kTag] = static_cast<char>(kind);
    }

    // Shared texts: a block starts with its reference count, one reference per TokenString.
    static constexpr std::size_t kMaxBlockOffset = (std::size_t{1} << 24) - 1;
    static std::atomic<std::uint32_t>* countOf(char* block) noexcept
    {
        return std::launder(reinterpret_cast<std::atomic<std::uint32_t>*>(block));
    }
    char* block() const noexcept
    {
        std::uint32_t offset = 0;
        for (int i = 0; i < 3; ++i) {
            offset |= std::uint32_t{static_cast<unsigned char>(m_bytes[12 + i])} << (8 * i);
        }
        return const_cast<char*>(heapData()) - offset;
    }
    std::atomic<std::uint32_t>* references() const noexcept { return countOf(block()); }
    void setShared(const char* data, std::size_t size, std::size_t offset) noexcept
    {
        setHeap(data, size, kSharedTag);
        for (int i = 0; i < 3; ++i) {
            m_bytes[12 + i] = static_cast<char>((offset >> (8 * i)) & 0xFF);
        }
    }
    // Drops one reference to `block` (`count` of them at once); the last one frees it.
    static void releaseBlock(char* block, std::uint32_t count) noexcept
    {
        std::atomic<std::uint32_t>* references = countOf(block);
        if (references->fetch_sub(count, std::memory_order_acq_rel) == count) {
            references->~atomic();
            ::operator delete(block);
        }
    }

    void assign(std::string_view text)
    {
        if (text.size() <= kInlineCapacity) {
            if (!text.empty()) {
                std::memcpy(m_bytes, text.data(), text.size());
            }
            setSmallSize(text.size());
            return;
        }
        char* p = new char[text.size()];
        std::memcpy(p, text.data(), text.size());
        setHeap(p, text.size(), kOwnedTag);
    }
    void release() noexcept
    {
        if (!onHeap()) {
            return;
        }
        if (tag() == kOwnedTag) {
            delete[] heapData();
        } else {
            deferredReleases().add(block());
        }
        setSmallSize(0);
    }

    // The references to one shared block that this thread has dropped and not yet taken off its
    // count: destroying a token vector drops one per long text, mostly to the same block, and
    // one atomic operation per run of them costs far less than one per text. They are taken off
    // when the thread drops a reference to another block, and when it ends. Until then the
    // block stays allocated, so a thread keeps at most one block alive after its last use.
    class DeferredReleases {
    public:
        DeferredReleases() = default;
        DeferredReleases(const DeferredReleases&) = delete;
        DeferredReleases& operator=(const DeferredReleases&) = delete;
        ~DeferredReleases() { flush(); }

        void add(char* block) noexcept
        {
            if (block != m_block) {
                flush();
                m_block = block;
            }
            ++m_count;
        }
        void flush() noexcept
        {
            if (m_block) {
                releaseBlock(m_block, m_count);
                m_block = nullptr;
                m_count = 0;
            }
        }

    private:
        char* m_block = nullptr;
        std::uint32_t m_count = 0;
    };
    static DeferredReleases& deferredReleases() noexcept
    {
        static thread_local DeferredReleases releases;
        return releases;
    }

    alignas(8) char m_bytes[16]{};
};

// Copies long texts into blocks that many TokenStrings share, so that a sequence of tokens costs
// a heap allocation per block instead of one per long text. A block is freed when no TokenString
// refers to it any more, wherever they lived; the writer itself is for one thread.
class TextBlockWriter {
public:
    TextBlockWriter() = default;
    TextBlockWriter(const TextBlockWriter&) = delete;
    TextBlockWriter& operator=(const TextBlockWriter&) = delete;
    ~TextBlockWriter() { closeBlock(); }

    // A copy of `text`, which is longer than 15 bytes, to make a TokenString from; it counts as
    // a reference to its block from here on, so a TokenString has to be made from it.
    // `comingBytes` is a guess at the bytes of long texts still to come after this one: it sets
    // the size of a new block (between 256 bytes and 64 KiB), so that a short input does not
    // leave most of a large block unused.
    SharedText add(std::string_view text, std::size_t comingBytes)
    {
        if (static_cast<std::size_t>(m_end - m_next) < text.size()) {
            openBlock(text.size(), comingBytes);
        }
        char* placed = m_next;
        std::memcpy(placed, text.data(), text.size());
        m_next += text.size();
        ++m_texts;
        return SharedText(placed, text.size(), static_cast<std::size_t>(placed - m_block));
    }

private:
    static constexpr std::size_t kHeader = 8;  // the reference count, padded
    static constexpr std::size_t kMinBlock = 256;
    static constexpr std::size_t kMaxBlock = 64 * 1024;
    // The writer holds this many references to its open block (so that the count cannot reach
    // zero while texts are added) and gives back those that no text took when it moves on.
    static constexpr std::uint32_t kWriterReferences = std::uint32_t{1} << 30;
    static_assert(kMaxBlock <= TokenString::kMaxBlockOffset);

    void openBlock(std::size_t textSize, std::size_t comingBytes)
    {
        closeBlock();
        const std::size_t size = kHeader + std::max(textSize, std::clamp(comingBytes, kMinBlock, kMaxBlock));
        m_block = static_cast<char*>(::operator new(size));
        new (m_block) std::atomic<std::uint32_t>(kWriterReferences);
        m_next = m_block + kHeader;
        m_end = m_block + size;
        m_texts = 0;
    }
    void closeBlock() noexcept
    {
        if (m_block) {
            TokenString::releaseBlock(m_block, kWriterReferences - m_texts);
            m_block = m_next = m_end = nullptr;
        }
    }

    char* m_block = nullptr;
    char* m_next = nullptr;
    char* m_end = nullptr;
    std::uint32_t m_texts = 0;  // texts put into the open block
};

}  // namespace qm::model
