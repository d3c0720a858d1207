#include "orders.h"

#include <cctype>
#include <cstdlib>
#include <iostream>

namespace shop {

int Order::nextId_ = 1;

const char *stateName(OrderState s)
{
    switch (s) {
    case ORDER_OPEN:      return "open";
    case ORDER_RESERVED:  return "reserved";
    case ORDER_PAID:      return "paid";
    case ORDER_SHIPPED:   return "shipped";
    case ORDER_CANCELLED: return "cancelled";
    }
    return "?";
}

Order::Order(const std::string &customer)
    : id_(nextId_++), customer_(customer), state_(ORDER_OPEN)
{
}

Order::~Order()
{
}

void Order::addLine(const std::string &sku, int quantity)
{
    if (state_ != ORDER_OPEN)
        throw OrderError(id_, "order is no longer open");
    if (quantity <= 0)
        throw OrderError(id_, "quantity must be positive for " + sku);

    for (OrderLine &line : lines_) {
        if (line.sku == sku) {
            line.quantity += quantity;
            return;
        }
    }
    OrderLine line;
    line.sku = sku;
    line.quantity = quantity;
    lines_.push_back(line);
}

Money Order::total() const
{
    Money sum;
    for (std::size_t i = 0; i < lines_.size(); ++i)
        sum += lines_[i].price * lines_[i].quantity;
    return sum;
}

// Reserves every line or none: if one line cannot be met, the lines
// already reserved are handed back before the error is raised.
void Order::reserve(Inventory &inv)
{
    std::size_t done = 0;

    if (state_ != ORDER_OPEN)
        throw OrderError(id_, "cannot reserve an order that is not open");

    while (done < lines_.size()) {
        OrderLine &line = lines_[done];
        Product *p = inv.find(line.sku);
        if (p == nullptr)
            goto rollback;
        if (!inv.reserve(line.sku, line.quantity))
            goto rollback;
        line.price = p->unitPrice();
        ++done;
    }
    state_ = ORDER_RESERVED;
    return;

rollback:
    std::string failed = lines_[done].sku;
    while (done > 0) {
        --done;
        inv.release(lines_[done].sku, lines_[done].quantity);
    }
    throw OrderError(id_, "not enough stock for " + failed);
}

void Order::pay(Money amount)
{
    if (state_ != ORDER_RESERVED)
        throw OrderError(id_, "order is not waiting for payment");
    paid_ += amount;
    if (paid_ < total())
        return;
    state_ = ORDER_PAID;
}

// Moves the order one step forward. A freshly opened order gets its
// stock reserved and then falls through to the payment check.
void Order::advance(Inventory &inv)
{
    switch (state_) {
    case ORDER_OPEN:
        reserve(inv);
        // fall through
    case ORDER_RESERVED:
        if (total().isZero())
            state_ = ORDER_PAID;
        break;
    case ORDER_PAID:
        for (std::size_t i = 0; i < lines_.size(); ++i)
            inv.ship(lines_[i].sku, lines_[i].quantity);
        state_ = ORDER_SHIPPED;
        break;
    case ORDER_SHIPPED:
    case ORDER_CANCELLED:
        throw OrderError(id_, std::string("nothing to do for a ") + stateName(state_) + " order");
    }
}

void Order::cancel(Inventory &inv)
{
    if (state_ == ORDER_SHIPPED)
        throw OrderError(id_, "order has already shipped");
    if (state_ == ORDER_RESERVED || state_ == ORDER_PAID) {
        for (std::size_t i = 0; i < lines_.size(); ++i)
            inv.release(lines_[i].sku, lines_[i].quantity);
    }
    state_ = ORDER_CANCELLED;
}

// Reads lines of the form "SKU QTY" separated by ';' and adds them to the
// order. Returns the number of lines accepted; bad lines are reported and skipped.
int parseOrderScript(const std::string &script, Order &order)
{
    std::string::size_type pos = 0;
    int accepted = 0;

    if (script.empty())
        return 0;

    do {
        std::string::size_type end = script.find(';', pos);
        if (end == std::string::npos)
            end = script.size();
        std::string item = script.substr(pos, end - pos);
        pos = end + 1;

        std::string::size_type space = item.find(' ');
        if (space == std::string::npos) {
            std::cerr << "skipping malformed line '" << item << "'\n";
            continue;
        }
        std::string sku = item.substr(0, space);
        int qty = std::atoi(item.c_str() + space + 1);
        try {
            order.addLine(sku, qty);
            ++accepted;
        } catch (const OrderError &e) {
            std::cerr << "order " << e.orderId() << ": " << e.what() << "\n";
        }
    } while (pos < script.size());

    return accepted;
}

} // namespace shop
