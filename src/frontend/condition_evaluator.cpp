// The `#if` condition evaluator: checks the tokens, converts the infix condition to postfix with
// an operator stack, builds an expression tree from the postfix and evaluates it. Tree building
// and evaluation use explicit stacks, so a long chain like `1 + 1 + ... + 1` (a tree as deep as
// the chain is long) costs heap memory, never call depth.
#include "frontend/condition_evaluator.h"

#include <cassert>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace qm::frontend {
namespace {

using model::Token;
using model::TokenCode;
namespace tok = model::tok;

constexpr std::string_view kNotAllowed = " is not Allowed By Preprocessing Expression";
constexpr const char* kUnknownOperator = "Unknown Operator";
constexpr const char* kMissingOperand = "Missing Operand";
constexpr const char* kOperandsLeftOver = "Operands Left Over";
constexpr const char* kNoExpression = "No Expression";
constexpr const char* kUnbalancedParenthesis = "Unbalanced Parenthesis";
constexpr const char* kColonWithoutQuestion = "':' without '?'";
constexpr const char* kQuestionWithoutColon = "'?' without ':'";
constexpr const char* kTooDeep = "Expression too deep";
constexpr const char* kUnknownValue = "Unknown Value";

bool isOperand(TokenCode code) noexcept
{
    return code == tok::CharLiteral || code == tok::DecimalInteger || code == tok::HexInteger
        || code == tok::OctalInteger;
}

bool isConditional(const Token& token) noexcept
{
    return token.isOneOf('?', ':');
}

// The precedence of an operator code, smaller binding tighter; `+` and `-` as binary operators.
// 0 for codes that are not operators of a condition.
int operatorPrecedence(TokenCode code) noexcept
{
    switch (code) {
    case '(': case ')': return 1;
    case '!': case '~': return 2;
    case '*': case '/': case '%': return 3;
    case '+': case '-': return 4;
    case tok::ShiftLeft: case tok::ShiftRight: return 5;
    case '<': case '>': case tok::LessEqual: case tok::GreaterEqual: return 6;
    case tok::EqualEqual: case tok::NotEqual: return 7;
    case '&': return 8;
    case '^': return 9;
    case '|': return 10;
    case tok::AndAnd: return 11;
    case tok::OrOr: return 12;
    case '?': case ':': return 13;
    default: return 0;
    }
}

constexpr int kUnaryPrecedence = 2;

bool isPermitted(TokenCode code) noexcept
{
    return isOperand(code) || operatorPrecedence(code) != 0;
}

// Reads `text` as an unsigned number in `base` up to the first character that is not one of its
// digits; hexadecimal text may start with 0x. A value too large for 32 bits reads as 0xFFFFFFFF.
std::uint32_t parseUnsigned(std::string_view text, std::uint32_t base) noexcept
{
    std::size_t i = 0;
    if (base == 16 && text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        i = 2;
    }
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        std::uint32_t digit = base;
        if (c >= '0' && c <= '9') {
            digit = static_cast<std::uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        }
        if (digit >= base) {
            break;
        }
        value = value * base + digit;
        if (value > std::numeric_limits<std::uint32_t>::max()) {
            return std::numeric_limits<std::uint32_t>::max();
        }
    }
    return static_cast<std::uint32_t>(value);
}

std::int32_t operandValue(const Token& token) noexcept
{
    const std::string_view text = token.text.view();
    switch (token.code) {
    case tok::CharLiteral:
        return text.empty() ? 0 : static_cast<std::int32_t>(static_cast<signed char>(text[0]));
    case tok::HexInteger:
        return static_cast<std::int32_t>(parseUnsigned(text, 16));
    case tok::OctalInteger:
        return static_cast<std::int32_t>(parseUnsigned(text, 8));
    default:
        // The scanner never puts a sign in a number, but a predefined word with a negative value
        // is seeded as one token such as "-5": read it as the negative number it stands for.
        if (!text.empty() && text[0] == '-') {
            return static_cast<std::int32_t>(0u - parseUnsigned(text.substr(1), 10));
        }
        return static_cast<std::int32_t>(parseUnsigned(text, 10));
    }
}

