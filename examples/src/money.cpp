#include "money.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace shop {

Money::Money() : cents_(0)
{
}

Money::Money(cents_t cents) : cents_(cents)
{
}

Money::Money(long units, int cents) : cents_(units * CENTS_PER_UNIT + cents)
{
}

Money Money::operator+(const Money &other) const
{
    return Money(cents_ + other.cents_);
}

Money Money::percent(int pct) const
{
    return Money(ROUND_DIV(cents_ * pct, 100));
}

std::string Money::toString() const
{
    char buf[32];
    cents_t whole = cents_ / CENTS_PER_UNIT;
    cents_t frac = cents_ % CENTS_PER_UNIT;
    if (frac < 0)
        frac = -frac;
    std::snprintf(buf, sizeof buf, "%ld.%02ld", whole, frac);
    return std::string(buf);
}

// Accepts "12", "12.5" or "12.50"; anything else is rejected.
Money Money::fromString(const std::string &text)
{
    cents_t units = 0;
    cents_t frac = 0;
    int fracDigits = 0;
    bool seenDot = false;
    std::string::size_type i = 0;

    if (text.empty())
        throw std::invalid_argument("empty amount");

    while (i < text.size()) {
        char c = text[i++];
        if (c == '.') {
            if (seenDot)
                throw std::invalid_argument("two decimal points in " + text);
            seenDot = true;
            continue;
        }
        if (c < '0' || c > '9')
            throw std::invalid_argument("bad digit in " + text);
        if (!seenDot) {
            units = units * 10 + (c - '0');
        } else if (fracDigits < 2) {
            frac = frac * 10 + (c - '0');
            fracDigits++;
        } else {
            throw std::invalid_argument("too many decimals in " + text);
        }
    }
    if (fracDigits == 1)
        frac *= 10;
    return Money(units * CENTS_PER_UNIT + frac);
}

Money operator*(const Money &m, int count)
{
    return Money(m.cents() * count);
}

std::ostream &operator<<(std::ostream &os, const Money &m)
{
    return os << m.toString();
}

} // namespace shop
