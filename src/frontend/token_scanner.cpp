// The token scanner (rules in token_scanner.h) and tokenizeText around it.
//
// How it is built for speed. Two loops share the work. The block loop (TokenScanner::scanBlock)
// classifies 64 bytes at a time (block_classify.h) and emits the words, plain numbers, line
// feeds and punctuators it finds without a branch on their kind; it covers nearly all of a file
// where the processor has AVX2. Everything else, and all of the input elsewhere, goes through
// the byte loop (TokenScanner::scanOne): it walks the input with the position, the end and the
// line number in local variables and picks the rule from a table indexed by the current byte.
// Numbers, quotes and comments have functions of their own that return where their match ends;
// the rare paths (unknown bytes, diagnostics, growing the vector) stay out of the way. Runs of
// identifier characters and blanks, and the bodies of comments and literals, are examined 16
// bytes at a time where the target has SSE2. Reserved words are told from identifiers without a
// branch: one probe into a collision-free table, comparing the word as two masked 8-byte
// integers.
//
// Tokens are written over placeholders (TokenScanner::m_count), so that the block loop can put
// a block's tokens in their places in any order. Texts longer than a TokenString keeps inline (7
// bytes; about one token in six) are copied into blocks shared by many of them (TextBlockWriter)
// rather than into a heap allocation each, whose allocation and release took about a tenth of
// the time.

#include "frontend/token_scanner.h"

#include "frontend/block_classify.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <sys/mman.h>

namespace qm::frontend {

namespace tok = model::tok;
using model::Token;
using model::TokenCode;

namespace {

// ---------------------------------------------------------------------------------------------
// Bytes

enum CharClass : std::uint8_t {
    kBlank = 1,       // blank, tab, carriage return, vertical tab, form feed
    kIdentStart = 2,  // letters and underscore
    kDigit = 4,
    kOctal = 8,
    kHex = 16,
};

constexpr std::array<std::uint8_t, 256> makeClasses()
{
    std::array<std::uint8_t, 256> t{};
    for (char c : {' ', '\t', '\r', '\v', '\f'}) t[static_cast<unsigned char>(c)] = kBlank;
    for (int c = 'a'; c <= 'z'; ++c) t[c] = kIdentStart;
    for (int c = 'A'; c <= 'Z'; ++c) t[c] = kIdentStart;
    t['_'] = kIdentStart;
    for (int c = '0'; c <= '9'; ++c) t[c] = kDigit | kHex | (c <= '7' ? kOctal : 0);
    for (int c = 'a'; c <= 'f'; ++c) t[c] |= kHex;
    for (int c = 'A'; c <= 'F'; ++c) t[c] |= kHex;
    return t;
}

constexpr std::array<std::uint8_t, 256> kClasses = makeClasses();

[[gnu::always_inline]] inline std::uint8_t classOf(char c) { return kClasses[static_cast<unsigned char>(c)]; }
[[gnu::always_inline]] inline bool isBlank(char c) { return classOf(c) == kBlank; }
[[gnu::always_inline]] inline bool isIdentChar(char c) { return (classOf(c) & (kIdentStart | kDigit)) != 0; }
[[gnu::always_inline]] inline bool isDigit(char c) { return (classOf(c) & kDigit) != 0; }
[[gnu::always_inline]] inline bool isOctal(char c) { return (classOf(c) & kOctal) != 0; }
[[gnu::always_inline]] inline bool isHex(char c) { return (classOf(c) & kHex) != 0; }

// What the scanning loop does at a byte: one entry per first byte of a rule.
enum class Start : std::uint8_t {
    Unknown,
    Blank,
    LineFeed,
    Word,
    WordL,  // `L`: a word, or the start of a wide literal
    Digit,
    DoubleQuote,
    SingleQuote,
    Dot,
    Slash,
    Backslash,
    Single,    // punctuators that are never longer than their one byte
    Operator,  // punctuators that may be longer
};

constexpr std::array<Start, 256> makeStarts()
{
    std::array<Start, 256> t{};
    auto set = [&t](char c, Start s) { t[static_cast<unsigned char>(c)] = s; };
    for (int c = 0; c < 256; ++c) {
        const std::uint8_t cls = kClasses[static_cast<std::size_t>(c)];
        if (cls & kBlank) t[static_cast<std::size_t>(c)] = Start::Blank;
        if (cls & kIdentStart) t[static_cast<std::size_t>(c)] = Start::Word;
        if (cls & kDigit) t[static_cast<std::size_t>(c)] = Start::Digit;
    }
    set('L', Start::WordL);
    set('\n', Start::LineFeed);
    set('"', Start::DoubleQuote);
    set('\'', Start::SingleQuote);
    set('.', Start::Dot);
    set('/', Start::Slash);
    set('\\', Start::Backslash);
    for (char c : {'{', '}', '[', ']', '(', ')', ';', '?', '~', ','}) set(c, Start::Single);
    for (char c : {'#', ':', '+', '-', '*', '%', '^', '&', '|', '<', '>', '=', '!'}) set(c, Start::Operator);
    return t;
}

constexpr std::array<Start, 256> kStarts = makeStarts();

[[gnu::always_inline]] inline Start startOf(char c) { return kStarts[static_cast<unsigned char>(c)]; }

// ---------------------------------------------------------------------------------------------
// Sixteen bytes at a time. Each function below answers for the 16 bytes at `p` with a bit mask,
// bit i for byte i; callers use them only while 16 bytes are left.

#if defined(__SSE2__)
constexpr bool kHaveBlocks = true;

using Block = __m128i;

[[gnu::always_inline]] inline Block load16(const char* p) { return _mm_loadu_si128(reinterpret_cast<const Block*>(p)); }
[[gnu::always_inline]] inline Block splat(char c) { return _mm_set1_epi8(c); }
[[gnu::always_inline]] inline unsigned maskOf(Block b) { return static_cast<unsigned>(_mm_movemask_epi8(b)); }
[[gnu::always_inline]] inline Block equal(Block b, char c) { return _mm_cmpeq_epi8(b, splat(c)); }

// Bytes from `lo` to `hi`: shifted so that `lo` becomes -128, one signed compare tells the range.
[[gnu::always_inline]] inline Block inRange(Block b, char lo, char hi)
{
    const Block shifted = _mm_add_epi8(b, splat(static_cast<char>(0x80 - lo)));
    return _mm_cmplt_epi8(shifted, splat(static_cast<char>(-128 + (hi - lo + 1))));
}

[[gnu::always_inline]] inline unsigned identCharMask(const char* p)
{
    const Block b = load16(p);
    const Block letter = inRange(_mm_or_si128(b, splat(0x20)), 'a', 'z');
    const Block digit = inRange(b, '0', '9');
    return maskOf(_mm_or_si128(_mm_or_si128(letter, digit), equal(b, '_')));
}

[[gnu::always_inline]] inline unsigned blankMask(const char* p)
{
    const Block b = load16(p);
    // Tab, VT, FF and CR are 9, 11, 12 and 13: the range from 9 to 13 without the line feed.
    const Block controls = _mm_andnot_si128(equal(b, '\n'), inRange(b, '\t', '\r'));
    return maskOf(_mm_or_si128(controls, equal(b, ' ')));
}

[[gnu::always_inline]] inline unsigned starOrNulMask(const char* p)
{
    const Block b = load16(p);
    return maskOf(_mm_or_si128(equal(b, '*'), equal(b, '\0')));
}

// Bytes that a string or character literal cannot pass over without a closer look.
[[gnu::always_inline]] inline unsigned quotedStopMask(const char* p, char quote)
{
    const Block b = load16(p);
    return maskOf(_mm_or_si128(_mm_or_si128(equal(b, quote), equal(b, '\\')), equal(b, '\n')));
}

// The line feeds in [p, end), counted in byte lanes that are summed every 255 blocks at most.
inline std::int32_t countLineFeedBlocks(const char*& p, const char* end)
{
    std::int64_t count = 0;
    const Block zero = _mm_setzero_si128();
    while (end - p >= 16) {
        const std::ptrdiff_t blocks = std::min<std::ptrdiff_t>((end - p) / 16, 255);
        Block lanes = zero;
        for (std::ptrdiff_t i = 0; i < blocks; ++i, p += 16) {
            lanes = _mm_sub_epi8(lanes, equal(load16(p), '\n'));
        }
        const Block sums = _mm_sad_epu8(lanes, zero);
        count += _mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4);
    }
    return static_cast<std::int32_t>(count);
}
#else
constexpr bool kHaveBlocks = false;

inline unsigned identCharMask(const char*) { return 0; }
inline unsigned blankMask(const char*) { return 0; }
inline unsigned starOrNulMask(const char*) { return 0; }
inline unsigned quotedStopMask(const char*, char) { return 0; }
inline std::int32_t countLineFeedBlocks(const char*&, const char*) { return 0; }
#endif

constexpr unsigned kAllSixteen = 0xFFFF;

[[gnu::always_inline]] inline bool sixteenLeft(const char* p, const char* end) { return kHaveBlocks && end - p >= 16; }

// Skips the run of bytes that `inRun` accepts, sixteen at a time where `runMask` can tell them.
template <unsigned (*runMask)(const char*), bool (*inRun)(char)>
[[gnu::always_inline]] inline const char* skipRun(const char* p, const char* end)
{
    while (sixteenLeft(p, end)) {
        if (const unsigned stop = ~runMask(p) & kAllSixteen) {
            return p + std::countr_zero(stop);
        }
        p += 16;
    }
    while (p < end && inRun(*p)) ++p;
    return p;
}

[[gnu::always_inline]] inline const char* skipIdentChars(const char* p, const char* end)
{
    return skipRun<identCharMask, isIdentChar>(p, end);
}

[[gnu::always_inline]] inline const char* skipBlanks(const char* p, const char* end)
{
    return skipRun<blankMask, isBlank>(p, end);
}

// The first `*` or NUL byte at or after `p`, or `end`.
inline const char* findStarOrNul(const char* p, const char* end)
{
    while (sixteenLeft(p, end)) {
        if (const unsigned hit = starOrNulMask(p)) {
            return p + std::countr_zero(hit);
        }
        p += 16;
    }
    while (p < end && *p != '*' && *p != '\0') ++p;
    return p;
}

inline std::int32_t countLineFeeds(const char* p, const char* end)
{
    std::int32_t count = countLineFeedBlocks(p, end);
    for (; p < end; ++p) count += *p == '\n';
    return count;
}

// ---------------------------------------------------------------------------------------------
// Reserved and directive words

// A word of up to 16 bytes as two little-endian integers, zero past its end.
struct WordKey {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
};

constexpr WordKey keyOf(std::string_view word)
{
    WordKey key;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const auto byte = static_cast<std::uint64_t>(static_cast<unsigned char>(word[i]));
        (i < 8 ? key.low : key.high) |= byte << (8 * (i % 8));
    }
    return key;
}