std::int32_t applyUnary(TokenCode op, std::int32_t a) noexcept
{
    const auto ua = static_cast<std::uint32_t>(a);
    switch (op) {
    case '!': return a == 0 ? 1 : 0;
    case '~': return static_cast<std::int32_t>(~ua);
    case '-': return static_cast<std::int32_t>(0u - ua);
    default: return a;  // unary +
    }
}

// The strict binary operators; `&&` and `||` are handled where the tree is walked.
std::int32_t applyBinary(TokenCode op, std::int32_t a, std::int32_t b) noexcept
{
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    const auto ua = static_cast<std::uint32_t>(a);
    const auto ub = static_cast<std::uint32_t>(b);
    switch (op) {
    case '*': return static_cast<std::int32_t>(ua * ub);
    case '/':
        if (b == 0) return 0;
        return (a == kMin && b == -1) ? kMin : a / b;
    case '%':
        if (b == 0 || b == -1) return 0;  // -1 divides everything; also keeps INT32_MIN % -1 defined
        return a % b;
    case '+': return static_cast<std::int32_t>(ua + ub);
    case '-': return static_cast<std::int32_t>(ua - ub);
    case tok::ShiftLeft: return static_cast<std::int32_t>(ua << (ub & 31u));
    case tok::ShiftRight: return a >> (ub & 31u);  // arithmetic for negative values
    case '<': return a < b;
    case '>': return a > b;
    case tok::LessEqual: return a <= b;
    case tok::GreaterEqual: return a >= b;
    case tok::EqualEqual: return a == b;
    case tok::NotEqual: return a != b;
    case '&': return static_cast<std::int32_t>(ua & ub);
    case '^': return static_cast<std::int32_t>(ua ^ ub);
    case '|': return static_cast<std::int32_t>(ua | ub);
    default:
        assert(!"applyBinary: not a binary operator");
        return 0;
    }
}

// One node of the expression tree. Children are indices into the evaluator's node vector; a
// unary operator uses `first`, a binary one `first` (left) and `third` (right), a conditional
// all three (condition, value if true, value if false).
struct ExprNode {
    enum class Shape : std::uint8_t { Operand, Unary, Binary, Conditional };

    const Token* token = nullptr;
    Shape shape = Shape::Operand;
    std::int32_t first = -1;
    std::int32_t second = -1;
    std::int32_t third = -1;
};

class ConditionEvaluator {
public:
    ConditionEvaluator(std::span<const Token* const> input, bool unknownNames)
        : m_input(input), m_unknownNames(unknownNames)
    {
    }

    std::int32_t evaluate(LogSink& log)
    {
        checkTokens(log);
        markConditionalParts();
        toPostfix();
        buildTree();
        return evaluateTree();
    }

private:
    void checkTokens(LogSink& log) const;
    void markConditionalParts();
    void toPostfix();
    void buildTree();
    std::int32_t evaluateTree() const;

    int precedence(const Token& op) const
    {
        if (op.isOneOf('+', '-') && m_unary.contains(&op)) {
            return kUnaryPrecedence;
        }
        return operatorPrecedence(op.code);
    }

    std::span<const Token* const> m_input;
    bool m_unknownNames;  // identifiers are operands whose value is unknown
    // The input with the markers in place.
    std::vector<const Token*> m_marked;
    // Operators marked by identity: a token is marked once and stays marked wherever it occurs.
    std::unordered_set<const Token*> m_unary;
    std::unordered_set<const Token*> m_ternary;
    const Token m_openMarker{0, '(', {}};
    const Token m_closeMarker{0, ')', {}};
    std::vector<const Token*> m_postfix;
    std::vector<ExprNode> m_nodes;
    std::int32_t m_root = -1;
};

