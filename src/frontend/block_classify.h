// Classifying 64 bytes of source at a time, for the scanner's block loop: which bytes are
// identifier characters, line feeds, digits, the first byte of a two-byte punctuator; where
// words, line feeds and punctuators start; and where a token starts that needs the scanner's
// token-by-token loop (literals, comments, numbers other than plain digits, `L` before a quote,
// words that start with `inc` (the directive word `include` may take `<header>` after it),
// `->*`, `...`, runs of punctuators that chain like `<<=`, and every byte that starts no
// token). Two classifiers give the same masks: one with AVX-512 (VBMI), which looks up the
// class of all 64 bytes in one table lookup, and one with AVX2, which tells the classes apart by
// ranges and nibble tables 32 bytes at a time. Both read 66 bytes from their position.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#if defined(__x86_64__)
#include <immintrin.h>
#define QM_BLOCK_CLASSIFIERS 1
#endif

namespace qm::frontend::blocks {

// What the block loop knows of the 64 bytes at its position, bit i for byte i.
struct BlockMasks {
    std::uint64_t word = 0;      // identifier characters
    std::uint64_t digit = 0;
    std::uint64_t lineFeed = 0;
    std::uint64_t pair = 0;      // the first byte of a two-byte punctuator
    std::uint64_t starts = 0;    // where words, line feeds and punctuators start
    std::uint64_t byteLoop = 0;  // where a token starts that the byte loop scans
    // For the block loop's own look at some of those: double quotes, backslashes, and the first
    // byte of `//`.
    std::uint64_t quote = 0;
    std::uint64_t backslash = 0;
    std::uint64_t lineComment = 0;
};

// What a classifier finds in the 64 bytes, bit i for byte i.
struct ByteMasks {
    std::uint64_t word, digit, zero, dot, lineFeed, blank, punctuator;
    std::uint64_t pair;        // the first byte of a two-byte punctuator
    std::uint64_t threeBytes;  // the first byte of `->*` or `...`, and a `.` before a digit
    std::uint64_t wideQuote;   // an `L` before a quote
    std::uint64_t inc;         // the first byte of `inc`
    std::uint64_t quote, backslash;
    std::uint64_t lineComment;  // the first byte of `//`
};

// The masks of the block loop from what a classifier found.
[[gnu::always_inline]] inline BlockMasks blockMasksOf(const ByteMasks& b)
{
    // The block starts where a token or a blank starts, so a word there is a new one.
    const std::uint64_t wordStarts = b.word & ~(b.word << 1);
    // Numbers that are digits only (and not a 0 with more after it) are words with another code.
    // The others (suffixes, hexadecimal, octal, floating) go to the byte loop, all of the block's
    // numbers if there is one of them: which run a bit belongs to is not cheap to tell. Adding
    // the starts carries through the runs of word bits they start, flipping every bit of them.
    const std::uint64_t numberStarts = wordStarts & b.digit;
    const std::uint64_t numberBytes = ((b.word + numberStarts) ^ b.word) & b.word;
    const std::uint64_t notPlain = (numberBytes & ~b.digit) | (numberBytes & (b.dot >> 1)) | (numberStarts & b.zero & (b.word >> 1));

    BlockMasks m;
    m.word = b.word;
    m.digit = b.digit;
    m.lineFeed = b.lineFeed;
    m.pair = b.pair;
    m.starts = wordStarts | b.lineFeed | (b.punctuator & ~(b.pair << 1));
    m.byteLoop = ~(b.word | b.lineFeed | b.blank | b.punctuator)  // quotes, `/`, `\`, unknown bytes
                 | b.threeBytes                                   // `->*`, `...`, `.5`
                 | (b.pair & (b.pair >> 1))                       // `<<=`, `+++`, `->>`
                 | (wordStarts & (b.wideQuote | b.inc))           // L"...", L'...', include <...>
                 | (notPlain != 0 ? numberStarts : 0);
    m.quote = b.quote;
    m.backslash = b.backslash;
    m.lineComment = b.lineComment;
    return m;
}

#if defined(QM_BLOCK_CLASSIFIERS)

// Which classifier the processor can run.
enum class Classifier { None, Avx2, Avx512 };

inline Classifier availableClassifier()
{
    static const Classifier available = [] {
#if defined(__clang__) && __clang_major__ < 15
        // This compiler cannot ask for LZCNT; every processor with BMI2 has it.
        const bool scalar = __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2") &&
                            __builtin_cpu_supports("popcnt");
#else
        const bool scalar = __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2") &&
                            __builtin_cpu_supports("popcnt") && __builtin_cpu_supports("lzcnt");
#endif
        if (!scalar || !__builtin_cpu_supports("avx2")) return Classifier::None;
        if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi") &&
            __builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("avx512vpopcntdq")) {
            return Classifier::Avx512;
        }
        return Classifier::Avx2;
    }();
    return available;
}