[[gnu::always_inline]] inline std::uint64_t loadLittleEndian64(const char* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::big) {
        v = __builtin_bswap64(v);
    }
    return v;
}

// For each word length up to 64, the mask that keeps the word's bytes of the 16 at its start.
// Words longer than 16 bytes keep no bytes: as the empty key they find nothing.
constexpr std::size_t kKeyMaskLengths = 65;
constexpr std::array<WordKey, kKeyMaskLengths> makeKeyMasks()
{
    std::array<WordKey, kKeyMaskLengths> masks{};
    const auto bytes = [](int n) { return n >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * n)) - 1; };
    for (int length = 0; length <= 16; ++length) {
        masks[static_cast<std::size_t>(length)] = {bytes(length), bytes(std::max(length - 8, 0))};
    }
    return masks;
}

constexpr std::array<WordKey, kKeyMaskLengths> kKeyMasks = makeKeyMasks();

class KeywordTable {
public:
    static constexpr std::size_t kMinLength = 2;   // "do", "if", "or"
    static constexpr std::size_t kMaxLength = 16;  // "reinterpret_cast"

    constexpr KeywordTable()
    {
        struct Spelling {
            std::string_view word;
            TokenCode code;
        };
        constexpr Spelling kSpellings[] = {
#define TOKEN(Name, value, spelling)
#define KEYWORD(Name, value, spelling) {spelling, value},
#define DIRECTIVE(Name, value, spelling) {spelling, value},
#include "model/token_codes.def"
        };
        for (const Spelling& s : kSpellings) {
            if (s.word.size() < kMinLength || s.word.size() > kMaxLength) {
                throw "a reserved word is longer or shorter than the table allows";
            }
            const WordKey key = keyOf(s.word);
            const std::size_t slot = slotOf(key.low);
            if (m_keys[slot].low != 0) {
                throw "two reserved words share a slot: choose another multiplier";
            }
            m_keys[slot] = key;
            m_code[slot] = static_cast<std::uint16_t>(s.code);
        }
    }

    // The code of the word of `length` bytes at `word` when it is a reserved or directive word,
    // else 0. Reads the 16 bytes at `word`; the caller makes sure that they are there. No branch:
    // a word longer than 16 bytes is looked up as the empty key, which finds nothing, as does
    // every word shorter than two bytes.
    [[gnu::always_inline]] TokenCode findIn16(const char* word, std::size_t length) const noexcept
    {
        return findInBlock(word, length < kKeyMaskLengths ? length : 0);
    }

    // findIn16 for a word of at most 64 bytes, without a branch at all.
    [[gnu::always_inline]] TokenCode findInBlock(const char* word, std::size_t length) const noexcept
    {
        const std::uint64_t low = loadLittleEndian64(word) & kKeyMasks[length].low;
        const std::uint64_t high = loadLittleEndian64(word + 8) & kKeyMasks[length].high;
        // An empty slot holds the empty key with code 0.
        const std::size_t slot = slotOf(low);
        const auto found = static_cast<TokenCode>(((m_keys[slot].low ^ low) | (m_keys[slot].high ^ high)) == 0);
        return m_code[slot] & -found;
    }

    // The same for a word that may end less than 16 bytes before the end of the input.
    TokenCode find(const char* word, std::size_t length, const char* end) const noexcept
    {
        if (end - word >= 16) {
            return findIn16(word, length);
        }
        char padded[16] = {};
        std::memcpy(padded, word, std::min<std::size_t>(length, sizeof padded));
        return findIn16(padded, length);
    }

private:
    static constexpr int kBits = 9;
    static constexpr std::size_t kSlots = std::size_t{1} << kBits;
    // Chosen so that the first eight bytes of the 86 words land in 86 different slots; the
    // constructor rejects a multiplier for which they do not.
    static constexpr std::uint64_t kMultiplier = 0x8c8a81fc0d887235;

    static constexpr std::size_t slotOf(std::uint64_t low) { return static_cast<std::size_t>((low * kMultiplier) >> (64 - kBits)); }

    std::array<WordKey, kSlots> m_keys{};
    std::array<std::uint16_t, kSlots> m_code{};
};

constexpr KeywordTable kKeywords;

// ---------------------------------------------------------------------------------------------
// Numbers

// After an integer's digits: an optional suffix u, U, l, L, or a u/U and l/L pair in either order.
[[gnu::always_inline]] inline const char* skipIntegerSuffix(const char* p, const char* end)
{
    auto isU = [](char c) { return c == 'u' || c == 'U'; };
    auto isL = [](char c) { return c == 'l' || c == 'L'; };
    if (p < end && (isU(*p) || isL(*p))) {
        const bool firstU = isU(*p);
        ++p;
        if (p < end && (firstU ? isL(*p) : isU(*p))) {
            ++p;
        }
    }
    return p;
}

[[gnu::always_inline]] inline const char* skipDigits(const char* p, const char* end)
{
    while (p < end && isDigit(*p)) ++p;
    return p;
}

// An exponent e or E, an optional sign and at least one digit; returns `p` when there is none.
[[gnu::always_inline]] inline const char* skipExponent(const char* p, const char* end)
{
    if (p == end || (*p != 'e' && *p != 'E')) return p;
    const char* q = p + 1;
    if (q < end && (*q == '+' || *q == '-')) ++q;
    if (q == end || !isDigit(*q)) return p;
    return skipDigits(q, end);
}

[[gnu::always_inline]] inline const char* skipFloatSuffix(const char* p, const char* end)
{
    if (p < end && (*p == 'f' || *p == 'F' || *p == 'l' || *p == 'L')) ++p;
    return p;
}

struct Match {
    const char* end;
    TokenCode code;
};

