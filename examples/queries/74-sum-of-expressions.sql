select x.a + x.b + x.c from (select count(*) as a, sum(Quantity) as b, max(OrderID) as c from order_items) x
