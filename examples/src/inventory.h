// Stock levels for the products a shop carries.
#ifndef EXAMPLE_INVENTORY_H
#define EXAMPLE_INVENTORY_H

#include <cstddef>
#include <string>
#include <vector>
#include "catalog.h"

namespace shop {
namespace stock {

// A bounded list of entries; adding past the capacity fails instead of growing.
template <typename T>
class Shelf {
public:
    explicit Shelf(std::size_t capacity) : capacity_(capacity) {}

    bool add(const T &item)
    {
        if (items_.size() >= capacity_)
            return false;
        items_.push_back(item);
        return true;
    }

    std::size_t size() const { return items_.size(); }
    bool full() const { return items_.size() >= capacity_; }
    T &operator[](std::size_t i) { return items_[i]; }
    const T &operator[](std::size_t i) const { return items_[i]; }

private:
    std::size_t capacity_;
    std::vector<T> items_;
};

template <typename T>
T clampTo(T value, T low, T high)
{
    if (value < low)
        return low;
    if (high < value)
        return high;
    return value;
}

struct StockEntry {
    Product *product;
    int onHand;
    int reserved;
};

typedef Shelf<StockEntry> StockShelf;

} // namespace stock

class Inventory {
public:
    explicit Inventory(std::size_t capacity);
    ~Inventory();

    bool addProduct(Product *product, int quantity);
    Product *find(const std::string &sku) const;
    int available(const std::string &sku) const;
    bool reserve(const std::string &sku, int quantity);
    void release(const std::string &sku, int quantity);
    void ship(const std::string &sku, int quantity);
    int restockBelow(int threshold, int target);
    void print() const;

private:
    stock::StockEntry *entryFor(const std::string &sku);
    const stock::StockEntry *entryFor(const std::string &sku) const;

    stock::StockShelf shelf_;
};

} // namespace shop

#endif // EXAMPLE_INVENTORY_H
