// The #if condition evaluator: precedence, literals, 32-bit arithmetic, conditionals, malformed
// and hostile conditions.
#include "frontend/condition_evaluator.h"
#include "frontend/tokenize_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace qm::frontend {
namespace {

using model::Token;

std::int32_t eval(std::string_view text, LogSink& log)
{
    std::vector<Token> tokens;
    tokenizeText(text, tokens, [](std::string_view) {});
    std::vector<const Token*> refs;
    for (const Token& t : tokens) refs.push_back(&t);
    return evaluateCondition(refs, log);
}

std::int32_t eval(std::string_view text)
{
    LogSink log;
    return eval(text, log);
}

// The message of the ConditionError that `text` raises ("(value N)" if it evaluates), then each
// log line after a '|'.
std::string failure(std::string_view text)
{
    LogSink log;
    std::string result;
    try {
        result = "(value " + std::to_string(eval(text, log)) + ")";
    } catch (const ConditionError& e) {
        result = e.what();
    }
    for (const std::string& line : log.takeLines()) result += "|" + line;
    return result;
}

std::string repeat(std::string_view piece, int count)
{
    std::string out;
    for (int i = 0; i < count; ++i) out += piece;
    return out;
}

TEST(ConditionEvaluator, PrecedenceAndUnaryOperators)
{
    EXPECT_EQ(eval("1 + 2 * 3"), 7);
    EXPECT_EQ(eval("(1 + 2) * 3"), 9);
    EXPECT_EQ(eval("10 - 4 - 3"), 3);
    EXPECT_EQ(eval("-1 < 0"), 1);
    EXPECT_EQ(eval("1 - -1"), 2);
    EXPECT_EQ(eval("(2) - 1"), 1);
    EXPECT_EQ(eval("1 + (2) - 1"), 2);
    EXPECT_EQ(eval("!0"), 1);
    EXPECT_EQ(eval("!(!7)"), 1);
    EXPECT_EQ(eval("~0"), -1);
    EXPECT_EQ(eval("-(3) * +2"), -6);
    EXPECT_EQ(eval("1 << 2 + 1"), 8);
    EXPECT_EQ(eval("1 | 6 ^ 3 & 2 == 2"), 7);  // 1 | (6 ^ (3 & (2 == 2)))
    EXPECT_EQ(eval("2 < 3 == 1 != 0"), 1);
}

TEST(ConditionEvaluator, Literals)
{
    EXPECT_EQ(eval("0x10 == 16 && 017 == 15"), 1);
    EXPECT_EQ(eval("0XfF"), 255);
    EXPECT_EQ(eval("'A' == 65"), 1);
    EXPECT_EQ(eval(R"('\n')"), 92);  // escapes are not translated
    EXPECT_EQ(eval("'ab'"), 97);
    EXPECT_EQ(eval("'\xE9'"), -23);  // a high byte is sign-extended
    EXPECT_EQ(eval("10UL + 0x10u"), 26);  // suffixes end the number
    EXPECT_EQ(eval("4294967295"), -1);
    EXPECT_EQ(eval("4294967296 < 0"), 1);  // too large reads as 4294967295
    EXPECT_EQ(eval("0xFFFFFFFFF"), -1);
}

TEST(ConditionEvaluator, ArithmeticWrapsAndNeverTraps)
{
    EXPECT_EQ(eval("5 / 0"), 0);
    EXPECT_EQ(eval("5 % 0"), 0);
    EXPECT_EQ(eval("-7 / 2"), -3);
    EXPECT_EQ(eval("1 << 33"), 2);
    EXPECT_EQ(eval("1 << 31"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(eval("-8 >> 1"), -4);
    EXPECT_EQ(eval("-1 >> 63"), -1);
    EXPECT_EQ(eval("2147483647 + 1"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(eval("65536 * 65536"), 0);
    EXPECT_EQ(eval("-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(eval("(-2147483647 - 1) / -1"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(eval("(-2147483647 - 1) % -1"), 0);
}

TEST(ConditionEvaluator, LogicalOperatorsAndConditionals)
{
    EXPECT_EQ(eval("1 && 0"), 0);
    EXPECT_EQ(eval("0 || 5"), 5);  // the right value itself
    EXPECT_EQ(eval("7 || 0"), 1);
    EXPECT_EQ(eval("1 || (1 / 0)"), 1);
    EXPECT_EQ(eval("0 && 1 / 0"), 0);
    EXPECT_EQ(eval("1 ? 2 : 3"), 2);
    EXPECT_EQ(eval("0 ? 2 : 0 ? 4 : 5"), 5);
    EXPECT_EQ(eval("1 ? 2 ? 3 : 4 : 5"), 3);
    EXPECT_EQ(eval("0 ? 1 : 2 + 3"), 5);
    EXPECT_EQ(eval("1 || 0 ? 7 : 8"), 7);
    EXPECT_EQ(eval("(0 ? 2 : 3) * 4"), 12);
    EXPECT_EQ(eval("1 ? -1 : -2"), -1);
}

// Names as unknown values: a value where short-circuiting never looks at them, an error where it
// does, and the old refusal of names when they are not asked for.
TEST(ConditionEvaluator, UnknownNamesMatterOnlyWhereTheyAreLookedAt)
{
    auto unknown = [](std::string_view text) {
        std::vector<Token> tokens;
        tokenizeText(text, tokens, [](std::string_view) {});
        std::vector<const Token*> refs;
        for (const Token& t : tokens) refs.push_back(&t);
        LogSink log;
        std::string result;
        try {
            result = std::to_string(evaluateCondition(refs, log, true));
        } catch (const ConditionError& e) {
            result = e.what();
        }
        for (const std::string& line : log.takeLines()) result += "|" + line;
        return result;
    };
    EXPECT_EQ(unknown("1 || F"), "1");
    EXPECT_EQ(unknown("!0 || (F + G) * 2"), "1");
    EXPECT_EQ(unknown("0 && F"), "0");
    EXPECT_EQ(unknown("1 ? 3 : F"), "3");
    EXPECT_EQ(unknown("0 ? F : 4"), "4");
    EXPECT_EQ(unknown("F || 1"), "Unknown Value");
    EXPECT_EQ(unknown("1 && F"), "Unknown Value");
    EXPECT_EQ(unknown("0 || F"), "Unknown Value");
    EXPECT_EQ(unknown("!F"), "Unknown Value");
    EXPECT_EQ(unknown("1 || F G"), "Operands Left Over");  // the shape is checked all the same
    EXPECT_EQ(unknown("1 || F , 2"), "Unknown Operator|44  is not Allowed By Preprocessing Expression");
    EXPECT_EQ(failure("1 || F"), "Unknown Operator|265  is not Allowed By Preprocessing Expression");
}

TEST(ConditionEvaluator, TokensThatAreNotPermitted)
{
    EXPECT_EQ(failure("1.5 > 1"), "Unknown Operator|262  is not Allowed By Preprocessing Expression");
    EXPECT_EQ(failure("1 = 1"), "Unknown Operator|61  is not Allowed By Preprocessing Expression");
    EXPECT_EQ(failure("1 , 2"), "Unknown Operator|44  is not Allowed By Preprocessing Expression");
    EXPECT_EQ(failure("\"s\""), "Unknown Operator|259  is not Allowed By Preprocessing Expression");
    EXPECT_EQ(failure("true"), "Unknown Operator|354  is not Allowed By Preprocessing Expression");
    // Only the first is reported, and it wins over the structural fault in front of it.
    EXPECT_EQ(failure(") ( 1.5 = 2"), "Unknown Operator|262  is not Allowed By Preprocessing Expression");
}

TEST(ConditionEvaluator, MalformedConditions)
{
    // Each fails without a log line.
    for (const char* text : {"!!0", "- -1", "1 +", "* 1", "", "1 2", "(1", "1)", "()", "(1 + 2",
                             "1 ? 2", "1 ? 2 : 3 : 4", "? 1 : 2", "1 ?: 2"}) {
        SCOPED_TRACE(text);
        const std::string result = failure(text);
        EXPECT_EQ(result.find('|'), std::string::npos) << result;
        EXPECT_EQ(result.find("(value"), std::string::npos) << result;
    }
    // A ':' that has no '?' of its own.
    for (const char* text : {"1 : 2", "(1 : 2)", "((1 : 2)", "(1 ? 2) : 3", "1 ? (2 : 3)",
                             "1 ? 2 + (3 : 4)"}) {
        EXPECT_EQ(failure(text), "':' without '?'") << text;
    }
}

TEST(ConditionEvaluator, SharedTokensAreMarkedByIdentity)
{
    // The preprocessor may hand the same token over several times (one "0" for every unknown
    // name, the tokens of a macro body at every use).
    const Token one{1, model::tok::DecimalInteger, "1"};
    const Token zero{1, model::tok::DecimalInteger, "0"};
    const Token two{1, model::tok::DecimalInteger, "2"};
    const Token question{1, '?', {}};
    const Token colon{1, ':', {}};
    const Token minus{1, '-', {}};
    LogSink log;
    const std::vector<const Token*> nested{&one, &question, &zero, &question, &one, &colon, &two,
                                           &colon, &one};
    EXPECT_EQ(evaluateCondition(nested, log), 2);  // 1 ? (0 ? 1 : 2) : 1
    const std::vector<const Token*> chain{&one, &minus, &one, &minus, &one};
    EXPECT_EQ(evaluateCondition(chain, log), -1);
    // Once read as unary, the token stays unary everywhere: `1 - -1` built from one '-' fails.
    const std::vector<const Token*> twice{&one, &minus, &minus, &one};
    EXPECT_THROW(evaluateCondition(twice, log), ConditionError);
    EXPECT_TRUE(log.takeLines().empty());
}

TEST(ConditionEvaluator, HostileSizesAndDepths)
{
    const int limit = kMaxConditionNesting;
    EXPECT_EQ(eval(repeat("(", limit) + "1" + repeat(")", limit)), 1);
    EXPECT_EQ(failure(repeat("(", limit + 1) + "1" + repeat(")", limit + 1)), "Expression too deep");
    EXPECT_EQ(failure(repeat("(", 10000) + "1" + repeat(")", 10000)), "Expression too deep");
    EXPECT_EQ(failure(repeat("1 ? 1 : ", 10000) + "1"), "Expression too deep");
    EXPECT_EQ(eval(repeat("0 ? 1 : ", limit) + "7"), 7);
    EXPECT_THROW(eval(repeat("(", 10000)), ConditionError);
    EXPECT_THROW(eval(repeat(")", 10000)), ConditionError);
    EXPECT_THROW(eval(repeat("!", 10000) + "1"), ConditionError);

    // Flat chains are not nesting: they evaluate, however long.
    EXPECT_EQ(eval(repeat("1 + ", 99999) + "1"), 100000);
    EXPECT_EQ(eval(repeat("1 && ", 99999) + "1"), 1);
    EXPECT_EQ(eval(repeat("0 || ", 99999) + "3"), 3);
    EXPECT_EQ(eval(repeat("-1 - ", 99999) + "1"), 99996);  // -1, then 99998 times - -1, then - 1
}

}  // namespace
}  // namespace qm::frontend
