#include "parser/group_tokens.h"

#include <utility>

namespace qm::parser {

namespace {

using model::AnalysisNode;
using model::Token;
namespace tok = model::tok;

enum class GroupState { Normal, BlockClosed, Directive };

class Grouper {
public:
    explicit Grouper(std::span<const Token> tokens) : m_tokens(tokens) {}

    bool tooDeep() const noexcept { return m_tooDeep; }

    // Groups from `start` into `target` for a block at brace level `depth` (0 for the file).
    // Returns the index of the last token it consumed: the `;` after a closing `}`, or the token
    // before the one that follows the `}`, so that the caller sees that token again.
    std::size_t group(std::size_t start, std::vector<AnalysisNode>& target, int depth)
    {
        AnalysisNode current;
        GroupState state = GroupState::Normal;
        int parenDepth = 0;
        int plainBraces = 0;  // open braces of a block too deep to group
        model::TokenCode previous = tok::EndOfInput;

        for (std::size_t i = start; i < m_tokens.size(); ++i) {
            const Token& token = m_tokens[i];
            const model::TokenCode code = token.code;
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
            switch (code) {
            case '#':
                current.tokens.push_back(&token);
                state = GroupState::Directive;
                break;
            case '(':
                ++parenDepth;
                current.tokens.push_back(&token);
                break;
            case ')':
                --parenDepth;
                current.tokens.push_back(&token);
                break;
            case ':':
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
                }
                break;
            case '{':
                if (depth + 1 > kMaxBlockDepth) {
                    m_tooDeep = true;
                    plainBraces = 1;
                    current.tokens.push_back(&token);
                    break;
                }
                i = group(i + 1, current.children, depth + 1);
                if (!current.tokens.empty() || !current.children.empty()) {
                    current.hasBody = true;
                    target.push_back(std::move(current));
                }
                current = AnalysisNode();
                parenDepth = 0;
                break;
            case '}':
                state = GroupState::BlockClosed;
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
    static void pushIfNotEmpty(AnalysisNode& node, std::vector<AnalysisNode>& target)
    {
        if (!node.tokens.empty() || !node.children.empty()) {
            target.push_back(std::move(node));
        }
    }

    std::span<const Token> m_tokens;
    bool m_tooDeep = false;
};

}  // namespace

GroupingResult groupTokens(std::span<const model::Token> tokens, std::vector<model::AnalysisNode>& target)
{
    Grouper grouper(tokens);
    GroupingResult result;
    result.end = grouper.group(0, target, 0);
    result.tooDeep = grouper.tooDeep();
    return result;
}

}  // namespace qm::parser
