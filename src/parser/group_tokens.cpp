#include "parser/group_tokens.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

namespace qm::parser {

namespace {

using model::AnalysisNode;
using model::NodeList;
using model::Token;
namespace tok = model::tok;

enum class GroupState { Normal, BlockClosed, Directive };

bool isWord(const Token& token, std::string_view word)
{
    return token.code == tok::Identifier && token.text.view() == word;
}

// The word after the `@` that opens an Objective-C block.
bool opensObjectiveCBlock(const Token& token)
{
    return isWord(token, "interface") || isWord(token, "implementation") || isWord(token, "protocol");
}

// `@end`: the scanner keeps no text for the unknown `@`, so the word after it decides.
bool isObjectiveCEnd(const Token& at, const Token& word)
{
    return at.code == tok::Error && isWord(word, "end");
}

class Grouper {
public:
    Grouper(std::span<Token> tokens, const std::vector<bool>& newlineBefore)
        : m_tokens(tokens), m_newlineBefore(newlineBefore)
    {
    }

    bool tooDeep() const noexcept { return m_tooDeep; }

    // Groups from `start` into `target` for a block at brace level `depth` (0 for the file).
    // Returns the index of the last token it consumed: the `;` after a closing `}`, or the token
    // before the one that follows the `}`, so that the caller sees that token again.
    std::size_t group(std::size_t start, NodeList& target, int depth)
    {
        AnalysisNode current;
        GroupState state = GroupState::Normal;
        int parenDepth = 0;
        int plainBraces = 0;  // open braces kept as plain tokens (inside parentheses, or too deep)
        model::TokenCode previous = tok::EndOfInput;
        // The first `{` of the node taken as a plain token inside parentheses, and what to go
        // back to when the parentheses turn out never to close.
        PlainBraceMark mark;
        bool braceOpensBlock = false;  // after going back: a `{` in these parentheses opens a block
        // After `) :` the node is a constructor with its initializers, where `name {` starts an
        // initializer (`Foo() : a_{1}, b_{2} {`) rather than the body.
        bool closedParenthesis = false;
        bool initializers = false;
        std::optional<AnalysisNode> held;  // the declaration a directive line interrupts
        std::size_t directiveWordAt = 0;   // the index of the word after the directive's `#`

        for (std::size_t i = start;; ++i) {
            if (i >= m_tokens.size()) {
                if (held) {
                    // The file ends in a directive line inside a declaration.
                    pushIfNotEmpty(current, target);
                    current = std::move(*held);
                    held.reset();
                    state = GroupState::Normal;
                }
                if (mark.active) {
                    m_blocksUntil = m_tokens.size();
                    i = goBack(mark, current, parenDepth, previous, braceOpensBlock);
                    continue;
                }
                break;
            }
            Token& token = m_tokens[i];
            if (static_cast<std::uint32_t>(token.code - tok::Include) <= std::uint32_t{tok::Undef - tok::Include})
                [[unlikely]] {
                nameStrayDirectiveWord(token, state == GroupState::Directive && (i == directiveWordAt || token.code == tok::Defined));
            }
            const model::TokenCode code = token.code;
            if (newlineTakenOutBefore(i)) previous = tok::Newline;  // a newline counts as a previous token
            const model::TokenCode before = std::exchange(previous, code);

            if (code == tok::Newline && state != GroupState::Directive) {
                continue;
            }
            if (state == GroupState::BlockClosed) {
                pushIfNotEmpty(current, target);
                return code == ';' ? i : i - 1;
            }
            if (state == GroupState::Directive) {
                if (code == tok::Newline && before != '\\') {
                    pushIfNotEmpty(current, target);
                    current = AnalysisNode();
                    if (held) {
                        current = std::move(*held);
                        held.reset();
                    }
                    state = GroupState::Normal;
                } else {
                    current.tokens.push_back(&token);
                }
                continue;
            }
            if (plainBraces > 0) {
                if (code == '{') ++plainBraces;
                if (code == '}') --plainBraces;
                current.tokens.push_back(&token);
                continue;
            }
            if (parenDepth > 0 && mark.active && (code == '}' || (code == ';' && !allowsSemicolonInParentheses(current)))) {
                // The `(` before the plain `{` was never closed: group again from that `{`,
                // this time as a block. Up to here every `{` opens a block, so that a run of
                // unclosed parentheses is grouped again only once.
                m_blocksUntil = std::max(m_blocksUntil, i);
                i = goBack(mark, current, parenDepth, previous, braceOpensBlock);
                continue;
            }
            if (parenDepth > 0 && code == '{' && !braceOpensBlock && i >= m_blocksUntil) {
                // f({1, 2})   Ctx(Loc l = {0, 0})   g([](int x) { return x; })
                // Braces inside parentheses belong to the expression or the parameter list:
                // they stay plain tokens of the node.
                if (!mark.active) {
                    mark = PlainBraceMark{true, i, current.tokens.size(), parenDepth, before};
                }
                plainBraces = 1;
                current.tokens.push_back(&token);
                continue;
            }
            switch (code) {
            case '#':
                if (i > 0 && m_tokens[i - 1].code != tok::Newline) {
                    // f ( # name )   a `#` inside a line is no directive (a macro's `#` left
                    // in its expansion).
                    current.tokens.push_back(&token);
                    break;
                }
                if (!current.tokens.empty() || !current.children.empty()) {
                    // class C : # if X   a directive inside a declaration becomes a node of its
                    // own before it; the declaration goes on after the directive's line.
                    held = std::move(current);
                    current = AnalysisNode();
                }
                current.tokens.push_back(&token);
                state = GroupState::Directive;
                directiveWordAt = i + 1;
                break;
            case '(':
                ++parenDepth;
                current.tokens.push_back(&token);
                break;
            case ')':
                if (--parenDepth <= 0) {
                    mark = PlainBraceMark();
                    braceOpensBlock = false;
                    closedParenthesis = true;
                }
                current.tokens.push_back(&token);
                break;
            case ':':
                if (parenDepth == 0 && closedParenthesis && !initializers && startsInitializers(current)) {
                    initializers = true;
                }
                current.tokens.push_back(&token);
                // public :
                if (parenDepth == 0 && (before == tok::Private || before == tok::Protected || before == tok::Public)) {
                    target.push_back(std::move(current));
                    current = AnalysisNode();
                }
                break;
            case ';':
                current.tokens.push_back(&token);
                if (parenDepth == 0) {
                    target.push_back(std::move(current));
                    current = AnalysisNode();
                    closedParenthesis = false;
                    initializers = false;
                }
                break;
            case '{':
                if ((initializers && (before == tok::Identifier || before == '>')) || before == tok::Return) {
                    // Foo ( ) : a_ { 1 } , Base < T > { 2 } {   return { a , b } ;
                    plainBraces = 1;
                    current.tokens.push_back(&token);
                    break;
                }
                closedParenthesis = false;
                initializers = false;
                if (depth + 1 > kMaxBlockDepth) {
                    m_tooDeep = true;
                    plainBraces = 1;
                    current.tokens.push_back(&token);
                    break;
                }
                i = group(i + 1, current.children, depth + 1);
                parenDepth = 0;
                mark = PlainBraceMark();
                braceOpensBlock = false;
                if (continuesAfterBody(current) && !(i < m_tokens.size() && m_tokens[i].code == ';')) {
                    // typedef struct Tag { ... } T , * PT ;   the declarators join the node.
                    current.hasBody = true;
                    break;
                }
                if (continuesAfterBody(current)) {
                    current.tokens.push_back(&m_tokens[i]);
                }
                if (!current.tokens.empty() || !current.children.empty()) {
                    current.hasBody = true;
                    target.push_back(std::move(current));
                }
                current = AnalysisNode();
                break;
            case '}':
                state = GroupState::BlockClosed;
                break;
            case tok::Error:
                if (current.tokens.empty() && current.children.empty()) {
                    if (const std::size_t end = objectiveCBlockEnd(i); end != 0) {
                        // @interface ... @end   Objective-C in a C++ file (an Apple platform's
                        // native code): one node of its own, so that the C++ after it is read
                        // as C++ again.
                        for (std::size_t j = i; j <= end; ++j) {
                            if (m_tokens[j].code != tok::Newline) current.tokens.push_back(&m_tokens[j]);
                        }
                        target.push_back(std::move(current));
                        current = AnalysisNode();
                        i = end;
                        previous = m_tokens[end].code;
                        break;
                    }
                }
                current.tokens.push_back(&token);
                break;
            default:
                current.tokens.push_back(&token);
                break;
            }
        }
        if (state == GroupState::BlockClosed) {
            pushIfNotEmpty(current, target);
        } else if (!current.tokens.empty()) {
            target.push_back(std::move(current));
        }
        return m_tokens.size();
    }

private:
    // When the unknown character at `at` is the `@` of `@interface`, `@implementation` or
    // `@protocol` (the scanner keeps no text for unknown characters, so the word after it
    // decides), the position of the word `end` of the `@end` that closes the block; else 0.
    std::size_t objectiveCBlockEnd(std::size_t at)
    {
        if (at + 1 >= m_tokens.size() || !opensObjectiveCBlock(m_tokens[at + 1])) return 0;
        // The last `@end` of the unit, found once: a unit of many `@interface` without an `@end`
        // after them costs one pass, not one per `@interface`.
        if (!m_lastObjectiveCEnd) {
            m_lastObjectiveCEnd = 0;
            for (std::size_t i = m_tokens.size(); i-- > 1;) {
                if (objectiveCEndAt(i - 1)) {
                    m_lastObjectiveCEnd = i;
                    break;
                }
            }
        }
        if (*m_lastObjectiveCEnd < at + 3) return 0;
        for (std::size_t i = at + 2; i + 1 < m_tokens.size(); ++i) {
            if (objectiveCEndAt(i)) return i + 1;
        }
        return 0;
    }

