// Customer orders and the steps that move them from open to shipped.
#ifndef EXAMPLE_ORDERS_H
#define EXAMPLE_ORDERS_H

#include <stdexcept>
#include <string>
#include <vector>
#include "inventory.h"
#include "money.h"

namespace shop {

enum OrderState { ORDER_OPEN, ORDER_RESERVED, ORDER_PAID, ORDER_SHIPPED, ORDER_CANCELLED };

struct OrderLine {
    std::string sku;
    int quantity;
    Money price;
};

class OrderError : public std::runtime_error {
public:
    OrderError(int orderId, const std::string &what)
        : std::runtime_error(what), orderId_(orderId) {}
    int orderId() const { return orderId_; }

private:
    int orderId_;
};

class Order {
public:
    explicit Order(const std::string &customer);
    ~Order();

    int id() const { return id_; }
    OrderState state() const { return state_; }
    const std::string &customer() const { return customer_; }
    const std::vector<OrderLine> &lines() const { return lines_; }

    void addLine(const std::string &sku, int quantity);
    Money total() const;

    void reserve(Inventory &inv);
    void pay(Money amount);
    void advance(Inventory &inv);
    void cancel(Inventory &inv);

    static int ordersCreated() { return nextId_ - 1; }

private:
    int id_;
    std::string customer_;
    OrderState state_;
    std::vector<OrderLine> lines_;
    Money paid_;

    static int nextId_;
};

const char *stateName(OrderState s);
int parseOrderScript(const std::string &script, Order &order);

} // namespace shop

#endif // EXAMPLE_ORDERS_H
