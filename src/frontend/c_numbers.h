// Reading decimal numbers the way the C library's atoi and atol do, without their undefined
// behaviour. The option files and the project file store counts and values as decimal text that
// may have been edited by hand or damaged, so every input must give a defined result.
#pragma once

#include <cstdint>
#include <string_view>

namespace qm::frontend {

// Reads a decimal integer with atol's rules: leading blanks (space, tab, line feed, vertical
// tab, form feed, carriage return) are skipped, one optional '+' or '-' follows, then digits up
// to the first character that is not one. Text with no digit there reads as 0:
// "  -12abc" gives -12, "+7" gives 7, "abc", "" and "- 5" give 0.
// Where C leaves an overflow undefined, the result saturates: a number beyond the 64-bit range
// reads as INT64_MAX, or INT64_MIN when negative.
std::int64_t parseAtol(std::string_view text) noexcept;

// Reads a decimal integer with atoi's rules, as parseAtol does, into 32 bits: a number beyond
// the 32-bit range reads as INT32_MAX, or INT32_MIN when negative.
std::int32_t parseAtoi(std::string_view text) noexcept;

// Narrows to the signed 32-bit values that predefined words and project defines hold: a value
// outside the range is clamped to INT32_MIN or INT32_MAX (a 32-bit long that saturates on
// overflow gives the same). So "4294967297" reads as 2147483647, not as 1.
std::int32_t narrowToInt32(std::int64_t value) noexcept;

}  // namespace qm::frontend
