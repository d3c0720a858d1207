#include "frontend/token_scanner.h"

#include "frontend/tokenize_file.h"

#include <array>
#include <cstring>
#include <string_view>

// The scanning loop below calls these once per token; inlining them into it is worth a third of
// the scanning time.
#define QM_SCANNER_INLINE __attribute__((always_inline)) inline

namespace qm::frontend {

namespace tok = model::tok;
using model::Token;
using model::TokenCode;

namespace {

enum CharClass : std::uint8_t {
    kOther = 0,
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

inline std::uint8_t classOf(char c) { return kClasses[static_cast<unsigned char>(c)]; }
inline bool isIdentChar(char c) { return (classOf(c) & (kIdentStart | kDigit)) != 0; }
inline bool isDigit(char c) { return (classOf(c) & kDigit) != 0; }

// Reserved and directive words in an open-addressing table keyed by a cheap hash of the word.
class KeywordTable {
public:
    KeywordTable()
    {
#define TOKEN(Name, value, spelling)
#define KEYWORD(Name, value, spelling) insert(spelling, value);
#define DIRECTIVE(Name, value, spelling) insert(spelling, value);
#include "model/token_codes.def"
    }

    // The code of `word` when it is a reserved or directive word, else 0.
    TokenCode find(const char* word, std::size_t length) const noexcept
    {
        if (length < kMinLength || length > kMaxLength) {
            return 0;
        }
        for (std::size_t i = hash(word, length);; i = (i + 1) & kMask) {
            const Slot& slot = m_slots[i];
            if (slot.code == 0) {
                return 0;
            }
            if (slot.length == length && std::memcmp(slot.word, word, length) == 0) {
                return slot.code;
            }
        }
    }

private:
    static constexpr std::size_t kSize = 512;
    static constexpr std::size_t kMask = kSize - 1;
    static constexpr std::size_t kMinLength = 2;   // "do", "if", "or"
    static constexpr std::size_t kMaxLength = 16;  // "reinterpret_cast"

    struct Slot {
        const char* word = nullptr;
        std::size_t length = 0;
        TokenCode code = 0;
    };

    static std::size_t hash(const char* w, std::size_t n) noexcept
    {
        auto u = [](char c) { return static_cast<std::size_t>(static_cast<unsigned char>(c)); };
        return (n * 67 + u(w[0]) * 31 + u(w[n - 1]) * 7 + u(w[n / 2]) * 3) & kMask;
    }

    void insert(const char* word, TokenCode code)
    {
        const std::size_t n = std::strlen(word);
        std::size_t i = hash(word, n);
        while (m_slots[i].code != 0) {
            i = (i + 1) & kMask;
        }
        m_slots[i] = Slot{word, n, code};
    }

