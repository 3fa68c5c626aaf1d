-- 分页：第 3 页，每页 20 张订单
select OrderID, OrderDate, Freight from orders order by OrderID limit 20 offset 40
