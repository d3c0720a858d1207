#include "catalog.h"

#include <cstdio>

namespace shop {

int Product::liveCount_ = 0;

const char *categoryName(Category cat)
{
    switch (cat) {
    case CAT_HARDWARE:
        return "hardware";
    case CAT_FOOD:
        return "food";
    case CAT_BOOK:
        return "book";
    default:
        break;
    }
    return "other";
}

Product::Product(const std::string &sku, const std::string &name, Money price)
    : price_(price), sku_(sku), name_(name)
{
    discount_.kind = DISCOUNT_NONE;
    discount_.value.cents = 0;
    ++liveCount_;
}

Product::~Product()
{
    --liveCount_;
}

Money Product::unitPrice() const
{
    if (discount_.kind == DISCOUNT_PERCENT) {
        return Money(price_.cents() - price_.percent(discount_.value.percent).cents());
    } else if (discount_.kind == DISCOUNT_FIXED) {
        cents_t left = price_.cents() - discount_.value.cents;
        return Money(left > 0 ? left : 0);
    } else {
        return price_;
    }
}

std::string Product::describe() const
{
    return name_ + " [" + categoryName(category()) + "] " + unitPrice().toString();
}

void Product::applyDiscount(const Discount &d)
{
    // A percentage above 100 would make the price negative; clamp it.
    discount_ = d;
    if (discount_.kind == DISCOUNT_PERCENT && discount_.value.percent > 100)
        discount_.value.percent = 100;
}

Tool::Tool(const std::string &sku, const std::string &name, Money price, int warrantyMonths)
    : Product(sku, name, price), warrantyMonths_(warrantyMonths)
{
}

std::string Tool::describe() const
{
    char buf[48];
    std::snprintf(buf, sizeof buf, ", %d months warranty", warrantyMonths_);
    return Product::describe() + buf;
}

Food::Food(const std::string &sku, const std::string &name, Money price, int shelfDays)
    : Product(sku, name, price), Taxable(7), shelfDays_(shelfDays)
{
}

Food::~Food()
{
}

Money Food::unitPrice() const
{
    Money net = Product::unitPrice();
    // Food close to its date is sold at half price before tax.
    if (expiresWithin(2))
        net = Money(net.cents() / 2);
    return net + taxOn(net);
}

} // namespace shop
