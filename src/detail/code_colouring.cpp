#include "detail/code_colouring.h"

#include <algorithm>
#include <array>

namespace qm::detail {

namespace {

// The table as the code window has always had it ("using" stands twice); sorted for the lookup.
constexpr std::array<std::string_view, 89> kKeywordTable = {
    "__asm", "__assume", "__based", "__cdecl", "__declspec", "__except", "__fastcall", "__finally", "__inline",
    "__int16", "__int32", "__int64", "__int8", "__leave", "__multiple_inheritance", "__single_inheritance",
    "__stdcall", "__try", "__uuidof", "__virtual_inheritance", "auto", "bool", "break", "case", "catch", "char",
    "class", "const", "const_cast", "continue", "declaration", "default", "delete", "directive", "dllexport",
    "dllimport", "do", "double", "dynamic_cast", "else", "enum", "explicit", "extern", "false", "float", "for",
    "friend", "goto", "if", "inline", "int", "long", "mutable", "naked", "namespace", "new", "noreturn",
    "operator", "private", "protected", "public", "register", "reinterpret_cast", "return", "short", "signed",
    "sizeof", "static", "static_cast", "struct", "switch", "template", "this", "thread", "throw", "true", "try",
    "typedef", "typeid", "typename", "union", "unsigned", "using", "using", "uuid", "virtual", "void",
    "volatile", "while"};

constexpr bool isLetter(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

void mark(std::vector<CharClass>& classes, std::size_t first, std::size_t last, CharClass cls)
{
    std::fill(classes.begin() + static_cast<std::ptrdiff_t>(first),
              classes.begin() + static_cast<std::ptrdiff_t>(last) + 1, cls);
}

}  // namespace

bool isCodeKeyword(std::string_view word)
{
    static const std::vector<std::string_view> sorted = [] {
        std::vector<std::string_view> words(kKeywordTable.begin(), kKeywordTable.end());
        std::sort(words.begin(), words.end());
        return words;
    }();
    return std::binary_search(sorted.begin(), sorted.end(), word);
}

std::vector<CharClass> colourCode(std::string_view text)
{
    enum class State { Normal, Word, BlockComment, LineComment, String, Character };
    std::vector<CharClass> classes(text.size(), CharClass::Plain);
    State state = State::Normal;
    std::size_t start = 0;
    unsigned char previous = 0;
    bool escaped = false;  // inside a literal: the byte before was an escaping backslash
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        switch (state) {
        case State::Word:
            if (isLetter(c)) break;
            if (isCodeKeyword(text.substr(start, i - start))) mark(classes, start, i - 1, CharClass::Keyword);
            // The byte that ended the word starts nothing; it is only the previous byte of the next.
            state = State::Normal;
            previous = c;
            continue;
        case State::BlockComment:
            // "*/" closes, but not with the "*" of the opening "/*".
            if (c == '/' && previous == '*' && i >= start + 3) {
                mark(classes, start, i, CharClass::Comment);
                state = State::Normal;
                previous = 0;
                continue;
            }
            break;
        case State::LineComment:
            if (c == '\n') {
                mark(classes, start, i, CharClass::Comment);
                state = State::Normal;
                previous = 0;
                continue;
            }
            break;
        case State::String:
        case State::Character:
            if (!escaped && c == (state == State::String ? '"' : '\'')) {
                mark(classes, start, i, CharClass::Literal);
                state = State::Normal;
                previous = 0;
                continue;
            }
            escaped = !escaped && c == '\\';
            break;
        case State::Normal:
            if (isLetter(c)) {
                state = State::Word;
                start = i;
            } else if (previous == '/' && c == '*') {
                state = State::BlockComment;
                start = i - 1;
            } else if (previous == '/' && c == '/') {
                state = State::LineComment;
                start = i - 1;
            } else if (c == '"' || c == '\'') {
                state = c == '"' ? State::String : State::Character;
                start = i;
                escaped = false;
            }
            break;
        }
        previous = c;
    }
    if (state == State::Word && isCodeKeyword(text.substr(start))) {
        mark(classes, start, text.size() - 1, CharClass::Keyword);
    }
    return classes;
}

}  // namespace qm::detail
