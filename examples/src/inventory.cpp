#include "inventory.h"

#include <cstdio>
#include <iostream>

namespace shop {

Inventory::Inventory(std::size_t capacity) : shelf_(capacity)
{
}

Inventory::~Inventory()
{
    for (std::size_t i = 0; i < shelf_.size(); ++i)
        delete shelf_[i].product;
}

bool Inventory::addProduct(Product *product, int quantity)
{
    stock::StockEntry entry;

    if (product == nullptr)
        return false;
    if (find(product->sku()) != nullptr) {
        std::fprintf(stderr, "duplicate sku %s\n", product->sku().c_str());
        delete product;
        return false;
    }
    entry.product = product;
    entry.onHand = quantity < 0 ? 0 : quantity;
    entry.reserved = 0;
    if (!shelf_.add(entry)) {
        delete product;
        return false;
    }
    return true;
}

stock::StockEntry *Inventory::entryFor(const std::string &sku)
{
    for (std::size_t i = 0; i < shelf_.size(); ++i) {
        if (shelf_[i].product->sku() == sku)
            return &shelf_[i];
    }
    return nullptr;
}

const stock::StockEntry *Inventory::entryFor(const std::string &sku) const
{
    std::size_t i = 0;
    while (i < shelf_.size()) {
        if (shelf_[i].product->sku() == sku)
            return &shelf_[i];
        ++i;
    }
    return nullptr;
}

Product *Inventory::find(const std::string &sku) const
{
    const stock::StockEntry *e = entryFor(sku);
    return e ? e->product : nullptr;
}

int Inventory::available(const std::string &sku) const
{
    const stock::StockEntry *e = entryFor(sku);
    if (!e)
        return 0;
    return e->onHand - e->reserved;
}

bool Inventory::reserve(const std::string &sku, int quantity)
{
    stock::StockEntry *e = entryFor(sku);
    if (!e || quantity <= 0)
        return false;
    if (e->onHand - e->reserved < quantity)
        return false;
    e->reserved += quantity;
    return true;
}

void Inventory::release(const std::string &sku, int quantity)
{
    stock::StockEntry *e = entryFor(sku);
    if (e)
        e->reserved = stock::clampTo(e->reserved - quantity, 0, e->onHand);
}

// Reserved units leave the building: both counts drop together.
void Inventory::ship(const std::string &sku, int quantity)
{
    stock::StockEntry *e = entryFor(sku);
    if (!e)
        return;
    int n = stock::clampTo(quantity, 0, e->reserved);
    e->reserved -= n;
    e->onHand -= n;
}

// Tops up every product whose free stock fell below the threshold and
// returns how many units were ordered in total.
int Inventory::restockBelow(int threshold, int target)
{
    int ordered = 0;
    for (std::size_t i = 0; i < shelf_.size(); ++i) {
        stock::StockEntry &e = shelf_[i];
        int free = e.onHand - e.reserved;
        if (free >= threshold)
            continue;
        if (e.product->category() == CAT_FOOD) {
            Food *food = static_cast<Food *>(e.product);
            // No point in ordering more of something that is about to spoil.
            if (food->expiresWithin(1))
                continue;
        }
        int wanted = target - free;
        e.onHand += wanted;
        ordered += wanted;
    }
    return ordered;
}

void Inventory::print() const
{
    for (std::size_t i = 0; i < shelf_.size(); ++i) {
        const stock::StockEntry &e = shelf_[i];
        std::cout << "  " << e.product->sku() << "  " << e.product->describe()
                  << "  (" << e.onHand - e.reserved << " free)\n";
    }
}

} // namespace shop