// Decimal, octal and hexadecimal integers and floating literals from the digit at `start`; the
// longest of them wins, so `09` is `0` then `9`, `0x` is `0` then `x`, and `1.` is floating.
[[gnu::always_inline]] inline Match matchNumber(const char* start, const char* end)
{
    Match integer;
    if (*start != '0') {
        integer = {skipIntegerSuffix(skipDigits(start, end), end), tok::DecimalInteger};
    } else if (start + 2 < end && (start[1] == 'x' || start[1] == 'X') && isHex(start[2])) {
        const char* p = start + 3;
        while (p < end && isHex(*p)) ++p;
        integer = {skipIntegerSuffix(p, end), tok::HexInteger};
    } else {
        const char* p = start + 1;
        while (p < end && isOctal(*p)) ++p;
        integer = {skipIntegerSuffix(p, end), tok::OctalInteger};
    }

    const char* digitsEnd = skipDigits(start, end);
    const char* floatEnd = nullptr;
    if (digitsEnd < end && *digitsEnd == '.') {
        floatEnd = skipFloatSuffix(skipExponent(skipDigits(digitsEnd + 1, end), end), end);
    } else if (const char* e = skipExponent(digitsEnd, end); e != digitsEnd) {
        floatEnd = skipFloatSuffix(e, end);
    }
    if (floatEnd && floatEnd > integer.end) {
        return {floatEnd, tok::FloatLiteral};
    }
    return integer;
}

// ---------------------------------------------------------------------------------------------
// Quotes

[[gnu::always_inline]] inline bool isSimpleEscape(char c)
{
    switch (c) {
    case '\'': case '"': case '?': case '\\': case 'a': case 'b': case 'f': case 'n': case 'r': case 't':
    case 'v':
        return true;
    default:
        return false;
    }
}

// The string rule (quote `"`) or the character rule (quote `'`) from the opening quote: plain
// characters, escapes, and (strings only) a backslash directly before a line feed, or before a
// CR LF when `crLf` is CrLf::AsLineFeed. `close` is the position after the closing quote, or null
// when the rule does not match here; `failAt` is where the match failed; `passedCrLf` tells that
// the literal goes on over a backslash and CR LF.
struct QuotedScan {
    const char* close;
    const char* failAt;
    bool passedCrLf;
};

// The first quote, backslash or line feed at or after `p`, or `end`.
[[gnu::always_inline]] inline const char* skipPlainQuoted(const char* p, const char* end, char quote)
{
    while (sixteenLeft(p, end)) {
        if (const unsigned stop = quotedStopMask(p, quote)) {
            return p + std::countr_zero(stop);
        }
        p += 16;
    }
    while (p < end && *p != quote && *p != '\\' && *p != '\n') ++p;
    return p;
}

inline QuotedScan scanQuotedLiteral(const char* opening, const char* end, char quote, CrLf crLf)
{
    const char* p = opening + 1;
    if (quote == '\'' && p < end && *p == '\'') {
        return {nullptr, p, false};  // '' is not a character literal
    }
    bool passedCrLf = false;
    for (;;) {
        p = skipPlainQuoted(p, end, quote);
        if (p == end || *p == '\n') {
            break;
        }
        if (*p == quote) {
            return {p + 1, nullptr, passedCrLf};
        }
        // A backslash.
        if (p + 1 == end) {
            break;
        }
        const char e = p[1];
        if (isSimpleEscape(e) || (e == '\n' && quote == '"')) {
            p += 2;
        } else if (e == '\r' && quote == '"' && crLf == CrLf::AsLineFeed && p + 2 < end && p[2] == '\n') {
            p += 3;
            passedCrLf = true;
        } else if (isOctal(e)) {
            p += 2;
            for (int i = 0; i < 2 && p < end && isOctal(*p); ++i) ++p;
        } else if (e == 'x' && p + 2 < end && isHex(p[2])) {
            p += 3;
            while (p < end && isHex(*p)) ++p;
        } else {
            break;
        }
    }
    return {nullptr, p, false};
}

// The header-name rule: a double quote, anything but double quote and line feed, a double
// quote. Returns the position after the closing quote, or null.
inline const char* matchHeaderName(const char* opening, const char* end)
{
    for (const char* p = opening + 1; p < end; ++p) {
        if (*p == '"') return p + 1;
        if (*p == '\n') return nullptr;
    }
    return nullptr;
}

// The first reservation of a token vector. Ordinary source files have one token per 5 to 11
// bytes (comments make the difference); data tables in source form, one per 2 to 4. Guessing
// one per 5 makes most vectors large enough at once, and makeRoom takes care of the others; the
// memory stays near 5 bytes per byte of input.
constexpr std::size_t kBytesPerTokenGuess = 5;
// The first reservation stays below 32 MiB: glibc maps a block of that size or more afresh for
// every allocation, so a vector past it pays for fresh pages on every file instead of reusing
// memory (which made the time for an 8 MiB input more than twice that for 4 MiB).
constexpr std::size_t kMaxFirstReservation = 30 * 1024 * 1024 / sizeof(Token);
// A larger first reservation is checked once this many tokens (6 MiB) are in it: makeRoom
// estimates the whole input's tokens from them and, if they will not fit or would fill less than
// half of it, moves them to a vector of the estimated size at once. Waiting until the vector was
// full meant filling the capped 30 MiB (half way through an 8 MiB input of numbers) and then
// copying all of it; a vector far too large was shrunk at the end, copying every token.
constexpr std::size_t kEarlyEstimateAt = 256 * 1024;
// Tokens that fit after a line end before the vector is given room for the rest of the input.
constexpr std::size_t kRoomPerLine = 64;
// Token vectors of this size or more are asked to be backed by huge pages (see moveToCapacity).
// 32 MiB is where glibc stops reusing freed memory and maps every allocation afresh, so that
// each scan of a large input pays for faulting in new pages.
constexpr std::size_t kHugePagesFrom = 32 * 1024 * 1024;
constexpr std::uintptr_t kHugePageSize = 2 * 1024 * 1024;

// Asks for the whole 2 MiB pages inside [data, data + bytes) to be huge pages: the advice applies
// to whole pages, and the allocator's own bookkeeping lies just before `data`.
void adviseHugePages([[maybe_unused]] const void* data, [[maybe_unused]] std::size_t bytes)
{
#if defined(MADV_HUGEPAGE)
    const auto from = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (from + kHugePageSize - 1) & ~(kHugePageSize - 1);
    const std::uintptr_t stop = (from + bytes) & ~(kHugePageSize - 1);
    if (stop > begin) {
        ::madvise(reinterpret_cast<void*>(begin), stop - begin, MADV_HUGEPAGE);
    }
#endif
}

// Placeholders are added this many at a time (see TokenScanner::m_count).
constexpr std::size_t kPlaceholders = 256;

constexpr std::string_view kUnknownMessage = "---------- Error Unkonwn Token  ---------- <";
constexpr std::size_t kDiagnosticsChunk = 64 * 1024;

// ---------------------------------------------------------------------------------------------
// The scanning loop

// A token without text: its length and code.
struct Fixed {
    int length;
    TokenCode code;
};

// Punctuators from the byte at `p`, longest first: `->*` before `->` before `-`. Only for the
// bytes that start one (Start::Operator, and `/`).
[[gnu::always_inline]] inline Fixed matchOperator(const char* p, const char* end)
{
    const char c = *p;
    const char n1 = p + 1 < end ? p[1] : '\0';
    const char n2 = p + 2 < end ? p[2] : '\0';
    switch (c) {
    case '#': return n1 == '#' ? Fixed{2, tok::HashHash} : Fixed{1, '#'};
    case ':': return n1 == ':' ? Fixed{2, tok::ColonColon} : Fixed{1, ':'};
    case '+':
        if (n1 == '+') return {2, tok::PlusPlus};
        if (n1 == '=') return {2, tok::PlusAssign};
        return {1, '+'};
    case '-':
        if (n1 == '>') return n2 == '*' ? Fixed{3, tok::ArrowStar} : Fixed{2, tok::Arrow};
        if (n1 == '-') return {2, tok::MinusMinus};
        if (n1 == '=') return {2, tok::MinusAssign};
        return {1, '-'};
    case '*': return n1 == '=' ? Fixed{2, tok::StarAssign} : Fixed{1, '*'};
    case '/': return n1 == '=' ? Fixed{2, tok::SlashAssign} : Fixed{1, '/'};
    case '%': return n1 == '=' ? Fixed{2, tok::PercentAssign} : Fixed{1, '%'};
    case '^': return n1 == '=' ? Fixed{2, tok::XorAssign} : Fixed{1, '^'};
    case '&':
        if (n1 == '&') return {2, tok::AndAnd};
        if (n1 == '=') return {2, tok::AndAssign};
        return {1, '&'};
    case '|':
        if (n1 == '|') return {2, tok::OrOr};
        if (n1 == '=') return {2, tok::OrAssign};
        return {1, '|'};
    case '<':
        if (n1 == '<') return n2 == '=' ? Fixed{3, tok::ShiftLeftAssign} : Fixed{2, tok::ShiftLeft};
        if (n1 == '=') return {2, tok::LessEqual};
        return {1, '<'};
    case '>':
        if (n1 == '>') return n2 == '=' ? Fixed{3, tok::ShiftRightAssign} : Fixed{2, tok::ShiftRight};
        if (n1 == '=') return {2, tok::GreaterEqual};
        return {1, '>'};
    case '=': return n1 == '=' ? Fixed{2, tok::EqualEqual} : Fixed{1, '='};
    default: return n1 == '=' ? Fixed{2, tok::NotEqual} : Fixed{1, '!'};
    }
}

