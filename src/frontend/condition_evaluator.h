// Evaluating the condition of `#if` and `#elif`. The preprocessor hands over the condition with
// macros replaced, `defined` resolved to "1" or "0" and every other name turned into "0"; what is
// left must be integer literals and C operators. The condition holds when the value is not 0.
#pragma once

#include "frontend/log_sink.h"
#include "model/error.h"
#include "model/token.h"

#include <cstdint>
#include <span>

namespace qm::frontend {

// A condition that cannot be evaluated. The preprocessing of the unit ends with it.
class ConditionError : public model::Error {
public:
    using Error::Error;
};

// How deep groups may nest. Every open parenthesis counts one level, and so does every
// conditional operator: `a ? b : c` is one level around `b` and one around `c`. Long flat chains
// such as `1 + 1 + ... + 1` are not nesting and have no limit.
constexpr int kMaxConditionNesting = 256;

// Evaluates `condition` in 32-bit signed arithmetic that wraps around, and returns the value.
//
// Permitted tokens are integer literals (decimal, octal, hexadecimal, character) and the
// operators ( ) ! ~ + - * / % << >> < > <= >= == != & ^ | && || ? : with C's precedence; `+`
// and `-` are unary at the start and after any operator but `)`. Two unary operators in a row
// are not accepted: `!!0` fails, `!(!0)` is 0. Conditionals group to the right, `&&`, `||` and
// `?:` evaluate only what decides the result, and `0 || 5` is 5 (the value itself, unlike
// `&&`). Division and remainder by 0 give 0; INT32_MIN / -1 gives INT32_MIN and its remainder
// 0. Shift counts are taken modulo 32 and `>>` keeps the sign. Numbers read as unsigned 32-bit
// values up to the first character that is not a digit of their base (suffixes are ignored), and
// one too large for 32 bits reads as -1; a character literal is the first byte of its text,
// sign-extended (escapes are not translated: '\n' is 92).
//
// A token that is not permitted writes "<code>  is not Allowed By Preprocessing Expression" to
// `log` (the code in decimal) and throws ConditionError("Unknown Operator"); every token is
// checked before anything else, so this error wins over all others. A malformed expression
// (missing or left-over operands, unbalanced parentheses, a `:` without its `?`, an empty
// condition) or one nested deeper than kMaxConditionNesting throws ConditionError without a log
// line. Nothing recurses on the shape of the input, so hostile conditions cannot exhaust the
// stack.
//
// With `unknownNames`, an identifier is an operand whose value nobody knows (the preprocessor
// puts one in place of a call of a function-like macro it has no definition for): the condition
// has a value when short-circuiting never looks at it (`1 || F`, `0 && F`, `0 ? F : 2`), and
// throws ConditionError("Unknown Value") when it does.
std::int32_t evaluateCondition(std::span<const model::Token* const> condition, LogSink& log, bool unknownNames = false);

}  // namespace qm::frontend
