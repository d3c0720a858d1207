// Fixed-point money amounts used throughout the order example.
#ifndef EXAMPLE_MONEY_H
#define EXAMPLE_MONEY_H

#include <ostream>
#include <string>

#define CENTS_PER_UNIT 100
#define ROUND_DIV(a, b) (((a) + (b) / 2) / (b))

namespace shop {

typedef long cents_t;

// A money value kept as whole cents so sums never drift.
class Money {
public:
    Money();
    explicit Money(cents_t cents);
    Money(long units, int cents);

    cents_t cents() const { return cents_; }
    bool isZero() const { return cents_ == 0; }

    Money operator+(const Money &other) const;
    Money &operator+=(const Money &other)
    {
        cents_ += other.cents_;
        return *this;
    }
    bool operator<(const Money &other) const { return cents_ < other.cents_; }

    Money percent(int pct) const;
    std::string toString() const;

    static Money fromString(const std::string &text);

private:
    cents_t cents_;
};

Money operator*(const Money &m, int count);
std::ostream &operator<<(std::ostream &os, const Money &m);

} // namespace shop

#endif // EXAMPLE_MONEY_H