// `...`, `.*` or `.`; `.5` is a number and taken before.
[[gnu::always_inline]] inline Fixed matchDot(const char* p, const char* end)
{
    if (p + 2 < end && p[1] == '.' && p[2] == '.') return {3, tok::Ellipsis};
    if (p + 1 < end && p[1] == '*') return {2, tok::DotStar};
    return {1, '.'};
}

// ---------------------------------------------------------------------------------------------
// Sixty-four bytes at a time
//
// Where the processor allows, the scanner classifies the 64 bytes at its position at once
// (block_classify.h) and so knows where every word, plain number, line feed and punctuator
// starts, and where a token starts that needs the byte loop (a literal, comment, other number,
// backslash, unknown byte, three-byte punctuator). Those tokens come first, in order, each
// written to its place among the block's tokens: line comments and strings without escapes
// that end inside the block are read off the masks, the others take one step of the byte loop.
// What they cover starts no other token. Then all the other tokens of the block are written at
// once, in two loops, words and the rest, whose branches do not depend on the kinds of the
// tokens: the kind is picked with masks, not a jump, which the byte loop mispredicts about
// once per token.

// The two-byte punctuators, found by their bytes read as one little-endian 16-bit number: a
// collision-free table indexed by a multiplicative hash of that number.
class PairTable {
public:
    constexpr PairTable()
    {
        struct Pair {
            std::string_view spelling;
            TokenCode code;
        };
        constexpr Pair kAll[] = {
#define TOKEN(Name, value, spelling) {spelling, value},
#define KEYWORD(Name, value, spelling)
#define DIRECTIVE(Name, value, spelling)
#include "model/token_codes.def"
        };
        for (m_multiplier = 0x9E3779B1u;; m_multiplier += 2) {
            m_keys = {};
            m_codes = {};
            m_codeBytes = {};
            bool collides = false;
            for (const Pair& pair : kAll) {
                if (pair.code < tok::DotStar || pair.code > tok::HashHash || pair.spelling.size() != 2) {
                    continue;
                }
                const std::uint16_t key = keyOf(pair.spelling[0], pair.spelling[1]);
                const std::size_t slot = slotOf(key);
                if (m_keys[slot] != 0) {
                    collides = true;
                    break;
                }
                m_keys[slot] = key;
                m_codes[slot] = static_cast<std::uint16_t>(pair.code);
                m_codeBytes[slot] = static_cast<char>(pair.code - 256);
            }
            if (!collides) {
                return;
            }
        }
    }

    // The code of the two-byte punctuator at `p`; only for bytes that form one.
    [[gnu::always_inline]] TokenCode codeAt(const char* p) const noexcept
    {
        std::uint16_t key;
        std::memcpy(&key, p, sizeof key);
        if constexpr (std::endian::native == std::endian::big) {
            key = static_cast<std::uint16_t>((key >> 8) | (key << 8));
        }
        return m_codes[slotOf(key)];
    }

    static constexpr int kBits = 7;
    constexpr std::uint32_t multiplier() const { return m_multiplier; }
    // The codes less 256, a byte each, for looking eight of them up at once.
    const char* codeBytes() const { return m_codeBytes.data(); }

private:
    static constexpr std::uint16_t keyOf(char first, char second)
    {
        return static_cast<std::uint16_t>(static_cast<unsigned char>(first) | (static_cast<unsigned char>(second) << 8));
    }
    constexpr std::size_t slotOf(std::uint16_t key) const { return (key * m_multiplier) >> (32 - kBits); }

    std::uint32_t m_multiplier = 0;
    std::array<std::uint16_t, std::size_t{1} << kBits> m_keys{};
    std::array<std::uint16_t, std::size_t{1} << kBits> m_codes{};
    alignas(64) std::array<char, std::size_t{1} << kBits> m_codeBytes{};
};

constexpr PairTable kPairs;

// The block loop reads up to 80 bytes from its position: 64 classified, two more for two- and
// three-byte punctuators, and the 16 bytes of a word that starts before byte 62.
constexpr std::ptrdiff_t kBlockReach = 80;
// Tokens that start at byte 62 or later wait for the next block: the classification of a
// two-byte punctuator at byte 63 needs byte 64, that of `->*` two bytes ahead.
constexpr unsigned kBlockTokensBefore = 62;

#if defined(QM_BLOCK_CLASSIFIERS)
// The set bits of `bits` below bit `at`.
[[QM_BLOCK_TARGET, gnu::always_inline]] inline std::int32_t bitsBelow(std::uint64_t bits, unsigned at)
{
    return static_cast<std::int32_t>(_mm_popcnt_u64(_bzhi_u64(bits, at)));
}
#endif

class TokenScanner {
public:
    TokenScanner(std::string_view input, CrLf crLf, ScanMode mode, std::vector<Token>& tokens,
                 const DiagnosticsWriter& diagnostics, std::size_t maxTokens)
        : m_begin(input.data()), m_end(input.data() + input.size()), m_crLf(crLf), m_mode(mode), m_tokens(tokens),
          m_diagnostics(diagnostics), m_growAt(std::min(growAt(tokens.capacity()), kEarlyEstimateAt)),
          m_maxTokens(maxTokens)
    {
    }

    // Scans the whole input, or as much as gives m_maxTokens tokens; false when it stopped there.
    bool run();

private:
    static constexpr std::size_t kNoBackslash = std::numeric_limits<std::size_t>::max();

    struct AngleInclude {
        const char* nameStart = nullptr;
        const char* close = nullptr;
    };

    void runBytes(const char* p, std::int32_t line);
    const char* scanOne(const char* p, const char* end, std::int32_t& line);
    const char* runBlocksAvx2(const char* p, std::int32_t& line);
    const char* runBlocksAvx512(const char* p, std::int32_t& line);
    bool atBlock(const char*& p, std::int32_t& line);
    // The tokens of a block that are not yet written: where the words, line feeds and
    // punctuators start (`masks`), where the byte loop wrote a token (`byteLoop`), the line at
    // the block's start and that after its last token.
    struct BlockTokens {
        std::uint64_t masks = 0;
        std::uint64_t byteLoop = 0;
        std::int32_t line = 0;
        std::int32_t lastLine = 0;
    };
    const char* scanBlock(const char* p, const blocks::BlockMasks& m, std::int32_t& line, BlockTokens& tokens);
    Token* emitWords(const char* p, const blocks::BlockMasks& m, const BlockTokens& tokens);
    void emitOthers(const char* p, const blocks::BlockMasks& m, const BlockTokens& tokens, Token* out);
    void emitOthersAvx512(const char* p, const blocks::BlockMasks& m, const BlockTokens& tokens, Token* out);
    const char* scanForByteLoop(const char* p, unsigned at, const blocks::BlockMasks& m, std::int32_t& line);
    const char* stepBytes(const char* p, std::int32_t& line);

    // Appends a token made of `line`, `code` and the text, if any, in the first placeholder.
    template <typename... Text>
    [[gnu::always_inline]] void add(std::int32_t line, TokenCode code, Text&&... text)
    {
        if (m_count == m_tokens.size()) [[unlikely]] {
            if (m_count > m_maxTokens) {
                dropAndStop(std::forward<Text>(text)...);
            }
            addPlaceholders();
        }
        ::new (m_tokens.data() + m_count) Token{line, code, model::TokenString(std::forward<Text>(text)...)};
        ++m_count;
    }
    [[gnu::always_inline]] void emit(std::int32_t line, TokenCode code) { add(line, code); }
    // Ends the scan at the token budget. A long text already holds a reference to its block,
    // which the TokenString made of it here gives back.
    template <typename... Text>
    [[noreturn, gnu::noinline]] void dropAndStop(Text&&... text)
    {
        const model::TokenString dropped(std::forward<Text>(text)...);
        throw BudgetSpent{};
    }
    void addPlaceholders();
    void emitText(std::int32_t line, TokenCode code, const char* text, const char* textEnd, const char* end);
    void emitLongText(std::int32_t line, TokenCode code, std::string_view text, const char* scanned, const char* end);

