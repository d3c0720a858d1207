#include "frontend/c_numbers.h"

#include <algorithm>
#include <limits>

namespace qm::frontend {

namespace {

// The blanks of the C locale's isspace; written out so that no locale and no sign extension of
// a high byte can change the answer.
bool isCBlank(char c) noexcept
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDecimalDigit(char c) noexcept
{
    return c >= '0' && c <= '9';
}

}  // namespace

std::int64_t parseAtol(std::string_view text) noexcept
{
    std::size_t i = 0;
    while (i < text.size() && isCBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // The magnitude is gathered unsigned and capped at that of INT64_MIN, so it never wraps.
    constexpr std::uint64_t kCap = std::uint64_t{std::numeric_limits<std::int64_t>::max()} + 1;
    std::uint64_t magnitude = 0;
    for (; i < text.size() && isDecimalDigit(text[i]); ++i) {
        const auto digit = static_cast<std::uint64_t>(text[i] - '0');
        if (magnitude > (kCap - digit) / 10) {
            magnitude = kCap;  // further digits cannot bring it back into range
            break;
        }
        magnitude = magnitude * 10 + digit;
    }
    if (magnitude >= kCap) {
        return negative ? std::numeric_limits<std::int64_t>::min() : std::numeric_limits<std::int64_t>::max();
    }
    const auto value = static_cast<std::int64_t>(magnitude);
    return negative ? -value : value;
}

std::int32_t narrowToInt32(std::int64_t value) noexcept
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                               std::numeric_limits<std::int32_t>::max()));
}

std::int32_t parseAtoi(std::string_view text) noexcept
{
    return narrowToInt32(parseAtol(text));
}

}  // namespace qm::frontend
