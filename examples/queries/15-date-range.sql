-- 2024 年第一季度的订单
select OrderID, CustomerID, OrderDate from orders where OrderDate >= '2024-01-01' and OrderDate < '2024-04-01'