    const char* scanWord(const char* start, const char* end, std::int32_t line);
    const char* scanLongWord(const char* start, const char* wordEnd, const char* end, std::int32_t line);
    const char* scanInclude(const char* wordEnd, const char* end, std::int32_t line);
    const char* scanWideLiteral(const char* start, const char* end, std::int32_t& line);
    const char* scanNumber(const char* start, const char* end, std::int32_t line);
    const char* scanQuote(const char* opening, const char* end, std::int32_t& line);
    QuotedScan matchQuoted(const char* opening, const char* end, char quote);
    void emitQuoted(std::int32_t line, TokenCode code, const char* text, const char* textEnd, const char* end, bool passedCrLf);
    AngleInclude matchAngleInclude(const char* afterWord, const char* end);
    const char* skipBlockComment(const char* q, std::int32_t& line);
    const char* skipBlockCommentWide(const char* p, std::int32_t& line);
    const char* unknownCharacter(const char* p, std::int32_t line);
    void emitError(std::int32_t line);
    void makeRoom(const char* p);
    static std::size_t growAt(std::size_t capacity);
    void moveToCapacity(std::size_t count);

    const char* m_begin;
    const char* m_end;
    CrLf m_crLf;
    ScanMode m_mode;
    // The tokens so far are the first m_count of m_tokens; the rest are placeholders, empty
    // tokens that the next ones are written over, so that appending one costs no more than
    // writing it (the block loop appends a block's tokens out of order).
    std::vector<Token>& m_tokens;
    std::size_t m_count = 0;
    const DiagnosticsWriter& m_diagnostics;
    std::string m_messages;
    model::TextBlockWriter m_longTexts;
    // The token count right after the last backslash token; a newline token at that count joins
    // the lines instead.
    std::size_t m_sizeAfterBackslash = kNoBackslash;
    // The token count at which a line end calls makeRoom.
    std::size_t m_growAt;
    // Positions before which an attempt of the string, character or angle-include rule is known
    // to fail. Each keeps a line of unmatched quotes from being rescanned once per quote.
    const char* m_stringFailsBefore = nullptr;
    const char* m_charFailsBefore = nullptr;
    const char* m_angleFailsBefore = nullptr;
    // Past this many tokens the scan ends. It is checked only where the vector grows, which the
    // scan reaches at least every kPlaceholders tokens; only a count above it ends the scan, so
    // that an input of exactly this many tokens counts as whole.
    std::size_t m_maxTokens;
    struct BudgetSpent {};
};

bool TokenScanner::run()
{
    const char* p = m_begin;
    std::int32_t line = 1;
    bool whole = true;
    try {
#if defined(QM_BLOCK_CLASSIFIERS)
        const blocks::Classifier classifier = blocks::availableClassifier();
        if (classifier == blocks::Classifier::Avx512 && m_mode == ScanMode::Fastest) {
            p = runBlocksAvx512(p, line);
        } else if (classifier != blocks::Classifier::None && m_mode != ScanMode::TokenByToken) {
            p = runBlocksAvx2(p, line);
        }
#endif
        runBytes(p, line);
    } catch (const BudgetSpent&) {
        whole = false;
    }
    if (m_count > m_maxTokens) {
        whole = false;
        m_count = m_maxTokens;
    }
    m_tokens.resize(m_count);
    if (!m_messages.empty()) {
        m_diagnostics(m_messages);
    }
    return whole;
}

// Placeholders for up to kPlaceholders more tokens, within the capacity while it has room for
// at least 64 more.
[[gnu::noinline]] void TokenScanner::addPlaceholders()
{
    const std::size_t room = m_tokens.capacity() - m_count;
    m_tokens.resize(m_count + (room >= 64 ? std::min(room, kPlaceholders) : kPlaceholders));
}

// Kept out of line: inlined into its caller, the loop came out about 8% slower (code layout).
[[gnu::noinline]] void TokenScanner::runBytes(const char* p, std::int32_t line)
{
    const char* const end = m_end;
    while (p < end) {
        p = scanOne(p, end, line);
    }
}

// One step of the byte loop from `p`: a token, a comment or a run of blanks. Returns where the
// next step starts.
[[gnu::always_inline]] inline const char* TokenScanner::scanOne(const char* p, const char* end, std::int32_t& line)
{
    // Most tokens are followed by one blank, by the CR of a CR LF, or by nothing; stepping over
    // that byte here saves a pass through the switch. (A branch: doing it without one puts the
    // load of the byte on the path from one token to the next, which costs more than the
    // mispredictions.)
    if ((*p == ' ' || *p == '\r') && ++p == end) {
        return p;
    }
    Fixed fixed;
    switch (startOf(*p)) {
    case Start::Blank:
        return skipBlanks(p + 1, end);
    case Start::LineFeed:
        if (m_count == m_sizeAfterBackslash) {
            --m_count;  // a backslash ending the line joins it with the next one
            m_sizeAfterBackslash = kNoBackslash;
        } else {
            emit(line, tok::Newline);
        }
        if (m_count >= m_growAt) {
            makeRoom(p);
        }
        ++line;
        return skipBlanks(p + 1, end);  // the next line's indentation
    case Start::WordL:
        if (p + 1 < end && (p[1] == '"' || p[1] == '\'')) {
            return scanWideLiteral(p, end, line);
        }
        [[fallthrough]];
    case Start::Word:
        return scanWord(p, end, line);
    case Start::Digit:
        return scanNumber(p, end, line);
    case Start::DoubleQuote:
    case Start::SingleQuote:
        return scanQuote(p, end, line);
    case Start::Dot:
        if (p + 1 < end && isDigit(p[1])) {
            return scanNumber(p, end, line);
        }
        fixed = matchDot(p, end);
        break;
    case Start::Slash:
        if (p + 1 < end && p[1] == '*') {
            return skipBlockComment(p + 2, line);
        }
        if (p + 1 < end && p[1] == '/') {
            const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
            return lf ? static_cast<const char*>(lf) : end;
        }
        fixed = matchOperator(p, end);
        break;
    case Start::Backslash:
        fixed = {1, '\\'};
        m_sizeAfterBackslash = m_count + 1;
        break;
    case Start::Single:
        fixed = {1, static_cast<unsigned char>(*p)};
        break;
    case Start::Operator:
        fixed = matchOperator(p, end);
        break;
    case Start::Unknown:
        return unknownCharacter(p, line);
    }
    emit(line, fixed.code);
    return p + fixed.length;
}

// One step of the byte loop, kept out of the block loop so that its registers stay its own.
[[gnu::noinline]] const char* TokenScanner::stepBytes(const char* p, std::int32_t& line)
{
    return scanOne(p, m_end, line);
}

#if defined(QM_BLOCK_CLASSIFIERS)
// GCC 12 takes the unset lanes that some AVX-512 intrinsics start from for uninitialized values.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

// The block loop (see "Sixty-four bytes at a time" above), once for each classifier. Each
// returns where fewer than kBlockReach bytes are left, for the byte loop to finish.
[[QM_AVX2_TARGET]] const char* TokenScanner::runBlocksAvx2(const char* p, std::int32_t& line)
{
    while (atBlock(p, line)) {
        const blocks::BlockMasks m = blocks::classifyAvx2(p);
        BlockTokens tokens;
        const char* const next = scanBlock(p, m, line, tokens);
        emitOthers(p, m, tokens, emitWords(p, m, tokens));
        p = next;
    }
    return p;
}

// The same with the AVX-512 classifier, and the tokens other than words written without a loop:
// a function of its own, as its instructions may run only where the processor has them.
[[QM_AVX512_TARGET]] const char* TokenScanner::runBlocksAvx512(const char* p, std::int32_t& line)
{
    while (atBlock(p, line)) {
        const blocks::BlockMasks m = blocks::classifyAvx512(p);
        BlockTokens tokens;
        const char* const next = scanBlock(p, m, line, tokens);
        emitOthersAvx512(p, m, tokens, emitWords(p, m, tokens));
        p = next;
    }
    return p;
}

// Whether a block can start at `p`, after room is made for its tokens: false where fewer than
// kBlockReach bytes are left. A backslash that came last goes to the byte loop first, which
// joins its line with the next if a line end follows.
[[QM_BLOCK_TARGET, gnu::always_inline]] inline bool TokenScanner::atBlock(const char*& p, std::int32_t& line)
{
    while (m_end - p >= kBlockReach) {
        if (m_count >= m_growAt) {
            makeRoom(p);
        }
        if (m_tokens.size() - m_count < 64) {
            addPlaceholders();
        }
        if (m_count != m_sizeAfterBackslash) {
            return true;
        }
        p = stepBytes(p, line);
    }
    return false;
}

