-- 左连接，ON 条件先写被连接的表：没有订单的客户也在其中
select c.CustomerID, o.OrderID from customers c left join orders o on o.CustomerID = c.CustomerID and o.Freight > 100