    // Whether `@end` stands at `at`, its two tokens on one line.
    bool objectiveCEndAt(std::size_t at) const
    {
        return isObjectiveCEnd(m_tokens[at], m_tokens[at + 1]) && !newlineTakenOutBefore(at + 1);
    }

    // Whether the unit's newline tokens were taken out of the sequence right before `i`.
    bool newlineTakenOutBefore(std::size_t i) const { return i < m_newlineBefore.size() && m_newlineBefore[i]; }

    // The scanner reads `line`, `error`, `include`, `defined` and the other directive words as
    // directive tokens wherever they stand. They are directive words only as the word after a
    // `#` that starts a line, and `defined` only inside a directive line; everywhere else they
    // are names (`namespace error`, `void line()`, `obj.error()`) and become identifiers.
    static void nameStrayDirectiveWord(Token& token, bool isDirectiveWord)
    {
        if (!isDirectiveWord) {
            token.text = model::TokenString(model::fixedSpelling(token.code));
            token.code = tok::Identifier;
        }
    }

    struct PlainBraceMark {
        bool active = false;
        std::size_t braceAt = 0;          // index of the `{`
        std::size_t tokensBefore = 0;     // the node's token count before it
        int parenDepth = 0;               // the parenthesis depth there
        model::TokenCode previous = tok::EndOfInput;  // the code of the token before it
    };