// Scans the block at `p` with its masks `m`: the tokens that the byte loop scans, in order, each
// written to its place among the block's tokens. They may cover what the masks took for other
// tokens (a comment, a string) and end inside what they took for one (`1e5` in a word). Leaves
// in `tokens` what emitWords and emitOthers write then, and returns where the next block starts.
[[QM_BLOCK_TARGET, gnu::always_inline]] inline const char* TokenScanner::scanBlock(const char* p, const blocks::BlockMasks& m,
                                                                               std::int32_t& line, BlockTokens& tokens)
{
    tokens = {0, 0, line, line};
    // Tokens that start at `limit` or later wait for the next block, and so does a word that
    // runs into the last byte: where it ends is not known yet.
    const unsigned limit = std::min(kBlockTokensBefore, 64u - static_cast<unsigned>(_lzcnt_u64(~m.word)));
    if (limit == 0) {
        return stepBytes(p, line);  // a word longer than the block
    }
    // Positions where the masks see no token start although one starts there when a token of the
    // byte loop ends there: inside a word (`1e5x` after `1e5`) or after the first byte of a
    // two-byte punctuator (the third `+` of `+++`).
    const std::uint64_t insideToken = (m.word & (m.word << 1)) | (m.pair << 1);
    const std::size_t first = m_count;
    tokens.masks = _bzhi_u64(m.starts & ~m.byteLoop, limit);
    const char* next = nullptr;  // where the next block starts, if not after `limit`
    for (std::uint64_t byteLoop = _bzhi_u64(m.byteLoop, limit); byteLoop != 0;) {
        const auto at = static_cast<unsigned>(_tzcnt_u64(byteLoop));
        m_count = first + static_cast<std::size_t>(bitsBelow(tokens.masks | tokens.byteLoop, at));
        std::int32_t atLine = tokens.line + bitsBelow(m.lineFeed, at);
        const std::size_t before = m_count;
        const char* const after = scanForByteLoop(p, at, m, atLine);
        const auto scanned = static_cast<unsigned>(std::min<std::ptrdiff_t>(after - p, 64));
        tokens.byteLoop |= static_cast<std::uint64_t>(m_count != before) << at;
        // The block ends with this token when it ends at or past `limit`, or when it is a
        // backslash (which the byte loop joins with a line end after it).
        if (scanned >= limit || m_count == m_sizeAfterBackslash) {
            tokens.masks = _bzhi_u64(tokens.masks, at);
            tokens.lastLine = atLine;
            next = after;
            break;
        }
        // What it covered starts no token; where it ended inside what the masks took for one
        // token, the byte loop goes on.
        const std::uint64_t scannedBytes = _bzhi_u64(~std::uint64_t{0}, scanned);
        byteLoop = (byteLoop & ~scannedBytes) | (insideToken & (std::uint64_t{1} << scanned));
        tokens.masks &= ~scannedBytes | _bzhi_u64(scannedBytes, at + 1);
    }
    if (!next) {
        tokens.lastLine = tokens.line + bitsBelow(m.lineFeed, limit);
        // After the last token, which may be a word or a punctuator that ends past `limit`.
        const auto wordGoesOn = static_cast<unsigned>(_tzcnt_u64(~(m.word >> limit))) & -((m.word >> (limit - 1)) & 1);
        const auto pairGoesOn = static_cast<unsigned>((m.pair >> (limit - 1)) & 1);
        next = p + limit + wordGoesOn + pairGoesOn;
    }
    m_count = first;
    line = tokens.lastLine;
    return next;
}

// A token of the block at `p` that the byte loop scans, at byte `at`, written where m_count
// points. Line comments and strings without escapes that end inside the block are scanned here
// from the masks, numbers and block comments by their own functions, the others by a step of the
// byte loop. Returns where the token ends.
[[QM_BLOCK_TARGET, gnu::always_inline]] inline const char* TokenScanner::scanForByteLoop(const char* p, unsigned at,
                                                                                     const blocks::BlockMasks& m,
                                                                                     std::int32_t& line)
{
    const std::uint64_t after = ~_bzhi_u64(~std::uint64_t{0}, at + 1);
    if ((m.lineComment >> at) & 1) {
        if (const std::uint64_t lineFeeds = m.lineFeed & after) {
            return p + _tzcnt_u64(lineFeeds);
        }
    } else if ((m.digit >> at) & 1) {
        return scanNumber(p + at, m_end, line);
    } else if (p[at] == '/' && p[at + 1] == '*') {
        return skipBlockCommentWide(p + at, line);
    } else if (((m.quote >> at) & 1) && p + at >= m_stringFailsBefore) {
        const std::uint64_t stops = (m.quote | m.backslash | m.lineFeed) & after;
        const auto close = static_cast<unsigned>(_tzcnt_u64(stops));
        if (stops != 0 && ((m.quote >> close) & 1)) {
            emitText(line, tok::StringLiteral, p + at + 1, p + close, m_end);
            return p + close + 1;
        }
    }
    return stepBytes(p + at, line);
}

// skipBlockComment 32 bytes at a time: the comment's end, `*/` or a NUL byte, and its line feeds
// found with masks, where the byte-at-a-time search stops at every `*` (one on each line of a
// documentation comment).
[[QM_BLOCK_TARGET, gnu::noinline]] const char* TokenScanner::skipBlockCommentWide(const char* p, std::int32_t& line)
{
    const char* q = p + 2;
    std::int32_t lineFeeds = 0;
    while (m_end - q >= 33) {
        const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q));
        const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 1));
        const auto ends = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_or_si256(
            _mm256_and_si256(_mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('*')), _mm256_cmpeq_epi8(next, _mm256_set1_epi8('/'))),
            _mm256_cmpeq_epi8(bytes, _mm256_setzero_si256()))));
        const auto lines = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('\n'))));
        if (ends != 0) {
            const unsigned at = _tzcnt_u32(ends);
            line += lineFeeds + static_cast<std::int32_t>(_mm_popcnt_u32(_bzhi_u32(lines, at)));
            return q[at] == '\0' ? q + at + 1 : q + at + 2;
        }
        lineFeeds += static_cast<std::int32_t>(_mm_popcnt_u32(lines));
        q += 32;
    }
    line += lineFeeds;
    return skipBlockComment(q, line);
}

// Writes the words and plain numbers of the block at `p` that start at the bits of
// `tokens.masks`, and makes room for the block's other tokens. The vector grows by the block's
// tokens at once and each is written to its place, counted from the masks, as is its line.
// Words go through the same instructions whatever they are, and so do the other tokens
// (emitOthers): a jump on the kind of token, as the byte loop takes, mispredicts about once per
// token. Returns where the block's tokens start.
[[QM_BLOCK_TARGET, gnu::always_inline]] inline Token* TokenScanner::emitWords(const char* p, const blocks::BlockMasks& m,
                                                                          const BlockTokens& tokens)
{
    Token* const out = m_tokens.data() + m_count;
    const std::uint64_t all = tokens.masks | tokens.byteLoop;
    m_count += static_cast<std::size_t>(_mm_popcnt_u64(all));
    // Words longer than a TokenString keeps inline (8 bytes or more) have a loop of their own,
    // so that no word takes a branch on its length: folding the word mask onto itself by 1, 2
    // and 4 bits leaves a bit set where 8 word bytes start.
    static_assert(model::TokenString::kInlineCapacity == 7, "the fold below finds words of 8 bytes or more");
    std::uint64_t eight = m.word & (m.word >> 1);
    eight &= eight >> 2;
    eight &= eight >> 4;
    const std::uint64_t longWords = tokens.masks & eight;
    for (std::uint64_t words = tokens.masks & m.word & ~longWords; words != 0; words = _blsr_u64(words)) {
        const auto at = static_cast<unsigned>(_tzcnt_u64(words));
        const char* const start = p + at;
        const auto length = static_cast<std::size_t>(_tzcnt_u64(~(m.word >> at)));
        const TokenCode keyword = kKeywords.findInBlock(start, length);
        const auto notKeyword = static_cast<TokenCode>(keyword == 0);
        const TokenCode code = keyword | (tok::Identifier & -notKeyword);
        ::new (out + bitsBelow(all, at)) Token{tokens.line + bitsBelow(m.lineFeed, at), code,
                                               model::TokenString(model::PaddedText{start, length & -static_cast<std::size_t>(notKeyword)})};
    }
    for (std::uint64_t words = longWords; words != 0; words = _blsr_u64(words)) {
        const auto at = static_cast<unsigned>(_tzcnt_u64(words));
        const char* const start = p + at;
        const auto length = static_cast<std::size_t>(_tzcnt_u64(~(m.word >> at)));
        const TokenCode keyword = kKeywords.findInBlock(start, length);  // `template`, `namespace`, ...
        Token* const token = out + bitsBelow(all, at);
        const std::int32_t tokenLine = tokens.line + bitsBelow(m.lineFeed, at);
        if (keyword == 0) [[likely]] {
            ::new (token) Token{tokenLine, tok::Identifier,
                                model::TokenString(m_longTexts.add({start, length}, (static_cast<std::size_t>(m_end - start) - length) / 8))};
        } else {
            ::new (token) Token{tokenLine, keyword, model::TokenString(model::PaddedText{start, 0})};
        }
    }
    // Numbers here are digits only: decimal, or octal when a single 0.
    for (std::uint64_t numbers = tokens.masks & m.digit; numbers != 0; numbers = _blsr_u64(numbers)) {
        const auto at = static_cast<unsigned>(_tzcnt_u64(numbers));
        out[bitsBelow(all, at)].code = p[at] == '0' ? tok::OctalInteger : tok::DecimalInteger;
    }
    return out;
}

