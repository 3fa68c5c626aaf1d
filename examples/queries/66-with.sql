with big_orders as (select OrderID, sum(UnitPrice * Quantity) as amount from order_items group by OrderID)
select o.OrderID, o.ShipCity, b.amount from orders o join big_orders b on b.OrderID = o.OrderID where b.amount > 5000