    // Undoes what was grouped since the mark and returns the index before its `{`, so that the
    // loop meets that `{` again.
    static std::size_t goBack(PlainBraceMark& mark, AnalysisNode& current, int& parenDepth, model::TokenCode& previous,
                              bool& braceOpensBlock)
    {
        current.tokens.truncate(mark.tokensBefore);
        parenDepth = mark.parenDepth;
        previous = mark.previous;
        braceOpensBlock = true;
        mark.active = false;
        return mark.braceAt - 1;
    }

    // `;` inside parentheses belongs to the header of `for (;;)` and to the init-statement of
    // `if`, `switch` and `while`; anywhere else it shows a `(` that was never closed.
    static bool allowsSemicolonInParentheses(const AnalysisNode& node)
    {
        return !node.tokens.empty()
               && node.tokens.front()->isOneOf(tok::For, tok::If, tok::Switch, tok::While, tok::Else);
    }

    // Whether a `:` after a `)` in `node` starts a constructor's initializers: not in a `case`
    // label nor in a class head (`class __declspec(dllexport) X : public Y {`).
    static bool startsInitializers(const AnalysisNode& node)
    {
        if (node.tokens.empty() || node.tokens.front()->isOneOf(tok::Case, tok::Default)) return false;
        int angles = 0;
        for (const Token* token : node.tokens) {
            if (token->code == '<') ++angles;
            if (token->code == '>') --angles;
            if (angles <= 0 && token->isOneOf(tok::Class, tok::Struct, tok::Union, tok::Enum)) return false;
        }
        return true;
    }

    // A typedef keeps the declarators after its body in the same node: `typedef struct { ... } T;`
    // names the struct T. Only the first block of the node counts.
    static bool continuesAfterBody(const AnalysisNode& node)
    {
        return !node.hasBody && !node.tokens.empty() && node.tokens.front()->code == tok::Typedef;
    }

    static void pushIfNotEmpty(AnalysisNode& node, NodeList& target)
    {
        if (!node.tokens.empty() || !node.children.empty()) {
            target.push_back(std::move(node));
        }
    }

    std::optional<std::size_t> m_lastObjectiveCEnd;  // see objectiveCBlockEnd
    std::span<Token> m_tokens;
    const std::vector<bool>& m_newlineBefore;  // see groupTokens
    bool m_tooDeep = false;
    // Braces before this index open blocks even inside parentheses: parentheses there were
    // found never to close.
    std::size_t m_blocksUntil = 0;
};

}  // namespace

bool isObjectiveCBlock(const AnalysisNode& node)
{
    const auto& tokens = node.tokens;
    return tokens.size() >= 4 && tokens[0]->code == tok::Error && opensObjectiveCBlock(*tokens[1])
        && isObjectiveCEnd(*tokens[tokens.size() - 2], *tokens.back());
}

GroupingResult groupTokens(std::span<model::Token> tokens, model::NodeList& target,
                           const std::vector<bool>& newlineBefore)
{
    Grouper grouper(tokens, newlineBefore);
    GroupingResult result;
    result.end = grouper.group(0, target, 0);
    result.tooDeep = grouper.tooDeep();
    trimToSize(target);
    return result;
}

void trimToSize(model::NodeList& nodes)
{
    // Each level is trimmed before pointers to its nodes are taken: trimming moves them.
    nodes.shrink_to_fit();
    std::vector<model::AnalysisNode*> pending;
    for (model::AnalysisNode& node : nodes) pending.push_back(&node);
    while (!pending.empty()) {
        model::AnalysisNode* node = pending.back();
        pending.pop_back();
        node->tokens.shrinkToFit();
        node->children.shrink_to_fit();
        for (model::AnalysisNode& child : node->children) pending.push_back(&child);
    }
}

}  // namespace qm::parser