// Writes the line feeds and punctuators of the block at `p` that start at the bits of
// `tokens.masks`, in their places from `out`. A line feed and a one-byte punctuator are their own
// codes; the texts stay empty.
[[QM_BLOCK_TARGET, gnu::always_inline]] inline void TokenScanner::emitOthers(const char* p, const blocks::BlockMasks& m,
                                                                         const BlockTokens& tokens, Token* out)
{
    const std::uint64_t all = tokens.masks | tokens.byteLoop;
    for (std::uint64_t others = tokens.masks & ~m.word; others != 0; others = _blsr_u64(others)) {
        const auto at = static_cast<unsigned>(_tzcnt_u64(others));
        const TokenCode single = static_cast<unsigned char>(p[at]);
        const auto pair = static_cast<TokenCode>((m.pair >> at) & 1);
        Token& token = out[bitsBelow(all, at)];
        token.line = Token::clampLine(tokens.line + bitsBelow(m.lineFeed, at));
        token.code = single ^ ((single ^ kPairs.codeAt(p + at)) & -pair);
    }
}

// emitOthers eight tokens at a time: their positions compressed into the lanes of a vector, their
// places and lines counted in each lane, their codes looked up there, and line and code written
// to each token as one scattered 4-byte store (the word that holds both, see Token).
[[QM_AVX512_TARGET, gnu::always_inline]] inline void TokenScanner::emitOthersAvx512(const char* p, const blocks::BlockMasks& m,
                                                                                const BlockTokens& tokens, Token* out)
{
    std::uint64_t others = tokens.masks & ~m.word;
    if (others == 0) {
        return;
    }
    static_assert(sizeof(Token) == 12, "a token's first 4 bytes hold its line (bits 0 to 22) and code (23 to 31)");
    const __m512i bytes = _mm512_loadu_si512(p);
    const __m512i nextBytes = _mm512_loadu_si512(p + 1);
    const __m512i all = _mm512_set1_epi64(static_cast<long long>(tokens.masks | tokens.byteLoop));
    const __m512i lineFeeds = _mm512_set1_epi64(static_cast<long long>(m.lineFeed));
    const __m512i pairs = _mm512_set1_epi64(static_cast<long long>(m.pair));
    const __m512i one = _mm512_set1_epi64(1);
    const __m512i lowByte = _mm512_set1_epi64(0xFF);
    do {
        const __m512i at = _mm512_cvtepu8_epi64(_mm512_castsi512_si128(
            _mm512_maskz_compress_epi8(others, _mm512_load_si512(blocks::kByteIndexes.data()))));
        const auto lanes = static_cast<__mmask8>(_bzhi_u32(0xFF, static_cast<unsigned>(_mm_popcnt_u64(others))));
        const __m512i below = _mm512_sub_epi64(_mm512_sllv_epi64(one, at), one);
        const __m512i places = _mm512_popcnt_epi64(_mm512_and_si512(below, all));
        const __m512i lines = _mm512_min_epi64(
            _mm512_add_epi64(_mm512_popcnt_epi64(_mm512_and_si512(below, lineFeeds)), _mm512_set1_epi64(tokens.line)),
            _mm512_set1_epi64(Token::kMaxLine));
        const __m512i first = _mm512_and_si512(_mm512_permutexvar_epi8(at, bytes), lowByte);
        const __m512i second = _mm512_and_si512(_mm512_permutexvar_epi8(at, nextBytes), lowByte);
        const __m512i slots = _mm512_srli_epi32(
            _mm512_mullo_epi32(_mm512_or_si512(first, _mm512_slli_epi64(second, 8)), _mm512_set1_epi32(static_cast<int>(kPairs.multiplier()))),
            32 - PairTable::kBits);
        const __m512i pairCodes = _mm512_add_epi64(
            _mm512_and_si512(_mm512_permutex2var_epi8(_mm512_load_si512(kPairs.codeBytes()), slots,
                                                      _mm512_load_si512(kPairs.codeBytes() + 64)),
                             lowByte),
            _mm512_set1_epi64(256));
        const __mmask8 isPair = _mm512_test_epi64_mask(_mm512_srlv_epi64(pairs, at), one);
        const __m512i codes = _mm512_mask_blend_epi64(isPair, first, pairCodes);
        const __m256i words = _mm512_cvtepi64_epi32(_mm512_or_si512(lines, _mm512_slli_epi64(codes, 23)));
        _mm512_mask_i64scatter_epi32(out, lanes, _mm512_add_epi64(_mm512_slli_epi64(places, 1), places),
                                     words, 4);
        others &= ~_pdep_u64(0xFF, others);
    } while (others != 0);
}
#pragma GCC diagnostic pop
#endif

// A token whose text is [text, textEnd); the input ends at `end`.
void TokenScanner::emitText(std::int32_t line, TokenCode code, const char* text, const char* textEnd, const char* end)
{
    const auto size = static_cast<std::size_t>(textEnd - text);
    if (size > model::TokenString::kInlineCapacity) {
        emitLongText(line, code, std::string_view(text, size), textEnd, end);
    } else if (end - text >= 16) {
        add(line, code, model::PaddedText{text, size});
    } else {
        add(line, code, std::string_view(text, size));
    }
}

// A text longer than a TokenString keeps inline, read up to `scanned`, goes into a block shared with the other
// long texts of the input. About an eighth of ordinary source is such texts, which sets the
// size of the blocks.
void TokenScanner::emitLongText(std::int32_t line, TokenCode code, std::string_view text, const char* scanned, const char* end)
{
    add(line, code, m_longTexts.add(text, static_cast<std::size_t>(end - scanned) / 8));
}

// Identifiers and reserved words. The common case, a word of up to 7 bytes with 16 bytes of
// input left, takes no branch on whether the word is reserved: a reserved word is stored with
// an empty text.
[[gnu::always_inline]] inline const char* TokenScanner::scanWord(const char* start, const char* end, std::int32_t line)
{
    const char* wordEnd = skipIdentChars(start + 1, end);
    const auto length = static_cast<std::size_t>(wordEnd - start);
    if (length > model::TokenString::kInlineCapacity || end - start < 16) {
        return scanLongWord(start, wordEnd, end, line);
    }
    const TokenCode word = kKeywords.findIn16(start, length);
    if (word == tok::Include) {
        return scanInclude(wordEnd, end, line);
    }
    add(line, word != 0 ? word : TokenCode{tok::Identifier},
                          model::PaddedText{start, word != 0 ? 0 : length});
    return wordEnd;
}

// A word longer than a TokenString keeps inline, or one near the end of the input.
const char* TokenScanner::scanLongWord(const char* start, const char* wordEnd, const char* end, std::int32_t line)
{
    const auto length = static_cast<std::size_t>(wordEnd - start);
    const TokenCode word = kKeywords.find(start, length, end);
    if (word == tok::Include) {
        return scanInclude(wordEnd, end, line);
    }
    if (word != 0) {
        emit(line, word);
    } else {
        emitText(line, tok::Identifier, start, wordEnd, end);
    }
    return wordEnd;
}

// The word `include`, or with `<header>` after it on the same line, one token for the header.
const char* TokenScanner::scanInclude(const char* wordEnd, const char* end, std::int32_t line)
{
    if (const AngleInclude header = matchAngleInclude(wordEnd, end); header.close) {
        emitText(line, tok::AngleInclude, header.nameStart, header.close - 1, end);
        return header.close;
    }
    emit(line, tok::Include);
    return wordEnd;
}