    std::array<Slot, kSize> m_slots{};
};

const KeywordTable kKeywords;

// After an integer's digits: an optional suffix u, U, l, L, or a u/U and l/L pair in either order.
const char* skipIntegerSuffix(const char* p, const char* end)
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

const char* skipDigits(const char* p, const char* end)
{
    while (p < end && isDigit(*p)) ++p;
    return p;
}

// An exponent e or E, an optional sign and at least one digit; returns `p` when there is none.
const char* skipExponent(const char* p, const char* end)
{
    if (p == end || (*p != 'e' && *p != 'E')) return p;
    const char* q = p + 1;
    if (q < end && (*q == '+' || *q == '-')) ++q;
    if (q == end || !isDigit(*q)) return p;
    return skipDigits(q, end);
}

const char* skipFloatSuffix(const char* p, const char* end)
{
    if (p < end && (*p == 'f' || *p == 'F' || *p == 'l' || *p == 'L')) ++p;
    return p;
}

bool isSimpleEscape(char c)
{
    switch (c) {
    case '\'': case '"': case '?': case '\\': case 'a': case 'b': case 'f': case 'n': case 'r': case 't':
    case 'v':
        return true;
    default:
        return false;
    }
}

constexpr std::string_view kUnknownMessage = "---------- Error Unkonwn Token  ---------- <";

}  // namespace

TokenScanner::TokenScanner(std::string_view input, std::string& diagnostics) noexcept
    : m_pos(input.data()), m_end(input.data() + input.size()), m_diagnostics(&diagnostics)
{
}

QM_SCANNER_INLINE void TokenScanner::countLines(Pos from, Pos to) noexcept
{
    while (from < to) {
        const void* hit = std::memchr(from, '\n', static_cast<std::size_t>(to - from));
        if (!hit) break;
        ++m_line;
        from = static_cast<Pos>(hit) + 1;
    }
}

QM_SCANNER_INLINE TokenCode TokenScanner::nextToken()
{
    m_text = {};
    for (;;) {
        if (m_pos == m_end) {
            return tok::EndOfInput;
        }
        const char c = *m_pos;
        switch (c) {
        case ' ': case '\t': case '\r': case '\v': case '\f':
            // Blanks are dropped; blanks followed by a line feed are part of the newline token.
            do {
                ++m_pos;
            } while (m_pos < m_end && classOf(*m_pos) == kBlank);
            continue;
        case '\n':
            ++m_pos;
            ++m_line;
            return tok::Newline;
        case '"':
            return scanQuote('"', m_pos);
        case '\'':
            return scanQuote('\'', m_pos);
        case '.':
            return scanDot();
        case '/':
            if (m_pos + 1 < m_end && m_pos[1] == '*') {
                if (!skipBlockComment()) {
                    return tok::Error;  // the file ended inside the comment
                }
                continue;
            }
            if (m_pos + 1 < m_end && m_pos[1] == '/') {
                const void* lf = std::memchr(m_pos, '\n', static_cast<std::size_t>(m_end - m_pos));
                m_pos = lf ? static_cast<Pos>(lf) : m_end;
                continue;
            }
            return scanOperator(c);
        default:
            break;
        }
        const std::uint8_t cls = classOf(c);
        if (cls & kIdentStart) {
            return scanWord();
        }
        if (cls & kDigit) {
            return scanNumber();
        }
        return scanOperator(c);
    }
}

// Identifiers, reserved words, `L"wide"` and `L'w'` literals, and `include <header>`.
QM_SCANNER_INLINE TokenCode TokenScanner::scanWord()
{
    const Pos start = m_pos;
    if (*start == 'L' && start + 1 < m_end && (start[1] == '"' || start[1] == '\'')) {
        if (Pos close = matchQuoted(start + 1, start[1])) {
            m_text = std::string_view(start + 2, static_cast<std::size_t>(close - 1 - (start + 2)));
            countLines(start, close);
            m_pos = close;
            return start[1] == '"' ? tok::StringLiteral : tok::CharLiteral;
        }
    }
    Pos p = start + 1;
    while (p < m_end && isIdentChar(*p)) ++p;
    const auto length = static_cast<std::size_t>(p - start);
    // Every reserved word starts with a lower-case letter or an underscore.
    const TokenCode word = (*start >= 'a' && *start <= 'z') || *start == '_' ? kKeywords.find(start, length) : 0;
    if (word == tok::Include) {
        if (Pos close = scanAngleInclude(p)) {
            m_pos = close;
            return tok::AngleInclude;
        }
    }
    m_pos = p;
    if (word != 0) {
        return word;
    }
    m_text = std::string_view(start, length);
    return tok::Identifier;
}

// After the word `include`: blanks and tabs, `<`, anything but `>` and line feed, `>`. Returns
// the position after `>` and sets the text to the header name, or returns null.
QM_SCANNER_INLINE TokenScanner::Pos TokenScanner::scanAngleInclude(Pos afterWord)
{
    Pos p = afterWord;
    while (p < m_end && (*p == ' ' || *p == '\t')) ++p;
    if (p == m_end || *p != '<' || p < m_angleFailsBefore) {
        return nullptr;
    }
    const Pos nameStart = p + 1;
    for (Pos q = nameStart; q < m_end; ++q) {
        if (*q == '>') {
            m_text = std::string_view(nameStart, static_cast<std::size_t>(q - nameStart));
            return q + 1;
        }
        if (*q == '\n') {
            m_angleFailsBefore = q;
            return nullptr;
        }
    }
    m_angleFailsBefore = m_end;
    return nullptr;
}

namespace {

// The string rule (quote `"`) or the character rule (quote `'`) from the opening quote: plain
// characters, escapes, and (strings only) a backslash directly before a line feed. `close` is the
// position after the closing quote, or null when the rule does not match here; `failAt` is where
// the match failed.
struct QuotedScan {
    const char* close;
    const char* failAt;
};

QuotedScan scanQuotedLiteral(const char* opening, const char* end, char quote)
{
    const char* p = opening + 1;
    while (p < end) {
        const char c = *p;
        if (c == quote) {
            if (quote == '\'' && p == opening + 1) {
                break;  // '' is not a character literal
            }
            return {p + 1, nullptr};
        }
        if (c == '\n') {
            break;
        }
        if (c != '\\') {
            ++p;
            continue;
        }
        if (p + 1 == end) {
            break;
        }
        const char e = p[1];
        if (isSimpleEscape(e) || (e == '\n' && quote == '"')) {
            p += 2;
        } else if (classOf(e) & kOctal) {
            p += 2;
            for (int i = 0; i < 2 && p < end && (classOf(*p) & kOctal); ++i) ++p;
        } else if (e == 'x' && p + 2 < end && (classOf(p[2]) & kHex)) {
            p += 3;
            while (p < end && (classOf(*p) & kHex)) ++p;
        } else {
            break;
        }
    }
    return {nullptr, p};
}

// The header-name rule: a double quote, anything but double quote and line feed, a double
// quote. Returns the position after the closing quote, or null.
const char* scanHeaderName(const char* opening, const char* end)
{
    for (const char* p = opening + 1; p < end; ++p) {
        if (*p == '"') return p + 1;
        if (*p == '\n') return nullptr;
    }
    return nullptr;
}

}  // namespace

// Tries the string or character rule at `opening`, remembering where it fails: a later attempt
// before that place fails the same way (every quote in between was escaped).
QM_SCANNER_INLINE TokenScanner::Pos TokenScanner::matchQuoted(Pos opening, char quote)
{
    Pos& memo = quote == '"' ? m_stringFailsBefore : m_charFailsBefore;
    if (opening < memo) {
        return nullptr;
    }
    const QuotedScan scan = scanQuotedLiteral(opening, m_end, quote);
    if (!scan.close) {
        memo = scan.failAt;
    }
    return scan.close;
}

QM_SCANNER_INLINE TokenCode TokenScanner::scanQuote(char quote, Pos opening)
{
    Pos close = matchQuoted(opening, quote);
    TokenCode code = quote == '"' ? tok::StringLiteral : tok::CharLiteral;
    if (!close && quote == '"') {
        close = scanHeaderName(opening, m_end);
        code = tok::QuotedHeaderName;
    }
    if (!close) {
        return unknownCharacter();
    }
    m_text = std::string_view(opening + 1, static_cast<std::size_t>(close - 1 - (opening + 1)));
    countLines(opening, close);
    m_pos = close;
    return code;
}

// Decimal, octal and hexadecimal integers and floating literals; the longest of them wins, so
// `09` is `0` then `9`, `0x` is `0` then `x`, and `1.` is floating.
QM_SCANNER_INLINE TokenCode TokenScanner::scanNumber()
{
    const Pos start = m_pos;
    Pos intEnd;
    TokenCode intCode;
    if (*start != '0') {
        intEnd = skipIntegerSuffix(skipDigits(start, m_end), m_end);
        intCode = tok::DecimalInteger;
    } else if (start + 2 < m_end && (start[1] == 'x' || start[1] == 'X') && (classOf(start[2]) & kHex)) {
        Pos p = start + 3;
        while (p < m_end && (classOf(*p) & kHex)) ++p;
        intEnd = skipIntegerSuffix(p, m_end);
        intCode = tok::HexInteger;
    } else {
        Pos p = start + 1;
        while (p < m_end && (classOf(*p) & kOctal)) ++p;
        intEnd = skipIntegerSuffix(p, m_end);
        intCode = tok::OctalInteger;
    }

    const Pos digitsEnd = skipDigits(start, m_end);
    Pos floatEnd = nullptr;
    if (digitsEnd < m_end && *digitsEnd == '.') {
        floatEnd = skipFloatSuffix(skipExponent(skipDigits(digitsEnd + 1, m_end), m_end), m_end);
    } else if (Pos e = skipExponent(digitsEnd, m_end); e != digitsEnd) {
        floatEnd = skipFloatSuffix(e, m_end);
    }

    TokenCode code = intCode;
    Pos end = intEnd;
    if (floatEnd && floatEnd > intEnd) {
        code = tok::FloatLiteral;
        end = floatEnd;
    }
    m_text = std::string_view(start, static_cast<std::size_t>(end - start));
    m_pos = end;
    return code;
}

// `.5` (floating), `...`, `.*` or `.`.
QM_SCANNER_INLINE TokenCode TokenScanner::scanDot()
{
    const Pos start = m_pos;
    if (start + 1 < m_end && isDigit(start[1])) {
        const Pos end = skipFloatSuffix(skipExponent(skipDigits(start + 1, m_end), m_end), m_end);
        m_text = std::string_view(start, static_cast<std::size_t>(end - start));
        m_pos = end;
        return tok::FloatLiteral;
    }
    if (start + 2 < m_end && start[1] == '.' && start[2] == '.') {
        m_pos += 3;
        return tok::Ellipsis;
    }
    if (start + 1 < m_end && start[1] == '*') {
        m_pos += 2;
        return tok::DotStar;
    }
    ++m_pos;
    return '.';
}

// Punctuators, longest first: `->*` before `->` before `-`.
QM_SCANNER_INLINE TokenCode TokenScanner::scanOperator(char c)
{
    const Pos p = m_pos;
    const char n1 = p + 1 < m_end ? p[1] : '\0';
    const char n2 = p + 2 < m_end ? p[2] : '\0';
    auto take = [this](int length, TokenCode code) {
        m_pos += length;
        return code;
    };
    switch (c) {
    case '#': return n1 == '#' ? take(2, tok::HashHash) : take(1, '#');
    case ':': return n1 == ':' ? take(2, tok::ColonColon) : take(1, ':');
    case '+':
        if (n1 == '+') return take(2, tok::PlusPlus);
        if (n1 == '=') return take(2, tok::PlusAssign);
        return take(1, '+');
    case '-':
        if (n1 == '>') return n2 == '*' ? take(3, tok::ArrowStar) : take(2, tok::Arrow);
        if (n1 == '-') return take(2, tok::MinusMinus);
        if (n1 == '=') return take(2, tok::MinusAssign);
        return take(1, '-');
    case '*': return n1 == '=' ? take(2, tok::StarAssign) : take(1, '*');
    case '/': return n1 == '=' ? take(2, tok::SlashAssign) : take(1, '/');
    case '%': return n1 == '=' ? take(2, tok::PercentAssign) : take(1, '%');
    case '^': return n1 == '=' ? take(2, tok::XorAssign) : take(1, '^');
    case '&':
        if (n1 == '&') return take(2, tok::AndAnd);
        if (n1 == '=') return take(2, tok::AndAssign);
        return take(1, '&');
    case '|':
        if (n1 == '|') return take(2, tok::OrOr);
        if (n1 == '=') return take(2, tok::OrAssign);
        return take(1, '|');
    case '<':
        if (n1 == '<') return n2 == '=' ? take(3, tok::ShiftLeftAssign) : take(2, tok::ShiftLeft);
        if (n1 == '=') return take(2, tok::LessEqual);
        return take(1, '<');
    case '>':
        if (n1 == '>') return n2 == '=' ? take(3, tok::ShiftRightAssign) : take(2, tok::ShiftRight);
        if (n1 == '=') return take(2, tok::GreaterEqual);
        return take(1, '>');
    case '=': return n1 == '=' ? take(2, tok::EqualEqual) : take(1, '=');
    case '!': return n1 == '=' ? take(2, tok::NotEqual) : take(1, '!');
    case '\\': case '{': case '}': case '[': case ']': case '(': case ')': case ';': case '?': case '~':
    case ',':
        return take(1, c);
    default:
        return unknownCharacter();
    }
}

QM_SCANNER_INLINE TokenCode TokenScanner::unknownCharacter()
{
    m_diagnostics->append(kUnknownMessage);
    m_diagnostics->push_back(*m_pos);
    m_diagnostics->append(">\n");
    ++m_pos;
    return tok::Error;
}

// Skips `/* ... */`; a NUL byte also ends the comment. Returns false when the input ends first.
QM_SCANNER_INLINE bool TokenScanner::skipBlockComment()
{
    for (Pos p = m_pos + 2; p < m_end; ++p) {
        if (*p == '*' && p + 1 < m_end && p[1] == '/') {
            countLines(m_pos, p);
            m_pos = p + 2;
            return true;
        }
        if (*p == '\0') {
            countLines(m_pos, p);
            m_pos = p + 1;
            return true;
        }
    }
    countLines(m_pos, m_end);
    m_pos = m_end;
    return false;
}

// The scanning loop lives beside the scanner so that nextToken is inlined into it.
void tokenizeText(std::string_view text, std::vector<Token>& tokens, const DiagnosticsWriter& diagnostics)
{
    constexpr std::size_t kDiagnosticsChunk = 64 * 1024;
    tokens.clear();
    // About one token per seven bytes in ordinary code; the vector grows past that when needed.
    tokens.reserve(text.size() / 7 + 16);
    std::string messages;
    TokenScanner scanner(text, messages);
    model::TokenCode previous = tok::EndOfInput;
    for (;;) {
        const model::TokenCode code = scanner.nextToken();
        if (code == tok::EndOfInput) {
            break;
        }
        if (code == tok::Newline) {
            if (previous == '\\') {
                tokens.pop_back();  // a backslash ending the line joins it with the next one
            } else {
                tokens.emplace_back(scanner.line() - 1, code);
            }
        } else if (model::carriesText(code)) {
            tokens.emplace_back(scanner.line(), code, scanner.text());
        } else {
            tokens.emplace_back(scanner.line(), code);
            if (code == tok::Error && messages.size() >= kDiagnosticsChunk) {
                diagnostics(messages);
                messages.clear();
            }
        }
        previous = code;
    }
    if (tokens.capacity() > 2 * tokens.size() + 16) {
        tokens.shrink_to_fit();
    }
    if (!messages.empty()) {
        diagnostics(messages);
    }
}

}  // namespace qm::frontend