// The instructions that code around the classifiers may use, and those of each classifier.
#define QM_BLOCK_TARGET gnu::target("avx2,bmi,bmi2,popcnt,lzcnt")
#define QM_AVX2_TARGET gnu::target("avx2,bmi,bmi2,popcnt,lzcnt")
#define QM_AVX512_TARGET gnu::target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,avx512vpopcntdq,avx512vl,avx2,bmi,bmi2,popcnt,lzcnt")

// Masks of 32 bytes, bit i for byte i.
struct HalfMasks {
    std::uint32_t word, digit, zero, dot, lineFeed, blank, punctuator, pair, threeBytes, wideQuote, inc, quote, backslash,
        lineComment;
};

using Wide = __m256i;

[[QM_AVX2_TARGET, gnu::always_inline]] inline Wide splat32(char c) { return _mm256_set1_epi8(c); }
[[QM_AVX2_TARGET, gnu::always_inline]] inline Wide equal(Wide b, char c) { return _mm256_cmpeq_epi8(b, splat32(c)); }
[[QM_AVX2_TARGET, gnu::always_inline]] inline std::uint32_t maskOf(Wide b) { return static_cast<std::uint32_t>(_mm256_movemask_epi8(b)); }
[[QM_AVX2_TARGET, gnu::always_inline]] inline Wide inRange(Wide b, char lo, char hi)
{
    const Wide shifted = _mm256_add_epi8(b, splat32(static_cast<char>(0x80 - lo)));
    return _mm256_cmpgt_epi8(splat32(static_cast<char>(-128 + (hi - lo + 1))), shifted);
}
// Bytes for which `b` is not zero.
[[QM_AVX2_TARGET, gnu::always_inline]] inline Wide nonZero(Wide b)
{
    return _mm256_andnot_si256(_mm256_cmpeq_epi8(b, _mm256_setzero_si256()), _mm256_set1_epi8(-1));
}

// The nibble tables of classifyHalfAvx2, by low nibble (the row bits) or high nibble (the rows).
constexpr std::uint8_t kRowOfHighNibble[16] = {0, 0, 0x11, 0x22, 0, 0x44, 0, 0x88, 0, 0, 0, 0, 0, 0, 0, 0};
constexpr std::uint8_t kPunctuatorsAndDoubled[16] = {0,    0x01, 0,    0x11, 0,    0x01, 0x11, 0,
                                                     0x01, 0x01, 0x23, 0x1F, 0xAB, 0x3F, 0x2F, 0x02};
constexpr std::uint8_t kBeforeAssign[16] = {0, 0x01, 0, 0, 0, 0x01, 0x01, 0, 0, 0, 0x01, 0x01, 0x0A, 0x03, 0x06, 0};

// A 16-byte table in both halves of a register, for _mm256_shuffle_epi8.
[[QM_AVX2_TARGET, gnu::always_inline]] inline Wide lookupTable(const std::uint8_t (&table)[16])
{
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(table)));
}