// Every token is classified before the structure is looked at, so a token that is not permitted
// is reported even when the expression would fail for another reason before reaching it.
void ConditionEvaluator::checkTokens(LogSink& log) const
{
    for (const Token* token : m_input) {
        if (!isPermitted(token->code) && !(m_unknownNames && token->is(tok::Identifier))) {
            log.writeLine(std::to_string(token->code) + " " + std::string(kNotAllowed));
            throw ConditionError(kUnknownOperator);
        }
    }
}

// `c ? t : f` becomes `c ? ( t ) : f`: the value if true turns into a closed group, so the
// operators inside it are flushed before its `:` arrives.
void ConditionEvaluator::markConditionalParts()
{
    m_marked.reserve(m_input.size());
    for (const Token* token : m_input) {
        if (token->is(':')) {
            m_marked.push_back(&m_closeMarker);
        }
        m_marked.push_back(token);
        if (token->is('?')) {
            m_marked.push_back(&m_openMarker);
        }
    }
}

void ConditionEvaluator::toPostfix()
{
    std::vector<const Token*> stack;
    int nesting = 0;  // '(' and ':' on the stack
    bool operandExpected = true;
    TokenCode lastOperator = tok::EndOfInput;

    const auto popToPostfix = [&] {
        const Token* top = stack.back();
        stack.pop_back();
        if (top->is(':')) {
            --nesting;
        }
        if (!top->is('?')) {  // a conditional reaches the postfix as its ':' alone
            m_postfix.push_back(top);
        }
    };

    m_postfix.reserve(m_marked.size());
    for (const Token* token : m_marked) {
        if (isOperand(token->code) || token->is(tok::Identifier)) {
            m_postfix.push_back(token);
            operandExpected = false;
            continue;
        }
        if (token->is(')')) {
            while (!stack.empty() && !stack.back()->is('(')) {
                popToPostfix();
            }
            if (stack.empty()) {  // the close marker finds nothing open in `a : b`
                throw ConditionError(token == &m_closeMarker ? kColonWithoutQuestion : kUnbalancedParenthesis);
            }
            stack.pop_back();
            --nesting;
        } else {
            if (token->isOneOf('!', '~')
                || (token->isOneOf('+', '-') && operandExpected && lastOperator != ')')) {
                m_unary.insert(token);
            } else if (isConditional(*token)) {
                m_ternary.insert(token);
            }
            // Its close marker has just closed the group after the '?', so a ':' that belongs
            // to a '?' finds it on top. Anything else means `a : b`, `(a ? b) : c` and the like.
            if (token->is(':') && (stack.empty() || !stack.back()->is('?'))) {
                throw ConditionError(kColonWithoutQuestion);
            }
            const int own = precedence(*token);
            while (!stack.empty() && !stack.back()->is('(')) {
                const Token& top = *stack.back();
                if (precedence(top) > own || (isConditional(top) && isConditional(*token))) {
                    break;
                }
                popToPostfix();
            }
            if (token->isOneOf('(', ':') && ++nesting > kMaxConditionNesting) {
                throw ConditionError(kTooDeep);
            }
            stack.push_back(token);
        }
        operandExpected = true;
        lastOperator = token->code;
    }
    while (!stack.empty()) {
        if (stack.back()->is('(')) {
            throw ConditionError(stack.back() == &m_openMarker ? kQuestionWithoutColon : kUnbalancedParenthesis);
        }
        popToPostfix();
    }
}

