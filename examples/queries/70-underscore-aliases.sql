select sum(i.Quantity) as sum_qty, avg(i.UnitPrice) as avg_price, count(*) as 订单行数 from order_items i where i.Discount = 0
