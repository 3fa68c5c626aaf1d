-- HAVING：订单多于 8 张的客户
select CustomerID, count(*) as Orders from orders group by CustomerID having count(*) > 8