void ConditionEvaluator::buildTree()
{
    std::vector<std::int32_t> stack;
    const auto take = [&]() {
        const std::int32_t index = stack.back();
        stack.pop_back();
        return index;
    };

    m_nodes.reserve(m_postfix.size());
    for (const Token* token : m_postfix) {
        ExprNode node;
        node.token = token;
        if (isOperand(token->code) || token->is(tok::Identifier)) {
            node.shape = ExprNode::Shape::Operand;
        } else if (m_unary.contains(token)) {
            if (stack.empty()) {
                throw ConditionError(kMissingOperand);
            }
            node.shape = ExprNode::Shape::Unary;
            node.first = take();
        } else if (m_ternary.contains(token)) {
            if (stack.size() < 3) {
                throw ConditionError(kMissingOperand);
            }
            node.shape = ExprNode::Shape::Conditional;
            node.third = take();
            node.second = take();
            node.first = take();
        } else {
            if (stack.size() < 2) {
                throw ConditionError(kMissingOperand);
            }
            node.shape = ExprNode::Shape::Binary;
            node.third = take();
            node.first = take();
        }
        m_nodes.push_back(node);
        stack.push_back(static_cast<std::int32_t>(m_nodes.size() - 1));
    }
    if (stack.empty()) {
        throw ConditionError(kNoExpression);
    }
    if (stack.size() > 1) {
        throw ConditionError(kOperandsLeftOver);
    }
    m_root = stack.back();
}

// Walks the tree in post-order with an explicit stack of pending nodes and a stack of values.
// A pending node's step counts the children it has handed out so far. `&&`, `||` and `?:` look
// at their first value before deciding whether (and which) further child to evaluate.
std::int32_t ConditionEvaluator::evaluateTree() const
{
    struct Pending {
        std::int32_t node;
        std::int32_t step;
    };
    std::vector<Pending> pending{{m_root, 0}};
    std::vector<std::int32_t> values;

    while (!pending.empty()) {
        const auto [index, step] = pending.back();
        const ExprNode& node = m_nodes[static_cast<std::size_t>(index)];
        ++pending.back().step;
        const auto descend = [&](std::int32_t child) { pending.push_back({child, 0}); };
        // The node's value becomes the value of `child`, evaluated in its place.
        const auto replaceBy = [&](std::int32_t child) { pending.back() = {child, 0}; };

        switch (node.shape) {
        case ExprNode::Shape::Operand:
            // A name stands for a value nobody knows: fine where it is never looked at.
            if (node.token->is(tok::Identifier)) throw ConditionError(kUnknownValue);
            values.push_back(operandValue(*node.token));
            pending.pop_back();
            break;
        case ExprNode::Shape::Unary:
            if (step == 0) {
                descend(node.first);
            } else {
                values.back() = applyUnary(node.token->code, values.back());
                pending.pop_back();
            }
            break;
        case ExprNode::Shape::Conditional:
            if (step == 0) {
                descend(node.first);
            } else {
                const bool condition = values.back() != 0;
                values.pop_back();
                replaceBy(condition ? node.second : node.third);
            }
            break;
        case ExprNode::Shape::Binary:
            if (step == 0) {
                descend(node.first);
            } else if (node.token->is(tok::AndAnd)) {
                if (step == 1 && values.back() != 0) {
                    values.pop_back();
                    descend(node.third);
                } else {
                    values.back() = values.back() != 0 ? 1 : 0;  // 0 stays 0 when left was 0
                    pending.pop_back();
                }
            } else if (node.token->is(tok::OrOr)) {
                if (values.back() != 0) {
                    values.back() = 1;
                    pending.pop_back();
                } else {
                    values.pop_back();
                    replaceBy(node.third);  // the right value itself, not reduced to 0 or 1
                }
            } else if (step == 1) {
                descend(node.third);
            } else {
                const std::int32_t right = values.back();
                values.pop_back();
                values.back() = applyBinary(node.token->code, values.back(), right);
                pending.pop_back();
            }
            break;
        }
    }
    assert(values.size() == 1);
    return values.back();
}

}  // namespace

std::int32_t evaluateCondition(std::span<const Token* const> condition, LogSink& log, bool unknownNames)
{
    return ConditionEvaluator(condition, unknownNames).evaluate(log);
}

}  // namespace qm::frontend