// After the word `include`: blanks and tabs, `<`, anything but `>` and line feed, `>`. Returns
// where the name starts and the position after `>`, or a null `close`.
TokenScanner::AngleInclude TokenScanner::matchAngleInclude(const char* afterWord, const char* end)
{
    const char* p = afterWord;
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    if (p == end || *p != '<' || p < m_angleFailsBefore) {
        return {};
    }
    for (const char* q = p + 1; q < end; ++q) {
        if (*q == '>') {
            return {p + 1, q + 1};
        }
        if (*q == '\n') {
            m_angleFailsBefore = q;
            return {};
        }
    }
    m_angleFailsBefore = end;
    return {};
}

// `L"wide"` and `L'w'` from the `L` at `start`, or else the word that starts with `L`.
const char* TokenScanner::scanWideLiteral(const char* start, const char* end, std::int32_t& line)
{
    if (const QuotedScan literal = matchQuoted(start + 1, end, start[1]); literal.close) {
        line += countLineFeeds(start, literal.close);
        emitQuoted(line, start[1] == '"' ? tok::StringLiteral : tok::CharLiteral, start + 2, literal.close - 1, end,
                   literal.passedCrLf);
        return literal.close;
    }
    return scanWord(start, end, line);
}

// A number from the digit, or the `.` before a digit, at `start`.
const char* TokenScanner::scanNumber(const char* start, const char* end, std::int32_t line)
{
    const char* numberEnd;
    TokenCode code;
    if (*start == '.') {
        numberEnd = skipFloatSuffix(skipExponent(skipDigits(start + 1, end), end), end);
        code = tok::FloatLiteral;
    } else {
        const Match number = matchNumber(start, end);
        numberEnd = number.end;
        code = number.code;
    }
    emitText(line, code, start, numberEnd, end);
    return numberEnd;
}

// Tries the string or character rule at `opening`, remembering where it fails: a later attempt
// before that place fails the same way (every quote in between was escaped).
inline QuotedScan TokenScanner::matchQuoted(const char* opening, const char* end, char quote)
{
    const char*& memo = quote == '"' ? m_stringFailsBefore : m_charFailsBefore;
    if (opening < memo) {
        return {nullptr, memo, false};
    }
    const QuotedScan scan = scanQuotedLiteral(opening, end, quote, m_crLf);
    if (!scan.close) {
        memo = scan.failAt;
    }
    return scan;
}

// A string, character literal or quoted header name from the quote at `opening`; a quote that
// opens none of them is an unknown character.
const char* TokenScanner::scanQuote(const char* opening, const char* end, std::int32_t& line)
{
    const char quote = *opening;
    const QuotedScan literal = matchQuoted(opening, end, quote);
    const char* close = literal.close;
    TokenCode code = quote == '"' ? tok::StringLiteral : tok::CharLiteral;
    if (!close && quote == '"') {
        close = matchHeaderName(opening, end);
        code = tok::QuotedHeaderName;
    }
    if (!close) {
        return unknownCharacter(opening, line);
    }
    line += countLineFeeds(opening, close);
    emitQuoted(line, code, opening + 1, close - 1, end, literal.passedCrLf);
    return close;
}

// A literal's text; one that goes on over a backslash and CR LF keeps only the LF, as if the
// input had been through foldCrLf.
void TokenScanner::emitQuoted(std::int32_t line, TokenCode code, const char* text, const char* textEnd, const char* end,
                         bool passedCrLf)
{
    if (!passedCrLf) {
        emitText(line, code, text, textEnd, end);
        return;
    }
    std::string folded(text, textEnd);
    foldCrLf(folded);
    if (folded.size() > model::TokenString::kInlineCapacity) {
        emitLongText(line, code, folded, textEnd, end);
    } else {
        add(line, code, std::string_view(folded));
    }
}

// Skips the rest of a block comment `/* ... */` from `q`, where its line feeds before `q` are
// counted already; a NUL byte also ends the comment. A file that ends inside the comment ends in
// an error token.
const char* TokenScanner::skipBlockComment(const char* q, std::int32_t& line)
{
    const char* const from = q;
    const char* const end = m_end;
    for (;;) {
        q = findStarOrNul(q, end);
        if (q == end) {
            line += countLineFeeds(from, end);
            emitError(line);
            return end;
        }
        if (*q == '\0' || (q + 1 < end && q[1] == '/')) {
            line += countLineFeeds(from, q);
            return *q == '\0' ? q + 1 : q + 2;
        }
        ++q;
    }
}

// Called at a line end when the vector has reached m_growAt: when fewer than kRoomPerLine tokens
// fit, or at the early estimate of a large first reservation. Gives the vector room for the rest
// of the input at the density of tokens met so far, plus an eighth, where the vector would double.
// At the early estimate it also moves to a smaller vector when the reservation is more than
// twice that: scanTokens would shrink it at the end, copying every token instead of these.
[[gnu::noinline]] void TokenScanner::makeRoom(const char* p)
{
    const auto scanned = static_cast<std::size_t>(p - m_begin) + 1;
    const auto left = static_cast<std::size_t>(m_end - p);
    const std::size_t size = m_count;
    if (size > m_maxTokens) throw BudgetSpent{};
    const std::size_t expected = size * left / scanned;
    // When the vector is full, this is always more than it holds; never more than the budget
    // needs, though.
    const std::size_t ceiling = m_maxTokens < SIZE_MAX / 2 ? m_maxTokens + 2 * kRoomPerLine : SIZE_MAX;
    const std::size_t wanted = std::min(size + expected + expected / 8 + kRoomPerLine, ceiling);
    if (wanted > m_tokens.capacity() || 2 * wanted < m_tokens.capacity()) {
        m_tokens.resize(m_count);  // the placeholders are not moved
        moveToCapacity(wanted);
    }
    m_growAt = growAt(m_tokens.capacity());
}

// The size at which fewer than kRoomPerLine tokens fit into `capacity`.
std::size_t TokenScanner::growAt(std::size_t capacity)
{
    return capacity > kRoomPerLine ? capacity - kRoomPerLine : 0;
}

// Moves the tokens into a vector with room for `count` (at least their number): the ordinary way
// below 32 MiB, else into one that is asked to be backed by huge pages before anything is written
// to it. A fresh mapping of tens of megabytes otherwise takes a page fault per 4 KiB, which made
// the scan of an 8 MiB input of numbers (a 42 MB token vector) take 2.7 times as long as that of
// 4 MiB, whose smaller vector comes from memory the allocator holds. With 2 MiB pages the kernel
// still clears the memory, but takes one fault where it took 512, and the scan misses the TLB
// less. Where huge pages are not offered on request, madvise fails and nothing changes.
void TokenScanner::moveToCapacity(std::size_t count)
{
    const bool huge = count * sizeof(Token) >= kHugePagesFrom;
    if (!huge && count > m_tokens.capacity()) {
        m_tokens.reserve(count);
        return;
    }
    // What reserve does (a new allocation, the tokens moved over, the old one freed), but it can
    // also shrink, and the advice comes before the moved tokens fault in the first pages.
    std::vector<Token> moved;
    moved.reserve(count);
    if (huge) {
        adviseHugePages(moved.data(), count * sizeof(Token));
    }
    moved.insert(moved.end(), std::make_move_iterator(m_tokens.begin()), std::make_move_iterator(m_tokens.end()));
    m_tokens.swap(moved);
}

[[gnu::noinline, gnu::cold]] const char* TokenScanner::unknownCharacter(const char* p, std::int32_t line)
{
    m_messages.append(kUnknownMessage);
    m_messages.push_back(*p);
    m_messages.append(">\n");
    emitError(line);
    return p + 1;
}

[[gnu::noinline, gnu::cold]] void TokenScanner::emitError(std::int32_t line)
{
    emit(line, tok::Error);
    if (m_messages.size() >= kDiagnosticsChunk) {
        m_diagnostics(m_messages);
        m_messages.clear();
    }
}

}  // namespace

bool scanTokens(std::string_view input, CrLf crLf, std::vector<Token>& tokens, const DiagnosticsWriter& diagnostics,
                ScanMode mode, std::size_t maxTokens)
{
    tokens.clear();
    tokens.reserve(std::min({input.size() / kBytesPerTokenGuess + 16, kMaxFirstReservation, maxTokens + 16}));
    const bool whole = TokenScanner(input, crLf, mode, tokens, diagnostics, maxTokens).run();
    // Only a vector that its tokens fill to less than an eighth is shrunk (a file of comments):
    // the copy costs more than the memory is worth, as the preprocessor soon replaces the tokens.
    if (tokens.capacity() > 8 * tokens.size() + 16) {
        tokens.shrink_to_fit();
    }
    return whole;
}

void tokenizeText(std::string_view text, std::vector<Token>& tokens, const DiagnosticsWriter& diagnostics)
{
    scanTokens(text, CrLf::AsWritten, tokens, diagnostics);
}

}  // namespace qm::frontend