[[QM_AVX2_TARGET, gnu::always_inline]] inline HalfMasks classifyHalfAvx2(const char* p)
{
    const Wide v = _mm256_loadu_si256(reinterpret_cast<const Wide*>(p));
    const Wide next = _mm256_loadu_si256(reinterpret_cast<const Wide*>(p + 1));
    const Wide afterNext = _mm256_loadu_si256(reinterpret_cast<const Wide*>(p + 2));

    const Wide letter = inRange(_mm256_or_si256(v, splat32(0x20)), 'a', 'z');
    const Wide digit = inRange(v, '0', '9');
    const Wide lineFeed = equal(v, '\n');
    // Tab, VT, FF and CR are 9, 11, 12 and 13: the range from 9 to 13 without the line feed.
    const Wide blank = _mm256_or_si256(equal(v, ' '), _mm256_andnot_si256(lineFeed, inRange(v, '\t', '\r')));

    // Sets of punctuation bytes by table lookup: a byte's low nibble picks a set of rows, its
    // high nibble the row (bit 0 for row 2, 1 for row 3, 2 for row 5, 3 for row 7; the same
    // four rows shifted by four bits for the second set). A byte of 128 or more finds nothing.
    //   punctuators  ! # % & ( ) * + , - . : ; < = > ? [ ] ^ { | } ~
    //   doubled      # : + - & | < >  =   (`##` `::` ... `==`)
    //   before '='   ! % & * + - < = > ^ |   (`!=` `%=` ... `|=`)
    const Wide rowOf = lookupTable(kRowOfHighNibble);
    const Wide punctuatorsAndDoubled = lookupTable(kPunctuatorsAndDoubled);
    const Wide beforeAssign = lookupTable(kBeforeAssign);
    const Wide high = _mm256_and_si256(_mm256_srli_epi16(v, 4), splat32(0x0F));
    const Wide row = _mm256_shuffle_epi8(rowOf, high);
    const Wide sets = _mm256_and_si256(_mm256_shuffle_epi8(punctuatorsAndDoubled, v), row);
    const Wide punctuator = nonZero(_mm256_and_si256(sets, splat32(0x0F)));
    const Wide doubled = _mm256_and_si256(nonZero(_mm256_and_si256(sets, splat32(static_cast<char>(0xF0)))),
                                          _mm256_cmpeq_epi8(v, next));
    const Wide assign = _mm256_and_si256(nonZero(_mm256_and_si256(_mm256_shuffle_epi8(beforeAssign, v), row)), equal(next, '='));
    const Wide minus = equal(v, '-');
    const Wide dot = equal(v, '.');
    const Wide arrow = _mm256_and_si256(minus, equal(next, '>'));
    const Wide pair = _mm256_or_si256(_mm256_or_si256(doubled, assign),
                                         _mm256_or_si256(arrow, _mm256_and_si256(dot, equal(next, '*'))));
    // `->*`, `...` and a `.` before a digit (a number) go to the byte loop.
    const Wide threeBytes = _mm256_or_si256(_mm256_and_si256(arrow, equal(afterNext, '*')),
                                               _mm256_and_si256(dot, _mm256_or_si256(equal(next, '.'), inRange(next, '0', '9'))));
    const Wide wideQuote = _mm256_and_si256(equal(v, 'L'), _mm256_or_si256(equal(next, '"'), equal(next, '\'')));

    HalfMasks m;
    m.word = maskOf(_mm256_or_si256(_mm256_or_si256(letter, digit), equal(v, '_')));
    m.digit = maskOf(digit);
    m.zero = maskOf(equal(v, '0'));
    m.dot = maskOf(dot);
    m.lineFeed = maskOf(lineFeed);
    m.blank = maskOf(blank);
    m.punctuator = maskOf(punctuator);
    m.pair = maskOf(pair);
    m.threeBytes = maskOf(threeBytes);
    m.wideQuote = maskOf(wideQuote);
    m.inc = maskOf(_mm256_and_si256(_mm256_and_si256(equal(v, 'i'), equal(next, 'n')), equal(afterNext, 'c')));
    m.quote = maskOf(equal(v, '"'));
    m.backslash = maskOf(equal(v, '\\'));
    m.lineComment = maskOf(_mm256_and_si256(equal(v, '/'), equal(next, '/')));
    return m;
}

[[QM_AVX2_TARGET, gnu::always_inline]] inline BlockMasks classifyAvx2(const char* p)
{
    const HalfMasks lo = classifyHalfAvx2(p);
    const HalfMasks hi = classifyHalfAvx2(p + 32);
    const auto join = [](std::uint32_t l, std::uint32_t h) { return std::uint64_t{l} | (std::uint64_t{h} << 32); };
    return blockMasksOf({join(lo.word, hi.word), join(lo.digit, hi.digit), join(lo.zero, hi.zero), join(lo.dot, hi.dot),
                         join(lo.lineFeed, hi.lineFeed), join(lo.blank, hi.blank), join(lo.punctuator, hi.punctuator),
                         join(lo.pair, hi.pair), join(lo.threeBytes, hi.threeBytes), join(lo.wideQuote, hi.wideQuote),
                         join(lo.inc, hi.inc), join(lo.quote, hi.quote), join(lo.backslash, hi.backslash),
                         join(lo.lineComment, hi.lineComment)});
}
// Classes of the bytes below 128, by bit: what classifyAvx512 looks up for each byte at once.
enum ByteClassBit : std::uint8_t {
    kClassWord = 0x01,        // letters, digits, underscore
    kClassDigit = 0x02,
    kClassLineFeed = 0x04,
    kClassBlank = 0x08,       // blank, tab, VT, FF, CR
    kClassPunctuator = 0x10,  // ! # % & ( ) * + , - . : ; < = > ? [ ] ^ { | } ~
    kClassDoubled = 0x20,     // # : + - & | < > =, which make `##` `::` ... `==` when doubled
    kClassBeforeAssign = 0x40,  // ! % & * + - < = > ^ |, which make `!=` ... `|=` before `=`
};

