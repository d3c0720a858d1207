// Small order-processing run: stocks a shop, takes a few orders and
// pushes them through reservation, payment and shipping.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "catalog.h"
#include "inventory.h"
#include "money.h"
#include "orders.h"

#ifndef EXAMPLE_VERBOSE
#define EXAMPLE_VERBOSE 0
#endif

#if EXAMPLE_VERBOSE
#define TRACE(msg) (std::cout << "[trace] " << msg << "\n")
#else
#define TRACE(msg) ((void)0)
#endif

#define RESTOCK_THRESHOLD 5

const char *g_shopName = "Corner Hardware & Deli";
int g_failedOrders = 0;
shop::Money g_takings;

using namespace shop;

static void fillShop(Inventory &inv)
{
    inv.addProduct(new Tool("T-100", "Claw hammer", Money(12, 50), 24), 10);
    inv.addProduct(new Tool("T-200", "Screwdriver set", Money(19, 99), 12), 4);
    inv.addProduct(new Food("F-001", "Sourdough loaf", Money(3, 20), 2), 6);
    inv.addProduct(new Food("F-002", "Honey jar", Money(6, 75), 365), 8);

    Discount sale;
    sale.kind = DISCOUNT_PERCENT;
    sale.value.percent = 20;
    Product *p = inv.find("T-200");
    if (p)
        p->applyDiscount(sale);
}

static bool runOrder(Inventory &inv, Order &order, const std::string &payment)
{
    try {
        order.advance(inv);
        TRACE("order " << order.id() << " is " << stateName(order.state()));
        if (order.state() == ORDER_RESERVED)
            order.pay(Money::fromString(payment));
        if (order.state() != ORDER_PAID) {
            std::cout << "order " << order.id() << " still owes money, cancelling\n";
            order.cancel(inv);
            return false;
        }
        order.advance(inv);
    } catch (const OrderError &e) {
        std::cout << "order " << e.orderId() << " failed: " << e.what() << "\n";
        ++g_failedOrders;
        return false;
    } catch (const std::invalid_argument &e) {
        std::cout << "bad payment: " << e.what() << "\n";
        order.cancel(inv);
        ++g_failedOrders;
        return false;
    }
    g_takings += order.total();
    return true;
}

int main()
{
    Inventory inv(16);
    fillShop(inv);

    std::cout << g_shopName << " opens with " << Product::liveCount() << " products\n";
    inv.print();

    std::vector<Order> orders;
    std::vector<std::string> payments;

    orders.push_back(Order("alice"));
    parseOrderScript("T-100 2;F-002 1", orders.back());
    payments.push_back("32.22");

    orders.push_back(Order("bob"));
    parseOrderScript("T-200 9;F-001 1", orders.back());
    payments.push_back("100");

    orders.push_back(Order("carol"));
    parseOrderScript("F-001 3;garbage;T-100 0", orders.back());
    payments.push_back("4.x0");

    orders.push_back(Order("dave"));
    parseOrderScript("T-200 1", orders.back());
    payments.push_back("1.00");

    int shipped = 0;
    for (std::size_t i = 0; i < orders.size(); ++i) {
        if (orders[i].lines().empty()) {
            TRACE("skipping empty order for " << orders[i].customer());
            continue;
        }
        if (runOrder(inv, orders[i], payments[i]))
            ++shipped;
    }

    int ordered = inv.restockBelow(RESTOCK_THRESHOLD, 10);
    std::printf("%d orders: shipped %d, failed %d, restocked %d units\n",
                Order::ordersCreated(), shipped, g_failedOrders, ordered);
    std::cout << "takings: " << g_takings << "\n";
    inv.print();
    return shipped > 0 ? 0 : 1;
}
