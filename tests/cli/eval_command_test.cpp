// The `eval` command: the value of an #if condition, and how a condition that cannot be
// evaluated is reported.
#include "cli_runner.h"

#include <gtest/gtest.h>

#include <utility>

namespace qm::cli {
namespace {

using testing::runCli;

testing::CliResult eval(const std::string& expression)
{
    return runCli({"eval", "-D", "A=3", "-D", "B", expression});
}

TEST(EvalCommandTest, PrintsTheValue)
{
    const std::pair<std::string, std::string> cases[] = {
        {"1 + 2 * 3", "7\n"},
        {"-1 + 3", "2\n"},  // a leading minus belongs to the expression, it is no option
        {"A * 10 + B", "31\n"},  // B was given without a value
        {"B - A", "-2\n"},
        {"defined(A) + defined B + defined(C)", "2\n"},
        {"C + 4", "4\n"},  // names nobody defined count as 0
        {"C < A && A <= 3 ? A : 9", "3\n"},
        {"1 + 1\n+ 7", "2\n"},  // the expression ends at its first line feed...
        {"1 + 1 \\\n+ 7", "9\n"},  // ...unless the line is continued
    };
    for (const auto& [expression, value] : cases) {
        const auto r = eval(expression);
        EXPECT_EQ(r.exitCode, 0) << expression << '\n' << r.err;
        EXPECT_EQ(r.out, value) << expression;
        EXPECT_EQ(r.err, "") << expression;
    }
    // A later -D of the same name wins.
    EXPECT_EQ(runCli({"eval", "-D", "A=3", "-D", "A", "A"}).out, "1\n");
    EXPECT_EQ(runCli({"eval", "-D", "A", "-D", "A=4", "A"}).out, "4\n");
    // A word with a negative value keeps its sign in conditions.
    EXPECT_EQ(runCli({"eval", "-D", "N=-3", "N < 0 && N + 3 == 0"}).out, "1\n");
}

TEST(EvalCommandTest, Failures)
{
    // A token the evaluator does not allow: its log line, then the error.
    auto r = eval("1.5 > 1");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "262  is not Allowed By Preprocessing Expression\nUnknown Operator\n");
    r = eval("1 @ 2");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "---------- Error Unkonwn Token  ---------- <@>\n"
                     "258  is not Allowed By Preprocessing Expression\nUnknown Operator\n");

    // Malformed shapes fail without a log line: one line, the error's text. The words are
    // object-like, so calling one leaves an operand over.
    for (const std::string expression : {"!!0", "A(2)", "(1", ""}) {
        r = eval(expression);
        EXPECT_EQ(r.exitCode, 1) << expression;
        EXPECT_EQ(r.out, "") << expression;
        EXPECT_EQ(r.err.find("is not Allowed"), std::string::npos) << expression;
        EXPECT_TRUE(r.err.size() > 1 && r.err.find('\n') == r.err.size() - 1) << expression << ": " << r.err;
    }

    EXPECT_EQ(runCli({"eval"}).exitCode, 2);
    EXPECT_EQ(runCli({"eval", "-D", "A=1"}).exitCode, 2);
    EXPECT_EQ(runCli({"eval", "1", "2"}).exitCode, 2);
    EXPECT_EQ(runCli({"eval", "--bogus", "1"}).exitCode, 2);
}

}  // namespace
}  // namespace qm::cli