constexpr std::array<std::uint8_t, 128> makeByteClasses()
{
    std::array<std::uint8_t, 128> t{};
    const auto add = [&t](std::string_view bytes, std::uint8_t bit) {
        for (char c : bytes) t[static_cast<unsigned char>(c)] |= bit;
    };
    for (int c = 0; c < 128; ++c) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_') t[static_cast<std::size_t>(c)] |= kClassWord;
        if (c >= '0' && c <= '9') t[static_cast<std::size_t>(c)] |= kClassWord | kClassDigit;
    }
    add("\n", kClassLineFeed);
    add(" \t\v\f\r", kClassBlank);
    add("!#%&()*+,-.:;<=>?[]^{|}~", kClassPunctuator);
    add("#:+-&|<>=", kClassDoubled);
    add("!%&*+-<=>^|", kClassBeforeAssign);
    return t;
}

alignas(64) constexpr std::array<std::uint8_t, 128> kByteClasses = makeByteClasses();

// The numbers 0 to 63, a byte each: compressed by a mask, the positions of its bits.
alignas(64) constexpr std::array<std::uint8_t, 64> kByteIndexes = [] {
    std::array<std::uint8_t, 64> indexes{};
    for (std::size_t i = 0; i < indexes.size(); ++i) indexes[i] = static_cast<std::uint8_t>(i);
    return indexes;
}();

[[QM_AVX512_TARGET, gnu::always_inline]] inline std::uint64_t has(__m512i classes, std::uint8_t bit)
{
    return _mm512_test_epi8_mask(classes, _mm512_set1_epi8(static_cast<char>(bit)));
}

[[QM_AVX512_TARGET, gnu::always_inline]] inline std::uint64_t is(__m512i bytes, char c)
{
    return _mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8(c));
}

[[QM_AVX512_TARGET, gnu::always_inline]] inline BlockMasks classifyAvx512(const char* p)
{
    const __m512i v = _mm512_loadu_si512(p);
    const __m512i next = _mm512_loadu_si512(p + 1);
    const __m512i afterNext = _mm512_loadu_si512(p + 2);
    const __m512i low = _mm512_load_si512(kByteClasses.data());
    const __m512i high = _mm512_load_si512(kByteClasses.data() + 64);
    // Bytes of 128 or more have no class.
    const __m512i classes = _mm512_maskz_permutex2var_epi8(~_mm512_movepi8_mask(v), low, v, high);

    const std::uint64_t dot = is(v, '.');
    const std::uint64_t arrow = is(v, '-') & is(next, '>');
    const std::uint64_t nextIsDigit = _mm512_cmplt_epu8_mask(_mm512_sub_epi8(next, _mm512_set1_epi8('0')), _mm512_set1_epi8(10));
    ByteMasks b;
    b.word = has(classes, kClassWord);
    b.digit = has(classes, kClassDigit);
    b.zero = is(v, '0');
    b.dot = dot;
    b.lineFeed = has(classes, kClassLineFeed);
    b.blank = has(classes, kClassBlank);
    b.punctuator = has(classes, kClassPunctuator);
    b.pair = (has(classes, kClassDoubled) & _mm512_cmpeq_epi8_mask(v, next)) | (has(classes, kClassBeforeAssign) & is(next, '=')) |
             arrow | (dot & is(next, '*'));
    b.threeBytes = (arrow & is(afterNext, '*')) | (dot & (is(next, '.') | nextIsDigit));
    b.wideQuote = is(v, 'L') & (is(next, '"') | is(next, '\''));
    b.inc = is(v, 'i') & is(next, 'n') & is(afterNext, 'c');
    b.quote = is(v, '"');
    b.backslash = is(v, '\\');
    b.lineComment = is(v, '/') & is(next, '/');
    return blockMasksOf(b);
}


#endif

}  // namespace qm::frontend::blocks
