// TokenString: the text of one token, an immutable value. Texts of up to 7 bytes (short
// identifiers and most numbers) live inside the object; longer ones on the heap, in one of two
// ways: in an allocation of their own, or in a block that many texts share (TextBlockWriter; the
// scanner puts its long texts there), which is freed once no TokenString refers to it (a thread
// hands back the references it drops in runs, see DeferredReleases). Copies of a shared text
// share it too. Keeping the object at 8 bytes, 4-aligned, keeps a Token at 12 bytes, which
// bounds the memory that a file's token sequence takes.
#pragma once

#include <algorithm>
#include <atomic>
#include <bit>
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
    explicit SharedText(const char* record) noexcept : m_record(record) {}
    const char* m_record;  // the text's record in its block, see TokenString
};

class TokenString {
public:
    // The longest text kept inside the object.
    static constexpr std::size_t kInlineCapacity = 7;

    TokenString() noexcept { setSmallSize(0); }
    TokenString(std::string_view text) { assign(text); }  // NOLINT: implicit on purpose
    TokenString(const char* text) : TokenString(std::string_view(text)) {}
    TokenString(const std::string& text) : TokenString(std::string_view(text)) {}
    TokenString(PaddedText text)  // NOLINT: implicit on purpose
    {
        if (text.size <= kInlineCapacity) {
            // The bytes copied past the text are never looked at: the size decides.
            std::memcpy(m_bytes + 1, text.data, kInlineCapacity);
            setSmallSize(text.size);
        } else {
            assign(std::string_view(text.data, text.size));
        }
    }
    TokenString(SharedText&& text) noexcept { setRecord(text.m_record, kSharedTag); }  // NOLINT: implicit on purpose
    TokenString(const TokenString& other)
    {
        switch (other.tag()) {
        case kOwnedTag:
            assign(other.view());
            break;
        case kSharedTag:
            references(other.record())->fetch_add(1, std::memory_order_relaxed);
            [[fallthrough]];
        default:
            std::memcpy(m_bytes, other.m_bytes, sizeof m_bytes);
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
        switch (tag()) {
        case kInlineTag:
            return {m_bytes + 1, static_cast<std::size_t>(static_cast<unsigned char>(m_bytes[0]) >> 2)};
        case kSharedTag:
            return {record() + kSharedRecordHeader, load32(record() + 4)};
        default:
            return {record() + kOwnedRecordHeader, load32(record())};
        }
    }
    operator std::string_view() const noexcept { return view(); }  // NOLINT: implicit on purpose
    std::string str() const { return std::string(view()); }
    std::size_t size() const noexcept { return view().size(); }
    bool empty() const noexcept { return size() == 0; }
    // Bytes held on the heap for the text, its record included (0 for inline texts); used to
    // account for memory.
    std::size_t heapBytes() const noexcept
    {
        switch (tag()) {
        case kInlineTag:
            return 0;
        case kSharedTag:
            return kSharedRecordHeader + size();
        default:
            return kOwnedRecordHeader + size();
        }
    }

    friend bool operator==(const TokenString& a, const TokenString& b) noexcept { return a.view() == b.view(); }
    friend bool operator==(const TokenString& a, std::string_view b) noexcept { return a.view() == b; }
    friend bool operator==(const TokenString& a, const char* b) noexcept { return a.view() == std::string_view(b); }
    friend bool operator==(const TokenString& a, const std::string& b) noexcept { return a.view() == b; }

private:
    friend class TextBlockWriter;
    static_assert(std::endian::native == std::endian::little, "the tag shares the pointer's lowest byte");

    // The two lowest bits of byte 0 tell the kind. An inline text keeps its size in the rest of
    // byte 0 and its bytes in bytes 1 to 7. Otherwise the 8 bytes are the address of the text's
    // record (at least 4-aligned, so its two lowest bits are free for the tag): an owned record
    // is its size (4 bytes) and the text; a shared record, inside a block, is its distance from
    // the start of the block (4 bytes), the size (4 bytes) and the text.
    static constexpr unsigned kOwnedTag = 0;
    static constexpr unsigned kSharedTag = 1;
    static constexpr unsigned kInlineTag = 3;
    static constexpr std::size_t kOwnedRecordHeader = 4;
    static constexpr std::size_t kSharedRecordHeader = 8;
    static constexpr std::size_t kRecordAlignment = 4;

    unsigned tag() const noexcept { return static_cast<unsigned char>(m_bytes[0]) & 3u; }
    void setSmallSize(std::size_t n) noexcept { m_bytes[0] = static_cast<char>((n << 2) | kInlineTag); }
    static std::uint32_t load32(const char* p) noexcept
    {
        std::uint32_t n;
        std::memcpy(&n, p, sizeof n);
        return n;
    }
    static void store32(char* p, std::uint32_t n) noexcept { std::memcpy(p, &n, sizeof n); }
    const char* record() const noexcept
    {
        std::uintptr_t word;
        std::memcpy(&word, m_bytes, sizeof word);
        return reinterpret_cast<const char*>(word & ~std::uintptr_t{3});
    }
    void setRecord(const char* record, unsigned tag) noexcept
    {
        const std::uintptr_t word = reinterpret_cast<std::uintptr_t>(record) | tag;
        std::memcpy(m_bytes, &word, sizeof word);
    }

    // Shared texts: a block starts with its reference count, one reference per TokenString.
    static std::atomic<std::uint32_t>* countOf(char* block) noexcept
    {
        return std::launder(reinterpret_cast<std::atomic<std::uint32_t>*>(block));
    }
    static char* blockOf(const char* record) noexcept { return const_cast<char*>(record) - load32(record); }
    static std::atomic<std::uint32_t>* references(const char* record) noexcept { return countOf(blockOf(record)); }
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
                std::memcpy(m_bytes + 1, text.data(), text.size());
            }
            setSmallSize(text.size());
            return;
        }
        // A token text is a part of one source file; files are limited far below 4 GiB.
        auto* p = static_cast<char*>(::operator new(kOwnedRecordHeader + text.size()));
        store32(p, static_cast<std::uint32_t>(text.size()));
        std::memcpy(p + kOwnedRecordHeader, text.data(), text.size());
        setRecord(p, kOwnedTag);
    }
    void release() noexcept
    {
        switch (tag()) {
        case kInlineTag:
            return;
        case kSharedTag:
            deferredReleases().add(blockOf(record()));
            break;
        default:
            ::operator delete(const_cast<char*>(record()));
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

    alignas(4) char m_bytes[8]{};  // 4-aligned, so that a Token (4 bytes before it) takes 12
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

    // A copy of `text`, which is longer than TokenString::kInlineCapacity, to make a TokenString
    // from; it counts as a reference to its block from here on, so a TokenString has to be made
    // from it. `comingBytes` is a guess at the bytes of long texts still to come after this one:
    // it sets the size of a new block (between 256 bytes and 64 KiB), so that a short input does
    // not leave most of a large block unused. With none to come, as when the text of two pasted
    // tokens is scanned, the block holds this text alone.
    SharedText add(std::string_view text, std::size_t comingBytes)
    {
        const std::size_t recordSize = TokenString::kSharedRecordHeader + text.size();
        if (static_cast<std::size_t>(m_end - m_next) < recordSize) {
            openBlock(recordSize, comingBytes);
        }
        char* record = m_next;
        TokenString::store32(record, static_cast<std::uint32_t>(record - m_block));
        TokenString::store32(record + 4, static_cast<std::uint32_t>(text.size()));
        std::memcpy(record + TokenString::kSharedRecordHeader, text.data(), text.size());
        // The next record starts aligned, so that its address leaves the tag bits free.
        const auto used = static_cast<std::size_t>(record - m_block) + recordSize;
        const std::size_t aligned = (used + TokenString::kRecordAlignment - 1) & ~(TokenString::kRecordAlignment - 1);
        m_next = m_block + std::min(aligned, static_cast<std::size_t>(m_end - m_block));
        ++m_texts;
        return SharedText(record);
    }

private:
    static constexpr std::size_t kHeader = 8;  // the reference count, padded
    static constexpr std::size_t kMinBlock = 256;
    static constexpr std::size_t kMaxBlock = 64 * 1024;
    // The writer holds this many references to its open block (so that the count cannot reach
    // zero while texts are added) and gives back those that no text took when it moves on.
    static constexpr std::uint32_t kWriterReferences = std::uint32_t{1} << 30;

    void openBlock(std::size_t recordSize, std::size_t comingBytes)
    {
        closeBlock();
        const std::size_t room = comingBytes == 0 ? 0 : std::clamp(comingBytes, kMinBlock, kMaxBlock);
        const std::size_t size = kHeader + std::max(recordSize, room);
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
