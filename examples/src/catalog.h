// Products that can be stocked and sold.
#ifndef EXAMPLE_CATALOG_H
#define EXAMPLE_CATALOG_H

#include <string>
#include "money.h"

namespace shop {

enum Category {
    CAT_HARDWARE,
    CAT_FOOD,
    CAT_BOOK,
    CAT_OTHER
};

enum DiscountKind { DISCOUNT_NONE, DISCOUNT_PERCENT, DISCOUNT_FIXED };

// Either a percentage or a fixed number of cents, depending on the kind.
union DiscountValue {
    int percent;
    cents_t cents;
};

struct Discount {
    DiscountKind kind;
    DiscountValue value;
};

const char *categoryName(Category cat);

class Product {
public:
    Product(const std::string &sku, const std::string &name, Money price);
    virtual ~Product();

    const std::string &sku() const { return sku_; }
    const std::string &name() const { return name_; }
    Money basePrice() const { return price_; }

    virtual Category category() const = 0;
    virtual Money unitPrice() const;
    virtual std::string describe() const;

    void applyDiscount(const Discount &d);

    static int liveCount() { return liveCount_; }

protected:
    Money price_;
    Discount discount_;

private:
    std::string sku_;
    std::string name_;

    static int liveCount_;
};

// Mixin for anything that carries sales tax.
class Taxable {
public:
    explicit Taxable(int ratePct) : ratePct_(ratePct) {}
    virtual ~Taxable() {}

    int taxRate() const { return ratePct_; }
    Money taxOn(Money net) const { return net.percent(ratePct_); }

protected:
    int ratePct_;
};

class Tool : public Product {
public:
    Tool(const std::string &sku, const std::string &name, Money price, int warrantyMonths);

    Category category() const { return CAT_HARDWARE; }
    std::string describe() const;

private:
    int warrantyMonths_;
};

class Food : public Product, public Taxable {
public:
    Food(const std::string &sku, const std::string &name, Money price, int shelfDays);
    ~Food();

    Category category() const { return CAT_FOOD; }
    Money unitPrice() const;
    bool expiresWithin(int days) const { return shelfDays_ <= days; }

private:
    int shelfDays_;
};

} // namespace shop

#endif // EXAMPLE_CATALOG_H
